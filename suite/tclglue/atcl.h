// The suite's Tcl glue: the one Tcl 8.6 interpreter that a program of the suite
// shares between its parts.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

// The shared interpreter, made on first use and kept for the life of the process.
Tcl_Interp* atcl_get_interpreter();

// Evaluates a script file in the shared interpreter at global level, with argv0,
// argv and argc set as tclsh sets them. `result` receives the interpreter's
// result, or the error's trace when the evaluation failed. Returns the
// completion code (TCL_OK for success).
int atcl_eval_file(std::string const& file, std::vector<std::string> const& args,
                   std::string& result);
