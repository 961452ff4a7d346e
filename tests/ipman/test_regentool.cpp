// regentool run as a child process on copies of the fixture project.
#include "suite/threads/thr.h"

#include "tests/ipman/ipman_test_install.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/project";

std::string progress(int percent) {
    return "Info: IP Upgrade progress: " + std::to_string(percent) + "%\n";
}
std::string upgraded(std::string const& file) {
    return "Info (11131): Completed upgrading IP component  with file \"" + file + "\".\n";
}
std::string failed(std::string const& file) {
    return "Error (11133): IP component  with file \"" + file + "\" upgrade failed.\n";
}
std::string const TOO_MANY = "Error (11250): Command has too many specified options.\n";

class Regentool : public ::testing::Test {
protected:
    void SetUp() override { fresh_copy(); }
    // Replaces the project copy by a new one.
    void fresh_copy() {
        std::filesystem::remove_all(m_workspace.path("project"));
        m_project = m_workspace.copy_fixture(FIXTURE, "project");
        m_root = std::filesystem::canonical(m_project).string();
    }
    // Runs regentool with `arguments` inside the project copy; a run that
    // waits on a file is stopped after twenty seconds.
    TEST_RUN_RESULT run(std::string const& arguments) {
        return test_run("timeout -s KILL 20 " + thr_process_quote_argument(REGENTOOL_PATH) + " " +
                            arguments,
                        m_project);
    }
    std::string read(std::string const& name) { return test_read_file(m_project + "/" + name); }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::string m_root;
};

TEST_F(Regentool, RunsEachFileWithProgressAndOneMessage) {
    struct CASE {
        char const* arguments;
        std::string output;
        int status;
    } const cases[] = {
        {"core_a.v", progress(20) + upgraded("core_a.v"), 0},
        {"--files core_a.v", progress(20) + upgraded("core_a.v"), 0},
        {"--files=\"core_a.v sub/core_b.vhd\"",
         progress(50) + upgraded("core_a.v") + progress(100) + upgraded("sub/core_b.vhd"), 0},
        {"--files \"core_a.v sub/broken.v sub/deeper/core_c.sv\"",
         progress(33) + upgraded("core_a.v") + progress(66) + failed("sub/broken.v") +
             progress(99) + upgraded("sub/deeper/core_c.sv"),
         1},
        {"--files \"missing.v core_a.v\"",
         progress(50) + failed("missing.v") + progress(100) + upgraded("core_a.v"), 1},
        // Quoted names keep their quotes in the messages.
        {"--files=\"'ram block.v' core_a.v\"",
         progress(50) + upgraded("'ram block.v'") + progress(100) + upgraded("core_a.v"), 0},
        {"--files=\"a.v b.v c.v d.v e.v f.v g.v\"",
         progress(14) + failed("a.v") + progress(28) + failed("b.v") + progress(42) +
             failed("c.v") + progress(56) + failed("d.v") + progress(70) + failed("e.v") +
             progress(84) + failed("f.v") + progress(98) + failed("g.v"),
         1},
        // A list in which no name is found has nothing to do.
        {"--files \"\t\"", "", 0},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.output, c.output) << c.arguments;
        EXPECT_EQ(result.status, c.status) << c.arguments;
    }
}

TEST_F(Regentool, RefusesConflictingOrIncompleteOptions) {
    struct CASE {
        char const* arguments;
        std::string output;
    } const cases[] = {
        {"--all --files core_a.v", TOO_MANY},
        {"--files core_a.v --project_directory .", TOO_MANY},
        {"--project_directory=. core_a.v", TOO_MANY},
        {"core_a.v --all", TOO_MANY},
        {"--all --files core_a.v --project_directory=.", TOO_MANY},
        {"--files", "Error (11136): File \"\" does not exist or the file path is invalid.\n"},
        {"--project_directory",
         "Error (11135): Directory \"\" does not exist or the directory path is invalid.\n"},
        {"--bogus", "Error (10001): Option \"--bogus\" is not an option of this command.\n"},
        {"--all=yes", "Error (10002): Option \"all\" takes no value.\n"},
        // Nothing to do, or a folder that does not exist: failure without a message.
        {"", ""},
        {"--project_directory=missing", ""},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.output, c.output) << c.arguments;
        EXPECT_EQ(result.status, 1) << c.arguments;
    }
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));
}

TEST_F(Regentool, UpgradesEveryVariationFileUnderAFolder) {
    std::string const expected = progress(20) + upgraded("\"" + m_root + "/core_a.v\"") +
                                 progress(40) + upgraded("\"" + m_root + "/ram block.v\"") +
                                 progress(60) + failed("\"" + m_root + "/sub/broken.v\"") +
                                 progress(80) + upgraded("\"" + m_root + "/sub/core_b.vhd\"") +
                                 progress(100) +
                                 upgraded("\"" + m_root + "/sub/deeper/core_c.sv\"");
    for (char const* arguments : {"--project_directory=.", "--all"}) {
        fresh_copy();
        TEST_RUN_RESULT result = run(arguments);
        EXPECT_EQ(result.output, expected) << arguments;
        EXPECT_EQ(result.status, 1) << arguments;
    }
    TEST_RUN_RESULT from_outside = test_run(thr_process_quote_argument(REGENTOOL_PATH) +
                                                " --project_directory project/sub/deeper",
                                            m_workspace.dir());
    EXPECT_EQ(from_outside.output,
              progress(20) + upgraded("\"" + m_root + "/sub/deeper/core_c.sv\""));
    EXPECT_EQ(from_outside.status, 0);

    // A folder without variation files has nothing to do.
    std::filesystem::create_directory(m_project + "/empty");
    TEST_RUN_RESULT empty = run("--project_directory=empty");
    EXPECT_EQ(empty.output, "");
    EXPECT_EQ(empty.status, 0);
}

TEST_F(Regentool, UpgradedFilesCarryTheRunningVersionAndFailedOnesStayAsTheyWere) {
    run("--project_directory=.");
    EXPECT_NE(read("core_a.v").find("version=\"14.0\""), std::string::npos);
    EXPECT_NE(read("core_a.tip").find("IP_TOOL_VERSION \"14.0\""), std::string::npos);
    EXPECT_NE(read("ram block.v").find("version=\"14.0\""), std::string::npos);
    EXPECT_NE(read("sub/deeper/core_c.sv").find("version=\"14.0\""), std::string::npos);
    for (char const* untouched : {"sub/broken.v", "plain.v", "notes.txt"}) {
        EXPECT_EQ(read(untouched), test_read_file(FIXTURE + "/" + untouched)) << untouched;
    }
}

TEST_F(Regentool, TclOptionRunsAScriptInsteadOfTheUpgrade) {
    test_write_file(m_project + "/show.tcl", "puts \"args: $argv\"\n");
    TEST_RUN_RESULT result = run("-t show.tcl --all \"a b\"");
    EXPECT_EQ(result.output, "args: --all {a b}\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));

    test_write_file(m_project + "/fails.tcl", "error {no such core}\n");
    result = run("-t fails.tcl");
    EXPECT_EQ(
        result.output.rfind("Error (10004): Tcl script \"fails.tcl\" failed: no such core\n", 0),
        0u)
        << result.output;
    EXPECT_EQ(result.status, 1);
}

TEST_F(Regentool, HelpListsTheOptionsFromTheHelpFile) {
    for (char const* arguments : {"-h", "--help", "--all -h"}) {
        TEST_RUN_RESULT result = run(arguments);
        EXPECT_EQ(result.status, 0) << arguments;
        EXPECT_EQ(result.output.rfind("Usage: regentool [options] <file name>\n", 0), 0u)
            << result.output;
        for (char const* text :
             {"--all\n", "--files=<list of file name>\n", "--project_directory=<diretory>\n",
              "Upgrades every IP variation file found under the given project"}) {
            EXPECT_NE(result.output.find(text), std::string::npos) << text;
        }
    }
}

// The program gives the memory manager its own file name: the leak report of a
// run is named after the program and says which program leaked. The program runs
// from a copy in the workspace, so its report lands there.
TEST_F(Regentool, LeakReportIsNamedAndHeadedWithTheProgram) {
    std::string program = m_workspace.path("regentool");
    std::filesystem::copy_file(REGENTOOL_PATH, program);
    program = std::filesystem::canonical(program).string();
    // A folder without variation files: the wizard is not needed beside the copy.
    std::string const empty = m_workspace.path("empty");
    std::filesystem::create_directory(empty);
    setenv("MEM_PRINT_LEAK_WARNINGS", "on", 1);
    TEST_RUN_RESULT result =
        test_run(thr_process_quote_argument(program) + " --project_directory=.", empty);
    unsetenv("MEM_PRINT_LEAK_WARNINGS");
    EXPECT_EQ(result.status, 0) << result.output;
    std::string report = test_read_file(program + "_leak_warning.txt");
    EXPECT_NE(report.find("Executable: \t" + program + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Where leaked memory was allocated: " + program + "\n"),
              std::string::npos)
        << report;
    EXPECT_FALSE(std::filesystem::exists(empty + "/_leak_warning.txt"));
}

// The folder road hands each found path on as it is: a name holding quotes and
// blanks is neither split nor taken for another file.
TEST_F(Regentool, FolderRoadPassesFoundNamesWhole) {
    std::string const tricky = "a\"b c\"d.v";
    std::filesystem::copy_file(m_project + "/core_a.v", m_project + "/sub/" + tricky);
    std::filesystem::copy_file(m_project + "/core_a.v", m_project + "/d.v");
    std::filesystem::remove_all(m_project + "/sub/deeper");
    TEST_RUN_RESULT result = run("--project_directory=sub");
    EXPECT_NE(result.output.find(upgraded("\"" + m_root + "/sub/" + tricky + "\"")),
              std::string::npos)
        << result.output;
    EXPECT_NE(read("sub/" + tricky).find("version=\"14.0\""), std::string::npos);
    EXPECT_EQ(read("d.v"), test_read_file(FIXTURE + "/core_a.v")); // outside the folder
}

// The folder road refuses a write-protected variation file as the Tcl command does.
TEST_F(Regentool, FolderRoadRefusesWriteProtectedFiles) {
    chmod((m_project + "/core_a.v").c_str(), 0444);
    TEST_RUN_RESULT result = run("--project_directory=.");
    std::string const path = m_root + "/core_a.v";
    EXPECT_NE(result.output.find("Error (11903): File \"" + path + "\" is write-protected.\n" +
                                 failed("\"" + path + "\"")),
              std::string::npos)
        << result.output;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));
    EXPECT_EQ(read("core_a.tip"), test_read_file(FIXTURE + "/core_a.tip"));
    EXPECT_NE(read("ram block.v").find("version=\"14.0\""), std::string::npos);
}

// FIFOs and links to a device named like variation files are refused at once
// on both roads; the regular files beside them are upgraded.
TEST_F(Regentool, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
    mkfifo((m_project + "/fifo.v").c_str(), 0644);
    std::filesystem::create_symlink("/dev/zero", m_project + "/zero.v");
    TEST_RUN_RESULT files = run("--files \"fifo.v zero.v core_a.v\"");
    EXPECT_EQ(files.output, progress(33) + failed("fifo.v") + progress(66) + failed("zero.v") +
                                progress(99) + upgraded("core_a.v"));
    EXPECT_EQ(files.status, 1);

    fresh_copy();
    mkfifo((m_project + "/fifo.v").c_str(), 0644);
    std::filesystem::create_symlink("/dev/zero", m_project + "/zero.v");
    TEST_RUN_RESULT folder = run("--project_directory=.");
    EXPECT_EQ(folder.output.find("fifo.v"), std::string::npos) << folder.output;
    EXPECT_EQ(folder.output.find("zero.v"), std::string::npos) << folder.output;
    EXPECT_NE(folder.output.find(upgraded("\"" + m_root + "/core_a.v\"")), std::string::npos);
}

// A linked variation file stays a link; its target is upgraded.
TEST_F(Regentool, LinkedVariationFilesHaveTheirTargetsUpgraded) {
    std::filesystem::rename(m_project + "/core_a.v", m_workspace.path("shared_core_a.v"));
    std::filesystem::create_symlink(m_workspace.path("shared_core_a.v"), m_project + "/core_a.v");
    for (char const* arguments : {"--files core_a.v", "--project_directory=."}) {
        EXPECT_NE(run(arguments).output.find("core_a.v"), std::string::npos) << arguments;
        EXPECT_TRUE(std::filesystem::is_symlink(m_project + "/core_a.v")) << arguments;
        EXPECT_NE(test_read_file(m_workspace.path("shared_core_a.v")).find("version=\"14.0\""),
                  std::string::npos)
            << arguments;
    }
}

// A long name is split without recursion. The program runs without a wizard
// beside it, so the run fails at once.
TEST_F(Regentool, NamesOfAnyLengthAreSplit) {
    IPMAN_TEST_INSTALL install(m_workspace, "bare");
    std::string const name(100000, 'n');
    TEST_RUN_RESULT one = test_run(install.program() + " --files " + name, m_project);
    EXPECT_TRUE(one.output == progress(20) + failed(name)) << one.output.substr(0, 200);
    EXPECT_EQ(one.status, 1);
}

// One upgrade at a time per project: a second run is refused with a message
// naming the running one; a lock left by a killed run is taken over.
TEST_F(Regentool, SecondUpgradeOfAProjectIsRefused) {
    IPMAN_TEST_INSTALL install(m_workspace, "slow");
    // A wizard that says it started, then waits for the test's word.
    install.add_wizard_script("touch started; while [ ! -e release ]; do sleep 0.02; done");
    THR_PIPE out = nullptr;
    THR_PROCESS first = nullptr;
    long first_pid = 0;
    ASSERT_TRUE(thr_process_create((install.program() + " --files core_a.v").c_str(),
                                   m_project.c_str(), &out, &out, &first, &first_pid));
    for (int i = 0; i < 1000 && !std::filesystem::exists(m_project + "/started"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(m_project + "/started"));
    for (char const* arguments : {"--files core_a.v", "--all"}) {
        TEST_RUN_RESULT second = test_run(install.program() + " " + arguments, m_project);
        EXPECT_EQ(second.output, "Error (11905): IP components of the project in \"" + m_root +
                                     "\" cannot be upgraded now: IP upgrade process " +
                                     std::to_string(first_pid) + " is upgrading it.\n")
            << arguments;
        EXPECT_EQ(second.status, 1);
    }
    test_write_file(m_project + "/release", "");
    char buffer[256];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
    }
    int status = -1;
    thr_process_wait(first, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(std::filesystem::exists(m_project + "/.ip_upgrade.lock"));

    // The lock file of a process that is gone holds nobody.
    test_write_file(m_project + "/.ip_upgrade.lock", "999999999\n");
    TEST_RUN_RESULT after = test_run(install.program() + " --files core_a.v", m_project);
    EXPECT_EQ(after.status, 0) << after.output;
    EXPECT_FALSE(std::filesystem::exists(m_project + "/.ip_upgrade.lock"));
}

} // namespace
