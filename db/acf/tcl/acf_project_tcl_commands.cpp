// The Tcl project commands carried out by the process-wide project manager:
//   project_open [-revision <name>] <project>   opens an existing project
//   project_new [-revision <name>] <project>    creates (or opens) a project
//   project_close                               closes the open project
//   project_exists <project>                    1 when its project file exists
//   export_assignments                          commits the open revision
// A project is named by its project file, with or without directory and
// extension; a relative name is taken from the current directory.
#include "acf_manager.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_project_file.h"
#include "mem_manager.h"
#include "tcl/acf_tcl_commands.h"

#include "suite/fileio/fio.h"

#include <string>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

using WORDS = std::vector<std::string>;

// The words after the command: an optional "-revision <name>" and the project.
bool parse_project_words(WORDS const& words, std::string* revision, std::string* project,
                         std::string* error) {
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "-revision" && i + 1 < words.size()) {
            *revision = words[++i];
        } else if (!words[i].empty() && words[i][0] == '-') {
            *error = words[0] + ": unknown option " + words[i];
            return false;
        } else if (project->empty()) {
            *project = words[i];
        } else {
            *error = words[0] + ": more than one project given";
            return false;
        }
    }
    if (project->empty()) {
        *error = "usage: " + words[0] + " [-revision <name>] <project>";
        return false;
    }
    return true;
}

// The project file of a project name: absolute, with the project-file extension.
std::string project_file_of(std::string const& project) {
    FIO_PATH path(FIO_PATH(project).full_path());
    return path.directory() + path.base() +
           FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TPF);
}

bool open_or_create(WORDS const& words, bool create, std::string* result) {
    std::string revision;
    std::string project;
    if (!parse_project_words(words, &revision, &project, result)) {
        return false;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->is_project_open()) {
        *result = words[0] + ": a project is already open";
        return false;
    }
    FIO_PATH file(project_file_of(project));
    // A revision whose files' names the file system would not take could
    // never be opened: it is not created.
    std::string named = revision.empty() ? file.base() : revision;
    if (create && named.size() > ACF_MANAGER::get_max_revision_name_length() &&
        !manager->is_revision_listed_in_project(file.path().c_str(), named.c_str())) {
        *result = words[0] + ": a revision name may have at most " +
                  std::to_string(ACF_MANAGER::get_max_revision_name_length()) + " characters";
        return false;
    }
    // A project that has only its old files is converted as it opens.
    int status = manager->open_project(file.directory().c_str(), file.base().c_str(),
                                       revision.c_str(), true, create, true, create, create);
    if (status != ACF_REVISION_MANAGER::SUCCESS) {
        *result = words[0] + ": can't open project " + file.path() + " (status " +
                  std::to_string(status) + ")";
        return false;
    }
    result->clear();
    return true;
}

bool close_project(WORDS const& words, std::string* result) {
    if (!ACF_MANAGER::get_acf_manager()->close_project(true)) {
        *result = words[0] + ": no project is open";
        return false;
    }
    result->clear();
    return true;
}

bool project_exists(WORDS const& words, std::string* result) {
    if (words.size() != 2) {
        *result = "usage: project_exists <project>";
        return false;
    }
    // A project file that could not be looked at is neither there nor missing.
    std::string file = project_file_of(words[1]);
    std::string reason;
    FIO_PRESENCE found = FIO_FILE_SYSTEM::presence(FIO_PATH(file), nullptr, &reason);
    if (found == FIO_PRESENCE::UNKNOWN) {
        *result = words[0] + ": can't look at " + file + ": " + reason;
        return false;
    }
    *result = found == FIO_PRESENCE::PRESENT ? "1" : "0";
    return true;
}

bool export_assignments(WORDS const& words, std::string* result) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (!manager->is_project_open()) {
        *result = words[0] + ": no project is open";
        return false;
    }
    // The lock may read the files again: a look at them that fails there
    // fails the export too.
    ACF_FILE_OPERATION operation;
    bool locked_here = !manager->is_write_locked();
    if (locked_here && !manager->write_lock(true)) {
        *result = words[0] + ": the settings are locked";
        return false;
    }
    bool written = manager->commit_files_to_disk(false, true) && !operation.failed();
    if (locked_here) {
        manager->write_unlock(true);
    }
    if (!written) {
        *result =
            words[0] + ": can't write the settings file " + manager->get_active_revision_path();
        return false;
    }
    result->clear();
    return true;
}

} // namespace

bool acf_run_project_command(WORDS const& words, std::string* result) {
    std::string const& name = words[0];
    if (name == "project_open" || name == "project_new") {
        return open_or_create(words, name == "project_new", result);
    }
    if (name == "project_close") {
        return close_project(words, result);
    }
    if (name == "project_exists") {
        return project_exists(words, result);
    }
    if (name == "export_assignments") {
        return export_assignments(words, result);
    }
    *result = name + ": not a project command";
    return false;
}
