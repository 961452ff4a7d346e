// The host application as the dialogs reach it: it starts the suite's flows by
// number. A flow runs in process, to its end, on its command line split into
// arguments as a child process's command line is; it posts what it wrote or
// why it failed. The host installs the runner that carries the flows out;
// without one every flow is refused.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QUI_APP {
public:
    // Runs flow `flow`; true with `message` saying what it wrote, or false with
    // `message` saying why it failed.
    using FLOW_RUNNER = std::function<bool(int flow, std::vector<std::string> const& arguments,
                                           std::string* message)>;
    void set_flow_runner(FLOW_RUNNER runner) { m_runner = std::move(runner); }

    // Runs the flow of that FSTR_FLOW_ENUM value on the command line and posts
    // its outcome: information on success, an error on failure. The flags are
    // the framework's (progress and console choices); flows here run alike
    // whatever they say. True when the flow succeeded.
    bool start_flow(int flow, std::string const& command_line, bool show_progress,
                    bool run_in_console, bool post_messages);

private:
    FLOW_RUNNER m_runner;
};

// The host's application; null until the host sets one.
QUI_APP* qui_get_app();
void qui_set_app(QUI_APP* app);
