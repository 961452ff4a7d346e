// Prefix err: errors.
// Error reports of the suite.
#pragma once

// A fatal error: prints "Internal Error: Sub-system: <tag>, File: <file>, Line: <line>"
// and the message on standard error, then ends the process with status 1.
[[noreturn]] void err_report_fatal_error(char const* message, char const* subsystem,
                                         char const* file, int line);
// A broken invariant: reported as MSG_INTERNAL_ERROR::report does; returns.
void err_report_internal_error(char const* message, char const* subsystem, char const* file,
                               int line);
