// The suite's Tcl project commands over the settings library's project
// manager: "project_open", "project_new", "project_close", "project_exists" and
// "export_assignments".
//
// The Tcl glue owns the commands; the settings library, which the glue does not
// link, installs the handler that carries them out when it is loaded.
#pragma once

#include <string>
#include <vector>

struct Tcl_Interp;

class ATCL_PROJECT_HANDLER {
public:
    virtual ~ATCL_PROJECT_HANDLER() = default;
    // Runs one command given its words (the command's name first). True on
    // success with `result` as the command's result; otherwise `result` tells
    // why it failed.
    virtual bool run(std::vector<std::string> const& words, std::string* result) = 0;
};

// The names of the commands, in registration order.
std::vector<std::string> const& atcl_project_command_names();
// Installs the handler (null: none; the commands then fail with a message).
void atcl_set_project_handler(ATCL_PROJECT_HANDLER* handler);
// Whether a handler is installed (a settings store is loaded).
bool atcl_has_project_handler();
// Defines the commands in an interpreter (the shared one defines them itself).
void atcl_register_project_commands(Tcl_Interp* interp);
