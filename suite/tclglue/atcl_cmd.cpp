#include "suite/tclglue/atcl_cmd.h"

#include <cstring>

namespace {

struct HELP_OPTION {
    char const* name;
    char const* description;
};
HELP_OPTION const HELP_OPTIONS[] = {
    {"h", "Shows the usage of the command."},
    {"help", "Shows the usage and the options of the command."},
    {"long_help", "Shows the description, the usage and the options of the command."},
};

bool is_help_option(char const* name) {
    for (HELP_OPTION const& help : HELP_OPTIONS) {
        if (std::strcmp(help.name, name) == 0) {
            return true;
        }
    }
    return false;
}

std::string option_form(ATCL_CMD_DEFINITION const& definition,
                        ATCL_OPTION_DEFINITION const& option) {
    char const* name = definition.to_string(option.argument);
    std::string form = std::string("-") + (name != nullptr ? name : "");
    if (option.kind == ATCL_OPTION_VALUE) {
        form += std::string(" <") + (option.value_name ? option.value_name : "value") + ">";
    }
    return form;
}

void write_to_stdout(std::string const& text) {
    Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT);
    if (out == nullptr) {
        return;
    }
    Tcl_WriteChars(out, text.c_str(), static_cast<int>(text.size()));
    Tcl_Flush(out);
}

} // namespace

ATCL_OPTION_DEFINITION const* ATCL_CMD::find_option(int argument) const {
    for (ATCL_OPTION_DEFINITION const& option : m_definition.options) {
        if (option.argument == argument) {
            return &option;
        }
    }
    return nullptr;
}

std::string ATCL_CMD::help_text(std::string const& help_option) const {
    std::string usage = std::string("Usage: ") + m_definition.name + " [-h | -help | -long_help]";
    for (ATCL_OPTION_DEFINITION const& option : m_definition.options) {
        std::string form = option_form(m_definition, option);
        usage += (option.flags & ATCL_OPTION_OPTIONAL) != 0 ? " [" + form + "]" : " " + form;
    }
    usage += "\n";
    if (help_option == "h") {
        return usage;
    }
    std::string options = "\nOptions:\n";
    for (HELP_OPTION const& help : HELP_OPTIONS) {
        options += std::string("  -") + help.name + ": " + help.description + "\n";
    }
    for (ATCL_OPTION_DEFINITION const& option : m_definition.options) {
        options += "  " + option_form(m_definition, option) + ": " +
                   (option.description ? option.description : "") + "\n";
    }
    if (help_option == "help") {
        return usage + options;
    }
    return std::string(m_definition.name) + ": " +
           (m_definition.description ? m_definition.description : "") + "\n\n" + usage + options;
}

int ATCL_ARGS::refuse(std::string const& text) {
    Tcl_SetObjResult(m_interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
    return TCL_ERROR;
}

int ATCL_ARGS::process_tcl_command_arguments(ATCL_CMD const* command, int argc, char const** argv,
                                             bool* help_shown) {
    ATCL_CMD_DEFINITION const& definition = command->get_definition();
    std::string const name = definition.name;
    m_given.clear();
    if (help_shown != nullptr) {
        *help_shown = false;
    }
    for (int i = 1; i < argc; ++i) {
        char const* word = argv[i];
        if (word[0] != '-') {
            return refuse("ERROR: Unexpected argument \"" + std::string(word) +
                          "\" for the command \"" + name + "\".");
        }
        int argument = word[1] != '\0' ? definition.from_string(word + 1) : 0;
        char const* canonical = argument != 0 ? definition.to_string(argument) : nullptr;
        if (canonical != nullptr && is_help_option(canonical)) {
            write_to_stdout(command->help_text(canonical));
            if (help_shown != nullptr) {
                *help_shown = true;
            }
            return TCL_OK;
        }
        ATCL_OPTION_DEFINITION const* option =
            argument != 0 ? command->find_option(argument) : nullptr;
        if (option == nullptr) {
            return refuse("ERROR: Unknown option \"" + std::string(word) + "\" for the command \"" +
                          name + "\".");
        }
        GIVEN given{argument, option->kind == ATCL_OPTION_VALUE, ""};
        if (given.has_value) {
            if (i + 1 >= argc) {
                return refuse("ERROR: The option \"-" + std::string(canonical) +
                              "\" of the command \"" + name + "\" needs a value.");
            }
            given.value = argv[++i];
        }
        // A repeated option takes its last value.
        GIVEN const* earlier = find(argument);
        if (earlier != nullptr) {
            m_given[static_cast<size_t>(earlier - m_given.data())] = given;
        } else {
            m_given.push_back(given);
        }
    }
    for (ATCL_OPTION_DEFINITION const& option : definition.options) {
        if ((option.flags & ATCL_OPTION_OPTIONAL) == 0 && find(option.argument) == nullptr) {
            return refuse("ERROR: The command \"" + name + "\" needs the option \"" +
                          option_form(definition, option) + "\".");
        }
    }
    return TCL_OK;
}

ATCL_ARGS::GIVEN const* ATCL_ARGS::find(int argument) const {
    for (GIVEN const& given : m_given) {
        if (given.argument == argument) {
            return &given;
        }
    }
    return nullptr;
}

bool ATCL_ARGS::is_set(int argument) const {
    return find(argument) != nullptr;
}

char const* ATCL_ARGS::get_value(int argument) const {
    GIVEN const* given = find(argument);
    return given != nullptr && given->has_value ? given->value.c_str() : nullptr;
}
