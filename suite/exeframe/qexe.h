// The executable framework's standard main and option tables.
//
// Options are written "--name=value", "--name value" or "--flag"; any other
// argument not starting with "-" goes to the command's process_file_argument.
// "-h" or "--help" prints the usage and the options' help and ends with status 0.
// "-t <script> [args]" (for a command that allows Tcl and lists the Tcl options)
// evaluates the script in the shared Tcl interpreter, with the arguments after it
// in argv, instead of the command's own run; the script's failure is the
// command's failure.
// The status is 0 when the command succeeds and 1 when it fails or an option is
// refused.
#pragma once

#include "suite/exeframe/qcu_framework.h"

enum QEXE_OPTION_KIND {
    QEXE_OPTION_KIND_FLAG = 1,  // "--name", no value
    QEXE_OPTION_KIND_VALUE = 3, // "--name=value" or "--name value"
};

// An option's handler: the settings variable the option stands for (unused by
// the suite's own commands) and the value, null when a value option was given
// none. Returns false to refuse the option.
typedef bool (*QEXE_OPTION_HANDLER)(int variable, char const* value);

// One option; a table of them ends with an all-zero record.
struct QEXE_OPTION_DEF {
    char const* name;          // without the leading "--"
    char const* argument_text; // the value's description in the help, or null
    int kind;                  // QEXE_OPTION_KIND
    QEXE_OPTION_HANDLER handler;
    char const* help_file; // shipped beside the program
    char const* help_key;  // the option's section in the help file
};

// The options every program has ("help").
QEXE_OPTION_DEF const* qexe_get_common_options();
// The framework's Tcl options ("t").
QEXE_OPTION_DEF const* qexe_get_tcl_options();

// Runs `command` with the null-ended list of option tables; returns the exit status.
int qexe_standard_main(QCU_FRAMEWORK* command, QEXE_OPTION_DEF const* const* tables, int argc,
                       char** argv);
