// Disk faults on an IP file that a project's settings name, made by a
// preloaded library in the regentool that opens the project: the file is
// named with the reason, never taken for a missing one nor read in part.
#include "acf_fault_shim.h"
#include "acf_script_project.h"

#include <gtest/gtest.h>

TEST(ScriptFileFaults, AnIpFileThatCannotBeReadIsNamedWithTheReason) {
    for (char const* call : {"stat", "open", "read"}) {
        SCOPED_TRACE(call);
        ACF_SCRIPT_PROJECT project;
        test_write_file(project.file("core.tip"),
                        "set_global_assignment -name SMART_RECOMPILE OFF\n");
        test_write_file(project.file("proj.tsf"),
                        "set_global_assignment -name LAST_TESSALY_VERSION 14.0\n"
                        "set_global_assignment -name TIP_FILE core.tip\n");
        ACF_FAULT_ARMED armed({call, "core.tip", 0, ""});
        TEST_RUN_RESULT result = project.run("project_open proj\nproject_close\n");
        EXPECT_NE(result.output.find("Warning (125001): Can't open file " +
                                     project.file("core.tip") + "\n    Info (125063): " +
                                     "Input/output error"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(result.output.find("not found"), std::string::npos) << result.output;
    }
}
