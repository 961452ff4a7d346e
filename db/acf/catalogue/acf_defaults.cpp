// Per-family defaults, hidden families, default history and family-generation
// variants.
#include "catalogue/acf_defaults.h"

#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "catalogue/acf_table_names.h"
#include "suite/general/gen.h"

#include <array>
#include <cstring>
#include <map>

MEM_UNIT_INITIALIZER(ACF);

ACF_FAMILY_DEFAULTS_INFO const acf_family_defaults_table[] = {
#define ACF_FAMILY_DEFAULT(VARIABLE, FAMILY, VALUE)                                                \
    {ACF_VARIABLE_TYPE_##VARIABLE, static_cast<DEV_FAMILY_ENUM>(FAMILY), VALUE},
#include "catalogue/acf_family_defaults.def"
#undef ACF_FAMILY_DEFAULT
    {ACF_VARIABLE_TYPE_NONE, DEV_FAMILY_GENERIC, ""},
};

ACF_VARIABLE_TYPE_ENUM const acf_variables_with_family_defaults_table[] = {
    ACF_VARIABLE_TYPE_CLOCKWARD_MULTICORNER_ANALYSIS,
    ACF_VARIABLE_TYPE_CLOCKWARD_REPORT_WORST_CASE_TIMING_PATHS,
    ACF_VARIABLE_TYPE_CLOCKWARD_CCPP_TRADEOFF_TOLERANCE,
    ACF_VARIABLE_TYPE_TDC_CCPP_TRADEOFF_TOLERANCE,
    ACF_VARIABLE_TYPE_CLOCKWARD_DO_CCPP_REMOVAL,
    ACF_VARIABLE_TYPE_SYNTH_TIMING_DRIVEN_SYNTHESIS,
    ACF_VARIABLE_TYPE_ADV_NETLIST_OPT_METASTABLE_REGS,
    ACF_VARIABLE_TYPE_SYNTH_RESOURCE_AWARE_INFERENCE_FOR_BLOCK_RAM,
    ACF_VARIABLE_TYPE_VORELONV_CONFIGURATION_SCHEME,
    ACF_VARIABLE_TYPE_PROGRAMMING_MODE_PIKREL,
    ACF_VARIABLE_TYPE_DATA0_RESERVED,
    ACF_VARIABLE_TYPE_SDO_RESERVED,
    ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING,
    ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING,
    ACF_VARIABLE_TYPE_GLOBAL,
    ACF_VARIABLE_TYPE_SLEW_RATE,
    ACF_VARIABLE_TYPE_PROGRAMMABLE_PREEMPHASIS,
    ACF_VARIABLE_TYPE_PROGRAMMABLE_VOD,
    ACF_VARIABLE_TYPE_CRC_ERROR_OPEN_DRAIN,
    ACF_VARIABLE_TYPE_ACTIVE_SERIAL_CLOCK,
    ACF_VARIABLE_TYPE_HSSI_VCCER_VCCET_VOLTAGE,
    ACF_VARIABLE_TYPE_USE_CONFIGURATION_DEVICE_OPTIONS,
    ACF_VARIABLE_TYPE_HSSI_RX_CT_EQUALIZER_SETTING,
    ACF_VARIABLE_TYPE_HSSI_RX_RX_DC_GAIN,
    ACF_VARIABLE_TYPE_NONE,
};

DEV_FAMILY_ENUM const acf_hidden_from_tdf_family_table[] = {
#define ACF_HIDDEN_FAMILY(NUMBER) static_cast<DEV_FAMILY_ENUM>(NUMBER)
    ACF_HIDDEN_FAMILY(1),  ACF_HIDDEN_FAMILY(2),  ACF_HIDDEN_FAMILY(3),  ACF_HIDDEN_FAMILY(4),
    ACF_HIDDEN_FAMILY(5),  ACF_HIDDEN_FAMILY(10), ACF_HIDDEN_FAMILY(17), ACF_HIDDEN_FAMILY(18),
    ACF_HIDDEN_FAMILY(19), ACF_HIDDEN_FAMILY(20), ACF_HIDDEN_FAMILY(21), ACF_HIDDEN_FAMILY(22),
    ACF_HIDDEN_FAMILY(23), ACF_HIDDEN_FAMILY(24), ACF_HIDDEN_FAMILY(25), ACF_HIDDEN_FAMILY(26),
    ACF_HIDDEN_FAMILY(27), ACF_HIDDEN_FAMILY(28), ACF_HIDDEN_FAMILY(32), ACF_HIDDEN_FAMILY(34),
    ACF_HIDDEN_FAMILY(38), ACF_HIDDEN_FAMILY(42), ACF_HIDDEN_FAMILY(44), ACF_HIDDEN_FAMILY(53),
    ACF_HIDDEN_FAMILY(54),
#undef ACF_HIDDEN_FAMILY
    DEV_FAMILY_INVALID,
};

ACF_DEFAULT_VALUE_CHANGE_INFO const acf_default_value_change_table[] = {
#define ACF_DEFAULT_VALUE_CHANGE(VARIABLE, VERSION, VERSION_TEXT, VALUE)                           \
    {ACF_VARIABLE_TYPE_##VARIABLE,                                                                 \
     VERSION,                                                                                      \
     VERSION_TEXT,                                                                                 \
     0,                                                                                            \
     "0",                                                                                          \
     VALUE,                                                                                        \
     false,                                                                                        \
     false,                                                                                        \
     DEV_FAMILY_GENERIC},
#include "catalogue/acf_default_value_history.def"
#undef ACF_DEFAULT_VALUE_CHANGE
    {ACF_VARIABLE_TYPE_NONE, 0.0, "", 0, "0", "", false, false, DEV_FAMILY_GENERIC},
};

namespace {

using DEFAULTS_MAP = std::multimap<ACF_VARIABLE_TYPE_ENUM, ACF_FAMILY_DEFAULTS_INFO const*>;
using HIDDEN_FLAGS = std::array<bool, DEV_FAMILY_GENERIC>;

ACF_LAZY_MAP<DEFAULTS_MAP> g_family_defaults_map;
ACF_LAZY_MAP<HIDDEN_FLAGS> g_hidden_families;

HIDDEN_FLAGS const& hidden_families() {
    return g_hidden_families.get([] {
        HIDDEN_FLAGS* flags = MEM_NEW(ACF, HIDDEN_FLAGS)();
        flags->fill(false);
        for (DEV_FAMILY_ENUM const* family = acf_hidden_from_tdf_family_table;
             *family != DEV_FAMILY_INVALID; ++family) {
            (*flags)[static_cast<size_t>(*family)] = true;
        }
        return flags;
    });
}

// The variants of each family-generation setting, in order.
struct FAMILY_GROUP_MEMBER {
    char const* group;
    ACF_VARIABLE_TYPE_ENUM variable;
};
FAMILY_GROUP_MEMBER const family_group_members[] = {
#define ACF_FAMILY_GROUP_MEMBER(GROUP, VARIABLE) {#GROUP, ACF_VARIABLE_TYPE_##VARIABLE},
#include "catalogue/acf_family_groups.def"
#undef ACF_FAMILY_GROUP_MEMBER
};

struct FAMILY_VARIANT {
    char const* group;
    DEV_FAMILY_ENUM family;
    ACF_VARIABLE_TYPE_ENUM variable;
};
FAMILY_VARIANT const family_variants[] = {
#define ACF_FAMILY_VARIANT(GROUP, FAMILY, VARIABLE)                                                \
    {#GROUP, static_cast<DEV_FAMILY_ENUM>(FAMILY), ACF_VARIABLE_TYPE_##VARIABLE},
#include "catalogue/acf_family_variants.def"
#undef ACF_FAMILY_VARIANT
};

ACF_VARIABLE_TYPE_ENUM variant_for(char const* group, DEV_FAMILY_ENUM family) {
    for (FAMILY_VARIANT const& variant : family_variants) {
        if (variant.family == family && std::strcmp(variant.group, group) == 0) {
            return variant.variable;
        }
    }
    return ACF_VARIABLE_TYPE_NONE;
}

} // namespace

void acf_free_family_defaults_maps() {
    g_family_defaults_map.free();
    g_hidden_families.free();
}

ACF_FAMILY_DEFAULTS_INFO const* acf_get_family_defaults_info(ACF_VARIABLE_TYPE_ENUM variable,
                                                             DEV_FAMILY_ENUM family_enum) {
    if (!ACF_REQUIRE(family_enum > DEV_FAMILY_INVALID && family_enum < DEV_FAMILY_GENERIC)) {
        return nullptr;
    }
    DEFAULTS_MAP const& map = g_family_defaults_map.get([] {
        DEFAULTS_MAP* built = MEM_NEW(ACF, DEFAULTS_MAP)();
        for (ACF_FAMILY_DEFAULTS_INFO const* row = acf_family_defaults_table;
             row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
            built->emplace(row->variable, row);
        }
        return built;
    });
    auto rows = map.equal_range(variable);
    for (auto it = rows.first; it != rows.second; ++it) {
        if (it->second->family == family_enum) {
            return it->second;
        }
    }
    return nullptr;
}

void acf_get_variables_with_family_defaults(std::list<ACF_VARIABLE_TYPE_ENUM>* variables) {
    if (!ACF_REQUIRE(variables != NULL)) {
        return;
    }
    for (ACF_VARIABLE_TYPE_ENUM const* variable = acf_variables_with_family_defaults_table;
         *variable != ACF_VARIABLE_TYPE_NONE; ++variable) {
        variables->push_back(*variable);
    }
}

void acf_load_tdf_hidden_families() {
    hidden_families();
}

bool acf_hide_family_from_tdf(DEV_FAMILY_ENUM family) {
    HIDDEN_FLAGS const& flags = hidden_families();
    return family > DEV_FAMILY_INVALID && family < DEV_FAMILY_GENERIC &&
           flags[static_cast<size_t>(family)];
}

#define ACF_FAMILY_GROUP_GETTERS(group, GROUP)                                                     \
    ACF_VARIABLE_TYPE_ENUM acf_get_##group##_variable_enum(DEV_FAMILY_ENUM family) {               \
        return variant_for(#GROUP, family);                                                        \
    }                                                                                              \
    ACF_VARIABLE_TYPE_ENUM acf_get_##group##_variable(DEV_FAMILY_ENUM family) {                    \
        return variant_for(#GROUP, family);                                                        \
    }
ACF_FAMILY_GROUP_GETTERS(clique_type, CLIQUE_TYPE)
ACF_FAMILY_GROUP_GETTERS(device_io_standard, DEVICE_IO_STANDARD)
ACF_FAMILY_GROUP_GETTERS(enable_low_volt_mode, ENABLE_LOW_VOLT_MODE)
ACF_FAMILY_GROUP_GETTERS(eprom_jtag_code, EPROM_JTAG_CODE)
ACF_FAMILY_GROUP_GETTERS(jtag_bst_support, JTAG_BST_SUPPORT)
ACF_FAMILY_GROUP_GETTERS(optimization_technique, OPTIMIZATION_TECHNIQUE)
ACF_FAMILY_GROUP_GETTERS(programming_mode, PROGRAMMING_MODE)
ACF_FAMILY_GROUP_GETTERS(register_packing, REGISTER_PACKING)
ACF_FAMILY_GROUP_GETTERS(reserve_all_unused_pins, RESERVE_ALL_UNUSED_PINS)
ACF_FAMILY_GROUP_GETTERS(tech_mapper, TECH_MAPPER)
ACF_FAMILY_GROUP_GETTERS(user_jtag_code, USER_JTAG_CODE)
ACF_FAMILY_GROUP_GETTERS(use_configuration_device_name, USE_CONFIGURATION_DEVICE_NAME)
#undef ACF_FAMILY_GROUP_GETTERS

void acf_get_variable_enums_for_family_group(char const* family_group,
                                             std::list<ACF_VARIABLE_TYPE_ENUM>* family_group_list) {
    if (!ACF_REQUIRE(family_group != NULL) || !ACF_REQUIRE(family_group_list != NULL)) {
        return;
    }
    family_group_list->clear();
    for (FAMILY_GROUP_MEMBER const& member : family_group_members) {
        if (gen_stricmp(member.group, family_group) == 0) {
            family_group_list->push_back(member.variable);
        }
    }
}

namespace {
// Companion settings recommended with a device-technology migration list.
struct RECOMMENDATION {
    ACF_VARIABLE_TYPE_ENUM variable;
    char const* value;
};
RECOMMENDATION const migration_recommendations[] = {
    {ACF_VARIABLE_TYPE_PHYSICAL_SYNTHESIS_COMBO_LOGIC_FOR_AREA, "Off"},
    {ACF_VARIABLE_TYPE_CLOCKWARD_MULTICORNER_ANALYSIS, "On"},
    {ACF_VARIABLE_TYPE_VORELONII_MRAM_COMPATIBILITY, "Off"},
    {ACF_VARIABLE_TYPE_OPTIMIZE_HOLD_TIMING, "All Paths"},
    {ACF_VARIABLE_TYPE_FLOW_DISABLE_ASSEMBLER, "Off"},
    {ACF_VARIABLE_TYPE_FLOW_ENABLE_POWER_ANALYZER, "On"},
    {ACF_VARIABLE_TYPE_USE_CHECKERED_PATTERN_AS_UNINITIALIZED_RAM_CONTENT, "Off"},
    {ACF_VARIABLE_TYPE_PHYSICAL_SYNTHESIS_MAP_LOGIC_TO_MEMORY_FOR_AREA, "Off"},
    {ACF_VARIABLE_TYPE_FLOW_LUMIFORM_DESIGN_READINESS_CHECK, "On"},
    {ACF_VARIABLE_TYPE_DRC_SETTINGS, "On"},
    {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS, "As input tri-stated with weak pull-up"},
    {ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING, "On"},
};
} // namespace

char const* acf_get_variable_default_value(ACF_DEFAULT_VALUE_LOOKUP* defaults,
                                           ACF_VARIABLE_TYPE_ENUM variable, char const* name,
                                           bool has_entity, DEV_FAMILY_ENUM family) {
    if (!ACF_REQUIRE(defaults != NULL)) {
        return nullptr;
    }
    return defaults->get_default_value_for_variable(variable, name, has_entity, family);
}

void acf_get_recommendation_for_variable(ACF_MGR_INPUT_PARAMETERS* par,
                                         std::list<ACF_MGR_INPUT_PARAMETERS>* list) {
    if (!ACF_REQUIRE(par != NULL) || !ACF_REQUIRE(list != NULL)) {
        return;
    }
    if (par->get_variable_type() != ACF_VARIABLE_TYPE_DEVICE_TECHNOLOGY_MIGRATION_LIST) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS recommended;
    for (RECOMMENDATION const& recommendation : migration_recommendations) {
        recommended.set_variable_type(recommendation.variable);
        recommended.set_value_string(recommendation.value);
        list->push_back(recommended);
    }
}
