// Invariants of the catalogue's data tables: what every lookup relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "acf_table.h"
#include "catalogue/acf_table_columns.h"
#include "catalogue/acf_table_enum_data.h"

namespace {

std::string folded(char const* text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

bool is_internal_name(char const* text) {
    if (text[0] == '\0') {
        return false;
    }
    for (char const* c = text; *c != '\0'; ++c) {
        if (!((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '_')) {
            return false;
        }
    }
    return true;
}

bool is_flag_text(char const* text, size_t length) {
    return std::strlen(text) == length && std::strspn(text, "01") == length;
}

ACF_VARIABLE_TYPE_ENUM type_of(int index) {
    return static_cast<ACF_VARIABLE_TYPE_ENUM>(index + 1);
}

TEST(AcfCatalogueData, InternalNamesAreUniqueWellFormedAndOnlyOnAssignedNumbers) {
    std::map<std::string, int> seen;
    int assigned = 0;
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        char const* name = acf_variable_strings[i];
        ASSERT_NE(name, nullptr) << i + 1;
        if (name[0] == '\0') {
            continue;
        }
        ++assigned;
        EXPECT_TRUE(is_internal_name(name)) << name;
        EXPECT_TRUE(seen.emplace(folded(name), i + 1).second) << name;
    }
    EXPECT_EQ(assigned, 1561);
    EXPECT_EQ(acf_variable_strings[ACF_VARIABLE_COUNT], nullptr);
    EXPECT_STREQ(acf_variable_strings[59], ""); // 60 is unassigned
}

TEST(AcfCatalogueData, EveryNameLeadsBackToItsVariable) {
    // User names and UI names may not take another variable's internal or user
    // name: the lookup's order of precedence would hide that variable.
    std::map<std::string, ACF_VARIABLE_TYPE_ENUM> owner;
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_strings[i][0] != '\0') {
            owner.emplace(folded(acf_variable_strings[i]), type_of(i));
        }
    }
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        char const* user_name = acf_variable_names[i];
        ASSERT_NE(user_name, nullptr);
        if (user_name[0] == '\0') {
            continue;
        }
        auto found = owner.find(folded(user_name));
        EXPECT_TRUE(found == owner.end() || found->second == type_of(i)) << user_name;
        EXPECT_EQ(acf_user_name_to_variable_type_enum(user_name), type_of(i)) << user_name;
        owner.emplace(folded(user_name), type_of(i));
    }
    for (int i = 0; acf_variable_old_names[i] != nullptr; ++i) {
        ACF_VARIABLE_TYPE_ENUM target = acf_variable_old_names_enum_values[i];
        EXPECT_STRNE(acf_variable_type_to_string(target), "") << acf_variable_old_names[i];
        EXPECT_EQ(acf_string_to_variable_type_enum(acf_variable_old_names[i]),
                  ACF_VARIABLE_TYPE_NONE)
            << acf_variable_old_names[i];
        EXPECT_EQ(acf_user_name_to_variable_type_enum(acf_variable_old_names[i]), target)
            << acf_variable_old_names[i];
    }
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        char const* ui_name = acf_variable_ui_names[i];
        if (ui_name[0] != '\0') {
            EXPECT_NE(acf_user_name_to_variable_type_enum(ui_name), ACF_VARIABLE_TYPE_NONE)
                << ui_name;
        }
    }
}

TEST(AcfCatalogueData, TextColumnsAreNeverNullAndFlagTextsHaveTheirLengths) {
    for (int type = 0; type <= ACF_VARIABLE_COUNT + 1; ++type) {
        SCOPED_TRACE(type);
        EXPECT_TRUE(is_flag_text(acf_variable_traits[type], ACF_TRAIT_TEXT_LENGTH));
        char const* families = acf_variable_families[type];
        EXPECT_TRUE(families[0] == '\0' || is_flag_text(families, ACF_FAMILY_TEXT_LENGTH));
        char const* categories = acf_variable_ase_categories[type];
        EXPECT_TRUE(categories[0] == '\0' ||
                    is_flag_text(categories, ACF_ASE_CATEGORY_TEXT_LENGTH));
        ASSERT_NE(acf_tcl_set_functions[type], nullptr);
    }
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        EXPECT_NE(acf_variable_names[i], nullptr);
        EXPECT_NE(acf_variable_ui_names[i], nullptr);
        EXPECT_NE(acf_variable_descriptions[i], nullptr);
        EXPECT_NE(acf_variable_smart_strings[i], nullptr);
    }
    // Type 0 and the end marker: GENERIC_TRAIT only; the end marker names family 56
    // only and no editor category.
    std::string const generic_only = "1" + std::string(ACF_TRAIT_TEXT_LENGTH - 1, '0');
    EXPECT_EQ(acf_variable_traits[0], generic_only);
    EXPECT_EQ(acf_variable_traits[ACF_VARIABLE_COUNT + 1], generic_only);
    EXPECT_STREQ(acf_variable_families[0], "");
    EXPECT_EQ(acf_variable_families[ACF_VARIABLE_COUNT + 1],
              std::string(DEV_FAMILY_GENERIC, '0') + "1");
    EXPECT_EQ(acf_variable_ase_categories[ACF_VARIABLE_COUNT + 1],
              std::string(ASE_CATEGORY_MAX, '0'));
}

TEST(AcfCatalogueData, ValueTypesMatchTheValueRows) {
    std::set<ACF_VARIABLE_TYPE_ENUM> with_rows;
    ACF_VARIABLE_TYPE_ENUM previous = ACF_VARIABLE_TYPE_NONE;
    for (ACF_VALUE_SEMANTIC_INFO const* row = acf_value_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        SCOPED_TRACE(acf_variable_type_to_string(row->variable));
        // The rows of one variable stay together.
        EXPECT_TRUE(row->variable == previous || with_rows.count(row->variable) == 0);
        with_rows.insert(row->variable);
        previous = row->variable;
        EXPECT_NE(acf_enum_type_to_string(row->value), nullptr);
        EXPECT_TRUE(row->family > DEV_FAMILY_INVALID && row->family <= DEV_FAMILY_GENERIC);
    }
    for (int i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_strings[i][0] == '\0') {
            EXPECT_EQ(acf_variable_value_types[i], ACF_VALUE_TYPE_NONE);
            continue;
        }
        SCOPED_TRACE(acf_variable_strings[i]);
        EXPECT_GE(acf_variable_value_types[i], ACF_VALUE_TYPE_BOOL);
        EXPECT_LE(acf_variable_value_types[i], ACF_VALUE_TYPE_LOCATION);
        EXPECT_EQ(acf_variable_value_types[i] == ACF_VALUE_TYPE_ENUM,
                  with_rows.count(type_of(i)) == 1);
    }
    for (ACF_VARIABLE_DISPLAY_ENUM_AS const* row = acf_variable_display_enum_as;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        EXPECT_TRUE(acf_is_valid_enum_value(row->variable, row->value)) << row->text;
    }
}

TEST(AcfCatalogueData, ValueNamesAndUserStringsDoNotCollide) {
    std::map<std::string, int> names;
    for (int i = 0; i < ACF_LAST_ENUM_VALUE; ++i) {
        if (acf_value_strings[i] != nullptr) {
            EXPECT_TRUE(is_internal_name(acf_value_strings[i])) << acf_value_strings[i];
            EXPECT_TRUE(names.emplace(folded(acf_value_strings[i]), i + 1).second)
                << acf_value_strings[i];
        }
        EXPECT_EQ(acf_value_strings[i] == nullptr, acf_value_user_strings[i] == nullptr) << i + 1;
    }
    EXPECT_EQ(names.size(), 454u);
    for (int i = 0; i < ACF_LAST_ENUM_VALUE; ++i) {
        if (acf_value_user_strings[i] == nullptr) {
            continue;
        }
        EXPECT_STRNE(acf_value_user_strings[i], "");
        auto found = names.find(folded(acf_value_user_strings[i]));
        EXPECT_TRUE(found == names.end() || found->second == i + 1) << acf_value_user_strings[i];
        EXPECT_EQ(acf_string_to_enum_type_enum(acf_value_user_strings[i]), i + 1)
            << acf_value_user_strings[i];
    }
}

TEST(AcfCatalogueData, SectionNamesAreUnique) {
    std::set<std::string> names;
    for (int i = 0; i < ACF_LAST_SECTION_TYPE; ++i) {
        EXPECT_TRUE(is_internal_name(acf_section_strings[i])) << acf_section_strings[i];
        EXPECT_TRUE(names.insert(folded(acf_section_strings[i])).second) << acf_section_strings[i];
        EXPECT_NE(acf_section_user_strings[i], nullptr);
        EXPECT_NE(acf_section_old_name_strings[i], nullptr);
    }
    EXPECT_EQ(acf_section_strings[ACF_LAST_SECTION_TYPE], nullptr);
}

} // namespace
