#include "mem/mem_usage.h"

#include "mem/mem_export.h"
#include "mem/mem_info.h"
#include "mem/mem_segment.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"

uint64_t mem_current_peak_memory_overhead = 0;
uint64_t mem_current_peak_virtual_used = 0;

void mem_take_usage_snapshots() {
    mem_current_peak_memory_overhead = MEM_MANAGER::current_memory_overhead();
    mem_current_peak_virtual_used = mem_info_get_process_current_virtual_used();
}

void mem_record_peak_memory_usage() {
    // Reading the three files takes tens of microseconds: done without the
    // process-wide lock, which the heap's threads would otherwise wait for.
    static bool s_recording = false;
    if (__atomic_exchange_n(&s_recording, true, __ATOMIC_ACQUIRE)) {
        return;
    }
    // Each reader raises its own peak.
    mem_info_get_process_current_virtual_used();
    mem_info_get_system_current_physical_in_use();
    mem_info_get_process_current_page_file_used();
    __atomic_store_n(&s_recording, false, __ATOMIC_RELEASE);
}

MEM_EXPORT uint64_t MEM_MANAGER::current_total_memory() {
    MEM_LOCK lock(mem_critical_section);
    uint64_t total = MEM_SEGMENT_INTERNAL::s_net_user_bytes;
    for (auto* s = MEM_SEGMENT_INTERNAL::s_segment_list; s != nullptr; s = s->next_segment()) {
        total += s->user_bytes();
    }
    return total;
}

MEM_EXPORT uint64_t MEM_MANAGER::current_memory_overhead() {
    MEM_LOCK lock(mem_critical_section);
    uint64_t total = MEM_SEGMENT_INTERNAL::s_net_memory_overhead;
    for (auto* s = MEM_SEGMENT_INTERNAL::s_segment_list; s != nullptr; s = s->next_segment()) {
        total += s->m_overhead_bytes;
    }
    return total;
}

MEM_EXPORT uint64_t MEM_MANAGER::peak_total_memory() {
    MEM_LOCK lock(mem_critical_section);
    return mem_system_memory_counter_struct.peak_bytes;
}
