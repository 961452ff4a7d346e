// The archive and restore flows, as the flow controller and the Tcl commands
// "project_archive" and "project_restore" run them. Both report each file to
// flow_report_progress (suite/flow/flow.h).
#pragma once

#include <string>
#include <vector>

// Archives the open project into `archive` (a full path). Arguments: none for
// the default file set; a file-set identifier for that set; "custom", the
// custom list file and subset names for exactly the files the list names.
// Flags: the first true when the user declined analysis, the second true when
// a database export was asked for. The settings are saved first; a revision
// whose settings cannot be read fails the archive (its files would be
// missing). Neither analysis nor database export runs here: when one is asked
// for, the archive is still written and the result is non-zero. 0 on success;
// otherwise `message` says why (FLOW_STOPPED: stopped by its progress).
int flow_run_archive(std::string const& archive, std::vector<std::string> const& arguments,
                     std::vector<bool> const& flags, std::string* message);

// Restores `archive` into the destination (the first argument); a second
// argument "-no_overwrite" refuses to replace existing files. 0 on success;
// otherwise `message` says why (FLOW_STOPPED: stopped by its progress).
int flow_run_restore(std::string const& archive, std::vector<std::string> const& arguments,
                     std::string* message);
