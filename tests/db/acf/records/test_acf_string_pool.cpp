#include "records/acf_string_pool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(AcfStringPool, EqualTextsShareOnePooledString) {
    ACF_STRING_POOL pool("P");
    std::string first = "top|inst";
    std::string second = "top|inst"; // equal text at another address
    std::string const* a = pool.get_or_add_to_pool(first.c_str());
    std::string const* b = pool.get_or_add_to_pool(second.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(*a, "top|inst");
    EXPECT_NE(a->c_str(), first.c_str()) << "the pool keeps its own copy";
    EXPECT_EQ(pool.get_misses(), 1u);
    EXPECT_EQ(pool.get_hits(), 1u);
    EXPECT_EQ(pool.get_same(), 0u);

    // Handing back the pooled buffer itself is a hit and a "same".
    EXPECT_EQ(pool.get_or_add_to_pool(a->c_str()), a);
    EXPECT_EQ(pool.get_hits(), 2u);
    EXPECT_EQ(pool.get_same(), 1u);
    EXPECT_EQ(pool.size(), 1u);
}

TEST(AcfStringPool, LookupIsCaseSensitiveAndIgnoresEmptyTexts) {
    ACF_STRING_POOL pool("P");
    std::string const* upper = pool.get_or_add_to_pool("Net");
    std::string const* lower = pool.get_or_add_to_pool("net");
    EXPECT_NE(upper, lower);
    EXPECT_EQ(pool.get_or_add_to_pool(""), nullptr);
    EXPECT_EQ(pool.get_or_add_to_pool(nullptr), nullptr);
    EXPECT_EQ(pool.get_misses(), 2u);
    EXPECT_EQ(pool.get_hits(), 0u);
    EXPECT_EQ(pool.size(), 2u);
}

TEST(AcfStringPool, ResetEmptiesThePoolAndKeepsItsName) {
    ACF_STRING_POOL pool("GENERAL_POOL");
    pool.get_or_add_to_pool("a");
    pool.get_or_add_to_pool("a");
    pool.reset();
    EXPECT_EQ(pool.size(), 0u);
    EXPECT_EQ(pool.get_misses(), 0u);
    EXPECT_EQ(pool.get_hits(), 0u);
    EXPECT_EQ(pool.get_same(), 0u);
    EXPECT_EQ(pool.get_name(), "GENERAL_POOL");
    // Usable again after the reset.
    EXPECT_EQ(*pool.get_or_add_to_pool("a"), "a");
    EXPECT_EQ(pool.get_misses(), 1u);

    ACF_STRING_POOL unnamed(nullptr);
    EXPECT_EQ(unnamed.get_name(), "UNNAMED_POOL");
}

TEST(AcfStringPool, StatisticsArePrintedAsDebugLines) {
    ACF_STRING_POOL pool("STATS");
    pool.get_or_add_to_pool("x");
    pool.get_or_add_to_pool("x");
    pool.get_or_add_to_pool("y");
    setenv("TESSALY_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    pool.print_stats();
    std::string out = testing::internal::GetCapturedStderr();
    unsetenv("TESSALY_DEBUG");
    EXPECT_NE(out.find("ACF: STATS FOR ACF_STRING_POOL 'STATS' (0x"), std::string::npos) << out;
    EXPECT_NE(out.find("ACF:   Misses: 2\nACF:   Hits  : 1\nACF:   Same  : 0\n"
                       "ACF:   Curr Size: 2\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("here are your strings"), std::string::npos);
}

} // namespace
