// Commands of a test's own in the place of the settings database's: made
// through the package interface the settings database uses, and removed again,
// which brings the suite's stand-ins back.
#pragma once

#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_package.h"
#include "suite/tclglue/atcl_settings_commands.h"

#include <string>
#include <vector>

inline char const* const ATCL_TEST_PACKAGE = "::tessaly::testcommands";

// Makes each of `names` a command run by `command`.
inline void atcl_test_install_commands(std::vector<std::string> const& names,
                                       Tcl_CmdProc* command) {
    std::vector<ATCL_CALLBACK> callbacks;
    for (std::string const& name : names) {
        callbacks.push_back({command, name.c_str()});
    }
    atcl_begin_package_setup(ATCL_TEST_PACKAGE, "1.0", nullptr, nullptr, false);
    atcl_register_callbacks(callbacks.data(), callbacks.size());
    atcl_end_package_setup();
}

inline void atcl_test_remove_commands() {
    Tcl_Interp* interp = atcl_get_interpreter();
    atcl_begin_package_setup(ATCL_TEST_PACKAGE, "1.0", "testcommands", "testcommands", true);
    atcl_unregister_package(interp);
    atcl_end_package_setup();
    atcl_register_settings_command_stand_ins(interp);
}
