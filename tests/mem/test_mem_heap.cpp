// The own heap driven directly: blocks, mega pages, segments, the inter-thread
// delete queue, trimming and returning pages, validation and guard checks.
#include "mem/mem_config.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_section.h"
#include "mem/mem_section_vm.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "mem/mem_track.h"
#include "suite/threads/thr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

MEM_SEGMENT_INTERNAL* segment() {
    return MEM_MANAGER_INTERNAL::get_default_segment();
}

void* allocate(size_t size) {
    return segment()->allocate(size, nullptr);
}

void release(void* user) {
    ASSERT_TRUE(mem_own_heap_release(user));
}

void* reallocate(void* user, size_t size) {
    void* result = nullptr;
    EXPECT_TRUE(mem_own_heap_reallocate(user, size, nullptr, nullptr, &result));
    return result;
}

size_t usable_size(void* user) {
    return MEM_MANAGER::msize(user);
}

// The bytes after the header of a freed block of less than a sub-page.
size_t usable_size_of_free(void* user) {
    return MEM_BLOCK::from_user(user)->m_size - 4;
}

bool is_allocated(void* user) {
    bool allocated = false;
    EXPECT_TRUE(mem_own_heap_owns(user, &allocated));
    return allocated;
}

MEM_BLOCK* header_of(void* user) {
    return MEM_BLOCK::from_user(user);
}

bool all_bytes(void const* p, size_t n, unsigned char value) {
    auto const* b = static_cast<unsigned char const*>(p);
    return std::all_of(b, b + n, [value](unsigned char c) { return c == value; });
}

// The tests drive the calling thread's segment directly. Whatever else the
// process allocates meanwhile (the test framework, the tests' own containers)
// takes the platform road, so that the segment holds only the tests' blocks
// besides what it held before.
class OwnHeap : public ::testing::Test {
protected:
    void SetUp() override {
        saved_native_ = mem_use_native_allocator;
        mem_use_native_allocator = true;
        mem_do_segment_validation = true;
    }
    void TearDown() override {
        mem_do_segment_validation = false;
        mem_use_native_allocator = saved_native_;
    }
    // Whether the own heap serves the process itself outside the tests' bodies.
    bool process_on_own_heap() const { return !saved_native_; }

private:
    bool saved_native_ = true;
};

TEST_F(OwnHeap, BlockSizesAndAlignment) {
    struct CASE {
        size_t request;
        size_t usable; // msize: the request rounded up to a multiple of 4
    };
    CASE const cases[] = {{0, 4},     {5, 8},       {12, 12},    {13, 16},
                          {100, 100}, {4092, 4092}, {4093, 4096}};
    for (CASE const& c : cases) {
        void* p = allocate(c.request);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << c.request;
        EXPECT_EQ(usable_size(p), c.usable) << c.request;
        EXPECT_TRUE(all_bytes(p, c.usable, 0)) << c.request;
        EXPECT_TRUE(is_allocated(p));
        release(p);
    }
}

TEST_F(OwnHeap, BlocksOfAPageSubPageOrMoreKeepTheirSizeInThePage) {
    void* p = allocate(4092); // a block of exactly 4096 bytes
    MEM_BLOCK* block = header_of(p);
    MEM_MEGA_PAGE* page = mem_heap_page_of(p);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(block->m_size, 0u);
    EXPECT_EQ(page->m_page_large_block_size_array[page->sub_page_of(block)], 4096u);
    EXPECT_EQ(block->m_guard, MEM_GUARD_PATTERN);
    EXPECT_EQ(block->m_type, uint32_t(MEM_BLOCK::USED));
    release(p);
}

TEST_F(OwnHeap, FreedMemoryHoldsTheFreePatternAndIsHandedOutZeroed) {
    auto* p = static_cast<unsigned char*>(allocate(200));
    std::memset(p, 0x5A, 200);
    release(p);
    EXPECT_TRUE(all_bytes(p, 200, 0x88));
    auto* q = static_cast<unsigned char*>(allocate(200));
    EXPECT_EQ(q, p) << "first fit reuses the freed block";
    EXPECT_TRUE(all_bytes(q, 200, 0));
    release(q);
}

TEST_F(OwnHeap, FreeingBetweenTwoFreeBlocksMergesAllThree) {
    // Larger than any hole the rest of the process may have left in the
    // segment, so the three blocks lie side by side at the free tail.
    size_t const size = 12000;
    void* a = allocate(size);
    void* b = allocate(size);
    void* c = allocate(size);
    void* guard = allocate(size); // keeps c from merging with the page's free tail
    release(a);
    release(c);
    release(b);
    MEM_MEGA_PAGE* page = mem_heap_page_of(guard);
    EXPECT_EQ(page->block_size(header_of(a)), 3 * mem_block_size_for(size));
    EXPECT_EQ(header_of(a)->m_type, uint32_t(MEM_BLOCK::FREE));
    release(guard);
}

TEST_F(OwnHeap, ReallocationKeepsContentsAndZeroFillsGrowth) {
    auto* p = static_cast<unsigned char*>(allocate(40));
    for (int i = 0; i < 40; ++i) {
        p[i] = static_cast<unsigned char>(i + 1);
    }
    // Shrinking where the block is the first fit stays in place.
    auto* smaller = static_cast<unsigned char*>(reallocate(p, 20));
    EXPECT_EQ(smaller, p);
    size_t usable = usable_size(smaller);
    auto* larger = static_cast<unsigned char*>(reallocate(smaller, 5000));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(larger[i], i + 1);
    }
    EXPECT_TRUE(all_bytes(larger + usable, 5000 - usable, 0));
    release(larger);
}

TEST_F(OwnHeap, LargeRequestGetsItsOwnPageThatIsUnmappedWhenFreed) {
    void* p = allocate(1000000);
    MEM_MEGA_PAGE* page = mem_heap_page_of(p);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->m_large);
    EXPECT_EQ(page->m_end % 0x10000, 0u);
    EXPECT_EQ(page->m_used_blocks, 1u);
    EXPECT_EQ(page->m_size, 0u) << "the one free block was exactly the request";
    for (char* a = page->head(); a < page->tail(); a += 0x10000) {
        ASSERT_EQ(mem_get_mega_page_from_address(a), page);
    }
    char* head = page->head();
    release(p);
    EXPECT_EQ(mem_get_mega_page_from_address(head + 0x10000), nullptr);
}

// Random allocation, reallocation and release with full validation after every
// step; each block's contents are checked against what was written.
TEST_F(OwnHeap, RandomPatternsKeepEveryInvariant) {
    std::mt19937 rng(7);
    std::map<unsigned char*, std::pair<size_t, unsigned char>> live;
    auto random_size = [&] {
        int kind = std::uniform_int_distribution<int>(0, 19)(rng);
        if (kind == 0) {
            return std::uniform_int_distribution<size_t>(4096, 65536)(rng);
        }
        if (kind == 1) {
            return std::uniform_int_distribution<size_t>(500000, 900000)(rng);
        }
        return std::uniform_int_distribution<size_t>(0, 256)(rng);
    };
    auto check = [&](unsigned char* p) {
        auto [size, fill] = live[p];
        ASSERT_TRUE(all_bytes(p, size, fill)) << "block contents changed";
    };
    // Other code of the process may share the thread's segment (with the own
    // heap serving the whole process): figures are taken relative to the start.
    size_t user_bytes_before = segment()->user_bytes();
    uint32_t pages_before = segment()->number_of_mega_pages();
    for (int step = 0; step < 3000; ++step) {
        int op = std::uniform_int_distribution<int>(0, 9)(rng);
        if (live.empty() || op < 5) {
            size_t size = random_size();
            auto* p = static_cast<unsigned char*>(allocate(size));
            ASSERT_TRUE(all_bytes(p, size, 0));
            auto fill = static_cast<unsigned char>(step);
            std::memset(p, fill, size);
            live[p] = {size, fill};
        } else {
            auto it = std::next(live.begin(),
                                std::uniform_int_distribution<size_t>(0, live.size() - 1)(rng));
            unsigned char* p = it->first;
            check(p);
            auto [size, fill] = it->second;
            live.erase(it);
            if (op < 8) {
                release(p);
            } else {
                size_t new_size = random_size();
                size_t usable = usable_size(p);
                auto* q = static_cast<unsigned char*>(reallocate(p, new_size));
                ASSERT_TRUE(all_bytes(q, std::min(size, new_size), fill));
                if (new_size > usable) {
                    ASSERT_TRUE(all_bytes(q + usable, new_size - usable, 0)) << "growth zeroed";
                }
                std::memset(q, fill, new_size);
                live[q] = {new_size, fill};
            }
        }
        if (HasFatalFailure()) {
            FAIL() << "at step " << step;
        }
    }
    for (auto& [p, info] : live) {
        check(p);
        release(p);
    }
    EXPECT_EQ(segment()->user_bytes(), user_bytes_before);
    EXPECT_LE(segment()->number_of_mega_pages(), pages_before + 1)
        << "only the cached empty page stays";
}

TEST_F(OwnHeap, FreedPagesAreTrimmedAndEmptyPagesReturned) {
    uint32_t pages_before = segment()->number_of_mega_pages();
    std::vector<void*> blocks;
    for (int i = 0; i < 3000; ++i) {
        blocks.push_back(allocate(2000)); // about 14 pages
    }
    EXPECT_GE(segment()->number_of_mega_pages(), pages_before + 10);
    std::vector<char*> heads; // of the pages made for the test's blocks
    for (MEM_MEGA_PAGE* p = segment()->first_mega_page();
         p != nullptr && heads.size() < segment()->number_of_mega_pages() - pages_before;
         p = p->m_next_mega_page) {
        heads.push_back(p->head()); // the page list is newest first
    }
    // Free all but one block per page: pages stay, mostly free, and the least
    // recently used leave the working set.
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i % 200 != 0) {
            release(blocks[i]);
        }
    }
    ASSERT_GT(MEM_SPLAY_HEAP::verify_heap(segment()->m_locked_heap), 0)
        << "trimmed pages are kept apart from the working set";
    // A free in a trimmed page brings it back into the working set.
    for (size_t i = 0; i < blocks.size(); i += 200) {
        MEM_MEGA_PAGE* page = mem_heap_page_of(blocks[i]);
        bool was_trimmed = !page->m_in_working_set;
        bool last_in_page = page->m_used_blocks == 1;
        release(blocks[i]);
        if (was_trimmed && !last_in_page) {
            EXPECT_TRUE(page->m_in_working_set);
        }
    }
    EXPECT_LE(segment()->number_of_mega_pages(), pages_before + 1);
    int still_mapped = 0;
    for (char* head : heads) {
        still_mapped += mem_get_mega_page_from_address(head + 0x10000) != nullptr;
    }
    EXPECT_LE(still_mapped, 2) << "one page cached by the segment, one by the pool";
}

TEST(OwnHeapBookkeeping, ComesFromTheInternalSegmentUntracked) {
    bool saved_native = mem_use_native_allocator;
    bool saved_track = MEM_TRACKER::s_track_memory;
    mem_use_native_allocator = false;
    MEM_TRACKER::s_track_memory = true;
    MEM_TRACKER_COUNTER before = mem_tessaly_memory_counter_struct;
    void* record = mem_internal_malloc(100, __FILE__);
    MEM_MEGA_PAGE* page = mem_heap_page_of(record);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_segment, &mem_internal_segment);
    EXPECT_TRUE(all_bytes(record, 100, 0));
    EXPECT_EQ(mem_tessaly_memory_counter_struct.cumulative_blocks, before.cumulative_blocks);
    mem_internal_free(record);
    mem_use_native_allocator = saved_native;
    MEM_TRACKER::s_track_memory = saved_track;
}

// --- threads -------------------------------------------------------------------

struct HANDOFF {
    void* block = nullptr;
    size_t size = 0;
    uint32_t segment_id = 0;
};

void* release_elsewhere(void* arg) {
    auto* h = static_cast<HANDOFF*>(arg);
    EXPECT_TRUE(mem_own_heap_release(h->block));
    return nullptr;
}

void* allocate_and_keep(void* arg) {
    auto* h = static_cast<HANDOFF*>(arg);
    h->block = allocate(h->size);
    std::memset(h->block, 0x11, h->size);
    h->segment_id = static_cast<uint32_t>(segment()->get_id());
    return nullptr;
}

// Threads started through the suite end their segment through the manager's
// thread wrapper.
void run_thread(THR_THREAD_FUNC func, void* arg) {
    uintptr_t t = thr_thread_create(func, arg);
    ASSERT_NE(t, 0u);
    thr_thread_join(t);
}

TEST_F(OwnHeap, BlockFreedByAnotherThreadReachesItsOwner) {
    size_t user_bytes_before = segment()->user_bytes();
    HANDOFF h;
    h.block = allocate(64);
    void* neighbour = allocate(64);
    run_thread(release_elsewhere, &h);
    EXPECT_TRUE(is_allocated(h.block)) << "not freed by the other thread";
    EXPECT_EQ(segment()->user_bytes(), user_bytes_before + 2 * 64);
    release(neighbour); // the owner drains its queue first
    EXPECT_FALSE(is_allocated(h.block));
    EXPECT_EQ(segment()->user_bytes(), user_bytes_before);
}

// Several threads allocate and free, each handing a fifth of its blocks to the
// next thread to free: the queues, the pool and the page moves run concurrently
// and must leave every segment sound.
struct EXCHANGE {
    std::mutex lock;
    std::vector<void*> blocks;
};
struct WORKER {
    int index;
    std::vector<EXCHANGE>* exchanges;
};

void* exchange_blocks(void* arg) {
    auto* w = static_cast<WORKER*>(arg);
    auto& exchanges = *w->exchanges;
    EXCHANGE& next = exchanges[(w->index + 1) % exchanges.size()];
    EXCHANGE& mine = exchanges[w->index];
    std::mt19937 rng(w->index);
    std::vector<void*> kept;
    for (int step = 0; step < 40000; ++step) {
        size_t size = step % 50 == 0 ? 4096 + rng() % 60000 : rng() % 256;
        void* p = allocate(size);
        std::memset(p, w->index, size);
        if (rng() % 5 == 0) {
            std::lock_guard<std::mutex> guard(next.lock);
            next.blocks.push_back(p);
        } else {
            kept.push_back(p);
        }
        if (kept.size() > 500) {
            size_t victim = rng() % kept.size();
            release(kept[victim]);
            kept[victim] = kept.back();
            kept.pop_back();
        }
        if (step % 64 == 0) {
            std::lock_guard<std::mutex> guard(mine.lock);
            for (void* q : mine.blocks) {
                release(q);
            }
            mine.blocks.clear();
        }
    }
    for (void* p : kept) {
        release(p);
    }
    return nullptr;
}

TEST_F(OwnHeap, ThreadsFreeingEachOthersBlocksLeaveEverySegmentSound) {
    mem_do_segment_validation = false; // a full check per step would serialise the threads
    constexpr int kThreads = 8;
    std::vector<EXCHANGE> exchanges(kThreads);
    std::vector<WORKER> workers;
    for (int i = 0; i < kThreads; ++i) {
        workers.push_back({i, &exchanges});
    }
    std::vector<uintptr_t> threads;
    for (WORKER& w : workers) {
        threads.push_back(thr_thread_create(exchange_blocks, &w));
    }
    for (uintptr_t t : threads) {
        thr_thread_join(t);
    }
    for (EXCHANGE& e : exchanges) {
        for (void* p : e.blocks) {
            release(p);
        }
    }
    mem_do_segment_validation = true;
    MEM_LOCK lock;
    for (MEM_SEGMENT_INTERNAL* s = MEM_SEGMENT_INTERNAL::s_segment_list; s != nullptr;
         s = s->next_segment()) {
        s->free_interthread_delete_queue();
        s->validate(nullptr, 0);
    }
}

TEST_F(OwnHeap, EndedThreadsLeaveLiveBlocksToThePoolAndTheirSegmentForReuse) {
    MEM_SEGMENT_INTERNAL* first = segment();
    HANDOFF a;
    a.size = 300;
    run_thread(allocate_and_keep, &a);
    ASSERT_NE(a.block, nullptr);
    MEM_MEGA_PAGE* page = mem_heap_page_of(a.block);
    EXPECT_EQ(page->m_segment, &mem_global_mega_page_pool_segment);
    EXPECT_TRUE(all_bytes(a.block, a.size, 0x11));

    HANDOFF b;
    b.size = 300;
    run_thread(allocate_and_keep, &b);
    EXPECT_GT(b.segment_id, a.segment_id) << "the reused segment object gets a fresh id";
    EXPECT_EQ(segment(), first) << "the first thread's segment survives";

    // Blocks of the pool are released through its queue and reach it when a
    // page is next taken from the pool.
    release(a.block);
    release(b.block);
    HANDOFF c;
    c.size = 300;
    run_thread(allocate_and_keep, &c);
    EXPECT_EQ(c.block, a.block) << "the pool freed its queued blocks before handing on the page";
    release(c.block);
}

TEST_F(OwnHeap, BlocksQueuedToThePoolAreFreedWhenAThreadEnds) {
    segment(); // the first thread's segment, kept for the process, is this one
    HANDOFF a;
    a.size = 300;
    run_thread(allocate_and_keep, &a); // its page goes to the pool
    MEM_MEGA_PAGE* page = mem_heap_page_of(a.block);
    ASSERT_EQ(page->m_segment, &mem_global_mega_page_pool_segment);
    ASSERT_EQ(page->m_used_blocks, 1u);
    run_thread(release_elsewhere, &a); // queues the block for the pool, then ends
    page = mem_heap_page_of(a.block);
    EXPECT_TRUE(page == nullptr || page->m_used_blocks == 0) << "the page was emptied";
}

// --- the front cache --------------------------------------------------------------

// Small blocks freed by their own thread wait whole in the segment's front cache
// while full validation is off; guard checks still pass over them.
class OwnHeapFrontCache : public OwnHeap {
protected:
    void SetUp() override {
        OwnHeap::SetUp();
        segment()->flush_front_cache(); // nothing left over from other tests
        mem_do_segment_validation = false;
    }
    // Every invariant of the pages once the cache has gone back into them.
    static void flush_and_validate() {
        segment()->flush_front_cache();
        mem_do_segment_validation = true;
        segment()->validate(nullptr, 0);
        mem_do_segment_validation = false;
    }
};

TEST_F(OwnHeapFrontCache, FreedBlockReadsFreeHoldsThePatternAndIsHandedOutZeroed) {
    auto* p = static_cast<unsigned char*>(allocate(100));
    MEM_MEGA_PAGE* page = mem_heap_page_of(p);
    std::memset(p, 0x5A, 100);
    size_t user_bytes = segment()->user_bytes();
    release(p);
    EXPECT_FALSE(is_allocated(p));
    EXPECT_TRUE(all_bytes(p, usable_size_of_free(p), 0x88));
    EXPECT_EQ(segment()->user_bytes(), user_bytes - 100);
    segment()->check_memory_guards();
    auto* q = static_cast<unsigned char*>(allocate(100));
    EXPECT_EQ(q, p) << "the same size gets the cached block";
    EXPECT_TRUE(all_bytes(q, 100, 0));
    EXPECT_EQ(usable_size(q), 100u);
    EXPECT_EQ(mem_heap_page_of(q), page);
    release(q);
    flush_and_validate();
}

TEST_F(OwnHeapFrontCache, CachedBlocksAreNeverMergedIntoTheirNeighbours) {
    auto* a = static_cast<unsigned char*>(allocate(40));
    void* b = allocate(40);   // right after a
    void* c = allocate(5000); // a block too large for the cache, after b
    void* after_c = allocate(40);
    std::memset(a, 7, 40);
    release(b); // cached
    // Growing a may not take b's space; freeing c may not absorb b either.
    auto* grown = static_cast<unsigned char*>(reallocate(a, 60));
    EXPECT_TRUE(all_bytes(grown, 40, 7));
    release(c);
    segment()->check_memory_guards();
    // a's old block went into the cache as well when a moved.
    void* again = allocate(40);
    void* again_too = allocate(40);
    EXPECT_TRUE(again == b || again_too == b) << "b waited in the cache";
    EXPECT_TRUE(all_bytes(again, 40, 0));
    EXPECT_TRUE(all_bytes(again_too, 40, 0));
    for (void* p : {static_cast<void*>(grown), again, again_too, after_c}) {
        release(p);
    }
    flush_and_validate();
}

TEST_F(OwnHeapFrontCache, TrackedBlockIsUnchargedWhenCachedAndChargedWhenReused) {
    bool saved = MEM_TRACKER::s_track_memory;
    MEM_TRACKER::s_track_memory = true;
    MEM_TRACKER_COUNTER before = mem_tessaly_memory_counter_struct;
    void* p =
        mem_own_heap_allocate(48, &MEM_TRACKER_TEMPLATE_MEM<char, __LINE__, 0>::s_thunk, __FILE__);
    release(p);
    EXPECT_EQ(mem_tessaly_memory_counter_struct.current_bytes, before.current_bytes);
    void* q =
        mem_own_heap_allocate(48, &MEM_TRACKER_TEMPLATE_MEM<char, __LINE__, 0>::s_thunk, __FILE__);
    EXPECT_EQ(q, p);
    EXPECT_EQ(mem_tessaly_memory_counter_struct.current_bytes, before.current_bytes + 48);
    release(q);
    EXPECT_EQ(mem_tessaly_memory_counter_struct.current_bytes, before.current_bytes);
    MEM_TRACKER::s_track_memory = saved;
    flush_and_validate();
}

// Many small blocks freed: what the cache does not hold goes back into the
// pages, and flushing returns the rest, so the pages empty and are given up.
TEST_F(OwnHeapFrontCache, FlushingGivesEveryPageBack) {
    uint32_t pages_before = segment()->number_of_mega_pages();
    size_t user_bytes_before = segment()->user_bytes();
    std::vector<void*> blocks;
    for (int i = 0; i < 20000; ++i) {
        blocks.push_back(allocate(16 + i % 200));
    }
    for (void* p : blocks) {
        release(p);
    }
    EXPECT_EQ(segment()->user_bytes(), user_bytes_before);
    flush_and_validate();
    EXPECT_LE(segment()->number_of_mega_pages(), pages_before + 1);
}

// A request of a cached size that the cache cannot serve is carved from a run
// of fresh space, taken where first fit would have placed that request; a hole
// too small to hold a run's worth of such blocks is used first, as before.
TEST_F(OwnHeapFrontCache, FreshBlocksAreCarvedInARowWhereFirstFitWouldPlaceThem) {
    if (process_on_own_heap()) {
        GTEST_SKIP() << "the process's own blocks left holes in the thread's pages: where first "
                        "fit lies is not the test's to set";
    }
    struct CASE {
        char const* name;
        size_t hole; // request whose block, freed into its page, leaves the hole
        bool run;    // the rest of the hole is the run (a cached block), else listed free
    } cases[] = {
        {"a hole of a run's worth", 5000, true}, // too large for the cache: freed into its page
        {"a hole smaller than a run", 400, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        void* hole = allocate(c.hole);
        void* after = allocate(40); // keeps the hole apart from the free space after it
        release(hole);
        segment()->flush_front_cache(); // the hole is in its page's free lists
        size_t user_bytes = segment()->user_bytes();
        std::vector<char*> fresh;
        for (int i = 0; i < 3; ++i) {
            fresh.push_back(static_cast<char*>(allocate(100)));
            std::memset(fresh.back(), 0x5A, 100);
        }
        EXPECT_EQ(static_cast<void*>(fresh[0]), hole) << "first fit";
        for (size_t i = 1; i < fresh.size(); ++i) {
            EXPECT_EQ(fresh[i], fresh[i - 1] + 112) << "in a row";
        }
        MEM_BLOCK const* rest = header_of(fresh.back() + 112);
        EXPECT_EQ(rest->is_cached(), c.run);
        EXPECT_EQ(rest->is_listed_free(), !c.run);
        EXPECT_EQ(segment()->user_bytes(), user_bytes + 300);
        segment()->check_memory_guards();
        for (char* p : fresh) {
            EXPECT_EQ(usable_size(p), 100u);
            release(p);
        }
        release(after);
        flush_and_validate();
        EXPECT_EQ(segment()->user_bytes(), user_bytes - 40);
    }
}

// The cache keeps whatever its thread frees: the reader's pattern (many small
// records built, then all freed) gets every block back from it.
TEST_F(OwnHeapFrontCache, EveryFreedBlockIsCachedAndHandedOutAgain) {
    std::vector<void*> blocks;
    for (int i = 0; i < 5000; ++i) {
        blocks.push_back(allocate(16 + i % 81));
    }
    uint32_t pages = segment()->number_of_mega_pages();
    for (void* p : blocks) {
        release(p);
    }
    size_t cached = 0;
    for (void* p : blocks) {
        cached += header_of(p)->is_cached();
    }
    EXPECT_EQ(cached, blocks.size());
    std::vector<void*> again;
    for (int i = 0; i < 5000; ++i) {
        again.push_back(allocate(16 + i % 81));
        ASSERT_TRUE(all_bytes(again.back(), 16 + i % 81, 0));
    }
    std::sort(blocks.begin(), blocks.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, blocks) << "the same blocks, from the cache";
    EXPECT_EQ(segment()->number_of_mega_pages(), pages);
    for (void* p : again) {
        release(p);
    }
    flush_and_validate();
}

// A cached block is handed out only for its own size: a request for a size
// with none is served by the pages and leaves larger cached blocks whole (a
// split would leave in the cache a rest of a size nobody may ask for).
TEST_F(OwnHeapFrontCache, ARequestNeverSplitsALargerCachedBlock) {
    void* big = allocate(1000);  // a block of 1008 bytes
    void* small = allocate(200); // 208
    void* guard = allocate(8);   // keeps small from the page's free space
    release(big);
    release(small);
    void* p = allocate(60); // a block of 64 bytes
    EXPECT_NE(p, small);
    EXPECT_NE(p, big);
    EXPECT_TRUE(all_bytes(p, 60, 0));
    EXPECT_TRUE(header_of(small)->is_cached());
    EXPECT_EQ(header_of(small)->m_size, 208u);
    EXPECT_TRUE(header_of(big)->is_cached());
    EXPECT_EQ(header_of(big)->m_size, 1008u);
    EXPECT_EQ(allocate(200), small) << "its own size still gets it";
    segment()->check_memory_guards();
    for (void* r : {p, small, guard}) {
        release(r);
    }
    flush_and_validate();
}

// Resizing keeps a block in place, whole, while the new size fits in it and
// needs at least half of it; otherwise the block moves, the old one cached.
TEST_F(OwnHeapFrontCache, ResizingKeepsTheBlockWholeInPlaceOrMovesItThroughTheCache) {
    auto* p = static_cast<unsigned char*>(allocate(500)); // a block of 512 bytes
    std::memset(p, 7, 500);
    size_t user_bytes = segment()->user_bytes();
    auto* shrunk = static_cast<unsigned char*>(reallocate(p, 300)); // 304: half or more
    EXPECT_EQ(shrunk, p);
    EXPECT_EQ(usable_size(shrunk), 300u);
    EXPECT_EQ(header_of(shrunk)->m_size, 512u) << "kept whole";
    EXPECT_EQ(segment()->user_bytes(), user_bytes - 200);
    EXPECT_TRUE(all_bytes(shrunk, 300, 7));
    auto* grown = static_cast<unsigned char*>(reallocate(shrunk, 508)); // the whole block
    EXPECT_EQ(grown, p);
    EXPECT_TRUE(all_bytes(grown, 300, 7));
    EXPECT_TRUE(all_bytes(grown + 300, 208, 0)) << "the growth is zeroed";
    auto* moved_down = static_cast<unsigned char*>(reallocate(grown, 100)); // 112: less than half
    EXPECT_NE(moved_down, p);
    EXPECT_EQ(usable_size(moved_down), 100u);
    EXPECT_TRUE(all_bytes(moved_down, 100, 7));
    EXPECT_TRUE(header_of(p)->is_cached()) << "the old block";
    EXPECT_TRUE(all_bytes(p, 508, 0x88));
    auto* moved_up = static_cast<unsigned char*>(reallocate(moved_down, 2000));
    EXPECT_NE(moved_up, moved_down);
    EXPECT_TRUE(all_bytes(moved_up, 100, 7));
    EXPECT_TRUE(all_bytes(moved_up + 100, 1900, 0));
    EXPECT_TRUE(header_of(moved_down)->is_cached()) << "the old block";
    segment()->check_memory_guards();
    release(moved_up);
    flush_and_validate();
}

// Blocks freed in one size serve another: the older half of each size goes back
// into the pages at a request the cache cannot serve once it holds more than the
// live blocks.
TEST_F(OwnHeapFrontCache, ACacheLargerThanTheLiveBlocksGoesBackAtAMiss) {
    std::vector<void*> blocks;
    for (int i = 0; i < 20000; ++i) {
        blocks.push_back(allocate(100));
    }
    for (void* p : blocks) {
        release(p);
    }
    EXPECT_TRUE(header_of(blocks.front())->is_cached());
    void* larger = allocate(300);
    size_t still_cached = 0;
    for (void* p : blocks) {
        // (Pages emptied by the flush may be unmapped.)
        still_cached += mem_heap_page_of(p) != nullptr && header_of(p)->is_cached();
    }
    EXPECT_EQ(still_cached, blocks.size() / 2) << "the older half went back";
    EXPECT_TRUE(header_of(blocks.back())->is_cached()) << "the last freed stays";
    release(larger);
    flush_and_validate();
}

// A page holding cached blocks stays in the working set when the others are
// trimmed: a trimmed page holds none (another segment may take it), and the
// cache keeps its blocks.
TEST_F(OwnHeapFrontCache, TrimmingLeavesThePagesHoldingCachedBlocks) {
    std::vector<void*> large; // too large for the cache: they fill about 28 pages
    for (int i = 0; i < 3000; ++i) {
        large.push_back(allocate(4200));
    }
    // A hole in most pages, taken by two cacheable blocks, which are then cached.
    std::vector<void*> small;
    for (size_t i = 100; i < large.size(); i += 200) {
        release(large[i]);
        large[i] = nullptr;
    }
    for (size_t i = 100; i < large.size(); i += 100) {
        small.push_back(allocate(2000));
    }
    for (void* p : small) {
        release(p);
    }
    ASSERT_TRUE(header_of(small.front())->is_cached());
    // All but one large block per 200, the highest first: the free bytes pass
    // the trim threshold.
    for (size_t i = large.size(); i-- > 0;) {
        if (i % 200 != 0 && large[i] != nullptr) {
            release(large[i]);
        }
    }
    ASSERT_GT(MEM_SPLAY_HEAP::verify_heap(segment()->m_locked_heap), 0) << "pages were trimmed";
    size_t still_cached = 0;
    for (void* p : small) {
        // (Pages emptied meanwhile may be unmapped.)
        still_cached += mem_heap_page_of(p) != nullptr && header_of(p)->is_cached();
    }
    size_t counted = 0;
    for (MEM_MEGA_PAGE* p = segment()->first_mega_page(); p != nullptr; p = p->m_next_mega_page) {
        EXPECT_TRUE(p->m_in_working_set || p->m_cached_blocks == 0) << "a trimmed page";
        counted += p->m_cached_blocks;
    }
    EXPECT_EQ(counted, still_cached) << "every page counts its cached blocks";
    EXPECT_EQ(still_cached, small.size()) << "the cache kept its blocks";
    for (size_t i = 0; i < large.size(); i += 200) {
        release(large[i]);
    }
    flush_and_validate();
}

void* allocate_and_free_small_blocks(void* arg) {
    auto* h = static_cast<HANDOFF*>(arg);
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i) {
        blocks.push_back(allocate(32));
    }
    h->block = blocks.front();
    for (void* p : blocks) {
        release(p);
    }
    return nullptr;
}

TEST_F(OwnHeapFrontCache, ThreadEndReturnsItsCachedBlocksToTheirPages) {
    HANDOFF h;
    run_thread(allocate_and_free_small_blocks, &h);
    MEM_MEGA_PAGE* page = mem_heap_page_of(h.block);
    EXPECT_TRUE(page == nullptr || page->m_used_blocks == 0)
        << "no cached block keeps the ended thread's page in use";
}

// --- checks ----------------------------------------------------------------------

TEST_F(OwnHeap, SoundHeapPassesGuardChecksSilently) {
    void* p = allocate(1000);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    segment()->check_memory_guards();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    release(p);
}

TEST_F(OwnHeap, DumpListsPagesAndBlocks) {
    void* p = allocate(1000);
    std::string file = ::testing::TempDir() + "heap_dump.txt";
    MEM_MANAGER_INTERNAL::dump_all_segments(file.c_str(), 0);
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("Address\t\tStatus Bytes\t(ClassID)\n", 0), 0u);
    EXPECT_NE(text.str().find("\tmega_page# "), std::string::npos);
    EXPECT_NE(text.str().find("\tUsed\t1008\t0\n"), std::string::npos);
    EXPECT_NE(text.str().find("\tFREE \t"), std::string::npos);
    release(p);
    std::remove(file.c_str());
}

using OwnHeapDeathTest = OwnHeap;

TEST_F(OwnHeapDeathTest, CorruptionIsReportedAndEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct CASE {
        char const* name;
        void (*spoil)();
        char const* report;
    };
    CASE const cases[] = {
        {"byte before the block overwritten",
         [] {
             auto* p = static_cast<unsigned char*>(allocate(32));
             p[-1] = 0;
             release(p);
         },
         "Bad begin guard at: 0x"},
        {"next block's header overwritten",
         [] {
             auto* p = static_cast<unsigned char*>(allocate(32));
             allocate(32);
             std::memset(p, 0, mem_block_size_for(32)); // the whole block and the next header
             release(p);
         },
         "Bad end \\(begin\\) guard at: 0x"},
        {"freed memory written",
         [] {
             auto* p = static_cast<unsigned char*>(allocate(64));
             release(p);
             p[10] = 1;
             allocate(64);
         },
         "Free memory corrupted at"},
        {"block freed twice",
         [] {
             void* keep = allocate(64);
             void* p = allocate(64);
             allocate(64);
             release(p);
             release(p);
             release(keep);
         },
         "Attempting to free or serialize a non-allocated block"},
        {"request too large", [] { allocate(MEM_SEGMENT_INTERNAL::MAX_REQUEST + 1); },
         "Attempting to allocate 4294901761 bytes"},
        {"cached block written, found when reused",
         [] {
             mem_do_segment_validation = false;
             auto* p = static_cast<unsigned char*>(allocate(64));
             release(p);
             p[10] = 1;
             allocate(64);
         },
         "Free memory corrupted at"},
        {"cached block written, found when flushed",
         [] {
             mem_do_segment_validation = false;
             auto* p = static_cast<unsigned char*>(allocate(64));
             release(p);
             p[60] = 1;
             segment()->flush_front_cache();
         },
         "Free memory corrupted at"},
        {"cached block freed twice",
         [] {
             mem_do_segment_validation = false;
             void* p = allocate(64);
             release(p);
             release(p);
         },
         "Attempting to free or serialize a non-allocated block"},
    };
    for (CASE const& c : cases) {
        EXPECT_EXIT(c.spoil(), ::testing::ExitedWithCode(1), c.report) << c.name;
    }
}

} // namespace
