// Tells the suite's archive manager which project is open and which files a
// revision's settings name, as this library reads them: the project file
// through its safe reader, every option and quoting of a settings line, and the
// settings that the IP files the revision names bring in. Set when the library
// is loaded.
#include "acf_assignment.h"
#include "acf_manager.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_project_file.h"
#include "store/acf_manager_storage_real.h"

#include "suite/archive/afm.h"
#include "suite/general/gen.h"

#include <cstring>

namespace {

bool names_a_file(char const* setting) {
    static char const suffix[] = "_FILE";
    size_t length = setting != nullptr ? std::strlen(setting) : 0;
    return length >= sizeof suffix - 1 &&
           std::strcmp(setting + length - (sizeof suffix - 1), suffix) == 0;
}

// What opening a revision sets for the whole process, put back afterwards.
class PROCESS_PROJECT_STATE {
public:
    PROCESS_PROJECT_STATE()
        : m_project_dir(gen_get_project_dir_path()),
          m_output_dir(gen_get_project_output_directory()),
          m_libraries(gen_get_project_library_paths()) {}
    ~PROCESS_PROJECT_STATE() {
        gen_set_project_dir_path(m_project_dir.c_str());
        gen_set_project_output_directory(m_output_dir.c_str());
        gen_set_project_library_paths("");
        for (std::string const& paths : m_libraries) {
            gen_append_project_library_paths(paths.c_str());
        }
    }
    PROCESS_PROJECT_STATE(PROCESS_PROJECT_STATE const&) = delete;
    PROCESS_PROJECT_STATE& operator=(PROCESS_PROJECT_STATE const&) = delete;

private:
    std::string m_project_dir;
    std::string m_output_dir;
    std::vector<std::string> m_libraries;
};

// The revision is read as opening it reads it (its defaults files, its settings
// file with every IP file that file sources), by a store of its own under its
// own write lock, which releases without commit: no project manager is made and
// the project file is not read again for each revision, and the open
// project, its locks and every file stay as they are. The store only lists:
// the catalogue's defaults, which name no file, are not built for each
// revision, nor its files watched.
bool read_named_files(AFM_PROJECT const& project, std::string const& revision,
                      std::vector<AFM_NAMED_FILE>* files, std::string* error) {
    PROCESS_PROJECT_STATE kept;
    // A look at a file that fails anywhere fails the read, as it fails an open.
    ACF_FILE_OPERATION operation;
    gen_set_project_dir_path(project.directory.c_str());
    ACF_MANAGER_STORAGE_REAL storage(project.directory + project.name + ".tpf", revision, nullptr,
                                     true);
    storage.set_listing_only(true);
    ACF_REVISION_MANAGER reader(&storage);
    // What the read finds wrong is posted, as an open posts it.
    storage.set_add_messages_to_post_list(true);
    bool read = storage.write_lock(true) &&
                storage.get_last_error_status() != ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE &&
                !operation.failed();
    if (read) {
        // A disabled file is named all the same: enabled again, it is needed.
        storage.set_allow_ignored_assignments_filter(true);
        ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
        reader.get_assignment_coll(nullptr, &assignments, false);
        for (ACF_ASSIGNMENT const* asgn : assignments) {
            if (asgn != nullptr && asgn->is_global() && !asgn->is_removed() &&
                names_a_file(asgn->get_variable_string())) {
                char const* file = asgn->get_unmodified_value(true);
                files->push_back({asgn->get_variable_string(), file != nullptr ? file : ""});
            }
        }
    } else {
        *error = "Can't read the settings file " + project.directory + revision + ".tsf";
    }
    if (storage.is_write_locked()) {
        storage.write_unlock();
    }
    storage.display_post_messages();
    return read;
}

// The open project as this process's manager holds it, with the revisions its
// project file lists now: the archive holds what the project is, not a file
// that merely lies in its folder.
bool read_open_project(AFM_PROJECT* project, std::string* error) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (!manager->is_project_open()) {
        return false;
    }
    std::string file = manager->get_project_full_path();
    ACF_REVISION_NAME_LIST revisions;
    std::string reason;
    if (!acf_get_all_revisions_from_tpf(file.c_str(), &revisions, &reason)) {
        *error = "Can't read the project file " + file + ": " + reason;
        return false;
    }
    project->directory = manager->get_project_path();
    acf_ensure_trailing_separator(&project->directory);
    project->name = manager->get_project_name();
    project->revisions.assign(revisions.begin(), revisions.end());
    return true;
}

struct ACF_ARCHIVE_HOOK {
    ACF_ARCHIVE_HOOK() {
        afm_set_project_reader(read_open_project);
        afm_set_settings_reader(read_named_files);
    }
    ~ACF_ARCHIVE_HOOK() {
        afm_set_project_reader(nullptr);
        afm_set_settings_reader(nullptr);
    }
};
ACF_ARCHIVE_HOOK const acf_archive_hook;

} // namespace
