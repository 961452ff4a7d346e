// A process killed at any moment while it commits a large revision leaves the
// settings file as it was or as it was to become, never a part of either; the
// kills fall before, during and after the commit's rename.
#include "acf_test_directory.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "formats/acf_project_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

std::string const VERSION_LINE =
    "set_global_assignment -name LAST_TESSALY_VERSION " + acf_get_version_string();

// A revision of `count` file lines and one setting that the commit changes.
std::string large_revision(int count, char const* value) {
    std::string text = VERSION_LINE + "\nset_global_assignment -name SMART_RECOMPILE " + value;
    for (int i = 0; i < count; ++i) {
        text +=
            "\nset_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_" + std::to_string(i);
    }
    return text;
}

// Opens the project and changes the setting, tells the parent through `ready`
// that the commit starts now, and commits: the child's whole life.
[[noreturn]] void commit_in_child(std::string const& dir, int ready) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    int status = manager->open_project(dir.c_str(), "big", "", false, false, false, false, false);
    bool done = status == 0 && manager->write_lock(false);
    if (done) {
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_string("SMART_RECOMPILE");
        params.set_value_string("Off");
        done = manager->set_global_assignment(&params) != nullptr;
    }
    char byte = done ? 1 : 0;
    done = write(ready, &byte, 1) == 1 && done && manager->commit_files_to_disk(false, true);
    _exit(done ? 0 : 1);
}

// A child that commits, once it has told the parent that the commit starts.
struct COMMITTING_CHILD {
    pid_t pid = -1;
    bool started = false;
};

COMMITTING_CHILD start_commit(std::string const& dir) {
    COMMITTING_CHILD child;
    int ready[2];
    if (pipe(ready) != 0) {
        return child;
    }
    child.pid = fork();
    if (child.pid == 0) {
        close(ready[0]);
        commit_in_child(dir, ready[1]);
    }
    close(ready[1]);
    char byte = 0;
    child.started = child.pid > 0 && read(ready[0], &byte, 1) == 1 && byte == 1;
    close(ready[0]);
    return child;
}

TEST(SettingsCommitCrash, KilledCommitLeavesTheOldOrTheNewFile) {
    ACF_TEST_DIRECTORY dir;
    int const count = 20000;
    std::string const old_text = large_revision(count, "On");
    // The commit ends the file with a line break.
    std::string const new_text = large_revision(count, "OFF") + "\n";
    std::string const file = dir.file("big.tsf");
    ACF_REVISION_NAME_LIST names = {"big"};
    ASSERT_TRUE(acf_write_tpf_file(dir.file("big.tpf").c_str(), &names));

    // One undisturbed run: the commit produces exactly the new text, and its
    // time is what the kills below are spread over.
    acf_test_write(file, old_text);
    COMMITTING_CHILD child = start_commit(dir.path());
    ASSERT_TRUE(child.started);
    auto start = std::chrono::steady_clock::now();
    int status = 0;
    ASSERT_EQ(waitpid(child.pid, &status, 0), child.pid);
    auto commit = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(acf_test_read(file) == new_text) << "the commit wrote something else";

    // One commit killed `delay` after it started: the file must be whole.
    int old_seen = 0;
    int new_seen = 0;
    auto kill_after = [&](std::chrono::steady_clock::duration delay, int round) {
        acf_test_write(file, old_text);
        COMMITTING_CHILD killed = start_commit(dir.path());
        ASSERT_TRUE(killed.started);
        std::this_thread::sleep_for(delay);
        kill(killed.pid, SIGKILL);
        int killed_status = 0;
        ASSERT_EQ(waitpid(killed.pid, &killed_status, 0), killed.pid);
        std::string text = acf_test_read(file);
        bool whole_file = text == old_text || text == new_text;
        EXPECT_TRUE(whole_file) << "kill " << round << " left " << text.size() << " bytes";
        old_seen += text == old_text;
        new_seen += text == new_text;
        // Temporary files of killed writers and the lock file of a killed
        // commit (taken over by the next one) are the only leftovers.
        for (auto const& entry : std::filesystem::directory_iterator(dir.path())) {
            std::string name = entry.path().filename().string();
            if (name != "big.tsf" && name != "big.tpf" &&
                name.find("assignment_defaults") == std::string::npos) {
                EXPECT_TRUE(name.rfind(".big.tsf.", 0) == 0 || name == "big.tsf.lock") << name;
                std::filesystem::remove(entry.path());
            }
        }
    };
    // Kill points from the start of the commit to twice its time, so that
    // both sides of the rename are met.
    int const kills = 25;
    // A fatal failure inside a kill ends the series, as it ends the test.
    for (int i = 0; i < kills && !HasFatalFailure(); ++i) {
        kill_after(commit * i * 2 / (kills - 1), i);
    }
    // A busy machine can slow the killed commits beyond that: later kills,
    // each twice as late, until one of them comes after the rename.
    for (int i = 0; i < 6 && new_seen == 0 && !HasFatalFailure(); ++i) {
        kill_after(commit * (4 << i), kills + i);
    }
    EXPECT_GT(old_seen, 0);
    EXPECT_GT(new_seen, 0);
}

// The temporary files that killed commits left beside the settings file (as
// large as the file) go when the next commit takes the file's lock; files of
// other names stay.
TEST(SettingsCommitCrash, TheNextCommitRemovesWhatKilledCommitsLeft) {
    ACF_TEST_DIRECTORY dir;
    std::string const old_text = large_revision(100, "On");
    acf_test_write(dir.file("big.tsf"), old_text);
    ACF_REVISION_NAME_LIST names = {"big"};
    ASSERT_TRUE(acf_write_tpf_file(dir.file("big.tpf").c_str(), &names));
    std::string const left[] = {".big.tsf.a1B2c3", ".big.tsf.ZZ9yy8"};
    std::string const kept[] = {".big.tsf.keep", "big.tsf.bak", ".big.tpf.a1B2c3",
                                ".other.tsf.a1B2c3"};
    for (std::string const& name : left) {
        acf_test_write(dir.file(name), old_text);
    }
    for (std::string const& name : kept) {
        acf_test_write(dir.file(name), "keep");
    }
    COMMITTING_CHILD child = start_commit(dir.path());
    ASSERT_TRUE(child.started);
    int status = 0;
    ASSERT_EQ(waitpid(child.pid, &status, 0), child.pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (std::string const& name : left) {
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
    }
    for (std::string const& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    }
}

} // namespace
