// The flow controller over a stand-in IP package in the shared interpreter:
// its "regenerate_ip" records the words it was called with and answers as the
// test sets it.
#include "suite/flow/flow.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct STAND_IN {
    std::vector<std::string> words;
    std::string result;
    int code = TCL_OK;
    bool active_while_running = false;
};
STAND_IN g_stand_in;

int regenerate_ip(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    g_stand_in.words.clear();
    for (int i = 0; i < objc; ++i) {
        g_stand_in.words.push_back(Tcl_GetString(objv[i]));
    }
    g_stand_in.active_while_running = flow_is_active();
    Tcl_SetObjResult(interp, Tcl_NewStringObj(g_stand_in.result.c_str(), -1));
    return g_stand_in.code;
}

class Flow : public testing::Test {
protected:
    void SetUp() override {
        Tcl_Interp* interp = atcl_get_interpreter();
        Tcl_CreateObjCommand(interp, "regenerate_ip", regenerate_ip, nullptr, nullptr);
        ASSERT_EQ(Tcl_EvalEx(interp, "package provide ::tessaly::ipman 1.0", -1, TCL_EVAL_GLOBAL),
                  TCL_OK);
        g_stand_in = STAND_IN();
        msg_log_clear();
    }

    static int upgrade(std::vector<char const*> const& arguments) {
        FLOW_REQUEST request;
        request.app_name = FSTR_FLOW_APP_NAME_IPRGEN;
        request.arguments = &arguments;
        return flow_execute(request);
    }
    static bool error_posted() {
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            if (entry.severity == 'E') {
                return true;
            }
        }
        return false;
    }
};

TEST_F(Flow, FilesReachTheCommandAsOneWordWhateverTheyHold) {
    char const* files = "ip/a b.v;ip/c{d}.v;ip/e$f[g].v;ip/\"h\\\".v";
    EXPECT_EQ(upgrade({files, "gui"}), 0);
    EXPECT_EQ(g_stand_in.words,
              (std::vector<std::string>{"regenerate_ip", "-files", files, "-gui"}));
    EXPECT_TRUE(g_stand_in.active_while_running);
    EXPECT_FALSE(flow_is_active());

    EXPECT_EQ(upgrade({"a.v"}), 0);
    EXPECT_EQ(g_stand_in.words, (std::vector<std::string>{"regenerate_ip", "-files", "a.v"}));
}

TEST_F(Flow, ResultTellsWhetherEveryFileWasUpgraded) {
    struct CASE {
        char const* name;
        char const* result;
        int code;
        int expected;
    };
    CASE const cases[] = {
        {"all passed", "{{fifo_a fifo 14.0 a.v} Passed} {{mult_b mult 14.0 b.v} Passed}", TCL_OK,
         0},
        {"one failed", "{{fifo_a fifo 14.0 a.v} Passed} {{mult_b mult 11.1 b.v} Failed}", TCL_OK,
         1},
        {"nothing to report", "", TCL_OK, 0},
        {"not a list of results", "{unbalanced", TCL_OK, 1},
        {"command error", "no project", TCL_ERROR, 1},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        g_stand_in.result = c.result;
        g_stand_in.code = c.code;
        msg_log_clear();
        EXPECT_EQ(upgrade({"a.v;b.v", "gui"}), c.expected);
        EXPECT_EQ(error_posted(), c.code != TCL_OK);
    }
}

TEST_F(Flow, RequestsThatCannotRunFail) {
    EXPECT_EQ(upgrade({}), 1);
    EXPECT_TRUE(error_posted());

    FLOW_REQUEST unknown;
    unknown.app_name = "no_such_flow";
    msg_log_clear();
    EXPECT_EQ(flow_execute(unknown), 1);
    EXPECT_TRUE(error_posted());

    Tcl_EvalEx(atcl_get_interpreter(), "package forget ::tessaly::ipman", -1, TCL_EVAL_GLOBAL);
    msg_log_clear();
    EXPECT_EQ(upgrade({"a.v", "gui"}), 1);
    EXPECT_TRUE(error_posted());
    EXPECT_TRUE(g_stand_in.words.empty());
    EXPECT_FALSE(flow_is_active());
}

} // namespace
