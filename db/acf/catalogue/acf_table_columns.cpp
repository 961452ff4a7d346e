// The per-variable columns, expanded from the one table of variables. Flag texts
// (traits, families, editor categories) are built at compile time from the lists
// written in the table.
#include "catalogue/acf_table_columns.h"

#include <cstddef>
#include <initializer_list>

#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {

// A text of N characters '0'/'1' and its NUL.
template <size_t N> struct FLAG_TEXT { char text[N + 1]; };

constexpr int k_no_index = -1;

// '1' at every listed index and at `also` (unless k_no_index), '0' elsewhere; with
// empty_when_none an empty list gives the empty text (families: valid everywhere;
// editor categories: none). An index out of range fails the compile.
template <size_t N>
constexpr FLAG_TEXT<N> flag_text(std::initializer_list<int> set, bool empty_when_none,
                                 int also = k_no_index) {
    FLAG_TEXT<N> result{};
    if (empty_when_none && set.size() == 0) {
        return result;
    }
    for (size_t i = 0; i < N; ++i) {
        result.text[i] = '0';
    }
    for (int index : set) {
        result.text[index] = '1';
    }
    if (also != k_no_index) {
        result.text[also] = '1';
    }
    result.text[N] = '\0';
    return result;
}

// Unprefixed names for the lists in the table.
namespace trait_names {
enum : int {
#define ACF_VARIABLE_TRAIT(NUMBER, NAME) NAME = NUMBER,
#include "acf_table_traits.def"
#undef ACF_VARIABLE_TRAIT
};
} // namespace trait_names
namespace family_names {
enum : int {
#define DEV_FAMILY(NUMBER, TOKEN, ...) TOKEN = NUMBER,
#include "suite/devicedb/dev_families.def"
#undef DEV_FAMILY
};
} // namespace family_names
namespace value_types {
enum : int { NONE, BOOL, STRING, FILE, INT, DOUBLE, ENUM, TIME, FREQUENCY, LOCATION };
} // namespace value_types

using TRAIT_TEXT = FLAG_TEXT<ACF_TRAIT_TEXT_LENGTH>;
using FAMILY_TEXT = FLAG_TEXT<ACF_FAMILY_TEXT_LENGTH>;
using ASE_TEXT = FLAG_TEXT<ACF_ASE_CATEGORY_TEXT_LENGTH>;

constexpr TRAIT_TEXT k_generic_only = flag_text<ACF_TRAIT_TEXT_LENGTH>({0}, false);
constexpr TRAIT_TEXT k_no_trait = flag_text<ACF_TRAIT_TEXT_LENGTH>({}, false);

// Every variable has GENERIC_TRAIT besides the traits its row lists.
#define TRAITS(...)                                                                                \
    flag_text<ACF_TRAIT_TEXT_LENGTH>({__VA_ARGS__}, false, trait_names::GENERIC_TRAIT)
#define FAMILIES(...) flag_text<ACF_FAMILY_TEXT_LENGTH>({__VA_ARGS__}, true)
#define ASE(...) flag_text<ACF_ASE_CATEGORY_TEXT_LENGTH>({__VA_ARGS__}, true)

// Flag texts by type: entry 0 for type 0, then one per number, then the end marker.
using namespace trait_names;
using namespace family_names;

constexpr TRAIT_TEXT k_traits[] = {
    k_generic_only,
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) TR,
#define ACF_UNASSIGNED_VARIABLE(N) k_no_trait,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    k_generic_only,
};
constexpr FAMILY_TEXT k_families[] = {
    FAMILIES(),
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) FA,
#define ACF_UNASSIGNED_VARIABLE(N) FAMILIES(),
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    FAMILIES(DEV_FAMILY_GENERIC),
};
constexpr ASE_TEXT k_ase_categories[] = {
    ASE(),
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) AS,
#define ACF_UNASSIGNED_VARIABLE(N) ASE(),
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    flag_text<ACF_ASE_CATEGORY_TEXT_LENGTH>({}, false),
};

// Every number from 1 to the last variable has exactly one row, in order.
constexpr int32_t k_row_numbers[] = {
#define ACF_VARIABLE(N, ...) N,
#define ACF_UNASSIGNED_VARIABLE(N) N,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
};
constexpr bool rows_are_in_order() {
    int32_t expected = 1;
    for (int32_t number : k_row_numbers) {
        if (number != expected++) {
            return false;
        }
    }
    return expected == ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE;
}
static_assert(rows_are_in_order(), "acf_table_variables.def must hold rows 1 to 1564 in order");
static_assert(sizeof(k_traits) / sizeof(k_traits[0]) == ACF_VARIABLE_COUNT + 2, "trait rows");

} // namespace

#define ACF_UNASSIGNED_VARIABLE(N) "",
char const* const acf_variable_strings[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, ...) #NAME,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    nullptr};
char const* const acf_variable_names[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, ...) USER,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    nullptr};
char const* const acf_variable_ui_names[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, UI, ...) UI,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    nullptr};
char const* const acf_variable_descriptions[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) DESC,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    nullptr};
char const* const acf_variable_smart_strings[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) SMART,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    nullptr};
#undef ACF_UNASSIGNED_VARIABLE

#define ACF_UNASSIGNED_VARIABLE(N) 0,
int32_t const acf_variable_value_types[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, UI, VT, ...) value_types::VT,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    0};
int32_t const acf_variable_resolution_types[ACF_VARIABLE_COUNT + 1] = {
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, ...) RES,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
    0};
#undef ACF_UNASSIGNED_VARIABLE

char const* const acf_tcl_set_functions[ACF_VARIABLE_COUNT + 2] = {"",
#define ACF_VARIABLE(N, NAME, USER, UI, VT, RES, TR, FA, AS, TCL, SMART, DESC) TCL,
#define ACF_UNASSIGNED_VARIABLE(N) "",
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
                                                                   ""};

char const* const acf_variable_traits[ACF_VARIABLE_COUNT + 2] = {
    k_traits[0].text,
#define ACF_VARIABLE(N, ...) k_traits[N].text,
#define ACF_UNASSIGNED_VARIABLE(N) k_traits[N].text,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    k_traits[ACF_VARIABLE_COUNT + 1].text};
char const* const acf_variable_families[ACF_VARIABLE_COUNT + 2] = {
    k_families[0].text,
#define ACF_VARIABLE(N, ...) k_families[N].text,
#define ACF_UNASSIGNED_VARIABLE(N) k_families[N].text,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    k_families[ACF_VARIABLE_COUNT + 1].text};
char const* const acf_variable_ase_categories[ACF_VARIABLE_COUNT + 2] = {
    k_ase_categories[0].text,
#define ACF_VARIABLE(N, ...) k_ase_categories[N].text,
#define ACF_UNASSIGNED_VARIABLE(N) k_ase_categories[N].text,
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    k_ase_categories[ACF_VARIABLE_COUNT + 1].text};

char const* const acf_variable_old_names[] = {
#define ACF_OLD_NAME(OLD, NAME) OLD,
#include "catalogue/acf_table_old_names.def"
#undef ACF_OLD_NAME
    nullptr};
ACF_VARIABLE_TYPE_ENUM const acf_variable_old_names_enum_values[] = {
#define ACF_OLD_NAME(OLD, NAME) ACF_VARIABLE_TYPE_##NAME,
#include "catalogue/acf_table_old_names.def"
#undef ACF_OLD_NAME
    ACF_VARIABLE_TYPE_NONE};

ACF_VARIABLE_GUI_LOCATION_INFO const acf_variable_gui_location[] = {
#define ACF_GUI_LOCATION(NAME, CODE) {ACF_VARIABLE_TYPE_##NAME, CODE},
#include "catalogue/acf_table_gui_locations.def"
#undef ACF_GUI_LOCATION
    {ACF_VARIABLE_TYPE_NONE, 0}};
