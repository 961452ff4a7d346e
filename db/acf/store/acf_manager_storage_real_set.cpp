// The one road by which a value enters a revision store: normalisation,
// legality, the assignment it replaces or revives (or a new one), and the
// variables that steer the project (top-level entity, device, family, output
// directory, library paths, Tcl scripts and IP files).
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "catalogue/acf_defaults.h"
#include "catalogue/acf_family_info_mgr.h"
#include "catalogue/acf_legality.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

#include "suite/general/big_time.h"
#include "suite/general/gen.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {
bool consists_of(char const* text, char const* allowed) {
    return text[strspn(text, allowed)] == '\0';
}

std::string trimmed(std::string const& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// A time or frequency value with more decimals than its unit resolves: the
// value cut to the resolution. False when nothing would be cut.
bool truncated_time_value(std::string const& value, std::string* truncated) {
    BIG_TIME time;
    if (!time.set_time(value.c_str())) {
        return false;
    }
    size_t dot = value.find('.');
    if (dot == std::string::npos) {
        return false;
    }
    size_t digits_end = dot + 1;
    while (digits_end < value.size() && value[digits_end] >= '0' && value[digits_end] <= '9') {
        ++digits_end;
    }
    size_t keep = static_cast<size_t>(BIG_TIME::get_max_precision_for(time.get_unit()));
    size_t decimals = digits_end - dot - 1;
    if (decimals <= keep || value.find_first_not_of('0', dot + 1 + keep) >= digits_end) {
        return false;
    }
    *truncated = value.substr(0, keep == 0 ? dot : dot + 1 + keep) + value.substr(digits_end);
    return true;
}

bool values_equal(ACF_VARIABLE_TYPE_ENUM variable, char const* a, char const* b) {
    a = a != nullptr ? a : "";
    b = b != nullptr ? b : "";
    return acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE)
               ? strcmp(a, b) == 0
               : gen_stricmp(a, b) == 0;
}

// The request's arguments replace the assignment's, as far as they suit it.
void replace_arguments(ACF_ASSIGNMENT* asgn, ACF_MGR_INPUT_PARAMETERS const& request) {
    asgn->clear_arguments();
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    std::list<std::string> values;
    request.get_argument_types(&types);
    request.get_argument_values(&values);
    auto value = values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM type : types) {
        std::string text = value != values.end() ? *value++ : std::string();
        if (asgn->is_argument_valid(type) &&
            acf_does_argument_require_value(type) != text.empty()) {
            asgn->add_argument(type, text.empty() ? nullptr : text.c_str());
        }
    }
}

bool has_arguments(ACF_MGR_INPUT_PARAMETERS const& request) {
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    request.get_argument_types(&types);
    return !types.empty();
}
} // namespace

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_REAL::set_assignment(
    ACF_MGR_INPUT_PARAMETERS* input, bool from_defaults, bool is_global, bool is_freeform,
    bool mark_changed, ASSIGNMENT_LIST* changed, bool check_legality, bool reader_flag_a,
    bool reader_flag_b, bool skip_fixed_check) {
    if (!ACF_REQUIRE(input != NULL)) {
        return nullptr;
    }
    // The request, under the write lock.
    m_last_error_status = 0;
    m_last_request.copy_from(input);
    ACF_MGR_INPUT_PARAMETERS& request = m_last_request;
    if (!is_write_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return nullptr;
    }
    if (!ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        return nullptr;
    }
    if (m_acf_revision_manager->get_in_broadcast_mode()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return nullptr;
    }
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();

    // Values that cannot be changed.
    if (!skip_fixed_check && variable != ACF_VARIABLE_TYPE_NONE &&
        acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED)) {
        return nullptr;
    }

    // Global assignments an IP file may not make.
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    request.get_argument_types(&types);
    if (!from_defaults && is_global && variable != ACF_VARIABLE_TYPE_NONE &&
        std::find(types.begin(), types.end(), ACF_ARGUMENT_TYPE_TIP) != types.end() &&
        acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_DISALLOW_GLOBAL_ASSIGNMENT_IN_TIP)) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::GLOBAL_ASSIGNMENT_IN_TIP,
                                                 nullptr, -1, &request, nullptr, nullptr, true);
    }

    // The value in its normal form.
    bool cut_time_value = false;
    int value_type = acf_get_value_type(variable);
    if (request.get_value_string() != nullptr) {
        std::string value = request.get_value_string();
        if (value_type == ACF_VALUE_TYPE_INT) {
            size_t dot = value.find('.');
            if (dot != std::string::npos) {
                bool lost_digits = value.find_first_not_of('0', dot + 1) != std::string::npos;
                value.erase(dot);
                request.set_value_string(value.c_str());
                if (lost_digits && get_post_messages()) {
                    std::string user_name = acf_get_variable_user_name(variable);
                    post_or_hold(MSG_ACF::W::INT_VALUE_TRUNCATED(user_name.c_str(), value.c_str()));
                }
            }
        } else if ((value_type == ACF_VALUE_TYPE_TIME || value_type == ACF_VALUE_TYPE_FREQUENCY) &&
                   !value.empty()) {
            if (consists_of(value.c_str(), "-0123456789. \t\r\n")) {
                value = trimmed(value) + BIG_TIME::get_time_unit_string(
                                             value_type == ACF_VALUE_TYPE_TIME ? BIG_TIME_UNIT_NS
                                                                               : BIG_TIME_UNIT_MHZ);
            }
            std::string truncated;
            if (!from_defaults && truncated_time_value(value, &truncated)) {
                if (get_post_messages()) {
                    std::string user_name = acf_get_variable_user_name(variable);
                    post_or_hold(MSG_ACF::W::TRUNCATING_TIME_FREQUENCY_VALUE(
                        user_name.c_str(), value.c_str(), truncated.c_str()));
                }
                value = truncated;
                cut_time_value = true;
            }
            acf_convert_time_frequency_to_correct_case(value);
            request.set_value_string(value.c_str());
        }
        char const* renamed =
            acf_convert_old_value_to_new(variable, request.get_value_string(), DEV_FAMILY_GENERIC);
        if (renamed != nullptr) {
            request.set_value_string(renamed);
        }
    }

    // Section identifiers of the old chip and project sections stand for none.
    char const* section_id = request.get_section_identifier();
    if (variable != ACF_VARIABLE_TYPE_NONE && !gen_is_empty_string(section_id)) {
        if ((acf_test_variable_trait_of(variable,
                                        ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_CHIP_SECTION) &&
             acf_os_based_compare(section_id, m_revision_name.c_str())) ||
            (acf_test_variable_trait_of(
                 variable, ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_PROJECT_INFO_SECTION) &&
             acf_os_based_compare(section_id, m_project_name.c_str()))) {
            request.set_section_identifier(nullptr);
        }
    }

    // Legality; a duplicate goes on.
    bool legal = true;
    if (check_legality) {
        legal = is_legal(&request, is_global, is_freeform);
        int status = m_last_error_status.load();
        if (!legal &&
            (status == ACF_REVISION_MANAGER::ILLEGAL_ENTITY_NAME ||
             status == ACF_REVISION_MANAGER::ILLEGAL_SECTION_ID) &&
            !gen_is_empty_string(request.get_section_identifier())) {
            request.set_section_identifier(nullptr);
            legal = is_legal(&request, is_global, is_freeform);
        }
    }
    if (!legal && m_last_error_status.load() != ACF_REVISION_MANAGER::DUPLICATE_FOUND) {
        return nullptr;
    }

    ACF_ASSIGNMENT* asgn = nullptr;
    bool record_change_time = false;
    bool synchronizing = is_synchronizing();
    bool holds_files = is_loaded();
    if (variable == ACF_VARIABLE_TYPE_ROOT) {
        // The top-level entity.
        asgn = change_top_level_entity(request.get_value_string(), true);
        if (asgn != nullptr && !from_defaults) {
            claim_top_level_entity(asgn, mark_changed);
        }
        record_change_time = true;
    } else {
        if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
            return nullptr;
        }
        // The assignment the request replaces.
        bool has_entity = !gen_is_empty_string(request.get_entity_name());
        bool has_section = !gen_is_empty_string(request.get_section_identifier());
        m_search_params.copy_from(&request);
        if (!is_freeform) {
            m_search_params.set_variable_string(nullptr);
        }
        if (!acf_test_file_category_target_type(variable, ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE,
                                                has_entity, has_section)) {
            m_search_params.set_value_string(nullptr);
        }
        ACF_ASSIGNMENT* current =
            get_assignment(&m_search_params, is_global, is_freeform, has_entity || has_section);
        ACF_ASSIGNMENT* exact = nullptr;
        bool dont_reuse = variable != ACF_VARIABLE_TYPE_NONE &&
                          acf_test_variable_trait_of(
                              variable, ACF_VARIABLE_TRAIT_TYPE_DONT_REUSE_REMOVED_ASSIGNMENT);
        if (holds_files && (!dont_reuse || synchronizing)) {
            exact = m_asgn_storage->get_exact_match_assignment(&request, current_filter(),
                                                               get_allow_ignored_assignments(),
                                                               is_global, is_freeform, true);
        }
        ACF_ASSIGNMENT* reuse = current;
        bool reusing_exact = false;
        // A removed assignment comes back only where no live one holds the key,
        // also in a re-read: a key of one value keeps one assignment, the one
        // set last (a change kept across the re-read over the line read).
        if (exact != nullptr && (!exact->is_removed() || current == nullptr)) {
            reuse = exact;
            reusing_exact = true;
        }

        if (reuse != nullptr) {
            // Reusing the found assignment.
            bool was_removed = reuse->is_removed();
            if (reusing_exact) {
                reuse->set_changed_status(!synchronizing);
                reuse->set_remove_status(false);
                replace_tdf_with_tsf_value(reuse);
                reuse->set_transient(get_transient_assignments_mode());
                if (!reuse->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE) &&
                    !reuse->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT) &&
                    !reuse->is_default_value()) {
                    m_asgn_storage->add_entity_name_to_map(reuse->get_entity_name());
                }
            }
            if (request.get_value_string() == nullptr) {
                // A request without a value removes what it names.
                ASSIGNMENT_LIST local;
                remove_assignment(&request, is_global, is_freeform,
                                  changed != nullptr ? changed : &local);
                record_change_time = !(reusing_exact && synchronizing);
            } else if (values_equal(variable, reuse->get_unmodified_value(true),
                                    request.get_value_string())) {
                if (reader_flag_b) {
                    reuse->set_default_status(from_defaults);
                }
                if (reuse->is_transient() || !holds_files || synchronizing) {
                    m_asgn_storage->move_assignment_to_end_of_coll(reuse);
                    reuse->set_transient(get_transient_assignments_mode());
                }
                if (has_arguments(request) || reuse->does_any_arguments_exist()) {
                    replace_arguments(reuse, request);
                }
                record_change_time = (reusing_exact && was_removed) ||
                                     (synchronizing && holds_files && !reusing_exact);
                asgn = reuse;
            } else {
                bool held_default = reuse->is_default_value();
                reuse->set_value(request.get_value_string());
                reuse->set_default_status(false);
                reuse->set_changed_status(mark_changed || cut_time_value);
                if (reuse->is_transient() || held_default || synchronizing) {
                    m_asgn_storage->move_assignment_to_end_of_coll(reuse);
                    reuse->set_transient(get_transient_assignments_mode());
                }
                replace_arguments(reuse, request);
                record_change_time = !(reusing_exact && synchronizing);
                asgn = reuse;
            }
        }
        if (asgn == nullptr) {
            // A new (or revived) assignment.
            bool changed_status = mark_changed || cut_time_value;
            asgn = m_asgn_storage->set_assignment(&request, from_defaults, is_global, is_freeform,
                                                  changed_status, reader_flag_a);
            if (asgn == nullptr) {
                m_last_error_status = 0;
                return nullptr;
            }
            asgn->set_transient(get_transient_assignments_mode());
            if ((has_entity || has_section) && !from_defaults) {
                ACF_CATEGORY_SECTION_TYPE_ENUM section_type = ACF_CATEGORY_SECTION_TYPE_MAX;
                if (has_section) {
                    section_type = static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(15);
                    for (int t = 0; t < 16; ++t) {
                        if (asgn->test_section_type_of(
                                static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(t))) {
                            section_type = static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(t);
                            break;
                        }
                    }
                }
                update_entity_section_id_defaults(request.get_entity_name(),
                                                  request.get_section_identifier(), section_type,
                                                  mark_changed, true);
            }
            if (reuse == nullptr) {
                record_change_time = true;
            }
        }
    }
    if (asgn == nullptr) {
        return nullptr;
    }

    // Variables that steer the project.
    apply_variable_effects(asgn, from_defaults);

    // The change is recorded.
    if (changed != nullptr) {
        changed->push_back(asgn);
    }
    if (record_change_time) {
        set_category_change_time(asgn);
    }
    return asgn;
}

void ACF_MANAGER_STORAGE_REAL::apply_variable_effects(ACF_ASSIGNMENT* asgn, bool from_defaults) {
    char const* value = asgn->get_unmodified_value(true);
    switch (asgn->get_type()) {
    case ACF_VARIABLE_TYPE_NONDEFAULT_LIBS:
    case ACF_VARIABLE_TYPE_SEARCH_PATH:
        // A settings file's library paths were taken before its lines are set.
        if (!is_in_read_tsf_mode()) {
            gen_append_project_library_paths(value);
        }
        break;
    case ACF_VARIABLE_TYPE_PROJECT_OUTPUT_DIRECTORY:
        gen_set_project_output_directory(value);
        break;
    case ACF_VARIABLE_TYPE_SOURCE_TCL_SCRIPT:
        if (supports_tcl()) {
            evaluate_tcl_script(value, ACF_MGR_TCL_MODE_SCRIPT);
        }
        break;
    case ACF_VARIABLE_TYPE_TIP_FILE:
        if (supports_tcl()) {
            evaluate_tcl_script(value, ACF_MGR_TCL_MODE_TIP);
        }
        break;
    case ACF_VARIABLE_TYPE_SIP_FILE:
        if (supports_tcl()) {
            evaluate_tcl_script(value, ACF_MGR_TCL_MODE_SIP);
        }
        break;
    case ACF_VARIABLE_TYPE_DEVICE:
        apply_device_effect(asgn);
        break;
    default:
        break;
    }

    // Every assignment takes its family from its arguments.
    if (!asgn->set_family_enum()) {
        char const* family = asgn->get_argument_value(ACF_ARGUMENT_TYPE_FAMILY);
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::INVALID_FAMILY, nullptr, -1,
                                                 nullptr, family, nullptr, true);
    } else if (is_in_read_tsf_mode() && !from_defaults &&
               asgn->get_family_enum() != DEV_FAMILY_GENERIC) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::INVALID_FAMILY_OPTION,
                                                 nullptr, -1, nullptr, nullptr, nullptr, true);
    }

    if (asgn->get_type() == ACF_VARIABLE_TYPE_FAMILY) {
        apply_family_effect(asgn, from_defaults);
    }
}

void ACF_MANAGER_STORAGE_REAL::apply_device_effect(ACF_ASSIGNMENT* asgn) {
    char const* value = asgn->get_unmodified_value(true);
    if (dstr_exists_dev_part_enum_by_string(value)) {
        m_project_part = dstr_get_dev_part_enum_by_string(value);
        DEV_FAMILY_ENUM part_family =
            ACF_FAMILY_INFO_MGR::get_instance()->get_family_of(m_project_part);
        if (part_family != m_project_family && part_family != DEV_FAMILY_GENERIC) {
            if (m_family_is_explicit) {
                m_last_error_status = post_error_message(
                    ACF_REVISION_MANAGER::DEVICE_FAMILY_CONFLICT, nullptr, -1, nullptr,
                    dstr_get_user_string(m_project_family), nullptr, false);
            } else {
                set_family_through_manager(part_family);
            }
        }
    } else if (gen_stricmp(value, "AUTO") == 0) {
        m_project_part = DEV_PART_GENERIC;
    } else {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::PART_NOT_VALID, nullptr, -1,
                                                 nullptr, value, nullptr, true);
    }
}

void ACF_MANAGER_STORAGE_REAL::apply_family_effect(ACF_ASSIGNMENT* asgn, bool from_defaults) {
    char const* value = asgn->get_unmodified_value(true);
    if (!dstr_exists_dev_family_enum_by_string(value)) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::INVALID_FAMILY, nullptr, -1,
                                                 nullptr, value, nullptr, true);
        return;
    }
    DEV_FAMILY_ENUM family = dstr_get_dev_family_enum_by_string(value);
    DEV_FAMILY_ENUM part_family =
        m_project_part == DEV_PART_GENERIC
            ? DEV_FAMILY_GENERIC
            : ACF_FAMILY_INFO_MGR::get_instance()->get_family_of(m_project_part);
    if (m_project_part == DEV_PART_GENERIC || part_family == family) {
        m_project_family = family;
        m_family_is_explicit = !from_defaults;
        std::list<ACF_VARIABLE_TYPE_ENUM> variables;
        acf_get_variables_with_family_defaults(&variables);
        for (ACF_VARIABLE_TYPE_ENUM variable : variables) {
            ACF_ASSIGNMENT* global =
                m_asgn_storage != nullptr ? m_asgn_storage->get_assignment(variable) : nullptr;
            if (global != nullptr && !global->is_default_value()) {
                ACF_MGR_INPUT_PARAMETERS query;
                global->fill_in_input_parameter(&query);
                reset_family_default_values(&query);
            }
        }
    } else if (is_in_read_tsf_mode()) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::DEVICE_FAMILY_CONFLICT,
                                                 nullptr, -1, nullptr, value, nullptr, false);
        set_family_through_manager(part_family);
    }
}

void ACF_MANAGER_STORAGE_REAL::set_family_through_manager(DEV_FAMILY_ENUM family) {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(ACF_VARIABLE_TYPE_FAMILY);
    query.set_value_string(dstr_get_user_string(family));
    if (ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        m_acf_revision_manager->set_global_assignment(&query);
    }
}
