// A self-contained heap inside one buffer of at most 65,534 four-byte words, for
// callers that manage a private arena.
//
// Every block starts with a node; sizes and links are 16-bit word counts and
// word indices into the buffer. Free blocks form a splay tree ordered by
// position, each node knowing the largest free block in its left and right
// subtree, so that the lowest-positioned block that fits is found in one descent.
// A remainder of fewer than 4 words cannot hold a free node; it stays behind as
// a reserved sliver that the next release next to it absorbs.
//
//     MEM_SMALL_BLOCK_HEAP* heap = MEM_SMALL_BLOCK_HEAP::create(4096);
//     MEM_SMALL_BLOCK_NODE* block = heap->allocate_block(10);  // 36 bytes at block->data()
//     heap->free_block(block);
//     MEM_SMALL_BLOCK_HEAP::destroy(heap);
#pragma once

#include <cstdint>

constexpr unsigned MEM_SMALL_BLOCK_WORD_SIZE = 4;
constexpr unsigned MEM_SMALL_BLOCK_NODE_WORDS = 4; // the smallest free block
constexpr unsigned MEM_SMALL_BLOCK_MAX_WORDS = 65534;

// Block types; even, so that bit 0 of the type field can carry the m_free flag.
enum MEM_SMALL_BLOCK_TYPE : uint16_t {
    FREE_BLOCK = 2000,
    USED_BLOCK = 2002,
    RESERVED_BLOCK = 2004,
    END_BLOCK = 2006,
};

// The start of every block. A free or reserved block also repeats its m_words
// in its last 16 bits (its footer), so that the block after it can find its start.
//
// The m_free flag: set on free and reserved blocks; on a used block or the end
// node it tells whether the block before it is free or reserved, that is,
// whether the footer in front of it is valid.
struct MEM_SMALL_BLOCK_NODE {
    uint16_t m_typeinfo_id; // bits 1-15: the block type; bit 0: the m_free flag
    uint16_t m_words;       // block length in words, node included
    uint16_t m_max_size[2]; // free blocks: largest free m_words in the left / right subtree
    uint16_t m_child_i[2];  // free blocks: word index of the left / right child, 0 for none

    uint16_t type() const { return m_typeinfo_id & ~1u; }
    bool m_free() const { return (m_typeinfo_id & 1u) != 0; }
    void set(uint16_t type, bool free_flag) {
        m_typeinfo_id = static_cast<uint16_t>(type | (free_flag ? 1u : 0u));
    }
    void set_free_flag(bool free_flag) { set(type(), free_flag); }

    // A used block's own bytes: everything after its first word,
    // (m_words - 1) * MEM_SMALL_BLOCK_WORD_SIZE of them.
    void* data() { return reinterpret_cast<char*>(this) + MEM_SMALL_BLOCK_WORD_SIZE; }
};

class MEM_SMALL_BLOCK_HEAP {
public:
    // A heap of (bytes + 3) / 4 words, heap and buffer from the C runtime. Null
    // when that is fewer than 4 or more than MEM_SMALL_BLOCK_MAX_WORDS words.
    static MEM_SMALL_BLOCK_HEAP* create(unsigned long bytes);
    static void destroy(MEM_SMALL_BLOCK_HEAP* heap);

    // A used block of `words` words, node included (at least 1), taken from the
    // lowest-positioned free block that fits; null when none fits.
    MEM_SMALL_BLOCK_NODE* allocate_block(unsigned short words);
    // Returns a used block, merging it with free and reserved neighbours. Null
    // does nothing; a block that is not in use is reported and left alone.
    void free_block(MEM_SMALL_BLOCK_NODE* node);
    // Resizes a used block: shrinking releases the tail in place, growing moves
    // the contents to a new block and zero-fills the rest. Null when growing
    // finds no room or `words` is 0 (the block is kept as it was); a null block
    // is allocated.
    MEM_SMALL_BLOCK_NODE* reallocate_block(MEM_SMALL_BLOCK_NODE* node, unsigned short words);

    // Tree operations.
    // Splays the lowest-positioned free block of at least `words` words to the
    // root; the root stays when none fits.
    void find_size(unsigned short words);
    // Splays the free block at, or nearest to, a word index to the root.
    void find_node(unsigned short index);
    // Takes a free block out of the tree.
    void delete_node(MEM_SMALL_BLOCK_NODE* node);

    // Consistency checks. A failed check prints "<file>(<line>) : <condition>"
    // on standard output and the check goes on; the result is false then.
    bool verify_heap();
    bool verify_block_node(MEM_SMALL_BLOCK_NODE* block);

    MEM_SMALL_BLOCK_NODE* root() const { return m_root; }
    uint32_t free_block_bytes() const { return m_free_block_bytes; }
    uint32_t free_block_count() const { return m_free_block_count; }
    MEM_SMALL_BLOCK_NODE* first_block() const { return node(1); }
    MEM_SMALL_BLOCK_NODE* end_block() const { return m_end; }
    MEM_SMALL_BLOCK_NODE* node(unsigned index) const {
        return reinterpret_cast<MEM_SMALL_BLOCK_NODE*>(m_base + index * MEM_SMALL_BLOCK_WORD_SIZE);
    }
    unsigned index(MEM_SMALL_BLOCK_NODE const* block) const {
        return static_cast<unsigned>((reinterpret_cast<char const*>(block) - m_base) /
                                     MEM_SMALL_BLOCK_WORD_SIZE);
    }

private:
    MEM_SMALL_BLOCK_HEAP() = default;

    uint16_t splay(uint16_t root, uint16_t key);
    uint16_t subtree_max(uint16_t index) const;
    void update_max(MEM_SMALL_BLOCK_NODE* block);
    uint16_t footer(MEM_SMALL_BLOCK_NODE const* block) const;
    void write_footer(MEM_SMALL_BLOCK_NODE* block);
    void insert_free(MEM_SMALL_BLOCK_NODE* block);
    void set_root(uint16_t index) { m_root = index == 0 ? nullptr : node(index); }
    uint16_t root_index() const {
        return m_root == nullptr ? 0 : static_cast<uint16_t>(index(m_root));
    }

    MEM_SMALL_BLOCK_NODE* m_root = nullptr;
    MEM_SMALL_BLOCK_NODE* m_end = nullptr;
    uint32_t m_free_block_bytes = 0;
    uint32_t m_free_block_count = 0;
    char* m_base = nullptr;
};

// Descent steps taken by find_size in this process, for tuning.
extern unsigned long mem_small_block_find_size_iterations;
