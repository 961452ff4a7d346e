// Memory usage reports: tab-separated text files by allocation site (detailed),
// by type and by subsystem (after a process summary), made to be loaded into a
// spreadsheet. Written on request through MEM_MANAGER, or at exit for the
// reports named with MEM_MANAGER::write_*_memory_usage_on_exit.
//
// Each counter prints as six columns under MEM_TRACKER_COUNTER::heading():
// current, cumulative and peak blocks, current, cumulative and peak bytes.
#pragma once

#include "mem/mem_track.h"

#include <cstdio>
#include <ostream>

// The six counter columns, as written by MEM_TRACKER_COUNTER::fprintf_me.
std::ostream& operator<<(std::ostream& stream, MEM_TRACKER_COUNTER& counter);

// At exit: writes each report whose file name was registered (while usage files
// are enabled). The caller holds mem_critical_section.
void mem_write_memory_usage_reports_at_exit();
