// The free pattern's fill, check and checked zeroing, over area sizes that take
// each of their steps (64, 16 and 4 bytes; 256 bytes beyond 512) and at the
// offsets the heap uses (user areas on 16 bytes, headers 12 bytes past).
#include "mem/mem_free_pattern.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

size_t const kSizes[] = {4, 8, 12, 16, 28, 60, 64, 76, 140, 508, 512, 516, 1020, 4108, 40004};
size_t const kOffsets[] = {0, 12};
constexpr size_t kMargin = 64;
constexpr unsigned char kOutside = 0x55;

// An area with untouched bytes on both sides.
struct AREA {
    AREA(size_t size, size_t offset)
        : bytes(kMargin + offset + size + kMargin, kOutside), at(bytes.data() + kMargin + offset),
          size(size) {}

    bool inside_holds(unsigned char value) const {
        for (size_t i = 0; i < size; ++i) {
            if (at[i] != value) {
                return false;
            }
        }
        return true;
    }
    bool outside_untouched() const {
        for (unsigned char const* p = bytes.data(); p < at; ++p) {
            if (*p != kOutside) {
                return false;
            }
        }
        for (unsigned char const* p = at + size; p < bytes.data() + bytes.size(); ++p) {
            if (*p != kOutside) {
                return false;
            }
        }
        return true;
    }

    std::vector<unsigned char> bytes;
    unsigned char* at;
    size_t size;
};

TEST(FreePattern, FillCheckAndZeroingCoverExactlyTheArea) {
    for (size_t size : kSizes) {
        for (size_t offset : kOffsets) {
            SCOPED_TRACE("size " + std::to_string(size) + ", offset " + std::to_string(offset));
            AREA area(size, offset);
            mem_fill_free_pattern(area.at, size);
            EXPECT_TRUE(area.inside_holds(0x88));
            EXPECT_TRUE(area.outside_untouched());
            EXPECT_TRUE(mem_holds_free_pattern(area.at, size));
            for (size_t spoilt : {size_t(0), size / 2, size - 1}) {
                area.at[spoilt] = 0x89;
                EXPECT_FALSE(mem_holds_free_pattern(area.at, size)) << "byte " << spoilt;
                area.at[spoilt] = 0x88;
            }
            mem_zero_checking_free_pattern(nullptr, area.at, size);
            EXPECT_TRUE(area.inside_holds(0));
            EXPECT_TRUE(area.outside_untouched());
        }
    }
}

TEST(FreePatternDeathTest, TheFirstCorruptedByteIsReported) {
    struct CASE {
        size_t size;
        size_t spoilt; // the first byte written; the one after it too
    };
    CASE const cases[] = {{60, 57}, {516, 514}, {40004, 20001}, {40004, 40002}};
    for (CASE const& c : cases) {
        AREA area(c.size, 0);
        mem_fill_free_pattern(area.at, c.size);
        char where[64];
        std::snprintf(where, sizeof where, "Free memory corrupted at %p",
                      static_cast<void*>(area.at + c.spoilt));
        EXPECT_EXIT(
            {
                area.at[c.spoilt] = 0;
                area.at[c.spoilt + 1] = 0;
                mem_zero_checking_free_pattern(nullptr, area.at, c.size);
            },
            ::testing::ExitedWithCode(1), where)
            << "size " << c.size;
    }
}

} // namespace
