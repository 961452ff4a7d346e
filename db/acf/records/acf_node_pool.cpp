// The node pool of a collection's containers.
#include "records/acf_node_pool.h"

void* ACF_NODE_POOL::take(size_t size) {
    size_t const cls = size_class(size);
    if (FREE_NODE* node = m_free[cls]) {
        m_free[cls] = node->next;
        return node;
    }
    return m_blocks.allocate(cls * GRAIN);
}

void ACF_NODE_POOL::give_back(void* node, size_t size) {
    size_t const cls = size_class(size);
    FREE_NODE* freed = static_cast<FREE_NODE*>(node);
    freed->next = m_free[cls];
    m_free[cls] = freed;
}
