// The IP upgrade dialog's work that needs no widget: running the suite's IP
// upgrade flow on a list of files under the project's read lock, telling from
// the "IP Upgrade" report which files a run upgraded, committing the settings
// before a file is upgraded by hand, and opening a variation file in the
// VestaWizard plug-in manager.
#pragma once

#include "ipman/ipman_ip_info.h"
#include "suite/flow/flow.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// --- The flow ------------------------------------------------------------------------
// Runs the IP upgrade flow on `files`; its return code (non-zero when any file
// failed). The project is read-locked for the run unless a lock is held already.
// `progress` is told before each file and may stop the run there.
int mdb_ip_regen_run_flow(std::vector<std::string> const& files,
                          FLOW_PROGRESS const& progress = FLOW_PROGRESS());

// --- The report ----------------------------------------------------------------------
// Each file's record in the active revision's "IP Upgrade" report, by file.
using MDB_IP_REGEN_REPORT = std::map<std::string, IPMAN_IP_INFO>;
IPMAN_IP_INFO mdb_ip_regen_report_record(std::string const& file);
MDB_IP_REGEN_REPORT mdb_ip_regen_report_records(std::vector<std::string> const& files);
// Whether a record lists its file among the successful upgrades; a file
// missing from the report was not upgraded.
bool mdb_ip_regen_lists_as_upgraded(IPMAN_IP_INFO const& record);
// Whether a run of the flow on several files that returned `code` upgraded
// `file`, from the report `before` and `after` the run. The report keeps the
// rows of earlier runs: after a failed run only a row that run changed counts.
bool mdb_ip_regen_upgraded_by_run(std::string const& file, int code,
                                  MDB_IP_REGEN_REPORT const& before,
                                  MDB_IP_REGEN_REPORT const& after);

// --- The versions --------------------------------------------------------------------
// The IP_TOOL_VERSION the settings record for each component, by IP file and
// entity, read in one walk of the settings.
using MDB_IP_REGEN_VERSIONS = std::map<std::pair<std::string, std::string>, std::string>;
MDB_IP_REGEN_VERSIONS mdb_ip_regen_current_versions();

// --- Upgrading by hand ---------------------------------------------------------------
// Writes the open project's settings to disk under the write lock, so that the
// plug-in manager sees them; false when they could not be written.
bool mdb_ip_regen_commit_settings();
// Opens `file` in the VestaWizard plug-in manager of the installation; false
// (an internal error says why) when the plug-in or its entry point is missing.
bool mdb_ip_regen_open_in_plugin_manager(std::string const& file);
