// The own heap checks itself: validation of mega pages and segments against
// every invariant of their blocks, free lists and heaps, guard checks, and text
// dumps of the heap block by block. Every failed check is an internal error.
#include "mem/mem_section.h"
#include "mem/mem_section_vm.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <ostream>

namespace {

void check_guard(MEM_BLOCK const* block) {
    if (block->m_guard != MEM_GUARD_PATTERN) {
        mem_internal_error(__FILE__, __LINE__, "Bad begin guard at: 0x%p\n",
                           static_cast<void const*>(block));
    }
}

char const* as_bytes(void const* p) {
    return static_cast<char const*>(p);
}

} // namespace

void MEM_MEGA_PAGE::validate(MEM_BLOCK const* alloc_block, size_t alloc_size) const {
    MEM_ASSERT(this == mem_get_mega_page_from_address(head()));
    MEM_ASSERT(this == mem_get_mega_page_from_address(tail() - 1));
    for (char const* ptr = head(); ptr < tail(); ptr += 0x10000) {
        MEM_ASSERT(this == mem_get_mega_page_from_address(ptr));
    }
    MEM_ASSERT(m_raw_mega_page_size == m_overhead_bytes + m_mega_page_number_of_free_bytes);

    // Free blocks in address order are the lists of sub-pages 0, 1, 2, ... one
    // after the other; `list` is the sub-page whose list is being matched.
    uint32_t list = 0;
    MEM_BLOCK const* next_free_block_on_page = m_page_first_free_block_array[0];
    size_t max_free_size = 0;
    auto finish_lists_before = [&](uint32_t page) {
        MEM_ASSERT(next_free_block_on_page == nullptr);
        MEM_ASSERT(m_page_max_free_block_size_array[list] == max_free_size);
        for (++list; list < page; ++list) {
            MEM_ASSERT(m_page_first_free_block_array[list] == nullptr);
            MEM_ASSERT(m_page_max_free_block_size_array[list] == 0);
        }
        next_free_block_on_page =
            page < m_number_of_pages ? m_page_first_free_block_array[page] : nullptr;
        max_free_size = 0;
    };

    size_t number_of_free_bytes = 0;
    size_t mega_page_size = 0;
    auto* block = const_cast<MEM_BLOCK*>(m_first_block);
    while (block != m_last_block) {
        MEM_ASSERT(block >= m_first_block && block <= m_last_block);
        check_guard(block);
        uint32_t block_page = sub_page_of(block);
        MEM_ASSERT(block_page < m_number_of_pages);
        size_t block_size = this->block_size(block);
        MEM_ASSERT(block->m_size != 0 || block_size >= PAGE_SIZE);
        MEM_ASSERT(block == m_first_block ||
                   ((reinterpret_cast<uintptr_t>(block) & 15) == 12 && block_size % 16 == 0));
        MEM_BLOCK* next_block = next_block_after(block);
        MEM_ASSERT(next_block >= m_first_block && next_block <= m_last_block);
        MEM_ASSERT(next_block > block);
        if (next_block->m_guard != MEM_GUARD_PATTERN) {
            mem_internal_error(__FILE__, __LINE__, "Bad end (begin) guard at: 0x%p (0x%p)\n",
                               static_cast<void*>(block), static_cast<void*>(next_block));
        }
        uint32_t end_page = sub_page_of(next_block);
        MEM_ASSERT(end_page < m_number_of_pages);
        // A block held in the segment's front cache reads as free but lies outside
        // the free lists: the walk takes it as it takes a used block.
        MEM_ASSERT(!(block->is_listed_free() && next_block->is_listed_free()));
        if (block->is_listed_free()) {
            MEM_ASSERT(block >= alloc_block || block_size < alloc_size);
            if (end_page != list) {
                finish_lists_before(end_page);
            }
            MEM_ASSERT(block == next_free_block_on_page);
            next_free_block_on_page = next_free(block);
            max_free_size = std::max(max_free_size, block_size);
            mega_page_size = std::max(mega_page_size, block_size);
            number_of_free_bytes += block_size;
        } else {
            MEM_ASSERT(block->is_used() || block->is_cached());
            MEM_ASSERT(next_free_block_on_page == nullptr || block < next_free_block_on_page);
            MEM_ASSERT(block == m_first_block || block->is_cached() ||
                       block_size - 4 - request_size(block) <= 12);
        }
        block = next_block;
    }
    MEM_ASSERT(m_last_block->is_used() && m_last_block->m_size == 4);
    finish_lists_before(m_number_of_pages);
    MEM_ASSERT(m_size == mega_page_size);
    MEM_ASSERT(m_mega_page_number_of_free_bytes == number_of_free_bytes);
    validate_page_heap(1);
}

void MEM_MEGA_PAGE::validate_page_heap(uint32_t entry) const {
    uint32_t const* heap = m_page_max_free_block_size_heap;
    if (entry >= m_heap_base) {
        uint32_t next_page = entry - m_heap_base;
        MEM_ASSERT(next_page < m_number_of_pages || heap[entry] == 0);
        MEM_ASSERT(next_page >= m_number_of_pages ||
                   m_page_max_free_block_size_array[next_page] == 0 ||
                   m_page_first_free_block_array[next_page] != nullptr);
        return;
    }
    uint32_t max_block_size = std::max(heap[2 * entry], heap[2 * entry + 1]);
    MEM_ASSERT(m_page_max_free_block_size_heap[entry] == max_block_size);
    validate_page_heap(2 * entry);
    validate_page_heap(2 * entry + 1);
}

void MEM_SEGMENT_INTERNAL::validate(MEM_BLOCK const* alloc_block, size_t alloc_size) {
    if (!mem_do_segment_validation) {
        return;
    }
    MEM_LOCK lock;
    MEM_LOCK section(m_locked_heap_section);
    MEM_ASSERT(locked_max() == (m_locked_heap == nullptr ? 0 : m_locked_heap->get_max_size()));
    size_t number_of_free_bytes_in_working_set = 0;
    uint32_t number_of_mega_pages = 0;
    for (MEM_MEGA_PAGE* mega_page = m_mega_page_list; mega_page != nullptr;
         mega_page = mega_page->m_next_mega_page) {
        MEM_ASSERT(mega_page->m_next_mega_page == nullptr ||
                   mega_page->m_next_mega_page->m_prev_mega_page == mega_page);
        MEM_ASSERT(mega_page->m_prev_mega_page == nullptr ||
                   mega_page->m_prev_mega_page->m_next_mega_page == mega_page);
        MEM_ASSERT(mega_page->m_segment == this);
        bool holds_alloc =
            as_bytes(alloc_block) > mega_page->head() && as_bytes(alloc_block) < mega_page->tail();
        mega_page->validate(holds_alloc ? alloc_block : nullptr, holds_alloc ? alloc_size : 0);
        if (mega_page->m_in_working_set) {
            number_of_free_bytes_in_working_set += mega_page->m_mega_page_number_of_free_bytes;
        }
        ++number_of_mega_pages;
    }
    MEM_ASSERT(number_of_free_bytes_in_working_set == m_number_of_free_bytes_in_working_set);
    MEM_ASSERT(number_of_mega_pages == m_number_of_mega_pages);
    long in_heaps =
        MEM_SPLAY_HEAP::verify_heap(m_thread_heap) + MEM_SPLAY_HEAP::verify_heap(m_locked_heap);
    MEM_ASSERT(in_heaps == static_cast<long>(m_number_of_mega_pages));
}

void MEM_SEGMENT_INTERNAL::check_memory_guards() {
    if (mem_internal_error_encountered) {
        return;
    }
    MEM_LOCK lock;
    for (MEM_MEGA_PAGE* page = m_mega_page_list; page != nullptr; page = page->m_next_mega_page) {
        page->validate(nullptr, 0);
    }
}

void MEM_MEGA_PAGE::dump(std::ostream& os, int subsystem) const {
    MEM_ASSERT(mem_critical_section.is_locked());
    if (subsystem <= 0) {
        os << "\n"
           << static_cast<void const*>(this) << "\tmega_page# " << std::hex
           << static_cast<void const*>(head()) << " " << static_cast<void const*>(tail()) << " 0X"
           << m_raw_mega_page_size << std::dec << " m_raw_size= " << m_raw_mega_page_size
           << " m_size= " << m_size << "\n";
    }
    for (auto* block = m_first_block; block != m_last_block; block = next_block_after(block)) {
        size_t size = block_size(block);
        if (block->m_type == MEM_BLOCK::FREE) {
            if (subsystem <= 0) {
                os << std::setw(6) << static_cast<void const*>(block) << "\tFREE \t" << size
                   << "\n";
            }
        } else if (block->is_used()) {
            if (subsystem <= 0 ||
                mem_segment_tracker_in_subsystem(block->tracker_id(), subsystem)) {
                os << std::setw(6) << static_cast<void const*>(block) << "\tUsed\t" << size << "\t"
                   << block->tracker_id() << "\n";
            }
        } else {
            os << std::setw(6) << static_cast<void const*>(block) << "\tRSRVD\t" << size << "\n";
        }
    }
}

void MEM_SEGMENT_INTERNAL::dump(std::ostream& os, int subsystem) {
    MEM_LOCK lock;
    os << "Address\t\t"
       << "Status "
       << "Bytes\t"
       << "(ClassID)\n";
    for (MEM_MEGA_PAGE* page = m_mega_page_list; page != nullptr; page = page->m_next_mega_page) {
        page->dump(os, subsystem);
    }
}

void MEM_SEGMENT_INTERNAL::dump(char const* file_name, int subsystem) {
    MEM_LOCK lock;
    std::ofstream os(file_name, std::ios::out | std::ios::trunc);
    dump(os, subsystem);
}

void MEM_MANAGER_INTERNAL::dump_all_segments(char const* file_name, int subsystem) {
    MEM_LOCK lock;
    std::ofstream os(file_name, std::ios::out | std::ios::trunc);
    for (MEM_SEGMENT_INTERNAL* segment = MEM_SEGMENT_INTERNAL::s_segment_list; segment != nullptr;
         segment = segment->next_segment()) {
        segment->dump(os, subsystem);
    }
}
