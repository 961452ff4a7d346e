#include "mem/mem_section.h"

#include "mem/mem_free_pattern.h"
#include "mem/mem_section_vm.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// Records of unmapped pages, chained through m_next_mega_page.
MEM_MEGA_PAGE* mem_free_mega_page_queue = nullptr;

constexpr size_t kFirstBlockOffset = 12; // puts every later header 12 past a 16-byte boundary
constexpr size_t kArraysOffset = 16;
constexpr size_t kEndBlockSize = 4;

size_t round_up(size_t value, size_t unit) {
    return (value + unit - 1) / unit * unit;
}

uint32_t heap_base_for(uint32_t pages) {
    uint32_t base = 1;
    while (base < pages) {
        base <<= 1;
    }
    return base;
}

// Bytes of the bookkeeping arrays: the heap (2 x base entries, so that the
// padding leaves are real zero entries), the large-size table and the list heads.
size_t arrays_bytes(uint32_t pages, uint32_t base) {
    return round_up(sizeof(uint32_t) * (2 * size_t(base) + pages), sizeof(void*)) +
           sizeof(MEM_BLOCK*) * pages;
}

size_t bookkeeping_block_size(uint32_t pages) {
    return round_up(4 + arrays_bytes(pages, heap_base_for(pages)), 16);
}

// Mapped bytes a page of `size` bytes needs to hold one block of `request` bytes.
size_t bytes_needed(size_t size, size_t request) {
    uint32_t pages = static_cast<uint32_t>(size / MEM_MEGA_PAGE::PAGE_SIZE);
    return kFirstBlockOffset + bookkeeping_block_size(pages) + request + kEndBlockSize;
}

} // namespace

void MEM_BLOCK::report_not_used() const {
    if (!is_used() || word() == MEM_FREE_PATTERN) {
        mem_internal_error(__FILE__, __LINE__,
                           "Attempting to free or serialize a non-allocated block at: 0x%p\n",
                           static_cast<void const*>(this));
    }
    if (m_guard != MEM_GUARD_PATTERN) {
        mem_internal_error(__FILE__, __LINE__, "Bad begin guard at: 0x%p\n",
                           static_cast<void const*>(this));
    }
}

MEM_MEGA_PAGE* MEM_MEGA_PAGE::allocate_mega_page(size_t request, size_t preferred) {
    MEM_ASSERT(mem_critical_section.is_locked());
    size_t size = SMALLEST_MEGA_PAGE_SIZE;
    while (bytes_needed(size, request) > size) {
        size = round_up(bytes_needed(size, request), 0x10000);
    }
    bool large = size > preferred;
    size_t actual = 0;
    char* head = static_cast<char*>(
        mem_aligned_valloc(size, large ? size : std::max(preferred, size), 0x10000, &actual));
    if (head == nullptr) {
        return nullptr;
    }

    void* record = mem_free_mega_page_queue;
    if (record != nullptr) {
        mem_free_mega_page_queue = mem_free_mega_page_queue->m_next_mega_page;
    } else {
        record = mem_internal_persistent_chunk_alloc(sizeof(MEM_MEGA_PAGE));
    }
    auto* page = new (record) MEM_MEGA_PAGE();
    page->m_start = reinterpret_cast<uintptr_t>(head);
    page->m_lookup_head = head;
    page->m_end = reinterpret_cast<uintptr_t>(head + actual);
    MEM_ASSERT((page->m_end & 0xFFFF) == 0);
    page->m_number_of_pages = static_cast<uint32_t>(actual / PAGE_SIZE);
    page->m_heap_base = heap_base_for(page->m_number_of_pages);
    page->m_large = large;
    page->m_raw_mega_page_size = actual;
    page->m_locked_below = LOCKED_BELOW_UNKNOWN;

    // The arrays of a fresh mapping are already zero.
    char* arrays = head + kArraysOffset;
    page->m_page_max_free_block_size_heap = reinterpret_cast<uint32_t*>(arrays);
    page->m_page_max_free_block_size_array =
        page->m_page_max_free_block_size_heap + page->m_heap_base;
    page->m_page_large_block_size_array =
        page->m_page_max_free_block_size_heap + 2 * size_t(page->m_heap_base);
    page->m_page_first_free_block_array = reinterpret_cast<MEM_BLOCK**>(
        arrays +
        round_up(sizeof(uint32_t) * (2 * size_t(page->m_heap_base) + page->m_number_of_pages),
                 sizeof(void*)));

    size_t blocks_bytes = actual - kFirstBlockOffset - kEndBlockSize;
    size_t bookkeeping =
        large ? blocks_bytes - request : bookkeeping_block_size(page->m_number_of_pages);
    size_t free_size = blocks_bytes - bookkeeping;
    page->m_first_block = reinterpret_cast<MEM_BLOCK*>(head + kFirstBlockOffset);
    page->m_last_block = reinterpret_cast<MEM_BLOCK*>(head + actual - kEndBlockSize);
    page->write_header(page->m_first_block, bookkeeping, MEM_BLOCK::USED);
    page->write_header(page->m_last_block, kEndBlockSize, MEM_BLOCK::USED);
    auto* free_block = reinterpret_cast<MEM_BLOCK*>(head + kFirstBlockOffset + bookkeeping);
    page->write_header(free_block, free_size, MEM_BLOCK::FREE);
    page->link_free_block(free_block, free_size);
    page->m_mega_page_number_of_free_bytes = free_size;
    page->m_overhead_bytes = actual - free_size;
    MEM_SEGMENT_INTERNAL::s_net_memory_overhead += page->m_overhead_bytes;
    mem_set_mega_page_for_range(page->head(), page->tail(), page);
    return page;
}

void MEM_MEGA_PAGE::fill_fresh_free_space() {
    if (mem_check_memory) {
        // The fill writes every OS page of the mapping: they are faulted in with
        // one call rather than one fault each (older kernels refuse the advice;
        // the fill then faults them in).
        madvise(head(), m_raw_mega_page_size, MADV_POPULATE_WRITE);
        MEM_BLOCK* free_block = next_block_after(m_first_block);
        mem_fill_free_pattern(free_block->user(), block_size(free_block) - 4);
    }
}

void MEM_MEGA_PAGE::deallocate_mega_page(MEM_MEGA_PAGE* page) {
    MEM_ASSERT(mem_critical_section.is_locked());
    mem_set_mega_page_for_range(page->head(), page->tail(), nullptr);
    MEM_SEGMENT_INTERNAL::s_net_memory_overhead -= page->m_overhead_bytes;
    mem_vfree(page->head(), page->m_raw_mega_page_size);
    page->m_next_mega_page = mem_free_mega_page_queue;
    mem_free_mega_page_queue = page;
}

void MEM_MEGA_PAGE::write_header(MEM_BLOCK* block, size_t size, MEM_BLOCK::BLOCK_TYPE type,
                                 uint32_t link) {
    block->set_word(MEM_BLOCK::make_word(link, type, size));
    if (size >= PAGE_SIZE) {
        m_page_large_block_size_array[sub_page_of(block)] = static_cast<uint32_t>(size);
    }
}

void MEM_MEGA_PAGE::set_next_free(MEM_BLOCK* block, MEM_BLOCK* next) const {
    if (next == nullptr) {
        block->m_link = 0;
        return;
    }
    ptrdiff_t distance =
        reinterpret_cast<char*>(next) - (reinterpret_cast<char*>(block) + block_size(block));
    MEM_ASSERT(distance > 0 && distance < ptrdiff_t(PAGE_SIZE));
    block->m_link = static_cast<uint32_t>(distance);
}

void MEM_MEGA_PAGE::report_bad_free_entry(MEM_BLOCK const* block) {
    if (block->m_guard != MEM_GUARD_PATTERN) {
        mem_internal_error(__FILE__, __LINE__, "Bad begin guard at: 0x%p\n",
                           static_cast<void const*>(block));
    }
    MEM_ASSERT(block->m_type == MEM_BLOCK::FREE);
}

MEM_BLOCK* MEM_MEGA_PAGE::list_predecessor(uint32_t sub_page, MEM_BLOCK const* block) const {
    MEM_BLOCK* previous = nullptr;
    for (MEM_BLOCK* b = m_page_first_free_block_array[sub_page]; b != nullptr && b < block;
         b = next_free(b)) {
        check_free_entry(b);
        previous = b;
    }
    return previous;
}

void MEM_MEGA_PAGE::link_free_block(MEM_BLOCK* block, size_t size) {
    uint32_t sub_page = sub_page_of(reinterpret_cast<char*>(block) + size);
    MEM_BLOCK* previous = list_predecessor(sub_page, block);
    MEM_BLOCK* next =
        previous != nullptr ? next_free(previous) : m_page_first_free_block_array[sub_page];
    set_next_free(block, next);
    if (previous != nullptr) {
        set_next_free(previous, block);
    } else {
        m_page_first_free_block_array[sub_page] = block;
    }
    if (size > m_page_max_free_block_size_array[sub_page]) {
        update_heap(sub_page, static_cast<uint32_t>(size));
    }
}

void MEM_MEGA_PAGE::unlink_free_block(uint32_t sub_page, MEM_BLOCK* previous, MEM_BLOCK* block) {
    MEM_BLOCK* next = next_free(block);
    if (previous != nullptr) {
        set_next_free(previous, next);
    } else {
        m_page_first_free_block_array[sub_page] = next;
    }
}

void MEM_MEGA_PAGE::update_heap(uint32_t sub_page) {
    size_t largest = 0;
    for (MEM_BLOCK* b = m_page_first_free_block_array[sub_page]; b != nullptr; b = next_free(b)) {
        largest = std::max(largest, block_size(b));
    }
    update_heap(sub_page, static_cast<uint32_t>(largest));
}

void MEM_MEGA_PAGE::update_heap(uint32_t sub_page, uint32_t value) {
    uint32_t* heap = m_page_max_free_block_size_heap;
    uint32_t entry = m_heap_base + sub_page;
    heap[entry] = value;
    for (; entry > 1; entry /= 2) {
        uint32_t parent = entry / 2;
        uint32_t larger = std::max(heap[2 * parent], heap[2 * parent + 1]);
        if (heap[parent] == larger) {
            break;
        }
        heap[parent] = larger;
    }
    m_size = heap[1];
}

MEM_MEGA_PAGE::FIT MEM_MEGA_PAGE::first_fit(size_t size) const {
    uint32_t const* heap = m_page_max_free_block_size_heap;
    MEM_ASSERT(heap[1] >= size);

    // The lowest sub-page whose list holds a block that fits.
    uint32_t entry = 1;
    while (entry < m_heap_base) {
        entry = heap[2 * entry] >= size ? 2 * entry : 2 * entry + 1;
    }
    FIT fit;
    fit.end_page = entry - m_heap_base;
    MEM_ASSERT(fit.end_page < m_number_of_pages);
    fit.block = m_page_first_free_block_array[fit.end_page];
    for (;; fit.previous = fit.block, fit.block = next_free(fit.block)) {
        MEM_ASSERT(fit.block != nullptr);
        check_free_entry(fit.block);
        fit.size = block_size(fit.block);
        if (fit.size >= size) {
            return fit;
        }
        fit.passed_over = std::max(fit.passed_over, fit.size);
    }
}

MEM_BLOCK* MEM_MEGA_PAGE::split_cached(MEM_BLOCK* block, size_t size, size_t front) {
    if (front == size) {
        --m_cached_blocks;
        return nullptr;
    }
    ++m_used_blocks;
    auto* rest = reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + front);
    write_header(rest, size - front, MEM_BLOCK::FREE, MEM_BLOCK::CACHED_LINK);
    return rest;
}

MEM_BLOCK* MEM_MEGA_PAGE::allocate_block(MEM_SEGMENT_INTERNAL* segment, char const* old,
                                         size_t old_size, size_t size, MEM_TRACKER_DATA* tracker) {
    MEM_ASSERT(m_in_working_set);
    ++m_used_blocks;
    auto [end_page, previous, block, found_size, passed_over] = first_fit(size);

    if (old != nullptr) {
        size_t carried = std::min(old_size, size - 4);
        std::memmove(block->user(), old, carried);
        std::memset(block->user() + carried, 0, size - 4 - carried);
    }

    MEM_BLOCK* next = next_free(block);
    MEM_BLOCK* replacement = next;
    if (found_size > size) {
        // The tail stays free and takes the block's place in its list.
        replacement = reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + size);
        write_header(replacement, found_size - size, MEM_BLOCK::FREE);
        set_next_free(replacement, next);
    }
    if (previous != nullptr) {
        set_next_free(previous, replacement);
    } else {
        m_page_first_free_block_array[end_page] = replacement;
    }
    uint32_t old_maximum = m_page_max_free_block_size_array[end_page];
    if (found_size == old_maximum) {
        // The rest of the list decides, unless it holds another block as large.
        size_t maximum = std::max(passed_over, found_size - size);
        for (MEM_BLOCK* b = next; b != nullptr && maximum < old_maximum; b = next_free(b)) {
            maximum = std::max(maximum, block_size(b));
        }
        update_heap(end_page, static_cast<uint32_t>(maximum));
    }

    m_mega_page_number_of_free_bytes -= size;
    m_overhead_bytes += size;
    segment->m_number_of_free_bytes_in_working_set -= size;

    write_header(block, size, MEM_BLOCK::USED,
                 mem_segment_tracker_id(tracker) & MEM_BLOCK::TRACKER_ID_MASK);
    return block;
}

size_t MEM_MEGA_PAGE::request_size(MEM_BLOCK const* block) const {
    return block->request_in(block->word(), block_size(block));
}

void* MEM_MEGA_PAGE::reallocate_or_free_block(MEM_SEGMENT_INTERNAL* segment, MEM_BLOCK* block,
                                              size_t new_size, MEM_TRACKER_DATA* tracker) {
    MEM_ASSERT(static_cast<MEM_MEGA_PAGE*>(segment->m_thread_heap) == this);
    block->validate_used();
    size_t size = block_size(block);
    auto* after = reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + size);
    if (after->m_guard != MEM_GUARD_PATTERN) {
        mem_internal_error(__FILE__, __LINE__, "Bad end (begin) guard at: 0x%p (0x%p)\n",
                           static_cast<void*>(block), static_cast<void*>(after));
    }
    size_t request = request_size(block);
    if (block->m_type == MEM_BLOCK::USED_CHARGED) {
        mem_segment_track_free(block->tracker_id(), request, block->user());
    }
    segment->m_user_bytes -= request;
    segment->m_overhead_bytes -= size - request;
    m_mega_page_number_of_free_bytes += size;
    m_overhead_bytes -= size;
    segment->m_number_of_free_bytes_in_working_set += size;

    char* old_user = block->user();
    size_t old_user_size = request;

    // One walk of the list of the sub-page where the block starts: a free block
    // ending where this one starts is the last entry before it. Entries of any
    // later sub-page's list all lie after the block, so the block after it,
    // when free and listed elsewhere, heads its list, as will the merged block.
    uint32_t start_page = sub_page_of(block);
    MEM_BLOCK* before_previous = nullptr;
    MEM_BLOCK* before = nullptr;
    for (MEM_BLOCK* b = m_page_first_free_block_array[start_page]; b != nullptr && b < block;
         b = next_free(b)) {
        check_free_entry(b);
        before_previous = before;
        before = b;
    }
    MEM_BLOCK* start = block;
    size_t merged = size;
    MEM_BLOCK* list_previous = before; // the merged block's predecessor in the start list
    bool merged_before =
        before != nullptr &&
        reinterpret_cast<char*>(before) + block_size(before) == reinterpret_cast<char*>(block);
    if (merged_before) {
        unlink_free_block(start_page, before_previous, before);
        start = before;
        merged += block_size(before);
        list_previous = before_previous;
    }
    bool merged_after = after->is_listed_free();
    if (merged_after) {
        size_t after_size = block_size(after);
        uint32_t after_page = sub_page_of(reinterpret_cast<char*>(after) + after_size);
        unlink_free_block(after_page, after_page == start_page ? list_previous : nullptr, after);
        merged += after_size;
    }
    write_header(start, merged, MEM_BLOCK::FREE);
    uint32_t end_page = sub_page_of(reinterpret_cast<char*>(start) + merged);
    if (end_page == start_page && list_previous != nullptr) {
        set_next_free(start, next_free(list_previous));
        set_next_free(list_previous, start);
    } else {
        set_next_free(start, m_page_first_free_block_array[end_page]);
        m_page_first_free_block_array[end_page] = start;
    }
    if (merged > m_page_max_free_block_size_array[end_page]) {
        update_heap(end_page, static_cast<uint32_t>(merged));
    }
    if (merged_before && end_page != start_page) {
        update_heap(start_page);
    }

    void* result = nullptr;
    if (new_size != 0) {
        result = segment->locked_allocate(old_user, old_user_size, new_size, tracker);
    }

    if (mem_check_memory) {
        // Freed bytes that are no header of free space: the user area, the old
        // header when it merged into its predecessor and the absorbed header of
        // the next block; less what the new block (and the header of the free
        // tail after it) now occupies.
        char* fill_begin = merged_before ? reinterpret_cast<char*>(block) : old_user;
        char* fill_end = reinterpret_cast<char*>(after) + (merged_after ? 4 : 0);
        char* keep_begin = fill_end;
        char* keep_end = fill_end;
        if (result != nullptr && static_cast<char*>(result) > head() &&
            static_cast<char*>(result) < tail()) {
            MEM_BLOCK* fresh = MEM_BLOCK::from_user(result);
            keep_begin = reinterpret_cast<char*>(fresh);
            keep_end = keep_begin + block_size(fresh) + 4;
        }
        char* cut_begin = std::clamp(keep_begin, fill_begin, fill_end);
        char* cut_end = std::clamp(keep_end, fill_begin, fill_end);
        mem_fill_free_pattern(fill_begin, cut_begin - fill_begin);
        mem_fill_free_pattern(cut_end, fill_end - cut_end);
    }

    --m_used_blocks;
    if (mem_do_segment_validation) {
        segment->validate(nullptr, 0);
    }
    if (m_used_blocks == 0) {
        segment->release_but_cache_mega_page(this);
    } else if (new_size == 0) {
        segment->trim_working_set();
    }
    return result;
}

void MEM_MEGA_PAGE::add_to_interthread_delete_queue(MEM_SEGMENT_INTERNAL* pusher, void* user) {
    // The block's header is read and its first word written, mostly on one line
    // that its owner wrote last: fetched once, for writing.
    __builtin_prefetch(user, 1);
    // The block is released now as far as the counters go; its owner frees it later.
    MEM_BLOCK* block = MEM_BLOCK::from_user(user);
    if (block->m_type == MEM_BLOCK::USED_CHARGED) {
        mem_segment_track_free(block->tracker_id(), request_size(block), user);
        block->m_type = MEM_BLOCK::USED;
    }
    // A page moves between segments under the process-wide lock, with no owner
    // for a moment: the push goes to whichever segment owns it when it is made.
    for (;;) {
        MEM_SEGMENT_INTERNAL* owner = __atomic_load_n(&m_segment, __ATOMIC_ACQUIRE);
        if (owner != nullptr && owner->push_if_owner(pusher, this, user)) {
            return;
        }
        __builtin_ia32_pause();
    }
}

size_t MEM_MEGA_PAGE::msize(MEM_BLOCK const* block) const {
    block->validate_used();
    return request_size(block);
}

void MEM_MEGA_PAGE::check_free_pattern_slowly(MEM_TRACKER_DATA const* tracker, void* area,
                                              size_t size) {
    auto* bytes = static_cast<unsigned char*>(area);
    size_t first_bad = 0;
    while (first_bad < size && bytes[first_bad] == 0x88) {
        ++first_bad;
    }
    for (size_t i = first_bad; i < size; ++i) {
        bytes[i] = 0x88;
    }
    if (first_bad < size) {
        MEM_LOCK lock;
        mem_segment_report_free_memory_corruption(tracker, bytes + first_bad);
    }
}
