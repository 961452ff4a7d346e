// Tracking seen from the own heap. Until the tracker keeps per-site records the
// heap's blocks carry no tracker id and nothing is charged.
#include "mem/mem_segment_tracking.h"

#include "mem/mem_segment_support.h"

uint32_t mem_segment_tracker_id(MEM_TRACKER_DATA const*) {
    return 0;
}

void mem_segment_track_allocation(MEM_TRACKER_DATA*, size_t, void const*) {}

void mem_segment_track_free(uint32_t, size_t, void const*) {}

void mem_segment_track_system_memory(long long) {}

bool mem_segment_tracker_in_subsystem(uint32_t, int) {
    return false;
}

void mem_segment_report_free_memory_corruption(MEM_TRACKER_DATA const*, void const* address) {
    mem_internal_error(__FILE__, __LINE__, "Free memory corrupted at %p\n", address);
}
