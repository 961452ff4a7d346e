#include "suite/messages/msg.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

namespace {

std::mutex& log_mutex() {
    static std::mutex m;
    return m;
}
std::vector<MSG_LOG_ENTRY>& the_log() {
    static std::vector<MSG_LOG_ENTRY> log;
    return log;
}
std::deque<int>& answers() {
    static std::deque<int> queue;
    return queue;
}
// Never destroyed: the libraries that register identifiers name no dependency on
// this one, so their registrars may be destroyed after this library's statics.
std::map<unsigned, MSG_POST_TYPE>& registry() {
    static auto* ids = new std::map<unsigned, MSG_POST_TYPE>;
    return *ids;
}
MSG_QUESTION_HANDLER& question_handler() {
    static MSG_QUESTION_HANDLER handler;
    return handler;
}
MSG_INTERNAL_ERROR::HOOK& internal_error_hook() {
    static MSG_INTERNAL_ERROR::HOOK hook;
    return hook;
}

char const* severity_word(char severity) {
    switch (severity) {
    case 'E':
        return "Error";
    case 'W':
        return "Warning";
    case 'Q':
        return "Question";
    case 'D':
        return "Debug";
    default:
        return "Info";
    }
}

// Parses "%N!x!" placeholders; returns the type letter per position (1-based).
std::map<int, char> placeholder_types(char const* format) {
    std::map<int, char> types;
    for (char const* p = format; *p; ++p) {
        if (p[0] != '%' || p[1] < '1' || p[1] > '9') {
            continue;
        }
        char* end = nullptr;
        long n = std::strtol(p + 1, &end, 10);
        if (end[0] == '!' && end[1] && end[2] == '!') {
            types[static_cast<int>(n)] = end[1];
        }
    }
    return types;
}

void print_tree(MSG_BASE const& m, int depth) {
    std::string indent(static_cast<size_t>(depth) * 4, ' ');
    std::printf("%s%s\n", indent.c_str(), msg_format_line(m).c_str());
    {
        std::lock_guard<std::mutex> lock(log_mutex());
        the_log().push_back({m.get_severity(), m.get_id(), m.get_text(), depth});
    }
    for (MSG_BASE const* sub : m.get_sub_messages()) {
        if (!sub->is_null()) {
            print_tree(*sub, depth + 1);
        }
    }
}

} // namespace

MSG_BASE::MSG_BASE(char severity) : m_severity(severity) {}

MSG_BASE::~MSG_BASE() {
    for (MSG_BASE* sub : m_subs) {
        delete sub;
    }
}

void MSG_BASE::fill_args(char const* format, ...) {
    va_list args;
    va_start(args, format);
    vfill_args(format, args);
    va_end(args);
}

namespace {
// A template ends with "/<severity letters><NAME>", the message's identifier
// text, which is not shown. Returns the length of the template without it.
size_t shown_length(std::string const& format) {
    size_t slash = format.rfind('/');
    if (slash == std::string::npos || slash + 2 >= format.size()) {
        return format.size();
    }
    for (size_t i = slash + 1; i < format.size(); ++i) {
        char c = format[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) {
            return format.size();
        }
    }
    return slash;
}
} // namespace

void MSG_BASE::vfill_args(char const* format, va_list args) {
    if (format == nullptr) {
        m_text.clear();
        return;
    }
    // Arguments come in position order; their types come from the template.
    std::map<int, char> types = placeholder_types(format);
    std::map<int, std::string> values;
    int last = types.empty() ? 0 : types.rbegin()->first;
    for (int i = 1; i <= last; ++i) {
        auto t = types.find(i);
        char type = t == types.end() ? 's' : t->second;
        if (type == 'd' || type == 'i') {
            values[i] = std::to_string(va_arg(args, int));
        } else if (type == 'u') {
            values[i] = std::to_string(va_arg(args, unsigned));
        } else {
            char const* s = va_arg(args, char const*);
            values[i] = s ? s : "";
        }
    }
    std::string shown(format);
    shown.resize(shown_length(shown));
    std::string text;
    for (char const* p = shown.c_str(); *p;) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            char* end = nullptr;
            long n = std::strtol(p + 1, &end, 10);
            if (end[0] == '!' && end[1] && end[2] == '!') {
                text += values[static_cast<int>(n)];
                p = end + 3;
                continue;
            }
        }
        text += *p++;
    }
    m_text = std::move(text);
}

void MSG_BASE::add_sub_message(MSG_BASE* sub) {
    if (sub != nullptr) {
        m_subs.push_back(sub);
    }
}

bool MSG_BASE::post() {
    if (!is_null()) {
        print_tree(*this, 0);
        std::fflush(stdout);
    }
    return true;
}

int MSG_BASE::show() {
    post();
    return MSG_ANSWER_YES;
}

int MSG_YN::show() {
    post();
    {
        std::lock_guard<std::mutex> lock(log_mutex());
        if (!answers().empty()) {
            int answer = answers().front();
            answers().pop_front();
            return answer;
        }
    }
    return question_handler() ? question_handler()(*this) : MSG_ANSWER_NO;
}

void MSG_D::set_component(char const* component, MSG_D_LEVEL level) {
    m_component = component ? component : "";
    m_level = level;
}

void MSG_D::vformat_text(char const* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = format ? std::vsnprintf(nullptr, 0, format, measure) : 0;
    va_end(measure);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(&text[0], text.size() + 1, format, args);
    }
    set_text(std::move(text));
}

MSG_D* msg_new_debug(char const* component, MSG_D_LEVEL level, char const* format, va_list args) {
    MSG_D* message = new MSG_D();
    message->vformat_text(format, args);
    message->set_component(component, level);
    return message;
}

bool MSG_D::post() { return msg_local_debug(m_component.c_str(), m_level, "%s", get_text().c_str()); }

bool msg_post(MSG_POST* message, MSG_REPORT* /*report*/) {
    return message != nullptr && message->post();
}

MSG_INDEX* MSG_INDEX::get_default_index() {
    static MSG_INDEX index;
    return &index;
}

bool MSG_INDEX::is_suppressed(unsigned int id) {
    return m_lookup != nullptr && m_lookup->is_suppressed(id);
}

bool MSG_INDEX::is_registered(unsigned int id, MSG_POST_TYPE* type) const {
    std::lock_guard<std::mutex> lock(log_mutex());
    auto it = registry().find(id);
    if (it == registry().end()) {
        return false;
    }
    if (type != nullptr) {
        *type = it->second;
    }
    return true;
}

namespace {

// Ids of the message system's own warnings about suppression lists.
unsigned const MSG_ID_SUPPRESSION_UNKNOWN_ID = 10001;
unsigned const MSG_ID_SUPPRESSION_OF_ERROR = 10002;

MSG_POST* check_suppression(MSG_INDEX const& index, unsigned int id, char const* where) {
    MSG_POST_TYPE type = MSG_POST_TYPE_INFO;
    if (index.is_registered(id, &type) && type != MSG_POST_TYPE_ERROR) {
        return nullptr;
    }
    MSG_W* warning = new MSG_W();
    if (index.is_registered(id)) {
        warning->fill_args("Message ID %1!d! is an error message and cannot be suppressed %2!s!"
                           "/WMSG_SUPPRESSION_OF_ERROR",
                           static_cast<int>(id), where);
        warning->set_id(MSG_ID_SUPPRESSION_OF_ERROR);
    } else {
        warning->fill_args("Message ID %1!d! is not a known message ID and cannot be suppressed "
                           "%2!s!/WMSG_SUPPRESSION_UNKNOWN_ID",
                           static_cast<int>(id), where);
        warning->set_id(MSG_ID_SUPPRESSION_UNKNOWN_ID);
    }
    return warning;
}

} // namespace

MSG_POST* MSG_INDEX::check_project_suppression(unsigned int id, MSG_REPORT* /*report*/) const {
    return check_suppression(*this, id, "for the project");
}

MSG_POST* MSG_INDEX::check_instance_suppression(unsigned int id, MSG_REPORT* /*report*/) const {
    return check_suppression(*this, id, "for an instance");
}

MSG_ID_REGISTRAR::MSG_ID_REGISTRAR(unsigned const* ids, MSG_POST_TYPE const* types, int count)
    : m_ids(ids), m_count(count) {
    std::lock_guard<std::mutex> lock(log_mutex());
    for (int i = 0; i < count; ++i) {
        registry()[ids[i]] = types[i];
    }
}

MSG_ID_REGISTRAR::~MSG_ID_REGISTRAR() {
    std::lock_guard<std::mutex> lock(log_mutex());
    for (int i = 0; i < m_count; ++i) {
        registry().erase(m_ids[i]);
    }
}

void MSG_INTERNAL_ERROR::report(char const* condition, char const* subsystem, char const* file,
                                int line) {
    if (internal_error_hook()) {
        internal_error_hook()(condition, subsystem, file, line);
        return;
    }
    std::fprintf(stderr, "Internal Error: Sub-system: %s, File: %s, Line: %d\n%s\n",
                 subsystem ? subsystem : "", file ? file : "", line, condition ? condition : "");
    std::fflush(stderr);
}

void MSG_INTERNAL_ERROR::set_hook(HOOK hook) { internal_error_hook() = std::move(hook); }

bool msg_local_vdebug(char const* tag, MSG_D_LEVEL /*level*/, char const* format, va_list args) {
    if (std::getenv("TESSALY_DEBUG") == nullptr) {
        return true;
    }
    std::fprintf(stderr, "%s: ", tag ? tag : "");
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    return true;
}

bool msg_local_debug(char const* tag, MSG_D_LEVEL level, char const* format, ...) {
    va_list args;
    va_start(args, format);
    bool result = msg_local_vdebug(tag, level, format, args);
    va_end(args);
    return result;
}

int msg_exe_main(int argc, char** argv, int (*main_func)(int, char**)) {
    int status = main_func(argc, argv);
    std::fflush(stdout);
    return status;
}

void msg_set_stack_size(unsigned long /*size*/) {}

std::vector<MSG_LOG_ENTRY> msg_log_entries() {
    std::lock_guard<std::mutex> lock(log_mutex());
    return the_log();
}

void msg_log_clear() {
    std::lock_guard<std::mutex> lock(log_mutex());
    the_log().clear();
}

void msg_queue_answer(int answer) {
    std::lock_guard<std::mutex> lock(log_mutex());
    answers().push_back(answer);
}

void msg_set_question_handler(MSG_QUESTION_HANDLER handler) {
    question_handler() = std::move(handler);
}

std::string msg_format_line(MSG_BASE const& message) {
    std::string line = severity_word(message.get_severity());
    line += " (" + std::to_string(message.get_id()) + "): " + message.get_text();
    return line;
}
