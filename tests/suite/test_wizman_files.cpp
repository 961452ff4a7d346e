// The wizard's file handling: regular files only, paired updates and their
// recovery after a kill at each step, files created whole.
#include "suite/wizman/wizman.h"
#include "suite/wizman/wizman_files.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether `check` returns true in a child process within five seconds; a
// check that blocks is killed and counts as false.
template <class CHECK> bool true_within_seconds(CHECK check) {
    pid_t child = fork();
    if (child == 0) {
        alarm(5);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> work_files(std::string const& directory) {
    std::vector<std::string> found;
    for (auto const& entry : std::filesystem::directory_iterator(directory)) {
        std::string name = entry.path().filename().string();
        if (name.find(".vwz-") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

TEST(WizmanFiles, ReadsOnlyRegularFilesAndNeverWaits) {
    TEST_WORKSPACE workspace;
    std::string const header = "// -- VestaWizard variation file\n";
    test_write_file(workspace.path("core.v"), header + "module core;\n");
    mkfifo(workspace.path("fifo.v").c_str(), 0644);
    symlink("/dev/zero", workspace.path("zero.v").c_str());
    symlink(workspace.path("core.v").c_str(), workspace.path("link.v").c_str());
    std::filesystem::create_directory(workspace.path("dir.v"));

    struct CASE {
        char const* name;
        bool read;
        char const* why;
    } const cases[] = {
        {"core.v", true, ""},
        {"link.v", true, ""},
        {"fifo.v", false, "not a regular file"},
        {"zero.v", false, "not a regular file"},
        {"dir.v", false, "not a regular file"},
        {"missing.v", false, "cannot be opened: No such file or directory"},
    };
    for (CASE const& c : cases) {
        std::string path = workspace.path(c.name);
        EXPECT_TRUE(true_within_seconds([&] {
            std::string text;
            std::string why;
            bool read = wizman_read_regular_file(path, text, why);
            return read == c.read && (read ? text == header + "module core;\n" : why == c.why);
        })) << c.name;
        EXPECT_TRUE(true_within_seconds([&] {
            return wizman_file_was_wizard_generated(path.c_str()) == c.read;
        })) << c.name;
    }
    std::string text;
    std::string why;
    EXPECT_TRUE(wizman_read_regular_file(workspace.path("core.v"), text, why, 5));
    EXPECT_EQ(text, "// --");
}

TEST(WizmanFiles, HeaderIsReadFromABoundedStart) {
    TEST_WORKSPACE workspace;
    std::string const mark = "// -- VestaWizard variation file\n";
    test_write_file(workspace.path("early.v"),
                    mark + std::string(WIZMAN_HEADER_READ_LIMIT, '\n') + "module m;\n");
    test_write_file(workspace.path("late.v"), std::string(WIZMAN_HEADER_READ_LIMIT, '\n') + mark);
    EXPECT_TRUE(wizman_file_was_wizard_generated(workspace.path("early.v").c_str()));
    EXPECT_FALSE(wizman_file_was_wizard_generated(workspace.path("late.v").c_str()));
}

TEST(WizmanFiles, UpdateChangesEveryFileOrNone) {
    TEST_WORKSPACE workspace;
    std::string const v = workspace.path("core.v");
    std::string const tip = workspace.path("core.tip");
    test_write_file(v, "old v");
    test_write_file(tip, "old tip");
    chmod(tip.c_str(), 0640);
    std::string why;
    ASSERT_TRUE(wizman_update_files({{v, "new v"}, {tip, "new tip"}}, why)) << why;
    EXPECT_EQ(test_read_file(v), "new v");
    EXPECT_EQ(test_read_file(tip), "new tip");
    struct stat st;
    stat(tip.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(work_files(workspace.dir()).empty());

    // A file that is not there fails the update before anything changed.
    EXPECT_FALSE(wizman_update_files({{v, "newer v"}, {workspace.path("gone.tip"), "x"}}, why));
    EXPECT_EQ(test_read_file(v), "new v");
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(work_files(workspace.dir()).empty());
}

// The states a kill can leave an update of core.v and core.tip in, built step
// by step as the update goes, and what the recovery makes of each.
TEST(WizmanFiles, RecoveryLeavesBothFilesOldOrBothNew) {
    enum STEP {
        NEW_WRITTEN,
        OLD_LINKED,
        JOURNAL_HALF,
        JOURNAL,
        V_RENAMED,
        TIP_RENAMED,
        JOURNAL_GONE
    };
    struct CASE {
        STEP step;
        bool upgraded;
    } const cases[] = {
        {NEW_WRITTEN, false}, {OLD_LINKED, false}, {JOURNAL_HALF, false}, {JOURNAL, false},
        {V_RENAMED, false},   {TIP_RENAMED, true}, {JOURNAL_GONE, true},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.step);
        TEST_WORKSPACE workspace;
        std::string const dir = workspace.dir();
        std::string const v = dir + "/core.v";
        std::string const tip = dir + "/core.tip";
        test_write_file(v, "old v");
        test_write_file(tip, "old tip");
        test_write_file(dir + "/.core.v.vwz-new0", "new v");
        test_write_file(dir + "/.core.v.vwz-new1", "new tip");
        if (c.step >= OLD_LINKED) {
            link(v.c_str(), (dir + "/.core.v.vwz-old0").c_str());
            link(tip.c_str(), (dir + "/.core.v.vwz-old1").c_str());
        }
        std::string journal = std::string("vestawiz update\n") + v + '\0' + tip + '\0';
        if (c.step == JOURNAL_HALF) {
            test_write_file(dir + "/.core.v.vwz-journal", journal);
        } else if (c.step >= JOURNAL && c.step < JOURNAL_GONE) {
            test_write_file(dir + "/.core.v.vwz-journal", journal + "end\n");
        }
        if (c.step >= V_RENAMED) {
            rename((dir + "/.core.v.vwz-new0").c_str(), v.c_str());
        }
        if (c.step >= TIP_RENAMED) {
            rename((dir + "/.core.v.vwz-new1").c_str(), tip.c_str());
        }
        test_write_file(dir + "/.core_BAK.v.vwz-tmp", "half a backup");

        {
            WIZMAN_DIRECTORY_LOCK lock(dir);
            ASSERT_TRUE(lock.locked());
            wizman_recover_directory(dir);
        }
        EXPECT_EQ(test_read_file(v), c.upgraded ? "new v" : "old v");
        EXPECT_EQ(test_read_file(tip), c.upgraded ? "new tip" : "old tip");
        EXPECT_TRUE(work_files(dir).empty());
    }
}

TEST(WizmanFiles, TreeRecoveryReachesNestedFolders) {
    TEST_WORKSPACE workspace;
    std::filesystem::create_directories(workspace.path("a/b"));
    test_write_file(workspace.path("a/b/.x.v.vwz-new0"), "left over");
    test_write_file(workspace.path("a/.y.v.vwz-tmp"), "left over");
    wizman_recover_tree(workspace.dir());
    EXPECT_TRUE(work_files(workspace.path("a")).empty());
    EXPECT_TRUE(work_files(workspace.path("a/b")).empty());
}

TEST(WizmanFiles, CreatedFileIsWholeAndNeverReplacesOne) {
    TEST_WORKSPACE workspace;
    std::string const backup = workspace.path("core_BAK.v");
    std::string why;
    ASSERT_TRUE(wizman_create_file(backup, "original", 0600, why)) << why;
    EXPECT_FALSE(wizman_create_file(backup, "upgraded", 0600, why));
    EXPECT_EQ(why, "the file exists");
    EXPECT_EQ(test_read_file(backup), "original");
    struct stat st;
    stat(backup.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(work_files(workspace.dir()).empty());
}

} // namespace
