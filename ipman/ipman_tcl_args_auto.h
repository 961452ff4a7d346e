// The arguments of the package's Tcl commands: their enumeration, the
// translators between option names and values (exact names, and the shortened
// names each command accepts), the command definitions and command objects,
// and the parsing of one call.
#pragma once

#include "suite/tclglue/atcl_cmd.h"

#include <string>
#include <unordered_map>
#include <vector>

enum IPMAN_AUTO_ARGUMENT_ENUM {
    IPMAN_AUTO_ARGUMENT_NONE = 0, // no argument of the command
    IPMAN_AUTO_ARGUMENT_H = 1,
    IPMAN_AUTO_ARGUMENT_HELP = 2,
    IPMAN_AUTO_ARGUMENT_LONG_HELP = 3,
    IPMAN_AUTO_ARGUMENT_FILES = 4,
    IPMAN_AUTO_ARGUMENT_GUI = 5,
    IPMAN_AUTO_ARGUMENT_EMPTY = 6 // a null or empty text
};

// The exact option names.
class IPMAN_AUTO_TRANSLATOR {
public:
    static IPMAN_AUTO_TRANSLATOR const& instance();

    bool exists_argument_enum_by_string(char const* text) const;
    // 6 for a null or empty text, the value of a known name, else 0.
    IPMAN_AUTO_ARGUMENT_ENUM get_argument_enum_by_string(char const* text) const;
    // The name of the values 1 to 5; any other value is an internal error ("").
    char const* get_string_by_argument_enum(int value) const;

private:
    IPMAN_AUTO_TRANSLATOR();
    std::vector<std::string> m_argument_enum_string_table; // index = value
    std::unordered_map<std::string, IPMAN_AUTO_ARGUMENT_ENUM> m_by_name;
};

// The shortened option names one command accepts, besides the exact names of
// the values 1 to `last_exact`.
class IPMAN_AUTO_SHORT_NAME_TRANSLATOR {
public:
    IPMAN_AUTO_SHORT_NAME_TRANSLATOR(
        IPMAN_AUTO_ARGUMENT_ENUM last_exact,
        std::vector<std::pair<char const*, IPMAN_AUTO_ARGUMENT_ENUM>> const& short_names);
    // An exact name of the command's values; else 6 for a null or empty text;
    // else the shortened name's value, or 0. Case-sensitive.
    IPMAN_AUTO_ARGUMENT_ENUM get_argument_enum_by_string(char const* text) const;

private:
    IPMAN_AUTO_ARGUMENT_ENUM m_last_exact;
    std::unordered_map<std::string, IPMAN_AUTO_ARGUMENT_ENUM> m_short_names;
};

// "regenerate_ip": "f" to "file", "g", "gu", "he", "hel", "l" to "long_hel".
IPMAN_AUTO_SHORT_NAME_TRANSLATOR const& ipman_auto_regenerate_ip_translator();
// "list_ip_cores": "he", "hel", "l" to "long_hel".
IPMAN_AUTO_SHORT_NAME_TRANSLATOR const& ipman_auto_list_ip_cores_translator();

bool ipman_auto_exists_argument_enum_by_string(char const* text);
int ipman_auto_get_argument_enum_by_string(char const* text);
char const* ipman_auto_get_string_by_argument_enum(int value);
int ipman_auto_get_regenerate_ip_argument_enum_by_string(char const* text);
int ipman_auto_get_list_ip_cores_argument_enum_by_string(char const* text);

// The command objects, made on first use: index 0 "regenerate_ip", 1 "list_ip_cores".
class IPMAN_AUTO_MANAGER {
public:
    enum { REGENERATE_IP = 0, LIST_IP_CORES = 1, COMMAND_COUNT = 2 };
    static ATCL_CMD* register_command(int index, ATCL_CMD_DEFINITION const& definition);
};

ATCL_CMD_DEFINITION const& ipman_regenerate_ip_definition();
ATCL_CMD_DEFINITION const& ipman_list_ip_cores_definition();

// Parse one call of the command into `args` (see ATCL_ARGS); a null `args` is
// an internal error (TCL_ERROR).
int ipman_init_regenerate_ip(ATCL_ARGS* args, bool* help_shown, int argc, char const** argv);
int ipman_init_list_ip_cores(ATCL_ARGS* args, bool* help_shown, int argc, char const** argv);
