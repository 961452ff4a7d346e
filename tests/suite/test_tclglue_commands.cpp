#include "atcl_test_commands.h"

#include <gtest/gtest.h>

namespace {

// Records the words of every call; fails one whose first argument is "-fail".
class RECORDING_HANDLER {
public:
    RECORDING_HANDLER() {
        s_current = this;
        atcl_test_install_commands(atcl_assignment_command_names(), run);
    }
    ~RECORDING_HANDLER() {
        atcl_test_remove_commands();
        s_current = nullptr;
    }
    RECORDING_HANDLER(RECORDING_HANDLER const&) = delete;
    RECORDING_HANDLER& operator=(RECORDING_HANDLER const&) = delete;

    std::vector<std::vector<std::string>> calls;

private:
    static int run(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
        std::vector<std::string> words(argv, argv + argc);
        s_current->calls.push_back(words);
        if (words.size() > 1 && words[1] == "-fail") {
            Tcl_SetObjResult(interp, Tcl_NewStringObj("refused", -1));
            return TCL_ERROR;
        }
        return TCL_OK;
    }
    static RECORDING_HANDLER* s_current;
};
RECORDING_HANDLER* RECORDING_HANDLER::s_current = nullptr;

TEST(TclGlueCommands, SharedInterpreterHandsEveryCommandItsWords) {
    Tcl_Interp* interp = atcl_get_interpreter();
    RECORDING_HANDLER handler;
    for (std::string const& name : atcl_assignment_command_names()) {
        std::string script = name + " -name {A B} \"x y\" -to \\[q\\]";
        ASSERT_EQ(Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK) << name;
    }
    ASSERT_EQ(handler.calls.size(), atcl_assignment_command_names().size());
    EXPECT_EQ(handler.calls[0], (std::vector<std::string>{"set_global_assignment", "-name", "A B",
                                                          "x y", "-to", "[q]"}));

    EXPECT_EQ(Tcl_EvalEx(interp, "set_parameter -fail", -1, TCL_EVAL_GLOBAL), TCL_ERROR);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "refused");
}

TEST(TclGlueCommands, WithoutASettingsStoreTheCommandsFailWithAMessage) {
    Tcl_Interp* interp = atcl_get_interpreter();
    EXPECT_EQ(Tcl_EvalEx(interp, "set_tsf_mode -end", -1, TCL_EVAL_GLOBAL), TCL_ERROR);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "set_tsf_mode: no settings store is loaded");
}

} // namespace
