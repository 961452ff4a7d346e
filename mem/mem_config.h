// The memory manager's configuration: replaceable callbacks into the suite's
// settings and general libraries, the queries built on them, the reading of every
// memory setting at start-up, and the naming of report files.
#pragma once

#include "stl_string.h"

#include <cstdarg>
#include <string>

// ---- Callbacks. Each slot is empty at start; a setter fills it for good. ----
typedef bool (*MEM_CFG_IS_ON_FUNC)(char const* name, bool default_value);
typedef void (*MEM_CFG_GET_INT_VALUE_FUNC)(char const* name, int* result, int default_value);
typedef void (*MEM_CFG_GET_VALUE_FUNC)(char const* name, std::string* result);
typedef bool (*MEM_MSG_LOCAL_VDEBUG_FUNC)(char const* tag, char const* format, va_list args);
typedef std::string (*MEM_GEN_STRING_FUNC)();
typedef bool (*MEM_GEN_BOOL_FUNC)();
typedef char const* (*MEM_GEN_CSTRING_FUNC)();

void mem_set_cfg_is_on_callback(MEM_CFG_IS_ON_FUNC func);
void mem_set_cfg_get_int_value_callback(MEM_CFG_GET_INT_VALUE_FUNC func);
void mem_set_cfg_get_value_callback(MEM_CFG_GET_VALUE_FUNC func);
void mem_set_msg_local_vdebug_callback(MEM_MSG_LOCAL_VDEBUG_FUNC func);
void mem_set_gen_get_tessaly_path_callback(MEM_GEN_STRING_FUNC func);
void mem_set_gen_get_db_dir_path_string_callback(MEM_GEN_STRING_FUNC func);
void mem_set_gen_get_is_ui_process_callback(MEM_GEN_BOOL_FUNC func);
void mem_set_gen_get_module_filename_callback(MEM_GEN_STRING_FUNC func);
void mem_set_gen_get_project_output_directory_callback(MEM_GEN_CSTRING_FUNC func);

// ---- Queries. With an empty slot, the settings library's "cfg_dyn_is_on",
// "cfg_dyn_get_int_value" and "cfg_dyn_get_value" are looked up once in the
// process; without them the environment answers (mem_env_*). ----
bool mem_cfg_is_on(char const* name, bool default_value);
int mem_cfg_get_int_value(char const* name, int default_value);
MEM_STRING mem_cfg_get_value(char const* name);
// Kept for callers that expect a configuration handle; always null.
void* mem_get_cfg_handle();

// Environment answers: a switch is on for "on"/"1", off for "off"/"0" (any case);
// an integer is a whole decimal number. Anything else, and an unset or empty
// variable, gives the default; an unset value is empty.
bool mem_env_is_on(char const* name, bool default_value);
int mem_env_get_int_value(char const* name, int default_value);
MEM_STRING mem_env_get_value(char const* name);

MEM_STRING mem_gen_get_tessaly_path();
MEM_STRING mem_gen_get_db_dir_path_string();
MEM_STRING mem_gen_get_module_filename();
bool mem_gen_get_is_ui_process();
char const* mem_gen_get_project_output_directory();

// Debug output through the message system's local debug channel (callback), else
// "<tag>: <text>\n" on standard output.
bool mem_msg_local_vdebug(char const* tag, char const* format, va_list args);
bool mem_mem_msg_debug(char const* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Lists. One allocation (free it with mem_free_wrapper): the null-terminated
// pointer array followed by the tokens' characters. A token is a maximal run of
// characters not in `separators`. ----
char** mem_get_cfg_string_array(char const* text, char const* separators);

// ---- Settings read at start-up. ----
struct MEM_CONFIGURATION {
    bool use_native_allocator = true; // false when "mem_type" asks for the own heap
    bool output_to_project_path = false;
    bool log_memory = false;
    bool log_memory_debug_messages = false;
    bool print_leak_warnings = false;
    bool leak_tracking_in_tq_mode = false;
    bool ie_on_memory_leaks = false;
    bool leak_disallow_exclusion_list = false;
    bool track_memory = false;
    bool print_mem_usage_files = true;
    bool check_memory = true;
    bool dont_delete = false;
    bool track_callstack = false;
    bool track_callstack_include_stl_allocators = false;
    char** track_callstack_include_subsystem_list = nullptr; // string arrays or null
    char** track_callstack_exclude_subsystem_list = nullptr;
    int track_callstack_max_depth = 10;
    int track_callstack_max_reports = 10;
    int break_on_class_id = 0;
    void* break_on_address = nullptr;
    bool pgo_debug = false;
};
// Reads every memory setting through the queries above, from `current` (whose
// use_native_allocator a "mem_type" of another value leaves as it is). Reads
// only; re-runnable. The caller owns the two lists.
MEM_CONFIGURATION mem_read_configuration(MEM_CONFIGURATION const& current);
// Once per process: reads the settings and puts them into force.
void mem_read_tessaly_ini_file();

// The switches in force (the tracker's own are MEM_TRACKER's statics, mem_track.h;
// "debug_msg" goes to mem_pgo_debug, mem_pgo.h).
extern bool mem_use_native_allocator; // new blocks take the platform road
extern bool mem_check_memory;         // the own heap checks freed memory
extern bool mem_dont_delete;
extern int mem_break_on_class_id;
extern void* mem_break_on_address;

// ---- Report file names. ----
enum { MEM_FILE_NAME_SIZE = 1024 };
// Resolves `name` into `buffer` (MEM_FILE_NAME_SIZE + 1 characters): the project
// output directory when reports go there, else $TMP (or /tmp), then the prefix
// $TESSALY_MEM_TRACKER_LOGFILE_PREFIX, then the name.
void mem_set_file(char* buffer, char const* name);
