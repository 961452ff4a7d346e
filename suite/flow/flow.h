// The suite's flow controller: runs one of the suite's flows to completion on
// the calling thread: the IP upgrade, archive and restore flows.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Flow application names.
extern char const* const FSTR_FLOW_APP_NAME_IPRGEN;          // "iprgen": the IP upgrade flow
extern char const* const FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT; // "archive": project archive
extern char const* const FSTR_FLOW_APP_NAME_RESTORE_PROJECT; // "restore": archive restore

// The flows the host application starts by number (QUI_APP::start_flow).
enum FSTR_FLOW_ENUM {
    FSTR_FLOW_BOUNDARY_SCAN_FILE = 16,     // writes a boundary-scan description file
    FSTR_FLOW_EARLY_POWER_ESTIMATION = 28, // writes the early power estimator's input file
    FSTR_FLOW_CHECK_AND_SAVE_NETLIST = 31, // checks and saves netlist changes
};

// A flow's progress: called with the items done, the number of all items and
// the item about to start; false asks the flow to stop there, before that item
// (the items done stay done).
using FLOW_PROGRESS =
    std::function<bool(size_t done, size_t total, std::string const& current)>;

// One request, its members in the order callers fill them.
struct FLOW_REQUEST {
    char const* app_name = nullptr;                      // which flow
    char const* text = nullptr;                          // the flow's own text, if it takes one
    std::vector<char const*> const* arguments = nullptr; // the flow's arguments
    std::vector<bool> const* flags = nullptr;            // the flow's own flags, if it takes any
    bool flag = false;
    int value = 0;
    int mode = 3;
};

// Runs the flow and returns when it has finished: 0 when it succeeded.
//
// The IP upgrade flow takes the variation files joined by ";" as its first
// argument and optionally "gui" as its second. It evaluates, in the suite's
// shared Tcl interpreter, `package require ::tessaly::ipman` and then
// `regenerate_ip -files <files> [-gui]`; it returns non-zero when the package
// or the command cannot run or when the upgrade of any file failed. Its results
// are in the revision's "IP Upgrade" report; it reports each component, and a
// stop leaves the components after it untouched and out of the report. An
// unknown flow posts an error and returns non-zero.
int flow_execute(FLOW_REQUEST request);
// The same, telling `progress` before each item of a flow that reports items.
int flow_execute(FLOW_REQUEST request, FLOW_PROGRESS const& progress);

// What a running flow's work calls before each item: passes it to the
// request's progress, if any. False when the flow should stop before this
// item; always true outside a flow or without a progress.
bool flow_report_progress(size_t done, size_t total, std::string const& current);

// True while a flow runs.
bool flow_is_active();
