#include "ipman/ipman_iprgen_manager.h"
#include "ipman/ipman_utils.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

namespace {

using NAMES = std::vector<std::string>;
using SECTION = IPMAN_IPRGEN_MANAGER::IP_REGEN_SECTION;
using PAIR = IPMAN_IPRGEN_MANAGER::IP_NAME_PAIR;

TEST(IpmanUtils, SplitStringKeepsPiecesWithTextUntrimmed) {
    struct CASE {
        char const* text;
        char const* delimiter;
        bool result;
        NAMES pieces;
    } const cases[] = {
        {"a;b", ";", true, {"a", "b"}},
        {"a; b ;", ";", true, {"a", " b "}},
        {";;  ;x", ";", true, {"x"}},
        {"   ", ";", true, {"   "}},
        {"a::b::::c", "::", true, {"a", "b", "c"}},
        {"", ";", false, {}},
        {"a;b", "", false, {}},
    };
    for (CASE const& c : cases) {
        NAMES pieces;
        EXPECT_EQ(IPMAN_UTILS::split_string(c.text, c.delimiter, pieces), c.result) << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(IpmanRules, ReadsTheUpgradeListBySections) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    std::vector<SECTION> const expected = {
        {"11.1", {"mult", "fifo"}},
        {"11.1", {}},               // a second END repeats the section
        {"12.0", {"pll ", "END "}}, // trailing blanks stay; "END " is a name
        {"12.1sp1", {"ram"}},       // names after the last END are dropped
    };
    EXPECT_EQ(manager.get_ip_regen_list(), expected);
}

TEST(IpmanRules, ReadsNamePairsAndSkipsLinesWithoutTwoNames) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    std::vector<PAIR> const expected = {
        {"a", "b"}, {"c", " d"}, {"x", "y"}, {std::string(300, 'p'), "q"}};
    EXPECT_EQ(manager.get_ip_core_name_mapping_list(), expected);
}

TEST(IpmanRules, MissingRuleFilesGiveEmptyLists) {
    TEST_WORKSPACE workspace;
    IPMAN_IPRGEN_MANAGER manager(workspace.dir());
    EXPECT_TRUE(manager.get_ip_regen_list().empty());
    EXPECT_TRUE(manager.get_ip_core_name_mapping_list().empty());
}

TEST(IpmanRules, ProcessWideManagerReadsTheInstalledRules) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager, IPMAN_IPRGEN_MANAGER::get_iprgen_manager());
    EXPECT_FALSE(manager->get_ip_regen_list().empty());
    EXPECT_FALSE(manager->get_ip_core_name_mapping_list().empty());
}

} // namespace
