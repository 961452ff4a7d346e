// The revision store's life, locks, search filters, changed list, files read
// and change times, and its synchronisation with the settings file on disk.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_script_evaluator.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"
#include "records/acf_assignment_factory.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <ctime>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// Where a settings file that failed to re-read is kept before the store writes
// its own state over it: "<file>.rejected", or the first free numbered name.
std::string free_rejected_name(std::string const& file) {
    std::string candidate = file + ".rejected";
    for (int n = 2; FIO_FILE_SYSTEM::exists(FIO_PATH(candidate)); ++n) {
        candidate = file + ".rejected." + std::to_string(n);
    }
    return candidate;
}
} // namespace

// ---------------------------------------------------------------------------
// Life
// ---------------------------------------------------------------------------

ACF_MANAGER_STORAGE_REAL::ACF_MANAGER_STORAGE_REAL(std::string const& project_file,
                                                   std::string const& revision_name,
                                                   ACF_REVISION_MANAGER* manager,
                                                   bool add_settings_extension)
    : m_semaphore(thr_rw_sem_create()), m_acf_revision_manager(manager) {
    m_factory = MEM_NEW(ACF, ACF_ASSIGNMENT_FACTORY)(this);

    FIO_PATH project(project_file);
    m_project_path = FIO_PATH(project.full_path()).directory();
    m_project_name = project.base();
    m_project_full_path = project_file;
    m_revision_name = revision_name;

    std::string revision = project.directory() + revision_name;
    if (add_settings_extension) {
        revision += FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TSF);
    }
    m_revision_path = FIO_PATH(revision).full_path();

    m_asgn_storage = MEM_NEW(ACF, ACF_ASGN_STORAGE)(this, m_factory);

    if (acf_current_executable_is_tessaly_cmd()) {
        set_mode(MODE_SUPPORTS_TCL, false);
    } else if (ACF_SCRIPT_EVALUATOR* tcl = acf_script_evaluator()) {
        // The suite's Tcl packages of the project commands do not exist in this
        // installation; the shared interpreter carries the assignment commands.
        tcl->open_interpreter();
    }
}

ACF_MANAGER_STORAGE_REAL::~ACF_MANAGER_STORAGE_REAL() {
    reset(false, false);
    delete m_factory;
    m_factory = nullptr;
    m_acf_revision_manager = nullptr;
    thr_rw_sem_destroy(m_semaphore);
}

void ACF_MANAGER_STORAGE_REAL::reset(bool read_defaults, bool new_collection) {
    delete m_asgn_storage;
    m_asgn_storage = nullptr;
    m_family_is_explicit = false;
    m_project_family = DEV_FAMILY_GENERIC;
    m_project_part = DEV_PART_GENERIC;

    m_include_files.clear();
    m_script_paths.clear();
    m_script_directories.clear();
    m_script_modes.clear();
    m_running_scripts.clear();
    clear_default_table();
    clear_non_project_asgn_coll();
    m_changed_list.clear();
    for (ACF_ASSIGNMENT* asgn : m_defaults) {
        delete asgn;
    }
    m_defaults.clear();

    set_state(STATE_LOADED, false);
    m_last_error_status = 0;
    reset_filters();
    clear_file_collection();
    delete_post_list();

    if (new_collection) {
        m_asgn_storage = MEM_NEW(ACF, ACF_ASGN_STORAGE)(this, m_factory);
        std::fill(std::begin(m_category_change_times), std::end(m_category_change_times), 0L);
        std::fill(std::begin(m_feature_change_times), std::end(m_feature_change_times), 0L);
        if (read_defaults) {
            this->read_defaults();
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::clear_default_table() {
    for (auto& entry : m_default_table) {
        delete entry.second;
    }
    m_default_table.clear();
}

void ACF_MANAGER_STORAGE_REAL::delete_post_list() {
    for (MSG_POST* message : m_post_list) {
        delete message;
    }
    m_post_list.clear();
}

void ACF_MANAGER_STORAGE_REAL::init_project_parameters_from(ACF_MANAGER_STORAGE const* other) {
    if (other != nullptr) {
        m_project_family = other->get_project_family_enum();
        m_project_part = other->get_project_part_enum();
    }
}

void ACF_MANAGER_STORAGE_REAL::set_revision_manager(ACF_REVISION_MANAGER* revision_manager) {
    if (ACF_REQUIRE(revision_manager != NULL)) {
        m_acf_revision_manager = revision_manager;
    }
}

// ---------------------------------------------------------------------------
// Locks
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::read_lock(bool post_messages) {
    if (m_write_locked.load()) {
        return false;
    }
    thr_rw_sem_read_lock(m_semaphore);
    ++m_lock_count;
    set_state(STATE_POST_MESSAGES, post_messages);
    reset_filters();
    if (ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        m_acf_revision_manager->synchronize();
    }
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::write_lock(bool post_messages) {
    if (m_write_locked.load() || m_lock_count.load() != 0) {
        set_state(STATE_POST_MESSAGES, post_messages);
        return false;
    }
    thr_rw_sem_write_lock(m_semaphore);
    ++m_lock_count;
    m_write_locked = true;
    set_state(STATE_POST_MESSAGES, post_messages);
    set_state(STATE_COMMIT_FAILED, false);
    reset_filters();
    if (ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        m_acf_revision_manager->synchronize();
    }
    m_device_at_write_lock = {m_project_family, m_family_is_explicit, m_project_part};
    return true;
}

void ACF_MANAGER_STORAGE_REAL::read_unlock() {
    if (m_write_locked.load() || m_lock_count.load() == 0) {
        return;
    }
    reset_filters();
    --m_lock_count;
    thr_rw_sem_read_unlock(m_semaphore);
}

void ACF_MANAGER_STORAGE_REAL::write_unlock() {
    if (!ACF_REQUIRE(this->is_write_locked())) {
        return;
    }
    reset_filters();
    --m_lock_count;
    m_write_locked = false;
    thr_rw_sem_write_unlock(m_semaphore);
}

bool ACF_MANAGER_STORAGE_REAL::is_read_locked() const {
    return m_lock_count.load() > 0;
}

bool ACF_MANAGER_STORAGE_REAL::is_write_locked() const {
    return m_write_locked.load() && m_lock_count.load() > 0;
}

bool ACF_MANAGER_STORAGE_REAL::is_locked_for_change() const {
    return is_write_locked() && m_acf_revision_manager != nullptr &&
           !m_acf_revision_manager->get_in_broadcast_mode();
}

// ---------------------------------------------------------------------------
// Filters
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::set_family_filter(DEV_FAMILY_ENUM family) {
    if (!is_read_locked()) {
        return false;
    }
    m_family_filter = family;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) {
    if (!is_read_locked()) {
        return false;
    }
    m_variable_trait_filter = trait;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) {
    if (!is_read_locked()) {
        return false;
    }
    m_category_trait_filter = trait;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_ase_category_filter(ASE_CATEGORY_ENUM category) {
    if (!is_read_locked()) {
        return false;
    }
    m_ase_category_filter = category;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_file_category_filter(ACF_FILE_CATEGORY_ENUM category) {
    if (!is_read_locked()) {
        return false;
    }
    m_file_category_filter = category;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section) {
    if (!is_read_locked()) {
        return false;
    }
    m_section_category_filter = section;
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::set_allow_ignored_assignments_filter(bool allow) {
    if (!is_read_locked()) {
        return false;
    }
    set_state(STATE_ALLOW_IGNORED, allow);
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::reset_filters() {
    if (!is_read_locked()) {
        return false;
    }
    m_family_filter = DEV_FAMILY_GENERIC;
    m_variable_trait_filter = 0;
    m_category_trait_filter = 0;
    m_ase_category_filter = 0;
    m_file_category_filter = ACF_FILE_CATEGORY_NONE;
    m_section_category_filter = ACF_CATEGORY_SECTION_TYPE_MAX;
    set_state(STATE_ALLOW_IGNORED, false);
    return true;
}

ACF_ASGN_SEARCH_FILTER ACF_MANAGER_STORAGE_REAL::current_filter() const {
    ACF_ASGN_SEARCH_FILTER filter;
    filter.family = static_cast<DEV_FAMILY_ENUM>(m_family_filter.load());
    filter.variable_trait =
        static_cast<ACF_VARIABLE_TRAIT_TYPE_ENUM>(m_variable_trait_filter.load());
    filter.category_trait =
        static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(m_category_trait_filter.load());
    filter.ase_category = static_cast<ASE_CATEGORY_ENUM>(m_ase_category_filter.load());
    filter.section_type =
        static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(m_section_category_filter.load());
    filter.file_category = static_cast<ACF_FILE_CATEGORY_ENUM>(m_file_category_filter.load());
    return filter;
}

// ---------------------------------------------------------------------------
// Changed list and non-project assignments
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::add_assignment_to_changed_list(ACF_ASSIGNMENT* asgn) {
    if (asgn != nullptr && asgn->has_changed()) {
        m_changed_list.push_back(asgn);
        set_state(STATE_MODIFIED, true);
    }
}

void ACF_MANAGER_STORAGE_REAL::add_assignments_to_changed_list(ASSIGNMENT_LIST const& assignments) {
    for (ACF_ASSIGNMENT* asgn : assignments) {
        add_assignment_to_changed_list(asgn);
    }
}

void ACF_MANAGER_STORAGE_REAL::remove_assignment_from_changed_list(ACF_ASSIGNMENT* asgn) {
    for (auto it = m_changed_list.begin(); it != m_changed_list.end();) {
        if (*it == asgn) {
            it = m_changed_list.erase(it);
            set_state(STATE_MODIFIED, true);
        } else {
            ++it;
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::clear_changed_list() {
    m_changed_list.clear();
    set_state(STATE_MODIFIED, false);
}

void ACF_MANAGER_STORAGE_REAL::add_assignment_to_non_proj_list(ACF_ASSIGNMENT* asgn) {
    if (asgn != nullptr) {
        m_non_project_assignments.push_back(asgn);
    }
}

void ACF_MANAGER_STORAGE_REAL::clear_non_project_asgn_coll() {
    for (ACF_ASSIGNMENT* asgn : m_non_project_assignments) {
        delete asgn;
    }
    m_non_project_assignments.clear();
}

// ---------------------------------------------------------------------------
// Files read for the revision
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::add_file_to_collection(char const* name, bool is_settings_file) {
    if (gen_is_empty_string(name)) {
        return;
    }
    std::string path = FIO_PATH(in_project_folder(name)).full_path();
    // Every name is kept as its full path, so one path names one entry.
    auto known = m_files_by_path.find(path);
    if (known == m_files_by_path.end() && !test_mode(MODE_LISTING_ONLY)) {
        // Watched before its status is read: a change after the reading is seen.
        m_file_watch.add(path);
        take_file_watch_faults();
    }
    FIO_FILE_STATUS status;
    bool readable = acf_file_status(path, &status);
    if (known != m_files_by_path.end()) {
        ACF_MGR_FILE_INFO* info = known->second;
        if (readable) {
            info->modification_time = status.modification_time;
            info->stamp_ns = status.modification_time_ns;
            info->size = status.size;
            info->inode = status.inode;
        }
        return;
    }
    auto* info = MEM_NEW(ACF, ACF_MGR_FILE_INFO)();
    info->file_name = path;
    info->modification_time = readable ? status.modification_time : 0;
    info->stamp_ns = readable ? status.modification_time_ns : 0;
    info->size = readable ? status.size : -1;
    info->inode = readable ? status.inode : 0;
    info->is_settings_file = is_settings_file;
    m_files.push_back(info);
    m_files_by_path.emplace(path, info);
}

void ACF_MANAGER_STORAGE_REAL::add_revision_tsf_to_collection_if_needed() {
    if (!files_exist_to_be_committed()) {
        add_file_to_collection(m_revision_path.c_str(), true);
    }
}

void ACF_MANAGER_STORAGE_REAL::clear_file_collection() {
    for (ACF_MGR_FILE_INFO* info : m_files) {
        delete info;
    }
    m_files.clear();
    m_files_by_path.clear();
    m_file_watch.clear();
}

bool ACF_MANAGER_STORAGE_REAL::files_exist_to_be_committed() const {
    for (ACF_MGR_FILE_INFO const* info : m_files) {
        if (info->is_settings_file) {
            return true;
        }
    }
    return false;
}

void ACF_MANAGER_STORAGE_REAL::record_written_file(std::string const& file,
                                                   FIO_FILE_STATUS const& status) {
    auto known = m_files_by_path.find(FIO_PATH(in_project_folder(file.c_str())).full_path());
    if (known != m_files_by_path.end()) {
        ACF_MGR_FILE_INFO* info = known->second;
        info->modification_time = status.modification_time;
        info->stamp_ns = status.modification_time_ns;
        info->size = status.size;
        info->inode = status.inode;
    }
}

void ACF_MANAGER_STORAGE_REAL::take_file_watch_faults() {
    for (FIO_CHANGE_WATCH::FAULT const& fault : m_file_watch.take_faults()) {
        acf_file_fault(fault.path, fault.reason);
    }
}

bool ACF_MANAGER_STORAGE_REAL::have_any_files_changed() {
    // Only the files the watch cannot vouch for are looked at.
    bool changed = m_file_watch.any_changed([this](size_t number) {
        ACF_MGR_FILE_INFO const* info = m_files[number];
        FIO_FILE_STATUS status;
        bool fault = false;
        if (!acf_file_status(info->file_name, &status, &fault)) {
            // A file whose status cannot be read may have changed.
            return fault;
        }
        // Seconds alone miss an edit made within the second of the last read.
        return status.modification_time_ns != info->stamp_ns || status.size != info->size ||
               status.inode != info->inode;
    });
    take_file_watch_faults();
    return changed;
}

long ACF_MANAGER_STORAGE_REAL::get_latest_actual_time_of_files() {
    long latest = 0;
    for (ACF_MGR_FILE_INFO const* info : m_files) {
        FIO_FILE_STATUS status;
        if (FIO_FILE_SYSTEM::get_status(FIO_PATH(info->file_name), &status) &&
            status.modification_time > latest) {
            latest = status.modification_time;
        }
    }
    return latest;
}

bool ACF_MANAGER_STORAGE_REAL::is_read_only(bool post_message) {
    for (ACF_MGR_FILE_INFO const* info : m_files) {
        FIO_FILE_STATUS status;
        if (info->is_settings_file && acf_file_status(info->file_name, &status) &&
            (status.mode & 0200) == 0) {
            if (post_message) {
                post_error_message(ACF_REVISION_MANAGER::OUTPUT_FILE_IS_READ_ONLY,
                                   info->file_name.c_str(), -1, nullptr, nullptr, nullptr, false);
            }
            return true;
        }
    }
    return false;
}

void ACF_MANAGER_STORAGE_REAL::get_list_of_include_files(STRING_LIST* include_files) {
    if (ACF_REQUIRE(include_files != NULL)) {
        include_files->insert(include_files->end(), m_include_files.begin(), m_include_files.end());
    }
}

// ---------------------------------------------------------------------------
// Change times
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::set_category_change_time(ACF_ASSIGNMENT* asgn) {
    if (asgn == nullptr) {
        return;
    }
    int category = ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE;
    if (gen_is_empty_string(asgn->get_entity_name())) {
        for (int c = ACF_CATEGORY_TRAIT_TYPE_PROJECT_FILE;
             c <= ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE; ++c) {
            if (asgn->test_category_trait_of(static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(c))) {
                category = c;
                break;
            }
        }
    }
    long now = static_cast<long>(time(nullptr));
    m_category_change_times[category] = now;
    if (acf_variable_includes_any_ase_category(asgn->get_type())) {
        m_feature_change_times[ACF_FEATURE_TYPE_ASE] = now;
    }
    for (auto const& entry : acf_get_feature_to_trait_map()) {
        if (entry.first < ACF_FEATURE_TYPE_MAX_FEATURE_TYPE && asgn->test_trait_of(entry.second)) {
            m_feature_change_times[entry.first] = now;
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::set_category_change_time_for_assignments_in_collection(
    ASSIGNMENT_LIST* coll) {
    if (coll == nullptr) {
        return;
    }
    for (ACF_ASSIGNMENT* asgn : *coll) {
        set_category_change_time(asgn);
    }
}

bool ACF_MANAGER_STORAGE_REAL::have_any_assignments_of_category_type_changed(
    ACF_CATEGORY_TRAIT_TYPE_ENUM trait, long since) {
    if (trait < 0 || trait >= ACF_CATEGORY_TRAIT_TYPE_MAX) {
        return false;
    }
    return m_category_change_times[trait] > since;
}

long ACF_MANAGER_STORAGE_REAL::get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM feature) {
    if (feature < 0 || feature >= ACF_FEATURE_TYPE_MAX_FEATURE_TYPE) {
        return 0;
    }
    return m_feature_change_times[feature];
}

// ---------------------------------------------------------------------------
// Pass-throughs to the collection
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn) {
    if (ACF_REQUIRE(m_asgn_storage != NULL)) {
        m_asgn_storage->move_assignment_to_end_of_coll(asgn);
    }
}

void ACF_MANAGER_STORAGE_REAL::add_comment_line(char const* text, char const* file_name) {
    if (ACF_REQUIRE(m_asgn_storage != NULL)) {
        m_asgn_storage->add_comment_line(text, file_name);
    }
}

bool ACF_MANAGER_STORAGE_REAL::set_default_status(ACF_ASSIGNMENT* asgn, bool is_default) {
    if (m_asgn_storage == nullptr || asgn == nullptr) {
        return false;
    }
    bool changed = asgn->set_default_status(is_default);
    if (changed) {
        m_asgn_storage->move_assignment_to_end_of_coll(asgn);
    }
    return changed;
}

bool ACF_MANAGER_STORAGE_REAL::is_assignment_deleted(ACF_ASSIGNMENT* asgn) {
    return m_asgn_storage != nullptr && m_asgn_storage->is_dangling_pointer(asgn);
}

void ACF_MANAGER_STORAGE_REAL::get_list_of_current_entities(STRING_LIST* entity_list) {
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    if (ACF_REQUIRE(m_asgn_storage != NULL)) {
        m_asgn_storage->get_list_of_current_entity_names(entity_list);
    }
}

bool ACF_MANAGER_STORAGE_REAL::check_if_assignments_exist_for_section(
    ACF_CATEGORY_SECTION_TYPE_ENUM section, char const* section_id) {
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return false;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    return ACF_REQUIRE(m_asgn_storage != NULL) &&
           m_asgn_storage->check_if_assignments_exist_for_section(section, get_file_category_enum(),
                                                                  section_id);
}

void ACF_MANAGER_STORAGE_REAL::get_all_assignments(ASSIGNMENT_LIST* coll, bool include_removed,
                                                   bool global, bool instance, bool freeform) {
    if (!is_read_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_query_mutex);
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    m_asgn_storage->get_all_assignments(current_filter(), get_allow_ignored_assignments(),
                                        include_removed, global, instance, freeform, coll);
    m_asgn_storage->reset_deleted_map();
}

void ACF_MANAGER_STORAGE_REAL::display_post_messages() {
    for (MSG_POST* message : m_post_list) {
        message->post();
        delete message;
    }
    m_post_list.clear();
}

void ACF_MANAGER_STORAGE_REAL::post_or_hold(MSG_POST* message) {
    if (test_state(STATE_COLLECT_MESSAGES)) {
        m_post_list.push_back(message);
    } else {
        msg_post(message);
        delete message;
    }
}

// ---------------------------------------------------------------------------
// Synchronisation with the disk
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::synchronize() {
    bool was_loaded = test_state(STATE_LOADED);
    if (was_loaded && !have_any_files_changed()) {
        return false;
    }
    // Only one caller re-reads; the others go on with what is in memory.
    if (set_state(STATE_SYNCHRONIZING, true)) {
        return false;
    }
    if (!ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        set_state(STATE_SYNCHRONIZING, false);
        return false;
    }
    bool post_on_entry = test_state(STATE_POST_MESSAGES);
    bool retake_read_lock = false;
    bool took_write_lock = false;
    bool result = false;
    bool notify = false;

    // The caller holds either the write lock or read locks; another thread
    // may take the write lock as soon as ours are released, so only a write lock
    // this call holds lets it re-read.
    bool entry_write_locked = m_write_locked.load();
    if (!entry_write_locked && is_read_locked()) {
        read_unlock();
        retake_read_lock = true;
    }
    if (!entry_write_locked && !m_acf_revision_manager->get_in_broadcast_mode()) {
        took_write_lock = write_lock(false);
    }
    if ((entry_write_locked || took_write_lock) &&
        !m_acf_revision_manager->get_in_broadcast_mode()) {
        result = reread_revision(was_loaded, &notify);
    }

    if (took_write_lock) {
        m_acf_revision_manager->write_unlock(notify);
    }
    if (retake_read_lock) {
        // Back to the caller's read lock. Another thread may hold the write lock
        // by now: wait for it rather than leave the caller without its lock.
        thr_rw_sem_read_lock(m_semaphore);
        ++m_lock_count;
        set_state(STATE_POST_MESSAGES, post_on_entry);
        reset_filters();
    }
    set_state(STATE_SYNCHRONIZING, false);
    return result;
}

bool ACF_MANAGER_STORAGE_REAL::reread_revision(bool was_loaded, bool* notify) {
    bool file_exists = acf_file_exists(m_revision_path);
    ACF_ASGN_STORAGE* kept = nullptr;
    UNSAVED_CHANGES unsaved;
    bool defaults_read = true;
    if (was_loaded) {
        kept = empty_collection_for_reread(file_exists, &unsaved);
    } else {
        reset(false, true);
        defaults_read = read_defaults();
    }

    bool result = false;
    bool taken_from_disk = false;
    ASSIGNMENT_LIST read_list;
    if (!defaults_read) {
        m_last_error_status = ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE;
    } else if (!file_exists) {
        // A settings file deleted on disk leaves every assignment removed
        // but those this process changed.
        taken_from_disk = true;
        result = true;
        *notify = true;
    } else if (read_revision_settings_file(was_loaded, &read_list)) {
        taken_from_disk = true;
        result = true;
        *notify = true;
    } else if (!was_loaded) {
        m_last_error_status = ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE;
    } else {
        // What is in memory stays as it was.
        bool unreadable = m_last_error_status.load() == ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED;
        if (!unreadable) {
            set_state(STATE_FORCE_WRITE, true);
        }
        delete m_asgn_storage;
        m_asgn_storage = kept;
        kept = nullptr;
        clear_changed_list();
        read_list.clear();
        if (unreadable) {
            // Nothing is written over the file, and the file counts as unread,
            // so that no commit takes it for the one read before.
            for (ACF_MGR_FILE_INFO* info : m_files) {
                info->stamp_ns = -1;
            }
            m_file_watch.recheck_all();
        } else {
            keep_rejected_settings_file();
            result = true;
        }
        *notify = false;
    }
    delete kept;
    if (!was_loaded && m_asgn_storage != nullptr) {
        m_asgn_storage->clear_changed_status_of_all_assignments();
    }
    if (m_last_error_status.load() == 0) {
        for (ACF_ASSIGNMENT* asgn : read_list) {
            if (asgn->has_changed()) {
                add_assignment_to_changed_list(asgn);
            }
        }
    }
    if (was_loaded && taken_from_disk) {
        // Changed now means changed against the file on disk.
        m_asgn_storage->clear_changed_status_of_all_assignments();
        reapply_unsaved_changes(unsaved);
    }
    return result;
}

ACF_ASGN_STORAGE* ACF_MANAGER_STORAGE_REAL::empty_collection_for_reread(bool file_exists,
                                                                        UNSAVED_CHANGES* unsaved) {
    reset_filters();
    // What this process changed and did not write yet stays changed: the file
    // may have been rewritten by another process, whose changes are taken in
    // beside these.
    collect_unsaved_changes(unsaved);
    ACF_ASGN_STORAGE* kept = nullptr;
    if (file_exists) {
        kept = MEM_NEW(ACF, ACF_ASGN_STORAGE)(m_asgn_storage);
    }
    m_asgn_storage->delete_all_removed_assignments();
    m_asgn_storage->remove_all_assignments();
    m_asgn_storage->delete_all_comments();
    return kept;
}

bool ACF_MANAGER_STORAGE_REAL::read_revision_settings_file(bool was_loaded,
                                                           ASSIGNMENT_LIST* read_list) {
    clear_file_collection();
    add_file_to_collection(m_revision_path.c_str(), true);
    ACF_READ_FILE_OPTIONS options;
    options.merge = true;
    options.keep_free_standing = false;
    options.mark_changed = was_loaded;
    options.post = true;
    options.clear_non_project = true;
    options.record_file_names = true;
    options.strict = true;
    options.keep_comments = false;
    // Only a re-read can leave what it read marked changed (the first read is
    // cleared after): only then are they listed.
    options.assignments = was_loaded ? read_list : nullptr;
    if (!read_file_from_disk(m_revision_path.c_str(), false, options)) {
        return false;
    }
    // What the file no longer holds is a change to write.
    ASSIGNMENT_LIST removed;
    m_asgn_storage->get_removed_assignments(&removed);
    for (ACF_ASSIGNMENT* asgn : removed) {
        add_assignment_to_changed_list(asgn);
        set_category_change_time(asgn);
        m_asgn_storage->move_assignment_to_end_of_coll(asgn);
    }
    return true;
}

void ACF_MANAGER_STORAGE_REAL::keep_rejected_settings_file() {
    // The file changed outside and no longer reads: the rejected file is kept
    // beside it before the store writes its own state over it, so that the
    // edit is not lost.
    std::string content;
    std::string rejected = free_rejected_name(m_revision_path);
    bool kept_copy = FIO_FILE_SYSTEM::read_file(FIO_PATH(m_revision_path), content) &&
                     FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(rejected), content);
    if (kept_copy) {
        write_files_to_disk(true, true);
    }
    MSG_POST* message = gen_get_is_tessaly_exe()
                            ? static_cast<MSG_POST*>(MSG_ACF::O::ERROR_IN_TSF_OVERWRITING_CHANGES())
                            : MSG_ACF::E::ERROR_IN_TSF_OVERWRITING_CHANGES();
    std::string note = kept_copy ? "The rejected settings file was kept as " + rejected
                                 : "The rejected settings file could not be kept "
                                   "and was left in place: " +
                                       m_revision_path;
    acf_add_info_sub_message(message, note);
    if (gen_get_is_tessaly_exe()) {
        message->show();
    } else {
        msg_post(message);
    }
    delete message;
}
