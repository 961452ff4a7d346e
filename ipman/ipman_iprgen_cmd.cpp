#include "ipman/ipman_iprgen_cmd.h"

#include "acf_msg_suppression_lookup.h"
#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_iprgen_manager.h"
#include "ipman/ipman_msgs.h"
#include "ipman/ipman_project_lock.h"
#include "ipman/ipman_utils.h"
#include "mem_manager.h"
#include "suite/exeframe/qexe.h"
#include "suite/fileio/fio.h"
#include "suite/messages/msg.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <list>
#include <unistd.h>

MEM_UNIT_INITIALIZER(IPMAN);

bool ipman_iprgen_process_all_option(int, char const*) {
    ipman_msg_debug("all");
    IPMAN_IPRGEN_CMD::instance().m_all = true;
    return true;
}

bool ipman_iprgen_process_files_option(int, char const* value) {
    if (value == nullptr) {
        ipman_post(MSG_IPMAN::E::INVALID_FILE(""));
        return false;
    }
    ipman_msg_debug("file: %s", value);
    IPMAN_IPRGEN_CMD& command = IPMAN_IPRGEN_CMD::instance();
    command.m_files = true;
    command.m_files_text = value;
    return true;
}

bool ipman_iprgen_process_dir_option(int, char const* value) {
    if (value == nullptr) {
        ipman_post(MSG_IPMAN::E::INVALID_DIRECTORY(""));
        return false;
    }
    ipman_msg_debug("dir: %s", value);
    IPMAN_IPRGEN_CMD& command = IPMAN_IPRGEN_CMD::instance();
    command.m_project_directory = true;
    command.m_directory = value;
    return true;
}

namespace {

// Whether `directory` can be searched for variation files. When it cannot, the
// error that says why is posted: it does not exist, or it cannot be read.
bool folder_can_be_searched(std::string const& directory) {
    DIR* dir = opendir(directory.c_str());
    int const error = errno;
    if (dir != nullptr) {
        closedir(dir);
        return true;
    }
    std::string const folder = FIO_PATH(directory).full_path();
    if (error == ENOENT) {
        ipman_post(MSG_IPMAN::E::INVALID_DIRECTORY(folder.c_str()));
    } else {
        ipman_post(MSG_IPMAN::E::IPRGEN_DIRECTORY_UNREADABLE(folder.c_str(), std::strerror(error)));
    }
    return false;
}

// Why the upgrade of `file` failed: what the check before the run found
// (`fail_type`), else what the file shows now, else the wizard's exit status.
std::string failure_reason(IPMAN_IPRGEN_MANAGER const& manager, std::string const& file,
                           IPMAN_FAIL_REGEN_TYPE fail_type, int exit_code) {
    if (fail_type == IPMAN_FAIL_REGEN_NONE) {
        manager.check_file_is_valid(file, fail_type);
    }
    switch (fail_type) {
    case IPMAN_FAIL_REGEN_FILE_MISSING:
        return "No such file";
    case IPMAN_FAIL_REGEN_WRITE_PROTECTED:
        return "Not writable";
    case IPMAN_FAIL_REGEN_NOT_VARIATION_FILE:
        return "Not a variation file of the IP wizard";
    default:
        break;
    }
    std::string const& wizard = manager.get_wizard_program();
    if (access(wizard.c_str(), X_OK) != 0) {
        return "The IP wizard \"" + wizard + "\" cannot be started";
    }
    return "The IP wizard exited with status " + std::to_string(exit_code);
}

QEXE_OPTION_DEF const ipman_iprgen_option_def[] = {
    {"all", nullptr, QEXE_OPTION_KIND_FLAG, ipman_iprgen_process_all_option,
     "ipman_iprgen.options.hlp", "ALL"},
    {"files", "list of file name", QEXE_OPTION_KIND_VALUE, ipman_iprgen_process_files_option,
     "ipman_iprgen.options.hlp", "FILES"},
    {"project_directory", "diretory", QEXE_OPTION_KIND_VALUE, ipman_iprgen_process_dir_option,
     "ipman_iprgen.options.hlp", "PROJECT_DIRECTORY"},
    {nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

int ipman_iprgen_main(int argc, char** argv) {
    QEXE_OPTION_DEF const* const tables[] = {qexe_get_common_options(), qexe_get_tcl_options(),
                                             ipman_iprgen_option_def, nullptr};
    return qexe_standard_main(&IPMAN_IPRGEN_CMD::instance(), tables, argc, argv);
}

} // namespace

IPMAN_IPRGEN_CMD& IPMAN_IPRGEN_CMD::instance() {
    static IPMAN_IPRGEN_CMD command;
    return command;
}

bool IPMAN_IPRGEN_CMD::process_file_argument(char const* text) {
    if (text == nullptr) {
        ipman_post(MSG_IPMAN::E::INVALID_FILE(""));
        return false;
    }
    m_files_text = text;
    m_file_argument = true;
    return true;
}

bool IPMAN_IPRGEN_CMD::post_check_arguments() {
    if (int(m_all) + int(m_files) + int(m_project_directory) + int(m_file_argument) > 1) {
        ipman_post(MSG_IPMAN::E::TOO_MANY_OPTIONS());
        return false;
    }
    if (m_file_argument) {
        m_files = true;
    }
    return true;
}

bool IPMAN_IPRGEN_CMD::execute() {
    if (m_all) {
        m_directory = ".";
        return run_command_with_dir_option();
    }
    if (m_project_directory) {
        if (m_directory.empty()) {
            ipman_post(MSG_IPMAN::E::INVALID_DIRECTORY(""));
            return false;
        }
        return run_command_with_dir_option();
    }
    if (m_files) {
        return run_command_with_files_option();
    }
    ipman_post(
        MSG_IPMAN::E::IPRGEN_NOTHING_TO_DO("no file list, --project_directory or --all was given"));
    return false;
}

void IPMAN_IPRGEN_CMD::set_status_report(int percent) {
    QCU_FACADE* facade = QCU_FRAMEWORK::get_facade();
    if (facade == nullptr) {
        MSG_INTERNAL_ERROR::report("facade != NULL", "IPMAN", __FILE__, __LINE__);
        return;
    }
    facade->report_status(percent);
}

void IPMAN_IPRGEN_CMD::split_file_arg_by_regexp(std::string const& text,
                                                std::vector<std::string>& files) {
    IPMAN_UTILS::split_file_list(text, files);
}

bool IPMAN_IPRGEN_CMD::run_files(std::vector<std::string> const& names, bool found_files) {
    IPMAN_IPRGEN_MANAGER* ip_mgr = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    if (ip_mgr == nullptr) {
        MSG_INTERNAL_ERROR::report("ip_mgr != NULL", "IPMAN", __FILE__, __LINE__);
        return false;
    }
    unsigned const count = static_cast<unsigned>(names.size());
    bool all_succeeded = true;
    for (unsigned i = 0; i < count; ++i) {
        set_status_report(progress_percent(count, i));
        char const* name = names[i].c_str();
        std::string const file = IPMAN_IPRGEN_MANAGER::unquoted(names[i]);
        IPMAN_FAIL_REGEN_TYPE fail_type = IPMAN_FAIL_REGEN_NONE;
        bool refused = found_files && ip_mgr->check_found_file_is_valid(file, fail_type);
        if (refused && fail_type == IPMAN_FAIL_REGEN_WRITE_PROTECTED) {
            ipman_post(MSG_IPMAN::E::READ_ONLY_FILE(FIO_PATH(file).full_path().c_str()));
        }
        int exit_code = refused ? 0 : ip_mgr->run_ip_regeneration(names[i]);
        if (refused || exit_code != 0) {
            MSG_E* failed = MSG_IPMAN::E::IPRGEN_FAILED("", name);
            std::string why = failure_reason(*ip_mgr, file, fail_type, exit_code);
            failed->add_sub_message(MSG_IPMAN::I::IPRGEN_FAILURE_REASON(why.c_str()));
            ipman_post(failed);
            all_succeeded = false;
        } else {
            ipman_post(MSG_IPMAN::I::IPRGEN_SUCCESSFUL("", name));
        }
    }
    return all_succeeded;
}

bool IPMAN_IPRGEN_CMD::run_command_with_files_option() {
    std::vector<std::string> files;
    split_file_arg_by_regexp(m_files_text, files);
    if (files.empty()) {
        ipman_post(MSG_IPMAN::E::IPRGEN_NOTHING_TO_DO("the file list names no file"));
        return false;
    }
    std::vector<std::string> folders;
    for (std::string const& file : files) {
        folders.push_back(FIO_PATH(IPMAN_IPRGEN_MANAGER::unquoted(file)).directory());
    }
    std::list<IPMAN_PROJECT_LOCK> locks;
    if (!ipman_begin_upgrade_in_folders(locks, folders)) {
        return false;
    }
    return run_files(files, false);
}

bool IPMAN_IPRGEN_CMD::run_command_with_dir_option() {
    if (!folder_can_be_searched(m_directory)) {
        return false;
    }
    std::list<IPMAN_PROJECT_LOCK> locks;
    if (!ipman_begin_upgrade_of_tree(locks, m_directory)) {
        return false;
    }
    // The scan settles first what killed runs left half done under the folder.
    std::list<std::string> found;
    // A folder or file the scan could not read holds components that are not
    // upgraded: the run fails, whatever happens to the others.
    bool const complete =
        IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_variation_file_by_dir(m_directory,
                                                                                &found);
    if (found.empty()) {
        if (complete) {
            ipman_post(MSG_IPMAN::I::IPRGEN_NO_REQUIRED_REGEN_IP());
        }
        return complete;
    }
    // The names are shown between double quotes, as a file list would give
    // them, but handed on as they are: no character of a name is parsed.
    std::vector<std::string> names;
    for (std::string const& file : found) {
        names.push_back("\"" + file + "\"");
    }
    return run_files(names, true) && complete;
}

int main(int argc, char** argv) {
    mem_install_gen_callbacks();
    msg_set_stack_size(0);
    acf_install_msg_suppression_lookup();
    return msg_exe_main(argc, argv, ipman_iprgen_main);
}
