// Upgrades of a project of 200 IP components killed at points spread over the
// run, and two upgrades of one project at once. After each kill the next run's
// recovery finds every variation file and its IP file both old or both
// upgraded, every backup holds the original and no work file is left.
#include "suite/wizman/wizman_files.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int const COMPONENTS = 200;

std::string component_name(int i) {
    return "core" + std::to_string(i);
}
std::string variation_text(std::string const& version, int i) {
    return "// -- VestaWizard variation file\n"
           "// -- Retrieval info: <instance entity-name=\"fifo\" version=\"" +
           version + "\" >\nmodule " + component_name(i) + ";\nendmodule\n";
}
std::string tip_text(std::string const& version, int i) {
    return "set_global_assignment -name IP_TOOL_NAME \"fifo\"\n"
           "set_global_assignment -name IP_TOOL_VERSION \"" +
           version +
           "\"\nset_global_assignment -name VERILOG_FILE [file join $::tessaly(tip_path) " +
           component_name(i) + ".v]\n";
}

class IpmanUpgradeKill : public ::testing::Test {
protected:
    void SetUp() override {
        m_project = std::filesystem::canonical(m_workspace.dir()).string() + "/board";
        std::filesystem::create_directories(m_project + "/ip");
        test_write_file(m_project + "/board.tpf", "PROJECT_REVISION = \"board\"\n");
        std::string settings = "set_global_assignment -name TOP_LEVEL_ENTITY board\n";
        for (int i = 0; i < COMPONENTS; ++i) {
            std::string name = component_name(i);
            test_write_file(m_project + "/ip/" + name + ".v", variation_text("12.1", i));
            test_write_file(m_project + "/ip/" + name + ".tip", tip_text("12.1", i));
            settings += "set_global_assignment -name TIP_FILE ip/" + name + ".tip\n";
        }
        test_write_file(m_project + "/board.tsf", settings);
        test_write_file(m_project + "/run.tcl",
                        "package require ::tessaly::ipman\nproject_open board\nregenerate_ip\n");
        for (auto const& entry : std::filesystem::recursive_directory_iterator(m_project)) {
            m_original_files.push_back(entry.path().string());
        }
    }

    // Starts regentool -t run.tcl in `project` as the leader of a process
    // group of its own, its output going to `log`.
    static pid_t start(std::string const& project, std::string const& log) {
        pid_t child = fork();
        if (child == 0) {
            setpgid(0, 0);
            if (chdir(project.c_str()) != 0) {
                _exit(127);
            }
            int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(REGENTOOL_PATH, REGENTOOL_PATH, "-t", "run.tcl", static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(child, child);
        return child;
    }
    static int wait_for(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Every variation file and its IP file carry the same version, every
    // backup holds the original and nothing but backups, the report and the
    // lock file of a killed run (`killed`) was added. Returns the number of
    // upgraded pairs.
    int check_project(std::string const& when, bool killed) const {
        int upgraded = 0;
        for (int i = 0; i < COMPONENTS; ++i) {
            std::string base = m_project + "/ip/" + component_name(i);
            std::string v = test_read_file(base + ".v");
            std::string tip = test_read_file(base + ".tip");
            bool old_pair = v == variation_text("12.1", i) && tip == tip_text("12.1", i);
            bool new_pair = v == variation_text("14.0", i) && tip == tip_text("14.0", i);
            EXPECT_TRUE(old_pair || new_pair) << when << ": " << base;
            upgraded += new_pair ? 1 : 0;
            if (std::filesystem::exists(base + "_BAK.v")) {
                EXPECT_EQ(test_read_file(base + "_BAK.v"), variation_text("12.1", i)) << when;
            }
        }
        for (auto const& entry : std::filesystem::recursive_directory_iterator(m_project)) {
            std::string path = entry.path().string();
            std::string name = entry.path().filename().string();
            bool expected = std::find(m_original_files.begin(), m_original_files.end(), path) !=
                                m_original_files.end() ||
                            path.find("_BAK.v") != std::string::npos || name == "db" ||
                            path.find("/db/") != std::string::npos || name == "board.ipregen.rpt" ||
                            (killed && name == ".ip_upgrade.lock");
            EXPECT_TRUE(expected) << when << ": left over " << path;
        }
        return upgraded;
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::vector<std::string> m_original_files;
};

TEST_F(IpmanUpgradeKill, KilledUpgradesLeaveConsistentPairsAndOriginalBackups) {
    std::string const log = m_workspace.path("run.log");
    // Each run goes on where the one before was killed; a kill within the
    // first moments of a run lands anywhere from the start of the program to
    // the wizard runs, and a dozen of them cover a good part of the project.
    std::mt19937 random(22);
    std::uniform_int_distribution<long> point(0, 1500);
    for (int kill_number = 0; kill_number < 12; ++kill_number) {
        pid_t run = start(m_project, log);
        std::this_thread::sleep_for(std::chrono::milliseconds(point(random)));
        kill(-run, SIGKILL);
        wait_for(run);
        // What the next run settles first.
        wizman_recover_tree(m_project);
        check_project("after kill " + std::to_string(kill_number), true);
    }
    EXPECT_EQ(wait_for(start(m_project, log)), 0) << test_read_file(log);
    EXPECT_EQ(check_project("after the last run", false), COMPONENTS);
}

TEST_F(IpmanUpgradeKill, TwoUpgradesAtOnceLoseNothing) {
    pid_t first = start(m_project, m_workspace.path("first.log"));
    pid_t second = start(m_project, m_workspace.path("second.log"));
    int statuses[2] = {wait_for(first), wait_for(second)};
    std::string logs[2] = {test_read_file(m_workspace.path("first.log")),
                           test_read_file(m_workspace.path("second.log"))};
    int succeeded = 0;
    for (int i = 0; i < 2; ++i) {
        // A refused run says why; a run that came second finds nothing to do.
        bool refused = logs[i].find("Error (11905): IP components of the project in \"" +
                                    m_project + "\" cannot be upgraded now") != std::string::npos;
        EXPECT_TRUE(statuses[i] == 0 || (statuses[i] == 1 && refused)) << logs[i];
        succeeded += statuses[i] == 0 ? 1 : 0;
    }
    EXPECT_GE(succeeded, 1);
    EXPECT_EQ(check_project("after both runs", false), COMPONENTS);
}

} // namespace
