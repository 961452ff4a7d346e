// Every file that scripts make the settings database write ends with one line
// break, so that a line a user appends to it (echo '...' >> top.tsf) starts a
// line of its own; and a file written again with what it held stays byte for
// byte as it was, however often it is committed.
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

bool ends_with_one_line_break(std::string const& text) {
    return text.size() >= 2 && text[text.size() - 1] == '\n' && text[text.size() - 2] != '\n';
}

void append(std::string const& file, std::string const& line) {
    std::ofstream(file, std::ios::app) << line << "\n";
}

// A new revision's files, and a settings file that opening stamps with the
// running version, end with a line break: a line appended to them is read as
// a line of its own.
TEST(SettingsFileLineEnds, WrittenFilesEndWithALineBreakThatAppendedLinesKeep) {
    ACF_SCRIPT_PROJECT project;
    // Written by hand without a last line break, and without the version.
    test_write_file(project.file("proj.tsf"),
                    "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_a");
    TEST_RUN_RESULT result = project.run("project_open proj\nexport_assignments\nproject_close\n"
                                         "project_new -revision second proj\n");
    ASSERT_EQ(result.status, 0) << result.output;
    for (char const* name : {"proj.tsf", "second.tsf", "proj.tpf"}) {
        std::string const text = test_read_file(project.file(name));
        EXPECT_TRUE(ends_with_one_line_break(text)) << name << ":\n" << text;
    }

    append(project.file("proj.tsf"), "set_global_assignment -name SMART_RECOMPILE OFF");
    append(project.file("second.tsf"), "set_global_assignment -name SMART_RECOMPILE OFF");
    for (char const* revision : {"proj", "second"}) {
        result = project.run("project_open -revision " + std::string(revision) + " proj\n");
        EXPECT_EQ(result.status, 0) << revision << "\n" << result.output;
        EXPECT_EQ(result.output.find("Error"), std::string::npos) << result.output;
    }
}

// The example project's settings files, committed over and over with a change
// made and taken back, come out as the first commit left them: no line break
// is added on each commit.
TEST(SettingsFileLineEnds, CommitsOfUnchangedSettingsLeaveTheFileAsItWas) {
    ACF_SCRIPT_PROJECT project;
    std::string const example = std::string(TESSALY_TEST_DATA_DIR) + "/../../../../examples/dsp_board";
    for (char const* name : {"dsp_board.tpf", "dsp_board.tsf", "dsp_board_fast.tsf"}) {
        std::filesystem::copy_file(example + "/" + name, project.file(name));
    }
    for (char const* revision : {"dsp_board", "dsp_board_fast"}) {
        std::string const open = "project_open -revision " + std::string(revision) + " dsp_board\n";
        // The first commit stamps the running version.
        TEST_RUN_RESULT result = project.run(open + "export_assignments\n");
        ASSERT_EQ(result.status, 0) << result.output;
        std::string const file = project.file(std::string(revision) + ".tsf");
        std::string const stamped = test_read_file(file);
        EXPECT_TRUE(ends_with_one_line_break(stamped)) << stamped;
        for (int round = 0; round < 3; ++round) {
            result = project.run(open + "set_global_assignment -name SMART_RECOMPILE OFF\n"
                                        "export_assignments\n"
                                        "set_global_assignment -name SMART_RECOMPILE -remove\n"
                                        "export_assignments\n");
            ASSERT_EQ(result.status, 0) << result.output;
            EXPECT_EQ(test_read_file(file), stamped) << revision << " round " << round;
        }
    }
}

} // namespace
