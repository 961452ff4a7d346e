// Helpers shared by the memory manager's tests.
#pragma once

#include "mem/mem_segment.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// What tracking keeps for a block, in the form of the platform road's header:
// the header in front of a platform block (by address, so that the compiler does
// not take the caller's block for a whole object), or, for a block of the own
// heap, its block header's facts (charged, tracker id, request size).
inline MEM_TRACK_HEADER const* mem_test_header(void const* block) {
    MEM_MEGA_PAGE* page = mem_heap_page_of(block);
    if (page == nullptr) {
        return reinterpret_cast<MEM_TRACK_HEADER const*>(reinterpret_cast<uintptr_t>(block) -
                                                         MEM_TRACK_HEADER_SIZE);
    }
    static thread_local MEM_TRACK_HEADER facts;
    auto const* header = reinterpret_cast<MEM_BLOCK const*>(reinterpret_cast<uintptr_t>(block) - 4);
    facts.magic = header->m_type == MEM_BLOCK::USED_CHARGED ? MEM_TRACK_MAGIC : 0;
    facts.tracker_id = header->tracker_id();
    facts.size = page->get_user_block_size(block);
    return &facts;
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

// A whole file's text (empty when it cannot be read), and a text's lines.
inline std::string read_file(std::filesystem::path const& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> lines_of(std::string const& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}
