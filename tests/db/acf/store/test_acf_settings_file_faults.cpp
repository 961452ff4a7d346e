// Disk faults on the files of a project, made by a preloaded library in the
// regentool that runs a user's script: each failing open, read, write, flush,
// rename, status check, link read or lock of a project, settings or defaults
// file is reported, fails the script, and leaves every file of the project as
// it was. Each call of the kind is made to fail in turn, from the first until
// the script makes no such call anymore.
#include "acf_fault_run.h"
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace {

std::string const CHANGE_AND_COMMIT = "project_open proj\n"
                                      "set_global_assignment -name SMART_RECOMPILE OFF\n"
                                      "export_assignments\n";
// A new revision: the project file is rewritten and a settings file made.
std::string const NEW_REVISION = "project_new -revision second proj\n";

// What the project is like before the script runs.
enum PROJECT_SHAPE {
    PLAIN,
    // Last saved by an older version, its revision without a defaults file
    // yet: opening it makes one.
    OLDER,
    // The settings file is a link to the file that holds the settings.
    LINKED,
};

struct CASE {
    char const* call;
    char const* file;
    std::string const* script;
    PROJECT_SHAPE shape = PLAIN;
    int error = EIO;
};

void shape(ACF_SCRIPT_PROJECT& project, PROJECT_SHAPE shape) {
    if (shape == OLDER) {
        test_write_file(project.file("proj.tsf"),
                        "set_global_assignment -name LAST_TESSALY_VERSION 13.0\n"
                        "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_a\n");
        std::filesystem::remove(project.file("proj_assignment_defaults.tdf"));
    } else if (shape == LINKED) {
        std::filesystem::rename(project.file("proj.tsf"), project.file("kept.tsf"));
        std::filesystem::create_symlink("kept.tsf", project.file("proj.tsf"));
    }
}

TEST(SettingsFileFaults, EveryFailingCallIsReportedAndChangesNoFile) {
    CASE const cases[] = {
        {"open", ".tpf", &CHANGE_AND_COMMIT},
        {"read", ".tpf", &CHANGE_AND_COMMIT},
        {"open", ".tsf", &CHANGE_AND_COMMIT},
        {"read", ".tsf", &CHANGE_AND_COMMIT},
        {"write", ".tsf", &CHANGE_AND_COMMIT},
        {"fsync", ".tsf", &CHANGE_AND_COMMIT},
        {"rename", ".tsf", &CHANGE_AND_COMMIT},
        {"open", ".tdf", &CHANGE_AND_COMMIT},
        {"read", ".tdf", &CHANGE_AND_COMMIT},
        {"write", ".tpf", &NEW_REVISION},
        {"fsync", ".tpf", &NEW_REVISION},
        {"rename", ".tpf", &NEW_REVISION},
        {"read", ".tpf", &NEW_REVISION},
        {"write", ".tsf", &NEW_REVISION},
        {"fsync", ".tsf", &NEW_REVISION},
        {"rename", ".tsf", &NEW_REVISION},
        {"write", ".tdf", &CHANGE_AND_COMMIT, OLDER},
        {"fsync", ".tdf", &CHANGE_AND_COMMIT, OLDER},
        {"rename", ".tdf", &CHANGE_AND_COMMIT, OLDER},
        // Only a missing file is one to make anew: a status check or a link
        // read that fails in any other way is no answer.
        {"stat", ".tpf", &CHANGE_AND_COMMIT},
        {"stat", ".tsf", &CHANGE_AND_COMMIT},
        {"stat", ".tdf", &CHANGE_AND_COMMIT},
        {"lstat", ".tsf", &CHANGE_AND_COMMIT},
        {"stat", ".tdf", &CHANGE_AND_COMMIT, OLDER},
        {"stat", ".tpf", &NEW_REVISION},
        {"stat", ".tsf", &NEW_REVISION},
        {"lstat", ".tpf", &NEW_REVISION},
        {"readlink", ".tsf", &CHANGE_AND_COMMIT, LINKED},
        {"stat", ".tsf", &CHANGE_AND_COMMIT, LINKED},
        // A lock the system cannot grant leaves no lock file behind.
        {"flock", ".tsf.lock", &CHANGE_AND_COMMIT, PLAIN, ENOLCK},
    };
    for (CASE const& c : cases) {
        std::string const what = std::string(c.call) + " of " + c.file;
        int faults = 0;
        for (int at = 1; at < 100; ++at) {
            ACF_SCRIPT_PROJECT project;
            shape(project, c.shape);
            TEST_WORKSPACE logs;
            std::string const log = logs.path("faults.log");
            std::map<std::string, std::string> const before = project.files();
            TEST_RUN_RESULT result =
                run_with_fault(project, *c.script, c.call, c.file, at, c.error, log);
            if (!std::filesystem::exists(log)) {
                // The script made fewer such calls: it ran undisturbed.
                EXPECT_EQ(result.status, 0) << what << " " << at << "\n" << result.output;
                break;
            }
            ++faults;
            EXPECT_NE(result.status, 0) << what << " " << at << "\n" << result.output;
            EXPECT_NE(result.output.find("Error"), std::string::npos) << what << " " << at << "\n"
                                                                      << result.output;
            EXPECT_TRUE(project.files() == before) << what << " " << at << " changed a file\n"
                                                   << result.output;
        }
        EXPECT_GT(faults, 0) << "no " << what;
    }
}

// A commit whose new file is in place, but whose folder could not be flushed to
// disk after the rename, has written the file: it says that the write is not
// confirmed durable, rather than that the file could not be written.
TEST(SettingsFileFaults, AWriteNotConfirmedDurableIsSaidSoAndStands) {
    ACF_SCRIPT_PROJECT project;
    TEST_WORKSPACE logs;
    std::string const folder =
        std::filesystem::canonical(project.file("proj.tsf")).parent_path().string();
    TEST_RUN_RESULT result = run_with_fault(project, CHANGE_AND_COMMIT, "fsync", folder + "$", 0,
                                            EIO, logs.path("faults.log"));
    EXPECT_TRUE(std::filesystem::exists(logs.path("faults.log"))) << "no flush of the folder";
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("was written, but the write is not confirmed durable"),
              std::string::npos)
        << result.output;
    EXPECT_NE(test_read_file(project.file("proj.tsf"))
                  .find("set_global_assignment -name SMART_RECOMPILE OFF\n"),
              std::string::npos);
}

// A program that cannot read its own path does not know the installation's
// folder: the installation's defaults file is made nowhere (never in the
// current folder, the project's, where a file of its name is the project's
// own defaults), and a warning says so.
TEST(SettingsFileFaults, AnUnknownProgramFolderGetsNoDefaultsFile) {
    ACF_SCRIPT_PROJECT project;
    TEST_WORKSPACE logs;
    TEST_RUN_RESULT result = run_with_fault(project, CHANGE_AND_COMMIT, "readlink",
                                            "/proc/self/exe", 0, EIO, logs.path("faults.log"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_FALSE(std::filesystem::exists(project.file("assignment_defaults.tdf")));
    EXPECT_NE(result.output.find("Can't open file assignment_defaults.tdf for writing"),
              std::string::npos)
        << result.output;
}

} // namespace
