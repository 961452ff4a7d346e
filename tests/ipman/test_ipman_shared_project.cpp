// Two upgrades that share a project, started as child processes: whatever
// folder or files each names (the project, a folder above it, a folder inside
// it, its files, or the Tcl command in the open project), the second is
// refused while the first runs, and touches nothing.
#include "suite/threads/thr.h"

#include "tests/ipman/ipman_test_install.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/tcl_project";

// One way to start an upgrade: its arguments and the folder it starts in,
// relative to the folder that holds the project "board".
struct RUN {
    char const* arguments;
    char const* folder;
};

RUN const RUNS[] = {
    {"--files ip/fifo_a/fifo_a.v", "board"},
    {"--project_directory=board", ""},
    {"--project_directory=.", "board"},
    {"--project_directory=board/ip", ""},
    {"--all", ""},
    {"--all", "board"},
    {"--all", "board/ip"},
    {"-t regenerate.tcl", "board"},
};

class IpmanSharedProject : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent = std::filesystem::canonical(m_workspace.dir()).string() + "/parent";
        std::filesystem::create_directories(m_parent);
        m_install.add_wizard_script("touch '" + marker("started") + "'; while [ ! -e '" +
                                    marker("release") + "' ]; do sleep 0.02; done");
    }
    std::string marker(std::string const& name) const { return m_workspace.path(name); }
    void fresh_copy() {
        std::filesystem::remove_all(m_parent + "/board");
        m_workspace.copy_fixture(FIXTURE, "parent/board");
        test_write_file(m_parent + "/board/regenerate.tcl",
                        "package require ::tessaly::ipman\nproject_open board\nregenerate_ip\n");
    }
    std::string command(RUN const& run) const { return m_install.program() + " " + run.arguments; }
    std::string folder(RUN const& run) const {
        return std::string(run.folder).empty() ? m_parent : m_parent + "/" + run.folder;
    }
    // Every file under the parent folder with its content.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> found;
        for (auto const& entry : std::filesystem::recursive_directory_iterator(m_parent)) {
            if (entry.is_regular_file()) {
                found[entry.path().string()] = test_read_file(entry.path().string());
            }
        }
        return found;
    }

    TEST_WORKSPACE m_workspace;
    IPMAN_TEST_INSTALL m_install{m_workspace, "install"};
    std::string m_parent;
};

TEST_F(IpmanSharedProject, SecondRunIsRefusedAndTouchesNothingWhateverEachNames) {
    for (RUN const& first : RUNS) {
        for (RUN const& second : RUNS) {
            std::string const pair = std::string(first.arguments) + " in " + first.folder +
                                     ", then " + second.arguments + " in " + second.folder;
            fresh_copy();
            std::filesystem::remove(marker("started"));
            std::filesystem::remove(marker("release"));
            THR_PIPE out = nullptr;
            THR_PROCESS running = nullptr;
            long running_pid = 0;
            ASSERT_TRUE(thr_process_create(command(first).c_str(), folder(first).c_str(), &out,
                                           &out, &running, &running_pid));
            for (int i = 0; i < 1000 && !std::filesystem::exists(marker("started")); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ASSERT_TRUE(std::filesystem::exists(marker("started"))) << pair;
            std::map<std::string, std::string> const before = files();

            // A run that waits on a file is stopped after twenty seconds.
            TEST_RUN_RESULT refused =
                test_run("timeout -s KILL 20 " + command(second), folder(second));
            EXPECT_NE(refused.output.find("Error (11905): IP components of the project in \""),
                      std::string::npos)
                << pair << "\n"
                << refused.output;
            EXPECT_NE(refused.output.find("IP upgrade process " + std::to_string(running_pid) +
                                          " is upgrading it"),
                      std::string::npos)
                << pair;
            EXPECT_EQ(refused.status, 1) << pair;
            EXPECT_TRUE(files() == before) << pair;

            test_write_file(marker("release"), "");
            char buffer[256];
            size_t count = 0;
            while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
            }
            int status = -1;
            thr_process_wait(running, &status, 0);
        }
    }
}

} // namespace
