// The front cache's side of a thread segment: caching a block its thread
// frees, handing a cached block out again, and flushing the cache into the
// pages.
#include "mem/mem_front_cache.h"

#include "mem/mem_free_pattern.h"
#include "mem/mem_section_vm.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"
#include "mem/mem_track.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace {

[[gnu::cold, gnu::noinline]] void report_broken_cached(MEM_BLOCK* block, size_t block_size) {
    if (block->m_guard != MEM_GUARD_PATTERN) {
        mem_internal_error(__FILE__, __LINE__, "Bad begin guard at: 0x%p\n",
                           static_cast<void*>(block));
    }
    MEM_ASSERT(block->is_cached() && block->m_size == block_size);
    auto* after = reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + block_size);
    mem_internal_error(__FILE__, __LINE__, "Bad end (begin) guard at: 0x%p (0x%p)\n",
                       static_cast<void*>(block), static_cast<void*>(after));
}

// A block taken out of the cache must still read as a cached block of its size,
// and the block after it must still carry its guard. (That guard is checked
// here rather than when the block is cached: the block's last line, which holds
// it, is touched anyway when the block is reused or flushed, and no free list
// can absorb the header while the block is cached.)
inline void check_cached(MEM_BLOCK* block, size_t block_size) {
    uint32_t expected = MEM_BLOCK::make_word(MEM_BLOCK::CACHED_LINK, MEM_BLOCK::FREE, block_size);
    auto* after = reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + block_size);
    if (block->word() != expected || after->m_guard != MEM_GUARD_PATTERN) {
        report_broken_cached(block, block_size);
    }
}

} // namespace

MEM_FRONT_CACHE::~MEM_FRONT_CACHE() {
    for (STACK& s : m_stacks) {
        release(s);
    }
}

void MEM_FRONT_CACHE::release_storage() {
    for (STACK& s : m_stacks) {
        if (s.count == 0) {
            release(s);
        }
    }
}

bool MEM_FRONT_CACHE::grow(STACK& s) {
    // A page at first; mremap moves the entries when the stack doubles.
    size_t old_bytes = s.capacity * sizeof(MEM_BLOCK*);
    size_t new_bytes = s.capacity == 0 ? 4096 : 2 * old_bytes;
    void* p = s.blocks == nullptr ? mmap(nullptr, new_bytes, PROT_READ | PROT_WRITE,
                                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                  : mremap(s.blocks, old_bytes, new_bytes, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) {
        return false;
    }
    s.blocks = static_cast<MEM_BLOCK**>(p);
    s.capacity = static_cast<uint32_t>(new_bytes / sizeof(MEM_BLOCK*));
    return true;
}

void MEM_FRONT_CACHE::release(STACK& s) {
    if (s.blocks != nullptr) {
        munmap(s.blocks, s.capacity * sizeof(MEM_BLOCK*));
    }
    s = STACK{};
}

bool MEM_SEGMENT_INTERNAL::caches_for(MEM_MEGA_PAGE* page) const {
    if (!m_front_cache_on || mem_do_segment_validation) {
        return false;
    }
    // Only this thread takes a page out of its working set, and a segment that
    // takes over a trimmed page names itself its owner before it marks the page
    // as in its working set: a page seen in a working set and then seen owned by
    // this segment is this segment's until this thread trims it.
    return __atomic_load_n(&page->m_in_working_set, __ATOMIC_ACQUIRE) &&
           __atomic_load_n(&page->m_segment, __ATOMIC_ACQUIRE) == this;
}

bool MEM_SEGMENT_INTERNAL::cache_block(MEM_MEGA_PAGE* page, MEM_BLOCK* block) {
    if (!caches_for(page)) {
        return false;
    }
    block->validate_used();
    uint32_t word = block->word();
    size_t size = block->m_size; // 0 for blocks of a sub-page or more
    if (!MEM_FRONT_CACHE::holds_size(size)) {
        return false;
    }
    if (!m_front_cache.push(block, size)) {
        return false;
    }
    size_t request = block->request_in(word, size);
    if (block->m_type == MEM_BLOCK::USED_CHARGED) {
        mem_segment_track_free(block->tracker_id(), request, block->user());
    }
    // While it is cached the whole block counts as the segment's overhead.
    m_user_bytes -= request;
    m_overhead_bytes += request;
    if (mem_check_memory) {
        mem_fill_free_pattern(block->user(), size - 4);
    }
    block->set_word(MEM_BLOCK::make_word(MEM_BLOCK::CACHED_LINK, MEM_BLOCK::FREE, size));
    ++page->m_cached_blocks;
    return true;
}

void* MEM_SEGMENT_INTERNAL::allocate_cached(size_t size, MEM_TRACKER_DATA* tracker) {
    if (m_front_cache.empty()) {
        return nullptr;
    }
    if (mem_do_segment_validation) {
        // Full validation checks first fit, which the cache does not keep.
        flush_front_cache();
        return nullptr;
    }
    size_t block_size = mem_block_size_for(size);
    if (!MEM_FRONT_CACHE::holds_size(block_size)) {
        return nullptr;
    }
    MEM_BLOCK* block = m_front_cache.pop(block_size);
    if (block == nullptr) {
        return nullptr;
    }
    check_cached(block, block_size);
    --mem_get_mega_page_from_address(block)->m_cached_blocks;
    return hand_out(block, block_size, size, tracker);
}

void* MEM_SEGMENT_INTERNAL::allocate_from_run(size_t size, MEM_TRACKER_DATA* tracker) {
    size_t block_size = mem_block_size_for(size);
    if (!m_front_cache_on || !MEM_FRONT_CACHE::holds_size(block_size)) {
        return nullptr;
    }
    if (mem_do_segment_validation) {
        // Full validation checks first fit, which a run does not keep.
        if (m_run != nullptr) {
            flush_front_cache();
        }
        return nullptr;
    }
    if (m_run_size < block_size) {
        if (m_run != nullptr) {
            free_cached_block(std::exchange(m_run, nullptr), std::exchange(m_run_size, 0));
        }
        if (!take_run(block_size)) {
            return nullptr;
        }
    }
    MEM_BLOCK* block = m_run;
    check_cached(block, m_run_size);
    m_run = mem_get_mega_page_from_address(block)->split_cached(block, m_run_size, block_size);
    m_run_size -= block_size;
    return hand_out(block, block_size, size, tracker);
}

bool MEM_SEGMENT_INTERNAL::take_run(size_t block_size) {
    MEM_MEGA_PAGE* page = find_first_mega_page(block_size);
    if (page == nullptr) {
        return false;
    }
    // Any size up to the free block's takes that same block by first fit.
    size_t run_size = std::min(page->first_fit_size(block_size), MEM_FRONT_CACHE::RUN_BYTES);
    if (run_size < MEM_FRONT_CACHE::RUN_MIN_BLOCKS * block_size) {
        return false;
    }
    MEM_BLOCK* run = page->allocate_block(this, nullptr, 0, run_size, nullptr);
    // While it is cached the whole block counts as the segment's overhead.
    m_overhead_bytes += run_size;
    run->set_word(MEM_BLOCK::make_word(MEM_BLOCK::CACHED_LINK, MEM_BLOCK::FREE, run_size));
    ++page->m_cached_blocks;
    m_run = run;
    m_run_size = run_size;
    return true;
}

void* MEM_SEGMENT_INTERNAL::hand_out(MEM_BLOCK* block, size_t block_size, size_t size,
                                     MEM_TRACKER_DATA* tracker) {
    uint32_t link =
        tracker != nullptr ? mem_segment_tracker_id(tracker) & MEM_BLOCK::TRACKER_ID_MASK : 0;
    if (block->note_spare_bytes(block_size, size)) {
        link |= MEM_BLOCK::HAS_SPARE_BYTES;
    }
    bool charged =
        MEM_TRACKER::s_track_memory && mem_segment_track_allocation(tracker, size, block->user());
    block->set_word(MEM_BLOCK::make_word(link, charged ? MEM_BLOCK::USED_CHARGED : MEM_BLOCK::USED,
                                         block_size));
    m_user_bytes += size;
    m_overhead_bytes -= size;
    return block->user();
}

void* MEM_SEGMENT_INTERNAL::reallocate_cached(MEM_MEGA_PAGE* page, MEM_BLOCK* block, size_t size,
                                              MEM_TRACKER_DATA* tracker) {
    if (!caches_for(page)) {
        return nullptr;
    }
    block->validate_used();
    uint32_t word = block->word();
    size_t old_block_size = block->m_size; // 0 for blocks of a sub-page or more
    size_t block_size = mem_block_size_for(size);
    if (!MEM_FRONT_CACHE::holds_size(old_block_size) || !MEM_FRONT_CACHE::holds_size(block_size)) {
        return nullptr;
    }
    char* user = block->user();
    size_t old_request = block->request_in(word, old_block_size);
    if (block_size > old_block_size || 2 * block_size < old_block_size) {
        // Moved: a new block (mostly from the cache), the old one cached.
        void* moved = allocate(size, tracker);
        std::memcpy(moved, user, std::min(old_request, size));
        if (!release_block(page, user)) {
            MEM_ASSERT(!"the block's page left the segment");
        }
        return moved;
    }
    // Kept in place and whole, charged again for its new request.
    if (block->m_type == MEM_BLOCK::USED_CHARGED) {
        mem_segment_track_free(block->tracker_id(), old_request, user);
    }
    if (size > old_request) {
        std::memset(user + old_request, 0, size - old_request);
    }
    uint32_t link =
        tracker != nullptr ? mem_segment_tracker_id(tracker) & MEM_BLOCK::TRACKER_ID_MASK : 0;
    if (block->note_spare_bytes(old_block_size, size)) {
        link |= MEM_BLOCK::HAS_SPARE_BYTES;
    }
    bool charged = MEM_TRACKER::s_track_memory && mem_segment_track_allocation(tracker, size, user);
    block->set_word(MEM_BLOCK::make_word(link, charged ? MEM_BLOCK::USED_CHARGED : MEM_BLOCK::USED,
                                         old_block_size));
    m_user_bytes += size - old_request;
    m_overhead_bytes += old_request - size;
    return user;
}

void MEM_SEGMENT_INTERNAL::free_cached_block(MEM_BLOCK* block, size_t block_size) {
    check_cached(block, block_size);
    char* user = block->user();
    if (mem_check_memory && !mem_holds_free_pattern(user, block_size - 4)) {
        MEM_MEGA_PAGE::check_free_pattern_slowly(nullptr, user, block_size - 4);
    }
    // Freed as the uncharged used block of block_size - 4 bytes it stands for.
    block->m_type = MEM_BLOCK::USED;
    block->m_link = 0;
    m_user_bytes += block_size - 4;
    m_overhead_bytes -= block_size - 4;
    MEM_MEGA_PAGE* page = mem_heap_page_of(user);
    MEM_ASSERT(page != nullptr && mem_heap_owns(this, page, user));
    --page->m_cached_blocks;
    page->reallocate_or_free_block(this, block, 0, nullptr);
}

void MEM_SEGMENT_INTERNAL::flush_front_cache() {
    return_cached_blocks(true);
    m_front_cache.release_storage();
}

void MEM_SEGMENT_INTERNAL::return_cached_blocks(bool all) {
    // The frees into the pages trim nothing meanwhile (trim_working_set): the
    // cache is not whole again until every block taken has been freed.
    bool nested = m_flushing_front_cache;
    m_flushing_front_cache = true;
    m_front_cache.take_older(
        all, [this](MEM_BLOCK* block, size_t size) { free_cached_block(block, size); });
    if (all && m_run != nullptr) {
        free_cached_block(std::exchange(m_run, nullptr), std::exchange(m_run_size, 0));
    }
    m_flushing_front_cache = nested;
}
