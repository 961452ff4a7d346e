// The archive and restore flows, as the flow controller and the Tcl commands
// "project_archive" and "project_restore" run them.
#pragma once

#include "suite/archive/afm_zip.h"

#include <string>
#include <vector>

// What the archive and restore flows return when their progress stopped them.
constexpr int FLOW_ARCHIVE_STOPPED = 2;

// While one lives, the archive and restore flows that its thread runs report
// their progress to it, however they were started (flow_execute, the Tcl
// commands), and stop where it returns false: such a run returns
// FLOW_ARCHIVE_STOPPED and leaves the telling to whoever stopped it. Scopes
// nest; the innermost one is told.
class FLOW_ARCHIVE_PROGRESS {
public:
    explicit FLOW_ARCHIVE_PROGRESS(AFM_PROGRESS progress);
    ~FLOW_ARCHIVE_PROGRESS();
    FLOW_ARCHIVE_PROGRESS(FLOW_ARCHIVE_PROGRESS const&) = delete;
    FLOW_ARCHIVE_PROGRESS& operator=(FLOW_ARCHIVE_PROGRESS const&) = delete;

    // Whether it stopped a run.
    bool stopped() const { return m_stopped; }
    // Passes a report on; false, noted, stops the run.
    bool report(size_t done, size_t total, std::string const& file);

private:
    AFM_PROGRESS m_progress;
    FLOW_ARCHIVE_PROGRESS* m_outer;
    bool m_stopped = false;
};

// Archives the open project into `archive` (a full path). Arguments: none for
// the default file set; a file-set identifier for that set; "custom", the
// custom list file and subset names for exactly the files the list names.
// Flags: the first true when the user declined analysis, the second true when
// a database export was asked for. The settings are saved first; a revision
// whose settings cannot be read fails the archive (its files would be
// missing). Neither analysis nor database export runs here: when one is asked
// for, the archive is still written and the result is non-zero. 0 on success;
// otherwise `message` says why (FLOW_ARCHIVE_STOPPED: stopped by its progress).
int flow_run_archive(std::string const& archive, std::vector<std::string> const& arguments,
                     std::vector<bool> const& flags, std::string* message);

// Restores `archive` into the destination (the first argument); a second
// argument "-no_overwrite" refuses to replace existing files. 0 on success;
// otherwise `message` says why (FLOW_ARCHIVE_STOPPED: stopped by its progress).
int flow_run_restore(std::string const& archive, std::vector<std::string> const& arguments,
                     std::string* message);
