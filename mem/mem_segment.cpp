// Segment life cycle, allocation on a segment, the inter-thread delete queue and
// the own heap's entry points for the allocation interface.
#include "mem/mem_segment.h"

#include "mem/mem_section_vm.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"
#include "suite/threads/thr.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unistd.h>

MEM_SPLAY_HEAP_NODE* MEM_SEGMENT_INTERNAL::s_segment_heap = nullptr;
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

__attribute__((tls_model(
    "initial-exec"))) thread_local MEM_SEGMENT_INTERNAL* mem_threads_default_segment = nullptr;

size_t rounded_request(size_t size) {
    return size == 0 ? 4 : (size + 3) & ~size_t(3);
}

// Sixteen bytes handled as one value: the pattern check and the zeroing of a
// fresh block run over every byte of it, and word-at-a-time loops (or a string
// store, which the compiler picks for short variable lengths) made them the
// largest cost of an allocation.
typedef uint64_t MEM_VECTOR __attribute__((vector_size(16)));
constexpr MEM_VECTOR kPatternVector = {0x8888888888888888ull, 0x8888888888888888ull};

// Whether every word of [area, area + size) holds the free pattern (size a
// multiple of 4). Two running differences keep the loads independent.
bool holds_free_pattern(char const* area, size_t size) {
    MEM_VECTOR first = {0, 0};
    MEM_VECTOR second = {0, 0};
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        MEM_VECTOR a;
        MEM_VECTOR b;
        std::memcpy(&a, area + i, sizeof a);
        std::memcpy(&b, area + i + 16, sizeof b);
        first |= a ^ kPatternVector;
        second |= b ^ kPatternVector;
    }
    first |= second;
    uint64_t differences = first[0] | first[1];
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, area + i, sizeof w);
        differences |= w ^ 0x8888888888888888ull;
    }
    if (i < size) {
        uint32_t w;
        std::memcpy(&w, area + i, sizeof w);
        differences |= w ^ MEM_FREE_PATTERN;
    }
    return differences == 0;
}

// Zeroes [area, area + size) (size a multiple of 4) with plain stores.
void zero_area(char* area, size_t size) {
    constexpr MEM_VECTOR zero = {0, 0};
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        std::memcpy(area + i, &zero, sizeof zero);
    }
    for (; i < size; i += 4) {
        std::memset(area + i, 0, 4);
    }
}

// Zeroes the user area of a fresh block; with mem_check_memory on, every word
// must still hold the free pattern. One pass, a cache-sized piece at a time: at
// the first piece that does not, the bytes already zeroed get the pattern back
// and the area is reported.
void zero_checking_free_pattern(MEM_TRACKER_DATA const* tracker, void* user, size_t size) {
    auto* bytes = static_cast<char*>(user);
    if (!mem_check_memory) {
        zero_area(bytes, size);
        return;
    }
    constexpr size_t kPiece = 512;
    for (size_t done = 0; done < size; done += kPiece) {
        size_t n = std::min(kPiece, size - done);
        if (!holds_free_pattern(bytes + done, n)) {
            std::memset(bytes, 0x88, done);
            MEM_MEGA_PAGE::check_free_pattern_slowly(tracker, user, size);
            std::memset(user, 0, size);
            return;
        }
        zero_area(bytes + done, n);
    }
}

} // namespace

MEM_SEGMENT_INTERNAL& mem_internal_segment = internal_segment_storage.segment;
MEM_SEGMENT_INTERNAL& mem_global_mega_page_pool_segment = global_pool_storage.segment;

MEM_SEGMENT_INTERNAL::MEM_SEGMENT_INTERNAL() : m_id(++mem_next_segment_id) {
    m_start = reinterpret_cast<uintptr_t>(this);
    m_end = m_start + 16;
    m_next_segment = s_segment_list;
    if (s_segment_list != nullptr) {
        s_segment_list->m_prev_segment = this;
    }
    s_segment_list = this;
    s_segment_heap = MEM_SPLAY_HEAP::insert_node(s_segment_heap, this);
}

MEM_SEGMENT_INTERNAL::~MEM_SEGMENT_INTERNAL() {
    MEM_LOCK lock;
    free_interthread_delete_queue();
    validate(nullptr, 0);
    bool is_pool = this == &mem_global_mega_page_pool_segment;
    if (!is_pool) {
        remove_all_mega_pages_from_segment();
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
    s_segment_heap = MEM_SPLAY_HEAP::delete_node(s_segment_heap, this);
}

void* MEM_SEGMENT_INTERNAL::allocate(size_t size, MEM_TRACKER_DATA* tracker) {
    if (size > MAX_REQUEST) {
        mem_internal_error(__FILE__, __LINE__, "Attempting to allocate %zu bytes", size);
    }
    size_t r = rounded_request(size);
    free_interthread_delete_queue();
    void* user = locked_allocate(nullptr, 0, r, tracker);
    zero_checking_free_pattern(tracker, user, r);
    return user;
}

void* MEM_SEGMENT_INTERNAL::locked_allocate(char const* old, size_t old_size, size_t size,
                                            MEM_TRACKER_DATA* tracker) {
    if (size > MAX_REQUEST) {
        mem_internal_error(__FILE__, __LINE__, "Attempting to allocate %zu bytes", size);
    }
    size_t block_size = mem_block_size_for(size);
    MEM_MEGA_PAGE* page = find_first_mega_page(block_size);
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

void MEM_SEGMENT_INTERNAL::add_to_interthread_delete_queue(void* user) {
    void* head;
    do {
        head = __atomic_load_n(&m_interthread_delete_queue, __ATOMIC_ACQUIRE);
        *static_cast<void**>(user) = head;
    } while (thr_atomic_swap_ptr_if_equal(&m_interthread_delete_queue, user, head) != head);
}

void MEM_SEGMENT_INTERNAL::free_interthread_delete_queue() {
    // Other threads push while the owner looks: every access is atomic.
    if (__atomic_load_n(&m_interthread_delete_queue, __ATOMIC_ACQUIRE) == nullptr) {
        return;
    }
    void* user = thr_atomic_swap_ptr(&m_interthread_delete_queue, nullptr);
    while (user != nullptr) {
        void* next = *static_cast<void**>(user);
        MEM_MEGA_PAGE* page = mem_get_mega_page_from_address(user);
        if (mem_heap_owns(this, page, user)) {
            page->reallocate_or_free_block(this, MEM_BLOCK::from_user(user), 0, nullptr);
        } else {
            page->add_to_interthread_delete_queue(user); // the page has moved meanwhile
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

MEM_SEGMENT_INTERNAL* MEM_MANAGER_INTERNAL::get_default_segment() {
    if (mem_threads_default_segment != nullptr) {
        return mem_threads_default_segment;
    }
    initialize();
    MEM_LOCK lock;
    void* place = mem_free_segment_queue;
    if (place != nullptr) {
        mem_free_segment_queue = *static_cast<void**>(place);
    } else {
        place = mem_internal_persistent_chunk_alloc(sizeof(MEM_SEGMENT_INTERNAL));
    }
    auto* segment = new (place) MEM_SEGMENT_INTERNAL();
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
    if (page == nullptr || static_cast<char const*>(user) <= page->head()) {
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
