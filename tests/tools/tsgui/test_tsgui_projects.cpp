// The graphical host with the project it opens: an old project is converted,
// showing and closing a dialog keeps every line the user wrote, and messages
// the project switches off are not shown.
#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string const EXAMPLE = TESSALY_SOURCE_DIR "/examples/dsp_board";

// The non-empty lines of a text, in order.
std::vector<std::string> lines_of(std::string const& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class TsguiProjects : public ::testing::Test {
protected:
    TEST_RUN_RESULT run(std::string const& project, std::string const& entry_point) {
        return test_run(thr_process_quote_argument(TSGUI_PATH) + " --project " +
                            thr_process_quote_argument(project) + " --screenshot " +
                            thr_process_quote_argument(m_workspace.path("dialog.png")) + " " +
                            entry_point,
                        m_workspace.dir());
    }

    TEST_WORKSPACE m_workspace;
};

TEST_F(TsguiProjects, ClosingTheUpgradeDialogKeepsEveryLineOfTheRevision) {
    std::string project = m_workspace.copy_fixture(EXAMPLE, "dsp_board");
    std::string const before = test_read_file(project + "/dsp_board.tsf");
    TEST_RUN_RESULT result = run(project, "mdb_dyn_ip_regen_dlg");
    ASSERT_EQ(result.status, 0) << result.output;
    ASSERT_TRUE(std::filesystem::exists(m_workspace.path("dialog.png"))) << result.output;

    // Only the stamp of the running version may have joined.
    std::vector<std::string> after = lines_of(test_read_file(project + "/dsp_board.tsf"));
    std::vector<std::string> kept;
    for (std::string const& line : after) {
        if (line.rfind("set_global_assignment -name LAST_TESSALY_VERSION ", 0) != 0) {
            kept.push_back(line);
        }
    }
    EXPECT_EQ(kept, lines_of(before));
}

TEST_F(TsguiProjects, OldProjectIsConvertedWhenOpened) {
    std::string project = m_workspace.path("chip");
    std::filesystem::create_directory(project);
    test_write_file(project + "/chip.tessaly",
                    "COMPILER_ACTION_POINTS\n{\n    COMPILER_SETTINGS = chip;\n}\n");
    test_write_file(project + "/chip.csf", "CHIP(chip)\n{\n    led0 : LOCATION = PIN_A3;\n}\n");
    TEST_RUN_RESULT result = run(project, "mdb_dyn_ip_regen_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("(125059)"), std::string::npos) << result.output;
    EXPECT_NE(test_read_file(project + "/chip.tsf").find("set_location_assignment PIN_A3 -to led0"),
              std::string::npos);
    // The old files stay.
    EXPECT_TRUE(std::filesystem::exists(project + "/chip.tessaly"));
    EXPECT_TRUE(std::filesystem::exists(project + "/chip.csf"));
}

TEST_F(TsguiProjects, MessagesTheProjectDisablesAreNotShown) {
    // A read-only revision is reported once it is open; the project may switch
    // that warning off.
    for (bool disabled : {false, true}) {
        SCOPED_TRACE(disabled ? "disabled" : "shown");
        std::string project = m_workspace.copy_fixture(EXAMPLE, disabled ? "off" : "on");
        std::string const revision = project + "/dsp_board.tsf";
        if (disabled) {
            test_write_file(revision, test_read_file(revision) +
                                          "set_global_assignment -name MESSAGE_DISABLE 125079\n");
        }
        chmod(revision.c_str(), 0444);
        TEST_RUN_RESULT result = run(project, "mdb_dyn_ip_regen_dlg");
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output.find("Warning (125079)") == std::string::npos, disabled)
            << result.output;
    }
}

} // namespace
