// The VestaWizard plug-in manager, as the dialogs load it by file name: its one
// entry point opens a variation file in the wizard's editor. This suite's
// wizard has no interactive editor, so an editor session here is what a user
// would end it with: the wizard regenerates the file with the running version
// (`vestawiz -silent <file>`, beside the program). The call returns when the
// wizard has finished; what it printed is posted as information, a refusal as
// an error.
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/threads/thr.h"

#include <string>

namespace {

void post(MSG_POST&& message, std::string const& text) {
    message.set_text(text);
    message.post();
}

} // namespace

extern "C" void vwpim_dyn_launch_direct(std::string const& file) {
    std::string command = thr_process_quote_argument(gen_get_module_path() + "vestawiz") +
                          " -silent " + thr_process_quote_argument(file);
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    if (!thr_process_create(command.c_str(), "", &out, &out, &process, nullptr)) {
        post(MSG_E(), "VestaWizard cannot be started for " + file);
        return;
    }
    std::string output;
    char buffer[4096];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
        output.append(buffer, count);
    }
    int exit_code = 1;
    thr_process_wait(process, &exit_code, 0);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    if (exit_code == 0) {
        post(MSG_I(), output.empty() ? "VestaWizard regenerated " + file : output);
    } else {
        post(MSG_E(), "VestaWizard could not regenerate " + file +
                          (output.empty() ? std::string() : ": " + output));
    }
}
