// The front cache of a thread segment: small blocks that its own thread frees
// are kept whole, by exact block size, and handed out again to the next request
// of that size, skipping the search of the free lists, the coalescing and the
// bookkeeping of the sub-page heaps. Every block whose size its header holds
// (16 to 4080 bytes) is cached: one last-in-first-out stack per size. A request
// whose size has none takes the smallest larger cached block: its head becomes
// the block handed out, the rest a cached block of its own.
//
// A cached block keeps the free pattern over its whole user area (the cache
// lists blocks in stacks of its own, mapped apart from the heap, not inside
// them) and its header reads as free with MEM_BLOCK::CACHED_LINK, so that a
// second release of it, or a write into it, is found as for any freed block.
// Its page still counts it among its used blocks, so a page holding cached
// blocks is never given up; before such a page is trimmed out of the working
// set the cache goes back into its pages (each page counts its cached blocks, so
// that trimming pages without any costs nothing).
//
// How much it keeps: whatever its thread frees, within two bounds that keep the
// heap close to what it would be without the cache. Before the segment takes a
// further mega page for a new block while the cache holds more than a quarter
// of the segment's memory, and at an allocation that the cache cannot serve
// while it holds more bytes than the segment's live blocks (the sizes freed are
// then not the sizes asked for), the whole cache goes back into its pages. It is flushed as well when its thread ends and while full validation
// is on (when it is not used). Only the segment's own thread touches its cache.
#pragma once

#include <cstddef>
#include <cstdint>

struct MEM_BLOCK;

struct MEM_FRONT_CACHE {
    // Blocks of 16 to LARGEST_BLOCK bytes (header included), one class per size.
    static constexpr size_t LARGEST_BLOCK = 4096 - 16;
    static constexpr size_t CLASSES = LARGEST_BLOCK / 16;
    // The cache may always hold this many bytes, however few the live blocks.
    static constexpr size_t KEPT_BYTES = 256 * 1024;
    // The segment grows while the cache holds at most this part of its memory.
    static constexpr size_t SHARE_BEFORE_GROWTH = 4;

    MEM_FRONT_CACHE() = default;
    MEM_FRONT_CACHE(MEM_FRONT_CACHE const&) = delete;
    MEM_FRONT_CACHE& operator=(MEM_FRONT_CACHE const&) = delete;
    ~MEM_FRONT_CACHE();

    static bool holds_size(size_t block_size) {
        return block_size != 0 && block_size <= LARGEST_BLOCK;
    }
    static size_t class_of(size_t block_size) { return block_size / 16 - 1; }

    bool empty() const { return m_count_all == 0; }
    size_t bytes() const { return m_bytes; }
    // Caches a block; false, doing nothing, when its stack cannot grow.
    bool push(MEM_BLOCK* block, size_t block_size) {
        STACK& s = m_stacks[class_of(block_size)];
        if (s.count == s.capacity && !grow(s)) {
            return false;
        }
        size_t c = class_of(block_size);
        m_filled[c / 64] |= uint64_t(1) << (c % 64);
        s.blocks[s.count++] = block;
        m_bytes += block_size;
        ++m_count_all;
        return true;
    }
    // The block last cached for this size, or null.
    MEM_BLOCK* pop(size_t block_size) {
        size_t c = class_of(block_size);
        STACK& s = m_stacks[c];
        if (s.count == 0) {
            return nullptr;
        }
        m_bytes -= block_size;
        --m_count_all;
        MEM_BLOCK* block = s.blocks[--s.count];
        if (s.count == 0) {
            m_filled[c / 64] &= ~(uint64_t(1) << (c % 64));
        }
        // The next block of this size is read and zeroed at its reuse: fetched
        // meanwhile, as blocks freed long ago mostly lie outside the caches.
        if (s.count != 0) {
            __builtin_prefetch(s.blocks[s.count - 1], 1);
        }
        return block;
    }
    // The size of the smallest cached block larger than `block_size`, or 0.
    size_t larger_size(size_t block_size) const {
        for (size_t c = class_of(block_size) + 1; c < CLASSES; c = (c / 64 + 1) * 64) {
            uint64_t above = m_filled[c / 64] & (~uint64_t(0) << (c % 64));
            if (above != 0) {
                return (c / 64 * 64 + size_t(__builtin_ctzll(above)) + 1) * 16;
            }
        }
        return 0;
    }
    // Takes every cached block out of the cache, handing each to `take` with its
    // size (`take` must not use the cache).
    template <typename TAKE> void take_all(TAKE take) {
        for (size_t c = 0; c < CLASSES; ++c) {
            size_t block_size = (c + 1) * 16;
            while (MEM_BLOCK* block = pop(block_size)) {
                take(block, block_size);
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
    uint64_t m_filled[(CLASSES + 63) / 64] = {}; // a bit per class with blocks
    uint32_t m_count_all = 0;
    size_t m_bytes = 0;
};
