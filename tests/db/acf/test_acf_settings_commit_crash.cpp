// A process killed at any moment while it commits a large revision leaves the
// settings file as it was or as it was to become, never a part of either.
#include "acf_test_directory.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "db/acf/acf_project_file.h"

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

// Opens the project, changes the setting and commits: the child's whole life.
[[noreturn]] void commit_in_child(std::string const& dir) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    int status = manager->open_project(dir.c_str(), "big", "", false, false, false, false, false);
    bool done = status == 0 && manager->write_lock(false);
    if (done) {
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_string("SMART_RECOMPILE");
        params.set_value_string("Off");
        done = manager->set_global_assignment(&params) != nullptr &&
               manager->commit_files_to_disk(false, true);
    }
    _exit(done ? 0 : 1);
}

TEST(SettingsCommitCrash, KilledCommitLeavesTheOldOrTheNewFile) {
    ACF_TEST_DIRECTORY dir;
    int const count = 20000;
    std::string const old_text = large_revision(count, "On");
    std::string const new_text = large_revision(count, "OFF");
    std::string const file = dir.file("big.tsf");
    ACF_REVISION_NAME_LIST names = {"big"};
    ASSERT_TRUE(acf_write_tpf_file(dir.file("big.tpf").c_str(), &names));

    // One undisturbed run: the commit produces exactly the new text.
    acf_test_write(file, old_text);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        commit_in_child(dir.path());
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    auto whole = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(acf_test_read(file) == new_text) << "the commit wrote something else";

    int const kills = 25;
    int old_seen = 0;
    int new_seen = 0;
    for (int i = 0; i < kills; ++i) {
        acf_test_write(file, old_text);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            commit_in_child(dir.path());
        }
        std::this_thread::sleep_for(whole * i / kills);
        kill(pid, SIGKILL);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        std::string text = acf_test_read(file);
        bool whole_file = text == old_text || text == new_text;
        EXPECT_TRUE(whole_file) << "kill " << i << " left " << text.size() << " bytes";
        old_seen += text == old_text;
        new_seen += text == new_text;
        // Temporary files of killed writers are the only leftovers.
        for (auto const& entry : std::filesystem::directory_iterator(dir.path())) {
            std::string name = entry.path().filename().string();
            if (name != "big.tsf" && name != "big.tpf" &&
                name.find("assignment_defaults") == std::string::npos) {
                EXPECT_EQ(name.rfind(".big.tsf.", 0), 0u) << name;
                std::filesystem::remove(entry.path());
            }
        }
    }
    EXPECT_GT(old_seen, 0);
}

} // namespace
