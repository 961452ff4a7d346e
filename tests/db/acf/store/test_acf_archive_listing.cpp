// The files that the archive lists for each revision: the revision read only to
// list what its files name gives what a full open of that revision names, and
// fails where the open fails.
#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_revision_manager.h"
#include "records/acf_manager_storage.h"

#include "suite/archive/afm.h"
#include "suite/general/gen.h"
#include "tests/support/test_named_files.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string const SET = "set_global_assignment ";

// One revision of the project: its settings lines and, when not empty, the
// lines of its own defaults file.
struct REVISION {
    char const* what;
    std::string settings;
    std::string defaults;
};

std::vector<REVISION> revisions_of(std::string const& dir) {
    return {
        {"a top-level entity and nothing else", SET + "-name TOP_LEVEL_ENTITY alone\n", ""},
        {"one design file", SET + "-name VERILOG_FILE hdl/one.v\n", ""},
        // Lines appended by test_write_named_files.
        {"every form of naming a file", "", ""},
        {"a family and device of its own, a setting at its catalogue default",
         SET + "-name FAMILY \"Lumiform II\"\n" + SET + "-name DEVICE LUMIFORMIIA15F484C6\n" + SET +
             "-name CLOCKWARD_MULTICORNER_ANALYSIS Off\n" + SET +
             "-name VHDL_FILE hdl/lumiform.vhd -library work\n",
         ""},
        {"a defaults file of its own that sets the family and names a file",
         SET + "-name VERILOG_FILE hdl/own_defaults.v\n",
         SET + "-name FAMILY \"Vorelon III\"\n" + SET + "-name TOP_LEVEL_ENTITY top_of_it\n" +
             SET + "-name SDC_FILE from_defaults.sdc\n"},
        {"a settings script that names a file",
         SET + "-name SOURCE_TCL_SCRIPT_FILE setup.tcl\n" + SET + "-name VERILOG_FILE hdl/s.v\n",
         ""},
        {"a file named twice and a removed line",
         SET + "-name VERILOG_FILE hdl/twice.v\n" + SET + "-name VERILOG_FILE hdl/twice.v\n" +
             SET + "-name VERILOG_FILE hdl/gone.v -remove\n",
         ""},
        {"a file outside the project", SET + "-name SDC_FILE \"" + dir + "/../outside.sdc\"\n", ""},
    };
}

// Writes the project "p" in `dir`: revision r<i> for each of `revisions`, every
// file they name, and, with `project_defaults`, the project's defaults file.
void write_project(std::string const& dir, std::vector<REVISION> const& revisions,
                   std::string const& project_defaults) {
    fs::create_directories(dir + "/hdl");
    std::string project;
    for (size_t i = 0; i < revisions.size(); ++i) {
        std::string r = "r" + std::to_string(i);
        project += "PROJECT_REVISION = \"" + r + "\"\n";
        test_write_file(dir + "/" + r + ".tsf", revisions[i].settings);
        if (!revisions[i].defaults.empty()) {
            test_write_file(dir + "/" + r + "_assignment_defaults.tdf", revisions[i].defaults);
        }
        if (revisions[i].settings.empty()) {
            test_write_named_files(dir, dir + "/" + r + ".tsf",
                                   test_named_file_forms(dir, dir + "/../outside"));
        }
    }
    test_write_file(dir + "/p.tpf", project);
    test_write_file(dir + "/setup.tcl", SET + "-name VERILOG_FILE hdl/from_script.v\n");
    for (char const* file : {"hdl/one.v", "hdl/lumiform.vhd", "hdl/own_defaults.v",
                             "from_defaults.sdc", "hdl/s.v", "hdl/from_script.v", "hdl/twice.v",
                             "hdl/gone.v", "../outside.sdc", "project_default.v"}) {
        test_write_file(dir + "/" + file, "// " + std::string(file) + "\n");
    }
    if (!project_defaults.empty()) {
        test_write_file(dir + "/assignment_defaults.tdf", project_defaults);
    }
}

// The design files (every setting ending in "_FILE" but IP files) that the
// open revision names, as a full open holds them: the files the archive
// listed before it read revisions only to list them.
std::vector<std::string> named_by_the_open_revision(std::string const& dir) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    std::vector<std::string> files;
    EXPECT_TRUE(manager->read_lock());
    manager->get_storage()->set_allow_ignored_assignments_filter(true);
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
    manager->get_assignment_coll(nullptr, &assignments, false);
    for (ACF_ASSIGNMENT const* asgn : assignments) {
        std::string setting = asgn->get_variable_string();
        if (asgn->is_global() && !asgn->is_removed() && setting != "TIP_FILE" &&
            setting.size() > 5 && setting.compare(setting.size() - 5, 5, "_FILE") == 0) {
            std::string file = asgn->get_unmodified_value(true);
            std::string inside = fs::path(file).lexically_normal().lexically_relative(dir + "/")
                                     .generic_string();
            files.push_back(file[0] == '/' && !inside.empty() && inside.rfind("..", 0) != 0
                                ? inside
                                : file);
        }
    }
    manager->read_unlock();
    std::sort(files.begin(), files.end());
    return files;
}

// The design files the archive lists for one revision of the project in `dir`.
bool listed_for(std::string const& dir, std::string const& revision,
                std::vector<std::string>* files, std::string* error) {
    AFM_PROJECT project{dir + "/", "p", {revision}};
    bool read = AFM_ARCHIVE_MANAGER::get_instance()
                    ->get_file_subset("design_files")
                    ->get_files_to_archive(project, files, error);
    std::sort(files->begin(), files->end());
    return read;
}

int open_revision(std::string const& dir, std::string const& revision) {
    return ACF_MANAGER::get_acf_manager()->open_project(dir.c_str(), "p", revision.c_str(), false,
                                                        false, false, false, false);
}

void close_project() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    manager->close_project(false);
    manager->free_cached_storage();
    gen_set_project_dir_path("");
}

} // namespace

// Each revision of a table, in a project without and with a defaults file of
// its own, is listed with exactly the files a full open of it names.
TEST(ArchiveListing, EachRevisionListsTheFilesAFullOpenOfItNames) {
    char const* const project_defaults[] = {
        "",
        "set_global_assignment -name FAMILY \"Vorelon II\"\n"
        "set_global_assignment -name VERILOG_FILE project_default.v\n",
    };
    for (char const* defaults : project_defaults) {
        TEST_WORKSPACE ws;
        std::string dir = ws.path("p");
        std::vector<REVISION> revisions = revisions_of(dir);
        write_project(dir, revisions, defaults);
        // The archive lists revisions while another one is open.
        ASSERT_EQ(open_revision(dir, "r0"), ACF_REVISION_MANAGER::SUCCESS);
        std::vector<std::vector<std::string>> listed(revisions.size());
        for (size_t i = 0; i < revisions.size(); ++i) {
            std::string error;
            EXPECT_TRUE(listed_for(dir, "r" + std::to_string(i), &listed[i], &error))
                << revisions[i].what << ": " << error;
        }
        close_project();
        for (size_t i = 0; i < revisions.size(); ++i) {
            std::string r = "r" + std::to_string(i);
            ASSERT_EQ(open_revision(dir, r), ACF_REVISION_MANAGER::SUCCESS) << revisions[i].what;
            std::vector<std::string> named = named_by_the_open_revision(dir);
            close_project();
            EXPECT_EQ(listed[i], named)
                << revisions[i].what << (*defaults != '\0' ? ", with project defaults" : "");
            EXPECT_EQ(named.empty(), i == 0 && *defaults == '\0') << revisions[i].what;
        }
    }
}

// A defaults file that the revision's read cannot take, its own or the
// project's, fails the listing with the revision's settings file named, as it
// fails an open of the revision; the revisions it does not touch are still
// listed.
TEST(ArchiveListing, AnUnreadableDefaultsFileFailsTheListingAsItFailsTheOpen) {
    struct CASE {
        char const* what;
        char const* file;
        bool project_wide;
    };
    CASE const cases[] = {
        {"its own defaults file", "r1_assignment_defaults.tdf", false},
        {"the project's defaults file", "assignment_defaults.tdf", true},
    };
    char const* const spoils[] = {"a link to itself", "a folder"};
    for (CASE const& c : cases) {
        for (char const* spoil : spoils) {
            TEST_WORKSPACE ws;
            std::string dir = ws.path("p");
            write_project(dir, revisions_of(dir), "");
            ASSERT_EQ(open_revision(dir, "r0"), ACF_REVISION_MANAGER::SUCCESS);
            std::string what = std::string(c.what) + " is " + spoil;
            std::string file = dir + "/" + c.file;
            if (std::strcmp(spoil, "a folder") == 0) {
                fs::create_directories(file);
            } else {
                fs::create_symlink(c.file, file);
            }
            std::vector<std::string> files;
            std::string error;
            EXPECT_FALSE(listed_for(dir, "r1", &files, &error)) << what;
            EXPECT_NE(error.find(dir + "/r1.tsf"), std::string::npos) << what << ": " << error;
            files.clear();
            error.clear();
            EXPECT_EQ(listed_for(dir, "r2", &files, &error), !c.project_wide) << what << error;
            close_project();
            EXPECT_NE(open_revision(dir, "r1"), ACF_REVISION_MANAGER::SUCCESS) << what;
            close_project();
        }
    }
}
