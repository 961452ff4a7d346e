// Reading a revision's settings for display, without changing anything: no
// revision is made active, no write lock is taken, nothing is committed and
// no file is written. The dialogs that set revisions side by side (compare,
// companion, revisions) read through here.
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <list>
#include <string>
#include <vector>

// One global assignment of a revision, as read.
struct MDB_REVISION_SETTING {
    ACF_VARIABLE_TYPE_ENUM type = ACF_VARIABLE_TYPE_NONE;
    std::string name;  // the variable's name as the settings file writes it
    std::string value; // the value text
    ACF_FILE_CATEGORY_ENUM category = ACF_FILE_CATEGORY_NONE;
};

enum MDB_SETTINGS_READ_ENUM {
    MDB_SETTINGS_READ_OK = 0,
    // The revision has no settings file (another revision) or no project is open.
    MDB_SETTINGS_READ_NO_FILE = 1,
    // The settings file could not be read.
    MDB_SETTINGS_READ_UNREADABLE = 2,
    // A lock was refused.
    MDB_SETTINGS_READ_REFUSED = 3,
};

// The global assignments of one revision of the open project, in the order
// of its settings, each value of a variable set several times kept;
// assignments that IP files make, removed ones and instance assignments are
// left out. The active revision is read as it stands in the open store, under
// a read lock (taken only when no lock is held); another revision as its
// settings file states it, through a separate, temporary project manager that
// is closed without commit.
// `only`, when not empty, limits the result to those variables.
MDB_SETTINGS_READ_ENUM
mdb_read_revision_settings(std::string const& revision, std::vector<MDB_REVISION_SETTING>* out,
                           std::list<ACF_VARIABLE_TYPE_ENUM> const& only = {});

// The values of `variables` that a revision sets once (such as its top-level
// entity, family and device), for a table of many revisions. The active
// revision is read as mdb_read_revision_settings reads it; another revision
// as its settings file states them, read once by the settings file reader
// without a project manager: a variable's value is that of the file's last
// line that sets it without a target (-to), unless a later line removes it;
// the files it sources are left out; a line that cannot be understood makes
// the file unreadable. One setting per variable that has a
// value, in the order of `variables`.
MDB_SETTINGS_READ_ENUM mdb_read_revision_values(std::string const& revision,
                                                std::list<ACF_VARIABLE_TYPE_ENUM> const& variables,
                                                std::vector<MDB_REVISION_SETTING>* out);

// The value of the first setting of `type`; empty when there is none.
std::string mdb_find_setting(std::vector<MDB_REVISION_SETTING> const& settings,
                             ACF_VARIABLE_TYPE_ENUM type);

// The settings file of a revision of the open project (project directory,
// revision name, settings-file extension).
std::string mdb_revision_settings_file(std::string const& revision);
