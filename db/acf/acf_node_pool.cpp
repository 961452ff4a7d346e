// The node pool of a collection's containers.
#include "acf_node_pool.h"

#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

void* ACF_NODE_POOL::take(size_t size) {
    size_t const cls = size_class(size);
    if (FREE_NODE* node = m_free[cls]) {
        m_free[cls] = node->next;
        return node;
    }
    size_t const bytes = cls * GRAIN;
    if (bytes > m_left) {
        m_blocks.emplace_back(MEM_NEW_ARRAY(ACF, char, BLOCK_SIZE));
        m_next = m_blocks.back().get();
        m_left = BLOCK_SIZE;
    }
    void* node = m_next;
    m_next += bytes;
    m_left -= bytes;
    return node;
}

void ACF_NODE_POOL::give_back(void* node, size_t size) {
    size_t const cls = size_class(size);
    FREE_NODE* freed = static_cast<FREE_NODE*>(node);
    freed->next = m_free[cls];
    m_free[cls] = freed;
}
