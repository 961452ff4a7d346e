// Address-ordered splay trees whose nodes live inside the objects they order
// (mega pages, segments). Each node covers a non-overlapping address interval
// [m_start, m_end). The heap form also keeps, per node, a value and the largest
// value of each subtree, so that the lowest-addressed node whose value is at
// least n is found by one splay.
//
// A tree is passed around as its root; every operation returns the new root.
// Nothing here allocates or locks.
#pragma once

#include <cstddef>
#include <cstdint>

struct MEM_SPLAY_TREE_NODE {
    MEM_SPLAY_TREE_NODE* m_left = nullptr;
    MEM_SPLAY_TREE_NODE* m_right = nullptr;
    uintptr_t m_start = 0; // first address covered
    uintptr_t m_end = 0;   // first address past the interval

    bool covers(uintptr_t address) const { return address >= m_start && address < m_end; }

    // Splays the node covering `address` to the root, or else the last node on
    // the search path. A null root stays null.
    static MEM_SPLAY_TREE_NODE* find_address(MEM_SPLAY_TREE_NODE* root, uintptr_t address);
};

struct MEM_SPLAY_HEAP_NODE : MEM_SPLAY_TREE_NODE {
    MEM_SPLAY_HEAP_NODE* m_heap_left = nullptr;
    MEM_SPLAY_HEAP_NODE* m_heap_right = nullptr;
    size_t m_left_max = 0;  // largest value in the left subtree, 0 when empty
    size_t m_right_max = 0; // largest value in the right subtree, 0 when empty
    size_t m_size = 0;      // the node's own value

    // Largest value in the subtree rooted here.
    size_t get_max_size() const;

    static MEM_SPLAY_HEAP_NODE* find_address(MEM_SPLAY_HEAP_NODE* root, uintptr_t address);
};

namespace MEM_SPLAY_TREE {
MEM_SPLAY_TREE_NODE* insert_node(MEM_SPLAY_TREE_NODE* root, MEM_SPLAY_TREE_NODE* node);
MEM_SPLAY_TREE_NODE* delete_node(MEM_SPLAY_TREE_NODE* root, MEM_SPLAY_TREE_NODE* node);
// Number of nodes (0 when empty), or -1 when an interval is empty, starts at 0
// or is out of order.
long verify_tree(MEM_SPLAY_TREE_NODE const* root);
} // namespace MEM_SPLAY_TREE

namespace MEM_SPLAY_HEAP {
// Splays to the root the lowest-addressed node whose value is at least n; when
// none qualifies the root is returned unchanged.
MEM_SPLAY_HEAP_NODE* find_size(MEM_SPLAY_HEAP_NODE* root, size_t n);
MEM_SPLAY_HEAP_NODE* insert_node(MEM_SPLAY_HEAP_NODE* root, MEM_SPLAY_HEAP_NODE* node);
MEM_SPLAY_HEAP_NODE* delete_node(MEM_SPLAY_HEAP_NODE* root, MEM_SPLAY_HEAP_NODE* node);
// Call after changing the root's own value: nothing above it needs fixing.
inline void set_root_size(MEM_SPLAY_HEAP_NODE* root, size_t value) {
    root->m_size = value;
}
// As verify_tree, and -1 also when a stored subtree maximum is wrong.
long verify_heap(MEM_SPLAY_HEAP_NODE const* root);
} // namespace MEM_SPLAY_HEAP

// Whole-tree checks that print what they find ("Bad tree 1", "Bad tree 2" for a
// child on the wrong side; "Bad heap 1" for a wrong maximum, "Bad heap 2" for a
// child on the wrong side, "Bad heap 3" for a node that is its own child) on
// standard output. They return 1 for a sound tree, else 0, and add the nodes
// they visit to mem_splay_checked_nodes.
int mem_check_tree(MEM_SPLAY_TREE_NODE const* root);
int mem_check_heap(MEM_SPLAY_HEAP_NODE const* root, size_t expected_maximum);
extern unsigned long mem_splay_checked_nodes;
