#include "mem/stl_output.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

std::string engine(char const* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    MEM_STRING out;
    int count = stl_output(&out, format, arguments);
    va_end(arguments);
    EXPECT_EQ(count, static_cast<int>(out.size())) << format;
    return std::string(out.data(), out.size());
}

std::string reference(char const* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int n = std::vsnprintf(nullptr, 0, format, arguments);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    va_end(arguments);
    text.resize(static_cast<size_t>(n));
    return text;
}

TEST(StlOutput, IntegerConversionsMatchTheCLibrary) {
    char const* formats[] = {
        "%d",     "%i",   "%5d",      "%-5d|",  "%05d",    "%+d",     "% d",   "%+05d", "% 05d",
        "%-+6d|", "%.3d", "%.0d",     "%8.3d",  "%-8.3d|", "%05.2d",  "%u",    "%o",    "%#o",
        "%#.0o",  "%x",   "%#x",      "%X",     "%#X",     "%#08x",   "%#.0x", "%hd",   "%hu",
        "%hx",    "%3d",  "[%%d=%d]", "%1000d", "%.1000d", "%-1000d|"};
    int values[] = {0, 1, -1, 8, 42, -42, 255, 65535, -32768, 123456, INT_MAX, INT_MIN};
    for (char const* f : formats) {
        for (int v : values) {
            EXPECT_EQ(engine(f, v), reference(f, v)) << f << " with " << v;
        }
    }
}

TEST(StlOutput, WideIntegersMatchTheCLibrary) {
    long long const values[] = {0, -1, 1LL << 40, LLONG_MAX, LLONG_MIN};
    for (char const* f : {"%lld", "%llu", "%llx", "%#llo", "%+20lld", "%-22lld|", "%.25lld"}) {
        for (long long v : values) {
            EXPECT_EQ(engine(f, v), reference(f, v)) << f << " with " << v;
        }
    }
    // "long" is pointer-sized: all 64 bits are read and printed.
    long const longs[] = {0, -1, 1L << 40, LONG_MAX, LONG_MIN};
    for (char const* f : {"%ld", "%lu", "%lx", "%lX", "%12ld"}) {
        for (long v : longs) {
            EXPECT_EQ(engine(f, v), reference(f, v)) << f << " with " << v;
        }
    }
    EXPECT_EQ(engine("%I64d", LLONG_MIN), reference("%lld", LLONG_MIN));
    EXPECT_EQ(engine("%I64x", 1LL << 40), "10000000000");
}

TEST(StlOutput, FixedPointMatchesTheCLibrary) {
    // The engine always writes the decimal point, as "%#" does in C.
    struct FORMATS {
        char const* engine;
        char const* reference;
    } formats[] = {
        {"%f", "%f"},      {"%.2f", "%.2f"},    {"%10.3f", "%10.3f"},   {"%-10.3f|", "%-10.3f|"},
        {"%+f", "%+f"},    {"% f", "% f"},      {"%010.2f", "%010.2f"}, {"%.10f", "%.10f"},
        {"%.0f", "%#.0f"}, {"%5.0f", "%#5.0f"}, {"%.600f", "%.600f"},   {"%+012.4f", "%+012.4f"}};
    double values[] = {0.0,    -0.0, 3.14159, -2.5,   1e20,  0.001,
                       0.0049, 0.5,  123.456, 1e-300, 1e300, -1e-5};
    for (auto const& f : formats) {
        for (double v : values) {
            EXPECT_EQ(engine(f.engine, v), reference(f.reference, v)) << f.engine << " with " << v;
        }
    }
    for (double v : {HUGE_VAL, -HUGE_VAL, static_cast<double>(NAN)}) {
        EXPECT_EQ(engine("%8.2f|", v), reference("%8.2f|", v));
    }
}

TEST(StlOutput, StringsAndCharactersMatchTheCLibrary) {
    std::string long_text(1000, 'q');
    char const* texts[] = {"", "abc", "hello world", long_text.c_str()};
    for (char const* f : {"%s", "%10s", "%-10s|", "%.3s", "%10.3s", "%.0s", "%-1200s|"}) {
        for (char const* t : texts) {
            EXPECT_EQ(engine(f, t), reference(f, t)) << f << " with " << t;
        }
    }
    for (char const* f : {"%c", "%3c", "%-3c|"}) {
        EXPECT_EQ(engine(f, 'z'), reference(f, 'z')) << f;
    }
    EXPECT_EQ(engine("%ls|%5ls|%.2ls", L"abc", L"de", L"fgh"),
              reference("%ls|%5ls|%.2ls", L"abc", L"de", L"fgh"));
    EXPECT_EQ(engine("%lc%lc", static_cast<wint_t>(L'x'), static_cast<wint_t>(L'y')), "xy");
}

TEST(StlOutput, ConversionsOfItsOwn) {
    struct CASE {
        std::string actual;
        char const* expected;
    };
    int stored = -1;
    short stored_short = -1;
    STL_COUNTED_STRING counted{3, 8, const_cast<char*>("abcdef")};
    wchar_t wide_text[] = L"wide";
    STL_COUNTED_STRING counted_wide{static_cast<uint16_t>(2 * sizeof(wchar_t)), 16, wide_text};
    STL_COUNTED_STRING no_buffer{3, 3, nullptr};
    CASE cases[] = {
        {engine("100%%"), "100%"},
        {engine("%5d|%-5d|%05d", -42, -42, -42), "  -42|-42  |-0042"},
        {engine("%#x %#o %#o", 0, 8, 0), "0 010 0"},
        {engine("[%.0d]", 0), "[]"},
        {engine("%s %.3s", static_cast<char const*>(nullptr), "abcdef"), "(null) abc"},
        {engine("%.0f %e %E", 3.0, 1234.5, 0.25), "3. 1234.500000 0.250000"},
        {engine("%g %.0g %G", 2.5, 0.5, 1e-3), "2.500000 0.5 0.001000"},
        {engine("%03d", 12345), "12345"},
        {engine("%p", reinterpret_cast<void*>(0x1234)), "0000000000001234"},
        {engine("%p", reinterpret_cast<void*>(0x123456789ABCULL)), "0000123456789ABC"},
        {engine("%#p", reinterpret_cast<void*>(0xABC)), "0X0000000000000ABC"},
        // An "I" size without "64" is text, and so is the rest up to the next "%".
        {engine("%Id|%d", 7), "Id|7"},
        {engine("%*d|%*d|%.*d|%.*d", 5, 42, -5, 42, 3, 7, -1, 7), "   42|42   |007|7"},
        {engine("ab%ncd%hn", &stored, &stored_short), "abcd"},
        {engine("%Z|%5Z|%Z|%Z", &counted, &counted, static_cast<STL_COUNTED_STRING*>(nullptr),
                &no_buffer),
         "abc|  abc|(null)|(null)"},
        {engine("%wZ", &counted_wide), "wi"},
        {engine("%S|%C|%hs", L"abc", static_cast<wint_t>(L'q'), "narrow"), "abc|q|narrow"},
        {engine("[%4B]"), "[    ]"},
        {engine("%ls", static_cast<wchar_t const*>(nullptr)), "(null)"},
        // Wide characters the locale cannot convert: "%lc" prints nothing, "%ls" stops there.
        {engine("[%lc][%ls]", static_cast<wint_t>(0x20AC),
                L"ab\x20AC"
                L"cd"),
         "[][ab]"},
        {engine("%hd %hu", 65535, 65535), "-1 65535"},
        {engine("%", 1), ""},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.actual, c.expected);
    }
    EXPECT_EQ(stored, 2);
    EXPECT_EQ(stored_short, 4);
}

TEST(StlOutput, AppendsAcrossTheBufferBoundaryInOrder) {
    std::string literal(700, '.');
    MEM_STRING out("start:");
    std::string format = literal + "%s" + literal + "%d";
    std::string expected = "start:" + reference(format.c_str(), "mid", 99);

    auto run = [&](char const* f, ...) {
        va_list arguments;
        va_start(arguments, f);
        int n = stl_output(&out, f, arguments);
        va_end(arguments);
        EXPECT_EQ(n, static_cast<int>(out.size()) - 6);
    };
    run(format.c_str(), "mid", 99);
    EXPECT_EQ(std::string(out.data(), out.size()), expected);
}

TEST(StlOutput, AdvancesTheCallersArguments) {
    auto run = [](char const* f, ...) {
        va_list arguments;
        va_start(arguments, f);
        MEM_STRING out;
        stl_output(&out, f, arguments);
        int next = va_arg(arguments, int);
        va_end(arguments);
        return std::make_pair(std::string(out.data(), out.size()), next);
    };
    auto [text, next] = run("%d-%s-%f", 1, "two", 3.0, 4);
    EXPECT_EQ(text, "1-two-3.000000");
    EXPECT_EQ(next, 4);
}

TEST(StlOutput, WritersRefuseToPassTheLargestCount) {
    MEM_STRING out;
    char buffer[STL_OUTPUT_BUFFER_SIZE + 1];
    int position = 0;
    int count = INT_MAX - 2;
    write_multi_char_a('x', 5, buffer, &position, &out, &count);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(position, 0);
    write_string_a("ab", 2, buffer, &position, &out, &count);
    EXPECT_EQ(position, 0);

    count = 0;
    write_multi_char_a('y', STL_OUTPUT_BUFFER_SIZE + 3, buffer, &position, &out, &count);
    EXPECT_EQ(count, STL_OUTPUT_BUFFER_SIZE + 3);
    EXPECT_EQ(out.size(), static_cast<size_t>(STL_OUTPUT_BUFFER_SIZE));
    EXPECT_EQ(position, 3);
}

} // namespace
