// Chunk allocator: many small pieces carved from 32 KB chunks and released all
// at once.
//
// With the setting "mem_utils_no_chunk_allocation" on, chunking is off and
// every piece is an allocation of its own that chunk_delete_when_chunking_disabled
// releases one by one (tools that watch single blocks need this).
#pragma once

#include <cstddef>

class MEM_UTILS_CHUNK_ALLOC_IMPL;

class MEM_UTILS_CHUNK_ALLOC {
public:
    static constexpr unsigned CHUNK_SIZE = 32768;
    static constexpr int OVERSIZE_WARNING_LIMIT = 500;

    MEM_UTILS_CHUNK_ALLOC();
    // Releases the allocator's own bookkeeping; the pieces stay allocated until
    // chunk_free_memory.
    ~MEM_UTILS_CHUNK_ALLOC();
    MEM_UTILS_CHUNK_ALLOC(MEM_UTILS_CHUNK_ALLOC const&) = delete;
    MEM_UTILS_CHUNK_ALLOC& operator=(MEM_UTILS_CHUNK_ALLOC const&) = delete;

    // A piece of `size` bytes aligned to `alignment` (0 counts as 1). Never null.
    void* chunk_malloc(size_t size, size_t alignment);
    // With chunking off, releases one piece (null does nothing); with chunking on,
    // does nothing.
    void chunk_delete_when_chunking_disabled(void* piece);
    // Releases every chunk and every piece that got a block of its own.
    void chunk_free_memory();
    // Pieces that do not fit the current chunk get a block of their own while the
    // chunk still has at least this many bytes left (default 100); below it a new
    // chunk starts.
    void set_fragment_threshold(unsigned threshold);
    bool chunk_allocation_is_enabled() const;

private:
    MEM_UTILS_CHUNK_ALLOC_IMPL* m_impl;
};
