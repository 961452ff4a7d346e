// The enumerations of the settings catalogue: variables, sections, enumerated
// values, assignment arguments, variable traits and features, and the value-type
// codes. The numbers are stable: stored settings and other subsystems use them as
// literals. A number the tables leave out is unassigned and has no name here.
#pragma once

#include <cstdint>

#include "suite/devicedb/dev.h"

// Settings variables, 1 to 1564 (db/acf/catalogue/acf_table_variables.def).
enum ACF_VARIABLE_TYPE_ENUM : int32_t {
    ACF_VARIABLE_TYPE_NONE = 0,
#define ACF_VARIABLE(NUMBER, NAME, ...) ACF_VARIABLE_TYPE_##NAME = NUMBER,
#define ACF_UNASSIGNED_VARIABLE(NUMBER)
#include "acf_table_variables.def"
#undef ACF_VARIABLE
#undef ACF_UNASSIGNED_VARIABLE
    // One past the last variable: the end marker of loops and tables.
    ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE = 1565,
};

// Sections of the older sectioned settings files, 1 to 46.
enum ACF_SECTION_TYPE_ENUM : int32_t {
    ACF_SECTION_TYPE_NONE = 0,
#define ACF_SECTION(NUMBER, NAME, ...) ACF_SECTION_TYPE_##NAME = NUMBER,
#include "acf_table_sections.def"
#undef ACF_SECTION
};
constexpr int32_t ACF_LAST_SECTION_TYPE = 46;

// Values of enumeration variables, 1 to 457.
enum ACF_ENUM_VALUE_ENUM : int32_t {
    ACF_ENUM_VALUE_NONE = 0,
#define ACF_VALUE(NUMBER, NAME, ...) ACF_ENUM_VALUE_##NAME = NUMBER,
#define ACF_UNASSIGNED_VALUE(NUMBER)
#include "acf_table_values.def"
#undef ACF_VALUE
#undef ACF_UNASSIGNED_VALUE
};
constexpr int32_t ACF_LAST_ENUM_VALUE = 457;

// Extra options an assignment may carry.
enum ACF_ARGUMENT_TYPE_ENUM : int32_t {
    ACF_ARGUMENT_TYPE_NONE = 0,
    ACF_ARGUMENT_TYPE_HDL_VERSION = 1,
    ACF_ARGUMENT_TYPE_TIP = 2,
    ACF_ARGUMENT_TYPE_SIP = 3,
    ACF_ARGUMENT_TYPE_RISE = 4,
    ACF_ARGUMENT_TYPE_FALL = 5,
    ACF_ARGUMENT_TYPE_WIDTH = 6,
    ACF_ARGUMENT_TYPE_HEIGHT = 7,
    ACF_ARGUMENT_TYPE_CREATED_BY = 8,
    ACF_ARGUMENT_TYPE_LIBRARY = 9,
    ACF_ARGUMENT_TYPE_FAMILY = 10,
    ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE = 11,
};

// Traits of an argument: index into its 7-character trait text.
enum ACF_ARGUMENT_TRAIT_TYPE_ENUM : int32_t {
    ACF_ARGUMENT_TRAIT_TYPE_GENERIC_TRAIT = 0,
    ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE = 1, // values compare case-sensitively
    ACF_ARGUMENT_TRAIT_TYPE_RESERVED_2 = 2,
    ACF_ARGUMENT_TRAIT_TYPE_CHECK_AGAINST_TSM_DELAY = 3, // time values pass the delay-range check
    ACF_ARGUMENT_TRAIT_TYPE_ONE_PER_VALUE = 4,           // one assignment per argument value
    ACF_ARGUMENT_TRAIT_TYPE_BEFORE_SECTION_ID = 5,       // written before the section identifier
    ACF_ARGUMENT_TRAIT_TYPE_RESERVED_6 = 6,
    ACF_ARGUMENT_TRAIT_TYPE_MAX_TRAIT_TYPE = 7,
};

// Values of enumeration-valued arguments: none exist.
enum ACF_ARGUMENT_ENUM_VALUE_ENUM : int32_t {
    ACF_ARGUMENT_ENUM_VALUE_NONE = 0,
    ACF_ARGUMENT_ENUM_VALUE_MAX = 1,
};

// Variable traits: trait k is character k of a variable's trait text.
enum ACF_VARIABLE_TRAIT_TYPE_ENUM : int32_t {
#define ACF_VARIABLE_TRAIT(NUMBER, NAME) ACF_VARIABLE_TRAIT_TYPE_##NAME = NUMBER,
#include "acf_table_traits.def"
#undef ACF_VARIABLE_TRAIT
    ACF_VARIABLE_TRAIT_TYPE_MAX_TRAIT_TYPE = 63,
};

// Tool features whose change time follows one trait each.
enum ACF_FEATURE_TYPE_ENUM : int32_t {
    ACF_FEATURE_TYPE_ASE = 0,
    ACF_FEATURE_TYPE_ECMC = 1,
    ACF_FEATURE_TYPE_ASSIGNMENT_GROUP = 2,
    ACF_FEATURE_TYPE_PAT = 3,
    ACF_FEATURE_TYPE_SIM = 4,
    ACF_FEATURE_TYPE_TAN = 5,
    ACF_FEATURE_TYPE_PIN_PLANNER = 6,
    ACF_FEATURE_TYPE_FLOORPLAN_EDITOR = 7,
    ACF_FEATURE_TYPE_CHIP_EDITOR = 8,
    ACF_FEATURE_TYPE_SSN = 9,
    ACF_FEATURE_TYPE_MAX_FEATURE_TYPE = 10,
};

// Categories of the assignment editor, 0 to 44 (0: none).
enum ASE_CATEGORY_ENUM : int32_t {
    ASE_CATEGORY_NONE = 0,
    ASE_CATEGORY_MAX = 45,
};

// Value-type codes of a variable or an argument (acf_get_value_type).
enum ACF_VALUE_TYPE_ENUM : int32_t {
    ACF_VALUE_TYPE_NONE = 0,
    ACF_VALUE_TYPE_BOOL = 1,      // "On" or "Off"
    ACF_VALUE_TYPE_STRING = 2,    // free text
    ACF_VALUE_TYPE_FILE = 3,      // a file name
    ACF_VALUE_TYPE_INT = 4,       // decimal integer
    ACF_VALUE_TYPE_DOUBLE = 5,    // real number
    ACF_VALUE_TYPE_ENUM = 6,      // one of the variable's enumerated values
    ACF_VALUE_TYPE_TIME = 7,      // number with a time unit
    ACF_VALUE_TYPE_FREQUENCY = 8, // number with a frequency unit
    ACF_VALUE_TYPE_LOCATION = 9,  // device location or placement rectangle
};
