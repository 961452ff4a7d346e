// The revision store's top-level entity (its name and the assignments made for
// it) and its removals by kind, type, category and instance.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

#include "suite/general/gen.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// A leading "|" of a hierarchical name is dropped (unless it is the whole name).
std::string without_leading_bar(char const* name) {
    std::string text = name != nullptr ? name : "";
    if (text.size() > 1 && text[0] == '|') {
        text.erase(0, 1);
    }
    return text;
}
} // namespace

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_REAL::set_top_level_entity_assignment(char const* name) {
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return nullptr;
    }
    m_last_error_status = 0;
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return nullptr;
    }
    std::string entity = gen_is_empty_string(name) ? m_revision_name : std::string(name);
    m_top_level_entity_name = entity;

    ACF_ASSIGNMENT* asgn = m_asgn_storage->get_assignment(ACF_VARIABLE_TYPE_ROOT);
    if (asgn == nullptr) {
        m_entity_params.reset();
        m_entity_params.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
        m_entity_params.set_value_string(entity.c_str());
        return m_asgn_storage->set_assignment(&m_entity_params, true, true, false, false, true);
    }
    char const* current = asgn->get_unmodified_value(true);
    bool same =
        acf_test_variable_trait_of(ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE)
            ? strcmp(current, entity.c_str()) == 0
            : gen_stricmp(current, entity.c_str()) == 0;
    if (same) {
        return asgn;
    }
    if (asgn->does_any_arguments_exist()) {
        asgn->clear_arguments();
    }
    asgn->set_value(entity.c_str());
    make_user_setting(asgn);
    asgn->set_changed_status(true);
    set_category_change_time(asgn);
    add_assignment_to_changed_list(asgn);
    return asgn;
}

// The revision's own default entity stands first in the collection, before any
// line of its file. Once it is the user's setting it is written like any other
// line: where the file had it, or below the banner when it is new.
void ACF_MANAGER_STORAGE_REAL::make_user_setting(ACF_ASSIGNMENT* entity) {
    if (entity->is_default_value()) {
        entity->set_default_status(false);
        m_asgn_storage->move_assignment_to_end_of_coll(entity);
    }
}

void ACF_MANAGER_STORAGE_REAL::claim_top_level_entity(ACF_ASSIGNMENT* entity, bool mark_changed) {
    if (!entity->is_default_value()) {
        return;
    }
    make_user_setting(entity);
    if (mark_changed) {
        entity->set_changed_status(true);
        add_assignment_to_changed_list(entity);
    }
}

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_REAL::change_top_level_entity(char const* name,
                                                                  bool post_message) {
    if (!is_write_locked()) {
        return nullptr;
    }
    std::string old_name = without_leading_bar(m_top_level_entity_name.c_str());
    std::string new_name =
        without_leading_bar(gen_is_empty_string(name) ? m_revision_name.c_str() : name);
    ACF_ASSIGNMENT* result = set_top_level_entity_assignment(new_name.c_str());
    if (old_name.empty() || old_name == new_name) {
        return result;
    }
    if (!ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        return result;
    }
    // Assignments made for the old entity follow it to the new one.
    ASSIGNMENT_LIST all;
    m_acf_revision_manager->get_assignment_coll(nullptr, &all, false);
    ACF_MGR_INPUT_PARAMETERS record;
    for (ACF_ASSIGNMENT* asgn : all) {
        if (!ACF_REQUIRE(asgn != NULL)) {
            continue;
        }
        char const* entity = asgn->get_entity_name();
        if (entity == nullptr || old_name != entity) {
            continue;
        }
        asgn->fill_in_input_parameter(&record);
        remove_assignment(&record);
        record.set_entity_name(new_name.c_str());
        m_acf_revision_manager->set_assignment(&record);
    }
    if (post_message) {
        MSG_POST* message = MSG_ACF::I::TOP_LEVEL_ENTITY_CHANGED(new_name.c_str());
        post_or_hold(message);
    }
    return result;
}

// ---------------------------------------------------------------------------
// Removals
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    bool has_name = !gen_is_empty_string(input_parameters->get_variable_string());
    ACF_VARIABLE_TYPE_ENUM variable = input_parameters->get_variable_type();
    if (variable == ACF_VARIABLE_TYPE_NONE && !has_name) {
        return remove_freeform_assignment(input_parameters) ||
               remove_global_assignment(input_parameters) ||
               remove_instance_assignment(input_parameters);
    }
    if (variable == ACF_VARIABLE_TYPE_NONE) {
        return remove_freeform_assignment(input_parameters);
    }
    if (gen_is_empty_string(input_parameters->get_to())) {
        return remove_global_assignment(input_parameters);
    }
    return remove_instance_assignment(input_parameters);
}

bool ACF_MANAGER_STORAGE_REAL::remove_global_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return remove_keyed_assignment(input_parameters, true);
}

bool ACF_MANAGER_STORAGE_REAL::remove_instance_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return remove_keyed_assignment(input_parameters, false);
}

// A query that names its variable only by name is resolved to the variable's
// type first, so that the removal finds it by key.
bool ACF_MANAGER_STORAGE_REAL::remove_keyed_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                       bool global) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    if (input_parameters->get_variable_type() == ACF_VARIABLE_TYPE_NONE &&
        !gen_is_empty_string(input_parameters->get_variable_string())) {
        input_parameters->set_variable_type(
            acf_user_name_to_variable_type_enum(input_parameters->get_variable_string()));
    }
    ASSIGNMENT_LIST removed;
    remove_assignment(input_parameters, global, false, &removed);
    add_assignments_to_changed_list(removed);
    return !removed.empty();
}

bool ACF_MANAGER_STORAGE_REAL::remove_freeform_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    ACF_FILE_CATEGORY_ENUM kept = get_file_category_enum();
    set_file_category_enum(input_parameters->get_file_category());
    ASSIGNMENT_LIST removed;
    remove_assignment(input_parameters, false, true, &removed);
    set_file_category_enum(kept);
    add_assignments_to_changed_list(removed);
    return !removed.empty();
}

void ACF_MANAGER_STORAGE_REAL::remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type,
                                                              ASSIGNMENT_LIST* removed, bool global,
                                                              bool instance) {
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return;
    }
    m_last_error_status = 0;
    if (type == ACF_VARIABLE_TYPE_ROOT) {
        set_category_change_time(change_top_level_entity("", true));
        return;
    }
    if (m_asgn_storage == nullptr) {
        return;
    }
    ASSIGNMENT_LIST local;
    ASSIGNMENT_LIST* target = removed != nullptr ? removed : &local;
    size_t first_new = target->size();
    m_asgn_storage->remove_all_assignments_of_type(type, target, global, instance);
    auto it = target->begin();
    std::advance(it, static_cast<long>(first_new));
    ASSIGNMENT_LIST fresh(it, target->end());
    set_category_change_time_for_assignments_in_collection(&fresh);
    remove_project_library_paths_in_collection_as_needed(&fresh);
}

void ACF_MANAGER_STORAGE_REAL::remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                                      ASSIGNMENT_LIST* removed) {
    if (!ACF_REQUIRE(removed != NULL)) {
        return;
    }
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return;
    }
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    size_t first_new = removed->size();
    m_asgn_storage->remove_all_assignments_of_ase_category(category, removed);
    auto it = removed->begin();
    std::advance(it, static_cast<long>(first_new));
    ASSIGNMENT_LIST fresh(it, removed->end());
    set_category_change_time_for_assignments_in_collection(&fresh);
}

void ACF_MANAGER_STORAGE_REAL::remove_instance_assignments(char const* to, char const* from,
                                                           ASSIGNMENT_LIST* removed) {
    if (!is_locked_for_change()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return;
    }
    m_last_error_status = 0;
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    size_t first_new = removed != nullptr ? removed->size() : 0;
    m_asgn_storage->remove_instance_assignments(to, from, removed);
    if (removed != nullptr) {
        auto it = removed->begin();
        std::advance(it, static_cast<long>(first_new));
        ASSIGNMENT_LIST fresh(it, removed->end());
        set_category_change_time_for_assignments_in_collection(&fresh);
    }
}

void ACF_MANAGER_STORAGE_REAL::remove_project_library_paths_in_collection_as_needed(
    ASSIGNMENT_LIST* coll) {
    if (coll == nullptr) {
        return;
    }
    for (ACF_ASSIGNMENT* asgn : *coll) {
        if (asgn != nullptr && (asgn->get_type() == ACF_VARIABLE_TYPE_NONDEFAULT_LIBS ||
                                asgn->get_type() == ACF_VARIABLE_TYPE_SEARCH_PATH)) {
            gen_remove_project_library_paths(asgn->get_unmodified_value(true));
        }
    }
}
