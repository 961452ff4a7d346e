// The Tcl glue's command arguments and package set-up, with a small package of
// the test's own: "::tessaly::gluetest" with the command "probe".
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_cmd.h"
#include "suite/tclglue/atcl_package.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

enum { NONE, H, HELP, LONG_HELP, NAME, FLAG };
char const* const NAMES[] = {"", "h", "help", "long_help", "name", "flag"};

char const* to_string(int argument) {
    return argument > NONE && argument <= FLAG ? NAMES[argument] : "";
}
// Exact names, and "n" for "name".
int from_string(char const* text) {
    for (int argument = H; argument <= FLAG; ++argument) {
        if (std::strcmp(text, NAMES[argument]) == 0) {
            return argument;
        }
    }
    return std::strcmp(text, "n") == 0 ? NAME : NONE;
}

int probe(ClientData, Tcl_Interp* interp, int, char const**) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj("probed", -1));
    return TCL_OK;
}

ATCL_CMD const& probe_command() {
    static ATCL_CMD const command(ATCL_CMD_DEFINITION{
        "gluetest",
        "probe",
        {{NAME, ATCL_OPTION_VALUE, 0, "text", "The name."},
         {FLAG, ATCL_OPTION_FLAG, ATCL_OPTION_OPTIONAL, nullptr, "A flag."}},
        probe,
        to_string,
        from_string,
        "Probes the glue.",
    });
    return command;
}

int Gluetest_Init(Tcl_Interp* interp) {
    ATCL_CALLBACK const callbacks[] = {{probe, "probe"}};
    atcl_begin_package_setup("::tessaly::gluetest", "2.5", nullptr, nullptr, false);
    atcl_register_callbacks(callbacks, 1);
    atcl_end_package_setup();
    return Tcl_PkgProvide(interp, "::tessaly::gluetest", "2.5");
}

// Startup packages of the test's own, with one command each: one registered as
// the program loads, before the shared interpreter is made, one later.
int provide_probe_package(Tcl_Interp* interp, char const* package, char const* command) {
    ATCL_CALLBACK const callbacks[] = {{probe, command}};
    atcl_begin_package_setup(package, "1.0", nullptr, nullptr, false);
    atcl_register_callbacks(callbacks, 1);
    atcl_end_package_setup();
    return Tcl_PkgProvide(interp, package, "1.0");
}
int Earlystart_Init(Tcl_Interp* interp) {
    return provide_probe_package(interp, "::tessaly::earlystart", "early_probe");
}
int Latestart_Init(Tcl_Interp* interp) {
    return provide_probe_package(interp, "::tessaly::latestart", "late_probe");
}
// A startup package whose commands Tcl may refuse to make.
int Refusedstart_Init(Tcl_Interp* interp) {
    ATCL_CALLBACK const callbacks[] = {{probe, "refused_probe"}};
    atcl_begin_package_setup("::tessaly::refusedstart", "1.0", nullptr, nullptr, false);
    bool registered = atcl_register_callbacks(callbacks, 1);
    atcl_end_package_setup();
    return registered ? Tcl_PkgProvide(interp, "::tessaly::refusedstart", "1.0") : TCL_ERROR;
}
struct EARLY_STARTUP_PACKAGE {
    EARLY_STARTUP_PACKAGE() { atcl_register_startup_package("Earlystart", Earlystart_Init); }
} const early_startup_package;

TEST(TclGluePackage, CommandArgumentsAreParsedByTheCommandsOwnNames) {
    struct CASE {
        std::vector<char const*> words;
        int code;
        bool help_shown;
        char const* name; // the value of -name, or null
        bool flag;
        char const* error; // the start of the error text
    } const cases[] = {
        {{"-name", "a b"}, TCL_OK, false, "a b", false, ""},
        {{"-n", "x", "-flag"}, TCL_OK, false, "x", true, ""},
        {{"-flag", "-name", "x", "-name", "y"}, TCL_OK, false, "y", true, ""}, // last one wins
        {{"-name", "-flag"}, TCL_OK, false, "-flag", false, ""},               // a value
        {{"-help", "-bogus"}, TCL_OK, true, nullptr, false, ""},
        {{"-name", "x", "-h"}, TCL_OK, true, "x", false, ""},
        {{"-flag"},
         TCL_ERROR,
         false,
         nullptr,
         true,
         "ERROR: The command \"probe\" needs the option \"-name <text>\"."},
        {{"-name"},
         TCL_ERROR,
         false,
         nullptr,
         false,
         "ERROR: The option \"-name\" of the command \"probe\" needs a value."},
        {{"-nam", "x"},
         TCL_ERROR,
         false,
         nullptr,
         false,
         "ERROR: Unknown option \"-nam\" for the command \"probe\"."},
        {{"-"}, TCL_ERROR, false, nullptr, false, "ERROR: Unknown option \"-\""},
        {{"x"},
         TCL_ERROR,
         false,
         nullptr,
         false,
         "ERROR: Unexpected argument \"x\" for the command \"probe\"."},
    };
    Tcl_Interp* interp = atcl_get_interpreter();
    for (CASE const& c : cases) {
        std::vector<char const*> argv = {"probe"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        std::string label = c.words.empty() ? "" : c.words[0];
        Tcl_ResetResult(interp);
        ATCL_ARGS args(interp);
        bool help_shown = false;
        EXPECT_EQ(args.process_tcl_command_arguments(
                      &probe_command(), static_cast<int>(argv.size()), argv.data(), &help_shown),
                  c.code)
            << label;
        EXPECT_EQ(help_shown, c.help_shown) << label;
        EXPECT_EQ(std::string(Tcl_GetStringResult(interp)).rfind(c.error, 0), 0u)
            << label << ": " << Tcl_GetStringResult(interp);
        if (c.code == TCL_OK && !c.help_shown) {
            ASSERT_NE(args.get_value(NAME), nullptr) << label;
            EXPECT_STREQ(args.get_value(NAME), c.name) << label;
            EXPECT_EQ(args.is_set(FLAG), c.flag) << label;
            EXPECT_EQ(args.get_value(FLAG), nullptr) << label; // a flag has no value
        }
    }
}

TEST(TclGluePackage, HelpGrowsFromUsageToDescription) {
    ATCL_CMD const& command = probe_command();
    std::string const usage = "Usage: probe [-h | -help | -long_help] -name <text> [-flag]\n";
    EXPECT_EQ(command.help_text("h"), usage);
    std::string help = command.help_text("help");
    EXPECT_EQ(help.rfind(usage, 0), 0u) << help;
    EXPECT_NE(help.find("  -name <text>: The name.\n"), std::string::npos) << help;
    EXPECT_NE(help.find("  -flag: A flag.\n"), std::string::npos) << help;
    EXPECT_EQ(command.help_text("long_help"), "probe: Probes the glue.\n\n" + help);
}

TEST(TclGluePackage, StaticPackagesLoadOnRequireAndUnregisterWhole) {
    Tcl_StaticPackage(nullptr, "Gluetest", Gluetest_Init, nullptr);
    Tcl_Interp* interp = atcl_get_interpreter();
    auto eval = [interp](char const* script) {
        int code = Tcl_EvalEx(interp, script, -1, TCL_EVAL_GLOBAL);
        return std::to_string(code) + " " + Tcl_GetStringResult(interp);
    };
    EXPECT_EQ(eval("package require ::tessaly::gluetest"), "0 2.5");
    EXPECT_EQ(eval("probe"), "0 probed");
    EXPECT_EQ(eval("::tessaly::gluetest::probe"), "0 probed");
    // Other names still go to Tcl's own search.
    EXPECT_EQ(eval("package require ::tessaly::absent"), "1 can't find package ::tessaly::absent");
    EXPECT_EQ(eval("package require no_such_package_anywhere"),
              "1 can't find package no_such_package_anywhere");

    atcl_begin_package_setup("::tessaly::gluetest", "2.5", "gluetest", "gluetest", true);
    EXPECT_EQ(atcl_unregister_package(interp), TCL_OK);
    atcl_end_package_setup();
    EXPECT_EQ(eval("info commands probe"), "0 ");
    EXPECT_EQ(eval("namespace exists ::tessaly::gluetest"), "0 0");
    EXPECT_EQ(eval("package provide ::tessaly::gluetest"), "0 ");
}

TEST(TclGluePackage, StartupPackagesAreThereWithoutRequire) {
    Tcl_Interp* interp = atcl_get_interpreter();
    auto eval = [interp](char const* script) {
        int code = Tcl_EvalEx(interp, script, -1, TCL_EVAL_GLOBAL);
        return std::to_string(code) + " " + Tcl_GetStringResult(interp);
    };
    EXPECT_EQ(eval("early_probe"), "0 probed");
    EXPECT_EQ(eval("package provide ::tessaly::earlystart"), "0 1.0");
    EXPECT_EQ(eval("info commands late_probe"), "0 ");
    // One registered once the interpreter is made is loaded at once.
    atcl_register_startup_package("Latestart", Latestart_Init);
    EXPECT_EQ(eval("late_probe"), "0 probed");
    EXPECT_EQ(eval("package provide ::tessaly::latestart"), "0 1.0");
}

TEST(TclGluePackage, BoundaryScanPackageLoadsByVersion) {
    Tcl_Interp* interp = atcl_get_interpreter();
    struct CASE {
        char const* version;
        bool exact;
        int code;
    } const cases[] = {
        {nullptr, true, TCL_OK}, {"", false, TCL_OK},       {"1.0", true, TCL_OK},
        {"1", false, TCL_OK},    {"0.5", false, TCL_ERROR}, {"2.0", false, TCL_ERROR},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        EXPECT_EQ(atcl_package_require(interp, "eda_bsd", c.version, c.exact, true), c.code)
            << (c.version != nullptr ? c.version : "(none)") << (c.exact ? " exact" : "");
        EXPECT_EQ(msg_log_entries().size(), c.code == TCL_OK ? 0u : 1u);
    }
    EXPECT_STREQ(Tcl_GetStringResult(interp), "version conflict for package \"eda_bsd\": have "
                                              "1.0, need 2.0");
    EXPECT_EQ(msg_log_entries().front().text,
              "Can't load Tcl package eda_bsd: version conflict for package \"eda_bsd\": have "
              "1.0, need 2.0");
    msg_log_clear();
    EXPECT_EQ(atcl_package_require(interp, "no_such_package_anywhere", nullptr, false, false),
              TCL_ERROR);
    EXPECT_TRUE(msg_log_entries().empty());
    std::string commands = "?";
    EXPECT_EQ(atcl_post("info commands ::eda_bsd::*", true, &commands), 0);
    EXPECT_EQ(commands, "");
}

TEST(TclGluePackage, PostedCommandGivesItsResultOrError) {
    std::string result;
    EXPECT_EQ(atcl_post("set ::glue_posted {a b}; llength $::glue_posted", true, &result), 0);
    EXPECT_EQ(result, "2");
    EXPECT_EQ(atcl_post("llength $no_such_variable_here", true, &result), TCL_ERROR);
    EXPECT_EQ(result, "can't read \"no_such_variable_here\": no such variable");
}

TEST(TclGluePackage, CommandsAreRegisteredOnlyInsideASetup) {
    ATCL_CALLBACK const callbacks[] = {{probe, "stray"}};
    int reports = 0;
    MSG_INTERNAL_ERROR::set_hook(
        [&reports](char const*, char const*, char const*, int) { ++reports; });
    EXPECT_FALSE(atcl_register_callbacks(callbacks, 1));
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(Tcl_FindCommand(atcl_get_interpreter(), "stray", nullptr, 0), nullptr);
    EXPECT_FALSE(atcl_is_dynamically_loading());
}

} // namespace

// Importing a command asks Tcl's library index first, which Tcl reads from
// disk; a read that fails there is the user's disk, not a fault of ours.
TEST(TclGluePackage, AStartupPackageTclCannotMakeIsNamedWithTclsReason) {
    Tcl_Interp* interp = atcl_get_interpreter();
    ASSERT_EQ(Tcl_EvalEx(interp,
                         "rename ::auto_import ::glue_saved_auto_import\n"
                         "proc ::auto_import {pattern} {error {error reading \"file3\": I/O error}}",
                         -1, TCL_EVAL_GLOBAL),
              TCL_OK);
    int reports = 0;
    MSG_INTERNAL_ERROR::set_hook(
        [&reports](char const*, char const*, char const*, int) { ++reports; });
    msg_log_clear();
    atcl_register_startup_package("Refusedstart", Refusedstart_Init);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    ASSERT_EQ(Tcl_EvalEx(interp,
                         "rename ::auto_import {}\n"
                         "rename ::glue_saved_auto_import ::auto_import",
                         -1, TCL_EVAL_GLOBAL),
              TCL_OK);
    EXPECT_EQ(reports, 0);
    ASSERT_EQ(msg_log_entries().size(), 1u);
    EXPECT_EQ(msg_log_entries().front().severity, 'E');
    EXPECT_EQ(msg_log_entries().front().text,
              "Can't load Tcl package Refusedstart: error reading \"file3\": I/O error");
    EXPECT_EQ(Tcl_EvalEx(interp, "package present ::tessaly::refusedstart", -1, TCL_EVAL_GLOBAL),
              TCL_ERROR);
}
