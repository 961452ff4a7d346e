// Disk faults and folders in place of a script or IP file that a project's
// settings name, met by the regentool that opens the project (a preloaded
// library makes the faults): the file is named with the reason, never taken
// for a missing one nor read in part, and the open fails, so that the script
// ends in an error instead of going on without that file's settings.
#include "acf_fault_shim.h"
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

TEST(ScriptFileFaults, AFileTheSettingsNameThatCannotBeReadFailsTheOpenNamingIt) {
    struct CASE {
        char const* setting;
        char const* file;
        char const* fault; // the call that fails with EIO; null: the file is a folder
        char const* reason;
    } const cases[] = {
        {"TIP_FILE", "core.tip", "stat", "Input/output error"},
        {"TIP_FILE", "core.tip", "open", "Input/output error"},
        {"TIP_FILE", "core.tip", "read", "Input/output error"},
        {"TIP_FILE", "core.tip", nullptr, "it is a directory"},
        {"SOURCE_TCL_SCRIPT_FILE", "setup.tcl", "read", "Input/output error"},
        {"SOURCE_TCL_SCRIPT_FILE", "setup.tcl", nullptr, "it is a directory"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " " + (c.fault ? c.fault : "folder"));
        ACF_SCRIPT_PROJECT project;
        if (c.fault != nullptr) {
            test_write_file(project.file(c.file),
                            "set_global_assignment -name SMART_RECOMPILE OFF\n");
        } else {
            std::filesystem::create_directory(project.file(c.file));
        }
        std::string const settings = "set_global_assignment -name LAST_TESSALY_VERSION 14.0\n"
                                     "set_global_assignment -name " +
                                     std::string(c.setting) + " " + c.file + "\n";
        test_write_file(project.file("proj.tsf"), settings);
        std::optional<ACF_FAULT_ARMED> armed;
        if (c.fault != nullptr) {
            armed.emplace(ACF_FAULT{c.fault, c.file, 0, ""});
        }
        TEST_RUN_RESULT result =
            project.run("project_open proj\nputs opened\nproject_close\n", "open.tcl");
        EXPECT_NE(result.output.find("Warning (125001): Can't open file " + project.file(c.file) +
                                     "\n    Info (125063): " + c.reason),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(result.output.find("not found"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("opened"), std::string::npos) << result.output;
        EXPECT_NE(result.status, 0) << result.output;
        EXPECT_EQ(test_read_file(project.file("proj.tsf")), settings);
    }
}

// A missing one stays what it was: named as not found, and the open goes on.
TEST(ScriptFileFaults, AMissingIpFileIsNotFoundAndTheOpenGoesOn) {
    ACF_SCRIPT_PROJECT project;
    test_write_file(project.file("proj.tsf"),
                    "set_global_assignment -name LAST_TESSALY_VERSION 14.0\n"
                    "set_global_assignment -name TIP_FILE gone.tip\n");
    TEST_RUN_RESULT result =
        project.run("project_open proj\nputs opened\nproject_close\n", "open.tcl");
    EXPECT_NE(result.output.find("not found"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("opened"), std::string::npos) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
}

// Each read of the project file while the project opens: a read that fails is
// named with its reason, never taken for a project without settings files.
TEST(ScriptFileFaults, AProjectFileReadThatFailsIsNamedWhicheverReadItIs) {
    for (long at = 1; at <= 8; ++at) {
        SCOPED_TRACE("read " + std::to_string(at) + " of proj.tpf fails");
        ACF_SCRIPT_PROJECT project;
        std::string const log = project.file("fault.log");
        TEST_RUN_RESULT result;
        {
            ACF_FAULT_ARMED armed({"read", "proj.tpf", at, log});
            result = project.run("project_open proj\nputs opened\nproject_close\n", "open.tcl");
        }
        EXPECT_EQ(result.output.find("no Tessaly II Settings Files exist"), std::string::npos)
            << result.output;
        if (!std::filesystem::exists(log)) {
            EXPECT_EQ(result.status, 0) << "no read failed: " << result.output;
            continue;
        }
        if (result.output.find("opened") == std::string::npos) {
            EXPECT_NE(result.output.find("Warning (125001): Can't open file " +
                                         project.file("proj.tpf") +
                                         "\n    Info (125063): Input/output error"),
                      std::string::npos)
                << result.output;
            EXPECT_NE(result.status, 0) << result.output;
        }
    }
}
