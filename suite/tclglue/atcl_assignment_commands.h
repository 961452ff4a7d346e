// The suite's Tcl commands over the open settings store: the assignment commands
// ("set_global_assignment", "set_instance_assignment", "set_location_assignment",
// "set_parameter") and the store's modes ("set_acf_manager", "set_tsf_mode").
//
// The Tcl glue owns the commands; the settings library, which the glue does not
// link, installs the handler that carries them out when it is loaded.
#pragma once

#include <string>
#include <vector>

struct Tcl_Interp;

class ATCL_ASSIGNMENT_HANDLER {
public:
    virtual ~ATCL_ASSIGNMENT_HANDLER() = default;
    // Runs one command given its words (the command's name first). True on
    // success; otherwise `error` tells why.
    virtual bool run(std::vector<std::string> const& words, std::string* error) = 0;
};

// The names of the commands, in registration order.
std::vector<std::string> const& atcl_assignment_command_names();
// Installs the handler (null: none; the commands then fail with a message).
void atcl_set_assignment_handler(ATCL_ASSIGNMENT_HANDLER* handler);
ATCL_ASSIGNMENT_HANDLER* atcl_get_assignment_handler();
// Defines the commands in an interpreter (the shared one defines them itself).
void atcl_register_assignment_commands(Tcl_Interp* interp);
