// The revision store's statuses and their messages, the legality check of a new
// assignment, and the queries and the general removal that share its
// section-identifier rule.
#include "acf_manager_storage_real.h"

#include "acf_asgn_storage.h"
#include "acf_assignment.h"
#include "acf_family_info_mgr.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_legality.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "mem_manager.h"

#include "suite/general/big_time.h"
#include "suite/general/gen.h"

#include <cstdlib>
#include <cstring>
#include <set>

MEM_UNIT_INITIALIZER(ACF);

using STATUS_CODE = ACF_REVISION_MANAGER::ERROR_STATUS;

namespace {
bool is_blank(char const* text) {
    return text == nullptr || text[strspn(text, " \t\r\n")] == '\0';
}

bool consists_of(char const* text, char const* allowed) {
    return text[strspn(text, allowed)] == '\0';
}

// The section identifier that counts for the variable: one equal to the active
// revision's name (old chip sections) or to the project's name (old project
// sections) stands for none.
char const* effective_section_id(ACF_VARIABLE_TYPE_ENUM variable, char const* section_id,
                                 std::string const& revision, std::string const& project) {
    if (gen_is_empty_string(section_id) || variable == ACF_VARIABLE_TYPE_NONE) {
        return section_id;
    }
    if (acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_CHIP_SECTION) &&
        revision == section_id) {
        return nullptr;
    }
    if (acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_PROJECT_INFO_SECTION) &&
        project == section_id) {
        return nullptr;
    }
    return section_id;
}

// Error or warning form of a message with both forms.
template <class E_FACTORY, class W_FACTORY>
MSG_POST* either(bool is_error, E_FACTORY e, W_FACTORY w) {
    return is_error ? static_cast<MSG_POST*>(e()) : static_cast<MSG_POST*>(w());
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

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::post_with_reason(MSG_POST* message, std::string const& reason) {
    acf_add_info_sub_message(message, reason);
    if (test_state(STATE_POST_MESSAGES)) {
        post_or_hold(message);
    } else {
        delete message;
    }
}

ACF_MANAGER_STORAGE_REAL::STATUS
ACF_MANAGER_STORAGE_REAL::post_error_message(STATUS status, char const* file, int line,
                                             ACF_MGR_INPUT_PARAMETERS* params, char const* name,
                                             char const* detail, bool is_error) {
    if (!test_state(STATE_POST_MESSAGES)) {
        bool family_conflict_allowed = false;
        if (status == ACF_REVISION_MANAGER::DEVICE_FAMILY_CONFLICT &&
            ACF_REQUIRE(m_acf_revision_manager != NULL)) {
            family_conflict_allowed = m_acf_revision_manager->get_bool_data(
                ACF_REVISION_MANAGER::ALLOW_FAMILY_CONFLICT_WARNING);
        }
        if (!family_conflict_allowed) {
            return status;
        }
    }

    // What a file's line brought is shown cut: a huge bad line is not echoed
    // whole.
    auto shown = [](char const* text) { return acf_shown_text(text); };
    char const* variable_name = nullptr;
    std::string variable_shown;
    if (params != nullptr) {
        if (params->get_variable_string() != nullptr) {
            variable_shown = shown(params->get_variable_string());
            variable_name = variable_shown.c_str();
        } else if (params->get_variable_type() != ACF_VARIABLE_TYPE_NONE) {
            variable_shown = acf_get_variable_user_name(params->get_variable_type());
            variable_name = variable_shown.c_str();
        }
    }
    bool has_name = !gen_is_empty_string(variable_name);
    auto text_of = [](char const* text) { return text != nullptr ? text : ""; };
    char const* file_text = text_of(file);
    std::string const name_shown = shown(name);
    name = name != nullptr ? name_shown.c_str() : nullptr;
    char const* name_text = text_of(name);

    MSG_POST* message = nullptr;
    MSG_POST* value_help = nullptr;
    STATUS result = status;
    switch (status) {
    case ACF_REVISION_MANAGER::OUTPUT_FILE_IS_READ_ONLY:
        message = MSG_ACF::W::OUTPUT_FILE_IS_READ_ONLY(file_text);
        break;
    case ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED:
        message = MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file_text);
        break;
    case ACF_REVISION_MANAGER::INCLUDE_FILE_MISSING:
        message = either(
            is_error, [&] { return MSG_ACF::E::INCLUDE_FILE_MISSING(name_text); },
            [&] { return MSG_ACF::W::INCLUDE_FILE_MISSING(name_text); });
        break;
    case ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE:
        message = MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(file_text);
        break;
    case ACF_REVISION_MANAGER::ILLEGAL_SECTION_NAME:
        message =
            !gen_is_empty_string(name)
                ? either(
                      is_error, [&] { return MSG_ACF::E::ILLEGAL_SECTION_NAME_WITH_NAME(name); },
                      [&] { return MSG_ACF::W::ILLEGAL_SECTION_NAME_WITH_NAME(name); })
                : either(
                      is_error, [] { return MSG_ACF::E::ILLEGAL_SECTION_NAME(); },
                      [] { return MSG_ACF::W::ILLEGAL_SECTION_NAME(); });
        break;
    case ACF_REVISION_MANAGER::ILLEGAL_VARIABLE:
        message = has_name
                      ? either(
                            is_error,
                            [&] { return MSG_ACF::E::ILLEGAL_VARIABLE_WITH_NAME(variable_name); },
                            [&] { return MSG_ACF::W::ILLEGAL_VARIABLE_WITH_NAME(variable_name); })
                      : either(
                            is_error, [] { return MSG_ACF::E::ILLEGAL_VARIABLE(); },
                            [] { return MSG_ACF::W::ILLEGAL_VARIABLE(); });
        break;
    case ACF_REVISION_MANAGER::ILLEGAL_FREEFORM_VARIABLE:
        message =
            has_name
                ? either(
                      is_error,
                      [&] {
                          return MSG_ACF::E::ILLEGAL_FREEFORM_VARIABLE_WITH_NAME(variable_name);
                      },
                      [&] {
                          return MSG_ACF::W::ILLEGAL_FREEFORM_VARIABLE_WITH_NAME(variable_name);
                      })
                : either(
                      is_error, [] { return MSG_ACF::E::ILLEGAL_FREEFORM_VARIABLE(); },
                      [] { return MSG_ACF::W::ILLEGAL_FREEFORM_VARIABLE(); });
        break;
    case ACF_REVISION_MANAGER::ILLEGAL_ENTITY_NAME: {
        std::string const entity_shown =
            shown(params != nullptr ? params->get_entity_name() : nullptr);
        char const* entity = entity_shown.c_str();
        message =
            !gen_is_empty_string(entity)
                ? either(
                      is_error, [&] { return MSG_ACF::E::ILLEGAL_ENTITY_NAME_WITH_NAME(entity); },
                      [&] { return MSG_ACF::W::ILLEGAL_ENTITY_NAME_WITH_NAME(entity); })
                : either(
                      is_error, [] { return MSG_ACF::E::ILLEGAL_ENTITY_NAME(); },
                      [] { return MSG_ACF::W::ILLEGAL_ENTITY_NAME(); });
        break;
    }
    case ACF_REVISION_MANAGER::ILLEGAL_SECTION_ID: {
        std::string const id_shown =
            shown(params != nullptr ? params->get_section_identifier() : nullptr);
        char const* id = id_shown.c_str();
        message = !gen_is_empty_string(id)
                      ? either(
                            is_error, [&] { return MSG_ACF::E::ILLEGAL_SECTION_ID_WITH_NAME(id); },
                            [&] { return MSG_ACF::W::ILLEGAL_SECTION_ID_WITH_NAME(id); })
                      : either(
                            is_error, [] { return MSG_ACF::E::ILLEGAL_SECTION_ID(); },
                            [] { return MSG_ACF::W::ILLEGAL_SECTION_ID(); });
        break;
    }
    case ACF_REVISION_MANAGER::ILLEGAL_TARGET_NAME: {
        std::string const to_shown = shown(params != nullptr ? params->get_to() : nullptr);
        char const* to = to_shown.c_str();
        if (gen_is_empty_string(to)) {
            message = either(
                is_error, [] { return MSG_ACF::E::ILLEGAL_TARGET_NAME(); },
                [] { return MSG_ACF::W::ILLEGAL_TARGET_NAME(); });
        } else if (has_name) {
            message = either(
                is_error,
                [&] {
                    return MSG_ACF::E::ILLEGAL_TARGET_NAME_WITH_NAME_AND_VARIABLE(to,
                                                                                  variable_name);
                },
                [&] {
                    return MSG_ACF::W::ILLEGAL_TARGET_NAME_WITH_NAME_AND_VARIABLE(to,
                                                                                  variable_name);
                });
        } else {
            message = either(
                is_error, [&] { return MSG_ACF::E::ILLEGAL_TARGET_NAME_WITH_NAME(to); },
                [&] { return MSG_ACF::W::ILLEGAL_TARGET_NAME_WITH_NAME(to); });
        }
        break;
    }
    case ACF_REVISION_MANAGER::ILLEGAL_SOURCE_NAME: {
        std::string const from_shown = shown(params != nullptr ? params->get_from() : nullptr);
        char const* from = from_shown.c_str();
        if (gen_is_empty_string(from)) {
            message = either(
                is_error, [] { return MSG_ACF::E::ILLEGAL_SOURCE_NAME(); },
                [] { return MSG_ACF::W::ILLEGAL_SOURCE_NAME(); });
        } else if (has_name) {
            message = either(
                is_error,
                [&] {
                    return MSG_ACF::E::ILLEGAL_SOURCE_NAME_WITH_NAME_AND_VARIABLE(from,
                                                                                  variable_name);
                },
                [&] {
                    return MSG_ACF::W::ILLEGAL_SOURCE_NAME_WITH_NAME_AND_VARIABLE(from,
                                                                                  variable_name);
                });
        } else {
            message = either(
                is_error, [&] { return MSG_ACF::E::ILLEGAL_SOURCE_NAME_WITH_NAME(from); },
                [&] { return MSG_ACF::W::ILLEGAL_SOURCE_NAME_WITH_NAME(from); });
        }
        break;
    }
    case ACF_REVISION_MANAGER::ILLEGAL_VALUE: {
        char const* value = params != nullptr ? params->get_value_string() : nullptr;
        if (gen_is_empty_string(value)) {
            message = line >= 1
                          ? either(
                                is_error,
                                [&] { return MSG_ACF::E::ILLEGAL_VALUE_WITH_LINE_NUMBER(line); },
                                [&] { return MSG_ACF::W::ILLEGAL_VALUE_WITH_LINE_NUMBER(line); })
                          : either(
                                is_error, [] { return MSG_ACF::E::ILLEGAL_VALUE(); },
                                [] { return MSG_ACF::W::ILLEGAL_VALUE(); });
            break;
        }
        ACF_VARIABLE_TYPE_ENUM variable = params->get_variable_type();
        int value_type = acf_get_value_type(variable);
        bool as_error = is_error;
        if (value_type == ACF_VALUE_TYPE_ENUM) {
            ACF_ENUM_VALUE_ENUM enum_value = acf_user_string_to_enum_type_enum(value);
            if (enum_value != ACF_ENUM_VALUE_NONE &&
                acf_is_valid_enum_value(variable, enum_value)) {
                as_error = false;
                result = ACF_REVISION_MANAGER::SUCCESS;
            }
        }
        std::string const value_shown = shown(value);
        message =
            has_name
                ? either(
                      as_error,
                      [&] {
                          return MSG_ACF::E::ILLEGAL_VALUE_WITH_NAME_AND_VARIABLE(
                              value_shown.c_str(), variable_name);
                      },
                      [&] {
                          return MSG_ACF::W::ILLEGAL_VALUE_WITH_NAME_AND_VARIABLE(
                              value_shown.c_str(), variable_name);
                      })
                : either(
                      as_error,
                      [&] { return MSG_ACF::E::ILLEGAL_VALUE_WITH_NAME(value_shown.c_str()); },
                      [&] { return MSG_ACF::W::ILLEGAL_VALUE_WITH_NAME(value_shown.c_str()); });
        char const* shown = has_name ? variable_name : "";
        int low = 0;
        int high = 0;
        switch (value_type) {
        case ACF_VALUE_TYPE_BOOL:
            value_help = MSG_ACF::I::VALUE_MUST_BE_BOOL(shown);
            break;
        case ACF_VALUE_TYPE_INT:
            value_help = acf_get_integer_range_for_variable(variable, low, high, DEV_FAMILY_GENERIC)
                             ? MSG_ACF::I::VALUE_MUST_BE_INT_WITH_RANGE(shown, std::min(low, high),
                                                                        std::max(low, high))
                             : MSG_ACF::I::VALUE_MUST_BE_INT(shown);
            break;
        case ACF_VALUE_TYPE_DOUBLE:
            value_help = MSG_ACF::I::VALUE_MUST_BE_DOUBLE(shown);
            break;
        case ACF_VALUE_TYPE_ENUM: {
            std::string list;
            for (ACF_ENUM_VALUE_ENUM v :
                 acf_get_variable_enum_value_types(variable, false, m_project_family)) {
                char const* text = acf_enum_type_to_user_string(v);
                if (text != nullptr) {
                    list += (list.empty() ? "\"" : ", \"") + std::string(text) + "\"";
                }
            }
            value_help = MSG_ACF::I::VALUE_MUST_BE_ENUM(shown, list.c_str());
            break;
        }
        default:
            break;
        }
        break;
    }
    case ACF_REVISION_MANAGER::DUPLICATE_FOUND:
        message = has_name
                      ? static_cast<MSG_POST*>(MSG_ACF::W::DUPLICATE_FOUND_WITH_NAME(variable_name))
                      : MSG_ACF::W::DUPLICATE_FOUND();
        break;
    case ACF_REVISION_MANAGER::ILLEGAL_ARGUMENT:
        message = MSG_ACF::W::ILLEGAL_ARGUMENT();
        break;
    case ACF_REVISION_MANAGER::UNKNOWN_FILE_EXTENSION:
        message = MSG_ACF::W::UNKNOWN_FILE_EXTENSION(file_text);
        break;
    case ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE: {
        MSG_POST* at_once = MSG_ACF::E::ERROR_IN_TSF_NO_OPEN_PROJECT();
        msg_post(at_once);
        delete at_once;
        return status;
    }
    case ACF_REVISION_MANAGER::TCL_ERROR:
    case ACF_REVISION_MANAGER::TCL_ERROR_INFO:
        message = MSG_ACF::E::TCL_ERROR_INFO(name_text);
        break;
    case ACF_REVISION_MANAGER::MISSING_TCL_FILE:
        message = MSG_ACF::W::MISSING_TCL_FILE(name_text);
        result = ACF_REVISION_MANAGER::SUCCESS;
        break;
    case ACF_REVISION_MANAGER::TCL_INFINITE_RECURSION:
        message = MSG_ACF::E::TCL_INFINITE_RECURSION(name_text);
        break;
    case ACF_REVISION_MANAGER::INVALID_FAMILY:
        message = MSG_ACF::E::INVALID_FAMILY(name_text);
        break;
    case ACF_REVISION_MANAGER::PART_NOT_VALID:
        message = MSG_ACF::E::PART_NOT_VALID(name_text);
        break;
    case ACF_REVISION_MANAGER::DEVICE_FAMILY_CONFLICT: {
        DEV_FAMILY_ENUM part_family =
            ACF_FAMILY_INFO_MGR::get_instance()->get_family_of(m_project_part);
        message = MSG_ACF::W::DEV_FAM_CONFLICT(dstr_get_user_string(m_project_part),
                                               dstr_get_user_string(part_family), name_text);
        break;
    }
    case ACF_REVISION_MANAGER::INVALID_FAMILY_OPTION:
        message = MSG_ACF::E::INVALID_FAMILY_OPTION();
        break;
    case ACF_REVISION_MANAGER::FILE_NAME_TOO_LONG:
        message = MSG_ACF::E::FILE_NAME_TOO_LONG(name_text, "1024");
        break;
    case ACF_REVISION_MANAGER::GLOBAL_ASSIGNMENT_IN_TIP: {
        std::string shown =
            params != nullptr ? acf_get_variable_user_name(params->get_variable_type()) : "";
        message = MSG_ACF::E::GLOBAL_ASSIGNMENT_IN_TIP(shown.c_str());
        break;
    }
    case ACF_REVISION_MANAGER::UNKNOWN_ERROR:
        message =
            line >= 1
                ? either(
                      is_error,
                      [&] { return MSG_ACF::E::UNKNOWN_ERROR_WITH_LINE_NUMBER(file_text, line); },
                      [&] { return MSG_ACF::W::UNKNOWN_ERROR_WITH_LINE_NUMBER(file_text, line); })
                : either(
                      is_error, [&] { return MSG_ACF::E::UNKNOWN_ERROR(file_text); },
                      [&] { return MSG_ACF::W::UNKNOWN_ERROR(file_text); });
        break;
    default:
        // Statuses without a message of their own, and numbers above 42.
        return status;
    }

    if (message == nullptr || message->is_null()) {
        delete message;
        delete value_help;
        return result;
    }
    std::string detail_text = shown(detail);
    if (params != nullptr) {
        std::string command = generate_variable_detail_submessage(message, params, file, line);
        if (!command.empty() && detail_text == command) {
            detail_text.clear();
        }
    }
    if (!detail_text.empty()) {
        MSG_POST* sub = MSG_ACF::I::ACF_ASSIGNMENT_INFO(detail_text.c_str());
        if (sub != nullptr && !sub->is_null()) {
            message->add_sub_message(sub);
        } else {
            delete sub;
        }
    }
    if (value_help != nullptr && !value_help->is_null()) {
        message->add_sub_message(value_help);
    } else {
        delete value_help;
    }
    post_or_hold(message);
    return result;
}

std::string ACF_MANAGER_STORAGE_REAL::generate_variable_detail_submessage(
    MSG_POST* message, ACF_MGR_INPUT_PARAMETERS* record, char const* /*file*/, int /*line*/) {
    std::string text;
    if (!ACF_REQUIRE(message != NULL) || !ACF_REQUIRE(record != NULL)) {
        return text;
    }
    get_tcl_set_command(record, text);
    if (text.empty()) {
        return text;
    }
    text = acf_shown_text(text.c_str());
    acf_add_info_sub_message(message, text);
    return text;
}

void ACF_MANAGER_STORAGE_REAL::get_tcl_set_command(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                   std::string& out) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return;
    }
    auto text_or_null = [](char const* text) { return gen_is_empty_string(text) ? nullptr : text; };
    ACF_ASSIGNMENT shown(
        this, input_parameters->get_variable_type(), input_parameters->get_variable_string(),
        text_or_null(input_parameters->get_from()), text_or_null(input_parameters->get_to()),
        input_parameters->get_value_string(), input_parameters->get_comments(),
        input_parameters->get_is_ignored());
    shown.set_entity_name(input_parameters->get_entity_name());
    shown.set_section_identifier(input_parameters->get_section_identifier());
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    std::list<std::string> values;
    input_parameters->get_argument_types(&types);
    input_parameters->get_argument_values(&values);
    auto value = values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM type : types) {
        std::string text = value != values.end() ? *value++ : std::string();
        shown.add_argument(type, text.empty() ? nullptr : text.c_str());
    }
    shown.get_variable_tcl_set_command(&out, nullptr);
}

// ---------------------------------------------------------------------------
// Legality
// ---------------------------------------------------------------------------

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

    // 1. The value, in its current spelling.
    char const* raw_value = p->get_value_string();
    char const* converted = acf_convert_old_value_to_new(variable, raw_value, DEV_FAMILY_GENERIC);
    std::string value = converted != nullptr ? converted : (raw_value != nullptr ? raw_value : "");
    if (is_blank(value.c_str())) {
        m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VALUE;
        return false;
    }
    // 2. A variable of some kind.
    if (variable == ACF_VARIABLE_TYPE_NONE && gen_is_empty_string(p->get_variable_string())) {
        m_last_error_status = ACF_REVISION_MANAGER::ILLEGAL_VARIABLE;
        return false;
    }
    // 3. The section identifier that counts.
    char const* section_id = effective_section_id(variable, p->get_section_identifier(),
                                                  m_revision_name, m_project_name);
    bool has_section_id = !gen_is_empty_string(section_id);
    bool has_entity = !gen_is_empty_string(p->get_entity_name());
    m_last_error_status = 0;

    std::string to;
    std::string from;
    bool freeform_path = is_freeform || variable == ACF_VARIABLE_TYPE_NONE ||
                         acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
    if (!freeform_path) {
        // 5. Source and target as written in files.
        if (!is_global) {
            acf_source_target_cleanup(p->get_to(), &to);
            acf_source_target_cleanup(p->get_from(), &from);
        }
        // 6. The catalogue's file rules.
        int status = acf_check_against_file_semantics(variable, !from.empty(), !to.empty(),
                                                      has_entity, is_global, false, section_id);
        if (status != 0) {
            m_last_error_status = status;
            return false;
        }
        // 7. The value's type.
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
        // 8. The variable's row in this context.
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
        // 9, 10. An assignment of the variable in the same place (of the same
        // value for variables that hold several values) already exists.
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
        // 11. Freeform assignments.
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

    // 12. Arguments.
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

// ---------------------------------------------------------------------------
// Queries and the general removal
// ---------------------------------------------------------------------------

void acf_remove_post_dot_characters_from_value_string_if_needed(ACF_MGR_INPUT_PARAMETERS& record) {
    char const* value = record.get_value_string();
    if (record.get_variable_type() == ACF_VARIABLE_TYPE_NONE || gen_is_empty_string(value) ||
        acf_get_value_type(record.get_variable_type()) != ACF_VALUE_TYPE_INT) {
        return;
    }
    std::string text = value;
    size_t dot = text.find('.');
    if (dot != std::string::npos) {
        text.erase(dot);
        record.set_value_string(text.c_str());
    }
}

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_REAL::get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                         bool is_global, bool is_freeform,
                                                         bool use_defaults) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return nullptr;
    }
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return nullptr;
    }
    // A record of its own: readers on several threads query at once.
    ACF_MGR_INPUT_PARAMETERS query(*input_parameters);
    acf_remove_post_dot_characters_from_value_string_if_needed(query);
    ACF_ASSIGNMENT* asgn = m_asgn_storage->get_assignment(
        &query, current_filter(), get_allow_ignored_assignments(), is_global, is_freeform);
    if (asgn == nullptr && use_defaults && is_global) {
        std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
        input_parameters->get_argument_types(&types);
        if (types.size() <= 1) {
            ASSIGNMENT_LIST defaults;
            get_default_values(input_parameters->get_variable_type(),
                               input_parameters->get_variable_string(),
                               input_parameters->get_entity_name(),
                               input_parameters->get_section_identifier(), &defaults, true);
            if (!defaults.empty()) {
                asgn = defaults.front();
            }
        }
    }
    return asgn;
}

void ACF_MANAGER_STORAGE_REAL::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                   bool is_global, bool is_freeform,
                                                   ASSIGNMENT_LIST* coll, bool use_defaults) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return;
    }
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL) || !ACF_REQUIRE(coll != NULL)) {
        return;
    }
    input_parameters->set_section_identifier(effective_section_id(
        input_parameters->get_variable_type(), input_parameters->get_section_identifier(),
        m_revision_name, m_project_name));
    ACF_MGR_INPUT_PARAMETERS query(*input_parameters);
    acf_remove_post_dot_characters_from_value_string_if_needed(query);
    m_asgn_storage->get_assignment_coll(&query, current_filter(), get_allow_ignored_assignments(),
                                        is_global, is_freeform, coll);
    if (is_global && use_defaults) {
        std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
        input_parameters->get_argument_types(&types);
        if (types.size() <= 1) {
            get_default_values(input_parameters->get_variable_type(),
                               input_parameters->get_variable_string(),
                               input_parameters->get_entity_name(),
                               input_parameters->get_section_identifier(), coll, true);
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                 bool is_global, bool is_freeform,
                                                 ASSIGNMENT_LIST* removed) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(removed != NULL)) {
        return;
    }
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return;
    }
    m_last_error_status = 0;
    ACF_VARIABLE_TYPE_ENUM variable = input_parameters->get_variable_type();
    if (variable != ACF_VARIABLE_TYPE_NONE &&
        acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED)) {
        return;
    }
    if (variable == ACF_VARIABLE_TYPE_ROOT) {
        ACF_ASSIGNMENT* asgn = change_top_level_entity("", true);
        if (asgn != nullptr) {
            removed->push_back(asgn);
        }
        return;
    }
    char const* section_id = effective_section_id(
        variable, input_parameters->get_section_identifier(), m_revision_name, m_project_name);
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    input_parameters->get_argument_types(&types);
    size_t first_new = removed->size();
    if (!is_freeform && variable != ACF_VARIABLE_TYPE_NONE &&
        gen_is_empty_string(input_parameters->get_variable_string()) &&
        gen_is_empty_string(input_parameters->get_from()) &&
        gen_is_empty_string(input_parameters->get_to()) &&
        gen_is_empty_string(input_parameters->get_value_string()) &&
        gen_is_empty_string(input_parameters->get_entity_name()) &&
        gen_is_empty_string(section_id) && types.size() <= 1) {
        remove_all_assignments_of_type(variable, removed, is_global, !is_global);
        return;
    }
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    input_parameters->set_section_identifier(section_id);
    m_remove_params.copy_from(input_parameters);
    acf_remove_post_dot_characters_from_value_string_if_needed(m_remove_params);
    m_asgn_storage->remove_assignment(&m_remove_params, is_global, is_freeform, current_filter(),
                                      removed);
    ASSIGNMENT_LIST fresh;
    auto it = removed->begin();
    std::advance(it, static_cast<long>(first_new));
    fresh.assign(it, removed->end());
    set_category_change_time_for_assignments_in_collection(&fresh);
    remove_project_library_paths_in_collection_as_needed(&fresh);
}
