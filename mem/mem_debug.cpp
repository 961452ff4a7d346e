#include "mem/mem_debug.h"

#include "mem/mem_config.h"
#include "mem/mem_export.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"
#include "suite/errors/err.h"
#include "suite/threads/thr.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

MEM_EXPORT bool mem_dont_break = false;
bool mem_internal_error_encountered = false;
bool mem_internal_error_during_internal_error = false;

namespace {
enum { MESSAGE_SIZE = 500 };
} // namespace

void mem_internal_error(char const* file, int line, char const* format, ...) {
    mem_critical_section.lock();
    mem_use_native_allocator = true;
    mem_dont_delete = true;
    mem_check_memory = false;

    char message[MESSAGE_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    if (!mem_internal_error_encountered) {
        mem_internal_error_encountered = true;
        // The reporter may allocate: let it.
        mem_critical_section.unlock_all();
        err_report_fatal_error(message, "MEM", file, line);
    }
    if (mem_internal_error_during_internal_error) {
        std::abort();
    }
    mem_internal_error_during_internal_error = true;
    std::printf("Internal Error: %s(%d):%s\n", file, line, message);
    std::fflush(stdout);
    if (mem_cfg_is_on("dont_catch_all_exceptions", false)) {
        try {
            thr_debug_break();
        } catch (...) {
        }
    }
    mem_critical_section.unlock_all();
    std::exit(-1);
}

void do_error(char const* message, char const* file, int line) {
    std::printf("%s(%d) : %s\n", file, line, message);
}

void mem_debug_printf(char const* format, ...) {
    char text[513];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fputs(text, stdout);
}

void mem_check_locked(char const* file, int line) {
    if (!mem_critical_section.is_locked()) {
        mem_internal_error(file, line, "%s\n", "mem_critical_section.is_locked()");
    }
}

MEM_EXPORT void MEM_MANAGER::debug_break(char const* message, MEM_TRACKER_DATA* data,
                                         void* address) {
    MEM_LOCK lock(mem_critical_section);
    if (mem_dont_break || mem_internal_error_encountered) {
        return;
    }
    char text[MESSAGE_SIZE];
    if (data != nullptr) {
        std::snprintf(text, sizeof text, "%s: Class_id = %-5u Address = 0x%" PRIxPTR "\n%s\n",
                      data->subsystem_name, data->class_id, reinterpret_cast<uintptr_t>(address),
                      data->typeinfo != nullptr ? data->typeinfo->name : "???");
    } else {
        std::snprintf(text, sizeof text, "%s Address = 0x%" PRIxPTR "\n",
                      MEM_TRACKER::s_track_memory ? "" : "(MEM_TRACK_MEMORY is OFF)",
                      reinterpret_cast<uintptr_t>(address));
    }
    std::printf("%s\n%s\n", message != nullptr ? message : "", text);
}
