#include "suite/wizman/wizman.h"

#include "suite/wizman/wizman_files.h"

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <vector>

char const* const WIZMAN_HEADER_MARK = "-- VestaWizard variation file";
char const* const WIZMAN_RETRIEVAL_INSTANCE = "-- Retrieval info: <instance";
size_t const WIZMAN_HEADER_READ_LIMIT = 1 << 20;

namespace {

std::string trimmed(std::string const& s) {
    size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The header text of one line ("-- ..."), "" for a blank line, or false when the
// line is not part of a header.
bool header_text(std::string const& line, std::string& text) {
    text = trimmed(line);
    if (text.compare(0, 2, "//") == 0) {
        text = trimmed(text.substr(2));
        return true;
    }
    return text.empty() || text.compare(0, 2, "--") == 0;
}

// Position of the value of `name="..."` in `line`, and its length; false when absent.
bool find_attribute(std::string const& line, std::string const& name, size_t& start,
                    size_t& length) {
    std::string key = " " + name + "=\"";
    size_t at = line.find(key);
    if (at == std::string::npos) {
        return false;
    }
    start = at + key.size();
    size_t end = line.find('"', start);
    if (end == std::string::npos) {
        return false;
    }
    length = end - start;
    return true;
}

std::string attribute(std::string const& line, std::string const& name) {
    size_t start = 0;
    size_t length = 0;
    return find_attribute(line, name, start, length) ? line.substr(start, length) : std::string();
}

// Calls `visit(offset, line, text)` for each header line of `text`.
void for_each_header_line(
    std::string const& text,
    std::function<void(size_t offset, std::string const& line, std::string const& header)> visit) {
    size_t offset = 0;
    while (offset < text.size()) {
        size_t end = text.find('\n', offset);
        std::string line = text.substr(offset, end == std::string::npos ? end : end - offset);
        std::string header;
        if (!header_text(line, header)) {
            return;
        }
        visit(offset, line, header);
        if (end == std::string::npos) {
            return;
        }
        offset = end + 1;
    }
}

bool is_instance_line(std::string const& header) {
    return header.compare(0, std::char_traits<char>::length(WIZMAN_RETRIEVAL_INSTANCE),
                          WIZMAN_RETRIEVAL_INSTANCE) == 0;
}

} // namespace

WIZMAN_HEADER wizman_read_header(std::string const& text) {
    WIZMAN_HEADER result;
    for_each_header_line(text, [&](size_t, std::string const&, std::string const& header) {
        if (header == WIZMAN_HEADER_MARK) {
            result.wizard_generated = true;
        } else if (is_instance_line(header)) {
            result.has_instance = true;
            result.entity_name = attribute(header, "entity-name");
            result.version = attribute(header, "version");
            result.marked_failing = attribute(header, "upgrade") == "fail";
        }
    });
    return result;
}

bool wizman_file_was_wizard_generated(char const* full_path) {
    std::string name;
    std::string version;
    return is_wizard_generated_file(full_path, name, version);
}

bool is_wizard_generated_file(char const* full_path, std::string& name, std::string& version) {
    std::string text;
    std::string why;
    if (full_path == nullptr ||
        !wizman_read_regular_file(full_path, text, why, WIZMAN_HEADER_READ_LIMIT)) {
        return false;
    }
    WIZMAN_HEADER header = wizman_read_header(text);
    if (header.wizard_generated) {
        name = header.entity_name;
        version = header.version;
    }
    return header.wizard_generated;
}

WIZMAN_FILE_KIND wizman_check_variation_file(std::string const& path, std::string& why) {
    std::string text;
    if (wizman_read_regular_file(path, text, why, WIZMAN_HEADER_READ_LIMIT)) {
        return wizman_read_header(text).wizard_generated ? WIZMAN_FILE_KIND::VARIATION
                                                         : WIZMAN_FILE_KIND::OTHER;
    }
    struct stat st;
    bool there = stat(path.c_str(), &st) == 0 ? S_ISREG(st.st_mode) : errno != ENOENT;
    return there ? WIZMAN_FILE_KIND::UNREADABLE : WIZMAN_FILE_KIND::OTHER;
}

bool wizman_set_header_version(std::string& text, std::string const& version) {
    // Collect the value positions first, then replace from the last one so the
    // earlier positions stay valid.
    std::vector<std::pair<size_t, size_t>> values;
    for_each_header_line(
        text, [&](size_t offset, std::string const& line, std::string const& header) {
            size_t start = 0;
            size_t length = 0;
            if (is_instance_line(header) && find_attribute(line, "version", start, length)) {
                values.emplace_back(offset + start, length);
            }
        });
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        text.replace(it->first, it->second, version);
    }
    return !values.empty();
}

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The end of a run of blanks starting at `at`, or npos when there is none.
size_t after_blanks(std::string const& text, size_t at) {
    size_t end = at;
    while (end < text.size() && is_blank(text[end])) {
        ++end;
    }
    return end == at ? std::string::npos : end;
}

// The end of an assignment value starting at `at`: a double-quoted text on one
// line, else a run of characters other than blanks and line ends; npos when
// neither is there.
size_t after_value(std::string const& text, size_t at) {
    if (at < text.size() && text[at] == '"') {
        size_t close = text.find_first_of("\"\n", at + 1);
        if (close != std::string::npos && text[close] == '"') {
            return close + 1;
        }
    }
    size_t end = text.find_first_of(" \t\r\n", at);
    end = end == std::string::npos ? text.size() : end;
    return end == at ? std::string::npos : end;
}

} // namespace

std::string wizman_with_tip_tool_version(std::string const& tip_text, std::string const& version) {
    static std::string const option = "-name";
    static std::string const name = "IP_TOOL_VERSION";
    std::string result;
    result.reserve(tip_text.size());
    size_t copied = 0;
    for (size_t at = tip_text.find(option); at != std::string::npos;
         at = tip_text.find(option, at)) {
        size_t name_at = after_blanks(tip_text, at + option.size());
        size_t value_at =
            name_at != std::string::npos && tip_text.compare(name_at, name.size(), name) == 0
                ? after_blanks(tip_text, name_at + name.size())
                : std::string::npos;
        size_t value_end =
            value_at == std::string::npos ? std::string::npos : after_value(tip_text, value_at);
        if (value_end == std::string::npos) {
            ++at;
            continue;
        }
        result.append(tip_text, copied, value_at - copied);
        result += '"' + version + '"';
        copied = at = value_end;
    }
    result.append(tip_text, copied, std::string::npos);
    return result;
}
