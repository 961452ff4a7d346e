// The assignment groups of the active revision as the settings hold them: a
// group is the set of global TIMEGROUP_MEMBER and TIMEGROUP_EXCEPTION
// assignments whose section identifier is its name, one per node name (the
// value). Reading and writing them all at once, for the groups dialog.
#pragma once

#include <string>
#include <vector>

struct MDB_TIME_GROUP {
    std::string name;
    std::vector<std::string> members;
    std::vector<std::string> exceptions;

    bool operator==(MDB_TIME_GROUP const& other) const {
        return name == other.name && members == other.members && exceptions == other.exceptions;
    }
};

// Reads every group, in the order of their section identifiers, under a read
// lock. False when the read lock is refused (nothing read).
bool mdb_time_groups_read(std::vector<MDB_TIME_GROUP>* groups);

enum MDB_TIME_GROUPS_WRITE_RESULT {
    MDB_TIME_GROUPS_WRITTEN = 0,
    MDB_TIME_GROUPS_CHANGED_OUTSIDE = 1, // no longer as `loaded`: nothing written
    MDB_TIME_GROUPS_LOCKED = 2,          // the write lock was refused: nothing written
    MDB_TIME_GROUPS_ILLEGAL = 3,         // a member or exception is refused: nothing written
    MDB_TIME_GROUPS_NOT_WRITTEN = 4,     // the commit failed (reported): nothing written
};

// Makes the group assignments those of `groups`, and removes the instance
// assignments from or to each of `deleted`, under one write lock. Only the
// groups that differ from `loaded` are written; with no difference and none
// deleted nothing is written at all.
// `loaded` is what mdb_time_groups_read gave when the editing began: the
// groups are compared with it once the write lock has read again whatever
// another program or a hand edit changed on disk, so that such a change,
// however soon after the reading, is kept and reported rather than
// overwritten. Every member and exception is checked before anything is
// removed; the first refused one is described in `illegal`. The change is
// committed before the lock is released; a commit that fails drops it, so
// that memory holds what the file holds.
MDB_TIME_GROUPS_WRITE_RESULT mdb_time_groups_write(std::vector<MDB_TIME_GROUP> const& loaded,
                                                   std::vector<MDB_TIME_GROUP> const& groups,
                                                   std::vector<std::string> const& deleted,
                                                   std::string* illegal);
