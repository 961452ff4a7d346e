#include "acf_manager_reader.h"

#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_legality.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "mem_manager.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstdlib>

MEM_UNIT_INITIALIZER(ACF);

std::optional<std::string> acf_clone_string_if_not_null(char const* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

void ACF_MGR_ASGN_LINE::add_argument(ACF_ARGUMENT_TYPE_ENUM type, char const* value) {
    if (type == ACF_ARGUMENT_TYPE_NONE) {
        return;
    }
    m_arguments.emplace_back(type, value != nullptr ? value : "");
}

namespace {

// One character as the tokeniser sees it. A backslash before a double quote or a
// backslash makes that character plain text, so an escaped quote never opens or
// closes a quoted group; before any other character the backslash is dropped and
// the character keeps its meaning (an escaped blank still separates words). A
// lone backslash at the end of the line stays.
struct SCANNED_CHAR {
    char c;
    bool plain;
    int width;
};

SCANNED_CHAR scan_at(char const* buffer, size_t at) {
    if (buffer[at] == '\\' && buffer[at + 1] != '\0') {
        char next = buffer[at + 1];
        return {next, next == '"' || next == '\\', 2};
    }
    return {buffer[at], false, 1};
}

bool is_delimiter(SCANNED_CHAR const& s) {
    return !s.plain && (s.c == ' ' || s.c == '\t' || s.c == '\r' || s.c == '\n');
}

bool is_quote(SCANNED_CHAR const& s) {
    return !s.plain && s.c == '"';
}

// The text field an option word sets, or null when the word names none.
using TEXT_GETTER = char const* (ACF_MGR_ASGN_LINE::*)() const;
using TEXT_SETTER = void (ACF_MGR_ASGN_LINE::*)(char const*);
struct TEXT_OPTION {
    char const* word;
    TEXT_GETTER get;
    TEXT_SETTER set;
};
TEXT_OPTION const text_options[] = {
    {"-name", &ACF_MGR_ASGN_LINE::get_name, &ACF_MGR_ASGN_LINE::set_name},
    {"-from", &ACF_MGR_ASGN_LINE::get_from, &ACF_MGR_ASGN_LINE::set_from},
    {"-to", &ACF_MGR_ASGN_LINE::get_to, &ACF_MGR_ASGN_LINE::set_to},
    {"-value", &ACF_MGR_ASGN_LINE::get_value, &ACF_MGR_ASGN_LINE::set_value},
    {"-entity", &ACF_MGR_ASGN_LINE::get_entity, &ACF_MGR_ASGN_LINE::set_entity},
    {"-section_id", &ACF_MGR_ASGN_LINE::get_section_id, &ACF_MGR_ASGN_LINE::set_section_id},
    {"-comment", &ACF_MGR_ASGN_LINE::get_comment, &ACF_MGR_ASGN_LINE::set_comment},
};

TEXT_OPTION const* find_text_option(char const* word) {
    for (TEXT_OPTION const& option : text_options) {
        if (gen_stricmp(word, option.word) == 0) {
            return &option;
        }
    }
    return nullptr;
}

// A `source` name made absolute against the directory of the file naming it.
std::string resolve_source_name(std::string const& directory, std::string const& name) {
    if (!name.empty() && name[0] == '/') {
        return FIO_PATH(name).full_path();
    }
    return FIO_PATH(directory, name).full_path();
}

} // namespace

ACF_MANAGER_READER::ACF_MANAGER_READER() = default;

ACF_MANAGER_READER::~ACF_MANAGER_READER() {
    clear_assignments();
    get_post_messages(nullptr);
}

void ACF_MANAGER_READER::read_file(char const* file_name, bool quiet,
                                   std::list<std::string>* include_list, bool keep_this_file_out,
                                   bool keep_included_out) {
    if (!ACF_REQUIRE(file_name != NULL)) {
        return;
    }
    std::string full_path = FIO_PATH(file_name).full_path();
    if (!m_files_read.insert(full_path).second) {
        return; // read already, or a `source` cycle
    }
    FIO_PATH path(full_path);
    if (!FIO_FILE_SYSTEM::exists(path) || FIO_FILE_SYSTEM::is_directory(path)) {
        return;
    }
    FILE* file = std::fopen(full_path.c_str(), "r");
    if (file == nullptr) {
        return;
    }
    m_file_names.push_back(full_path);
    ++m_file_index;
    size_t first = m_all_lines.size();
    m_line_number = 0;
    read_lines(file, quiet);
    std::fclose(file);

    std::string directory = path.directory();
    size_t end = m_all_lines.size();
    for (size_t i = first; i < end; ++i) {
        ACF_MGR_ASGN_LINE* line = m_all_lines[i].get();
        if (!keep_this_file_out) {
            m_kept_lines.push_back(line);
        }
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) && line->get_source_file() != nullptr) {
            std::string sourced = resolve_source_name(directory, line->get_source_file());
            if (include_list != nullptr) {
                include_list->push_back(sourced);
            }
            read_file(sourced.c_str(), quiet, include_list, keep_included_out, keep_included_out);
        }
    }
}

// Every physical line is processed, also the empty one after a final line break.
void ACF_MANAGER_READER::read_lines(FILE* file, bool quiet) {
    char* buffer = nullptr;
    size_t capacity = 0;
    for (;;) {
        ++m_line_number;
        ssize_t length = getline(&buffer, &capacity, file);
        if (length < 0) {
            char empty[1] = {'\0'};
            process_one_line_from_file(empty, quiet);
            break;
        }
        bool line_break = buffer[length - 1] == '\n';
        if (line_break) {
            buffer[length - 1] = '\0';
        }
        process_one_line_from_file(buffer, quiet);
        if (!line_break) {
            break;
        }
    }
    std::free(buffer);
}

void ACF_MANAGER_READER::process_one_line_from_file(char* buffer, bool quiet) {
    if (!ACF_REQUIRE(buffer != NULL)) {
        return;
    }
    std::string text(buffer);
    tokenize(buffer, text);
    if (m_token_overflow) {
        handle_error(text.c_str());
        return;
    }
    if (m_token_count == 0) {
        return;
    }

    // Empty tokens before the command add nothing to it.
    int32_t command = 0;
    while (command < m_token_count && m_tokens[command][0] == '\0') {
        ++command;
    }
    bool variable_specific = false;
    if (command == m_token_count ||
        !acf_is_valid_tcl_set_command(m_tokens[command], &variable_specific)) {
        if (gen_stricmp(m_tokens[0], "source") == 0) {
            if (m_token_count != 2) {
                handle_error(text.c_str());
                return;
            }
            auto* line = MEM_NEW(ACF, ACF_MGR_ASGN_LINE)(
                m_file_index, m_line_number,
                ACF_MGR_ASGN_LINE::FLAG_SOURCE | ACF_MGR_ASGN_LINE::FLAG_VERBATIM, std::move(text));
            line->set_source_file(m_tokens[1]);
            append_line(line);
        } else if (!quiet) {
            handle_error(text.c_str());
        }
        return;
    }

    std::unique_ptr<ACF_MGR_ASGN_LINE> line(
        MEM_NEW(ACF, ACF_MGR_ASGN_LINE)(m_file_index, m_line_number, 0, std::move(text)));
    if (gen_stricmp(m_tokens[command], "set_parameter") == 0) {
        line->set_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER);
    }
    if (variable_specific) {
        for (ACF_TCL_SET_TO_VAR_INFO const* info = acf_tcl_set_to_var_info;
             info->command[0] != '\0'; ++info) {
            if (gen_stricmp(info->command, m_tokens[command]) == 0) {
                line->set_name(acf_get_variable_user_name(info->variable));
                break;
            }
        }
    }
    bool error = !read_options(line.get(), command + 1);
    if (error || !check_assignment_line(line.get(), quiet, &error)) {
        if (error) {
            handle_error(line->get_text().c_str());
        }
        return;
    }
    append_line(line.release());
}

bool ACF_MANAGER_READER::read_options(ACF_MGR_ASGN_LINE* line, int32_t first) {
    int32_t i = first;
    while (i < m_token_count) {
        char const* token = m_tokens[i];
        char const* next = i + 1 < m_token_count ? m_tokens[i + 1] : nullptr;
        if (token[0] == '\0') {
            ++i;
            continue;
        }
        if (gen_stricmp(token, "-disable") == 0) {
            line->set_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED);
            ++i;
            continue;
        }
        if (gen_stricmp(token, "-remove") == 0) {
            line->set_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE);
            ++i;
            continue;
        }
        if (token[0] != '-') {
            if (line->get_value() != nullptr) {
                return false; // a second bare word
            }
            line->set_value(token);
            ++i;
            continue;
        }
        if (next != nullptr) {
            if (TEXT_OPTION const* option = find_text_option(token)) {
                if ((line->*(option->get))() != nullptr) {
                    return false; // given twice
                }
                (line->*(option->set))(next);
                i += 2;
                continue;
            }
        }
        ACF_ARGUMENT_TYPE_ENUM argument = acf_convert_argument_string_to_enum(token + 1);
        if (argument != ACF_ARGUMENT_TYPE_NONE) {
            if (!acf_does_argument_require_value(argument)) {
                line->add_argument(argument, nullptr);
                ++i;
            } else if (next != nullptr) {
                line->add_argument(argument, next);
                i += 2;
            } else {
                return false; // the argument's value is missing
            }
            continue;
        }
        // A word that names no option, such as a negative number, is the value.
        if (line->get_value() != nullptr) {
            return false;
        }
        line->set_value(token);
        ++i;
    }
    return true;
}

bool ACF_MANAGER_READER::check_assignment_line(ACF_MGR_ASGN_LINE* line, bool quiet, bool* error) {
    char const* name = line->get_name();
    if (name == nullptr) {
        return true; // the storage reports the missing name
    }
    if (acf_is_obsolete_assignment_name(name)) {
        if (!quiet) {
            m_messages.push_back(MSG_ACF::I::OBSOLETED_ASSIGNMENT_REMOVED(name));
            m_flags |= FLAG_ASSIGNMENT_DROPPED;
        }
        return false;
    }
    if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER)) {
        return true;
    }
    ACF_VARIABLE_TYPE_ENUM variable = acf_user_name_to_variable_type_enum(name);
    if (variable == ACF_VARIABLE_TYPE_NONE) {
        *error = true;
        return false;
    }
    // IP-file arguments belong to transient assignments, never to a settings file.
    bool dropped = false;
    for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : line->get_arguments()) {
        if (argument.first == ACF_ARGUMENT_TYPE_TIP || argument.first == ACF_ARGUMENT_TYPE_SIP) {
            m_messages.push_back(MSG_ACF::W::ILLEGAL_ARGUMENT_IN_CONTEXT_ASSIGNMENT_REMOVED(
                name, acf_convert_argument_to_string(argument.first)));
            dropped = true;
        }
    }
    if (dropped) {
        m_flags |= FLAG_ASSIGNMENT_DROPPED;
        return false;
    }
    bool has_section_id = line->get_section_id() != nullptr;
    bool has_entity = line->get_entity() != nullptr;
    for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : line->get_arguments()) {
        bool valid =
            acf_is_argument_valid_for_variable(variable, has_section_id, has_entity,
                                               argument.first) ||
            acf_is_argument_valid_for_variable(variable, has_section_id, true, argument.first);
        bool needs_value = acf_does_argument_require_value(argument.first);
        if (!valid || needs_value == argument.second.empty()) {
            *error = true;
            return false;
        }
    }
    return true;
}

void ACF_MANAGER_READER::tokenize_buffer(char* buffer) {
    if (!ACF_REQUIRE(buffer != NULL)) {
        return;
    }
    std::string text(buffer);
    tokenize(buffer, text);
}

// Splits in place: tokens are written back into the buffer (escapes removed,
// quotes dropped) and each is ended by a NUL. Writing never overtakes reading,
// since every character written was read at or after its position.
void ACF_MANAGER_READER::tokenize(char* buffer, std::string const& text) {
    m_token_count = 0;
    m_token_overflow = false;
    size_t read = 0;
    size_t write = 0;
    bool any_word = false;
    for (;;) {
        SCANNED_CHAR s = scan_at(buffer, read);
        while (s.c != '\0' && is_delimiter(s)) {
            read += s.width;
            s = scan_at(buffer, read);
        }
        if (s.c == '\0') {
            break;
        }
        any_word = true;
        if (s.c == '#') {
            if (m_token_count == 0) {
                // A comment line; anything after stored tokens is ignored.
                append_line(MEM_NEW(ACF, ACF_MGR_ASGN_LINE)(
                    m_file_index, m_line_number, ACF_MGR_ASGN_LINE::FLAG_VERBATIM, text));
            }
            break;
        }
        char* token = buffer + write;

        if (!is_quote(s)) {
            while (s.c != '\0' && !is_delimiter(s)) {
                buffer[write++] = s.c;
                read += s.width;
                s = scan_at(buffer, read);
            }
        } else {
            // A quoted group. It closes at the end of its first word when that
            // word ends in a quote (two quotes give an empty token); else the
            // blank or tab after that word becomes one blank and the group runs,
            // unchanged, to the next quote or the end of the line.
            read += s.width;
            size_t content = write;
            bool ends_in_quote = false;
            s = scan_at(buffer, read);
            while (s.c != '\0' && !is_delimiter(s)) {
                buffer[write++] = s.c;
                ends_in_quote = is_quote(s);
                read += s.width;
                s = scan_at(buffer, read);
            }
            if (ends_in_quote) {
                --write;
            } else if (s.c == '\0') {
                if (write == content) {
                    break; // an empty group at the end of the line is no token
                }
            } else {
                read += s.width;
                buffer[write++] = ' ';
                s = scan_at(buffer, read);
                while (s.c != '\0' && !is_quote(s)) {
                    buffer[write++] = s.c;
                    read += s.width;
                    s = scan_at(buffer, read);
                }
                // The closing quote is consumed like a delimiter below.
            }
        }
        if (s.c != '\0') {
            read += s.width;
        }
        buffer[write++] = '\0';
        if (!store_token(token)) {
            return;
        }
        if (s.c == '\0') {
            break;
        }
    }
    if (!any_word) {
        append_line(MEM_NEW(ACF, ACF_MGR_ASGN_LINE)(m_file_index, m_line_number,
                                                    ACF_MGR_ASGN_LINE::FLAG_VERBATIM, text));
    }
    // catch { <command> } <variable>: the command alone.
    if (m_token_count > 3 && gen_stricmp(m_tokens[0], "catch") == 0) {
        for (int32_t i = 2; i < m_token_count - 2; ++i) {
            m_tokens[i - 2] = m_tokens[i];
        }
        m_token_count -= 4;
    }
}

bool ACF_MANAGER_READER::store_token(char* token) {
    if (m_token_count == MAX_TOKENS) {
        m_token_overflow = true;
        return false;
    }
    m_tokens[m_token_count++] = token;
    return true;
}

void ACF_MANAGER_READER::handle_error(char const* text) {
    append_line(MEM_NEW(ACF, ACF_MGR_ASGN_LINE)(
        m_file_index, m_line_number, ACF_MGR_ASGN_LINE::FLAG_ERROR, text != nullptr ? text : ""));
}

void ACF_MANAGER_READER::append_line(ACF_MGR_ASGN_LINE* line) {
    m_all_lines.emplace_back(line);
}

char const* ACF_MANAGER_READER::get_file_name(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_file_names.size()) {
        return nullptr;
    }
    return m_file_names[index].c_str();
}

void ACF_MANAGER_READER::get_post_messages(std::list<MSG_POST*>* messages) {
    if (messages != nullptr) {
        messages->splice(messages->end(), m_messages);
        return;
    }
    for (MSG_POST* message : m_messages) {
        delete message;
    }
    m_messages.clear();
}

void ACF_MANAGER_READER::clear_assignments() {
    m_kept_lines.clear();
    m_all_lines.clear();
    m_file_names.clear();
    m_file_index = -1;
    m_line_number = -1;
}
