#include "mem/mem_callstack.h"
#include "mem/mem_config.h"
#include "mem/mem_utils.h"
#include "mem_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(MemCallstack, FunctionNamesMatchAtIdentifierStartsOutsideBrackets) {
    char const* const list[] = {"MEM_MANAGER", "operator new", "main", nullptr};
    struct CASE {
        char const* name;
        bool matches;
    } cases[] = {
        {"MEM_MANAGER::allocate(unsigned long)", true},
        {"MEM_MANAGER", true},
        {"MEM_MANAGER_EXTRA::allocate()", false},
        {"operator new(unsigned long)", true},
        {"operator new[](unsigned long)", false},
        {"main", true},
        {"mainly(int)", false},
        {"std::vector<int>::main helper", true},
        {"std::vector<main>::f()", false},
        {"std::mainframe()", false},
        {"ns::MEM_MANAGER::f()", true},
        {"f<MEM_MANAGER::x>(int)", false},
        {"g(MEM_MANAGER const&)", false},
        {"x::operator new(unsigned long)", true},
        {"", false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(mem_is_in_function_name_list(c.name, list), c.matches) << c.name;
    }
    EXPECT_FALSE(mem_is_in_function_name_list(nullptr, list));
    EXPECT_FALSE(mem_is_in_function_name_list("main", nullptr));
}

// Sets the include and exclude lists for one check and frees them after.
bool selected(char const* tag, char const* include, char const* exclude) {
    char** in = include != nullptr ? mem_get_cfg_string_array(include, " ;'\",") : nullptr;
    char** ex = exclude != nullptr ? mem_get_cfg_string_array(exclude, " ;'\",") : nullptr;
    MEM_TRACKER::s_track_callstack_include_subsystem_list = in;
    MEM_TRACKER::s_track_callstack_exclude_subsystem_list = ex;
    bool result = mem_track_subsystem_prefix(tag);
    MEM_TRACKER::s_track_callstack_include_subsystem_list = nullptr;
    MEM_TRACKER::s_track_callstack_exclude_subsystem_list = nullptr;
    mem_free_wrapper(in, nullptr);
    mem_free_wrapper(ex, nullptr);
    return result;
}

TEST(MemCallstack, SubsystemsAreSelectedByTheIncludeAndExcludeLists) {
    struct CASE {
        char const* tag;
        char const* include;
        char const* exclude;
        bool selected;
    } cases[] = {
        {"ACF", nullptr, nullptr, true},      {"ACF", "", nullptr, true},
        {"ACF", ";,", nullptr, true},         {"ACF", "acf", nullptr, true},
        {"ACF", "IPMAN;MDB", nullptr, false}, {"MDB", "IPMAN, mdb", nullptr, true},
        {"ACF", "*", "IPMAN", true},          {"IPMAN", "*", "ipman", false},
        {"ACF", nullptr, "ACF", false},       {"ACF", "ACF", "ACF", false},
        {"ACFX", "ACF", nullptr, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(selected(c.tag, c.include, c.exclude), c.selected)
            << c.tag << " include=" << (c.include ? c.include : "(none)")
            << " exclude=" << (c.exclude ? c.exclude : "(none)");
    }
}

TEST(MemCallstack, BlockMapAgreesWithAnOrderedMap) {
    MEM_LOCK lock(mem_critical_section);
    MEM_BLOCK_MAP blocks;
    std::map<uintptr_t, MEM_CALLSTACK*> model;
    std::mt19937 random(11);
    std::vector<MEM_CALLSTACK> stacks(4);
    for (int step = 0; step < 20000; ++step) {
        auto key = static_cast<uintptr_t>(random() % 500) * 16;
        auto* block = reinterpret_cast<void const*>(key);
        switch (random() % 3) {
        case 0: {
            MEM_CALLSTACK* stack = &stacks[random() % stacks.size()];
            blocks.insert(block, stack);
            model.emplace(key, stack); // a present address keeps its stack
            break;
        }
        case 1:
            blocks.erase(block);
            model.erase(key);
            break;
        default: {
            auto found = model.find(key);
            ASSERT_EQ(blocks.find(block), found == model.end() ? nullptr : found->second) << step;
        }
        }
    }
    for (auto const& [key, stack] : model) {
        blocks.erase(reinterpret_cast<void const*>(key));
    }
    EXPECT_EQ(blocks.find(reinterpret_cast<void const*>(16)), nullptr);
}

std::vector<void const*> frames_of(uintptr_t seed, unsigned depth) {
    std::vector<void const*> frames;
    for (unsigned i = 0; i < depth; ++i) {
        frames.push_back(reinterpret_cast<void const*>(seed * 4096 + i * 8));
    }
    return frames;
}

std::vector<MEM_CALLSTACK*> creation_order() {
    std::vector<MEM_CALLSTACK*> order;
    for (MEM_CALLSTACK* s = MEM_CALLSTACK::s_ordered_first; s != nullptr; s = s->m_ordered_next) {
        order.push_back(s);
    }
    return order;
}

TEST(MemCallstack, StacksAreSharedGrowTheTableAndKeepCreationOrder) {
    MEM_LOCK lock(mem_critical_section);
    ASSERT_EQ(MEM_CALLSTACK::s_ordered_first, nullptr);
    MEM_CALLSTACK_MAP map(2);
    std::vector<MEM_CALLSTACK*> made;
    for (uintptr_t i = 1; i <= 40; ++i) {
        auto frames = frames_of(i, 3 + i % 4);
        made.push_back(map.find(static_cast<unsigned>(frames.size()), frames.data()));
    }
    EXPECT_EQ(map.entry_count(), 40u);
    EXPECT_GT(map.bucket_count(), 40u);
    EXPECT_EQ(creation_order(), made);
    // The same frames find the same stack; a stack one frame shorter is another.
    for (uintptr_t i = 1; i <= 40; ++i) {
        auto frames = frames_of(i, 3 + i % 4);
        ASSERT_EQ(map.find(static_cast<unsigned>(frames.size()), frames.data()), made[i - 1]);
    }
    auto shorter = frames_of(1, 3);
    MEM_CALLSTACK* other = map.find(3, shorter.data());
    EXPECT_NE(other, made[0]);
    made.push_back(other);

    // Erasing the first, a middle and the last stack keeps the order of the rest.
    for (MEM_CALLSTACK* gone : {made.front(), made[20], made.back()}) {
        map.erase(gone);
        made.erase(std::find(made.begin(), made.end(), gone));
        ASSERT_EQ(creation_order(), made);
    }
    for (MEM_CALLSTACK* s : made) {
        map.erase(s);
    }
    EXPECT_EQ(map.entry_count(), 0u);
    EXPECT_EQ(MEM_CALLSTACK::s_ordered_first, nullptr);
    EXPECT_EQ(MEM_CALLSTACK::s_ordered_last, nullptr);
}

// Prints the report of one made-up leaking stack, captured as `frames`.
std::string report_of(std::vector<void const*> frames, int max_depth, int max_reports) {
    MEM_LOCK lock(mem_critical_section);
    MEM_CALLSTACK_MAP map(16);
    int saved_depth = MEM_TRACKER::s_track_callstack_max_depth;
    int saved_reports = MEM_TRACKER::s_track_callstack_max_reports;
    MEM_TRACKER::s_track_callstack_max_depth = max_depth;
    MEM_TRACKER::s_track_callstack_max_reports = max_reports;
    MEM_CALLSTACK* stack = map.find_captured(static_cast<unsigned>(frames.size()), frames.data());
    stack->bytes = 40;
    stack->blocks = 2;
    stack->total_blocks = 3;
    testing::internal::CaptureStdout();
    map.report_leaks();
    std::string output = testing::internal::GetCapturedStdout();
    MEM_TRACKER::s_track_callstack_max_depth = saved_depth;
    MEM_TRACKER::s_track_callstack_max_reports = saved_reports;
    map.erase(stack);
    return output;
}

void const* inside(void* (*function)(size_t, MEM_TRACKER_THUNK*, char const*)) {
    return reinterpret_cast<char const*>(function) + 1;
}

TEST(MemCallstack, ReportShowsFramesFromTheFirstOneOutsideTheManager) {
    void const* manager = inside(&mem_new_wrapper);
    void const* manager2 = inside(&mem_malloc_wrapper);
    void const* test = reinterpret_cast<char const*>(&report_of) + 1;
    std::string const heading = "\n*****Leaked 40 bytes in 2 of 3 blocks at:\n";

    // Frames of the manager at the inner end are dropped.
    std::string out = report_of({manager, manager2, test, test}, 10, 10);
    ASSERT_EQ(out.rfind(heading, 0), 0u) << out;
    std::string frames = out.substr(
        heading.size(), out.find("\n***** MEM_TRACK_CALLSTACK Summary") - heading.size());
    EXPECT_EQ(frames.find("mem_new_wrapper"), std::string::npos) << frames;
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 2) << frames;

    // All frames in the manager: the last one examined is printed alone.
    out = report_of({manager, manager2}, 10, 10);
    frames = out.substr(heading.size(),
                        out.find("\n***** MEM_TRACK_CALLSTACK Summary") - heading.size());
    EXPECT_EQ(frames.rfind(
                  " mem_malloc_wrapper(unsigned long, MEM_TRACKER_THUNK*, char const*)+0x1 (", 0),
              0u)
        << frames;
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 1) << frames;

    // The depth limit counts printed frames.
    out = report_of({manager, test, test, test}, 2, 10);
    frames = out.substr(heading.size(),
                        out.find("\n***** MEM_TRACK_CALLSTACK Summary") - heading.size());
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 2) << frames;

    // No stack printed at all with a report limit of 0.
    out = report_of({test}, 10, 0);
    EXPECT_EQ(out.find("Leaked 40 bytes in"), std::string::npos) << out;
    EXPECT_NE(out.find("* Leaked 40 bytes at 1 tracked callstacks\n* \n"
                       "* Only 0 of the 1 tracked callstacks have been displayed.\n"),
              std::string::npos)
        << out;
}

} // namespace
