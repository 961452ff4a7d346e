#include "mem/mem_info.h"
#include "mem_manager.h"
#include "mem_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

// The sanitizer's allocator answers an impossible request with null, as the
// platform allocators do, instead of stopping the process itself.
extern "C" char const* __asan_default_options() {
    return "allocator_may_return_null=1";
}
extern "C" char const* __tsan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

constexpr size_t kImpossible = size_t(1) << 46;
char const* const kFile = "test_out_of_memory.cpp";
char const* const kReport = "\nOut of memory \\([0-9]+ megabytes used\\)\n";

TEST(MemOutOfMemory, EveryAllocationRoadEndsWithTheReportAndStatusOne) {
    struct Case {
        char const* name;
        void (*run)();
    } const cases[] = {
        {"mem_new_wrapper", [] { mem_new_wrapper(kImpossible, MEM_THUNK(MEM, char), kFile); }},
        {"mem_new_array_wrapper",
         [] { mem_new_array_wrapper(kImpossible, MEM_THUNK(MEM, char), kFile); }},
        {"mem_malloc_wrapper",
         [] { mem_malloc_wrapper(kImpossible, MEM_THUNK(MEM, char), kFile); }},
        {"mem_stl_allocate", [] { mem_stl_allocate(kImpossible, MEM_THUNK(MEM, char)); }},
        {"mem_realloc_wrapper",
         [] {
             void* block = mem_malloc_wrapper(8, MEM_THUNK(MEM, char), kFile);
             mem_realloc_wrapper(block, kImpossible, MEM_THUNK(MEM, char), kFile);
         }},
        {"operator new", [] { operator delete(operator new(kImpossible)); }},
        {"largest request", [] { operator delete[](operator new[](~size_t(0))); }},
    };
    for (Case const& c : cases) {
        EXPECT_EXIT(c.run(), testing::ExitedWithCode(1), kReport) << c.name;
    }
}

TEST(MemOutOfMemory, ReportsThePeakInDecimalMegabytes) {
    EXPECT_EXIT(
        {
            mem_info_process_peak_virtual_used = 2500000000000000ull;
            mem_out_of_memory();
        },
        testing::ExitedWithCode(1), "\nOut of memory \\(2500000000 megabytes used\\)\n");
}

TEST(MemOutOfMemory, InstalledHandlerRunsInsteadOfTheReport) {
    EXPECT_EXIT(
        {
            mem_set_out_of_memory_handler([] { std::fputs("handler ran\n", stderr); });
            mem_malloc_wrapper(kImpossible, MEM_THUNK(MEM, char), kFile);
        },
        // Nothing but the handler's line (after the sanitizer's own warning, if any).
        testing::ExitedWithCode(1),
        "^(==[0-9]+==WARNING: AddressSanitizer[^\n]*\n)?handler ran\n$");
}

} // namespace

namespace {

using MemSpareMemory = MemTracked;

TEST_F(MemSpareMemory, ThreadReserveIsOneTrackedBlockTakenOnce) {
    mem_free_spare_memory();
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    mem_allocate_spare_memory();
    MEM_TRACKER_COUNTER taken = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    mem_allocate_spare_memory();
    MEM_TRACKER_COUNTER again = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    mem_free_spare_memory();
    MEM_TRACKER_COUNTER released = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    mem_allocate_spare_memory();

    EXPECT_EQ(taken.current_bytes - before.current_bytes, 0x20000u);
    EXPECT_EQ(taken.current_blocks - before.current_blocks, 1u);
    EXPECT_EQ(again.current_bytes, taken.current_bytes);
    EXPECT_EQ(released.current_bytes, before.current_bytes);
}

} // namespace
