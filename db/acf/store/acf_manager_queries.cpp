// The project manager's queries that need a lock or a checked argument,
// reading settings files that are not the active revision's, and the bulk
// removals by argument and by section.
#include "acf_manager.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"
#include "store/acf_manager_storage_real.h"

#include "suite/general/gen.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

// ---------------------------------------------------------------------------
// Guarded queries
// ---------------------------------------------------------------------------

bool ACF_MANAGER::is_legal_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    if (input_parameters->get_variable_type() == ACF_VARIABLE_TYPE_NONE) {
        return is_legal_freeform_assignment(input_parameters);
    }
    if (gen_is_empty_string(input_parameters->get_to())) {
        return is_legal_global_assignment(input_parameters);
    }
    return is_legal_instance_assignment(input_parameters);
}

bool ACF_MANAGER::get_list_of_current_entities(STRING_LIST* entity_list) {
    if (!ACF_REQUIRE(entity_list != NULL) || (!is_read_locked() && !is_write_locked())) {
        return false;
    }
    get_storage()->get_list_of_current_entities(entity_list);
    return !entity_list->empty();
}

bool ACF_MANAGER::get_list_of_include_files(STRING_LIST* include_files) {
    if (!ACF_REQUIRE(include_files != NULL) || (!is_read_locked() && !is_write_locked())) {
        return false;
    }
    get_storage()->get_list_of_include_files(include_files);
    return !include_files->empty();
}

bool ACF_MANAGER::get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                  STRING_LIST* section_identifiers_list,
                                                  std::string const& entity) {
    if (!ACF_REQUIRE(section_identifiers_list != NULL) ||
        (!is_read_locked() && !is_write_locked())) {
        return false;
    }
    get_storage()->get_list_of_section_identifiers(section, section_identifiers_list, entity);
    return !section_identifiers_list->empty();
}

bool ACF_MANAGER::check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                         char const* section_id) {
    if (!is_read_locked() && !is_write_locked()) {
        return false;
    }
    return get_storage()->check_if_assignments_exist_for_section(section, section_id);
}

char const* acf_get_file_category_info(ACF_FILE_CATEGORY_ENUM category, FILE_CATEGORY_INFO info) {
    if (category < 0 || category > ACF_FILE_CATEGORY_NONE) {
        return nullptr;
    }
    ACF_FILE_CATEGORY_SEMANTIC_INFO const& row = acf_file_category_semantics[category];
    switch (info) {
    case FILE_CATEGORY_INFO_DISPLAY_TEXT:
        return row.display_text;
    case FILE_CATEGORY_INFO_SECOND_DISPLAY_TEXT:
        return row.second_display_text;
    }
    return nullptr;
}

char const* ACF_MANAGER::get_file_category_info(ACF_FILE_CATEGORY_ENUM category,
                                                FILE_CATEGORY_INFO info) {
    return acf_get_file_category_info(category, info);
}

char const* ACF_MANAGER::get_assignment_defaults_file_name() {
    return "assignment_defaults.tdf";
}

bool ACF_MANAGER::test_category_trait_on_changed_assignments(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) {
    for (ASSIGNMENT_ITER it = get_change_list_begin_iter(); it != get_change_list_end_iter();
         ++it) {
        if (*it != nullptr && (*it)->test_category_trait_of(trait)) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

bool ACF_MANAGER::write_revision_file_using_file_category_model() {
    if (is_read_locked() || is_write_locked() || !is_project_open() || !write_lock(false)) {
        return false;
    }
    bool written = get_storage()->write_revision_file_using_file_category_model();
    write_unlock(false);
    get_storage()->clear_changed_list();
    return written;
}

ACF_REVISION_MANAGER::ASSIGNMENT_LIST* ACF_MANAGER::read_assignment_setting_file(
    char const* file_name, std::list<ACF_VARIABLE_TYPE_ENUM> const* variables, bool flag) {
    if (!ACF_REQUIRE(file_name != NULL) || file_name[0] != '/') {
        return nullptr;
    }
    ACF_READ_FILE_OPTIONS options;
    options.keep_free_standing = true;
    options.post = true;
    options.clear_non_project = flag;
    options.record_file_names = true;
    options.variable_filter = variables;
    if (!get_storage()->read_file_from_disk(file_name, true, options)) {
        return nullptr;
    }
    return get_storage()->get_non_project_asgn_coll();
}

void ACF_MANAGER::clear_read_assignment_collection() {
    get_storage()->clear_non_project_asgn_coll();
}

bool ACF_MANAGER::has_any_settings_file_changed_since_last_read(bool show_message, bool reload) {
    if (!get_is_ui_process() || !is_project_open() || is_read_locked() || is_write_locked() ||
        !get_storage()->have_any_files_changed()) {
        return false;
    }
    if (show_message) {
        MSG_BASE* message = MSG_ACF::O::TSF_FILE_CHANGED_DISCARDING_CHANGES();
        message->show();
        delete message;
    }
    if (reload && read_lock_and_post_no_messages()) {
        read_unlock();
    }
    return true;
}

// ---------------------------------------------------------------------------
// Bulk removals
// ---------------------------------------------------------------------------

namespace {

bool argument_value_matches(ACF_ARGUMENT_TYPE_ENUM argument, char const* held, char const* wanted) {
    if (gen_is_empty_string(held)) {
        return false;
    }
    if (acf_test_argument_trait_of(argument, ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE)) {
        return std::strcmp(held, wanted) == 0;
    }
    return gen_stricmp(held, wanted) == 0;
}

} // namespace

// Removes every live assignment that `matches` accepts. Each is removed through
// its own record, which also hands it to the changed list; only those that the
// store really removed are counted (a variable that cannot change stays).
template <class MATCHES> int ACF_MANAGER::remove_all_assignments_that(MATCHES const& matches) {
    ASSIGNMENT_LIST all;
    get_all_assignments(&all, false);
    int removed = 0;
    for (ACF_ASSIGNMENT* asgn : all) {
        if (!ACF_REQUIRE(asgn != NULL)) {
            continue;
        }
        if (asgn->is_removed() || !matches(asgn)) {
            continue;
        }
        asgn->remove();
        if (asgn->is_removed()) {
            get_storage()->add_assignment_to_changed_list(asgn);
            ++removed;
        }
    }
    return removed;
}

int ACF_MANAGER::remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_ENUM argument,
                                                      char const* value) {
    if (argument == ACF_ARGUMENT_TYPE_NONE || !is_write_locked()) {
        return 0;
    }
    bool any_value = gen_is_empty_string(value);
    return remove_all_assignments_that([&](ACF_ASSIGNMENT const* asgn) {
        return asgn->does_argument_exist(argument) &&
               (any_value ||
                argument_value_matches(argument, asgn->get_argument_value(argument), value));
    });
}

int ACF_MANAGER::remove_all_assignments_in_section(char const* section_id, char const* entity) {
    if (gen_is_empty_string(section_id) || !is_write_locked()) {
        return 0;
    }
    bool any_entity = gen_is_empty_string(entity);
    return remove_all_assignments_that([&](ACF_ASSIGNMENT const* asgn) {
        char const* held_section = asgn->get_section_identifier();
        if (gen_is_empty_string(held_section) || gen_stricmp(held_section, section_id) != 0) {
            return false;
        }
        char const* held_entity = asgn->get_entity_name();
        return any_entity || (held_entity != nullptr && std::strcmp(held_entity, entity) == 0);
    });
}
