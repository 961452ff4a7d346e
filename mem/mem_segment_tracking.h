// What the own heap tells allocation tracking: the tracker id kept in a block's
// header, the user bytes charged to a site and the memory held from the system.
//
// A block is charged with its request; the header's type records whether it was
// charged at all (tracking may be switched on later), so that a release
// uncharges exactly what was charged.
#pragma once

#include <cstddef>
#include <cstdint>

struct MEM_TRACKER_DATA;

// The id to keep in the header of a block taken for `tracker` (0 for none).
uint32_t mem_segment_tracker_id(MEM_TRACKER_DATA const* tracker);
// While tracking is on, charges a block of `bytes` user bytes at `user` to the
// user counter and to its site (when there is one) and answers true.
bool mem_segment_track_allocation(MEM_TRACKER_DATA* tracker, size_t bytes, void const* user);
// Uncharges a charged block whose header held `tracker_id`.
void mem_segment_track_free(uint32_t tracker_id, size_t bytes, void const* user);
// Mappings made (positive) or released (negative) for the heap. When the heap
// holds more than ever before, the process's peak figures are due to be
// recorded: mem_segment_record_due_peaks does it, once the process-wide lock is
// released.
void mem_segment_track_system_memory(long long bytes);
// Records the process's peak figures if they are due; called after the lock
// that covered the mapping is released.
void mem_segment_record_due_peaks();
// Whether the site with `tracker_id` belongs to subsystem number `subsystem`
// (heap dumps of one subsystem).
bool mem_segment_tracker_in_subsystem(uint32_t tracker_id, int subsystem);
// Corrupted free memory found at `address` in a block about to go to `tracker`'s
// site: the internal error that names the site when there is one.
void mem_segment_report_free_memory_corruption(MEM_TRACKER_DATA const* tracker,
                                               void const* address);
