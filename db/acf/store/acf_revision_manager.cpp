// The revision manager's store, switches, locks, and the broadcast and commit
// that follow a write lock.
#include "acf_revision_manager.h"

#include "acf_global_initializers.h"
#include "acf_internal_error.h"
#include "acf_manager_storage.h"
#include "acf_manager_storage_null.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"
#include "suite/config/cfg.h"
#include "suite/general/gen.h"
#include "suite/general/ntfq.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The user setting that, when on, keeps a user-interface process from writing
// the settings at every write unlock.
int const USER_SETTING_NO_COMMIT_IN_WRITE_UNLOCK = 42;

} // namespace

struct ACF_MANAGER_IMPL {
    bool m_bool_data[ACF_REVISION_MANAGER::MAX_BOOL_DATA] = {};
};

ACF_REVISION_MANAGER::ACF_REVISION_MANAGER()
    : m_in_broadcast_mode(false), m_is_ui_process(gen_get_is_ui_process()),
      m_impl(MEM_NEW(ACF, ACF_MANAGER_IMPL)()), m_bypass_project_open_failure(false),
      m_storage(MEM_NEW(ACF, ACF_MANAGER_STORAGE_NULL)()) {}

ACF_REVISION_MANAGER::ACF_REVISION_MANAGER(ACF_MANAGER_STORAGE* storage)
    : m_in_broadcast_mode(false), m_is_ui_process(gen_get_is_ui_process()),
      m_impl(MEM_NEW(ACF, ACF_MANAGER_IMPL)()), m_bypass_project_open_failure(false),
      m_storage(storage) {
    // Without a store the manager stands on a null store of its own.
    if (!ACF_REQUIRE(m_storage != NULL)) {
        m_storage = MEM_NEW(ACF, ACF_MANAGER_STORAGE_NULL)();
    }
    m_storage->set_revision_manager(this);
}

// A real store belongs to the project manager's cache and stays; a null store
// is this manager's own and goes with it.
ACF_REVISION_MANAGER::~ACF_REVISION_MANAGER() {
    if (m_storage != nullptr && m_storage->is_null()) {
        delete m_storage;
    }
    m_storage = nullptr;
    delete m_impl;
    m_impl = nullptr;
}

void ACF_REVISION_MANAGER::set_current_storage_to(ACF_MANAGER_STORAGE* storage) {
    bool current_is_null = m_storage != nullptr && m_storage->is_null();
    if (current_is_null && storage == nullptr) {
        return;
    }
    if (current_is_null) {
        delete m_storage;
    }
    m_storage = storage != nullptr ? storage : MEM_NEW(ACF, ACF_MANAGER_STORAGE_NULL)();
    m_storage->set_revision_manager(this);
}

void ACF_REVISION_MANAGER::delete_storage() {
    delete m_storage;
    m_storage = nullptr;
}

void ACF_REVISION_MANAGER::set_bool_data(BOOL_DATA e, bool value) {
    if (ACF_REQUIRE(e < ACF_REVISION_MANAGER::MAX_BOOL_DATA)) {
        m_impl->m_bool_data[e] = value;
    }
}

bool ACF_REVISION_MANAGER::get_bool_data(BOOL_DATA e) const {
    return ACF_REQUIRE(e < ACF_REVISION_MANAGER::MAX_BOOL_DATA) && m_impl->m_bool_data[e];
}

void ACF_REVISION_MANAGER::set_bypass_project_open_failure_status(bool bypass) {
    m_bypass_project_open_failure = bypass;
}

bool ACF_REVISION_MANAGER::get_bypass_project_open_failure_status() const {
    return m_bypass_project_open_failure;
}

bool ACF_REVISION_MANAGER::read_lock() {
    return m_storage->read_lock(true);
}

bool ACF_REVISION_MANAGER::read_lock_and_post_no_messages() {
    return m_storage->read_lock(false);
}

void ACF_REVISION_MANAGER::read_unlock() {
    m_storage->read_unlock();
}

bool ACF_REVISION_MANAGER::write_lock(bool post_messages) {
    return m_storage->write_lock(post_messages);
}

void ACF_REVISION_MANAGER::write_unlock(bool notify) {
    if (!m_storage->is_write_locked()) {
        return;
    }
    m_storage->reset_filters();
    if (notify) {
        broadcast_change_notification();
        m_storage->clear_changed_list();
    }
    bool commit =
        cfg_is_on("acf_commit_in_write_unlock", false) ||
        (m_is_ui_process && !cfg_user_ini_is_on(USER_SETTING_NO_COMMIT_IN_WRITE_UNLOCK, false));
    if (commit) {
        m_storage->write_files_to_disk(true, true);
    }
    m_storage->write_unlock();
}

void ACF_REVISION_MANAGER::drop_uncommitted_changes() {
    m_storage->drop_unwritten_changes();
}

bool ACF_REVISION_MANAGER::is_read_locked() const {
    return m_storage->is_read_locked();
}

bool ACF_REVISION_MANAGER::is_write_locked() const {
    return m_storage->is_write_locked();
}

bool ACF_REVISION_MANAGER::synchronize() {
    return m_storage->synchronize();
}

// Listeners run on this thread while the flag is up; the store refuses every
// change they attempt meanwhile.
void ACF_REVISION_MANAGER::broadcast_change_notification() {
    if (!m_is_ui_process || !m_storage->is_modified()) {
        return;
    }
    m_in_broadcast_mode = true;
    if (gen_get_is_qt()) {
        ntfq_broadcast_notify(NTFQ_MSG_ACF_ASSIGNMENTS_CHANGED, 0);
    } else {
        acf_broadcast_notify(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED, 0, 0, true);
    }
    m_in_broadcast_mode = false;
}

char const* ACF_REVISION_MANAGER::get_active_revision_name() const {
    return m_storage->get_active_revision_name();
}

char const* ACF_REVISION_MANAGER::get_active_revision_path() const {
    return m_storage->get_active_revision_path();
}

char const* ACF_REVISION_MANAGER::get_top_level_entity_name() const {
    return m_storage->get_top_level_entity_name().c_str();
}

int ACF_REVISION_MANAGER::get_last_error_status() const {
    return m_storage->get_last_error_status();
}

bool ACF_REVISION_MANAGER::set_default_status(ACF_ASSIGNMENT* asgn, bool is_default) {
    return m_storage->set_default_status(asgn, is_default);
}

ACF_REVISION_MANAGER::ASSIGNMENT_ITER
ACF_REVISION_MANAGER::get_assignment_defaults_begin_iter() const {
    return m_storage->get_assignment_defaults_begin_iter();
}

ACF_REVISION_MANAGER::ASSIGNMENT_ITER
ACF_REVISION_MANAGER::get_assignment_defaults_end_iter() const {
    return m_storage->get_assignment_defaults_end_iter();
}

ACF_REVISION_MANAGER::FILE_CATEGORY_SCOPE::FILE_CATEGORY_SCOPE(
    ACF_MANAGER_STORAGE* storage, ACF_MGR_INPUT_PARAMETERS const* input_parameters)
    : m_storage(storage), m_kept(storage->get_file_category_enum()) {
    m_storage->set_file_category_enum(input_parameters->get_file_category());
}

ACF_REVISION_MANAGER::FILE_CATEGORY_SCOPE::~FILE_CATEGORY_SCOPE() {
    m_storage->set_file_category_enum(m_kept);
}
