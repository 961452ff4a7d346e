// The Tcl package "::tessaly::ipman" in the interpreter of `regentool -t`, run
// as a child process on copies of a fixture project. The project lists five IP
// components: fifo_a (fifo 12.1) and fir_c (fir 13.0, in a nested folder) need
// an upgrade; pll_d is of the running version; sys_e was made by the Plexa tool
// and is listed for an upgrade; bad_f needs one but the wizard refuses it.
#include "suite/reportdb/rdb.h"
#include "suite/threads/thr.h"

#include "tests/ipman/ipman_test_install.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/tcl_project";

std::string const NO_PROJECT =
    "ERROR: Open project does not exist. Open an existing project or create a new one.";

// What one recorded command gave.
struct CALL {
    int code = -1;
    std::string result;
};

class IpmanTcl : public ::testing::Test {
protected:
    void SetUp() override { fresh_copy(); }
    void fresh_copy() {
        std::filesystem::remove_all(m_workspace.path("board"));
        m_project = m_workspace.copy_fixture(FIXTURE, "board");
        m_root = std::filesystem::canonical(m_project).string();
    }
    std::string file(std::string const& name) const { return m_root + "/" + name; }
    std::string fixture(std::string const& name) const {
        return test_read_file(FIXTURE + "/" + name);
    }
    std::string read(std::string const& name) const { return test_read_file(file(name)); }
    bool exists(std::string const& name) const { return std::filesystem::exists(file(name)); }

    // Runs `body` with regentool -t, started in `folder` (by default the
    // project copy), after the package was required and, with `open`, the
    // project opened: by its name from its own folder, by its path from any
    // other. `record <name> <script>` in the body keeps what the script gave,
    // in the project copy, for call(<name>). A run that waits on a file is
    // stopped after twenty seconds.
    TEST_RUN_RESULT run(std::string const& body, bool open = true,
                        std::string const& program = thr_process_quote_argument(REGENTOOL_PATH),
                        std::string folder = "") {
        if (folder.empty()) {
            folder = m_project;
        }
        std::string script = "package require ::tessaly::ipman\n"
                             "set record_dir [file dirname [file normalize [info script]]]\n"
                             "proc record {name script} {\n"
                             "    set code [catch {uplevel #0 $script} result]\n"
                             "    set f [open [file join $::record_dir $name.out] w]\n"
                             "    puts -nonewline $f \"$code\\n$result\"\n"
                             "    close $f\n"
                             "}\n";
        if (open) {
            script += folder == m_project ? "project_open board\n"
                                          : "project_open [file join $record_dir board]\n";
        }
        test_write_file(file("run.tcl"), script + body + "\n");
        std::string const run_tcl =
            folder == m_project ? "run.tcl" : thr_process_quote_argument(file("run.tcl"));
        return test_run("timeout -s KILL 20 " + program + " -t " + run_tcl, folder);
    }
    CALL call(std::string const& name) const {
        std::string text = read(name + ".out");
        size_t newline = text.find('\n');
        if (newline == std::string::npos) {
            return CALL();
        }
        return {std::stoi(text.substr(0, newline)), text.substr(newline + 1)};
    }
    // A component's description as the commands give it; these components
    // carry no entity.
    std::string component(char const* name, char const* version, std::string const& path) const {
        return std::string("{{} ") + name + " " + version + " " + file(path) + "}";
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::string m_root;
};

std::string const FIFO = "ip/fifo_a/fifo_a.v";
std::string const FIR = "ip/dsp/fir_c/fir_c.sv";
std::string const PLL = "ip/pll_d/pll_d.v";
std::string const SYS = "ip/sys_e/sys_e.psys";
std::string const BAD = "ip/bad_f/bad_f.v";

// The "IP Upgrade" report of the board revision as written to its report file.
struct REPORT {
    std::string title;
    std::string status;
    std::vector<std::vector<std::string>> successful; // without the header row
    std::vector<std::vector<std::string>> failed;
};

std::vector<std::vector<std::string>> rows_of(RDB_FOLDER_OBJECT const* folder, char const* table) {
    RDB_OBJECT const* found = folder->find(table);
    if (found == nullptr || found->get_kind() != RDB_TABLE) {
        return {};
    }
    auto const& rows = static_cast<RDB_TABLE_OBJECT const*>(found)->rows();
    return {rows.begin() + 1, rows.end()};
}

bool read_report(std::string const& path, REPORT& out) {
    RDB_REPORT report;
    if (!rdb_read_report_file(path, report, &out.title) || report.get_main_folder() == nullptr) {
        return false;
    }
    RDB_FOLDER_OBJECT const* folder = report.get_main_folder();
    if (RDB_SUMMARY_OBJECT const* summary = RDB_REPORT::find_summary(folder, false)) {
        for (auto const& row : summary->rows()) {
            if (row.first == "IP Components Upgrade Status") {
                out.status = row.second;
            }
        }
    }
    out.successful = rows_of(folder, "Successful Upgrade IP Components");
    out.failed = rows_of(folder, "Failed Upgrade IP Components");
    return true;
}

TEST_F(IpmanTcl, ListsTheTopLevelComponentsThatNeedAnUpgrade) {
    run("record list {list_ip_cores}\nrecord again {list_ip_cores -he}");
    CALL list = call("list");
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.result, "{" + component("fifo", "12.1", FIFO) + "} {" +
                               component("fir", "13.0", FIR) + "} {" +
                               component("fifo", "12.1", SYS) + "} {" +
                               component("fifo", "11.1", BAD) + "}");
    // Listing changes nothing.
    EXPECT_EQ(read(FIFO), fixture(FIFO));
    EXPECT_FALSE(exists("ip/fifo_a/fifo_a_BAK.v"));
    EXPECT_FALSE(exists("board.ipregen.rpt"));
}

// The IP files the settings name by relative paths are found from the
// project's folder, whatever folder the run starts in; the upgrade rewrites the
// components where they are, and the settings keep the names as written.
TEST_F(IpmanTcl, AProjectOpenedFromAnotherFolderFindsItsComponents) {
    run("record list {list_ip_cores}");
    CALL const from_project = call("list");
    ASSERT_EQ(from_project.code, 0);
    ASSERT_NE(from_project.result, "");

    std::string const elsewhere = m_workspace.path("elsewhere");
    std::filesystem::create_directory(elsewhere);
    std::string const program = thr_process_quote_argument(REGENTOOL_PATH);
    TEST_RUN_RESULT run_result = run("record list {list_ip_cores}\n"
                                     "record regen {regenerate_ip}\n"
                                     "set_global_assignment -name TOP_LEVEL_ENTITY top\n"
                                     "export_assignments\n",
                                     true, program, elsewhere);
    EXPECT_EQ(run_result.status, 0) << run_result.output;
    EXPECT_EQ(call("list").result, from_project.result);
    EXPECT_EQ(call("regen").result, "{" + component("fifo", "14.0", FIFO) + " Passed} {" +
                                        component("fir", "14.0", FIR) + " Passed} {" +
                                        component("fifo", "12.1", SYS) + " Failed} {" +
                                        component("fifo", "11.1", BAD) + " Failed}");
    for (std::string const& name : {FIFO, FIR}) {
        EXPECT_NE(read(name).find("version=\"14.0\""), std::string::npos) << name;
    }
    EXPECT_EQ(read("ip/fifo_a/fifo_a_BAK.v"), fixture(FIFO));
    EXPECT_FALSE(std::filesystem::exists(elsewhere + "/ip"));

    std::string settings = read("board.tsf");
    EXPECT_NE(settings.find("TOP_LEVEL_ENTITY top"), std::string::npos) << settings;
    for (char const* tip : {"ip/fifo_a/fifo_a.tip", "ip/dsp/fir_c/fir_c.tip"}) {
        EXPECT_NE(settings.find(std::string("-name TIP_FILE ") + tip + "\n"), std::string::npos)
            << settings;
    }
}

TEST_F(IpmanTcl, UpgradesWithBackupsAndWritesTheReport) {
    TEST_RUN_RESULT run_result = run("record regen {regenerate_ip}\nrecord after {list_ip_cores}");
    EXPECT_EQ(run_result.status, 0) << run_result.output;

    CALL regen = call("regen");
    EXPECT_EQ(regen.code, 0);
    EXPECT_EQ(regen.result, "{" + component("fifo", "14.0", FIFO) + " Passed} {" +
                                component("fir", "14.0", FIR) + " Passed} {" +
                                component("fifo", "12.1", SYS) + " Failed} {" +
                                component("fifo", "11.1", BAD) + " Failed}");
    // The upgraded components are no longer listed: their IP files were
    // rewritten and the project re-read them.
    EXPECT_EQ(call("after").result,
              "{" + component("fifo", "12.1", SYS) + "} {" + component("fifo", "11.1", BAD) + "}");

    // Upgraded files carry the running version and have their backups.
    for (std::string const& name : {FIFO, FIR}) {
        EXPECT_NE(read(name).find("version=\"14.0\""), std::string::npos) << name;
    }
    EXPECT_EQ(read("ip/fifo_a/fifo_a_BAK.v"), fixture(FIFO));
    EXPECT_EQ(read("ip/dsp/fir_c/fir_c_BAK.sv"), fixture(FIR));
    // The Plexa system is not touched; the refused file is restored, its backup kept.
    EXPECT_EQ(read(SYS), fixture(SYS));
    EXPECT_FALSE(exists("ip/sys_e/sys_e_BAK.psys"));
    EXPECT_EQ(read(BAD), fixture(BAD));
    EXPECT_EQ(read("ip/bad_f/bad_f_BAK.v"), fixture(BAD));
    // A component of the running version is left alone.
    EXPECT_EQ(read(PLL), fixture(PLL));
    EXPECT_FALSE(exists("ip/pll_d/pll_d_BAK.v"));

    std::string const& out = run_result.output;
    std::vector<std::string> const in_order = {
        "Info: IP Upgrade progress: 25%\n",
        "Info (11837): Started upgrading IP component fifo with file \"" + file(FIFO) + "\".\n",
        "Info: IP Upgrade progress: 50%\n",
        "Info: IP Upgrade progress: 75%\n",
        "Info: IP Upgrade progress: 100%\n",
        "Info (11904): Restoring file \"" + file("ip/bad_f/bad_f_BAK.v") + "\" to \"" + file(BAD) +
            "\"\n",
        "Info (11131): Completed upgrading IP component fifo with file \"" + file(FIFO) + "\".\n",
        "Info (11131): Completed upgrading IP component fir with file \"" + file(FIR) + "\".\n",
        "Error (11890): You must upgrade the IP component \"" + file(SYS) + "\" in Plexa.\n",
        "Error (11133): IP component fifo with file \"" + file(BAD) + "\" upgrade failed.\n",
        "Error (11889): IP component upgrade failed.\n",
    };
    size_t at = 0;
    for (std::string const& line : in_order) {
        size_t found = out.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << "in\n" << out;
        at = found == std::string::npos ? at : found + line.size();
    }

    REPORT report;
    ASSERT_TRUE(read_report(file("board.ipregen.rpt"), report));
    EXPECT_EQ(report.title, "IP Upgrade report for board");
    EXPECT_EQ(report.status.rfind("Failed - ", 0), 0u) << report.status;
    using ROWS = std::vector<std::vector<std::string>>;
    EXPECT_EQ(report.successful,
              (ROWS{{"", "fifo", "14.0", file(FIFO)}, {"", "fir", "14.0", file(FIR)}}));
    EXPECT_EQ(report.failed,
              (ROWS{{"", "fifo", "12.1", file(SYS)}, {"", "fifo", "11.1", file(BAD)}}));
    // The report database keeps its copy as well.
    EXPECT_TRUE(exists("db/board.1.rdb"));
}

TEST_F(IpmanTcl, AnyComponentThatDidNotUpgradeFailsTheRun) {
    // Only the Plexa system fails: it is not run, yet the run is not "Passed".
    std::string settings = read("board.tsf");
    settings.erase(settings.find("set_global_assignment -name TIP_FILE ip/bad_f/bad_f.tip"));
    test_write_file(file("board.tsf"), settings);
    run("record regen {regenerate_ip}");
    EXPECT_EQ(call("regen").result, "{" + component("fifo", "14.0", FIFO) + " Passed} {" +
                                        component("fir", "14.0", FIR) + " Passed} {" +
                                        component("fifo", "12.1", SYS) + " Failed}");
    REPORT report;
    ASSERT_TRUE(read_report(file("board.ipregen.rpt"), report));
    EXPECT_EQ(report.status.rfind("Failed - ", 0), 0u) << report.status;

    // A project where nothing needs an upgrade says so and writes no report.
    fresh_copy();
    test_write_file(file("board.tsf"), "set_global_assignment -name TIP_FILE ip/pll_d/pll_d.tip\n");
    TEST_RUN_RESULT nothing = run("record regen {regenerate_ip}");
    EXPECT_EQ(call("regen").result, "");
    EXPECT_NE(nothing.output.find(
                  "Info (11838): No required-upgrade IP components found in the project\n"),
              std::string::npos)
        << nothing.output;
    EXPECT_FALSE(exists("board.ipregen.rpt"));
}

// A wizard killed after it replaced the variation file and its IP file fails
// the upgrade: both files are put back as they were, as one, so the component
// is listed for an upgrade again.
TEST_F(IpmanTcl, AWizardKilledAfterItsChangesHasBothFilesPutBack) {
    IPMAN_TEST_INSTALL install(m_workspace, "killed");
    install.add_wizard_script("'" + std::string(REGENTOOL_BIN_DIR) +
                              "/vestawiz' \"$@\"; kill -KILL $$");
    run("record regen {regenerate_ip -files " + FIFO + "}\nrecord after {list_ip_cores}", true,
        install.program());
    EXPECT_EQ(call("regen").result, "{{N/A fifo 12.1 " + FIFO + "} Failed}");
    EXPECT_EQ(read(FIFO), fixture(FIFO));
    EXPECT_EQ(read("ip/fifo_a/fifo_a.tip"), fixture("ip/fifo_a/fifo_a.tip"));
    EXPECT_NE(call("after").result.find(component("fifo", "12.1", FIFO)), std::string::npos)
        << call("after").result;
}

// The project's settings without the components that fail by themselves
// (sys_e, bad_f): what is left fails only by what cannot be read.
void leave_out_failing_components(std::string const& settings_file) {
    std::string settings = test_read_file(settings_file);
    for (char const* left_out : {"set_global_assignment -name TIP_FILE ip/bad_f/bad_f.tip\n",
                                 "set_global_assignment -name TIP_FILE ip/sys_e/sys_e.tip\n"}) {
        settings.erase(settings.find(left_out), std::string(left_out).size());
    }
    test_write_file(settings_file, settings);
}

// The project's settings without the IP files they name inside `folder`.
void leave_out_ip_files_in(std::string const& settings_file, std::string const& folder) {
    std::string settings = test_read_file(settings_file);
    std::string const named = "TIP_FILE " + folder;
    for (size_t at = settings.find(named); at != std::string::npos; at = settings.find(named)) {
        size_t start = settings.rfind('\n', at);
        start = start == std::string::npos ? 0 : start + 1;
        settings.erase(start, settings.find('\n', at) + 1 - start);
    }
    test_write_file(settings_file, settings);
}

// A folder of the project that cannot be read may hide components, or what a
// killed upgrade left half done there: it is a failure of the run, named in a
// warning and in the result, whether the run upgrades the whole project or
// the files it lists. (An IP file the settings name inside it would fail the
// open itself: they name none there.)
TEST_F(IpmanTcl, AFolderThatCannotBeReadFailsTheRun) {
    struct CASE {
        std::string command;
        std::string upgraded;
    } const cases[] = {
        {"regenerate_ip", component("fifo", "14.0", FIFO)},
        {"regenerate_ip -files " + FIFO, "{N/A fifo 14.0 " + FIFO + "}"},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        leave_out_failing_components(file("board.tsf"));
        leave_out_ip_files_in(file("board.tsf"), "ip/dsp/");
        chmod(file("ip/dsp").c_str(), 0);
        TEST_RUN_RESULT result = run("record regen {" + c.command + "}", true,
                                     unprivileged() + thr_process_quote_argument(REGENTOOL_PATH));
        chmod(file("ip/dsp").c_str(), 0755);
        EXPECT_NE(result.output.find("Warning (11912): Directory \"" + file("ip/dsp") +
                                     "\" cannot be read: Permission denied. Its IP components are "
                                     "not upgraded.\n"),
                  std::string::npos)
            << c.command << "\n"
            << result.output;
        EXPECT_EQ(call("regen").result,
                  "{{N/A N/A N/A " + file("ip/dsp") + "} Failed} {" + c.upgraded + " Passed}")
            << c.command;
    }
}

// A variation file the project names that cannot be read, in a folder that
// can, leaves its component out of the inventory: the run names the file and
// fails, and the file stays as it was.
TEST_F(IpmanTcl, AVariationFileThatCannotBeReadFailsTheRun) {
    struct CASE {
        char const* name;
        mode_t mode;
        std::string program;
        std::string reason;
    } const cases[] = {
        {"no permission", 0, unprivileged() + thr_process_quote_argument(REGENTOOL_PATH),
         "Permission denied"},
        {"a failing disk", 0644,
         std::string(STRACE_PATH) + " -f -qq -o /dev/null -P " +
             thr_process_quote_argument(file(FIR)) +
             " -e trace=openat -e inject=openat:error=EIO " +
             thr_process_quote_argument(REGENTOOL_PATH),
         "Input/output error"},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        leave_out_failing_components(file("board.tsf"));
        chmod(file(FIR).c_str(), c.mode);
        TEST_RUN_RESULT result = run("record regen {regenerate_ip}", true, c.program);
        chmod(file(FIR).c_str(), 0644);
        EXPECT_NE(result.output.find("Error (11913): File \"" + file(FIR) +
                                     "\" cannot be read: cannot be opened: " + c.reason +
                                     ". If it is a variation file, its IP component is not "
                                     "upgraded.\n"),
                  std::string::npos)
            << c.name << "\n"
            << result.output;
        EXPECT_EQ(call("regen").result, "{" + component("fir", "13.0", FIR) + " Failed} {" +
                                            component("fifo", "14.0", FIFO) + " Passed}")
            << c.name;
        EXPECT_EQ(read(FIR), fixture(FIR)) << c.name;
    }
}

// Information the project switches off is not posted; the upgrade still runs
// and errors, which cannot be switched off, still show.
TEST_F(IpmanTcl, MessagesTheProjectDisablesAreNotPosted) {
    test_write_file(file("board.tsf"), read("board.tsf") +
                                           "set_global_assignment -name MESSAGE_DISABLE 11837\n"
                                           "set_global_assignment -name MESSAGE_DISABLE 11902\n"
                                           "set_global_assignment -name MESSAGE_DISABLE 11133\n");
    TEST_RUN_RESULT run_result = run("record regen {regenerate_ip}");
    EXPECT_EQ(run_result.status, 0) << run_result.output;
    std::string const& out = run_result.output;
    EXPECT_EQ(out.find("(11837)"), std::string::npos) << out;
    EXPECT_EQ(out.find("(11902)"), std::string::npos) << out;
    EXPECT_NE(out.find("Info (11131): Completed upgrading IP component fifo"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Error (11133)"), std::string::npos) << out;
    EXPECT_NE(read(FIFO).find("version=\"14.0\""), std::string::npos);
}

TEST_F(IpmanTcl, FilesOptionUpgradesEachListedFile) {
    TEST_RUN_RESULT run_result = run("record regen [list regenerate_ip -files \"" + file(FIFO) +
                                     ";" + file(BAD) + ";;" + file(SYS) + "\"]");
    CALL regen = call("regen");
    EXPECT_EQ(regen.code, 0);
    // The Plexa system is run like any listed file; not being a variation
    // file, it fails the check and is known by its file only.
    EXPECT_EQ(regen.result, "{" + component("fifo", "14.0", FIFO) + " Passed} {" +
                                component("fifo", "11.1", BAD) + " Failed} {{N/A N/A N/A " +
                                file(SYS) + "} Failed}");
    size_t at = 0;
    for (int percent : {33, 66, 99}) {
        std::string line = "Info: IP Upgrade progress: " + std::to_string(percent) + "%\n";
        at = run_result.output.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << run_result.output;
    }
    EXPECT_NE(run_result.output.find("Error (11901): File " + file(SYS) +
                                     " is not a valid variation file.\n"),
              std::string::npos);
    EXPECT_EQ(read(SYS), fixture(SYS));
    EXPECT_EQ(read(BAD), fixture(BAD));
    EXPECT_NE(read(FIFO).find("version=\"14.0\""), std::string::npos);
    // Files that were not listed are not touched.
    EXPECT_EQ(read(FIR), fixture(FIR));

    // An empty list has nothing to do.
    fresh_copy();
    run("record regen {regenerate_ip -files {}}\nrecord blank {regenerate_ip -files { ; }}");
    EXPECT_EQ(call("regen").code, 0);
    EXPECT_EQ(call("regen").result, "");
    EXPECT_EQ(call("blank").result, "");
    EXPECT_FALSE(exists("board.ipregen.rpt"));
}

TEST_F(IpmanTcl, OptionNamesMayBeShortened) {
    std::string const options = "\nOptions:\n";
    enum EXPECT { UPGRADES_FIFO, SHORT_HELP, HELP, LONG_HELP, REFUSED };
    struct CASE {
        std::string command;
        EXPECT expect;
    } const cases[] = {
        {"regenerate_ip -f $fifo", UPGRADES_FIFO},
        {"regenerate_ip -fil $fifo", UPGRADES_FIFO},
        {"regenerate_ip -file $fifo", UPGRADES_FIFO},
        {"regenerate_ip -files $fifo", UPGRADES_FIFO},
        {"regenerate_ip -g -fi $fifo", UPGRADES_FIFO},
        {"regenerate_ip -h", SHORT_HELP},
        {"regenerate_ip -he", HELP},
        {"regenerate_ip -help -files $fifo", HELP},
        {"regenerate_ip -l", LONG_HELP},
        {"regenerate_ip -long_h", LONG_HELP},
        {"regenerate_ip -long_help", LONG_HELP},
        {"list_ip_cores -hel", HELP},
        {"regenerate_ip -x", REFUSED},
        {"regenerate_ip -F $fifo", REFUSED},
        {"regenerate_ip -filesx $fifo", REFUSED},
        {"regenerate_ip -gui2", REFUSED},
        {"regenerate_ip -long_helpx", REFUSED},
        {"regenerate_ip -", REFUSED},
        {"regenerate_ip $fifo", REFUSED},
        {"regenerate_ip -fil", REFUSED}, // no value
        {"list_ip_cores -f $fifo", REFUSED},
        {"list_ip_cores -g", REFUSED},
    };
    for (CASE const& c : cases) {
        fresh_copy();
        TEST_RUN_RESULT run_result =
            run("set fifo " + file(FIFO) + "\nrecord call {" + c.command + "}");
        CALL result = call("call");
        std::string const& out = run_result.output;
        switch (c.expect) {
        case UPGRADES_FIFO:
            EXPECT_EQ(result.code, 0) << c.command;
            EXPECT_EQ(result.result, "{" + component("fifo", "14.0", FIFO) + " Passed}")
                << c.command;
            EXPECT_TRUE(exists("ip/fifo_a/fifo_a_BAK.v")) << c.command;
            continue;
        case REFUSED:
            EXPECT_EQ(result.code, 1) << c.command;
            EXPECT_EQ(result.result.rfind("ERROR: ", 0), 0u) << c.command << ": " << result.result;
            break;
        case SHORT_HELP:
        case HELP:
        case LONG_HELP: {
            std::string command = c.command.substr(0, c.command.find(' '));
            EXPECT_EQ(result.code, 0) << c.command;
            EXPECT_EQ(result.result, "") << c.command;
            EXPECT_NE(out.find("Usage: " + command + " [-h | -help | -long_help]"),
                      std::string::npos)
                << c.command << "\n"
                << out;
            EXPECT_EQ(out.find(options) != std::string::npos, c.expect != SHORT_HELP) << c.command;
            EXPECT_EQ(out.find(command + ": ") != std::string::npos, c.expect == LONG_HELP)
                << c.command;
            break;
        }
        }
        // Neither help nor a refused call upgrades anything.
        EXPECT_EQ(read(FIFO), fixture(FIFO)) << c.command;
        EXPECT_FALSE(exists("board.ipregen.rpt")) << c.command;
    }
}

TEST_F(IpmanTcl, GuiRowsAddToThoseOfTheEarlierRuns) {
    struct CASE {
        char const* flag;
        size_t rows;
    } const cases[] = {{"", 1}, {"-g", 2}, {"-gu", 2}, {"-gui", 2}};
    for (CASE const& c : cases) {
        fresh_copy();
        run("regenerate_ip -files " + file(FIFO) + "\nregenerate_ip " + c.flag + " -files " +
            file(PLL));
        REPORT report;
        ASSERT_TRUE(read_report(file("board.ipregen.rpt"), report)) << c.flag;
        EXPECT_EQ(report.successful.size(), c.rows) << c.flag;
        ASSERT_FALSE(report.successful.empty());
        EXPECT_EQ(report.successful.back()[3], file(PLL)) << c.flag;
    }
}

TEST_F(IpmanTcl, WithoutAnOpenProjectTheCommandsFail) {
    TEST_RUN_RESULT caught = run("record default {regenerate_ip}\n"
                                 "record files [list regenerate_ip -files " +
                                     file(FIFO) + "]\nrecord list {list_ip_cores}\n",
                                 false);
    EXPECT_EQ(caught.status, 0) << caught.output;
    for (char const* name : {"default", "files", "list"}) {
        EXPECT_EQ(call(name).code, 1) << name;
        EXPECT_EQ(call(name).result, NO_PROJECT) << name;
    }
    EXPECT_EQ(read(FIFO), fixture(FIFO));
    EXPECT_FALSE(exists("ip/fifo_a/fifo_a_BAK.v"));

    // Uncaught, the error ends the script and fails the program.
    TEST_RUN_RESULT uncaught = run("regenerate_ip", false);
    EXPECT_EQ(uncaught.status, 1);
    EXPECT_NE(uncaught.output.find(NO_PROJECT), std::string::npos) << uncaught.output;
}

TEST_F(IpmanTcl, AReportThatCannotBeWrittenFailsTheCommand) {
    std::filesystem::create_directory(file("board.ipregen.rpt"));
    run("record regen [list regenerate_ip -files " + file(FIFO) + "]");
    CALL regen = call("regen");
    EXPECT_EQ(regen.code, 1);
    EXPECT_EQ(regen.result, "ERROR: The IP Upgrade report could not be written.");

    // The errors posted last name the write that failed, not a component.
    TEST_RUN_RESULT both = run("regenerate_ip -files {" + file(FIFO) + ";" + file(BAD) + "}");
    EXPECT_EQ(both.status, 1);
    size_t last = both.output.rfind("Error (");
    ASSERT_NE(last, std::string::npos) << both.output;
    EXPECT_EQ(both.output.substr(last, both.output.find('\n', last) + 1 - last),
              "Error (10004): Tcl script \"run.tcl\" failed: ERROR: The IP Upgrade report could "
              "not be written.\n")
        << both.output;
    size_t report = both.output.rfind("Error (", last - 1);
    EXPECT_EQ(both.output.substr(report, last - report), "Error (11907): IP Upgrade report \"" +
                                                             file("board.ipregen.rpt") +
                                                             "\" could not be written.\n")
        << both.output;
}

// A backup is never replaced: an older one stays, and the file's content goes
// to the next numbered name unless a backup holds it already.
TEST_F(IpmanTcl, ExistingBackupsAreKept) {
    test_write_file(file("ip/fifo_a/fifo_a_BAK.v"), "an older backup");
    run("regenerate_ip -files " + file(FIFO));
    EXPECT_EQ(read("ip/fifo_a/fifo_a_BAK.v"), "an older backup");
    EXPECT_EQ(read("ip/fifo_a/fifo_a_BAK1.v"), fixture(FIFO));
    EXPECT_NE(read(FIFO).find("version=\"14.0\""), std::string::npos);

    // Back to the original: the backup that holds it serves again.
    test_write_file(file(FIFO), fixture(FIFO));
    TEST_RUN_RESULT again = run("regenerate_ip -files " + file(FIFO));
    EXPECT_NE(again.output.find("to \"" + file("ip/fifo_a/fifo_a_BAK1.v") + "\""),
              std::string::npos)
        << again.output;
    EXPECT_FALSE(exists("ip/fifo_a/fifo_a_BAK2.v"));
}

// What killed runs left is settled before the upgrade: a half-made backup, a
// wizard's work file, half-written reports and the lock of a gone process.
TEST_F(IpmanTcl, LeftoversOfKilledRunsAreRemoved) {
    std::filesystem::create_directories(file("db"));
    std::vector<std::string> const leftovers = {
        "ip/fifo_a/.fifo_a_BAK.v.vwz-tmp", "ip/fifo_a/.fifo_a.v.vwz-new0",
        ".board.ipregen.rpt.Ab12Cd", "db/.board.1.rdb.x1Y2z3"};
    for (std::string const& name : leftovers) {
        test_write_file(file(name), "half");
    }
    test_write_file(file(".ip_upgrade.lock"), "999999999\n");
    TEST_RUN_RESULT result = run("regenerate_ip");
    EXPECT_EQ(result.status, 0) << result.output;
    for (std::string const& name : leftovers) {
        EXPECT_FALSE(exists(name)) << name;
    }
    EXPECT_FALSE(exists(".ip_upgrade.lock"));
    EXPECT_EQ(read("ip/fifo_a/fifo_a_BAK.v"), fixture(FIFO));
}

// An upgrade rule file that cannot be used fails the commands that decide by
// the rules, with an error naming the file; nothing is upgraded.
TEST_F(IpmanTcl, UnusableRuleFilesFailTheCommands) {
    struct CASE {
        char const* what;
        char const* list; // null: a FIFO
    } const cases[] = {
        {"garbage", "\x7f"
                    "ELF\x01\x02 binary without sections"},
        {"a FIFO", nullptr},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        fresh_copy();
        IPMAN_TEST_INSTALL install(m_workspace, std::string("install ") + c.what);
        install.add_wizard();
        std::string rules = install.dir() + "/common/ip_cores_for_regeneration.txt";
        if (c.list != nullptr) {
            install.write_rule_file("ip_cores_for_regeneration.txt", c.list);
        } else {
            std::filesystem::remove(rules);
            mkfifo(rules.c_str(), 0644);
        }
        TEST_RUN_RESULT result =
            run("record list {list_ip_cores}\nregenerate_ip", true, install.program());
        EXPECT_EQ(result.status, 1) << result.output;
        EXPECT_NE(result.output.find("Error (11906): IP upgrade rule file \"" + rules + "\""),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(call("list").code, 1);
        EXPECT_EQ(call("list").result, "ERROR: The IP upgrade rule files cannot be used.");
        EXPECT_EQ(read(FIFO), fixture(FIFO));
    }
}

// A FIFO given as a variation file is refused at once.
TEST_F(IpmanTcl, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
    mkfifo(file("fifo.v").c_str(), 0644);
    std::filesystem::create_symlink("/dev/zero", file("zero.v"));
    TEST_RUN_RESULT result =
        run("regenerate_ip -files {" + file("fifo.v") + ";" + file("zero.v") + "}");
    EXPECT_EQ(result.status, 0) << result.output;
    for (char const* name : {"fifo.v", "zero.v"}) {
        EXPECT_NE(result.output.find("Error (11901): File " + file(name) +
                                     " is not a valid variation file."),
                  std::string::npos)
            << result.output;
    }
}

} // namespace
