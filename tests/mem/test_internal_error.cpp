#include "mem/mem_config.h"
#include "mem/mem_debug.h"
#include "mem/mem_track.h"
#include "mem_manager.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace {

// The first internal error goes to the suite's fatal report; one raised while
// that is under way prints and ends with -1; a third aborts.
TEST(MemInternalError, EachLaterErrorEndsHarder) {
    EXPECT_EXIT(mem_internal_error("unit.cpp", 12, "bad %s %d", "block", 7),
                testing::ExitedWithCode(1),
                "Internal Error: Sub-system: MEM, File: unit.cpp, Line: 12\nbad block 7");
    EXPECT_EXIT(
        {
            mem_internal_error_encountered = true;
            mem_internal_error("unit.cpp", 13, "again");
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EXIT(
        {
            mem_internal_error_encountered = true;
            mem_internal_error_during_internal_error = true;
            mem_internal_error("unit.cpp", 14, "third");
        },
        testing::KilledBySignal(SIGABRT), "");
}

TEST(MemInternalError, LongMessagesAreCutNotOverflowed) {
    std::string long_text(5000, 'z');
    EXPECT_EXIT(mem_internal_error("unit.cpp", 1, "%s", long_text.c_str()),
                testing::ExitedWithCode(1), "\nz{499}\n");
}

TEST(MemDebugBreak, PrintsTheBlockUnlessBreaksAreOff) {
    bool saved = MEM_TRACKER::s_track_memory;
    MEM_TRACKER::s_track_memory = false;
    void* address = reinterpret_cast<void*>(0x1000);

    testing::internal::CaptureStdout();
    MEM_MANAGER::debug_break("stop here", nullptr, address);
    std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_EQ(shown, "stop here\n(MEM_TRACK_MEMORY is OFF) Address = 0x1000\n\n");

    mem_dont_break = true;
    testing::internal::CaptureStdout();
    MEM_MANAGER::debug_break("stop here", nullptr, address);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    mem_dont_break = false;

    struct Thing {};
    MEM_TRACKER::s_track_memory = true;
    MEM_TRACKER_DATA* record =
        MEM_TRACKER_DATA::get_tracker_data(MEM_THUNK(ACF, Thing), "debug_break.cpp");
    testing::internal::CaptureStdout();
    MEM_MANAGER::debug_break("leak", record, address);
    shown = testing::internal::GetCapturedStdout();
    MEM_TRACKER::s_track_memory = saved;
    EXPECT_EQ(shown, "leak\nACF: Class_id = " + std::to_string(record->class_id) +
                         std::string(5 - std::to_string(record->class_id).size(), ' ') +
                         " Address = 0x1000\n" + typeid(Thing).name() + "\n\n");
}

} // namespace
