// Copy Project over copies of the revision fixture: the dialog's proposal, its
// OK rule and questions, and a table of copies, each checked for the copy's
// files, the rename, what the host was asked to open and an unchanged source.
#include "sys/mdb/mdb_copy_project.h"
#include "sys/mdb/mdb_copy_project_dlg.h"

#include "suite/gui/qui_prj_ui_mgr.h"
#include "sys/mdb/mdb.h"
#include "tests/support/test_named_files.h"
#include "tests/sys/mdb/mdb_test_project.h"

// After the settings headers: Tcl's own names would clash with theirs.
#include "suite/tclglue/atcl.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <functional>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class MdbCopyProject : public MdbRevisionProject {
protected:
    void SetUp() override {
        MdbRevisionProject::SetUp();
        open_project();
        // The archive saves the open settings first; saved here already, a
        // copy has to leave the source exactly as it is.
        ASSERT_EQ(atcl_eval_words(atcl_get_interpreter(), {"export_assignments"}), TCL_OK);
        QUI_PRJ_UI_MGR* host = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
        host->clear_requests();
        host->set_project_query([](std::string* directory, std::string* name) {
            ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
            *directory = manager->get_project_path();
            *name = manager->get_project_name();
            return manager->is_project_open();
        });
        m_outside = m_workspace.path("outside");
        fs::create_directories(m_outside);
    }
    void TearDown() override {
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_project_query(nullptr);
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
        MdbRevisionProject::TearDown();
    }

    // Every file under a folder, by its path inside it, with its content.
    static std::map<std::string, std::string> contents(std::string const& dir) {
        std::map<std::string, std::string> files;
        for (auto const& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files[fs::relative(entry.path(), dir).string()] =
                    test_read_file(entry.path().string());
            }
        }
        return files;
    }
    static std::vector<QUI_PRJ_UI_MGR::REQUEST> host_requests() {
        return QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests();
    }

    std::string m_outside;
};

TEST_F(MdbCopyProject, ProposesTheProjectBesideItselfAndNeedsBothTexts) {
    MDB_COPY_PROJECT_DLG dialog(nullptr);
    dialog.on_init_dialog();
    auto* destination = child<QLineEdit>(&dialog, "m_dest_dir");
    auto* name = child<QLineEdit>(&dialog, "m_project_text");
    QPushButton* ok =
        child<QDialogButtonBox>(&dialog, "m_button_box")->button(QDialogButtonBox::Ok);
    EXPECT_EQ(destination->text().toStdString(), m_project + "_copy/");
    EXPECT_EQ(name->text(), "rev");
    EXPECT_EQ(dialog.get_destination(), destination->text());
    EXPECT_TRUE(ok->isEnabled());
    name->clear();
    EXPECT_FALSE(ok->isEnabled());
    name->setText("n");
    destination->clear();
    EXPECT_FALSE(ok->isEnabled());
    destination->setText("d");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(dialog.get_open_new());
    child<QCheckBox>(&dialog, "m_open_new_ck")->click();
    EXPECT_FALSE(dialog.get_open_new());

    afcq_queue_file_answer(QString::fromStdString(m_outside));
    dialog.on_browse_dir();
    EXPECT_EQ(destination->text().toStdString(), m_outside);
    dialog.on_browse_dir(); // cancelled: the text stays
    EXPECT_EQ(destination->text().toStdString(), m_outside);
}

TEST_F(MdbCopyProject, OkAsksBeforeCreatingOrCopyingOverAProjectAndOnlyYesAgrees) {
    fs::create_directories(m_outside + "/with_files");
    test_write_file(m_outside + "/with_files/notes.txt", "n\n");
    fs::create_directories(m_outside + "/with_project");
    test_write_file(m_outside + "/with_project/other.tpf", "");
    struct CASE {
        std::string destination;
        std::vector<int> answers;
        unsigned question; // 0: none
        bool accepted;
        bool overwrite;
    } const cases[] = {
        {m_outside + "/missing", {MSG_ANSWER_NO}, 296046, false, false},
        {m_outside + "/missing", {}, 296046, false, false}, // closed unanswered: No
        {m_outside + "/missing", {MSG_ANSWER_YES}, 296046, true, false},
        {m_outside + "/with_files", {}, 0, true, false},
        {m_outside + "/with_project", {MSG_ANSWER_NO}, 296047, false, false},
        {m_outside + "/with_project", {MSG_ANSWER_YES}, 296047, true, true},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        for (int answer : c.answers) {
            msg_queue_answer(answer);
        }
        MDB_COPY_PROJECT_DLG dialog(nullptr);
        dialog.on_init_dialog();
        child<QLineEdit>(&dialog, "m_dest_dir")->setText(QString::fromStdString(c.destination));
        dialog.on_ok();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.destination;
        EXPECT_EQ(dialog.get_overwrite(), c.overwrite) << c.destination;
        EXPECT_EQ(logged(296046).size() + logged(296047).size(), c.question != 0 ? 1u : 0u);
        if (c.question != 0) {
            EXPECT_EQ(logged(c.question).size(), 1u) << c.destination;
        }
    }
    EXPECT_FALSE(fs::exists(m_outside + "/missing")); // asking creates nothing
}

TEST_F(MdbCopyProject, IllegalNewNamesAreRefusedAndTheDialogStaysOpen) {
    for (char const* name : {".", "..", "a/b", "a\\b", "a;b", "a'b", "a*b", "a|b"}) {
        msg_log_clear();
        MDB_COPY_PROJECT_DLG dialog(nullptr);
        dialog.on_init_dialog();
        child<QLineEdit>(&dialog, "m_project_text")->setText(name);
        dialog.on_ok();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << name;
        ASSERT_EQ(logged(125087).size(), 1u) << name;
        EXPECT_NE(logged(125087)[0].text.find("^&?*|<>;'"), std::string::npos);
    }
    for (char const* name : {"rev", "new name", "a$b", "a[x]", "a\"b", "a.b"}) {
        EXPECT_TRUE(mdb_is_legal_project_name(name)) << name;
    }
}

TEST_F(MdbCopyProject, TableOfCopies) {
    std::map<std::string, std::string> source = contents(m_project);
    fs::create_directories(m_outside + "/unrelated");
    test_write_file(m_outside + "/unrelated/notes.txt", "mine\n");
    fs::create_directory_symlink(m_project, m_outside + "/link");
    std::string backslashed = m_outside + "/back";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');

    struct CASE {
        std::string destination;
        std::string new_name;
        bool copied;
        unsigned message; // the one notice expected, 0 for none
    } const cases[] = {
        {m_outside + "/renamed", "copy1", true, 0},
        {m_outside + "/same", "rev", true, 0},
        {m_outside + "/with blank", "with blank", true, 0},
        {m_outside + "/quo\"te", "quo\"te", true, 0},
        {m_outside + "/dollar$x", "a$b", true, 0},
        {m_outside + "/br[x]", "b[x]", true, 0},
        {backslashed, "back", true, 0},
        {m_outside + "/unrelated", "kept", true, 0},
        {m_project + "/", "other", false, 296048},
        {m_project + "/no_such/..", "other", false, 296048},
        {m_outside + "/link", "other", false, 296048},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.destination);
        msg_log_clear();
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
        std::string before_dir = fs::current_path().string();
        MDB_COPY_PROJECT_REQUEST request{c.destination, c.new_name, true, false};
        EXPECT_EQ(mdb_copy_project(request), c.copied);
        EXPECT_EQ(fs::current_path().string(), before_dir);
        EXPECT_EQ(contents(m_project), source); // the source tree is untouched
        EXPECT_FALSE(fs::exists(file("rev_tmp_archive.tsa")));
        std::vector<MSG_LOG_ENTRY> notices;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            if (entry.severity == 'O' || entry.severity == 'E') {
                notices.push_back(entry);
            }
        }
        ASSERT_EQ(notices.size(), c.message != 0 ? 1u : 0u) << notices.front().text;
        if (!c.copied) {
            EXPECT_EQ(notices[0].id, c.message);
            EXPECT_TRUE(host_requests().empty());
            continue;
        }
        std::string destination = reverse_slash(c.destination);
        std::map<std::string, std::string> copy = contents(destination);
        std::string new_file = c.new_name + ".tpf";
        ASSERT_EQ(copy.count(new_file), 1u);
        EXPECT_EQ(copy[new_file], source["rev.tpf"]);
        EXPECT_EQ(copy.count("rev.tpf"), c.new_name == "rev" ? 1u : 0u);
        for (auto const& [path, content] : copy) {
            if (path == new_file || path == "notes.txt") {
                continue;
            }
            ASSERT_EQ(source.count(path), 1u) << path;
            EXPECT_EQ(content, source[path]) << path; // byte-identical
        }
        EXPECT_EQ(copy.count("top.tsf") + copy.count("fast.tsf"), 2u);
        if (destination == m_outside + "/unrelated") {
            EXPECT_EQ(copy["notes.txt"], "mine\n");
        }
        auto requests = host_requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].operation, "close");
        EXPECT_EQ(requests[1].operation, "open");
        EXPECT_EQ(requests[1].project_file, destination + "/" + new_file);
        EXPECT_EQ(requests[1].revision, "");
    }
}

// A copy holds every file that the settings name, in every form of naming
// one, byte-identical where the copy's settings look for it.
TEST_F(MdbCopyProject, TheCopyHoldsEveryFileTheSettingsName) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    manager->close_project(false);
    manager->free_cached_storage();
    std::vector<TEST_NAMED_FILE> forms = test_named_file_forms(m_project, m_outside);
    test_write_named_files(m_project, file("top.tsf"), forms);
    // A revision other than the open one names its files too.
    TEST_NAMED_FILE other = {"of another revision",
                             "set_global_assignment -name VERILOG_FILE \"fast only/f.v\"",
                             "fast only/f.v", "fast only/f.v"};
    test_write_named_files(m_project, file("fast.tsf"), {other});
    forms.push_back(other);
    open_project();
    ASSERT_EQ(atcl_eval_words(atcl_get_interpreter(), {"export_assignments"}), TCL_OK);

    std::string destination = m_outside + "/copy";
    MDB_COPY_PROJECT_REQUEST request{destination, "copy", false, false};
    ASSERT_TRUE(mdb_copy_project(request));
    for (TEST_NAMED_FILE const& form : forms) {
        EXPECT_EQ(test_read_file(destination + "/" + form.arrives), "// " + form.form + "\n")
            << form.form;
    }
}

TEST_F(MdbCopyProject, AnExistingFileOfTheCopyStopsTheRestoreUnlessAgreed) {
    std::string destination = m_outside + "/existing";
    fs::create_directories(destination);
    test_write_file(destination + "/top.tsf", "the user's own\n");
    test_write_file(destination + "/old.tpf", "another project\n");
    std::map<std::string, std::string> source = contents(m_project);

    MDB_COPY_PROJECT_REQUEST request{destination, "copy2", true, false};
    EXPECT_FALSE(mdb_copy_project(request));
    ASSERT_EQ(logged(296024).size(), 1u); // the restore's Tcl error
    EXPECT_NE(logged(296024)[0].text.find("top.tsf"), std::string::npos);
    EXPECT_EQ(test_read_file(destination + "/top.tsf"), "the user's own\n");
    EXPECT_EQ(contents(destination).size(), 2u); // nothing added, nothing renamed
    EXPECT_TRUE(host_requests().empty());        // the current project stays open
    EXPECT_FALSE(fs::exists(file("rev_tmp_archive.tsa")));
    EXPECT_EQ(contents(m_project), source);

    request.overwrite = true;
    request.open_new = false;
    EXPECT_TRUE(mdb_copy_project(request));
    EXPECT_EQ(test_read_file(destination + "/top.tsf"), source["top.tsf"]);
    EXPECT_EQ(test_read_file(destination + "/copy2.tpf"), source["rev.tpf"]);
    EXPECT_EQ(test_read_file(destination + "/old.tpf"), "another project\n");
    EXPECT_TRUE(host_requests().empty()); // not asked to open the copy
}

TEST_F(MdbCopyProject, AFailedArchiveStopsTheCopyAndLeavesNoArchive) {
    // A stale temporary archive from an earlier run that cannot be replaced:
    // a folder of that name.
    fs::create_directories(file("rev_tmp_archive.tsa/inside"));
    std::string destination = m_outside + "/never";
    MDB_COPY_PROJECT_REQUEST request{destination, "n", true, false};
    EXPECT_FALSE(mdb_copy_project(request));
    EXPECT_EQ(logged(296024).size(), 1u);
    EXPECT_FALSE(fs::exists(destination)) << "the folder the copy made is gone again";
    EXPECT_TRUE(host_requests().empty());
    fs::remove_all(file("rev_tmp_archive.tsa"));
}

TEST_F(MdbCopyProject, AStaleArchiveIsReplacedAndALongWorkingDirectoryComesBack) {
    test_write_file(file("rev_tmp_archive.tsa"), "left by an earlier run");
    test_write_file(file(".rev_tmp_archive.tsa.k1lLed"), "half written by a killed run");
    std::string deep = m_workspace.path("w");
    while (deep.size() < 1500) {
        deep += "/a_rather_long_folder_name_to_pass_any_fixed_buffer";
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    MDB_COPY_PROJECT_REQUEST request{m_outside + "/c", "c", false, false};
    EXPECT_TRUE(mdb_copy_project(request));
    EXPECT_EQ(fs::current_path().string(), deep);
    EXPECT_FALSE(fs::exists(file("rev_tmp_archive.tsa")));
    EXPECT_FALSE(fs::exists(file(".rev_tmp_archive.tsa.k1lLed")));
    EXPECT_TRUE(fs::exists(m_outside + "/c/c.tpf"));
}

TEST_F(MdbCopyProject, EntryPointCopiesWhatTheDialogWasGiven) {
    std::string destination = m_outside + "/through the dialog";
    msg_queue_answer(MSG_ANSWER_YES); // create the destination
    when_shown([&](QDialog* dialog) {
        child<QLineEdit>(dialog, "m_dest_dir")->setText(QString::fromStdString(destination));
        child<QLineEdit>(dialog, "m_project_text")->setText("via");
        child<QCheckBox>(dialog, "m_open_new_ck")->click();
        child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Ok)->click();
    });
    mdb_dyn_copy_project_dlg(nullptr);
    EXPECT_TRUE(fs::exists(destination + "/via.tpf"));
    EXPECT_TRUE(host_requests().empty());

    when_shown([](QDialog* dialog) {
        child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Cancel)->click();
    });
    mdb_dyn_copy_project_dlg(nullptr);
    EXPECT_FALSE(fs::exists(m_project + "_copy"));
}

// A project folder whose name is not UTF-8 ("proj" and the Latin-1 byte
// 0xE9): the proposed destination beside it, taken as it is or edited by key,
// reaches the disk with the same bytes, and so does the project the host is
// asked to open; the copy's settings are those of the source.
TEST_F(MdbCopyProject, AFolderNameThatIsNotUtf8KeepsItsBytesThroughTheDialog) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    manager->close_project(false);
    manager->free_cached_storage();
    std::string const latin = m_workspace.path("proj\xe9");
    fs::current_path(m_workspace.dir());
    fs::rename(m_project, latin);
    m_project = latin;
    open_project();
    std::map<std::string, std::string> source = contents(m_project);

    struct CASE {
        char const* how;
        std::function<void(QLineEdit*)> edit;
        std::string destination;
    } const cases[] = {
        {"as proposed", [](QLineEdit*) {}, latin + "_copy"},
        {"edited by key",
         [](QLineEdit* line) {
             line->setFocus();
             QTest::keyClick(line, Qt::Key_End);
             QTest::keyClick(line, Qt::Key_Backspace); // the final "/"
             QTest::keyClicks(line, "2");
         },
         latin + "_copy2"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.how);
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
        msg_queue_answer(MSG_ANSWER_YES); // create the destination
        when_shown([&](QDialog* dialog) {
            c.edit(child<QLineEdit>(dialog, "m_dest_dir"));
            child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Ok)->click();
        });
        mdb_dyn_copy_project_dlg(nullptr);
        ASSERT_TRUE(fs::exists(c.destination + "/rev.tpf"));
        EXPECT_EQ(contents(c.destination).at("top.tsf"), source.at("top.tsf"));
        auto requests = host_requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].project_file, c.destination + "/rev.tpf");
    }
    // Nothing under a name with the bytes garbled (U+FFFD in UTF-8).
    for (auto const& entry : fs::directory_iterator(m_workspace.dir())) {
        EXPECT_EQ(entry.path().filename().string().find("\xef\xbf\xbd"), std::string::npos)
            << entry.path();
    }
}

TEST(MdbReverseSlash, AnyLength) {
    EXPECT_EQ(reverse_slash("/designs/top/"), "/designs/top/");
    EXPECT_EQ(reverse_slash("C:\\work\\copy"), "C:/work/copy");
    std::string long_path(3000, '\\');
    EXPECT_EQ(reverse_slash(long_path), std::string(3000, '/'));
}

// Copy Project on a project whose copy takes seconds.
class MdbCopyLargeProject : public MdbCopyProject {
protected:
    std::string fixture() const override { return mdb_large_rev_fixture(); }
};

// Cancel while the project is archived or while it is restored: the folders
// the copy made are removed, a folder that was there keeps what it held, the
// source is untouched and no temporary archive stays.
TEST_F(MdbCopyLargeProject, CancelInTheProgressLeavesNoCopyAndTheSourceAsItWas) {
    fs::create_directories(m_outside + "/kept");
    test_write_file(m_outside + "/kept/notes.txt", "mine\n");
    struct CASE {
        char const* stage;
        std::string destination;
    } const cases[] = {
        {"Archiving", m_outside + "/made/copy/"},
        {"Restoring", m_outside + "/kept/made/copy"},
        {"Restoring", m_outside + "/kept"},
    };
    std::map<std::string, std::string> const source = contents(m_project);
    std::map<std::string, std::string> const outside = contents(m_outside);
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::string(c.stage) + " into " + c.destination);
        msg_log_clear();
        bool missing = !fs::exists(c.destination);
        if (missing) {
            msg_queue_answer(MSG_ANSWER_YES); // create the destination
        }
        when_shown([&](QDialog* dialog) {
            child<QLineEdit>(dialog, "m_dest_dir")->setText(QString::fromStdString(c.destination));
            child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Ok)->click();
        });
        QString title;
        int done = 0;
        int all = 0;
        std::unique_ptr<QTimer> watch = when_progress_shows(c.stage, [&](QProgressDialog* progress,
                                                                         int done_then,
                                                                         int all_then) {
            title = progress->windowTitle();
            done = done_then;
            all = all_then;
            progress->findChild<QPushButton*>()->click();
        });
        mdb_dyn_copy_project_dlg(nullptr);
        EXPECT_EQ(title, "Copy Project");
        EXPECT_GT(all, 1500);
        EXPECT_LT(done, all) << "stopped before the end";
        EXPECT_EQ(logged(296046).size(), missing ? 1u : 0u) << "asked to create it";
        ASSERT_EQ(logged(296074).size(), 1u);
        EXPECT_EQ(logged(296074)[0].text, "Copy Project cancelled. Nothing was copied to " +
                                              c.destination);
        EXPECT_EQ(contents(m_outside), outside);
        std::vector<std::string> folders;
        for (auto const& entry : fs::recursive_directory_iterator(m_outside)) {
            folders.push_back(entry.path().string());
        }
        EXPECT_EQ(folders, (std::vector<std::string>{m_outside + "/kept",
                                                     m_outside + "/kept/notes.txt"}));
        EXPECT_EQ(contents(m_project), source);
        EXPECT_TRUE(host_requests().empty()) << "the current project stays open";
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            EXPECT_NE(entry.severity, 'E') << entry.text;
        }
    }
}

} // namespace
