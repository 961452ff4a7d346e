// The assignment-removal engine: removes assignments of the active revision in
// bulk, by settings-file category and kind, or those whose instances the last
// compilation no longer has. Each pass holds the settings write lock from its
// first removal to its last and commits once, atomically; a failed commit is
// reported and leaves the settings file as it was.
#pragma once

#include "acf_file_categories.h"

#include <string>

class HDB_CMP_ACTION_PT_INSTANCE;

// Entries of a category selection: one per row of the remove dialog's list,
// row 0 being its "All" row; an unticked row holds ACF_FILE_CATEGORY_NONE.
enum { MDB_RAS_SELECTION_SIZE = 21 };
// Entries of a list of assignment-editor categories to remove.
enum { MDB_RAS_ASE_CATEGORY_COUNT = 10 };

class MDB_RAS_ENGINE {
public:
    // Removes, for every ticked row 1 to 20, the assignments of the row's file
    // category (global ones, instance ones or both), keeping those that
    // describe the device and the design root; row 1 removes the device only.
    // True when something was removed and committed, or nothing needed to be.
    bool remove_assignment_one_file_mode(ACF_FILE_CATEGORY_ENUM const* selection,
                                         bool remove_global, bool remove_instance);
    // Removes the assignments of each assignment-editor category of the
    // MDB_RAS_ASE_CATEGORY_COUNT entries that is not ASE_CATEGORY_NONE, in
    // order, in one pass. True when committed.
    bool remove_assignment_one_file_mode(ASE_CATEGORY_ENUM const* categories);
    // Removes every instance assignment whose source or target names no
    // instance of the revision's compiled hierarchy. Without an open project,
    // a hierarchy or a root name it does nothing and takes no lock.
    bool remove_obsolete_assignmnet_one_file_mode();
    bool remove_obsolete_assignment() { return remove_obsolete_assignmnet_one_file_mode(); }
    // Whether `name` (relative to `root_name`) is no longer an instance of the
    // hierarchy: not found, or marked removed (flag 1 without flag 2).
    bool is_assignment_obsolete(std::string name, HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                std::string root_name);
};

// The obsolete pass for the suite's Tcl commands.
void mdb_ras_tcl_remove_obsolete();
