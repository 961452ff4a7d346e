#include "mem/mem_small_block_heap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

unsigned long mem_small_block_find_size_iterations = 0;

namespace {

bool report_failed(bool ok, char const* file, int line, char const* condition) {
    if (!ok) {
        std::printf("%s(%d) : %s\n", file, line, condition);
    }
    return ok;
}

} // namespace

// Checks a condition, prints it when it fails, and clears `ok`.
#define MEM_SBH_CHECK(ok, condition)                                                               \
    ((ok) = report_failed((condition), __FILE__, __LINE__, #condition) && (ok))

MEM_SMALL_BLOCK_HEAP* MEM_SMALL_BLOCK_HEAP::create(unsigned long bytes) {
    unsigned long words = (bytes + 3) / MEM_SMALL_BLOCK_WORD_SIZE;
    if (words < MEM_SMALL_BLOCK_NODE_WORDS || words > MEM_SMALL_BLOCK_MAX_WORDS) {
        return nullptr;
    }
    // The leading word (index 0 means "none"), the block, and the end node
    // whole, though only its first word is ever used.
    size_t buffer_bytes = (1 + words) * MEM_SMALL_BLOCK_WORD_SIZE + sizeof(MEM_SMALL_BLOCK_NODE);
    void* memory = std::malloc(sizeof(MEM_SMALL_BLOCK_HEAP));
    char* buffer = static_cast<char*>(std::calloc(1, buffer_bytes));
    if (memory == nullptr || buffer == nullptr) {
        std::free(memory);
        std::free(buffer);
        return nullptr;
    }
    auto* heap = new (memory) MEM_SMALL_BLOCK_HEAP;
    heap->m_base = buffer;

    MEM_SMALL_BLOCK_NODE* block = heap->node(1);
    block->set(FREE_BLOCK, true);
    block->m_words = static_cast<uint16_t>(words);
    heap->write_footer(block);
    heap->m_end = heap->node(1 + static_cast<unsigned>(words));
    heap->m_end->set(END_BLOCK, true);
    heap->m_end->m_words = 1;
    heap->m_root = block;
    heap->m_free_block_bytes = static_cast<uint32_t>(words * MEM_SMALL_BLOCK_WORD_SIZE);
    heap->m_free_block_count = 1;
    return heap;
}

void MEM_SMALL_BLOCK_HEAP::destroy(MEM_SMALL_BLOCK_HEAP* heap) {
    if (heap != nullptr) {
        std::free(heap->m_base);
        heap->~MEM_SMALL_BLOCK_HEAP();
        std::free(heap);
    }
}

uint16_t MEM_SMALL_BLOCK_HEAP::subtree_max(uint16_t i) const {
    if (i == 0) {
        return 0;
    }
    MEM_SMALL_BLOCK_NODE const* n = node(i);
    return std::max({n->m_words, n->m_max_size[0], n->m_max_size[1]});
}

void MEM_SMALL_BLOCK_HEAP::update_max(MEM_SMALL_BLOCK_NODE* block) {
    block->m_max_size[0] = subtree_max(block->m_child_i[0]);
    block->m_max_size[1] = subtree_max(block->m_child_i[1]);
}

uint16_t MEM_SMALL_BLOCK_HEAP::footer(MEM_SMALL_BLOCK_NODE const* block) const {
    uint16_t words;
    std::memcpy(&words, reinterpret_cast<char const*>(block) - sizeof words, sizeof words);
    return words;
}

void MEM_SMALL_BLOCK_HEAP::write_footer(MEM_SMALL_BLOCK_NODE* block) {
    char* end = reinterpret_cast<char*>(block) + block->m_words * MEM_SMALL_BLOCK_WORD_SIZE;
    std::memcpy(end - sizeof block->m_words, &block->m_words, sizeof block->m_words);
}

// Top-down splay by position. The nodes hung on the left and right trees on the
// way down get new children when the trees are joined, so their maxima are
// recomputed afterwards, deepest first; until then each keeps a link back to
// its parent in the tree in the maximum slot of the side that will change.
uint16_t MEM_SMALL_BLOCK_HEAP::splay(uint16_t root, uint16_t key) {
    if (root == 0) {
        return 0;
    }
    uint16_t left_first = 0, left_last = 0;   // nodes below key, right spine
    uint16_t right_first = 0, right_last = 0; // nodes above key, left spine
    uint16_t t = root;
    for (;;) {
        MEM_SMALL_BLOCK_NODE* tn = node(t);
        if (key < t) {
            uint16_t l = tn->m_child_i[0];
            if (l == 0) {
                break;
            }
            if (key < l) { // rotate right
                MEM_SMALL_BLOCK_NODE* ln = node(l);
                tn->m_child_i[0] = ln->m_child_i[1];
                update_max(tn);
                ln->m_child_i[1] = t;
                t = l;
                tn = ln;
                if (tn->m_child_i[0] == 0) {
                    break;
                }
            }
            // link right
            if (right_last != 0) {
                node(right_last)->m_child_i[0] = t;
            } else {
                right_first = t;
            }
            tn->m_max_size[0] = right_last;
            right_last = t;
            t = tn->m_child_i[0];
        } else if (key > t) {
            uint16_t r = tn->m_child_i[1];
            if (r == 0) {
                break;
            }
            if (key > r) { // rotate left
                MEM_SMALL_BLOCK_NODE* rn = node(r);
                tn->m_child_i[1] = rn->m_child_i[0];
                update_max(tn);
                rn->m_child_i[0] = t;
                t = r;
                tn = rn;
                if (tn->m_child_i[1] == 0) {
                    break;
                }
            }
            // link left
            if (left_last != 0) {
                node(left_last)->m_child_i[1] = t;
            } else {
                left_first = t;
            }
            tn->m_max_size[1] = left_last;
            left_last = t;
            t = tn->m_child_i[1];
        } else {
            break;
        }
    }
    MEM_SMALL_BLOCK_NODE* tn = node(t);
    if (left_last != 0) {
        node(left_last)->m_child_i[1] = tn->m_child_i[0];
    } else {
        left_first = tn->m_child_i[0];
    }
    if (right_last != 0) {
        node(right_last)->m_child_i[0] = tn->m_child_i[1];
    } else {
        right_first = tn->m_child_i[1];
    }
    for (uint16_t i = left_last; i != 0;) {
        MEM_SMALL_BLOCK_NODE* n = node(i);
        uint16_t parent = n->m_max_size[1];
        update_max(n);
        i = parent;
    }
    for (uint16_t i = right_last; i != 0;) {
        MEM_SMALL_BLOCK_NODE* n = node(i);
        uint16_t parent = n->m_max_size[0];
        update_max(n);
        i = parent;
    }
    tn->m_child_i[0] = left_first;
    tn->m_child_i[1] = right_first;
    update_max(tn);
    return t;
}

void MEM_SMALL_BLOCK_HEAP::find_size(unsigned short words) {
    uint16_t r = root_index();
    if (subtree_max(r) < words) {
        return;
    }
    uint16_t t = r;
    for (;;) {
        ++mem_small_block_find_size_iterations;
        MEM_SMALL_BLOCK_NODE const* n = node(t);
        if (n->m_max_size[0] >= words) {
            t = n->m_child_i[0];
        } else if (n->m_words >= words) {
            break;
        } else {
            t = n->m_child_i[1];
        }
    }
    set_root(splay(r, t));
}

void MEM_SMALL_BLOCK_HEAP::find_node(unsigned short i) {
    set_root(splay(root_index(), i));
}

void MEM_SMALL_BLOCK_HEAP::delete_node(MEM_SMALL_BLOCK_NODE* block) {
    uint16_t key = static_cast<uint16_t>(index(block));
    uint16_t t = splay(root_index(), key);
    if (t != key) {
        set_root(t);
        return; // not in the tree
    }
    uint16_t left = block->m_child_i[0];
    uint16_t right = block->m_child_i[1];
    if (left == 0) {
        set_root(right);
    } else {
        // The highest node of the left subtree has no right child after this.
        uint16_t highest = splay(left, key);
        MEM_SMALL_BLOCK_NODE* h = node(highest);
        h->m_child_i[1] = right;
        update_max(h);
        set_root(highest);
    }
    block->m_child_i[0] = block->m_child_i[1] = 0;
    block->m_max_size[0] = block->m_max_size[1] = 0;
    --m_free_block_count;
}

void MEM_SMALL_BLOCK_HEAP::insert_free(MEM_SMALL_BLOCK_NODE* block) {
    uint16_t key = static_cast<uint16_t>(index(block));
    block->set(FREE_BLOCK, true);
    write_footer(block);
    block->m_child_i[0] = block->m_child_i[1] = 0;
    uint16_t t = splay(root_index(), key);
    if (t != 0) {
        MEM_SMALL_BLOCK_NODE* tn = node(t);
        int side = key < t ? 0 : 1;
        block->m_child_i[side] = tn->m_child_i[side];
        block->m_child_i[1 - side] = t;
        tn->m_child_i[side] = 0;
        update_max(tn);
    }
    update_max(block);
    m_root = block;
    ++m_free_block_count;
}

MEM_SMALL_BLOCK_NODE* MEM_SMALL_BLOCK_HEAP::allocate_block(unsigned short words) {
    if (words == 0) {
        return nullptr;
    }
    find_size(words);
    MEM_SMALL_BLOCK_NODE* t = m_root;
    if (t == nullptr || t->m_words < words) {
        return nullptr;
    }
    MEM_SMALL_BLOCK_NODE* next = node(index(t) + t->m_words);
    bool ok = true;
    MEM_SBH_CHECK(ok, next->m_free());

    unsigned remainder = t->m_words - words;
    if (remainder < MEM_SMALL_BLOCK_NODE_WORDS) {
        // The whole block goes; a remainder stays behind as a reserved sliver.
        delete_node(t);
        m_free_block_bytes -= remainder * MEM_SMALL_BLOCK_WORD_SIZE;
        if (remainder != 0) {
            MEM_SMALL_BLOCK_NODE* sliver = node(index(t) + words);
            sliver->set(RESERVED_BLOCK, true);
            sliver->m_words = static_cast<uint16_t>(remainder);
            write_footer(sliver);
        } else {
            next->set_free_flag(false);
        }
    } else {
        // The tail stays free and takes the block's place in the tree: no free
        // block lies between the two positions.
        // The two nodes overlap when fewer than three words are taken.
        MEM_SMALL_BLOCK_NODE const taken = *t;
        MEM_SMALL_BLOCK_NODE* tail = node(index(t) + words);
        *tail = taken;
        tail->m_words = static_cast<uint16_t>(remainder);
        write_footer(tail);
        m_root = tail;
    }
    t->set(USED_BLOCK, false);
    t->m_words = words;
    m_free_block_bytes -= words * MEM_SMALL_BLOCK_WORD_SIZE;
    verify_heap();
    return t;
}

void MEM_SMALL_BLOCK_HEAP::free_block(MEM_SMALL_BLOCK_NODE* block) {
    if (block == nullptr) {
        return;
    }
    bool ok = true;
    if (!MEM_SBH_CHECK(ok, block->type() == USED_BLOCK)) {
        return;
    }
    unsigned start = index(block);
    unsigned words = block->m_words;
    unsigned merged_free_words = 0;

    // The block before: free or reserved when the flag says its footer is valid.
    if (block->m_free()) {
        unsigned before = start - footer(block);
        MEM_SMALL_BLOCK_NODE* previous = node(before);
        if (previous->type() == FREE_BLOCK) {
            delete_node(previous);
            merged_free_words += previous->m_words;
        }
        words += start - before;
        start = before;
    }
    // The block after: a reserved sliver or a free block (never the end node,
    // whose flag only speaks of the block before it).
    MEM_SMALL_BLOCK_NODE* after = node(index(block) + block->m_words);
    if (after != m_end && after->m_free()) {
        if (after->type() == FREE_BLOCK) {
            delete_node(after);
            merged_free_words += after->m_words;
        }
        words += after->m_words;
    }

    MEM_SMALL_BLOCK_NODE* merged = node(start);
    merged->m_words = static_cast<uint16_t>(words);
    if (words < MEM_SMALL_BLOCK_NODE_WORDS) {
        merged->set(RESERVED_BLOCK, true);
        write_footer(merged);
    } else {
        insert_free(merged);
        m_free_block_bytes += (words - merged_free_words) * MEM_SMALL_BLOCK_WORD_SIZE;
    }
    node(start + words)->set_free_flag(true);
    verify_heap();
}

MEM_SMALL_BLOCK_NODE* MEM_SMALL_BLOCK_HEAP::reallocate_block(MEM_SMALL_BLOCK_NODE* block,
                                                             unsigned short words) {
    verify_heap();
    if (block == nullptr) {
        return allocate_block(words);
    }
    if (words == 0 || words == block->m_words) {
        return words == 0 ? nullptr : block;
    }
    if (words > block->m_words) {
        size_t old_bytes = (block->m_words - 1u) * MEM_SMALL_BLOCK_WORD_SIZE;
        MEM_SMALL_BLOCK_NODE* moved = allocate_block(words);
        if (moved == nullptr) {
            return nullptr;
        }
        size_t new_bytes = (words - 1u) * MEM_SMALL_BLOCK_WORD_SIZE;
        std::memcpy(moved->data(), block->data(), old_bytes);
        std::memset(static_cast<char*>(moved->data()) + old_bytes, 0, new_bytes - old_bytes);
        free_block(block);
        return moved;
    }
    // Shrinking: the tail becomes a used block of its own and is released, so
    // that it merges with what follows or stays behind as a reserved sliver.
    MEM_SMALL_BLOCK_NODE* tail = node(index(block) + words);
    tail->set(USED_BLOCK, false);
    tail->m_words = static_cast<uint16_t>(block->m_words - words);
    block->m_words = words;
    free_block(tail);
    verify_heap();
    return block;
}

bool MEM_SMALL_BLOCK_HEAP::verify_block_node(MEM_SMALL_BLOCK_NODE* block) {
    bool ok = true;
    MEM_SBH_CHECK(ok, block->m_free());
    MEM_SBH_CHECK(ok, block->type() == FREE_BLOCK);
    MEM_SBH_CHECK(ok, block->m_words != 0);
    MEM_SBH_CHECK(ok, block->m_child_i[0] == 0 || block->m_child_i[1] == 0 ||
                          block->m_child_i[0] < block->m_child_i[1]);
    if (block->m_child_i[0] != 0) {
        MEM_SBH_CHECK(ok, this->index(block) > block->m_child_i[0]);
        uint16_t max_size = subtree_max(block->m_child_i[0]);
        MEM_SBH_CHECK(ok, max_size == block->m_max_size[0]);
    } else {
        MEM_SBH_CHECK(ok, block->m_max_size[0] == 0);
    }
    if (block->m_child_i[1] != 0) {
        MEM_SBH_CHECK(ok, this->index(block) < block->m_child_i[1]);
        uint16_t max_size = subtree_max(block->m_child_i[1]);
        MEM_SBH_CHECK(ok, max_size == block->m_max_size[1]);
    } else {
        MEM_SBH_CHECK(ok, block->m_max_size[1] == 0);
    }
    return ok;
}

bool MEM_SMALL_BLOCK_HEAP::verify_heap() {
    bool ok = true;
    unsigned free_words = 0;
    unsigned free_blocks = 0;
    bool previous_unused = false;
    MEM_SMALL_BLOCK_NODE* block = first_block();
    while (MEM_SBH_CHECK(ok, block <= m_end) && block != m_end) {
        MEM_SBH_CHECK(ok, block < m_end);
        if (!MEM_SBH_CHECK(ok, block->m_words != 0)) {
            break;
        }
        bool unused = block->type() != USED_BLOCK;
        if (unused) {
            MEM_SBH_CHECK(ok, block->m_free());
            MEM_SBH_CHECK(ok, block->m_words < MEM_SMALL_BLOCK_NODE_WORDS ||
                                  block->type() == FREE_BLOCK);
            MEM_SBH_CHECK(ok, block->m_words >= MEM_SMALL_BLOCK_NODE_WORDS ||
                                  block->type() == RESERVED_BLOCK);
            MEM_SBH_CHECK(ok, !previous_unused);
            MEM_SBH_CHECK(ok, footer(node(index(block) + block->m_words)) == block->m_words);
            if (block->type() == FREE_BLOCK) {
                ok = verify_block_node(block) && ok;
                free_words += block->m_words;
                ++free_blocks;
            }
        } else {
            MEM_SBH_CHECK(ok, block->m_free() == previous_unused);
        }
        previous_unused = unused;
        block = node(index(block) + block->m_words);
    }
    MEM_SBH_CHECK(ok, m_end->type() == END_BLOCK);
    MEM_SBH_CHECK(ok, m_end->m_free() == previous_unused);
    MEM_SBH_CHECK(ok, (m_free_block_bytes == free_words * MEM_SMALL_BLOCK_WORD_SIZE) &&
                          (free_blocks == m_free_block_count));
    return ok;
}
