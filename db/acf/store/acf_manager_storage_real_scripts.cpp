// Sourcing Tcl scripts and IP files into a revision store: the checks of the
// file, nesting and recursion, and the script's mode kept while it runs. The
// evaluation itself goes through the script evaluator
// (formats/acf_script_evaluator.h), which the Tcl layer installs.
#include "store/acf_manager_storage_real.h"

#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "formats/acf_script_evaluator.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <strings.h>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// The store whose script runs now: the target of the suite's assignment commands.
std::atomic<ACF_MANAGER_STORAGE_REAL*> s_sourcing_storage{nullptr};

char const* mode_word_of(ACF_MGR_TCL_MODE mode) {
    switch (mode) {
    case ACF_MGR_TCL_MODE_TIP:
        return "tip";
    case ACF_MGR_TCL_MODE_SIP:
        return "sip";
    default:
        return "";
    }
}

// The largest script read: what one Tcl value holds, halved, since the text
// may grow when it is turned from the system encoding into UTF-8.
constexpr size_t MAX_SCRIPT_SIZE = static_cast<size_t>(INT_MAX) / 2;
} // namespace

void acf_normalize_input_path(FIO_PATH* path) {
    if (path != nullptr && !path->path().empty()) {
        *path = FIO_PATH(path->full_path());
    }
}

bool acf_current_executable_is_tessaly_cmd() {
    return strcasecmp(FIO_PATH(gen_get_module_filename()).base().c_str(), "tessaly_cmd") == 0;
}

ACF_MANAGER_STORAGE_REAL* ACF_MANAGER_STORAGE_REAL::get_sourcing_storage() {
    return s_sourcing_storage.load();
}

bool ACF_MANAGER_STORAGE_REAL::is_valid_input_file(FIO_PATH const& path, bool* missing) {
    *missing = false;
    std::string full = path.full_path();
    if (full.empty()) {
        *missing = true;
        return false;
    }
    if (!path.is_path_length_within_operating_system_limits()) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::FILE_NAME_TOO_LONG, nullptr,
                                                 -1, nullptr, full.c_str(), nullptr, true);
        return false;
    }
    // Only "no such file" is a missing file: a status that cannot be read is
    // a file that cannot be read.
    FIO_FILE_STATUS status;
    std::string reason;
    switch (FIO_FILE_SYSTEM::presence(FIO_PATH(full), &status, &reason)) {
    case FIO_PRESENCE::MISSING:
        *missing = true;
        return false;
    case FIO_PRESENCE::UNKNOWN:
        report_unreadable_file(full.c_str(), reason);
        return false;
    case FIO_PRESENCE::PRESENT:
        break;
    }
    if ((status.mode & 0400) == 0) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::TCL_ERROR_INFO, nullptr, -1,
                                                 nullptr, full.c_str(), nullptr, true);
        return false;
    }
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::evaluate_tcl_script(char const* file, ACF_MGR_TCL_MODE mode) {
    ACF_SCRIPT_EVALUATOR* tcl = acf_script_evaluator();
    if (!ACF_REQUIRE(tcl != NULL && tcl->open_interpreter()) ||
        !ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        return false;
    }
    FIO_PATH path(in_project_folder(file));
    bool missing = false;
    if (!is_valid_input_file(path, &missing)) {
        if (!missing) {
            ++m_unreadable_scripts;
            return false;
        }
        if (m_acf_revision_manager->get_bool_data(ACF_REVISION_MANAGER::SKIP_MISSING_TCL_SCRIPT)) {
            return false;
        }
        m_last_error_status =
            post_error_message(ACF_REVISION_MANAGER::MISSING_TCL_FILE, nullptr, -1, nullptr,
                               file != nullptr ? file : "", nullptr, true);
        return true;
    }
    acf_normalize_input_path(&path);
    std::string full = path.path();
    if (m_running_scripts.count(full) != 0) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::TCL_INFINITE_RECURSION,
                                                 nullptr, -1, nullptr, file, nullptr, true);
        return false;
    }
    // Read as a settings file is: a regular file, whole, or an error naming
    // it (a pipe must not hang the reader, nor a device fill the memory).
    std::string script;
    std::string reason;
    if (!FIO_FILE_SYSTEM::read_file(path, script, &reason, MAX_SCRIPT_SIZE)) {
        report_unreadable_file(full.c_str(), reason);
        ++m_unreadable_scripts;
        return false;
    }

    struct sigaction saved_sigchld;
    struct sigaction default_sigchld = {};
    default_sigchld.sa_handler = SIG_DFL;
    sigemptyset(&default_sigchld.sa_mask);
    sigaction(SIGCHLD, &default_sigchld, &saved_sigchld);

    add_file_to_collection(full.c_str(), false);
    size_t depth = m_script_paths.size();
    std::string directory = path.directory();
    if (directory.size() > 1 && directory.back() == '/') {
        directory.pop_back();
    }
    m_script_paths.push_back(full);
    m_script_directories.push_back(directory);
    std::string mode_word = mode_word_of(mode);
    m_script_modes.push_back(mode_word);
    m_running_scripts[full] = true;

    ACF_MANAGER_STORAGE_REAL* outer_storage = nullptr;
    if (depth == 0) {
        outer_storage = s_sourcing_storage.exchange(this);
        tcl->begin_sourcing();
    }
    tcl->enter_mode(mode_word, full, directory);

    std::string error_info;
    bool evaluated = tcl->evaluate_script(full, script, &error_info);
    tcl->leave_mode(mode_word);

    m_script_paths.pop_back();
    m_script_directories.pop_back();
    m_script_modes.pop_back();
    m_running_scripts.erase(full);
    if (depth > 0) {
        // The enclosing script goes on in its own mode, so that what it sets
        // after the nested script is still tagged with its own file.
        tcl->enter_mode(m_script_modes.back(), m_script_paths.back(), m_script_directories.back());
    } else {
        tcl->end_sourcing();
        s_sourcing_storage = outer_storage;
    }
    sigaction(SIGCHLD, &saved_sigchld, nullptr);

    if (!evaluated) {
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::TCL_ERROR, nullptr, -1,
                                                 nullptr, error_info.c_str(), nullptr, true);
        return false;
    }
    return true;
}
