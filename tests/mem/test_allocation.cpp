#include "mem/mem_native.h"
#include "mem_manager.h"
#include "mem_test_support.h"
#include "suite/threads/thr.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

char const* const kFile = "test_allocation.cpp";

struct Site {};

using Allocate = void* (*)(size_t size, MEM_TRACKER_THUNK* thunk);
using Release = void (*)(void* block);

struct Allocator {
    char const* name;
    Allocate allocate;
};
struct Releaser {
    char const* name;
    Release release;
};

// The allocation and release functions of the new/delete, array and malloc
// families; on the platform road every block may go through any release.
Allocator const kAllocators[] = {
    {"mem_new_wrapper",
     [](size_t n, MEM_TRACKER_THUNK* t) { return mem_new_wrapper(n, t, kFile); }},
    {"mem_new_array_wrapper",
     [](size_t n, MEM_TRACKER_THUNK* t) { return mem_new_array_wrapper(n, t, kFile); }},
    {"mem_malloc_wrapper",
     [](size_t n, MEM_TRACKER_THUNK* t) { return mem_malloc_wrapper(n, t, kFile); }},
    {"mem_realloc_wrapper(null)",
     [](size_t n, MEM_TRACKER_THUNK* t) { return mem_realloc_wrapper(nullptr, n, t, kFile); }},
    {"operator new(thunk)",
     [](size_t n, MEM_TRACKER_THUNK* t) { return operator new(n, t, kFile); }},
    {"operator new[](thunk)",
     [](size_t n, MEM_TRACKER_THUNK* t) { return operator new[](n, t, kFile); }},
};
// mem_stl_allocate names the manager's own file, so its record is another one.
Allocator const kStlAllocator = {
    "mem_stl_allocate", [](size_t n, MEM_TRACKER_THUNK* t) { return mem_stl_allocate(n, t); }};

Releaser const kReleasers[] = {
    {"mem_delete_wrapper", [](void* p) { mem_delete_wrapper(p, MEM_CODE_PREFIX(MEM)); }},
    {"mem_delete_array_wrapper",
     [](void* p) { mem_delete_array_wrapper(p, MEM_CODE_PREFIX(MEM)); }},
    {"mem_free_wrapper", [](void* p) { mem_free_wrapper(p, MEM_CODE_PREFIX(MEM)); }},
    {"mem_stl_deallocate", [](void* p) { mem_stl_deallocate(p, 1, nullptr); }},
    {"operator delete", [](void* p) { operator delete(p); }},
    {"operator delete[]", [](void* p) { operator delete[](p); }},
    {"sized operator delete", [](void* p) { operator delete(p, size_t(24)); }},
    {"operator delete(thunk)", [](void* p) { operator delete(p, nullptr, kFile); }},
};

MEM_TRACKER_THUNK* site_thunk() {
    return MEM_THUNK(MEM, Site);
}

bool ends_with(std::string const& text, std::string const& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

using MemAllocation = MemTracked;

TEST_F(MemAllocation, EveryWrapperChargesItsSiteAndEveryReleaseOfTheFamilyUnchargesIt) {
    auto check = [](Allocator const& a, Releaser const& r, MEM_TRACKER_DATA* record) {
        SCOPED_TRACE(std::string(a.name) + " / " + r.name);
        ASSERT_NE(record, nullptr);
        MEM_TRACKER_COUNTER before = mem_test_snapshot(record->counter);
        MEM_TRACKER_COUNTER user_before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
        void* block = a.allocate(22, site_thunk());
        MEM_TRACKER_COUNTER user_after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
        MEM_TRACKER_COUNTER during = mem_test_snapshot(record->counter);

        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
        EXPECT_EQ(mem_test_header(block)->magic, MEM_TRACK_MAGIC);
        EXPECT_EQ(mem_test_header(block)->tracker_id, record->tracker_id);
        EXPECT_EQ(mem_test_header(block)->size, 24u);
        EXPECT_EQ(user_after.current_bytes - user_before.current_bytes, 24u);
        EXPECT_EQ(during.current_blocks, before.current_blocks + 1);
        EXPECT_EQ(during.current_bytes, before.current_bytes + 24);
        EXPECT_EQ(during.cumulative_blocks, before.cumulative_blocks + 1);
        std::memset(block, 0xAB, 22);

        r.release(block);
        MEM_TRACKER_COUNTER after = mem_test_snapshot(record->counter);
        EXPECT_EQ(after.current_blocks, before.current_blocks);
        EXPECT_EQ(after.current_bytes, before.current_bytes);
    };
    for (Allocator const& a : kAllocators) {
        for (Releaser const& r : kReleasers) {
            check(a, r, mem_test_record(site_thunk(), kFile));
        }
    }
    // The container allocator's record names the manager's own source file.
    mem_stl_deallocate(kStlAllocator.allocate(1, site_thunk()), 1, nullptr);
    MEM_TRACKER_DATA* stl_record = site_thunk()->tracker_data;
    while (stl_record != nullptr && !ends_with(stl_record->file_name, "mem/mem_manager.cpp")) {
        stl_record = stl_record->next_for_site;
    }
    for (Releaser const& r : kReleasers) {
        check(kStlAllocator, r, stl_record);
    }
}

TEST_F(MemAllocation, SizesAreRoundedUpToAMultipleOfFour) {
    struct Case {
        size_t request, rounded;
    } const cases[] = {{0, 4}, {1, 4}, {4, 4}, {5, 8}, {17, 20}, {4096, 4096}};
    for (Case const& c : cases) {
        void* block = mem_malloc_wrapper(c.request, site_thunk(), kFile);
        EXPECT_EQ(mem_test_header(block)->size, c.rounded) << c.request;
        mem_free_wrapper(block, nullptr);
    }
}

TEST_F(MemAllocation, NullIsReleasedByEveryFunctionWithoutEffect) {
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    for (Releaser const& r : kReleasers) {
        r.release(nullptr);
    }
    operator delete(nullptr, std::align_val_t(64));
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(after.current_blocks, before.current_blocks);
    EXPECT_EQ(after.cumulative_blocks, before.cumulative_blocks);
}

TEST_F(MemAllocation, PlainNewIsChargedToTheUserCounterAndReleasedByDelete) {
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    auto* numbers = new int[25];
    MEM_TRACKER_COUNTER during = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(mem_test_header(numbers)->magic, MEM_TRACK_MAGIC);
    EXPECT_EQ(mem_test_header(numbers)->tracker_id, 0u);
    delete[] numbers;
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(during.current_bytes - before.current_bytes, 100u);
    EXPECT_EQ(after.current_bytes, before.current_bytes);
}

TEST_F(MemAllocation, BlockMadeBeforeTrackingIsReleasedWithoutTouchingTheCounters) {
    MEM_TRACKER::s_track_memory = false;
    void* block = mem_new_wrapper(40, site_thunk(), kFile);
    MEM_TRACKER::s_track_memory = true;
    EXPECT_NE(mem_test_header(block)->magic, MEM_TRACK_MAGIC);
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    operator delete(block);
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(after.current_bytes, before.current_bytes);
    EXPECT_EQ(after.current_blocks, before.current_blocks);
}

TEST_F(MemAllocation, ReallocationKeepsTheContentsAndRechargesTheNewSize) {
    MEM_TRACKER_DATA* record = mem_test_record(site_thunk(), kFile);
    MEM_TRACKER_COUNTER before = mem_test_snapshot(record->counter);
    auto* text = static_cast<char*>(mem_malloc_wrapper(8, site_thunk(), kFile));
    std::memcpy(text, "1234567", 8);
    for (size_t size : {64u, 100000u, 3u}) {
        text = static_cast<char*>(mem_realloc_wrapper(text, size, site_thunk(), kFile));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(text) % 16, 0u);
        EXPECT_EQ(std::memcmp(text, "123", 3), 0) << size;
        EXPECT_EQ(mem_test_header(text)->size, (size + 3) & ~size_t(3));
        MEM_TRACKER_COUNTER during = mem_test_snapshot(record->counter);
        EXPECT_EQ(during.current_blocks, before.current_blocks + 1);
        EXPECT_EQ(during.current_bytes, before.current_bytes + ((size + 3) & ~size_t(3)));
    }
    mem_free_wrapper(text, nullptr);
    EXPECT_EQ(mem_test_snapshot(record->counter).current_bytes, before.current_bytes);
}

TEST_F(MemAllocation, OverAlignedBlocksKeepTheirAlignment) {
    for (size_t alignment : {32u, 64u, 256u, 4096u}) {
        void* block = operator new(100, std::align_val_t(alignment));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u) << alignment;
        std::memset(block, 1, 100);
        operator delete(block, std::align_val_t(alignment));
        void* array = operator new[](10, std::align_val_t(alignment), std::nothrow);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(array) % alignment, 0u) << alignment;
        operator delete[](array, 10, std::align_val_t(alignment));
    }
    struct alignas(128) Wide {
        char c[3];
    };
    auto* wide = new Wide[3];
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wide) % 128, 0u);
    delete[] wide;
}

TEST_F(MemAllocation, NothrowNewAnswersNullWhenMemoryRunsOut) {
    void* huge = operator new(size_t(1) << 50, std::nothrow);
    EXPECT_EQ(huge, nullptr);
    void* small = operator new[](10, std::nothrow);
    EXPECT_NE(small, nullptr);
    operator delete[](small, std::nothrow);
}

TEST(MemIsAllocated, KnowsNullAndLiveBlocksAndRefusesForeignAddresses) {
    EXPECT_TRUE(mem_is_allocated(nullptr));
    void* block = mem_new_wrapper(10, site_thunk(), kFile);
    EXPECT_TRUE(mem_is_allocated(block));
    mem_assert_is_allocated(block);
    mem_delete_wrapper(block, nullptr);
#if defined(TESSALY_NATIVE_MALLOC) && !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the C runtime cannot tell foreign addresses";
#else
    alignas(16) static char foreign[64];
    EXPECT_FALSE(mem_is_allocated(foreign + 32));
    EXPECT_EXIT(mem_assert_is_allocated(foreign + 32), testing::ExitedWithCode(1),
                "Attempting to serialize a non-allocated block at: 0x[0-9a-f]+\n");
#endif
}

} // namespace

namespace {

using MemThreads = MemTracked;

struct ThreadFigures {
    MEM_TRACKER_COUNTER inside;
    void* block;
};

// Threads of the suite run inside the manager's wrapper: they hold their spare
// reserve while they work and give it back when they end. A block made by one
// thread may be released by another.
TEST_F(MemThreads, ThreadsHoldTheirReserveAndShareBlocks) {
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    ThreadFigures figures{};
    uintptr_t thread = thr_thread_create(
        [](void* argument) -> void* {
            auto* f = static_cast<ThreadFigures*>(argument);
            f->inside = mem_test_snapshot(mem_tessaly_memory_counter_struct);
            f->block = mem_new_wrapper(100, site_thunk(), kFile);
            return nullptr;
        },
        &figures);
    ASSERT_NE(thread, 0u);
    thr_thread_join(thread);
    MEM_TRACKER_COUNTER joined = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    mem_delete_wrapper(figures.block, nullptr);
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);

    EXPECT_GE(figures.inside.current_bytes - before.current_bytes, 0x20000u);
    EXPECT_GE(joined.current_bytes - before.current_bytes, 100u);
    EXPECT_LT(joined.current_bytes - before.current_bytes, 0x20000u);
    EXPECT_EQ(joined.current_bytes - after.current_bytes, 100u);
}

} // namespace
