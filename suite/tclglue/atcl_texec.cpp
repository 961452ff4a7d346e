#include "suite/tclglue/atcl_texec.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/threads/thr.h"

#include <string>
#include <vector>

namespace {

// The command line with its program taken from the suite's binary folder when
// it lies there.
std::string with_suite_program(std::string const& command_line) {
    std::vector<std::string> words = thr_process_split_command_line(command_line.c_str());
    if (words.empty() || words[0].find('/') != std::string::npos) {
        return command_line;
    }
    std::string suite_program = gen_get_module_path() + words[0];
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(suite_program))) {
        return command_line;
    }
    std::string line = thr_process_quote_argument(suite_program);
    for (size_t i = 1; i < words.size(); ++i) {
        line += " " + thr_process_quote_argument(words[i]);
    }
    return line;
}

int texec_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "command_line");
        return TCL_ERROR;
    }
    std::string command_line = with_suite_program(Tcl_GetString(objv[1]));
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    long pid = 0;
    if (!thr_process_create(command_line.c_str(), "", &out, &out, &process, &pid)) {
        Tcl_SetObjResult(interp, Tcl_ObjPrintf("couldn't execute \"%s\"", Tcl_GetString(objv[1])));
        Tcl_SetErrorCode(interp, "POSIX", "ENOENT", static_cast<char const*>(nullptr));
        return TCL_ERROR;
    }
    std::string output;
    char buffer[4096];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
        output.append(buffer, count);
    }
    int exit_code = -1;
    bool waited = thr_process_wait(process, &exit_code, 0);
    if (waited && exit_code == 0) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj(output.c_str(), static_cast<int>(output.size())));
        return TCL_OK;
    }
    output += "child process exited with code " + std::to_string(exit_code);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(output.c_str(), static_cast<int>(output.size())));
    std::string pid_text = std::to_string(pid);
    std::string code_text = std::to_string(exit_code);
    Tcl_SetErrorCode(interp, "CHILDSTATUS", pid_text.c_str(), code_text.c_str(),
                     static_cast<char const*>(nullptr));
    return TCL_ERROR;
}

} // namespace

void atcl_register_texec(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "texec", texec_command, nullptr, nullptr);
}
