// The front cache of a thread segment: small blocks that its own thread frees
// are kept whole, by exact block size, and handed out again to the next
// request of that size, skipping the search of the free lists, the coalescing
// and the bookkeeping of the sub-page heaps.
//
// A cached block keeps the free pattern over its whole user area (the cache
// lists blocks in an array of its own, not inside them) and its header reads
// as free with MEM_BLOCK::CACHED_LINK, so that a second release of it, or a
// write into it, is found as for any freed block. Its page still counts it
// among its used blocks, so a page holding cached blocks is never given up;
// before a page is trimmed out of the working set its cached blocks go back
// into it (each page counts them, so that pages without any cost nothing), and
// the whole cache is flushed when a thread ends and while full validation is on
// (when it is not used). Only the segment's own thread touches its cache.
#pragma once

#include <cstddef>
#include <cstdint>

struct MEM_BLOCK;

struct MEM_FRONT_CACHE {
    // Blocks of 16 to LARGEST_BLOCK bytes (header included), one class per size.
    static constexpr size_t LARGEST_BLOCK = 1024;
    static constexpr size_t CLASSES = LARGEST_BLOCK / 16;
    // Blocks kept per class, and bytes kept in all.
    static constexpr uint32_t DEPTH = 64;
    static constexpr size_t MAX_BYTES = 256 * 1024;

    static bool holds_size(size_t block_size) {
        return block_size != 0 && block_size <= LARGEST_BLOCK;
    }
    static size_t class_of(size_t block_size) { return block_size / 16 - 1; }

    bool empty() const { return m_count_all == 0; }
    // Room for one more block of this size.
    bool has_room(size_t block_size) const {
        return m_count[class_of(block_size)] < DEPTH && m_bytes + block_size <= MAX_BYTES;
    }
    void push(MEM_BLOCK* block, size_t block_size) {
        size_t c = class_of(block_size);
        m_blocks[c][m_count[c]++] = block;
        m_bytes += block_size;
        ++m_count_all;
    }
    // The block last cached for this size, or null.
    MEM_BLOCK* pop(size_t block_size) {
        size_t c = class_of(block_size);
        if (m_count[c] == 0) {
            return nullptr;
        }
        m_bytes -= block_size;
        --m_count_all;
        return m_blocks[c][--m_count[c]];
    }
    // Any cached block (with its size), or null when the cache is empty.
    MEM_BLOCK* pop_any(size_t* block_size) {
        for (size_t c = CLASSES; c-- > 0;) {
            if (m_count[c] != 0) {
                *block_size = (c + 1) * 16;
                return pop(*block_size);
            }
        }
        return nullptr;
    }

    // Takes every cached block that lies in [begin, end) out of the cache,
    // handing each to `take` with its size (`take` must not use the cache).
    template <typename TAKE> void take_range(char const* begin, char const* end, TAKE take) {
        for (size_t c = 0; c < CLASSES; ++c) {
            size_t block_size = (c + 1) * 16;
            uint32_t kept = 0;
            for (uint32_t i = 0; i < m_count[c]; ++i) {
                MEM_BLOCK* block = m_blocks[c][i];
                auto const* at = reinterpret_cast<char const*>(block);
                if (at < begin || at >= end) {
                    m_blocks[c][kept++] = block;
                    continue;
                }
                m_bytes -= block_size;
                --m_count_all;
                take(block, block_size);
            }
            m_count[c] = kept;
        }
    }

private:
    MEM_BLOCK* m_blocks[CLASSES][DEPTH]; // read only below each class's count
    uint32_t m_count[CLASSES] = {};
    uint32_t m_count_all = 0;
    size_t m_bytes = 0;
};
