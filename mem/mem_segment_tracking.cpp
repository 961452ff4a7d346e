#include "mem/mem_segment_tracking.h"

#include "mem/mem_callstack.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_track.h"
#include "mem/mem_usage.h"

#include <cstdio>

namespace {

// Set when the heap's mappings exceed their peak (under mem_critical_section).
bool mem_peaks_due = false;

} // namespace

uint32_t mem_segment_tracker_id(MEM_TRACKER_DATA const* tracker) {
    return tracker == nullptr ? 0 : tracker->tracker_id;
}

bool mem_segment_track_allocation(MEM_TRACKER_DATA* tracker, size_t bytes, void const* user) {
    if (!MEM_TRACKER::s_track_memory) {
        return false;
    }
    MEM_LOCK lock;
    mem_tessaly_memory_counter_struct.add(bytes);
    if (tracker != nullptr) {
        tracker->add(bytes);
        if (mem_callstack_map != nullptr) {
            mem_callstack_map->track_alloc(user, bytes, tracker);
        }
    }
    return true;
}

void mem_segment_track_free(uint32_t tracker_id, size_t bytes, void const* user) {
    MEM_LOCK lock;
    mem_tessaly_memory_counter_struct.subtract(bytes);
    if (mem_callstack_map != nullptr) {
        mem_callstack_map->track_free(user, bytes);
    }
    if (MEM_TRACKER_DATA* record = MEM_TRACKER_DATA::find_by_id(tracker_id)) {
        record->subtract(bytes);
    }
}

void mem_segment_track_system_memory(long long bytes) {
    MEM_LOCK lock;
    MEM_TRACKER_COUNTER& system = mem_system_memory_counter_struct;
    if (bytes < 0) {
        // Giving memory back never raises a peak.
        system.subtract(static_cast<uint64_t>(-bytes));
        return;
    }
    uint64_t peak_before = system.peak_bytes;
    system.add(static_cast<uint64_t>(bytes));
    // The process's peaks are sampled (three files of /proc read) only when the
    // heap holds more than it ever did: between such points mappings only come
    // back to sizes already sampled, and the memory log and every peak query
    // sample again themselves.
    if (system.current_bytes > peak_before) {
        __atomic_store_n(&mem_peaks_due, true, __ATOMIC_RELAXED);
    }
}

void mem_segment_record_due_peaks() {
    if (__atomic_load_n(&mem_peaks_due, __ATOMIC_RELAXED) &&
        __atomic_exchange_n(&mem_peaks_due, false, __ATOMIC_RELAXED)) {
        mem_record_peak_memory_usage();
    }
}

bool mem_segment_tracker_in_subsystem(uint32_t tracker_id, int subsystem) {
    MEM_TRACKER_DATA const* record = MEM_TRACKER_DATA::find_by_id(tracker_id);
    if (record == nullptr) {
        return false;
    }
    int number = 1;
    for (MEM_SUBSYSTEM_DATA const* s = MEM_SUBSYSTEM_DATA::s_subsystem_list; s != nullptr;
         s = s->next, ++number) {
        if (s == record->subsystem) {
            return number == subsystem;
        }
    }
    return false;
}

void mem_segment_report_free_memory_corruption(MEM_TRACKER_DATA const* tracker,
                                               void const* address) {
    if (tracker == nullptr) {
        mem_internal_error(__FILE__, __LINE__, "Free memory corrupted at %p\n", address);
        return;
    }
    char message[500];
    std::snprintf(message, sizeof message,
                  "Free memory corrupted at %p\nSubsystem: \"%s\",  File: \"%s\" (%d)\n%s\n",
                  address, tracker->subsystem_name, tracker->file_name, tracker->line,
                  tracker->type != nullptr ? tracker->type->name() : "???");
    mem_internal_error(tracker->file_name, tracker->line, "%s", message);
}
