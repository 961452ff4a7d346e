// The About box, the File > New chooser and the Export Database prompt, with
// their entry points.
#include "sys/mdb/mdb_about_dlg.h"
#include "sys/mdb/mdb_export_db_dlg.h"
#include "sys/mdb/mdb_file_new_dlg.h"

#include "suite/general/gen.h"
#include "suite/gui/afcq_browse.h"
#include "suite/gui/qui_frame_info.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "tests/support/test_environment.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class MdbSmallDialogs : public MdbRevisionProject {
protected:
    void SetUp() override {
        MdbRevisionProject::SetUp();
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
        QUI_FRAME_MGR::get_frame_mgr()->clear_requests();
    }
    // The rows of the File > New tree: top-level text, then its children.
    static std::vector<std::pair<QString, QStringList>> rows(QWidget* dialog) {
        auto* tree = child<QTreeWidget>(dialog, "m_tree");
        std::vector<std::pair<QString, QStringList>> all;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = tree->topLevelItem(i);
            QStringList children;
            for (int j = 0; j < top->childCount(); ++j) {
                children << top->child(j)->text(0);
            }
            all.emplace_back(top->text(0), children);
        }
        return all;
    }
    static QTreeWidgetItem* find_row(QWidget* dialog, QString const& text) {
        auto found = child<QTreeWidget>(dialog, "m_tree")
                         ->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
};

TEST_F(MdbSmallDialogs, AboutShowsTheSuitesTexts) {
    MDB_ABOUT_DLG about("Tessaly II", nullptr);
    EXPECT_EQ(about.windowTitle(), "About Tessaly II");
    EXPECT_EQ(child<QLabel>(&about, "m_version")->text().toStdString(),
              std::string(GEN_PRODUCT_NAME) + " " + GEN_FULL_VERSION);
    EXPECT_FALSE(child<QLabel>(&about, "m_icon")->pixmap().isNull());
    auto* service_pack = child<QTextEdit>(&about, "m_service_pack");
    EXPECT_EQ(service_pack->toPlainText(), "Service Pack Installed: None");
    EXPECT_TRUE(service_pack->isReadOnly());
    EXPECT_EQ(MDB_ABOUT_DLG::get_service_pack_label("2.1"), "Service Pack Installed: 2.1");
    EXPECT_EQ(child<QTextEdit>(&about, "m_copyright")->toPlainText().toStdString(),
              gen_get_legal_trademark_text());
    EXPECT_EQ(child<QTextEdit>(&about, "m_warning")->toPlainText().toStdString(),
              gen_get_legal_warning_text());

    when_shown([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "About the host");
        child<QPushButton>(dialog, "ok")->click();
    });
    mdb_dyn_about_dlg(nullptr, "the host");
}

TEST_F(MdbSmallDialogs, FileNewOffersTheFramesDocumentTypesByCategory) {
    // sorted as text: upper case before lower case
    QStringList const design = {"AHDL File",          "Block Diagram/Schematic File",
                                "State Machine File", "SystemVerilog HDL File",
                                "Tcl Script File",    "VHDL File",
                                "Verilog HDL File"};
    QStringList const with_wizard = {"AHDL File",
                                     "Block Diagram/Schematic File",
                                     "State Machine File",
                                     "SystemVerilog HDL File",
                                     "Tcl Script File",
                                     "VHDL File",
                                     "Verilog HDL File",
                                     "VestaWizard Parameter File",
                                     "VestaWizard Variation File"};
    for (char const* editor : {"off", "on"}) {
        SCOPED_TRACE(editor);
        TEST_ENVIRONMENT vwpim("vwpim_editor", editor);
        MDB_FILE_NEW_DLG dialog(nullptr);
        EXPECT_EQ(dialog.windowTitle(), "New");
        auto all = rows(&dialog);
        ASSERT_EQ(all.size(), 5u);
        EXPECT_EQ(all[0], std::make_pair(QString("New Tessaly II Project"), QStringList()));
        EXPECT_EQ(all[1].first, "Design Files");
        EXPECT_EQ(all[1].second, std::string(editor) == "on" ? with_wizard : design);
        EXPECT_EQ(all[2], std::make_pair(QString("Memory Files"),
                                         QStringList{"Hexadecimal (Hex Record) File",
                                                     "Memory Initialization File"}));
        EXPECT_EQ(all[3].first, "Verification/Debugging Files");
        EXPECT_EQ(all[3].second.size(), 3);
        EXPECT_EQ(all[4], std::make_pair(QString("Software Files"), QStringList()));
        EXPECT_TRUE(dialog.new_project_chosen()); // the first row is selected
    }
}

TEST_F(MdbSmallDialogs, FileNewChoosesARowWithoutChildren) {
    MDB_FILE_NEW_DLG dialog(nullptr);
    auto* tree = child<QTreeWidget>(&dialog, "m_tree");
    auto* ok = child<QPushButton>(&dialog, "m_ok_button");
    EXPECT_TRUE(ok->isEnabled());
    tree->setCurrentItem(find_row(&dialog, "Design Files"));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(dialog.new_project_chosen());
    dialog.item_double_clicked(find_row(&dialog, "Design Files")); // a category: nothing
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    struct CASE {
        char const* row;
        char const* frame; // nullptr: nothing chosen
    } const cases[] = {
        {"VHDL File", "Text Editor: VHDL"},
        {"State Machine File", "State Machine Editor"}, // the earlier format's frame
        {"Software Files", nullptr},                    // an empty category
    };
    for (CASE const& c : cases) {
        tree->setCurrentItem(find_row(&dialog, c.row));
        EXPECT_TRUE(ok->isEnabled()) << c.row;
        dialog.item_double_clicked(tree->currentItem());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.new_project_chosen());
        if (c.frame == nullptr) {
            EXPECT_EQ(dialog.get_frame_info(), nullptr) << c.row;
        } else {
            ASSERT_NE(dialog.get_frame_info(), nullptr) << c.row;
            EXPECT_STREQ(dialog.get_frame_info()->name, c.frame);
        }
    }
}

TEST_F(MdbSmallDialogs, FileNewEntryPointAsksTheHost) {
    when_shown([](QDialog* dialog) { child<QPushButton>(dialog, "m_ok_button")->click(); });
    mdb_dyn_file_new_dlg(nullptr);
    ASSERT_EQ(QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests().size(), 1u);
    EXPECT_EQ(QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests()[0].operation, "new");

    bool detached = false;
    QUI_FRAME_MGR::get_frame_mgr()->set_new_handler(
        [&detached](QUI_FRAME_INFO const&, bool in_own_window) {
            detached = in_own_window;
            return true;
        });
    when_shown([](QDialog* dialog) {
        child<QTreeWidget>(dialog, "m_tree")->setCurrentItem(find_row(dialog, "Tcl Script File"));
        child<QPushButton>(dialog, "m_ok_button")->click();
    });
    QWidget other_window;
    mdb_dyn_file_new_dlg(&other_window);
    EXPECT_EQ(QUI_FRAME_MGR::get_frame_mgr()->created_frames(),
              std::vector<std::string>{"Text Editor: Tcl"});
    EXPECT_TRUE(detached); // asked from a window other than the main frame

    when_shown([](QDialog* dialog) { child<QPushButton>(dialog, "m_cancel_button")->click(); });
    mdb_dyn_file_new_dlg(nullptr);
    EXPECT_EQ(QUI_FRAME_MGR::get_frame_mgr()->created_frames().size(), 1u);
    EXPECT_EQ(QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests().size(), 1u);
    QUI_FRAME_MGR::get_frame_mgr()->set_new_handler(nullptr);
}

TEST_F(MdbSmallDialogs, ExportDatabaseAtItsSmallestShowsItsWholeDescription) {
    MDB_EXPORT_DB_DLG dialog("/work/export", nullptr);
    dialog.show();
    dialog.resize(1, 1); // as small as the window allows
    QApplication::processEvents();
    auto* label = child<QLabel>(&dialog, "descriptionLabel");
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
}

TEST_F(MdbSmallDialogs, ExportPromptCancelledOrAccepted) {
    MDB_EXPORT_DB_DLG dialog("/work/export", nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Export Database");
    auto* field = child<AFCQ_LINE_EDIT_BROWSE_BUTTON>(&dialog, "exportDirEdit");
    // The user starts in the field.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(QApplication::focusWidget(), field->line_edit());
    QPushButton* ok = child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok);
    EXPECT_EQ(field->text(), "/work/export");
    EXPECT_TRUE(ok->isEnabled());
    field->setText("");
    EXPECT_FALSE(ok->isEnabled());
    afcq_queue_file_answer("/chosen/dir");
    field->findChild<QToolButton*>()->click();
    EXPECT_EQ(field->text(), "/chosen/dir");
    EXPECT_TRUE(ok->isEnabled());
    std::string out = "kept";
    dialog.get_export_dir(QDialog::Rejected, &out);
    EXPECT_EQ(out, "kept");
    dialog.get_export_dir(QDialog::Accepted, nullptr);
    dialog.get_export_dir(QDialog::Accepted, &out);
    EXPECT_EQ(out, "/chosen/dir");

    std::string result = "the caller's";
    when_shown([](QDialog* shown) { press(shown, QDialogButtonBox::Cancel); });
    mdb_dyn_export_db_dlg(nullptr, "/proposed", &result);
    EXPECT_EQ(result, "the caller's");
    when_shown([](QDialog* shown) {
        shown->findChild<QLineEdit*>()->setText("/typed/export dir");
        press(shown, QDialogButtonBox::Ok);
    });
    mdb_dyn_export_db_dlg(nullptr, "/proposed", &result);
    EXPECT_EQ(result, "/typed/export dir");
}

} // namespace
