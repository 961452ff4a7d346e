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

// What the archive and restore flows return when their progress stopped them:
// such a run posts no error and leaves the telling to whoever stopped it.
constexpr int FLOW_STOPPED = 2;

// While one lives, the flows its thread runs report to its progress, however
// they were started (flow_execute, the Tcl commands). Scopes nest: the
// innermost one with a progress is told.
class FLOW_PROGRESS_SCOPE {
public:
    explicit FLOW_PROGRESS_SCOPE(FLOW_PROGRESS progress);
    ~FLOW_PROGRESS_SCOPE();
    FLOW_PROGRESS_SCOPE(FLOW_PROGRESS_SCOPE const&) = delete;
    FLOW_PROGRESS_SCOPE& operator=(FLOW_PROGRESS_SCOPE const&) = delete;

    // Whether its progress stopped a flow.
    bool stopped() const { return m_stopped; }

private:
    friend bool flow_report_progress(size_t done, size_t total, std::string const& current);

    FLOW_PROGRESS m_progress;
    FLOW_PROGRESS_SCOPE* m_outer;
    bool m_stopped = false;
};

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
// The same, telling `progress` before each item of a flow that reports items
// (as a FLOW_PROGRESS_SCOPE around the call does).
int flow_execute(FLOW_REQUEST request, FLOW_PROGRESS const& progress);

// What a running flow's work calls before each item: passes it to the
// innermost FLOW_PROGRESS_SCOPE's progress, if any. False when the flow should
// stop before this item (once stopped, it stays so for that scope); always
// true without a progress.
bool flow_report_progress(size_t done, size_t total, std::string const& current);

// True while a flow runs.
bool flow_is_active();
