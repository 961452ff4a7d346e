// Segment life cycle, allocation on a segment, the inter-thread delete queue and
// the own heap's entry points for the allocation interface.
#include "mem/mem_segment.h"

#include "mem/mem_free_pattern.h"
#include "mem/mem_section_vm.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sched.h>
#include <unistd.h>

MEM_SEGMENT_INTERNAL* MEM_SEGMENT_INTERNAL::s_segment_list = nullptr;
size_t MEM_SEGMENT_INTERNAL::s_net_memory_overhead = 0;
size_t MEM_SEGMENT_INTERNAL::s_net_user_bytes = 0;

bool mem_do_segment_validation = false;

namespace {

// Storage for the two process-wide segments, constructed by initialize() and
// never destroyed (other static objects may still free memory at exit). The
// union keeps the references below constant-initialised.
union SEGMENT_STORAGE {
    constexpr SEGMENT_STORAGE() : bytes{} {}
    ~SEGMENT_STORAGE() {}
    MEM_SEGMENT_INTERNAL segment;
    unsigned char bytes[sizeof(MEM_SEGMENT_INTERNAL)];
};
SEGMENT_STORAGE internal_segment_storage;
SEGMENT_STORAGE global_pool_storage;

bool mem_initialized = false;
uint32_t mem_next_segment_id = 0;
// Storage of destroyed segments kept for reuse, each holding the next in its
// first word.
void* mem_free_segment_queue = nullptr;
MEM_SEGMENT_INTERNAL* mem_first_threads_segment = nullptr;

size_t rounded_request(size_t size) {
    return size == 0 ? 4 : (size + 3) & ~size_t(3);
}

} // namespace

__thread MEM_SEGMENT_INTERNAL* mem_threads_default_segment = nullptr;

MEM_SEGMENT_INTERNAL& mem_internal_segment = internal_segment_storage.segment;
MEM_SEGMENT_INTERNAL& mem_global_mega_page_pool_segment = global_pool_storage.segment;

MEM_SEGMENT_INTERNAL::MEM_SEGMENT_INTERNAL() : m_id(++mem_next_segment_id) {
    m_locked_heap_section.initialize();
    m_next_segment = s_segment_list;
    if (s_segment_list != nullptr) {
        s_segment_list->m_prev_segment = this;
    }
    s_segment_list = this;
}

MEM_SEGMENT_INTERNAL::~MEM_SEGMENT_INTERNAL() {
    MEM_LOCK lock;
    free_interthread_delete_queue();
    flush_front_cache();
    validate(nullptr, 0);
    bool is_pool = this == &mem_global_mega_page_pool_segment;
    if (!is_pool) {
        remove_all_mega_pages_from_segment();
        // Blocks pushed by threads that still saw this segment as their page's
        // owner go on to the pages' new owners.
        wait_for_pushes();
        free_interthread_delete_queue();
    }
    validate(nullptr, 0);
    if (!is_pool) {
        MEM_ASSERT(m_number_of_free_bytes_in_working_set == 0);
    }
    if (m_prev_segment != nullptr) {
        m_prev_segment->m_next_segment = m_next_segment;
    } else {
        s_segment_list = m_next_segment;
    }
    if (m_next_segment != nullptr) {
        m_next_segment->m_prev_segment = m_prev_segment;
    }
    s_net_user_bytes += m_user_bytes;
    s_net_memory_overhead += m_overhead_bytes;
    m_user_bytes = m_overhead_bytes = 0;
    m_locked_heap_section.destroy();
}

void* MEM_SEGMENT_INTERNAL::allocate(size_t size, MEM_TRACKER_DATA* tracker) {
    if (size > MAX_REQUEST) {
        mem_internal_error(__FILE__, __LINE__, "Attempting to allocate %zu bytes", size);
    }
    size_t r = rounded_request(size);
    free_interthread_delete_queue();
    void* user = allocate_cached(r, tracker);
    if (user == nullptr) {
        // The sizes cached are not the sizes asked for when the cache outgrows the
        // live blocks: half of its blocks go back into their pages, to serve any
        // size.
        if (m_front_cache.bytes() > std::max(MEM_FRONT_CACHE::KEPT_BYTES, m_user_bytes)) {
            return_cached_blocks(false);
        }
        user = allocate_from_run(r, tracker);
    }
    if (user == nullptr) {
        user = locked_allocate(nullptr, 0, r, tracker);
    }
    mem_zero_checking_free_pattern(tracker, user, r);
    return user;
}

void* MEM_SEGMENT_INTERNAL::locked_allocate(char const* old, size_t old_size, size_t size,
                                            MEM_TRACKER_DATA* tracker) {
    if (size > MAX_REQUEST) {
        mem_internal_error(__FILE__, __LINE__, "Attempting to allocate %zu bytes", size);
    }
    size_t block_size = mem_block_size_for(size);
    MEM_MEGA_PAGE* page = find_first_mega_page(block_size);
    // When the cache holds a good part of the segment's memory, half of it goes
    // back into its pages before the segment grows. (Not while a block is being moved: its
    // old contents lie in freed space.)
    if (page == nullptr && old == nullptr &&
        m_front_cache.bytes() > __atomic_load_n(&m_raw_bytes, __ATOMIC_RELAXED) /
                                    MEM_FRONT_CACHE::SHARE_BEFORE_GROWTH) {
        return_cached_blocks(false);
        page = find_first_mega_page(block_size);
    }
    if (page == nullptr) {
        page = acquire_mega_page_from_global_pool(block_size);
    }
    if (page == nullptr) {
        mem_out_of_memory();
    }
    MEM_BLOCK* block = page->allocate_block(this, old, old_size, block_size, tracker);
    page->set_request_size(block, size);
    m_user_bytes += size;
    m_overhead_bytes += block_size - size;
    // The manager's own bookkeeping is never tracked.
    if (this != &mem_internal_segment &&
        mem_segment_track_allocation(tracker, size, block->user())) {
        block->m_type = MEM_BLOCK::USED_CHARGED;
    }
    if (mem_do_segment_validation) {
        validate(block, block_size);
    }
    return block->user();
}

bool MEM_SEGMENT_INTERNAL::release_block(MEM_MEGA_PAGE* page, void* user) {
    MEM_BLOCK* block = MEM_BLOCK::from_user(user);
    if (cache_block(page, block)) {
        return true;
    }
    if (mem_do_segment_validation && !m_front_cache.empty()) {
        flush_front_cache();
    }
    if (!mem_heap_owns(this, page, user)) {
        return false;
    }
    page->reallocate_or_free_block(this, block, 0, nullptr);
    return true;
}

void MEM_SEGMENT_INTERNAL::add_to_interthread_delete_queue(void* user) {
    // The first attempt takes the queue for empty: a compare-and-swap that fails
    // still fetches the head's line for writing and yields the head, where a
    // read first would fetch the line twice (to read it, then to write it).
    void* head = nullptr;
    do {
        *static_cast<void**>(user) = head;
    } while (!__atomic_compare_exchange_n(&m_interthread_delete_queue, &head, user, false,
                                          __ATOMIC_RELEASE, __ATOMIC_RELAXED));
}

// A pusher names the segment it pushes to (in its own segment, which no other
// thread writes) before it reads the page's owner, and the segment being
// destroyed names the pages' new owners before it reads the pushers' names: one
// of the two sees the other.
bool MEM_SEGMENT_INTERNAL::push_if_owner(MEM_SEGMENT_INTERNAL* pusher, MEM_MEGA_PAGE* page,
                                         void* user) {
    __atomic_store_n(&pusher->m_pushing_to, this, __ATOMIC_SEQ_CST);
    bool owner = __atomic_load_n(&page->m_segment, __ATOMIC_SEQ_CST) == this;
    if (owner) {
        add_to_interthread_delete_queue(user);
    }
    __atomic_store_n(&pusher->m_pushing_to, nullptr, __ATOMIC_RELEASE);
    return owner;
}

void MEM_SEGMENT_INTERNAL::wait_for_pushes() const {
    MEM_ASSERT(mem_critical_section.is_locked());
    // Every pusher is a listed segment: a thread's own, or one draining its queue.
    for (MEM_SEGMENT_INTERNAL const* s = s_segment_list; s != nullptr; s = s->m_next_segment) {
        while (__atomic_load_n(&s->m_pushing_to, __ATOMIC_SEQ_CST) == this) {
            sched_yield();
        }
    }
}

void MEM_SEGMENT_INTERNAL::drain_interthread_delete_queue() {
    void* user = __atomic_exchange_n(&m_interthread_delete_queue, nullptr, __ATOMIC_ACQUIRE);
    while (user != nullptr) {
        void* next = *static_cast<void**>(user);
        // The queued blocks were last written by other threads: the next one's
        // link (and mostly its header, on the same line) is fetched while this
        // one is freed.
        __builtin_prefetch(next, 1);
        MEM_MEGA_PAGE* page = mem_get_mega_page_from_address(user);
        if (!release_block(page, user)) {
            page->add_to_interthread_delete_queue(this, user); // the page has moved meanwhile
        }
        user = next;
    }
}

void MEM_MANAGER_INTERNAL::initialize() {
    if (mem_initialized) {
        return;
    }
    mem_initialized = true;
    mem_os_page_size = static_cast<size_t>(getpagesize());
    new (&internal_segment_storage.segment) MEM_SEGMENT_INTERNAL();
    new (&global_pool_storage.segment) MEM_SEGMENT_INTERNAL();
    mem_critical_section.initialize();
}

MEM_SEGMENT_INTERNAL* MEM_MANAGER_INTERNAL::create_default_segment() {
    initialize();
    MEM_LOCK lock;
    void* place = mem_free_segment_queue;
    if (place != nullptr) {
        mem_free_segment_queue = *static_cast<void**>(place);
    } else {
        place = mem_internal_persistent_chunk_alloc(sizeof(MEM_SEGMENT_INTERNAL));
    }
    auto* segment = new (place) MEM_SEGMENT_INTERNAL();
    segment->enable_front_cache();
    if (mem_first_threads_segment == nullptr) {
        mem_first_threads_segment = segment;
    }
    mem_threads_default_segment = segment;
    return segment;
}

void MEM_MANAGER_INTERNAL::end_thread_segment() {
    MEM_SEGMENT_INTERNAL* segment = mem_threads_default_segment;
    if (segment == nullptr) {
        return;
    }
    MEM_LOCK lock;
    segment->free_interthread_delete_queue();
    segment->flush_front_cache();
    if (segment == mem_first_threads_segment) {
        return;
    }
    mem_threads_default_segment = nullptr;
    segment->~MEM_SEGMENT_INTERNAL();
    void* place = segment;
    *static_cast<void**>(place) = mem_free_segment_queue;
    mem_free_segment_queue = place;
    // Blocks released into the pages the pool took over (from this thread or
    // earlier ones) are freed now, so that emptied pages go back to the system
    // without waiting for the next page request.
    mem_global_mega_page_pool_segment.free_interthread_delete_queue();
}

MEM_MEGA_PAGE* mem_heap_page_of(void const* user) {
    MEM_MEGA_PAGE* page = mem_get_mega_page_from_address(user);
    if (page == nullptr || static_cast<char const*>(user) <= page->m_lookup_head) {
        return nullptr;
    }
    return page;
}

bool mem_heap_owns(MEM_SEGMENT_INTERNAL* segment, MEM_MEGA_PAGE* page, void const* user) {
    // A page of another segment may change hands meanwhile (under the manager's
    // lock); the owner of `segment` is the only one that moves a page to it.
    return __atomic_load_n(&page->m_segment, __ATOMIC_ACQUIRE) == segment &&
           segment->splay_heap(user) == page;
}
