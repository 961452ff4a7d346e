// The graphical host run as a child process on copies of the example project.
// With --screenshot it saves the modal dialog open once the presses are done
// and closes it, so a picture on disk tells that a dialog was shown.
#include "suite/archive/afm_zip.h"
#include "suite/threads/thr.h"

#include "tests/db/acf/acf_fault_shim.h"
#include "tests/support/test_environment.h"
#include "tests/support/test_preferences.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string const EXAMPLE = TESSALY_SOURCE_DIR "/examples/dsp_board";
// Revisions of both companion families: top (Vorelon II, companion top_lm),
// top_lm and alt_lm (Lumiform II).
std::string const REVISIONS = TESSALY_SOURCE_DIR "/tests/sys/mdb/fixtures/rev_project";
// Three revisions with flow reports, descriptions and databases.
std::string const REVISION_TABLE = TESSALY_SOURCE_DIR "/tests/sys/mdb/fixtures/revs_project";

// Every file of a folder with its content and modification time.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>
files_of(std::string const& dir) {
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = {test_read_file(entry.path().string()),
                                            entry.last_write_time()};
        }
    }
    return files;
}

class Tsgui : public ::testing::Test {
protected:
    TEST_RUN_RESULT run(std::string const& arguments) {
        return test_run(thr_process_quote_argument(TSGUI_PATH) + " " + arguments,
                        m_workspace.dir());
    }
    std::string picture() const { return m_workspace.path("dialog.png"); }
    bool picture_taken() const {
        std::error_code error;
        return std::filesystem::file_size(picture(), error) > 0 && !error;
    }

    TEST_WORKSPACE m_workspace;
};

TEST_F(Tsgui, OpensTheProjectBeforeCallingTheEntryPoint) {
    // The dialog of this entry point shows only when the open project has IP
    // components to upgrade, as the example has.
    std::string project = m_workspace.copy_fixture(EXAMPLE, "dsp board");
    TEST_RUN_RESULT result =
        run("--project " + thr_process_quote_argument(project) + " --screenshot " +
            thr_process_quote_argument(picture()) + " mdb_dyn_ip_regen_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(picture_taken()) << result.output;

    // Without a project there is nothing to upgrade and no dialog.
    std::filesystem::remove(picture());
    result = run("--screenshot " + thr_process_quote_argument(picture()) + " mdb_dyn_ip_regen_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_FALSE(picture_taken());
}

// The lines of a text that start with `prefix`, in order.
std::vector<std::string> lines_starting(std::string const& text, std::string const& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(Tsgui, StartsTheToolsWithTheOpenProject) {
    std::string project = m_workspace.copy_fixture(EXAMPLE, "dsp \"board\" copy");
    // The tools write to the host's output, which the run reads until they end.
    TEST_RUN_RESULT result = run("--project " + thr_process_quote_argument(project) + " --arg " +
                                 thr_process_quote_argument("sys/a b.psys") +
                                 " mdb_dyn_system_console mdb_dyn_ferro_builder");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(lines_starting(result.output, "system-console: "),
              (std::vector<std::string>{
                  "system-console: cwd " + project,
                  "system-console: arg -com.norvik.systemconsole.transceivers.SHOW_AT_STARTUP",
                  "system-console: arg -project-dir=" + project + "/"}))
        << result.output;
    std::vector<std::string> ferro = lines_starting(result.output, "ferro_builder: arg ");
    ASSERT_EQ(ferro.size(), 6u) << result.output;
    EXPECT_EQ(ferro[2], "ferro_builder: arg -projectnamedsp_board");
    EXPECT_EQ(ferro[3], "ferro_builder: arg -projectpath" + project + "/");
    EXPECT_EQ(ferro[5], "ferro_builder: arg sys/a b.psys");
}

TEST_F(Tsgui, TimingModelPickerListsTheCornersTheScriptSets) {
    std::string script = m_workspace.path("corners.tcl");
    test_write_file(script, "set corner_file_list {{slow_85c 1100mv} {fast_0c 1100mv}}\n");
    TEST_RUN_RESULT result =
        run("--tcl " + thr_process_quote_argument(script) + " --press Run mdb_dyn_eda_gls_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_eda_gls_dlg returned 0"), std::string::npos)
        << result.output;
    // Closed without Run.
    result = run("--tcl " + thr_process_quote_argument(script) + " --screenshot " +
                 thr_process_quote_argument(picture()) + " mdb_dyn_eda_gls_dlg");
    EXPECT_NE(result.output.find("mdb_dyn_eda_gls_dlg returned -1"), std::string::npos)
        << result.output;
    EXPECT_TRUE(picture_taken());
    // A script that fails stops the host before any entry point.
    test_write_file(script, "error {no corners today}\n");
    result = run("--tcl " + thr_process_quote_argument(script) + " mdb_dyn_eda_gls_dlg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("no corners today"), std::string::npos) << result.output;
}

TEST_F(Tsgui, PressesButtonsInOrderAndPrintsWhatTheEntryPointsReturn) {
    std::string project =
        thr_process_quote_argument(m_workspace.copy_fixture(REVISIONS, "revisions"));
    // OK in the set dialog keeps the preselected companion; the create dialog
    // that follows has nothing left to press and is cancelled.
    TEST_RUN_RESULT result = run("--project " + project +
                                 " --press OK mdb_dyn_set_companion_revision_dlg"
                                 " mdb_dyn_create_companion_revision_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_set_companion_revision_dlg returned 1, name \"top_lm\""),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_create_companion_revision_dlg returned 0, name \"\""),
              std::string::npos)
        << result.output;

    // Choosing "create new" by its text (mnemonic marks or not), then OK on
    // the proposed name, which is a revision already: the queued answer
    // overwrites it. The set dialog that follows gets Cancel.
    result = run("--project " + project +
                 " --press \"&Create new companion revision with assignments from the current "
                 "revision\" --press &OK --answer yes --press Cancel"
                 " mdb_dyn_create_companion_revision_dlg"
                 " mdb_dyn_set_companion_revision_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("create_companion_revision_dlg returned 1, name \"top_lm\""),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Question (296022)"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("set_companion_revision_dlg returned 0"), std::string::npos)
        << result.output;

    // A button that is not there fails the run.
    result = run("--project " + project + " --press Nope mdb_dyn_set_companion_revision_dlg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("no button \"Nope\""), std::string::npos) << result.output;
}

TEST_F(Tsgui, TheRevisionsDialogRunsAndLeavesAnUnchangedProjectAsItWas) {
    std::string project = m_workspace.copy_fixture(REVISION_TABLE, "table");
    // The host's own opening stamps the running version into the active
    // revision once; a run that shows no dialog takes care of that.
    TEST_RUN_RESULT result =
        run("--project " + thr_process_quote_argument(project) + " mdb_dyn_ip_regen_dlg");
    auto before = files_of(project);
    result = run("--project " + thr_process_quote_argument(project) +
                 " --press OK mdb_dyn_get_revisions_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(
        result.output.find(
            "mdb_dyn_get_revisions_dlg returned the dialog \"Revisions\", which ended with 1"),
        std::string::npos)
        << result.output;
    EXPECT_EQ(files_of(project), before);

    // The Create Revision dialog opens from the table's last row; Cancel in it
    // creates nothing. Then the Compare Revisions dialog is saved as a picture.
    result = run("--project " + thr_process_quote_argument(project) +
                 " --press \"<<new revision>>\" --press Cancel --press Compare... --screenshot " +
                 thr_process_quote_argument(picture()) + " mdb_dyn_get_revisions_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(picture_taken()) << result.output;
    EXPECT_EQ(files_of(project), before);
}

// A failing disk at any call of the Compare Revisions export: the message says
// what is on disk. A failed export leaves the old file byte-identical; a file
// replaced whose folder alone could not be flushed is said to be written, but
// not confirmed durable.
TEST_F(Tsgui, TheCompareExportsMessageMatchesWhatIsOnDisk) {
    std::string const project = m_workspace.copy_fixture(REVISION_TABLE, "table");
    std::string const out = m_workspace.path("out");
    std::string const csv = out + "/results.csv";
    struct CASE {
        char const* call;
        std::string file;
    } const cases[] = {
        {"stat", out + "/"},  {"open", out + "/"},   {"write", out + "/"},
        {"fsync", out + "/"}, {"rename", out + "/"}, {"fsync", out + "$"},
    };
    for (CASE const& c : cases) {
        int faults = 0;
        for (int at = 1; at < 20; ++at) {
            SCOPED_TRACE(std::string(c.call) + " of " + c.file + " " + std::to_string(at));
            std::filesystem::remove_all(out);
            std::filesystem::create_directory(out);
            test_write_file(csv, "old\n");
            std::string const log = m_workspace.path("faults.log");
            std::filesystem::remove(log);
            ACF_FAULT_ARMED armed({c.call, c.file, at, log});
            TEST_RUN_RESULT result =
                run("--project " + thr_process_quote_argument(project) +
                    " --press Compare... --answer " + thr_process_quote_argument(csv) +
                    " --press Export... --press Close --press OK mdb_dyn_get_revisions_dlg");
            EXPECT_EQ(result.status, 0) << result.output;
            bool const failed = result.output.find("(296052)") != std::string::npos;
            bool const durable = result.output.find("(296055)") != std::string::npos;
            bool const unconfirmed = result.output.find("(296067)") != std::string::npos;
            EXPECT_EQ(failed + durable + unconfirmed, 1) << result.output;
            std::string const written = test_read_file(csv);
            if (failed) {
                EXPECT_EQ(written, "old\n") << result.output;
            } else {
                EXPECT_EQ(written.rfind(",", 0), 0u) << written << result.output;
            }
            bool const struck = std::filesystem::exists(log);
            EXPECT_EQ(unconfirmed, struck && c.file == out + "$") << result.output;
            std::vector<std::string> names;
            for (auto const& entry : std::filesystem::directory_iterator(out)) {
                names.push_back(entry.path().filename().string());
            }
            EXPECT_EQ(names, std::vector<std::string>{"results.csv"});
            if (!struck) {
                break; // fewer such calls: the run was undisturbed
            }
            ++faults;
        }
        EXPECT_GT(faults, 0) << "no " << c.call << " of " << c.file;
    }
}

TEST_F(Tsgui, ToolbarsCustomisedInOneRunShowInTheNext) {
    TEST_PREFERENCES preferences;
    std::string file = m_workspace.path("top.v");
    test_write_file(file, "module top; endmodule\n");
    std::string open = "--open " + thr_process_quote_argument(file);
    // A new toolbar in the main frame's tab, with Copy added to it.
    TEST_RUN_RESULT result =
        run(open + " --press New... --press OK --press Customize... --press Copy --press \">\""
                   " --press OK --press OK mdb_dyn_customize_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("toolbar \"Custom 1\": Copy\n"), std::string::npos)
        << result.output;
    // The next run starts with it; cancelling the dialog keeps everything.
    std::string before = test_read_file(preferences.file());
    result = run(open + " --press Cancel mdb_dyn_customize_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("toolbar \"Custom 1\": Copy\n"), std::string::npos)
        << result.output;
    EXPECT_EQ(test_read_file(preferences.file()), before);
}

// A failing disk at any call of the toolbar save: the save is reported as
// failed exactly when the preferences file is not the new one, and a failed
// save leaves it byte-identical, with every other preference in it.
TEST_F(Tsgui, AToolbarSaveThatFailsLeavesThePreferencesAsTheyWere) {
    TEST_PREFERENCES preferences;
    std::string const kept = "[38]\nGTF_open_generated_file=true\n";
    std::string const saved_toolbar = "Main_Custom=Custom 1";
    // The files in the preferences' folder (the file and its temporary ones),
    // and the folder itself.
    std::string const inside = preferences.dir() + "/tessaly/";
    std::string const folder = preferences.dir() + "/tessaly$";
    struct CASE {
        char const* call;
        std::string file;
    } const cases[] = {
        {"stat", inside},  {"open", inside},   {"read", inside},  {"write", inside},
        {"fsync", inside}, {"rename", inside}, {"fsync", folder},
    };
    for (CASE const& c : cases) {
        int faults = 0;
        for (int at = 1; at < 40; ++at) {
            std::string const what = std::string(c.call) + " " + std::to_string(at);
            SCOPED_TRACE(what);
            std::filesystem::remove_all(preferences.dir() + "/tessaly");
            std::filesystem::create_directory(preferences.dir() + "/tessaly");
            test_write_file(preferences.file(), kept);
            std::string const log = m_workspace.path("faults.log");
            std::filesystem::remove(log);
            ACF_FAULT_ARMED armed({c.call, c.file, at, log});
            TEST_RUN_RESULT result =
                run("--press New... --press OK --press OK mdb_dyn_customize_dlg");
            EXPECT_EQ(result.status, 0) << result.output;
            std::string const after = test_read_file(preferences.file());
            bool const reported = result.output.find("Can't create or overwrite file " +
                                                     preferences.file()) != std::string::npos;
            if (reported) {
                EXPECT_EQ(after, kept) << result.output;
            } else {
                EXPECT_NE(after.find(kept), std::string::npos) << after << result.output;
                EXPECT_NE(after.find(saved_toolbar), std::string::npos) << after << result.output;
            }
            std::vector<std::string> names;
            for (auto const& entry :
                 std::filesystem::directory_iterator(preferences.dir() + "/tessaly")) {
                names.push_back(entry.path().filename().string());
            }
            EXPECT_EQ(names, std::vector<std::string>{"preferences.ini"});
            if (!std::filesystem::exists(log)) {
                break; // fewer such calls: the run was undisturbed
            }
            ++faults;
        }
        EXPECT_GT(faults, 0) << "no " << c.call << " of " << c.file;
    }
}

TEST_F(Tsgui, WindowPickerBringsTheChosenFileForward) {
    for (char const* name : {"a.v", "b.v"}) {
        test_write_file(m_workspace.path(name), "module m; endmodule\n");
    }
    TEST_RUN_RESULT result =
        run("--open " + m_workspace.path("a.v") + " --open " + m_workspace.path("b.v") +
            " --press " + m_workspace.path("a.v") + " --press OK mdb_dyn_select_window_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("active window: a.v\n"), std::string::npos) << result.output;
}

TEST_F(Tsgui, RefusesWhatItCannotDo) {
    struct CASE {
        char const* name;
        std::string arguments;
        char const* says;
    };
    std::filesystem::create_directory(m_workspace.path("empty"));
    CASE const cases[] = {
        {"folder without a project",
         "--project " + m_workspace.path("empty") + " mdb_dyn_ip_regen_dlg", "no project file"},
        {"file that cannot be opened",
         "--open " + m_workspace.path("none.v") + " mdb_dyn_customize_dlg", "cannot open"},
        {"unknown entry point", "mdb_dyn_no_such_dialog", "no entry point mdb_dyn_no_such_dialog"},
        {"no entry point", "", "Usage: tsgui"},
        {"unknown option", "--frobnicate mdb_dyn_ip_regen_dlg",
         "tsgui: unknown option --frobnicate; see tsgui --help\n"},
        {"option without its value", "mdb_dyn_ip_regen_dlg --press",
         "tsgui: --press needs a value; see tsgui --help\n"},
        {"disabled button", "--press OK mdb_ras_dyn_remove_assignment",
         "tsgui: button OK is disabled in \"Remove Assignments\"\n"},
        // A picture that cannot be written fails the unattended run.
        {"picture in a folder that does not exist",
         "--screenshot " + m_workspace.path("none/dialog.png") + " mdb_dyn_customize_dlg",
         "tsgui: cannot write"},
        {"picture where a folder is", "--screenshot " + m_workspace.path("empty") +
                                          " mdb_dyn_customize_dlg",
         "tsgui: cannot write"},
        {"picture of an unknown kind",
         "--screenshot " + m_workspace.path("dialog.frobnicate") + " mdb_dyn_customize_dlg",
         "tsgui: cannot write"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.output.find(c.says), std::string::npos) << result.output;
    }
    // An option the host does not know is named in one line, not the usage.
    EXPECT_EQ(run("--frobnicate mdb_dyn_ip_regen_dlg").output,
              "tsgui: unknown option --frobnicate; see tsgui --help\n");
}

// A folder whose listing fails part-way is named with the reason, and the
// host ends with status 1 rather than aborting.
TEST_F(Tsgui, AFolderThatCannotBeListedIsNamedWithTheReason) {
    m_workspace.copy_fixture(EXAMPLE, "failing");
    // The first entry is read, the next read fails.
    ACF_FAULT_ARMED armed({"readdir", "/failing$", 2, ""});
    TEST_RUN_RESULT result = run("--project failing mdb_dyn_customize_dlg");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("tsgui: cannot read folder failing: Input/output error"),
              std::string::npos)
        << result.output;
}

// Paths on the command line are the caller's, although the host works in the
// project's folder; the project may be named by its folder or its file.
TEST_F(Tsgui, PathsAreTheCallersAndAProjectMayBeNamedByItsFile) {
    m_workspace.copy_fixture(EXAMPLE, "dsp");
    test_write_file(m_workspace.path("top.v"), "module top; endmodule\n");
    test_write_file(m_workspace.path("hello.tcl"), "puts {hello from the script}\n");
    for (char const* project : {"dsp", "dsp/dsp_board.tpf", "dsp/dsp_board"}) {
        SCOPED_TRACE(project);
        std::filesystem::remove(m_workspace.path("shot.png"));
        TEST_RUN_RESULT result =
            run(std::string("--project ") + project +
                " --tcl hello.tcl --open top.v --screenshot shot.png mdb_dyn_customize_dlg");
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_NE(result.output.find("hello from the script"), std::string::npos) << result.output;
        EXPECT_TRUE(std::filesystem::exists(m_workspace.path("shot.png"))) << result.output;
        EXPECT_FALSE(std::filesystem::exists(m_workspace.path("dsp/shot.png")));
    }
    TEST_RUN_RESULT result = run("--project dsp/none.tpf mdb_dyn_customize_dlg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("dsp/none.tpf is no project file or folder"), std::string::npos)
        << result.output;
}

// Qt's notices about the machine (no size hints offscreen, no XDG_RUNTIME_DIR)
// are not shown: a dialog shown and saved says nothing.
// An entry point's argument may look like an option of the host.
TEST_F(Tsgui, ArgumentsThatLookLikeHelpGoToTheEntryPoint) {
    std::string project = m_workspace.copy_fixture(EXAMPLE, "dsp_board");
    TEST_RUN_RESULT result = run("--project " + thr_process_quote_argument(project) +
                                 " --arg --help mdb_dyn_ferro_builder");
    EXPECT_EQ(result.status, 0) << result.output;
    std::vector<std::string> ferro = lines_starting(result.output, "ferro_builder: arg ");
    ASSERT_EQ(ferro.size(), 6u) << result.output;
    EXPECT_EQ(ferro[5], "ferro_builder: arg --help");
}

TEST_F(Tsgui, KeepsQuietAboutThePlatform) {
    TEST_ENVIRONMENT no_runtime_dir("XDG_RUNTIME_DIR", std::nullopt);
    TEST_RUN_RESULT result = run("--arg \"Tessaly II\" --screenshot " +
                                 thr_process_quote_argument(picture()) + " mdb_dyn_about_dlg");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_TRUE(picture_taken());
}

// A press on a list item with a check box ticks it, as a click on the box
// does; the OK button that the tick enables can then be pressed.
TEST_F(Tsgui, TicksAListItemAndPressesTheButtonItEnables) {
    std::string project =
        m_workspace.copy_fixture(TESSALY_SOURCE_DIR "/tests/sys/mdb/fixtures/gtf_project", "gtf");
    ASSERT_NE(test_read_file(project + "/gtf.tsf").find("set_location_assignment PIN_A3"),
              std::string::npos);
    TEST_RUN_RESULT result = run("--project " + thr_process_quote_argument(project) +
                                 " --press \"Pin, Location & Routing Assignments\" --press OK"
                                 " mdb_ras_dyn_remove_assignment");
    EXPECT_EQ(result.status, 0) << result.output;
    std::string const settings = test_read_file(project + "/gtf.tsf");
    EXPECT_EQ(settings.find("set_location_assignment PIN_A3"), std::string::npos) << settings;
    EXPECT_NE(settings.find("TOP_LEVEL_ENTITY top"), std::string::npos) << settings;
}

// The entry points that `tsgui --help` lists.
std::vector<std::string> listed_entry_points(std::string const& help) {
    std::vector<std::string> names;
    std::istringstream in(help.substr(help.find("Entry points:\n") + 1));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line) && line.rfind("  ", 0) == 0) {
        names.push_back(line.substr(2));
    }
    return names;
}

// Every entry point the host lists, with no project open, run as a user would
// run it: its default button pressed (the table below where it has no OK) and
// every question answered Yes. None may abort the host or report an internal
// error, and none writes into the folder it runs in.
TEST_F(Tsgui, EveryEntryPointRunsWithoutAProject) {
    TEST_PREFERENCES preferences;
    std::map<std::string, std::string> const presses = {
        {"mdb_dyn_archive_dlg", "--press Archive"},
        {"mdb_dyn_eda_gls_dlg", "--press Run"},
        {"mdb_dyn_get_ip_regen_dlg", "--press Close"},
        {"mdb_dyn_get_revisions_dlg", "--press \"<<new revision>>\" --press Cancel --press OK"},
        {"mdb_dyn_import_assignment_dlg_for_bf", "--arg R1 --press OK"},
        {"mdb_ras_dyn_remove_assignment", "--press All --press OK"},
    };
    TEST_RUN_RESULT help = run("--help");
    ASSERT_EQ(help.status, 0) << help.output;
    std::vector<std::string> const entry_points = listed_entry_points(help.output);
    ASSERT_GE(entry_points.size(), 30u) << help.output;
    for (std::string const& name : entry_points) {
        SCOPED_TRACE(name);
        auto press = presses.find(name);
        TEST_RUN_RESULT result =
            run("--answer yes --answer yes --answer yes " +
                (press != presses.end() ? press->second : std::string("--press OK")) + " " + name);
        EXPECT_TRUE(result.status == 0 || result.status == 1) << result.output;
        EXPECT_EQ(result.output.find("terminate called"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Internal Error"), std::string::npos) << result.output;
        EXPECT_TRUE(std::filesystem::is_empty(m_workspace.dir())) << result.output;
    }
}

// The hand-off archive: written plain without a password, an existing file
// replaced only after the user agreed; a restore through the host opens the
// restored project.
TEST_F(Tsgui, WritesTheHandoffArchiveAndRestores) {
    std::string project =
        thr_process_quote_argument(m_workspace.copy_fixture(REVISIONS, "revisions"));
    std::string archive = m_workspace.path("handoff.tsa");
    TEST_RUN_RESULT result =
        run("--project " + project + " --arg " + thr_process_quote_argument(archive) +
            " --press OK mdb_dyn_get_archive_password");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("not encrypted"), std::string::npos) << result.output;
    std::vector<std::string> entries = afm_archive_entries(archive);
    ASSERT_FALSE(entries.empty()) << result.output;
    EXPECT_EQ(entries.front(), "rev.tpf");

    test_write_file(archive, "mine");
    result = run("--project " + project + " --arg " + thr_process_quote_argument(archive) +
                 " --press OK --answer no mdb_dyn_get_archive_password");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Question (296050)"), std::string::npos) << result.output;
    EXPECT_EQ(test_read_file(archive), "mine");
    result = run("--project " + project + " --arg " + thr_process_quote_argument(archive) +
                 " --press OK --answer yes mdb_dyn_get_archive_password");
    EXPECT_EQ(result.status, 0) << result.output;

    std::string destination = m_workspace.path("restored");
    result = run("--project " + project + " --arg " + thr_process_quote_argument(archive) +
                 " --press \"Default Destination Folder\" --press OK mdb_dyn_restore_archive_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(std::filesystem::exists(m_workspace.path("handoff_restored/rev.tpf")))
        << result.output;
}

TEST_F(Tsgui, GeneratesTheTclScriptAndShowsTheAssignmentGroups) {
    std::string project = thr_process_quote_argument(
        m_workspace.copy_fixture(TESSALY_SOURCE_DIR "/tests/sys/mdb/fixtures/gtf_project", "gtf"));
    std::string script = m_workspace.path("gtf.tcl");
    TEST_RUN_RESULT result =
        run("--project " + project + " --arg " + thr_process_quote_argument(script) +
            " --arg 1 mdb_dyn_generate_tcl_file");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_generate_tcl_file returned 0\n"), std::string::npos);
    EXPECT_NE(test_read_file(script).find("# Including default assignments"), std::string::npos);
    result = run("--project " + project + " --arg " +
                 thr_process_quote_argument(m_workspace.path("missing/gtf.tcl")) +
                 " mdb_dyn_generate_tcl_file");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_generate_tcl_file returned 2\n"), std::string::npos);

    result = run("--project " + project + " --arg g0 --screenshot " +
                 thr_process_quote_argument(picture()) + " mdb_dyn_assignment_groups_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(picture_taken()) << result.output;
}

// The project dialogs of the File menu: the copy opens in the host, the check
// of the family and device and the export prompt print what they return, a
// new document opens untitled and a new project is refused.
TEST_F(Tsgui, CopiesTheProjectAndRunsTheFileMenusDialogs) {
    std::string project = m_workspace.copy_fixture(REVISIONS, "revisions");
    TEST_RUN_RESULT result = run("--project " + thr_process_quote_argument(project) +
                                 " --answer yes --press OK mdb_dyn_copy_project_dlg"
                                 " mdb_dyn_validate_family_and_device_settings");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(
        result.output.find("reopened " + project + "_copy/rev.tpf on revision top (status 0)"),
        std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_validate_family_and_device_settings returned true"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(test_read_file(project + "_copy/top.tsf"), test_read_file(project + "/top.tsf"));

    result = run("--arg /proposed/dir --press OK mdb_dyn_export_db_dlg --press \"VHDL File\" "
                 "mdb_dyn_file_new_dlg --press OK mdb_dyn_file_new_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mdb_dyn_export_db_dlg returned directory \"/proposed/dir\""),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("new document in Text Editor: VHDL: Untitled1 (VHDL File)"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("no new-project wizard"), std::string::npos) << result.output;

    result = run("--arg \"Tessaly II\" --screenshot " + thr_process_quote_argument(picture()) +
                 " mdb_dyn_about_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(picture_taken()) << result.output;
}

} // namespace
