// The Tcl package "::tessaly::project": the command "is_project_open" (1 while
// the project manager has a project open, else 0) and the global array element
// tessaly(project), which reads as the open project's name ("" when none)
// whenever it is read, so it follows projects opened and closed later.
#include "acf_manager.h"
#include "mem_manager.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_package.h"

#include <string>

MEM_UNIT_INITIALIZER(ACF);

namespace {

char const* const PACKAGE_NAME = "::tessaly::project";
char const* const PACKAGE_VERSION = "1.0";

std::string open_project_name() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    char const* name = manager->is_project_open() ? manager->get_project_name() : nullptr;
    return name != nullptr ? name : "";
}

int is_project_open(ClientData, Tcl_Interp* interp, int argc, char const**) {
    if (argc != 1) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj("usage: is_project_open", -1));
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, Tcl_NewBooleanObj(ACF_MANAGER::get_acf_manager()->is_project_open()));
    return TCL_OK;
}

// Read trace of tessaly(project): the element takes the open project's name
// before the reader sees it.
char* follow_open_project(ClientData, Tcl_Interp* interp, char const* array, char const* element,
                          int) {
    Tcl_SetVar2(interp, array, element, open_project_name().c_str(), TCL_GLOBAL_ONLY);
    return nullptr;
}

ATCL_CALLBACK const PROJECT_CALLBACKS[] = {
    {is_project_open, "is_project_open"},
};

int Project_Init(Tcl_Interp* interp) {
    atcl_begin_package_setup(PACKAGE_NAME, PACKAGE_VERSION, nullptr, nullptr, false);
    bool registered = atcl_register_callbacks(PROJECT_CALLBACKS, sizeof PROJECT_CALLBACKS /
                                                                     sizeof PROJECT_CALLBACKS[0]);
    atcl_end_package_setup();
    if (!registered) {
        return TCL_ERROR;
    }
    Tcl_SetVar2(interp, "tessaly", "project", open_project_name().c_str(), TCL_GLOBAL_ONLY);
    Tcl_TraceVar2(interp, "tessaly", "project", TCL_GLOBAL_ONLY | TCL_TRACE_READS,
                  follow_open_project, nullptr);
    return Tcl_PkgProvide(interp, PACKAGE_NAME, PACKAGE_VERSION);
}

// Registers the package with the Tcl glue when the library is loaded.
struct ACF_PROJECT_TCL_PACKAGE {
    ACF_PROJECT_TCL_PACKAGE() {
        if (!atcl_is_dynamically_loading()) {
            Tcl_StaticPackage(nullptr, "Project", Project_Init, nullptr);
        }
    }
};
ACF_PROJECT_TCL_PACKAGE const acf_project_tcl_package;

} // namespace
