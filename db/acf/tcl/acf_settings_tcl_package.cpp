// The Tcl package "::tessaly::settings": the suite's assignment and project
// commands (suite/tclglue/atcl_settings_commands.h), carried out by the
// settings database. It is a startup package: the shared interpreter loads it
// as it is made, so that every script, settings file and IP file a program
// sources finds the commands without "package require", and they replace the
// suite's stand-ins.
#include "formats/acf_script_evaluator.h"
#include "mem_manager.h"
#include "tcl/acf_tcl_commands.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl_package.h"
#include "suite/tclglue/atcl_settings_commands.h"

#include <string>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

char const* const PACKAGE_NAME = "::tessaly::settings";
char const* const PACKAGE_VERSION = "1.0";

// A command's words; its name as called, without a namespace qualifier.
std::vector<std::string> words_of(int argc, char const** argv) {
    std::vector<std::string> words(argv, argv + argc);
    size_t qualifier = words[0].rfind("::");
    if (qualifier != std::string::npos) {
        words[0].erase(0, qualifier + 2);
    }
    return words;
}

int assignment_command(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
    std::string error;
    if (acf_run_assignment_command(words_of(argc, argv), &error)) {
        Tcl_ResetResult(interp);
        return TCL_OK;
    }
    Tcl_SetObjResult(interp, Tcl_NewStringObj(error.c_str(), -1));
    return TCL_ERROR;
}

int project_command(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
    std::string result;
    bool done = acf_run_project_command(words_of(argc, argv), &result);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(result.c_str(), -1));
    return done ? TCL_OK : TCL_ERROR;
}

int Settings_Init(Tcl_Interp* interp) {
    std::vector<ATCL_CALLBACK> callbacks;
    for (std::string const& name : atcl_assignment_command_names()) {
        callbacks.push_back({assignment_command, name.c_str()});
    }
    for (std::string const& name : atcl_project_command_names()) {
        callbacks.push_back({project_command, name.c_str()});
    }
    atcl_begin_package_setup(PACKAGE_NAME, PACKAGE_VERSION, nullptr, nullptr, false);
    bool registered = atcl_register_callbacks(callbacks.data(), callbacks.size());
    atcl_end_package_setup();
    if (!registered) {
        return TCL_ERROR;
    }
    return Tcl_PkgProvide(interp, PACKAGE_NAME, PACKAGE_VERSION);
}

// Registers the package with the Tcl glue when the library is loaded, and
// gives the settings stores the evaluator they source scripts with.
struct ACF_SETTINGS_TCL_PACKAGE {
    ACF_SETTINGS_TCL_PACKAGE() {
        atcl_register_startup_package("Settings", Settings_Init);
        acf_set_script_evaluator(acf_tcl_script_evaluator());
    }
};
ACF_SETTINGS_TCL_PACKAGE const acf_settings_tcl_package;

} // namespace
