// The stand-ins of the tools the launchers start, run as child processes:
// each shows its working directory and every argument as it arrived.
#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

namespace {

TEST(FerroBuilderTools, EachShowsItsFolderAndArguments) {
    TEST_WORKSPACE workspace;
    std::string const cwd = std::filesystem::canonical(workspace.dir()).string();
    std::string const bin = BIN_DIR;
    std::string const args = " a " + thr_process_quote_argument("b \"c\" d") + " \"\"";
    struct CASE {
        std::string command;
        std::string name;
    } const cases[] = {
        {thr_process_quote_argument(bin + "/ferro_builder/bin/system-console"), "system-console"},
        {thr_process_quote_argument(bin + "/perl/bin/perl") + " -x " +
             thr_process_quote_argument(bin + "/ferro_builder/bin/ferro_builder"),
         "ferro_builder"},
        {thr_process_quote_argument(TCLSH_PATH) + " " +
             thr_process_quote_argument(bin + "/ferro_builder/system_console/bin/emdb_app.tcl"),
         "emdb_app.tcl"},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT run = test_run(c.command + args, workspace.dir());
        EXPECT_EQ(run.status, 0) << c.command;
        EXPECT_EQ(run.output, c.name + ": cwd " + cwd + "\n" + c.name + ": arg a\n" + c.name +
                                  ": arg b \"c\" d\n" + c.name + ": arg \n")
            << c.command;
    }
}

} // namespace
