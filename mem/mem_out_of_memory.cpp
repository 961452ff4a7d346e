// Out of memory: release the spare reserves so that the report can still
// allocate, report (or call the program's handler) and end with status 1.
#include "mem/mem_export.h"
#include "mem/mem_info.h"
#include "mem/mem_native.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

enum : size_t {
    THREAD_RESERVE_SIZE = 0x20000,
    PROCESS_RESERVE_SIZE = 0x70000,
};

thread_local void* mem_reserved_tessaly_memory = nullptr;
thread_local void* mem_reserved_calloc_memory = nullptr;
void* mem_reserved_main_thread_calloc_memory = nullptr;
bool mem_out_of_memory_already_reported = false;
void (*mem_out_of_memory_func_ptr)() = nullptr;

void flush_stderr_when_open() {
    if (fcntl(STDERR_FILENO, F_GETFD) != -1) {
        std::fflush(stderr);
    }
}

} // namespace

MEM_EXPORT void mem_allocate_spare_memory() {
    MEM_LOCK lock(mem_critical_section);
    if (mem_out_of_memory_already_reported) {
        return;
    }
    if (mem_reserved_tessaly_memory == nullptr) {
        mem_reserved_tessaly_memory =
            mem_malloc_wrapper(THREAD_RESERVE_SIZE, MEM_THUNK(MEM, char), __FILE__);
    }
    if (mem_reserved_calloc_memory == nullptr) {
        mem_reserved_calloc_memory = mem_native_malloc(THREAD_RESERVE_SIZE);
    }
    if (mem_reserved_main_thread_calloc_memory == nullptr) {
        mem_reserved_main_thread_calloc_memory = mem_native_malloc(PROCESS_RESERVE_SIZE);
    }
}

MEM_EXPORT void mem_free_spare_memory() {
    MEM_LOCK lock(mem_critical_section);
    mem_free_wrapper(mem_reserved_tessaly_memory, nullptr);
    mem_reserved_tessaly_memory = nullptr;
    mem_native_free(mem_reserved_calloc_memory);
    mem_reserved_calloc_memory = nullptr;
    mem_native_free(mem_reserved_main_thread_calloc_memory);
    mem_reserved_main_thread_calloc_memory = nullptr;
}

MEM_EXPORT void mem_set_out_of_memory_handler(void (*handler)()) {
    std::set_new_handler(mem_out_of_memory);
    mem_out_of_memory_func_ptr = handler;
    flush_stderr_when_open();
    mem_info_get_process_current_virtual_used(); // raises the recorded peak
}

MEM_EXPORT void mem_out_of_memory() {
    mem_critical_section.lock();
    if (!mem_out_of_memory_already_reported) {
        mem_out_of_memory_already_reported = true;
        mem_free_spare_memory();
        if (mem_out_of_memory_func_ptr == nullptr) {
            std::fflush(stdout);
            std::fflush(stderr);
            uint64_t peak = mem_info_get_process_peak_virtual_used();
            std::fprintf(stderr, "\nOut of memory (%llu megabytes used)\n",
                         static_cast<unsigned long long>(peak / 1000000));
            std::fflush(stderr);
        } else {
            mem_out_of_memory_func_ptr();
        }
    }
    mem_critical_section.unlock_all();
    // No static destructors: they would run with the heap exhausted and other
    // threads still working.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(1);
}
