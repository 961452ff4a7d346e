// The IP upgrade dialog over copies of a fixture project opened through the
// project manager: alpha.v (a fifo of 12.1) and beta.v (a mult of 11.1 that the
// wizard refuses to upgrade) are standalone components, sys.psys a Plexa system;
// the project lists them as alpha, sys, beta.
#include "sys/mdb/mdb_ip_regen_dlg.h"
#include "sys/mdb/mdb_ip_regen_engine.h"

#include "acf_manager.h"
#include "ipman/ipman_ip_info.h"
#include "suite/fileio/fio.h"
#include "suite/gui/afcq.h"
#include "suite/messages/msg.h"
#include "suite/reportdb/rdb.h"
#include "suite/tclglue/atcl.h"

#include "tests/support/test_qt_application.h"
#include "tests/support/test_workspace.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHeaderView>
#include <QProgressDialog>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>
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
    static void SetUpTestSuite() { test_qt_application(); }

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
        RDB_REPORT::forget_reports();
        if (eval("info commands regenerate_ip") == TCL_OK &&
            *Tcl_GetStringResult(atcl_get_interpreter()) != 0) {
            eval("trace remove execution regenerate_ip enter {apply {{command op} "
                 "{dialog_during_flow $command}}}");
        }
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
    // Replaces the fixture's IP components by `count` generated ones of 12.1,
    // ip/c<i>/c<i>.tip with its variation file; every `plexa_every`-th one a
    // Plexa system, and every `failing_every`-th other one refused by the wizard.
    void generate_ip_components(int count, int plexa_every, int failing_every) {
        std::string settings = "set_global_assignment -name TOP_LEVEL_ENTITY chip\n";
        int standalone = 0;
        for (int i = 0; i < count; ++i) {
            std::string const name = "c" + std::to_string(i);
            std::string const stem = "ip/" + name + "/" + name;
            std::filesystem::create_directories(file("ip/" + name));
            bool const plexa = (i + 1) % plexa_every == 0;
            bool const failing = !plexa && ++standalone % failing_every == 0;
            if (plexa) {
                test_write_file(file(stem + ".psys"), "<system name=\"" + name + "\"/>\n");
            } else {
                test_write_file(file(stem + ".v"),
                                "// -- VestaWizard variation file\n// -- Retrieval info: "
                                "<instance entity-name=\"fifo\" version=\"12.1\"" +
                                    std::string(failing ? " upgrade=\"fail\"" : "") +
                                    " >\nmodule " + name + ";\nendmodule\n");
            }
            test_write_file(file(stem + ".tip"),
                            "set_global_assignment -name IP_TOOL_NAME \"fifo\"\n"
                            "set_global_assignment -name IP_TOOL_VERSION \"12.1\"\n"
                            "set_global_assignment -name IP_TOOL_ENV \"" +
                                std::string(plexa ? "plexa" : "vestawiz") +
                                "\"\nset_global_assignment -name " +
                                (plexa ? "MISC_FILE" : "VERILOG_FILE") +
                                " [file join $::tessaly(tip_path) \"" + name +
                                (plexa ? ".psys" : ".v") + "\"]\n");
            settings += "set_global_assignment -name TIP_FILE " + stem + ".tip\n";
        }
        test_write_file(file("chip.tsf"), settings);
    }
    // Closes the project and opens a fresh copy of the fixture named `name`.
    void reopen_fresh_copy(std::string const& name) {
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
        RDB_REPORT::forget_reports();
        m_workspace.copy_fixture(FIXTURE, name);
        m_project = std::filesystem::canonical(m_workspace.path(name));
        open_project();
    }
    void set_tip_version(std::string const& tip, std::string const& from, std::string const& to) {
        std::string text = test_read_file(file(tip));
        std::string old_assignment = "IP_TOOL_VERSION \"" + from + "\"";
        size_t at = text.find(old_assignment);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, old_assignment.size(), "IP_TOOL_VERSION \"" + to + "\"");
        test_write_file(file(tip), text);
    }

    // Calls m_during_flow with the command line whenever regenerate_ip starts.
    void watch_flow() {
        Tcl_Interp* interp = atcl_get_interpreter();
        Tcl_CreateObjCommand(interp, "dialog_during_flow", during_flow, this, nullptr);
        ASSERT_EQ(eval("package require ::tessaly::ipman"), TCL_OK);
        ASSERT_EQ(eval("trace add execution regenerate_ip enter {apply {{command op} "
                       "{dialog_during_flow $command}}}"),
                  TCL_OK)
            << Tcl_GetStringResult(interp);
    }
    static int during_flow(ClientData self, Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
        auto* test = static_cast<IpRegenDialog*>(self);
        if (objc == 2 && test->m_during_flow) {
            test->m_during_flow(Tcl_GetString(objv[1]));
        }
        return TCL_OK;
    }
    void replace_regenerate_ip(std::string const& body) {
        ASSERT_EQ(eval("package require ::tessaly::ipman"), TCL_OK);
        ASSERT_EQ(eval("rename regenerate_ip kept_regenerate_ip"), TCL_OK);
        ASSERT_EQ(eval("proc regenerate_ip args {" + body + "}"), TCL_OK);
    }
    void restore_regenerate_ip() {
        EXPECT_EQ(eval("rename regenerate_ip {}; rename kept_regenerate_ip regenerate_ip"), TCL_OK);
    }
    static int eval(std::string const& script) {
        return Tcl_EvalEx(atcl_get_interpreter(), script.c_str(), -1, TCL_EVAL_GLOBAL);
    }
    static QStringList split_list(QString const& list) {
        Tcl_Interp* interp = atcl_get_interpreter();
        Tcl_Obj* obj = Tcl_NewStringObj(list.toStdString().c_str(), -1);
        Tcl_IncrRefCount(obj);
        int count = 0;
        Tcl_Obj** words = nullptr;
        QStringList out;
        if (Tcl_ListObjGetElements(interp, obj, &count, &words) == TCL_OK) {
            for (int i = 0; i < count; ++i) {
                out << Tcl_GetString(words[i]);
            }
        }
        Tcl_DecrRefCount(obj);
        return out;
    }
    // A row turned into one upgraded by hand in the wizard's editor.
    void expect_manual_row(DLG& dialog, int row, char const* version) {
        SCOPED_TRACE(row);
        EXPECT_EQ(model(dialog)->item(row, DLG::VERSION_COL)->text(), version);
        EXPECT_TRUE(same_icon(model(dialog)->item(row, DLG::STATUS_COL)->data(Qt::DecorationRole),
                              AFCQ_ICON_MANUAL));
        EXPECT_FALSE(entity(dialog, row)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
        EXPECT_FALSE(entity(dialog, row)->data(Qt::CheckStateRole).isValid());
        EXPECT_EQ(entity(dialog, row)->data(DLG::UPGRADE_KIND_ROLE).toString(), "Manual");
        ASSERT_NE(row_button(dialog, row), nullptr);
        EXPECT_EQ(row_button(dialog, row)->m_push_button->text(), "Open VestaWizard");
        EXPECT_GE(view(dialog)->columnWidth(DLG::ACTION_COL),
                  row_button(dialog, row)->sizeHint().width());
        EXPECT_FALSE(row_button(dialog, row)->m_push_button->isHidden());
        EXPECT_TRUE(row_button(dialog, row)->isEnabled());
        EXPECT_EQ(description(dialog, row)->m_text_edit->toPlainText(),
                  "You must upgrade the IP component with the VestaWizard Plug-In Manager.");
        EXPECT_TRUE(description(dialog, row)->m_movie_label->isHidden());
        EXPECT_EQ(foreground(model(dialog)->item(row, DLG::FILE_COL)), QColor(Qt::red));
    }

    // Lets the delayed layouts of a shown dialog happen.
    static void settle() {
        for (int round = 0; round < 20; ++round) {
            QApplication::processEvents();
        }
    }
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
    std::function<void(std::string const&)> m_during_flow;
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
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Upgrade IP Components");
}

// Shown at its own size, the table needs no sideways scrolling: the File
// column elides long paths in the middle (whole in their tooltips), the Action
// column is as wide as its widest button, and Description takes the rest and
// wraps, each row as tall as its text.
TEST_F(IpRegenDialog, EveryColumnCanBeRead) {
    std::filesystem::create_directories(m_workspace.path("designs of the board/revision b"));
    reopen_fresh_copy("designs of the board/revision b/chip");
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    dialog.show();
    settle();
    QTreeView* tree = view(dialog);
    QFontMetrics metrics(tree->font());
    int const plexa = 2;
    EXPECT_LE(tree->header()->length(), tree->viewport()->width());

    EXPECT_FALSE(tree->wordWrap());
    EXPECT_EQ(tree->textElideMode(), Qt::ElideMiddle);
    EXPECT_LT(tree->columnWidth(DLG::FILE_COL),
              metrics.horizontalAdvance(file_text(dialog, plexa)));

    EXPECT_GE(tree->columnWidth(DLG::ACTION_COL), row_button(dialog, plexa)->sizeHint().width());

    EXPECT_GE(tree->columnWidth(DLG::DESCRIPTION_COL), 30 * metrics.averageCharWidth());
    QTextEdit* text = description(dialog, plexa)->m_text_edit;
    EXPECT_LE(text->document()->size().height(), text->viewport()->height() + 1);
    EXPECT_GT(tree->visualRect(model(dialog)->index(plexa, DLG::DESCRIPTION_COL)).height(),
              4 * metrics.height());
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
    // The events after which the dialog looks again at the rows upgraded by hand.
    struct CASE {
        char const* name;
        std::function<void(DLG&)> send;
    };
    CASE const cases[] = {
        {"activated",
         [](DLG& dialog) {
             QEvent event(QEvent::ActivationChange);
             QApplication::sendEvent(&dialog, &event);
         }},
        {"enabled", [](DLG& dialog) { dialog.setEnabled(false), dialog.setEnabled(true); }},
        {"entered",
         [](DLG& dialog) {
             QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
             QApplication::sendEvent(&dialog, &event);
         }},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        reopen_fresh_copy(c.name);
        DLG dialog(nullptr);
        ASSERT_TRUE(dialog.need_show_dlg());
        int const plexa = 2;

        // No re-check before a manual step was started.
        set_tip_version("ip/sys/sys.tip", "11.1", "14.0");
        c.send(dialog);
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

        c.send(dialog);
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
}

// Ticking alpha and beta and pressing Upgrade runs the real IP upgrade flow:
// the wizard upgrades alpha and refuses beta.
TEST_F(IpRegenDialog, UpgradeRunsTheFlowAndShowsEachRowsResultFromTheReport) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    int const beta = 0, alpha = 1, plexa = 2;
    QString beta_file = file_text(dialog, beta);
    QString alpha_file = file_text(dialog, alpha);

    // What the dialog looks like while the flow runs, seen from the command.
    struct DURING {
        bool seen = false;
        bool upgrade_enabled = true;
        bool close_enabled = true;
        bool ticks_enabled = true;
        bool plexa_button_enabled = false;
        bool busy = false;
        QString command;
    } during;
    m_during_flow = [&](std::string const& command) {
        during.seen = true;
        during.command = QString::fromStdString(command);
        during.upgrade_enabled = upgrade_button(dialog)->isEnabled();
        during.close_enabled = close_button(dialog)->isEnabled();
        during.ticks_enabled =
            entity(dialog, beta)->isEnabled() || entity(dialog, alpha)->isEnabled();
        during.plexa_button_enabled = row_button(dialog, plexa)->isEnabled();
        during.busy = !description(dialog, alpha)->m_movie_label->isHidden();
    };
    watch_flow();
    // A manual step before the upgrade: the flow ends the dialog's watch on it.
    row_button(dialog, plexa)->m_push_button->click();
    upgrade_button(dialog)->click();

    ASSERT_TRUE(during.seen);
    QStringList words = split_list(during.command);
    EXPECT_EQ(words,
              QStringList({"regenerate_ip", "-files", beta_file + ";" + alpha_file, "-gui"}));
    EXPECT_FALSE(during.upgrade_enabled);
    EXPECT_FALSE(during.close_enabled);
    EXPECT_FALSE(during.ticks_enabled);
    EXPECT_TRUE(during.plexa_button_enabled);
    EXPECT_TRUE(during.busy);

    // alpha: upgraded, its version re-read from the settings.
    EXPECT_EQ(model(dialog)->item(alpha, DLG::VERSION_COL)->text(), "14.0");
    EXPECT_TRUE(same_icon(model(dialog)->item(alpha, DLG::STATUS_COL)->data(Qt::DecorationRole),
                          AFCQ_ICON_SUCCESS));
    EXPECT_TRUE(entity(dialog, alpha)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
    EXPECT_FALSE(entity(dialog, alpha)->data(Qt::CheckStateRole).isValid());
    EXPECT_EQ(foreground(model(dialog)->item(alpha, DLG::FILE_COL)), QColor(Qt::black));
    EXPECT_FALSE(row_button(dialog, alpha)->isEnabled());
    EXPECT_EQ(description(dialog, alpha)->m_text_edit->toPlainText(),
              "IP component successfully upgraded.");
    EXPECT_TRUE(description(dialog, alpha)->m_movie_label->isHidden());

    // beta: refused by the wizard, now to be upgraded by hand.
    expect_manual_row(dialog, beta, "11.1");

    // Nothing is ticked any more; Close is back.
    EXPECT_FALSE(upgrade_button(dialog)->isEnabled());
    EXPECT_TRUE(close_button(dialog)->isEnabled());
    EXPECT_TRUE(dialog.has_not_regenerate_ip_core());

    // No re-check after the flow until the next manual step.
    set_tip_version("ip/sys/sys.tip", "11.1", "14.0");
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&dialog, &activation);
    EXPECT_EQ(model(dialog)->item(plexa, DLG::VERSION_COL)->text(), "11.1");
}

// Rows whose upgrade the report does not confirm are never shown upgraded.
TEST_F(IpRegenDialog, RowsTheReportDoesNotListAsUpgradedBecomeManual) {
    struct CASE {
        char const* name;
        char const* command; // replaces regenerate_ip for the run
    };
    CASE const cases[] = {
        {"flow fails", "error {the flow broke down}"},
        {"flow succeeds but reports nothing", "return {}"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        reopen_fresh_copy(c.name);
        DLG dialog(nullptr);
        ASSERT_TRUE(dialog.need_show_dlg());
        replace_regenerate_ip(c.command);
        upgrade_button(dialog)->click();
        restore_regenerate_ip();
        expect_manual_row(dialog, 0, "11.1");
        expect_manual_row(dialog, 1, "12.1");
        EXPECT_EQ(test_read_file(file("ip/alpha/alpha.v")),
                  test_read_file(FIXTURE + "/ip/alpha/alpha.v"));
    }
}

// The report keeps the rows of earlier runs: a failed flow must not show a row
// upgraded because an earlier run upgraded its file.
TEST_F(IpRegenDialog, FailedFlowDoesNotTakeAnEarlierRunsSuccessForItsOwn) {
    open_project();
    std::string alpha = file("ip/alpha/alpha.v");
    ASSERT_EQ(eval("package require ::tessaly::ipman"), TCL_OK);
    ASSERT_EQ(eval("regenerate_ip -files " + alpha + " -gui"), TCL_OK);

    // A table with alpha as it was before that run.
    IPMAN_IP_INFO record;
    record.var_file = alpha;
    record.file = file("ip/alpha/alpha.tip");
    record.tool_name = "fifo";
    record.tool_version = "12.1";
    record.generated_by = "vestawiz";
    record.need_regen = true;
    DLG dialog(nullptr);
    dialog.populate_ip_info_to_tree({record});
    dialog.add_widget_to_item();

    replace_regenerate_ip("error {the flow broke down}");
    upgrade_button(dialog)->click();
    restore_regenerate_ip();
    expect_manual_row(dialog, 0, "12.1");
}

TEST_F(IpRegenDialog, UpgradeWithNothingTickedOnlySaysSo) {
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    tick(dialog, 0, Qt::Unchecked);
    tick(dialog, 1, Qt::Unchecked);
    m_during_flow = [](std::string const&) { ADD_FAILURE() << "the flow ran"; };
    watch_flow();
    QMetaObject::invokeMethod(&dialog, "on_upgrade_all");
    ASSERT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(msg_log_entries().back().text, "No IP component is selected for upgrade.");
    EXPECT_EQ(entity(dialog, 0)->data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(entity(dialog, 0)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
}

// A row upgraded by hand: the wizard's editor (here the wizard regenerating the
// file) runs on it, and the dialog looks at the version when it is activated.
TEST_F(IpRegenDialog, OpenVestaWizardUpgradesByHandAndTheRowFollows) {
    struct CASE {
        char const* name;
        int row;
        char const* version_after;
        bool upgraded;
    };
    CASE const cases[] = {
        {"accepted by the wizard", 1, "14.0", true},
        {"refused by the wizard", 0, "11.1", false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        reopen_fresh_copy(c.name);
        DLG dialog(nullptr);
        ASSERT_TRUE(dialog.need_show_dlg());
        dialog.change_vwpim_to_manual_upgrade(file_text(dialog, c.row));
        row_button(dialog, c.row)->m_push_button->click();

        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(&dialog, &activation);
        EXPECT_EQ(model(dialog)->item(c.row, DLG::VERSION_COL)->text(), c.version_after);
        EXPECT_EQ(entity(dialog, c.row)->data(DLG::ALREADY_UPGRADED_ROLE).toBool(), c.upgraded);
        EXPECT_TRUE(same_icon(model(dialog)->item(c.row, DLG::STATUS_COL)->data(Qt::DecorationRole),
                              c.upgraded ? AFCQ_ICON_SUCCESS : AFCQ_ICON_MANUAL));
        EXPECT_EQ(row_button(dialog, c.row)->isEnabled(), !c.upgraded);
    }
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
        reopen_fresh_copy(c.name);
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

// Many rows: each one is laid out with its widgets and as tall as its text,
// whichever way the texts and widths arrived.
TEST_F(IpRegenDialog, ADialogOfManyRowsShowsEveryRowWithItsDescription) {
    int const count = 300;
    generate_ip_components(count, 5, 1000);
    open_project();
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    dialog.show();
    settle();
    ASSERT_EQ(model(dialog)->rowCount(), count);
    int plexa_rows = 0;
    for (int row = 0; row < count; ++row) {
        SCOPED_TRACE(row);
        ASSERT_NE(row_button(dialog, row), nullptr);
        ASSERT_NE(description(dialog, row), nullptr);
        bool const plexa = entity(dialog, row)->data(DLG::GENERATED_BY_ROLE) == "plexa";
        plexa_rows += plexa;
        EXPECT_EQ(description(dialog, row)->m_text_edit->toPlainText().startsWith(
                      "You must upgrade the IP component in Plexa."),
                  plexa);
        // The row's height is its description's (at least 40 pixels).
        QRect cell = view(dialog)->visualRect(model(dialog)->index(row, DLG::DESCRIPTION_COL));
        EXPECT_EQ(cell.height(), description(dialog, row)->sizeHint().height());
    }
    EXPECT_EQ(plexa_rows, count / 5);
    // The rows are ordered as the inventory's: standalone ones first, the
    // last one first, then the Plexa systems.
    EXPECT_EQ(file_text(dialog, 0).toStdString(), file("ip/c298/c298.v"));
    EXPECT_EQ(file_text(dialog, count - plexa_rows).toStdString(), file("ip/c4/c4.psys"));

    // A narrower Description column wraps the texts again: the rows follow.
    int const plexa = count - 1;
    int const before = description(dialog, plexa)->sizeHint().height();
    dialog.resize(dialog.minimumSize());
    settle();
    EXPECT_GT(description(dialog, plexa)->sizeHint().height(), before);
    EXPECT_EQ(view(dialog)->visualRect(model(dialog)->index(plexa, DLG::DESCRIPTION_COL)).height(),
              description(dialog, plexa)->sizeHint().height());
}

// Cancel in the progress while the k-th component is upgraded: that one ends
// (upgraded, or put back by the wizard's failure), the later ones are never
// touched, and the table and the report say so.
TEST_F(IpRegenDialog, CancelInTheProgressStopsBetweenComponents) {
    int const count = 60;
    int const cancel_at = 12;
    generate_ip_components(count, 1000, 4);
    open_project();
    std::map<std::string, std::string> before;
    for (int i = 0; i < count; ++i) {
        for (char const* ext : {".v", ".tip"}) {
            std::string const path = file("ip/c" + std::to_string(i) + "/c" + std::to_string(i) + ext);
            before[path] = test_read_file(path);
        }
    }
    DLG dialog(nullptr);
    ASSERT_TRUE(dialog.need_show_dlg());
    dialog.show();
    settle();

    // The wizard's runs, seen from the interpreter: the first one takes long
    // enough for the progress to show; the k-th one's end presses Cancel.
    struct SEEN {
        int runs = 0;
        bool shown = false;
        int maximum = 0;
        int value = -1;
        QString label;
    } seen;
    Tcl_CreateObjCommand(
        atcl_get_interpreter(), "dialog_wizard_ran",
        [](ClientData data, Tcl_Interp*, int, Tcl_Obj* const*) {
            auto* seen = static_cast<SEEN*>(data);
            if (++seen->runs == 1) {
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(MDB_IP_REGEN_PROGRESS::SHOW_AFTER_MS + 100));
            }
            if (seen->runs == cancel_at) {
                auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
                if (progress != nullptr) {
                    seen->shown = progress->isVisible();
                    seen->maximum = progress->maximum();
                    seen->value = progress->value();
                    seen->label = progress->labelText();
                    progress->cancel();
                }
            }
            return TCL_OK;
        },
        &seen, nullptr);
    ASSERT_EQ(eval("trace add execution texec leave {apply {{command code result op} "
                   "{dialog_wizard_ran}}}"),
              TCL_OK);
    upgrade_button(dialog)->click();
    eval("trace remove execution texec leave {apply {{command code result op} "
         "{dialog_wizard_ran}}}");

    EXPECT_EQ(seen.runs, cancel_at);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.maximum, count);
    EXPECT_EQ(seen.value, cancel_at - 1);
    EXPECT_TRUE(seen.label.contains(file_text(dialog, cancel_at - 1))) << seen.label.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    std::vector<std::string> reported;
    for (int row = 0; row < count; ++row) {
        SCOPED_TRACE(row);
        std::string const variation = file_text(dialog, row).toStdString();
        std::string const tip = variation.substr(0, variation.size() - 2) + ".tip";
        bool const failing = before[variation].find("upgrade=\"fail\"") != std::string::npos;
        if (row >= cancel_at) {
            // Untouched, and waiting as before.
            EXPECT_EQ(test_read_file(variation), before[variation]);
            EXPECT_EQ(test_read_file(tip), before[tip]);
            EXPECT_EQ(entity(dialog, row)->checkState(), Qt::Checked);
            EXPECT_TRUE(entity(dialog, row)->isEnabled());
            EXPECT_TRUE(same_icon(
                model(dialog)->item(row, DLG::STATUS_COL)->data(Qt::DecorationRole),
                AFCQ_ICON_PENDING));
            EXPECT_TRUE(description(dialog, row)->m_text_edit->toPlainText().isEmpty());
            EXPECT_TRUE(description(dialog, row)->m_movie_label->isHidden());
            EXPECT_EQ(mdb_ip_regen_report_record(variation).var_file, "N/A");
            continue;
        }
        EXPECT_NE(mdb_ip_regen_report_record(variation).var_file, "N/A");
        if (failing) {
            // Put back whole.
            EXPECT_EQ(test_read_file(variation), before[variation]);
            EXPECT_EQ(test_read_file(tip), before[tip]);
            expect_manual_row(dialog, row, "12.1");
        } else {
            EXPECT_NE(test_read_file(variation).find("version=\"14.0\""), std::string::npos);
            EXPECT_NE(test_read_file(tip).find("IP_TOOL_VERSION \"14.0\""), std::string::npos);
            EXPECT_EQ(model(dialog)->item(row, DLG::VERSION_COL)->text(), "14.0");
            EXPECT_TRUE(entity(dialog, row)->data(DLG::ALREADY_UPGRADED_ROLE).toBool());
        }
    }
    // The rest can be upgraded later.
    EXPECT_TRUE(upgrade_button(dialog)->isEnabled());
    EXPECT_TRUE(close_button(dialog)->isEnabled());
}

} // namespace
