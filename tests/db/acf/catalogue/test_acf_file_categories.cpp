#include "acf_file_categories.h"

#include "acf_table.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace {

using ROW = ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO;

ACF_VARIABLE_TYPE_ENUM variable(char const* name) {
    ACF_VARIABLE_TYPE_ENUM type = acf_string_to_variable_type_enum(name);
    EXPECT_NE(type, ACF_VARIABLE_TYPE_NONE) << name;
    return type;
}

std::vector<ROW const*> rows_of(ACF_VARIABLE_TYPE_ENUM type) {
    std::vector<ROW const*> rows;
    for (size_t i = 0; i < acf_variable_file_category_semantics_count; ++i) {
        if (acf_variable_file_category_semantics[i].variable == type) {
            rows.push_back(&acf_variable_file_category_semantics[i]);
        }
    }
    return rows;
}

bool is_flags(char const* text, size_t length) {
    return text != nullptr && std::strlen(text) == length && std::strspn(text, "01") == length;
}

TEST(AcfFileCategories, EveryVariableCanBeSetInSomeContext) {
    for (int i = 1; i < ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE; ++i) {
        auto type = static_cast<ACF_VARIABLE_TYPE_ENUM>(i);
        if (*acf_variable_type_to_string(type) == '\0') {
            continue; // an unassigned number
        }
        std::vector<ROW const*> rows = rows_of(type);
        ASSERT_FALSE(rows.empty()) << acf_variable_type_to_string(type);
        bool global = false, target = false, target_with_entity = false;
        for (ROW const* row : rows) {
            global |= row->global && !row->entity;
            target |= row->target && !row->entity;
            target_with_entity |= row->target && row->entity;
        }
        EXPECT_TRUE(global || target) << acf_variable_type_to_string(type);
        EXPECT_EQ(target, target_with_entity)
            << "instance rows come with and without entity: " << acf_variable_type_to_string(type);
    }
}

TEST(AcfFileCategories, ContextRowsAreWellFormed) {
    std::set<std::string> labels(acf_file_category_section_labels,
                                 acf_file_category_section_labels + ACF_CATEGORY_SECTION_TYPE_MAX);
    for (size_t i = 0; i < acf_variable_file_category_semantics_count; ++i) {
        ROW const& row = acf_variable_file_category_semantics[i];
        SCOPED_TRACE(std::string(acf_variable_type_to_string(row.variable)) + " row " +
                     std::to_string(i));
        if (i > 0) {
            EXPECT_LE(acf_variable_file_category_semantics[i - 1].variable, row.variable);
        }
        EXPECT_GE(row.category, 0);
        EXPECT_LT(row.category, ACF_FILE_CATEGORY_NONE);
        EXPECT_TRUE(row.global || row.target || row.source_and_target);
        ASSERT_TRUE(is_flags(row.category_traits, ACF_CATEGORY_TRAIT_TYPE_MAX));
        EXPECT_EQ(std::count(row.category_traits, row.category_traits + 6, '1'), 1);
        ASSERT_TRUE(is_flags(row.category_section_types, ACF_CATEGORY_SECTION_TYPE_MAX));
        ASSERT_TRUE(is_flags(row.arguments, 12));
        EXPECT_EQ(row.arguments[11], '0');
        EXPECT_EQ(std::string(row.arguments + 8, 3), "111");
        EXPECT_EQ(row.section_id != 0, row.section_identifier != nullptr);
        if (row.section_label != nullptr) {
            ASSERT_TRUE(labels.count(row.section_label));
            int index = static_cast<int>(std::distance(
                acf_file_category_section_labels,
                std::find_if(
                    acf_file_category_section_labels, acf_file_category_section_labels + 16,
                    [&](char const* l) { return std::strcmp(l, row.section_label) == 0; })));
            EXPECT_EQ(row.category_section_types[index], '1');
        }
        EXPECT_GT(row.family, DEV_FAMILY_INVALID);
        EXPECT_LE(row.family, DEV_FAMILY_GENERIC);
        // A family's own row repeats a shape the variable has for every family.
        if (row.family != DEV_FAMILY_GENERIC) {
            EXPECT_NE(acf_get_variable_file_category_semantics(row.variable, row.section_id != 0,
                                                               row.entity != 0, DEV_FAMILY_GENERIC),
                      nullptr);
        }
    }
    for (ACF_FIO_FILE_TYPE_INFO const* pair = fio_acf_table; pair->file_type != 0xFFFFFFFFu;
         ++pair) {
        EXPECT_STRNE(acf_variable_type_to_string(pair->variable), "") << pair->file_type;
        EXPECT_EQ(acf_get_value_type(pair->variable), ACF_VALUE_TYPE_FILE)
            << acf_variable_type_to_string(pair->variable);
    }
}

TEST(AcfFileCategories, LegalityVerdictsWithTheirStatus) {
    struct CASE {
        char const* variable;
        bool source, target, entity;
        char const* section_id;
        int status;
    };
    CASE const cases[] = {
        // instance-only: a global assignment lacks its -to
        {"LOCATION", false, false, false, nullptr, 14},
        {"LOCATION", false, true, false, nullptr, 0},
        {"LOCATION", false, true, true, nullptr, 0},
        {"LOCATION", true, true, false, nullptr, 15}, // no -from for a pin
        {"LOCATION", false, true, false, "grp", 13},
        // global-only
        {"VHDL_FILE", false, false, false, nullptr, 0},
        {"VHDL_FILE", false, true, false, nullptr, 14},
        {"VHDL_FILE", false, false, false, "grp", 13},
        {"ROOT", false, false, true, nullptr, 12}, // no entity for a project-wide setting
        // point to point
        {"MULTICYCLE", true, true, false, nullptr, 0},
        {"MULTICYCLE", true, true, true, nullptr, 0},
        {"MULTICYCLE", false, false, false, nullptr, 14},
        // settings kept per named group
        {"BASE_CLOCK", false, false, false, "clk_a", 0},
        {"BASE_CLOCK", false, false, false, nullptr, 13},
        {"TIMEGROUP_MEMBER", false, true, false, "group_1", 0},
        {"TIMEGROUP_MEMBER", false, true, false, nullptr, 13},
        // both shapes
        {"MESSAGE_DISABLE", false, false, false, nullptr, 0},
        {"MESSAGE_DISABLE", false, true, true, nullptr, 0},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + (c.source ? " -from" : "") +
                     (c.target ? " -to" : "") + (c.entity ? " -entity" : "") +
                     (c.section_id ? " -section_id" : ""));
        ACF_VARIABLE_TYPE_ENUM type = variable(c.variable);
        bool global = !c.source && !c.target;
        EXPECT_EQ(acf_check_against_file_semantics(type, c.source, c.target, c.entity, global,
                                                   false, c.section_id),
                  c.status);
        if (c.status != 12) {
            EXPECT_EQ(acf_check_if_match_any_file_categories(type, c.source, c.target, global,
                                                             false, c.section_id),
                      c.status);
            EXPECT_EQ(acf_check_if_match_file_category(type, c.source, c.target, c.section_id),
                      c.status == 0);
        }
    }
}

TEST(AcfFileCategories, AContextNoRowTakesIsNeverLegal) {
    // A number no variable has: no rows at all.
    auto unassigned = static_cast<ACF_VARIABLE_TYPE_ENUM>(60);
    ASSERT_STREQ(acf_variable_type_to_string(unassigned), "");
    EXPECT_EQ(
        acf_check_if_match_any_file_categories(unassigned, false, false, true, false, nullptr), 42);
    EXPECT_EQ(
        acf_check_against_file_semantics(unassigned, false, false, false, true, false, nullptr),
        42);
    // Numbers outside the enumeration are answered like a variable without rows.
    for (int outside : {-1, int(ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE), 1 << 30}) {
        auto type = static_cast<ACF_VARIABLE_TYPE_ENUM>(outside);
        EXPECT_FALSE(acf_check_if_match_file_category(type, false, false, nullptr));
        EXPECT_EQ(acf_get_file_category(type), ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT);
        EXPECT_FALSE(acf_variable_contains_family_specific_details(type));
    }
}

TEST(AcfFileCategories, RowLookupsByShape) {
    ACF_VARIABLE_TYPE_ENUM location = variable("LOCATION");
    EXPECT_EQ(acf_get_file_category(location), ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT);
    EXPECT_EQ(acf_get_file_category(variable("PARAMETER")), ACF_FILE_CATEGORY_PARAMETERS);
    EXPECT_EQ(acf_get_variable_file_category_semantics(location, false, false, false, nullptr,
                                                       ACF_FILE_CATEGORY_NONE),
              nullptr);
    ROW const* pin = acf_get_variable_file_category_semantics(location, false, true, true, nullptr,
                                                              ACF_FILE_CATEGORY_NONE);
    ASSERT_NE(pin, nullptr);
    EXPECT_TRUE(pin->entity);
    EXPECT_EQ(acf_get_variable_file_category_semantics(location, false, true, false, nullptr,
                                                       ACF_FILE_CATEGORY_TIMING_ASSIGNMENT),
              nullptr);

    ACF_VARIABLE_TYPE_ENUM member = variable("TIMEGROUP_MEMBER");
    EXPECT_STREQ(acf_get_variable_section_label(member, false, true, false, true),
                 "ASSIGNMENT_GROUP");
    EXPECT_EQ(acf_get_variable_section_label(member, false, true, false, false), nullptr);
    EXPECT_TRUE(acf_test_category_section_type(member, ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP,
                                               false, true, false));
    EXPECT_FALSE(acf_test_category_section_type(member, ACF_CATEGORY_SECTION_TYPE_CLOCK, false,
                                                true, false));

    // The old settings file of the shape: entity rows lived in the entity file.
    ACF_VARIABLE_TYPE_ENUM disable = variable("MESSAGE_DISABLE");
    EXPECT_TRUE(acf_test_category_trait_of(disable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE,
                                           false, true, true, false));
    EXPECT_FALSE(acf_test_category_trait_of(disable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE,
                                            false, false, false, false));
    EXPECT_FALSE(
        acf_test_category_trait_of(disable, ACF_CATEGORY_TRAIT_TYPE_MAX, false, true, true, false));

    struct KIND_CASE {
        char const* variable;
        ACF_FILE_CATEGORY_TARGET_TYPE_ENUM kind;
        bool entity, section, expected;
    };
    KIND_CASE const kinds[] = {
        {"VHDL_FILE", ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE, false, false, true},
        {"ROOT", ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE, false, false, false},
        {"LOCATION", ACF_FILE_CATEGORY_TARGET_TYPE_ENTITY, false, true, true}, // any row
        {"BASE_CLOCK", ACF_FILE_CATEGORY_TARGET_TYPE_SECTION_ID, false, false, true},
        {"BASE_CLOCK", ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL, false, false, false},
        {"BASE_CLOCK", ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL, false, true, true},
        {"LOCATION", ACF_FILE_CATEGORY_TARGET_TYPE_INSTANCE_ASSIGNMENT, true, false, true},
        {"LOCATION", ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL_ASSIGNMENT, false, false, false},
        {"PARAMETER", ACF_FILE_CATEGORY_TARGET_TYPE_FREEFORM, false, false, true},
        {"LOCATION", static_cast<ACF_FILE_CATEGORY_TARGET_TYPE_ENUM>(9), false, false, false},
    };
    for (KIND_CASE const& c : kinds) {
        EXPECT_EQ(
            acf_test_file_category_target_type(variable(c.variable), c.kind, c.entity, c.section),
            c.expected)
            << c.variable << " kind " << c.kind;
    }
}

TEST(AcfFileCategories, SectionLabels) {
    EXPECT_STREQ(acf_get_category_section_type_string(ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP),
                 "ASSIGNMENT_GROUP");
    EXPECT_EQ(acf_get_category_section_type_string(ACF_CATEGORY_SECTION_TYPE_MAX), nullptr);
    EXPECT_EQ(acf_get_category_section_type_string(static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(-1)),
              nullptr);
    EXPECT_TRUE(acf_is_legal_section_name("clock"));
    EXPECT_TRUE(acf_is_legal_section_name("PCB_LAYERS"));
    EXPECT_FALSE(acf_is_legal_section_name("CLOCKS"));
    EXPECT_FALSE(acf_is_legal_section_name(nullptr));
    EXPECT_STREQ(acf_file_category_semantics[ACF_FILE_CATEGORY_TIMING_ASSIGNMENT].display_text,
                 "Classic Timing Assignments");
    EXPECT_EQ(acf_file_category_semantics[ACF_FILE_CATEGORY_NONE].key, nullptr);
}

TEST(AcfFileCategories, ArgumentsByContext) {
    ACF_VARIABLE_TYPE_ENUM vhdl = variable("VHDL_FILE");
    ACF_VARIABLE_TYPE_ENUM multicycle = variable("MULTICYCLE");
    EXPECT_TRUE(
        acf_is_argument_valid_for_variable(vhdl, false, false, ACF_ARGUMENT_TYPE_HDL_VERSION));
    EXPECT_TRUE(acf_is_argument_valid_for_variable(vhdl, false, false, ACF_ARGUMENT_TYPE_TIP));
    EXPECT_FALSE(acf_is_argument_valid_for_variable(vhdl, false, true, ACF_ARGUMENT_TYPE_LIBRARY))
        << "no entity shape";
    // IP files set instance assignments, not project-wide timing defaults.
    EXPECT_TRUE(acf_is_argument_valid_for_variable(multicycle, ACF_ARGUMENT_TYPE_TIP));
    EXPECT_FALSE(acf_is_argument_valid_for_variable(variable("ROOT"), ACF_ARGUMENT_TYPE_TIP));
    EXPECT_FALSE(acf_is_argument_valid_for_variable(vhdl, static_cast<ACF_ARGUMENT_TYPE_ENUM>(12)));

    std::vector<ACF_ARGUMENT_TYPE_ENUM> all;
    acf_get_arguments_for_variable(vhdl, &all);
    EXPECT_EQ(all, (std::vector<ACF_ARGUMENT_TYPE_ENUM>{
                       ACF_ARGUMENT_TYPE_HDL_VERSION, ACF_ARGUMENT_TYPE_TIP, ACF_ARGUMENT_TYPE_SIP,
                       ACF_ARGUMENT_TYPE_CREATED_BY, ACF_ARGUMENT_TYPE_LIBRARY,
                       ACF_ARGUMENT_TYPE_FAMILY}));
    std::vector<ACF_ARGUMENT_TYPE_ENUM> global;
    acf_get_arguments_for_variable(variable("ROOT"), false, false, &global);
    EXPECT_EQ(global, (std::vector<ACF_ARGUMENT_TYPE_ENUM>{ACF_ARGUMENT_TYPE_CREATED_BY,
                                                           ACF_ARGUMENT_TYPE_LIBRARY,
                                                           ACF_ARGUMENT_TYPE_FAMILY}));

    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    acf_get_arguments_for_variable(vhdl, nullptr);
    acf_get_list_of_variables_for_family(nullptr, DEV_FAMILY_GENERIC, true, true);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, (std::vector<std::string>{"coll != NULL", "variable_list != NULL"}));
}

TEST(AcfFileCategories, FamilySpecificRows) {
    ACF_VARIABLE_TYPE_ENUM hold = variable("OPTIMIZE_HOLD_TIMING");
    EXPECT_TRUE(acf_variable_contains_family_specific_details(hold));
    EXPECT_FALSE(acf_variable_contains_family_specific_details(variable("LOCATION")));
    ROW const* own =
        acf_get_variable_file_category_semantics(hold, false, false, DEV_FAMILY_BRENLO);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->family, DEV_FAMILY_BRENLO);
    EXPECT_STREQ(own->default_value, "All Paths");
    EXPECT_EQ(acf_get_variable_file_category_semantics(hold, false, false, DEV_FAMILY_TOLM7000),
              nullptr);
    ROW const* any = acf_get_variable_file_category_semantics(hold, false, false, false, nullptr,
                                                              ACF_FILE_CATEGORY_NONE);
    ASSERT_NE(any, nullptr);
    EXPECT_EQ(any->family, DEV_FAMILY_GENERIC) << "the any-family row comes first";
    EXPECT_STREQ(acf_get_report_window_default(variable("NUMBER_OF_SWEPT_NODES_REPORTED"), false,
                                               false, DEV_FAMILY_GENERIC),
                 "Unlimited");
}

TEST(AcfFileCategories, VariablesOfAFamilyByShape) {
    std::list<ACF_VARIABLE_TYPE_ENUM> global, instance;
    acf_get_list_of_variables_for_family(&global, DEV_FAMILY_GENERIC, true, false);
    acf_get_list_of_variables_for_family(&instance, DEV_FAMILY_GENERIC, false, true);
    auto has = [](std::list<ACF_VARIABLE_TYPE_ENUM> const& l, char const* name) {
        return std::find(l.begin(), l.end(), acf_string_to_variable_type_enum(name)) != l.end();
    };
    EXPECT_TRUE(has(global, "ROOT"));
    EXPECT_FALSE(has(global, "LOCATION"));
    EXPECT_TRUE(has(instance, "LOCATION"));
    EXPECT_FALSE(has(instance, "ROOT"));
    EXPECT_TRUE(std::is_sorted(global.begin(), global.end()));
}

TEST(AcfFileCategories, FileTypes) {
    EXPECT_EQ(acf_fio_file_type_to_var_type(0, true), ACF_VARIABLE_TYPE_SOURCE_FILE);
    EXPECT_EQ(acf_fio_file_type_to_var_type(99999, true), ACF_VARIABLE_TYPE_SOURCE_FILE);
    EXPECT_EQ(acf_fio_file_type_to_var_type(18, true), ACF_VARIABLE_TYPE_BDF_FILE);
    EXPECT_EQ(acf_fio_file_type_to_var_type(19, true), ACF_VARIABLE_TYPE_BDF_FILE);
    EXPECT_EQ(acf_fio_file_type_to_var_type(5, false), ACF_VARIABLE_TYPE_VHDL_FILE);
    EXPECT_EQ(acf_var_type_to_fio_file_type(ACF_VARIABLE_TYPE_BDF_FILE), 18u);
    EXPECT_EQ(acf_var_type_to_fio_file_type(ACF_VARIABLE_TYPE_ROOT), 0u);

    // The document types the file library names are the catalogue's, both ways.
    struct PAIR {
        ACF_VARIABLE_TYPE_ENUM variable;
        FIO_FILE_TYPE type;
        FIO_FILE_TYPE number;
    };
    for (PAIR p : {PAIR{ACF_VARIABLE_TYPE_VHDL_FILE, FIO_FILE_TYPE_VHDL, 5},
                   PAIR{ACF_VARIABLE_TYPE_VERILOG_FILE, FIO_FILE_TYPE_VERILOG, 6},
                   PAIR{ACF_VARIABLE_TYPE_TCL_FILE, FIO_FILE_TYPE_TCL, 44},
                   PAIR{ACF_VARIABLE_TYPE_SDC_FILE, FIO_FILE_TYPE_SDC, 45}}) {
        EXPECT_EQ(p.type, p.number);
        EXPECT_EQ(acf_var_type_to_fio_file_type(p.variable), p.type) << p.number;
        EXPECT_EQ(acf_fio_file_type_to_var_type(p.type, true), p.variable) << p.number;
    }
    // No file variable takes a project archive's document type for its own.
    EXPECT_EQ(acf_fio_file_type_to_var_type(FIO_FILE_TYPE_ARCHIVE, true),
              ACF_VARIABLE_TYPE_SOURCE_FILE);

    // Older settings files by the file library's extension types.
    struct CASE {
        ACF_FILE_TYPE_ENUM type;
        FIO_FILE_TYPE extension;
        char const* text;
    };
    for (CASE c : {CASE{ACF_FILE_TYPE_PROJECT, 60, ".tessaly"},
                   CASE{ACF_FILE_TYPE_PROJECT_SETTINGS, 62, ".psf"},
                   CASE{ACF_FILE_TYPE_COMPILER_SETTINGS, 63, ".csf"},
                   CASE{ACF_FILE_TYPE_SIMULATOR_SETTINGS, 64, ".ssf"},
                   CASE{ACF_FILE_TYPE_ENTITY_SETTINGS, 65, ".esf"}}) {
        EXPECT_EQ(acf_file_type_to_fio_ext(c.type), c.extension);
        EXPECT_EQ(FIO_EXTENSION_TYPE_INFO::get_extension_string(static_cast<int>(c.extension)),
                  c.text);
    }
    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    EXPECT_EQ(acf_file_type_to_fio_ext(ACF_FILE_TYPE_NONE), 0u);
    EXPECT_EQ(acf_file_type_to_fio_ext(static_cast<ACF_FILE_TYPE_ENUM>(6)), 0u);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports,
              (std::vector<std::string>{"Function does not expect parameter ACF_FILE_TYPE_NONE.",
                                        "Not a recognized ACF_FILE_TYPE_ENUM."}));
}

} // namespace
