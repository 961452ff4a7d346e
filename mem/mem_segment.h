// Segments of the own heap.
//
// Every thread that allocates on the own heap gets a segment of its own, found
// through a thread-local slot, so that the common allocation and release touch
// only the thread's data. A segment owns mega pages (mem_section.h). Its pages
// are kept in two address-ordered splay heaps valued by each page's largest free
// block: the working set (m_thread_heap) and the pages trimmed out of it
// (m_locked_heap). Two more segments exist once per process: the internal
// segment for the manager's bookkeeping and the global pool, which holds pages
// that no thread owns (kept for reuse, or left by ended threads with live
// blocks). A block released by a thread other than its page's owner is pushed on
// the owner's lock-free inter-thread delete queue and freed by the owner later.
// Pushing takes no lock (see push_if_owner).
//
// Locks: only the owner's thread touches its working set, without a lock. The
// trimmed pages are guarded by the segment's own section, since a segment short
// of a page takes one of another segment's trimmed pages (under the process-wide
// lock, then the other segment's section: always in this order). So trimming,
// and taking a trimmed page back, meet no process-wide lock; obtaining, moving
// and giving back pages between segments and the pool hold it.
#pragma once

#include "mem/mem_front_cache.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_section.h"
#include "mem/mem_splay.h"
#include "mem/mem_utils.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

class MEM_SEGMENT {
public:
    virtual ~MEM_SEGMENT() = default;
    virtual int get_id() = 0;
    virtual void dump(char const* file_name, int subsystem) = 0;
    virtual void dump(std::ostream& os, int subsystem) = 0;
    virtual void check_memory_guards() = 0;
};

class MEM_SEGMENT_INTERNAL : public MEM_SEGMENT {
public:
    // Trim threshold and target are these plus one eighth of the raw bytes.
    static constexpr size_t TRIM_THRESHOLD_BASE = 0x150000;
    static constexpr size_t TRIM_TARGET_BASE = 0xE0000;
    // Largest request the heap serves.
    static constexpr size_t MAX_REQUEST = MEM_OWN_HEAP_MAX_REQUEST;

    MEM_SEGMENT_INTERNAL();
    ~MEM_SEGMENT_INTERNAL() override;

    // A zero-filled block of at least `size` bytes (16-byte aligned). Requests
    // above MAX_REQUEST are an internal error; when no memory can be had the
    // out-of-memory road ends the process.
    void* allocate(size_t size, MEM_TRACKER_DATA* tracker);
    // Finds or obtains a page and takes a block for `size` user bytes, carrying
    // old_size bytes from `old` when given; returns the user pointer.
    void* locked_allocate(char const* old, size_t old_size, size_t size, MEM_TRACKER_DATA* tracker);

    // Releases a block of `page` on the segment's own thread: into the front
    // cache, or at once into its page. False, doing nothing, when the page is not
    // the segment's (the block then goes to its owner's queue).
    bool release_block(MEM_MEGA_PAGE* page, void* user);
    // Resizes a block of `page` by way of the front cache: in place, the block
    // kept whole, while the new size fits in it and needs at least half of it;
    // else moved to a new block, the old one cached. Null, doing nothing, when
    // the page is not in this segment's working set or the cache cannot serve
    // the sizes.
    void* reallocate_cached(MEM_MEGA_PAGE* page, MEM_BLOCK* block, size_t size,
                            MEM_TRACKER_DATA* tracker);
    // Front cache of a thread segment (mem_front_cache.h): switched on for thread
    // segments; flushing frees every cached block into its page and gives the
    // cache's storage back.
    void enable_front_cache() { m_front_cache_on = true; }
    void flush_front_cache();
    // Frees cached blocks into their pages: all of them, or the older half of
    // each size (the cache keeps its storage: it fills again at once).
    void return_cached_blocks(bool all);

    // Inter-thread delete queue: any thread pushes, the owner drains.
    void add_to_interthread_delete_queue(void* user);
    void free_interthread_delete_queue() {
        // Other threads push while the owner looks: every access is atomic.
        if (__atomic_load_n(&m_interthread_delete_queue, __ATOMIC_ACQUIRE) != nullptr) {
            drain_interthread_delete_queue();
        }
    }
    // Pushes the block of `page` on this segment's queue when the segment owns
    // the page at the time of the push; false, doing nothing, otherwise. `pusher`
    // is the calling thread's segment (or the segment draining its queue). Takes
    // no lock: a segment being destroyed waits for such pushes (wait_for_pushes).
    bool push_if_owner(MEM_SEGMENT_INTERNAL* pusher, MEM_MEGA_PAGE* page, void* user);

    // Pages.
    MEM_MEGA_PAGE* find_first_mega_page(size_t size);
    MEM_MEGA_PAGE* acquire_mega_page_from_global_pool(size_t size);
    // Largest free block among the trimmed pages (0 for none).
    size_t locked_max() const { return __atomic_load_n(&m_locked_max, __ATOMIC_RELAXED); }
    void add_mega_page_to_segment(MEM_MEGA_PAGE* page);
    void remove_mega_page_from_segment(MEM_MEGA_PAGE* page);
    static void return_mega_page_to_global_pool(MEM_MEGA_PAGE* page);
    // The rule for a page that has just become empty.
    void release_but_cache_mega_page(MEM_MEGA_PAGE* page);
    void remove_all_mega_pages_from_segment();
    // Brings the page holding `address` to the root of the working set (out of
    // the trimmed pages if need be); null when no page of this segment holds it.
    MEM_MEGA_PAGE* splay_heap(void const* address);
    void trim_working_set();
    void update_low_utilization_mega_page_list(MEM_MEGA_PAGE* page);
    // Refreshes locked_max() from the trimmed pages (under the segment's section).
    void update_locked_max();

    // Validation and dumps (mem_heap_check.cpp).
    int get_id() override { return static_cast<int>(m_id); }
    void dump(char const* file_name, int subsystem) override;
    void dump(std::ostream& os, int subsystem) override;
    void check_memory_guards() override;
    void validate(MEM_BLOCK const* alloc_block, size_t alloc_size);

    // Figures.
    size_t user_bytes() const { return m_user_bytes; }
    uint32_t number_of_mega_pages() const { return m_number_of_mega_pages; }
    MEM_MEGA_PAGE* first_mega_page() const { return m_mega_page_list; }
    MEM_SEGMENT_INTERNAL* next_segment() const { return m_next_segment; }

    // Process-wide.
    static MEM_SEGMENT_INTERNAL* s_segment_list;
    static size_t s_net_memory_overhead; // counters of destroyed segments, plus page overhead
    static size_t s_net_user_bytes;

    // Running counts kept by the block operations of the pages.
    size_t m_number_of_free_bytes_in_working_set = 0;
    size_t m_user_bytes = 0;
    size_t m_overhead_bytes = 0;
    MEM_SPLAY_HEAP_NODE* m_thread_heap = nullptr;
    MEM_SPLAY_HEAP_NODE* m_locked_heap = nullptr;

private:
    void drain_interthread_delete_queue();
    // Returns once no push that may have seen this segment as a page's owner is
    // still going on (after the segment has given its pages away). Requires
    // mem_critical_section (the segment list).
    void wait_for_pushes() const;

    // The front cache's side of allocation and release (mem_front_cache.cpp).
    bool cache_block(MEM_MEGA_PAGE* page, MEM_BLOCK* block);
    void* allocate_cached(size_t size, MEM_TRACKER_DATA* tracker);
    // A block carved from the fresh run, taking a new run when this one is too
    // small; null when the cache does not serve the size or no run can be had.
    void* allocate_from_run(size_t size, MEM_TRACKER_DATA* tracker);
    // Takes a run from the free block where first fit would place a block of
    // `block_size` bytes, when that block holds a run's worth of them.
    bool take_run(size_t block_size);
    // Hands out a block taken from the cache as a used block for `size` bytes.
    void* hand_out(MEM_BLOCK* block, size_t block_size, size_t size, MEM_TRACKER_DATA* tracker);
    // Whether the front cache may take or resize this page's blocks: the page is
    // this segment's and in its working set.
    bool caches_for(MEM_MEGA_PAGE* page) const;
    // Frees a block taken out of the cache into its page.
    void free_cached_block(MEM_BLOCK* block, size_t block_size);

    void recompute_trim_values();
    void move_to_working_set(MEM_MEGA_PAGE* page);
    // Another segment short of a page takes a trimmed page of this one with at
    // least `size` free bytes in a block, removed from this segment; null when
    // there is none (any more).
    MEM_MEGA_PAGE* give_up_trimmed_page(size_t size);
    // The part of acquire_mega_page_from_global_pool under the process-wide
    // lock: a page of the pool or another segment's trimmed page, added to this
    // segment, and the first page that fits; or a freshly mapped page, added to
    // this segment and left in *fresh, and null; or null when nothing can be
    // mapped.
    MEM_MEGA_PAGE* take_mega_page(size_t size, MEM_MEGA_PAGE** fresh);
    void unlink_low_utilization(MEM_MEGA_PAGE* page);

    uint32_t m_id;
    // Guards the trimmed pages (m_locked_heap, m_locked_max, and pages moving in
    // and out of the working set).
    MEM_CRITICAL_SECTION m_locked_heap_section;
    size_t m_locked_max = 0;
    MEM_MEGA_PAGE* m_cached_mega_page = nullptr;
    MEM_MEGA_PAGE* m_mega_page_list = nullptr;
    uint32_t m_number_of_mega_pages = 0;
    size_t m_raw_bytes = 0;
    size_t m_trim_threshold = TRIM_THRESHOLD_BASE;
    size_t m_trim_target = TRIM_TARGET_BASE;
    MEM_SEGMENT_INTERNAL* m_next_segment = nullptr;
    MEM_SEGMENT_INTERNAL* m_prev_segment = nullptr;
    MEM_MEGA_PAGE* m_low_utilization_mega_page_list = nullptr;
    MEM_MEGA_PAGE* m_low_utilization_mega_page_list_tail = nullptr;
    // The segment whose queue this segment's thread is pushing on, while it
    // pushes (see push_if_owner); written by that thread only.
    MEM_SEGMENT_INTERNAL* m_pushing_to = nullptr;
    bool m_front_cache_on = false;
    // Set while cached blocks go back into their pages: their frees trim nothing.
    bool m_flushing_front_cache = false;
    MEM_FRONT_CACHE m_front_cache;
    // The fresh run (mem_front_cache.h): null, or a cached block of m_run_size bytes.
    MEM_BLOCK* m_run = nullptr;
    size_t m_run_size = 0;
    // Other threads push here: kept apart from the fields the owner works on.
    alignas(64) void* volatile m_interthread_delete_queue = nullptr;
    char m_queue_line_rest[64 - sizeof(void*)];
};

// The manager's bookkeeping segment and the global page pool.
extern MEM_SEGMENT_INTERNAL& mem_internal_segment;
extern MEM_SEGMENT_INTERNAL& mem_global_mega_page_pool_segment;
// Full validation after every block operation; off at start (a debugging aid).
extern bool mem_do_segment_validation;

// The calling thread's segment, or null before its first use. (The heap is
// linked into programs only, so the fastest thread-local model serves.)
extern __thread MEM_SEGMENT_INTERNAL* mem_threads_default_segment
    __attribute__((tls_model("initial-exec")));

struct MEM_MANAGER_INTERNAL {
    // Idempotent start of the own heap: page size, the internal segment, the
    // global pool and the critical section.
    static void initialize();
    // The calling thread's segment, created on first use.
    static MEM_SEGMENT_INTERNAL* get_default_segment() {
        MEM_SEGMENT_INTERNAL* segment = mem_threads_default_segment;
        return segment != nullptr ? segment : create_default_segment();
    }
    static MEM_SEGMENT_INTERNAL* create_default_segment();
    // Ends the calling thread's use of its segment (thread end): drains its
    // queue and, unless it is the first thread's, destroys it for reuse.
    static void end_thread_segment();
    // Writes every segment to a text file.
    static void dump_all_segments(char const* file_name, int subsystem);
};

// The mega page holding a block of the heap, or null for any other address.
MEM_MEGA_PAGE* mem_heap_page_of(void const* user);
// Whether `segment` can handle the block at `user` of `page` now: the page is
// the segment's, and is brought to the root of its working set.
bool mem_heap_owns(MEM_SEGMENT_INTERNAL* segment, MEM_MEGA_PAGE* page, void const* user);
