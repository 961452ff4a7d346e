// The catalogue's constant per-variable columns, produced from
// acf_table_variables.def. Two indexings, as stored data and callers expect them:
//   by type - 1 (entry 0 is variable 1; a null entry follows variable 1564):
//     names, texts, value and resolution types;
//   by type (entry 0 is type 0, entry 1565 the end marker): traits, families,
//     editor categories and Tcl set commands.
// Unassigned numbers have empty texts, code 0 and all-'0' traits.
#pragma once

#include <cstdint>

#include "acf_table_types.h"

constexpr int32_t ACF_VARIABLE_COUNT = ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE - 1;
constexpr int32_t ACF_TRAIT_TEXT_LENGTH = ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE; // 63
constexpr int32_t ACF_FAMILY_TEXT_LENGTH = DEV_FAMILY_GENERIC + 1;                // 57
constexpr int32_t ACF_ASE_CATEGORY_TEXT_LENGTH = ASE_CATEGORY_MAX;                // 45

// Indexed by type - 1.
extern char const* const acf_variable_strings[ACF_VARIABLE_COUNT + 1];
extern char const* const acf_variable_names[ACF_VARIABLE_COUNT + 1];
extern char const* const acf_variable_ui_names[ACF_VARIABLE_COUNT + 1];
extern char const* const acf_variable_descriptions[ACF_VARIABLE_COUNT + 1];
extern char const* const acf_variable_smart_strings[ACF_VARIABLE_COUNT + 1];
extern int32_t const acf_variable_value_types[ACF_VARIABLE_COUNT + 1];
extern int32_t const acf_variable_resolution_types[ACF_VARIABLE_COUNT + 1];

// Indexed by type.
extern char const* const acf_variable_traits[ACF_VARIABLE_COUNT + 2];
extern char const* const acf_variable_families[ACF_VARIABLE_COUNT + 2];
extern char const* const acf_variable_ase_categories[ACF_VARIABLE_COUNT + 2];
extern char const* const acf_tcl_set_functions[ACF_VARIABLE_COUNT + 2];

// Former names of variables, ended by a null name; several may lead to one type.
extern char const* const acf_variable_old_names[];
extern ACF_VARIABLE_TYPE_ENUM const acf_variable_old_names_enum_values[];

// {variable, location code} pairs of the graphical editors, ended by variable 0.
struct ACF_VARIABLE_GUI_LOCATION_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    int32_t location;
};
extern ACF_VARIABLE_GUI_LOCATION_INFO const acf_variable_gui_location[];
