#include "suite/tclglue/atcl_assignment_commands.h"

#include <tcl.h>

#include <atomic>

namespace {
std::atomic<ATCL_ASSIGNMENT_HANDLER*> s_handler{nullptr};

int run_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    std::vector<std::string> words;
    words.reserve(static_cast<size_t>(objc));
    for (int i = 0; i < objc; ++i) {
        words.emplace_back(Tcl_GetString(objv[i]));
    }
    ATCL_ASSIGNMENT_HANDLER* handler = s_handler.load();
    std::string error;
    if (handler == nullptr) {
        error = words[0] + ": no settings store is loaded";
    } else if (handler->run(words, &error)) {
        Tcl_ResetResult(interp);
        return TCL_OK;
    }
    Tcl_SetObjResult(interp, Tcl_NewStringObj(error.c_str(), -1));
    return TCL_ERROR;
}
} // namespace

std::vector<std::string> const& atcl_assignment_command_names() {
    static std::vector<std::string> const names = {
        "set_global_assignment", "set_instance_assignment", "set_location_assignment",
        "set_parameter",         "set_acf_manager",         "set_tsf_mode"};
    return names;
}

void atcl_set_assignment_handler(ATCL_ASSIGNMENT_HANDLER* handler) {
    s_handler = handler;
}

ATCL_ASSIGNMENT_HANDLER* atcl_get_assignment_handler() {
    return s_handler.load();
}

void atcl_register_assignment_commands(Tcl_Interp* interp) {
    for (std::string const& name : atcl_assignment_command_names()) {
        Tcl_CreateObjCommand(interp, name.c_str(), run_command, nullptr, nullptr);
    }
}
