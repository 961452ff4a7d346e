// The settings catalogue: every variable, section, enumerated value, argument and
// trait by number and name, with the per-variable attributes and the lookups over
// them. Tables are constant; the name maps are built once on first use (any thread
// may ask) and freed when the library is unloaded.
//
// Numbers outside an enumeration's range, or left unassigned in it, are answered
// like "none": empty texts, code 0, false.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <vector>

#include "acf_table_types.h"
#include "mem_manager.h"

// ---------------------------------------------------------------------------
// Variables
// ---------------------------------------------------------------------------

// Names and texts; never null (empty for type 0 and unknown types).
char const* acf_variable_type_to_string(ACF_VARIABLE_TYPE_ENUM type); // internal name
char const*
acf_get_variable_user_name(ACF_VARIABLE_TYPE_ENUM type); // user name, else internal name
char const*
acf_get_variable_ui_name_string(ACF_VARIABLE_TYPE_ENUM type); // UI, else user, else internal name
char const* acf_get_variable_desc(ACF_VARIABLE_TYPE_ENUM type);
char const* acf_get_variable_cmp_smart_action_string(ACF_VARIABLE_TYPE_ENUM type);

// Value-type code (ACF_VALUE_TYPE_ENUM) and resolution type; 0 for type 0.
int acf_get_value_type(ACF_VARIABLE_TYPE_ENUM type);
int acf_get_resolution(ACF_VARIABLE_TYPE_ENUM type);

// Type 0 has exactly CASE_SENSITIVE and IS_FREEFORM.
bool acf_test_variable_trait_of(ACF_VARIABLE_TYPE_ENUM type, ACF_VARIABLE_TRAIT_TYPE_ENUM trait);
// Type 0 and variables without a family list are valid for every family.
bool acf_variable_includes_family(ACF_VARIABLE_TYPE_ENUM type, DEV_FAMILY_ENUM family);
bool acf_variable_includes_ase_category(ACF_VARIABLE_TYPE_ENUM type, ASE_CATEGORY_ENUM category);
bool acf_variable_includes_any_ase_category(ACF_VARIABLE_TYPE_ENUM type);

// The variable's own Tcl set command, else "set_parameter" (is_parameter), else
// "set_global_assignment" (is_global), else "set_instance_assignment".
char const* acf_get_variable_tcl_set_function(ACF_VARIABLE_TYPE_ENUM type, bool is_global,
                                              bool is_parameter);

// Appends, in ascending order, every variable with the trait (GENERIC_TRAIT: every
// variable). A null list is an internal error.
void acf_get_list_of_variables_for_trait(ACF_VARIABLE_TRAIT_TYPE_ENUM trait,
                                         std::list<ACF_VARIABLE_TYPE_ENUM>* variable_list);

// Variable named by a user name, old name, internal name or UI name (in that order
// of precedence), ignoring ASCII case; 0 when unknown, null or empty.
ACF_VARIABLE_TYPE_ENUM acf_user_name_to_variable_type_enum(char const* name);
ACF_VARIABLE_TYPE_ENUM acf_user_name_to_variable_type(char const* name);
// Variable whose internal name equals the text ignoring ASCII case; 0 when unknown.
ACF_VARIABLE_TYPE_ENUM acf_string_to_variable_type_enum(char const* name);
ACF_VARIABLE_TYPE_ENUM acf_string_to_variable_type(char const* name);

// Location code of the variable in the graphical editors; 0 when it has none.
int acf_get_gui_location_for_variable(ACF_VARIABLE_TYPE_ENUM type);

// File-system comparison of two texts: byte for byte; false when either is null.
bool acf_os_based_compare(char const* a, char const* b);
bool acf_check_debug_flag(bool flag); // the negation of its argument

// Every variable type in ascending order, one shared list for the life of the library.
class ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER {
public:
    using LIST = std::list<ACF_VARIABLE_TYPE_ENUM, MEM_STL_ALLOCATOR<ACF_VARIABLE_TYPE_ENUM>>;
    static ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER* get_instance();
    LIST const& get_list() const { return m_list; }

private:
    ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER();
    LIST m_list;
};
ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::LIST::const_iterator
acf_begin_const_iter_for_acf_variable_type_enum();
ACF_VARIABLE_TYPE_ENUM_AUTO_MANAGER::LIST::const_iterator
acf_end_const_iter_for_acf_variable_type_enum();

// ---------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------

char const* acf_get_section_name(ACF_SECTION_TYPE_ENUM section);      // null for 0 and unknown
char const* acf_get_section_user_name(ACF_SECTION_TYPE_ENUM section); // as stored, often empty
// Section whose name equals the text ignoring ASCII case; 0 when none.
ACF_SECTION_TYPE_ENUM acf_string_to_section_type_enum(char const* name);
ACF_SECTION_TYPE_ENUM acf_string_to_section_type(char const* name);
// Section named by a user name, old name or name, ignoring ASCII case; 0 when none.
ACF_SECTION_TYPE_ENUM acf_user_string_to_section_type_enum(char const* name);

// ---------------------------------------------------------------------------
// Enumerated values
// ---------------------------------------------------------------------------

// One offered value of an enumeration variable.
struct ACF_VALUE_SEMANTIC_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    ACF_ENUM_VALUE_ENUM value;
    bool debug;             // offered only when debug values are asked for
    DEV_FAMILY_ENUM family; // DEV_FAMILY_GENERIC: every family
};

char const* acf_enum_type_to_string(ACF_ENUM_VALUE_ENUM value); // null below 1 and when unknown
char const*
acf_enum_type_to_user_string(ACF_ENUM_VALUE_ENUM value); // null below 1 and when unknown
// Value whose name or user string equals the text ignoring ASCII case; 0 when none.
ACF_ENUM_VALUE_ENUM acf_string_to_enum_type_enum(char const* text);
ACF_ENUM_VALUE_ENUM acf_string_to_enum_type(char const* text);
ACF_ENUM_VALUE_ENUM acf_user_string_to_enum_type(char const* text);
ACF_ENUM_VALUE_ENUM acf_user_string_to_enum_type_enum(char const* text);

bool acf_is_valid_enum_value(ACF_VARIABLE_TYPE_ENUM variable, ACF_ENUM_VALUE_ENUM value);
bool acf_is_value_debug(ACF_VARIABLE_TYPE_ENUM variable, ACF_ENUM_VALUE_ENUM value);
// The values offered for the variable in a family, in table order. DEV_FAMILY_GENERIC
// stands for the open project's family (see acf_set_project_family_query).
std::vector<ACF_ENUM_VALUE_ENUM> acf_get_variable_enum_value_types(ACF_VARIABLE_TYPE_ENUM variable,
                                                                   bool include_debug,
                                                                   DEV_FAMILY_ENUM family);
// The settings manager tells the catalogue how to ask the open project's family;
// without it (or with null) no project is taken to be open.
void acf_set_project_family_query(DEV_FAMILY_ENUM (*query)());
// The open project's family through that query; DEV_FAMILY_GENERIC without one.
DEV_FAMILY_ENUM acf_get_project_family_enum();

// Variable-specific display text, else the value's user string.
char const* acf_variable_enum_to_ui_string(ACF_VARIABLE_TYPE_ENUM variable,
                                           ACF_ENUM_VALUE_ENUM value);
// Value whose variable-specific display text equals the text exactly; when none,
// acf_string_to_enum_type_enum(text) if fall_back, else 0.
ACF_ENUM_VALUE_ENUM acf_variable_ui_string_to_enum(ACF_VARIABLE_TYPE_ENUM variable,
                                                   char const* text, bool fall_back);

// ---------------------------------------------------------------------------
// Arguments
// ---------------------------------------------------------------------------

struct ACF_ARGUMENT_SEMANTIC_INFO {
    ACF_ARGUMENT_TYPE_ENUM argument;
    char const* name;
    char const* tsf_name; // option name in settings files, written after a dash
    char const* description;
    char const* ui_name;
    int32_t value_type; // ACF_VALUE_TYPE_ENUM; BOOL arguments are flags without a value
    char const* traits; // 7 characters '0'/'1' indexed by ACF_ARGUMENT_TRAIT_TYPE_ENUM
    int32_t valid_for_every_variable;
};

char const* acf_convert_argument_to_string(ACF_ARGUMENT_TYPE_ENUM argument); // "" when none
// By name, old name, option name, then UI name, ignoring ASCII case; 0 when none.
ACF_ARGUMENT_TYPE_ENUM acf_convert_argument_string_to_enum(char const* text);
char const* acf_get_argument_ui_name(ACF_ARGUMENT_TYPE_ENUM argument);
char const* acf_get_argument_tsf_name(ACF_ARGUMENT_TYPE_ENUM argument);
char const* acf_get_argument_description(ACF_ARGUMENT_TYPE_ENUM argument);
int acf_get_argument_type(ACF_ARGUMENT_TYPE_ENUM argument);
bool acf_does_argument_require_value(ACF_ARGUMENT_TYPE_ENUM argument);
// No argument has a range: false, min and max untouched.
bool acf_get_argument_integer_range(ACF_ARGUMENT_TYPE_ENUM argument, int& min, int& max);
bool acf_test_argument_trait_of(ACF_ARGUMENT_TYPE_ENUM argument,
                                ACF_ARGUMENT_TRAIT_TYPE_ENUM trait);
ACF_ARGUMENT_SEMANTIC_INFO const* acf_get_argument_semantics(ACF_ARGUMENT_TYPE_ENUM argument);
void acf_get_argument_value_types(ACF_ARGUMENT_TYPE_ENUM argument,
                                  std::vector<ACF_ARGUMENT_ENUM_VALUE_ENUM>* coll);
ACF_ARGUMENT_ENUM_VALUE_ENUM acf_get_argument_value_enum_from_string(char const* text);
char const* acf_get_argument_value_string_from_enum(ACF_ARGUMENT_ENUM_VALUE_ENUM value);

// ---------------------------------------------------------------------------
// Traits and features
// ---------------------------------------------------------------------------

char const* acf_variable_trait_to_string(ACF_VARIABLE_TRAIT_TYPE_ENUM trait); // null when unknown
// Trait named by the text ignoring ASCII case; 0 when none (as for "GENERIC_TRAIT").
ACF_VARIABLE_TRAIT_TYPE_ENUM acf_string_to_variable_trait(char const* text);

using ACF_FEATURE_TO_TRAIT_MAP = std::map<ACF_FEATURE_TYPE_ENUM, ACF_VARIABLE_TRAIT_TYPE_ENUM>;
ACF_FEATURE_TO_TRAIT_MAP const& acf_get_feature_to_trait_map();

// ---------------------------------------------------------------------------
// Library lifetime
// ---------------------------------------------------------------------------

// Frees every lookup map built so far; a later lookup builds it again. Called at
// library unload.
void acf_table_free_lookup_maps();
