// Projects of the older sectioned format converted into a project file and one
// settings file per revision: which revisions the old files make, a whole old
// project converted and opened, and conversions that fail leaving every file as
// it was.
#include "acf_test_directory.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_test_messages.h"
#include "convert/acf_convert_project.h"
#include "formats/acf_project_file.h"
#include "records/acf_assignment_factory.h"

#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace {

using FILES = std::map<std::string, std::string>;

// Every file of the directory (recursively) with its content.
FILES snapshot(std::string const& dir) {
    FILES files;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().string().substr(dir.size())] = acf_test_read(entry.path().string());
        }
    }
    return files;
}

std::string const OLD_PROJECT = "FILES\n"
                                "{\n"
                                "    VHDL_FILE = top.vhd;\n"
                                "}\n"
                                "COMPILER_ACTION_POINTS\n"
                                "{\n"
                                "    COMPILER_SETTINGS = fast;\n"
                                "    COMPILER_SETTINGS = slow;\n"
                                "}\n"
                                "SIMULATOR_ACTION_POINTS\n"
                                "{\n"
                                "    SIMULATOR_SETTINGS = sim;\n"
                                "}\n";
std::string const PROJECT_SETTINGS = "PROJECT_INFO\n"
                                     "{\n"
                                     "    TOP_LEVEL_ENTITY = Chip_Top;\n"
                                     "    USER_LIBRARIES = \"lib\";\n"
                                     "}\n";
std::string const FAST = "COMPILER_SETTINGS\n{\n    SYNTHESIS_SEED = 3;\n}\n";
std::string const SLOW = "COMPILER_SETTINGS\n{\n    SYNTHESIS_SEED = 9;\n}\n";
std::string const SIM = "SIMULATOR_SETTINGS\n"
                        "{\n"
                        "    USE_COMPILER_SETTINGS = fast;\n"
                        "    END_TIME = \"100 ns\";\n"
                        "}\n";
std::string const BLOCK =
    "OPTIONS_FOR_INDIVIDUAL_NODES_ONLY\n{\n    led0 : LOCATION = PIN_A3;\n}\n";
std::string const LIBRARY_BLOCK =
    "OPTIONS_FOR_INDIVIDUAL_NODES_ONLY\n{\n    led1 : LOCATION = PIN_B4;\n}\n";

class ConvertProject : public ::testing::Test {
protected:
    void SetUp() override { msg_log_clear(); }
    void TearDown() override {
        manager->close_project(false);
        manager->free_cached_storage();
    }

    // The old project "chip": two compiler settings, a simulator setting that
    // uses the first, project and entity settings, and an entity settings file
    // in a user library directory.
    static void write_old_project(ACF_TEST_DIRECTORY const& d) {
        acf_test_write(d.file("chip.tessaly"), OLD_PROJECT);
        acf_test_write(d.file("chip.psf"), PROJECT_SETTINGS);
        acf_test_write(d.file("fast.csf"), FAST);
        acf_test_write(d.file("slow.csf"), SLOW);
        acf_test_write(d.file("sim.ssf"), SIM);
        acf_test_write(d.file("blk.esf"), BLOCK);
        std::filesystem::create_directory(d.file("lib"));
        acf_test_write(d.file("lib/io.esf"), LIBRARY_BLOCK);
    }
    int open(char const* revision) {
        return manager->open_project(dir.path().c_str(), "chip", revision, true, false, true, false,
                                     false);
    }
    // The settings commands of the open revision.
    std::set<std::string> commands() {
        std::set<std::string> lines;
        EXPECT_TRUE(manager->read_lock());
        std::list<ACF_ASSIGNMENT*> all;
        manager->get_all_assignments(&all, false);
        for (ACF_ASSIGNMENT* asgn : all) {
            std::string command;
            asgn->get_variable_tcl_set_command(&command, "");
            lines.insert(command);
        }
        manager->read_unlock();
        return lines;
    }

    ACF_TEST_DIRECTORY dir;
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
};

TEST_F(ConvertProject, WholeOldProjectConvertedThenOpened) {
    write_old_project(dir);
    FILES old_files = snapshot(dir.path());

    ASSERT_EQ(open(""), 0);
    EXPECT_TRUE(acf_test_posted(125059)) << "the project was converted";
    // Each revision written was made active in turn: the last one is first.
    ACF_REVISION_NAME_LIST listed;
    acf_get_all_revisions_from_tpf(dir.file("chip.tpf").c_str(), &listed);
    EXPECT_EQ(listed, (ACF_REVISION_NAME_LIST{"slow", "fast"}));
    EXPECT_STREQ(manager->get_active_revision_name(), "slow");

    // The old files stay as they were.
    FILES now = snapshot(dir.path());
    for (auto const& old_file : old_files) {
        EXPECT_EQ(now[old_file.first], old_file.second) << old_file.first;
    }

    std::vector<std::string> const shared = {
        "set_global_assignment -name VHDL_FILE top.vhd",
        "set_global_assignment -name TOP_LEVEL_ENTITY Chip_Top",
        "set_global_assignment -name USER_LIBRARIES lib",
        "set_location_assignment PIN_A3 -to led0 -entity blk",
        "set_location_assignment PIN_B4 -to led1 -entity io",
    };
    struct CASE {
        char const* revision;
        std::vector<std::string> own;
        std::vector<std::string> absent;
    } const cases[] = {
        {"fast",
         {"set_global_assignment -name SYNTHESIS_SEED 3",
          "set_global_assignment -name END_TIME \"100 ns\""},
         {"set_global_assignment -name SYNTHESIS_SEED 9"}},
        {"slow",
         {"set_global_assignment -name SYNTHESIS_SEED 9"},
         {"set_global_assignment -name END_TIME \"100 ns\""}},
    };
    for (CASE const& c : cases) {
        manager->close_project(false);
        ASSERT_EQ(open(c.revision), 0) << c.revision;
        std::set<std::string> lines = commands();
        for (std::vector<std::string> const* expected : {&shared, &c.own}) {
            for (std::string const& line : *expected) {
                EXPECT_EQ(lines.count(line), 1u) << c.revision << ": " << line;
            }
        }
        for (std::string const& line : c.absent) {
            EXPECT_EQ(lines.count(line), 0u) << c.revision << ": " << line;
        }
    }
}

// The chip section of a compiler setting: its device and pin locations join the
// revision without a section identifier, and nothing is reported as refused.
TEST_F(ConvertProject, ChipSectionOfACompilerSettingIsKept) {
    write_old_project(dir);
    acf_test_write(dir.file("fast.csf"), FAST +
                                             "CHIP(fast)\n"
                                             "{\n"
                                             "    DEVICE = TOLM7000A15F484C6;\n"
                                             "    led2 : LOCATION = PIN_C5;\n"
                                             "    led2 : RESERVE_PIN = \"AS INPUT TRI-STATED\";\n"
                                             "}\n");
    ASSERT_EQ(open("fast"), 0);
    EXPECT_FALSE(acf_test_posted(125077)) << "no assignment refused";
    std::string const written = acf_test_read(dir.file("fast.tsf"));
    for (char const* line : {"\nset_global_assignment -name DEVICE TOLM7000A15F484C6\n",
                             "\nset_location_assignment PIN_C5 -to led2\n",
                             "\nset_instance_assignment -name RESERVE_PIN \"AS INPUT TRI-STATED\" "
                             "-to led2\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    }
}

// The Tcl project commands open an old project as a user names it: converted.
TEST_F(ConvertProject, TclProjectCommandsConvertAnOldProject) {
    for (char const* command : {"project_open", "project_new"}) {
        ACF_TEST_DIRECTORY case_dir;
        write_old_project(case_dir);
        msg_log_clear();
        EXPECT_EQ(atcl_eval_words(atcl_get_interpreter(), {command, case_dir.file("chip")}), TCL_OK)
            << command << ": " << Tcl_GetStringResult(atcl_get_interpreter());
        EXPECT_TRUE(acf_test_posted(125059)) << command;
        ACF_REVISION_NAME_LIST listed;
        acf_get_all_revisions_from_tpf(case_dir.file("chip.tpf").c_str(), &listed);
        EXPECT_EQ(listed, (ACF_REVISION_NAME_LIST{"slow", "fast"})) << command;
        EXPECT_TRUE(manager->is_project_open()) << command;
        manager->close_project(false);
        manager->free_cached_storage();
    }
}

TEST_F(ConvertProject, ExistingSettingsFileIsPutAsideNotDeleted) {
    write_old_project(dir);
    acf_test_write(dir.file("fast.tsf"), "# my work\n");
    acf_test_write(dir.file("fast.tsf.bak"), "# an older copy\n");
    ASSERT_EQ(open(""), 0);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf.bak")), "# an older copy\n");
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf.bak1")), "# my work\n");
    EXPECT_NE(acf_test_read(dir.file("fast.tsf")).find("SYNTHESIS_SEED 3"), std::string::npos);
}

// A conversion that cannot write every revision, or cannot read an old file,
// leaves the directory exactly as it found it, and the open fails.
TEST_F(ConvertProject, FailedConversionLeavesEveryFileAsItWas) {
    struct CASE {
        char const* what;
        bool needs_permissions; // root reads and writes anything
        std::function<void(ACF_TEST_DIRECTORY const&)> break_it;
        std::function<void(ACF_TEST_DIRECTORY const&)> mend_it;
    } const cases[] = {
        {"a revision whose settings file cannot be written, after one that was written", false,
         [](ACF_TEST_DIRECTORY const& d) {
             acf_test_write(d.file("chip.tessaly"),
                            "COMPILER_ACTION_POINTS\n{\n    COMPILER_SETTINGS = fast;\n"
                            "    COMPILER_SETTINGS = " +
                                std::string(300, 'n') + ";\n}\n");
         },
         [](ACF_TEST_DIRECTORY const&) {}},
        {"an old compiler settings file that cannot be read", true,
         [](ACF_TEST_DIRECTORY const& d) { chmod(d.file("slow.csf").c_str(), 0); },
         [](ACF_TEST_DIRECTORY const& d) { chmod(d.file("slow.csf").c_str(), 0644); }},
        {"a directory where nothing can be written", true,
         [](ACF_TEST_DIRECTORY const& d) { chmod(d.path().c_str(), 0555); },
         [](ACF_TEST_DIRECTORY const& d) { chmod(d.path().c_str(), 0755); }},
    };
    for (CASE const& c : cases) {
        if (c.needs_permissions && geteuid() == 0) {
            continue;
        }
        ACF_TEST_DIRECTORY case_dir;
        write_old_project(case_dir);
        acf_test_write(case_dir.file("fast.tsf"), "# my work\n");
        c.break_it(case_dir);
        c.mend_it(case_dir);
        FILES before = snapshot(case_dir.path());
        c.break_it(case_dir);
        msg_log_clear();
        int status = manager->open_project(case_dir.path().c_str(), "chip", "", true, true, true,
                                           true, false);
        c.mend_it(case_dir);
        EXPECT_NE(status, 0) << c.what;
        EXPECT_FALSE(manager->is_project_open()) << c.what;
        EXPECT_FALSE(acf_test_posted(125059)) << c.what;
        EXPECT_EQ(snapshot(case_dir.path()), before) << c.what;
        manager->free_cached_storage();
    }
}

} // namespace

namespace {

// One old project of compiler settings (seed = the setting's number) and
// simulator settings (end time = its number) converted: each revision listed
// in the new project file with the seed and end time it took.
class ConvertProjectRevisions : public ::testing::Test {
protected:
    void TearDown() override { ACF_MANAGER::get_acf_manager()->free_cached_storage(); }

    void old_project(std::vector<std::string> const& caps, std::vector<std::string> const& saps) {
        std::string text = "COMPILER_ACTION_POINTS\n{\n";
        for (std::string const& cap : caps) {
            text += "    COMPILER_SETTINGS = " + cap + ";\n";
        }
        text += "}\nSIMULATOR_ACTION_POINTS\n{\n";
        for (std::string const& sap : saps) {
            text += "    SIMULATOR_SETTINGS = " + sap + ";\n";
        }
        acf_test_write(dir.file("chip.tessaly"), text + "}\n");
    }
    void compiler_settings(std::string const& name, int seed) {
        acf_test_write(dir.file(name + ".csf"), "COMPILER_SETTINGS\n{\n    SYNTHESIS_SEED = " +
                                                    std::to_string(seed) + ";\n}\n");
    }
    void simulator_settings(std::string const& name, std::string const& use_cap, int end) {
        std::string text = "SIMULATOR_SETTINGS\n{\n";
        if (!use_cap.empty()) {
            text += "    USE_COMPILER_SETTINGS = " + use_cap + ";\n";
        }
        acf_test_write(dir.file(name + ".ssf"),
                       text + "    END_TIME = \"" + std::to_string(end) + " ns\";\n}\n");
    }
    // "revision seed end" per listed revision, in project-file order.
    std::vector<std::string> converted() {
        EXPECT_TRUE(
            ACF_MANAGER::get_acf_manager()->convert_project(dir.file("chip.tessaly").c_str(), ""));
        ACF_REVISION_NAME_LIST listed;
        acf_get_all_revisions_from_tpf(dir.file("chip.tpf").c_str(), &listed);
        std::vector<std::string> revisions;
        for (std::string const& name : listed) {
            std::string text = acf_test_read(dir.file(name + ".tsf"));
            auto value_of = [&](std::string const& key) {
                size_t at = text.find("-name " + key + " ");
                if (at == std::string::npos) {
                    return std::string("-");
                }
                at += key.size() + 7;
                std::string value = text.substr(at, text.find('\n', at) - at);
                value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
                return value.substr(0, value.find(' '));
            };
            revisions.push_back(name + " " + value_of("SYNTHESIS_SEED") + " " +
                                value_of("END_TIME"));
        }
        return revisions;
    }

    ACF_TEST_DIRECTORY dir;
};

TEST_F(ConvertProjectRevisions, CompilerAndSimulatorSettingOfOneName) {
    old_project({"a"}, {"a"});
    compiler_settings("a", 1);
    simulator_settings("a", "a", 10);
    EXPECT_EQ(converted(), (std::vector<std::string>{"a 1 10"}));
}

TEST_F(ConvertProjectRevisions, SimulatorSettingJoinsTheCompilerSettingItUses) {
    old_project({"a", "b"}, {"s"});
    compiler_settings("a", 1);
    compiler_settings("b", 2);
    simulator_settings("s", "b", 10);
    EXPECT_EQ(converted(), (std::vector<std::string>{"b 2 10", "a 1 -"}));
}

TEST_F(ConvertProjectRevisions, SimulatorSettingOfItsOwnTakesTheWorkspaceCompilerSetting) {
    old_project({"a", "b"}, {"s"});
    compiler_settings("a", 1);
    compiler_settings("b", 2);
    simulator_settings("s", "", 10);
    acf_test_write(dir.file("chip.tws"), "Other=x\n  CurrentCAP =  b \n");
    EXPECT_EQ(converted(), (std::vector<std::string>{"s 2 10", "b 2 -", "a 1 -"}));
}

TEST_F(ConvertProjectRevisions, SimulatorSettingOfItsOwnTakesTheFirstCompilerSetting) {
    old_project({"a", "b"}, {"s"});
    compiler_settings("a", 1);
    compiler_settings("b", 2);
    simulator_settings("s", "", 10);
    EXPECT_EQ(converted(), (std::vector<std::string>{"s 1 10", "b 2 -", "a 1 -"}));
}

// Two revisions of one base name are numbered, past a project file of that
// name; a name written in another letter case takes the case of its file.
TEST_F(ConvertProjectRevisions, RevisionNamesAreUniqueAndTakeTheCaseOfTheFiles) {
    old_project({"TOP"}, {"top"});
    compiler_settings("top", 1);
    simulator_settings("top", "other", 10);
    acf_test_write(dir.file("top.tpf"), "");
    EXPECT_EQ(converted(), (std::vector<std::string>{"top2 1 10", "top1 1 10"}));
}

TEST_F(ConvertProjectRevisions, RevisionListOfAnOldProjectFile) {
    old_project({"a", "b"}, {"s", "a"});
    ACF_MANAGER::STRING_LIST listed;
    ACF_MANAGER::get_acf_manager()->get_list_of_revisions_for_project(
        dir.file("chip.tessaly").c_str(), &listed);
    EXPECT_EQ(listed, (ACF_MANAGER::STRING_LIST{"a", "b", "s"}));
}

// A new revision takes the old settings files named after its project.
TEST_F(ConvertProjectRevisions, NewRevisionTakesOldSettingsFilesOfItsProject) {
    compiler_settings("chip", 5);
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_EQ(manager->open_project(dir.path().c_str(), "chip", "", false, true, true, true, true),
              0);
    manager->close_project(false);
    EXPECT_NE(acf_test_read(dir.file("chip.tsf")).find("SYNTHESIS_SEED 5"), std::string::npos);
}

} // namespace

namespace {

// In a user-interface process, opening a project again through its old project
// file converts it anew: the current project file and settings files are put
// aside (and come back when the conversion fails).
class ConvertProjectAnew : public ConvertProject {
protected:
    void SetUp() override {
        ConvertProject::SetUp();
        gen_set_is_ui_process(true);
        ui_manager = ACF_MANAGER_FACTORY::create_new_manager();
    }
    void TearDown() override {
        ACF_MANAGER_FACTORY::delete_manager(ui_manager);
        gen_set_is_ui_process(false);
        ConvertProject::TearDown();
    }
    int open_old(char const* revision = "") {
        int status = ui_manager->open_project(dir.path().c_str(), "chip.tessaly", revision, true,
                                              false, true, false, false);
        ui_manager->close_project(false);
        return status;
    }

    ACF_MANAGER* ui_manager = nullptr;
};

TEST_F(ConvertProjectAnew, CurrentFilesArePutAside) {
    write_old_project(dir);
    ASSERT_EQ(open_old(), 0);
    acf_test_write(dir.file("fast.tsf"), "# edited since\n");
    std::string project_file = acf_test_read(dir.file("chip.tpf"));
    ASSERT_EQ(open_old(), 0);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf.bak")), "# edited since\n");
    EXPECT_EQ(acf_test_read(dir.file("chip.tpf.bak")), project_file);
    EXPECT_NE(acf_test_read(dir.file("fast.tsf")).find("SYNTHESIS_SEED 3"), std::string::npos);
}

TEST_F(ConvertProjectAnew, FailedConversionBringsTheCurrentFilesBack) {
    write_old_project(dir);
    ASSERT_EQ(open_old(), 0);
    acf_test_write(dir.file("chip.tessaly"),
                   "COMPILER_ACTION_POINTS\n{\n    COMPILER_SETTINGS = fast;\n"
                   "    COMPILER_SETTINGS = " +
                       std::string(300, 'n') + ";\n}\n");
    FILES before = snapshot(dir.path());
    EXPECT_NE(open_old(), 0);
    EXPECT_EQ(snapshot(dir.path()), before);
}

// What the old files hold reaches every revision, with the letter case of the
// top-level entity, without what a file with syntax errors holds.
TEST_F(ConvertProjectRevisions, EntitiesFollowTheTopLevelEntityAndBrokenFilesAreLeftOut) {
    old_project({"a"}, {});
    compiler_settings("a", 1);
    acf_test_write(dir.file("chip.psf"), "PROJECT_INFO\n{\n    TOP_LEVEL_ENTITY = \"|core\";\n}\n");
    acf_test_write(dir.file("Core.esf"), BLOCK);
    acf_test_write(dir.file("broken.esf"), "PARAMETERS { WIDTH = 8 }\n");
    msg_log_clear();
    EXPECT_EQ(converted(), (std::vector<std::string>{"a 1 -"}));
    EXPECT_TRUE(acf_test_posted(125050)) << "the broken file is named";
    std::string text = acf_test_read(dir.file("a.tsf"));
    EXPECT_NE(text.find("TOP_LEVEL_ENTITY core\n"), std::string::npos) << text;
    // An entity equal to the top-level entity is not written out.
    EXPECT_NE(text.find("set_location_assignment PIN_A3 -to led0"), std::string::npos) << text;
    EXPECT_EQ(text.find("-entity Core"), std::string::npos) << text;
    EXPECT_EQ(text.find("WIDTH"), std::string::npos) << text;
}

// A revision named by the caller that has its settings file, with no old file
// at all, is kept as it is and listed in a new project file.
TEST_F(ConvertProjectRevisions, RevisionWithoutOldFilesKeepsItsSettingsFile) {
    acf_test_write(dir.file("a.tsf"), "# mine\n");
    msg_log_clear();
    EXPECT_TRUE(ACF_MANAGER::get_acf_manager()->convert_project(dir.file("chip").c_str(), "a"));
    EXPECT_FALSE(acf_test_posted(125059)) << "nothing was converted";
    EXPECT_EQ(acf_test_read(dir.file("a.tsf")), "# mine\n");
    ACF_REVISION_NAME_LIST listed;
    acf_get_all_revisions_from_tpf(dir.file("chip.tpf").c_str(), &listed);
    EXPECT_EQ(listed, ACF_REVISION_NAME_LIST{"a"});
}

} // namespace
