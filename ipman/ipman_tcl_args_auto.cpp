#include "ipman/ipman_tcl_args_auto.h"

#include "ipman/ipman_msgs.h"
#include "ipman/ipman_tcl_impl.h"
#include "mem_manager.h"
#include "suite/messages/msg.h"

#include <memory>

MEM_UNIT_INITIALIZER(IPMAN);

IPMAN_AUTO_TRANSLATOR const& IPMAN_AUTO_TRANSLATOR::instance() {
    static IPMAN_AUTO_TRANSLATOR const translator;
    return translator;
}

IPMAN_AUTO_TRANSLATOR::IPMAN_AUTO_TRANSLATOR()
    : m_argument_enum_string_table{"", "h", "help", "long_help", "files", "gui"} {
    for (int value = IPMAN_AUTO_ARGUMENT_H; value <= IPMAN_AUTO_ARGUMENT_GUI; ++value) {
        m_by_name[m_argument_enum_string_table[static_cast<size_t>(value)]] =
            static_cast<IPMAN_AUTO_ARGUMENT_ENUM>(value);
    }
}

bool IPMAN_AUTO_TRANSLATOR::exists_argument_enum_by_string(char const* text) const {
    return text != nullptr && m_by_name.count(text) != 0;
}

IPMAN_AUTO_ARGUMENT_ENUM
IPMAN_AUTO_TRANSLATOR::get_argument_enum_by_string(char const* text) const {
    if (text == nullptr || text[0] == '\0') {
        return IPMAN_AUTO_ARGUMENT_EMPTY;
    }
    auto found = m_by_name.find(text);
    return found != m_by_name.end() ? found->second : IPMAN_AUTO_ARGUMENT_NONE;
}

char const* IPMAN_AUTO_TRANSLATOR::get_string_by_argument_enum(int value) const {
    if (value < IPMAN_AUTO_ARGUMENT_H || value > IPMAN_AUTO_ARGUMENT_GUI) {
        IPMAN_INTERNAL_ERROR("The calling function has passed an illegal IPMAN_AUTO_ARGUMENT_ENUM");
        return "";
    }
    return m_argument_enum_string_table[static_cast<size_t>(value)].c_str();
}

IPMAN_AUTO_SHORT_NAME_TRANSLATOR::IPMAN_AUTO_SHORT_NAME_TRANSLATOR(
    IPMAN_AUTO_ARGUMENT_ENUM last_exact,
    std::vector<std::pair<char const*, IPMAN_AUTO_ARGUMENT_ENUM>> const& short_names)
    : m_last_exact(last_exact), m_short_names(short_names.begin(), short_names.end()) {}

IPMAN_AUTO_ARGUMENT_ENUM
IPMAN_AUTO_SHORT_NAME_TRANSLATOR::get_argument_enum_by_string(char const* text) const {
    IPMAN_AUTO_ARGUMENT_ENUM exact =
        IPMAN_AUTO_TRANSLATOR::instance().get_argument_enum_by_string(text);
    if (exact >= IPMAN_AUTO_ARGUMENT_H && exact <= m_last_exact) {
        return exact;
    }
    if (exact == IPMAN_AUTO_ARGUMENT_EMPTY) {
        return exact;
    }
    auto found = m_short_names.find(text);
    return found != m_short_names.end() ? found->second : IPMAN_AUTO_ARGUMENT_NONE;
}

namespace {

// "h" is an option of its own, so no shortened "help" is shorter than "he";
// "l" is the only option starting with that letter.
std::vector<std::pair<char const*, IPMAN_AUTO_ARGUMENT_ENUM>> const HELP_SHORT_NAMES = {
    {"he", IPMAN_AUTO_ARGUMENT_HELP},           {"hel", IPMAN_AUTO_ARGUMENT_HELP},
    {"l", IPMAN_AUTO_ARGUMENT_LONG_HELP},       {"lo", IPMAN_AUTO_ARGUMENT_LONG_HELP},
    {"lon", IPMAN_AUTO_ARGUMENT_LONG_HELP},     {"long", IPMAN_AUTO_ARGUMENT_LONG_HELP},
    {"long_", IPMAN_AUTO_ARGUMENT_LONG_HELP},   {"long_h", IPMAN_AUTO_ARGUMENT_LONG_HELP},
    {"long_he", IPMAN_AUTO_ARGUMENT_LONG_HELP}, {"long_hel", IPMAN_AUTO_ARGUMENT_LONG_HELP},
};

std::vector<std::pair<char const*, IPMAN_AUTO_ARGUMENT_ENUM>> regenerate_ip_short_names() {
    std::vector<std::pair<char const*, IPMAN_AUTO_ARGUMENT_ENUM>> names = {
        {"f", IPMAN_AUTO_ARGUMENT_FILES},   {"fi", IPMAN_AUTO_ARGUMENT_FILES},
        {"fil", IPMAN_AUTO_ARGUMENT_FILES}, {"file", IPMAN_AUTO_ARGUMENT_FILES},
        {"g", IPMAN_AUTO_ARGUMENT_GUI},     {"gu", IPMAN_AUTO_ARGUMENT_GUI},
    };
    names.insert(names.end(), HELP_SHORT_NAMES.begin(), HELP_SHORT_NAMES.end());
    return names;
}

} // namespace

IPMAN_AUTO_SHORT_NAME_TRANSLATOR const& ipman_auto_regenerate_ip_translator() {
    static IPMAN_AUTO_SHORT_NAME_TRANSLATOR const translator(IPMAN_AUTO_ARGUMENT_GUI,
                                                             regenerate_ip_short_names());
    return translator;
}

IPMAN_AUTO_SHORT_NAME_TRANSLATOR const& ipman_auto_list_ip_cores_translator() {
    static IPMAN_AUTO_SHORT_NAME_TRANSLATOR const translator(IPMAN_AUTO_ARGUMENT_LONG_HELP,
                                                             HELP_SHORT_NAMES);
    return translator;
}

bool ipman_auto_exists_argument_enum_by_string(char const* text) {
    return IPMAN_AUTO_TRANSLATOR::instance().exists_argument_enum_by_string(text);
}

int ipman_auto_get_argument_enum_by_string(char const* text) {
    return IPMAN_AUTO_TRANSLATOR::instance().get_argument_enum_by_string(text);
}

char const* ipman_auto_get_string_by_argument_enum(int value) {
    return IPMAN_AUTO_TRANSLATOR::instance().get_string_by_argument_enum(value);
}

int ipman_auto_get_regenerate_ip_argument_enum_by_string(char const* text) {
    return ipman_auto_regenerate_ip_translator().get_argument_enum_by_string(text);
}

int ipman_auto_get_list_ip_cores_argument_enum_by_string(char const* text) {
    return ipman_auto_list_ip_cores_translator().get_argument_enum_by_string(text);
}

ATCL_CMD* IPMAN_AUTO_MANAGER::register_command(int index, ATCL_CMD_DEFINITION const& definition) {
    static std::unique_ptr<ATCL_CMD> commands[COMMAND_COUNT];
    if (index < 0 || index >= COMMAND_COUNT) {
        IPMAN_INTERNAL_ERROR("index < COMMAND_COUNT");
        return nullptr;
    }
    std::unique_ptr<ATCL_CMD>& command = commands[index];
    if (!command) {
        command.reset(MEM_NEW(IPMAN, ATCL_CMD)(definition));
    }
    return command.get();
}

ATCL_CMD_DEFINITION const& ipman_regenerate_ip_definition() {
    static ATCL_CMD_DEFINITION const definition = {
        "ipman",
        "regenerate_ip",
        {{IPMAN_AUTO_ARGUMENT_FILES, ATCL_OPTION_VALUE, ATCL_OPTION_OPTIONAL, "files",
          "The variation files to upgrade, separated by \";\"."},
         {IPMAN_AUTO_ARGUMENT_GUI, ATCL_OPTION_FLAG, ATCL_OPTION_OPTIONAL, nullptr,
          "Adds the results to those of the earlier runs in the IP Upgrade report."}},
        ipman_regenerate_ip,
        ipman_auto_get_string_by_argument_enum,
        ipman_auto_get_regenerate_ip_argument_enum_by_string,
        "Upgrades the IP components of the open project: without -files, every top-level "
        "component that needs an upgrade; with it, the given variation files.",
    };
    return definition;
}

ATCL_CMD_DEFINITION const& ipman_list_ip_cores_definition() {
    static ATCL_CMD_DEFINITION const definition = {
        "ipman",
        "list_ip_cores",
        {},
        ipman_list_ip_cores,
        ipman_auto_get_string_by_argument_enum,
        ipman_auto_get_list_ip_cores_argument_enum_by_string,
        "Lists the top-level IP components of the open project that need an upgrade.",
    };
    return definition;
}

namespace {

int parse(int index, ATCL_CMD_DEFINITION const& definition, ATCL_ARGS* args, bool* help_shown,
          int argc, char const** argv) {
    if (args == nullptr) {
        IPMAN_INTERNAL_ERROR("args != 0");
        return TCL_ERROR;
    }
    ATCL_CMD* command = IPMAN_AUTO_MANAGER::register_command(index, definition);
    return args->process_tcl_command_arguments(command, argc, argv, help_shown);
}

} // namespace

int ipman_init_regenerate_ip(ATCL_ARGS* args, bool* help_shown, int argc, char const** argv) {
    return parse(IPMAN_AUTO_MANAGER::REGENERATE_IP, ipman_regenerate_ip_definition(), args,
                 help_shown, argc, argv);
}

int ipman_init_list_ip_cores(ATCL_ARGS* args, bool* help_shown, int argc, char const** argv) {
    return parse(IPMAN_AUTO_MANAGER::LIST_IP_CORES, ipman_list_ip_cores_definition(), args,
                 help_shown, argc, argv);
}
