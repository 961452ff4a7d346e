// The suite's Tcl command definitions and their argument parsing.
//
// A command of a suite package is described by an ATCL_CMD_DEFINITION: its
// name, its options (each an enumeration value of the package's arguments) and
// the package's translators between option names and enumeration values. The
// translator from names may accept shortened names; the glue only asks it.
//
// Every command also takes the glue's help options: the arguments whose names
// (as the translator to names gives them) are "h" (the usage line), "help" (the
// usage and the options) and "long_help" (the description as well). The help is
// written to the interpreter's standard output channel.
//
// Words of a call: "-<option>" for a flag, "-<option> <value>" for an option
// that takes a value. A refused call leaves a text starting with "ERROR: " as
// the interpreter's result.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

// Option flags.
enum : unsigned {
    ATCL_OPTION_OPTIONAL = 0x100, // the command runs without it; otherwise it must be given
};

enum ATCL_OPTION_KIND {
    ATCL_OPTION_FLAG,  // "-name"
    ATCL_OPTION_VALUE, // "-name <value>"
};

struct ATCL_OPTION_DEFINITION {
    int argument; // the package's enumeration value
    ATCL_OPTION_KIND kind;
    unsigned flags;
    char const* value_name;  // the value in the usage line; null for a flag
    char const* description; // one line for the help
};

// The package's translators. The one to names gives null or "" for a value
// that is no argument; the one from names gives 0 for a text that is no
// argument of the command.
typedef char const* (*ATCL_ARGUMENT_TO_STRING)(int argument);
typedef int (*ATCL_STRING_TO_ARGUMENT)(char const* text);

struct ATCL_CMD_DEFINITION {
    char const* package; // the package's short word, as "ipman"
    char const* name;
    std::vector<ATCL_OPTION_DEFINITION> options;
    Tcl_CmdProc* handler;
    ATCL_ARGUMENT_TO_STRING to_string;
    ATCL_STRING_TO_ARGUMENT from_string;
    char const* description; // for the long help
};

// One command of a package, made from its definition.
class ATCL_CMD {
public:
    explicit ATCL_CMD(ATCL_CMD_DEFINITION definition) : m_definition(std::move(definition)) {}

    ATCL_CMD_DEFINITION const& get_definition() const { return m_definition; }
    char const* get_name() const { return m_definition.name; }
    // The command's option of that argument, or null.
    ATCL_OPTION_DEFINITION const* find_option(int argument) const;
    // The help text of a help option ("h", "help" or "long_help").
    std::string help_text(std::string const& help_option) const;

private:
    ATCL_CMD_DEFINITION m_definition;
};

// The arguments of one call of a command.
class ATCL_ARGS {
public:
    explicit ATCL_ARGS(Tcl_Interp* interp) : m_interp(interp) {}

    // Parses argv[1..argc-1] (argv[0] is the command's name) for `command`.
    // When a help option is given, writes that help, sets `*help_shown` and
    // returns TCL_OK without looking further. Returns TCL_ERROR, with the reason
    // as the interpreter's result, for a word that is no option of the
    // command, an option without its value, a stray word or a missing option
    // that is not optional.
    int process_tcl_command_arguments(ATCL_CMD const* command, int argc, char const** argv,
                                      bool* help_shown);

    // Whether the call gave the option; its value (null for a flag or when not given).
    bool is_set(int argument) const;
    char const* get_value(int argument) const;

private:
    struct GIVEN {
        int argument;
        bool has_value;
        std::string value;
    };
    GIVEN const* find(int argument) const;
    int refuse(std::string const& text);

    Tcl_Interp* m_interp;
    std::vector<GIVEN> m_given;
};
