// Prefix cfg: configuration.
// Configuration switches. A key is looked up, in order, as an environment
// variable of the same name, as a "KEY=VALUE" line of tessaly.ini in the current
// directory, and finally falls back to the default the caller passes.
#pragma once

#include <string>

// "on"/"1"/"true"/"yes" are on, "off"/"0"/"false"/"no" are off (any case); any
// other value, or no value, gives the default.
bool cfg_is_on(char const* name, bool default_value);
// A decimal integer; an unset, empty or non-numeric value gives the default.
int cfg_get_int_value(char const* name, int default_value);
// The value as text; an unset key gives the default.
std::string cfg_get_value(char const* name, char const* default_value = "");
// True when the key is set at all (environment or tessaly.ini), whatever its value.
bool cfg_is_set(char const* name);
// Switches of the user's own settings; read the same way.
bool cfg_user_ini_is_on(char const* name, bool default_value);
// A numbered user setting, read under the key "user_setting_<number>".
bool cfg_user_ini_is_on(int setting, bool default_value);

// The same queries under the names the memory manager finds at run time.
extern "C" {
bool cfg_dyn_is_on(char const* name, bool default_value);
void cfg_dyn_get_int_value(char const* name, int* result, int default_value);
void cfg_dyn_get_value(char const* name, std::string* result);
}
