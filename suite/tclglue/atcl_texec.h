// The suite's Tcl command "texec": runs an executable and waits for it.
//
//     texec <command line>
//
// The command line is split into words as the thread library's child processes
// split it (blanks, double and single quotes; no shell). A program named without
// a "/" is looked for in the suite's binary folder first, then on PATH. The
// result is what the program wrote on standard output and standard error. The
// command fails (TCL_ERROR) when the program cannot be started or does not exit
// with 0; errorCode is then "CHILDSTATUS <pid> <exit code>" or "POSIX ENOENT".
#pragma once

#include <tcl.h>

void atcl_register_texec(Tcl_Interp* interp);
