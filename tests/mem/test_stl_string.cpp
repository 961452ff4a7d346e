#include "stl_string.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string reference(char const* format, ...) __attribute__((format(printf, 1, 2)));
std::string reference(char const* format, ...) {
    va_list args;
    va_start(args, format);
    std::vector<char> buffer(100000);
    int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return std::string(buffer.data(), static_cast<size_t>(n));
}

// Each case formats the same arguments both ways and compares.
TEST(StlSprintf, MatchesTheCLibrary) {
    std::string long_text(1000, 'x');
    std::string text_255(255, 'a');
    std::string text_256(256, 'b');
    struct Case {
        char const* name;
        std::string expected;
        MEM_STRING(*format)
        (std::string const& long_text, std::string const& t255, std::string const& t256);
    };
#define CASE(NAME, ...)                                                                            \
    Case {                                                                                         \
        NAME, reference(__VA_ARGS__),                                                              \
            [](std::string const& long_text, std::string const& text_255,                          \
               std::string const& text_256) {                                                      \
                (void)long_text, (void)text_255, (void)text_256;                                   \
                MEM_STRING out;                                                                    \
                stl_sprintf(&out, __VA_ARGS__);                                                    \
                return out;                                                                        \
            }                                                                                      \
    }
    Case const cases[] = {
        CASE("empty", "%s", ""),
        CASE("integers", "%d %i %u %ld %lld %x %X %o", -7, 42, 3u, -9L, 1LL << 40, 255, 255, 8),
        CASE("characters and percent", "%c%c %% %5c|", 'a', 'b', 'z'),
        CASE("floating", "%f %.2f %e %g %10.3f", 3.5, 2.345, 1e10, 0.0001, -1.5),
        CASE("widths and flags", "[%-8s][%8s][%+d][%05d][%#x]", "ab", "cd", 5, 42, 255),
        CASE("pointer", "%p", reinterpret_cast<void*>(0x1234)),
        CASE("255 characters in one pass", "%s", text_255.c_str()),
        CASE("256 characters in two passes", "%s", text_256.c_str()),
        CASE("long string argument", "%s", long_text.c_str()),
        CASE("long string twice", "<%s|%s>", long_text.c_str(), long_text.c_str()),
        CASE("long precision", "%.1000d", 7),
        CASE("long width", "%2000s|", "r"),
        CASE("arguments after a long one", "%s %d %s", long_text.c_str(), 99, "tail"),
    };
#undef CASE
    for (Case const& c : cases) {
        MEM_STRING out = c.format(long_text, text_255, text_256);
        EXPECT_EQ(std::string(out.c_str(), out.size()), c.expected) << c.name;
    }
}

TEST(StlSprintf, AlsoFillsAPlainStringAndReplacesItsContents) {
    std::string out = "old text";
    stl_sprintf(&out, "%s-%d", "new", 3);
    EXPECT_EQ(out, "new-3");
    std::string long_text(700, 'q');
    stl_sprintf(&out, "%s", long_text.c_str());
    EXPECT_EQ(out, long_text);
}

TEST(StlSprintf, NullFormatLeavesTheStringAlone) {
    MEM_STRING out("kept");
    stl_sprintf(&out, nullptr);
    EXPECT_EQ(out, "kept");
    stl_sprintf(static_cast<MEM_STRING*>(nullptr), "%d", 1);
}

TEST(StlCase, ChangesOnlyAsciiLetters) {
    struct Case {
        char const* text;
        char const* upper;
        char const* lower;
    } const cases[] = {
        {"", "", ""},
        {"abc XYZ 09_", "ABC XYZ 09_", "abc xyz 09_"},
        {"caf\xc3\xa9 \xe9t\xe9", "CAF\xc3\xa9 \xe9T\xe9", "caf\xc3\xa9 \xe9t\xe9"},
        {"@[`{", "@[`{", "@[`{"},
    };
    for (Case const& c : cases) {
        MEM_STRING upper(c.text);
        MEM_STRING lower(c.text);
        EXPECT_EQ(stl_toupper(upper), c.upper);
        EXPECT_EQ(stl_tolower(lower), c.lower);
        std::string plain(c.text);
        EXPECT_EQ(stl_toupper(plain), c.upper);
    }
}

TEST(StlBoundedCopies, CopyAndAppendWithinTheSize) {
    struct Case {
        char const* name;
        char const* dst;
        char const* src;
        unsigned count; // for stl_strlncat; ~0u means the plain forms
        unsigned size;
        char const* expected;
        unsigned result;
        bool append;
    } const cases[] = {
        {"copy fits", "", "hello", ~0u, 10, "hello", 5, false},
        {"copy cut", "", "hello", ~0u, 4, "hel", 5, false},
        {"copy size one", "xyz", "hello", ~0u, 1, "", 5, false},
        {"append fits", "ab", "cd", ~0u, 10, "abcd", 4, true},
        {"append cut", "ab", "cdef", ~0u, 5, "abcd", 6, true},
        {"old text too long", "abcdef", "xyz", ~0u, 4, "abc", 6, true},
        {"size one empties", "abc", "d", ~0u, 1, "", 1, true},
        {"counted append", "ab", "cdef", 2, 10, "abcd", 6, true},
        {"counted append cut by size", "ab", "cdef", 3, 4, "abc", 6, true},
    };
    for (Case const& c : cases) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%s", c.dst);
        unsigned result;
        if (!c.append) {
            result = stl_strlcpy(buffer, c.src, c.size);
        } else if (c.count == ~0u) {
            result = stl_strlcat(buffer, c.src, c.size);
        } else {
            result = stl_strlncat(buffer, c.src, c.count, c.size);
        }
        EXPECT_STREQ(buffer, c.expected) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST(StlStreams, StopAtTheFirstZeroCharacter) {
    MEM_STRING text("ab");
    text.push_back('\0');
    text += "cd";
    std::ostringstream out;
    out << text << '|';
    EXPECT_EQ(out.str(), "ab|");

    std::istringstream in("   first second");
    MEM_STRING word("old");
    mem_stl_extract_operator(in, word);
    EXPECT_EQ(word, "first");
    mem_stl_extract_operator(in, word);
    EXPECT_EQ(word, "second");
}

} // namespace
