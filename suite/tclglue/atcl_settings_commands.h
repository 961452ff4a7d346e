// The suite's Tcl commands over the settings database: the assignment commands
// ("set_global_assignment", "set_instance_assignment", "set_location_assignment",
// "set_parameter") with the store's modes ("set_acf_manager", "set_tsf_mode"),
// and the project commands ("project_open", "project_new", "project_close",
// "project_exists", "export_assignments").
//
// The settings database provides them through a Tcl package of its own, loaded
// into the shared interpreter as the interpreter is made (see atcl_package.h).
// Until it does, and in a process without it, each is a stand-in that fails with
// "<name>: no settings store is loaded" (an assignment command) or "<name>: no
// project manager is loaded" (a project command).
#pragma once

#include <string>
#include <vector>

struct Tcl_Interp;

// The names of the commands, in registration order.
std::vector<std::string> const& atcl_assignment_command_names();
std::vector<std::string> const& atcl_project_command_names();
// Defines the stand-ins in an interpreter (the shared one defines them itself,
// before it loads its startup packages).
void atcl_register_settings_command_stand_ins(Tcl_Interp* interp);
// Whether the shared interpreter's project commands are provided (a settings
// database is loaded), not stand-ins.
bool atcl_has_project_commands();
