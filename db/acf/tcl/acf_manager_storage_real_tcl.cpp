// Sourcing Tcl scripts and IP files into a revision store: the checks of the
// file, nesting and recursion, the commands evaluated around a script (which
// hold its assignments as transient and tag them with the IP file they came
// from), and the project commands moved aside while it runs.
#include "acf_manager_storage_real.h"

#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "mem_manager.h"

// Tcl's own TCL_ERROR macro hides the status of the same name once tcl.h is in.
namespace {
constexpr int STATUS_TCL_EVALUATION_ERROR = ACF_REVISION_MANAGER::TCL_ERROR;
} // namespace

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/tclglue/atcl.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <strings.h>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// True while "project_open", "project_new" and "project_close" are moved aside.
bool acf_read_tip_status = false;
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

// One word of Tcl text, quoted as Tcl's list quoting does, so that any path
// (blanks, brackets, dollars, quotes, backslashes) reaches the command intact.
std::string tcl_word(std::string const& text) {
    char const* argv[] = {text.c_str()};
    char* merged = Tcl_Merge(1, argv);
    std::string word = merged;
    Tcl_Free(merged);
    return word;
}

int evaluate(Tcl_Interp* interp, std::string const& command) {
    acf_msg_debug("Evaluating: %s", command.c_str());
    return Tcl_EvalEx(interp, command.c_str(), -1, TCL_EVAL_GLOBAL);
}

// The largest script read: what one Tcl value holds, halved, since the text
// may grow when it is turned from the system encoding into UTF-8.
constexpr size_t MAX_SCRIPT_SIZE = static_cast<size_t>(INT_MAX) / 2;

// The code of a script that ended in `return`, as a sourced file's: the
// return leaves the script, one level.
int code_after_return(Tcl_Interp* interp) {
    Tcl_Obj* options = Tcl_GetReturnOptions(interp, TCL_RETURN);
    Tcl_Obj* key = Tcl_NewStringObj("-level", -1);
    Tcl_IncrRefCount(key);
    Tcl_Obj* level_value = nullptr;
    int level = 1;
    if (Tcl_DictObjGet(nullptr, options, key, &level_value) == TCL_OK && level_value != nullptr) {
        Tcl_GetIntFromObj(nullptr, level_value, &level);
    }
    Tcl_DictObjPut(nullptr, options, key, Tcl_NewIntObj(level - 1));
    Tcl_DecrRefCount(key);
    return Tcl_SetReturnOptions(interp, options);
}

// Evaluates the text of the script file `file` as `source` evaluates a file:
// the text in the system encoding up to an end-of-file character (^Z), each
// CR LF or lone CR read as LF, with [info script] naming the file, `return`
// leaving the script, and the trace of an error naming the file and line.
int evaluate_script_text(Tcl_Interp* interp, std::string const& file, std::string const& text) {
    size_t const end = std::min(text.find('\x1a'), text.size());
    std::string lines;
    lines.reserve(end);
    for (size_t i = 0; i < end; ++i) {
        if (text[i] != '\r') {
            lines += text[i];
            continue;
        }
        lines += '\n';
        if (i + 1 < end && text[i + 1] == '\n') {
            ++i;
        }
    }
    Tcl_DString utf;
    Tcl_DStringInit(&utf);
    Tcl_ExternalToUtfDString(nullptr, lines.data(), static_cast<int>(lines.size()), &utf);
    evaluate(interp, "info script");
    std::string const outer_script = Tcl_GetStringResult(interp);
    evaluate(interp, "info script " + tcl_word(file));
    int code = Tcl_EvalEx(interp, Tcl_DStringValue(&utf), Tcl_DStringLength(&utf),
                          TCL_EVAL_GLOBAL);
    Tcl_DStringFree(&utf);
    if (code == TCL_RETURN) {
        code = code_after_return(interp);
    }
    if (code == TCL_ERROR) {
        std::string where =
            "\n    (file \"" + file + "\" line " + std::to_string(Tcl_GetErrorLine(interp)) + ")";
        Tcl_AddErrorInfo(interp, where.c_str());
    }
    Tcl_InterpState state = Tcl_SaveInterpState(interp, code);
    evaluate(interp, "info script " + tcl_word(outer_script));
    return Tcl_RestoreInterpState(interp, state);
}
} // namespace

void acf_normalize_input_path(FIO_PATH* path) {
    if (path != nullptr && !path->path().empty()) {
        *path = FIO_PATH(path->full_path());
    }
}

bool acf_current_executable_is_tessaly_cmd() {
    return strcasecmp(FIO_PATH(gen_get_module_filename()).base().c_str(), "tessaly_cmd") == 0;
}

void acf_set_read_tip_status(Tcl_Interp* interp, bool on) {
    static char const* const commands[] = {"project_open", "project_new", "project_close"};
    for (char const* name : commands) {
        if (on && !acf_read_tip_status) {
            evaluate(interp, std::string("rename ") + name + " " + name + "_renamed");
        } else if (!on && acf_read_tip_status) {
            evaluate(interp, std::string("rename ") + name + "_renamed " + name);
        }
    }
    acf_read_tip_status = on;
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

void ACF_MANAGER_STORAGE_REAL::setup_tsf_mode(Tcl_Interp* interp, std::string const& mode_word,
                                              std::string const& path,
                                              std::string const& directory) {
    std::string command = "set_tsf_mode -start";
    if (!mode_word.empty()) {
        command += " -" + mode_word + " " + tcl_word(path);
    }
    evaluate(interp, command);
    if (!mode_word.empty()) {
        evaluate(interp, "set ::tessaly(" + mode_word + "_path) " + tcl_word(directory));
    }
}

bool ACF_MANAGER_STORAGE_REAL::evaluate_tcl_script(char const* file, ACF_MGR_TCL_MODE mode) {
    Tcl_Interp* interp = atcl_get_interpreter();
    if (!ACF_REQUIRE(interp != NULL) || !ACF_REQUIRE(m_acf_revision_manager != NULL)) {
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
        acf_set_read_tip_status(interp, true);
        evaluate(interp, "set_acf_manager -transient_assignments_mode enable");
        evaluate(interp, "foreach __tsf_reader__ [info vars ::*] { global $__tsf_reader__ }");
    }
    setup_tsf_mode(interp, mode_word, full, directory);

    int code = evaluate_script_text(interp, full, script);
    std::string error_info;
    if (code == TCL_ERROR) {
        char const* trace = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
        error_info = trace != nullptr ? trace : Tcl_GetStringResult(interp);
    }
    if (!mode_word.empty()) {
        evaluate(interp, "unset ::tessaly(" + mode_word + "_path)");
    }

    m_script_paths.pop_back();
    m_script_directories.pop_back();
    m_script_modes.pop_back();
    m_running_scripts.erase(full);
    if (depth > 0) {
        // The enclosing script goes on in its own mode, so that what it sets
        // after the nested script is still tagged with its own file.
        setup_tsf_mode(interp, m_script_modes.back(), m_script_paths.back(),
                       m_script_directories.back());
    } else {
        evaluate(interp, "set_tsf_mode -end");
        evaluate(interp, "set_acf_manager -transient_assignments_mode disable");
        acf_set_read_tip_status(interp, false);
        s_sourcing_storage = outer_storage;
    }
    sigaction(SIGCHLD, &saved_sigchld, nullptr);

    if (code == TCL_ERROR) {
        m_last_error_status = post_error_message(STATUS_TCL_EVALUATION_ERROR, nullptr, -1, nullptr,
                                                 error_info.c_str(), nullptr, true);
        return false;
    }
    return true;
}
