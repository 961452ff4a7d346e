// Process and system memory figures read from Linux's process-information files.
//
// Every reader of a current figure also raises the matching process-wide peak,
// so peaks are kept as a side effect of any reading. All figures are bytes (the
// page-fault count is a count); a file that cannot be read gives 0 and leaves
// the peak as it was.
#pragma once

#include <atomic>
#include <cstdint>

// Process-wide peaks, 0 at start; only ever raised.
extern std::atomic<uint64_t> mem_info_process_peak_working_set_size;
extern std::atomic<uint64_t> mem_info_process_peak_page_file_used;
extern std::atomic<uint64_t> mem_info_process_peak_virtual_used;
extern std::atomic<uint64_t> mem_info_system_peak_physical_in_use;
extern std::atomic<uint64_t> mem_info_system_peak_page_file_in_use;

// Current figures of this process: resident bytes, total program bytes, minor
// plus major page faults, virtual size.
uint64_t mem_info_get_process_current_working_set_size();
uint64_t mem_info_get_process_current_page_file_used();
uint64_t mem_info_get_process_page_fault_count();
uint64_t mem_info_get_process_current_virtual_used();

// Current figures of the machine: physical memory in use (total less available)
// and swap in use (total less free).
uint64_t mem_info_get_system_current_physical_in_use();
uint64_t mem_info_get_system_current_page_file_in_use();

// Read the current figure, raise its peak and return the peak.
uint64_t mem_info_get_process_peak_working_set_size();
uint64_t mem_info_get_process_peak_page_file_used();
uint64_t mem_info_get_process_peak_virtual_used();
uint64_t mem_info_get_system_peak_physical_in_use();
uint64_t mem_info_get_system_peak_page_file_in_use();

// Kept for callers; they do nothing.
void mem_info_init();
void mem_info_close();
void mem_report_last_error();

// Tests: read the files under `directory` (which must outlive its use) instead of
// "/proc"; null restores "/proc".
void mem_info_set_proc_directory(char const* directory);
