// Mega pages and the blocks inside them.
//
// A mega page is an anonymous mapping of at least 128 KB whose end lies on a
// 64 KB boundary, owned by one segment and carved into blocks. Its record is
// kept apart from its memory (records come from the persistent chunk and are
// reused, never freed).
//
// Every block starts with a 4-byte header; the caller's pointer is the header
// plus 4. On x86_64 the user pointers must be 16-byte aligned, so every block
// header lies 12 bytes past a 16-byte boundary and every block size is a
// multiple of 16 (the smallest block is 16 bytes: a header and 12 user bytes).
// The two exceptions are the page's first block, whose header sits 12 bytes
// into the mapping, and the 4-byte end block. With sizes in steps of 16 the
// remainder of a split is either nothing or a usable free block, so no
// unusable slivers arise between blocks; instead a used block may hold 4, 8 or
// 12 bytes beyond its request (a multiple of 4), which stay out of use. Their
// count is kept in the block's last word, and header bit 13 says that there
// are any, so that a block's request is known again at its release.
//
// Memory of a page, from its head:
//   12 unused bytes, then the bookkeeping block (used): the sub-page heap, the
//   large-size table and the free-list heads;
//   the blocks proper, at first one free block over everything;
//   the end block (used, header only) ending at the tail.
//
// Free blocks are kept in address-ordered lists, one per 4 KB sub-page: a free
// block belongs to the list of the sub-page that holds the address just past
// its end. Each list's largest block is a leaf of a tournament heap whose root
// is the page's largest free block, so the lowest sub-page that fits a request
// is found in O(log sub-pages), and the first fitting block of its list is the
// page's first fit. Two free blocks are never adjacent.
#pragma once

#include "mem/mem_splay.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

class MEM_SEGMENT_INTERNAL;
struct MEM_TRACKER_DATA;

constexpr uint32_t MEM_GUARD_PATTERN = 0xA;
// Every word of free space that is not a header holds this while
// mem_check_memory is on.
constexpr uint32_t MEM_FREE_PATTERN = 0x88888888;

struct MEM_BLOCK {
    // A used block is USED_CHARGED when tracking charged it to the counters.
    enum BLOCK_TYPE { RESERVED = 0, FREE = 1, USED = 2, USED_CHARGED = 3 };

    // Free: distance from this block's end to the next free block of its list
    // (0 = last). Used: bits 0-12 the tracker id of its allocation site (0 =
    // none), bit 13 set when the block holds bytes beyond its request.
    uint32_t m_link : 14;
    uint32_t m_type : 2;
    // Block size with the header when below 4096; else 0, the size then being in
    // the page's large-size table at the sub-page where the block starts.
    uint32_t m_size : 12;
    uint32_t m_guard : 4;

    static constexpr uint32_t TRACKER_ID_MASK = 0x1FFF;
    static constexpr uint32_t HAS_SPARE_BYTES = 0x2000;
    // The link of a free block held whole in its segment's front cache
    // (mem_front_cache.h): no free list holds it, and no list link reaches this
    // value (links stay below a sub-page).
    static constexpr uint32_t CACHED_LINK = 0x1FFF;

    bool is_used() const { return m_type == USED || m_type == USED_CHARGED; }
    bool is_cached() const { return m_type == FREE && m_link == CACHED_LINK; }
    // A free block of the page's free lists (not one held in a front cache).
    bool is_listed_free() const { return m_type == FREE && m_link != CACHED_LINK; }
    uint32_t tracker_id() const { return m_link & TRACKER_ID_MASK; }
    uint32_t word() const {
        uint32_t w;
        __builtin_memcpy(&w, this, sizeof w);
        return w;
    }
    // Blocks of this size or more keep 0 in their size field (see m_size).
    static constexpr size_t SIZE_FIELD_LIMIT = 4096;
    // The header of a block of `block_size` bytes. Headers are written whole: a
    // word written field by field is slow to read back at once.
    static constexpr uint32_t make_word(uint32_t link, BLOCK_TYPE type, size_t block_size) {
        uint32_t size_field = block_size < SIZE_FIELD_LIMIT ? static_cast<uint32_t>(block_size) : 0;
        return link | uint32_t(type) << 14 | size_field << 16 | MEM_GUARD_PATTERN << 28;
    }
    void set_word(uint32_t w) { __builtin_memcpy(this, &w, sizeof w); }
    char* user() { return reinterpret_cast<char*>(this) + 4; }
    // Notes the request (a multiple of 4) that a fresh used block of
    // `block_size` bytes holds: the bytes beyond it are counted in its last word.
    void note_request(size_t block_size, size_t request) {
        if (note_spare_bytes(block_size, request)) {
            m_link |= HAS_SPARE_BYTES;
        }
    }
    // Writes the count of bytes beyond the request into the block's last word
    // when there are any; answers whether there are (HAS_SPARE_BYTES is then due).
    bool note_spare_bytes(size_t block_size, size_t request) {
        auto spare = static_cast<uint32_t>(block_size - 4 - request);
        if (spare != 0) {
            __builtin_memcpy(reinterpret_cast<char*>(this) + block_size - 4, &spare, sizeof spare);
        }
        return spare != 0;
    }
    // The request of a used block of `block_size` bytes whose header is `word`.
    size_t request_in(uint32_t word, size_t block_size) const {
        uint32_t spare = 0;
        if (word & HAS_SPARE_BYTES) {
            __builtin_memcpy(&spare, reinterpret_cast<char const*>(this) + block_size - 4,
                             sizeof spare);
        }
        return block_size - 4 - spare;
    }
    static MEM_BLOCK* from_user(void const* user) {
        return reinterpret_cast<MEM_BLOCK*>(static_cast<char*>(const_cast<void*>(user)) - 4);
    }
    // Internal error unless the block is in use and carries its guard.
    void validate_used() const {
        if (!is_used() || m_guard != MEM_GUARD_PATTERN || word() == MEM_FREE_PATTERN) {
            report_not_used();
        }
    }
    [[gnu::cold]] void report_not_used() const;
};
static_assert(sizeof(MEM_BLOCK) == 4, "a block header is one word");

// The block size that holds `user_bytes` bytes.
inline size_t mem_block_size_for(size_t user_bytes) {
    return (user_bytes + 4 + 15) & ~size_t(15);
}

struct MEM_MEGA_PAGE : MEM_SPLAY_HEAP_NODE {
    // The node's interval is [head, tail) of the page's memory; its value
    // (m_size) the largest free block in the page.
    static constexpr size_t DEFAULT_MEGA_PAGE_SIZE = 0x70000;
    static constexpr size_t SMALLEST_MEGA_PAGE_SIZE = 0x20000;
    static constexpr size_t PAGE_SIZE = MEM_BLOCK::SIZE_FIELD_LIMIT; // a sub-page
    static constexpr size_t LOCKED_BELOW_UNKNOWN = SIZE_MAX;

    uint32_t m_segment_id;
    uint32_t m_number_of_pages; // 4 KB sub-pages
    uint32_t m_heap_base;       // power of two >= m_number_of_pages; leaf i is entry base + i
    uint32_t m_used_blocks;     // blocks handed out and not freed
    uint32_t m_cached_blocks;   // of those, blocks held in the owner's front cache
    MEM_BLOCK* m_first_block;   // the bookkeeping block
    MEM_BLOCK* m_last_block;    // the end block
    uint32_t* m_page_max_free_block_size_heap;  // 2 x base entries, entry 1 the root
    uint32_t* m_page_max_free_block_size_array; // the leaves: heap + base
    uint32_t* m_page_large_block_size_array;    // per sub-page
    MEM_BLOCK** m_page_first_free_block_array;  // per sub-page list heads
    bool m_large;                               // made for one request beyond the default size
    size_t m_raw_mega_page_size;                // bytes mapped
    size_t m_overhead_bytes;                    // mapped bytes that are not free blocks
    size_t m_mega_page_number_of_free_bytes;
    MEM_MEGA_PAGE* m_prev_mega_page;
    MEM_MEGA_PAGE* m_next_mega_page; // also chains the free record queue
    MEM_MEGA_PAGE* m_next_low_utilization_mega_page;
    MEM_MEGA_PAGE* m_prev_low_utilization_mega_page;
    // Largest free block among the segment's trimmed pages below this one, or
    // LOCKED_BELOW_UNKNOWN.
    size_t m_locked_below;

    // Read by other threads at every release of one of the page's blocks, so
    // kept on a cache line of their own, apart from the fields (the tree links,
    // the counts) that the owning thread keeps writing. m_lookup_head is
    // m_start, for the same reason.
    alignas(64) MEM_SEGMENT_INTERNAL* m_segment;
    char const* m_lookup_head;
    bool m_in_working_set;

    char* head() const { return reinterpret_cast<char*>(m_start); }
    char* tail() const { return reinterpret_cast<char*>(m_end); }
    uint32_t sub_page_of(void const* address) const {
        return static_cast<uint32_t>((static_cast<char const*>(address) - head()) / PAGE_SIZE);
    }
    size_t block_size(MEM_BLOCK const* block) const {
        return block->m_size != 0 ? block->m_size
                                  : m_page_large_block_size_array[sub_page_of(block)];
    }
    MEM_BLOCK* next_block_after(MEM_BLOCK* block) const {
        return reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) + block_size(block));
    }

    // A page able to hold one block of `request` bytes (header included), or
    // null when nothing can be mapped. Requires mem_critical_section. Its free
    // space is not filled yet: see fill_fresh_free_space.
    static MEM_MEGA_PAGE* allocate_mega_page(size_t request, size_t preferred);
    // Fills the one free block of a fresh page with the free pattern (when the
    // memory check is on). Done by the page's new owner outside the process-wide
    // lock: it touches every OS page of the mapping for the first time.
    void fill_fresh_free_space();
    // Unmaps the page and recycles its record. Requires mem_critical_section.
    static void deallocate_mega_page(MEM_MEGA_PAGE* page);

    // The size of the free block that a block of `size` bytes would be taken
    // from (at least `size`, which the page must have room for).
    size_t first_fit_size(size_t size) const { return first_fit(size).size; }
    // Takes a used block of `size` bytes (header included, a multiple of 16) by
    // first fit, carrying min(old_size, size - 4) bytes from `old` when given.
    MEM_BLOCK* allocate_block(MEM_SEGMENT_INTERNAL* segment, char const* old, size_t old_size,
                              size_t size, MEM_TRACKER_DATA* tracker);
    // Splits the front `front` bytes off a block of `size` bytes held whole in
    // the owner's front cache, for the owner to hand out as a used block; the
    // rest stays a cached block, which is returned (null when nothing is left).
    MEM_BLOCK* split_cached(MEM_BLOCK* block, size_t size, size_t front);
    // Frees the block and, when new_size (user bytes) is not 0, allocates a block
    // for new_size bytes in the same segment carrying the old contents; returns
    // the new user pointer or null.
    void* reallocate_or_free_block(MEM_SEGMENT_INTERNAL* segment, MEM_BLOCK* block, size_t new_size,
                                   MEM_TRACKER_DATA* tracker);
    // Queues a block for the page's owning segment (any thread; `pusher` is the
    // calling thread's segment, or the segment draining its queue), uncharging it
    // from the tracking counters at once.
    void add_to_interthread_delete_queue(MEM_SEGMENT_INTERNAL* pusher, void* user);

    // Recomputes a sub-page's largest free block from its list, or sets it, and
    // carries the change up the tournament heap to m_size.
    void update_heap(uint32_t sub_page);
    void update_heap(uint32_t sub_page, uint32_t value);

    // Notes the request (a multiple of 4) that a fresh used block holds.
    void set_request_size(MEM_BLOCK* block, size_t request) const {
        block->note_request(block_size(block), request);
    }
    // The request a used block holds: its usable bytes.
    size_t request_size(MEM_BLOCK const* block) const;
    size_t get_user_block_size(void const* user) const {
        return request_size(MEM_BLOCK::from_user(user));
    }
    // As get_user_block_size, after checking that the block is in use.
    size_t msize(MEM_BLOCK const* block) const;

    // Finds the first byte of the area that does not hold the free pattern and
    // reports it as an internal error; the area is then refilled with it.
    static void check_free_pattern_slowly(MEM_TRACKER_DATA const* tracker, void* area, size_t size);

    // Heap validation and dumps (mem_heap_check.cpp).
    void validate(MEM_BLOCK const* alloc_block, size_t alloc_size) const;
    void validate_page_heap(uint32_t entry) const;
    void dump(std::ostream& os, int subsystem) const;

private:
    // The first fit for a block of `size` bytes: the block, the sub-page whose
    // list holds it, its list predecessor and the largest block passed over in
    // that list before it.
    struct FIT {
        uint32_t end_page = 0;
        MEM_BLOCK* previous = nullptr;
        MEM_BLOCK* block = nullptr;
        size_t size = 0;
        size_t passed_over = 0;
    };
    FIT first_fit(size_t size) const;
    MEM_BLOCK* next_free(MEM_BLOCK* block) const {
        return block->m_link == 0 ? nullptr
                                  : reinterpret_cast<MEM_BLOCK*>(reinterpret_cast<char*>(block) +
                                                                 block_size(block) + block->m_link);
    }
    void set_next_free(MEM_BLOCK* block, MEM_BLOCK* next) const;
    // Writes a block's header (and its size into the large-size table when the
    // header cannot hold it).
    void write_header(MEM_BLOCK* block, size_t size, MEM_BLOCK::BLOCK_TYPE type, uint32_t link = 0);
    // Links a free block into its list in address order.
    void link_free_block(MEM_BLOCK* block, size_t size);
    // Unlinks a free block; `previous` is its list predecessor or null.
    void unlink_free_block(uint32_t sub_page, MEM_BLOCK* previous, MEM_BLOCK* block);
    // The free block of the list before `block`, checking each entry.
    MEM_BLOCK* list_predecessor(uint32_t sub_page, MEM_BLOCK const* block) const;
    // Internal error unless a listed block carries its guard and is free.
    void check_free_entry(MEM_BLOCK const* block) const {
        if (block->m_guard != MEM_GUARD_PATTERN || block->m_type != MEM_BLOCK::FREE) {
            report_bad_free_entry(block);
        }
    }
    [[gnu::cold]] static void report_bad_free_entry(MEM_BLOCK const* block);
};
