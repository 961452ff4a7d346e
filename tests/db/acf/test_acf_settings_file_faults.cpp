// Disk faults on the files of a project, made by a preloaded library in the
// regentool that runs a user's script: each failing open, read, write, flush or
// rename of a project, settings or defaults file is reported, fails the script,
// and leaves every file of the project as it was. Each call of the kind is made
// to fail in turn, from the first until the script makes no such call anymore.
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Environment variables for the programs started while it lives.
class CHILD_ENVIRONMENT {
public:
    explicit CHILD_ENVIRONMENT(std::vector<std::pair<char const*, std::string>> const& variables) {
        for (auto const& variable : variables) {
            char const* old = std::getenv(variable.first);
            m_kept.emplace_back(variable.first, old != nullptr ? old : "", old != nullptr);
            setenv(variable.first, variable.second.c_str(), 1);
        }
    }
    ~CHILD_ENVIRONMENT() {
        for (KEPT const& kept : m_kept) {
            if (kept.was_set) {
                setenv(kept.name, kept.value.c_str(), 1);
            } else {
                unsetenv(kept.name);
            }
        }
    }
    CHILD_ENVIRONMENT(CHILD_ENVIRONMENT const&) = delete;
    CHILD_ENVIRONMENT& operator=(CHILD_ENVIRONMENT const&) = delete;

private:
    struct KEPT {
        KEPT(char const* n, std::string v, bool s) : name(n), value(std::move(v)), was_set(s) {}
        char const* name;
        std::string value;
        bool was_set;
    };
    std::vector<KEPT> m_kept;
};

std::string const CHANGE_AND_COMMIT = "project_open proj\n"
                                      "set_global_assignment -name SMART_RECOMPILE OFF\n"
                                      "export_assignments\n";
// A new revision: the project file is rewritten and a settings file made.
std::string const NEW_REVISION = "project_new -revision second proj\n";

struct CASE {
    char const* call;
    char const* file;
    std::string const* script;
    // The project was last saved by an older version and its revision has no
    // defaults file yet: opening it makes one.
    bool older = false;
};

void make_older(ACF_SCRIPT_PROJECT& project) {
    test_write_file(project.file("proj.tsf"),
                    "set_global_assignment -name LAST_TESSALY_VERSION 13.0\n"
                    "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_a\n");
    std::filesystem::remove(project.file("proj_assignment_defaults.tdf"));
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
        {"write", ".tdf", &CHANGE_AND_COMMIT, true},
        {"fsync", ".tdf", &CHANGE_AND_COMMIT, true},
        {"rename", ".tdf", &CHANGE_AND_COMMIT, true},
    };
    for (CASE const& c : cases) {
        std::string const what = std::string(c.call) + " of " + c.file;
        int faults = 0;
        for (int at = 1; at < 100; ++at) {
            ACF_SCRIPT_PROJECT project;
            if (c.older) {
                make_older(project);
            }
            TEST_WORKSPACE logs;
            std::string const log = logs.path("faults.log");
            std::map<std::string, std::string> const before = project.files();
            TEST_RUN_RESULT result;
            {
                // The sanitizers' runtime then need not come first.
                char const* asan = std::getenv("ASAN_OPTIONS");
                CHILD_ENVIRONMENT environment(
                    {{"LD_PRELOAD", ACF_FAULT_SHIM_PATH},
                     {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"},
                     {"FAULT_CALL", c.call},
                     {"FAULT_FILE", c.file},
                     {"FAULT_AT", std::to_string(at)},
                     {"FAULT_LOG", log}});
                result = project.run(*c.script);
            }
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

} // namespace
