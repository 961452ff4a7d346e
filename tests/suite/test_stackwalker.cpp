#include "suite/errors/err_stackwalker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Exported (the test program exports its symbols), so the walker can name them.
__attribute__((noinline)) int walker_probe_inner(void** frames, int max_frames, int skip) {
    ERR_STACKWALKER walker;
    int n = walker.get_stack_trace(frames, max_frames, skip, nullptr);
    asm volatile("" ::: "memory"); // keeps the call from becoming a tail call
    return n;
}

__attribute__((noinline)) int walker_probe_outer(void** frames, int max_frames, int skip) {
    int n = walker_probe_inner(frames, max_frames, skip);
    asm volatile("" ::: "memory");
    return n;
}

namespace {

// Not exported: the walker must not lend it the name of an exported neighbour.
__attribute__((noinline)) bool unexported_probe(void** frame) {
    int n = walker_probe_inner(frame, 1, 1);
    asm volatile("" ::: "memory");
    return n == 1;
}

std::vector<std::string> names(void** frames, int n) {
    ERR_STACKWALKER walker;
    std::vector<std::string> result;
    for (int i = 0; i < n; ++i) {
        char name[256];
        walker.get_address_info(frames[i], name, sizeof name);
        result.push_back(name);
    }
    return result;
}

TEST(StackWalker, CapturesTheCallersFramesInnermostFirst) {
    void* frames[64];
    int n = walker_probe_outer(frames, 64, 0);
    ASSERT_GE(n, 3);
    auto named = names(frames, n);
    EXPECT_EQ(named[0], "walker_probe_inner(void**, int, int)");
    EXPECT_EQ(named[1], "walker_probe_outer(void**, int, int)");
    EXPECT_NE(std::find(named.begin(), named.end(), "main"), named.end());

    // Skipping drops innermost frames; the limit cuts the outer end.
    n = walker_probe_outer(frames, 1, 1);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(names(frames, 1)[0], "walker_probe_outer(void**, int, int)");
    EXPECT_EQ(walker_probe_outer(frames, 0, 0), 0);
    EXPECT_EQ(walker_probe_outer(frames, 5, 10000), 0);
}

TEST(StackWalker, NamesLocationsAndCutsLongTexts) {
    void* frames[4];
    ASSERT_GE(walker_probe_outer(frames, 4, 0), 2);
    ERR_STACKWALKER walker;
    char text[2048];
    char name_of_unexported[256];
    walker.get_location_string(frames[1], text, sizeof text);
    std::string location = text;
    EXPECT_EQ(location.rfind("walker_probe_outer(void**, int, int)+0x", 0), 0u) << location;
    EXPECT_NE(location.find("test_suite_stackwalker)"), std::string::npos) << location;

    char small[8];
    walker.get_location_string(frames[1], small, sizeof small);
    EXPECT_EQ(std::string(small), "walker_");
    EXPECT_TRUE(walker.get_address_info(frames[1], small, sizeof small));
    EXPECT_EQ(std::string(small), "walker_");

    // A function the module does not export has no name, only its module.
    void* unexported = nullptr;
    ASSERT_TRUE(unexported_probe(&unexported));
    EXPECT_FALSE(
        walker.get_address_info(unexported, name_of_unexported, sizeof name_of_unexported));
    walker.get_location_string(unexported, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("0x", 0), 0u) << text;
    EXPECT_NE(std::string(text).find("test_suite_stackwalker)"), std::string::npos) << text;

    // An address in no module has neither name nor module.
    char name[16] = "x";
    EXPECT_FALSE(walker.get_address_info(reinterpret_cast<void*>(0x10), name, sizeof name));
    EXPECT_EQ(std::string(name), "");
    walker.get_location_string(reinterpret_cast<void*>(0x10), text, sizeof text);
    EXPECT_EQ(std::string(text), "0x10");
}

} // namespace
