#include "suite/exeframe/qexe.h"
#include "suite/tclglue/atcl.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// A command that records what the framework did with it.
class RECORDING_COMMAND : public QCU_FRAMEWORK {
public:
    RECORDING_COMMAND() : QCU_FRAMEWORK(1) {}
    char const* get_exe_name() const override { return "tool"; }
    char const* get_app_name() const override { return "Tool"; }
    char const* get_dbg_name() const override { return "TOOL"; }
    std::vector<std::string> const& get_usages() const override {
        static std::vector<std::string> const usages = {"<file>"};
        return usages;
    }
    bool allows_tcl() const override { return tcl_allowed; }
    bool process_file_argument(char const* text) override {
        record.push_back(std::string("file:") + text);
        return true;
    }
    bool post_check_arguments() override {
        record.push_back("check");
        return check_result;
    }
    bool is_tcl_mode() const override { return tcl_mode; }
    void set_tcl_mode(bool on) override { tcl_mode = on; }
    bool initialize_databases() override { return true; }
    bool execute() override {
        record.push_back("execute");
        return execute_result;
    }
    bool write_reports() override {
        record.push_back("reports");
        return true;
    }
    bool write_databases() override { return true; }
    bool release_databases() override { return true; }
    bool parallel_publicly_supported() const override { return false; }
    bool parallel_begin() override { return true; }
    void parallel_end() override {}
    bool is_grunt_mode() const override { return false; }
    void set_grunt_mode(bool) override {}
    char const* get_short_app_name() const override { return "tool"; }

    std::vector<std::string> record;
    bool check_result = true;
    bool execute_result = true;
    bool tcl_allowed = false;
    bool tcl_mode = false;
};

RECORDING_COMMAND* g_command = nullptr;

bool flag_handler(int, char const* value) {
    g_command->record.push_back(value == nullptr ? "flag" : "flag with value");
    return true;
}
bool value_handler(int, char const* value) {
    g_command->record.push_back(value == nullptr ? "value:<none>" : std::string("value:") + value);
    return value == nullptr || std::string(value) != "refused";
}

QEXE_OPTION_DEF const OPTIONS[] = {
    {"flag", nullptr, QEXE_OPTION_KIND_FLAG, flag_handler, "none.hlp", "FLAG"},
    {"value", "text", QEXE_OPTION_KIND_VALUE, value_handler, "none.hlp", "VALUE"},
    {nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

int run(RECORDING_COMMAND& command, std::initializer_list<char const*> arguments) {
    g_command = &command;
    std::vector<char*> argv = {const_cast<char*>("tool")};
    for (char const* a : arguments) {
        argv.push_back(const_cast<char*>(a));
    }
    QEXE_OPTION_DEF const* const tables[] = {qexe_get_common_options(), qexe_get_tcl_options(),
                                             OPTIONS, nullptr};
    testing::internal::CaptureStdout();
    int status = qexe_standard_main(&command, tables, static_cast<int>(argv.size()), argv.data());
    testing::internal::GetCapturedStdout();
    return status;
}

using RECORD = std::vector<std::string>;
RECORD const RUN = {"check", "execute", "reports"};

RECORD with_run(RECORD parsed) {
    parsed.insert(parsed.end(), RUN.begin(), RUN.end());
    return parsed;
}

TEST(ExeFrame, ParsesOptionFormsAndBareArguments) {
    struct CASE {
        std::initializer_list<char const*> arguments;
        int status;
        RECORD record;
    } const cases[] = {
        {{}, 0, RUN},
        {{"--flag"}, 0, with_run({"flag"})},
        {{"--value=a b"}, 0, with_run({"value:a b"})},
        {{"--value", "x"}, 0, with_run({"value:x"})},
        {{"--value="}, 0, with_run({"value:"})},
        {{"--value"}, 0, with_run({"value:<none>"})},
        {{"--value", "--flag"}, 0, with_run({"value:<none>", "flag"})},
        {{"a.v", "--flag", "b.v"}, 0, with_run({"file:a.v", "flag", "file:b.v"})},
        {{"--value=refused", "--flag"}, 1, {"value:refused"}},
        {{"--flag=1"}, 1, {}},
        {{"--unknown"}, 1, {}},
        {{"-x"}, 1, {}},
        {{"--flag", "-h"}, 0, {}},
        {{"--help"}, 0, {}},
    };
    for (CASE const& c : cases) {
        RECORDING_COMMAND command;
        EXPECT_EQ(run(command, c.arguments), c.status) << testing::PrintToString(c.record);
        EXPECT_EQ(command.record, c.record);
    }
}

TEST(ExeFrame, StatusFollowsTheChecksAndTheRun) {
    RECORDING_COMMAND refused;
    refused.check_result = false;
    EXPECT_EQ(run(refused, {"a.v"}), 1);
    EXPECT_EQ(refused.record, (RECORD{"file:a.v", "check"}));

    RECORDING_COMMAND failing;
    failing.execute_result = false;
    EXPECT_EQ(run(failing, {}), 1);
    EXPECT_EQ(failing.record, RUN); // reports are still written
}

TEST(ExeFrame, TclOptionEvaluatesTheScriptWithTheRestOfTheArguments) {
    TEST_WORKSPACE workspace;
    std::string script = workspace.path("seen.tcl");
    std::string failing = workspace.path("fails.tcl");
    test_write_file(script, "set ::seen [list $argc $argv]\n");
    test_write_file(failing, "error boom\n");
    Tcl_Interp* interp = atcl_get_interpreter();
    struct CASE {
        std::vector<char const*> arguments;
        int status;
        RECORD record;
        char const* seen; // the script's view of its arguments, or null when it did not run
    } const cases[] = {
        {{"-t", script.c_str(), "a b", "c"}, 0, {}, "2 {{a b} c}"},
        {{"--flag", "-t", script.c_str(), "--value", "x"}, 0, {"flag"}, "2 {--value x}"},
        {{"-t", script.c_str()}, 0, {}, "0 {}"},
        {{"-t", failing.c_str()}, 1, {}, nullptr},
        {{"-t"}, 1, {}, nullptr},
    };
    for (CASE const& c : cases) {
        Tcl_UnsetVar(interp, "seen", TCL_GLOBAL_ONLY);
        RECORDING_COMMAND command;
        command.tcl_allowed = true;
        g_command = &command;
        std::vector<char*> argv = {const_cast<char*>("tool")};
        for (char const* a : c.arguments) {
            argv.push_back(const_cast<char*>(a));
        }
        QEXE_OPTION_DEF const* const tables[] = {qexe_get_tcl_options(), OPTIONS, nullptr};
        testing::internal::CaptureStdout();
        int status =
            qexe_standard_main(&command, tables, static_cast<int>(argv.size()), argv.data());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, c.status) << c.arguments.size();
        EXPECT_EQ(command.record, c.record); // the command's own run is left out
        char const* seen = Tcl_GetVar(interp, "seen", TCL_GLOBAL_ONLY);
        EXPECT_EQ(seen == nullptr ? std::string("<none>") : seen, c.seen ? c.seen : "<none>");
        EXPECT_EQ(command.tcl_mode, c.arguments.size() > 1); // the script was evaluated
    }

    RECORDING_COMMAND without_tcl;
    EXPECT_EQ(run(without_tcl, {"-t", script.c_str()}), 1);
}

TEST(ExeFrame, FacadeReportsProgress) {
    RECORDING_COMMAND command;
    run(command, {});
    ASSERT_NE(QCU_FRAMEWORK::get_facade(), nullptr);
    testing::internal::CaptureStdout();
    QCU_FRAMEWORK::get_facade()->report_status(66);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Info: Tool progress: 66%\n");
}

} // namespace
