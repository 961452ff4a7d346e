#include "suite/tclglue/atcl.h"

#include "suite/tclglue/atcl_package.h"
#include "suite/tclglue/atcl_settings_commands.h"
#include "suite/tclglue/atcl_texec.h"

#include "suite/messages/msg.h"

#include <atomic>

namespace {
// The shared interpreter once it is made, before its startup packages load:
// their set-up asks for it again.
std::atomic<Tcl_Interp*> s_made{nullptr};
} // namespace

Tcl_Interp* atcl_get_interpreter() {
    if (Tcl_Interp* made = s_made.load()) {
        return made;
    }
    static Tcl_Interp* const interpreter = [] {
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* made = Tcl_CreateInterp();
        // Without its script library the interpreter still runs the built-in
        // commands; the library adds the rest (auto-loading, packages).
        if (Tcl_Init(made) != TCL_OK) {
            msg_local_debug("ATCL", MSG_D_LEVEL_2, "Tcl library not found: %s",
                            Tcl_GetStringResult(made));
        }
        atcl_register_settings_command_stand_ins(made);
        atcl_register_texec(made);
        atcl_register_static_package_loader(made);
        atcl_register_script_packages(made);
        s_made = made;
        atcl_load_startup_packages(made);
        return made;
    }();
    return interpreter;
}

Tcl_Obj* atcl_new_list(std::vector<std::string> const& words) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (std::string const& word : words) {
        Tcl_ListObjAppendElement(nullptr, list,
                                 Tcl_NewStringObj(word.c_str(), static_cast<int>(word.size())));
    }
    return list;
}

int atcl_eval_words(Tcl_Interp* interp, std::vector<std::string> const& words) {
    Tcl_Obj* command = atcl_new_list(words);
    Tcl_IncrRefCount(command);
    int code = Tcl_EvalObjEx(interp, command, TCL_EVAL_GLOBAL);
    Tcl_DecrRefCount(command);
    return code;
}

int atcl_post(char const* command, bool global, std::string* result) {
    Tcl_Interp* interp = atcl_get_interpreter();
    int code =
        Tcl_EvalEx(interp, command != nullptr ? command : "", -1, global ? TCL_EVAL_GLOBAL : 0);
    if (result != nullptr) {
        *result = Tcl_GetStringResult(interp);
    }
    return code == TCL_OK ? 0 : code;
}

int atcl_package_require(Tcl_Interp* interp, char const* package, char const* version, bool exact,
                         bool post_error) {
    bool any_version = version == nullptr || version[0] == '\0';
    if (Tcl_PkgRequire(interp, package, any_version ? nullptr : version, exact ? 1 : 0) !=
        nullptr) {
        return TCL_OK;
    }
    if (post_error) {
        atcl_post_package_error(interp, package);
    }
    return TCL_ERROR;
}

void atcl_post_package_error(Tcl_Interp* interp, char const* package) {
    MSG_E error;
    error.set_text(std::string("Can't load Tcl package ") + package + ": " +
                   Tcl_GetStringResult(interp));
    error.post();
}

int atcl_eval_file(std::string const& file, std::vector<std::string> const& args,
                   std::string& result) {
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_SetVar2Ex(interp, "argv0", nullptr, Tcl_NewStringObj(file.c_str(), -1), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argv", nullptr, atcl_new_list(args), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argc", nullptr, Tcl_NewIntObj(static_cast<int>(args.size())),
                  TCL_GLOBAL_ONLY);
    int code = atcl_eval_words(interp, {"source", file});
    if (code == TCL_ERROR) {
        char const* trace = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
        result = trace != nullptr ? trace : Tcl_GetStringResult(interp);
    } else {
        result = Tcl_GetStringResult(interp);
    }
    // What the script printed comes before what the program prints next.
    if (Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT)) {
        Tcl_Flush(out);
    }
    return code;
}
