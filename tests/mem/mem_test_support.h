// Helpers shared by the memory manager's tests.
#pragma once

#include "mem/mem_track.h"
#include "mem/mem_utils.h"

#include <gtest/gtest.h>

// Turns tracking on for one test.
class MemTracked : public testing::Test {
protected:
    void SetUp() override {
        saved_ = MEM_TRACKER::s_track_memory;
        MEM_TRACKER::s_track_memory = true;
    }
    void TearDown() override { MEM_TRACKER::s_track_memory = saved_; }

private:
    bool saved_ = false;
};

// The header in front of a platform block (by address, so that the compiler does
// not take the caller's block for a whole object).
inline MEM_TRACK_HEADER const* mem_test_header(void const* block) {
    return reinterpret_cast<MEM_TRACK_HEADER const*>(reinterpret_cast<uintptr_t>(block) -
                                                     MEM_TRACK_HEADER_SIZE);
}

// The site's record for (thunk, file); allocates nothing once it exists.
inline MEM_TRACKER_DATA* mem_test_record(MEM_TRACKER_THUNK* thunk, char const* file) {
    return MEM_TRACKER_DATA::get_tracker_data(thunk, file);
}

// A copy of a counter, taken under the lock.
inline MEM_TRACKER_COUNTER mem_test_snapshot(MEM_TRACKER_COUNTER const& counter) {
    MEM_LOCK lock(mem_critical_section);
    return counter;
}
