// Defaults files (".tdf"): the revision's file, written once when a project last
// saved by an older version is opened, holds the global assignments that keep
// the defaults of that version; the installation's file lists every change of a
// default as notes. Both are written only when they do not exist yet.
#pragma once

#include "catalogue/acf_defaults.h"

#include <string>

// "assignment_defaults.tdf": the installation's file, and the project-wide file
// in a project's directory.
char const* acf_assignment_defaults_file_name();
// "<revision>_assignment_defaults.tdf".
std::string acf_revision_defaults_file_name(std::string const& revision);
// The installation's defaults file: the suite's module directory and its name;
// "" when the program cannot tell its own folder.
std::string acf_installation_defaults_file_path();

// A version text as a number: "" is 0; "11.1 SP2" (version, a blank, two letters
// and the service pack) is 11.12. `plain` (may be null) receives the version
// without the service pack.
double acf_version_text_to_number(char const* text, double* plain);

// The text of a revision's defaults file: one line per default of the catalogue
// (debug variables, empty defaults and hidden families left out), a default that
// changed since the project's last version (`last_number` with the service pack,
// `last_plain` without) written with the value that held then. `changes` is a
// default-value-change table ended by variable 0.
std::string acf_revision_defaults_file_text(ACF_DEFAULT_VALUE_CHANGE_INFO const* changes,
                                            double last_number, double last_plain);
// The text of the installation's defaults file: a note for the newest change of
// each variable and family, newest first.
std::string acf_installation_defaults_file_text(ACF_DEFAULT_VALUE_CHANGE_INFO const* changes);

// Writes `text` to `target` unless the file exists (or could not be looked at:
// acf_file_checks.h); atomically, so that a crash or a full disk never leaves a
// partial file and two processes making the same file at once both succeed.
// True when this call wrote it; a write that failed puts the reason into
// `error` (may be null), which stays empty otherwise.
bool acf_write_defaults_file_if_missing(std::string const& target, std::string const& text,
                                        std::string* error = nullptr);
