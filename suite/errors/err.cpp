#include "suite/errors/err.h"

#include "suite/messages/msg.h"

#include <cstdio>
#include <unistd.h>

void err_report_fatal_error(char const* message, char const* subsystem, char const* file,
                            int line) {
    std::fflush(stdout);
    std::fprintf(stderr, "Internal Error: Sub-system: %s, File: %s, Line: %d\n%s\n",
                 subsystem ? subsystem : "", file ? file : "", line, message ? message : "");
    std::fflush(stderr);
    _exit(1);
}

void err_report_internal_error(char const* message, char const* subsystem, char const* file,
                               int line) {
    MSG_INTERNAL_ERROR::report(message, subsystem, file, line);
}
