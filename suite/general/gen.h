// General utilities of the suite: product and version texts, text helpers and
// the installation's paths.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

// Product name, version texts and legal notice: chosen once, used everywhere.
extern char const* const GEN_PRODUCT_NAME; // "Tessaly II"
extern char const* const GEN_VERSION;      // "14.0", comparable with upgrade-rule versions
extern char const* const GEN_FULL_VERSION; // "Version 14.0 Build 120 12/09/2026 SJ Full Version"
char const* gen_get_version();
char const* gen_get_full_version();
// Legal notice, several lines separated by '\n'.
char const* gen_get_legal_text();
// The legal notice with `line_prefix` before each line and a line feed after each.
std::string gen_get_legal_text(char const* line_prefix);
// The About box's legal texts: ownership and trademarks, and the warning.
char const* gen_get_legal_trademark_text();
char const* gen_get_legal_warning_text();

// Writes the current local date and time, formatted by strftime's `format`, into
// `out`; false (and `out` untouched) when the clock cannot be read or the text
// cannot be formatted.
bool gen_format_current_date_and_time(std::string* out, char const* format);
// Tests replace the clock (a function returning seconds since the epoch, or -1 for
// a clock that cannot be read); an empty function restores the system clock.
void gen_set_clock_hook(std::function<time_t()> clock);

// ASCII case-insensitive comparisons ('A' to 'Z' folded only); null sorts first.
int gen_stricmp(char const* a, char const* b);
int gen_strnicmp(char const* a, char const* b, size_t n);
// True for null or "".
bool gen_is_empty_string(char const* s);
// The leading decimal number of a text, whatever the locale ("12.1sp1" gives
// 12.1); 0 when the text starts with no number. Leading white space is skipped.
double gen_local_atof(char const* text);

// Looks for a file by the name a setting gives: as written, absolute or relative
// to the current (project) directory. The found path, or an empty path when
// there is no such file.
class FIO_PATH;
FIO_PATH gen_find_file(char const* file_name);

// The installation's binary directory: where the running program lies (the
// programs, the libraries they load, help and rule files sit together).
std::string gen_get_tessaly_path();
// Points the installation elsewhere (tests use a temporary folder); "" or null
// goes back to the running program's directory.
void gen_set_tessaly_path(char const* directory);
// Full path of the running program.
std::string gen_get_module_filename();
// The installation's binary directory with a trailing "/", ready for a program name.
std::string gen_get_module_path();
// The installation's common data folder (the upgrade rule files): "common" in the
// binary directory.
std::string gen_get_common_misc_fullpath();

// The kind of process: whether it has a user interface, and whether that is a
// Qt one. A host sets them once at start-up, before the libraries ask.
bool gen_get_is_ui_process();
void gen_set_is_ui_process(bool is_ui_process);
bool gen_get_is_qt();
void gen_set_is_qt(bool is_qt);

// Integers as text and back: base 10; gen_local_atoi takes what strtol accepts
// at the start of the text (0 when nothing), clamped to the int range.
std::string gen_itoa(int value);
int gen_local_atoi(char const* text);

// The open project's library paths (the user library and search path settings),
// in the order they were added.
void gen_set_project_library_paths(char const* paths); // replaces all; "" or null: none
void gen_append_project_library_paths(char const* paths);
void gen_remove_project_library_paths(char const* paths); // every entry equal to it
std::vector<std::string> gen_get_project_library_paths();
// The open project's output directory ("" when none is set).
void gen_set_project_output_directory(char const* directory);
std::string gen_get_project_output_directory();
// Whether the running program is the suite's main program "tessaly".
bool gen_get_is_tessaly_exe();
// The directory of the open project (with its trailing "/"), "" when none.
std::string gen_get_project_dir_path();
void gen_set_project_dir_path(char const* directory);
// The open project's compilation database folder ("db/") and incremental
// database folder ("incremental_db/") in its directory, each with its
// trailing "/"; "" when no project is open.
std::string gen_get_db_dir_path();
std::string gen_get_incr_db_dir_path_string();
// Full path of the open project's database folder "db" (no trailing "/"), ""
// when no project is open.
std::string gen_get_db_dir_full_name();
