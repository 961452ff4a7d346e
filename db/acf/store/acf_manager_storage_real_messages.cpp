// The revision store's statuses and their messages, and the queries and the
// general removal, which take the section identifier that counts as the
// legality check does.
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
#include "mem_manager.h"

#include "suite/general/gen.h"

#include <algorithm>

MEM_UNIT_INITIALIZER(ACF);

using STATUS_CODE = ACF_REVISION_MANAGER::ERROR_STATUS;

namespace {
// Error or warning form of a message with both forms.
template <class E_FACTORY, class W_FACTORY>
MSG_POST* either(bool is_error, E_FACTORY e, W_FACTORY w) {
    return is_error ? static_cast<MSG_POST*>(e()) : static_cast<MSG_POST*>(w());
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
        input_parameters->get_variable_type(), input_parameters->get_section_identifier()));
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
    char const* section_id =
        effective_section_id(variable, input_parameters->get_section_identifier());
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
