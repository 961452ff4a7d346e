#include "sys/mdb/mdb.h"

#include "mem_manager.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb_msgs.h"

#include <cstdarg>

// Load order matters: the memory manager first, then the message identifiers,
// then the texts, and the column names only after the texts they copy.
static MEM_INITIALIZER mem_initializer("MDB");

static unsigned const mdb_msg_ids[] = {MDB_MSG_ID_TCL_OUTPUT_ERROR, MDB_MSG_ID_TCL_OUTPUT_INFO};
static MSG_POST_TYPE const mdb_msg_id_types[] = {MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO};
static MSG_ID_REGISTRAR mdb_msg_id_registrar(mdb_msg_ids, mdb_msg_id_types, 2);

std::string const REVISION_NAME_STR = "Revision Name";
std::string const TOP_LEVEL_ENTITY_STR = "Top-level Entity";
std::string const FAMILY_STR = "Family";
std::string const DEVICE_STR = "Device";
std::string const MEET_TIMING_STR = "Meet Timing";
std::string const TIMING_MODEL_STR = "Timing Model";
std::string const DESC_STR = "Description";
std::string const REV_FLOW_FILE_EXT = "flow.rpt";
std::string const MDB_REV_CREATED_ON_STR = "Created on:";
std::string const MDB_REV_BASED_ON_STR = "Based on:";
std::string const TAB_RESULT_STR = "Results";
std::string const TAB_ASSIGNMENT_STR = "Assignments";
std::string const REV_MAP_SUMMARY_EXT = "map.summary";
std::string const REV_FITTER_SUMMARY_EXT = "fit.summary";
std::string const REV_TIMING_SUMMARY_EXT = "tan.summary";
std::string const REV_STA_TIMING_SUMMARY_EXT = "sta.summary";
std::string const REV_MERGE_SUMMARY_EXT = "merge.summary";
std::string const REV_MAP_ROW_TITLE = "Analysis & Synthesis";
std::string const REV_TIMING_ROW_TITLE = "Classic Timing Analyzer";
std::string const REV_STA_TIMING_ROW_TITLE = "Clockward Timing Analyzer";
std::string const REV_FITTER_ROW_TITLE = "Fitter";
std::string const REV_MERGE_ROW_TITLE = "Partition Merge";
std::string const DEFAULT_PATH = "untitled";

std::string const REV_TBL_COLUMN_NAMES[7] = {REVISION_NAME_STR, TOP_LEVEL_ENTITY_STR, FAMILY_STR,
                                             DEVICE_STR,        MEET_TIMING_STR,      TIMING_MODEL_STR,
                                             DESC_STR};
int DESC_COLUMN_WIDTH = 0;

void mdb_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("MDB", MSG_D_LEVEL_2, format, args);
    va_end(args);
}
