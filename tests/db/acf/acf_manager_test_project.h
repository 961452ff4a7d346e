// A fixture for tests of the process-wide project manager over real projects
// in a temporary directory: writing a project file with its revisions, opening
// and creating it, and setting and committing an assignment.
#pragma once

#include "acf_test_directory.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "formats/acf_project_file.h"

#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// A revision last saved by the running version: opening it changes nothing.
inline std::string acf_test_current_version_line() {
    return "set_global_assignment -name LAST_TESSALY_VERSION " + acf_get_version_string() + "\n";
}

class AcfManagerProject : public ::testing::Test {
protected:
    void SetUp() override { msg_log_clear(); }
    void TearDown() override {
        manager->close_project(false);
        manager->free_cached_storage();
    }

    // Opens an existing project (no creation, messages posted).
    int open(char const* project, char const* revision = "") {
        return manager->open_project(dir.path().c_str(), project, revision, false, false, true,
                                     false, false);
    }
    int create(char const* project, char const* revision = "") {
        return manager->open_project(dir.path().c_str(), project, revision, false, true, true, true,
                                     true);
    }
    // Sets a global assignment and commits the revision.
    void set_and_commit(char const* variable, char const* value) {
        ASSERT_TRUE(manager->write_lock(true));
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_string(variable);
        params.set_value_string(value);
        EXPECT_NE(manager->set_global_assignment(&params), nullptr);
        EXPECT_TRUE(manager->commit_files_to_disk(false, true));
        manager->write_unlock(false);
    }
    // Writes a project listing the revisions, each with the given settings text.
    void write_project(char const* project,
                       std::vector<std::pair<std::string, std::string>> const& revisions) {
        ACF_REVISION_NAME_LIST names;
        for (auto const& revision : revisions) {
            names.push_back(revision.first);
            acf_test_write(dir.file(revision.first + ".tsf"), revision.second);
        }
        ASSERT_TRUE(acf_write_tpf_file(dir.file(std::string(project) + ".tpf").c_str(), &names));
    }

    ACF_TEST_DIRECTORY dir;
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
};
