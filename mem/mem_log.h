// The memory log: with "MEM_LOG_MEMORY" on, a tab-separated time series of
// memory figures, one line per tick (about once a second while allocations
// happen, and at every change of the named program state). Each line shows the
// figures at the highest point of the tracked total since the line before, so
// short peaks are not lost. The column titles and every subsystem's peak are
// written when logging stops, since only then are all subsystems known.
//
// Started with MEM_MANAGER::start_memory_logging, ticked by
// MEM_MANAGER::memory_log_set_state and by allocations, stopped for good by
// MEM_MANAGER::stop_memory_logging.
#pragma once

#include <cstddef>
#include <cstdint>

// The current state name (at most 32 characters), empty at start.
extern char mem_last_state_name[33];

// Called for every tracked platform-road allocation: reads the clock only for a
// block above 1000 bytes or after more than ten allocations, and writes a tick
// when more than 1000 ms have passed since the last one.
void mem_log_allocation_tick(size_t size);
