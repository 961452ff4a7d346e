// The rules of the older sectioned settings files: which sections each file kind
// holds and whether a section takes an identifier; in which sections a variable
// may stand and in which forms (without target, with a target, with source and
// target, with several values). The tables are constant; the two lookup maps are
// built once on first use and freed at library unload.
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <vector>

// One section of one file kind; the table ends with {0, 0, false}.
struct ACF_SECTION_SEMANTIC_INFO {
    ACF_SECTION_TYPE_ENUM section;
    ACF_FILE_TYPE_ENUM file_type;
    bool takes_identifier;
};
extern ACF_SECTION_SEMANTIC_INFO const acf_section_semantics[];

// One section a variable may stand in; sorted by variable; the table ends with
// variable 0.
struct ACF_VARIABLE_SEMANTIC_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    ACF_SECTION_TYPE_ENUM section;
    bool allows_no_target;
    bool takes_target;
    bool takes_src_dest;
    bool takes_multiple_values;
};
extern ACF_VARIABLE_SEMANTIC_INFO const acf_variable_semantics[];

// The first row of the variable in that section (0: its first row); null when none.
ACF_VARIABLE_SEMANTIC_INFO const* acf_get_variable_semantics(ACF_VARIABLE_TYPE_ENUM variable,
                                                             ACF_SECTION_TYPE_ENUM section);
// The flags of that row; false without row. Section or variable 0 is an internal
// error for acf_variable_takes_target and plain false for the other two.
bool acf_variable_takes_target(ACF_SECTION_TYPE_ENUM section, ACF_VARIABLE_TYPE_ENUM variable);
bool acf_variable_takes_src_dest(ACF_SECTION_TYPE_ENUM section, ACF_VARIABLE_TYPE_ENUM variable);
bool acf_variable_takes_multiple_values(ACF_SECTION_TYPE_ENUM section,
                                        ACF_VARIABLE_TYPE_ENUM variable);
// A row exists and the variable is not a debug variable.
bool acf_is_variable_allowed_in_section_type(ACF_VARIABLE_TYPE_ENUM variable,
                                             ACF_SECTION_TYPE_ENUM section);
// The sections of every row of the variable, in table order.
std::vector<ACF_SECTION_TYPE_ENUM> acf_get_variable_section_types(ACF_VARIABLE_TYPE_ENUM variable);

// The row of the section for that file kind (0: its first row); null when none.
ACF_SECTION_SEMANTIC_INFO const* acf_get_section_semantics(ACF_SECTION_TYPE_ENUM section,
                                                           ACF_FILE_TYPE_ENUM file_type);
// The identifier flag of that row; false without row; section 0 is an internal error.
bool acf_section_takes_identifier(ACF_FILE_TYPE_ENUM file_type, ACF_SECTION_TYPE_ENUM section);
// Every section the file kind holds (0: any kind), ascending, each once.
std::vector<ACF_SECTION_TYPE_ENUM> acf_get_section_types(ACF_FILE_TYPE_ENUM file_type);
// The file kinds of the section's rows, in table order.
std::vector<ACF_FILE_TYPE_ENUM> acf_get_section_file_types(ACF_SECTION_TYPE_ENUM section);
