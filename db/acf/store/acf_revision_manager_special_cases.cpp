// What the running software makes of a revision after reading it: the version
// and creation-time stamps, obsolete freeform assignments, and values that
// moved from an old variable to a new one. Every change joins the changed
// list so that the next commit writes it. Running it twice changes nothing.
#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "catalogue/acf_legality.h"
#include "formats/acf_file_checks.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <list>
#include <string>

MEM_UNIT_INITIALIZER(ACF);

namespace {

ACF_ASSIGNMENT* find_global(ACF_MANAGER_STORAGE* storage, ACF_MGR_INPUT_PARAMETERS* params,
                            ACF_VARIABLE_TYPE_ENUM variable) {
    params->reset();
    params->set_variable_type(variable);
    return storage->get_assignment(params, true, false, false);
}

void set_global(ACF_MANAGER_STORAGE* storage, ACF_MGR_INPUT_PARAMETERS* params,
                ACF_VARIABLE_TYPE_ENUM variable, char const* value) {
    params->reset();
    params->set_variable_type(variable);
    params->set_value_string(value);
    ACF_SET_ASSIGNMENT_OPTIONS set;
    set.is_global = true;
    set.mark_changed = true;
    set.check_legality = true;
    ACF_ASSIGNMENT* asgn = storage->set_assignment(params, set);
    if (asgn != nullptr) {
        storage->add_assignment_to_changed_list(asgn);
    }
}

} // namespace

void ACF_REVISION_MANAGER::resolve_special_cases() {
    ACF_MANAGER_STORAGE* storage = get_storage();
    if (!ACF_REQUIRE(!get_storage()->is_null())) {
        return;
    }
    std::string version = acf_get_version_string();
    ACF_MGR_INPUT_PARAMETERS params;

    // 1. A new revision is stamped with the version and time of its creation.
    // A file that could not be looked at is no new one.
    bool file_exists = acf_file_exists(storage->get_active_revision_path());
    if (!file_exists &&
        find_global(storage, &params, ACF_VARIABLE_TYPE_ORIGINAL_TESSALY_VERSION) == nullptr) {
        set_global(storage, &params, ACF_VARIABLE_TYPE_ORIGINAL_TESSALY_VERSION, version.c_str());
        std::string now;
        if (find_global(storage, &params, ACF_VARIABLE_TYPE_PROJECT_CREATION_TIME_DATE) ==
                nullptr &&
            gen_format_current_date_and_time(&now, "%H:%M:%S  %B %d, %Y")) {
            set_global(storage, &params, ACF_VARIABLE_TYPE_PROJECT_CREATION_TIME_DATE, now.c_str());
        }
    }

    // 2. The version that last opened the revision.
    ACF_ASSIGNMENT* last = find_global(storage, &params, ACF_VARIABLE_TYPE_LAST_TESSALY_VERSION);
    std::string last_text = last != nullptr ? last->get_unmodified_value(false) : "";
    if (last == nullptr || gen_stricmp(last_text.c_str(), version.c_str()) != 0) {
        if (last != nullptr) {
            storage->handle_version_change(last_text.c_str(), version.c_str());
        }
        set_global(storage, &params, ACF_VARIABLE_TYPE_LAST_TESSALY_VERSION, version.c_str());
    }

    // 3. Obsolete freeform assignments.
    for (char const* name : {"~ELA~DEPTH", "~ELA~WIDTH"}) {
        params.reset();
        params.set_variable_type(ACF_VARIABLE_TYPE_NONE);
        params.set_variable_string(name);
        remove_freeform_assignment(&params);
    }

    // 4. Values that moved to a new variable.
    std::list<ACF_VARIABLE_MIGRATE_VALUE_FROM const*> migrations;
    acf_get_migrate_value_from_list(&migrations);
    for (ACF_VARIABLE_MIGRATE_VALUE_FROM const* row : migrations) {
        ACF_MGR_INPUT_PARAMETERS old_params;
        old_params.set_variable_type(row->migrate_from);
        ACF_ASSIGNMENT* old_asgn = get_global_assignment_ptr(&old_params);
        ACF_MGR_INPUT_PARAMETERS new_params;
        new_params.set_variable_type(row->variable);
        ACF_ASSIGNMENT* new_asgn = get_global_assignment_ptr(&new_params);
        if (old_asgn == nullptr || old_asgn->is_default_value() ||
            (new_asgn != nullptr && !new_asgn->is_default_value())) {
            continue;
        }
        std::string value = old_asgn->get_value(false);
        params.reset();
        if (new_asgn != nullptr) {
            new_asgn->fill_in_input_parameter(&params);
        } else {
            old_asgn->fill_in_input_parameter(&params);
            params.set_variable_type(row->variable);
            params.set_variable_string(acf_variable_type_to_string(row->variable));
        }
        params.set_value_string(value.c_str());
        if (!storage->is_legal_global_assignment(&params) &&
            storage->get_last_error_status() != DUPLICATE_FOUND) {
            continue;
        }
        ACF_ASSIGNMENT* set = set_global_assignment(&params);
        if (set != nullptr) {
            storage->add_assignment_to_changed_list(set);
        }
    }
}
