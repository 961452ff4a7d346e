// The store's commits of its settings files: when and which files are written
// (by the writer of formats/acf_settings_file_writer.h), under the settings
// file's lock; what a failed commit drops; the re-organising write, which
// groups the file by entity, section and file category; and the revision's
// defaults file written on a version change. A file that cannot be written is
// a failure.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "formats/acf_defaults_file.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_settings_file_writer.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <map>
#include <memory>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The store's side of the settings-file writer: its collection's entries, and
// what it records of the files written.
class STORE_SETTINGS_FILES final : public ACF_SETTINGS_FILE_SOURCE {
public:
    explicit STORE_SETTINGS_FILES(ACF_MANAGER_STORAGE_REAL& storage)
        : m_storage(storage), m_collection(*storage.get_asgn_storage()) {}

    char const* revision_name() const override { return m_storage.get_active_revision_name(); }
    char const* revision_file() const override { return m_storage.get_active_revision_path(); }
    bool writes_banner() const override { return m_storage.get_write_header_comments(); }
    bool has_changes_to_write() const override {
        return m_storage.get_force_write() || m_collection.have_any_assignments_changed();
    }
    bool visit_entries(char const* file_name, bool is_revision_file,
                       ENTRY_VISITOR const& visit) override {
        return m_collection.visit_entries_for_writing(file_name, is_revision_file, visit);
    }
    void file_replaced(char const* file_name, FIO_FILE_STATUS const& status) override {
        m_storage.record_written_file(file_name, status);
    }
    void replacement_unconfirmed(char const* file_name, std::string const& reason) override {
        m_storage.report_unconfirmed_write(file_name, reason);
    }

private:
    ACF_MANAGER_STORAGE_REAL& m_storage;
    ACF_ASGN_STORAGE& m_collection;
};

// Writes one file of the revision (acf_settings_file_writer.h).
bool write_settings_file(ACF_MANAGER_STORAGE_REAL* storage, char const* file_name, bool write_notes,
                         bool as_new_file, std::string* write_error) {
    if (!ACF_REQUIRE(storage->get_asgn_storage() != NULL)) {
        return false;
    }
    STORE_SETTINGS_FILES files(*storage);
    return ACF_SETTINGS_FILE_WRITER(files).write(file_name, write_notes, as_new_file, write_error);
}

} // namespace

// ---------------------------------------------------------------------------
// The incremental writer
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::write_files_to_disk(bool write_notes, bool flush) {
    bool locked = is_write_locked();
    // A commit that failed under this lock has been reported: a second one
    // (the commit at the unlock) must not write what the first could not.
    if (locked && test_state(STATE_COMMIT_FAILED)) {
        m_last_error_status = ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE;
        return false;
    }
    bool had_changes = m_asgn_storage != nullptr &&
                       (get_force_write() || m_asgn_storage->have_any_assignments_changed());
    bool written = write_changed_files(write_notes, flush);
    if (!written && locked && had_changes) {
        drop_unwritten_changes();
    }
    return written;
}

bool ACF_MANAGER_STORAGE_REAL::write_changed_files(bool write_notes, bool flush) {
    // A look at the revision's files that fails anywhere in the commit fails
    // it, and nothing is written from then on.
    ACF_FILE_OPERATION operation;
    auto no_fault = [&] { return !operation.failed() || report_unwritten_file(operation.fault()); };
    if (is_read_only(true)) {
        m_last_error_status = ACF_REVISION_MANAGER::OUTPUT_FILE_IS_READ_ONLY;
        return false;
    }
    if (!is_write_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return false;
    }
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return false;
    }
    m_last_error_status = ACF_REVISION_MANAGER::SUCCESS;
    auto nothing_to_write = [this] {
        if (get_force_write() || m_asgn_storage->have_any_assignments_changed() ||
            !acf_file_exists(m_revision_path)) {
            return false;
        }
        m_asgn_storage->clear_changed_status_of_all_assignments();
        set_force_write(false);
        return true;
    };
    if (nothing_to_write()) {
        return no_fault();
    }
    // Another process may commit the same revision: from the look for its
    // changes to the rename of the new file, the settings file's lock is held.
    // A write made while re-reading for this commit holds it already.
    std::unique_ptr<FIO_FILE_LOCK> file_lock;
    if (!m_commit_locked) {
        file_lock = std::make_unique<FIO_FILE_LOCK>(FIO_PATH(m_revision_path));
        if (!file_lock->is_held()) {
            return report_unwritten_file(file_lock->error());
        }
        remove_temporaries_of_dead_commits();
        m_commit_locked = true;
        // A file changed on disk since it was read is read again first; the
        // changes made here stay (synchronize keeps them).
        if (have_any_files_changed()) {
            synchronize();
        }
        m_commit_locked = false;
        if (have_any_files_changed()) {
            return report_unwritten_file("it changed on disk and could not be read again");
        }
        if (nothing_to_write()) {
            return no_fault();
        }
    }
    if (!no_fault()) {
        return false;
    }
    m_write_error.clear();
    bool written = write_assignments_to_files(write_notes, flush);
    if (written) {
        m_asgn_storage->clear_changed_status_of_all_assignments();
        set_loaded(true);
    } else {
        report_unwritten_file(m_write_error);
    }
    set_force_write(false);
    return written;
}

void ACF_MANAGER_STORAGE_REAL::drop_unwritten_changes() {
    if (!is_write_locked() || m_asgn_storage == nullptr) {
        return;
    }
    set_state(STATE_COMMIT_FAILED, true);
    set_force_write(false);
    m_project_family = m_device_at_write_lock.family;
    m_family_is_explicit = m_device_at_write_lock.family_is_explicit;
    m_project_part = m_device_at_write_lock.part;
    m_asgn_storage->clear_changed_status_of_all_assignments();
    clear_changed_list();
    // The files count as unread: the next lock reads them again, and what is
    // in memory then is what is on disk.
    for (ACF_MGR_FILE_INFO* info : m_files) {
        info->stamp_ns = -1;
    }
    m_file_watch.recheck_all();
}

void ACF_MANAGER_STORAGE_REAL::remove_temporaries_of_dead_commits() {
    // The temporary files lie beside the file a link leads to; while the lock
    // is held, no live commit of the file has one.
    std::string target;
    std::string reason;
    if (FIO_FILE_SYSTEM::resolve_links(FIO_PATH(m_revision_path), &target, &reason)) {
        FIO_FILE_SYSTEM::remove_stale_temporaries(FIO_PATH(target));
    } else {
        acf_file_fault(m_revision_path, reason);
    }
}

void ACF_MANAGER_STORAGE_REAL::report_unconfirmed_write(std::string const& file,
                                                        std::string const& reason) {
    std::string text = "File " + file +
                       " was written, but the write is not confirmed durable: its folder could "
                       "not be flushed to disk";
    post_with_reason(MSG_ACF::W::ACF_ASSIGNMENT_INFO(text.c_str()), reason);
}

bool ACF_MANAGER_STORAGE_REAL::report_unwritten_file(std::string const& reason) {
    post_with_reason(MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(m_revision_path.c_str()), reason);
    m_last_error_status = ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE;
    return false;
}

bool ACF_MANAGER_STORAGE_REAL::write_assignments_to_files(bool write_notes, bool flush) {
    add_revision_tsf_to_collection_if_needed();
    std::vector<std::string> targets;
    for (ACF_MGR_FILE_INFO const* info : m_files) {
        if (info->is_settings_file) {
            targets.push_back(info->file_name);
        }
    }
    bool all_written = true;
    for (std::string const& target : targets) {
        all_written = write_assignments_to_file(target.c_str(), write_notes, flush) && all_written;
    }
    return all_written;
}

bool ACF_MANAGER_STORAGE_REAL::write_assignments_to_file(char const* file_name, bool write_notes,
                                                         bool /*flush*/) {
    return write_settings_file(this, file_name, write_notes, false, &m_write_error);
}

// ---------------------------------------------------------------------------
// The re-organising writer
// ---------------------------------------------------------------------------

bool ACF_MANAGER_STORAGE_REAL::write_revision_file_using_file_category_model() {
    if (!ACF_REQUIRE(m_asgn_storage != NULL) || !is_write_locked()) {
        return false;
    }
    // A file the incremental writer would not update is not rewritten either.
    if (is_read_only(true)) {
        m_last_error_status = ACF_REVISION_MANAGER::OUTPUT_FILE_IS_READ_ONLY;
        return false;
    }
    ACF_ASGN_STORAGE* new_asgn_storage = MEM_NEW(ACF, ACF_ASGN_STORAGE)(this, m_factory);
    if (!ACF_REQUIRE(new_asgn_storage != NULL)) {
        return false;
    }
    acf_arrange_by_file_category(*m_asgn_storage, *new_asgn_storage);
    // The changed list points into the old collection.
    clear_changed_list();
    delete m_asgn_storage;
    m_asgn_storage = new_asgn_storage;
    set_write_header_comments(true);
    set_force_write(true);
    // Written as a new file (banner and notes), but replacing the old one in
    // one step, so that the settings file is never missing.
    bool written = write_settings_file(this, m_revision_path.c_str(), true, true, &m_write_error);
    if (!written) {
        m_last_error_status = ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE;
    }
    set_force_write(false);
    synchronize();
    m_asgn_storage->clear_changed_status_of_all_assignments();
    return written;
}

void ACF_MANAGER_STORAGE_REAL::get_list_of_section_identifiers(
    ACF_CATEGORY_SECTION_TYPE_ENUM section, STRING_LIST* section_identifiers_list,
    std::string const& entity) {
    m_last_error_status = ACF_REVISION_MANAGER::SUCCESS;
    if (!ACF_REQUIRE(section_identifiers_list != NULL)) {
        return;
    }
    if (!is_read_locked() && !is_write_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_LOCKED;
        return;
    }
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    std::map<std::string, int> duplicates;
    m_asgn_storage->get_list_of_section_identifiers(section, get_file_category_enum(),
                                                    section_identifiers_list, &duplicates, entity);
}

// ---------------------------------------------------------------------------
// Version change and the defaults files
// ---------------------------------------------------------------------------

void ACF_MANAGER_STORAGE_REAL::handle_version_change(char const* last_version,
                                                     char const* current_version) {
    double last_plain = 0;
    double last_number = acf_version_text_to_number(last_version, &last_plain);
    double current_number = acf_version_text_to_number(current_version, nullptr);
    if (last_number == 0 || current_number == 0 || current_number <= last_number) {
        return;
    }
    bool written =
        write_defaults_file(m_revision_name.c_str(), last_number, last_plain, last_version);
    set_need_to_reopen_revision(written);
    if (!m_defaults_write_error.empty()) {
        // The defaults of the older version would be lost with the version
        // recorded next: the revision must not be opened without them.
        post_with_reason(
            MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(
                (m_project_path + acf_revision_defaults_file_name(m_revision_name)).c_str()),
            m_defaults_write_error);
    } else if (!written) {
        MSG_POST* message = MSG_ACF::I::WHERE_TO_VIEW_DEFAULT_CHANGES(
            acf_installation_defaults_file_path().c_str());
        post_or_hold(message);
    }
}

bool ACF_MANAGER_STORAGE_REAL::write_defaults_file(char const* revision, double last_number,
                                                   double last_plain, char const* /*last_text*/) {
    if (gen_is_empty_string(revision)) {
        // The installation's file only notes the changed defaults, but one that
        // cannot be made is said so.
        std::string path = acf_installation_defaults_file_path();
        std::string error = path.empty() ? "the folder of the running program is unknown" : "";
        bool written =
            !path.empty() &&
            acf_write_defaults_file_if_missing(
                path, acf_installation_defaults_file_text(acf_default_value_change_table), &error);
        if (!error.empty()) {
            post_with_reason(MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(
                                 path.empty() ? acf_assignment_defaults_file_name() : path.c_str()),
                             error);
        }
        return written;
    }
    std::string directory = m_project_path;
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    m_defaults_write_error.clear();
    return acf_write_defaults_file_if_missing(
        directory + acf_revision_defaults_file_name(revision),
        acf_revision_defaults_file_text(acf_default_value_change_table, last_number, last_plain),
        &m_defaults_write_error);
}
