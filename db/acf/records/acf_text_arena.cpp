// The block arena of small texts and nodes.
#include "acf_text_arena.h"

#include "mem_manager.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

char* ACF_MGR_TEXT_ARENA::allocate(size_t size) {
    if (size > BLOCK_SIZE / 4) {
        // A long text gets a block of its own, so that little of the current
        // block is left unused.
        m_blocks.emplace_back(MEM_NEW_ARRAY(ACF, char, size));
        return m_blocks.back().get();
    }
    if (size > m_left) {
        m_blocks.emplace_back(MEM_NEW_ARRAY(ACF, char, BLOCK_SIZE));
        m_next = m_blocks.back().get();
        m_left = BLOCK_SIZE;
    }
    char* result = m_next;
    m_next += size;
    m_left -= size;
    return result;
}

char const* ACF_MGR_TEXT_ARENA::copy(char const* text, size_t length) {
    char* result = allocate(length + 1);
    std::memcpy(result, text, length);
    result[length] = '\0';
    return result;
}

void ACF_MGR_TEXT_ARENA::clear() {
    m_blocks.clear();
    m_next = nullptr;
    m_left = 0;
}
