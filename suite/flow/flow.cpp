#include "suite/flow/flow.h"

#include "suite/flow/flow_archive.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <cstring>
#include <string>
#include <utility>

char const* const FSTR_FLOW_APP_NAME_IPRGEN = "iprgen";
char const* const FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT = "archive";
char const* const FSTR_FLOW_APP_NAME_RESTORE_PROJECT = "restore";

namespace {

int g_active_flows = 0;
// The innermost FLOW_PROGRESS_SCOPE of this thread that has a progress.
thread_local FLOW_PROGRESS_SCOPE* t_progress = nullptr;

// Marks a flow as running for as long as it lives.
class ACTIVE_FLOW {
public:
    ACTIVE_FLOW() { ++g_active_flows; }
    ~ACTIVE_FLOW() { --g_active_flows; }
    ACTIVE_FLOW(ACTIVE_FLOW const&) = delete;
    ACTIVE_FLOW& operator=(ACTIVE_FLOW const&) = delete;
};

void post_error(std::string const& text) {
    MSG_E error;
    error.set_text(text);
    error.post();
}

// Whether some element of the command's result, "{<component>} Passed|Failed",
// ends in "Failed".
bool any_result_failed(Tcl_Interp* interp) {
    Tcl_Obj* result = Tcl_GetObjResult(interp);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (Tcl_ListObjGetElements(interp, result, &count, &elements) != TCL_OK) {
        return true;
    }
    for (int i = 0; i < count; ++i) {
        int words = 0;
        Tcl_Obj** word = nullptr;
        if (Tcl_ListObjGetElements(interp, elements[i], &words, &word) != TCL_OK || words == 0 ||
            std::strcmp(Tcl_GetString(word[words - 1]), "Failed") == 0) {
            return true;
        }
    }
    return false;
}

int run_iprgen(FLOW_REQUEST const& request) {
    if (request.arguments == nullptr || request.arguments->empty() ||
        request.arguments->front() == nullptr) {
        post_error("The IP upgrade flow needs a list of files.");
        return 1;
    }
    std::vector<std::string> command = {"regenerate_ip", "-files", request.arguments->front()};
    for (size_t i = 1; i < request.arguments->size(); ++i) {
        if ((*request.arguments)[i] != nullptr) {
            command.push_back(std::string("-") + (*request.arguments)[i]);
        }
    }

    Tcl_Interp* interp = atcl_get_interpreter();
    if (atcl_eval_words(interp, {"package", "require", "::tessaly::ipman"}) != TCL_OK ||
        atcl_eval_words(interp, command) != TCL_OK) {
        post_error(std::string("The IP upgrade flow failed: ") + Tcl_GetStringResult(interp));
        return 1;
    }
    return any_result_failed(interp) ? 1 : 0;
}

std::vector<std::string> arguments_of(FLOW_REQUEST const& request) {
    std::vector<std::string> arguments;
    if (request.arguments != nullptr) {
        for (char const* argument : *request.arguments) {
            arguments.emplace_back(argument != nullptr ? argument : "");
        }
    }
    return arguments;
}

// Runs the archive or restore flow; its failure is posted (a stop is not one).
int run_archive_flow(FLOW_REQUEST const& request, bool restore) {
    std::string archive = request.text != nullptr ? request.text : "";
    std::string message;
    int result =
        restore ? flow_run_restore(archive, arguments_of(request), &message)
                : flow_run_archive(archive, arguments_of(request),
                                   request.flags != nullptr ? *request.flags : std::vector<bool>(),
                                   &message);
    if (result != 0 && result != FLOW_STOPPED) {
        post_error(message);
    }
    return result;
}

bool is_flow(FLOW_REQUEST const& request, char const* name) {
    return request.app_name != nullptr && std::strcmp(request.app_name, name) == 0;
}

} // namespace

FLOW_PROGRESS_SCOPE::FLOW_PROGRESS_SCOPE(FLOW_PROGRESS progress)
    : m_progress(std::move(progress)), m_outer(t_progress) {
    if (m_progress) {
        t_progress = this;
    }
}

FLOW_PROGRESS_SCOPE::~FLOW_PROGRESS_SCOPE() {
    if (t_progress == this) {
        t_progress = m_outer;
    }
}

int flow_execute(FLOW_REQUEST request, FLOW_PROGRESS const& progress) {
    FLOW_PROGRESS_SCOPE scope(progress);
    return flow_execute(request);
}

int flow_execute(FLOW_REQUEST request) {
    ACTIVE_FLOW active;
    if (is_flow(request, FSTR_FLOW_APP_NAME_IPRGEN)) {
        return run_iprgen(request);
    }
    if (is_flow(request, FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT) ||
        is_flow(request, FSTR_FLOW_APP_NAME_RESTORE_PROJECT)) {
        return run_archive_flow(request, is_flow(request, FSTR_FLOW_APP_NAME_RESTORE_PROJECT));
    }
    post_error(std::string("Flow ") + (request.app_name != nullptr ? request.app_name : "(none)") +
               " is not available.");
    return 1;
}

bool flow_report_progress(size_t done, size_t total, std::string const& current) {
    FLOW_PROGRESS_SCOPE* scope = t_progress;
    if (scope == nullptr) {
        return true;
    }
    if (!scope->m_stopped && !scope->m_progress(done, total, current)) {
        scope->m_stopped = true;
    }
    return !scope->m_stopped;
}

bool flow_is_active() {
    return g_active_flows > 0;
}
