// Leak warnings: at exit, with "MEM_PRINT_LEAK_WARNINGS" (or TQ mode) on, every
// allocation site that still holds bytes is listed in a text file, except the
// sites of the suite's own infrastructure subsystems.
#pragma once

#include "mem/mem_track.h"

// Subsystem tags whose leaks are not reported unless
// "MEM_LEAK_DISALLOW_EXCLUSION_LIST" is on; null-terminated.
extern char const* const mem_leak_warning_exclusion_list[];

// At exit: writes the warnings to "tessaly_tq_leak_warning.txt" (appending) in
// TQ mode, else to the module file name, cut before its first ".exe", followed
// by "_leak_warning.txt" (replacing). The caller holds mem_critical_section.
void mem_write_leak_warnings_at_exit();
