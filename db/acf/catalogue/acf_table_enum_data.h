// The constant tables of sections, enumerated values, value rows and display texts
// (defined in acf_table_enums.cpp), for the code and checks that walk them whole.
#pragma once

#include "acf_table.h"

// Indexed by section - 1; a null entry follows section 46.
extern char const* const acf_section_strings[];
extern char const* const acf_section_user_strings[];
extern char const* const acf_section_old_name_strings[];

// Indexed by value - 1; unassigned numbers are null; a null entry follows value 457.
extern char const* const acf_value_strings[];
extern char const* const acf_value_user_strings[];

// Ended by a row whose variable is 0.
extern ACF_VALUE_SEMANTIC_INFO const acf_value_semantics[];

struct ACF_VARIABLE_DISPLAY_ENUM_AS {
    ACF_VARIABLE_TYPE_ENUM variable;
    ACF_ENUM_VALUE_ENUM value;
    char const* text;
};
// Ended by a row whose variable is 0.
extern ACF_VARIABLE_DISPLAY_ENUM_AS const acf_variable_display_enum_as[];
