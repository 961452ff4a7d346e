// Defaults of the settings catalogue that depend on the device family or the
// software version: per-family default values, the families left out of the
// defaults file, the defaults of earlier versions, and the settings that exist
// as one variable per family generation.
#pragma once

#include "acf_table_types.h"

#include <list>

class ACF_MGR_INPUT_PARAMETERS;

// Where the defaults lookup finds the default values a revision knows (the
// revision store implements it; the caller passes the one it works on).
class ACF_DEFAULT_VALUE_LOOKUP {
public:
    // The default value text of a variable for a section identifier (null for
    // none), entity placement and family (DEV_FAMILY_GENERIC any); null when
    // none is known.
    virtual char const* get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type,
                                                       char const* section_id, bool has_entity,
                                                       DEV_FAMILY_ENUM family) = 0;

protected:
    ~ACF_DEFAULT_VALUE_LOOKUP() = default;
};

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

// Per-family defaults, ended by {NONE, DEV_FAMILY_GENERIC, ""}.
struct ACF_FAMILY_DEFAULTS_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    DEV_FAMILY_ENUM family;
    char const* default_value;
};
extern ACF_FAMILY_DEFAULTS_INFO const acf_family_defaults_table[];

// The variables that carry per-family defaults, ended by NONE.
extern ACF_VARIABLE_TYPE_ENUM const acf_variables_with_family_defaults_table[];

// Families whose defaults the defaults file leaves out, ended by DEV_FAMILY_INVALID.
extern DEV_FAMILY_ENUM const acf_hidden_from_tdf_family_table[];

// Defaults that held in earlier software versions; rows of one variable stand
// together, newest first; ended by variable NONE.
struct ACF_DEFAULT_VALUE_CHANGE_INFO {
    ACF_VARIABLE_TYPE_ENUM variable;
    double version;
    char const* version_text;
    int32_t reserved;          // 0
    char const* service_pack;  // "0"
    char const* default_value; // the default in that version
    bool entity;
    bool section_id;
    DEV_FAMILY_ENUM family; // DEV_FAMILY_GENERIC
};
extern ACF_DEFAULT_VALUE_CHANGE_INFO const acf_default_value_change_table[];

// ---------------------------------------------------------------------------
// Lookups
// ---------------------------------------------------------------------------

// The first default row of the variable for exactly that family; null when none.
// A family outside 1 to 55 is an internal error (null).
ACF_FAMILY_DEFAULTS_INFO const* acf_get_family_defaults_info(ACF_VARIABLE_TYPE_ENUM variable,
                                                             DEV_FAMILY_ENUM family);
// Appends the variables with per-family defaults, in table order.
void acf_get_variables_with_family_defaults(std::list<ACF_VARIABLE_TYPE_ENUM>* variables);

// Builds the flags of the families left out of the defaults file, if needed.
void acf_load_tdf_hidden_families();
// True for the families left out of the defaults file; false for others and
// for numbers outside 1 to 55.
bool acf_hide_family_from_tdf(DEV_FAMILY_ENUM family);

// The variable holding a family-generation setting for a family; NONE for a
// family outside the group's range or without a variant. Each has a twin
// without the suffix _enum.
#define ACF_FAMILY_GROUP_GETTERS(group)                                                            \
    ACF_VARIABLE_TYPE_ENUM acf_get_##group##_variable_enum(DEV_FAMILY_ENUM family);                \
    ACF_VARIABLE_TYPE_ENUM acf_get_##group##_variable(DEV_FAMILY_ENUM family);
ACF_FAMILY_GROUP_GETTERS(clique_type)
ACF_FAMILY_GROUP_GETTERS(device_io_standard)
ACF_FAMILY_GROUP_GETTERS(enable_low_volt_mode)
ACF_FAMILY_GROUP_GETTERS(eprom_jtag_code)
ACF_FAMILY_GROUP_GETTERS(jtag_bst_support)
ACF_FAMILY_GROUP_GETTERS(optimization_technique)
ACF_FAMILY_GROUP_GETTERS(programming_mode)
ACF_FAMILY_GROUP_GETTERS(register_packing)
ACF_FAMILY_GROUP_GETTERS(reserve_all_unused_pins)
ACF_FAMILY_GROUP_GETTERS(tech_mapper)
ACF_FAMILY_GROUP_GETTERS(user_jtag_code)
ACF_FAMILY_GROUP_GETTERS(use_configuration_device_name)
#undef ACF_FAMILY_GROUP_GETTERS

// Empties the list, then fills it with the variants of the group named (ignoring
// case, for example "TECH_MAPPER"); an unknown or empty group leaves it empty.
void acf_get_variable_enums_for_family_group(char const* family_group,
                                             std::list<ACF_VARIABLE_TYPE_ENUM>* family_group_list);

// The default value text of a variable for a section identifier (null: none),
// entity placement and family, as `defaults` knows it; null when none.
char const* acf_get_variable_default_value(ACF_DEFAULT_VALUE_LOOKUP* defaults,
                                           ACF_VARIABLE_TYPE_ENUM variable, char const* name,
                                           bool has_entity, DEV_FAMILY_ENUM family);
// The default of a variable standing in a section of the older sectioned files:
// the first default `defaults` knows for one of the section's file kinds, in
// table order; null when none.
char const* acf_get_variable_default_value(ACF_DEFAULT_VALUE_LOOKUP* defaults,
                                           ACF_VARIABLE_TYPE_ENUM variable,
                                           ACF_SECTION_TYPE_ENUM section, DEV_FAMILY_ENUM family);

// Appends the companion settings recommended with the assignment `par` describes
// (variable and value each): twelve for DEVICE_TECHNOLOGY_MIGRATION_LIST, none
// for any other variable.
void acf_get_recommendation_for_variable(ACF_MGR_INPUT_PARAMETERS* par,
                                         std::list<ACF_MGR_INPUT_PARAMETERS>* list);
