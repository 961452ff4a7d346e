// The dialogs library's shared constants (revision and comparison tables,
// report-file extensions, row titles) and its debug trace.
#pragma once

#include "suite/messages/msg.h"

#include <string>

class ADB_CDB_INTERFACE;
class QUI_FRAME_WND;

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

// A copy of `path` with every backslash turned into "/", whatever its length.
std::string reverse_slash(std::string path);

// Debug trace of the dialogs, tagged "MDB", at level 2.
void mdb_msg_debug(char const* format, ...) __attribute__((format(printf, 1, 2)));

// Whether a project is open. When none is, shows that the project's settings
// cannot be reached (ACF_ERROR): for the entry points and actions that have
// nothing to work on without one.
bool mdb_require_open_project();

// A broken invariant of the dialogs, described by a text: the internal-error
// report, tagged "MDB" (suite/messages/msg.h).
#define MDB_INTERNAL_ERROR(text) MSG_REQUIRE_FAILED("MDB", text)

// --- Launchers of the suite's tools and small entry points ------------------
// The tools lie in the installation's "ferro_builder" folder and are started
// as child processes that nobody waits for; every variable text of their
// command lines (paths, project, family, device, file) is quoted so that it
// reaches the tool as one unchanged argument.

// Starts `tool_path` followed by `arguments` with `directory` as its working
// directory ("" keeps ours); a tool that is missing or cannot start shows
// SYSTEM_CONSOLE_NOT_INSTALLED naming `tool_name`.
void mdb_launch_toolkit(std::string tool_path, std::string const& arguments,
                        std::string const& tool_name, std::string const& directory);
// The transceiver toolkit of the system console with these switches, started
// in the current project's directory.
void mdb_system_console(bool unrestricted_irvex_speed, bool unrestricted_dfe_speed,
                        bool no_project_autoload, bool classic_panels, std::string tool_path);
// With Yes (6) and `organize`, rewrites the active revision's settings file
// grouped by file category; a failed rewrite shows ORGANIZE_TSF_FAILED.
void mdb_impl_organize_tsf(int answer, bool organize);
// Starts the frame's check-and-save flow when the interface says netlist
// changes wait for it (without one, when `needed`); otherwise shows
// CANNOT_START_CHECK_NETLIST.
void mdb_check_netlist(bool needed, ADB_CDB_INTERFACE* db, QUI_FRAME_WND* frame);
// Starts the early power estimator's flow with the file named after the
// current revision, when the family (the current project's, when one is open)
// has an early power estimator; otherwise shows
// WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE.
void mdb_impl_generate_power_estimator_file(std::string family, std::string file);

extern "C" {
void mdb_dyn_system_console();
void mdb_dyn_external_memory_interface();
// Ferro Builder, opening `file` when it is not empty.
void mdb_dyn_ferro_builder(std::string const& file);
// Opens `file` in the host; an empty one opens a new Plexa system document.
void mdb_dyn_plexa(std::string const* file);
void mdb_dyn_organize_tsf();
void mdb_dyn_check_netlist(QUI_FRAME_WND* frame);
void mdb_dyn_generate_power_estimator_file();
}
