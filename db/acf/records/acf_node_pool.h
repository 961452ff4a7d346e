// The nodes of one collection's node-based containers (list, tree and hash
// nodes), carved from large blocks that the collection's pool owns: a node
// costs its own size, without an allocation header or a general allocator's
// rounding, which matters with one node per assignment in several indexes.
// A node given back goes on the free list of its size for the next node of
// that size; the blocks go when the pool goes, so the pool must outlive its
// containers (declare it before them). Not thread-safe: a collection's
// containers change only under its holder's write lock.
#pragma once

#include "acf_text_arena.h"

#include <cstddef>
#include <memory>

class ACF_NODE_POOL {
public:
    // Nodes up to this size (bytes) come from the pool.
    static constexpr size_t LARGEST_NODE = 128;

    ACF_NODE_POOL() = default;
    ACF_NODE_POOL(ACF_NODE_POOL const&) = delete;
    ACF_NODE_POOL& operator=(ACF_NODE_POOL const&) = delete;

    // `size` bytes, 8-byte aligned; 0 < size <= LARGEST_NODE.
    void* take(size_t size);
    // A node that take(size) gave.
    void give_back(void* node, size_t size);

private:
    // Every node a multiple of this: the arena's pieces stay aligned.
    static constexpr size_t GRAIN = 8;
    struct FREE_NODE {
        FREE_NODE* next;
    };
    static size_t size_class(size_t size) { return (size + GRAIN - 1) / GRAIN; }

    FREE_NODE* m_free[LARGEST_NODE / GRAIN + 1] = {};
    ACF_MGR_TEXT_ARENA m_blocks;
};

// The allocator of a container whose nodes come from a pool; single objects
// of at most ACF_NODE_POOL::LARGEST_NODE bytes come from the pool, anything
// else (a hash table's bucket array) from the usual allocator. A null pool
// uses the usual allocator for everything.
template <class T> class ACF_NODE_ALLOCATOR {
public:
    using value_type = T;

    explicit ACF_NODE_ALLOCATOR(ACF_NODE_POOL* pool = nullptr) noexcept : m_pool(pool) {}
    template <class U>
    ACF_NODE_ALLOCATOR(ACF_NODE_ALLOCATOR<U> const& other)
    noexcept : m_pool(other.pool()) {}

    T* allocate(size_t count) {
        if (pooled(count)) {
            return static_cast<T*>(m_pool->take(sizeof(T)));
        }
        return std::allocator<T>().allocate(count);
    }
    void deallocate(T* node, size_t count) noexcept {
        if (pooled(count)) {
            m_pool->give_back(node, sizeof(T));
        } else {
            std::allocator<T>().deallocate(node, count);
        }
    }

    ACF_NODE_POOL* pool() const noexcept { return m_pool; }
    template <class U> bool operator==(ACF_NODE_ALLOCATOR<U> const& other) const noexcept {
        return m_pool == other.pool();
    }
    template <class U> bool operator!=(ACF_NODE_ALLOCATOR<U> const& other) const noexcept {
        return m_pool != other.pool();
    }

private:
    bool pooled(size_t count) const noexcept {
        return m_pool != nullptr && count == 1 && sizeof(T) <= ACF_NODE_POOL::LARGEST_NODE &&
               alignof(T) <= alignof(void*);
    }

    ACF_NODE_POOL* m_pool;
};
