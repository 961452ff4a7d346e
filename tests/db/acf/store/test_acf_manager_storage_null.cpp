#include "store/acf_manager_storage_null.h"

#include "acf_mgr_input_parameters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ACF_VARIABLE_TYPE_ENUM const SPEED = ACF_VARIABLE_TYPE_ENUM(500);
ACF_VARIABLE_TYPE_ENUM const CLOCK = ACF_VARIABLE_TYPE_ENUM(501);
ACF_VARIABLE_TYPE_ENUM const PIN = ACF_VARIABLE_TYPE_ENUM(502);

ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO row(ACF_VARIABLE_TYPE_ENUM variable, bool entity,
                                             bool section_id, char const* default_value,
                                             char const* section_identifier,
                                             DEV_FAMILY_ENUM family) {
    ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO r{};
    r.variable = variable;
    r.category = ACF_FILE_CATEGORY_ENUM(0);
    r.global = 1;
    r.entity = entity;
    r.section_id = section_id;
    r.default_value = default_value;
    r.section_identifier = section_identifier;
    r.family = family;
    return r;
}

// Rows in the catalogue's shape: a variable with a row without default, rows
// for two families and a row for any family; a sectioned variable; a variable
// whose default is only for entity assignments.
ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const rows[] = {
    row(SPEED, false, false, nullptr, nullptr, DEV_FAMILY_GENERIC),
    row(SPEED, false, false, "", nullptr, DEV_FAMILY_HARLO),
    row(SPEED, false, false, "Fast", nullptr, DEV_FAMILY_BRENLO),
    row(SPEED, false, false, "Slow", nullptr, DEV_FAMILY_GENERIC),
    row(SPEED, false, false, "Medium", nullptr, DEV_FAMILY_HARLO),
    row(CLOCK, false, true, "10 ns", "main", DEV_FAMILY_GENERIC),
    row(CLOCK, false, true, "20 ns", "", DEV_FAMILY_GENERIC),
    row(PIN, true, false, "LVTTL", nullptr, DEV_FAMILY_GENERIC),
};

TEST(AcfManagerStorageNull, DefaultValueIsTheFirstFittingRow) {
    struct Case {
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* section_id;
        bool has_entity;
        DEV_FAMILY_ENUM family;
        char const* expected; // null: none
    } const cases[] = {
        // Any family: the first row with a non-empty default, whatever its family.
        {SPEED, nullptr, false, DEV_FAMILY_GENERIC, "Fast"},
        // A concrete family skips other families' rows but takes rows for any.
        {SPEED, nullptr, false, DEV_FAMILY_BRENLO, "Fast"},
        {SPEED, nullptr, false, DEV_FAMILY_HARLO, "Slow"},
        {SPEED, nullptr, false, DEV_FAMILY_TOLM7000, "Slow"},
        // Rows that take no section identifier answer only without one.
        {SPEED, "", false, DEV_FAMILY_GENERIC, nullptr},
        {SPEED, nullptr, true, DEV_FAMILY_GENERIC, nullptr},
        // Sectioned rows need an identifier; empty texts match any.
        {CLOCK, nullptr, false, DEV_FAMILY_GENERIC, nullptr},
        {CLOCK, "MAIN", false, DEV_FAMILY_GENERIC, "10 ns"},
        {CLOCK, "other", false, DEV_FAMILY_GENERIC, "20 ns"},
        {CLOCK, "", false, DEV_FAMILY_GENERIC, "10 ns"},
        // The entity flag must agree.
        {PIN, nullptr, true, DEV_FAMILY_GENERIC, "LVTTL"},
        {PIN, nullptr, false, DEV_FAMILY_GENERIC, nullptr},
        {ACF_VARIABLE_TYPE_NONE, nullptr, false, DEV_FAMILY_GENERIC, nullptr},
    };
    for (Case const& c : cases) {
        char const* found = ACF_MANAGER_STORAGE_NULL::find_default_value(
            rows, sizeof rows / sizeof rows[0], c.variable, c.section_id, c.has_entity, c.family);
        std::string label = std::to_string(c.variable) + " section " +
                            (c.section_id ? c.section_id : "null") + " entity " +
                            std::to_string(c.has_entity) + " family " + std::to_string(c.family);
        if (c.expected == nullptr) {
            EXPECT_EQ(found, nullptr) << label;
        } else {
            EXPECT_STREQ(found, c.expected) << label;
        }
    }
}

TEST(AcfManagerStorageNull, AnswersDefaultsFromTheCatalogue) {
    ACF_MANAGER_STORAGE_NULL store;
    struct Case {
        DEV_FAMILY_ENUM family;
        char const* expected;
    } const cases[] = {
        {DEV_FAMILY_GENERIC, "Off"},
        {DEV_FAMILY_HARLO, "Off"},
        {DEV_FAMILY_BRENLO, "On"},
        {DEV_FAMILY_TOLM7000, nullptr},
    };
    for (Case const& c : cases) {
        char const* found = store.get_default_value_for_variable(
            ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING, nullptr, false, c.family);
        if (c.expected == nullptr) {
            EXPECT_EQ(found, nullptr) << c.family;
        } else {
            EXPECT_STREQ(found, c.expected) << c.family;
        }
    }
}

TEST(AcfManagerStorageNull, StandsInWithoutAProject) {
    ACF_MANAGER_STORAGE_NULL store;
    ACF_MGR_INPUT_PARAMETERS record;
    record.set_variable_type(ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING);
    EXPECT_TRUE(store.is_null());
    EXPECT_FALSE(store.is_project_open());
    EXPECT_FALSE(store.read_lock(true));
    EXPECT_FALSE(store.write_lock(true));
    EXPECT_FALSE(store.reset_filters());
    EXPECT_FALSE(store.set_file_category_filter(ACF_FILE_CATEGORY_ENUM(2)));
    EXPECT_EQ(store.get_file_category_enum(), ACF_FILE_CATEGORY_NONE);
    EXPECT_EQ(store.get_assignment(&record, true, false, true), nullptr);
    EXPECT_EQ(
        store.set_assignment(&record, false, true, false, true, nullptr, true, false, false, false),
        nullptr);
    EXPECT_FALSE(store.is_legal_global_assignment(&record));
    EXPECT_TRUE(store.supports_tcl());
    EXPECT_EQ(store.get_project_family_enum(), DEV_FAMILY_GENERIC);
    EXPECT_EQ(store.get_project_part_enum(), DEV_PART_GENERIC);
    EXPECT_EQ(store.get_top_level_entity_name(), "");
    EXPECT_EQ(store.get_project_name(), nullptr);
    EXPECT_EQ(store.get_non_project_asgn_coll(), nullptr);
    EXPECT_TRUE(store.get_change_list_begin_iter() == store.get_change_list_end_iter());
    // Every null store hands out the same empty name.
    ACF_MANAGER_STORAGE_NULL other;
    EXPECT_EQ(&store.get_top_level_entity_name(), &other.get_top_level_entity_name());
}

} // namespace
