#include "mem_manager.h"
#include "mem_test_support.h"

#include <cstring>

namespace {

struct Widget {
    char c[12];
};
struct Gadget {};

using MemTracking = MemTracked;

TEST(MemTrackerCounter, KeepsCurrentCumulativeAndPeakFigures) {
    MEM_LOCK lock(mem_critical_section);
    MEM_TRACKER_COUNTER counter;
    counter.add(100);
    counter.add(50);
    counter.subtract(100);
    counter.add(20);
    EXPECT_EQ(counter.current_bytes, 70u);
    EXPECT_EQ(counter.current_blocks, 2u);
    EXPECT_EQ(counter.cumulative_bytes, 170u);
    EXPECT_EQ(counter.cumulative_blocks, 3u);
    EXPECT_EQ(counter.peak_bytes, 150u);
    EXPECT_EQ(counter.peak_blocks, 2u);

    EXPECT_TRUE(counter.changed);
    MEM_TRACKER_COUNTER::update_current_peak_for_changed_counters();
    EXPECT_FALSE(counter.changed);
    EXPECT_EQ(counter.current_peak_bytes, 70u);
    EXPECT_EQ(MEM_TRACKER_COUNTER::s_changed_counter_list, nullptr);
}

TEST(MemTrackerCounter, RefusesToCountWithoutTheLock) {
    EXPECT_EXIT(
        {
            MEM_TRACKER_COUNTER counter;
            counter.add(1);
        },
        testing::ExitedWithCode(1), "mem_critical_section.is_locked\\(\\)");
}

TEST_F(MemTracking, RecordsArePerSiteAndFileWithClassIdsPerSubsystem) {
    char const* file_a = "tracking_a.cpp";
    char const* file_b = "tracking_b.cpp";
    MEM_TRACKER_THUNK* first = MEM_THUNK(IPMAN, Widget);
    MEM_TRACKER_THUNK* second = MEM_THUNK(IPMAN, Widget);

    MEM_TRACKER_DATA* a1 = MEM_TRACKER_DATA::get_tracker_data(first, file_a);
    MEM_TRACKER_DATA* a2 = MEM_TRACKER_DATA::get_tracker_data(second, file_a);
    MEM_TRACKER_DATA* b1 = MEM_TRACKER_DATA::get_tracker_data(first, file_b);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(MEM_TRACKER_DATA::get_tracker_data(first, file_a), a1);
    EXPECT_NE(a1, a2);
    EXPECT_NE(a1, b1);
    EXPECT_EQ(a2->class_id, a1->class_id + 1);
    EXPECT_EQ(b1->class_id, a1->class_id + 2);
    EXPECT_EQ(a2->tracker_id, a1->tracker_id + 1);
    EXPECT_EQ(MEM_TRACKER_DATA::find_by_id(a1->tracker_id), a1);
    EXPECT_STREQ(a1->subsystem_name, "IPMAN");
    EXPECT_STREQ(a1->file_name, file_a);
    EXPECT_EQ(a1->line, static_cast<int32_t>(first->line));
    EXPECT_EQ(a1->element_size, sizeof(Widget));
    EXPECT_EQ(a1->subsystem, a2->subsystem);
    // One type record per type name, whatever the site.
    EXPECT_EQ(a1->typeinfo, b1->typeinfo);
    EXPECT_STREQ(a1->typeinfo->name, typeid(Widget).name());
}

TEST_F(MemTracking, ChargesGoToSiteSubsystemAndType) {
    MEM_TRACKER_THUNK* thunk = MEM_THUNK(MDB, Gadget);
    MEM_TRACKER_DATA* record = MEM_TRACKER_DATA::get_tracker_data(thunk, __FILE__);
    uint64_t subsystem_before = MEM_MANAGER::get_subsystem_memory_usage("MDB");
    MEM_TRACKER_COUNTER type_before = mem_test_snapshot(record->typeinfo->counter);

    void* block = mem_new_wrapper(30, thunk, __FILE__);
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("MDB"), subsystem_before + 32);
    EXPECT_EQ(mem_test_snapshot(record->typeinfo->counter).current_bytes,
              type_before.current_bytes + 32);
    mem_delete_wrapper(block, nullptr);
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("MDB"), subsystem_before);
}

TEST_F(MemTracking, UnknownSubsystemUsesNothing) {
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("NEVER_USED_TAG"), 0u);
}

TEST(MemTrackingOff, GivesNoRecordsAndLeavesTheCountersAlone) {
    ASSERT_FALSE(MEM_TRACKER::s_track_memory);
    EXPECT_EQ(MEM_TRACKER_DATA::get_tracker_data(MEM_THUNK(MEM, Gadget), __FILE__), nullptr);
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    void* block = mem_new_wrapper(64, MEM_THUNK(MEM, Gadget), __FILE__);
    EXPECT_EQ(mem_test_header(block)->magic, 0u);
    mem_delete_wrapper(block, nullptr);
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(after.cumulative_blocks, before.cumulative_blocks);
}

TEST(MemStlAllocator, AllocatesAndReleasesThroughOneSite) {
    EXPECT_EQ(MEM_STL_ALLOCATOR<int>::thunk(), MEM_STL_ALLOCATOR<int>::thunk());
    EXPECT_EQ(MEM_STL_ALLOCATOR<int>::thunk()->flags & 0xFFFF, 1u);
    EXPECT_EQ(MEM_STL_ALLOCATOR<int>::thunk()->flags >> 16, alignof(int));
    EXPECT_TRUE(MEM_STL_ALLOCATOR<int>() == MEM_STL_ALLOCATOR<char>());
}

} // namespace
