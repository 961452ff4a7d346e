// The reader of a revision's flow report: the values the revision table takes
// from its "Flow Summary" table.
#pragma once

#include <string>

struct MDB_FLOW_REPORT {
    std::string flow_status; // read, shown nowhere
    std::string met_timing;
    std::string timing_models;
};

// Reads the report's "Flow Summary" table into `out`: after a line starting
// like "; Flow Summary" (first ten characters), the third ";"-separated part
// of the "; Flow Status", "; Met timing" and "; Timing Models" lines, blanks
// kept, a later line replacing an earlier one. Lines may be of any length.
// False when the file cannot be opened.
bool mdb_read_flow_report(std::string const& path, MDB_FLOW_REPORT* out);
