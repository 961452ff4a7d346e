// Disk faults on an IP file that a project's settings name, made by a
// preloaded library in the regentool that opens the project: the file is
// named with the reason, never taken for a missing one nor read in part.
#include "acf_script_project.h"

#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ScriptFileFaults, AnIpFileThatCannotBeReadIsNamedWithTheReason) {
    char const* asan = std::getenv("ASAN_OPTIONS");
    TEST_ENVIRONMENT preload("LD_PRELOAD", ACF_FAULT_SHIM_PATH);
    TEST_ENVIRONMENT sanitizer("ASAN_OPTIONS",
                               std::string(asan ? asan : "") + ":verify_asan_link_order=0");
    for (char const* call : {"stat", "open", "read"}) {
        SCOPED_TRACE(call);
        ACF_SCRIPT_PROJECT project;
        test_write_file(project.file("core.tip"),
                        "set_global_assignment -name SMART_RECOMPILE OFF\n");
        test_write_file(project.file("proj.tsf"),
                        "set_global_assignment -name LAST_TESSALY_VERSION 14.0\n"
                        "set_global_assignment -name TIP_FILE core.tip\n");
        TEST_ENVIRONMENT fault("FAULT_CALL", call);
        TEST_ENVIRONMENT file("FAULT_FILE", "core.tip");
        TEST_ENVIRONMENT every("FAULT_AT", "0");
        TEST_RUN_RESULT result = project.run("project_open proj\nproject_close\n");
        EXPECT_NE(result.output.find("Warning (125001): Can't open file " +
                                     project.file("core.tip") + "\n    Info (125063): " +
                                     "Input/output error"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(result.output.find("not found"), std::string::npos) << result.output;
    }
}
