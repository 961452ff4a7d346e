#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EVAL {
    int code;
    std::string result;
    std::string error_code;
};

EVAL eval(std::string const& script) {
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_SetVar(interp, "errorCode", "NONE", TCL_GLOBAL_ONLY);
    int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
    EVAL out{code, Tcl_GetStringResult(interp), ""};
    if (char const* ec = Tcl_GetVar(interp, "errorCode", TCL_GLOBAL_ONLY)) {
        out.error_code = ec;
    }
    return out;
}

TEST(TclTexec, RunsAProgramAndReportsItsExit) {
    struct CASE {
        char const* script;
        int code;
        std::string result;
        std::string error_code_prefix;
    } const cases[] = {
        {"texec {sh -c \"echo out; echo err >&2\"}", TCL_OK, "out\nerr\n", "NONE"},
        {"texec {sh -c 'printf \"%s|\" \"$@\"' x \"a b\" 'c\"d'}", TCL_OK, "a b|c\"d|", "NONE"},
        {"texec {sh -c \"echo partial; exit 3\"}", TCL_ERROR,
         "partial\nchild process exited with code 3", "CHILDSTATUS"},
        {"texec {sh -c \"kill -SEGV $$\"}", TCL_ERROR, "child process exited with code 139",
         "CHILDSTATUS"},
        {"texec /no/such/program", TCL_ERROR, "couldn't execute \"/no/such/program\"",
         "POSIX ENOENT"},
        {"texec", TCL_ERROR, "wrong # args: should be \"texec command_line\"", "TCL WRONGARGS"},
    };
    for (CASE const& c : cases) {
        EVAL e = eval(c.script);
        EXPECT_EQ(e.code, c.code) << c.script;
        EXPECT_EQ(e.result, c.result) << c.script;
        EXPECT_EQ(e.error_code.rfind(c.error_code_prefix, 0), 0u)
            << c.script << ": " << e.error_code;
    }
}

TEST(TclTexec, FindsTheSuitesProgramsInItsBinaryFolder) {
    // The wizard lies beside this test, not on PATH: it runs, and refuses a
    // missing file with its own exit code rather than failing to start.
    EVAL e = eval("texec {vestawiz -silent /no/such/file.v}");
    EXPECT_EQ(e.code, TCL_ERROR);
    EXPECT_EQ(e.error_code.rfind("CHILDSTATUS", 0), 0u) << e.error_code;
    EXPECT_NE(e.result.find("file does not exist"), std::string::npos) << e.result;
}

} // namespace
