// What the revisions dialog does with the open project, without widgets: the
// rows of its table (read without changing anything), the flow report, the
// descriptions, making a revision active, deleting one and creating one.
// Refusals and failed writes are shown as notices here; the callers keep
// their state when a call answers false or a non-zero status.
#pragma once

#include "sys/mdb/mdb_revisions_flow_report.h"

#include <string>
#include <vector>

// The flow report of a revision: "<revision>.flow.rpt" in the project directory.
std::string mdb_flow_report_file(std::string const& revision);

// One row of the revision table.
struct MDB_REVISION_ROW {
    std::string name;
    std::string top_level_entity;
    std::string family;
    std::string device;
    std::string met_timing;
    std::string timing_model;
    std::string description;
};

// The open project's revisions in project-file order, one row per name
// (names compared exactly, as the project manager compares them). The active
// revision is read as it stands in the open store, the others as their
// settings files state them (mdb_read_revision_values); a revision that
// cannot be read has empty settings. Makes no revision active and writes
// nothing.
std::vector<MDB_REVISION_ROW> mdb_load_revision_rows();

// A revision's description, its texts joined by "\n".
std::string mdb_get_revision_description(std::string const& revision);
// Records `text` as the revision's whole description (one text). Shows
// CANT_CREATE_OR_OVERWRITE_FILE with the descriptions file and answers false
// when it cannot be written.
bool mdb_set_revision_description(std::string const& revision, std::string const& text);

// Makes `revision` the active one, at the top of the project file; the
// project manager's status (0 done). A refusal shows REVISION_NOT_CHANGED.
int mdb_make_revision_active(std::string const& revision);
// Removes a revision that is not active from the project, with its settings
// file and its description; the project manager's status (0 done). A
// refusal shows REVISION_NOT_CHANGED.
int mdb_delete_revision(std::string const& revision);
// Tells the host to reopen the project on the active revision.
void mdb_tell_host_active_revision();

// Whether a new revision may take `name`: no settings file of that name
// (a revision listed without one may be created again), once what killed
// creations left is settled. Otherwise `file` names the settings file.
bool mdb_revision_name_is_free(std::string const& name, std::string* file);

// What the new-revision dialog asks for.
struct MDB_NEW_REVISION {
    std::string name;
    std::string base; // empty: none
    std::string description;
    bool copy_database = true;
};
// Adds the revision to the project, then records its description and, from a
// base, copies the base's SDC file and, when asked, its databases (the
// database folder and the incremental database's compiled and imported
// partitions), never replacing a file. Returns the project manager's status
// of the addition (0 done; a refusal shows REVISION_NOT_CHANGED); a failed
// write after it shows
// CANT_CREATE_OR_OVERWRITE_FILE with the file and the later steps still run.
int mdb_create_revision(MDB_NEW_REVISION const& request);
