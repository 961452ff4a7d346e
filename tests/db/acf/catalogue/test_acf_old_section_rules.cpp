// The rules of the older sectioned settings files: table invariants and the
// lookups over them.
#include "acf_manager.h"
#include "acf_table.h"
#include "catalogue/acf_defaults.h"
#include "catalogue/acf_old_section_rules.h"
#include "records/acf_manager_storage.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(AcfOldSectionRules, TablesAreConsistent) {
    std::set<ACF_SECTION_TYPE_ENUM> sections;
    int rows = 0;
    for (ACF_SECTION_SEMANTIC_INFO const* row = acf_section_semantics;
         row->section != ACF_SECTION_TYPE_NONE; ++row, ++rows) {
        EXPECT_GE(row->file_type, ACF_FILE_TYPE_PROJECT);
        EXPECT_LE(row->file_type, ACF_FILE_TYPE_ENTITY_SETTINGS);
        sections.insert(row->section);
    }
    EXPECT_EQ(rows, 48);
    EXPECT_EQ(sections.size(), 46u);

    std::set<std::pair<ACF_VARIABLE_TYPE_ENUM, ACF_SECTION_TYPE_ENUM>> pairs;
    ACF_VARIABLE_TYPE_ENUM previous = ACF_VARIABLE_TYPE_NONE;
    for (ACF_VARIABLE_SEMANTIC_INFO const* row = acf_variable_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        std::string const name = acf_variable_type_to_string(row->variable);
        EXPECT_LE(previous, row->variable) << name;
        previous = row->variable;
        EXPECT_TRUE(pairs.insert({row->variable, row->section}).second) << name;
        EXPECT_EQ(sections.count(row->section), 1u) << name;
        EXPECT_TRUE(row->allows_no_target || row->takes_target || row->takes_src_dest) << name;
        EXPECT_EQ(acf_is_variable_allowed_in_section_type(row->variable, row->section),
                  !acf_test_variable_trait_of(row->variable, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG))
            << name;
    }
}

TEST(AcfOldSectionRules, SectionsOfEachFileKind) {
    EXPECT_EQ(acf_get_section_file_types(ACF_SECTION_TYPE_EDA_TOOL_SETTINGS),
              (std::vector<ACF_FILE_TYPE_ENUM>{ACF_FILE_TYPE_PROJECT_SETTINGS,
                                               ACF_FILE_TYPE_ENTITY_SETTINGS}));
    EXPECT_EQ(acf_get_section_file_types(ACF_SECTION_TYPE_CHIP).size(), 1u);
    EXPECT_TRUE(acf_get_section_file_types(ACF_SECTION_TYPE_NONE).empty());

    std::vector<ACF_SECTION_TYPE_ENUM> all = acf_get_section_types(ACF_FILE_TYPE_NONE);
    EXPECT_EQ(all.size(), 46u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(acf_get_section_types(ACF_FILE_TYPE_PROJECT),
              (std::vector<ACF_SECTION_TYPE_ENUM>{ACF_SECTION_TYPE_FILES,
                                                  ACF_SECTION_TYPE_COMPILER_ACTION_POINTS,
                                                  ACF_SECTION_TYPE_SIMULATOR_ACTION_POINTS,
                                                  ACF_SECTION_TYPE_SOFTWARE_ACTION_POINTS}));
    struct KIND {
        ACF_FILE_TYPE_ENUM kind;
        size_t sections;
        size_t with_identifier;
    } const kinds[] = {
        {ACF_FILE_TYPE_PROJECT, 4, 0},
        {ACF_FILE_TYPE_PROJECT_SETTINGS, 15, 4},
        {ACF_FILE_TYPE_COMPILER_SETTINGS, 11, 6},
        {ACF_FILE_TYPE_SIMULATOR_SETTINGS, 4, 3},
        {ACF_FILE_TYPE_ENTITY_SETTINGS, 14, 5},
    };
    for (KIND const& k : kinds) {
        std::vector<ACF_SECTION_TYPE_ENUM> held = acf_get_section_types(k.kind);
        EXPECT_EQ(held.size(), k.sections) << k.kind;
        EXPECT_EQ(std::count_if(held.begin(), held.end(),
                                [&](ACF_SECTION_TYPE_ENUM s) {
                                    return acf_section_takes_identifier(k.kind, s);
                                }),
                  static_cast<long>(k.with_identifier))
            << k.kind;
    }
}

// The chip section of a compiler settings file holds the device and its pins:
// where each sits and how each is driven.
TEST(AcfOldSectionRules, ChipSectionHoldsTheDeviceAndItsPins) {
    int rows = 0;
    for (ACF_VARIABLE_SEMANTIC_INFO const* row = acf_variable_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->section != ACF_SECTION_TYPE_CHIP) {
            continue;
        }
        ++rows;
        std::string const name = acf_variable_type_to_string(row->variable);
        EXPECT_FALSE(row->takes_src_dest || row->takes_multiple_values) << name;
        EXPECT_NE(row->allows_no_target, row->takes_target) << name;
    }
    EXPECT_EQ(rows, 186);

    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        bool takes_target;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_DEVICE, false},        {ACF_VARIABLE_TYPE_LOCATION, true},
        {ACF_VARIABLE_TYPE_RESERVE_PIN, true},    {ACF_VARIABLE_TYPE_IO_STANDARD, true},
        {ACF_VARIABLE_TYPE_SLOW_SLEW_RATE, true},
    };
    for (CASE const& c : cases) {
        std::string const name = acf_variable_type_to_string(c.variable);
        EXPECT_TRUE(acf_is_variable_allowed_in_section_type(c.variable, ACF_SECTION_TYPE_CHIP))
            << name;
        EXPECT_EQ(acf_variable_takes_target(ACF_SECTION_TYPE_CHIP, c.variable), c.takes_target)
            << name;
    }
    // Clique members keep their own section; the I/O bank voltage its IOBANK.
    EXPECT_FALSE(acf_is_variable_allowed_in_section_type(ACF_VARIABLE_TYPE_MEMBER_OF,
                                                         ACF_SECTION_TYPE_CHIP));
    EXPECT_FALSE(acf_is_variable_allowed_in_section_type(ACF_VARIABLE_TYPE_IOBANK_VCCIO,
                                                         ACF_SECTION_TYPE_CHIP));
}

TEST(AcfOldSectionRules, LookupsAndTheirGuards) {
    EXPECT_TRUE(
        acf_section_takes_identifier(ACF_FILE_TYPE_COMPILER_SETTINGS, ACF_SECTION_TYPE_CHIP));
    EXPECT_FALSE(acf_section_takes_identifier(ACF_FILE_TYPE_PROJECT, ACF_SECTION_TYPE_CHIP));
    EXPECT_EQ(acf_get_section_semantics(ACF_SECTION_TYPE_CHIP, ACF_FILE_TYPE_PROJECT), nullptr);
    ASSERT_NE(acf_get_section_semantics(ACF_SECTION_TYPE_THIRD_PARTY_EDA_TOOLS, ACF_FILE_TYPE_NONE),
              nullptr);
    EXPECT_EQ(acf_get_section_semantics(ACF_SECTION_TYPE_THIRD_PARTY_EDA_TOOLS, ACF_FILE_TYPE_NONE)
                  ->file_type,
              ACF_FILE_TYPE_PROJECT_SETTINGS);

    ACF_VARIABLE_TYPE_ENUM const cut = ACF_VARIABLE_TYPE_CUT;
    std::vector<ACF_SECTION_TYPE_ENUM> cut_sections = acf_get_variable_section_types(cut);
    ASSERT_FALSE(cut_sections.empty());
    EXPECT_EQ(acf_get_variable_semantics(cut, ACF_SECTION_TYPE_NONE)->section,
              cut_sections.front());
    EXPECT_TRUE(acf_variable_takes_src_dest(ACF_SECTION_TYPE_COMPILER_SETTINGS, cut));
    EXPECT_TRUE(acf_variable_takes_target(ACF_SECTION_TYPE_COMPILER_SETTINGS, cut));
    EXPECT_FALSE(acf_variable_takes_target(ACF_SECTION_TYPE_FILES, cut));
    EXPECT_TRUE(
        acf_variable_takes_multiple_values(ACF_SECTION_TYPE_FILES, ACF_VARIABLE_TYPE_VHDL_FILE));
    EXPECT_FALSE(acf_variable_takes_multiple_values(ACF_SECTION_TYPE_COMPILER_SETTINGS, cut));
    EXPECT_TRUE(acf_get_variable_section_types(ACF_VARIABLE_TYPE_NONE).empty());

    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    EXPECT_FALSE(acf_variable_takes_src_dest(ACF_SECTION_TYPE_NONE, cut));
    EXPECT_FALSE(
        acf_variable_takes_multiple_values(ACF_SECTION_TYPE_FILES, ACF_VARIABLE_TYPE_NONE));
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(acf_variable_takes_target(ACF_SECTION_TYPE_NONE, cut));
    EXPECT_FALSE(acf_variable_takes_target(ACF_SECTION_TYPE_FILES, ACF_VARIABLE_TYPE_NONE));
    EXPECT_FALSE(acf_section_takes_identifier(ACF_FILE_TYPE_PROJECT, ACF_SECTION_TYPE_NONE));
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, (std::vector<std::string>{"sect != ACF_SECTION_TYPE_NONE",
                                                 "var != ACF_VARIABLE_TYPE_NONE",
                                                 "sect != ACF_SECTION_TYPE_NONE"}));
}

TEST(AcfOldSectionRules, SectionDefaultsComeFromTheSettingsManager) {
    DEV_FAMILY_ENUM const family = static_cast<DEV_FAMILY_ENUM>(40);
    // With no project open the manager answers from the catalogue's rows.
    EXPECT_STREQ(acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING,
                                                ACF_SECTION_TYPE_COMPILER_SETTINGS, family),
                 acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, nullptr,
                                                false, family));
    EXPECT_EQ(acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING,
                                             ACF_SECTION_TYPE_NONE, family),
              nullptr);
    EXPECT_EQ(
        acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_LOCATION, ACF_SECTION_TYPE_CHIP, family),
        nullptr);
}

} // namespace
