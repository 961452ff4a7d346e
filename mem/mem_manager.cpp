// Interim allocation interface: the platform road without tracking. Replaced by
// the full memory manager.
#include "mem_manager.h"

#include "mem/mem_segment_support.h"
#include "suite/errors/err.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

#define MEM_EXPORT __attribute__((weak, visibility("default")))

int32_t MEM_INITIALIZER::s_init_counter = 0;

bool mem_check_memory = true;
bool mem_internal_error_encountered = false;

void mem_internal_error(char const* file, int line, char const* format, ...) {
    mem_check_memory = false;
    if (mem_internal_error_encountered) {
        std::abort();
    }
    mem_internal_error_encountered = true;
    char message[500];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    mem_critical_section.unlock_all();
    err_report_fatal_error(message, "MEM", file, line);
}

void mem_out_of_memory() {
    std::fflush(stdout);
    std::fputs("\nOut of memory\n", stderr);
    std::exit(1);
}

MEM_INITIALIZER::MEM_INITIALIZER(char const* name) : m_name(name) { ++s_init_counter; }
MEM_INITIALIZER::~MEM_INITIALIZER() { --s_init_counter; }

namespace {
void* checked(void* p) {
    if (p == nullptr) {
        std::abort();
    }
    return p;
}
size_t rounded(size_t size) { return size == 0 ? 4 : (size + 3) & ~size_t(3); }
} // namespace

MEM_EXPORT void* mem_new_wrapper(size_t size, MEM_TRACKER_THUNK*, char const*) {
    return ::operator new(rounded(size));
}
MEM_EXPORT void* mem_new_array_wrapper(size_t size, MEM_TRACKER_THUNK*, char const*) {
    return ::operator new[](rounded(size));
}
MEM_EXPORT void* mem_malloc_wrapper(size_t size, MEM_TRACKER_THUNK*, char const*) {
    return checked(std::malloc(rounded(size)));
}
MEM_EXPORT void* mem_realloc_wrapper(void* p, size_t size, MEM_TRACKER_THUNK*, char const*) {
    return checked(std::realloc(p, rounded(size)));
}
MEM_EXPORT void* mem_stl_allocate(size_t size, MEM_TRACKER_THUNK*) {
    return checked(std::malloc(rounded(size)));
}
MEM_EXPORT void mem_delete_wrapper(void* p, char const* const*) { ::operator delete(p); }
MEM_EXPORT void mem_delete_array_wrapper(void* p, char const* const*) { ::operator delete[](p); }
MEM_EXPORT void mem_free_wrapper(void* p, char const* const*) { std::free(p); }
MEM_EXPORT void mem_stl_deallocate(void* p, size_t, MEM_TRACKER_THUNK*) { std::free(p); }
MEM_EXPORT bool mem_is_allocated(void*) { return true; }

MEM_EXPORT void* operator new(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return mem_new_wrapper(size, thunk, file);
}
MEM_EXPORT void* operator new[](size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return mem_new_array_wrapper(size, thunk, file);
}
MEM_EXPORT void operator delete(void* p, MEM_TRACKER_THUNK*, char const*) noexcept {
    ::operator delete(p);
}
MEM_EXPORT void operator delete[](void* p, MEM_TRACKER_THUNK*, char const*) noexcept {
    ::operator delete[](p);
}
