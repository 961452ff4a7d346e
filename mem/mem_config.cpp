#include "mem/mem_config.h"

#include "mem/mem_callstack.h"
#include "mem/mem_debug.h"
#include "mem/mem_export.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_pgo.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"
#include "suite/threads/thr.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

bool mem_use_native_allocator = true;
bool mem_check_memory = true;
bool mem_dont_delete = false;
int mem_break_on_class_id = 0;
void* mem_break_on_address = nullptr;

namespace {

MEM_CFG_IS_ON_FUNC s_cfg_is_on = nullptr;
MEM_CFG_GET_INT_VALUE_FUNC s_cfg_get_int_value = nullptr;
MEM_CFG_GET_VALUE_FUNC s_cfg_get_value = nullptr;
MEM_MSG_LOCAL_VDEBUG_FUNC s_msg_local_vdebug = nullptr;
MEM_GEN_STRING_FUNC s_gen_get_tessaly_path = nullptr;
MEM_GEN_STRING_FUNC s_gen_get_db_dir_path_string = nullptr;
MEM_GEN_BOOL_FUNC s_gen_get_is_ui_process = nullptr;
MEM_GEN_STRING_FUNC s_gen_get_module_filename = nullptr;
MEM_GEN_CSTRING_FUNC s_gen_get_project_output_directory = nullptr;

// One-shot lookup of a settings-library function by name: the first query with an
// empty slot asks the process once; a miss leaves the environment in charge.
template <class FUNC> void look_up_once(FUNC* slot, bool* pending, char const* name) {
    if (*slot == nullptr && *pending) {
        *pending = false;
        *slot = reinterpret_cast<FUNC>(thr_drl_find_function(nullptr, name));
    }
}
bool s_is_on_lookup_pending = true;
bool s_get_int_value_lookup_pending = true;
bool s_get_value_lookup_pending = true;

bool env_value(char const* name, char const** value) {
    *value = name != nullptr ? std::getenv(name) : nullptr;
    return *value != nullptr;
}

// A switch that is on when its setting says so, and also when the variable merely
// exists with no recognised off value.
bool is_on_or_present(char const* name) {
    return mem_cfg_is_on(name, std::getenv(name) != nullptr);
}

char** string_array_or_null(MEM_STRING const& text) {
    return text.empty() ? nullptr : mem_get_cfg_string_array(text.c_str(), " ;'\",");
}

} // namespace

// ---- Callbacks ----

MEM_EXPORT void mem_set_cfg_is_on_callback(MEM_CFG_IS_ON_FUNC func) {
    s_cfg_is_on = func;
}
MEM_EXPORT void mem_set_cfg_get_int_value_callback(MEM_CFG_GET_INT_VALUE_FUNC func) {
    s_cfg_get_int_value = func;
}
MEM_EXPORT void mem_set_cfg_get_value_callback(MEM_CFG_GET_VALUE_FUNC func) {
    s_cfg_get_value = func;
}
MEM_EXPORT void mem_set_msg_local_vdebug_callback(MEM_MSG_LOCAL_VDEBUG_FUNC func) {
    s_msg_local_vdebug = func;
}
MEM_EXPORT void mem_set_gen_get_tessaly_path_callback(MEM_GEN_STRING_FUNC func) {
    s_gen_get_tessaly_path = func;
}
MEM_EXPORT void mem_set_gen_get_db_dir_path_string_callback(MEM_GEN_STRING_FUNC func) {
    s_gen_get_db_dir_path_string = func;
}
MEM_EXPORT void mem_set_gen_get_is_ui_process_callback(MEM_GEN_BOOL_FUNC func) {
    s_gen_get_is_ui_process = func;
}
MEM_EXPORT void mem_set_gen_get_module_filename_callback(MEM_GEN_STRING_FUNC func) {
    s_gen_get_module_filename = func;
}
MEM_EXPORT void mem_set_gen_get_project_output_directory_callback(MEM_GEN_CSTRING_FUNC func) {
    s_gen_get_project_output_directory = func;
}

// ---- Queries ----

MEM_EXPORT bool mem_env_is_on(char const* name, bool default_value) {
    char const* value;
    if (!env_value(name, &value)) {
        return default_value;
    }
    if (strcasecmp(value, "on") == 0 || std::strcmp(value, "1") == 0) {
        return true;
    }
    if (strcasecmp(value, "off") == 0 || std::strcmp(value, "0") == 0) {
        return false;
    }
    return default_value;
}

MEM_EXPORT int mem_env_get_int_value(char const* name, int default_value) {
    char const* value;
    if (!env_value(name, &value) || *value == '\0') {
        return default_value;
    }
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(value, &end, 10);
    if (*end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) {
        return default_value;
    }
    return static_cast<int>(n);
}

MEM_EXPORT MEM_STRING mem_env_get_value(char const* name) {
    char const* value;
    return env_value(name, &value) ? MEM_STRING(value) : MEM_STRING();
}

MEM_EXPORT bool mem_cfg_is_on(char const* name, bool default_value) {
    look_up_once(&s_cfg_is_on, &s_is_on_lookup_pending, "cfg_dyn_is_on");
    if (s_cfg_is_on != nullptr) {
        return s_cfg_is_on(name, default_value);
    }
    return mem_env_is_on(name, default_value);
}

MEM_EXPORT int mem_cfg_get_int_value(char const* name, int default_value) {
    look_up_once(&s_cfg_get_int_value, &s_get_int_value_lookup_pending, "cfg_dyn_get_int_value");
    if (s_cfg_get_int_value != nullptr) {
        int result = 0;
        s_cfg_get_int_value(name, &result, default_value);
        return result;
    }
    return mem_env_get_int_value(name, default_value);
}

MEM_EXPORT MEM_STRING mem_cfg_get_value(char const* name) {
    look_up_once(&s_cfg_get_value, &s_get_value_lookup_pending, "cfg_dyn_get_value");
    if (s_cfg_get_value != nullptr) {
        std::string result;
        s_cfg_get_value(name, &result);
        return MEM_STRING(result.c_str(), result.size());
    }
    return mem_env_get_value(name);
}

MEM_EXPORT void* mem_get_cfg_handle() {
    return nullptr;
}

MEM_EXPORT MEM_STRING mem_gen_get_tessaly_path() {
    return s_gen_get_tessaly_path ? MEM_STRING(s_gen_get_tessaly_path().c_str()) : MEM_STRING();
}
MEM_EXPORT MEM_STRING mem_gen_get_db_dir_path_string() {
    return s_gen_get_db_dir_path_string ? MEM_STRING(s_gen_get_db_dir_path_string().c_str())
                                        : MEM_STRING();
}
MEM_EXPORT MEM_STRING mem_gen_get_module_filename() {
    return s_gen_get_module_filename ? MEM_STRING(s_gen_get_module_filename().c_str())
                                     : MEM_STRING();
}
MEM_EXPORT bool mem_gen_get_is_ui_process() {
    return s_gen_get_is_ui_process ? s_gen_get_is_ui_process() : false;
}
MEM_EXPORT char const* mem_gen_get_project_output_directory() {
    char const* directory =
        s_gen_get_project_output_directory ? s_gen_get_project_output_directory() : nullptr;
    return directory != nullptr ? directory : "";
}

MEM_EXPORT bool mem_msg_local_vdebug(char const* tag, char const* format, va_list args) {
    if (s_msg_local_vdebug != nullptr) {
        return s_msg_local_vdebug(tag, format, args);
    }
    MEM_STRING text;
    stl_vsprintf(&text, format, args);
    std::printf("%s: %s\n", tag, text.c_str());
    return true;
}

MEM_EXPORT bool mem_mem_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    bool result = mem_msg_local_vdebug("MEM", format, args);
    va_end(args);
    return result;
}

// ---- Lists ----

MEM_EXPORT char** mem_get_cfg_string_array(char const* text, char const* separators) {
    // First pass counts, second fills the one block.
    size_t tokens = 0;
    size_t characters = 0;
    for (char const* c = text; *c != '\0';) {
        size_t run = std::strcspn(c, separators);
        if (run > 0) {
            ++tokens;
            characters += run + 1;
            c += run;
        } else {
            ++c;
        }
    }
    size_t pointers = (tokens + 1) * sizeof(char*);
    auto** array = static_cast<char**>(
        mem_malloc_wrapper(pointers + characters, MEM_THUNK(MEM, char*), __FILE__));
    char* out = reinterpret_cast<char*>(array) + pointers;
    size_t index = 0;
    for (char const* c = text; *c != '\0';) {
        size_t run = std::strcspn(c, separators);
        if (run > 0) {
            array[index++] = out;
            std::memcpy(out, c, run);
            out[run] = '\0';
            out += run + 1;
            c += run;
        } else {
            ++c;
        }
    }
    array[index] = nullptr;
    return array;
}

// ---- Settings read at start-up ----

MEM_EXPORT MEM_CONFIGURATION mem_read_configuration(MEM_CONFIGURATION const& current) {
    MEM_CONFIGURATION c;
    c.use_native_allocator = current.use_native_allocator;
    MEM_STRING type = mem_cfg_get_value("mem_type");
    if (strcasecmp(type.c_str(), "c_runtime") == 0) {
        c.use_native_allocator = true;
    } else if (strcasecmp(type.c_str(), "tessaly_memory_manager") == 0) {
        c.use_native_allocator = false;
    }
    c.output_to_project_path = mem_cfg_is_on("MEM_OUTPUT_TO_PROJECT_PATH", false);
    c.log_memory = mem_cfg_is_on("MEM_LOG_MEMORY", false);
    c.log_memory_debug_messages =
        c.log_memory && mem_cfg_is_on("MEM_LOG_MEMORY_DEBUG_MESSAGES", false);

    if (!mem_cfg_is_on("MEM_DISABLE_MEMORY_LEAK_TRACKING", false)) {
        c.print_leak_warnings = is_on_or_present("MEM_PRINT_LEAK_WARNINGS");
        if (is_on_or_present("MEM_LEAK_TRACKING_IN_TQ_MODE")) {
            c.leak_tracking_in_tq_mode = true;
            c.print_leak_warnings = true;
        }
        c.ie_on_memory_leaks = is_on_or_present("MEM_IE_ON_MEMORY_LEAKS");
    }
    c.leak_disallow_exclusion_list = mem_cfg_is_on("MEM_LEAK_DISALLOW_EXCLUSION_LIST", false);

    c.track_memory = mem_cfg_is_on("MEM_TRACK_MEMORY", false) || c.log_memory;
    c.print_mem_usage_files = c.track_memory;
    c.track_memory = c.track_memory || c.print_leak_warnings;

    c.check_memory = mem_cfg_is_on("MEM_CHECK_MEMORY", true);
    c.dont_delete = mem_cfg_is_on("MEM_DONT_DELETE", false);

    MEM_STRING include = mem_cfg_get_value("MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST");
    c.track_callstack_include_subsystem_list = string_array_or_null(include);
    if (!include.empty()) {
        c.track_callstack = c.track_memory;
    }
    c.track_callstack_exclude_subsystem_list =
        string_array_or_null(mem_cfg_get_value("MEM_TRACK_CALLSTACK_EXCLUDE_SUBSYSTEM_LIST"));
    c.track_callstack_include_stl_allocators =
        mem_cfg_is_on("MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS", false);

    c.track_callstack_max_depth = mem_cfg_get_int_value("MEM_TRACK_CALLSTACK_MAX_DEPTH", 10);
    if (c.track_callstack_max_depth < 1) {
        c.track_callstack = false;
        c.track_callstack_max_depth = 1;
    }
    c.track_callstack_max_reports = mem_cfg_get_int_value("MEM_TRACK_CALLSTACK_MAX_REPORTS", 10);
    c.track_callstack = mem_cfg_is_on("MEM_TRACK_CALLSTACK", c.track_callstack);

    MEM_STRING class_id = mem_cfg_get_value("MEM_BREAK_ON_CLASS_ID");
    if (!class_id.empty()) {
        c.break_on_class_id = static_cast<int>(std::strtol(class_id.c_str(), nullptr, 10));
    }
    MEM_STRING address = mem_cfg_get_value("MEM_BREAK_ON_ADDRESS");
    if (!address.empty() && std::sscanf(address.c_str(), "%p", &c.break_on_address) != 1) {
        c.break_on_address = nullptr;
    }
    c.pgo_debug = mem_cfg_is_on("debug_msg", false);
    return c;
}

MEM_EXPORT void mem_read_tessaly_ini_file() {
    MEM_LOCK lock(mem_critical_section);
    static bool s_read = false;
    if (s_read) {
        return;
    }
    s_read = true;
    MEM_CONFIGURATION current;
    current.use_native_allocator = mem_use_native_allocator;
    MEM_CONFIGURATION c = mem_read_configuration(current);

    if (!c.use_native_allocator && !mem_own_heap_available()) {
        mem_mem_msg_debug("own heap not available");
        c.use_native_allocator = true;
    }
    mem_use_native_allocator = c.use_native_allocator;
    MEM_TRACKER::s_output_to_project_path = c.output_to_project_path;
    MEM_TRACKER::s_log_memory = c.log_memory;
    MEM_TRACKER::s_log_memory_debug_messages = c.log_memory_debug_messages;
    MEM_TRACKER::s_print_leak_warnings = c.print_leak_warnings;
    MEM_TRACKER::s_leak_tracking_in_tq_mode = c.leak_tracking_in_tq_mode;
    MEM_TRACKER::s_ie_on_memory_leaks = c.ie_on_memory_leaks;
    MEM_TRACKER::s_leak_disallow_exclusion_list = c.leak_disallow_exclusion_list;
    MEM_TRACKER::s_track_memory = c.track_memory;
    MEM_TRACKER::s_print_mem_usage_files = c.print_mem_usage_files;
    mem_check_memory = c.check_memory;
    mem_dont_delete = c.dont_delete;
    MEM_TRACKER::s_track_callstack = c.track_callstack;
    MEM_TRACKER::s_track_callstack_include_stl_allocators =
        c.track_callstack_include_stl_allocators;
    MEM_TRACKER::s_track_callstack_include_subsystem_list =
        c.track_callstack_include_subsystem_list;
    MEM_TRACKER::s_track_callstack_exclude_subsystem_list =
        c.track_callstack_exclude_subsystem_list;
    MEM_TRACKER::s_track_callstack_max_depth = c.track_callstack_max_depth;
    MEM_TRACKER::s_track_callstack_max_reports = c.track_callstack_max_reports;
    mem_create_callstack_maps();
    mem_track_callstack_address_array = static_cast<void**>(mem_internal_malloc(
        (static_cast<size_t>(c.track_callstack_max_depth) + MEM_CALLSTACK_OWN_FRAMES_ROOM) *
            sizeof(void*),
        __FILE__));
    mem_break_on_class_id = c.break_on_class_id;
    mem_break_on_address = c.break_on_address;
    mem_pgo_debug = c.pgo_debug;
}

// ---- Report file names ----

MEM_EXPORT void mem_set_file(char* buffer, char const* name) {
    MEM_LOCK lock(mem_critical_section);
    MEM_STRING path;
    char const* directory = mem_gen_get_project_output_directory();
    if (MEM_TRACKER::s_output_to_project_path && *directory != '\0') {
        path = directory;
        path += '/';
    } else if (char const* tmp = std::getenv("TMP")) {
        path = tmp;
        path += '/';
    } else {
        path = "/tmp/";
    }
    if (char const* prefix = std::getenv("TESSALY_MEM_TRACKER_LOGFILE_PREFIX")) {
        path += prefix;
    }
    path += name;
    std::strncpy(buffer, path.c_str(), MEM_FILE_NAME_SIZE);
    buffer[MEM_FILE_NAME_SIZE] = '\0';
}

MEM_EXPORT void MEM_MANAGER::write_detailed_memory_usage_on_exit(char const* name) {
    mem_set_file(MEM_TRACKER::detailed_memory_usage_filename, name);
}
MEM_EXPORT void MEM_MANAGER::write_typeinfo_memory_usage_on_exit(char const* name) {
    mem_set_file(MEM_TRACKER::typeinfo_memory_usage_filename, name);
}
MEM_EXPORT void MEM_MANAGER::write_subsystem_memory_usage_on_exit(char const* name) {
    mem_set_file(MEM_TRACKER::subsystem_memory_usage_filename, name);
}
MEM_EXPORT void MEM_MANAGER::dump_memory_on_exit(char const* name) {
    mem_set_file(MEM_TRACKER::memory_dump_filename, name);
}
