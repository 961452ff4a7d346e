#include "suite/general/big_time.h"

#include <gtest/gtest.h>

namespace {

TEST(BigTime, ParsesNumberAndUnitIgnoringCase) {
    struct CASE {
        char const* text;
        BIG_TIME_UNIT unit;
        char const* number; // at the unit's full precision
    };
    CASE const cases[] = {
        {"10 ns", BIG_TIME_UNIT_NS, "10.0"},
        {"10NS", BIG_TIME_UNIT_NS, "10.0"},
        {" 2.5 ps ", BIG_TIME_UNIT_PS, "2.5"},
        {".25 us", BIG_TIME_UNIT_US, "0.25"},
        {"-1.5 ms", BIG_TIME_UNIT_MS, "-1.5"},
        {"-0.5 s", BIG_TIME_UNIT_S, "-0.5"},
        {"3 fs", BIG_TIME_UNIT_FS, "3"},
        {"100 mhz", BIG_TIME_UNIT_MHZ, "100.0"},
        {"1.0625GHz", BIG_TIME_UNIT_GHZ, "1.0625"},
        {"12 kHz", BIG_TIME_UNIT_KHZ, "12.0"},
        {"0.0000004 ns", BIG_TIME_UNIT_NS, "0.0"}, // below the 1 fs resolution
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.text);
        BIG_TIME time;
        ASSERT_TRUE(time.set_time(c.text));
        EXPECT_EQ(time.get_unit(), c.unit);
        EXPECT_EQ(time.to_string_without_unit(BIG_TIME::get_max_precision_for(c.unit)), c.number);
        EXPECT_TRUE(BIG_TIME::is_legal(c.text));
    }
}

TEST(BigTime, RefusesTextsThatAreNotATimeOrFrequency) {
    for (char const* text : {"", "10", "ns", "10 nss", "10 ns extra", "1e3 ns", "-", "- ns",
                             "1.2.3 ns", "99999999999999999999 s"}) {
        SCOPED_TRACE(text);
        BIG_TIME time;
        time.set_time("5 ns");
        EXPECT_FALSE(time.set_time(text));
        EXPECT_EQ(time.get_unit(), BIG_TIME_UNIT_NS) << "a refused text changes nothing";
        EXPECT_FALSE(BIG_TIME::is_legal(text));
    }
    EXPECT_FALSE(BIG_TIME::is_legal(nullptr));
}

TEST(BigTime, UnitSpellingsAndPrecisions) {
    EXPECT_STREQ(BIG_TIME::get_time_unit_string(BIG_TIME_UNIT_NS), "ns");
    EXPECT_STREQ(BIG_TIME::get_time_unit_string(BIG_TIME_UNIT_MHZ), "MHz");
    EXPECT_STREQ(BIG_TIME::get_time_unit_string(BIG_TIME_UNIT_NONE), "");
    EXPECT_EQ(BIG_TIME::get_max_precision_for(BIG_TIME_UNIT_FS), 0);
    EXPECT_EQ(BIG_TIME::get_max_precision_for(BIG_TIME_UNIT_NS), 6);

    BIG_TIME time;
    ASSERT_TRUE(time.set_time("1.23456 ns"));
    EXPECT_EQ(time.to_string_without_unit(2), "1.23");
    EXPECT_EQ(time.to_string_without_unit(0), "1");
}

TEST(BigTime, DelayInPicosecondsSaturates) {
    struct CASE {
        char const* text;
        int32_t delay;
    };
    CASE const cases[] = {
        {"10 ns", 10000},
        {"-2 ps", -2},
        {"100 MHz", 10000}, // the period
        {"0 MHz", BIG_TIME::DELAY_OVERFLOW},
        {"3 s", BIG_TIME::DELAY_OVERFLOW},
        {"-3 s", BIG_TIME::DELAY_UNDERFLOW},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.text);
        BIG_TIME time;
        ASSERT_TRUE(time.set_time(c.text));
        EXPECT_EQ(time.get_delay_in_ps(), c.delay);
    }
}

} // namespace
