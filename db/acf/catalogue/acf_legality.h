// Rules that keep stored settings valid across software versions: renamed and
// migrated values, removed assignment names, integer ranges and the legality of
// assignment arguments.
#pragma once

#include "acf_table_types.h"

#include <list>

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

// Renamed values, ended by a null row.
struct ACF_RENAME_STRUCT_INFO {
    char const* variable_name; // user name of the variable
    char const* old_value;     // compared ignoring case
    char const* new_value;
};
extern ACF_RENAME_STRUCT_INFO const acf_rename_semantics[];

// A variable that takes over the value of another, ended by {NONE, NONE}.
struct ACF_VARIABLE_MIGRATE_VALUE_FROM {
    ACF_VARIABLE_TYPE_ENUM variable;
    ACF_VARIABLE_TYPE_ENUM migrate_from;
};
extern ACF_VARIABLE_MIGRATE_VALUE_FROM const acf_variable_migrate_value_from[];

// Names of assignments no longer in the language, alphabetical, null-ended.
extern char const* const acf_removed_assignments[];

// Integer ranges; rows of one variable stand together, a family's own row before
// the any-family row; ended by variable NONE.
struct ACF_VARIABLE_INTEGER_RANGE_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    int32_t minimum;
    int32_t maximum;
    DEV_FAMILY_ENUM family; // DEV_FAMILY_GENERIC: any family
};
extern ACF_VARIABLE_INTEGER_RANGE_INFO const acf_variable_integer_range_info[];

// ---------------------------------------------------------------------------
// Lookups
// ---------------------------------------------------------------------------

// The current spelling of an older value of the variable; null when the value is
// null or needs no conversion. The family is not used.
char const* acf_convert_old_value_to_new(ACF_VARIABLE_TYPE_ENUM variable, char const* value,
                                         DEV_FAMILY_ENUM family);
// Arguments are never renamed: the value itself.
char const* acf_get_argument_rename_value(ACF_ARGUMENT_TYPE_ENUM argument, char const* value);
// Appends a pointer to each migrate row.
void acf_get_migrate_value_from_list(std::list<ACF_VARIABLE_MIGRATE_VALUE_FROM const*>* list);
// The name is a removed assignment name, ignoring case; false for null or "".
bool acf_is_obsolete_assignment_name(char const* name);

// The inclusive range of an integer variable for a family (DEV_FAMILY_GENERIC:
// the open project's family, or any when none is open). False, with min and max
// untouched, when the variable is not an integer or has no range.
bool acf_get_integer_range_for_variable(ACF_VARIABLE_TYPE_ENUM variable, int& min, int& max,
                                        DEV_FAMILY_ENUM family);

// Whether the value suits the argument's value type (flags take no value).
bool acf_is_argument_legal(ACF_ARGUMENT_TYPE_ENUM argument, char const* value);
// The same, after checking that the argument may be attached to the variable in
// that context (unless it is valid on every variable).
bool acf_is_argument_legal(ACF_ARGUMENT_TYPE_ENUM argument, char const* value,
                           ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id, bool has_entity);
