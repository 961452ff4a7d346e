// Top-down splaying with a left and a right assembly tree, written once for both
// node kinds: the plain tree links through m_left/m_right, the heap through
// m_heap_left/m_heap_right and keeps the subtree maxima up to date.
#include "mem/mem_splay.h"

#include <algorithm>
#include <cstdio>

unsigned long mem_splay_checked_nodes = 0;

namespace {

struct TREE_LINKS {
    using NODE = MEM_SPLAY_TREE_NODE;
    static constexpr bool with_values = false;
    static NODE*& left(NODE* n) { return n->m_left; }
    static NODE*& right(NODE* n) { return n->m_right; }
    static NODE const* left(NODE const* n) { return n->m_left; }
    static NODE const* right(NODE const* n) { return n->m_right; }
};

struct HEAP_LINKS {
    using NODE = MEM_SPLAY_HEAP_NODE;
    static constexpr bool with_values = true;
    static NODE*& left(NODE* n) { return n->m_heap_left; }
    static NODE*& right(NODE* n) { return n->m_heap_right; }
    static NODE const* left(NODE const* n) { return n->m_heap_left; }
    static NODE const* right(NODE const* n) { return n->m_heap_right; }
};

size_t aggregate(MEM_SPLAY_HEAP_NODE const* n) {
    return n == nullptr ? 0 : std::max({n->m_size, n->m_left_max, n->m_right_max});
}

// Steering answers: go left, stop here, go right.
enum STEP { LEFT = -1, HERE = 0, RIGHT = 1 };

template <class NODE> struct BY_ADDRESS {
    uintptr_t key;
    STEP operator()(NODE const* n) const {
        return key < n->m_start ? LEFT : key >= n->m_end ? RIGHT : HERE;
    }
};

// Towards the lowest-addressed node whose value is at least n; only ever asked
// about subtrees that hold such a node.
struct BY_SIZE {
    size_t n;
    STEP operator()(MEM_SPLAY_HEAP_NODE const* node) const {
        return node->m_left_max >= n ? LEFT : node->m_size >= n ? HERE : RIGHT;
    }
};

// Recomputes the maxima along one assembly chain after splaying. The chain runs
// from `top` down to `bottom` through `next` links (the right links of the left
// assembly, or the left links of the right assembly), and bottom's `next` is
// already the subtree whose maximum is `below`. Returns the chain's maximum.
// The chain is walked down once reversing its links, then up restoring them.
template <class L, bool LEFT_CHAIN>
size_t refresh_chain(typename L::NODE* top, typename L::NODE* bottom, size_t below) {
    using NODE = typename L::NODE;
    auto next = [](NODE* n) -> NODE*& { return LEFT_CHAIN ? L::right(n) : L::left(n); };
    NODE* prev = nullptr;
    NODE* cur = top;
    while (cur != bottom) {
        NODE* down = next(cur);
        next(cur) = prev;
        prev = cur;
        cur = down;
    }
    (LEFT_CHAIN ? bottom->m_right_max : bottom->m_left_max) = below;
    size_t m = aggregate(bottom);
    NODE* child = bottom;
    for (cur = prev; cur != nullptr;) {
        NODE* up = next(cur);
        next(cur) = child;
        (LEFT_CHAIN ? cur->m_right_max : cur->m_left_max) = m;
        m = aggregate(cur);
        child = cur;
        cur = up;
    }
    return m;
}

template <class L, class STEER> typename L::NODE* splay(typename L::NODE* t, STEER steer) {
    using NODE = typename L::NODE;
    if (t == nullptr) {
        return t;
    }
    NODE header;
    NODE* l = &header; // deepest node of the left assembly
    NODE* r = &header; // deepest node of the right assembly
    for (;;) {
        STEP step = steer(t);
        if (step == LEFT) {
            NODE* c = L::left(t);
            if (c == nullptr) {
                break;
            }
            if (steer(c) == LEFT) { // zig-zig: rotate right
                L::left(t) = L::right(c);
                L::right(c) = t;
                if constexpr (L::with_values) {
                    t->m_left_max = c->m_right_max;
                    c->m_right_max = aggregate(t);
                }
                t = c;
                if (L::left(t) == nullptr) {
                    break;
                }
            }
            L::left(r) = t; // link right
            r = t;
            t = L::left(t);
        } else if (step == RIGHT) {
            NODE* c = L::right(t);
            if (c == nullptr) {
                break;
            }
            if (steer(c) == RIGHT) { // zag-zag: rotate left
                L::right(t) = L::left(c);
                L::left(c) = t;
                if constexpr (L::with_values) {
                    t->m_right_max = c->m_left_max;
                    c->m_left_max = aggregate(t);
                }
                t = c;
                if (L::right(t) == nullptr) {
                    break;
                }
            }
            L::right(l) = t; // link left
            l = t;
            t = L::right(t);
        } else {
            break;
        }
    }
    L::right(l) = L::left(t);
    L::left(r) = L::right(t);
    if constexpr (L::with_values) {
        if (l != &header) {
            t->m_left_max = refresh_chain<L, true>(L::right(&header), l, t->m_left_max);
        }
        if (r != &header) {
            t->m_right_max = refresh_chain<L, false>(L::left(&header), r, t->m_right_max);
        }
    }
    L::left(t) = L::right(&header);
    L::right(t) = L::left(&header);
    return t;
}

template <class L> typename L::NODE* insert(typename L::NODE* root, typename L::NODE* node) {
    using NODE = typename L::NODE;
    if (root == nullptr) {
        L::left(node) = L::right(node) = nullptr;
        if constexpr (L::with_values) {
            node->m_left_max = node->m_right_max = 0;
        }
        return node;
    }
    root = splay<L>(root, BY_ADDRESS<NODE>{node->m_start});
    if (root == node) {
        return root;
    }
    if (node->m_start < root->m_start) {
        L::left(node) = L::left(root);
        L::left(root) = nullptr;
        L::right(node) = root;
        if constexpr (L::with_values) {
            node->m_left_max = root->m_left_max;
            root->m_left_max = 0;
            node->m_right_max = aggregate(root);
        }
    } else {
        L::right(node) = L::right(root);
        L::right(root) = nullptr;
        L::left(node) = root;
        if constexpr (L::with_values) {
            node->m_right_max = root->m_right_max;
            root->m_right_max = 0;
            node->m_left_max = aggregate(root);
        }
    }
    return node;
}

template <class L> typename L::NODE* remove(typename L::NODE* root, typename L::NODE* node) {
    using NODE = typename L::NODE;
    root = splay<L>(root, BY_ADDRESS<NODE>{node->m_start});
    if (root != node) {
        return root;
    }
    NODE* result = L::right(root);
    if (L::left(root) != nullptr) {
        // Everything on the left lies below the node: this brings its highest node up.
        result = splay<L>(L::left(root), BY_ADDRESS<NODE>{node->m_start});
        L::right(result) = L::right(root);
        if constexpr (L::with_values) {
            result->m_right_max = root->m_right_max;
        }
    }
    L::left(node) = L::right(node) = nullptr;
    return result;
}

// One walk for both the counting verification and the printing check.
enum class FAULT { NONE, LEFT_ORDER, RIGHT_ORDER, SELF_CHILD, MAXIMUM };

template <class L> struct WALK {
    using NODE = typename L::NODE;
    FAULT fault = FAULT::NONE;
    bool print = false;
    long nodes = 0;

    void report(FAULT f) {
        if (fault == FAULT::NONE) {
            fault = f;
        }
        if (!print) {
            return;
        }
        char const* text = nullptr;
        if constexpr (L::with_values) {
            text = f == FAULT::MAXIMUM      ? "Bad heap 1"
                   : f == FAULT::SELF_CHILD ? "Bad heap 3"
                                            : "Bad heap 2";
        } else {
            text = f == FAULT::RIGHT_ORDER ? "Bad tree 2" : "Bad tree 1";
        }
        std::printf("%s\n", text);
    }

    // Checks the subtree against the bounds [lo, hi); returns its maximum value.
    size_t walk(NODE const* n, uintptr_t lo, uintptr_t hi, bool is_left) {
        if (n == nullptr) {
            return 0;
        }
        ++nodes;
        if (n->m_start == 0 || n->m_end <= n->m_start || n->m_start < lo || n->m_end > hi) {
            report(is_left ? FAULT::LEFT_ORDER : FAULT::RIGHT_ORDER);
            return 0;
        }
        if (L::left(n) == n || L::right(n) == n) {
            report(FAULT::SELF_CHILD);
            return 0;
        }
        size_t left = walk(L::left(n), lo, n->m_start, true);
        size_t right = walk(L::right(n), n->m_end, hi, false);
        if constexpr (L::with_values) {
            if (left != n->m_left_max || right != n->m_right_max) {
                report(FAULT::MAXIMUM);
            }
            return std::max({left, right, n->m_size});
        }
        return 0;
    }
};

template <class L> long verify(typename L::NODE const* root) {
    WALK<L> w;
    w.walk(root, 1, UINTPTR_MAX, true);
    return w.fault == FAULT::NONE ? w.nodes : -1;
}

} // namespace

size_t MEM_SPLAY_HEAP_NODE::get_max_size() const {
    return aggregate(this);
}

MEM_SPLAY_TREE_NODE* MEM_SPLAY_TREE_NODE::find_address(MEM_SPLAY_TREE_NODE* root,
                                                       uintptr_t address) {
    return splay<TREE_LINKS>(root, BY_ADDRESS<MEM_SPLAY_TREE_NODE>{address});
}

MEM_SPLAY_HEAP_NODE* MEM_SPLAY_HEAP_NODE::find_address(MEM_SPLAY_HEAP_NODE* root,
                                                       uintptr_t address) {
    return splay<HEAP_LINKS>(root, BY_ADDRESS<MEM_SPLAY_HEAP_NODE>{address});
}

MEM_SPLAY_TREE_NODE* MEM_SPLAY_TREE::insert_node(MEM_SPLAY_TREE_NODE* root,
                                                 MEM_SPLAY_TREE_NODE* node) {
    return insert<TREE_LINKS>(root, node);
}

MEM_SPLAY_TREE_NODE* MEM_SPLAY_TREE::delete_node(MEM_SPLAY_TREE_NODE* root,
                                                 MEM_SPLAY_TREE_NODE* node) {
    return remove<TREE_LINKS>(root, node);
}

long MEM_SPLAY_TREE::verify_tree(MEM_SPLAY_TREE_NODE const* root) {
    return verify<TREE_LINKS>(root);
}

MEM_SPLAY_HEAP_NODE* MEM_SPLAY_HEAP::find_size(MEM_SPLAY_HEAP_NODE* root, size_t n) {
    if (root == nullptr) {
        return root;
    }
    if (root->m_left_max < n && (root->m_size >= n || root->m_right_max < n)) {
        return root; // the root is the answer, or nothing qualifies
    }
    return splay<HEAP_LINKS>(root, BY_SIZE{n});
}

MEM_SPLAY_HEAP_NODE* MEM_SPLAY_HEAP::insert_node(MEM_SPLAY_HEAP_NODE* root,
                                                 MEM_SPLAY_HEAP_NODE* node) {
    return insert<HEAP_LINKS>(root, node);
}

MEM_SPLAY_HEAP_NODE* MEM_SPLAY_HEAP::delete_node(MEM_SPLAY_HEAP_NODE* root,
                                                 MEM_SPLAY_HEAP_NODE* node) {
    return remove<HEAP_LINKS>(root, node);
}

long MEM_SPLAY_HEAP::verify_heap(MEM_SPLAY_HEAP_NODE const* root) {
    return verify<HEAP_LINKS>(root);
}

int mem_check_tree(MEM_SPLAY_TREE_NODE const* root) {
    WALK<TREE_LINKS> w;
    w.print = true;
    w.walk(root, 1, UINTPTR_MAX, true);
    mem_splay_checked_nodes += static_cast<unsigned long>(w.nodes);
    return w.fault == FAULT::NONE ? 1 : 0;
}

int mem_check_heap(MEM_SPLAY_HEAP_NODE const* root, size_t expected_maximum) {
    WALK<HEAP_LINKS> w;
    w.print = true;
    size_t maximum = w.walk(root, 1, UINTPTR_MAX, true);
    if (maximum != expected_maximum) {
        w.report(FAULT::MAXIMUM);
    }
    mem_splay_checked_nodes += static_cast<unsigned long>(w.nodes);
    return w.fault == FAULT::NONE ? 1 : 0;
}
