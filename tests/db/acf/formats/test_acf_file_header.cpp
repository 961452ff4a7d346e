#include "formats/acf_file_header.h"

#include "suite/general/gen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> banner_lines() {
    std::ostringstream out;
    acf_print_project_file_header(out);
    std::string text = out.str();
    EXPECT_EQ(text.back(), '\n');
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string const RULE = "# " + std::string(74, '-') + " #";

class AcfFileHeader : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override { gen_set_clock_hook(nullptr); }
};

TEST_F(AcfFileHeader, BannerLinesWithDate) {
    gen_set_clock_hook([] { return static_cast<time_t>(1772892309); }); // 2026-03-07 14:05:09
    std::vector<std::string> expected = {RULE, "#"};
    std::istringstream legal(gen_get_legal_text());
    for (std::string line; std::getline(legal, line);) {
        expected.push_back("# " + line);
    }
    for (std::string line : {"#", RULE.c_str(), "#", "# Tessaly II"}) {
        expected.push_back(line);
    }
    expected.push_back(std::string("# ") + gen_get_full_version());
    expected.push_back("# Date created = 14:05:09  March 07, 2026");
    expected.push_back("#");
    expected.push_back(RULE);
    EXPECT_EQ(banner_lines(), expected);
}

TEST_F(AcfFileHeader, DateLineIsLeftOutWhenTheClockFails) {
    gen_set_clock_hook([] { return static_cast<time_t>(-1); });
    std::vector<std::string> lines = banner_lines();
    ASSERT_GE(lines.size(), 4u);
    for (std::string const& line : lines) {
        EXPECT_EQ(line.rfind("#", 0), 0u) << line;
        EXPECT_EQ(line.find("Date created"), std::string::npos);
    }
    EXPECT_EQ(lines[lines.size() - 3], std::string("# ") + gen_get_full_version());
    EXPECT_EQ(lines[lines.size() - 2], "#");
    EXPECT_EQ(lines.front(), RULE);
    EXPECT_EQ(lines.back(), RULE);
}

} // namespace
