// The IP upgrade dialog over copies of a fixture project opened through the
// project manager: alpha.v (a fifo of 12.1) and beta.v (a mult of 11.1 that the
// wizard refuses to upgrade) are standalone components, sys.psys a Plexa system;
// the project lists them as alpha, sys, beta.
#include "sys/mdb/mdb_ip_regen_dlg.h"

#include "acf_manager.h"
#include "ipman/ipman_ip_info.h"
#include "suite/fileio/fio.h"
#include "suite/gui/afcq.h"
#include "suite/messages/msg.h"

#include "tests/support/test_workspace.h"

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/ip_project";

using DLG = MDB_IP_REGEN_DLG;

bool same_icon(QVariant const& decoration, int icon) {
    QIcon expected = afcq_get_icon(icon);
    QIcon actual = decoration.value<QIcon>();
    if (expected.isNull() || actual.isNull()) {
        return expected.isNull() && actual.isNull();
    }
    return actual.pixmap(16, 16).toImage() == expected.pixmap(16, 16).toImage();
}

QColor foreground(QStandardItem const* item) {
    return item->data(Qt::ForegroundRole).value<QColor>();
}

class IpRegenDialog : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }

    void SetUp() override {
        msg_log_clear();
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_internal_errors.push_back(condition);
        });
        m_old_dir = std::filesystem::current_path();
        m_project = std::filesystem::canonical(m_workspace.copy_fixture(FIXTURE, "chip"));
    }
    void TearDown() override {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        manager->free_cached_storage();
        std::filesystem::current_path(m_old_dir);
        MSG_INTERNAL_ERROR::set_hook(nullptr);
        unsetenv("tst_regtest_mode");
        EXPECT_TRUE(m_internal_errors.empty()) << m_internal_errors.front();
    }

    // Opens the copy as the host does: from its own folder.
    void open_project() {
        std::filesystem::current_path(m_project);
        ASSERT_EQ(ACF_MANAGER::get_acf_manager()->open_project(m_project.c_str(), "chip", "", false,
                                                               false, true, false, false),
                  ACF_REVISION_MANAGER::SUCCESS);
    }
    // Keeps only the listed IP files in the revision's settings.
    void list_ip_files(std::vector<std::string> const& tips) {
        std::string settings = "set_global_assignment -name TOP_LEVEL_ENTITY chip\n";
        for (std::string const& tip : tips) {
            settings += "set_global_assignment -name TIP_FILE " + tip + "\n";
        }
        test_write_file(file("chip.tsf"), settings);
    }
    std::string file(std::string const& name) const { return m_project + "/" + name; }

    static QTreeView* view(DLG& dialog) {
        return dialog.findChild<QTreeView*>("mdb_ip_regen_tree");
    }
    static QStandardItemModel* model(DLG& dialog) {
        return qobject_cast<QStandardItemModel*>(view(dialog)->model());
    }
    static QPushButton* upgrade_button(DLG& dialog) {
        return dialog.findChild<QPushButton*>("m_upgrade_button");
    }
    static QPushButton* close_button(DLG& dialog) {
        return dialog.findChild<QPushButton*>("m_close_button");
    }
    static MDB_IP_REGEN_WIDGET_BUTTON* row_button(DLG& dialog, int row) {
        return qobject_cast<MDB_IP_REGEN_WIDGET_BUTTON*>(
            view(dialog)->indexWidget(model(dialog)->index(row, DLG::ACTION_COL)));
    }
    static MDB_IP_REGEN_WIDGET_TEXT_EDIT* description(DLG& dialog, int row) {
        return qobject_cast<MDB_IP_REGEN_WIDGET_TEXT_EDIT*>(
            view(dialog)->indexWidget(model(dialog)->index(row, DLG::DESCRIPTION_COL)));
    }
    static QStandardItem* entity(DLG& dialog, int row) {
        return model(dialog)->item(row, DLG::ENTITY_COL);
    }
    static QString file_text(DLG& dialog, int row) {
        return model(dialog)->item(row, DLG::FILE_COL)->text();
    }
    static QStringList files(DLG& dialog) {
        QStringList out;
        for (int row = 0; row < model(dialog)->rowCount(); ++row) {
            out << QString::fromStdString(
                FIO_PATH(file_text(dialog, row).toStdString()).base() +
                FIO_PATH(file_text(dialog, row).toStdString()).extension());
        }
        return out;
    }
    static void tick(DLG& dialog, int row, Qt::CheckState state) {
        entity(dialog, row)->setCheckState(state);
        QMetaObject::invokeMethod(&dialog, "on_clicked_item",
                                  Q_ARG(QModelIndex, model(dialog)->index(row, DLG::ENTITY_COL)));
    }
    static size_t questions_asked() {
        size_t count = 0;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            count += entry.severity == 'Q' && entry.id == 11916;
        }
        return count;
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::filesystem::path m_old_dir;
    std::vector<std::string> m_internal_errors;
};

TEST_F(IpRegenDialog, RowsOfTheProjectStandaloneFirstThenPlexa) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());

    EXPECT_EQ(files(dialog), QStringList({"beta.v", "alpha.v", "sys.psys"}));
    struct ROW {
        char const* name;
        char const* version;
        bool plexa;
    };
    ROW const rows[] = {{"mult", "11.1", false}, {"fifo", "12.1", false}, {"fifo", "11.1", true}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        ROW const& want = rows[row];
        QStandardItem* item = entity(dialog, row);
        EXPECT_EQ(model(dialog)->item(row, DLG::IP_NAME_COL)->text(), want.name);
        EXPECT_EQ(model(dialog)->item(row, DLG::VERSION_COL)->text(), want.version);
        EXPECT_EQ(
            model(dialog)->item(row, DLG::FILE_COL)->data(Qt::ToolTipRole).toString(),
            QString::fromStdString(FIO_PATH(file_text(dialog, row).toStdString()).full_path()));
        for (int column = 0; column <= DLG::FILE_COL; ++column) {
            EXPECT_EQ(foreground(model(dialog)->item(row, column)), QColor(Qt::red));
        }
        EXPECT_TRUE(same_icon(item->data(Qt::DecorationRole),
                              want.plexa ? AFCQ_ICON_SYSTEM : AFCQ_ICON_IP_COMPONENT));
        EXPECT_TRUE(same_icon(model(dialog)->item(row, DLG::STATUS_COL)->data(Qt::DecorationRole),
                              AFCQ_ICON_PENDING));
        EXPECT_EQ(item->data(Qt::ToolTipRole).toString(),
                  want.plexa ? "This is Plexa system." : "This is standalone IP component.");
        EXPECT_EQ(item->data(DLG::GENERATED_BY_ROLE).toString(), want.plexa ? "plexa" : "vestawiz");
        EXPECT_FALSE(item->data(DLG::ALREADY_UPGRADED_ROLE).toBool());

        MDB_IP_REGEN_WIDGET_BUTTON* button = row_button(dialog, row);
        ASSERT_NE(button, nullptr);
        ASSERT_NE(description(dialog, row), nullptr);
        if (want.plexa) {
            EXPECT_FALSE(item->data(Qt::CheckStateRole).isValid());
            EXPECT_FALSE(item->isCheckable());
            EXPECT_EQ(item->data(DLG::UPGRADE_KIND_ROLE).toString(), "Manual");
            EXPECT_EQ(button->m_push_button->text(), "Open Plexa");
            EXPECT_FALSE(button->m_push_button->isHidden());
            QString text = description(dialog, row)->m_text_edit->toPlainText();
            EXPECT_TRUE(text.startsWith("You must upgrade the IP component in Plexa.\n"));
            EXPECT_TRUE(text.contains("b. Click Replace with version 14.0. \n"));
        } else {
            EXPECT_EQ(item->checkState(), Qt::Checked);
            EXPECT_TRUE(item->isCheckable());
            EXPECT_EQ(item->data(DLG::UPGRADE_KIND_ROLE).toString(), "Upgrade");
            EXPECT_EQ(button->m_push_button->text(), "Upgrade");
            EXPECT_TRUE(button->m_push_button->isHidden());
            EXPECT_TRUE(description(dialog, row)->m_text_edit->toPlainText().isEmpty());
        }
    }
    EXPECT_EQ(view(dialog)->header()->visualIndex(DLG::STATUS_COL), 0);
    EXPECT_EQ(view(dialog)->columnWidth(DLG::ACTION_COL), 95);
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Upgrade IP Components");
}

TEST_F(IpRegenDialog, SubComponentsHangUnderTheirTopLevelRowOnly) {
    auto record = [](char const* entity, char const* parent, bool need, char const* by) {
        IPMAN_IP_INFO info;
        info.entity = entity;
        info.parent_entity = parent;
        info.need_regen = need;
        info.generated_by = by;
        info.var_file = std::string(entity) + ".v";
        info.file = std::string(entity) + ".tip";
        return info;
    };
    DLG dialog(nullptr);
    dialog.populate_ip_info_to_tree(
        {record("a", "N/A", true, "vestawiz"), record("p", "N/A", true, "plexa"),
         record("a_old", "a", true, "vestawiz"), record("a_new", "a", false, "vestawiz"),
         record("deep", "a_old", true, "vestawiz"), record("orphan", "nobody", true, "vestawiz"),
         record("b", "N/A", true, "vestawiz")});

    ASSERT_EQ(model(dialog)->rowCount(), 3);
    EXPECT_EQ(entity(dialog, 0)->text(), "b");
    EXPECT_EQ(entity(dialog, 1)->text(), "a");
    EXPECT_EQ(entity(dialog, 2)->text(), "p");
    QStandardItem* a = entity(dialog, 1);
    ASSERT_EQ(a->rowCount(), 2);
    EXPECT_EQ(a->child(0)->text(), "a_old");
    EXPECT_EQ(foreground(a->child(0)), QColor(Qt::red));
    EXPECT_EQ(a->child(1)->text(), "a_new");
    EXPECT_EQ(foreground(a->child(1)), QColor(Qt::black));
    EXPECT_EQ(a->child(0)->rowCount(), 0);
    EXPECT_TRUE(a->child(0)->data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(a->child(0)->data(Qt::ToolTipRole).toString().isEmpty());
    EXPECT_EQ(a->child(0)->data(DLG::IP_FILE_ROLE).toString(), "a_old.tip");
    EXPECT_EQ(entity(dialog, 0)->rowCount() + entity(dialog, 2)->rowCount(), 0);
}

TEST_F(IpRegenDialog, UpgradeButtonFollowsTheTicks) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
    tick(dialog, 0, Qt::Unchecked);
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
    tick(dialog, 1, Qt::Unchecked);
    EXPECT_FALSE(upgrade_button(dialog)->isEnabled());
    tick(dialog, 1, Qt::Checked);
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
}

TEST_F(IpRegenDialog, TableOfPlexaSystemsAloneLeavesUpgradeDisabled) {
    list_ip_files({"ip/sys/sys.tip"});
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    EXPECT_EQ(files(dialog), QStringList({"sys.psys"}));
    EXPECT_FALSE(upgrade_button(dialog)->isEnabled());
}

TEST_F(IpRegenDialog, NoUpgradeNeededShowsOneLineAndClosesWithoutAsking) {
    list_ip_files({});
    open_project();
    DLG dialog(nullptr);
    EXPECT_FALSE(dialog.need_show_dlg());
    EXPECT_EQ(model(dialog)->rowCount(), 0);

    dialog.populate_ip_info();
    ASSERT_EQ(model(dialog)->rowCount(), 1);
    EXPECT_EQ(model(dialog)->columnCount(), 1);
    EXPECT_EQ(model(dialog)->horizontalHeaderItem(0)->text(), "Entity");
    EXPECT_EQ(entity(dialog, 0)->text(), "All IP components use the latest version.");
    EXPECT_FALSE(entity(dialog, 0)->isEditable());
    EXPECT_FALSE(upgrade_button(dialog)->isEnabled());

    dialog.show();
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(questions_asked(), 0u);
}

TEST_F(IpRegenDialog, ClosingWithRowsLeftAsksFirst) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    dialog.show();

    msg_queue_answer(MSG_ANSWER_NO);
    close_button(dialog)->click();
    EXPECT_EQ(questions_asked(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(files(dialog).size(), 3);

    msg_queue_answer(MSG_ANSWER_YES);
    dialog.reject();
    EXPECT_EQ(questions_asked(), 2u);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(IpRegenDialog, EntryPointsShowTheDialogOnlyWhenTheyShould) {
    struct CASE {
        char const* name;
        bool regtest;
        bool with_components;
        void (*entry)(QWidget*);
        bool shown;
    };
    CASE const cases[] = {
        {"needed", false, true, mdb_dyn_ip_regen_dlg, true},
        {"needed in regression-test mode", true, true, mdb_dyn_ip_regen_dlg, false},
        {"nothing needed", false, false, mdb_dyn_ip_regen_dlg, false},
        {"asked for, nothing needed", false, false, mdb_dyn_get_ip_regen_dlg, true},
        {"asked for in regression-test mode", true, true, mdb_dyn_get_ip_regen_dlg, true},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
        if (c.with_components) {
            list_ip_files({"ip/alpha/alpha.tip", "ip/sys/sys.tip", "ip/beta/beta.tip"});
        } else {
            list_ip_files({});
        }
        open_project();
        if (c.regtest) {
            setenv("tst_regtest_mode", "on", 1);
        } else {
            unsetenv("tst_regtest_mode");
        }
        bool shown = false;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&]() {
            if (auto* dialog = qobject_cast<DLG*>(QApplication::activeModalWidget())) {
                shown = true;
                dialog->done(QDialog::Rejected);
            }
        });
        watcher.start(10);
        c.entry(nullptr);
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(IpRegenDialog, OpenPlexaOpensTheSystemAndWaitsForItsVersionToChange) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    int const plexa = 2;
    QEvent activation(QEvent::ActivationChange);

    // No re-check before a manual step was started.
    test_write_file(file("ip/sys/sys.tip"), "set_global_assignment -name IP_TOOL_NAME \"fifo\"\n"
                                            "set_global_assignment -name IP_TOOL_VERSION \"14.0\"\n"
                                            "set_global_assignment -name IP_TOOL_ENV \"plexa\"\n"
                                            "set_global_assignment -name MISC_FILE "
                                            "[file join $::tessaly(tip_path) \"sys.psys\"]\n");
    QApplication::sendEvent(&dialog, &activation);
    EXPECT_EQ(model(dialog)->item(plexa, DLG::VERSION_COL)->text(), "11.1");
    size_t opened = QUI_FRAME_MGR::get_frame_mgr()->opened_files().size();
    row_button(dialog, plexa)->m_push_button->click();
    ASSERT_EQ(QUI_FRAME_MGR::get_frame_mgr()->opened_files().size(), opened + 1);
    EXPECT_EQ(QUI_FRAME_MGR::get_frame_mgr()->opened_files().back(), file("ip/sys/sys.psys"));
    EXPECT_EQ(model(dialog)->item(plexa, DLG::VERSION_COL)->text(), "11.1");

    // Other events do not re-check.
    QEvent font(QEvent::FontChange);
    QApplication::sendEvent(&dialog, &font);
    EXPECT_EQ(model(dialog)->item(plexa, DLG::VERSION_COL)->text(), "11.1");

    QApplication::sendEvent(&dialog, &activation);
    EXPECT_EQ(model(dialog)->item(plexa, DLG::VERSION_COL)->text(), "14.0");
    EXPECT_TRUE(same_icon(model(dialog)->item(plexa, DLG::STATUS_COL)->data(Qt::DecorationRole),
                          AFCQ_ICON_SUCCESS));
    EXPECT_TRUE(entity(dialog, plexa)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
    EXPECT_EQ(foreground(entity(dialog, plexa)), QColor(Qt::black));
    EXPECT_FALSE(row_button(dialog, plexa)->isEnabled());
    EXPECT_EQ(description(dialog, plexa)->m_text_edit->toPlainText(),
              "IP component successfully upgraded.");
    // The standalone rows did not change.
    EXPECT_EQ(entity(dialog, 0)->checkState(), Qt::Checked);
    EXPECT_FALSE(entity(dialog, 0)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
}

TEST_F(IpRegenDialog, ManualRowShowsWhyItsFileCannotBeUpgraded) {
    struct CASE {
        char const* name;
        void (*spoil)(std::string const& path);
        char const* text;
    };
    CASE const cases[] = {
        {"missing", [](std::string const& path) { std::filesystem::remove(path); },
         "The file path is invalid."},
        {"foreign",
         [](std::string const& path) { test_write_file(path, "module alpha;\nendmodule\n"); },
         "The file is not a valid IP component variation file. System not able to perform IP "
         "upgrade."},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
        m_workspace.copy_fixture(FIXTURE, c.name);
        m_project = std::filesystem::canonical(m_workspace.path(c.name));
        open_project();
        DLG dialog(nullptr);
        ASSERT_TRUE(dialog.need_show_dlg());
        int const alpha = 1;
        QString alpha_file = file_text(dialog, alpha);
        dialog.change_vwpim_to_manual_upgrade(alpha_file);
        ASSERT_EQ(row_button(dialog, alpha)->m_push_button->text(), "Open VestaWizard");
        EXPECT_FALSE(entity(dialog, alpha)->data(Qt::CheckStateRole).isValid());
        EXPECT_TRUE(same_icon(model(dialog)->item(alpha, DLG::STATUS_COL)->data(Qt::DecorationRole),
                              AFCQ_ICON_MANUAL));

        c.spoil(alpha_file.toStdString());
        row_button(dialog, alpha)->m_push_button->click();
        EXPECT_EQ(description(dialog, alpha)->m_text_edit->toPlainText(), c.text);
        EXPECT_EQ(row_button(dialog, alpha)->m_push_button->text(), "Open VestaWizard");
    }
}

} // namespace
