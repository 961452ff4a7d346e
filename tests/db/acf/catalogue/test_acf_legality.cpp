#include "catalogue/acf_legality.h"

#include "acf_table.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(AcfLegality, RenamedValues) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* old_value;
        char const* new_value; // null: no rename
    };
    CASE const cases[] = {
        {ACF_VARIABLE_TYPE_SMART_RECOMPILE, "smart", "On"},
        {ACF_VARIABLE_TYPE_SMART_RECOMPILE, "NORMAL", "Off"},
        {ACF_VARIABLE_TYPE_SMART_RECOMPILE, "On", nullptr},
        {ACF_VARIABLE_TYPE_NOMINAL_CORE_SUPPLY_VOLTAGE, "Low Voltage", "0.9V"},
        {ACF_VARIABLE_TYPE_VHDL_INPUT_VERSION, "vhdl87", "VHDL_1987"},
        {ACF_VARIABLE_TYPE_VERILOG_INPUT_VERSION, "VHDL87", nullptr}, // another variable's rename
        {ACF_VARIABLE_TYPE_SMART_RECOMPILE, nullptr, nullptr},
    };
    for (CASE const& c : cases) {
        char const* renamed =
            acf_convert_old_value_to_new(c.variable, c.old_value, DEV_FAMILY_GENERIC);
        if (c.new_value == nullptr) {
            EXPECT_EQ(renamed, nullptr) << (c.old_value ? c.old_value : "(null)");
        } else {
            EXPECT_STREQ(renamed, c.new_value) << c.old_value;
        }
    }
    for (ACF_RENAME_STRUCT_INFO const* row = acf_rename_semantics; row->variable_name; ++row) {
        EXPECT_NE(acf_user_name_to_variable_type_enum(row->variable_name), ACF_VARIABLE_TYPE_NONE)
            << row->variable_name;
    }
    EXPECT_STREQ(acf_get_argument_rename_value(ACF_ARGUMENT_TYPE_TIP, "a.tip"), "a.tip");
}

TEST(AcfLegality, RemovedAssignmentNames) {
    for (char const* const* name = acf_removed_assignments; *name != nullptr; ++name) {
        EXPECT_EQ(acf_user_name_to_variable_type_enum(*name), ACF_VARIABLE_TYPE_NONE) << *name;
        if (name != acf_removed_assignments) {
            EXPECT_LT(std::strcmp(name[-1], *name), 0) << "alphabetical";
        }
    }
    EXPECT_TRUE(acf_is_obsolete_assignment_name("adv_netlist_opt_test"));
    EXPECT_TRUE(acf_is_obsolete_assignment_name("XR_PATH_INCLUDE"));
    EXPECT_FALSE(acf_is_obsolete_assignment_name("XR_PATH_EXCLUDE"));
    EXPECT_FALSE(acf_is_obsolete_assignment_name(""));
    EXPECT_FALSE(acf_is_obsolete_assignment_name(nullptr));
}

TEST(AcfLegality, MigratedValues) {
    std::list<ACF_VARIABLE_MIGRATE_VALUE_FROM const*> pairs;
    acf_get_migrate_value_from_list(&pairs);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs.front()->variable, ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS_NO_OUTPUT_GND);
    EXPECT_EQ(pairs.front()->migrate_from, ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS);

    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    acf_get_migrate_value_from_list(nullptr);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, std::vector<std::string>{"list != NULL"});
}

DEV_FAMILY_ENUM family(int number) {
    return static_cast<DEV_FAMILY_ENUM>(number);
}

DEV_FAMILY_ENUM g_open_family = DEV_FAMILY_GENERIC;
DEV_FAMILY_ENUM open_family() {
    return g_open_family;
}

TEST(AcfLegality, IntegerRanges) {
    ACF_VARIABLE_TYPE_ENUM previous = ACF_VARIABLE_TYPE_NONE;
    for (ACF_VARIABLE_INTEGER_RANGE_INFO const* row = acf_variable_integer_range_info;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        EXPECT_EQ(acf_get_value_type(row->variable), ACF_VALUE_TYPE_INT)
            << acf_variable_type_to_string(row->variable);
        EXPECT_LE(row->minimum, row->maximum);
        EXPECT_TRUE(row->variable != previous || row[-1].family != DEV_FAMILY_GENERIC)
            << "the any-family row ends a variable's rows";
        previous = row->variable;
    }

    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        DEV_FAMILY_ENUM family;
        DEV_FAMILY_ENUM open_family; // the open project's family
        bool found;
        int min, max;
    };
    CASE const cases[] = {
        {ACF_VARIABLE_TYPE_MULTICYCLE, DEV_FAMILY_GENERIC, DEV_FAMILY_GENERIC, true, 1, 10000},
        {ACF_VARIABLE_TYPE_MULTIPLY_BASE_CLOCK_BY, family(40), DEV_FAMILY_GENERIC, true, 1,
         10000000},
        {ACF_VARIABLE_TYPE_SLEW_RATE, family(47), DEV_FAMILY_GENERIC, true, 0, 1},
        {ACF_VARIABLE_TYPE_SLEW_RATE, family(13), DEV_FAMILY_GENERIC, true, 0, 2},
        {ACF_VARIABLE_TYPE_SLEW_RATE, family(40), DEV_FAMILY_GENERIC, true, 0, 3},
        // no project open: the first row
        {ACF_VARIABLE_TYPE_SLEW_RATE, DEV_FAMILY_GENERIC, DEV_FAMILY_GENERIC, true, 0, 2},
        // the open project's family stands in for "any"
        {ACF_VARIABLE_TYPE_SLEW_RATE, DEV_FAMILY_GENERIC, family(47), true, 0, 1},
        {ACF_VARIABLE_TYPE_SLEW_RATE, DEV_FAMILY_GENERIC, family(40), true, 0, 3},
        {ACF_VARIABLE_TYPE_TESTING_INT, DEV_FAMILY_GENERIC, DEV_FAMILY_GENERIC, false, -7, -7},
        {ACF_VARIABLE_TYPE_TESTING_BOOL, DEV_FAMILY_GENERIC, DEV_FAMILY_GENERIC, false, -7, -7},
        {ACF_VARIABLE_TYPE_NONE, DEV_FAMILY_GENERIC, DEV_FAMILY_GENERIC, false, -7, -7},
    };
    for (CASE const& c : cases) {
        g_open_family = c.open_family;
        acf_set_project_family_query(open_family);
        int min = -7, max = -7;
        EXPECT_EQ(acf_get_integer_range_for_variable(c.variable, min, max, c.family), c.found)
            << c.variable << " family " << c.family;
        EXPECT_EQ(min, c.min) << c.variable << " family " << c.family;
        EXPECT_EQ(max, c.max) << c.variable << " family " << c.family;
    }
    acf_set_project_family_query(nullptr);
}

TEST(AcfLegality, ArgumentValues) {
    struct CASE {
        ACF_ARGUMENT_TYPE_ENUM argument;
        char const* value;
        bool legal;
    };
    CASE const cases[] = {
        {ACF_ARGUMENT_TYPE_NONE, "anything", true},
        // integers: a fraction is cut off, a '-' only in front
        {ACF_ARGUMENT_TYPE_WIDTH, "12", true},
        {ACF_ARGUMENT_TYPE_WIDTH, "12.7", true},
        {ACF_ARGUMENT_TYPE_WIDTH, "-3", true},
        {ACF_ARGUMENT_TYPE_WIDTH, "12a", false},
        {ACF_ARGUMENT_TYPE_WIDTH, "1-2", false},
        {ACF_ARGUMENT_TYPE_WIDTH, "12-", false},
        {ACF_ARGUMENT_TYPE_WIDTH, "-", false},
        {ACF_ARGUMENT_TYPE_WIDTH, ".5", false},
        {ACF_ARGUMENT_TYPE_HEIGHT, "", false},
        {ACF_ARGUMENT_TYPE_HEIGHT, nullptr, false},
        // flags take no value
        {ACF_ARGUMENT_TYPE_RISE, "", true},
        {ACF_ARGUMENT_TYPE_RISE, nullptr, true},
        {ACF_ARGUMENT_TYPE_FALL, " \t\r\n", true},
        {ACF_ARGUMENT_TYPE_FALL, "on", false},
        // texts and file names
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "VHDL_1993", true},
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "  ", false},
        {ACF_ARGUMENT_TYPE_TIP, "ip/core.tip", true},
        {ACF_ARGUMENT_TYPE_FAMILY, "Brenlo", true},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(acf_is_argument_legal(c.argument, c.value), c.legal)
            << c.argument << " '" << (c.value ? c.value : "(null)") << "'";
    }
}

TEST(AcfLegality, ArgumentsInContext) {
    struct CASE {
        ACF_ARGUMENT_TYPE_ENUM argument;
        char const* value;
        ACF_VARIABLE_TYPE_ENUM variable;
        bool has_section_id, has_entity;
        bool legal;
    };
    CASE const cases[] = {
        // TIP where IP files set assignments, not on a project-wide setting
        {ACF_ARGUMENT_TYPE_TIP, "a.tip", ACF_VARIABLE_TYPE_VHDL_FILE, false, false, true},
        {ACF_ARGUMENT_TYPE_TIP, "a.tip", ACF_VARIABLE_TYPE_ROOT, false, false, false},
        {ACF_ARGUMENT_TYPE_TIP, "a.tip", ACF_VARIABLE_TYPE_LOCATION, false, true, true},
        // valid on every variable without looking at its rows
        {ACF_ARGUMENT_TYPE_CREATED_BY, "wizard", ACF_VARIABLE_TYPE_ROOT, true, true, true},
        {ACF_ARGUMENT_TYPE_LIBRARY, "work", ACF_VARIABLE_TYPE_LOCATION, false, false, true},
        {ACF_ARGUMENT_TYPE_FAMILY, "Brenlo", ACF_VARIABLE_TYPE_ROOT, false, false, true},
        // the row allows it, the value still has to suit
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "VHDL_2008", ACF_VARIABLE_TYPE_VHDL_FILE, false, false,
         true},
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "", ACF_VARIABLE_TYPE_VHDL_FILE, false, false, false},
        {ACF_ARGUMENT_TYPE_HDL_VERSION, "VHDL_2008", ACF_VARIABLE_TYPE_ROOT, false, false, false},
        {ACF_ARGUMENT_TYPE_RISE, "", ACF_VARIABLE_TYPE_INPUT_MAX_DELAY, false, false, true},
        {ACF_ARGUMENT_TYPE_RISE, "", ACF_VARIABLE_TYPE_MULTICYCLE, false, false, false},
        // without a variable only the value counts; argument 0 is always legal
        {ACF_ARGUMENT_TYPE_TIP, "a.tip", ACF_VARIABLE_TYPE_NONE, false, false, true},
        {ACF_ARGUMENT_TYPE_NONE, "x", ACF_VARIABLE_TYPE_ROOT, false, false, true},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(
            acf_is_argument_legal(c.argument, c.value, c.variable, c.has_section_id, c.has_entity),
            c.legal)
            << "argument " << c.argument << " on " << acf_variable_type_to_string(c.variable);
    }
}

} // namespace
