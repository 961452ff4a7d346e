// Copying the open project, all its revisions, into another directory: an
// archive of the project made in its own directory, restored into the
// destination, the project file of the copy renamed, and the copy opened.
#pragma once

#include "suite/flow/flow.h"

#include <string>

struct MDB_COPY_PROJECT_REQUEST {
    std::string destination; // as typed; backslashes count as "/"
    std::string new_name;    // the copy's project name; empty keeps the name
    bool open_new = true;    // close the current project and open the copy
    bool overwrite = false;  // the user agreed to replace the files of a project there
};

// The name of the archive the copy goes through, in the project directory.
std::string mdb_copy_project_archive_name(std::string const& project_name);

// Whether `name` may name a project: not empty, not "." or "..", and without
// "/", a backslash or a character the settings database refuses in names.
bool mdb_is_legal_project_name(std::string const& name);

// Whether `destination` (relative to the project directory when relative)
// names the directory `project_dir`, in any spelling: a trailing "/", "." and
// ".." parts, symbolic links.
bool mdb_is_project_directory(std::string const& destination, std::string const& project_dir);

// Copies the open project as asked. A destination naming the project directory
// shows COPY_PROJECT_FAIL; a failed archive or restore shows the Tcl error, a
// stopped one COPY_PROJECT_CANCELLED. Either way nothing is renamed, the
// folders the copy made for the destination are removed again (each only
// while empty) and the current project stays open. The temporary archive
// never outlives the call, and the working directory is restored on every
// path. `archive_progress` and `restore_progress` (either may be empty) are
// told how far the archive of the project, then its restore into the
// destination, have come; false stops the copy. True when the copy was made.
bool mdb_copy_project(MDB_COPY_PROJECT_REQUEST const& request,
                      FLOW_PROGRESS const& archive_progress = nullptr,
                      FLOW_PROGRESS const& restore_progress = nullptr);
