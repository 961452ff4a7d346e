#include "mem/mem_chunk_alloc.h"

#include "mem/mem_config.h"
#include "mem_manager.h"

#include <cstdint>
#include <list>

namespace {

// Bytes to add to `address` to reach a multiple of `alignment`.
size_t padding(void const* address, size_t alignment) {
    size_t misalignment = reinterpret_cast<uintptr_t>(address) % alignment;
    return misalignment == 0 ? 0 : alignment - misalignment;
}

void* align_up(void* block, size_t alignment) {
    return static_cast<char*>(block) + padding(block, alignment);
}

} // namespace

class MEM_UTILS_CHUNK_ALLOC_IMPL {
public:
    MEM_UTILS_CHUNK_ALLOC_IMPL()
        : m_enabled(!mem_cfg_is_on("mem_utils_no_chunk_allocation", false)) {}

    void* chunk_malloc(size_t size, size_t alignment) {
        if (alignment == 0) {
            alignment = 1;
        }
        if (!m_enabled) {
            return separate_piece(size, alignment);
        }
        if (void* piece = take(size, alignment)) {
            return piece;
        }
        if (size > MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE) {
            if (++m_oversize_count > MEM_UTILS_CHUNK_ALLOC::OVERSIZE_WARNING_LIMIT) {
                mem_mem_msg_debug("WARNING: More than %d chunk allocations have failed because "
                                  "they are bigger than one chunk size in orv/mem_utils\n",
                                  MEM_UTILS_CHUNK_ALLOC::OVERSIZE_WARNING_LIMIT);
            }
            return align_up(own_block(alignment + size), alignment);
        }
        if (m_remaining >= m_fragment_threshold) {
            // The current chunk still has room worth keeping for smaller pieces.
            return align_up(own_block(alignment + size), alignment);
        }
        m_position = static_cast<char*>(own_block(MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE));
        m_remaining = MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE;
        // A fresh chunk starts suitably aligned for any piece that fits it.
        void* piece = take(size, alignment);
        return piece != nullptr ? piece : align_up(own_block(alignment + size), alignment);
    }

    void chunk_delete_when_chunking_disabled(void* piece) {
        if (!m_enabled && piece != nullptr) {
            mem_free_wrapper(static_cast<void**>(piece)[-1], MEM_CODE_PREFIX(MEM));
        }
    }

    void chunk_free_memory() {
        for (void* block : m_blocks) {
            mem_free_wrapper(block, MEM_CODE_PREFIX(MEM));
        }
        m_blocks.clear();
        m_remaining = 0;
        m_position = nullptr;
        m_oversize_count = 0;
    }

    void set_fragment_threshold(unsigned threshold) { m_fragment_threshold = threshold; }
    bool chunk_allocation_is_enabled() const { return m_enabled; }

private:
    // A piece from the current chunk, or null when it does not fit.
    void* take(size_t size, size_t alignment) {
        if (m_position == nullptr) {
            return nullptr;
        }
        size_t pad = padding(m_position, alignment);
        if (pad > m_remaining || size > m_remaining - pad) {
            return nullptr;
        }
        void* piece = m_position + pad;
        m_position += pad + size;
        m_remaining -= static_cast<unsigned>(pad + size);
        return piece;
    }

    void* own_block(size_t size) {
        void* block = MEM_MALLOC(MEM, size);
        m_blocks.push_back(block);
        return block;
    }

    // With chunking off: a block of its own, aligned as asked, with the block's
    // address kept just in front of the piece so that it can be released alone.
    static void* separate_piece(size_t size, size_t alignment) {
        void* block = MEM_MALLOC(MEM, sizeof(void*) + alignment + size);
        void* piece = align_up(static_cast<void**>(block) + 1, alignment);
        static_cast<void**>(piece)[-1] = block;
        return piece;
    }

    std::list<void*, MEM_STL_ALLOCATOR<void*>> m_blocks; // chunks and pieces of their own
    unsigned m_remaining = 0;
    unsigned m_fragment_threshold = 100;
    char* m_position = nullptr;
    int m_oversize_count = 0;
    bool m_enabled;
};

MEM_UTILS_CHUNK_ALLOC::MEM_UTILS_CHUNK_ALLOC()
    : m_impl(MEM_NEW(MEM, MEM_UTILS_CHUNK_ALLOC_IMPL)()) {}
MEM_UTILS_CHUNK_ALLOC::~MEM_UTILS_CHUNK_ALLOC() {
    delete m_impl;
}
void* MEM_UTILS_CHUNK_ALLOC::chunk_malloc(size_t size, size_t alignment) {
    return m_impl->chunk_malloc(size, alignment);
}
void MEM_UTILS_CHUNK_ALLOC::chunk_delete_when_chunking_disabled(void* piece) {
    m_impl->chunk_delete_when_chunking_disabled(piece);
}
void MEM_UTILS_CHUNK_ALLOC::chunk_free_memory() {
    m_impl->chunk_free_memory();
}
void MEM_UTILS_CHUNK_ALLOC::set_fragment_threshold(unsigned threshold) {
    m_impl->set_fragment_threshold(threshold);
}
bool MEM_UTILS_CHUNK_ALLOC::chunk_allocation_is_enabled() const {
    return m_impl->chunk_allocation_is_enabled();
}
