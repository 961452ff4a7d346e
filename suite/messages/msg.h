// Prefix msg: messages.
// The suite's message system: message objects by severity, posting to the
// console, identifier registration and suppression, internal-error reports and
// the local debug channel.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>
#include <vector>

// Severity of a registered identifier.
enum MSG_POST_TYPE { MSG_POST_TYPE_ERROR = 0, MSG_POST_TYPE_INFO = 1, MSG_POST_TYPE_WARNING = 2 };

// Debug levels of MSG_D; 2 is the level used when a caller gives none.
enum MSG_D_LEVEL { MSG_D_LEVEL_0 = 0, MSG_D_LEVEL_1 = 1, MSG_D_LEVEL_2 = 2, MSG_D_LEVEL_3 = 3 };

// Where a message goes; a null report means the default report, the console.
class MSG_REPORT;

// Answer codes of a question's show(); 6 is Yes, as callers expect.
enum { MSG_ANSWER_YES = 6, MSG_ANSWER_NO = 7 };

class MSG_BASE {
public:
    explicit MSG_BASE(char severity);
    virtual ~MSG_BASE();
    MSG_BASE(const MSG_BASE&) = delete;
    MSG_BASE& operator=(const MSG_BASE&) = delete;

    // Fills the text from a template with positional placeholders "%N!s!" (C string)
    // and "%N!d!" (int), then drops the trailing "/<letter><NAME>" of the template.
    void fill_args(char const* format, ...);
    void vfill_args(char const* format, va_list args);
    // Sets the text as it stands (debug messages are printf-formatted by their maker).
    void set_text(std::string text) { m_text = std::move(text); }

    void set_id(unsigned id) { m_id = id; }
    unsigned get_id() const { return m_id; }
    char get_severity() const { return m_severity; }
    std::string const& get_text() const { return m_text; }
    // A null message shows nothing when posted (suppressed information or warning).
    virtual bool is_null() const { return false; }

    // Takes ownership of the sub-message; it prints below this one, indented.
    void add_sub_message(MSG_BASE* sub);
    std::vector<MSG_BASE*> const& get_sub_messages() const { return m_subs; }

    // Posts the message: one line on standard output plus its sub-messages, and an
    // entry in the in-process log. Returns true.
    virtual bool post();
    // Shows the message; questions answer MSG_ANSWER_YES or MSG_ANSWER_NO.
    virtual int show();

private:
    char m_severity;
    unsigned m_id = 0;
    std::string m_text;
    std::vector<MSG_BASE*> m_subs;
};

// A message that can be posted to a report.
class MSG_POST : public MSG_BASE {
public:
    using MSG_BASE::MSG_BASE;
};

class MSG_E : public MSG_POST {
public:
    explicit MSG_E(MSG_REPORT* report = nullptr) : MSG_POST('E') {}
};
class MSG_W : public MSG_POST {
public:
    explicit MSG_W(MSG_REPORT* report = nullptr) : MSG_POST('W') {}
};
class MSG_I : public MSG_POST {
public:
    explicit MSG_I(MSG_REPORT* report = nullptr) : MSG_POST('I') {}
};
class MSG_O : public MSG_POST {
public:
    explicit MSG_O(MSG_REPORT* report = nullptr) : MSG_POST('O') {}
};
class MSG_I_NULL : public MSG_I {
public:
    MSG_I_NULL() = default;
    bool is_null() const override { return true; }
};
class MSG_W_NULL : public MSG_W {
public:
    MSG_W_NULL() = default;
    bool is_null() const override { return true; }
};
// A yes/no question: shown, it prints and takes the next queued answer (No when
// nothing is queued).
class MSG_YN : public MSG_POST {
public:
    explicit MSG_YN(MSG_REPORT* report = nullptr) : MSG_POST('Q') {}
    int show() override;
    // The answer a question box offers as its default button: Yes unless the
    // question's Yes destroys something.
    void set_default_answer(int answer) { m_default_answer = answer; }
    int get_default_answer() const { return m_default_answer; }

private:
    int m_default_answer = MSG_ANSWER_YES;
};
// A debug message: posted, it goes to the local debug channel.
class MSG_D : public MSG_POST {
public:
    explicit MSG_D(MSG_REPORT* report = nullptr) : MSG_POST('D') {}
    void set_component(char const* component, MSG_D_LEVEL level);
    // Sets the text from a printf-style format and its arguments.
    void vformat_text(char const* format, va_list args);
    std::string const& get_component() const { return m_component; }
    MSG_D_LEVEL get_level() const { return m_level; }
    bool post() override;

private:
    std::string m_component;
    MSG_D_LEVEL m_level = MSG_D_LEVEL_2;
};

// Posts through the given report (null: the console). Returns the post's result flag.
bool msg_post(MSG_POST* message, MSG_REPORT* report = nullptr);

// The suppression interface a library implements to switch off its messages.
class MSG_SUPPRESSION_LOOKUP {
public:
    virtual ~MSG_SUPPRESSION_LOOKUP() = default;
    virtual bool is_suppressed(unsigned int id) = 0;
};

// Index of registered identifiers; answers whether an identifier is suppressed.
class MSG_INDEX {
public:
    static MSG_INDEX* get_default_index();
    bool is_suppressed(unsigned int id);
    // The lookup consulted for suppression; null for none. Not owned.
    void set_suppression_lookup(MSG_SUPPRESSION_LOOKUP* lookup) { m_lookup = lookup; }
    MSG_SUPPRESSION_LOOKUP* get_suppression_lookup() const { return m_lookup; }
    bool is_registered(unsigned int id, MSG_POST_TYPE* type = nullptr) const;
    // The rules for an id that a project lists to switch off, everywhere or on
    // single instances: only registered information and warning messages may be
    // switched off. Null when the id is acceptable, else a warning to post,
    // owned by the caller.
    MSG_POST* check_project_suppression(unsigned int id, MSG_REPORT* report) const;
    MSG_POST* check_instance_suppression(unsigned int id, MSG_REPORT* report) const;

private:
    friend class MSG_ID_REGISTRAR;
    MSG_SUPPRESSION_LOOKUP* m_lookup = nullptr;
};

// Registers identifiers with their types for as long as it lives.
class MSG_ID_REGISTRAR {
public:
    MSG_ID_REGISTRAR(unsigned const* ids, MSG_POST_TYPE const* types, int count);
    ~MSG_ID_REGISTRAR();
    MSG_ID_REGISTRAR(const MSG_ID_REGISTRAR&) = delete;
    MSG_ID_REGISTRAR& operator=(const MSG_ID_REGISTRAR&) = delete;

private:
    unsigned const* m_ids;
    int m_count;
};

// Broken internal invariants: printed on standard error, then the caller goes on.
class MSG_INTERNAL_ERROR {
public:
    static void report(char const* condition, char const* subsystem, char const* file, int line);
    using HOOK = std::function<void(char const* condition, char const* subsystem, char const* file,
                                    int line)>;
    // Tests install a hook that records reports; an empty hook restores printing.
    static void set_hook(HOOK hook);
};

// Local debug channel: prints "<tag>: <text>" on standard error when TESSALY_DEBUG is set.
bool msg_local_vdebug(char const* tag, MSG_D_LEVEL level, char const* format, va_list args);
bool msg_local_debug(char const* tag, MSG_D_LEVEL level, char const* format, ...);

// A new debug message of `component` at `level`: the printf-style format filled
// with the arguments. The caller owns it.
MSG_D* msg_new_debug(char const* component, MSG_D_LEVEL level, char const* format, va_list args);

// The debug-message factories of a subsystem's message class: the class derives
// from MSG_DEBUG_FACTORY<itself> and names its component in a member
// `static constexpr char const* debug_component` ("ACF", "IPMAN", ...).
template <class SUBSYSTEM> class MSG_DEBUG_FACTORY {
public:
    // A debug message: the printf-style format filled with the arguments, tagged
    // with the subsystem's component and the level (2 when none is given).
    static MSG_D* DEBUG_MSG(MSG_D_LEVEL level, char const* format, ...)
        __attribute__((format(printf, 2, 3)));
    static MSG_D* DEBUG_MSG(char const* format, ...) __attribute__((format(printf, 1, 2)));
};

template <class SUBSYSTEM>
MSG_D* MSG_DEBUG_FACTORY<SUBSYSTEM>::DEBUG_MSG(MSG_D_LEVEL level, char const* format, ...) {
    va_list args;
    va_start(args, format);
    MSG_D* message = msg_new_debug(SUBSYSTEM::debug_component, level, format, args);
    va_end(args);
    return message;
}

template <class SUBSYSTEM> MSG_D* MSG_DEBUG_FACTORY<SUBSYSTEM>::DEBUG_MSG(char const* format, ...) {
    va_list args;
    va_start(args, format);
    MSG_D* message = msg_new_debug(SUBSYSTEM::debug_component, MSG_D_LEVEL_2, format, args);
    va_end(args);
    return message;
}

// Executable main of the message system: runs the program's own main, then
// flushes standard output.
int msg_exe_main(int argc, char** argv, int (*main_func)(int, char**));
void msg_set_stack_size(unsigned long size);

// The in-process log of posted messages, for tests.
struct MSG_LOG_ENTRY {
    char severity; // 'E', 'W', 'I', 'O', 'Q' or 'D'
    unsigned id;
    std::string text; // filled text, without the trailing identifier
    int depth;        // 0 for a posted message, 1 for its sub-messages, ...
};
std::vector<MSG_LOG_ENTRY> msg_log_entries();
void msg_log_clear();
// Queues the answer the next question gets (MSG_ANSWER_YES or MSG_ANSWER_NO).
void msg_queue_answer(int answer);
// How questions are asked when no answer is queued: a graphical host installs
// one that asks the user; without one the answer is No.
using MSG_QUESTION_HANDLER = std::function<int(MSG_YN const& question)>;
void msg_set_question_handler(MSG_QUESTION_HANDLER handler);
// Formats a message as the console prints it: "<Severity> (<id>): <text>".
std::string msg_format_line(MSG_BASE const& message);
