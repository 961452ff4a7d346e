#include "mem/mem_splay.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

// Slot i of the test's address space is [base + i * 64, base + i * 64 + width).
constexpr uintptr_t kBase = 0x100000;
constexpr int kSlots = 400;

struct INTERVAL {
    uintptr_t end;
    size_t value;
};

// Drives one heap and a plain map side by side through random operations.
class SplayHeapAgainstMap : public ::testing::Test {
protected:
    std::vector<MEM_SPLAY_HEAP_NODE> nodes = std::vector<MEM_SPLAY_HEAP_NODE>(kSlots);
    std::map<uintptr_t, INTERVAL> reference;
    MEM_SPLAY_HEAP_NODE* root = nullptr;
    std::mt19937 rng{12345};

    size_t random_value() { return std::uniform_int_distribution<size_t>(1, 1000)(rng); }

    void insert(int slot) {
        MEM_SPLAY_HEAP_NODE& n = nodes[slot];
        n.m_start = kBase + slot * 64;
        n.m_end = n.m_start + 16 + (slot % 3) * 16;
        n.m_size = random_value();
        root = MEM_SPLAY_HEAP::insert_node(root, &n);
        ASSERT_EQ(root, &n);
        reference[n.m_start] = {n.m_end, n.m_size};
    }

    void remove(int slot) {
        MEM_SPLAY_HEAP_NODE& n = nodes[slot];
        root = MEM_SPLAY_HEAP::delete_node(root, &n);
        reference.erase(n.m_start);
    }

    void check_sound() {
        ASSERT_EQ(MEM_SPLAY_HEAP::verify_heap(root), static_cast<long>(reference.size()));
        if (root != nullptr) {
            size_t largest = 0;
            for (auto const& [start, iv] : reference) {
                largest = std::max(largest, iv.value);
            }
            EXPECT_EQ(root->get_max_size(), largest);
        }
    }
};

TEST_F(SplayHeapAgainstMap, RandomOperationsAgreeWithReference) {
    std::vector<bool> present(kSlots, false);
    for (int step = 0; step < 20000; ++step) {
        int slot = std::uniform_int_distribution<int>(0, kSlots - 1)(rng);
        switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
        case 0:
            if (!present[slot]) {
                insert(slot);
                present[slot] = true;
            } else {
                // Inserting a node that is already in the tree changes nothing.
                root = MEM_SPLAY_HEAP::insert_node(root, &nodes[slot]);
            }
            break;
        case 1:
            if (present[slot]) {
                remove(slot);
                present[slot] = false;
            }
            break;
        case 2: {
            uintptr_t address =
                kBase - 8 + std::uniform_int_distribution<uintptr_t>(0, kSlots * 64 + 16)(rng);
            root = MEM_SPLAY_HEAP_NODE::find_address(root, address);
            auto above = reference.upper_bound(address);
            if (reference.empty()) {
                ASSERT_EQ(root, nullptr);
            } else if (above != reference.begin() && std::prev(above)->second.end > address) {
                ASSERT_EQ(root->m_start, std::prev(above)->first) << "covering node";
            } else {
                // In a gap: one of the two neighbours.
                bool is_next = above != reference.end() && root->m_start == above->first;
                bool is_prev =
                    above != reference.begin() && root->m_start == std::prev(above)->first;
                ASSERT_TRUE(is_next || is_prev);
            }
            break;
        }
        case 3: {
            size_t n = random_value();
            MEM_SPLAY_HEAP_NODE* before = root;
            root = MEM_SPLAY_HEAP::find_size(root, n);
            auto fit = std::find_if(reference.begin(), reference.end(),
                                    [n](auto const& kv) { return kv.second.value >= n; });
            if (fit == reference.end()) {
                ASSERT_EQ(root, before);
            } else {
                ASSERT_EQ(root->m_start, fit->first);
            }
            break;
        }
        case 4:
            // A value may change only at the root; the root's maxima stay valid.
            if (root != nullptr) {
                MEM_SPLAY_HEAP::set_root_size(root, random_value());
                reference[root->m_start].value = root->m_size;
            }
            break;
        }
        check_sound();
        if (HasFatalFailure()) {
            FAIL() << "at step " << step;
        }
    }
}

TEST_F(SplayHeapAgainstMap, FindSizeWhereOnlyTheHighestNodeFits) {
    for (int slot = 0; slot < 50; ++slot) {
        insert(slot);
    }
    for (int slot = 0; slot < 50; ++slot) {
        root = MEM_SPLAY_HEAP_NODE::find_address(root, nodes[slot].m_start);
        MEM_SPLAY_HEAP::set_root_size(root, slot == 49 ? 5000 : 10);
        reference[root->m_start].value = root->m_size;
    }
    root = MEM_SPLAY_HEAP_NODE::find_address(root, nodes[0].m_start);
    root = MEM_SPLAY_HEAP::find_size(root, 4000);
    EXPECT_EQ(root, &nodes[49]);
    check_sound();
}

TEST_F(SplayHeapAgainstMap, DeletingTheRootOfTwoNodesLeavesTheOther) {
    insert(1);
    insert(2);
    remove(2);
    ASSERT_EQ(root, &nodes[1]);
    EXPECT_EQ(root->m_left_max, 0u);
    EXPECT_EQ(root->m_right_max, 0u);
    check_sound();
}

TEST(SplayTree, RandomInsertDeleteFindKeepsOrder) {
    std::vector<MEM_SPLAY_TREE_NODE> nodes(kSlots);
    std::vector<bool> present(kSlots, false);
    long count = 0;
    MEM_SPLAY_TREE_NODE* root = nullptr;
    std::mt19937 rng(99);
    for (int step = 0; step < 10000; ++step) {
        int slot = std::uniform_int_distribution<int>(0, kSlots - 1)(rng);
        MEM_SPLAY_TREE_NODE& n = nodes[slot];
        if (!present[slot]) {
            n.m_start = kBase + slot * 64;
            n.m_end = n.m_start + 32;
            root = MEM_SPLAY_TREE::insert_node(root, &n);
            ++count;
        } else if (step % 3 == 0) {
            root = MEM_SPLAY_TREE::delete_node(root, &n);
            --count;
        } else {
            root = MEM_SPLAY_TREE_NODE::find_address(root, n.m_start + 5);
            ASSERT_EQ(root, &n);
            present[slot] = true;
            continue;
        }
        present[slot] = !present[slot];
        ASSERT_EQ(MEM_SPLAY_TREE::verify_tree(root), count);
    }
    EXPECT_EQ(mem_check_tree(root), 1);
}

TEST(SplayChecks, BrokenTreesAreNamed) {
    MEM_SPLAY_HEAP_NODE a, b;
    a.m_start = 0x1000;
    a.m_end = 0x1010;
    b.m_start = 0x2000;
    b.m_end = 0x2010;
    a.m_size = 7;
    b.m_size = 3;
    MEM_SPLAY_HEAP_NODE* root = MEM_SPLAY_HEAP::insert_node(nullptr, &a);
    root = MEM_SPLAY_HEAP::insert_node(root, &b);
    EXPECT_EQ(mem_check_heap(root, 7), 1);

    struct CASE {
        char const* name;
        void (*spoil)(MEM_SPLAY_HEAP_NODE& root, MEM_SPLAY_HEAP_NODE& child);
        char const* text;
    };
    CASE const cases[] = {
        {"wrong maximum", [](auto& r, auto&) { r.m_left_max = 1; }, "Bad heap 1"},
        {"child on the wrong side",
         [](auto& r, auto& c) {
             r.m_heap_left = nullptr;
             r.m_heap_right = &c;
             r.m_right_max = r.m_left_max;
             r.m_left_max = 0;
         },
         "Bad heap 2"},
        {"own child", [](auto& r, auto&) { r.m_heap_left = &r; }, "Bad heap 3"},
    };
    for (CASE const& c : cases) {
        MEM_SPLAY_HEAP_NODE r = *root;
        MEM_SPLAY_HEAP_NODE child = a;
        r.m_heap_left = &child;
        c.spoil(r, child);
        testing::internal::CaptureStdout();
        EXPECT_EQ(mem_check_heap(&r, 7), 0) << c.name;
        EXPECT_NE(testing::internal::GetCapturedStdout().find(c.text), std::string::npos) << c.name;
        EXPECT_EQ(MEM_SPLAY_HEAP::verify_heap(&r), -1) << c.name;
    }
}

} // namespace
