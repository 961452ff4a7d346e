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
// The failure of a file's upgrade, with the reason below it.
std::string failed(std::string const& file, std::string const& reason) {
    return "Error (11133): IP component  with file \"" + file + "\" upgrade failed.\n" +
           "    Info (11911): " + reason + "\n";
}
std::string const NO_FILE = "No such file";
std::string const WIZARD_FAILED = "The IP wizard exited with status 1";
std::string const TOO_MANY = "Error (11250): Command has too many specified options.\n";
std::string nothing_to_do(std::string const& reason) {
    return "Error (11910): Nothing to upgrade: " + reason +
           ". Run regentool --help for the options.\n";
}
std::string const NO_COMPONENTS =
    "Info (11838): No required-upgrade IP components found in the project\n";

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
         progress(33) + upgraded("core_a.v") + progress(66) +
             failed("sub/broken.v", WIZARD_FAILED) + progress(99) +
             upgraded("sub/deeper/core_c.sv"),
         1},
        {"--files \"missing.v core_a.v\"",
         progress(50) + failed("missing.v", NO_FILE) + progress(100) + upgraded("core_a.v"), 1},
        // Quoted names keep their quotes in the messages.
        {"--files=\"'ram block.v' core_a.v\"",
         progress(50) + upgraded("'ram block.v'") + progress(100) + upgraded("core_a.v"), 0},
        {"--files=\"a.v b.v c.v d.v e.v f.v g.v\"",
         progress(14) + failed("a.v", NO_FILE) + progress(28) + failed("b.v", NO_FILE) +
             progress(42) + failed("c.v", NO_FILE) + progress(56) + failed("d.v", NO_FILE) +
             progress(70) + failed("e.v", NO_FILE) + progress(84) + failed("f.v", NO_FILE) +
             progress(98) + failed("g.v", NO_FILE),
         1},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.output, c.output) << c.arguments;
        EXPECT_EQ(result.status, c.status) << c.arguments;
    }
}

// Every refusal says in one line what is wrong: a folder it names, or that there
// is nothing to do.
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
        {"--project_directory=\"\"",
         "Error (11135): Directory \"\" does not exist or the directory path is invalid.\n"},
        {"--bogus", "Error (10001): Option \"--bogus\" is not an option of this command.\n"},
        {"--all=yes", "Error (10002): Option \"all\" takes no value.\n"},
        {"", nothing_to_do("no file list, --project_directory or --all was given")},
        {"--files=\"\"", nothing_to_do("the file list names no file")},
        {"--files \"\t\"", nothing_to_do("the file list names no file")},
        {"--project_directory=missing", "Error (11135): Directory \"" + m_root +
                                            "/missing\" does not exist or the directory path "
                                            "is invalid.\n"},
        {"--project_directory=core_a.v",
         "Error (11909): Directory \"" + m_root + "/core_a.v\" cannot be read: Not a directory.\n"},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.output, c.output) << c.arguments;
        EXPECT_EQ(result.status, 1) << c.arguments;
    }
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));
}

// A folder that cannot be read fails naming it.
TEST_F(Regentool, UnreadableFolderFailsNamingIt) {
    chmod((m_project + "/sub").c_str(), 0);
    struct CASE {
        char const* arguments;
        char const* folder;
    } const cases[] = {{"--project_directory=sub", "/sub"},
                       {"--project_directory sub/deeper", "/sub/deeper"}};
    for (CASE const& c : cases) {
        TEST_RUN_RESULT result = test_run(
            unprivileged() + thr_process_quote_argument(REGENTOOL_PATH) + " " + c.arguments,
            m_project);
        EXPECT_EQ(result.output, "Error (11909): Directory \"" + m_root + c.folder +
                                     "\" cannot be read: Permission denied.\n")
            << c.arguments;
        EXPECT_EQ(result.status, 1) << c.arguments;
    }
    chmod((m_project + "/sub").c_str(), 0755);
}

// A folder inside the project that cannot be read is named in a warning, and
// the files of the others are upgraded.
TEST_F(Regentool, UnreadableSubfolderIsNamedAndTheOthersAreUpgraded) {
    chmod((m_project + "/sub/deeper").c_str(), 0);
    TEST_RUN_RESULT result = test_run(unprivileged() + thr_process_quote_argument(REGENTOOL_PATH) +
                                          " --project_directory=.",
                                      m_project);
    chmod((m_project + "/sub/deeper").c_str(), 0755);
    EXPECT_EQ(result.output,
              "Warning (11912): Directory \"" + m_root +
                  "/sub/deeper\" cannot be read: Permission denied. Its IP components are not "
                  "upgraded.\n" +
                  progress(25) + upgraded("\"" + m_root + "/core_a.v\"") + progress(50) +
                  upgraded("\"" + m_root + "/ram block.v\"") + progress(75) +
                  failed("\"" + m_root + "/sub/broken.v\"", WIZARD_FAILED) + progress(100) +
                  upgraded("\"" + m_root + "/sub/core_b.vhd\""));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read("sub/deeper/core_c.sv"), test_read_file(FIXTURE + "/sub/deeper/core_c.sv"));
}

// Whatever the scan could not read fails the run, though every file it found
// was upgraded: a folder that cannot be listed, or a file with a variation
// file's extension that cannot be read. Nothing is said to be missing.
TEST_F(Regentool, WhatTheScanCouldNotReadFailsTheRun) {
    std::string const skipped = "Warning (11912): Directory \"" + m_root +
                                "/sub/deeper\" cannot be read: Permission denied. Its IP "
                                "components are not upgraded.\n";
    struct CASE {
        char const* name;
        char const* unreadable;
        char const* arguments;
        std::string output;
    } const cases[] = {
        {"a subfolder beside upgraded files", "sub/deeper", "--project_directory=sub",
         skipped + progress(20) + upgraded("\"" + m_root + "/sub/core_b.vhd\"")},
        {"a subfolder and nothing else", "sub/deeper", "--project_directory=.", skipped},
        {"a variation file", "sub/core_b.vhd", "--project_directory=sub",
         "Error (11913): File \"" + m_root +
             "/sub/core_b.vhd\" cannot be read: cannot be opened: Permission denied. If it is a "
             "variation file, its IP component is not upgraded.\n" +
             progress(20) + upgraded("\"" + m_root + "/sub/deeper/core_c.sv\"")},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        std::filesystem::remove(m_project + "/sub/broken.v");
        if (std::string(c.arguments) == "--project_directory=.") {
            for (char const* name : {"core_a.v", "ram block.v", "sub/core_b.vhd"}) {
                std::filesystem::remove(m_project + "/" + name);
            }
        }
        chmod((m_project + "/" + c.unreadable).c_str(), 0);
        TEST_RUN_RESULT result = test_run(
            unprivileged() + thr_process_quote_argument(REGENTOOL_PATH) + " " + c.arguments,
            m_project);
        chmod((m_project + "/" + c.unreadable).c_str(), 0755);
        EXPECT_EQ(result.output, c.output) << c.name;
        EXPECT_EQ(result.status, 1) << c.name;
    }
}

// A listing that fails part way is no end of the folder: the run names the
// folder and fails, rather than finding nothing to do.
TEST_F(Regentool, FailedListingOfAFolderFailsTheRun) {
    TEST_RUN_RESULT result =
        test_run(std::string(STRACE_PATH) + " -f -qq -o /dev/null -e inject=getdents64:error=EIO " +
                     thr_process_quote_argument(REGENTOOL_PATH) + " --project_directory=.",
                 m_project);
    EXPECT_EQ(result.output, "Warning (11912): Directory \"" + m_root +
                                 "\" cannot be read: Input/output error. Its IP components are not "
                                 "upgraded.\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));
}

// A backup that an upgrade left beside its file (<name>_BAK.<ext>, and the
// numbered ones) holds the file as it was: the scan leaves it out, and says
// how many it left out. A name of that shape without its file is upgraded.
TEST_F(Regentool, BackupsBesideTheirFilesAreLeftOutOfTheScan) {
    std::string const original = read("core_a.v");
    std::pair<char const*, char const*> const copies[] = {{"core_a.v", "core_a_BAK.v"},
                                                          {"core_a.v", "core_a_BAK1.v"},
                                                          {"sub/core_b.vhd", "sub/core_b_BAK.vhd"},
                                                          {"core_a.v", "lone_BAK.v"}};
    for (auto const& copy : copies) {
        std::filesystem::copy_file(m_project + "/" + copy.first, m_project + "/" + copy.second);
    }
    std::filesystem::remove_all(m_project + "/sub/deeper");
    std::filesystem::remove(m_project + "/sub/broken.v");
    TEST_RUN_RESULT result = run("--project_directory=.");
    EXPECT_EQ(result.output,
              "Info (11914): Backup files of earlier IP upgrades left out of the upgrade: 3\n" +
                  progress(25) + upgraded("\"" + m_root + "/core_a.v\"") + progress(50) +
                  upgraded("\"" + m_root + "/lone_BAK.v\"") + progress(75) +
                  upgraded("\"" + m_root + "/ram block.v\"") + progress(100) +
                  upgraded("\"" + m_root + "/sub/core_b.vhd\""));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read("core_a_BAK.v"), original);
    EXPECT_EQ(read("core_a_BAK1.v"), original);
    EXPECT_EQ(read("sub/core_b_BAK.vhd"), test_read_file(FIXTURE + "/sub/core_b.vhd"));
}

TEST_F(Regentool, UpgradesEveryVariationFileUnderAFolder) {
    std::string const expected =
        progress(20) + upgraded("\"" + m_root + "/core_a.v\"") + progress(40) +
        upgraded("\"" + m_root + "/ram block.v\"") + progress(60) +
        failed("\"" + m_root + "/sub/broken.v\"", WIZARD_FAILED) + progress(80) +
        upgraded("\"" + m_root + "/sub/core_b.vhd\"") + progress(100) +
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

    // A folder without variation files has nothing to do, and says so.
    std::filesystem::create_directory(m_project + "/empty");
    TEST_RUN_RESULT empty = run("--project_directory=empty");
    EXPECT_EQ(empty.output, NO_COMPONENTS);
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
    // Every argument after the script is the script's, help options too.
    struct CASE {
        char const* arguments;
        char const* output;
    } const cases[] = {
        {"-t show.tcl --all \"a b\"", "args: --all {a b}\n"},
        {"-t show.tcl --help", "args: --help\n"},
        {"-t show.tcl -h", "args: -h\n"},
        {"-t show.tcl x --help y", "args: x --help y\n"},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.output, c.output) << c.arguments;
        EXPECT_EQ(result.status, 0) << c.arguments;
    }
    EXPECT_EQ(read("core_a.v"), test_read_file(FIXTURE + "/core_a.v"));
    TEST_RUN_RESULT result = run("--help -t show.tcl");
    EXPECT_EQ(result.output.rfind("Usage: regentool", 0), 0u) << result.output;

    test_write_file(m_project + "/fails.tcl", "error {no such core}\n");
    result = run("-t fails.tcl");
    EXPECT_EQ(
        result.output.rfind("Error (10004): Tcl script \"fails.tcl\" failed: no such core\n", 0),
        0u)
        << result.output;
    EXPECT_EQ(result.status, 1);
}

// The example project's upgrade script makes a failed upgrade its exit status:
// 1 while its Plexa system (which only Plexa upgrades) fails, 0 without it.
TEST_F(Regentool, ExampleUpgradeScriptExitsWithTheUpgradesResult) {
    std::string const example = TESSALY_TEST_DATA_DIR "/../../examples/dsp_board";
    std::string const failing = m_workspace.copy_fixture(example, "failing");
    TEST_RUN_RESULT result =
        test_run(thr_process_quote_argument(REGENTOOL_PATH) + " -t upgrade.tcl", failing);
    EXPECT_NE(result.output.find("plexa_sys.psys} Failed}"), std::string::npos) << result.output;
    EXPECT_EQ(result.status, 1) << result.output;

    std::string const passing = m_workspace.copy_fixture(example, "passing");
    std::string settings = test_read_file(passing + "/dsp_board.tsf");
    std::string const plexa = "set_global_assignment -name TIP_FILE ip/plexa_sys/plexa_sys.tip\n";
    ASSERT_NE(settings.find(plexa), std::string::npos);
    test_write_file(passing + "/dsp_board.tsf", settings.erase(settings.find(plexa), plexa.size()));
    result = test_run(thr_process_quote_argument(REGENTOOL_PATH) + " -t upgrade.tcl", passing);
    EXPECT_EQ(result.output.find("Failed"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Passed"), std::string::npos) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
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
                                 failed("\"" + path + "\"", "Not writable")),
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
    std::string const not_variation = "Not a variation file of the IP wizard";
    EXPECT_EQ(files.output, progress(33) + failed("fifo.v", not_variation) + progress(66) +
                                failed("zero.v", not_variation) + progress(99) +
                                upgraded("core_a.v"));
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
    EXPECT_TRUE(one.output == progress(20) + failed(name, NO_FILE)) << one.output.substr(0, 200);
    EXPECT_EQ(one.status, 1);
}

// A failed upgrade says why below its error: the wizard's exit status, or that
// the wizard cannot be started (the file checks have their cases above).
TEST_F(Regentool, FailedUpgradeNamesTheWizardsReason) {
    IPMAN_TEST_INSTALL install(m_workspace, "odd");
    TEST_RUN_RESULT missing = test_run(install.program() + " core_a.v", m_project);
    EXPECT_EQ(missing.output,
              progress(20) + failed("core_a.v", "The IP wizard \"" + install.dir() +
                                                    "/vestawiz\" cannot be started"));
    EXPECT_EQ(missing.status, 1);

    install.add_wizard_script("exit 3");
    TEST_RUN_RESULT three = test_run(install.program() + " core_a.v", m_project);
    EXPECT_EQ(three.output,
              progress(20) + failed("core_a.v", "The IP wizard exited with status 3"));
    EXPECT_EQ(three.status, 1);
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

// A part of a project, named by its files or its folder, from inside the
// project or from outside, waits for an upgrade of the whole project: the lock
// is the project's, the nearest folder upward that holds a project file.
TEST_F(Regentool, UpgradeOfAPartWaitsForTheWholeProject) {
    test_write_file(m_project + "/project.tpf", "PROJECT_REVISION = \"project\"\n");
    IPMAN_TEST_INSTALL install(m_workspace, "slow");
    install.add_wizard_script("touch '" + m_root + "/started'; while [ ! -e '" + m_root +
                              "/release' ]; do sleep 0.02; done");
    THR_PIPE out = nullptr;
    THR_PROCESS whole = nullptr;
    long whole_pid = 0;
    ASSERT_TRUE(thr_process_create((install.program() + " --all").c_str(), m_project.c_str(), &out,
                                   &out, &whole, &whole_pid));
    for (int i = 0; i < 1000 && !std::filesystem::exists(m_project + "/started"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(m_project + "/started"));
    struct CASE {
        std::string arguments;
        std::string folder; // where the run starts
    } const cases[] = {
        {"--files " + m_root + "/sub/core_b.vhd", m_workspace.dir()},
        {"--files \"core_b.vhd deeper/core_c.sv\"", m_project + "/sub"},
        {"--files ../core_a.v", m_project + "/sub"},
        {"--project_directory=" + m_root + "/sub", m_workspace.dir()},
        {"--project_directory=.", m_project + "/sub/deeper"},
        {"--all", m_project + "/sub"},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT part =
            test_run("timeout -s KILL 20 " + install.program() + " " + c.arguments, c.folder);
        EXPECT_EQ(part.output, "Error (11905): IP components of the project in \"" + m_root +
                                   "\" cannot be upgraded now: IP upgrade process " +
                                   std::to_string(whole_pid) + " is upgrading it.\n")
            << c.arguments << " in " << c.folder;
        EXPECT_EQ(part.status, 1) << c.arguments;
    }
    test_write_file(m_project + "/release", "");
    char buffer[256];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
    }
    int status = -1;
    thr_process_wait(whole, &status, 0);
    EXPECT_EQ(status, 0);
}

} // namespace
