#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_project_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the words it is given and answers as told.
class RECORDING_HANDLER : public ATCL_PROJECT_HANDLER {
public:
    bool answer = true;
    std::string text;
    std::vector<std::string> last_words;

    bool run(std::vector<std::string> const& words, std::string* result) override {
        last_words = words;
        *result = text;
        return answer;
    }
};

int eval(std::string const& script, std::string* result) {
    Tcl_Interp* interp = atcl_get_interpreter();
    int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
    *result = Tcl_GetStringResult(interp);
    return code;
}

TEST(TclProjectCommands, WithoutHandlerEveryCommandFailsWithAMessage) {
    atcl_set_project_handler(nullptr);
    for (std::string const& name : atcl_project_command_names()) {
        std::string result;
        EXPECT_EQ(eval(name + " chip", &result), TCL_ERROR) << name;
        EXPECT_EQ(result, name + ": no project manager is loaded");
    }
}

TEST(TclProjectCommands, WordsReachTheHandlerAndItsAnswerReturns) {
    RECORDING_HANDLER handler;
    atcl_set_project_handler(&handler);
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
    atcl_set_project_handler(nullptr);
}

} // namespace
