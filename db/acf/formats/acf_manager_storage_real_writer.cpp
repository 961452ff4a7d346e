// Writing the revision's settings file back: the incremental writer that keeps
// unchanged lines as they were read, the re-organising writer that groups the
// file by entity, section and file category, and the revision's defaults file
// written on a version change.
//
// Every file is replaced atomically (a temporary file beside it, flushed, then
// renamed over it), so that a crash or a full disk leaves the old file or the
// new one, never a part of either; a file that cannot be written is a failure.
#include "acf_manager_storage_real.h"

#include "acf_asgn_storage.h"
#include "acf_assignment.h"
#include "acf_defaults_file.h"
#include "acf_file_checks.h"
#include "acf_file_header.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The notes block under the banner of a new settings file.
void write_notes_block(std::ostream& out, std::string const& revision) {
    out << "#\n"
        << "# Notes:\n"
        << "#\n"
        << "# 1) The default values for assignments are stored in the file:\n"
        << "#\t\t" << acf_revision_defaults_file_name(revision) << "\n"
        << "#    If this file doesn't exist, see file:\n"
        << "#\t\t" << acf_assignment_defaults_file_name() << "\n"
        << "#\n"
        << "# 2) Norvik recommends that you do not modify this file. This\n"
        << "#    file is updated automatically by the Tessaly II software\n"
        << "#    and any changes you make may be lost or overwritten.\n"
        << "#\n"
        << "# " << std::string(74, '-') << " #\n";
}

// The line an entry is written as, without its line end: a comment's text (a
// blank line too), an unchanged assignment's line as it was read, else the
// assignment's command made afresh in `scratch`. False when the entry writes
// nothing.
bool entry_text(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry, std::string* scratch,
                std::string_view* text) {
    ACF_ASSIGNMENT* asgn = entry.get_assignment();
    if (asgn == nullptr) {
        char const* comment = entry.get_comment();
        if (comment == nullptr) {
            return false;
        }
        *text = comment;
        return true;
    }
    if (asgn->is_transient() || asgn->get_family_enum() != DEV_FAMILY_GENERIC) {
        return false;
    }
    char const* read = asgn->has_changed() ? nullptr : asgn->get_original_tcl_command();
    if (read != nullptr) {
        *text = read;
    } else {
        if (asgn->has_changed()) {
            asgn->set_variable_original_tcl_command_from_file(nullptr);
        }
        asgn->get_variable_tcl_set_command(scratch, nullptr);
        *text = *scratch;
    }
    return !text->empty();
}

// "# " followed by `fill` characters up to the length of `line`.
std::string rule_for(std::string const& line, char fill) {
    return "# " + std::string(line.size() > 2 ? line.size() - 2 : 0, fill);
}

std::string formatted(char const* format, char const* a, char const* b = nullptr) {
    int size = std::snprintf(nullptr, 0, format, a, b);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::snprintf(&text[0], text.size() + 1, format, a, b);
    return text;
}

// Writes one file of the revision: its comments and assignments in file order.
// `as_new_file` writes the banner (and notes) as into a file that did not exist.
bool write_settings_file(ACF_MANAGER_STORAGE_REAL* storage, char const* file_name, bool write_notes,
                         bool as_new_file, std::string* write_error) {
    ACF_ASGN_STORAGE* collection = storage->get_asgn_storage();
    if (!ACF_REQUIRE(collection != NULL) || gen_is_empty_string(file_name)) {
        return false;
    }
    bool changed = storage->get_force_write() || collection->have_any_assignments_changed();
    bool is_revision_file =
        FIO_PATH::os_specific_comparison(file_name, storage->get_active_revision_path());
    bool existed = !as_new_file && acf_file_exists(file_name);
    // The banner first, then every line into one buffer, sized from the file
    // as it is, so that it seldom grows.
    std::ostringstream banner;
    bool line_end_before_first = false;
    if (!existed && storage->get_write_header_comments()) {
        acf_print_project_file_header(banner);
        if (write_notes) {
            write_notes_block(banner, storage->get_active_revision_name());
            line_end_before_first = true;
        }
        banner << "\n";
    }
    if (!banner.good()) {
        return false;
    }
    FIO_FILE_STATUS status;
    size_t expected =
        existed && acf_file_status(file_name, &status) ? static_cast<size_t>(status.size) : 0;
    std::string out = banner.str();
    size_t const banner_size = out.size();
    out.reserve(banner_size + expected + expected / 8 + 4096);
    // The lines are made in the walk that finds them. A file none of whose
    // assignments changed is kept as it is unless the revision changed or the
    // write is forced, and nothing of an unchanged revision is regenerated.
    // Every line ends with a line break, the last one too, so that a line
    // appended to the file starts a line of its own.
    size_t entries = 0;
    bool first = true;
    std::string scratch;
    bool file_changed = collection->visit_entries_for_writing(
        file_name, is_revision_file, [&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
            ++entries;
            std::string_view text;
            if (!entry_text(entry, &scratch, &text)) {
                return;
            }
            if (first && line_end_before_first) {
                out += '\n';
            }
            out += text;
            out += '\n';
            first = false;
        });
    if (!file_changed && !changed) {
        entries = 0;
        out.resize(banner_size);
    }
    if (entries == 0) {
        // Nothing changed, or nothing of this file: the file stays as it is.
        // The revision's own file is still written when its last assignment
        // was removed, and made when it is missing.
        if (!is_revision_file || (existed && !changed)) {
            return true;
        }
    }
    // Nothing is written over a file that could not be looked at.
    if (acf_file_fault_pending(write_error)) {
        return false;
    }
    // The rename publishes the new file only once it is complete on disk.
    FIO_REWRITE done;
    bool written =
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(file_name), out, write_error, &done);
    if (done.replaced) {
        storage->record_written_file(file_name, done.status);
    }
    if (!written && done.replaced) {
        // The new content is in place; only that it lasts through a crash is
        // not sure.
        storage->report_unconfirmed_write(file_name, *write_error);
        write_error->clear();
    }
    return done.replaced;
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
    write_file_category_assignments(static_cast<char const*>(nullptr), new_asgn_storage);
    std::list<std::string> entities;
    m_asgn_storage->get_list_of_current_entity_names(&entities);
    for (std::string const& entity : entities) {
        if (!entity.empty()) {
            write_file_category_assignments(entity.c_str(), new_asgn_storage);
        }
    }
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

void ACF_MANAGER_STORAGE_REAL::write_file_category_assignments(char const* entity,
                                                               ACF_ASGN_STORAGE* new_collection) {
    bool in_entity = !gen_is_empty_string(entity);
    if (in_entity) {
        std::string start = formatted("# start ENTITY(%s)", entity);
        new_collection->add_comment_line("", nullptr);
        new_collection->add_comment_line(rule_for(start, '-').c_str(), nullptr);
        new_collection->add_comment_line(start.c_str(), nullptr);
    }
    for (int category = 0; category < ACF_FILE_CATEGORY_NONE; ++category) {
        bool unused = false;
        write_file_category_assignments(static_cast<ACF_FILE_CATEGORY_ENUM>(category),
                                        ACF_CATEGORY_SECTION_TYPE_MAX, nullptr, entity,
                                        new_collection, in_entity, &unused);
    }
    std::string tab = in_entity ? "\t" : "";
    for (int type = 0; type < ACF_CATEGORY_SECTION_TYPE_MAX; ++type) {
        auto section_type = static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(type);
        std::list<std::string> identifiers;
        std::map<std::string, int> duplicates;
        m_asgn_storage->get_list_of_section_identifiers(section_type, ACF_FILE_CATEGORY_NONE,
                                                        &identifiers, &duplicates,
                                                        in_entity ? entity : "");
        for (std::string const& id : identifiers) {
            if (id.empty()) {
                continue;
            }
            bool section_started = false;
            for (int category = 0; category < ACF_FILE_CATEGORY_NONE; ++category) {
                write_file_category_assignments(static_cast<ACF_FILE_CATEGORY_ENUM>(category),
                                                section_type, id.c_str(), entity, new_collection,
                                                in_entity, &section_started);
            }
            if (section_started) {
                std::string end = formatted(
                    "# end %s(%s)", acf_get_category_section_type_string(section_type), id.c_str());
                new_collection->add_comment_line("", nullptr);
                new_collection->add_comment_line((tab + end).c_str(), nullptr);
                new_collection->add_comment_line((tab + rule_for(end, '-')).c_str(), nullptr);
            }
        }
    }
    if (in_entity) {
        std::string end = formatted("# end ENTITY(%s)", entity);
        new_collection->add_comment_line("", nullptr);
        new_collection->add_comment_line(end.c_str(), nullptr);
        new_collection->add_comment_line(rule_for(end, '-').c_str(), nullptr);
    }
}

void ACF_MANAGER_STORAGE_REAL::write_file_category_assignments(
    ACF_FILE_CATEGORY_ENUM category, ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
    char const* section_id, char const* entity, ACF_ASGN_STORAGE* new_collection, bool in_entity,
    bool* section_started) {
    ASSIGNMENT_LIST assignments;
    if (!m_asgn_storage->get_assignments_for_file_category_section_id_entity(
            &assignments, category, section_type, section_id, entity)) {
        return;
    }
    bool in_section = !gen_is_empty_string(section_id);
    std::string tab = in_entity ? "\t" : "";
    if (in_section && !*section_started) {
        *section_started = true;
        std::string start = formatted(
            "# start %s(%s)", acf_get_category_section_type_string(section_type), section_id);
        new_collection->add_comment_line("", nullptr);
        new_collection->add_comment_line((tab + start).c_str(), nullptr);
        new_collection->add_comment_line((tab + rule_for(start, '-')).c_str(), nullptr);
    }
    std::string indent = tab + (in_section ? "\t" : "");
    std::string title = formatted("# %s", acf_file_category_semantics[category].display_text);
    new_collection->add_comment_line("", nullptr);
    new_collection->add_comment_line((indent + title).c_str(), nullptr);
    new_collection->add_comment_line((indent + rule_for(title, '=')).c_str(), nullptr);
    std::string command;
    for (ACF_ASSIGNMENT* asgn : assignments) {
        if (asgn->is_transient()) {
            continue;
        }
        asgn->fill_in_input_parameter(&m_writer_params);
        ACF_ASSIGNMENT* copy =
            new_collection->set_assignment(&m_writer_params, false, asgn->is_global(),
                                           asgn->get_type() == ACF_VARIABLE_TYPE_NONE, false, true);
        if (copy == nullptr) {
            continue;
        }
        copy->get_variable_tcl_set_command(&command, nullptr);
        copy->set_variable_original_tcl_command_from_file((indent + command).c_str());
        new_collection->move_assignment_to_end_of_coll(copy);
    }
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
