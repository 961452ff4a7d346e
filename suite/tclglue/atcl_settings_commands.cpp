#include "suite/tclglue/atcl_settings_commands.h"

#include "suite/tclglue/atcl.h"

#include <tcl.h>

namespace {

char const* const NO_SETTINGS_STORE = "no settings store is loaded";
char const* const NO_PROJECT_MANAGER = "no project manager is loaded";

// A stand-in: fails with its name and the reason its command is missing.
int stand_in(ClientData reason, Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    std::string text =
        std::string(Tcl_GetString(objv[0])) + ": " + static_cast<char const*>(reason);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), -1));
    return TCL_ERROR;
}

} // namespace

std::vector<std::string> const& atcl_assignment_command_names() {
    static std::vector<std::string> const names = {
        "set_global_assignment", "set_instance_assignment", "set_location_assignment",
        "set_parameter",         "set_acf_manager",         "set_tsf_mode"};
    return names;
}

std::vector<std::string> const& atcl_project_command_names() {
    static std::vector<std::string> const names = {"project_open", "project_new", "project_close",
                                                   "project_exists", "export_assignments"};
    return names;
}

void atcl_register_settings_command_stand_ins(Tcl_Interp* interp) {
    for (std::string const& name : atcl_assignment_command_names()) {
        Tcl_CreateObjCommand(interp, name.c_str(), stand_in, const_cast<char*>(NO_SETTINGS_STORE),
                             nullptr);
    }
    for (std::string const& name : atcl_project_command_names()) {
        Tcl_CreateObjCommand(interp, name.c_str(), stand_in, const_cast<char*>(NO_PROJECT_MANAGER),
                             nullptr);
    }
}

bool atcl_has_project_commands() {
    Tcl_CmdInfo info;
    return Tcl_GetCommandInfo(atcl_get_interpreter(), "export_assignments", &info) != 0 &&
           info.objProc != stand_in;
}
