// Lookups over the settings variables: names, texts, classification and the two
// name maps.
#include <cstring>
#include <unordered_map>

#include "acf_internal_error.h"
#include "acf_table.h"
#include "catalogue/acf_table_columns.h"
#include "catalogue/acf_table_names.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {

using NAME_MAP =
    std::unordered_map<char const*, ACF_VARIABLE_TYPE_ENUM, ACF_NAME_HASH, ACF_NAME_EQUAL>;

ACF_LAZY_MAP<NAME_MAP> g_user_name_map;
ACF_LAZY_MAP<NAME_MAP> g_internal_name_map;

bool is_variable(ACF_VARIABLE_TYPE_ENUM type) {
    return type > ACF_VARIABLE_TYPE_NONE && type < ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE;
}

// Text of a type-1 column; "" for type 0 and numbers outside the table.
char const* row_text(char const* const* column, ACF_VARIABLE_TYPE_ENUM type) {
    return is_variable(type) ? column[type - 1] : "";
}

ACF_VARIABLE_TYPE_ENUM type_at(int32_t index) {
    return static_cast<ACF_VARIABLE_TYPE_ENUM>(index + 1);
}

// An earlier source of a key wins: user names, old names, internal names, UI names.
NAME_MAP* build_user_name_map() {
    NAME_MAP* map = MEM_NEW(ACF, NAME_MAP)();
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_names[i][0] != '\0') {
            map->emplace(acf_variable_names[i], type_at(i));
        }
    }
    for (int32_t i = 0; acf_variable_old_names[i] != nullptr; ++i) {
        if (acf_variable_old_names[i][0] != '\0') {
            map->emplace(acf_variable_old_names[i], acf_variable_old_names_enum_values[i]);
        }
    }
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_strings[i][0] != '\0') {
            map->emplace(acf_variable_strings[i], type_at(i));
        }
    }
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_ui_names[i][0] != '\0') {
            map->emplace(acf_variable_ui_names[i], type_at(i));
        }
    }
    return map;
}

NAME_MAP* build_internal_name_map() {
    NAME_MAP* map = MEM_NEW(ACF, NAME_MAP)();
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_strings[i][0] != '\0') {
            map->emplace(acf_variable_strings[i], type_at(i));
        }
    }
    return map;
}

ACF_VARIABLE_TYPE_ENUM find(NAME_MAP const& map, char const* name) {
    if (gen_is_empty_string(name)) {
        return ACF_VARIABLE_TYPE_NONE;
    }
    auto found = map.find(name);
    return found == map.end() ? ACF_VARIABLE_TYPE_NONE : found->second;
}

// '1' at the index of a flag text, which is either empty or `length` long.
bool flag_at(char const* text, int32_t index, int32_t length) {
    return index >= 0 && index < length && text[0] != '\0' && text[index] == '1';
}

} // namespace

char const* acf_variable_type_to_string(ACF_VARIABLE_TYPE_ENUM type) {
    return row_text(acf_variable_strings, type);
}

char const* acf_get_variable_user_name(ACF_VARIABLE_TYPE_ENUM type) {
    char const* user_name = row_text(acf_variable_names, type);
    return user_name[0] != '\0' ? user_name : acf_variable_type_to_string(type);
}

char const* acf_get_variable_ui_name_string(ACF_VARIABLE_TYPE_ENUM type) {
    char const* ui_name = row_text(acf_variable_ui_names, type);
    return ui_name[0] != '\0' ? ui_name : acf_get_variable_user_name(type);
}

char const* acf_get_variable_desc(ACF_VARIABLE_TYPE_ENUM type) {
    return row_text(acf_variable_descriptions, type);
}

char const* acf_get_variable_cmp_smart_action_string(ACF_VARIABLE_TYPE_ENUM type) {
    return row_text(acf_variable_smart_strings, type);
}

int acf_get_value_type(ACF_VARIABLE_TYPE_ENUM type) {
    return is_variable(type) ? acf_variable_value_types[type - 1] : ACF_VALUE_TYPE_NONE;
}

int acf_get_resolution(ACF_VARIABLE_TYPE_ENUM type) {
    return is_variable(type) ? acf_variable_resolution_types[type - 1] : 0;
}

bool acf_test_variable_trait_of(ACF_VARIABLE_TYPE_ENUM type, ACF_VARIABLE_TRAIT_TYPE_ENUM trait) {
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return trait == ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE ||
               trait == ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM;
    }
    return is_variable(type) && flag_at(acf_variable_traits[type], trait, ACF_TRAIT_TEXT_LENGTH);
}

bool acf_variable_includes_family(ACF_VARIABLE_TYPE_ENUM type, DEV_FAMILY_ENUM family) {
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return true;
    }
    if (!is_variable(type)) {
        return false;
    }
    char const* families = acf_variable_families[type];
    return families[0] == '\0' || flag_at(families, family, ACF_FAMILY_TEXT_LENGTH);
}

bool acf_variable_includes_ase_category(ACF_VARIABLE_TYPE_ENUM type, ASE_CATEGORY_ENUM category) {
    return is_variable(type) &&
           flag_at(acf_variable_ase_categories[type], category, ACF_ASE_CATEGORY_TEXT_LENGTH);
}

bool acf_variable_includes_any_ase_category(ACF_VARIABLE_TYPE_ENUM type) {
    return is_variable(type) && acf_variable_ase_categories[type][0] != '\0';
}

char const* acf_get_variable_tcl_set_function(ACF_VARIABLE_TYPE_ENUM type, bool is_global,
                                              bool is_parameter) {
    if (is_variable(type) && acf_tcl_set_functions[type][0] != '\0') {
        return acf_tcl_set_functions[type];
    }
    if (is_parameter) {
        return "set_parameter";
    }
    return is_global ? "set_global_assignment" : "set_instance_assignment";
}

void acf_get_list_of_variables_for_trait(ACF_VARIABLE_TRAIT_TYPE_ENUM trait,
                                         std::list<ACF_VARIABLE_TYPE_ENUM>* variable_list) {
    if (!ACF_REQUIRE(variable_list != NULL)) {
        return;
    }
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_test_variable_trait_of(type_at(i), trait)) {
            variable_list->push_back(type_at(i));
        }
    }
}

ACF_VARIABLE_TYPE_ENUM acf_user_name_to_variable_type_enum(char const* name) {
    return find(g_user_name_map.get(build_user_name_map), name);
}

ACF_VARIABLE_TYPE_ENUM acf_user_name_to_variable_type(char const* name) {
    return acf_user_name_to_variable_type_enum(name);
}

ACF_VARIABLE_TYPE_ENUM acf_string_to_variable_type_enum(char const* name) {
    return find(g_internal_name_map.get(build_internal_name_map), name);
}

ACF_VARIABLE_TYPE_ENUM acf_string_to_variable_type(char const* name) {
    return acf_string_to_variable_type_enum(name);
}

int acf_get_gui_location_for_variable(ACF_VARIABLE_TYPE_ENUM type) {
    for (int32_t i = 0; acf_variable_gui_location[i].variable != ACF_VARIABLE_TYPE_NONE; ++i) {
        if (acf_variable_gui_location[i].variable == type) {
            return acf_variable_gui_location[i].location;
        }
    }
    return 0;
}

bool acf_os_based_compare(char const* a, char const* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

bool acf_check_debug_flag(bool flag) {
    return !flag;
}

ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER() {
    for (int32_t i = 0; i < ACF_VARIABLE_COUNT; ++i) {
        if (acf_variable_strings[i][0] != '\0') {
            m_list.push_back(type_at(i));
        }
    }
}

ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER* ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::get_instance() {
    static ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER instance;
    return &instance;
}

ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::LIST::const_iterator
acf_begin_const_iter_for_acf_variable_type_enum() {
    return ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::get_instance()->get_list().begin();
}

ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::LIST::const_iterator
acf_end_const_iter_for_acf_variable_type_enum() {
    return ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::get_instance()->get_list().end();
}

void acf_table_free_lookup_maps() {
    g_user_name_map.free();
    g_internal_name_map.free();
    acf_table_free_enum_maps();
}
