// The archive family of dialogs on a copy of the revision fixture: Archive
// Project, Advanced Archive Settings, Restore Archived Project and the
// Lumiform hand-off dialog.
#include "sys/mdb/mdb_archive_advanced_dlg.h"
#include "sys/mdb/mdb_archive_dlg.h"
#include "sys/mdb/mdb_archive_lm_handoff_dlg.h"
#include "sys/mdb/mdb_archive_progress.h"
#include "sys/mdb/mdb_archive_restore_dlg.h"

#include "suite/archive/afm_zip.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "tests/sys/mdb/mdb_test_project.h"

// After the settings headers: Tcl's own names would clash with theirs.
#include "suite/tclglue/atcl.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sys/stat.h>

#include <functional>
#include <map>

namespace {

class MdbArchiveDialogs : public MdbRevisionProject {
protected:
    void SetUp() override {
        MdbRevisionProject::SetUp();
        open_project();
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
    }
    static std::vector<std::string> finished_texts() {
        std::vector<std::string> texts;
        for (MSG_LOG_ENTRY const& entry : logged(296002)) {
            texts.push_back(entry.text);
        }
        return texts;
    }
};

TEST_F(MdbArchiveDialogs, ArchiveNameIsCompleted) {
    struct CASE {
        char const* typed;
        std::string completed;
    };
    std::vector<CASE> cases = {
        {"a", m_project + "/a.tsa"},         {"a.tsa", m_project + "/a.tsa"},
        {"a.TSA", m_project + "/a.TSA.tsa"}, {"sub/../b", m_project + "/b.tsa"},
        {"/tmp/x.tsa", "/tmp/x.tsa"},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(mdb_complete_archive_path(c.typed), c.completed) << c.typed;
    }
    MDB_ARCHIVE_DLG dialog(nullptr);
    EXPECT_EQ(dialog.archive_edit()->text(), "rev");
    auto* archive = child<QPushButton>(&dialog, "m_archive_button");
    dialog.archive_edit()->setText("");
    EXPECT_FALSE(archive->isEnabled());
    dialog.archive_edit()->setText("x");
    EXPECT_TRUE(archive->isEnabled());
}

// Each way the flow can end, with the text it reports and what is left on disk.
TEST_F(MdbArchiveDialogs, ArchiveOutcomes) {
    std::string archive = file("rev.tsa");
    {
        SCOPED_TRACE("success");
        MDB_ARCHIVE_DLG dialog(nullptr);
        dialog.archive_button_clicked();
        EXPECT_EQ(finished_texts(), std::vector<std::string>{MDB_ARCHIVE_SUCCEEDED_TEXT});
        std::vector<std::string> entries = afm_archive_entries(archive);
        EXPECT_EQ(entries.front(), "rev.tpf");
        EXPECT_FALSE(FIO_FILE_SYSTEM::exists(FIO_PATH(file(MDB_ARCHIVE_FILE_LIST_NAME))));
    }
    std::string first = test_read_file(archive);
    struct stat st;
    stat(archive.c_str(), &st);
    ino_t first_inode = st.st_ino;
    {
        SCOPED_TRACE("No to replacing keeps the dialog open and the file");
        msg_log_clear();
        msg_queue_answer(MSG_ANSWER_NO);
        MDB_ARCHIVE_DLG dialog(nullptr);
        dialog.archive_edit()->setText("rev");
        dialog.archive_button_clicked();
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(dialog.archive_edit()->text().toStdString(), archive);
        EXPECT_EQ(dialog.archive_edit()->line_edit()->selectedText().toStdString(), archive);
        EXPECT_TRUE(finished_texts().empty());
        EXPECT_EQ(test_read_file(archive), first);
    }
    {
        SCOPED_TRACE("a custom list naming a missing file: failed, old archive back");
        msg_log_clear();
        msg_queue_answer(MSG_ANSWER_YES);
        MDB_ARCHIVE_DLG dialog(nullptr);
        MDB_ADVANCED_ARCHIVE_DLG advanced(&dialog, QString());
        advanced.add_to_file_list("missing.v");
        advanced.remove_button(); // nothing selected: only turns the set custom
        advanced.accept();
        dialog.take_advanced_settings(advanced);
        dialog.archive_button_clicked();
        EXPECT_EQ(finished_texts(), std::vector<std::string>{MDB_ARCHIVE_FAILED_TEXT});
        EXPECT_EQ(test_read_file(archive), first);
        bool named = false;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            named = named || entry.text.find("missing.v") != std::string::npos;
        }
        EXPECT_TRUE(named);
        EXPECT_FALSE(FIO_FILE_SYSTEM::exists(FIO_PATH(file(MDB_ARCHIVE_FILE_LIST_NAME))));
    }
    {
        SCOPED_TRACE("analysis asked for: created, but partly");
        msg_log_clear();
        std::remove(file("top.map.summary").c_str());
        msg_queue_answer(MSG_ANSWER_YES); // replace
        msg_queue_answer(MSG_ANSWER_YES); // run analysis
        MDB_ARCHIVE_DLG dialog(nullptr);
        MDB_ADVANCED_ARCHIVE_DLG advanced(&dialog, QString());
        advanced.accept();
        dialog.take_advanced_settings(advanced);
        dialog.archive_button_clicked();
        EXPECT_EQ(finished_texts(), std::vector<std::string>{MDB_ARCHIVE_PARTLY_TEXT});
        EXPECT_EQ(logged(296000).size(), 1u) << "the elaboration question";
        struct stat now;
        stat(archive.c_str(), &now);
        EXPECT_NE(now.st_ino, first_inode) << "a new file, the old one gone";
    }
}

// The default Archive decides "elaboration needed" as the Advanced road does,
// for the file set the flow archives: it asks, and declined, an archive
// holding every file is a success.
TEST_F(MdbArchiveDialogs, DefaultAndAdvancedArchiveAskAboutElaborationAlike) {
    std::remove(file("top.map.summary").c_str());
    for (bool advanced : {false, true}) {
        SCOPED_TRACE(advanced ? "advanced" : "default");
        msg_log_clear();
        std::remove(file("rev.tsa").c_str());
        msg_queue_answer(MSG_ANSWER_NO); // no elaboration
        MDB_ARCHIVE_DLG dialog(nullptr);
        if (advanced) {
            MDB_ADVANCED_ARCHIVE_DLG settings(&dialog, QString());
            settings.accept();
            dialog.take_advanced_settings(settings);
        }
        dialog.archive_button_clicked();
        EXPECT_EQ(logged(296000).size(), 1u) << "the elaboration question";
        EXPECT_EQ(finished_texts(), std::vector<std::string>{MDB_ARCHIVE_SUCCEEDED_TEXT});
        EXPECT_EQ(afm_archive_entries(file("rev.tsa")).front(), "rev.tpf");
    }
}

// The old archive keeps its name while the questions of an Archive are on
// screen and until the new archive replaces it: a kill or a lost display in
// between leaves it where the user knows it.
TEST_F(MdbArchiveDialogs, TheOldArchiveKeepsItsNameWhileQuestionsAreAsked) {
    std::string archive = file("rev.tsa");
    test_write_file(archive, "old archive");
    std::remove(file("top.map.summary").c_str());
    std::vector<bool> present;
    msg_set_question_handler([&](MSG_BASE const&) {
        present.push_back(test_read_file(archive) == "old archive");
        // Yes to replacing it, no to the elaboration.
        return present.size() == 1 ? MSG_ANSWER_YES : MSG_ANSWER_NO;
    });
    MDB_ARCHIVE_DLG dialog(nullptr);
    dialog.archive_button_clicked();
    msg_set_question_handler(nullptr);
    EXPECT_EQ(present, (std::vector<bool>{true, true})) << "replace?, elaboration?";
    EXPECT_EQ(finished_texts(), std::vector<std::string>{MDB_ARCHIVE_SUCCEEDED_TEXT});
    EXPECT_EQ(afm_archive_entries(archive).front(), "rev.tpf");
    for (auto const& entry : std::filesystem::directory_iterator(m_project)) {
        EXPECT_EQ(entry.path().filename().string().find(".aside."), std::string::npos)
            << entry.path();
    }
}

TEST_F(MdbArchiveDialogs, AdvancedTotalsAndListFile) {
    test_write_file(file("ten.v"), "0123456789");
    test_write_file(file("big.v"), std::string(3000, 'x'));
    MDB_ADVANCED_ARCHIVE_DLG dialog(nullptr, QString());
    EXPECT_EQ(dialog.get_file_set_id(), "basic");
    int listed = dialog.file_list_model()->rowCount();
    uint64_t before = dialog.total_bytes();
    dialog.add_to_file_list("ten.v");
    dialog.add_to_file_list("big.v");
    EXPECT_EQ(dialog.total_bytes(), before + 1024 + 3000);
    // Removal takes off what was counted, even when the file changed since.
    test_write_file(file("big.v"), "small");
    auto* view = child<QTreeView>(&dialog, "m_file_list_view");
    view->selectionModel()->select(dialog.file_list_model()->index(listed + 1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->select(dialog.file_list_model()->index(listed, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dialog.remove_button();
    EXPECT_EQ(dialog.total_bytes(), before);
    EXPECT_TRUE(dialog.is_custom_file_set());
    EXPECT_EQ(dialog.get_file_set_id(), "custom");
    EXPECT_EQ(dialog.file_list_model()->rowCount(), listed);

    // An unwritable list file: the message, and the dialog stays open.
    std::filesystem::create_directory(file(MDB_ARCHIVE_FILE_LIST_NAME));
    dialog.accept();
    EXPECT_EQ(logged(296052).size(), 1u);
    EXPECT_EQ(dialog.result(), 0);
    std::filesystem::remove(file(MDB_ARCHIVE_FILE_LIST_NAME));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    std::string list = test_read_file(file(MDB_ARCHIVE_FILE_LIST_NAME));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), listed);
    EXPECT_EQ(list.rfind("rev.tpf\n", 0), 0u);
}

TEST_F(MdbArchiveDialogs, EveryWayOutAfterAdvancedLeavesTheProjectFolderAsItWas) {
    struct CASE {
        char const* way;
        std::function<void(MDB_ARCHIVE_DLG*)> leave;
    } const cases[] = {
        {"Escape", [](MDB_ARCHIVE_DLG* d) { QTest::keyClick(d, Qt::Key_Escape); }},
        {"close button", [](MDB_ARCHIVE_DLG* d) { d->close(); }},
        {"Cancel", [](MDB_ARCHIVE_DLG* d) { child<QPushButton>(d, "m_cancel_button")->click(); }},
    };
    SNAPSHOT before = snapshot();
    for (CASE const& c : cases) {
        MDB_ARCHIVE_DLG dialog(nullptr);
        dialog.show();
        when_shown([](QDialog* advanced) { child<QPushButton>(advanced, "m_ok_button")->click(); });
        dialog.advanced_button_clicked();
        ASSERT_TRUE(std::filesystem::exists(file(MDB_ARCHIVE_FILE_LIST_NAME))) << c.way;
        c.leave(&dialog);
        EXPECT_FALSE(dialog.isVisible()) << c.way;
        EXPECT_EQ(snapshot(), before) << c.way;
    }
}

TEST_F(MdbArchiveDialogs, RestorePresetsAndRun) {
    std::string archive = file("rev.tsa");
    std::string error;
    ASSERT_TRUE(afm_write_archive(archive, m_project, {"rev.tpf", "top.tsf"}, "", &error)) << error;
    {
        MDB_RESTORE_ARCHIVE_DLG dialog(nullptr, QString());
        EXPECT_EQ(dialog.archive_edit()->text().toStdString(), archive)
            << "the project's own archive";
        EXPECT_EQ(dialog.destination_edit()->text().toStdString(), file("rev_restored"));
        dialog.archive_edit()->setText("");
        EXPECT_EQ(dialog.destination_edit()->text(), "");
        EXPECT_FALSE(child<QPushButton>(&dialog, "m_ok_button")->isEnabled());
    }
    {
        SCOPED_TRACE("a missing archive keeps the dialog open");
        MDB_RESTORE_ARCHIVE_DLG dialog(nullptr, "nothere");
        dialog.accept();
        EXPECT_EQ(logged(296003).size(), 1u);
        EXPECT_EQ(dialog.archive_edit()->text().toStdString(), file("nothere.tsa"));
        EXPECT_EQ(dialog.result(), 0);
    }
    {
        SCOPED_TRACE("typed without extension, restored and opened");
        MDB_RESTORE_ARCHIVE_DLG dialog(nullptr, "rev");
        dialog.destination_edit()->setText(QString::fromStdString(m_workspace.path("out")));
        dialog.accept();
        EXPECT_EQ(test_read_file(m_workspace.path("out/top.tsf")), test_read_file(file("top.tsf")));
        auto const& requests = QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].project_file, m_workspace.path("out/rev.tpf"));
    }
    {
        SCOPED_TRACE("-no_overwrite refuses an existing file: nothing changes, nothing opens");
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
        test_write_file(m_workspace.path("out/top.tsf"), "mine\n");
        MDB_RESTORE_ARCHIVE_DLG dialog(nullptr, QString::fromStdString(archive));
        dialog.destination_edit()->setText(QString::fromStdString(m_workspace.path("out/")));
        dialog.accept();
        EXPECT_EQ(test_read_file(m_workspace.path("out/top.tsf")), "mine\n");
        EXPECT_TRUE(QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests().empty());
        child<QCheckBox>(&dialog, "m_overwrite_check")->setChecked(true);
        dialog.accept();
        EXPECT_EQ(test_read_file(m_workspace.path("out/top.tsf")), test_read_file(file("top.tsf")));
    }
    EXPECT_TRUE(logged(296060).empty()) << "writable folders raise no question";
}

TEST_F(MdbArchiveDialogs, HandoffModes) {
    struct CASE {
        bool restricted;
        char const* typed_password;
        bool ok_enabled_at_start;
        bool password_visible;
    };
    for (CASE const& c : std::vector<CASE>{{false, "", true, false}, {true, "pw", false, true}}) {
        SCOPED_TRACE(c.restricted ? "restricted" : "unrestricted");
        std::string name;
        std::string password = "unchanged";
        bool include = false;
        when_shown([&](QDialog* dialog) {
            auto* box = child<QDialogButtonBox>(dialog, "m_button_box");
            auto* edit = child<QLineEdit>(dialog, "m_encryp_pwd");
            EXPECT_EQ(child<QLineEdit>(dialog, "m_handoff_name")->text(), "rev_handoff.tsa");
            EXPECT_EQ(box->button(QDialogButtonBox::Ok)->isEnabled(), c.ok_enabled_at_start);
            EXPECT_EQ(edit->isVisible(), c.password_visible);
            edit->setText(c.typed_password);
            if (c.restricted) {
                EXPECT_TRUE(box->button(QDialogButtonBox::Ok)->isEnabled());
                edit->setText("");
                EXPECT_FALSE(box->button(QDialogButtonBox::Ok)->isEnabled());
                edit->setText(c.typed_password);
            }
            box->button(QDialogButtonBox::Ok)->click();
        });
        EXPECT_TRUE(
            mdb_dyn_get_archive_password(nullptr, &name, &password, &include, c.restricted));
        EXPECT_EQ(name, "rev_handoff.tsa");
        EXPECT_EQ(password, c.typed_password);
        EXPECT_TRUE(include);
    }
    // Cancel writes nothing; browsing adds the archive extension.
    std::string name = "given.tsa";
    std::string password = "kept";
    afcq_queue_file_answer("/tmp/other.zip");
    when_shown([](QDialog* dialog) {
        child<QPushButton>(dialog, "m_file_browse")->click();
        EXPECT_EQ(child<QLineEdit>(dialog, "m_handoff_name")->text(), "/tmp/other.zip.tsa");
        child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(mdb_dyn_get_archive_password(nullptr, &name, &password, nullptr, true));
    EXPECT_EQ(name, "given.tsa");
    EXPECT_EQ(password, "kept");
}

// The password reaches the archive and nothing else: no message, trace or
// other file, even with debug traces on.
TEST_F(MdbArchiveDialogs, PasswordReachesOnlyItsArchive) {
    std::string const secret = "Tr0ub4dor&3-secret";
    setenv("TESSALY_DEBUG", "1", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::string name = file("handoff.tsa");
    std::string password;
    bool include = false;
    when_shown([&](QDialog* dialog) {
        child<QLineEdit>(dialog, "m_encryp_pwd")->setText(QString::fromStdString(secret));
        child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Ok)->click();
    });
    bool accepted = mdb_dyn_get_archive_password(nullptr, &name, &password, &include, true);
    std::string error;
    bool written = afm_write_archive(name, m_project, {"rev.tpf", "top.tsf"}, password, &error);
    std::string output = testing::internal::GetCapturedStdout();
    output += testing::internal::GetCapturedStderr();
    unsetenv("TESSALY_DEBUG");
    ASSERT_TRUE(accepted);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(password, secret);
    EXPECT_EQ(output.find(secret), std::string::npos) << output;
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        EXPECT_EQ(entry.text.find(secret), std::string::npos) << entry.text;
    }
    for (auto const& entry : std::filesystem::recursive_directory_iterator(m_workspace.dir())) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(test_read_file(entry.path().string()).find(secret), std::string::npos)
                << entry.path();
        }
    }
    EXPECT_FALSE(afm_restore_archive(name, m_workspace.path("out"), false, &error))
        << "encrypted: the plain restore cannot read it";
}

// The archive dialogs on a project whose archive takes seconds.
class MdbLargeArchiveDialogs : public MdbArchiveDialogs {
protected:
    std::string fixture() const override { return mdb_large_rev_fixture(); }
    void SetUp() override {
        MdbArchiveDialogs::SetUp();
        // The archive saves the open settings first; saved here already, a
        // cancelled archive has to leave the project exactly as it is.
        ASSERT_EQ(atcl_eval_words(atcl_get_interpreter(), {"export_assignments"}), TCL_OK);
    }

    // Once the progress dialog shows the work under way, notes its title and
    // counts and stops the work with `stop` (a click on Cancel).
    [[nodiscard]] std::unique_ptr<QTimer> stop_when_progress_shows(
        QString const& verb, std::function<void(QProgressDialog*)> stop) {
        m_title.clear();
        return when_progress_shows(verb, [this, stop](QProgressDialog* progress, int done, int all) {
            m_title = progress->windowTitle();
            m_done = done;
            m_all = all;
            stop(progress);
        });
    }
    static void click_cancel(QProgressDialog* progress) {
        progress->findChild<QPushButton*>()->click();
    }
    // Every file below a folder, with its content.
    static std::map<std::string, std::string> files_below(std::string const& folder) {
        std::map<std::string, std::string> files;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             !error && it != std::filesystem::recursive_directory_iterator(); ++it) {
            files[it->path().string()] = it->is_regular_file() ? test_read_file(it->path()) : "/";
        }
        return files;
    }

    QString m_title;
    int m_done = 0;
    int m_all = 0;
};

TEST_F(MdbLargeArchiveDialogs, CancelInTheArchiveProgressLeavesTheOldArchiveAndNothingElse) {
    std::string archive = file("rev.tsa");
    test_write_file(archive, "old archive");
    SNAPSHOT before = snapshot();
    std::unique_ptr<QTimer> watch = stop_when_progress_shows("Archiving", click_cancel);
    msg_queue_answer(MSG_ANSWER_YES); // replace the old archive
    MDB_ARCHIVE_DLG dialog(nullptr);
    dialog.archive_button_clicked();
    EXPECT_EQ(m_title, "Archive Project");
    EXPECT_GT(m_all, 1500) << "every file of the project";
    EXPECT_LT(m_done, m_all) << "stopped before the end";
    EXPECT_EQ(snapshot(), before) << "the old archive byte for byte, no temporary, no list";
    ASSERT_EQ(logged(296072).size(), 1u);
    EXPECT_EQ(logged(296072)[0].text, "Archive cancelled. File " + archive +
                                          " was not created or changed.");
    EXPECT_TRUE(finished_texts().empty());
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        EXPECT_NE(entry.severity, 'E') << entry.text;
    }
}

TEST_F(MdbLargeArchiveDialogs, CancelInTheRestoreProgressLeavesTheDestinationAsItWas) {
    std::string archive = m_workspace.path("large.tsa");
    Tcl_Interp* interp = atcl_get_interpreter();
    ASSERT_EQ(atcl_eval_words(interp, {"project_archive", archive}), TCL_OK)
        << Tcl_GetStringResult(interp);
    std::string destination = m_workspace.path("large_restored");
    // A restore writes fast enough to end before the usual delay; shown at once,
    // the dialog is there to be cancelled whatever the machine's speed.
    MDB_ARCHIVE_PROGRESS::set_show_after_ms(0);
    std::shared_ptr<void> usual_delay(nullptr,
                                      [](void*) { MDB_ARCHIVE_PROGRESS::set_show_after_ms(500); });
    for (bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "into a folder with files" : "into a new folder");
        msg_log_clear();
        if (existing) {
            std::filesystem::create_directories(destination + "/hdl");
            test_write_file(destination + "/hdl/part7.v", "mine\n");
            test_write_file(destination + "/notes.txt", "notes\n");
        }
        std::map<std::string, std::string> before = files_below(m_workspace.dir());
        std::unique_ptr<QTimer> watch = stop_when_progress_shows("Restoring", click_cancel);
        MDB_RESTORE_ARCHIVE_DLG dialog(nullptr, QString::fromStdString(archive));
        EXPECT_EQ(dialog.destination_edit()->text().toStdString(), destination);
        child<QCheckBox>(&dialog, "m_overwrite_check")->setChecked(true);
        dialog.accept();
        ASSERT_EQ(m_title, "Restore Archived Project") << "the progress showed";
        EXPECT_GT(m_all, 1500) << "every entry of the archive";
        EXPECT_LT(m_done, m_all) << "stopped before the end";
        EXPECT_EQ(files_below(m_workspace.dir()), before) << "no staging folder, no new folder";
        ASSERT_EQ(logged(296073).size(), 1u);
        EXPECT_EQ(logged(296073)[0].text, "Restore cancelled. Nothing was restored into " +
                                              destination + "/");
        EXPECT_TRUE(QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests().empty()) << "nothing opened";
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            EXPECT_NE(entry.severity, 'E') << entry.text;
        }
    }
}

} // namespace
