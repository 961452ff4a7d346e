// The legality check of a new assignment: the value in its current spelling and
// of its variable's type, the catalogue's rules for the context it is made in,
// an assignment already made in the same place, freeform names, and the
// arguments. The last check's status is kept as the store's last error.
#include "store/acf_manager_storage_real.h"

#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "catalogue/acf_legality.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

#include "suite/general/big_time.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

MEM_UNIT_INITIALIZER(ACF);

namespace {
bool is_blank(char const* text) {
    return text == nullptr || text[strspn(text, " \t\r\n")] == '\0';
}

bool consists_of(char const* text, char const* allowed) {
    return text[strspn(text, allowed)] == '\0';
}

// Whether a time or frequency value is legal for the variable; a bare number
// takes the kind's default unit.
bool is_legal_time_value(ACF_VARIABLE_TYPE_ENUM variable, int value_type, std::string text) {
    if (consists_of(text.c_str(), "-0123456789. \t\r\n")) {
        size_t first = text.find_first_not_of(" \t\r\n");
        size_t last = text.find_last_not_of(" \t\r\n");
        text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
        text += BIG_TIME::get_time_unit_string(
            value_type == ACF_VALUE_TYPE_TIME ? BIG_TIME_UNIT_NS : BIG_TIME_UNIT_MHZ);
    }
    BIG_TIME time;
    if (!time.set_time(text.c_str())) {
        return false;
    }
    if (acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_CHECK_AGAINST_TSM_DELAY)) {
        int32_t delay = time.get_delay_in_ps();
        return delay != BIG_TIME::DELAY_OVERFLOW && delay != BIG_TIME::DELAY_UNDERFLOW;
    }
    return true;
}

bool is_legal_integer_value(ACF_VARIABLE_TYPE_ENUM variable, std::string const& text) {
    std::string whole = text.substr(0, text.find('.'));
    if (!consists_of(whole.c_str(), "-0123456789")) {
        return false;
    }
    int low = 0;
    int high = 0;
    if (acf_get_integer_range_for_variable(variable, low, high, DEV_FAMILY_GENERIC)) {
        long value = std::strtol(whole.c_str(), nullptr, 10);
        return value >= std::min(low, high) && value <= std::max(low, high);
    }
    return true;
}
} // namespace

char const* ACF_MANAGER_STORAGE_REAL::effective_section_id(ACF_VARIABLE_TYPE_ENUM variable,
                                                           char const* section_id) const {
    if (gen_is_empty_string(section_id) || variable == ACF_VARIABLE_TYPE_NONE) {
        return section_id;
    }
    if (acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_CHIP_SECTION) &&
        m_revision_name == section_id) {
        return nullptr;
    }
    if (acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_PROJECT_INFO_SECTION) &&
        m_project_name == section_id) {
        return nullptr;
    }
    return section_id;
}

bool ACF_MANAGER_STORAGE_REAL::is_legal_global_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    return is_legal(input_parameters, true, false);
}

bool ACF_MANAGER_STORAGE_REAL::is_legal_instance_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    return is_legal(input_parameters, false, false);
}

bool ACF_MANAGER_STORAGE_REAL::is_legal_freeform_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    return is_legal(input_parameters, false, true);
}

bool ACF_MANAGER_STORAGE_REAL::is_legal(ACF_MGR_INPUT_PARAMETERS* p, bool is_global,
                                        bool is_freeform) {
    if (!ACF_REQUIRE(p != NULL)) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    ACF_VARIABLE_TYPE_ENUM variable = p->get_variable_type();

    // A value, in its current spelling.
    char const* raw_value = p->get_value_string();
    char const* converted = acf_convert_old_value_to_new(variable, raw_value, DEV_FAMILY_GENERIC);
    std::string value = converted != nullptr ? converted : (raw_value != nullptr ? raw_value : "");
    if (is_blank(value.c_str())) {
        m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VALUE;
        return false;
    }
    // A variable of the catalogue or a name.
    if (variable == ACF_VARIABLE_TYPE_NONE && gen_is_empty_string(p->get_variable_string())) {
        m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VARIABLE;
        return false;
    }
    // The section identifier that counts.
    char const* section_id = effective_section_id(variable, p->get_section_identifier());
    bool has_section_id = !gen_is_empty_string(section_id);
    bool has_entity = !gen_is_empty_string(p->get_entity_name());
    m_last_error_status = 0;

    std::string to;
    std::string from;
    bool freeform_path = is_freeform || variable == ACF_VARIABLE_TYPE_NONE ||
                         acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
    if (!freeform_path) {
        // Source and target as written in files.
        if (!is_global) {
            acf_source_target_cleanup(p->get_to(), &to);
            acf_source_target_cleanup(p->get_from(), &from);
        }
        // The catalogue's rules for where the variable may be set.
        int status = acf_check_against_file_semantics(variable, !from.empty(), !to.empty(),
                                                      has_entity, is_global, false, section_id);
        if (status != 0) {
            m_last_error_status = status;
            return false;
        }
        // A value of the variable's type.
        int value_type = acf_get_value_type(variable);
        bool value_ok = true;
        switch (value_type) {
        case ACF_VALUE_TYPE_BOOL:
            value_ok =
                gen_stricmp(value.c_str(), "on") == 0 || gen_stricmp(value.c_str(), "off") == 0;
            break;
        case ACF_VALUE_TYPE_STRING:
        case ACF_VALUE_TYPE_FILE:
        case ACF_VALUE_TYPE_LOCATION:
            break;
        case ACF_VALUE_TYPE_INT:
            value_ok = is_legal_integer_value(variable, value);
            break;
        case ACF_VALUE_TYPE_DOUBLE:
            value_ok = consists_of(value.c_str(), "-0123456789.");
            break;
        case ACF_VALUE_TYPE_ENUM: {
            ACF_ENUM_VALUE_ENUM enum_value = acf_user_string_to_enum_type_enum(value.c_str());
            value_ok = false;
            for (ACF_ENUM_VALUE_ENUM v :
                 acf_get_variable_enum_value_types(variable, true, m_project_family)) {
                value_ok = value_ok || v == enum_value;
            }
            value_ok = value_ok && enum_value != ACF_ENUM_VALUE_NONE;
            break;
        }
        case ACF_VALUE_TYPE_TIME:
        case ACF_VALUE_TYPE_FREQUENCY:
            value_ok = is_legal_time_value(variable, value_type, value);
            break;
        default:
            ACF_INTERNAL_ERROR("Invalid case in switch");
            value_ok = false;
            break;
        }
        if (!value_ok) {
            m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VALUE;
            return false;
        }
        // The variable's row in this context.
        ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const* row =
            acf_get_variable_file_category_semantics(variable, !from.empty(), !to.empty(),
                                                     has_entity, section_id,
                                                     ACF_FILE_CATEGORY_NONE);
        if (row == nullptr) {
            row = acf_get_variable_file_category_semantics(
                variable, !from.empty(), !to.empty(), has_entity, nullptr, ACF_FILE_CATEGORY_NONE);
        }
        if (row == nullptr) {
            m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VARIABLE;
            return false;
        }
        // An assignment of the variable in the same place (of the same value
        // for variables that hold several values) already exists: a duplicate.
        m_legal_params.copy_from(p);
        m_legal_params.set_variable_string(nullptr);
        m_legal_params.set_to(to.empty() ? nullptr : to.c_str());
        m_legal_params.set_from(from.empty() ? nullptr : from.c_str());
        m_legal_params.set_section_identifier(section_id);
        if (row->design_file) {
            std::string kept = value;
            acf_convert_time_frequency_to_correct_case(kept);
            m_legal_params.set_value_string(kept.c_str());
        } else {
            m_legal_params.set_value_string("");
        }
        if (m_asgn_storage != nullptr &&
            m_asgn_storage->does_variable_exist(&m_legal_params, is_global, false)) {
            m_last_error_status = ACF_REVISION_MANAGER::DUPLICATE_FOUND;
        }
    } else {
        // Freeform assignments: a name, and no source.
        if (gen_is_empty_string(p->get_variable_string())) {
            m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_FREEFORM_VARIABLE;
            return false;
        }
        if (!is_global || is_freeform) {
            acf_source_target_cleanup(p->get_to(), &to);
            acf_source_target_cleanup(p->get_from(), &from);
        }
        if (!from.empty()) {
            m_last_error_status = to.empty() ? ACF_REVISION_MANAGER::ILLEGAL_TARGET_NAME
                                             : ACF_REVISION_MANAGER::ILLEGAL_SOURCE_NAME;
            return false;
        }
    }

    // Arguments: each legal here and given once; one allowed on a single
    // assignment per value (ONE_PER_VALUE) not already given that value on a
    // matching assignment.
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    std::list<std::string> values;
    p->get_argument_types(&types);
    p->get_argument_values(&values);
    std::set<ACF_ARGUMENT_TYPE_ENUM> seen;
    auto value_it = values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM type : types) {
        std::string const argument_value = value_it != values.end() ? *value_it++ : std::string();
        if (!acf_is_argument_legal(type, argument_value.c_str(), variable, has_section_id,
                                   has_entity) ||
            !seen.insert(type).second) {
            m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_ARGUMENT;
            return false;
        }
        if (acf_test_argument_trait_of(type, ACF_ARGUMENT_TRAIT_TYPE_ONE_PER_VALUE) &&
            m_asgn_storage != nullptr &&
            m_asgn_storage->does_matching_assignment_exist_with_same_argument(
                p, is_global, is_freeform, type, argument_value.c_str())) {
            m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_ARGUMENT;
            return false;
        }
    }
    return m_last_error_status.load() == 0;
}
