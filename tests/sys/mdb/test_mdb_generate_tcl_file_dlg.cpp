// The Generate Tcl File dialog on a copy of the generator fixture: the name
// it proposes and the names it makes of what is typed, the overwrite
// question, its preferences, and what it does with each result of the
// generator.
#include "sys/mdb/mdb_generate_tcl_file_dlg.h"

#include "suite/gui/cfgq.h"

#include "tests/support/test_preferences.h"
#include "tests/sys/mdb/mdb_gtf_test_project.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>

namespace {

class MdbGenerateTclFileDlg : public MdbOpenGtfProject {
protected:
    static QLineEdit* name_edit(QDialog* dialog) {
        return dialog->findChild<QLineEdit*>("m_filename_text");
    }
    static QCheckBox* check_box(QDialog* dialog, char const* name) {
        return dialog->findChild<QCheckBox*>(name);
    }
    // Types a name and presses OK; whether the dialog closed.
    static bool ok_with(MDB_GENERATE_TCL_FILE_DLG* dialog, std::string const& name) {
        name_edit(dialog)->setText(QString::fromStdString(name));
        dialog->setResult(QDialog::Rejected);
        dialog->on_ok();
        return dialog->result() == QDialog::Accepted;
    }
    bool is_script(std::string const& path) const {
        return test_read_file(path).find("export_assignments") != std::string::npos;
    }

    TEST_PREFERENCES m_preferences;
};

TEST_F(MdbGenerateTclFileDlg, ProposesTheProjectsScriptName) {
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Generate Tcl File for Project");
    EXPECT_EQ(name_edit(&dialog)->text().toStdString(), file("gtf.tcl"));
    EXPECT_TRUE(check_box(&dialog, "m_open_ck")->isChecked());
    EXPECT_FALSE(check_box(&dialog, "m_include_ck")->isChecked());
}

// The proposed path is shown whole, from its first character.
TEST_F(MdbGenerateTclFileDlg, ShowsTheWholePath) {
    ACF_MANAGER::get_acf_manager()->close_project(false);
    std::string deeper = m_workspace.path("board designs/rev B/gtf");
    std::filesystem::create_directories(deeper);
    std::filesystem::rename(m_project, deeper);
    m_project = deeper;
    open_project();
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    dialog.show();
    QLineEdit* edit = name_edit(&dialog);
    EXPECT_EQ(edit->text().toStdString(), file("gtf.tcl"));
    EXPECT_GT(edit->width(), QFontMetrics(edit->font()).horizontalAdvance(edit->text()) + 4);
    EXPECT_EQ(edit->cursorPosition(), 0);
}

TEST_F(MdbGenerateTclFileDlg, TypedNamesBecomeScriptPaths) {
    std::filesystem::create_directory(m_workspace.path("elsewhere"));
    struct CASE {
        std::string typed;
        std::string written;
    } const cases[] = {
        {"script", file("script.tcl")},
        {"sub/dir/other.txt", file("other.tcl")}, // the typed folder is dropped
        {"  ", file("  .tcl")},                   // blanks are a name
        {m_workspace.path("elsewhere/kept.script"), m_workspace.path("elsewhere/kept.script")},
        {"after", m_workspace.path("elsewhere/after.tcl")}, // in the last absolute one's folder
    };
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    check_box(&dialog, "m_open_ck")->click();
    for (CASE const& c : cases) {
        EXPECT_TRUE(ok_with(&dialog, c.typed)) << c.typed;
        EXPECT_EQ(dialog.output_path().full_path(), c.written) << c.typed;
        EXPECT_TRUE(is_script(c.written)) << c.typed;
    }
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST_F(MdbGenerateTclFileDlg, AnEmptyNameOrANoToOverwritingKeepsTheDialogOpen) {
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    EXPECT_FALSE(ok_with(&dialog, ""));
    ASSERT_EQ(logged(296049).size(), 1u);
    EXPECT_EQ(logged(296049).front().text, "Type a Tcl Script File name");

    test_write_file(file("mine.tcl"), "mine\n");
    msg_queue_answer(MSG_ANSWER_NO);
    EXPECT_FALSE(ok_with(&dialog, "mine"));
    ASSERT_EQ(logged(296050).size(), 1u);
    EXPECT_EQ(logged(296050).front().text,
              "File " + file("mine.tcl") + " already exists. Do you want to overwrite it?");
    EXPECT_EQ(test_read_file(file("mine.tcl")), "mine\n");
    EXPECT_EQ(name_edit(&dialog)->text(), "mine");

    msg_queue_answer(MSG_ANSWER_YES);
    EXPECT_TRUE(ok_with(&dialog, "mine"));
    EXPECT_TRUE(is_script(file("mine.tcl")));
}

TEST_F(MdbGenerateTclFileDlg, OptionsAreKeptAfterASuccessfulRunOnly) {
    {
        MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
        check_box(&dialog, "m_open_ck")->click();
        check_box(&dialog, "m_include_ck")->click();
        dialog.reject();
    }
    EXPECT_FALSE(std::filesystem::exists(m_preferences.file()));
    {
        MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
        check_box(&dialog, "m_open_ck")->click();
        check_box(&dialog, "m_include_ck")->click();
        ASSERT_TRUE(ok_with(&dialog, "with_defaults"));
        EXPECT_NE(test_read_file(file("with_defaults.tcl")).find("# Including default"),
                  std::string::npos);
    }
    CFGQ_REGISTRY_KEY key(38);
    EXPECT_EQ(key.get_value(CFGQ_GTFQ_OPEN_GENERATED_FILE_STR).toInt(), 0);
    EXPECT_EQ(key.get_value("GTF_include_default_assignments").toInt(), 1);
    MDB_GENERATE_TCL_FILE_DLG next(nullptr);
    EXPECT_FALSE(check_box(&next, "m_open_ck")->isChecked());
    EXPECT_TRUE(check_box(&next, "m_include_ck")->isChecked());
}

TEST_F(MdbGenerateTclFileDlg, EachResultOfTheGenerator) {
    QUI_FRAME_MGR* frames = QUI_FRAME_MGR::get_frame_mgr();
    size_t opened = frames->opened_files().size();
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    // Written: closed, and the script is opened in the host.
    EXPECT_TRUE(ok_with(&dialog, "gtf"));
    ASSERT_EQ(frames->opened_files().size(), opened + 1);
    EXPECT_EQ(frames->opened_files().back(), file("gtf.tcl"));

    // Not writable: a message naming it.
    std::string const missing = m_workspace.path("missing/x.tcl");
    EXPECT_FALSE(ok_with(&dialog, missing));
    ASSERT_EQ(logged(296052).size(), 1u);
    EXPECT_EQ(logged(296052).front().text, "Can't create or overwrite file " + missing);

    // The settings locked: a message, and the user's file stays.
    test_write_file(file("mine.tcl"), "mine\n");
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->write_lock(false));
    msg_queue_answer(MSG_ANSWER_YES);
    EXPECT_FALSE(ok_with(&dialog, file("mine.tcl")));
    manager->write_unlock(false);
    EXPECT_EQ(logged(296051).size(), 1u);
    EXPECT_EQ(test_read_file(file("mine.tcl")), "mine\n");
    EXPECT_EQ(frames->opened_files().size(), opened + 1);
}

TEST_F(MdbGenerateTclFileDlg, TheBrowseButtonPutsTheChosenPathInTheName) {
    MDB_GENERATE_TCL_FILE_DLG dialog(nullptr);
    afcq_queue_file_answer(QString::fromStdString(m_workspace.path("picked.tcl")));
    dialog.findChild<QPushButton*>("m_select_file")->click();
    EXPECT_EQ(name_edit(&dialog)->text().toStdString(), m_workspace.path("picked.tcl"));
    dialog.on_select_file_dir(); // cancelled: nothing changes
    EXPECT_EQ(name_edit(&dialog)->text().toStdString(), m_workspace.path("picked.tcl"));
}

} // namespace
