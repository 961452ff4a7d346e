// The own heap's road: the calling thread's segment serves requests; a release
// frees a block at once on its owner's thread, or queues it for the owner.
#include "mem/mem_own_heap.h"

#include "mem/mem_export.h"
#include "mem/mem_log.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_track.h"

#include <algorithm>
#include <cstring>

namespace {

MEM_MANAGER mem_manager;

MEM_SEGMENT_INTERNAL* thread_segment() {
    return MEM_MANAGER_INTERNAL::get_default_segment();
}

} // namespace

bool mem_own_heap_available() {
    return true;
}

void mem_own_heap_initialize() {
    MEM_MANAGER_INTERNAL::initialize();
}

void mem_own_heap_thread_end() {
    MEM_MANAGER_INTERNAL::end_thread_segment();
}

void* mem_own_heap_allocate(size_t size, MEM_TRACKER_THUNK* thunk, char const* file) {
    if (MEM_TRACKER::s_log_memory) {
        mem_log_allocation_tick(size);
    }
    MEM_SEGMENT_INTERNAL* segment = thread_segment();
    MEM_TRACKER_DATA* tracker =
        MEM_TRACKER::s_track_memory ? MEM_TRACKER_DATA::get_tracker_data(thunk, file) : nullptr;
    return segment->allocate(size, tracker);
}

void* mem_own_heap_internal_allocate(size_t size) {
    MEM_LOCK lock; // the internal segment serves every thread
    return mem_internal_segment.allocate(size, nullptr);
}

bool mem_own_heap_release(void* block) {
    MEM_MEGA_PAGE* page = mem_heap_page_of(block);
    if (page == nullptr) {
        return false;
    }
    if (mem_dont_delete) {
        return true; // after an internal error the heap is left as it is
    }
    MEM_SEGMENT_INTERNAL* segment = thread_segment();
    segment->free_interthread_delete_queue();
    if (!segment->release_block(page, block)) {
        page->add_to_interthread_delete_queue(segment, block);
    }
    return true;
}

bool mem_own_heap_reallocate(void* block, size_t size, MEM_TRACKER_THUNK* thunk, char const* file,
                             void** result) {
    MEM_MEGA_PAGE* page = mem_heap_page_of(block);
    if (page == nullptr) {
        return false;
    }
    size = size == 0 ? 4 : (size + 3) & ~size_t(3); // a new size of 0 would release
    if (size > MEM_OWN_HEAP_MAX_REQUEST) {
        // Too large for the heap: the platform road serves it.
        *result = mem_malloc_wrapper(size, thunk, file);
        std::memcpy(*result, block, page->get_user_block_size(block));
        mem_own_heap_release(block);
        return true;
    }
    MEM_SEGMENT_INTERNAL* segment = thread_segment();
    segment->free_interthread_delete_queue();
    MEM_TRACKER_DATA* tracker = MEM_TRACKER_DATA::get_tracker_data(thunk, file);
    MEM_BLOCK* header = MEM_BLOCK::from_user(block);
    *result = segment->reallocate_cached(page, header, size, tracker);
    if (*result != nullptr) {
        return true;
    }
    if (mem_heap_owns(segment, page, block)) {
        *result = page->reallocate_or_free_block(segment, header, size, tracker);
        return true;
    }
    // Another thread's block: copy it into a block of ours, queue it for its owner.
    *result = segment->allocate(size, tracker);
    std::memcpy(*result, block, std::min(page->get_user_block_size(block), size));
    page->add_to_interthread_delete_queue(segment, block);
    return true;
}

bool mem_own_heap_owns(void* block, bool* allocated) {
    if (mem_heap_page_of(block) == nullptr) {
        return false;
    }
    MEM_BLOCK const* header = MEM_BLOCK::from_user(block);
    *allocated = header->is_used() && header->m_guard == MEM_GUARD_PATTERN;
    return true;
}

MEM_EXPORT size_t MEM_MANAGER::msize(void* block) {
    MEM_MEGA_PAGE* page = mem_heap_page_of(block);
    return page == nullptr ? 0 : page->msize(MEM_BLOCK::from_user(block));
}

MEM_EXPORT MEM_SEGMENT* MEM_MANAGER::get_default_segment() {
    return thread_segment();
}

MEM_EXPORT MEM_SEGMENT* MEM_MANAGER::create_segment(char const*) {
    return thread_segment();
}

MEM_EXPORT MEM_MANAGER* MEM_MANAGER::get_transient_manager() {
    return &mem_manager;
}

MEM_EXPORT void MEM_MANAGER::clear_mem_check_memory() {
    mem_check_memory = false;
}

MEM_EXPORT void MEM_MANAGER::check_memory_guards() {
    thread_segment()->check_memory_guards();
}

MEM_EXPORT void MEM_MANAGER::dump_all_segments(char const* file_name, int subsystem) {
    MEM_MANAGER_INTERNAL::dump_all_segments(file_name, subsystem);
}
