// The store's script evaluator in the suite's shared interpreter: the text of
// a script evaluated as `source` would, the commands evaluated around it (which
// hold its assignments as transient and tag them with the IP file they came
// from), and the project commands moved aside while it runs.
#include "acf_msgs.h"
#include "formats/acf_script_evaluator.h"
#include "mem_manager.h"
#include "tcl/acf_tcl_commands.h"

#include "suite/tclglue/atcl.h"

#include <algorithm>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// True while "project_open", "project_new" and "project_close" are moved aside.
bool acf_read_tip_status = false;

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

// Moves "project_open", "project_new" and "project_close" aside (on) or back.
void set_read_tip_status(Tcl_Interp* interp, bool on) {
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

class ACF_TCL_SCRIPT_EVALUATOR final : public ACF_SCRIPT_EVALUATOR {
public:
    bool open_interpreter() override { return atcl_get_interpreter() != nullptr; }

    void begin_sourcing() override {
        Tcl_Interp* interp = atcl_get_interpreter();
        set_read_tip_status(interp, true);
        evaluate(interp, "set_acf_manager -transient_assignments_mode enable");
        evaluate(interp, "foreach __tsf_reader__ [info vars ::*] { global $__tsf_reader__ }");
    }

    void end_sourcing() override {
        Tcl_Interp* interp = atcl_get_interpreter();
        evaluate(interp, "set_tsf_mode -end");
        evaluate(interp, "set_acf_manager -transient_assignments_mode disable");
        set_read_tip_status(interp, false);
    }

    void enter_mode(std::string const& mode_word, std::string const& path,
                    std::string const& directory) override {
        Tcl_Interp* interp = atcl_get_interpreter();
        std::string command = "set_tsf_mode -start";
        if (!mode_word.empty()) {
            command += " -" + mode_word + " " + tcl_word(path);
        }
        evaluate(interp, command);
        if (!mode_word.empty()) {
            evaluate(interp, "set ::tessaly(" + mode_word + "_path) " + tcl_word(directory));
        }
    }

    void leave_mode(std::string const& mode_word) override {
        if (!mode_word.empty()) {
            evaluate(atcl_get_interpreter(), "unset ::tessaly(" + mode_word + "_path)");
        }
    }

    bool evaluate_script(std::string const& file, std::string const& text,
                         std::string* error_info) override {
        Tcl_Interp* interp = atcl_get_interpreter();
        if (evaluate_script_text(interp, file, text) != TCL_ERROR) {
            return true;
        }
        char const* trace = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
        *error_info = trace != nullptr ? trace : Tcl_GetStringResult(interp);
        return false;
    }
};
} // namespace

ACF_SCRIPT_EVALUATOR* acf_tcl_script_evaluator() {
    static ACF_TCL_SCRIPT_EVALUATOR evaluator;
    return &evaluator;
}
