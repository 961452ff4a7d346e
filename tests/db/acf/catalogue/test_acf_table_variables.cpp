// Lookups over the settings variables.
#include <gtest/gtest.h>

#include <atomic>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include "acf_table.h"
#include "suite/messages/msg.h"

namespace {

ACF_VARIABLE_TYPE_ENUM const k_unassigned = static_cast<ACF_VARIABLE_TYPE_ENUM>(60);
ACF_VARIABLE_TYPE_ENUM const k_negative = static_cast<ACF_VARIABLE_TYPE_ENUM>(-3);
ACF_VARIABLE_TYPE_ENUM const k_huge = static_cast<ACF_VARIABLE_TYPE_ENUM>(100000);

// Records internal-error reports while alive.
class INTERNAL_ERRORS {
public:
    INTERNAL_ERRORS() {
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_conditions.push_back(condition);
        });
    }
    ~INTERNAL_ERRORS() { MSG_INTERNAL_ERROR::set_hook(nullptr); }
    std::vector<std::string> const& conditions() const { return m_conditions; }

private:
    std::vector<std::string> m_conditions;
};

struct NAME_CASE {
    char const* text;
    ACF_VARIABLE_TYPE_ENUM by_user_name;
    ACF_VARIABLE_TYPE_ENUM by_internal_name;
};

TEST(AcfVariableNames, UserAndInternalNameLookups) {
    NAME_CASE const cases[] = {
        {"top_level_entity", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_NONE},
        {"TOP_LEVEL_ENTITY", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_NONE},
        {"ROOT", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_ROOT},
        {"rOoT", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_ROOT},
        {"Top-level entity name", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_NONE},
        {"TOP-LEVEL ENTITY NAME", ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_NONE},
        {"RESERVED_PIN", ACF_VARIABLE_TYPE_RESERVE_PIN, ACF_VARIABLE_TYPE_NONE},
        {"verilog_vh_file", ACF_VARIABLE_TYPE_VERILOG_INCLUDE_FILE, ACF_VARIABLE_TYPE_NONE},
        {"SPEED_DISK_USAGE_TRADEOFF", ACF_VARIABLE_TYPE_SMART_RECOMPILE, ACF_VARIABLE_TYPE_NONE},
        {"MAX_PROCESSORS_USED_FOR_MULTITHREADING", ACF_VARIABLE_TYPE_NUM_PARALLEL_PROCESSORS,
         ACF_VARIABLE_TYPE_NONE},
        // A UI name equal to another variable's user name: the user name wins.
        {"Termination", ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING, ACF_VARIABLE_TYPE_NONE},
        {"OCT_AND_IMPEDANCE_MATCHING_VORELONII",
         ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING_VORELONII,
         ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING_VORELONII},
        {"DEVICE_FILTER_PACKAGE", ACF_VARIABLE_TYPE_FILTER_PACKAGE, ACF_VARIABLE_TYPE_NONE},
        {"FILTER_PACKAGE", ACF_VARIABLE_TYPE_FILTER_PACKAGE, ACF_VARIABLE_TYPE_FILTER_PACKAGE},
        {"assignment_group_member", ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, ACF_VARIABLE_TYPE_NONE},
        {"USER_LIBRARIES", ACF_VARIABLE_TYPE_NONDEFAULT_LIBS, ACF_VARIABLE_TYPE_NONE},
        {"COMPILER_SETTINGS", ACF_VARIABLE_TYPE_CAP_NAME, ACF_VARIABLE_TYPE_NONE},
        {"Disable Message", ACF_VARIABLE_TYPE_MESSAGE_DISABLE, ACF_VARIABLE_TYPE_NONE},
        {"VECTOR_TEXT_FILE", ACF_VARIABLE_TYPE_VECTOR_SOURCE_FILE, ACF_VARIABLE_TYPE_NONE},
        {"VHDL_FILE", ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VARIABLE_TYPE_VHDL_FILE},
        {"PERSONA_FILE", ACF_VARIABLE_TYPE_PERSONA_FILE, ACF_VARIABLE_TYPE_PERSONA_FILE},
        {"testing_file", ACF_VARIABLE_TYPE_TESTING_FILE, ACF_VARIABLE_TYPE_TESTING_FILE},
        // Only 'A' to 'Z' fold; a trailing blank or another letter is another name.
        {"ROOT ", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
        {"ROOTS", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
        {"ROO", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
        {"", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
        {nullptr, ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
    };
    for (NAME_CASE const& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "(null)" : c.text);
        EXPECT_EQ(acf_user_name_to_variable_type_enum(c.text), c.by_user_name);
        EXPECT_EQ(acf_user_name_to_variable_type(c.text), c.by_user_name);
        EXPECT_EQ(acf_string_to_variable_type_enum(c.text), c.by_internal_name);
        EXPECT_EQ(acf_string_to_variable_type(c.text), c.by_internal_name);
    }
}

TEST(AcfVariableNames, NumbersOthersRelyOn) {
    std::pair<ACF_VARIABLE_TYPE_ENUM, int> const cases[] = {
        {ACF_VARIABLE_TYPE_VHDL_FILE, 6},
        {ACF_VARIABLE_TYPE_SOURCE_FILE, 78},
        {ACF_VARIABLE_TYPE_MESSAGE_DISABLE, 122},
        {ACF_VARIABLE_TYPE_LOCATION, 149},
        {ACF_VARIABLE_TYPE_ROOT, 302},
        {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS, 587},
        {ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING, 659},
        {ACF_VARIABLE_TYPE_TIMEGROUP_EXCEPTION, 1288},
        {ACF_VARIABLE_TYPE_TESTING_FILE, 1564},
        {ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE, 1565},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(static_cast<int>(c.first), c.second) << acf_variable_type_to_string(c.first);
    }
}

struct TEXT_CASE {
    ACF_VARIABLE_TYPE_ENUM type;
    char const* internal_name;
    char const* user_name;
    char const* ui_name;
};

TEST(AcfVariableNames, NameGettersFallBackInOrder) {
    TEXT_CASE const cases[] = {
        {ACF_VARIABLE_TYPE_NONE, "", "", ""},
        {ACF_VARIABLE_TYPE_VECTOR_SOURCE_FILE, "VECTOR_SOURCE_FILE", "VECTOR_TEXT_FILE",
         "VECTOR_TEXT_FILE"},
        {ACF_VARIABLE_TYPE_ROOT, "ROOT", "TOP_LEVEL_ENTITY", "Top-level entity name"},
        {ACF_VARIABLE_TYPE_LOCATION, "LOCATION", "LOCATION", "Location"},
        {ACF_VARIABLE_TYPE_VHDL_FILE, "VHDL_FILE", "VHDL_FILE", "VHDL_FILE"},
        {ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING_PELLIXII,
         "OCT_AND_IMPEDANCE_MATCHING_PELLIXII", "OCT_AND_IMPEDANCE_MATCHING_PELLIXII",
         "Termination"},
        // Unassigned and out-of-range numbers read as nothing, never past the table.
        {k_unassigned, "", "", ""},
        {ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE, "", "", ""},
        {k_negative, "", "", ""},
        {k_huge, "", "", ""},
    };
    for (TEXT_CASE const& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_STREQ(acf_variable_type_to_string(c.type), c.internal_name);
        EXPECT_STREQ(acf_get_variable_user_name(c.type), c.user_name);
        EXPECT_STREQ(acf_get_variable_ui_name_string(c.type), c.ui_name);
    }
    EXPECT_STREQ(acf_get_variable_desc(ACF_VARIABLE_TYPE_TESTING_STRING),
                 "Dummy string variable for code testing");
    EXPECT_STREQ(acf_get_variable_desc(k_huge), "");
    EXPECT_STREQ(acf_get_variable_cmp_smart_action_string(ACF_VARIABLE_TYPE_VHDL_FILE), "SOURCE");
    EXPECT_STREQ(acf_get_variable_cmp_smart_action_string(ACF_VARIABLE_TYPE_TESTING_BOOL), "");
    EXPECT_STREQ(acf_get_variable_cmp_smart_action_string(ACF_VARIABLE_TYPE_NONE), "");
}

TEST(AcfVariableClasses, ValueAndResolutionTypes) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        int value_type;
        int resolution;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_NONE, ACF_VALUE_TYPE_NONE, 0},
        {ACF_VARIABLE_TYPE_TESTING_BOOL, ACF_VALUE_TYPE_BOOL, 1},
        {ACF_VARIABLE_TYPE_TESTING_STRING, ACF_VALUE_TYPE_STRING, 1},
        {ACF_VARIABLE_TYPE_TESTING_FILE, ACF_VALUE_TYPE_FILE, 1},
        {ACF_VARIABLE_TYPE_TESTING_INT, ACF_VALUE_TYPE_INT, 1},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, ACF_VALUE_TYPE_ENUM, 1},
        {ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VALUE_TYPE_FILE, 1},
        {ACF_VARIABLE_TYPE_ROOT, ACF_VALUE_TYPE_STRING, 1},
        {ACF_VARIABLE_TYPE_MESSAGE_DISABLE, ACF_VALUE_TYPE_INT, 1},
        {ACF_VARIABLE_TYPE_MULTICYCLE, ACF_VALUE_TYPE_INT, 1},
        {ACF_VARIABLE_TYPE_TSU_REQUIREMENT, ACF_VALUE_TYPE_TIME, 1},
        {ACF_VARIABLE_TYPE_REQUIRED_FMAX, ACF_VALUE_TYPE_FREQUENCY, 1},
        {ACF_VARIABLE_TYPE_LOCATION, ACF_VALUE_TYPE_LOCATION, 3},
        {ACF_VARIABLE_TYPE_HPS_LOCATION, ACF_VALUE_TYPE_LOCATION, 3},
        {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS, ACF_VALUE_TYPE_ENUM, 1},
        {ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_MODE, ACF_VALUE_TYPE_ENUM, 1},
        {ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_FILE, ACF_VALUE_TYPE_FILE, 1},
        {ACF_VARIABLE_TYPE_SMART_RECOMPILE, ACF_VALUE_TYPE_BOOL, 1},
        {k_unassigned, ACF_VALUE_TYPE_NONE, 0},
        {k_negative, ACF_VALUE_TYPE_NONE, 0},
        {k_huge, ACF_VALUE_TYPE_NONE, 0},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(acf_get_value_type(c.type), c.value_type);
        EXPECT_EQ(acf_get_resolution(c.type), c.resolution);
    }
}

TEST(AcfVariableClasses, Traits) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        ACF_VARIABLE_TRAIT_TYPE_ENUM trait;
        bool expected;
    } const cases[] = {
        // Type 0 (freeform) is case-sensitive and freeform, and nothing else.
        {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, true},
        {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM, true},
        {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT, false},
        {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG, false},
        {ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, true},
        {ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG, true},
        {ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME,
         ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_CREATED_COMPANION_REVISION, true},
        {ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME,
         ACF_VARIABLE_TRAIT_TYPE_CONTAINS_FAMILY_SPECIFIC_DATA, true},
        {ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM, false},
        {ACF_VARIABLE_TYPE_PARAMETER, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM, true},
        {ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VARIABLE_TRAIT_TYPE_PROJECT_SOURCE_FILE, true},
        {ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VARIABLE_TRAIT_TYPE_RESOLVE_FILENAME, true},
        {ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, true},
        {ACF_VARIABLE_TYPE_PERSONA_FILE, ACF_VARIABLE_TRAIT_TYPE_PROJECT_SOURCE_FILE, false},
        {ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, true},
        {ACF_VARIABLE_TYPE_LOCATION, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, false},
        {ACF_VARIABLE_TYPE_TESTING_BOOL, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, false},
        {ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER,
         ACF_VARIABLE_TRAIT_TYPE_UPDATE_ASSIGNMENT_GROUP_FEATURE_TIME_WHEN_CHANGED, true},
        {ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT, true},
        // The end value of the enumeration and numbers past it are no trait.
        {ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE, false},
        {ACF_VARIABLE_TYPE_ROOT, static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(500), false},
        {ACF_VARIABLE_TYPE_ROOT, static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(-1), false},
        {k_unassigned, ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT, false},
        {k_huge, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE, false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " trait " + std::to_string(c.trait));
        EXPECT_EQ(acf_test_variable_trait_of(c.type, c.trait), c.expected);
    }
}

TEST(AcfVariableClasses, VariablesForATraitInAscendingOrder) {
    std::list<ACF_VARIABLE_TYPE_ENUM> freeform{ACF_VARIABLE_TYPE_ROOT};
    acf_get_list_of_variables_for_trait(ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM, &freeform);
    EXPECT_EQ(freeform, (std::list<ACF_VARIABLE_TYPE_ENUM>{ACF_VARIABLE_TYPE_ROOT,
                                                           ACF_VARIABLE_TYPE_PARAMETER}));

    std::list<ACF_VARIABLE_TYPE_ENUM> every;
    acf_get_list_of_variables_for_trait(ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT, &every);
    std::list<ACF_VARIABLE_TYPE_ENUM> walked(acf_begin_const_iter_for_acf_variable_type_enum(),
                                             acf_end_const_iter_for_acf_variable_type_enum());
    EXPECT_EQ(every, walked);

    INTERNAL_ERRORS errors;
    acf_get_list_of_variables_for_trait(ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT, nullptr);
    EXPECT_EQ(errors.conditions(), std::vector<std::string>{"variable_list != NULL"});
}

TEST(AcfVariableClasses, FamiliesAndEditorCategories) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        DEV_FAMILY_ENUM family;
        bool expected;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_NONE, DEV_FAMILY_VORELON_II, true},
        {ACF_VARIABLE_TYPE_ROOT, DEV_FAMILY_VORELON_II, true},
        {ACF_VARIABLE_TYPE_ROOT, DEV_FAMILY_GENERIC, true},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, DEV_FAMILY_VORELON_II, true},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, DEV_FAMILY_VORELON, false},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, DEV_FAMILY_GENERIC, false},
        {ACF_VARIABLE_TYPE_ENABLE_VORELON_II_LVDS_LOOPBACK, DEV_FAMILY_VORELON_II, true},
        {ACF_VARIABLE_TYPE_TECH_MAPPER_GLIM6K, DEV_FAMILY_GLIM6K, true},
        {ACF_VARIABLE_TYPE_TECH_MAPPER_GLIM6K, DEV_FAMILY_GLIM10K, false},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, static_cast<DEV_FAMILY_ENUM>(57), false},
        {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, static_cast<DEV_FAMILY_ENUM>(-1), false},
        {k_huge, DEV_FAMILY_GENERIC, false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " family " + std::to_string(c.family));
        EXPECT_EQ(acf_variable_includes_family(c.type, c.family), c.expected);
    }
    for (ACF_VARIABLE_TYPE_ENUM type : {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_ROOT, k_huge}) {
        EXPECT_FALSE(acf_variable_includes_any_ase_category(type));
        EXPECT_FALSE(acf_variable_includes_ase_category(type, static_cast<ASE_CATEGORY_ENUM>(3)));
        EXPECT_FALSE(acf_variable_includes_ase_category(type, static_cast<ASE_CATEGORY_ENUM>(99)));
    }
}

TEST(AcfVariableClasses, TclSetCommand) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        bool is_global;
        bool is_parameter;
        char const* command;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_LOCATION, false, true, "set_location_assignment"},
        {ACF_VARIABLE_TYPE_LOCATION, true, false, "set_location_assignment"},
        {ACF_VARIABLE_TYPE_HPS_LOCATION, false, false, "set_hps_location_assignment"},
        {ACF_VARIABLE_TYPE_PARAMETER, true, false, "set_parameter"},
        {ACF_VARIABLE_TYPE_FAMILY, true, true, "set_parameter"},
        {ACF_VARIABLE_TYPE_FAMILY, true, false, "set_global_assignment"},
        {ACF_VARIABLE_TYPE_FAMILY, false, false, "set_instance_assignment"},
        {ACF_VARIABLE_TYPE_NONE, false, true, "set_parameter"},
        {ACF_VARIABLE_TYPE_NONE, true, false, "set_global_assignment"},
        {k_huge, false, false, "set_instance_assignment"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_STREQ(acf_get_variable_tcl_set_function(c.type, c.is_global, c.is_parameter),
                     c.command);
    }
}

TEST(AcfVariableClasses, SmallHelpers) {
    EXPECT_EQ(acf_get_gui_location_for_variable(ACF_VARIABLE_TYPE_ROOT), 0);
    EXPECT_EQ(acf_get_gui_location_for_variable(ACF_VARIABLE_TYPE_NONE), 0);
    EXPECT_TRUE(acf_os_based_compare("top.vhd", "top.vhd"));
    EXPECT_FALSE(acf_os_based_compare("Top.vhd", "top.vhd"));
    EXPECT_FALSE(acf_os_based_compare(nullptr, "top.vhd"));
    EXPECT_FALSE(acf_os_based_compare(nullptr, nullptr));
    EXPECT_TRUE(acf_check_debug_flag(false));
    EXPECT_FALSE(acf_check_debug_flag(true));
}

TEST(AcfVariableWalk, VisitsEveryVariableOnceInOrder) {
    auto begin = acf_begin_const_iter_for_acf_variable_type_enum();
    auto end = acf_end_const_iter_for_acf_variable_type_enum();
    ASSERT_NE(begin, end);
    EXPECT_EQ(*begin, ACF_VARIABLE_TYPE_PERSONA_FILE);
    int count = 0;
    int previous = ACF_VARIABLE_TYPE_NONE;
    for (auto it = begin; it != end; ++it, ++count) {
        EXPECT_GT(*it, previous);
        EXPECT_STRNE(acf_variable_type_to_string(*it), "") << *it;
        previous = *it;
    }
    EXPECT_EQ(previous, ACF_VARIABLE_TYPE_TESTING_FILE);
    // 1 to 1564 less the three unassigned numbers.
    EXPECT_EQ(count, 1561);
    EXPECT_EQ(begin, acf_begin_const_iter_for_acf_variable_type_enum());
    EXPECT_EQ(end, acf_end_const_iter_for_acf_variable_type_enum());
}

TEST(AcfVariableMaps, FirstUseFromManyThreadsBuildsOneCompleteMap) {
    acf_table_free_lookup_maps();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 200; ++i) {
                if (acf_user_name_to_variable_type_enum("Termination") !=
                        ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING ||
                    acf_string_to_variable_type_enum("testing_enum") !=
                        ACF_VARIABLE_TYPE_TESTING_ENUM) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
    // Freed maps are built again on the next lookup.
    acf_table_free_lookup_maps();
    EXPECT_EQ(acf_user_name_to_variable_type_enum("top_level_entity"), ACF_VARIABLE_TYPE_ROOT);
}

} // namespace
