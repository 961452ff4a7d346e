#include "suite/exeframe/qexe.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace {

QEXE_OPTION_DEF const COMMON_OPTIONS[] = {
    {"help", nullptr, QEXE_OPTION_KIND_FLAG, nullptr, "qexe_common.options.hlp", "HELP"},
    {nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

// "-t <script> [args]": the rest of the command line belongs to the script.
QEXE_OPTION_DEF const TCL_OPTIONS[] = {
    {"t", "script", QEXE_OPTION_KIND_VALUE, nullptr, "qexe_common.options.hlp", "TCL"},
    {nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

// The framework's own messages.
enum {
    QEXE_UNKNOWN_OPTION = 10001,
    QEXE_OPTION_TAKES_NO_VALUE = 10002,
    QEXE_TCL_SCRIPT_MISSING = 10003,
    QEXE_TCL_SCRIPT_FAILED = 10004,
};

// A Tcl script to evaluate instead of the command's own run.
struct TCL_REQUEST {
    bool given = false;
    std::string script;
    std::vector<std::string> args;
};

void post_option_error(unsigned id, char const* format, char const* option) {
    MSG_E message;
    message.fill_args(format, option);
    message.set_id(id);
    message.post();
}

QEXE_OPTION_DEF const* find_option(QEXE_OPTION_DEF const* const* tables, std::string const& name) {
    for (QEXE_OPTION_DEF const* const* table = tables; *table != nullptr; ++table) {
        for (QEXE_OPTION_DEF const* option = *table; option->name != nullptr; ++option) {
            if (name == option->name) {
                return option;
            }
        }
    }
    return nullptr;
}

// The sections of a help file: "[KEY]" lines, each followed by its text.
std::map<std::string, std::string> read_help_file(std::string const& file_name) {
    std::map<std::string, std::string> sections;
    std::string content;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(gen_get_tessaly_path(), file_name), content)) {
        return sections;
    }
    std::istringstream lines(content);
    std::string line;
    std::string* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            current = &sections[line.substr(1, line.size() - 2)];
        } else if (current != nullptr && !line.empty() && line.front() != '#') {
            *current += "      " + line + "\n";
        }
    }
    return sections;
}

void print_help(QCU_FRAMEWORK* command, QEXE_OPTION_DEF const* const* tables) {
    for (std::string const& usage : command->get_usages()) {
        std::printf("Usage: %s [options] %s\n", command->get_exe_name(), usage.c_str());
    }
    std::printf("\nOptions:\n");
    std::map<std::string, std::map<std::string, std::string>> help_files;
    for (QEXE_OPTION_DEF const* const* table = tables; *table != nullptr; ++table) {
        for (QEXE_OPTION_DEF const* option = *table; option->name != nullptr; ++option) {
            bool is_short = option->name[0] != '\0' && option->name[1] == '\0';
            std::string form = std::string(is_short ? "-" : "--") + option->name;
            if (is_short && option->argument_text != nullptr) {
                form += std::string(" <") + option->argument_text + ">";
            } else if (option->kind == QEXE_OPTION_KIND_VALUE) {
                form += std::string("=<") +
                        (option->argument_text ? option->argument_text : "value") + ">";
            }
            std::printf("  %s\n", form.c_str());
            if (option->help_file != nullptr && option->help_key != nullptr) {
                if (help_files.count(option->help_file) == 0) {
                    help_files[option->help_file] = read_help_file(option->help_file);
                }
                std::printf("%s", help_files[option->help_file][option->help_key].c_str());
            }
        }
    }
    std::fflush(stdout);
}

bool is_help(char const* arg) {
    return std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0;
}

// Whether `arg` starts a Tcl script: every argument after it is the script's.
bool is_tcl_option(QCU_FRAMEWORK* command, QEXE_OPTION_DEF const* const* tables,
                   std::string const& arg) {
    return arg == "-t" && command->allows_tcl() && find_option(tables, "t") != nullptr;
}

// Parses the arguments and calls the handlers; false when an option was refused.
bool parse_arguments(QCU_FRAMEWORK* command, QEXE_OPTION_DEF const* const* tables, int argc,
                     char** argv, TCL_REQUEST& tcl) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (is_tcl_option(command, tables, arg)) {
            if (i + 1 >= argc) {
                post_option_error(QEXE_TCL_SCRIPT_MISSING,
                                  "Option \"%1!s!\" needs a Tcl script./EQEXE_TCL_SCRIPT_MISSING",
                                  arg.c_str());
                return false;
            }
            tcl.given = true;
            tcl.script = argv[i + 1];
            tcl.args.assign(argv + i + 2, argv + argc);
            return true;
        }
        if (arg.empty() || arg[0] != '-') {
            if (!command->process_file_argument(argv[i])) {
                return false;
            }
            continue;
        }
        size_t equals = arg.find('=');
        std::string name = arg.compare(0, 2, "--") == 0
                               ? arg.substr(2, equals == std::string::npos ? equals : equals - 2)
                               : std::string();
        QEXE_OPTION_DEF const* option = name.empty() ? nullptr : find_option(tables, name);
        if (option == nullptr || option->handler == nullptr) {
            post_option_error(
                QEXE_UNKNOWN_OPTION,
                "Option \"%1!s!\" is not an option of this command./EQEXE_UNKNOWN_OPTION",
                arg.c_str());
            return false;
        }
        std::string value;
        char const* value_text = nullptr;
        if (equals != std::string::npos) {
            if (option->kind == QEXE_OPTION_KIND_FLAG) {
                post_option_error(QEXE_OPTION_TAKES_NO_VALUE,
                                  "Option \"%1!s!\" takes no value./EQEXE_OPTION_TAKES_NO_VALUE",
                                  name.c_str());
                return false;
            }
            value = arg.substr(equals + 1);
            value_text = value.c_str();
        } else if (option->kind == QEXE_OPTION_KIND_VALUE && i + 1 < argc &&
                   std::strncmp(argv[i + 1], "--", 2) != 0) {
            value_text = argv[++i];
        }
        if (!option->handler(0, value_text)) {
            return false;
        }
    }
    return true;
}

// Evaluates the script in the shared interpreter, in the command's Tcl mode.
int run_tcl_script(QCU_FRAMEWORK* command, TCL_REQUEST const& tcl) {
    command->set_tcl_mode(true);
    std::string result;
    if (atcl_eval_file(tcl.script, tcl.args, result) != TCL_OK) {
        MSG_E message;
        message.fill_args("Tcl script \"%1!s!\" failed: %2!s!/EQEXE_TCL_SCRIPT_FAILED",
                          tcl.script.c_str(), result.c_str());
        message.set_id(QEXE_TCL_SCRIPT_FAILED);
        message.post();
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

QEXE_OPTION_DEF const* qexe_get_common_options() {
    return COMMON_OPTIONS;
}

QEXE_OPTION_DEF const* qexe_get_tcl_options() {
    return TCL_OPTIONS;
}

int qexe_standard_main(QCU_FRAMEWORK* command, QEXE_OPTION_DEF const* const* tables, int argc,
                       char** argv) {
    for (int i = 1; i < argc && !is_tcl_option(command, tables, argv[i]); ++i) {
        if (is_help(argv[i])) {
            print_help(command, tables);
            return 0;
        }
    }
    TCL_REQUEST tcl;
    if (!parse_arguments(command, tables, argc, argv, tcl)) {
        return 1;
    }
    if (tcl.given) {
        return run_tcl_script(command, tcl);
    }
    if (!command->post_check_arguments()) {
        return 1;
    }
    if (!command->create_facade() || !command->initialize_databases() ||
        !command->initialize_skelvin()) {
        return 1;
    }
    bool ok = command->execute();
    // Reports and databases are written and released after a failed run too.
    ok = command->write_reports() && ok;
    ok = command->write_databases() && ok;
    ok = command->cleanup_skelvin() && ok;
    ok = command->release_databases() && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
}
