#include "suite/tclglue/atcl_package.h"

#include "suite/tclglue/atcl.h"

#include "suite/messages/msg.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

struct PACKAGE_SETUP {
    bool open = false;
    std::string package;
    std::string version;
    bool unloading = false;
};

PACKAGE_SETUP& setup() {
    static PACKAGE_SETUP current;
    return current;
}

// The "package unknown" handler: a package "::tessaly::<word>" whose static
// initialiser (prefix <Word>) is registered is loaded; any other request goes
// to the handler that was installed before.
char const* const STATIC_PACKAGE_LOADER = R"tcl(
namespace eval ::tessaly::atcl {}
proc ::tessaly::atcl::package_unknown {previous name args} {
    if {[string match ::tessaly::* $name]} {
        set prefix [string totitle [namespace tail $name]]
        foreach loaded [info loaded] {
            if {[lindex $loaded 0] eq {} && [lindex $loaded 1] eq $prefix} {
                load {} $prefix
                return
            }
        }
    }
    if {$previous ne {}} {
        uplevel 1 $previous [list $name] $args
    }
}
package unknown [list ::tessaly::atcl::package_unknown [package unknown]]
)tcl";

// The startup packages, and the interpreter they are loaded into once it is made.
struct STARTUP_PACKAGES {
    std::mutex mutex;
    std::vector<std::string> prefixes;
    Tcl_Interp* loaded_into = nullptr;
};

STARTUP_PACKAGES& startup_packages() {
    static STARTUP_PACKAGES packages;
    return packages;
}

// A package that fails to load is named with Tcl's reason: its commands
// can fail to be made for want of a file Tcl reads meanwhile.
void load_static_package(Tcl_Interp* interp, std::string const& prefix) {
    if (atcl_eval_words(interp, {"load", "", prefix}) != TCL_OK) {
        atcl_post_package_error(interp, prefix.c_str());
    }
}

} // namespace

void atcl_begin_package_setup(char const* package, char const* version, char const*, char const*,
                              bool unloading) {
    PACKAGE_SETUP& current = setup();
    current.open = true;
    current.package = package != nullptr ? package : "";
    current.version = version != nullptr ? version : "";
    current.unloading = unloading;
}

bool atcl_register_callbacks(ATCL_CALLBACK const* callbacks, size_t count) {
    PACKAGE_SETUP const& current = setup();
    if (!current.open || current.unloading || current.package.empty()) {
        MSG_INTERNAL_ERROR::report("package setup open for registration", "ATCL", __FILE__,
                                   __LINE__);
        return false;
    }
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_Namespace* global = Tcl_GetGlobalNamespace(interp);
    Tcl_Namespace* space = Tcl_CreateNamespace(interp, current.package.c_str(), nullptr, nullptr);
    if (space == nullptr) {
        space = Tcl_FindNamespace(interp, current.package.c_str(), nullptr, 0);
    }
    bool ok = space != nullptr;
    for (size_t i = 0; ok && i < count; ++i) {
        std::string qualified = current.package + "::" + callbacks[i].name;
        ok = Tcl_CreateCommand(interp, qualified.c_str(), callbacks[i].handler, nullptr, nullptr) !=
                 nullptr &&
             Tcl_Export(interp, space, callbacks[i].name, 0) == TCL_OK &&
             Tcl_Import(interp, global, qualified.c_str(), 1) == TCL_OK;
    }
    return ok;
}

void atcl_end_package_setup() {
    setup() = PACKAGE_SETUP();
}

int atcl_unregister_package(Tcl_Interp* interp) {
    PACKAGE_SETUP const& current = setup();
    if (interp == nullptr || !current.open || current.package.empty()) {
        return TCL_ERROR;
    }
    if (Tcl_Namespace* space = Tcl_FindNamespace(interp, current.package.c_str(), nullptr, 0)) {
        Tcl_DeleteNamespace(space);
    }
    return atcl_eval_words(interp, {"package", "forget", current.package});
}

bool atcl_is_dynamically_loading() {
    return false;
}

void atcl_register_static_package_loader(Tcl_Interp* interp) {
    if (Tcl_EvalEx(interp, STATIC_PACKAGE_LOADER, -1, TCL_EVAL_GLOBAL) != TCL_OK) {
        MSG_INTERNAL_ERROR::report("static package loader installed", "ATCL", __FILE__, __LINE__);
    }
}

void atcl_register_startup_package(char const* prefix, Tcl_PackageInitProc* init) {
    Tcl_StaticPackage(nullptr, prefix, init, nullptr);
    STARTUP_PACKAGES& packages = startup_packages();
    Tcl_Interp* interp = nullptr;
    {
        std::lock_guard<std::mutex> lock(packages.mutex);
        packages.prefixes.emplace_back(prefix);
        interp = packages.loaded_into;
    }
    if (interp != nullptr) {
        load_static_package(interp, prefix);
    }
}

void atcl_load_startup_packages(Tcl_Interp* interp) {
    STARTUP_PACKAGES& packages = startup_packages();
    std::vector<std::string> prefixes;
    {
        std::lock_guard<std::mutex> lock(packages.mutex);
        packages.loaded_into = interp;
        prefixes = packages.prefixes;
    }
    for (std::string const& prefix : prefixes) {
        load_static_package(interp, prefix);
    }
}

void atcl_register_script_packages(Tcl_Interp* interp) {
    Tcl_EvalEx(interp, "package ifneeded eda_bsd 1.0 {package provide eda_bsd 1.0}", -1,
               TCL_EVAL_GLOBAL);
}
