// Text helpers of the settings library: escaping and quoting words for Tcl set
// commands, recognising the set commands, cleaning -from/-to texts, building
// message sub-lists and bringing values into the spelling the catalogue uses.
#pragma once

#include "acf_table_types.h"

#include <string>

// The variable-specific set commands, ended by a row with an empty command.
struct ACF_TCL_SET_TO_VAR_INFO {
    char const* command;
    ACF_VARIABLE_TYPE_ENUM variable;
};
extern ACF_TCL_SET_TO_VAR_INFO const acf_tcl_set_to_var_info[];

// Escaping for Tcl: a backslash before each of { } [ ] $ " \, line feed and
// carriage return as \n and \r, then every tab as four blanks; so the word
// reads back unchanged both here and in Tcl. acf_remove_escape_characters undoes
// the backslashes in place (a doubled backslash leaves one, \n and \r give the
// line breaks back; a trailing lone backslash stays).
std::string acf_add_escape_characters(std::string const& text);
void acf_remove_escape_characters(char* text);
// The character an escape "\<escaped>" stands for.
char acf_unescaped_character(char escaped);

// The word as written in a command: in double quotes when it holds a tab, blank,
// # ( ) , - : ; < = > { } or a double quote, else unchanged; with escape_quotes,
// inner double quotes get a backslash. The empty word stays empty.
std::string acf_format_string(std::string const& text, bool escape_quotes);

// True when `command` names a set command ("set_global_assignment",
// "set_instance_assignment", "set_parameter" or one of acf_tcl_set_to_var_info,
// ignoring case); *variable_specific then tells whether it is one of the latter
// (the generic ones are tried first). False leaves *variable_specific untouched.
bool acf_is_valid_tcl_set_command(char const* command, bool* variable_specific);

// A -from/-to text without surrounding white space and without a leading '|'
// (when more follows it); empty for null.
void acf_source_target_cleanup(char const* text, std::string* result);

// Appends `addition` to a comma-separated list: current, ", " when current is not
// empty, then printf(format, list so far, addition). An empty addition changes
// nothing.
std::string acf_format_submessage(std::string const& current, std::string const& format,
                                  std::string const& addition);

// Rewrites a time or frequency value as "<number> <unit>" in the unit's own
// spelling, the number at full precision without a trailing ".0". True when the
// text changed; unparsable text stays as it is.
bool acf_convert_time_frequency_to_correct_case(std::string& value);

// Rewrites a raw value into its user-friendly spelling for the variable: an
// enumeration value as its user string, a time or frequency in canonical form
// (with add_missing_units, a bare number gets the default unit and a warning),
// other texts of two or more characters starting with a letter as words
// ("AS_OUTPUT_DRIVING_GROUND" -> "As output driving ground") unless the variable
// is case-sensitive or keeps its spelling.
void acf_string_to_user_friendly(std::string& value, ACF_VARIABLE_TYPE_ENUM variable,
                                 bool add_missing_units);
