// The allocation interface: the tracked wrappers, the replaced global operators,
// the per-unit initializer and the thread wrapper.
//
// Each request takes one of two roads: the own heap (mem_own_heap.h) when it is
// selected and available, else the platform road, where the native allocator
// (mem_native.h) serves a block with a 16-byte tracking header in front of the
// caller's pointer. A release first asks the own heap whether the block is its
// own; any other block is a platform block, so a block may be released through
// any function of its family whichever road made it.
#include "mem_manager.h"

#include "mem/mem_callstack.h"
#include "mem/mem_config.h"
#include "mem/mem_export.h"
#include "mem/mem_leak_warnings.h"
#include "mem/mem_native.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_report.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"
#include "suite/threads/thr.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

MEM_EXPORT int32_t MEM_INITIALIZER::s_init_counter = 0;

namespace {

enum class FAMILY { NEW, ARRAY, MALLOC };

constexpr size_t MAX_REQUEST = ~size_t(0) - MEM_TRACK_HEADER_SIZE - 64;

// Requests are rounded up to a multiple of 4; 0 becomes 4.
size_t rounded(size_t size) {
    return size == 0 ? 4 : (size + 3) & ~size_t(3);
}

// Requests beyond what the own heap can hold take the platform road.
bool own_heap_road(size_t size) {
    return !mem_use_native_allocator && size <= MEM_OWN_HEAP_MAX_REQUEST;
}

// A platform block with its header; null only when the native allocator failed.
void* platform_allocate(FAMILY family, size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    if (size > MAX_REQUEST) {
        errno = ENOMEM;
        return nullptr;
    }
    size_t r = rounded(size);
    void* block = nullptr;
    try {
        switch (family) {
        case FAMILY::NEW:
            block = mem_native_new(r + MEM_TRACK_HEADER_SIZE);
            break;
        case FAMILY::ARRAY:
            block = mem_native_array_new(r + MEM_TRACK_HEADER_SIZE);
            break;
        case FAMILY::MALLOC:
            block = mem_native_malloc(r + MEM_TRACK_HEADER_SIZE);
            break;
        }
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
    if (block != nullptr) {
        mem_track_allocation(r, thunk, file, &block);
    }
    return block;
}

void* allocate(FAMILY family, size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    if (own_heap_road(size)) {
        return mem_own_heap_allocate(rounded(size), thunk, file);
    }
    void* block = platform_allocate(family, size, thunk, file);
    if (block == nullptr) {
        mem_out_of_memory();
    }
    return block;
}

void release(FAMILY family, void* block) {
    if (block == nullptr || mem_own_heap_release(block)) {
        return;
    }
    mem_track_free(&block);
    switch (family) {
    case FAMILY::NEW:
        mem_native_delete(block);
        break;
    case FAMILY::ARRAY:
        mem_native_array_delete(block);
        break;
    case FAMILY::MALLOC:
        mem_native_free(block);
        break;
    }
}

// Over-aligned blocks always take the platform road: the header sits just in
// front of the caller's pointer, `alignment` bytes into the native block.
void* aligned_allocate(size_t size, std::align_val_t align) {
    size_t alignment = static_cast<size_t>(align);
    if (alignment < MEM_TRACK_HEADER_SIZE) {
        alignment = MEM_TRACK_HEADER_SIZE;
    }
    if (size > MAX_REQUEST - alignment) {
        return nullptr;
    }
    size_t r = rounded(size);
    void* block = mem_native_aligned_malloc(r + alignment, alignment);
    if (block == nullptr) {
        return nullptr;
    }
    block = static_cast<char*>(block) + alignment - MEM_TRACK_HEADER_SIZE;
    mem_track_allocation(r, nullptr, nullptr, &block);
    return block;
}

void aligned_release(void* block, std::align_val_t align) {
    if (block == nullptr) {
        return;
    }
    size_t alignment = static_cast<size_t>(align);
    if (alignment < MEM_TRACK_HEADER_SIZE) {
        alignment = MEM_TRACK_HEADER_SIZE;
    }
    mem_track_free(&block);
    mem_native_aligned_free(static_cast<char*>(block) + MEM_TRACK_HEADER_SIZE - alignment);
}

} // namespace

// ---- Allocation ----

MEM_EXPORT void* mem_new_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return allocate(FAMILY::NEW, size, thunk, file);
}

MEM_EXPORT void* mem_new_array_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return allocate(FAMILY::ARRAY, size, thunk, file);
}

MEM_EXPORT void* mem_malloc_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return allocate(FAMILY::MALLOC, size, thunk, file);
}

MEM_EXPORT void* mem_stl_allocate(size_t size, MEM_TRACKER_THUNK* thunk) {
    return allocate(FAMILY::NEW, size, thunk, __FILE__);
}

MEM_EXPORT void* mem_realloc_wrapper(void* block, size_t size, MEM_TRACKER_THUNK* thunk,
                                     char const* file) {
    if (block == nullptr) {
        return mem_malloc_wrapper(size, thunk, file);
    }
    if (size > MAX_REQUEST) {
        mem_out_of_memory();
    }
    size_t r = rounded(size);
    void* result = nullptr;
    if (mem_own_heap_reallocate(block, r, thunk, file, &result)) {
        return result;
    }
    mem_track_free(&block);
    result = mem_native_realloc(block, r + MEM_TRACK_HEADER_SIZE);
    if (result == nullptr) {
        mem_out_of_memory();
    }
    mem_track_allocation(r, thunk, file, &result);
    return result;
}

// ---- Release ----

MEM_EXPORT void mem_delete_wrapper(void* block, char const* const*) {
    release(FAMILY::NEW, block);
}

MEM_EXPORT void mem_delete_array_wrapper(void* block, char const* const*) {
    release(FAMILY::ARRAY, block);
}

MEM_EXPORT void mem_free_wrapper(void* block, char const* const*) {
    release(FAMILY::MALLOC, block);
}

MEM_EXPORT void mem_stl_deallocate(void* block, size_t, MEM_TRACKER_THUNK*) {
    release(FAMILY::NEW, block);
}

// ---- Queries ----

MEM_EXPORT bool mem_is_allocated(void* block) {
    if (block == nullptr) {
        return true;
    }
    bool allocated = false;
    if (mem_own_heap_owns(block, &allocated)) {
        return allocated;
    }
    return tbb_is_recognized(static_cast<char*>(block) - MEM_TRACK_HEADER_SIZE);
}

// ---- Global operators: nothing in the process allocates around the manager ----

MEM_EXPORT void* operator new(size_t size) {
    return allocate(FAMILY::NEW, size, nullptr, nullptr);
}
MEM_EXPORT void* operator new[](size_t size) {
    return allocate(FAMILY::ARRAY, size, nullptr, nullptr);
}
// The nothrow forms keep their contract: null when memory runs out.
MEM_EXPORT void* operator new(size_t size, std::nothrow_t const&) noexcept {
    if (own_heap_road(size)) {
        return mem_new_wrapper(size, nullptr, nullptr);
    }
    return platform_allocate(FAMILY::NEW, size, nullptr, nullptr);
}
MEM_EXPORT void* operator new[](size_t size, std::nothrow_t const&) noexcept {
    if (own_heap_road(size)) {
        return mem_new_array_wrapper(size, nullptr, nullptr);
    }
    return platform_allocate(FAMILY::ARRAY, size, nullptr, nullptr);
}
MEM_EXPORT void* operator new(size_t size, std::align_val_t align) {
    void* block = aligned_allocate(size, align);
    if (block == nullptr) {
        mem_out_of_memory();
    }
    return block;
}
MEM_EXPORT void* operator new[](size_t size, std::align_val_t align) {
    return operator new(size, align);
}
MEM_EXPORT void* operator new(size_t size, std::align_val_t align, std::nothrow_t const&) noexcept {
    return aligned_allocate(size, align);
}
MEM_EXPORT void* operator new[](size_t size, std::align_val_t align,
                                std::nothrow_t const&) noexcept {
    return aligned_allocate(size, align);
}

MEM_EXPORT void operator delete(void* block) noexcept {
    release(FAMILY::NEW, block);
}
MEM_EXPORT void operator delete[](void* block) noexcept {
    release(FAMILY::ARRAY, block);
}
MEM_EXPORT void operator delete(void* block, size_t) noexcept {
    release(FAMILY::NEW, block);
}
MEM_EXPORT void operator delete[](void* block, size_t) noexcept {
    release(FAMILY::ARRAY, block);
}
MEM_EXPORT void operator delete(void* block, std::nothrow_t const&) noexcept {
    release(FAMILY::NEW, block);
}
MEM_EXPORT void operator delete[](void* block, std::nothrow_t const&) noexcept {
    release(FAMILY::ARRAY, block);
}
MEM_EXPORT void operator delete(void* block, std::align_val_t align) noexcept {
    aligned_release(block, align);
}
MEM_EXPORT void operator delete[](void* block, std::align_val_t align) noexcept {
    aligned_release(block, align);
}
MEM_EXPORT void operator delete(void* block, size_t, std::align_val_t align) noexcept {
    aligned_release(block, align);
}
MEM_EXPORT void operator delete[](void* block, size_t, std::align_val_t align) noexcept {
    aligned_release(block, align);
}
MEM_EXPORT void operator delete(void* block, std::align_val_t align,
                                std::nothrow_t const&) noexcept {
    aligned_release(block, align);
}
MEM_EXPORT void operator delete[](void* block, std::align_val_t align,
                                  std::nothrow_t const&) noexcept {
    aligned_release(block, align);
}

// Tracked placement forms of MEM_NEW / MEM_NEW_ARRAY; the deletes are what a
// throwing constructor reaches.
MEM_EXPORT void* operator new(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return mem_new_wrapper(size, thunk, file);
}
MEM_EXPORT void* operator new[](size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    return mem_new_array_wrapper(size, thunk, file);
}
MEM_EXPORT void operator delete(void* block, MEM_TRACKER_THUNK*, char const*) noexcept {
    release(FAMILY::NEW, block);
}
MEM_EXPORT void operator delete[](void* block, MEM_TRACKER_THUNK*, char const*) noexcept {
    release(FAMILY::ARRAY, block);
}

// ---- Start-up and shutdown ----

namespace {

THR_THREAD_WRAPPER_FUNC s_next_thread_wrapper = nullptr;
bool s_thread_wrapper_installed = false;

// Every thread the suite starts runs inside this: with its spare reserves while
// it works, and with its own-heap segment handed back when it ends.
void* mem_thread_wrapper(THR_THREAD_FUNC start, void* argument) {
    mem_allocate_spare_memory();
    std::set_new_handler(mem_out_of_memory);
    void* result =
        s_next_thread_wrapper != nullptr ? s_next_thread_wrapper(start, argument) : start(argument);
    mem_free_spare_memory();
    mem_own_heap_thread_end();
    return result;
}

// "MEM_PRINT_LIB_LOAD" is read once for loading and once for unloading.
bool print_lib_load(bool* read, bool* present) {
    if (!*read) {
        *read = true;
        *present = std::getenv("MEM_PRINT_LIB_LOAD") != nullptr;
    }
    return *present;
}
bool s_load_read = false, s_load_present = false;
bool s_unload_read = false, s_unload_present = false;
bool mem_exiting = false;

} // namespace

MEM_EXPORT MEM_INITIALIZER::MEM_INITIALIZER(char const* name) : m_name(name) {
    if (s_init_counter++ == 0) {
        mem_critical_section.initialize();
        mem_tracker_critical_section.initialize();
        mem_own_heap_initialize();
        if (!s_thread_wrapper_installed) {
            s_thread_wrapper_installed = true;
            s_next_thread_wrapper = thr_thread_set_next_wrapper_func(mem_thread_wrapper);
        }
        mem_read_tessaly_ini_file();
        mem_allocate_spare_memory();
    }
    if (print_lib_load(&s_load_read, &s_load_present)) {
        std::printf("Loading: %s\n", m_name);
    }
}

MEM_EXPORT MEM_INITIALIZER::~MEM_INITIALIZER() {
    bool print = print_lib_load(&s_unload_read, &s_unload_present);
    mem_critical_section.lock();
    if (print) {
        std::printf("Unloading: %s\n", m_name);
    }
    if (--s_init_counter == 0) {
        mem_free_spare_memory();
        if (!mem_exiting) {
            mem_exiting = true;
            if (MEM_TRACKER::s_track_memory && MEM_TRACKER::s_initialized) {
                if (MEM_TRACKER::s_print_mem_usage_files) {
                    mem_write_memory_usage_reports_at_exit();
                }
                if (MEM_TRACKER::s_track_callstack && mem_callstack_map != nullptr) {
                    mem_callstack_map->report_leaks();
                }
                if (MEM_TRACKER::s_print_leak_warnings) {
                    mem_write_leak_warnings_at_exit();
                }
            }
            MEM_TRACKER::destroy();
            mem_tracker_critical_section.destroy();
            mem_critical_section.unlock();
            mem_critical_section.destroy();
            mem_exiting = false;
        }
    }
    mem_critical_section.unlock();
}

// The manager's own initializer runs before every other static object of the
// program, and so is destroyed after them.
__attribute__((init_priority(101))) static MEM_INITIALIZER mem_manager_initializer("MEM");
