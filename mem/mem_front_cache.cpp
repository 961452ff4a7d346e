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

bool MEM_SEGMENT_INTERNAL::cache_block(MEM_MEGA_PAGE* page, MEM_BLOCK* block) {
    if (!m_front_cache_on || mem_do_segment_validation) {
        return false;
    }
    // Only this thread takes a page out of its working set, and a segment that
    // takes over a trimmed page names itself its owner before it marks the page
    // as in its working set: a page seen in a working set and then seen owned by
    // this segment is this segment's until this thread trims it.
    if (!__atomic_load_n(&page->m_in_working_set, __ATOMIC_ACQUIRE) ||
        __atomic_load_n(&page->m_segment, __ATOMIC_ACQUIRE) != this) {
        return false;
    }
    block->validate_used();
    uint32_t word = block->word();
    size_t size = block->m_size; // 0 for blocks of a sub-page or more
    if (!MEM_FRONT_CACHE::holds_size(size) || !m_front_cache.has_room(size)) {
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
    m_front_cache.push(block, size);
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
    // Each block leaves the cache before it is freed, so that a flush started by
    // the trimming inside a free finds the cache as it is.
    bool nested = m_flushing_front_cache;
    m_flushing_front_cache = true;
    size_t block_size = 0;
    while (MEM_BLOCK* block = m_front_cache.pop_any(&block_size)) {
        free_cached_block(block, block_size);
    }
    m_flushing_front_cache = nested;
}

void MEM_SEGMENT_INTERNAL::flush_front_cache_of(MEM_MEGA_PAGE* page) {
    if (page->m_cached_blocks == 0) {
        return;
    }
    bool nested = m_flushing_front_cache;
    m_flushing_front_cache = true;
    m_front_cache.take_range(page->head(), page->tail(), [this](MEM_BLOCK* block, size_t size) {
        free_cached_block(block, size);
    });
    m_flushing_front_cache = nested;
}
