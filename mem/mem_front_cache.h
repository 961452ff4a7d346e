// The front cache of a thread segment: small blocks that its own thread frees
// are kept whole, by exact block size, and handed out again to the next request
// of that size, skipping the search of the free lists, the coalescing and the
// bookkeeping of the sub-page heaps. Every block whose size its header holds
// (16 to 4080 bytes) is cached: one last-in-first-out stack per size. A cached
// block is only ever handed out whole, for its own size (never split), so the
// cache holds no sizes that its thread did not ask for; a request whose size has
// none goes to the pages.
//
// A cached block keeps the free pattern over its whole user area (the cache
// lists blocks in stacks of its own, mapped apart from the heap, not inside
// them) and its header reads as free with MEM_BLOCK::CACHED_LINK, so that a
// second release of it, or a write into it, is found as for any freed block.
// Its page still counts it among its used blocks, so a page holding cached
// blocks is never given up, nor trimmed out of the working set (each page
// counts its cached blocks).
//
// How much it keeps: whatever its thread frees, within two bounds that keep the
// heap close to what it would be without the cache. Before the segment takes a
// further mega page for a new block while the cache holds more than a quarter
// of the segment's memory, and at an allocation that the cache cannot serve
// while it holds more bytes than the segment's live blocks (the sizes freed are
// then not the sizes asked for), the older half of the blocks of each size goes
// back into their pages: the sizes in use keep blocks for their next requests.
// The whole cache is flushed when its thread ends and while full validation is
// on (when it is not used). Only the segment's own thread touches its cache.
//
// The fresh run: a request of a cached size that finds its stack empty is
// carved from the front of one more cached block, the segment's run, rather
// than searched for in the pages. A run is taken (up to RUN_BYTES) from the
// free block where first fit would have placed that request, and only when
// that block holds at least RUN_MIN_BLOCKS of its size: a request that a
// smaller free block can serve goes to the pages as before, so the run never
// passes over a hole the request fits in when it is taken. A run too small for
// a request goes back into its page (merging with the free space after it) and
// a new one is taken. It is flushed with the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct MEM_BLOCK;

struct MEM_FRONT_CACHE {
    // Blocks of 16 to LARGEST_BLOCK bytes (header included), one class per size.
    static constexpr size_t LARGEST_BLOCK = 4096 - 16;
    static constexpr size_t CLASSES = LARGEST_BLOCK / 16;
    // The cache may always hold this many bytes, however few the live blocks.
    static constexpr size_t KEPT_BYTES = 256 * 1024;
    // The segment grows while the cache holds at most this part of its memory.
    static constexpr size_t SHARE_BEFORE_GROWTH = 4;
    // The largest fresh run, and the fewest blocks of a request's size one holds.
    static constexpr size_t RUN_BYTES = 64 * 1024;
    static constexpr size_t RUN_MIN_BLOCKS = 8;

    MEM_FRONT_CACHE() = default;
    MEM_FRONT_CACHE(MEM_FRONT_CACHE const&) = delete;
    MEM_FRONT_CACHE& operator=(MEM_FRONT_CACHE const&) = delete;
    ~MEM_FRONT_CACHE();

    static bool holds_size(size_t block_size) {
        return block_size != 0 && block_size <= LARGEST_BLOCK;
    }
    static size_t class_of(size_t block_size) { return block_size / 16 - 1; }

    bool empty() const { return m_bytes == 0; }
    size_t bytes() const { return m_bytes; }
    // Caches a block; false, doing nothing, when its stack cannot grow.
    bool push(MEM_BLOCK* block, size_t block_size) {
        STACK& s = m_stacks[class_of(block_size)];
        if (s.count == s.capacity && !grow(s)) {
            return false;
        }
        s.blocks[s.count++] = block;
        m_bytes += block_size;
        return true;
    }
    // The block last cached for this size, or null.
    MEM_BLOCK* pop(size_t block_size) {
        STACK& s = m_stacks[class_of(block_size)];
        if (s.count == 0) {
            return nullptr;
        }
        m_bytes -= block_size;
        MEM_BLOCK* block = s.blocks[--s.count];
        // The next block of this size is read and zeroed at its reuse: fetched
        // meanwhile, as blocks freed long ago mostly lie outside the caches.
        if (s.count != 0) {
            __builtin_prefetch(s.blocks[s.count - 1], 1);
        }
        return block;
    }
    // Takes the older blocks of every size out of the cache, handing each to
    // `take` with its size (`take` must not use the cache): all of them, or the
    // older half (the larger half of an odd count), which the next requests of
    // their sizes would reach last.
    template <typename TAKE> void take_older(bool all, TAKE take) {
        for (size_t c = 0; c < CLASSES; ++c) {
            STACK& s = m_stacks[c];
            size_t block_size = (c + 1) * 16;
            uint32_t n = all ? s.count : s.count - s.count / 2;
            m_bytes -= n * block_size;
            for (uint32_t i = 0; i < n; ++i) {
                take(s.blocks[i], block_size);
            }
            s.count -= n;
            if (s.count != 0) {
                std::memmove(s.blocks, s.blocks + n, s.count * sizeof(MEM_BLOCK*));
            }
        }
    }
    // Gives the storage of the empty stacks back to the system.
    void release_storage();

private:
    // A stack's storage is an anonymous mapping of its own, doubled when full.
    struct STACK {
        MEM_BLOCK** blocks = nullptr; // read only below count
        uint32_t count = 0;
        uint32_t capacity = 0;
    };
    static bool grow(STACK& s);
    static void release(STACK& s);

    STACK m_stacks[CLASSES];
    size_t m_bytes = 0;
};
