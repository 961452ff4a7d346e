// Projects on disk through the process-wide project manager: creating,
// opening (and the refusals), committing, and the revision operations.
#include "acf_manager_test_project.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "formats/acf_project_file.h"

#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using NAMES = ACF_REVISION_NAME_LIST;

std::string golden(std::string const& name) {
    return acf_test_read(std::string(TESSALY_TEST_DATA_DIR) + "/golden/" + name);
}

// Lines that hold the clock are replaced by a mark.
std::string mask_dates(std::string const& text) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        for (char const* key : {"# Date created = ", "DATE = ", "PROJECT_CREATION_TIME_DATE "}) {
            size_t at = line.find(key);
            if (at != std::string::npos) {
                line = line.substr(0, at + std::string(key).size()) + "<date>";
            }
        }
        out += line;
        if (end == std::string::npos) {
            break;
        }
        out += "\n";
        start = end + 1;
    }
    return out;
}

std::vector<std::string> listing(std::string const& dir) {
    std::vector<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using ManagerProject = AcfManagerProject;

std::string const CURRENT = acf_test_current_version_line();

TEST_F(ManagerProject, CreatedProjectFilesMatchGoldenFiles) {
    ASSERT_EQ(create("chip"), 0);
    EXPECT_TRUE(manager->is_project_open());
    EXPECT_STREQ(manager->get_active_revision_name(), "chip");
    EXPECT_EQ(mask_dates(acf_test_read(dir.file("chip.tpf"))), golden("created.tpf"));
    EXPECT_EQ(mask_dates(acf_test_read(dir.file("chip.tsf"))), golden("created.tsf"));
}

TEST_F(ManagerProject, EditedRevisionKeepsUntouchedLinesCommentsAndOrder) {
    std::string text = "# my own notes\n"
                       "#\tindented\n"
                       "\n"
                       "set_global_assignment   -name   VHDL_FILE   top.vhd\n" +
                       CURRENT +
                       "# between\n"
                       "set_global_assignment -name SMART_RECOMPILE On\n"
                       "set_global_assignment -name VHDL_FILE {lib.vhd}";
    write_project("chip", {{"chip", text}});
    ASSERT_EQ(open("chip"), 0);
    set_and_commit("SMART_RECOMPILE", "Off");
    std::string expected = "# my own notes\n"
                           "#\tindented\n"
                           "\n"
                           "set_global_assignment   -name   VHDL_FILE   top.vhd\n" +
                           CURRENT +
                           "# between\n"
                           "set_global_assignment -name SMART_RECOMPILE OFF\n"
                           "set_global_assignment -name VHDL_FILE {lib.vhd}\n";
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), expected);
}

// A revision and the settings file it sources are written each with its own
// lines: the change made goes to the revision's file (after the sourced file,
// so it wins when read again) and the sourced file keeps its lines as they were.
TEST_F(ManagerProject, EachSourcedSettingsFileKeepsItsOwnLines) {
    std::string const extra = "# extra settings\n"
                              "set_global_assignment -name SMART_RECOMPILE On\n"
                              "set_global_assignment -name VHDL_FILE   extra.vhd";
    acf_test_write(dir.file("extra.tcl"), extra);
    std::string const revision = "# revision\n" + CURRENT + "source " + dir.file("extra.tcl") +
                                 "\nset_global_assignment -name VHDL_FILE top.vhd";
    write_project("chip", {{"chip", revision}});
    ASSERT_EQ(open("chip"), 0);
    set_and_commit("SMART_RECOMPILE", "Off");
    EXPECT_EQ(acf_test_read(dir.file("extra.tcl")), extra);
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")),
              revision + "\nset_global_assignment -name SMART_RECOMPILE OFF\n");
}

TEST_F(ManagerProject, UnchangedRevisionIsNeverRewritten) {
    std::string text = "set_global_assignment -name VHDL_FILE top.vhd\n" + CURRENT;
    write_project("chip", {{"chip", text}});
    long long time = acf_test_mtime(dir.file("chip.tsf"));
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->write_lock(true));
    EXPECT_TRUE(manager->commit_files_to_disk(false, true));
    manager->write_unlock(true);
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), text);
    EXPECT_EQ(acf_test_mtime(dir.file("chip.tsf")), time);
}

// The banner stays the first line of a settings file, whatever is set later;
// the top-level entity goes below it like any other new setting.
TEST_F(ManagerProject, BannerHeadsTheFileAfterTheEntityIsSet) {
    ASSERT_EQ(create("chip"), 0);
    std::string const created = acf_test_read(dir.file("chip.tsf"));
    std::string const banner = created.substr(0, created.find('\n') + 1);
    ASSERT_EQ(banner, "# " + std::string(74, '-') + " #\n");
    for (char const* entity : {"mytop", "othertop", "chip"}) {
        manager->close_project(false);
        ASSERT_EQ(open("chip"), 0) << entity;
        set_and_commit("TOP_LEVEL_ENTITY", entity);
        std::string text = acf_test_read(dir.file("chip.tsf"));
        EXPECT_EQ(text.substr(0, banner.size()), banner) << text;
        std::string const line =
            std::string("set_global_assignment -name TOP_LEVEL_ENTITY ") + entity;
        EXPECT_NE(text.find(line), std::string::npos) << text;
    }
}

// Opening a revision last saved by another version stamps the running version;
// every line the user wrote stays, the entity that names the revision included.
TEST_F(ManagerProject, StampedRevisionKeepsEveryLineTheUserWrote) {
    std::string const text = "# my banner\n"
                             "\n"
                             "set_global_assignment -name TOP_LEVEL_ENTITY chip\n"
                             "set_global_assignment -name VHDL_FILE top.vhd\n"
                             "set_global_assignment -name LAST_TESSALY_VERSION 12.1\n"
                             "set_global_assignment -name SMART_RECOMPILE On\n";
    write_project("chip", {{"chip", text}});
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->write_lock(true));
    EXPECT_TRUE(manager->commit_files_to_disk(false, true));
    manager->write_unlock(false);
    std::string expected = text;
    expected.replace(expected.find("12.1"), 4, acf_get_version_string());
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), expected);

    // Read again, the entity line is the user's too: a later change keeps it.
    manager->close_project(false);
    manager->free_cached_storage();
    ASSERT_EQ(open("chip"), 0);
    set_and_commit("SMART_RECOMPILE", "Off");
    expected.replace(expected.find("SMART_RECOMPILE On"), 18, "SMART_RECOMPILE OFF");
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), expected);
}

// Whatever a value holds, the committed file opens again with the same value.
TEST_F(ManagerProject, CommittedValuesOpenAgainUnchanged) {
    std::string const values[] = {"a\nb", "line\r\nend\n", "x[file mkdir MARK]y.sv", "\\n$x"};
    for (std::string const& value : values) {
        write_project("chip", {{"chip", CURRENT}});
        ASSERT_EQ(open("chip"), 0) << value;
        set_and_commit("SEARCH_PATH", value.c_str());
        manager->close_project(false);
        manager->free_cached_storage();
        ASSERT_EQ(open("chip"), 0) << acf_test_read(dir.file("chip.tsf"));
        ASSERT_TRUE(manager->read_lock());
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_string("SEARCH_PATH");
        ACF_ASSIGNMENT* asgn = manager->get_global_assignment_ptr(&params);
        ASSERT_NE(asgn, nullptr) << value;
        EXPECT_EQ(std::string(asgn->get_unmodified_value(true)), value);
        manager->read_unlock();
        manager->close_project(false);
        manager->free_cached_storage();
    }
    EXPECT_FALSE(acf_test_exists(dir.file("MARK")));
}

TEST_F(ManagerProject, RemovingTheLastAssignmentWritesTheFile) {
    write_project("chip", {{"chip", CURRENT + "set_global_assignment -name SMART_RECOMPILE On"}});
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->write_lock(true));
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    EXPECT_TRUE(manager->remove_global_assignment(&params));
    params.reset();
    params.set_variable_string("LAST_TESSALY_VERSION");
    EXPECT_TRUE(manager->remove_global_assignment(&params));
    EXPECT_TRUE(manager->commit_files_to_disk(false, true));
    manager->write_unlock(false);
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), "");
}

TEST_F(ManagerProject, OpenFailures) {
    write_project("chip", {{"chip", CURRENT}});
    write_project("empty", {});
    acf_test_write(dir.file("lonely.tsf"), CURRENT);
    write_project("other", {});
    std::vector<std::string> before = listing(dir.path());
    struct CASE {
        char const* project;
        char const* revision;
        int status;
        char const* message; // the start of the posted error, or null for none
    } const cases[] = {
        {"missing", "", ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED,
         "Can't open project -- can't find Tessaly II Project File"},
        {"empty", "", ACF_REVISION_MANAGER::REVISION_FILE_DOES_NOT_EXIST, "Can't open project"},
        {"chi;p", "", ACF_REVISION_MANAGER::ILLEGAL_CHARACTERS_IN_NAME,
         "The project or revision name contains one or more of the following illegal "
         "characters and cannot be opened: ^&?*|<>;'"},
        {"chip", "r*1", ACF_REVISION_MANAGER::ILLEGAL_CHARACTERS_IN_NAME, "The project"},
        {"chip", "o'neil", ACF_REVISION_MANAGER::ILLEGAL_CHARACTERS_IN_NAME, "The project"},
        {"", "", ACF_REVISION_MANAGER::EMPTY_NAME, nullptr},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        EXPECT_EQ(open(c.project, c.revision), c.status) << c.project << " " << c.revision;
        EXPECT_FALSE(manager->is_project_open());
        auto log = msg_log_entries();
        if (c.message == nullptr) {
            EXPECT_TRUE(log.empty()) << c.project;
        } else {
            ASSERT_FALSE(log.empty()) << c.project;
            EXPECT_EQ(log[0].severity, 'E');
            EXPECT_EQ(log[0].text.rfind(c.message, 0), 0u) << log[0].text;
        }
    }
    // A relative directory is refused; nothing on disk changed.
    EXPECT_EQ(manager->open_project("relative/dir", "chip", "", false, true, false, true, true),
              ACF_REVISION_MANAGER::PROJECT_PATH_NOT_ABSOLUTE);
    EXPECT_EQ(listing(dir.path()), before);
}

TEST_F(ManagerProject, RevisionNotListedInTheProjectFile) {
    write_project("chip", {});
    acf_test_write(dir.file("chip.tsf"), CURRENT);
    EXPECT_EQ(open("chip", "chip"), ACF_REVISION_MANAGER::REVISION_NOT_IN_PROJECT);
}

TEST_F(ManagerProject, OpeningTheOpenProjectAgainReadsNothing) {
    write_project("chip", {{"chip", CURRENT}});
    ASSERT_EQ(open("chip"), 0);
    ACF_MANAGER_STORAGE* storage = manager->get_storage();
    EXPECT_EQ(open("chip"), 0);
    EXPECT_EQ(manager->get_storage(), storage);
}

// Opening in a graphical process evaluates no Tcl command that no program of
// the suite defines (an error a later command's output would show).
TEST_F(ManagerProject, OpeningInAGraphicalProcessLeavesNoTclError) {
    write_project("chip", {{"chip", CURRENT}});
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_UnsetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
    bool const was_qt = gen_get_is_qt();
    gen_set_is_qt(true);
    EXPECT_EQ(open("chip"), 0);
    gen_set_is_qt(was_qt);
    char const* error = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
    EXPECT_EQ(error, nullptr) << error;
}

// A script that visits many revisions in turn keeps the stores of only the few
// closed revisions opened last, and every store holding an unsaved change;
// a revision let go opens again from its file.
TEST_F(ManagerProject, VisitingRevisionsInTurnKeepsOnlyTheLastFewClosedOnes) {
    std::vector<std::pair<std::string, std::string>> revisions;
    for (int i = 0; i < 8; ++i) {
        revisions.emplace_back("r" + std::to_string(i), CURRENT);
    }
    write_project("visit", revisions);
    ASSERT_EQ(open("visit", "r0"), 0);
    ASSERT_TRUE(manager->write_lock(true));
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    params.set_value_string("On");
    ASSERT_NE(manager->set_global_assignment(&params), nullptr);
    manager->write_unlock(false);
    manager->close_project(false);
    for (int i = 1; i < 8; ++i) {
        ASSERT_EQ(open("visit", ("r" + std::to_string(i)).c_str()), 0);
        manager->close_project(false);
    }
    ASSERT_EQ(open("visit", "r7"), 0);
    std::string cached;
    for (int i = 0; i < 8; ++i) {
        std::string const name = "r" + std::to_string(i);
        cached += manager->find_revision_in_map(name.c_str()) != nullptr ? name + " " : "";
    }
    EXPECT_EQ(cached, "r0 r3 r4 r5 r6 r7 ");

    manager->close_project(false);
    ASSERT_EQ(open("visit", "r0"), 0);
    EXPECT_TRUE(manager->is_modified()) << "the unsaved change is still there";
    manager->close_project(false);
    ASSERT_EQ(open("visit", "r1"), 0);
    EXPECT_EQ(std::string(manager->get_active_revision_name()), "r1");
    EXPECT_EQ(acf_test_read(dir.file("r0.tsf")), CURRENT);
}

TEST_F(ManagerProject, ActiveRevisionIsTheFirstListedWithASettingsFile) {
    write_project("chip", {{"fast", CURRENT}});
    NAMES names = {"gone", "fast"};
    ASSERT_TRUE(acf_write_tpf_file(dir.file("chip.tpf").c_str(), &names));
    gen_set_is_ui_process(true);
    ACF_MANAGER ui_manager;
    gen_set_is_ui_process(false);
    EXPECT_EQ(
        ui_manager.open_project(dir.path().c_str(), "chip", "", false, false, false, false, false),
        0);
    EXPECT_STREQ(ui_manager.get_active_revision_name(), "fast");
}

TEST_F(ManagerProject, AddRemoveAndActivateRevisions) {
    ASSERT_EQ(create("chip"), 0);
    set_and_commit("SMART_RECOMPILE", "Off");

    EXPECT_EQ(manager->add_revision_to_project("fast", true, "chip"), 0);
    EXPECT_EQ(manager->add_revision_to_project("fast", true, "chip"),
              ACF_REVISION_MANAGER::REVISION_ALREADY_IN_PROJECT);
    EXPECT_EQ(manager->add_revision_to_project("slow", true, "nothere"),
              ACF_REVISION_MANAGER::REVISION_NOT_IN_PROJECT);
    EXPECT_EQ(manager->add_revision_to_project("", false, ""), ACF_REVISION_MANAGER::EMPTY_NAME);
    EXPECT_EQ(manager->add_revision_to_project("bare", false, ""), 0);

    NAMES listed;
    manager->get_list_of_revisions_for_project(&listed);
    EXPECT_EQ(listed, (NAMES{"chip", "fast", "bare"}));
    // The copy holds the base's settings.
    std::string copied = acf_test_read(dir.file("fast.tsf"));
    EXPECT_NE(copied.find("set_global_assignment -name SMART_RECOMPILE OFF"), std::string::npos);
    EXPECT_TRUE(acf_test_exists(dir.file("bare.tsf")));

    EXPECT_EQ(manager->set_active_revision_name("fast", true, true), 0);
    EXPECT_STREQ(manager->get_active_revision_name(), "fast");
    listed.clear();
    manager->get_list_of_revisions_for_project(&listed);
    EXPECT_EQ(listed.front(), "fast");

    EXPECT_EQ(manager->remove_revision_from_project("fast", true),
              ACF_REVISION_MANAGER::REVISION_IS_ACTIVE);
    EXPECT_EQ(manager->remove_revision_from_project("bare", true), 0);
    EXPECT_FALSE(acf_test_exists(dir.file("bare.tsf")));
    EXPECT_EQ(manager->remove_revision_from_project("bare", true),
              ACF_REVISION_MANAGER::REVISION_NOT_IN_PROJECT);
    listed.clear();
    manager->get_list_of_revisions_for_project(&listed);
    EXPECT_EQ(listed, (NAMES{"fast", "chip"}));

    // Switching back finds the first revision in the cache.
    ACF_MANAGER_STORAGE* fast = manager->get_storage();
    EXPECT_EQ(manager->set_active_revision_name("chip", false, false), 0);
    EXPECT_STREQ(manager->get_active_revision_name(), "chip");
    EXPECT_EQ(manager->set_active_revision_name("fast", false, false), 0);
    EXPECT_EQ(manager->get_storage(), fast);
}

TEST_F(ManagerProject, NewRevisionTakesTheBaseDefaultsFile) {
    ASSERT_EQ(create("chip"), 0);
    acf_test_write(dir.file("chip_assignment_defaults.tdf"), "# defaults of chip\n");
    EXPECT_EQ(manager->add_revision_to_project("fast", true, "chip"), 0);
    EXPECT_EQ(acf_test_read(dir.file("fast_assignment_defaults.tdf")), "# defaults of chip\n");
}

TEST_F(ManagerProject, VersionChangeWritesTheRevisionDefaultsOnce) {
    write_project("chip", {{"chip", "set_global_assignment -name LAST_TESSALY_VERSION 9.0\n"}});
    ASSERT_EQ(open("chip"), 0);
    EXPECT_TRUE(acf_test_exists(dir.file("chip_assignment_defaults.tdf")));
    manager->close_project(false);
    manager->free_cached_storage();
    // Once the file exists, a later version change tells where the changes are.
    acf_test_write(dir.file("chip.tsf"), "set_global_assignment -name LAST_TESSALY_VERSION 9.0\n");
    msg_log_clear();
    ASSERT_EQ(open("chip"), 0);
    bool told = false;
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        told = told || entry.text.rfind("Default assignment values were changed", 0) == 0;
    }
    EXPECT_TRUE(told);
}

TEST_F(ManagerProject, FailedCommitIsReportedWithStatusFive) {
    write_project("chip", {{"chip", CURRENT}});
    ASSERT_EQ(open("chip"), 0);
    // A directory where the temporary file would go makes every write fail.
    std::filesystem::remove_all(dir.path());
    ASSERT_TRUE(manager->write_lock(true));
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    params.set_value_string("On");
    EXPECT_NE(manager->set_global_assignment(&params), nullptr);
    EXPECT_FALSE(manager->commit_files_to_disk(false, true));
    EXPECT_EQ(manager->get_last_error_status(), ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE);
    manager->write_unlock(false);
}

// The Tcl project commands drive the same manager.
// The example project that the README upgrades opens in each of its revisions.
TEST_F(ManagerProject, ExampleProjectOpensInEveryRevision) {
    std::filesystem::copy(std::string(TESSALY_TEST_DATA_DIR) + "/../../../../examples/dsp_board",
                          dir.path(), std::filesystem::copy_options::recursive);
    NAMES revisions;
    acf_get_all_revisions_from_tpf(dir.file("dsp_board.tpf").c_str(), &revisions);
    ASSERT_EQ(revisions, (NAMES{"dsp_board", "dsp_board_fast"}));
    for (std::string const& revision : revisions) {
        msg_log_clear();
        EXPECT_EQ(open("dsp_board", revision.c_str()), 0) << revision;
        EXPECT_STREQ(manager->get_active_revision_name(), revision.c_str());
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            EXPECT_NE(entry.severity, 'E') << revision << ": " << entry.text;
        }
        manager->close_project(false);
    }
}

TEST_F(ManagerProject, TclProjectCommands) {
    Tcl_Interp* interp = atcl_get_interpreter();
    auto eval = [&](std::string const& script) {
        int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
        return std::make_pair(code, std::string(Tcl_GetStringResult(interp)));
    };
    std::string project = "{" + dir.file("chip") + "}";
    EXPECT_EQ(eval("project_exists " + project), std::make_pair(TCL_OK, std::string("0")));
    EXPECT_EQ(eval("project_open " + project).first, TCL_ERROR);
    EXPECT_EQ(eval("project_new -revision fast " + project).first, TCL_OK);
    EXPECT_STREQ(manager->get_active_revision_name(), "fast");
    EXPECT_TRUE(acf_test_exists(dir.file("fast.tsf")));
    EXPECT_EQ(eval("project_exists " + project), std::make_pair(TCL_OK, std::string("1")));
    EXPECT_EQ(eval("project_new " + project).first, TCL_ERROR);
    EXPECT_EQ(eval("export_assignments").first, TCL_OK);
    EXPECT_EQ(eval("project_close").first, TCL_OK);
    EXPECT_EQ(eval("project_close").first, TCL_ERROR);
    EXPECT_EQ(eval("export_assignments").first, TCL_ERROR);
    EXPECT_EQ(eval("project_open -revision fast " + project).first, TCL_OK);
    EXPECT_EQ(eval("project_open -bogus x").first, TCL_ERROR);
}

} // namespace
