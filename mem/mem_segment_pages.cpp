// How a segment finds, obtains, keeps and gives back its mega pages: the
// working set and the trimmed (locked) pages, the global pool, the one cached
// empty page, and the trimming of the working set.
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <algorithm>

namespace {

MEM_MEGA_PAGE* as_page(MEM_SPLAY_HEAP_NODE* node) {
    return static_cast<MEM_MEGA_PAGE*>(node);
}

// Largest value among the nodes of a heap that lie below `address`, once the
// heap has been splayed at that address.
size_t largest_below(MEM_SPLAY_HEAP_NODE const* root, uintptr_t address) {
    if (root == nullptr) {
        return 0;
    }
    if (root->m_start < address) {
        return std::max(root->m_size, root->m_left_max);
    }
    return root->m_left_max;
}

// The lowest-addressed segment with a trimmed page that has a free block of at
// least `size` bytes, or null. Requires mem_critical_section (the list).
MEM_SEGMENT_INTERNAL* lowest_segment_with_trimmed_page(size_t size) {
    MEM_SEGMENT_INTERNAL* lowest = nullptr;
    for (MEM_SEGMENT_INTERNAL* s = MEM_SEGMENT_INTERNAL::s_segment_list; s != nullptr;
         s = s->next_segment()) {
        if (s->locked_max() >= size && (lowest == nullptr || s < lowest)) {
            lowest = s;
        }
    }
    return lowest;
}

} // namespace

void MEM_SEGMENT_INTERNAL::recompute_trim_values() {
    // Another segment that takes a trimmed page recomputes them under the lock,
    // while the owner reads them without it.
    __atomic_store_n(&m_trim_threshold, m_raw_bytes / 8 + TRIM_THRESHOLD_BASE, __ATOMIC_RELAXED);
    __atomic_store_n(&m_trim_target, m_raw_bytes / 8 + TRIM_TARGET_BASE, __ATOMIC_RELAXED);
}

void MEM_SEGMENT_INTERNAL::update_low_utilization_mega_page_list(MEM_MEGA_PAGE* page) {
    if (m_low_utilization_mega_page_list == page) {
        return;
    }
    unlink_low_utilization(page);
    page->m_next_low_utilization_mega_page = m_low_utilization_mega_page_list;
    if (m_low_utilization_mega_page_list != nullptr) {
        m_low_utilization_mega_page_list->m_prev_low_utilization_mega_page = page;
    } else {
        m_low_utilization_mega_page_list_tail = page;
    }
    m_low_utilization_mega_page_list = page;
}

void MEM_SEGMENT_INTERNAL::unlink_low_utilization(MEM_MEGA_PAGE* page) {
    MEM_MEGA_PAGE* prev = page->m_prev_low_utilization_mega_page;
    MEM_MEGA_PAGE* next = page->m_next_low_utilization_mega_page;
    bool listed = prev != nullptr || m_low_utilization_mega_page_list == page;
    if (!listed) {
        return;
    }
    if (prev != nullptr) {
        MEM_ASSERT(prev->m_next_low_utilization_mega_page == page);
        prev->m_next_low_utilization_mega_page = next;
    } else {
        m_low_utilization_mega_page_list = next;
    }
    if (next != nullptr) {
        next->m_prev_low_utilization_mega_page = prev;
    } else {
        m_low_utilization_mega_page_list_tail = prev;
    }
    page->m_next_low_utilization_mega_page = page->m_prev_low_utilization_mega_page = nullptr;
}

void MEM_SEGMENT_INTERNAL::update_locked_max() {
    MEM_ASSERT(m_locked_heap_section.is_locked());
    __atomic_store_n(&m_locked_max, m_locked_heap == nullptr ? 0 : m_locked_heap->get_max_size(),
                     __ATOMIC_RELAXED);
}

void MEM_SEGMENT_INTERNAL::move_to_working_set(MEM_MEGA_PAGE* page) {
    MEM_ASSERT(m_locked_heap_section.is_locked());
    MEM_ASSERT(!page->m_in_working_set);
    m_locked_heap = MEM_SPLAY_HEAP::delete_node(m_locked_heap, page);
    m_thread_heap = MEM_SPLAY_HEAP::insert_node(m_thread_heap, page);
    __atomic_store_n(&page->m_in_working_set, true, __ATOMIC_RELEASE);
    page->m_locked_below = MEM_MEGA_PAGE::LOCKED_BELOW_UNKNOWN;
    m_number_of_free_bytes_in_working_set += page->m_mega_page_number_of_free_bytes;
    update_locked_max();
}

MEM_MEGA_PAGE* MEM_SEGMENT_INTERNAL::find_first_mega_page(size_t size) {
    if (m_thread_heap == nullptr) {
        return nullptr;
    }
    MEM_MEGA_PAGE* root = as_page(m_thread_heap);
    if (root->m_left_max >= size || root->m_size < size) {
        m_thread_heap = MEM_SPLAY_HEAP::find_size(m_thread_heap, size);
        root = as_page(m_thread_heap);
    }
    // A trimmed page at a lower address that fits is taken instead, so that the
    // segment keeps to first fit by address.
    if (size <= root->m_locked_below) {
        MEM_LOCK section(m_locked_heap_section);
        if (m_locked_heap == nullptr) {
            root->m_locked_below = 0;
        } else {
            m_locked_heap = MEM_SPLAY_HEAP::find_size(m_locked_heap, size);
            MEM_MEGA_PAGE* locked = as_page(m_locked_heap);
            if (locked->m_size >= size && locked->m_start < root->m_start) {
                move_to_working_set(locked);
                root = locked;
            } else {
                m_locked_heap = MEM_SPLAY_HEAP_NODE::find_address(m_locked_heap, root->m_start);
                root->m_locked_below = largest_below(m_locked_heap, root->m_start);
            }
        }
    }
    if (size > root->m_size) {
        return nullptr;
    }
    update_low_utilization_mega_page_list(root);
    return root;
}

MEM_MEGA_PAGE* MEM_SEGMENT_INTERNAL::acquire_mega_page_from_global_pool(size_t size) {
    MEM_MEGA_PAGE* fresh = nullptr;
    MEM_MEGA_PAGE* page = take_mega_page(size, &fresh);
    mem_segment_record_due_peaks();
    if (page != nullptr) {
        return page;
    }
    if (fresh == nullptr) {
        return nullptr;
    }
    // Nobody else touches a fresh page of the working set: it is filled
    // without holding up the other threads.
    fresh->fill_fresh_free_space();
    return find_first_mega_page(size);
}

MEM_MEGA_PAGE* MEM_SEGMENT_INTERNAL::take_mega_page(size_t size, MEM_MEGA_PAGE** fresh) {
    MEM_SEGMENT_INTERNAL& pool = mem_global_mega_page_pool_segment;
    MEM_ASSERT(this != &mem_global_mega_page_pool_segment);
    MEM_LOCK lock;
    pool.free_interthread_delete_queue();
    MEM_MEGA_PAGE* page = pool.find_first_mega_page(size);
    if (page == nullptr) {
        // The lowest segment holding a trimmed page that fits gives it up.
        if (MEM_SEGMENT_INTERNAL* owner = lowest_segment_with_trimmed_page(size)) {
            if (owner == this) {
                MEM_LOCK section(m_locked_heap_section);
                m_locked_heap = MEM_SPLAY_HEAP::find_size(m_locked_heap, size);
                if (m_locked_heap != nullptr && m_locked_heap->m_size >= size) {
                    move_to_working_set(as_page(m_locked_heap));
                    return find_first_mega_page(size);
                }
            } else {
                page = owner->give_up_trimmed_page(size);
            }
        }
    }
    if (page == nullptr) {
        page = MEM_MEGA_PAGE::allocate_mega_page(size, MEM_MEGA_PAGE::DEFAULT_MEGA_PAGE_SIZE);
        if (page == nullptr) {
            return nullptr;
        }
        MEM_ASSERT(page->m_size == size || size <= MEM_MEGA_PAGE::DEFAULT_MEGA_PAGE_SIZE);
        add_mega_page_to_segment(page);
        *fresh = page;
        return nullptr;
    }
    add_mega_page_to_segment(page);
    return find_first_mega_page(size);
}

MEM_MEGA_PAGE* MEM_SEGMENT_INTERNAL::give_up_trimmed_page(size_t size) {
    MEM_ASSERT(mem_critical_section.is_locked());
    // Held until the page is out of this segment: meanwhile the owner cannot
    // take it back into its working set.
    MEM_LOCK section(m_locked_heap_section);
    m_locked_heap = MEM_SPLAY_HEAP::find_size(m_locked_heap, size);
    if (m_locked_heap == nullptr || m_locked_heap->m_size < size) {
        return nullptr;
    }
    MEM_MEGA_PAGE* page = as_page(m_locked_heap);
    remove_mega_page_from_segment(page);
    return page;
}

void MEM_SEGMENT_INTERNAL::add_mega_page_to_segment(MEM_MEGA_PAGE* page) {
    if (page->m_segment == this) {
        return;
    }
    if (page->m_segment != nullptr) {
        page->m_segment->remove_mega_page_from_segment(page);
    }
    ++m_number_of_mega_pages;
    // The owner reads it without the lock (locked_allocate).
    __atomic_store_n(&m_raw_bytes, m_raw_bytes + page->m_raw_mega_page_size, __ATOMIC_RELAXED);
    recompute_trim_values();
    // Named the owner before it is marked as in the working set (see the front
    // cache's ownership test).
    __atomic_store_n(&page->m_segment, this, __ATOMIC_SEQ_CST);
    page->m_segment_id = m_id;
    page->m_prev_mega_page = nullptr;
    page->m_next_mega_page = m_mega_page_list;
    if (m_mega_page_list != nullptr) {
        m_mega_page_list->m_prev_mega_page = page;
    }
    m_mega_page_list = page;
    m_thread_heap = MEM_SPLAY_HEAP::insert_node(m_thread_heap, page);
    m_number_of_free_bytes_in_working_set += page->m_mega_page_number_of_free_bytes;
    __atomic_store_n(&page->m_in_working_set, true, __ATOMIC_RELEASE);
    page->m_locked_below = MEM_MEGA_PAGE::LOCKED_BELOW_UNKNOWN;
    update_low_utilization_mega_page_list(page);
}

void MEM_SEGMENT_INTERNAL::remove_mega_page_from_segment(MEM_MEGA_PAGE* page) {
    MEM_ASSERT(mem_critical_section.is_locked());
    MEM_ASSERT(page->m_segment == this);
    MEM_LOCK section(m_locked_heap_section);
    if (page->m_in_working_set) {
        m_thread_heap = MEM_SPLAY_HEAP::delete_node(m_thread_heap, page);
        MEM_ASSERT(as_page(m_thread_heap) != page);
        m_number_of_free_bytes_in_working_set -= page->m_mega_page_number_of_free_bytes;
        unlink_low_utilization(page);
        if (m_cached_mega_page == page) {
            m_cached_mega_page = nullptr;
        }
    } else {
        // A trimmed page, possibly taken by another thread: the cached page is
        // never among them (trim_working_set), so the owner's unlocked fields
        // stay untouched.
        m_locked_heap = MEM_SPLAY_HEAP::delete_node(m_locked_heap, page);
        MEM_ASSERT(as_page(m_locked_heap) != page);
        update_locked_max();
    }
    if (page->m_prev_mega_page != nullptr) {
        page->m_prev_mega_page->m_next_mega_page = page->m_next_mega_page;
    } else {
        m_mega_page_list = page->m_next_mega_page;
    }
    if (page->m_next_mega_page != nullptr) {
        page->m_next_mega_page->m_prev_mega_page = page->m_prev_mega_page;
    }
    page->m_next_mega_page = page->m_prev_mega_page = nullptr;
    --m_number_of_mega_pages;
    __atomic_store_n(&m_raw_bytes, m_raw_bytes - page->m_raw_mega_page_size, __ATOMIC_RELAXED);
    recompute_trim_values();
    __atomic_store_n(&page->m_segment, nullptr, __ATOMIC_SEQ_CST);
}

void MEM_SEGMENT_INTERNAL::return_mega_page_to_global_pool(MEM_MEGA_PAGE* page) {
    MEM_LOCK lock;
    MEM_SEGMENT_INTERNAL& pool = mem_global_mega_page_pool_segment;
    if (page->m_segment != nullptr && page->m_segment != &pool) {
        page->m_segment->remove_mega_page_from_segment(page);
    }
    if (page->m_used_blocks != 0) {
        pool.add_mega_page_to_segment(page);
        return;
    }
    // An empty page: the pool keeps one ordinary page, the lower-addressed.
    MEM_MEGA_PAGE* cached = pool.m_cached_mega_page;
    if (cached == page) {
        return;
    }
    if (page->m_large || (cached != nullptr && cached < page)) {
        if (page->m_segment == &pool) {
            pool.remove_mega_page_from_segment(page);
        }
        MEM_MEGA_PAGE::deallocate_mega_page(page);
        return;
    }
    if (cached != nullptr) {
        pool.remove_mega_page_from_segment(cached);
        MEM_MEGA_PAGE::deallocate_mega_page(cached);
    }
    pool.add_mega_page_to_segment(page);
    pool.m_cached_mega_page = page;
}

void MEM_SEGMENT_INTERNAL::release_but_cache_mega_page(MEM_MEGA_PAGE* page) {
    if (this == &mem_global_mega_page_pool_segment) {
        return_mega_page_to_global_pool(page);
        return;
    }
    if (m_cached_mega_page != nullptr &&
        (m_cached_mega_page == page || m_cached_mega_page->m_used_blocks != 0)) {
        m_cached_mega_page = nullptr;
    }
    if (page->m_large) {
        return_mega_page_to_global_pool(page);
    } else if (m_cached_mega_page == nullptr) {
        m_cached_mega_page = page;
    } else {
        MEM_MEGA_PAGE* higher = std::max(page, m_cached_mega_page,
                                         [](auto* a, auto* b) { return a->m_start < b->m_start; });
        m_cached_mega_page = higher == page ? m_cached_mega_page : page;
        return_mega_page_to_global_pool(higher);
    }
}

void MEM_SEGMENT_INTERNAL::remove_all_mega_pages_from_segment() {
    MEM_ASSERT(this != &mem_global_mega_page_pool_segment);
    while (m_mega_page_list != nullptr) {
        return_mega_page_to_global_pool(m_mega_page_list);
    }
}

MEM_MEGA_PAGE* MEM_SEGMENT_INTERNAL::splay_heap(void const* address) {
    auto a = reinterpret_cast<uintptr_t>(address);
    MEM_MEGA_PAGE* page = nullptr;
    if (m_thread_heap != nullptr && m_thread_heap->covers(a)) {
        page = as_page(m_thread_heap);
    } else {
        m_thread_heap = MEM_SPLAY_HEAP_NODE::find_address(m_thread_heap, a);
        if (m_thread_heap != nullptr && m_thread_heap->covers(a)) {
            page = as_page(m_thread_heap);
        } else {
            // Another segment may take a trimmed page at any time: look under the
            // section that guards them.
            MEM_LOCK section(m_locked_heap_section);
            m_locked_heap = MEM_SPLAY_HEAP_NODE::find_address(m_locked_heap, a);
            if (m_locked_heap == nullptr || !m_locked_heap->covers(a)) {
                return nullptr;
            }
            page = as_page(m_locked_heap);
            move_to_working_set(page);
        }
    }
    update_low_utilization_mega_page_list(page);
    return page;
}

void MEM_SEGMENT_INTERNAL::trim_working_set() {
    // Pages leave the list as they are considered: with none left there is
    // nothing to trim until pages are used again.
    if (m_number_of_free_bytes_in_working_set <=
            __atomic_load_n(&m_trim_threshold, __ATOMIC_RELAXED) ||
        m_low_utilization_mega_page_list_tail == nullptr) {
        return;
    }
    // The frees of cached blocks going back into their pages trim nothing
    // themselves: the flush or trim they belong to goes on afterwards.
    if (m_flushing_front_cache) {
        return;
    }
    for (MEM_MEGA_PAGE* p = m_low_utilization_mega_page_list; p != nullptr;
         p = p->m_next_low_utilization_mega_page) {
        p->m_locked_below = MEM_MEGA_PAGE::LOCKED_BELOW_UNKNOWN;
    }
    size_t target = __atomic_load_n(&m_trim_target, __ATOMIC_RELAXED);
    while (m_number_of_free_bytes_in_working_set > target &&
           m_low_utilization_mega_page_list_tail != nullptr) {
        MEM_MEGA_PAGE* page = m_low_utilization_mega_page_list_tail;
        unlink_low_utilization(page);
        // Cached blocks keep a page in the working set (another segment may take
        // a trimmed page): this thread will hand them out again. (Sending the
        // whole cache back into its pages for the sake of one page would cost a
        // free through the pages for every cached block, at every trim.)
        if (page->m_cached_blocks != 0) {
            continue;
        }
        if (page == m_cached_mega_page) {
            // The cached page stays in the working set while it is empty:
            // another segment may take a trimmed page at any time, while this
            // thread decides without any lock what becomes of its cached page.
            if (page->m_used_blocks == 0) {
                continue;
            }
            m_cached_mega_page = nullptr; // in use again
        }
        if (page->m_mega_page_number_of_free_bytes > page->m_raw_mega_page_size / 8) {
            MEM_ASSERT(page->m_in_working_set);
            // Taken per page: handing an emptied page to the pool takes
            // the process-wide lock, which is never taken while holding this.
            MEM_LOCK section(m_locked_heap_section);
            m_thread_heap = MEM_SPLAY_HEAP::delete_node(m_thread_heap, page);
            m_locked_heap = MEM_SPLAY_HEAP::insert_node(m_locked_heap, page);
            __atomic_store_n(&page->m_in_working_set, false, __ATOMIC_RELEASE);
            m_number_of_free_bytes_in_working_set -= page->m_mega_page_number_of_free_bytes;
            update_locked_max();
        }
    }
}
