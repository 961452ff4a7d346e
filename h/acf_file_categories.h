// File categories and assignment-context rules of the settings catalogue.
//
// Every variable belongs to one or more file categories (the tool area an
// assignment configures). Its context rows say in which shapes an assignment of
// it is legal: global, with a target (-to), with source and target (-from -to),
// with or without an entity, with or without a section identifier, for which
// family, with which arguments and default. The legality checks answer with the
// revision manager's error statuses (ACF_CONTEXT_STATUS below). The file-type
// mapping links the file library's file types to the file variables.
#pragma once

#include "acf_table_types.h"
#include "suite/fileio/fio.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

// ---------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------

enum ACF_FILE_CATEGORY_ENUM : int32_t {
#define ACF_FILE_CATEGORY(NUMBER, KEY, TEXT) ACF_FILE_CATEGORY_##KEY = NUMBER,
#include "acf_file_categories.def"
#undef ACF_FILE_CATEGORY
    ACF_FILE_CATEGORY_NONE = 21, // no category in tables, any category in lookups
};

// Named groups of assignments sharing a section identifier (-section_id).
enum ACF_CATEGORY_SECTION_TYPE_ENUM : int32_t {
#define ACF_CATEGORY_SECTION(NUMBER, LABEL) ACF_CATEGORY_SECTION_TYPE_##LABEL = NUMBER,
#include "acf_category_sections.def"
#undef ACF_CATEGORY_SECTION
    ACF_CATEGORY_SECTION_TYPE_MAX = 16,
};

// The older settings file a row's assignments were kept in; one per row.
enum ACF_CATEGORY_TRAIT_TYPE_ENUM : int32_t {
    ACF_CATEGORY_TRAIT_TYPE_GENERIC = 0,
    ACF_CATEGORY_TRAIT_TYPE_PROJECT_FILE = 1,
    ACF_CATEGORY_TRAIT_TYPE_PROJECT_SETTINGS_FILE = 2,
    ACF_CATEGORY_TRAIT_TYPE_COMPILER_SETTINGS_FILE = 3,
    ACF_CATEGORY_TRAIT_TYPE_SIMULATOR_SETTINGS_FILE = 4,
    ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE = 5,
    ACF_CATEGORY_TRAIT_TYPE_MAX = 6,
};

// Context kinds, each tested against one flag of a row.
enum ACF_FILE_CATEGORY_TARGET_TYPE_ENUM : int32_t {
    ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL = 0,
    ACF_FILE_CATEGORY_TARGET_TYPE_TARGET = 1,
    ACF_FILE_CATEGORY_TARGET_TYPE_SOURCE_AND_TARGET = 2,
    ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE = 3, // several values may be held (file lists)
    ACF_FILE_CATEGORY_TARGET_TYPE_ENTITY = 4,      // any row names an entity
    ACF_FILE_CATEGORY_TARGET_TYPE_FREEFORM = 5,
    ACF_FILE_CATEGORY_TARGET_TYPE_SECTION_ID = 6, // any row takes a section identifier
    ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL_ASSIGNMENT = 7,
    ACF_FILE_CATEGORY_TARGET_TYPE_INSTANCE_ASSIGNMENT = 8, // target or source and target
};

// Kinds of the older sectioned settings files.
enum ACF_FILE_TYPE_ENUM : int32_t {
    ACF_FILE_TYPE_NONE = 0,
    ACF_FILE_TYPE_PROJECT = 1,            // ".tessaly"
    ACF_FILE_TYPE_PROJECT_SETTINGS = 2,   // ".psf"
    ACF_FILE_TYPE_COMPILER_SETTINGS = 3,  // ".csf"
    ACF_FILE_TYPE_SIMULATOR_SETTINGS = 4, // ".ssf"
    ACF_FILE_TYPE_ENTITY_SETTINGS = 5,    // ".esf"
};

// The statuses of the context checks (the revision manager's error statuses).
enum ACF_CONTEXT_STATUS : int32_t {
    ACF_CONTEXT_STATUS_SUCCESS = 0,
    ACF_CONTEXT_STATUS_ILLEGAL_ENTITY_NAME = 12,
    ACF_CONTEXT_STATUS_ILLEGAL_SECTION_ID = 13,
    ACF_CONTEXT_STATUS_ILLEGAL_TARGET_NAME = 14,
    ACF_CONTEXT_STATUS_ILLEGAL_SOURCE_NAME = 15,
    ACF_CONTEXT_STATUS_UNKNOWN_ERROR = 42,
};

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

// Rows 0 to 20: key and display texts (both equal); row 21 is all null.
struct ACF_FILE_CATEGORY_SEMANTIC_INFO {
    ACF_FILE_CATEGORY_ENUM category;
    char const* key;
    char const* display_text;
    char const* second_display_text;
};
extern ACF_FILE_CATEGORY_SEMANTIC_INFO const
    acf_file_category_semantics[ACF_FILE_CATEGORY_NONE + 1];

// The 16 category-section labels and a null end entry.
extern char const* const acf_file_category_section_labels[ACF_CATEGORY_SECTION_TYPE_MAX + 1];

// One context of a variable in one category.
struct ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    ACF_FILE_CATEGORY_ENUM category;
    uint8_t global;                     // legal without source and target
    uint8_t target;                     // legal with -to
    uint8_t source_and_target;          // legal with -from and -to
    uint8_t design_file;                // several values may be held (file lists)
    uint8_t entity;                     // the assignment names an entity
    uint8_t freeform;                   // freeform and parameter assignments
    uint8_t section_id;                 // the assignment carries a section identifier
    char const* default_value;          // null: none
    char const* section_identifier;     // null: takes none; "": any; else must match
    char const* section_label;          // null or a category-section label
    char const* reserved_text;          // not read
    char const* category_traits;        // 6 '0'/'1' by ACF_CATEGORY_TRAIT_TYPE_ENUM
    char const* category_section_types; // 16 '0'/'1' by ACF_CATEGORY_SECTION_TYPE_ENUM
    char const* arguments;              // 12 '0'/'1' by ACF_ARGUMENT_TYPE_ENUM
    char const* report_window_default;  // null or "Unlimited"
    DEV_FAMILY_ENUM family;             // DEV_FAMILY_GENERIC: any family
};
// Sorted by variable; a variable's family-specific rows follow its other rows.
extern ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const acf_variable_file_category_semantics[];
extern size_t const acf_variable_file_category_semantics_count;

// {file type, variable} pairs, ended by a pair with file type 0xFFFFFFFF.
struct ACF_FIO_FILE_TYPE_INFO {
    FIO_FILE_TYPE file_type;
    ACF_VARIABLE_TYPE_ENUM variable;
};
extern ACF_FIO_FILE_TYPE_INFO const fio_acf_table[];

// ---------------------------------------------------------------------------
// Context checks (has_source: a -from text; has_target: a -to text; has_entity:
// an entity name; section_id: null for none)
// ---------------------------------------------------------------------------

// Some row of the variable fits the context.
bool acf_check_if_match_file_category(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                      bool has_target, char const* section_id);
// 0 when a row fits, else the status that explains the misfit (13, 14, 15), 42
// when nothing does.
int acf_check_if_match_any_file_categories(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                           bool has_target, bool retry_flag,
                                           bool skip_section_retry, char const* section_id);
// As above, also judging the entity: 0, 12, 13, 14, 15, or 42 without rows.
int acf_check_against_file_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                     bool has_target, bool has_entity, bool retry_flag,
                                     bool skip_section_retry, char const* section_id);

// The first row fitting the context, the section identifier (null: none) and the
// category (ACF_FILE_CATEGORY_NONE: any); null when none.
ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const*
acf_get_variable_file_category_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                         bool has_target, bool has_entity, char const* section_id,
                                         ACF_FILE_CATEGORY_ENUM category);
// The first row with these section and entity flags for exactly this family.
ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const*
acf_get_variable_file_category_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                         bool has_entity, DEV_FAMILY_ENUM family);

// Category of the variable's first row; 0 when it has none.
ACF_FILE_CATEGORY_ENUM acf_get_file_category(ACF_VARIABLE_TYPE_ENUM variable);
bool acf_test_file_category_target_type(ACF_VARIABLE_TYPE_ENUM variable,
                                        ACF_FILE_CATEGORY_TARGET_TYPE_ENUM kind, bool has_entity,
                                        bool has_section_id);
bool acf_test_category_trait_of(ACF_VARIABLE_TYPE_ENUM variable, ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                bool has_source, bool has_target, bool has_entity,
                                bool has_section_id);
char const* acf_get_variable_section_label(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                           bool has_target, bool has_entity, bool has_section_id);
bool acf_test_category_section_type(ACF_VARIABLE_TYPE_ENUM variable,
                                    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, bool has_source,
                                    bool has_target, bool has_entity);
// The label; null outside 0 to 15.
char const* acf_get_category_section_type_string(ACF_CATEGORY_SECTION_TYPE_ENUM section_type);
// The text names a category section, ignoring case; false for null.
bool acf_is_legal_section_name(char const* name);
// Some row of the variable is for one family only.
bool acf_variable_contains_family_specific_details(ACF_VARIABLE_TYPE_ENUM variable);

// Arguments: by the any-family row of that section and entity shape, or by any row.
bool acf_is_argument_valid_for_variable(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                        bool has_entity, ACF_ARGUMENT_TYPE_ENUM argument);
bool acf_is_argument_valid_for_variable(ACF_VARIABLE_TYPE_ENUM variable,
                                        ACF_ARGUMENT_TYPE_ENUM argument);
void acf_get_arguments_for_variable(ACF_VARIABLE_TYPE_ENUM variable,
                                    std::vector<ACF_ARGUMENT_TYPE_ENUM>* coll);
void acf_get_arguments_for_variable(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                    bool has_entity, std::vector<ACF_ARGUMENT_TYPE_ENUM>* coll);
char const* acf_get_report_window_default(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                          bool has_entity, DEV_FAMILY_ENUM family);

// Appends, ascending, the variables of the family (DEV_FAMILY_GENERIC: any) that
// can be global assignments (want_global) or else instance assignments
// (want_instance).
void acf_get_list_of_variables_for_family(std::list<ACF_VARIABLE_TYPE_ENUM>* variable_list,
                                          DEV_FAMILY_ENUM family, bool want_global,
                                          bool want_instance);

// ---------------------------------------------------------------------------
// File types
// ---------------------------------------------------------------------------

// File type of the variable's first pair; 0 when none.
FIO_FILE_TYPE acf_var_type_to_fio_file_type(ACF_VARIABLE_TYPE_ENUM variable);
// The variable of the first pair with that file type other than SOURCE_FILE that
// is a project source file (any variable with any_variable); SOURCE_FILE when none.
ACF_VARIABLE_TYPE_ENUM acf_fio_file_type_to_var_type(FIO_FILE_TYPE file_type, bool any_variable);
// The extension type (FIO_EXTENSION_TYPE, in spite of the result's type) of an
// older settings file kind: 1 to 60, 2 to 62, 3 to 63, 4 to 64, 5 to 65; others
// are internal errors (0).
FIO_FILE_TYPE acf_file_type_to_fio_ext(ACF_FILE_TYPE_ENUM file_type);
