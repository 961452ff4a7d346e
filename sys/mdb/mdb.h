// The dialogs library's shared constants (revision and comparison tables,
// report-file extensions, row titles) and its debug trace.
#pragma once

#include "suite/messages/msg.h"

#include <string>

extern std::string const REVISION_NAME_STR;
extern std::string const TOP_LEVEL_ENTITY_STR;
extern std::string const FAMILY_STR;
extern std::string const DEVICE_STR;
extern std::string const MEET_TIMING_STR;
extern std::string const TIMING_MODEL_STR;
extern std::string const DESC_STR;
extern std::string const REV_FLOW_FILE_EXT;
extern std::string const MDB_REV_CREATED_ON_STR;
extern std::string const MDB_REV_BASED_ON_STR;
extern std::string const TAB_RESULT_STR;
extern std::string const TAB_ASSIGNMENT_STR;
extern std::string const REV_MAP_SUMMARY_EXT;
extern std::string const REV_FITTER_SUMMARY_EXT;
extern std::string const REV_TIMING_SUMMARY_EXT;
extern std::string const REV_STA_TIMING_SUMMARY_EXT;
extern std::string const REV_MERGE_SUMMARY_EXT;
extern std::string const REV_MAP_ROW_TITLE;
extern std::string const REV_TIMING_ROW_TITLE;
extern std::string const REV_STA_TIMING_ROW_TITLE;
extern std::string const REV_FITTER_ROW_TITLE;
extern std::string const REV_MERGE_ROW_TITLE;
extern std::string const DEFAULT_PATH;

// Revision table: column headers in column order, and the column numbers.
extern std::string const REV_TBL_COLUMN_NAMES[7];
enum {
    REVISION_NAME_COL = 0,
    TOP_LEVEL_ENTITY_COL = 1,
    FAMILY_COL = 2,
    DEVICE_COL = 3,
    MEET_TIMING_COL = 4,
    TIMING_MODEL_COL = 5,
    DESC_COL = 6,
};
// Size of the description editor: a fixed height, and a width the revisions
// dialog keeps equal to the description column's.
enum { DESC_COLUMN_HEIGHT = 100 };
extern int DESC_COLUMN_WIDTH;

// Debug trace of the dialogs, tagged "MDB", at level 2.
void mdb_msg_debug(char const* format, ...) __attribute__((format(printf, 1, 2)));

// A broken invariant of the dialogs: the internal-error report, tagged "MDB".
#define MDB_INTERNAL_ERROR(condition)                                                              \
    MSG_INTERNAL_ERROR::report(condition, "MDB", __FILE__, __LINE__)
