// The graphical host run as a child process on copies of the example project.
// With --screenshot it saves the first modal dialog and closes it, so a picture
// on disk tells that a dialog was shown.
#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string const EXAMPLE = TESSALY_SOURCE_DIR "/examples/dsp_board";

class Tsgui : public ::testing::Test {
protected:
    TEST_RUN_RESULT run(std::string const& arguments) {
        return test_run(thr_process_quote_argument(TSGUI_PATH) + " " + arguments,
                        m_workspace.dir());
    }
    std::string picture() const { return m_workspace.path("dialog.png"); }
    bool picture_taken() const {
        std::error_code error;
        return std::filesystem::file_size(picture(), error) > 0 && !error;
    }

    TEST_WORKSPACE m_workspace;
};

TEST_F(Tsgui, OpensTheProjectBeforeCallingTheEntryPoint) {
    // The dialog of this entry point shows only when the open project has IP
    // components to upgrade, as the example has.
    std::string project = m_workspace.copy_fixture(EXAMPLE, "dsp board");
    TEST_RUN_RESULT result =
        run("--project " + thr_process_quote_argument(project) + " --screenshot " +
            thr_process_quote_argument(picture()) + " mdb_dyn_ip_regen_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(picture_taken()) << result.output;

    // Without a project there is nothing to upgrade and no dialog.
    std::filesystem::remove(picture());
    result = run("--screenshot " + thr_process_quote_argument(picture()) + " mdb_dyn_ip_regen_dlg");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_FALSE(picture_taken());
}

TEST_F(Tsgui, RefusesWhatItCannotDo) {
    struct CASE {
        char const* name;
        std::string arguments;
        char const* says;
    };
    std::filesystem::create_directory(m_workspace.path("empty"));
    CASE const cases[] = {
        {"folder without a project",
         "--project " + m_workspace.path("empty") + " mdb_dyn_ip_regen_dlg", "no project file"},
        {"unknown entry point", "mdb_dyn_no_such_dialog", "no entry point mdb_dyn_no_such_dialog"},
        {"no entry point", "", "Usage: tsgui"},
        {"unknown option", "--frobnicate mdb_dyn_ip_regen_dlg", "Usage: tsgui"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        TEST_RUN_RESULT result = run(c.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.output.find(c.says), std::string::npos) << result.output;
    }
}

} // namespace
