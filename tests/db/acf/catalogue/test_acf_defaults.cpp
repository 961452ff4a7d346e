#include "catalogue/acf_defaults.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "catalogue/acf_legality.h"
#include "records/acf_manager_storage.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

// Families by number: the rules are stated by number.
DEV_FAMILY_ENUM family(int number) {
    return static_cast<DEV_FAMILY_ENUM>(number);
}

std::vector<std::string> internal_errors_of(std::function<void()> const& action) {
    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    action();
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    return reports;
}

// A default suits its variable: On/Off, an integer within the family's range, or
// the user string of an offered value.
bool suits(ACF_VARIABLE_TYPE_ENUM variable, DEV_FAMILY_ENUM family, std::string const& value) {
    switch (acf_get_value_type(variable)) {
    case ACF_VALUE_TYPE_BOOL:
        return value == "On" || value == "Off";
    case ACF_VALUE_TYPE_INT: {
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        int min = 0, max = 0;
        int number = std::atoi(value.c_str());
        return !acf_get_integer_range_for_variable(variable, min, max, family) ||
               (number >= min && number <= max);
    }
    case ACF_VALUE_TYPE_ENUM:
        for (ACF_ENUM_VALUE_ENUM offered :
             acf_get_variable_enum_value_types(variable, true, family)) {
            if (value == acf_enum_type_to_user_string(offered)) {
                return true;
            }
        }
        return false;
    default:
        return true;
    }
}

TEST(AcfDefaults, FamilyDefaultRowsBelongToFlaggedVariablesAndSuitThem) {
    std::list<ACF_VARIABLE_TYPE_ENUM> flagged;
    acf_get_variables_with_family_defaults(&flagged);
    ASSERT_EQ(flagged.size(), 24u);
    EXPECT_EQ(flagged.front(), ACF_VARIABLE_TYPE_CLOCKWARD_MULTICORNER_ANALYSIS);
    EXPECT_EQ(flagged.back(), ACF_VARIABLE_TYPE_HSSI_RX_RX_DC_GAIN);

    ACF_VARIABLE_TYPE_ENUM previous = ACF_VARIABLE_TYPE_NONE;
    std::set<ACF_VARIABLE_TYPE_ENUM> finished;
    for (ACF_FAMILY_DEFAULTS_INFO const* row = acf_family_defaults_table;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        SCOPED_TRACE(std::string(acf_variable_type_to_string(row->variable)) + " family " +
                     std::to_string(row->family));
        EXPECT_NE(std::find(flagged.begin(), flagged.end(), row->variable), flagged.end());
        EXPECT_GT(row->family, DEV_FAMILY_INVALID);
        EXPECT_LT(row->family, DEV_FAMILY_GENERIC);
        EXPECT_TRUE(suits(row->variable, row->family, row->default_value)) << row->default_value;
        if (row->variable != previous) {
            EXPECT_TRUE(finished.insert(previous).second) << "rows of a variable stand together";
            previous = row->variable;
        }
    }
}

TEST(AcfDefaults, DefaultsPerFamily) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        DEV_FAMILY_ENUM family;
        char const* value; // null: no row for the family
    };
    CASE const cases[] = {
        {ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, family(40), "All Paths"},
        {ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, family(27), "IO Paths and Minimum TPD Paths"},
        {ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, family(26), nullptr},
        {ACF_VARIABLE_TYPE_SLEW_RATE, family(47), "1"},
        {ACF_VARIABLE_TYPE_SLEW_RATE, family(55), "2"},
        {ACF_VARIABLE_TYPE_LOCATION, family(40), nullptr},
    };
    for (CASE const& c : cases) {
        ACF_FAMILY_DEFAULTS_INFO const* row = acf_get_family_defaults_info(c.variable, c.family);
        if (c.value == nullptr) {
            EXPECT_EQ(row, nullptr) << c.variable << " " << c.family;
        } else {
            ASSERT_NE(row, nullptr) << c.variable << " " << c.family;
            EXPECT_STREQ(row->default_value, c.value);
            EXPECT_EQ(row->family, c.family);
        }
    }
    std::vector<std::string> reports = internal_errors_of([] {
        EXPECT_EQ(acf_get_family_defaults_info(ACF_VARIABLE_TYPE_SLEW_RATE, DEV_FAMILY_GENERIC),
                  nullptr);
        EXPECT_EQ(acf_get_family_defaults_info(ACF_VARIABLE_TYPE_SLEW_RATE, DEV_FAMILY_INVALID),
                  nullptr);
    });
    EXPECT_EQ(reports,
              std::vector<std::string>(
                  2, "family_enum > DEV_FAMILY_INVALID && family_enum < DEV_FAMILY_GENERIC"));
}

TEST(AcfDefaults, FamiliesLeftOutOfTheDefaultsFile) {
    acf_load_tdf_hidden_families();
    struct CASE {
        int family;
        bool hidden;
    };
    for (CASE c : {CASE{1, true}, CASE{10, true}, CASE{11, false}, CASE{25, true}, CASE{40, false},
                   CASE{54, true}, CASE{55, false}, CASE{56, false}, CASE{0, false},
                   CASE{-1, false}, CASE{1000, false}}) {
        EXPECT_EQ(acf_hide_family_from_tdf(static_cast<DEV_FAMILY_ENUM>(c.family)), c.hidden)
            << c.family;
    }
}

TEST(AcfDefaults, DefaultsOfEarlierVersionsNewestFirst) {
    ACF_DEFAULT_VALUE_CHANGE_INFO const& newest = acf_default_value_change_table[0];
    ACF_DEFAULT_VALUE_CHANGE_INFO const& older = acf_default_value_change_table[1];
    EXPECT_EQ(newest.variable, ACF_VARIABLE_TYPE_SMART_RECOMPILE);
    EXPECT_STREQ(newest.default_value, "Off");
    EXPECT_EQ(older.variable, ACF_VARIABLE_TYPE_SMART_RECOMPILE);
    EXPECT_STREQ(older.version_text, "4.2");
    EXPECT_STREQ(older.default_value, "Normal");
    EXPECT_GT(newest.version, older.version);
    EXPECT_EQ(acf_default_value_change_table[2].variable, ACF_VARIABLE_TYPE_NONE);
}

TEST(AcfDefaults, FamilyGenerationVariants) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM (*getter)(DEV_FAMILY_ENUM);
        ACF_VARIABLE_TYPE_ENUM (*twin)(DEV_FAMILY_ENUM);
        DEV_FAMILY_ENUM family;
        ACF_VARIABLE_TYPE_ENUM expected;
    };
    CASE const cases[] = {
        // outside the group's families
        {acf_get_jtag_bst_support_variable_enum, acf_get_jtag_bst_support_variable, family(26),
         ACF_VARIABLE_TYPE_NONE},
        {acf_get_jtag_bst_support_variable_enum, acf_get_jtag_bst_support_variable, family(38),
         ACF_VARIABLE_TYPE_NONE},
        // the first family of the range takes the group's own variable
        {acf_get_jtag_bst_support_variable_enum, acf_get_jtag_bst_support_variable, family(27),
         ACF_VARIABLE_TYPE_JTAG_BST_SUPPORT},
        // named after the family, or after the family it derives from
        {acf_get_clique_type_variable_enum, acf_get_clique_type_variable, family(9), // Glim6K

         ACF_VARIABLE_TYPE_CLIQUE_TYPE_GLIM6K},
        {acf_get_clique_type_variable_enum, acf_get_clique_type_variable, family(7), // Ruvo20KE

         ACF_VARIABLE_TYPE_CLIQUE_TYPE_RUVO20K},
        {acf_get_optimization_technique_variable_enum, acf_get_optimization_technique_variable,
         family(15), ACF_VARIABLE_TYPE_OPTIMIZATION_TECHNIQUE_PELLIXII}, // Pellix II
        {acf_get_optimization_technique_variable_enum, acf_get_optimization_technique_variable,
         family(40), ACF_VARIABLE_TYPE_OPTIMIZATION_TECHNIQUE}, // Brenlo
        {acf_get_programming_mode_variable_enum, acf_get_programming_mode_variable, family(22),
         ACF_VARIABLE_TYPE_VORELONV_CONFIGURATION_SCHEME}, // Vorelon V
        {acf_get_enable_low_volt_mode_variable_enum, acf_get_enable_low_volt_mode_variable,
         family(27), ACF_VARIABLE_TYPE_ENABLE_LOW_VOLT_MODE}, // last of its range
        {acf_get_enable_low_volt_mode_variable_enum, acf_get_enable_low_volt_mode_variable,
         family(28), ACF_VARIABLE_TYPE_NONE},
        {acf_get_reserve_all_unused_pins_variable_enum, acf_get_reserve_all_unused_pins_variable,
         DEV_FAMILY_GENERIC, ACF_VARIABLE_TYPE_NONE},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(c.getter(c.family), c.expected) << c.family;
        EXPECT_EQ(c.twin(c.family), c.expected) << c.family;
    }
}

TEST(AcfDefaults, VariantsOfAFamilyGroup) {
    std::list<ACF_VARIABLE_TYPE_ENUM> variants = {ACF_VARIABLE_TYPE_ROOT};
    acf_get_variable_enums_for_family_group("tech_mapper", &variants);
    EXPECT_EQ(variants,
              (std::list<ACF_VARIABLE_TYPE_ENUM>{
                  ACF_VARIABLE_TYPE_TECH_MAPPER_OSTREL, ACF_VARIABLE_TYPE_TECH_MAPPER_TOLM7000,
                  ACF_VARIABLE_TYPE_TECH_MAPPER_RUVO20K, ACF_VARIABLE_TYPE_TECH_MAPPER_QUENBY,
                  ACF_VARIABLE_TYPE_TECH_MAPPER_GLIM6K, ACF_VARIABLE_TYPE_TECH_MAPPER_GLIM10K}));
    acf_get_variable_enums_for_family_group("PROGRAMMING_MODE", &variants);
    EXPECT_EQ(variants.size(), 12u);
    acf_get_variable_enums_for_family_group("NO_SUCH_GROUP", &variants);
    EXPECT_TRUE(variants.empty());
    variants.push_back(ACF_VARIABLE_TYPE_ROOT);
    acf_get_variable_enums_for_family_group("", &variants);
    EXPECT_TRUE(variants.empty());

    std::vector<std::string> reports = internal_errors_of([&] {
        acf_get_variable_enums_for_family_group(nullptr, &variants);
        acf_get_variable_enums_for_family_group("TECH_MAPPER", nullptr);
    });
    EXPECT_EQ(reports,
              (std::vector<std::string>{"family_group != NULL", "family_group_list != NULL"}));
}

TEST(AcfDefaults, DefaultValuesComeFromTheSettingsManager) {
    // With no project open the manager answers from the catalogue's rows.
    EXPECT_STREQ(acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, nullptr,
                                                false, family(40)),
                 "All Paths");
    EXPECT_EQ(acf_get_variable_default_value(ACF_MANAGER::get_acf_manager()->get_storage(), ACF_VARIABLE_TYPE_LOCATION, nullptr, true, family(40)),
              nullptr);
}

TEST(AcfDefaults, RecommendationsForAMigrationList) {
    ACF_MGR_INPUT_PARAMETERS request;
    request.set_variable_type(ACF_VARIABLE_TYPE_DEVICE_TECHNOLOGY_MIGRATION_LIST);
    request.set_value_string("Brenlo II");
    std::list<ACF_MGR_INPUT_PARAMETERS> recommended;
    acf_get_recommendation_for_variable(&request, &recommended);

    struct EXPECTED {
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* value;
    };
    EXPECTED const expected[] = {
        {ACF_VARIABLE_TYPE_PHYSICAL_SYNTHESIS_COMBO_LOGIC_FOR_AREA, "Off"},
        {ACF_VARIABLE_TYPE_CLOCKWARD_MULTICORNER_ANALYSIS, "On"},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, "Off"},
        {ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, "All Paths"},
        {ACF_VARIABLE_TYPE_FLOW_DISABLE_ASSEMBLER, "Off"},
        {ACF_VARIABLE_TYPE_FLOW_ENABLE_POWER_ANALYZER, "On"},
        {ACF_VARIABLE_TYPE_USE_CHECKERED_PATTERN_AS_UNINITIALIZED_RAM_CONTENT, "Off"},
        {ACF_VARIABLE_TYPE_PHYSICAL_SYNTHESIS_MAP_LOGIC_TO_MEMORY_FOR_AREA, "Off"},
        {ACF_VARIABLE_TYPE_FLOW_LUMIFORM_DESIGN_READINESS_CHECK, "On"},
        {ACF_VARIABLE_TYPE_DRC_SETTINGS, "On"},
        {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS, "As input tri-stated with weak pull-up"},
        {ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING, "On"},
    };
    ASSERT_EQ(recommended.size(), 12u);
    auto entry = recommended.begin();
    for (EXPECTED const& e : expected) {
        EXPECT_EQ(entry->get_variable_type(), e.variable);
        EXPECT_STREQ(entry->get_value_string(), e.value);
        EXPECT_EQ(entry->get_to(), nullptr) << "nothing else is set";
        EXPECT_EQ(entry->get_entity_name(), nullptr);
        ++entry;
    }

    // Any other variable: nothing recommended, the list is kept.
    request.set_variable_type(ACF_VARIABLE_TYPE_DEVICE);
    acf_get_recommendation_for_variable(&request, &recommended);
    EXPECT_EQ(recommended.size(), 12u);

    std::vector<std::string> reports = internal_errors_of([&] {
        acf_get_recommendation_for_variable(nullptr, &recommended);
        acf_get_recommendation_for_variable(&request, nullptr);
    });
    EXPECT_EQ(reports, (std::vector<std::string>{"par != NULL", "list != NULL"}));
}

} // namespace
