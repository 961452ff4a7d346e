// Value renames and migration, removed names, integer ranges and argument checks.
#include "catalogue/acf_legality.h"

#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "catalogue/acf_table_names.h"
#include "suite/general/big_time.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

ACF_RENAME_STRUCT_INFO const acf_rename_semantics[] = {
#define ACF_VALUE_RENAME(VARIABLE, OLD, NEW) {VARIABLE, OLD, NEW},
#include "catalogue/acf_value_renames.def"
#undef ACF_VALUE_RENAME
    {nullptr, nullptr, nullptr},
};

ACF_VARIABLE_MIGRATE_VALUE_FROM const acf_variable_migrate_value_from[] = {
    {ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS_NO_OUTPUT_GND,
     ACF_VARIABLE_TYPE_RESERVE_ALL_UNUSED_PINS},
    {ACF_VARIABLE_TYPE_NONE, ACF_VARIABLE_TYPE_NONE},
};

char const* const acf_removed_assignments[] = {
#define ACF_REMOVED_ASSIGNMENT(NAME) NAME,
#include "catalogue/acf_removed_assignments.def"
#undef ACF_REMOVED_ASSIGNMENT
    nullptr,
};

ACF_VARIABLE_INTEGER_RANGE_INFO const acf_variable_integer_range_info[] = {
#define ACF_INTEGER_RANGE(VARIABLE, MIN, MAX, FAMILY)                                              \
    {ACF_VARIABLE_TYPE_##VARIABLE, MIN, MAX, static_cast<DEV_FAMILY_ENUM>(FAMILY)},
#include "catalogue/acf_integer_ranges.def"
#undef ACF_INTEGER_RANGE
    {ACF_VARIABLE_TYPE_NONE, 0, 0, DEV_FAMILY_GENERIC},
};

namespace {

using RENAME_MAP = std::multimap<ACF_VARIABLE_TYPE_ENUM, ACF_RENAME_STRUCT_INFO const*>;
ACF_LAZY_MAP<RENAME_MAP> g_rename_map;

bool is_blank_text(char const* value) {
    return value == nullptr || value[std::strspn(value, " \t\r\n")] == '\0';
}

// Decimal digits with at most a leading '-'; anything from the first '.' on is
// cut off.
bool is_integer_text(char const* value, int* number) {
    std::string text(value, std::strcspn(value, "."));
    size_t digits = text[0] == '-' ? 1 : 0;
    if (digits == text.size() ||
        text.find_first_not_of("0123456789", digits) != std::string::npos) {
        return false;
    }
    *number = std::atoi(text.c_str());
    return true;
}

bool is_value_legal(ACF_ARGUMENT_TYPE_ENUM argument, char const* value) {
    int type = acf_get_argument_type(argument);
    if (is_blank_text(value)) {
        return type == ACF_VALUE_TYPE_NONE || type == ACF_VALUE_TYPE_BOOL;
    }
    switch (type) {
    case ACF_VALUE_TYPE_NONE:
    case ACF_VALUE_TYPE_BOOL:
        return false;
    case ACF_VALUE_TYPE_STRING:
    case ACF_VALUE_TYPE_FILE:
    case ACF_VALUE_TYPE_LOCATION:
        return true;
    case ACF_VALUE_TYPE_INT: {
        int number = 0;
        if (!is_integer_text(value, &number)) {
            return false;
        }
        int min = 0, max = 0;
        return !acf_get_argument_integer_range(argument, min, max) ||
               (number >= min && number <= max);
    }
    case ACF_VALUE_TYPE_DOUBLE:
        return value[std::strspn(value, "-0123456789.")] == '\0';
    case ACF_VALUE_TYPE_ENUM: {
        std::vector<ACF_ARGUMENT_ENUM_VALUE_ENUM> values;
        acf_get_argument_value_types(argument, &values);
        ACF_ARGUMENT_ENUM_VALUE_ENUM named = acf_get_argument_value_enum_from_string(value);
        return named != ACF_ARGUMENT_ENUM_VALUE_NONE &&
               std::find(values.begin(), values.end(), named) != values.end();
    }
    case ACF_VALUE_TYPE_TIME:
    case ACF_VALUE_TYPE_FREQUENCY: {
        BIG_TIME time;
        if (!time.set_time(value)) {
            return false;
        }
        if (acf_test_argument_trait_of(argument, ACF_ARGUMENT_TRAIT_TYPE_CHECK_AGAINST_TSM_DELAY)) {
            int32_t delay = time.get_delay_in_ps();
            return delay != BIG_TIME::DELAY_OVERFLOW && delay != BIG_TIME::DELAY_UNDERFLOW;
        }
        return true;
    }
    }
    ACF_INTERNAL_ERROR("Invalid case in switch");
    return false;
}

} // namespace

void acf_free_rename_map() {
    g_rename_map.free();
}

char const* acf_convert_old_value_to_new(ACF_VARIABLE_TYPE_ENUM variable, char const* value,
                                         DEV_FAMILY_ENUM /*family*/) {
    if (value == nullptr) {
        return nullptr;
    }
    RENAME_MAP const& map = g_rename_map.get([] {
        RENAME_MAP* built = MEM_NEW(ACF, RENAME_MAP)();
        for (ACF_RENAME_STRUCT_INFO const* row = acf_rename_semantics;
             row->variable_name != nullptr; ++row) {
            built->emplace(acf_user_name_to_variable_type_enum(row->variable_name), row);
        }
        return built;
    });
    auto rows = map.equal_range(variable);
    for (auto it = rows.first; it != rows.second; ++it) {
        if (gen_stricmp(it->second->old_value, value) == 0) {
            return it->second->new_value;
        }
    }
    return nullptr;
}

char const* acf_get_argument_rename_value(ACF_ARGUMENT_TYPE_ENUM /*argument*/, char const* value) {
    return value;
}

void acf_get_migrate_value_from_list(std::list<ACF_VARIABLE_MIGRATE_VALUE_FROM const*>* list) {
    if (!ACF_REQUIRE(list != NULL)) {
        return;
    }
    for (ACF_VARIABLE_MIGRATE_VALUE_FROM const* row = acf_variable_migrate_value_from;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        list->push_back(row);
    }
}

bool acf_is_obsolete_assignment_name(char const* name) {
    if (gen_is_empty_string(name)) {
        return false;
    }
    for (char const* const* removed = acf_removed_assignments; *removed != nullptr; ++removed) {
        if (gen_stricmp(*removed, name) == 0) {
            return true;
        }
    }
    return false;
}

bool acf_get_integer_range_for_variable(ACF_VARIABLE_TYPE_ENUM variable, int& min, int& max,
                                        DEV_FAMILY_ENUM family) {
    if (variable == ACF_VARIABLE_TYPE_NONE || acf_get_value_type(variable) != ACF_VALUE_TYPE_INT) {
        return false;
    }
    bool asked_project = false;
    for (ACF_VARIABLE_INTEGER_RANGE_INFO const* row = acf_variable_integer_range_info;
         row->variable != ACF_VARIABLE_TYPE_NONE; ++row) {
        if (row->variable != variable) {
            continue;
        }
        if (row->family != DEV_FAMILY_GENERIC) {
            if (!asked_project && family == DEV_FAMILY_GENERIC) {
                family = acf_get_project_family_enum();
            }
            asked_project = true;
            if (family != row->family && family != DEV_FAMILY_GENERIC) {
                continue;
            }
        }
        min = row->minimum;
        max = row->maximum;
        return true;
    }
    return false;
}

bool acf_is_argument_legal(ACF_ARGUMENT_TYPE_ENUM argument, char const* value) {
    return argument == ACF_ARGUMENT_TYPE_NONE || is_value_legal(argument, value);
}

bool acf_is_argument_legal(ACF_ARGUMENT_TYPE_ENUM argument, char const* value,
                           ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id, bool has_entity) {
    ACF_ARGUMENT_SEMANTIC_INFO const* semantics = acf_get_argument_semantics(argument);
    if (argument == ACF_ARGUMENT_TYPE_NONE || semantics == nullptr) {
        return true;
    }
    if (semantics->valid_for_every_variable == 0 && variable != ACF_VARIABLE_TYPE_NONE &&
        !acf_is_argument_valid_for_variable(variable, has_section_id, has_entity, argument)) {
        return false;
    }
    return is_value_legal(argument, value);
}
