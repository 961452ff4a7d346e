// The revision store's statuses and their messages, and the queries and the
// general removal, which take the section identifier that counts as the
// legality check does.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "catalogue/acf_family_info_mgr.h"
#include "catalogue/acf_legality.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

#include "suite/general/gen.h"

#include <algorithm>
#include <map>

MEM_UNIT_INITIALIZER(ACF);

using STATUS_CODE = ACF_REVISION_MANAGER::ERROR_STATUS;

namespace {
// Error or warning form of a message with both forms.
template <class E_FACTORY, class W_FACTORY>
MSG_POST* either(bool is_error, E_FACTORY e, W_FACTORY w) {
    return is_error ? static_cast<MSG_POST*>(e()) : static_cast<MSG_POST*>(w());
}

// Whether the record's variable takes its value as an enumeration value.
bool takes_enumeration_value(ACF_MGR_INPUT_PARAMETERS const* params) {
    char const* value = params != nullptr ? params->get_value_string() : nullptr;
    if (gen_is_empty_string(value)) {
        return false;
    }
    ACF_VARIABLE_TYPE_ENUM variable = params->get_variable_type();
    if (acf_get_value_type(variable) != ACF_VALUE_TYPE_ENUM) {
        return false;
    }
    ACF_ENUM_VALUE_ENUM enum_value = acf_user_string_to_enum_type_enum(value);
    return enum_value != ACF_ENUM_VALUE_NONE && acf_is_valid_enum_value(variable, enum_value);
}

// The note of the values a variable takes (null for a kind without one), naming
// the variable when its name is known.
MSG_POST* values_taken_note(ACF_VARIABLE_TYPE_ENUM variable, char const* variable_name,
                            DEV_FAMILY_ENUM family) {
    char const* shown = variable_name != nullptr ? variable_name : "";
    int low = 0;
    int high = 0;
    switch (acf_get_value_type(variable)) {
    case ACF_VALUE_TYPE_BOOL:
        return MSG_ACF::I::VALUE_MUST_BE_BOOL(shown);
    case ACF_VALUE_TYPE_INT:
        return acf_get_integer_range_for_variable(variable, low, high, DEV_FAMILY_GENERIC)
                   ? MSG_ACF::I::VALUE_MUST_BE_INT_WITH_RANGE(shown, std::min(low, high),
                                                              std::max(low, high))
                   : MSG_ACF::I::VALUE_MUST_BE_INT(shown);
    case ACF_VALUE_TYPE_DOUBLE:
        return MSG_ACF::I::VALUE_MUST_BE_DOUBLE(shown);
    case ACF_VALUE_TYPE_ENUM: {
        std::string list;
        for (ACF_ENUM_VALUE_ENUM v : acf_get_variable_enum_value_types(variable, false, family)) {
            char const* text = acf_enum_type_to_user_string(v);
            if (text != nullptr) {
                list += (list.empty() ? "\"" : ", \"") + std::string(text) + "\"";
            }
        }
        return MSG_ACF::I::VALUE_MUST_BE_ENUM(shown, list.c_str());
    }
    default:
        return nullptr;
    }
}
} // namespace

// How post_error_message makes the message of a row of acf_status_messages.def.
// The form:
#define ACF_FORM_E(MESSAGE, ARGS) MSG_ACF::E::MESSAGE ARGS
#define ACF_FORM_W(MESSAGE, ARGS) MSG_ACF::W::MESSAGE ARGS
#define ACF_FORM_EW(MESSAGE, ARGS)                                                                 \
    either(                                                                                        \
        as_error, [&] { return MSG_ACF::E::MESSAGE ARGS; },                                        \
        [&] { return MSG_ACF::W::MESSAGE ARGS; })
// What fills it:
#define ACF_NAMED(FORM, MESSAGE, TEXT)                                                             \
    (!gen_is_empty_string(TEXT) ? FORM(MESSAGE##_WITH_NAME, (TEXT)) : FORM(MESSAGE, ()))
#define ACF_NAMED_WITH_VARIABLE(FORM, MESSAGE, TEXT)                                               \
    (gen_is_empty_string(TEXT)                                                                     \
         ? FORM(MESSAGE, ())                                                                       \
         : (has_name ? FORM(MESSAGE##_WITH_NAME_AND_VARIABLE, (TEXT, variable_name))               \
                     : FORM(MESSAGE##_WITH_NAME, (TEXT))))
#define ACF_FILLED_WITH_NOTHING(FORM, MESSAGE) FORM(MESSAGE, ())
#define ACF_FILLED_WITH_FILE(FORM, MESSAGE) FORM(MESSAGE, (file_text))
#define ACF_FILLED_WITH_NAME(FORM, MESSAGE) FORM(MESSAGE, (name_text))
#define ACF_FILLED_WITH_NAME_IF_ANY(FORM, MESSAGE) ACF_NAMED(FORM, MESSAGE, name)
#define ACF_FILLED_WITH_VARIABLE_IF_ANY(FORM, MESSAGE) ACF_NAMED(FORM, MESSAGE, variable_name)
#define ACF_FILLED_WITH_ENTITY_IF_ANY(FORM, MESSAGE) ACF_NAMED(FORM, MESSAGE, entity.c_str())
#define ACF_FILLED_WITH_SECTION_ID_IF_ANY(FORM, MESSAGE)                                           \
    ACF_NAMED(FORM, MESSAGE, section_id.c_str())
#define ACF_FILLED_WITH_TARGET(FORM, MESSAGE) ACF_NAMED_WITH_VARIABLE(FORM, MESSAGE, to.c_str())
#define ACF_FILLED_WITH_SOURCE(FORM, MESSAGE) ACF_NAMED_WITH_VARIABLE(FORM, MESSAGE, from.c_str())
#define ACF_FILLED_WITH_VALUE(FORM, MESSAGE)                                                       \
    (value.empty() ? (line >= 1 ? FORM(MESSAGE##_WITH_LINE_NUMBER, (line)) : FORM(MESSAGE, ()))    \
                   : (value_help = values_taken_note(params->get_variable_type(), variable_name,   \
                                                     m_project_family),                            \
                      ACF_NAMED_WITH_VARIABLE(FORM, MESSAGE, value.c_str())))
#define ACF_FILLED_WITH_FILE_AT_LINE(FORM, MESSAGE)                                                \
    (line >= 1 ? FORM(MESSAGE##_WITH_LINE_NUMBER, (file_text, line)) : FORM(MESSAGE, (file_text)))
#define ACF_FILLED_WITH_VARIABLE_TYPE(FORM, MESSAGE)                                               \
    FORM(MESSAGE, ((params != nullptr ? acf_get_variable_user_name(params->get_variable_type())    \
                                      : std::string())                                             \
                       .c_str()))
#define ACF_FILLED_WITH_PART_FAMILY_AND_NAME(FORM, MESSAGE)                                        \
    FORM(MESSAGE, (dstr_get_user_string(m_project_part),                                           \
                   dstr_get_user_string(                                                           \
                       ACF_FAMILY_INFO_MGR::get_instance()->get_family_of(m_project_part)),        \
                   name_text))
#define ACF_FILLED_WITH_NAME_AND_PATH_LIMIT(FORM, MESSAGE) FORM(MESSAGE, (name_text, "1024"))
// How the call ends (set before the message is made):
#define ACF_ENDING_FAILS
#define ACF_ENDING_NOTE result = ACF_REVISION_MANAGER::SUCCESS
#define ACF_ENDING_NOTE_IF_TAKEN                                                                   \
    if (takes_enumeration_value(params)) {                                                         \
        as_error = false;                                                                          \
        result = ACF_REVISION_MANAGER::SUCCESS;                                                    \
    }
#define ACF_ENDING_AT_ONCE at_once = true

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
    // The record's other texts, as the messages show them.
    auto shown_field = [&](char const* (ACF_MGR_INPUT_PARAMETERS::*field)() const) {
        return shown(params != nullptr ? (params->*field)() : nullptr);
    };
    std::string const entity = shown_field(&ACF_MGR_INPUT_PARAMETERS::get_entity_name);
    std::string const section_id = shown_field(&ACF_MGR_INPUT_PARAMETERS::get_section_identifier);
    std::string const to = shown_field(&ACF_MGR_INPUT_PARAMETERS::get_to);
    std::string const from = shown_field(&ACF_MGR_INPUT_PARAMETERS::get_from);
    std::string const value = shown_field(&ACF_MGR_INPUT_PARAMETERS::get_value_string);

    MSG_POST* message = nullptr;
    MSG_POST* value_help = nullptr;
    STATUS result = status;
    bool as_error = is_error;
    bool at_once = false;
    switch (status) {
#define ACF_STATUS_MESSAGE(STATUS, FORM, MESSAGE, FILLED_WITH, ENDING)                             \
    case ACF_REVISION_MANAGER::STATUS:                                                             \
        ACF_ENDING_##ENDING;                                                                       \
        message = ACF_FILLED_WITH_##FILLED_WITH(ACF_FORM_##FORM, MESSAGE);                         \
        break;
#include "store/acf_status_messages.def"
#undef ACF_STATUS_MESSAGE
    default:
        // Statuses without a message of their own, and numbers above 42.
        return status;
    }

    if (at_once) {
        msg_post(message);
        delete message;
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

void ACF_MANAGER_STORAGE_REAL::get_global_assignment_colls(
    ACF_MGR_INPUT_PARAMETERS* input_parameters, std::vector<std::string> const& section_ids,
    std::vector<ASSIGNMENT_LIST>* colls) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(colls != NULL)) {
        return;
    }
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    ACF_VARIABLE_TYPE_ENUM const variable = input_parameters->get_variable_type();
    std::vector<std::string> effective;
    effective.reserve(section_ids.size());
    for (std::string const& section_id : section_ids) {
        char const* kept = effective_section_id(variable, section_id.c_str());
        effective.emplace_back(kept != nullptr ? kept : "");
    }
    ACF_MGR_INPUT_PARAMETERS query(*input_parameters);
    acf_remove_post_dot_characters_from_value_string_if_needed(query);
    colls->assign(section_ids.size(), ASSIGNMENT_LIST());
    m_asgn_storage->get_assignment_colls(&query, effective, current_filter(),
                                         get_allow_ignored_assignments(), true, false, colls);
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

bool ACF_MANAGER_STORAGE_REAL::remove_global_assignments(
    std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries) {
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return false;
    }
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return false;
    }
    // Each query prepared as remove_assignment prepares it; those it treats
    // apart (no variable, one that cannot change, the top-level entity, a
    // whole variable at once) take its road, the rest are gathered per variable.
    // Only one variable's prepared copies are alive at a time, each list sized
    // to its queries: room for every query in every variable's list made Delete
    // All of many assignment groups fault in tens of fresh megabytes.
    bool any = false;
    std::map<ACF_VARIABLE_TYPE_ENUM, std::vector<size_t>> by_variable;
    for (size_t i = 0; i < queries.size(); ++i) {
        ACF_MGR_INPUT_PARAMETERS const& given = queries[i];
        ACF_VARIABLE_TYPE_ENUM variable = given.get_variable_type();
        if (variable == ACF_VARIABLE_TYPE_NONE && !gen_is_empty_string(given.get_variable_string())) {
            variable = acf_user_name_to_variable_type_enum(given.get_variable_string());
        }
        char const* section_id = effective_section_id(variable, given.get_section_identifier());
        if (variable == ACF_VARIABLE_TYPE_NONE || variable == ACF_VARIABLE_TYPE_ROOT ||
            acf_test_variable_trait_of(variable,
                                       ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED) ||
            (gen_is_empty_string(section_id) && gen_is_empty_string(given.get_value_string()))) {
            ACF_MGR_INPUT_PARAMETERS query(given);
            query.set_variable_type(variable);
            any = remove_global_assignment(&query) || any;
            continue;
        }
        by_variable[variable].push_back(i);
    }
    for (auto const& variable : by_variable) {
        std::vector<ACF_MGR_INPUT_PARAMETERS> prepared;
        prepared.reserve(variable.second.size());
        for (size_t i : variable.second) {
            ACF_MGR_INPUT_PARAMETERS& query = prepared.emplace_back(queries[i]);
            query.set_variable_type(variable.first);
            query.set_section_identifier(
                effective_section_id(variable.first, queries[i].get_section_identifier()));
            acf_remove_post_dot_characters_from_value_string_if_needed(query);
        }
        ASSIGNMENT_LIST removed;
        m_asgn_storage->remove_global_assignments(prepared, current_filter(), &removed);
        set_category_change_time_for_assignments_in_collection(&removed);
        remove_project_library_paths_in_collection_as_needed(&removed);
        add_assignments_to_changed_list(removed);
        any = any || !removed.empty();
    }
    return any;
}
