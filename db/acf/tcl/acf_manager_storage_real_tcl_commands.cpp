// The suite's Tcl assignment commands carried out on the settings store:
// "set_global_assignment", "set_instance_assignment", "set_location_assignment",
// "set_parameter", "set_acf_manager" and "set_tsf_mode". While a revision
// sources a script they act on that revision (its assignments tagged with the
// IP file in tip or sip mode); otherwise on the open project's revision.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_manager.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "formats/acf_file_checks.h"
#include "mem_manager.h"
#include "tcl/acf_tcl_commands.h"

#include "suite/general/gen.h"

#include <cstring>
#include <mutex>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// One assignment command's words, sorted out.
struct COMMAND_REQUEST {
    std::string name;
    bool has_name = false;
    std::string value;
    bool has_value = false;
    std::string from, to, entity, section_id, comment;
    bool has_from = false, has_to = false, has_entity = false, has_section_id = false,
         has_comment = false;
    bool disable = false;
    bool remove = false;
    std::vector<std::pair<ACF_ARGUMENT_TYPE_ENUM, std::string>> arguments;
};

struct TEXT_OPTION {
    char const* option;
    std::string COMMAND_REQUEST::*text;
    bool COMMAND_REQUEST::*present;
};

TEXT_OPTION const text_options[] = {
    {"-name", &COMMAND_REQUEST::name, &COMMAND_REQUEST::has_name},
    {"-value", &COMMAND_REQUEST::value, &COMMAND_REQUEST::has_value},
    {"-from", &COMMAND_REQUEST::from, &COMMAND_REQUEST::has_from},
    {"-to", &COMMAND_REQUEST::to, &COMMAND_REQUEST::has_to},
    {"-entity", &COMMAND_REQUEST::entity, &COMMAND_REQUEST::has_entity},
    {"-section_id", &COMMAND_REQUEST::section_id, &COMMAND_REQUEST::has_section_id},
    {"-comment", &COMMAND_REQUEST::comment, &COMMAND_REQUEST::has_comment},
};

bool parse_request(std::vector<std::string> const& words, COMMAND_REQUEST* request,
                   std::string* error) {
    std::string const& command = words[0];
    for (size_t i = 1; i < words.size(); ++i) {
        std::string const& word = words[i];
        bool has_next = i + 1 < words.size();
        if (word == "-disable") {
            request->disable = true;
            continue;
        }
        if (word == "-remove") {
            request->remove = true;
            continue;
        }
        bool matched = false;
        for (TEXT_OPTION const& option : text_options) {
            if (word == option.option) {
                if (!has_next) {
                    *error = command + ": missing value for " + word;
                    return false;
                }
                request->*(option.text) = words[++i];
                request->*(option.present) = true;
                matched = true;
                break;
            }
        }
        if (matched) {
            continue;
        }
        ACF_ARGUMENT_TYPE_ENUM argument =
            word.size() > 1 && word[0] == '-'
                ? acf_convert_argument_string_to_enum(word.c_str() + 1)
                : ACF_ARGUMENT_TYPE_NONE;
        if (argument != ACF_ARGUMENT_TYPE_NONE) {
            if (!acf_does_argument_require_value(argument)) {
                request->arguments.emplace_back(argument, std::string());
            } else if (has_next) {
                request->arguments.emplace_back(argument, words[++i]);
            } else {
                *error = command + ": missing value for " + word;
                return false;
            }
            continue;
        }
        // Any other word (a negative number, too) is the value.
        if (request->has_value) {
            *error = command + ": unexpected argument \"" + word + "\"";
            return false;
        }
        request->value = word;
        request->has_value = true;
    }
    return true;
}

// Tip or sip mode of the script now sourced: its assignments carry its file.
struct TSF_MODE {
    std::mutex mutex;
    ACF_ARGUMENT_TYPE_ENUM argument = ACF_ARGUMENT_TYPE_NONE;
    std::string path;
};

TSF_MODE& tsf_mode() {
    static TSF_MODE mode;
    return mode;
}

class ASSIGNMENT_COMMANDS {
public:
    static bool run(std::vector<std::string> const& words, std::string* error) {
        std::string const& command = words[0];
        if (command == "set_acf_manager") {
            return set_acf_manager(words, error);
        }
        if (command == "set_tsf_mode") {
            return set_tsf_mode(words, error);
        }
        return set_assignment(words, error);
    }

private:
    // The store and revision manager the commands act on.
    static ACF_MANAGER_STORAGE* target_storage(ACF_REVISION_MANAGER** manager) {
        if (ACF_MANAGER_STORAGE_REAL* sourcing = ACF_MANAGER_STORAGE_REAL::get_sourcing_storage()) {
            *manager = sourcing->get_revision_manager();
            return sourcing;
        }
        *manager = ACF_MANAGER::get_acf_manager();
        return (*manager)->get_storage();
    }

    // Only file-backed stores take assignments.
    static ACF_MANAGER_STORAGE_REAL* real_storage(ACF_MANAGER_STORAGE* storage) {
        return storage != nullptr && !storage->is_null()
                   ? static_cast<ACF_MANAGER_STORAGE_REAL*>(storage)
                   : nullptr;
    }

    static bool set_acf_manager(std::vector<std::string> const& words, std::string* error) {
        if (words.size() != 3 || words[1] != "-transient_assignments_mode" ||
            (words[2] != "enable" && words[2] != "disable")) {
            *error = "usage: set_acf_manager -transient_assignments_mode enable|disable";
            return false;
        }
        ACF_REVISION_MANAGER* manager = nullptr;
        ACF_MANAGER_STORAGE* storage = target_storage(&manager);
        if (storage == nullptr || storage->is_null()) {
            *error = "set_acf_manager: no project is open";
            return false;
        }
        storage->set_transient_assignments_mode(words[2] == "enable");
        return true;
    }

    static bool set_tsf_mode(std::vector<std::string> const& words, std::string* error) {
        TSF_MODE& mode = tsf_mode();
        std::lock_guard<std::mutex> lock(mode.mutex);
        if (words.size() == 2 && words[1] == "-end") {
            mode.argument = ACF_ARGUMENT_TYPE_NONE;
            mode.path.clear();
            return true;
        }
        if (words.size() == 2 && words[1] == "-start") {
            mode.argument = ACF_ARGUMENT_TYPE_NONE;
            mode.path.clear();
            return true;
        }
        if (words.size() == 4 && words[1] == "-start" &&
            (words[2] == "-tip" || words[2] == "-sip")) {
            mode.argument = words[2] == "-tip" ? ACF_ARGUMENT_TYPE_TIP : ACF_ARGUMENT_TYPE_SIP;
            mode.path = words[3];
            return true;
        }
        *error = "usage: set_tsf_mode -start ?-tip|-sip file? | set_tsf_mode -end";
        return false;
    }

    static bool set_assignment(std::vector<std::string> const& words, std::string* error) {
        std::string const& command = words[0];
        COMMAND_REQUEST request;
        if (!parse_request(words, &request, error)) {
            return false;
        }
        bool location = command == "set_location_assignment";
        bool parameter = command == "set_parameter";
        if (!request.has_name && !location) {
            *error = command + ": missing -name";
            return false;
        }
        if (!request.has_value && !request.remove) {
            *error = command + ": missing value";
            return false;
        }

        ACF_MGR_INPUT_PARAMETERS params;
        ACF_VARIABLE_TYPE_ENUM variable = ACF_VARIABLE_TYPE_NONE;
        if (location) {
            variable = request.has_name ? acf_user_name_to_variable_type_enum(request.name.c_str())
                                        : ACF_VARIABLE_TYPE_LOCATION;
        } else if (!parameter) {
            variable = acf_user_name_to_variable_type_enum(request.name.c_str());
        }
        params.set_variable_type(variable);
        if (variable == ACF_VARIABLE_TYPE_NONE) {
            params.set_variable_string(request.name.c_str());
        }
        if (request.has_value) {
            params.set_value_string(request.value.c_str());
        }
        if (request.has_from) {
            params.set_from(request.from.c_str());
        }
        if (request.has_to) {
            params.set_to(request.to.c_str());
        }
        if (request.has_entity) {
            params.set_entity_name(request.entity.c_str());
        }
        if (request.has_section_id) {
            params.set_section_identifier(request.section_id.c_str());
        }
        if (request.has_comment) {
            params.set_comments(request.comment.c_str());
        }
        params.set_is_ignored(request.disable);
        for (auto const& argument : request.arguments) {
            params.add_argument(argument.first,
                                argument.second.empty() ? nullptr : argument.second.c_str());
        }
        {
            TSF_MODE& mode = tsf_mode();
            std::lock_guard<std::mutex> lock(mode.mutex);
            if (mode.argument != ACF_ARGUMENT_TYPE_NONE) {
                params.add_argument(mode.argument, mode.path.c_str());
            }
        }

        ACF_REVISION_MANAGER* manager = nullptr;
        ACF_MANAGER_STORAGE_REAL* storage = real_storage(target_storage(&manager));
        if (manager == nullptr || storage == nullptr) {
            *error = command + ": no project is open";
            return false;
        }
        // The lock may read the revision's files again: a look at them that
        // fails there fails the command, before anything is set.
        ACF_FILE_OPERATION operation;
        bool took_lock = false;
        if (!manager->is_write_locked()) {
            if (manager->is_read_locked() || !manager->write_lock(true)) {
                *error = command + ": the settings of the open revision are locked";
                return false;
            }
            took_lock = true;
        }
        if (operation.failed()) {
            if (took_lock) {
                manager->write_unlock(false);
            }
            *error = command + ": can't read the settings of the open revision (" +
                     operation.fault() + ")";
            return false;
        }
        bool done = false;
        if (request.remove) {
            // Removing what does not exist is no error.
            if (variable == ACF_VARIABLE_TYPE_NONE) {
                manager->remove_freeform_assignment(&params);
            } else if (request.has_to) {
                manager->remove_instance_assignment(&params);
            } else {
                manager->remove_global_assignment(&params);
            }
            done = true;
        } else {
            ACF_ASSIGNMENT* asgn =
                variable == ACF_VARIABLE_TYPE_NONE   ? manager->set_freeform_assignment(&params)
                : command == "set_global_assignment" ? manager->set_global_assignment(&params)
                                                     : manager->set_instance_assignment(&params);
            done = asgn != nullptr;
        }
        int status = manager->get_last_error_status();
        if (took_lock) {
            manager->write_unlock(true);
        }
        if (!done) {
            *error = command + ": assignment " + request.name + " was not accepted (status " +
                     std::to_string(status) + ")";
        }
        return done;
    }
};

} // namespace

bool acf_run_assignment_command(std::vector<std::string> const& words, std::string* error) {
    return ASSIGNMENT_COMMANDS::run(words, error);
}
