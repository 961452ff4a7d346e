// The memory manager's fatal reports and debug output.
#pragma once

#include "mem_manager.h"

// A broken invariant of the manager: switches it to a safe mode (platform road,
// no frees of own-heap memory, no checking) and hands the text to the suite's
// fatal-error report with the tag "MEM". A second one prints it and ends the
// process with status -1; a third aborts.
void mem_internal_error(char const* file, int line, char const* format, ...)
    __attribute__((format(printf, 3, 4)));
// Prints "<file>(<line>) : <message>" on standard output.
void do_error(char const* message, char const* file, int line);
// Prints at most 512 formatted characters on standard output, adding no line end.
void mem_debug_printf(char const* format, ...) __attribute__((format(printf, 1, 2)));
// Raises the internal error "mem_critical_section.is_locked()" unless it is held.
void mem_check_locked(char const* file, int line);
#define MEM_CHECK_LOCKED() mem_check_locked(__FILE__, __LINE__)

extern bool mem_dont_break; // while set, debug breaks print nothing
extern bool mem_internal_error_encountered;
extern bool mem_internal_error_during_internal_error;
