#include "mem/mem_log.h"

#include "mem/mem_config.h"
#include "mem/mem_export.h"
#include "mem/mem_info.h"
#include "mem/mem_track.h"
#include "mem/mem_usage.h"
#include "mem/mem_utils.h"
#include "suite/threads/thr.h"

#include <cstdio>
#include <cstring>

char mem_last_state_name[33] = "";

namespace {

// The log file, and whether a start or a close has failed.
FILE* s_log_file = nullptr;
bool s_log_failed = false;

constexpr unsigned long TICK_INTERVAL_MS = 1000;
constexpr size_t LARGE_BLOCK = 1000;
constexpr int ALLOCATIONS_PER_CLOCK_READ = 10;
int s_prescaler = 0;

unsigned long tick_count() {
    return static_cast<unsigned long>(thr_get_tick_count());
}

void print_number(FILE* f, uint64_t value) {
    std::fprintf(f, "\t%llu", static_cast<unsigned long long>(value));
}

// One data line: the figures, then each subsystem's peak since the last line.
void write_line(FILE* f) {
    MEM_TRACKER_COUNTER& user = mem_tessaly_memory_counter_struct;
    MEM_TRACKER_COUNTER& system = mem_system_memory_counter_struct;
    std::fprintf(f, "%lu\t%s", tick_count(), mem_last_state_name);
    print_number(f, mem_info_get_system_current_physical_in_use());
    print_number(f, mem_info_get_system_current_page_file_in_use());
    print_number(f, mem_current_peak_virtual_used);
    std::fprintf(f, "\t%g", static_cast<double>(mem_info_get_process_page_fault_count()) * 4096.0);
    print_number(f, mem_info_get_process_current_working_set_size());
    print_number(f, mem_info_get_process_current_page_file_used());
    print_number(f, system.current_peak_bytes);
    print_number(f, user.current_peak_bytes);
    std::fprintf(f, "\t\t%s", mem_last_state_name);
    print_number(f, mem_current_peak_memory_overhead);
    print_number(f, system.current_peak_bytes - user.current_peak_bytes -
                        mem_current_peak_memory_overhead);

    system.current_peak_bytes = system.current_bytes;
    user.current_peak_bytes = user.current_bytes;
    mem_take_usage_snapshots();
    for (MEM_SUBSYSTEM_DATA* s = MEM_SUBSYSTEM_DATA::s_subsystem_list; s != nullptr; s = s->next) {
        print_number(f, s->counter.current_peak_bytes);
        s->counter.current_peak_bytes = s->counter.current_bytes;
    }
    std::fputc('\n', f);
}

} // namespace

void MEM_TRACKER::memory_log_file_tick(char const* state) {
    MEM_LOCK lock(mem_critical_section);
    if (state != nullptr && state != mem_last_state_name) {
        std::strncpy(mem_last_state_name, state, sizeof mem_last_state_name - 1);
    }
    mem_record_peak_memory_usage();
    MEM_TRACKER_COUNTER& user = mem_tessaly_memory_counter_struct;
    if (user.current_bytes >= user.current_peak_bytes) {
        MEM_TRACKER_COUNTER::update_current_peak_for_changed_counters();
    }
    if (!s_log_memory || s_log_file == nullptr) {
        return;
    }
    if (s_log_memory_debug_messages) {
        std::printf("MEM tracking at tick %lu\n", tick_count());
    }
    write_line(s_log_file);
}

void MEM_TRACKER::time_memory_usage() {
    if (!s_log_memory) {
        return;
    }
    MEM_LOCK lock(mem_critical_section);
    unsigned long now = tick_count();
    if (now - s_last_tick_count >= TICK_INTERVAL_MS + 1) {
        s_last_tick_count = now;
        memory_log_file_tick(mem_last_state_name);
    }
}

void mem_log_allocation_tick(size_t size) {
    if (!MEM_TRACKER::s_log_memory) {
        return;
    }
    MEM_LOCK lock(mem_critical_section);
    if (++s_prescaler <= ALLOCATIONS_PER_CLOCK_READ && size <= LARGE_BLOCK) {
        return;
    }
    s_prescaler = 0;
    unsigned long now = tick_count();
    if (now - MEM_TRACKER::s_last_tick_count > TICK_INTERVAL_MS) {
        MEM_TRACKER::s_last_tick_count = now;
        MEM_TRACKER::memory_log_file_tick(mem_last_state_name);
    }
}

void MEM_TRACKER::start_memory_logging(char const* file_name) {
    MEM_LOCK lock(mem_critical_section);
    if (!s_log_memory) {
        return;
    }
    MEM_STRING path;
    char const* project = mem_gen_get_project_output_directory();
    if (s_output_to_project_path && project != nullptr && project[0] != '\0') {
        path = project;
        path += "/";
    } else {
        path = mem_gen_get_tessaly_path();
    }
    path += file_name != nullptr ? file_name : "";
    if (s_log_file != nullptr) {
        s_log_failed = true;
    } else {
        s_log_file = std::fopen(path.c_str(), "w");
        s_log_failed = s_log_file == nullptr;
    }
    memory_log_file_tick("START_LOG");
}

void MEM_TRACKER::stop_memory_logging() {
    MEM_LOCK lock(mem_critical_section);
    if (!s_log_memory || s_log_file == nullptr) {
        return;
    }
    s_log_memory = false; // for the rest of the process
    FILE* f = s_log_file;
    std::fprintf(f, "0\t\tTotalPhysical\tTotalPgFile\tVirtual\tPageFaults (bytes) \tWorkingSet\t"
                    "PageFile\tSystem\tTessaly\t\t\tOverhead\tFreeMem");
    for (MEM_SUBSYSTEM_DATA* s = MEM_SUBSYSTEM_DATA::s_subsystem_list; s != nullptr; s = s->next) {
        std::fprintf(f, "\t%s", s->name);
    }
    std::fprintf(f, "\n-1\t\t\t\t\t\t\t\t\t\t\t\t\t");
    for (MEM_SUBSYSTEM_DATA* s = MEM_SUBSYSTEM_DATA::s_subsystem_list; s != nullptr; s = s->next) {
        print_number(f, s->counter.peak_bytes);
    }
    std::fputc('\n', f);
    std::fflush(f);
    if (std::fclose(f) != 0) {
        s_log_failed = true;
    }
    s_log_file = nullptr;
}

bool MEM_TRACKER::memory_log_failed() {
    return s_log_failed;
}

MEM_EXPORT void MEM_MANAGER::start_memory_logging(char const* file_name) {
    MEM_TRACKER::start_memory_logging(file_name);
}

MEM_EXPORT void MEM_MANAGER::stop_memory_logging() {
    MEM_TRACKER::stop_memory_logging();
}

MEM_EXPORT void MEM_MANAGER::memory_log_set_state(char const* state) {
    if (MEM_TRACKER::s_log_memory) {
        MEM_TRACKER::memory_log_file_tick(state);
    }
}
