// Revision operations of the project manager (adding a revision as a copy of
// another, removing one with its settings file, switching the active one) and
// its members over the project file.
#include "acf_manager.h"

#include "acf_assignment.h"
#include "acf_assignment_factory.h"
#include "acf_conversion_journal.h"
#include "acf_convert_project.h"
#include "acf_defaults_file.h"
#include "acf_file_checks.h"
#include "acf_internal_error.h"
#include "acf_manager_storage.h"
#include "acf_manager_storage_real.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_old_project_files.h"
#include "acf_project_file.h"
#include "acf_table.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/fileio/fio_journal.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"

#include <climits>
#include <cstring>
#include <utility>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The claims of revision creations in the project folder: ".<new>.tsf.acf-claim".
FIO_WORK_FILES const REVISION_CREATION = {".acf-", "revision creation"};

std::string text_of(char const* text) {
    return text != nullptr ? text : "";
}

bool copy_file(std::string const& from, std::string const& to) {
    std::string content;
    return FIO_FILE_SYSTEM::read_file(FIO_PATH(from), content) &&
           FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(to), content);
}

// The first occurrence of `from` in `text` replaced by `to`.
std::string replace_first(std::string text, std::string const& from, std::string const& to) {
    size_t at = from.empty() ? std::string::npos : text.find(from);
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Says that a file of the project could not be read, or written.
void post_file_not_opened(std::string const& file, bool for_writing) {
    MSG_POST* message =
        for_writing ? static_cast<MSG_POST*>(MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE(file.c_str()))
                    : MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file.c_str());
    message->post();
    delete message;
}

} // namespace

// ---------------------------------------------------------------------------
// Revisions
// ---------------------------------------------------------------------------

int ACF_MANAGER::add_revision_to_project(char const* revision, bool copy_from_base,
                                         char const* base_revision) {
    char const* revision_name = revision;
    if (!ACF_REQUIRE(revision_name != NULL)) {
        return EMPTY_NAME;
    }
    if (*revision == '\0') {
        return EMPTY_NAME;
    }
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (is_read_locked() || is_write_locked()) {
        return LOCK_HELD;
    }
    if (std::strlen(revision) > get_max_revision_name_length()) {
        return FILE_NAME_TOO_LONG;
    }
    // A look at the project's files that fails anywhere fails the creation
    // before anything is written.
    ACF_FILE_OPERATION operation;
    std::string project_file = text_of(get_project_full_path());
    std::string new_file = acf_revision_settings_file_path(project_file, revision);
    settle_unfinished_revision_creations();
    // A revision listed without its settings file (left so by an older
    // version killed while creating it) may be created again.
    if (is_revision_listed_in_project(project_file.c_str(), revision) &&
        acf_file_exists(new_file)) {
        return operation.failed() ? UNABLE_TO_WRITE_FILE : REVISION_ALREADY_IN_PROJECT;
    }
    std::string base = copy_from_base ? text_of(base_revision) : std::string();
    if (!base.empty() && !is_revision_listed_in_project(project_file.c_str(), base.c_str())) {
        return REVISION_NOT_IN_PROJECT;
    }
    std::string base_file =
        base.empty() ? std::string() : acf_revision_settings_file_path(project_file, base);
    if (!base.empty() && acf_os_based_compare(base.c_str(), get_active_revision_name())) {
        // The base's file on disk must hold its latest settings.
        if (write_lock(false)) {
            bool committed = commit_files_to_disk(true, false);
            write_unlock(true);
            if (!committed) {
                post_file_not_opened(base_file, true);
                return UNABLE_TO_WRITE_FILE;
            }
        }
    }
    // A base never written has no settings to copy; one that cannot be read
    // fails the creation rather than give a revision without its settings.
    bool read_base = !base_file.empty() && acf_file_exists(base_file);
    // What a failure takes away again is only what the creation made.
    std::string new_tdf_file =
        FIO_PATH(new_file).directory() + acf_revision_defaults_file_name(revision);
    bool tdf_was_there = acf_file_exists(new_tdf_file);
    bool tsf_was_there = acf_file_exists(new_file);
    if (operation.failed()) {
        return FILE_CANNOT_BE_OPENED;
    }
    // Until the project file lists the revision, the files made for it are
    // claimed: a kill in between leaves them known as this creation's own.
    FIO_CLAIM claim;
    std::vector<std::string> made;
    if (!tsf_was_there) {
        made.push_back(new_file);
        if (!tdf_was_there) {
            made.push_back(new_tdf_file);
        }
    }
    std::string why;
    if (!claim.claim(REVISION_CREATION, made, why)) {
        acf_msg_debug("cannot claim the files of revision %s: %s", revision, why.c_str());
        post_file_not_opened(new_file, true);
        return UNABLE_TO_WRITE_FILE;
    }

    ACF_MANAGER_STORAGE* kept = get_storage();
    auto* storage = MEM_NEW(ACF, ACF_MANAGER_STORAGE_REAL)(project_file, revision, this, true);
    set_current_storage_to(storage);
    duplicate_base_tdf_for_new_revision(base.c_str(), revision);

    int status = SUCCESS;
    std::vector<std::pair<std::string, std::string>> copied_files;
    if (write_lock(false)) {
        bool header_comments = true;
        bool write_notes = true;
        ASSIGNMENT_LIST* read = nullptr;
        if (read_base) {
            storage->init_project_parameters_from(kept);
            ACF_READ_FILE_OPTIONS options;
            options.keep_free_standing = true;
            options.post = true;
            options.clear_non_project = true;
            options.record_file_names = true;
            options.keep_comments = true;
            if (storage->read_file_from_disk(base_file.c_str(), true, options)) {
                read = storage->get_non_project_asgn_coll();
            } else {
                status = FILE_CANNOT_BE_OPENED;
                post_file_not_opened(base_file, false);
            }
        }
        if (read != nullptr && !read->empty()) {
            std::string version = acf_get_version_string();
            std::string base_tdf = acf_revision_defaults_file_name(base);
            std::string new_tdf = acf_revision_defaults_file_name(revision);
            ACF_MGR_INPUT_PARAMETERS params;
            for (ACF_ASSIGNMENT* asgn : *read) {
                if (!ACF_REQUIRE(asgn != NULL)) {
                    continue;
                }
                std::string from_file = text_of(asgn->get_acf_file_name());
                if (!FIO_PATH::os_specific_comparison(from_file.c_str(), new_file.c_str()) &&
                    !FIO_PATH::os_specific_comparison(from_file.c_str(), base_file.c_str())) {
                    continue;
                }
                ACF_VARIABLE_TYPE_ENUM type = asgn->get_type();
                if (type == ACF_VARIABLE_TYPE_NONE &&
                    gen_is_empty_string(asgn->get_variable_string())) {
                    std::string comment = text_of(asgn->get_comments());
                    if (comment.empty()) {
                        continue;
                    }
                    comment = replace_first(comment, base_tdf, new_tdf);
                    if (comment.find("Copyright") != std::string::npos) {
                        header_comments = false;
                    }
                    storage->add_comment_line(comment.c_str(), nullptr);
                    continue;
                }
                if (asgn->is_removed() ||
                    (asgn->is_default_value() &&
                     !asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE)) ||
                    asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT) ||
                    asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_REVISION)) {
                    continue;
                }
                asgn->fill_in_input_parameter(&params);
                if (type == ACF_VARIABLE_TYPE_ORIGINAL_TESSALY_VERSION ||
                    type == ACF_VARIABLE_TYPE_LAST_TESSALY_VERSION) {
                    params.set_value_string(version.c_str());
                } else if (type == ACF_VARIABLE_TYPE_PROJECT_CREATION_TIME_DATE) {
                    std::string now;
                    if (gen_format_current_date_and_time(&now, "%H:%M:%S  %B %d, %Y")) {
                        params.set_value_string(now.c_str());
                    }
                }
                char const* value = params.get_value_string();
                if (asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_REVISION_BASED_FILE_NAME) &&
                    acf_get_value_type(type) == ACF_VALUE_TYPE_FILE &&
                    !gen_is_empty_string(value) &&
                    acf_os_based_compare(FIO_PATH(value).base().c_str(), base.c_str())) {
                    FIO_PATH source(value);
                    std::string source_path = source.full_path();
                    FIO_PATH target(source_path);
                    target.base(revision);
                    copied_files.emplace_back(source_path, target.path());
                    params.set_value_string(target.path().c_str());
                }
                ACF_ASSIGNMENT* set =
                    type == ACF_VARIABLE_TYPE_NONE         ? set_freeform_assignment(&params)
                    : gen_is_empty_string(params.get_to()) ? set_global_assignment(&params)
                                                           : set_instance_assignment(&params);
                if (set != nullptr) {
                    storage->move_assignment_to_end_of_coll(set);
                }
            }
            write_notes = false;
        }
        if (status == SUCCESS) {
            storage->set_write_header_comments(header_comments);
            if (!storage->write_files_to_disk(write_notes, false)) {
                status = UNABLE_TO_WRITE_FILE;
                post_file_not_opened(new_file, true);
            }
        }
        if (read != nullptr) {
            clear_read_assignment_collection();
        }
        if (status == SUCCESS) {
            write_unlock(true);
        } else {
            // Without the commit of the unlock: nothing of the failed
            // creation is written.
            storage->write_unlock();
        }
    } else {
        status = LOCK_HELD;
    }
    // The project lists the revision only once its settings file is in place.
    if (status == SUCCESS &&
        !move_revision_to_bottom_of_project_file_list(project_file.c_str(), revision)) {
        status = UNABLE_TO_WRITE_FILE;
        post_file_not_opened(project_file, true);
        if (!tsf_was_there) {
            FIO_FILE_SYSTEM::remove(FIO_PATH(new_file));
        }
    }
    if (status == SUCCESS) {
        for (auto const& copy : copied_files) {
            if (acf_file_exists(copy.first)) {
                copy_file(copy.first, copy.second);
            }
        }
    } else if (!tdf_was_there) {
        FIO_FILE_SYSTEM::remove(FIO_PATH(new_tdf_file));
    }
    set_current_storage_to(kept);
    delete storage;
    return status;
}

void ACF_MANAGER::settle_unfinished_revision_creations() {
    if (!is_project_open()) {
        return;
    }
    std::string const project_file = text_of(get_project_full_path());
    fio_settle_claims(REVISION_CREATION, FIO_PATH(project_file).directory(),
                      [&](std::vector<std::string> const& files) {
                          // The first file claimed is the new settings file.
                          std::string revision = FIO_PATH(files.front()).base();
                          if (is_revision_listed_in_project(project_file.c_str(),
                                                            revision.c_str())) {
                              return;
                          }
                          for (std::string const& file : files) {
                              FIO_FILE_SYSTEM::remove(FIO_PATH(file));
                          }
                      });
}

int ACF_MANAGER::remove_revision_from_project(char const* revision, bool delete_file) {
    if (gen_is_empty_string(revision)) {
        return EMPTY_NAME;
    }
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (is_read_locked() || is_write_locked()) {
        return LOCK_HELD;
    }
    if (acf_os_based_compare(revision, get_active_revision_name())) {
        return REVISION_IS_ACTIVE;
    }
    // A look at the project's files that fails anywhere fails the removal
    // before anything changes.
    ACF_FILE_OPERATION operation;
    std::string project_file = text_of(get_project_full_path());
    if (!is_revision_listed_in_project(project_file.c_str(), revision)) {
        return REVISION_NOT_IN_PROJECT;
    }
    std::string settings_file = acf_revision_settings_file_path(project_file, revision);
    bool delete_settings = delete_file && acf_file_exists(settings_file);
    if (operation.failed()) {
        return UNABLE_TO_WRITE_FILE;
    }
    // The project file as it is, to list the revision again should its
    // settings file stay.
    std::string project_text;
    if (delete_settings && !FIO_FILE_SYSTEM::read_file(FIO_PATH(project_file), project_text)) {
        post_file_not_opened(project_file, false);
        return UNABLE_TO_WRITE_FILE;
    }
    // The project stops listing the revision before its settings go: a
    // failure or a kill in between never leaves a listed revision without
    // its settings.
    if (!remove_revision_name_from_project_file(project_file.c_str(), revision)) {
        post_file_not_opened(project_file, true);
        return UNABLE_TO_WRITE_FILE;
    }
    if (delete_settings && !FIO_FILE_SYSTEM::remove(FIO_PATH(settings_file)) &&
        FIO_FILE_SYSTEM::presence(FIO_PATH(settings_file)) != FIO_PRESENCE::MISSING) {
        // The settings stay, and so does the revision.
        if (!FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(project_file), project_text)) {
            post_file_not_opened(project_file, true);
        }
        return REVISION_FILE_NOT_DELETED;
    }
    std::string key;
    create_manager_storage_search_key(revision, &key);
    if (m_acf_manager_storage_map.count(key) != 0) {
        delete_storage_in_map(key);
    }
    return SUCCESS;
}

size_t ACF_MANAGER::get_max_revision_name_length() {
    // The longest name derived from a revision's is that of its defaults file.
    return NAME_MAX - acf_revision_defaults_file_name("").size();
}

int ACF_MANAGER::set_active_revision_name(char const* revision, bool commit_new_files,
                                          bool make_active) {
    if (gen_is_empty_string(revision)) {
        return EMPTY_NAME;
    }
    if (!is_project_open()) {
        return NO_PROJECT_OPEN;
    }
    if (is_read_locked() || is_write_locked()) {
        return LOCK_HELD;
    }
    std::string project_file = text_of(get_project_full_path());
    if (acf_os_based_compare(revision, get_active_revision_name())) {
        if (make_active) {
            move_revision_to_top_of_project_file_list(project_file.c_str(), revision);
        }
        return SUCCESS;
    }
    if (!write_lock(false)) {
        return UNABLE_TO_WRITE_FILE;
    }
    commit_files_to_disk(false, false);
    write_unlock(true);

    std::string dir = text_of(get_project_path());
    acf_ensure_trailing_separator(&dir);
    std::string name = text_of(get_project_name());
    std::string key;
    acf_create_manager_storage_search_key(dir.c_str(), name.c_str(), revision, &key);
    auto cached = m_acf_manager_storage_map.find(key);
    if (cached == m_acf_manager_storage_map.end()) {
        int status = internal_open_create_project(dir.c_str(), name.c_str(), revision, false, true,
                                                  false, false, commit_new_files, make_active);
        if (status == SUCCESS) {
            insert_storage_in_map(key, get_storage());
        }
        return status;
    }
    if (make_active) {
        move_revision_to_top_of_project_file_list(project_file.c_str(), revision);
    }
    ACF_REQUIRE(!cached->second->m_storage->is_null());
    set_storage_from_cache(cached->second);
    if (write_lock(false)) {
        write_unlock(true);
    }
    return SUCCESS;
}

void ACF_MANAGER::duplicate_base_tdf_for_new_revision(char const* base_revision,
                                                      char const* revision) const {
    if (gen_is_empty_string(base_revision) || revision == nullptr) {
        return;
    }
    std::string dir = FIO_PATH(text_of(get_active_revision_path())).directory();
    std::string base_tdf = dir + acf_revision_defaults_file_name(base_revision);
    std::string new_tdf = dir + acf_revision_defaults_file_name(revision);
    if (acf_file_exists(base_tdf) && !acf_file_exists(new_tdf)) {
        copy_file(base_tdf, new_tdf);
    }
}

void ACF_MANAGER::remove_all_revision_files(char const* prj_path) {
    if (!ACF_REQUIRE(prj_path)) {
        return;
    }
    STRING_LIST revisions;
    acf_get_all_revisions_from_tpf(prj_path, &revisions);
    for (std::string const& name : revisions) {
        std::string settings_file = acf_revision_settings_file_path(prj_path, name);
        // Put aside rather than deleted: the work in them is not lost.
        acf_put_file_aside(settings_file);
    }
}

bool ACF_MANAGER::convert_project(char const* old_file, char const* revision) {
    std::string old_project =
        acf_path_with_extension_type(text_of(old_file), FIO_EXTENSION_TYPE_OLD_PROJECT);
    if ((!FIO_FILE_SYSTEM::exists(FIO_PATH(old_project)) && gen_is_empty_string(revision)) ||
        !get_storage()->is_null() || old_project.empty() || old_project[0] != '/') {
        return true;
    }
    ACF_ASSIGNMENT_FACTORY factory(get_storage());
    ACF_CONVERT_PROJECT converter(&factory);
    converter.convert_to_project_manager_scheme(old_project, text_of(revision));
    return !converter.has_failed();
}

// ---------------------------------------------------------------------------
// The project file
// ---------------------------------------------------------------------------

bool ACF_MANAGER::write_tpf_file(char const* prj_path, STRING_LIST const* revisions) {
    return acf_write_tpf_file(prj_path, revisions);
}

bool ACF_MANAGER::create_tpf_file_for_revision(char const* project_file, char const* revision) {
    if (gen_is_empty_string(project_file) || gen_is_empty_string(revision) ||
        acf_file_exists(project_file)) {
        return false;
    }
    STRING_LIST only = {revision};
    get_acf_manager()->write_tpf_file(project_file, &only);
    return acf_file_exists(project_file);
}

void ACF_MANAGER::get_list_of_revisions_for_project(char const* project_path,
                                                    STRING_LIST* list) const {
    if (!ACF_REQUIRE(project_path != NULL) || list == nullptr || !acf_file_exists(project_path)) {
        return;
    }
    switch (fio_get_extension_type(project_path)) {
    case FIO_EXTENSION_TYPE_TPF:
        acf_get_all_revisions_from_tpf(project_path, list);
        break;
    case FIO_EXTENSION_TYPE_OLD_PROJECT: {
        ACF_ASSIGNMENT_FACTORY factory(get_storage());
        acf_get_all_revisions_from_old_settings_file(project_path, list, &factory);
        break;
    }
    default:
        break;
    }
}

void ACF_MANAGER::get_list_of_revisions_for_project(STRING_LIST* list) const {
    if (is_project_open()) {
        get_list_of_revisions_for_project(get_project_full_path(), list);
    }
}

bool ACF_MANAGER::is_revision_listed_in_project(char const* prj_path,
                                                char const* revision_name) const {
    return acf_is_revision_listed_in_tpf(prj_path, revision_name);
}

bool ACF_MANAGER::is_revision_included_in_project(char const* revision) const {
    return is_project_open() && revision != nullptr &&
           is_revision_listed_in_project(get_project_full_path(), revision);
}

bool ACF_MANAGER::move_revision_to_top_of_project_file_list(char const* prj_path,
                                                            char const* revision_name) {
    return acf_move_revision_to_top_of_tpf(prj_path, revision_name);
}

bool ACF_MANAGER::move_revision_to_bottom_of_project_file_list(char const* prj_path,
                                                               char const* revision_name) {
    return acf_move_revision_to_bottom_of_tpf(prj_path, revision_name);
}

bool ACF_MANAGER::remove_revision_name_from_project_file(char const* prj_path,
                                                         char const* revision_name) {
    return acf_remove_revision_from_tpf(prj_path, revision_name);
}

bool ACF_MANAGER::check_for_revision_files(char const* project_path) const {
    return acf_check_for_revision_files(project_path);
}

std::string ACF_MANAGER::get_active_cap_from_tpf_or_tws_file(char const* prj_path) const {
    return acf_get_active_cap_from_tpf_or_tws_file(prj_path);
}

void ACF_MANAGER::get_active_revision_for_project(char const* dir, char const* project_name,
                                                  char const* revision, std::string* out) const {
    std::string result = text_of(revision);
    if (result.empty()) {
        std::string directory = text_of(dir);
        acf_ensure_trailing_separator(&directory);
        std::string project_file =
            directory + FIO_PATH(text_of(project_name)).base() +
            FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TPF);
        if (get_is_ui_process()) {
            result = get_active_cap_from_tpf_or_tws_file(project_file.c_str());
        }
        if (result.empty()) {
            result = FIO_PATH(project_file).base();
        }
    }
    if (out != nullptr) {
        *out = result;
    }
}
