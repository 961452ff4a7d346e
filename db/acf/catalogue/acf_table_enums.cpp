// Sections, enumerated values, arguments, traits and features: their tables and
// conversions in both directions.
#include <cstring>
#include <map>

#include "acf_internal_error.h"
#include "acf_table.h"
#include "catalogue/acf_table_enum_data.h"
#include "catalogue/acf_table_names.h"

MEM_UNIT_INITIALIZER(ACF);

// Section names, user names and old names, indexed by section - 1, null-ended.
char const* const acf_section_strings[] = {
#define ACF_SECTION(N, NAME, USER, OLD) #NAME,
#include "acf_table_sections.def"
#undef ACF_SECTION
    nullptr};
char const* const acf_section_user_strings[] = {
#define ACF_SECTION(N, NAME, USER, OLD) USER,
#include "acf_table_sections.def"
#undef ACF_SECTION
    nullptr};
char const* const acf_section_old_name_strings[] = {
#define ACF_SECTION(N, NAME, USER, OLD) OLD,
#include "acf_table_sections.def"
#undef ACF_SECTION
    nullptr};

// Value names and user strings, indexed by value - 1, null-ended; unassigned
// numbers have no texts.
char const* const acf_value_strings[] = {
#define ACF_VALUE(N, NAME, USER) #NAME,
#define ACF_UNASSIGNED_VALUE(N) nullptr,
#include "acf_table_values.def"
#undef ACF_VALUE
#undef ACF_UNASSIGNED_VALUE
    nullptr};
char const* const acf_value_user_strings[] = {
#define ACF_VALUE(N, NAME, USER) USER,
#define ACF_UNASSIGNED_VALUE(N) nullptr,
#include "acf_table_values.def"
#undef ACF_VALUE
#undef ACF_UNASSIGNED_VALUE
    nullptr};

// Which values each enumeration variable offers; rows of one variable together.
ACF_VALUE_SEMANTIC_INFO const acf_value_semantics[] = {
#define ACF_VALUE_ROW(VARIABLE, VALUE, DEBUG, FAMILY)                                              \
    {ACF_VARIABLE_TYPE_##VARIABLE, ACF_ENUM_VALUE_##VALUE, DEBUG, DEV_FAMILY_##FAMILY},
#include "catalogue/acf_table_value_rows.def"
#undef ACF_VALUE_ROW
    {ACF_VARIABLE_TYPE_NONE, ACF_ENUM_VALUE_NONE, false, DEV_FAMILY_GENERIC}};

// Variable-specific display texts of values.
ACF_VARIABLE_DISPLAY_ENUM_AS const acf_variable_display_enum_as[] = {
#define ACF_DISPLAY_ROW(VARIABLE, VALUE, TEXT)                                                     \
    {ACF_VARIABLE_TYPE_##VARIABLE, ACF_ENUM_VALUE_##VALUE, TEXT},
#include "catalogue/acf_table_display_rows.def"
#undef ACF_DISPLAY_ROW
    {ACF_VARIABLE_TYPE_NONE, ACF_ENUM_VALUE_NONE, nullptr}};

ACF_ARGUMENT_SEMANTIC_INFO const acf_argument_semantics[] = {
    {ACF_ARGUMENT_TYPE_NONE, "", "", "", "", ACF_VALUE_TYPE_NONE, "1000000", 0},
    {ACF_ARGUMENT_TYPE_HDL_VERSION, "HDL_VERSION", "hdl_version", "HDL version used", "",
     ACF_VALUE_TYPE_STRING, "0100000", 0},
    {ACF_ARGUMENT_TYPE_TIP, "TIP", "tip", "TIP file name", "", ACF_VALUE_TYPE_FILE, "0100000", 0},
    {ACF_ARGUMENT_TYPE_SIP, "SIP", "sip", "SIP file name", "", ACF_VALUE_TYPE_FILE, "0100000", 0},
    {ACF_ARGUMENT_TYPE_RISE, "RISE", "rise", "Rising edge", "", ACF_VALUE_TYPE_BOOL, "0000010", 0},
    {ACF_ARGUMENT_TYPE_FALL, "FALL", "fall", "Falling edge", "", ACF_VALUE_TYPE_BOOL, "0000010", 0},
    {ACF_ARGUMENT_TYPE_WIDTH, "WIDTH", "width", "Brackfield region width", "", ACF_VALUE_TYPE_INT,
     "0000010", 0},
    {ACF_ARGUMENT_TYPE_HEIGHT, "HEIGHT", "height", "Brackfield region height", "",
     ACF_VALUE_TYPE_INT, "0000010", 0},
    {ACF_ARGUMENT_TYPE_CREATED_BY, "CREATED_BY", "tag", "Tags generic data to the assignment", "",
     ACF_VALUE_TYPE_STRING, "0100000", 1},
    {ACF_ARGUMENT_TYPE_LIBRARY, "LIBRARY", "library", "VHDL Library", "", ACF_VALUE_TYPE_FILE,
     "0100000", 1},
    {ACF_ARGUMENT_TYPE_FAMILY, "FAMILY", "family", "Device family", "", ACF_VALUE_TYPE_STRING,
     "1000000", 1},
};
// Former argument names: none.
char const* const acf_old_argument_names[] = {nullptr};
ACF_ARGUMENT_TYPE_ENUM const acf_old_argument_names_enum_values[] = {ACF_ARGUMENT_TYPE_NONE};
// Argument values: only the empty entry and the end entry.
char const* const acf_argument_value_strings[] = {"", nullptr};
char const* const acf_argument_value_user_strings[] = {"", nullptr};

char const* const acf_variable_trait_to_string_array[] = {
#define ACF_VARIABLE_TRAIT(N, NAME) #NAME,
#include "acf_table_traits.def"
#undef ACF_VARIABLE_TRAIT
    "ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE", nullptr};

struct ACF_FEATURE_SEMANTIC_INFO {
    ACF_FEATURE_TYPE_ENUM feature;
    ACF_VARIABLE_TRAIT_TYPE_ENUM trait;
};
ACF_FEATURE_SEMANTIC_INFO const acf_feature_semantics[] = {
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
    {ACF_FEATURE_TYPE_MAX_FEATURE_TYPE, ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT}};

namespace {

using SECTION_MAP = std::map<char const*, ACF_SECTION_TYPE_ENUM, ACF_NAME_LESS>;
using VALUE_MAP = std::map<char const*, ACF_ENUM_VALUE_ENUM, ACF_NAME_LESS>;

ACF_LAZY_MAP<SECTION_MAP> g_section_map;
ACF_LAZY_MAP<SECTION_MAP> g_section_user_map;
ACF_LAZY_MAP<VALUE_MAP> g_value_map;
ACF_LAZY_MAP<ACF_FEATURE_TO_TRAIT_MAP> g_feature_map;

std::atomic<DEV_FAMILY_ENUM (*)()> g_project_family_query{nullptr};

ACF_SECTION_TYPE_ENUM section_at(int32_t index) {
    return static_cast<ACF_SECTION_TYPE_ENUM>(index + 1);
}
ACF_ENUM_VALUE_ENUM value_at(int32_t index) {
    return static_cast<ACF_ENUM_VALUE_ENUM>(index + 1);
}

bool is_section(ACF_SECTION_TYPE_ENUM section) {
    return section > ACF_SECTION_TYPE_NONE && section <= ACF_LAST_SECTION_TYPE;
}
bool is_value(ACF_ENUM_VALUE_ENUM value) {
    return value > ACF_ENUM_VALUE_NONE && value <= ACF_LAST_ENUM_VALUE;
}

SECTION_MAP* build_section_map() {
    SECTION_MAP* map = MEM_NEW(ACF, SECTION_MAP)();
    for (int32_t i = 0; i < ACF_LAST_SECTION_TYPE; ++i) {
        map->emplace(acf_section_strings[i], section_at(i));
    }
    return map;
}

// User names, then old names, then names; an earlier key is never replaced.
SECTION_MAP* build_section_user_map() {
    SECTION_MAP* map = MEM_NEW(ACF, SECTION_MAP)();
    for (char const* const* column :
         {acf_section_user_strings, acf_section_old_name_strings, acf_section_strings}) {
        for (int32_t i = 0; i < ACF_LAST_SECTION_TYPE; ++i) {
            if (column[i][0] != '\0') {
                map->emplace(column[i], section_at(i));
            }
        }
    }
    return map;
}

VALUE_MAP* build_value_map() {
    VALUE_MAP* map = MEM_NEW(ACF, VALUE_MAP)();
    for (int32_t i = 0; i < ACF_LAST_ENUM_VALUE; ++i) {
        if (acf_value_strings[i] != nullptr) {
            map->emplace(acf_value_strings[i], value_at(i));
        }
    }
    for (int32_t i = 0; i < ACF_LAST_ENUM_VALUE; ++i) {
        if (acf_value_user_strings[i] != nullptr &&
            gen_stricmp(acf_value_user_strings[i], acf_value_strings[i]) != 0) {
            map->emplace(acf_value_user_strings[i], value_at(i));
        }
    }
    return map;
}

ACF_FEATURE_TO_TRAIT_MAP* build_feature_map() {
    ACF_FEATURE_TO_TRAIT_MAP* map = MEM_NEW(ACF, ACF_FEATURE_TO_TRAIT_MAP)();
    for (int32_t i = 0; acf_feature_semantics[i].feature != ACF_FEATURE_TYPE_MAX_FEATURE_TYPE;
         ++i) {
        map->emplace(acf_feature_semantics[i].feature, acf_feature_semantics[i].trait);
    }
    return map;
}

template <class MAP> typename MAP::mapped_type find(MAP const& map, char const* text) {
    if (gen_is_empty_string(text)) {
        return typename MAP::mapped_type{};
    }
    auto found = map.find(text);
    return found == map.end() ? typename MAP::mapped_type{} : found->second;
}

ACF_ARGUMENT_TYPE_ENUM const k_argument_count = static_cast<ACF_ARGUMENT_TYPE_ENUM>(
    sizeof(acf_argument_semantics) / sizeof(acf_argument_semantics[0]));

// First argument whose column text equals the text ignoring ASCII case.
ACF_ARGUMENT_TYPE_ENUM find_argument(char const* ACF_ARGUMENT_SEMANTIC_INFO::*column,
                                     char const* text) {
    for (int32_t i = 0; i < k_argument_count; ++i) {
        char const* candidate = acf_argument_semantics[i].*column;
        if (candidate[0] != '\0' && gen_stricmp(candidate, text) == 0) {
            return acf_argument_semantics[i].argument;
        }
    }
    return ACF_ARGUMENT_TYPE_NONE;
}

} // namespace

char const* acf_get_section_name(ACF_SECTION_TYPE_ENUM section) {
    return is_section(section) ? acf_section_strings[section - 1] : nullptr;
}

char const* acf_get_section_user_name(ACF_SECTION_TYPE_ENUM section) {
    return is_section(section) ? acf_section_user_strings[section - 1] : nullptr;
}

ACF_SECTION_TYPE_ENUM acf_string_to_section_type_enum(char const* name) {
    return find(g_section_map.get(build_section_map), name);
}

ACF_SECTION_TYPE_ENUM acf_string_to_section_type(char const* name) {
    return acf_string_to_section_type_enum(name);
}

ACF_SECTION_TYPE_ENUM acf_user_string_to_section_type_enum(char const* name) {
    return find(g_section_user_map.get(build_section_user_map), name);
}

char const* acf_enum_type_to_string(ACF_ENUM_VALUE_ENUM value) {
    return is_value(value) ? acf_value_strings[value - 1] : nullptr;
}

char const* acf_enum_type_to_user_string(ACF_ENUM_VALUE_ENUM value) {
    return is_value(value) ? acf_value_user_strings[value - 1] : nullptr;
}

ACF_ENUM_VALUE_ENUM acf_string_to_enum_type_enum(char const* text) {
    return find(g_value_map.get(build_value_map), text);
}

ACF_ENUM_VALUE_ENUM acf_string_to_enum_type(char const* text) {
    return acf_string_to_enum_type_enum(text);
}

ACF_ENUM_VALUE_ENUM acf_user_string_to_enum_type(char const* text) {
    return acf_string_to_enum_type_enum(text);
}

ACF_ENUM_VALUE_ENUM acf_user_string_to_enum_type_enum(char const* text) {
    return acf_string_to_enum_type_enum(text);
}

bool acf_is_valid_enum_value(ACF_VARIABLE_TYPE_ENUM variable, ACF_ENUM_VALUE_ENUM value) {
    bool seen = false;
    for (ACF_VALUE_SEMANTIC_INFO const* row = acf_value_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->variable == variable) {
            seen = true;
            if (row->value == value) {
                return true;
            }
        } else if (seen) {
            return false;
        }
    }
    return false;
}

bool acf_is_value_debug(ACF_VARIABLE_TYPE_ENUM variable, ACF_ENUM_VALUE_ENUM value) {
    if (variable == ACF_VARIABLE_TYPE_NONE || value == ACF_ENUM_VALUE_NONE) {
        return false;
    }
    for (ACF_VALUE_SEMANTIC_INFO const* row = acf_value_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->variable == variable && row->value == value) {
            return row->debug;
        }
    }
    return false;
}

void acf_set_project_family_query(DEV_FAMILY_ENUM (*query)()) {
    g_project_family_query.store(query);
}

DEV_FAMILY_ENUM acf_get_project_family_enum() {
    DEV_FAMILY_ENUM (*query)() = g_project_family_query.load();
    return query != nullptr ? query() : DEV_FAMILY_GENERIC;
}

std::vector<ACF_ENUM_VALUE_ENUM> acf_get_variable_enum_value_types(ACF_VARIABLE_TYPE_ENUM variable,
                                                                   bool include_debug,
                                                                   DEV_FAMILY_ENUM family) {
    if (family == DEV_FAMILY_GENERIC) {
        DEV_FAMILY_ENUM (*query)() = g_project_family_query.load();
        if (query != nullptr) {
            family = query();
        }
    }
    std::vector<ACF_VALUE_SEMANTIC_INFO const*> collected;
    bool any_family_specific = false;
    bool any_for_family = false;
    for (ACF_VALUE_SEMANTIC_INFO const* row = acf_value_semantics;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->variable != variable) {
            if (!collected.empty()) {
                break;
            }
            continue;
        }
        if (row->debug && !include_debug) {
            continue;
        }
        collected.push_back(row);
        any_family_specific |= row->family != DEV_FAMILY_GENERIC;
        any_for_family |= row->family == family;
    }
    DEV_FAMILY_ENUM const wanted = any_for_family ? family : DEV_FAMILY_GENERIC;
    std::vector<ACF_ENUM_VALUE_ENUM> values;
    for (ACF_VALUE_SEMANTIC_INFO const* row : collected) {
        if (!any_family_specific || row->family == wanted) {
            values.push_back(row->value);
        }
    }
    return values;
}

char const* acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_ENUM variable,
                                           ACF_ENUM_VALUE_ENUM value) {
    for (ACF_VARIABLE_DISPLAY_ENUM_AS const* row = acf_variable_display_enum_as;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->variable == variable && row->value == value && row->text != nullptr) {
            return row->text;
        }
    }
    return acf_enum_type_to_user_string(value);
}

ACF_ENUM_VALUE_ENUM acf_variable_ui_string_to_enum(ACF_VARIABLE_TYPE_ENUM variable,
                                                   char const* text, bool fall_back) {
    if (text != nullptr) {
        for (ACF_VARIABLE_DISPLAY_ENUM_AS const* row = acf_variable_display_enum_as;
             row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
            if (row->variable == variable && row->value != ACF_ENUM_VALUE_NONE &&
                row->text != nullptr && std::strcmp(row->text, text) == 0) {
                return row->value;
            }
        }
    }
    return fall_back ? acf_string_to_enum_type_enum(text) : ACF_ENUM_VALUE_NONE;
}

ACF_ARGUMENT_SEMANTIC_INFO const* acf_get_argument_semantics(ACF_ARGUMENT_TYPE_ENUM argument) {
    for (int32_t i = 0; i < k_argument_count; ++i) {
        if (acf_argument_semantics[i].argument == argument) {
            return &acf_argument_semantics[i];
        }
    }
    return nullptr;
}

char const* acf_convert_argument_to_string(ACF_ARGUMENT_TYPE_ENUM argument) {
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    return row != nullptr ? row->name : "";
}

ACF_ARGUMENT_TYPE_ENUM acf_convert_argument_string_to_enum(char const* text) {
    if (gen_is_empty_string(text)) {
        return ACF_ARGUMENT_TYPE_NONE;
    }
    ACF_ARGUMENT_TYPE_ENUM found = find_argument(&ACF_ARGUMENT_SEMANTIC_INFO::name, text);
    for (int32_t i = 0; found == ACF_ARGUMENT_TYPE_NONE && acf_old_argument_names[i] != nullptr;
         ++i) {
        if (gen_stricmp(acf_old_argument_names[i], text) == 0) {
            found = acf_old_argument_names_enum_values[i];
        }
    }
    if (found == ACF_ARGUMENT_TYPE_NONE) {
        found = find_argument(&ACF_ARGUMENT_SEMANTIC_INFO::tsf_name, text);
    }
    if (found == ACF_ARGUMENT_TYPE_NONE) {
        found = find_argument(&ACF_ARGUMENT_SEMANTIC_INFO::ui_name, text);
    }
    return found;
}

char const* acf_get_argument_ui_name(ACF_ARGUMENT_TYPE_ENUM argument) {
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    if (row == nullptr) {
        return "";
    }
    return row->ui_name[0] != '\0' ? row->ui_name : row->name;
}

char const* acf_get_argument_tsf_name(ACF_ARGUMENT_TYPE_ENUM argument) {
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    return row != nullptr ? row->tsf_name : "";
}

char const* acf_get_argument_description(ACF_ARGUMENT_TYPE_ENUM argument) {
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    return row != nullptr ? row->description : "";
}

int acf_get_argument_type(ACF_ARGUMENT_TYPE_ENUM argument) {
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    return row != nullptr ? row->value_type : ACF_VALUE_TYPE_NONE;
}

bool acf_does_argument_require_value(ACF_ARGUMENT_TYPE_ENUM argument) {
    return acf_get_argument_type(argument) > ACF_VALUE_TYPE_BOOL;
}

bool acf_get_argument_integer_range(ACF_ARGUMENT_TYPE_ENUM, int&, int&) {
    return false;
}

bool acf_test_argument_trait_of(ACF_ARGUMENT_TYPE_ENUM argument,
                                ACF_ARGUMENT_TRAIT_TYPE_ENUM trait) {
    if (argument == ACF_ARGUMENT_TYPE_NONE) {
        return trait == ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE;
    }
    ACF_ARGUMENT_SEMANTIC_INFO const* row = acf_get_argument_semantics(argument);
    return row != nullptr && trait >= 0 && trait < ACF_ARGUMENT_TRAIT_TYPE_MAX_TRAIT_TYPE &&
           row->traits[trait] == '1';
}

void acf_get_argument_value_types(ACF_ARGUMENT_TYPE_ENUM,
                                  std::vector<ACF_ARGUMENT_ENUM_VALUE_ENUM>* coll) {
    ACF_REQUIRE(coll != NULL);
}

ACF_ARGUMENT_ENUM_VALUE_ENUM acf_get_argument_value_enum_from_string(char const* text) {
    if (gen_is_empty_string(text)) {
        return ACF_ARGUMENT_ENUM_VALUE_NONE;
    }
    for (int32_t i = 1; acf_argument_value_user_strings[i] != nullptr; ++i) {
        if (gen_stricmp(acf_argument_value_user_strings[i], text) == 0) {
            return static_cast<ACF_ARGUMENT_ENUM_VALUE_ENUM>(i);
        }
    }
    return ACF_ARGUMENT_ENUM_VALUE_NONE;
}

char const* acf_get_argument_value_string_from_enum(ACF_ARGUMENT_ENUM_VALUE_ENUM value) {
    return value >= 0 && value < ACF_ARGUMENT_ENUM_VALUE_MAX
               ? acf_argument_value_user_strings[value]
               : nullptr;
}

char const* acf_variable_trait_to_string(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) {
    return trait >= 0 && trait <= ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE
               ? acf_variable_trait_to_string_array[trait]
               : nullptr;
}

ACF_VARIABLE_TRAIT_TYPE_ENUM acf_string_to_variable_trait(char const* text) {
    if (gen_is_empty_string(text)) {
        return ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT;
    }
    for (int32_t i = 0; i <= ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE; ++i) {
        if (gen_stricmp(acf_variable_trait_to_string_array[i], text) == 0) {
            return static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(i);
        }
    }
    return ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT;
}

ACF_FEATURE_TO_TRAIT_MAP const& acf_get_feature_to_trait_map() {
    return g_feature_map.get(build_feature_map);
}

void acf_table_free_enum_maps() {
    g_section_map.free();
    g_section_user_map.free();
    g_value_map.free();
    g_feature_map.free();
}
