// Allocation tracking: counters per allocation site, subsystem tag and type, the
// process-wide user and system counters, and the header that the platform road
// puts in front of every block.
//
// Every counter and record operation runs with mem_critical_section held.
#pragma once

#include "mem_manager.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- Header of a platform-road block: 16 bytes, so that blocks stay 16-byte
// aligned. Every platform block has one, tracked or not, so a release never reads
// outside the block it was given. ----
struct MEM_TRACK_HEADER {
    uint32_t magic;      // MEM_TRACK_MAGIC while the block is charged to the counters, else 0
    uint32_t tracker_id; // its MEM_TRACKER_DATA id; 0 for no record (user counter only)
    uint64_t size;       // the rounded requested size
};
constexpr uint32_t MEM_TRACK_MAGIC = 0x77771234;
constexpr size_t MEM_TRACK_HEADER_SIZE = sizeof(MEM_TRACK_HEADER);
static_assert(MEM_TRACK_HEADER_SIZE == 16, "blocks must stay 16-byte aligned");

// Fills the header at *block for a fresh platform block of `size` rounded bytes,
// charges it when tracking is on, and moves *block past the header.
void mem_track_allocation(size_t size, MEM_TRACKER_THUNK* site, char const* file, void** block);
// Uncharges a block about to be released (when its header says it was charged)
// and moves *block back to the header.
void mem_track_free(void** block);
// Serialisation check: a non-null block must be a live block of the manager,
// else an internal error.
void mem_assert_is_allocated(void* block);

// ---- Counters. ----
struct MEM_TRACKER_COUNTER {
    uint64_t cumulative_bytes = 0;
    uint64_t cumulative_blocks = 0;
    uint64_t current_blocks = 0;
    uint64_t current_bytes = 0;
    bool changed = false;            // on the changed-counter list
    uint64_t current_peak_bytes = 0; // current_bytes at the last snapshot
    uint64_t peak_bytes = 0;         // highest current_bytes
    uint64_t peak_blocks = 0;        // current_blocks when peak_bytes was last raised
    MEM_TRACKER_COUNTER* next_changed = nullptr;

    void add(uint64_t size);
    void subtract(uint64_t size);
    // Zeroes every figure (list membership stays).
    void reset();

    // Snapshot: every changed counter takes current_bytes as its current peak;
    // then the overhead and virtual-size snapshots are taken (mem_usage.h).
    static void update_current_peak_for_changed_counters();

    // Reports (mem_report.cpp): the six columns' titles, and the six columns.
    static char const* heading();
    void fprintf_me(FILE* stream);
    static MEM_TRACKER_COUNTER* s_changed_counter_list; // newest first
};

// The user counter (blocks handed to callers) and the system counter (what the
// manager holds from the operating system).
extern MEM_TRACKER_COUNTER mem_tessaly_memory_counter_struct;
extern MEM_TRACKER_COUNTER mem_system_memory_counter_struct;

// ---- Records. ----
struct MEM_SUBSYSTEM_DATA {
    MEM_TRACKER_COUNTER counter;
    char* name;
    uint32_t class_id_count;
    uint32_t callstack_count;
    MEM_SUBSYSTEM_DATA* next;

    // Finds the record of a tag (exact text), creating it when missing.
    static MEM_SUBSYSTEM_DATA* get_subsystem_data(char const* name);
    // The process summary, then one row per subsystem (mem_report.cpp).
    static void write_subsystem_memory_usage(char const* path);
    static MEM_SUBSYSTEM_DATA* s_subsystem_list; // creation order
};

struct MEM_TYPEINFO_DATA {
    MEM_TRACKER_COUNTER counter;
    uint32_t element_size; // of the first site that created it
    char* name;            // the type's name, or "???"
    MEM_TYPEINFO_DATA* next;

    // Finds the record of the site's type name, creating it when missing; null
    // only when the table is full.
    static MEM_TYPEINFO_DATA* get_typeinfo_data(MEM_TRACKER_THUNK* site);
    // One row per type (mem_report.cpp).
    static void write_typeinfo_memory_usage(char const* path);
    static MEM_TYPEINFO_DATA* s_typeinfo_list; // creation order
    static MEM_TYPEINFO_DATA** s_hash_table;   // MEM_TYPEINFO_HASH_SLOTS slots
};
enum { MEM_TYPEINFO_HASH_SLOTS = 16001, MEM_TRACKER_MAX_ID = 8190 };

// One per pair of allocation site and source-file name pointer.
struct MEM_TRACKER_DATA {
    std::type_info const* type;
    uint32_t element_size;
    int32_t line;
    uint16_t stl_allocator_site;
    char* file_name;           // owned copy
    char const* file_key;      // the caller's pointer; identity only
    char const* subsystem_key; // the site's tag pointer; identity only
    char* subsystem_name;      // owned copy
    uint32_t class_id;         // 1 + records made before it for the same subsystem
    MEM_SUBSYSTEM_DATA* subsystem;
    MEM_TYPEINFO_DATA* typeinfo;
    MEM_TRACKER_COUNTER counter;
    uint32_t tracker_id; // 1 to MEM_TRACKER_MAX_ID in creation order; 0 when the table is full
    MEM_TRACKER_DATA* next_for_site;
    MEM_TRACKER_DATA* next;

    // Charge or uncharge the record, its subsystem and its type.
    void add(uint64_t size);
    void subtract(uint64_t size);

    // The record of (site, file), created when missing; null when tracking is off
    // or there is no site.
    static MEM_TRACKER_DATA* get_tracker_data(MEM_TRACKER_THUNK* site, char const* file);
    // The record with this id, or null.
    static MEM_TRACKER_DATA* find_by_id(uint32_t id);
    // One row per site (mem_report.cpp).
    static void write_detailed_memory_usage(char const* path);
    // Lists the sites that still hold bytes (mem_leak_warnings.cpp).
    static void print_leak_warnings(char const* file_name, bool tq_mode);

    static MEM_TRACKER_DATA* s_tracker_data_list; // creation order
    static uint32_t s_last_tracker_id;
    static uint32_t s_class_id_count;
};

// ---- The tracker's switches (set by the configuration) and lifetime. ----
struct MEM_TRACKER {
    static bool s_track_memory;
    static bool s_output_to_project_path;
    static bool s_log_memory;
    static bool s_log_memory_debug_messages;
    static bool s_print_leak_warnings;
    static bool s_leak_tracking_in_tq_mode;
    static bool s_ie_on_memory_leaks;
    static bool s_leak_disallow_exclusion_list;
    static bool s_print_mem_usage_files;
    static bool s_track_callstack;
    static bool s_track_callstack_include_stl_allocators;
    static char** s_track_callstack_include_subsystem_list;
    static char** s_track_callstack_exclude_subsystem_list;
    static int s_track_callstack_max_depth;
    static int s_track_callstack_max_reports;

    static bool s_initialized;
    static unsigned long s_last_tick_count;

    // Report names; empty means the report is not written.
    static char detailed_memory_usage_filename[1025];
    static char typeinfo_memory_usage_filename[1025];
    static char subsystem_memory_usage_filename[1025];
    static char memory_dump_filename[1025];

    static void initialize();

    // The summary block of the subsystem report; null writes nothing (mem_report.cpp).
    static void write_memory_usage_summary(FILE* stream);

    // The memory log (mem_log.cpp). Starting needs "MEM_LOG_MEMORY"; stopping
    // ends logging for the process.
    static void start_memory_logging(char const* file_name);
    static void stop_memory_logging();
    // One line (the state name, when given, becomes the current one).
    static void memory_log_file_tick(char const* state);
    // A line when more than 1000 ms have passed since the last one.
    static void time_memory_usage();
    // A second start, or a failed open or close, marks the log failed.
    static bool memory_log_failed();

    // Frees every record. Tracking stops: blocks released later are charged to
    // the user counter only.
    static void destroy();
};

// Room for the deepest call stack the tracker captures.
extern void** mem_track_callstack_address_array;

// The manager's own bookkeeping memory (records, copies of names): never tracked.
void* mem_internal_malloc(size_t size, char const* file);
void mem_internal_free(void* block);
