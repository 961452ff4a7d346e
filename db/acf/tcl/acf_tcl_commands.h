// The suite's assignment and project commands carried out by the settings
// database, each given its words (the command's name first, without a namespace
// qualifier). The package ::tessaly::settings makes them Tcl commands
// (acf_settings_tcl_package.cpp).
#pragma once

class ACF_SCRIPT_EVALUATOR;

#include <string>
#include <vector>

// "set_global_assignment", "set_instance_assignment", "set_location_assignment",
// "set_parameter", "set_acf_manager" and "set_tsf_mode" on the settings store
// (acf_manager_storage_real_tcl_commands.cpp). True on success; otherwise
// `error` tells why.
bool acf_run_assignment_command(std::vector<std::string> const& words, std::string* error);

// "project_open", "project_new", "project_close", "project_exists" and
// "export_assignments" on the process-wide project manager
// (acf_project_tcl_commands.cpp). True on success with `result` as the command's
// result; otherwise `result` tells why it failed.
bool acf_run_project_command(std::vector<std::string> const& words, std::string* result);

// The evaluator that sources the settings store's scripts in the suite's shared
// interpreter (acf_tcl_script_evaluator.cpp); installed with the package.
ACF_SCRIPT_EVALUATOR* acf_tcl_script_evaluator();
