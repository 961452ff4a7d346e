// The own heap under threads that free each other's blocks while their
// segments end, pages empty, are trimmed and change hands: many short rounds,
// each checking that no block was handed out twice or changed by another
// thread, and that every segment is sound afterwards.
#include "mem/mem_own_heap.h"
#include "mem/mem_section.h"
#include "mem/mem_segment.h"
#include "mem/mem_segment_support.h"
#include "suite/threads/thr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

// A block and the byte it is filled with: a block handed out twice, or
// written after its release, no longer holds its fill.
struct LIVE {
    unsigned char* block;
    size_t size;
    unsigned char fill;
};

struct MAILBOX {
    std::mutex lock;
    std::vector<LIVE> blocks;
};

struct ROUND {
    std::vector<MAILBOX> mailboxes;
    std::atomic<long> damaged{0};
};

struct WORKER {
    ROUND* round;
    int index;
    int steps;
    unsigned seed;
};

bool intact(LIVE const& b) {
    return std::all_of(b.block, b.block + b.size, [&](unsigned char c) { return c == b.fill; });
}

void release(ROUND& round, LIVE const& b) {
    if (!intact(b)) {
        round.damaged.fetch_add(1);
    }
    mem_own_heap_release(b.block);
}

void release_all(ROUND& round, std::vector<LIVE>& blocks) {
    for (LIVE const& b : blocks) {
        release(round, b);
    }
    blocks.clear();
}

// Sizes: mostly small blocks (the front cache), some of a few KB and a few
// large enough to fill a page quickly, so that pages fill, empty and are
// trimmed and exchanged all the time.
size_t random_size(std::mt19937& rng) {
    unsigned kind = rng() % 32;
    if (kind == 0) {
        return 16384 + rng() % 65536;
    }
    if (kind < 4) {
        return 1024 + rng() % 4096;
    }
    return rng() % 256;
}

void* churn(void* arg) {
    auto* w = static_cast<WORKER*>(arg);
    ROUND& round = *w->round;
    MAILBOX& mine = round.mailboxes[w->index];
    MAILBOX& next = round.mailboxes[(w->index + 1) % round.mailboxes.size()];
    std::mt19937 rng(w->seed);
    std::vector<LIVE> kept;
    for (int step = 0; step < w->steps; ++step) {
        LIVE b;
        b.size = random_size(rng);
        b.block = static_cast<unsigned char*>(
            MEM_MANAGER_INTERNAL::get_default_segment()->allocate(b.size, nullptr));
        b.fill = static_cast<unsigned char>(w->index * 32 + step % 32 + 1);
        std::memset(b.block, b.fill, b.size);
        if (rng() % 3 == 0) {
            std::lock_guard<std::mutex> guard(next.lock);
            next.blocks.push_back(b);
        } else {
            kept.push_back(b);
        }
        if (kept.size() > 300 && rng() % 2 == 0) {
            size_t victim = rng() % kept.size();
            release(round, kept[victim]);
            kept[victim] = kept.back();
            kept.pop_back();
        }
        if (step % 500 == 499) {
            // Everything at once: pages empty, the free bytes pass the trim
            // threshold, and empty pages go to the cache and the pool.
            release_all(round, kept);
        }
        if (step % 16 == 0) {
            std::vector<LIVE> taken;
            {
                std::lock_guard<std::mutex> guard(mine.lock);
                taken.swap(mine.blocks);
            }
            release_all(round, taken);
        }
    }
    release_all(round, kept);
    return nullptr;
}

// --- a page taken over while its old owner empties another -----------------------

MEM_SEGMENT_INTERNAL* segment() {
    return MEM_MANAGER_INTERNAL::get_default_segment();
}

// The steps of the thread that empties pages, driven by the test.
struct EMPTIER {
    std::atomic<int> stage{0}; // 1 ready, 2 go, 3 done
    void* last_block = nullptr;
};

void wait_for(std::atomic<int> const& stage, int value) {
    while (stage.load() < value) {
        sched_yield();
    }
}

// Fills several pages, empties the highest (the segment keeps it as its empty
// page), then frees all but one block of every other page, the lowest last:
// the empty page, now the least recently used, is trimmed out of the working
// set, where another segment may take it. On "go" the lowest page's last block
// is freed: that page empties too.
void* empty_pages(void* arg) {
    auto* e = static_cast<EMPTIER*>(arg);
    constexpr size_t kSize = 2000; // beyond the front cache
    std::vector<void*> blocks;
    for (int i = 0; i < 8 * 230; ++i) {
        blocks.push_back(segment()->allocate(kSize, nullptr));
    }
    std::map<MEM_MEGA_PAGE*, std::vector<void*>> by_page;
    for (void* b : blocks) {
        by_page[mem_heap_page_of(b)].push_back(b);
    }
    std::vector<MEM_MEGA_PAGE*> pages; // holding only the thread's blocks, by address
    for (auto& [page, in_page] : by_page) {
        if (page->m_used_blocks == in_page.size()) {
            pages.push_back(page);
        }
    }
    std::sort(pages.begin(), pages.end(), [](auto* a, auto* b) { return a->m_start < b->m_start; });
    std::vector<void*> kept; // other threads' pages: freed at the end
    for (auto& [page, in_page] : by_page) {
        if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
            kept.insert(kept.end(), in_page.begin(), in_page.end());
        }
    }
    if (pages.size() >= 3) {
        for (void* b : by_page[pages.back()]) {
            mem_own_heap_release(b);
        }
        // The block kept in the middle of each page leaves no free block there
        // that a request for most of a page fits.
        for (size_t i = pages.size() - 1; i-- > 0;) {
            std::vector<void*>& in_page = by_page[pages[i]];
            std::swap(in_page[in_page.size() / 2], in_page.front());
            for (size_t k = 1; k < in_page.size(); ++k) {
                mem_own_heap_release(in_page[k]);
            }
            kept.push_back(in_page.front());
        }
        e->last_block = kept.back(); // the lowest page's
        kept.pop_back();
    }
    e->stage.store(1);
    wait_for(e->stage, 2);
    if (e->last_block != nullptr) {
        mem_own_heap_release(e->last_block);
    }
    for (void* b : kept) {
        mem_own_heap_release(b);
    }
    e->stage.store(3);
    return nullptr;
}

// Full checks of every segment left (an internal error when one is unsound),
// once no other thread runs.
void validate_every_segment() {
    MEM_LOCK lock;
    mem_do_segment_validation = true;
    for (MEM_SEGMENT_INTERNAL* s = MEM_SEGMENT_INTERNAL::s_segment_list; s != nullptr;
         s = s->next_segment()) {
        s->free_interthread_delete_queue();
        s->validate(nullptr, 0);
    }
    mem_do_segment_validation = false;
}

class OwnHeapThreads : public ::testing::Test {
protected:
    void SetUp() override {
        saved_native_ = mem_use_native_allocator;
        mem_use_native_allocator = true; // the framework's own blocks stay off the heap
    }
    void TearDown() override { mem_use_native_allocator = saved_native_; }

private:
    bool saved_native_ = true;
};

TEST_F(OwnHeapThreads, ShortLivedThreadsFreeingEachOthersBlocksLoseNothing) {
    constexpr int kThreads = 6;
    auto const budget = std::chrono::seconds(8);
    auto const start = std::chrono::steady_clock::now();
    std::mt19937 rng(20);
    int rounds = 0;
    while (rounds < 10 || (std::chrono::steady_clock::now() - start < budget && rounds < 400)) {
        ROUND round;
        round.mailboxes = std::vector<MAILBOX>(kThreads);
        // Threads of one round end at different times, while the others still
        // hand them blocks and take over their pages.
        std::vector<WORKER> workers;
        for (int i = 0; i < kThreads; ++i) {
            workers.push_back(
                {&round, i, 500 + static_cast<int>(rng() % 3000), static_cast<unsigned>(rng())});
        }
        std::vector<uintptr_t> threads;
        for (WORKER& w : workers) {
            threads.push_back(thr_thread_create(churn, &w));
            ASSERT_NE(threads.back(), 0u);
        }
        for (uintptr_t t : threads) {
            thr_thread_join(t);
        }
        for (MAILBOX& m : round.mailboxes) {
            release_all(round, m.blocks); // left for threads that had ended
        }
        ASSERT_EQ(round.damaged.load(), 0)
            << "blocks changed under their owner in round " << rounds;
        validate_every_segment();
        ++rounds;
    }
}

// The thread emptying its page decides, outside the lock, which of its empty
// pages to give back, while this thread (holding the lock, so that the other
// waits at it with its decision made) takes over the empty page that the
// other had trimmed. The page taken over must stay with its new owner.
TEST_F(OwnHeapThreads, PageTakenOverStaysWithItsNewOwnerWhileTheOldOwnerEmptiesAnother) {
    EMPTIER e;
    uintptr_t t = thr_thread_create(empty_pages, &e);
    ASSERT_NE(t, 0u);
    wait_for(e.stage, 1);
    ASSERT_NE(e.last_block, nullptr) << "the thread got pages of its own";
    std::vector<void*> taken;
    {
        MEM_LOCK lock;
        e.stage.store(2);
        // Long enough for the other thread to free its block and reach the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int i = 0; i < 3; ++i) {
            taken.push_back(segment()->allocate(300000, nullptr)); // fits an empty page only
        }
    }
    thr_thread_join(t);
    ASSERT_EQ(e.stage.load(), 3);
    bool all_ours = true;
    for (void* b : taken) {
        MEM_MEGA_PAGE* page = mem_heap_page_of(b);
        ASSERT_NE(page, nullptr);
        bool ours = page->m_segment == segment();
        EXPECT_TRUE(ours) << "a page of this thread's segment was given away by another thread";
        all_ours = all_ours && ours;
    }
    if (!all_ours) {
        return; // the segment's books no longer hold: leave it as it is
    }
    for (void* b : taken) {
        mem_own_heap_release(b);
    }
    validate_every_segment();
}

} // namespace
