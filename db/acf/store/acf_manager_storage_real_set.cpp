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

bool has_argument(ACF_MGR_INPUT_PARAMETERS const& request, ACF_ARGUMENT_TYPE_ENUM wanted) {
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    request.get_argument_types(&types);
    return std::find(types.begin(), types.end(), wanted) != types.end();
}

// The section type a new assignment with a section identifier records its
// entity's defaults under: the first one the assignment belongs to.
ACF_CATEGORY_SECTION_TYPE_ENUM first_section_type_of(ACF_ASSIGNMENT const* asgn) {
    for (int t = 0; t < ACF_CATEGORY_SECTION_TYPE_MAX; ++t) {
        auto type = static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(t);
        if (asgn->test_section_type_of(type)) {
            return type;
        }
    }
    return ACF_CATEGORY_SECTION_TYPE_PCB_LAYERS;
}
} // namespace

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_REAL::set_assignment(
    ACF_MGR_INPUT_PARAMETERS* input, bool from_defaults, bool is_global, bool is_freeform,
    bool mark_changed, ASSIGNMENT_LIST* changed, bool check_legality, bool reader_flag_a,
    bool reader_flag_b, bool skip_fixed_check) {
    ACF_SET_ASSIGNMENT_OPTIONS options;
    options.from_defaults = from_defaults;
    options.is_global = is_global;
    options.is_freeform = is_freeform;
    options.mark_changed = mark_changed;
    options.changed = changed;
    options.check_legality = check_legality;
    options.always_new = reader_flag_a;
    options.equal_value_takes_default_status = reader_flag_b;
    options.skip_fixed_check = skip_fixed_check;

    if (!ACF_REQUIRE(input != NULL)) {
        return nullptr;
    }
    // The request, under the write lock.
    m_last_error_status = 0;
    m_last_request.copy_from(input);
    ACF_MGR_INPUT_PARAMETERS& request = m_last_request;
    if (!may_change(true)) {
        return nullptr;
    }
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();
    if (!options.skip_fixed_check && variable != ACF_VARIABLE_TYPE_NONE &&
        acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED)) {
        return nullptr;
    }
    report_global_assignment_in_ip_file(request, options);
    bool cut_time_value = normalize_requested_value(request, options.from_defaults);
    drop_old_section_identifier(request);
    if (!is_request_legal(request, options)) {
        return nullptr;
    }

    SET_RESULT set;
    if (variable == ACF_VARIABLE_TYPE_ROOT) {
        // The top-level entity.
        set.asgn = change_top_level_entity(request.get_value_string(), true);
        if (set.asgn != nullptr && !options.from_defaults) {
            claim_top_level_entity(set.asgn, options.mark_changed);
        }
        set.record_change_time = true;
    } else {
        if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
            return nullptr;
        }
        set = set_keyed_assignment(request, options, cut_time_value);
    }
    if (set.asgn == nullptr) {
        return nullptr;
    }

    // Variables that steer the project.
    apply_variable_effects(set.asgn, options.from_defaults);

    // The change is recorded.
    if (options.changed != nullptr) {
        options.changed->push_back(set.asgn);
    }
    if (set.record_change_time) {
        set_category_change_time(set.asgn);
    }
    return set.asgn;
}

bool ACF_MANAGER_STORAGE_REAL::may_change(bool need_write_lock) {
    if (need_write_lock && !is_write_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return false;
    }
    if (!ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        return false;
    }
    if (m_acf_revision_manager->get_in_broadcast_mode()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return false;
    }
    return true;
}

void ACF_MANAGER_STORAGE_REAL::report_global_assignment_in_ip_file(
    ACF_MGR_INPUT_PARAMETERS& request, ACF_SET_ASSIGNMENT_OPTIONS const& options) {
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();
    if (!options.from_defaults && options.is_global && variable != ACF_VARIABLE_TYPE_NONE &&
        has_argument(request, ACF_ARGUMENT_TYPE_TIP) &&
        acf_test_variable_trait_of(variable,
                                   ACF_VARIABLE_TRAIT_TYPE_DISALLOW_GLOBAL_ASSIGNMENT_IN_TIP)) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::GLOBAL_ASSIGNMENT_IN_TIP,
                                                 nullptr, -1, &request, nullptr, nullptr, true);
    }
}

bool ACF_MANAGER_STORAGE_REAL::normalize_requested_value(ACF_MGR_INPUT_PARAMETERS& request,
                                                         bool from_defaults) {
    if (request.get_value_string() == nullptr) {
        return false;
    }
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();
    int value_type = acf_get_value_type(variable);
    bool cut_time_value = false;
    if (value_type == ACF_VALUE_TYPE_INT) {
        normalize_integer_value(request);
    } else if ((value_type == ACF_VALUE_TYPE_TIME || value_type == ACF_VALUE_TYPE_FREQUENCY) &&
               request.get_value_string()[0] != '\0') {
        cut_time_value = normalize_time_value(request, value_type, from_defaults);
    }
    char const* renamed =
        acf_convert_old_value_to_new(variable, request.get_value_string(), DEV_FAMILY_GENERIC);
    if (renamed != nullptr) {
        request.set_value_string(renamed);
    }
    return cut_time_value;
}

void ACF_MANAGER_STORAGE_REAL::normalize_integer_value(ACF_MGR_INPUT_PARAMETERS& request) {
    std::string value = request.get_value_string();
    size_t dot = value.find('.');
    if (dot == std::string::npos) {
        return;
    }
    bool lost_digits = value.find_first_not_of('0', dot + 1) != std::string::npos;
    value.erase(dot);
    request.set_value_string(value.c_str());
    if (lost_digits && get_post_messages()) {
        std::string user_name = acf_get_variable_user_name(request.get_variable_type());
        post_or_hold(MSG_ACF::W::INT_VALUE_TRUNCATED(user_name.c_str(), value.c_str()));
    }
}

bool ACF_MANAGER_STORAGE_REAL::normalize_time_value(ACF_MGR_INPUT_PARAMETERS& request,
                                                    int value_type, bool from_defaults) {
    std::string value = request.get_value_string();
    if (consists_of(value.c_str(), "-0123456789. \t\r\n")) {
        value = trimmed(value) + BIG_TIME::get_time_unit_string(value_type == ACF_VALUE_TYPE_TIME
                                                                    ? BIG_TIME_UNIT_NS
                                                                    : BIG_TIME_UNIT_MHZ);
    }
    bool cut = false;
    std::string truncated;
    if (!from_defaults && truncated_time_value(value, &truncated)) {
        if (get_post_messages()) {
            std::string user_name = acf_get_variable_user_name(request.get_variable_type());
            post_or_hold(MSG_ACF::W::TRUNCATING_TIME_FREQUENCY_VALUE(
                user_name.c_str(), value.c_str(), truncated.c_str()));
        }
        value = truncated;
        cut = true;
    }
    acf_convert_time_frequency_to_correct_case(value);
    request.set_value_string(value.c_str());
    return cut;
}

void ACF_MANAGER_STORAGE_REAL::drop_old_section_identifier(ACF_MGR_INPUT_PARAMETERS& request) {
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();
    char const* section_id = request.get_section_identifier();
    if (variable == ACF_VARIABLE_TYPE_NONE || gen_is_empty_string(section_id)) {
        return;
    }
    if ((acf_test_variable_trait_of(variable,
                                    ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_CHIP_SECTION) &&
         acf_os_based_compare(section_id, m_revision_name.c_str())) ||
        (acf_test_variable_trait_of(variable,
                                    ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_PROJECT_INFO_SECTION) &&
         acf_os_based_compare(section_id, m_project_name.c_str()))) {
        request.set_section_identifier(nullptr);
    }
}

bool ACF_MANAGER_STORAGE_REAL::is_request_legal(ACF_MGR_INPUT_PARAMETERS& request,
                                                ACF_SET_ASSIGNMENT_OPTIONS const& options) {
    bool legal = true;
    if (options.check_legality) {
        legal = is_legal(&request, options.is_global, options.is_freeform);
        int status = m_last_error_status.load();
        if (!legal &&
            (status == ACF_REVISION_MANAGER::ILLEGAL_ENTITY_NAME ||
             status == ACF_REVISION_MANAGER::ILLEGAL_SECTION_ID) &&
            !gen_is_empty_string(request.get_section_identifier())) {
            // Tried again without the section identifier.
            request.set_section_identifier(nullptr);
            legal = is_legal(&request, options.is_global, options.is_freeform);
        }
    }
    return legal || m_last_error_status.load() == ACF_REVISION_MANAGER::DUPLICATE_FOUND;
}

ACF_MANAGER_STORAGE_REAL::SET_RESULT
ACF_MANAGER_STORAGE_REAL::set_keyed_assignment(ACF_MGR_INPUT_PARAMETERS& request,
                                               ACF_SET_ASSIGNMENT_OPTIONS const& options,
                                               bool cut_time_value) {
    SET_RESULT set;
    bool reusing_exact = false;
    ACF_ASSIGNMENT* reuse = find_assignment_to_reuse(request, options, &reusing_exact);
    if (reuse != nullptr) {
        bool was_removed = reuse->is_removed();
        bool synchronizing = is_synchronizing();
        if (reusing_exact) {
            revive_exact_match(reuse);
        }
        if (request.get_value_string() == nullptr) {
            // A request without a value removes what it names.
            ASSIGNMENT_LIST local;
            remove_assignment(&request, options.is_global, options.is_freeform,
                              options.changed != nullptr ? options.changed : &local);
            set.record_change_time = !(reusing_exact && synchronizing);
        } else if (values_equal(request.get_variable_type(), reuse->get_unmodified_value(true),
                                request.get_value_string())) {
            keep_equal_value(reuse, request, options);
            set.record_change_time =
                (reusing_exact && was_removed) || (synchronizing && is_loaded() && !reusing_exact);
            set.asgn = reuse;
        } else {
            change_value(reuse, request, options.mark_changed || cut_time_value);
            set.record_change_time = !(reusing_exact && synchronizing);
            set.asgn = reuse;
        }
    }
    if (set.asgn == nullptr) {
        // A new (or revived) assignment.
        set.asgn = add_new_assignment(request, options, cut_time_value);
        if (set.asgn == nullptr) {
            m_last_error_status = 0;
            return SET_RESULT();
        }
        if (reuse == nullptr) {
            set.record_change_time = true;
        }
    }
    return set;
}

ACF_ASSIGNMENT*
ACF_MANAGER_STORAGE_REAL::find_assignment_to_reuse(ACF_MGR_INPUT_PARAMETERS& request,
                                                   ACF_SET_ASSIGNMENT_OPTIONS const& options,
                                                   bool* reusing_exact) {
    ACF_VARIABLE_TYPE_ENUM variable = request.get_variable_type();
    bool has_entity = !gen_is_empty_string(request.get_entity_name());
    bool has_section = !gen_is_empty_string(request.get_section_identifier());
    // The live assignment of the request's key.
    m_search_params.copy_from(&request);
    if (!options.is_freeform) {
        m_search_params.set_variable_string(nullptr);
    }
    if (!acf_test_file_category_target_type(variable, ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE,
                                            has_entity, has_section)) {
        m_search_params.set_value_string(nullptr);
    }
    ACF_ASSIGNMENT* current = get_assignment(&m_search_params, options.is_global,
                                             options.is_freeform, has_entity || has_section);
    // The assignment (live or removed) that matches the request exactly.
    ACF_ASSIGNMENT* exact = nullptr;
    bool dont_reuse =
        variable != ACF_VARIABLE_TYPE_NONE &&
        acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_DONT_REUSE_REMOVED_ASSIGNMENT);
    if (is_loaded() && (!dont_reuse || is_synchronizing())) {
        exact = m_asgn_storage->get_exact_match_assignment(
            &request, current_filter(), get_allow_ignored_assignments(), options.is_global,
            options.is_freeform, true);
    }
    // A removed assignment comes back only where no live one holds the key,
    // also in a re-read: a key of one value keeps one assignment, the one set
    // last (a change kept across the re-read over the line read).
    *reusing_exact = exact != nullptr && (!exact->is_removed() || current == nullptr);
    return *reusing_exact ? exact : current;
}

void ACF_MANAGER_STORAGE_REAL::revive_exact_match(ACF_ASSIGNMENT* reuse) {
    reuse->set_changed_status(!is_synchronizing());
    reuse->set_remove_status(false);
    replace_tdf_with_tsf_value(reuse);
    reuse->set_transient(get_transient_assignments_mode());
    if (!reuse->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE) &&
        !reuse->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT) &&
        !reuse->is_default_value()) {
        m_asgn_storage->add_entity_name_to_map(reuse->get_entity_name());
    }
}

void ACF_MANAGER_STORAGE_REAL::keep_equal_value(ACF_ASSIGNMENT* reuse,
                                                ACF_MGR_INPUT_PARAMETERS const& request,
                                                ACF_SET_ASSIGNMENT_OPTIONS const& options) {
    if (options.equal_value_takes_default_status) {
        reuse->set_default_status(options.from_defaults);
    }
    if (reuse->is_transient() || !is_loaded() || is_synchronizing()) {
        m_asgn_storage->move_assignment_to_end_of_coll(reuse);
        reuse->set_transient(get_transient_assignments_mode());
    }
    if (has_arguments(request) || reuse->does_any_arguments_exist()) {
        replace_arguments(reuse, request);
    }
}

void ACF_MANAGER_STORAGE_REAL::change_value(ACF_ASSIGNMENT* reuse,
                                            ACF_MGR_INPUT_PARAMETERS const& request,
                                            bool changed_status) {
    bool held_default = reuse->is_default_value();
    reuse->set_value(request.get_value_string());
    reuse->set_default_status(false);
    reuse->set_changed_status(changed_status);
    if (reuse->is_transient() || held_default || is_synchronizing()) {
        m_asgn_storage->move_assignment_to_end_of_coll(reuse);
        reuse->set_transient(get_transient_assignments_mode());
    }
    replace_arguments(reuse, request);
}

ACF_ASSIGNMENT*
ACF_MANAGER_STORAGE_REAL::add_new_assignment(ACF_MGR_INPUT_PARAMETERS& request,
                                             ACF_SET_ASSIGNMENT_OPTIONS const& options,
                                             bool cut_time_value) {
    ACF_ASSIGNMENT* asgn = m_asgn_storage->set_assignment(
        &request, options.from_defaults, options.is_global, options.is_freeform,
        options.mark_changed || cut_time_value, options.always_new);
    if (asgn == nullptr) {
        return nullptr;
    }
    asgn->set_transient(get_transient_assignments_mode());
    bool has_entity = !gen_is_empty_string(request.get_entity_name());
    bool has_section = !gen_is_empty_string(request.get_section_identifier());
    if ((has_entity || has_section) && !options.from_defaults) {
        update_entity_section_id_defaults(
            request.get_entity_name(), request.get_section_identifier(),
            has_section ? first_section_type_of(asgn) : ACF_CATEGORY_SECTION_TYPE_MAX,
            options.mark_changed, true);
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
