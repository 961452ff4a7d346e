#include "suite/tclglue/atcl_project_commands.h"

#include <tcl.h>

#include <atomic>

namespace {
std::atomic<ATCL_PROJECT_HANDLER*> s_handler{nullptr};

int run_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    std::vector<std::string> words;
    words.reserve(static_cast<size_t>(objc));
    for (int i = 0; i < objc; ++i) {
        words.emplace_back(Tcl_GetString(objv[i]));
    }
    ATCL_PROJECT_HANDLER* handler = s_handler.load();
    std::string result;
    bool done = false;
    if (handler == nullptr) {
        result = words[0] + ": no project manager is loaded";
    } else {
        done = handler->run(words, &result);
    }
    Tcl_SetObjResult(interp, Tcl_NewStringObj(result.c_str(), -1));
    return done ? TCL_OK : TCL_ERROR;
}
} // namespace

std::vector<std::string> const& atcl_project_command_names() {
    static std::vector<std::string> const names = {"project_open", "project_new", "project_close",
                                                   "project_exists", "export_assignments"};
    return names;
}

void atcl_set_project_handler(ATCL_PROJECT_HANDLER* handler) {
    s_handler = handler;
}

bool atcl_has_project_handler() {
    return s_handler.load() != nullptr;
}

void atcl_register_project_commands(Tcl_Interp* interp) {
    for (std::string const& name : atcl_project_command_names()) {
        Tcl_CreateObjCommand(interp, name.c_str(), run_command, nullptr, nullptr);
    }
}
