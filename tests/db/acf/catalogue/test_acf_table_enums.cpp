// Sections, enumerated values, arguments, traits and features.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acf_table.h"
#include "suite/messages/msg.h"

namespace {

struct SECTION_CASE {
    char const* text;
    ACF_SECTION_TYPE_ENUM by_name;
    ACF_SECTION_TYPE_ENUM by_user_name;
};

TEST(AcfSections, NameAndUserNameLookups) {
    SECTION_CASE const cases[] = {
        {"CLIQUE", ACF_SECTION_TYPE_CLIQUE, ACF_SECTION_TYPE_CLIQUE},
        {"Clique", ACF_SECTION_TYPE_CLIQUE, ACF_SECTION_TYPE_CLIQUE},
        {"clique", ACF_SECTION_TYPE_CLIQUE, ACF_SECTION_TYPE_CLIQUE},
        {"NIMBREL_REGION", ACF_SECTION_TYPE_NIMBREL_REGION, ACF_SECTION_TYPE_NIMBREL_REGION},
        {"BRACKFIELD_REGION", ACF_SECTION_TYPE_NONE, ACF_SECTION_TYPE_NIMBREL_REGION},
        {"SYNTHESIS_FITTING_SETTINGS", ACF_SECTION_TYPE_NONE,
         ACF_SECTION_TYPE_DEFAULT_LOGIC_OPTIONS},
        {"compiler_settings_list", ACF_SECTION_TYPE_NONE, ACF_SECTION_TYPE_COMPILER_ACTION_POINTS},
        {"COMPILER_SETTINGS", ACF_SECTION_TYPE_COMPILER_SETTINGS,
         ACF_SECTION_TYPE_COMPILER_SETTINGS},
        {"FILES", ACF_SECTION_TYPE_FILES, ACF_SECTION_TYPE_FILES},
        {"HPS", ACF_SECTION_TYPE_HPS, ACF_SECTION_TYPE_HPS},
        {"FILE", ACF_SECTION_TYPE_NONE, ACF_SECTION_TYPE_NONE},
        {"", ACF_SECTION_TYPE_NONE, ACF_SECTION_TYPE_NONE},
        {nullptr, ACF_SECTION_TYPE_NONE, ACF_SECTION_TYPE_NONE},
    };
    for (SECTION_CASE const& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "(null)" : c.text);
        EXPECT_EQ(acf_string_to_section_type_enum(c.text), c.by_name);
        EXPECT_EQ(acf_string_to_section_type(c.text), c.by_name);
        EXPECT_EQ(acf_user_string_to_section_type_enum(c.text), c.by_user_name);
    }
    EXPECT_EQ(ACF_SECTION_TYPE_DEFAULT_LOGIC_OPTIONS, 12);
    EXPECT_EQ(ACF_SECTION_TYPE_CLIQUE, 39);
    EXPECT_EQ(ACF_SECTION_TYPE_NIMBREL_REGION, 42);
}

TEST(AcfSections, NamesByNumber) {
    EXPECT_STREQ(acf_get_section_name(ACF_SECTION_TYPE_CLIQUE), "CLIQUE");
    EXPECT_STREQ(acf_get_section_user_name(ACF_SECTION_TYPE_CLIQUE), "");
    EXPECT_STREQ(acf_get_section_user_name(ACF_SECTION_TYPE_NIMBREL_REGION), "BRACKFIELD_REGION");
    EXPECT_STREQ(acf_get_section_name(ACF_SECTION_TYPE_HPS), "HPS");
    for (int number : {0, 47, -1, 1000}) {
        auto section = static_cast<ACF_SECTION_TYPE_ENUM>(number);
        EXPECT_EQ(acf_get_section_name(section), nullptr) << number;
        EXPECT_EQ(acf_get_section_user_name(section), nullptr) << number;
    }
}

TEST(AcfValues, TextLookupsIgnoreCaseOnNamesAndUserStrings) {
    std::pair<char const*, ACF_ENUM_VALUE_ENUM> const cases[] = {
        {"on", ACF_ENUM_VALUE_ON},
        {"ON", ACF_ENUM_VALUE_ON},
        {"On", ACF_ENUM_VALUE_ON},
        {"Use Global Settings", ACF_ENUM_VALUE_USE_GLOBAL_SETTINGS},
        {"USE_GLOBAL_SETTINGS", ACF_ENUM_VALUE_USE_GLOBAL_SETTINGS},
        {"as input tri-stated", ACF_ENUM_VALUE_AS_INPUT_TRI_STATED},
        {"0.9V", ACF_ENUM_VALUE_0_9V},
        {"0_9v", ACF_ENUM_VALUE_0_9V},
        {"POST_CONFIG", ACF_ENUM_VALUE_POST_CONFIG},
        {"three", ACF_ENUM_VALUE_THREE},
        {"As input tri stated", ACF_ENUM_VALUE_NONE},
        {"", ACF_ENUM_VALUE_NONE},
        {nullptr, ACF_ENUM_VALUE_NONE},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.first == nullptr ? "(null)" : c.first);
        EXPECT_EQ(acf_string_to_enum_type_enum(c.first), c.second);
        EXPECT_EQ(acf_string_to_enum_type(c.first), c.second);
        EXPECT_EQ(acf_user_string_to_enum_type(c.first), c.second);
        EXPECT_EQ(acf_user_string_to_enum_type_enum(c.first), c.second);
    }
}

TEST(AcfValues, TextsByNumber) {
    EXPECT_STREQ(acf_enum_type_to_string(ACF_ENUM_VALUE_THREE), "THREE");
    EXPECT_STREQ(acf_enum_type_to_user_string(ACF_ENUM_VALUE_THREE), "three");
    EXPECT_STREQ(acf_enum_type_to_user_string(ACF_ENUM_VALUE_AUTO), "Auto");
    EXPECT_STREQ(acf_enum_type_to_user_string(ACF_ENUM_VALUE_POST_CONFIG), "POST_CONFIG");
    EXPECT_EQ(ACF_ENUM_VALUE_POST_CONFIG, 259);
    // None, unassigned and out-of-range numbers have no text: null, not empty.
    for (int number : {0, -1, 337, 458, 100000}) {
        auto value = static_cast<ACF_ENUM_VALUE_ENUM>(number);
        EXPECT_EQ(acf_enum_type_to_string(value), nullptr) << number;
        EXPECT_EQ(acf_enum_type_to_user_string(value), nullptr) << number;
    }
}

TEST(AcfValues, ValidityAndDebugRows) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        ACF_ENUM_VALUE_ENUM value;
        bool valid;
        bool debug;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_READ_OR_WRITE_IN_BYTE_ADDRESS, ACF_ENUM_VALUE_USE_GLOBAL_SETTINGS, true,
         false},
        {ACF_VARIABLE_TYPE_READ_OR_WRITE_IN_BYTE_ADDRESS, ACF_ENUM_VALUE_BASE, false, false},
        {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS_NO_OUTPUT_GND,
         ACF_ENUM_VALUE_AS_INPUT_TRI_STATED_WITH_WEAK_PULL_UP, true, false},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_ENUM_VALUE_THREE, true, true},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_ENUM_VALUE_ONE, true, false},
        // A row for one family still makes the value valid for the variable.
        {ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_ENUM_VALUE_TWO, true, false},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_ENUM_VALUE_NONE, false, false},
        {ACF_VARIABLE_TYPE_ROOT, ACF_ENUM_VALUE_ON, false, false},
        {ACF_VARIABLE_TYPE_NONE, ACF_ENUM_VALUE_NONE, false, false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::to_string(c.variable) + " value " + std::to_string(c.value));
        EXPECT_EQ(acf_is_valid_enum_value(c.variable, c.value), c.valid);
        EXPECT_EQ(acf_is_value_debug(c.variable, c.value), c.debug);
    }
}

DEV_FAMILY_ENUM g_open_project_family = DEV_FAMILY_GENERIC;
DEV_FAMILY_ENUM open_project_family() {
    return g_open_project_family;
}

TEST(AcfValues, OfferedValuesByFamily) {
    using VALUES = std::vector<ACF_ENUM_VALUE_ENUM>;
    ACF_ENUM_VALUE_ENUM const OFF = ACF_ENUM_VALUE_OFF, ON = ACF_ENUM_VALUE_ON,
                              ONE = ACF_ENUM_VALUE_ONE, TWO = ACF_ENUM_VALUE_TWO,
                              THREE = ACF_ENUM_VALUE_THREE;
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        bool include_debug;
        DEV_FAMILY_ENUM family;
        VALUES expected;
    } const cases[] = {
        // Rows all for every family: the same list for every family, in table order.
        {ACF_VARIABLE_TYPE_READ_OR_WRITE_IN_BYTE_ADDRESS,
         false,
         DEV_FAMILY_GENERIC,
         {ACF_ENUM_VALUE_OFF, ACF_ENUM_VALUE_ON, ACF_ENUM_VALUE_USE_GLOBAL_SETTINGS}},
        {ACF_VARIABLE_TYPE_READ_OR_WRITE_IN_BYTE_ADDRESS,
         false,
         DEV_FAMILY_VINDAL,
         {ACF_ENUM_VALUE_OFF, ACF_ENUM_VALUE_ON, ACF_ENUM_VALUE_USE_GLOBAL_SETTINGS}},
        // A family with rows of its own gets only those; any other only the common rows.
        {ACF_VARIABLE_TYPE_TESTING_ENUM, false, DEV_FAMILY_GLIM6K, {TWO}},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, false, DEV_FAMILY_VINDAL, {OFF, ON, ONE, TWO}},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, true, DEV_FAMILY_VINDAL, {OFF, ON, ONE, TWO, THREE}},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, false, DEV_FAMILY_GENERIC, {OFF, ON, ONE, TWO}},
        {ACF_VARIABLE_TYPE_ROOT, true, DEV_FAMILY_GENERIC, {}},
        {ACF_VARIABLE_TYPE_NONE, true, DEV_FAMILY_GENERIC, {}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::to_string(c.variable) + " family " + std::to_string(c.family));
        EXPECT_EQ(acf_get_variable_enum_value_types(c.variable, c.include_debug, c.family),
                  c.expected);
    }
}

TEST(AcfValues, AnyFamilyMeansTheOpenProjectsFamily) {
    acf_set_project_family_query(open_project_family);
    g_open_project_family = DEV_FAMILY_GLIM6K;
    EXPECT_EQ(acf_get_variable_enum_value_types(ACF_VARIABLE_TYPE_TESTING_ENUM, false,
                                                DEV_FAMILY_GENERIC),
              std::vector<ACF_ENUM_VALUE_ENUM>{ACF_ENUM_VALUE_TWO});
    // No project open: the manager answers any family.
    g_open_project_family = DEV_FAMILY_GENERIC;
    EXPECT_EQ(acf_get_variable_enum_value_types(ACF_VARIABLE_TYPE_TESTING_ENUM, false,
                                                DEV_FAMILY_GENERIC),
              (std::vector<ACF_ENUM_VALUE_ENUM>{ACF_ENUM_VALUE_OFF, ACF_ENUM_VALUE_ON,
                                                ACF_ENUM_VALUE_ONE, ACF_ENUM_VALUE_TWO}));
    acf_set_project_family_query(nullptr);
}

TEST(AcfValues, VariableSpecificDisplayTexts) {
    EXPECT_STREQ(acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_ROUTER_TIMING_OPTIMIZATION_LEVEL,
                                                ACF_ENUM_VALUE_MAXIMUM),
                 "Maximum");
    EXPECT_STREQ(acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_NCEO_RESERVED,
                                                ACF_ENUM_VALUE_USE_AS_REGULAR_IO),
                 "Use as regular I/O");
    EXPECT_STREQ(acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_TESTING_ENUM,
                                                ACF_ENUM_VALUE_USE_AS_REGULAR_IO),
                 "Use as regular IO");
    EXPECT_EQ(acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_ENUM_VALUE_NONE),
              nullptr);

    struct CASE {
        char const* text;
        bool fall_back;
        ACF_ENUM_VALUE_ENUM expected;
    } const cases[] = {
        {"Maximum", false, ACF_ENUM_VALUE_MAXIMUM},
        {"maximum", false, ACF_ENUM_VALUE_NONE}, // display texts compare exactly
        {"maximum", true, ACF_ENUM_VALUE_MAXIMUM},
        {"NORMAL", false, ACF_ENUM_VALUE_NONE},
        {"NORMAL", true, ACF_ENUM_VALUE_NORMAL},
        {nullptr, true, ACF_ENUM_VALUE_NONE},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "(null)" : c.text);
        EXPECT_EQ(acf_variable_ui_string_to_enum(ACF_VARIABLE_TYPE_ROUTER_TIMING_OPTIMIZATION_LEVEL,
                                                 c.text, c.fall_back),
                  c.expected);
    }
}

TEST(AcfArguments, RowsByNumber) {
    struct CASE {
        ACF_ARGUMENT_TYPE_ENUM argument;
        char const* name;
        char const* option;
        int value_type;
        bool requires_value;
        bool case_sensitive;
        bool before_section_id;
    } const cases[] = {
        {ACF_ARGUMENT_TYPE_NONE, "", "", ACF_VALUE_TYPE_NONE, false, true, false},
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "HDL_VERSION", "hdl_version", ACF_VALUE_TYPE_STRING, true,
         true, false},
        {ACF_ARGUMENT_TYPE_TIP, "TIP", "tip", ACF_VALUE_TYPE_FILE, true, true, false},
        {ACF_ARGUMENT_TYPE_RISE, "RISE", "rise", ACF_VALUE_TYPE_BOOL, false, false, true},
        {ACF_ARGUMENT_TYPE_FALL, "FALL", "fall", ACF_VALUE_TYPE_BOOL, false, false, true},
        {ACF_ARGUMENT_TYPE_WIDTH, "WIDTH", "width", ACF_VALUE_TYPE_INT, true, false, true},
        {ACF_ARGUMENT_TYPE_CREATED_BY, "CREATED_BY", "tag", ACF_VALUE_TYPE_STRING, true, true,
         false},
        {ACF_ARGUMENT_TYPE_FAMILY, "FAMILY", "family", ACF_VALUE_TYPE_STRING, true, false, false},
        {ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE, "", "", ACF_VALUE_TYPE_NONE, false, false, false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_STREQ(acf_convert_argument_to_string(c.argument), c.name);
        EXPECT_STREQ(acf_get_argument_ui_name(c.argument), c.name);
        EXPECT_STREQ(acf_get_argument_tsf_name(c.argument), c.option);
        EXPECT_EQ(acf_get_argument_type(c.argument), c.value_type);
        EXPECT_EQ(acf_does_argument_require_value(c.argument), c.requires_value);
        EXPECT_EQ(acf_test_argument_trait_of(c.argument, ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE),
                  c.case_sensitive);
        EXPECT_EQ(acf_test_argument_trait_of(c.argument, ACF_ARGUMENT_TRAIT_TYPE_BEFORE_SECTION_ID),
                  c.before_section_id);
    }
    EXPECT_STREQ(acf_get_argument_description(ACF_ARGUMENT_TYPE_LIBRARY), "VHDL Library");
    EXPECT_EQ(acf_get_argument_semantics(ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE), nullptr);
    ASSERT_NE(acf_get_argument_semantics(ACF_ARGUMENT_TYPE_LIBRARY), nullptr);
    EXPECT_NE(acf_get_argument_semantics(ACF_ARGUMENT_TYPE_LIBRARY)->valid_for_every_variable, 0);
    EXPECT_EQ(acf_get_argument_semantics(ACF_ARGUMENT_TYPE_TIP)->valid_for_every_variable, 0);
    // Argument 0 has exactly trait 1, whatever its row says; FAMILY has trait 0.
    EXPECT_FALSE(
        acf_test_argument_trait_of(ACF_ARGUMENT_TYPE_NONE, ACF_ARGUMENT_TRAIT_TYPE_GENERIC_TRAIT));
    EXPECT_TRUE(acf_test_argument_trait_of(ACF_ARGUMENT_TYPE_FAMILY,
                                           ACF_ARGUMENT_TRAIT_TYPE_GENERIC_TRAIT));
    EXPECT_FALSE(acf_test_argument_trait_of(ACF_ARGUMENT_TYPE_FAMILY,
                                            ACF_ARGUMENT_TRAIT_TYPE_MAX_TRAIT_TYPE));
}

TEST(AcfArguments, TextToArgument) {
    std::pair<char const*, ACF_ARGUMENT_TYPE_ENUM> const cases[] = {
        {"tag", ACF_ARGUMENT_TYPE_CREATED_BY},  {"CREATED_BY", ACF_ARGUMENT_TYPE_CREATED_BY},
        {"Library", ACF_ARGUMENT_TYPE_LIBRARY}, {"hdl_version", ACF_ARGUMENT_TYPE_HDL_VERSION},
        {"-tag", ACF_ARGUMENT_TYPE_NONE},       {"tags", ACF_ARGUMENT_TYPE_NONE},
        {"", ACF_ARGUMENT_TYPE_NONE},           {nullptr, ACF_ARGUMENT_TYPE_NONE},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.first == nullptr ? "(null)" : c.first);
        EXPECT_EQ(acf_convert_argument_string_to_enum(c.first), c.second);
    }
}

TEST(AcfArguments, NoArgumentTakesValuesOrRanges) {
    int min = 7;
    int max = 9;
    EXPECT_FALSE(acf_get_argument_integer_range(ACF_ARGUMENT_TYPE_WIDTH, min, max));
    EXPECT_EQ(min, 7);
    EXPECT_EQ(max, 9);

    std::vector<ACF_ARGUMENT_ENUM_VALUE_ENUM> values;
    acf_get_argument_value_types(ACF_ARGUMENT_TYPE_WIDTH, &values);
    EXPECT_TRUE(values.empty());
    std::vector<std::string> errors;
    MSG_INTERNAL_ERROR::set_hook([&errors](char const* condition, char const*, char const*, int) {
        errors.push_back(condition);
    });
    acf_get_argument_value_types(ACF_ARGUMENT_TYPE_WIDTH, nullptr);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(errors, std::vector<std::string>{"coll != NULL"});

    EXPECT_EQ(acf_get_argument_value_enum_from_string("anything"), ACF_ARGUMENT_ENUM_VALUE_NONE);
    EXPECT_EQ(acf_get_argument_value_enum_from_string(""), ACF_ARGUMENT_ENUM_VALUE_NONE);
    EXPECT_STREQ(acf_get_argument_value_string_from_enum(ACF_ARGUMENT_ENUM_VALUE_NONE), "");
    EXPECT_EQ(acf_get_argument_value_string_from_enum(static_cast<ACF_ARGUMENT_ENUM_VALUE_ENUM>(5)),
              nullptr);
}

TEST(AcfTraits, NamesBothWays) {
    std::pair<char const*, ACF_VARIABLE_TRAIT_TYPE_ENUM> const to_trait[] = {
        {"is_debug", ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG},
        {"FITTER_WILDCARDS", ACF_VARIABLE_TRAIT_TYPE_FITTER_WILDCARDS},
        {"fitter_wildards", ACF_VARIABLE_TRAIT_TYPE_FITTER_WILDARDS},
        {"DISALLOW_GLOBAL_ASSIGNMENT_IN_TIP",
         ACF_VARIABLE_TRAIT_TYPE_DISALLOW_GLOBAL_ASSIGNMENT_IN_TIP},
        {"GENERIC_TRAIT", ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT},
        {"no such trait", ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT},
        {"", ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT},
        {nullptr, ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT},
    };
    for (auto const& c : to_trait) {
        SCOPED_TRACE(c.first == nullptr ? "(null)" : c.first);
        EXPECT_EQ(acf_string_to_variable_trait(c.first), c.second);
    }
    EXPECT_EQ(ACF_VARIABLE_TRAIT_TYPE_FITTER_WILDCARDS, 23);
    EXPECT_EQ(ACF_VARIABLE_TRAIT_TYPE_FITTER_WILDARDS, 60);
    EXPECT_STREQ(acf_variable_trait_to_string(ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE),
                 "CASE_SENSITIVE");
    EXPECT_STREQ(acf_variable_trait_to_string(ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE),
                 "ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE");
    EXPECT_EQ(acf_variable_trait_to_string(static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(64)), nullptr);
    EXPECT_EQ(acf_variable_trait_to_string(static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(-1)), nullptr);
}

TEST(AcfFeatures, EachFollowsOneTrait) {
    ACF_FEATURE_TO_TRAIT_MAP const expected = {
        {ACF_FEATURE_TYPE_ASE, ACF_VARIABLE_TRAIT_TYPE_UPDATE_ASE_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_ECMC, ACF_VARIABLE_TRAIT_TYPE_UPDATE_ECMC_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_ASSIGNMENT_GROUP,
         ACF_VARIABLE_TRAIT_TYPE_UPDATE_ASSIGNMENT_GROUP_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_PAT, ACF_VARIABLE_TRAIT_TYPE_UPDATE_PAT_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_SIM, ACF_VARIABLE_TRAIT_TYPE_UPDATE_SIM_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_TAN, ACF_VARIABLE_TRAIT_TYPE_UPDATE_TAN_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_PIN_PLANNER,
         ACF_VARIABLE_TRAIT_TYPE_UPDATE_PIN_PLANNER_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_FLOORPLAN_EDITOR,
         ACF_VARIABLE_TRAIT_TYPE_UPDATE_FLOORPLAN_EDITOR_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_CHIP_EDITOR,
         ACF_VARIABLE_TRAIT_TYPE_UPDATE_CHIP_EDITOR_FEATURE_TIME_WHEN_CHANGED},
        {ACF_FEATURE_TYPE_SSN, ACF_VARIABLE_TRAIT_TYPE_UPDATE_SSN_FEATURE_TIME_WHEN_CHANGED},
    };
    EXPECT_EQ(acf_get_feature_to_trait_map(), expected);
    EXPECT_EQ(&acf_get_feature_to_trait_map(), &acf_get_feature_to_trait_map());
}

} // namespace
