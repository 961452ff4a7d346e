#include "suite/general/gen.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(General, LocalAtofTakesTheLeadingNumberWhateverTheLocale) {
    struct CASE {
        char const* text;
        double value;
    } const cases[] = {
        {"14.0", 14.0}, {"12.1sp1", 12.1}, {" \t11.1", 11.1}, {"-2.5x", -2.5}, {"12e5", 12.0},
        {"12.", 12.0},  {".5", 0.5},       {"sp3", 0.0},      {"", 0.0},       {nullptr, 0.0},
    };
    // A locale whose decimal mark is a comma, when the machine has one.
    char const* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (CASE const& c : cases) {
        EXPECT_DOUBLE_EQ(gen_local_atof(c.text), c.value) << (c.text ? c.text : "null");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
