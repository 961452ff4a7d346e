// Prefix atcl: the suite's Tcl glue.
// The suite's Tcl glue: the one Tcl 8.6 interpreter that a program of the suite
// shares between its parts.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

// The shared interpreter, made on first use and kept for the life of the process.
Tcl_Interp* atcl_get_interpreter();

// A new Tcl list object (reference count 0) with each of `words` as an element.
Tcl_Obj* atcl_new_list(std::vector<std::string> const& words);

// Evaluates the command made of `words` in `interp` at global level. Each word
// reaches the command as it is (quoted as a list element), so no character of
// a name or path is taken as Tcl syntax. Returns the completion code.
int atcl_eval_words(Tcl_Interp* interp, std::vector<std::string> const& words);

// Evaluates a command text in the shared interpreter (at global level when
// `global` is set) and puts the interpreter's result, or the error's message,
// into `result` (may be null). Returns 0 on success, else the completion code.
// Only for fixed command texts: names, paths and values go through
// atcl_eval_words.
int atcl_post(char const* command, bool global, std::string* result);

// Posts the error "Can't load Tcl package <package>: <reason>", the reason
// being `interp`'s result.
void atcl_post_package_error(Tcl_Interp* interp, char const* package);
// Loads a Tcl package into `interp`: `version` null or "" takes any version,
// else at least that version (exactly that one with `exact`). A failure is
// posted as an error naming the package when `post_error` is set. Returns the
// completion code.
int atcl_package_require(Tcl_Interp* interp, char const* package, char const* version, bool exact,
                         bool post_error);

// Evaluates a script file in the shared interpreter at global level, with argv0,
// argv and argc set as tclsh sets them. `result` receives the interpreter's
// result, or the error's trace when the evaluation failed. Returns the
// completion code (TCL_OK for success).
int atcl_eval_file(std::string const& file, std::vector<std::string> const& args,
                   std::string& result);
