// The rules of the older sectioned settings files and their lookups.
#include "catalogue/acf_old_section_rules.h"

#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "catalogue/acf_defaults.h"
#include "catalogue/acf_table_names.h"

#include <map>
#include <set>

MEM_UNIT_INITIALIZER(ACF);

ACF_SECTION_SEMANTIC_INFO const acf_section_semantics[] = {
#define ACF_OLD_SECTION(SECTION, KIND, TAKES_ID)                                                   \
    {ACF_SECTION_TYPE_##SECTION, static_cast<ACF_FILE_TYPE_ENUM>(KIND), TAKES_ID},
#include "catalogue/acf_old_section_rules.def"
#undef ACF_OLD_SECTION
    {ACF_SECTION_TYPE_NONE, ACF_FILE_TYPE_NONE, false},
};

ACF_VARIABLE_SEMANTIC_INFO const acf_variable_semantics[] = {
#define ACF_OLD_VARIABLE_SECTION(VARIABLE, SECTION, NO_TARGET, TARGET, SRC_DEST, MULTIPLE)         \
    {ACF_VARIABLE_TYPE_##VARIABLE,                                                                 \
     ACF_SECTION_TYPE_##SECTION,                                                                   \
     NO_TARGET != 0,                                                                               \
     TARGET != 0,                                                                                  \
     SRC_DEST != 0,                                                                                \
     MULTIPLE != 0},
#include "catalogue/acf_old_section_rules.def"
#undef ACF_OLD_VARIABLE_SECTION
    {ACF_VARIABLE_TYPE_NONE, ACF_SECTION_TYPE_NONE, false, false, false, false},
};

namespace {

// Multimaps keep insertion order among equal keys, so table order is kept.
using VARIABLE_MAP = std::multimap<ACF_VARIABLE_TYPE_ENUM, ACF_VARIABLE_SEMANTIC_INFO const*>;
using SECTION_MAP = std::multimap<ACF_SECTION_TYPE_ENUM, ACF_SECTION_SEMANTIC_INFO const*>;

ACF_LAZY_MAP<VARIABLE_MAP> g_variable_map;
ACF_LAZY_MAP<SECTION_MAP> g_section_map;

VARIABLE_MAP const& variable_map() {
    return g_variable_map.get([] {
        VARIABLE_MAP* map = MEM_NEW(ACF, VARIABLE_MAP)();
        for (ACF_VARIABLE_SEMANTIC_INFO const* row = acf_variable_semantics;
             row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
            map->emplace(row->variable, row);
        }
        return map;
    });
}

SECTION_MAP const& section_map() {
    return g_section_map.get([] {
        SECTION_MAP* map = MEM_NEW(ACF, SECTION_MAP)();
        for (ACF_SECTION_SEMANTIC_INFO const* row = acf_section_semantics;
             row->section != ACF_SECTION_TYPE_NONE; ++row) {
            map->emplace(row->section, row);
        }
        return map;
    });
}

} // namespace

void acf_free_old_section_rule_maps() {
    g_variable_map.free();
    g_section_map.free();
}

ACF_VARIABLE_SEMANTIC_INFO const* acf_get_variable_semantics(ACF_VARIABLE_TYPE_ENUM variable,
                                                             ACF_SECTION_TYPE_ENUM section) {
    auto range = variable_map().equal_range(variable);
    for (auto it = range.first; it != range.second; ++it) {
        if (section == ACF_SECTION_TYPE_NONE || it->second->section == section) {
            return it->second;
        }
    }
    return nullptr;
}

bool acf_variable_takes_target(ACF_SECTION_TYPE_ENUM sect, ACF_VARIABLE_TYPE_ENUM var) {
    if (!ACF_REQUIRE(sect != ACF_SECTION_TYPE_NONE) ||
        !ACF_REQUIRE(var != ACF_VARIABLE_TYPE_NONE)) {
        return false;
    }
    ACF_VARIABLE_SEMANTIC_INFO const* row = acf_get_variable_semantics(var, sect);
    return row != nullptr && row->takes_target;
}

bool acf_variable_takes_src_dest(ACF_SECTION_TYPE_ENUM section, ACF_VARIABLE_TYPE_ENUM variable) {
    if (section == ACF_SECTION_TYPE_NONE || variable == ACF_VARIABLE_TYPE_NONE) {
        return false;
    }
    ACF_VARIABLE_SEMANTIC_INFO const* row = acf_get_variable_semantics(variable, section);
    return row != nullptr && row->takes_src_dest;
}

bool acf_variable_takes_multiple_values(ACF_SECTION_TYPE_ENUM section,
                                        ACF_VARIABLE_TYPE_ENUM variable) {
    if (section == ACF_SECTION_TYPE_NONE || variable == ACF_VARIABLE_TYPE_NONE) {
        return false;
    }
    ACF_VARIABLE_SEMANTIC_INFO const* row = acf_get_variable_semantics(variable, section);
    return row != nullptr && row->takes_multiple_values;
}

bool acf_is_variable_allowed_in_section_type(ACF_VARIABLE_TYPE_ENUM variable,
                                             ACF_SECTION_TYPE_ENUM section) {
    return acf_get_variable_semantics(variable, section) != nullptr &&
           !acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG);
}

std::vector<ACF_SECTION_TYPE_ENUM> acf_get_variable_section_types(ACF_VARIABLE_TYPE_ENUM variable) {
    std::vector<ACF_SECTION_TYPE_ENUM> sections;
    auto range = variable_map().equal_range(variable);
    for (auto it = range.first; it != range.second; ++it) {
        sections.push_back(it->second->section);
    }
    return sections;
}

ACF_SECTION_SEMANTIC_INFO const* acf_get_section_semantics(ACF_SECTION_TYPE_ENUM section,
                                                           ACF_FILE_TYPE_ENUM file_type) {
    auto range = section_map().equal_range(section);
    for (auto it = range.first; it != range.second; ++it) {
        if (file_type == ACF_FILE_TYPE_NONE || it->second->file_type == file_type) {
            return it->second;
        }
    }
    return nullptr;
}

bool acf_section_takes_identifier(ACF_FILE_TYPE_ENUM file_type, ACF_SECTION_TYPE_ENUM sect) {
    if (!ACF_REQUIRE(sect != ACF_SECTION_TYPE_NONE)) {
        return false;
    }
    ACF_SECTION_SEMANTIC_INFO const* row = acf_get_section_semantics(sect, file_type);
    return row != nullptr && row->takes_identifier;
}

std::vector<ACF_SECTION_TYPE_ENUM> acf_get_section_types(ACF_FILE_TYPE_ENUM file_type) {
    std::set<ACF_SECTION_TYPE_ENUM> sections;
    for (ACF_SECTION_SEMANTIC_INFO const* row = acf_section_semantics;
         row->section != ACF_SECTION_TYPE_NONE; ++row) {
        if (file_type == ACF_FILE_TYPE_NONE || row->file_type == file_type) {
            sections.insert(row->section);
        }
    }
    return std::vector<ACF_SECTION_TYPE_ENUM>(sections.begin(), sections.end());
}

std::vector<ACF_FILE_TYPE_ENUM> acf_get_section_file_types(ACF_SECTION_TYPE_ENUM section) {
    std::vector<ACF_FILE_TYPE_ENUM> kinds;
    auto range = section_map().equal_range(section);
    for (auto it = range.first; it != range.second; ++it) {
        kinds.push_back(it->second->file_type);
    }
    return kinds;
}

char const* acf_get_variable_default_value(ACF_DEFAULT_VALUE_LOOKUP* defaults,
                                           ACF_VARIABLE_TYPE_ENUM variable,
                                           ACF_SECTION_TYPE_ENUM section, DEV_FAMILY_ENUM family) {
    for (ACF_FILE_TYPE_ENUM file_type : acf_get_section_file_types(section)) {
        // Sections that take an identifier ask for the default of any identifier;
        // these three always ask without one.
        char const* identifier = nullptr;
        if (section != ACF_SECTION_TYPE_PROJECT_INFO &&
            section != ACF_SECTION_TYPE_THIRD_PARTY_EDA_TOOLS && section != ACF_SECTION_TYPE_CHIP) {
            ACF_SECTION_SEMANTIC_INFO const* row = acf_get_section_semantics(section, file_type);
            if (row == nullptr) {
                continue;
            }
            identifier = row->takes_identifier ? "" : nullptr;
        }
        char const* value = acf_get_variable_default_value(
            defaults, variable, identifier, file_type == ACF_FILE_TYPE_ENTITY_SETTINGS, family);
        if (value != nullptr) {
            return value;
        }
    }
    return nullptr;
}
