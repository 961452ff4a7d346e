// Opening, creating, closing and committing projects; the cache of revision
// stores and the side managers lent for other revisions of the open project.
#include "acf_manager.h"

#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "formats/acf_defaults_file.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_project_file.h"
#include "mem_manager.h"
#include "records/acf_assignment_factory.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"
#include "store/acf_conversion_journal.h"
#include "store/acf_manager_storage_real.h"
#include "store/acf_project_conversion.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/general/tst.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

char const ILLEGAL_NAME_CHARACTERS[] = "^&?*|<>;'";

// Another revision of the open project, opened beside the active one: old
// files converted, nothing written and nothing listed anew.
ACF_OPEN_PROJECT_OPTIONS side_revision_open_options() {
    ACF_OPEN_PROJECT_OPTIONS options;
    options.convert_old_files = true;
    options.already_open_ok = true;
    return options;
}

bool has_illegal_character(char const* text) {
    return text != nullptr && std::strpbrk(text, ILLEGAL_NAME_CHARACTERS) != nullptr;
}

std::string text_of(char const* text) {
    return text != nullptr ? text : "";
}

std::string with_separator(char const* dir) {
    std::string text = text_of(dir);
    acf_ensure_trailing_separator(&text);
    return text;
}

std::string extension_of(int type) {
    return FIO_EXTENSION_TYPE_INFO::get_extension_string(type);
}

void debug_time(char const* format) {
    std::string now;
    gen_format_current_date_and_time(&now, "%H:%M:%S");
    acf_msg_debug(format, now.c_str());
}

// Shows a message to the user in a user-interface process, else posts it.
void show_or_post(bool ui_process, MSG_BASE* shown, MSG_BASE* posted) {
    MSG_BASE* message = ui_process ? shown : posted;
    if (ui_process) {
        message->show();
    } else {
        message->post();
    }
    delete shown;
    delete posted;
}

// The revisions a project file lists. A project file that exists but cannot be
// read would pass for one that lists none, and a later rewrite would drop them
// all: false, with the message naming it.
bool read_listed_revisions(std::string const& project_file, ACF_REVISION_NAME_LIST* listed) {
    std::string reason;
    if (acf_get_all_revisions_from_tpf(project_file.c_str(), listed, &reason)) {
        return true;
    }
    MSG_POST* message = acf_add_info_sub_message(
        MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(project_file.c_str()), reason);
    message->post();
    delete message;
    return false;
}

} // namespace

void acf_ensure_trailing_separator(std::string* text) {
    if (text != nullptr && !text->empty() && text->back() != '/') {
        *text += '/';
    }
}

void acf_create_manager_storage_search_key(char const* dir, char const* project_name,
                                           char const* revision, std::string* out) {
    if (out == nullptr) {
        return;
    }
    *out = with_separator(dir) + "::" + text_of(project_name) + "::" + text_of(revision);
}

// ---------------------------------------------------------------------------
// Open and create
// ---------------------------------------------------------------------------

int ACF_MANAGER::open_project(char const* dir, char const* project_name, char const* revision,
                              bool convert_old_files, bool create_if_missing, bool show_messages,
                              bool commit_new_files, bool make_active) {
    // A look at the project's files that fails anywhere fails the open.
    ACF_FILE_OPERATION operation;
    std::string kept_project_dir = gen_get_project_dir_path();
    debug_time("ACF_MANAGER::open_project start at %s");
    std::string directory = with_separator(dir);
    std::string project_file =
        directory + FIO_PATH(text_of(project_name)).base() + extension_of(FIO_EXTENSION_TYPE_TPF);
    int result = SUCCESS;
    bool already_open = false;
    bool converted_anew = false;
    if (acf_file_exists(project_file) && !get_bool_data(REOPEN_OPEN_PROJECT) &&
        FIO_PATH::os_specific_comparison(project_file.c_str(), m_project_file_full_path.c_str())) {
        already_open = is_project_open();
        if (fio_get_extension_type(text_of(project_name)) == FIO_EXTENSION_TYPE_OLD_PROJECT &&
            convert_old_files && get_is_ui_process() &&
            FIO_FILE_SYSTEM::exists(FIO_PATH(
                acf_path_with_extension_type(project_file, FIO_EXTENSION_TYPE_OLD_PROJECT)))) {
            // The old project file is opened again: it is converted anew (the
            // current files are put aside first, and return when that fails).
            free_cached_storage();
            m_project_file_full_path = FIO_PATH(project_file).full_path();
            already_open = false;
            converted_anew = true;
        }
    } else {
        free_cached_storage();
        m_project_file_full_path = FIO_PATH(project_file).full_path();
    }
    if (already_open) {
        debug_time("ACF_MANAGER::open_project end at %s");
        return SUCCESS;
    }

    STRING_LIST listed;
    if (!read_listed_revisions(project_file, &listed) || operation.failed()) {
        if (show_messages) {
            display_message_when_open_failed(ERROR_IN_SETTINGS_FILE, project_file.c_str(),
                                             text_of(revision).c_str());
        }
        gen_set_project_dir_path(kept_project_dir.c_str());
        debug_time("ACF_MANAGER::open_project end at %s");
        return ERROR_IN_SETTINGS_FILE;
    }
    // The revisions just read are the ones checked: a second read of the file
    // could fail and be taken for a project without settings files.
    if (!create_if_missing && !converted_anew && acf_file_exists(project_file) &&
        !acf_revision_files_exist(project_file, listed)) {
        if (show_messages) {
            show_or_post(get_is_ui_process(),
                         MSG_ACF::O::NO_REVISIONS_EXIST_FOR_PROJECT(project_file.c_str()),
                         MSG_ACF::E::NO_REVISIONS_EXIST_FOR_PROJECT(project_file.c_str()));
        }
        gen_set_project_dir_path(kept_project_dir.c_str());
        debug_time("ACF_MANAGER::open_project end at %s");
        return REVISION_FILE_DOES_NOT_EXIST;
    }

    std::string chosen = text_of(revision);
    bool defaulted = chosen.empty();
    if (defaulted) {
        get_active_revision_for_project(directory.c_str(), text_of(project_name).c_str(), nullptr,
                                        &chosen);
    }
    gen_set_project_dir_path(directory.c_str());

    std::string key;
    acf_create_manager_storage_search_key(directory.c_str(), FIO_PATH(project_file).base().c_str(),
                                          chosen.c_str(), &key);
    bool read_only = false;
    auto cached = m_acf_manager_storage_map.find(key);
    if (cached == m_acf_manager_storage_map.end()) {
        ACF_OPEN_PROJECT_OPTIONS options;
        options.convert_old_files = convert_old_files;
        options.create_if_missing = create_if_missing;
        options.revision_defaulted = defaulted;
        options.commit_new_files = commit_new_files;
        options.make_active = make_active;
        result =
            internal_open_create_project(directory.c_str(), project_name, chosen.c_str(), options);
        read_only = m_opened_read_only;
        if (result == SUCCESS) {
            std::string new_key;
            acf_create_manager_storage_search_key(
                directory.c_str(), get_storage()->get_project_name(),
                get_storage()->get_active_revision_name(), &new_key);
            insert_storage_in_map(new_key, get_storage());
        } else if (show_messages) {
            display_message_when_open_failed(result, m_project_file_full_path.c_str(),
                                             chosen.c_str());
        }
    } else {
        ACF_MANAGER_STORAGE* storage = cached->second->m_storage;
        ACF_REQUIRE(!storage->is_null());
        replace_current_storage(storage);
        storage->set_add_messages_to_post_list(true);
        if (write_lock(true)) {
            // Looked at before anything is written.
            read_only =
                get_last_error_status() != ERROR_IN_SETTINGS_FILE && storage->is_read_only(false);
            if (get_last_error_status() != ERROR_IN_SETTINGS_FILE && !operation.failed()) {
                if (make_active) {
                    move_revision_to_top_of_project_file_list(m_project_file_full_path.c_str(),
                                                              storage->get_active_revision_name());
                }
                storage->display_post_messages();
                storage->set_add_messages_to_post_list(false);
                write_unlock(false);
            } else {
                storage->display_post_messages();
                storage->write_unlock();
                replace_current_storage(nullptr);
                delete_storage_in_map(key);
                result = ERROR_IN_SETTINGS_FILE;
                if (show_messages) {
                    show_or_post(get_is_ui_process(), MSG_ACF::O::ERROR_IN_TSF_NO_OPEN_PROJECT(),
                                 MSG_ACF::E::ERROR_IN_TSF_NO_OPEN_PROJECT());
                }
            }
        }
    }

    if (result == SUCCESS && operation.failed()) {
        // The revision opened, but a look at its files failed on the way: it
        // does not stay open.
        std::string opened;
        acf_create_manager_storage_search_key(directory.c_str(), get_storage()->get_project_name(),
                                              get_storage()->get_active_revision_name(), &opened);
        delete_storage_in_map(opened);
        result = ERROR_IN_SETTINGS_FILE;
        if (show_messages) {
            display_message_when_open_failed(result, project_file.c_str(), chosen.c_str());
        }
    }
    if (result != SUCCESS) {
        gen_set_project_dir_path(kept_project_dir.c_str());
    } else {
        release_closed_storages();
        if (read_only) {
            MSG_POST* warning = MSG_ACF::W::FILES_ARE_READ_ONLY();
            warning->post();
            delete warning;
        }
        // No list of recent projects is kept by any program of the suite, so
        // nothing is told of the opened project here.
    }
    debug_time("ACF_MANAGER::open_project end at %s");
    return result;
}

// One open or creation of a project's revision: where its files are, and
// what must go back when it fails.
struct ACF_MANAGER::OPEN_REQUEST {
    OPEN_REQUEST(ACF_OPEN_PROJECT_OPTIONS const& options, ACF_FILE_OPERATION const& operation)
        : options(options), operation(operation) {}

    ACF_OPEN_PROJECT_OPTIONS const& options;
    // A look at the project's files that fails anywhere fails the open.
    ACF_FILE_OPERATION const& operation;
    std::string directory; // with a trailing separator
    std::string project_file;
    std::string revision_base;
    // No revision was named and none is remembered: the project's own name.
    bool from_project = false;
    // What the open wrote or made, taken back when it fails after that.
    ACF_CONVERSION_JOURNAL written;

    std::string revision_path() const {
        return directory + revision_base + extension_of(FIO_EXTENSION_TYPE_TSF);
    }
};

int ACF_MANAGER::internal_open_create_project(char const* dir, char const* project_name,
                                              char const* revision, bool convert_old_files,
                                              bool already_open_ok, bool create_if_missing,
                                              bool revision_defaulted, bool commit_new_files,
                                              bool make_active) {
    ACF_OPEN_PROJECT_OPTIONS options;
    options.convert_old_files = convert_old_files;
    options.already_open_ok = already_open_ok;
    options.create_if_missing = create_if_missing;
    options.revision_defaulted = revision_defaulted;
    options.commit_new_files = commit_new_files;
    options.make_active = make_active;
    return internal_open_create_project(dir, project_name, revision, options);
}

int ACF_MANAGER::internal_open_create_project(char const* dir, char const* project_name,
                                              char const* revision,
                                              ACF_OPEN_PROJECT_OPTIONS const& options) {
    ACF_FILE_OPERATION operation;
    if (gen_is_empty_string(dir) || gen_is_empty_string(project_name)) {
        return EMPTY_NAME;
    }
    if (has_illegal_character(dir) || has_illegal_character(project_name) ||
        has_illegal_character(revision)) {
        return ILLEGAL_CHARACTERS_IN_NAME;
    }
    if (!options.already_open_ok && is_project_open()) {
        return PROJECT_ALREADY_OPEN;
    }
    OPEN_REQUEST request(options, operation);
    locate_project_files(request, dir, project_name, revision);
    if (request.project_file[0] != '/') {
        return PROJECT_PATH_NOT_ABSOLUTE;
    }
    if (options.convert_old_files) {
        int status = convert_old_project_files(request, project_name);
        if (status != SUCCESS) {
            return status;
        }
    }
    int status = choose_revision_to_open(request);
    if (status != SUCCESS) {
        return status;
    }
    status = list_revision_first(request);
    if (status != SUCCESS) {
        return status;
    }
    return open_revision_storage(request);
}

void ACF_MANAGER::locate_project_files(OPEN_REQUEST& request, char const* dir,
                                       char const* project_name, char const* revision) {
    request.directory = with_separator(dir);
    request.project_file =
        request.directory + FIO_PATH(project_name).base() + extension_of(FIO_EXTENSION_TYPE_TPF);
    if (!gen_is_empty_string(revision)) {
        request.revision_base = FIO_PATH(revision).base();
        return;
    }
    if (get_is_ui_process()) {
        request.revision_base = get_active_cap_from_tpf_or_tws_file(request.project_file.c_str());
    }
    if (request.revision_base.empty()) {
        request.revision_base = FIO_PATH(request.project_file).base();
        request.from_project = true;
    }
}

int ACF_MANAGER::convert_old_project_files(OPEN_REQUEST& request, char const* project_name) {
    std::string const& project_file = request.project_file;
    std::string old_project =
        acf_path_with_extension_type(project_file, FIO_EXTENSION_TYPE_OLD_PROJECT);
    // The current files of a project converted anew are put aside, never
    // deleted, and return when the conversion fails.
    ACF_CONVERSION_JOURNAL put_aside;
    bool convert_anew = fio_get_extension_type(project_name) == FIO_EXTENSION_TYPE_OLD_PROJECT &&
                        acf_file_exists(project_file) &&
                        FIO_FILE_SYSTEM::exists(FIO_PATH(old_project)) && get_is_ui_process();
    if (request.operation.failed()) {
        return ERROR_IN_SETTINGS_FILE;
    }
    if (convert_anew) {
        STRING_LIST listed;
        acf_get_all_revisions_from_tpf(project_file.c_str(), &listed);
        for (std::string const& name : listed) {
            put_aside.put_aside(acf_revision_settings_file_path(project_file, name));
        }
        put_aside.put_aside(project_file);
    }
    bool convert = !acf_file_exists(project_file) &&
                   !(request.options.create_if_missing && acf_file_exists(request.revision_path()));
    if (request.operation.failed()) {
        put_aside.undo();
        return ERROR_IN_SETTINGS_FILE;
    }
    if (convert) {
        std::string old_revision =
            acf_path_with_extension_type(request.revision_path(), FIO_EXTENSION_TYPE_OLD_PROJECT);
        bool converted = FIO_FILE_SYSTEM::exists(FIO_PATH(old_revision))
                             ? convert_project(old_revision.c_str(), "")
                         : FIO_FILE_SYSTEM::exists(FIO_PATH(old_project))
                             ? convert_project(old_project.c_str(), "")
                             : convert_project(old_project.c_str(), request.revision_base.c_str());
        if (!converted) {
            // No new project may stand in for the old one that failed to convert.
            put_aside.undo();
            return FILE_CANNOT_BE_OPENED;
        }
    }
    put_aside.keep();
    return SUCCESS;
}

int ACF_MANAGER::choose_revision_to_open(OPEN_REQUEST& request) {
    ACF_OPEN_PROJECT_OPTIONS const& options = request.options;
    // The revisions listed, read once for every choice below.
    STRING_LIST listed;
    if (!read_listed_revisions(request.project_file, &listed) || request.operation.failed()) {
        return ERROR_IN_SETTINGS_FILE;
    }
    auto is_listed = [&](std::string const& name) {
        for (std::string const& entry : listed) {
            if (acf_os_based_compare(entry.c_str(), name.c_str())) {
                return true;
            }
        }
        return false;
    };
    // A revision that is not to be created and is not listed, or the
    // project's own name without its settings file, gives way to the first
    // listed.
    bool take_first = !(options.create_if_missing && !options.revision_defaulted) &&
                      !is_listed(request.revision_base);
    if (take_first && !listed.empty() && !listed.front().empty()) {
        request.revision_base = listed.front();
    }
    if (request.from_project && !options.create_if_missing &&
        !acf_file_exists(request.revision_path()) && !listed.empty() && !listed.front().empty()) {
        request.revision_base = listed.front();
    }
    if (!options.create_if_missing) {
        if (!acf_file_exists(request.project_file)) {
            return FILE_CANNOT_BE_OPENED;
        }
        if (!acf_file_exists(request.revision_path())) {
            return REVISION_FILE_DOES_NOT_EXIST;
        }
        if (!is_listed(request.revision_base)) {
            return REVISION_NOT_IN_PROJECT;
        }
    }
    return SUCCESS;
}

int ACF_MANAGER::list_revision_first(OPEN_REQUEST& request) {
    ACF_OPEN_PROJECT_OPTIONS const& options = request.options;
    // An open that fails after it wrote the project file or made the settings
    // file leaves both as they were.
    if (options.make_active || options.commit_new_files) {
        if (!request.written.watch(request.project_file) ||
            !request.written.watch(request.revision_path())) {
            return FILE_CANNOT_BE_OPENED;
        }
    }
    if (request.operation.failed()) {
        return ERROR_IN_SETTINGS_FILE;
    }
    if (options.make_active && !move_revision_to_top_of_project_file_list(
                                   request.project_file.c_str(), request.revision_base.c_str())) {
        request.written.undo();
        MSG_POST* message = MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(request.project_file.c_str());
        message->post();
        delete message;
        return UNABLE_TO_WRITE_FILE;
    }
    return SUCCESS;
}

int ACF_MANAGER::open_revision_storage(OPEN_REQUEST& request) {
    int status = SUCCESS;
    for (;;) {
        auto* storage = MEM_NEW(ACF, ACF_MANAGER_STORAGE_REAL)(request.project_file,
                                                               request.revision_base, this, true);
        replace_current_storage(storage);
        storage->set_add_messages_to_post_list(true);
        if (!write_lock(true)) {
            status = NOT_WRITE_LOCKED;
        }
        if (storage->get_last_error_status() == ERROR_IN_SETTINGS_FILE ||
            request.operation.failed()) {
            storage->display_post_messages();
            if (storage->is_write_locked()) {
                storage->write_unlock();
            }
            return abandon_open(request, ERROR_IN_SETTINGS_FILE);
        }
        if (!storage->is_write_locked()) {
            break;
        }
        int settled = settle_opened_revision(request, storage);
        if (settled != SUCCESS) {
            return settled;
        }
        write_unlock(false);
        storage->clear_changed_list();
        if (!storage->get_need_to_reopen_revision()) {
            storage->display_post_messages();
            break;
        }
        // Read afresh what was just written.
        storage->set_need_to_reopen_revision(false);
        replace_current_storage(nullptr);
    }
    m_opened_read_only = false;
    if (!get_storage()->is_null()) {
        get_storage()->set_add_messages_to_post_list(false);
        get_storage()->clear_is_modified();
        m_opened_read_only = get_storage()->is_read_only(false);
        if (request.operation.failed()) {
            return abandon_open(request, ERROR_IN_SETTINGS_FILE);
        }
    }
    return status;
}

int ACF_MANAGER::settle_opened_revision(OPEN_REQUEST& request, ACF_MANAGER_STORAGE_REAL* storage) {
    resolve_special_cases();
    if (storage->get_need_to_reopen_revision()) {
        // The revision's defaults file was made: a failed open takes it back.
        request.written.made(request.directory +
                             acf_revision_defaults_file_name(request.revision_base));
    }
    if (storage->is_defaults_file_unwritten()) {
        write_unlock(false);
        storage->display_post_messages();
        return abandon_open(request, UNABLE_TO_WRITE_FILE);
    }
    bool new_revision_file =
        !storage->get_need_to_reopen_revision() && !acf_file_exists(request.revision_path());
    if (request.operation.failed()) {
        storage->write_unlock();
        storage->display_post_messages();
        return abandon_open(request, ERROR_IN_SETTINGS_FILE);
    }
    if (!new_revision_file) {
        return SUCCESS;
    }
    // Old settings files named after the project join the new revision (of
    // the process-wide manager only: they are merged through it).
    if (this == get_acf_manager()) {
        ACF_ASSIGNMENT_FACTORY factory(storage);
        acf_add_old_settings_files(&factory, FIO_PATH(request.project_file).base(),
                                   request.revision_path());
    }
    if (request.options.commit_new_files) {
        if (!commit_files_to_disk(true, false)) {
            // Reading the revision afresh would only meet the same missing
            // file again: the open fails instead.
            write_unlock(false);
            storage->display_post_messages();
            return abandon_open(request, UNABLE_TO_WRITE_FILE);
        }
        storage->set_need_to_reopen_revision(true);
    }
    return SUCCESS;
}

int ACF_MANAGER::abandon_open(OPEN_REQUEST& request, int status) {
    replace_current_storage(nullptr);
    request.written.undo();
    return status;
}

void ACF_MANAGER::display_message_when_open_failed(int status, char const* project_file,
                                                   char const* revision) const {
    bool ui = get_is_ui_process();
    switch (status) {
    case FILE_CANNOT_BE_OPENED:
        show_or_post(ui, MSG_ACF::O::PROJECT_FILE_DOES_NOT_EXIST(project_file),
                     MSG_ACF::E::PROJECT_FILE_DOES_NOT_EXIST(project_file));
        break;
    case REVISION_FILE_DOES_NOT_EXIST:
        show_or_post(ui, MSG_ACF::O::REVISION_FILE_DOES_NOT_EXIST(revision),
                     MSG_ACF::E::REVISION_FILE_DOES_NOT_EXIST(revision));
        break;
    case REVISION_NOT_IN_PROJECT:
        show_or_post(ui, MSG_ACF::O::REVISION_NOT_INCLUDED_IN_PROJECT(revision, project_file),
                     MSG_ACF::E::REVISION_NOT_INCLUDED_IN_PROJECT(revision, project_file));
        break;
    case ERROR_IN_SETTINGS_FILE:
        show_or_post(ui, MSG_ACF::O::ERROR_IN_TSF_NO_OPEN_PROJECT(),
                     MSG_ACF::E::ERROR_IN_TSF_NO_OPEN_PROJECT());
        break;
    case ILLEGAL_CHARACTERS_IN_NAME:
        show_or_post(
            ui, MSG_ACF::O::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME(ILLEGAL_NAME_CHARACTERS),
            MSG_ACF::E::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME(ILLEGAL_NAME_CHARACTERS));
        break;
    default:
        break;
    }
}

char const* ACF_MANAGER::get_illegal_name_characters() {
    return ILLEGAL_NAME_CHARACTERS;
}

// ---------------------------------------------------------------------------
// Close and commit
// ---------------------------------------------------------------------------

bool ACF_MANAGER::close_project(bool commit) {
    if (!is_project_open()) {
        return false;
    }
    if (tst_is_regtest_mode() && commit) {
        bool took = is_write_locked() || write_lock(false);
        if (took && is_write_locked()) {
            commit_files_to_disk(false, true);
            write_unlock(true);
        }
    }
    replace_current_storage(nullptr);
    ++m_project_close_count;
    return true;
}

bool ACF_MANAGER::commit_files_to_disk(bool notify, bool flush) {
    ACF_MANAGER_STORAGE* storage = get_storage();
    if (storage->is_null()) {
        return false;
    }
    // A look at the project's files that fails anywhere fails the commit.
    ACF_FILE_OPERATION operation;
    if (notify) {
        broadcast_change_notification();
    }
    if (storage->is_modified()) {
        storage->clear_changed_list();
    }
    // The project file is looked at first: nothing is written when that fails.
    std::string project_file = text_of(storage->get_project_full_path());
    bool project_file_missing = !acf_file_exists(project_file);
    if (operation.failed()) {
        return false;
    }
    bool written = storage->write_files_to_disk(true, flush);
    if (project_file_missing) {
        written = move_revision_to_top_of_project_file_list(project_file.c_str(),
                                                            storage->get_active_revision_name()) &&
                  written;
    }
    return written && !operation.failed();
}

// ---------------------------------------------------------------------------
// The store cache
// ---------------------------------------------------------------------------

bool ACF_MANAGER::is_cached(ACF_MANAGER_STORAGE const* storage) const {
    for (auto const& entry : m_acf_manager_storage_map) {
        if (entry.second->m_storage == storage) {
            return true;
        }
    }
    return false;
}

void ACF_MANAGER::replace_current_storage(ACF_MANAGER_STORAGE* storage) {
    ACF_MANAGER_STORAGE* current = get_storage();
    if (current == storage) {
        return;
    }
    bool orphan = current != nullptr && !current->is_null() && !is_cached(current);
    set_current_storage_to(storage);
    if (orphan) {
        delete current;
    }
}

void ACF_MANAGER::report_dangling_side_manager(ACF_MANAGER_STORAGE_INFO const* info) const {
    char text[512];
    std::snprintf(text, sizeof(text),
                  "Dangling side manager for revision '%s' still has %d reference%s",
                  info->m_storage != nullptr ? info->m_storage->get_active_revision_name() : "",
                  info->m_reference_count, info->m_reference_count >= 2 ? "s" : "");
    ACF_INTERNAL_ERROR(text);
}

void ACF_MANAGER::free_cached_storage() {
    replace_current_storage(nullptr);
    for (auto& entry : m_acf_manager_storage_map) {
        ACF_MANAGER_STORAGE_INFO* info = entry.second;
        if (info->m_reference_count != 0) {
            report_dangling_side_manager(info);
        }
        delete info->m_side_manager;
        delete info->m_storage;
        delete info;
    }
    m_acf_manager_storage_map.clear();
    if ((m_flags & FLAG_PROCESS_WIDE) != 0) {
        acf_clear_string_map();
    }
}

void ACF_MANAGER::release_closed_storages() {
    // How many stores of closed revisions stay cached.
    constexpr size_t kept_closed = 4;
    std::vector<std::pair<uint64_t, std::string>> closed;
    ++m_open_count;
    for (auto const& entry : m_acf_manager_storage_map) {
        ACF_MANAGER_STORAGE_INFO* info = entry.second;
        ACF_MANAGER_STORAGE* storage = info->m_storage;
        if (storage == get_storage()) {
            info->m_last_opened = m_open_count;
        } else if (info->m_reference_count == 0 && info->m_side_manager == nullptr &&
                   storage != nullptr && !storage->is_modified() && !storage->is_read_locked() &&
                   !storage->is_write_locked()) {
            closed.emplace_back(info->m_last_opened, entry.first);
        }
    }
    if (closed.size() <= kept_closed) {
        return;
    }
    std::sort(closed.begin(), closed.end());
    closed.resize(closed.size() - kept_closed);
    for (auto const& oldest : closed) {
        delete_storage_in_map(oldest.second);
    }
}

void ACF_MANAGER::set_storage_from_cache(ACF_MANAGER_STORAGE_INFO* storage_info) {
    if (!ACF_REQUIRE(storage_info != NULL) || !ACF_REQUIRE(!storage_info->has_side_managers())) {
        return;
    }
    replace_current_storage(storage_info->m_storage);
}

void ACF_MANAGER::insert_storage_in_map(std::string const& key, ACF_MANAGER_STORAGE* storage) {
    if (!ACF_REQUIRE(storage != NULL) || !ACF_REQUIRE(!storage->is_null())) {
        return;
    }
    auto found = m_acf_manager_storage_map.find(key);
    if (found == m_acf_manager_storage_map.end()) {
        auto* info = MEM_NEW(ACF, ACF_MANAGER_STORAGE_INFO)();
        info->m_storage = storage;
        m_acf_manager_storage_map[key] = info;
        return;
    }
    ACF_MANAGER_STORAGE_INFO* info = found->second;
    if (info->m_storage == storage) {
        return;
    }
    if (info->has_side_managers()) {
        char text[512];
        std::snprintf(text, sizeof(text), "Key '%s' already exists in the storage map.",
                      key.c_str());
        ACF_INTERNAL_ERROR(text);
        return;
    }
    if (get_storage() == info->m_storage) {
        set_current_storage_to(storage);
    }
    delete info->m_storage;
    info->m_storage = storage;
}

void ACF_MANAGER::delete_storage_in_map(std::string const& key) {
    auto storage_info_iter = m_acf_manager_storage_map.find(key);
    if (!ACF_REQUIRE(storage_info_iter != m_acf_manager_storage_map.end())) {
        return;
    }
    ACF_MANAGER_STORAGE_INFO* info = storage_info_iter->second;
    if (info->m_reference_count != 0) {
        report_dangling_side_manager(info);
        return;
    }
    if (get_storage() == info->m_storage) {
        set_current_storage_to(nullptr);
    }
    delete info->m_side_manager;
    delete info->m_storage;
    delete info;
    m_acf_manager_storage_map.erase(storage_info_iter);
}

ACF_MANAGER_STORAGE_INFO* ACF_MANAGER::find_revision_in_map(char const* revision) {
    if (gen_is_empty_string(revision)) {
        return nullptr;
    }
    std::string key;
    create_manager_storage_search_key(revision, &key);
    auto found = m_acf_manager_storage_map.find(key);
    return found != m_acf_manager_storage_map.end() ? found->second : nullptr;
}

void ACF_MANAGER::create_manager_storage_search_key(char const* revision, std::string* out) const {
    if (gen_is_empty_string(revision) || out == nullptr) {
        return;
    }
    acf_create_manager_storage_search_key(get_storage()->get_project_path(),
                                          get_storage()->get_project_name(), revision, out);
}

// ---------------------------------------------------------------------------
// Side managers
// ---------------------------------------------------------------------------

int ACF_MANAGER::retain_side_manager(char const* revision, ACF_REVISION_MANAGER** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    if (gen_is_empty_string(revision)) {
        return EMPTY_NAME;
    }
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (acf_os_based_compare(revision, get_active_revision_name())) {
        return UNKNOWN_ERROR;
    }
    if (!is_revision_included_in_project(revision)) {
        return REVISION_NOT_IN_PROJECT;
    }
    ACF_MANAGER_STORAGE_INFO* info = find_revision_in_map(revision);
    if (info == nullptr) {
        return UNKNOWN_ERROR;
    }
    if (info->m_side_manager == nullptr) {
        info->m_side_manager = MEM_NEW(ACF, ACF_REVISION_MANAGER)(info->m_storage);
        info->m_side_manager->write_lock(false);
    }
    ++info->m_reference_count;
    if (out != nullptr) {
        *out = info->m_side_manager;
    }
    return SUCCESS;
}

int ACF_MANAGER::release_side_manager(char const* revision) {
    if (gen_is_empty_string(revision)) {
        return EMPTY_NAME;
    }
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (acf_os_based_compare(revision, get_active_revision_name())) {
        return UNKNOWN_ERROR;
    }
    ACF_MANAGER_STORAGE_INFO* info = find_revision_in_map(revision);
    if (info == nullptr || info->m_side_manager == nullptr) {
        return UNKNOWN_ERROR;
    }
    if (--info->m_reference_count > 0) {
        return SUCCESS;
    }
    ACF_REVISION_MANAGER* side = info->m_side_manager;
    int status = SUCCESS;
    if (ACF_REQUIRE(info->m_side_manager->is_write_locked())) {
        info->m_storage->write_files_to_disk(true, true);
        status = info->m_storage->get_last_error_status();
        side->write_unlock(false);
    }
    info->m_reference_count = 0;
    info->m_side_manager = nullptr;
    delete side;
    info->m_storage->set_revision_manager(this);
    return status;
}

int ACF_MANAGER::release_side_manager(ACF_REVISION_MANAGER* side_manager) {
    return release_side_manager(side_manager != nullptr ? side_manager->get_active_revision_name()
                                                        : "");
}

// Work on another revision of the open project needs the write lock, and a
// revision of the project that is not the active one.
int ACF_MANAGER::check_other_revision(char const* revision) {
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (!is_write_locked()) {
        return NOT_WRITE_LOCKED;
    }
    if (acf_os_based_compare(revision, get_active_revision_name())) {
        return UNKNOWN_ERROR;
    }
    if (!is_revision_included_in_project(revision)) {
        return REVISION_NOT_IN_PROJECT;
    }
    return SUCCESS;
}

int ACF_MANAGER::load_side_revision_if_needed(char const* revision) {
    if (gen_is_empty_string(revision)) {
        return EMPTY_NAME;
    }
    int checked = check_other_revision(revision);
    if (checked != SUCCESS) {
        return checked;
    }
    if (find_revision_in_map(revision) == nullptr) {
        ACF_MANAGER_STORAGE* kept = get_storage();
        std::string dir = text_of(kept->get_project_path());
        std::string name = text_of(kept->get_project_name());
        // The opened store must not replace (and so free) the kept one.
        set_current_storage_to(nullptr);
        int status = internal_open_create_project(dir.c_str(), name.c_str(), revision,
                                                  side_revision_open_options());
        ACF_MANAGER_STORAGE* opened = get_storage();
        bool opened_real = !opened->is_null();
        // Putting the kept store back frees a null one.
        set_current_storage_to(kept);
        if (status != SUCCESS) {
            if (opened_real) {
                delete opened;
            }
            return status;
        }
        std::string key;
        acf_create_manager_storage_search_key(dir.c_str(), name.c_str(), revision, &key);
        insert_storage_in_map(key, opened);
    }
    ACF_MANAGER_STORAGE_INFO* storage_info = find_revision_in_map(revision);
    if (storage_info == nullptr || storage_info->m_storage == nullptr ||
        storage_info->m_storage->is_null()) {
        return UNKNOWN_ERROR;
    }
    if (!ACF_REQUIRE(::acf_os_based_compare(storage_info->m_storage->get_active_revision_name(),
                                            revision))) {
        return UNKNOWN_ERROR;
    }
    return SUCCESS;
}

int ACF_MANAGER::set_other_revision_assignment(char const* revision,
                                               ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                               bool commit) {
    if (gen_is_empty_string(revision) || input_parameters == nullptr) {
        return EMPTY_NAME;
    }
    int checked = check_other_revision(revision);
    if (checked != SUCCESS) {
        return checked;
    }
    ACF_MANAGER_STORAGE* kept = get_storage();
    ACF_MANAGER_STORAGE* storage = nullptr;
    bool opened_here = false;
    if (ACF_MANAGER_STORAGE_INFO* info = find_revision_in_map(revision)) {
        storage = info->m_storage;
    } else {
        std::string dir = text_of(kept->get_project_path());
        std::string name = text_of(kept->get_project_name());
        set_current_storage_to(nullptr);
        internal_open_create_project(dir.c_str(), name.c_str(), revision,
                                     side_revision_open_options());
        storage = get_storage();
        opened_here = !storage->is_null();
        // Putting the kept store back frees a null one.
        set_current_storage_to(kept);
        if (!opened_here) {
            storage = nullptr;
        }
    }
    int status = UNKNOWN_ERROR;
    if (storage != nullptr) {
        bool took = !storage->is_write_locked() && storage->write_lock(false);
        if (storage->is_write_locked()) {
            ACF_SET_ASSIGNMENT_OPTIONS set;
            set.is_global = gen_is_empty_string(input_parameters->get_to());
            set.is_freeform = input_parameters->get_variable_type() == ACF_VARIABLE_TYPE_NONE;
            set.mark_changed = true;
            set.check_legality = true;
            if (storage->set_assignment(input_parameters, set) != nullptr) {
                status = SUCCESS;
                // A commit that could not write is the caller's failure too.
                if (commit && !storage->write_files_to_disk(true, true)) {
                    status = storage->get_last_error_status() != SUCCESS
                                 ? storage->get_last_error_status()
                                 : UNABLE_TO_WRITE_FILE;
                }
            } else {
                status = storage->get_last_error_status();
            }
        }
        if (took) {
            storage->write_unlock();
        }
    }
    // A store opened only for this change is not cached: it goes now.
    if (opened_here) {
        delete storage;
    }
    return status;
}
