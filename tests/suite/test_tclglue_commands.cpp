#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_assignment_commands.h"

#include <gtest/gtest.h>

namespace {

class RECORDING_HANDLER : public ATCL_ASSIGNMENT_HANDLER {
public:
    bool run(std::vector<std::string> const& words, std::string* error) override {
        calls.push_back(words);
        if (words.size() > 1 && words[1] == "-fail") {
            *error = "refused";
            return false;
        }
        return true;
    }
    std::vector<std::vector<std::string>> calls;
};

TEST(TclGlueCommands, SharedInterpreterHandsEveryCommandItsWords) {
    Tcl_Interp* interp = atcl_get_interpreter();
    RECORDING_HANDLER handler;
    atcl_set_assignment_handler(&handler);
    for (std::string const& name : atcl_assignment_command_names()) {
        std::string script = name + " -name {A B} \"x y\" -to \\[q\\]";
        ASSERT_EQ(Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK) << name;
    }
    ASSERT_EQ(handler.calls.size(), atcl_assignment_command_names().size());
    EXPECT_EQ(handler.calls[0], (std::vector<std::string>{"set_global_assignment", "-name", "A B",
                                                          "x y", "-to", "[q]"}));

    EXPECT_EQ(Tcl_EvalEx(interp, "set_parameter -fail", -1, TCL_EVAL_GLOBAL), TCL_ERROR);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "refused");
    atcl_set_assignment_handler(nullptr);
}

TEST(TclGlueCommands, WithoutASettingsStoreTheCommandsFailWithAMessage) {
    atcl_set_assignment_handler(nullptr);
    Tcl_Interp* interp = atcl_get_interpreter();
    EXPECT_EQ(Tcl_EvalEx(interp, "set_tsf_mode -end", -1, TCL_EVAL_GLOBAL), TCL_ERROR);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "set_tsf_mode: no settings store is loaded");
}

} // namespace
