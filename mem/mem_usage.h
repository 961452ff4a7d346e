// Process-wide usage figures on top of the counters: the peaks of the process
// and system figures, and the snapshots that the memory log prints.
#pragma once

#include <cstdint>

// The own heap's overhead and the process's virtual size at the last snapshot.
extern uint64_t mem_current_peak_memory_overhead;
extern uint64_t mem_current_peak_virtual_used;

// Takes both snapshots now.
void mem_take_usage_snapshots();

// Raises the process's peak virtual size and page-file figure and the system's
// peak physical figure to their current values (each a compare-and-swap, so no
// lock is needed). While one call samples, another one does nothing.
void mem_record_peak_memory_usage();
