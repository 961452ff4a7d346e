// The assignment groups of the active revision as the settings hold them: a
// group is the set of global TIMEGROUP_MEMBER and TIMEGROUP_EXCEPTION
// assignments whose section identifier is its name, one per node name (the
// value). Reading and writing them all at once, for the groups dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MDB_TIME_GROUP {
    std::string name;
    std::vector<std::string> members;
    std::vector<std::string> exceptions;
};

// Reads every group, in the order of their section identifiers, under a read
// lock; `load_time` receives the moment of reading. False when the read lock
// is refused (nothing read).
bool mdb_time_groups_read(std::vector<MDB_TIME_GROUP>* groups, uint32_t* load_time);

enum MDB_TIME_GROUPS_WRITE_RESULT {
    MDB_TIME_GROUPS_WRITTEN = 0,
    MDB_TIME_GROUPS_CHANGED_OUTSIDE = 1, // changed since `load_time`: nothing written
    MDB_TIME_GROUPS_LOCKED = 2,          // the write lock was refused: nothing written
    MDB_TIME_GROUPS_ILLEGAL = 3,         // a member or exception is refused: nothing written
};

// Replaces every group assignment by those of `groups`, and removes the
// instance assignments from or to each of `deleted`, under one write lock.
// Every member and exception is checked before anything is removed; the
// first refused one is described in `illegal`.
MDB_TIME_GROUPS_WRITE_RESULT mdb_time_groups_write(std::vector<MDB_TIME_GROUP> const& groups,
                                                   std::vector<std::string> const& deleted,
                                                   uint32_t load_time, std::string* illegal);
