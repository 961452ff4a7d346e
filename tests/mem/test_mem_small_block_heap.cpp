#include "mem/mem_small_block_heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

struct HEAP_DELETER {
    void operator()(MEM_SMALL_BLOCK_HEAP* heap) const { MEM_SMALL_BLOCK_HEAP::destroy(heap); }
};
using HEAP = std::unique_ptr<MEM_SMALL_BLOCK_HEAP, HEAP_DELETER>;

struct BLOCK_VIEW {
    unsigned index;
    unsigned words;
    uint16_t type;
};

std::vector<BLOCK_VIEW> blocks(MEM_SMALL_BLOCK_HEAP& heap) {
    std::vector<BLOCK_VIEW> result;
    for (MEM_SMALL_BLOCK_NODE* b = heap.first_block(); b < heap.end_block();
         b = heap.node(heap.index(b) + b->m_words)) {
        result.push_back({heap.index(b), b->m_words, b->type()});
        if (b->m_words == 0) {
            break;
        }
    }
    return result;
}

TEST(SmallBlockHeap, CreatesOneFreeBlockAndAnEndNode) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(100));
    ASSERT_TRUE(heap);
    auto view = blocks(*heap);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].index, 1u);
    EXPECT_EQ(view[0].words, 25u);
    EXPECT_EQ(view[0].type, FREE_BLOCK);
    EXPECT_EQ(heap->index(heap->end_block()), 26u);
    EXPECT_EQ(heap->end_block()->type(), END_BLOCK);
    EXPECT_EQ(heap->free_block_bytes(), 100u);
    EXPECT_EQ(heap->free_block_count(), 1u);
    EXPECT_TRUE(heap->verify_heap());
}

TEST(SmallBlockHeap, RefusesSizesThatDoNotMakeAHeap) {
    EXPECT_EQ(MEM_SMALL_BLOCK_HEAP::create(0), nullptr);
    EXPECT_EQ(MEM_SMALL_BLOCK_HEAP::create(12), nullptr);
    EXPECT_EQ(MEM_SMALL_BLOCK_HEAP::create(4UL * MEM_SMALL_BLOCK_MAX_WORDS + 1), nullptr);
    HEAP largest(MEM_SMALL_BLOCK_HEAP::create(4UL * MEM_SMALL_BLOCK_MAX_WORDS));
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->free_block_bytes(), 4u * MEM_SMALL_BLOCK_MAX_WORDS);
    MEM_SMALL_BLOCK_NODE* all = largest->allocate_block(MEM_SMALL_BLOCK_MAX_WORDS);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(largest->free_block_count(), 0u);
    EXPECT_EQ(largest->allocate_block(1), nullptr);
    largest->free_block(all);
    EXPECT_EQ(largest->free_block_bytes(), 4u * MEM_SMALL_BLOCK_MAX_WORDS);
}

TEST(SmallBlockHeap, ShortRemainderBecomesAReservedSliverThatFreeingAbsorbs) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(100));
    MEM_SMALL_BLOCK_NODE* used = heap->allocate_block(22);
    ASSERT_NE(used, nullptr);
    auto view = blocks(*heap);
    ASSERT_EQ(view.size(), 2u);
    EXPECT_EQ(view[0].type, USED_BLOCK);
    EXPECT_EQ(view[0].words, 22u);
    EXPECT_EQ(view[1].type, RESERVED_BLOCK);
    EXPECT_EQ(view[1].words, 3u);
    EXPECT_EQ(heap->free_block_count(), 0u);
    EXPECT_EQ(heap->free_block_bytes(), 0u);
    EXPECT_EQ(heap->root(), nullptr);

    heap->free_block(used);
    view = blocks(*heap);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].words, 25u);
    EXPECT_EQ(view[0].type, FREE_BLOCK);
    EXPECT_EQ(heap->free_block_bytes(), 100u);
}

TEST(SmallBlockHeap, LongRemainderStaysFreeBehindTheUsedBlock) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(100));
    MEM_SMALL_BLOCK_NODE* used = heap->allocate_block(10);
    ASSERT_EQ(heap->index(used), 1u);
    auto view = blocks(*heap);
    ASSERT_EQ(view.size(), 2u);
    EXPECT_EQ(view[1].index, 11u);
    EXPECT_EQ(view[1].words, 15u);
    EXPECT_EQ(view[1].type, FREE_BLOCK);
    EXPECT_EQ(heap->free_block_bytes(), 60u);
    EXPECT_EQ(heap->allocate_block(16), nullptr);
    EXPECT_EQ(heap->allocate_block(0), nullptr);
    EXPECT_TRUE(heap->verify_heap());
}

TEST(SmallBlockHeap, ReallocationKeepsContentsAndZeroFillsGrowth) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(400));
    MEM_SMALL_BLOCK_NODE* a = heap->allocate_block(5);
    MEM_SMALL_BLOCK_NODE* fence = heap->allocate_block(4);
    std::memset(a->data(), 0x5A, 16);

    MEM_SMALL_BLOCK_NODE* grown = heap->reallocate_block(a, 9);
    ASSERT_NE(grown, nullptr);
    EXPECT_NE(grown, a); // the fence keeps it from growing in place
    auto* bytes = static_cast<unsigned char*>(grown->data());
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(bytes[i], i < 16 ? 0x5A : 0) << i;
    }

    // Shrinking by less than a free node leaves a sliver; the next free absorbs it.
    MEM_SMALL_BLOCK_NODE* shrunk = heap->reallocate_block(grown, 7);
    EXPECT_EQ(shrunk, grown);
    EXPECT_EQ(shrunk->m_words, 7u);
    EXPECT_EQ(bytes[0], 0x5A);
    EXPECT_TRUE(heap->verify_heap());
    EXPECT_EQ(heap->reallocate_block(shrunk, 200), nullptr);
    EXPECT_EQ(shrunk->m_words, 7u);
    heap->free_block(shrunk);
    heap->free_block(fence);
    auto view = blocks(*heap);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].words, 100u);
}

TEST(SmallBlockHeap, ChecksReportBrokenNodesAndDoubleFrees) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(400));
    MEM_SMALL_BLOCK_NODE* a = heap->allocate_block(8);
    heap->allocate_block(8);
    heap->free_block(a);

    testing::internal::CaptureStdout();
    heap->free_block(a); // already free: reported, heap unchanged
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find(" : block->type() == USED_BLOCK\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("mem_small_block_heap.cpp("), output.find("mem_small_block_heap"));
    EXPECT_TRUE(heap->verify_heap());

    heap->root()->m_max_size[1] += 1;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(heap->verify_heap());
    output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find(" : max_size == block->m_max_size[1]\n"), std::string::npos) << output;
}

// Random sequences of allocations, releases and resizes against a model: each
// allocation must land on the lowest free block that fits, live blocks never
// overlap, and the heap's checks and totals hold after every step.
void run_random_sequence(unsigned seed, unsigned long bytes, int steps, unsigned max_words) {
    HEAP heap(MEM_SMALL_BLOCK_HEAP::create(bytes));
    ASSERT_TRUE(heap);
    unsigned const total_words = static_cast<unsigned>((bytes + 3) / 4);
    struct LIVE {
        MEM_SMALL_BLOCK_NODE* block;
        uint8_t fill;
    };
    std::vector<LIVE> live;
    std::mt19937 random(seed);
    auto fill = [](LIVE const& l) {
        std::memset(l.block->data(), l.fill, (l.block->m_words - 1u) * 4u);
    };
    auto intact = [](LIVE const& l) {
        auto const* p = static_cast<unsigned char const*>(l.block->data());
        for (unsigned i = 0; i < (l.block->m_words - 1u) * 4u; ++i) {
            if (p[i] != l.fill) {
                return false;
            }
        }
        return true;
    };
    for (int step = 0; step < steps; ++step) {
        unsigned action = random() % 10;
        if (action < 5 || live.empty()) {
            unsigned words = 1 + random() % max_words;
            unsigned expected = 0;
            for (auto const& b : blocks(*heap)) {
                if (b.type == FREE_BLOCK && b.words >= words) {
                    expected = b.index;
                    break;
                }
            }
            MEM_SMALL_BLOCK_NODE* block = heap->allocate_block(static_cast<unsigned short>(words));
            if (expected == 0) {
                ASSERT_EQ(block, nullptr) << "step " << step;
            } else {
                ASSERT_NE(block, nullptr) << "step " << step;
                ASSERT_EQ(heap->index(block), expected) << "step " << step;
                ASSERT_EQ(block->m_words, words);
                live.push_back({block, static_cast<uint8_t>(random())});
                fill(live.back());
            }
        } else if (action < 8) {
            size_t i = random() % live.size();
            heap->free_block(live[i].block);
            live.erase(live.begin() + static_cast<long>(i));
        } else {
            LIVE& l = live[random() % live.size()];
            unsigned old_words = l.block->m_words;
            unsigned words = 1 + random() % max_words;
            MEM_SMALL_BLOCK_NODE* block =
                heap->reallocate_block(l.block, static_cast<unsigned short>(words));
            if (block == nullptr) {
                ASSERT_GT(words, old_words);
                ASSERT_EQ(l.block->m_words, old_words);
            } else {
                auto const* p = static_cast<unsigned char const*>(block->data());
                unsigned kept = (std::min(old_words, words) - 1) * 4;
                for (unsigned j = 0; j < (words - 1) * 4; ++j) {
                    ASSERT_EQ(p[j], j < kept ? l.fill : 0) << "step " << step;
                }
                l.block = block;
                fill(l);
            }
        }
        ASSERT_TRUE(heap->verify_heap()) << "step " << step;
        unsigned used = 0, reserved = 0;
        for (auto const& b : blocks(*heap)) {
            used += b.type == USED_BLOCK ? b.words : 0;
            reserved += b.type == RESERVED_BLOCK ? b.words : 0;
        }
        ASSERT_EQ(used + reserved + heap->free_block_bytes() / 4, total_words);
        for (auto const& l : live) {
            ASSERT_TRUE(intact(l)) << "step " << step;
        }
    }
    for (auto const& l : live) {
        heap->free_block(l.block);
    }
    auto view = blocks(*heap);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].words, total_words);
    EXPECT_EQ(heap->free_block_count(), 1u);
}

TEST(SmallBlockHeap, RandomSequences) {
    struct RUN {
        unsigned seed;
        unsigned long bytes;
        int steps;
        unsigned max_words;
    } runs[] = {
        {1, 100, 2000, 8},    {2, 4096, 3000, 20},    {3, 4096, 3000, 300},
        {4, 65536, 3000, 64}, {5, 262136, 1500, 900}, {6, 1000, 3000, 5},
    };
    for (auto const& r : runs) {
        SCOPED_TRACE(r.seed);
        run_random_sequence(r.seed, r.bytes, r.steps, r.max_words);
    }
}

} // namespace
