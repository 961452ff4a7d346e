// The Tcl package "::tessaly::ipman" 1.0 of the IP manager.
//
// Loading ipmanager registers the package's initialiser Ipman_Init as the
// static package "Ipman", so that in the suite's shared interpreter
//
//     package require ::tessaly::ipman
//
// makes the commands ::tessaly::ipman::regenerate_ip and
// ::tessaly::ipman::list_ip_cores, imported into the global namespace. Option
// names may be shortened as listed in ipman_tcl_args_auto.h; -h, -help and
// -long_help write the command's help to standard output and do nothing else.
//
// regenerate_ip ?-files <file>;<file>...? ?-gui?
//     Upgrades IP components of the open project with the IP wizard: without
//     -files every top-level component that needs an upgrade (a component of
//     the Plexa tool fails without a run), with it each listed variation file.
//     Each file is backed up as <base>_BAK<ext> first and restored when the
//     wizard fails. Progress, one message per component, and the "IP Upgrade"
//     report "<revision>.ipregen.rpt" in the current directory; -gui adds the
//     rows to those of the earlier runs instead of replacing them.
//     Result (TCL_OK): one list element per component run,
//         {{<entity> <IP name> <version> <variation file>} Passed|Failed}
//     so the upgrade as a whole failed exactly when some element ends in
//     "Failed"; the report's status is "Failed" then as well. An empty result
//     means nothing needed an upgrade. TCL_ERROR, with a text starting
//     "ERROR: " as result, when no project is open ("ERROR: Open project does
//     not exist. Open an existing project or create a new one."), an option is
//     refused, or the report cannot be written.
//
// list_ip_cores
//     Result (TCL_OK): one element per top-level component that needs an
//     upgrade: the list of its description {<entity> <IP name> <version>
//     <variation file>} followed by those of its sub-components. TCL_ERROR as
//     above when no project is open or an option is refused.
#pragma once

#include <tcl.h>

extern "C" {
// The package's initialiser: registers the commands and provides the package
// in the shared interpreter. TCL_ERROR, with Tcl's reason as the result, when
// Tcl refuses a command.
int Ipman_Init(Tcl_Interp* interp);
// Removes the commands and the package from the shared interpreter. Returns TCL_OK.
int Ipman_Unload(Tcl_Interp* interp, int flags);
}

// False when the commands could not all be made (the package is not provided).
bool ipman_ipman_register_tcl();
void ipman_ipman_unregister_tcl();
