// Lookups over the settings variables.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <thread>
#include <vector>

#include "acf_table.h"
#include "suite/messages/msg.h"

namespace {

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
        {"RESERVED_PIN", ACF_VARIABLE_TYPE_RESERVE_PIN, ACF_VARIABLE_TYPE_NONE},
        {"verilog_vh_file", ACF_VARIABLE_TYPE_VERILOG_INCLUDE_FILE, ACF_VARIABLE_TYPE_NONE},
        {"SPEED_DISK_USAGE_TRADEOFF", ACF_VARIABLE_TYPE_SMART_RECOMPILE, ACF_VARIABLE_TYPE_NONE},
        {"MAX_PROCESSORS_USED_FOR_MULTITHREADING", ACF_VARIABLE_TYPE_NUM_PARALLEL_PROCESSORS,
         ACF_VARIABLE_TYPE_NONE},
        // A UI name equal to another variable's user name: the user name wins.
        {"Termination", ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING, ACF_VARIABLE_TYPE_NONE},
        {"DEVICE_FILTER_PACKAGE", ACF_VARIABLE_TYPE_FILTER_PACKAGE, ACF_VARIABLE_TYPE_NONE},
        {"FILTER_PACKAGE", ACF_VARIABLE_TYPE_FILTER_PACKAGE, ACF_VARIABLE_TYPE_FILTER_PACKAGE},
        {"assignment_group_member", ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, ACF_VARIABLE_TYPE_NONE},
        {"Disable Message", ACF_VARIABLE_TYPE_MESSAGE_DISABLE, ACF_VARIABLE_TYPE_NONE},
        {"VHDL_FILE", ACF_VARIABLE_TYPE_VHDL_FILE, ACF_VARIABLE_TYPE_VHDL_FILE},
        {"TESTING_FILE", ACF_VARIABLE_TYPE_TESTING_FILE, ACF_VARIABLE_TYPE_TESTING_FILE},
        {"PERSONA_FILE", ACF_VARIABLE_TYPE_PERSONA_FILE, ACF_VARIABLE_TYPE_PERSONA_FILE},
        // Only 'A' to 'Z' fold: a trailing blank or a different letter is another name.
        {"ROOT ", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
        {"ROOTS", ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
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

TEST(AcfVariableNames, TellingNumbers) {
    EXPECT_EQ(ACF_VARIABLE_TYPE_ROOT, 302);
    EXPECT_EQ(ACF_VARIABLE_TYPE_LOCATION, 149);
    EXPECT_EQ(ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING, 659);
    EXPECT_EQ(ACF_VARIABLE_TYPE_MESSAGE_DISABLE, 122);
    EXPECT_EQ(ACF_VARIABLE_TYPE_TESTING_FILE, 1564);
    EXPECT_EQ(ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE, 1565);
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
        {static_cast<ACF_VARIABLE_TYPE_ENUM>(60), "", "", ""},
        {ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE, "", "", ""},
        {static_cast<ACF_VARIABLE_TYPE_ENUM>(-3), "", "", ""},
        {static_cast<ACF_VARIABLE_TYPE_ENUM>(100000), "", "", ""},
    };
    for (TEXT_CASE const& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_STREQ(acf_variable_type_to_string(c.type), c.internal_name);
        EXPECT_STREQ(acf_get_variable_user_name(c.type), c.user_name);
        EXPECT_STREQ(acf_get_variable_ui_name_string(c.type), c.ui_name);
        EXPECT_NE(acf_get_variable_desc(c.type), nullptr);
        EXPECT_NE(acf_get_variable_cmp_smart_action_string(c.type), nullptr);
    }
}

} // namespace
