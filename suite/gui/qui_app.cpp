#include "suite/gui/qui_app.h"

#include "suite/messages/msg.h"
#include "suite/threads/thr.h"

namespace {
QUI_APP* g_app = nullptr;
} // namespace

QUI_APP* qui_get_app() {
    return g_app;
}

void qui_set_app(QUI_APP* app) {
    g_app = app;
}

bool QUI_APP::start_flow(int flow, std::string const& command_line, bool, bool, bool) {
    std::string message = "Flow " + std::to_string(flow) + " is not available.";
    bool succeeded =
        m_runner && m_runner(flow, thr_process_split_command_line(command_line.c_str()), &message);
    if (succeeded) {
        MSG_I info;
        info.set_text(message);
        info.post();
    } else {
        MSG_E error;
        error.set_text(message);
        error.post();
    }
    return succeeded;
}
