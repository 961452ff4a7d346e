#include "atcl_test_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the words it is given and answers as told.
class RECORDING_HANDLER {
public:
    RECORDING_HANDLER() {
        s_current = this;
        atcl_test_install_commands(atcl_project_command_names(), run);
    }
    ~RECORDING_HANDLER() {
        atcl_test_remove_commands();
        s_current = nullptr;
    }
    RECORDING_HANDLER(RECORDING_HANDLER const&) = delete;
    RECORDING_HANDLER& operator=(RECORDING_HANDLER const&) = delete;

    bool answer = true;
    std::string text;
    std::vector<std::string> last_words;

private:
    static int run(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
        s_current->last_words.assign(argv, argv + argc);
        Tcl_SetObjResult(interp, Tcl_NewStringObj(s_current->text.c_str(), -1));
        return s_current->answer ? TCL_OK : TCL_ERROR;
    }
    static RECORDING_HANDLER* s_current;
};
RECORDING_HANDLER* RECORDING_HANDLER::s_current = nullptr;

int eval(std::string const& script, std::string* result) {
    Tcl_Interp* interp = atcl_get_interpreter();
    int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
    *result = Tcl_GetStringResult(interp);
    return code;
}

TEST(TclProjectCommands, WithoutHandlerEveryCommandFailsWithAMessage) {
    for (std::string const& name : atcl_project_command_names()) {
        std::string result;
        EXPECT_EQ(eval(name + " chip", &result), TCL_ERROR) << name;
        EXPECT_EQ(result, name + ": no project manager is loaded");
    }
}

TEST(TclProjectCommands, WordsReachTheHandlerAndItsAnswerReturns) {
    RECORDING_HANDLER handler;
    std::string result;
    handler.text = "1";
    EXPECT_EQ(eval("project_exists {my dir/chip}", &result), TCL_OK);
    EXPECT_EQ(result, "1");
    EXPECT_EQ(handler.last_words, (std::vector<std::string>{"project_exists", "my dir/chip"}));

    handler.answer = false;
    handler.text = "project_open: can't open project";
    EXPECT_EQ(eval("project_open -revision fast chip", &result), TCL_ERROR);
    EXPECT_EQ(result, "project_open: can't open project");
    EXPECT_EQ(handler.last_words,
              (std::vector<std::string>{"project_open", "-revision", "fast", "chip"}));
}

} // namespace
