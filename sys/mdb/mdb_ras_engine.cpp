#include "sys/mdb/mdb_ras_engine.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "suite/dbmanagerui/dbmui.h"
#include "suite/fileio/fio.h"
#include "suite/hierdb/hdb.h"
#include "suite/proj/proj.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

namespace {
char const* const OBSOLETE_REQUESTER = "MDB_RAS_ENGINE::remove_obsolete_assignmnet_one_file_mode";

// The row of the remove dialog that stands for the device assignment.
constexpr int DEVICE_ROW = 1;

bool is_device_or_family(ACF_VARIABLE_TYPE_ENUM type) {
    return type == ACF_VARIABLE_TYPE_DEVICE || type == ACF_VARIABLE_TYPE_FAMILY;
}

// The query record that names one assignment: variable, entity and section,
// and for an instance assignment its source and target too.
void describe(ACF_MGR_INPUT_PARAMETERS& query, ACF_ASSIGNMENT const* assignment, bool instance) {
    query.reset();
    query.set_variable_type(assignment->get_type());
    query.set_entity_name(assignment->get_entity_name());
    query.set_section_identifier(assignment->get_section_identifier());
    if (instance) {
        query.set_from(assignment->get_source());
        query.set_to(assignment->get_target());
    }
}

void remove_global_variable(ACF_MANAGER* acf_mgr, ACF_MGR_INPUT_PARAMETERS& query,
                            ACF_VARIABLE_TYPE_ENUM type) {
    query.reset();
    query.set_variable_type(type);
    acf_mgr->remove_global_assignment(&query);
}

// Removes the assignments of file category `category`; `mapper_or_fitter`
// keeps the user libraries and the root among instance assignments too.
void remove_category(ACF_MANAGER* acf_mgr, ACF_MGR_INPUT_PARAMETERS& query,
                     ACF_FILE_CATEGORY_ENUM category, bool mapper_or_fitter, bool remove_global,
                     bool remove_instance) {
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
    acf_mgr->reset_filters();
    acf_mgr->set_file_category_filter(category);
    acf_mgr->get_assignment_coll(nullptr, &assignments, false);
    for (ACF_ASSIGNMENT* assignment : assignments) {
        if (assignment == nullptr) {
            continue;
        }
        ACF_VARIABLE_TYPE_ENUM type = assignment->get_type();
        bool global = assignment->is_global();
        bool kept = is_device_or_family(type) ||
                    ((mapper_or_fitter || global) && type == ACF_VARIABLE_TYPE_ROOT) ||
                    (mapper_or_fitter && type == ACF_VARIABLE_TYPE_NONDEFAULT_LIBS);
        if (kept) {
            mdb_msg_debug("device family or library assignment perserved");
            continue;
        }
        if (global && remove_global) {
            describe(query, assignment, false);
            acf_mgr->remove_global_assignment(&query);
        } else if (!global && remove_instance) {
            describe(query, assignment, true);
            acf_mgr->remove_instance_assignment(&query);
        }
    }
}

// The revision's back-annotated routing file beside the project file.
FIO_PATH routing_file(ACF_MANAGER* acf_mgr) {
    FIO_PATH path(acf_mgr->get_project_full_path());
    path.base(acf_mgr->get_active_revision_name());
    std::string name = path.directory() + path.base() +
                       FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_RBA);
    return FIO_PATH(name);
}

// The project manager, write-locked without messages for a removal pass;
// null when it is missing or the lock is refused.
ACF_MANAGER* write_locked_manager() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return nullptr;
    }
    return acf_mgr->write_lock(false) ? acf_mgr : nullptr;
}

// Writes the pass's changes in one atomic commit, then releases the write
// lock with notification. A failed commit has been reported by the settings
// database; the file on disk stays as it was.
bool commit_and_unlock(ACF_MANAGER* acf_mgr) {
    bool committed = acf_mgr->commit_files_to_disk(true, true);
    if (!committed) {
        MSG_O* message = MSG_MDB::O::ACF_ERROR();
        message->show();
        delete message;
    }
    acf_mgr->write_unlock(true);
    return committed;
}

} // namespace

bool MDB_RAS_ENGINE::remove_assignment_one_file_mode(ACF_FILE_CATEGORY_ENUM const* selection,
                                                     bool remove_global, bool remove_instance) {
    ACF_MANAGER* acf_mgr = write_locked_manager();
    if (acf_mgr == nullptr) {
        return false;
    }
    ACF_MGR_INPUT_PARAMETERS query;
    bool routing_cleaned = false;
    for (int row = 1; row < MDB_RAS_SELECTION_SIZE; ++row) {
        ACF_FILE_CATEGORY_ENUM category = selection[row];
        if (category == ACF_FILE_CATEGORY_NONE) {
            continue;
        }
        if (row == DEVICE_ROW) {
            mdb_msg_debug("remove device and family assignments");
            acf_mgr->reset_filters();
            query.reset();
            query.set_variable_type(ACF_VARIABLE_TYPE_DEVICE);
            acf_mgr->remove_assignment(&query);
        } else {
            mdb_msg_debug("set filter %i", row);
            bool mapper_or_fitter = category == ACF_FILE_CATEGORY_MAPPER_SYNTHESIS_ASSIGNMENT ||
                                    category == ACF_FILE_CATEGORY_FITTER_ASSIGNMENT;
            remove_category(acf_mgr, query, category, mapper_or_fitter, remove_global,
                            remove_instance);
        }
        if (category == ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT && remove_instance) {
            acf_mgr->reset_filters();
            remove_global_variable(acf_mgr, query, ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_MODE);
            remove_global_variable(acf_mgr, query, ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_FILE);
            routing_cleaned = true;
        }
    }
    FIO_PATH routing = routing_file(acf_mgr);
    bool committed = commit_and_unlock(acf_mgr);
    // The routing file goes only with the settings that name it; one that
    // stays where it should have gone is said.
    if (committed && routing_cleaned && !FIO_FILE_SYSTEM::remove(routing) &&
        FIO_FILE_SYSTEM::presence(routing) != FIO_PRESENCE::MISSING) {
        MSG_O* message = MSG_MDB::O::CANT_DELETE_FILE(routing.path().c_str());
        message->show();
        delete message;
    }
    return committed;
}

bool MDB_RAS_ENGINE::remove_assignment_one_file_mode(ASE_CATEGORY_ENUM const* categories) {
    ACF_MANAGER* acf_mgr = write_locked_manager();
    if (acf_mgr == nullptr) {
        return false;
    }
    for (int i = 0; i < MDB_RAS_ASE_CATEGORY_COUNT; ++i) {
        if (categories[i] != ASE_CATEGORY_NONE) {
            acf_mgr->remove_all_assignments_of_ase_category(categories[i]);
        }
    }
    return commit_and_unlock(acf_mgr);
}

bool MDB_RAS_ENGINE::remove_obsolete_assignmnet_one_file_mode() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return false;
    }
    std::string root_name;
    PROJ_PROJECT* project = PROJ_PROJECT::get_current();
    bool has_project = project != nullptr;
    if (has_project) {
        root_name = project->get_root_name();
    }
    DBMUI_MANAGER* dbmui = DBMUI_MANAGER::get_dbmui_manager(0);
    // Without a root every instance assignment would look obsolete.
    if (!has_project || root_name.empty()) {
        return true;
    }
    HDB_CMP_ACTION_PT_INSTANCE* cap =
        dbmui->get_hdb_cmp_action_pt_instance(OBSOLETE_REQUESTER, 0, false, nullptr);
    if (cap == nullptr) {
        return true;
    }
    if (!acf_mgr->write_lock(false)) {
        dbmui->unget_hdb_cmp_action_pt_instance(&cap, OBSOLETE_REQUESTER);
        return false;
    }
    ACF_MGR_INPUT_PARAMETERS query;
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
    acf_mgr->get_instance_assignment_coll(&query, &assignments);
    for (ACF_ASSIGNMENT* assignment : assignments) {
        if (assignment == nullptr) {
            continue;
        }
        std::string source = assignment->get_source();
        std::string target = assignment->get_target();
        bool obsolete = !source.empty() && is_assignment_obsolete(source, cap, root_name);
        if (!obsolete && !target.empty()) {
            obsolete = is_assignment_obsolete(target, cap, root_name);
        }
        if (obsolete) {
            assignment->remove();
        }
    }
    bool committed = commit_and_unlock(acf_mgr);
    dbmui->unget_hdb_cmp_action_pt_instance(&cap, OBSOLETE_REQUESTER);
    return committed;
}

bool MDB_RAS_ENGINE::is_assignment_obsolete(std::string name, HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                            std::string root_name) {
    if (cap == nullptr) {
        MDB_INTERNAL_ERROR("cap_inst != NULL");
        return false;
    }
    if (!root_name.empty()) {
        bool bar = root_name.back() != '|' && (name.empty() || name.front() != '|');
        name = root_name + (bar ? "|" : "") + name;
    }
    HDB_NAME_MGR* names = hdb_get_current_name_mgr();
    names->lock_curr_vector();
    HDB_INSTANCE_NAME const* instance = cap->get_instance_name(name);
    names->unlock_curr_vector();
    return instance == nullptr || (instance->test_flag(1) && !instance->test_flag(2));
}

void mdb_ras_tcl_remove_obsolete() {
    MDB_RAS_ENGINE().remove_obsolete_assignment();
}
