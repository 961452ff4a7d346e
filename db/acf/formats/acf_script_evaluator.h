// What the settings store needs from Tcl to source a script or IP file into a
// revision, as an interface: the store (above) keeps the checks of the file,
// the nesting and the messages; the Tcl layer implements the evaluation in
// the suite's shared interpreter and installs it when the library's Tcl
// package is registered, as the library is loaded.
#pragma once

#include <string>

class ACF_SCRIPT_EVALUATOR {
public:
    virtual ~ACF_SCRIPT_EVALUATOR();

    // The suite's shared interpreter, made (with its startup packages, which
    // carry the assignment commands) when it is not yet; false when there is
    // none.
    virtual bool open_interpreter() = 0;
    // Around the outermost script: the project commands moved aside, what the
    // assignment commands set held as transient, the script's globals those of
    // the interpreter; and all of it undone.
    virtual void begin_sourcing() = 0;
    virtual void end_sourcing() = 0;
    // The mode the assignment commands tag what they set with: a settings
    // script (`mode_word` empty), or an IP file ("tip", "sip") at `path` in
    // `directory`; and the IP file's folder forgotten when it ends.
    virtual void enter_mode(std::string const& mode_word, std::string const& path,
                            std::string const& directory) = 0;
    virtual void leave_mode(std::string const& mode_word) = 0;
    // Evaluates the text of the script file `file` as `source` evaluates a
    // file; false on an error, with its trace in `error_info`.
    virtual bool evaluate_script(std::string const& file, std::string const& text,
                                 std::string* error_info) = 0;
};

// The evaluator the stores source scripts with; null until one is installed.
ACF_SCRIPT_EVALUATOR* acf_script_evaluator();
void acf_set_script_evaluator(ACF_SCRIPT_EVALUATOR* evaluator);
