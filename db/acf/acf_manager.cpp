#include "acf_manager.h"

#include "acf_global_initializers.h"
#include "acf_internal_error.h"
#include "acf_manager_storage.h"
#include "acf_manager_storage_real.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER* ACF_MANAGER::acf_manager = nullptr;

ACF_MANAGER::ACF_MANAGER() = default;

ACF_MANAGER::~ACF_MANAGER() {
    free_cached_storage();
    set_current_storage_to(nullptr);
    delete_storage();
}

namespace {

// The catalogue asks this for "the open project's family" in its lookups.
DEV_FAMILY_ENUM open_project_family() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    return manager->is_project_open() ? manager->get_project_family_enum() : DEV_FAMILY_GENERIC;
}

} // namespace

// Creation is not guarded: the manager is made on the thread that first asks.
ACF_MANAGER* ACF_MANAGER::get_acf_manager() {
    if (acf_manager == nullptr) {
        acf_manager = MEM_NEW(ACF, ACF_MANAGER)();
        acf_manager->m_flags |= FLAG_PROCESS_WIDE;
        acf_set_project_family_query(&open_project_family);
    }
    ACF_REQUIRE(acf_manager != NULL);
    return acf_manager;
}

bool ACF_MANAGER::is_project_open() const {
    return get_storage()->is_project_open();
}

char const* ACF_MANAGER::get_project_path() const {
    return get_storage()->get_project_path();
}

char const* ACF_MANAGER::get_project_name() const {
    return get_storage()->get_project_name();
}

char const* ACF_MANAGER::get_project_full_path() const {
    return get_storage()->get_project_full_path();
}

bool ACF_MANAGER::is_modified() const {
    return get_storage()->is_modified();
}

bool ACF_MANAGER::is_read_only() const {
    return get_storage()->is_read_only(false);
}

DEV_FAMILY_ENUM ACF_MANAGER::get_project_family_enum() const {
    return get_storage()->get_project_family_enum();
}

void ACF_MANAGER::get_all_assignments(ASSIGNMENT_LIST* list, bool include_removed) {
    get_storage()->get_all_assignments(list, include_removed, true, true, true);
}

char const* ACF_MANAGER::get_assignment_default_value(ACF_VARIABLE_TYPE_ENUM type,
                                                      char const* section_id, bool has_entity,
                                                      DEV_FAMILY_ENUM family) {
    return get_storage()->get_default_value_for_variable(type, section_id, has_entity, family);
}

char const* ACF_MANAGER::get_assignment_defaults_file_name() {
    return "assignment_defaults.tdf";
}

bool ACF_MANAGER::write_revision_file_using_file_category_model() {
    if (is_read_locked() || is_write_locked() || !is_project_open() || !write_lock(false)) {
        return false;
    }
    bool written = get_storage()->write_revision_file_using_file_category_model();
    write_unlock(false);
    get_storage()->clear_changed_list();
    return written;
}

ACF_REVISION_MANAGER::ASSIGNMENT_LIST*
ACF_MANAGER::read_assignment_setting_file(char const* file_name,
                                          std::list<ACF_VARIABLE_TYPE_ENUM>* variables, bool flag) {
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
