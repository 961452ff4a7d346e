#include "suite/projectctl/pjc_project.h"

#include "suite/fileio/fio.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

// The descriptions file: a first line naming the format and its version, then
// per revision
//   REVISION <name length> <number of texts>
//   <name>
// and per text
//   TEXT <length>
//   <text>
// Lengths count bytes, and each name and text is followed by one line break
// of its own, so any byte may stand in them.
namespace {

char const* const file_name = "revision_descriptions.trd";
char const* const format_line = "TESSALY_REVISION_DESCRIPTIONS";
int const format_version = 1;

using ENTRIES = std::vector<std::pair<std::string, PJC_PROJECT::STRING_LIST>>;

class READER {
public:
    explicit READER(std::string const& content) : m_content(content) {}

    // The next line without its line break; false at the end.
    bool line(std::string* out) {
        size_t end = m_content.find('\n', m_pos);
        if (end == std::string::npos) {
            return false;
        }
        *out = m_content.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }
    // `length` bytes followed by a line break.
    bool bytes(size_t length, std::string* out) {
        if (m_content.size() - m_pos < length + 1 || m_content[m_pos + length] != '\n') {
            return false;
        }
        *out = m_content.substr(m_pos, length);
        m_pos += length + 1;
        return true;
    }
    bool at_end() const { return m_pos == m_content.size(); }

private:
    std::string const& m_content;
    size_t m_pos = 0;
};

// "<keyword> <n>..." with decimal numbers only; false for anything else.
bool numbers_after(std::string const& line, std::string const& keyword, size_t count,
                   std::vector<size_t>* out) {
    if (line.compare(0, keyword.size() + 1, keyword + " ") != 0) {
        return false;
    }
    size_t pos = keyword.size() + 1;
    for (size_t i = 0; i < count; ++i) {
        size_t end = line.find(' ', pos);
        std::string digits = line.substr(pos, end == std::string::npos ? end : end - pos);
        if (digits.empty() || digits.size() > 12 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        out->push_back(std::strtoull(digits.c_str(), nullptr, 10));
        if ((end == std::string::npos) != (i + 1 == count)) {
            return false;
        }
        pos = end + 1;
    }
    return true;
}

bool parse(std::string const& content, ENTRIES* entries) {
    READER reader(content);
    std::string line;
    std::vector<size_t> version;
    if (!reader.line(&line) || !numbers_after(line, format_line, 1, &version) ||
        version[0] != static_cast<size_t>(format_version)) {
        return false;
    }
    while (!reader.at_end()) {
        std::vector<size_t> sizes;
        std::string name;
        if (!reader.line(&line) || !numbers_after(line, "REVISION", 2, &sizes) ||
            !reader.bytes(sizes[0], &name)) {
            return false;
        }
        PJC_PROJECT::STRING_LIST texts;
        for (size_t i = 0; i < sizes[1]; ++i) {
            std::vector<size_t> length;
            std::string text;
            if (!reader.line(&line) || !numbers_after(line, "TEXT", 1, &length) ||
                !reader.bytes(length[0], &text)) {
                return false;
            }
            texts.push_back(std::move(text));
        }
        entries->emplace_back(std::move(name), std::move(texts));
    }
    return true;
}

std::string format(ENTRIES const& entries) {
    std::string out = std::string(format_line) + " " + std::to_string(format_version) + "\n";
    for (auto const& entry : entries) {
        out += "REVISION " + std::to_string(entry.first.size()) + " " +
               std::to_string(entry.second.size()) + "\n" + entry.first + "\n";
        for (std::string const& text : entry.second) {
            out += "TEXT " + std::to_string(text.size()) + "\n" + text + "\n";
        }
    }
    return out;
}

// The entries of the file; an absent file has none. False when it exists and
// cannot be read or parsed.
bool load(std::string const& path, ENTRIES* entries) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(path))) {
        return true;
    }
    std::string content;
    return FIO_FILE_SYSTEM::read_file(FIO_PATH(path), content) && parse(content, entries);
}

} // namespace

PJC_PROJECT::PJC_PROJECT(std::string project_dir) : m_dir(std::move(project_dir)) {}

std::string PJC_PROJECT::description_file(char const* project_dir) {
    return FIO_PATH(project_dir != nullptr ? project_dir : "", file_name).path();
}

bool PJC_PROJECT::get_description(char const* revision, char const* project_dir,
                                  STRING_LIST* lines) {
    ENTRIES entries;
    if (revision == nullptr || lines == nullptr || !load(description_file(project_dir), &entries)) {
        return false;
    }
    for (auto const& entry : entries) {
        if (entry.first == revision) {
            lines->insert(lines->end(), entry.second.begin(), entry.second.end());
            break;
        }
    }
    return true;
}

bool PJC_PROJECT::get_descriptions(char const* project_dir,
                                   std::map<std::string, STRING_LIST>* descriptions) {
    ENTRIES entries;
    if (descriptions == nullptr || !load(description_file(project_dir), &entries)) {
        return false;
    }
    for (auto& entry : entries) {
        descriptions->emplace(std::move(entry.first), std::move(entry.second));
    }
    return true;
}

bool PJC_PROJECT::set_description(char const* revision, char const* project_dir,
                                  STRING_LIST const& lines) {
    std::string path = description_file(project_dir);
    ENTRIES entries;
    if (revision == nullptr || !load(path, &entries)) {
        return false;
    }
    auto entry = std::find_if(entries.begin(), entries.end(),
                              [revision](auto const& e) { return e.first == revision; });
    if (entry == entries.end() && lines.empty()) {
        return true;
    }
    if (entry == entries.end()) {
        entries.emplace_back(revision, lines);
    } else if (lines.empty()) {
        entries.erase(entry);
    } else {
        entry->second = lines;
    }
    return FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(path), format(entries));
}

bool PJC_PROJECT::copy_sdc_file(char const* revision, char const* base, std::string* failed) const {
    if (revision == nullptr || base == nullptr) {
        return false;
    }
    FIO_PATH from(m_dir, std::string(base) + ".sdc");
    FIO_PATH to(m_dir, std::string(revision) + ".sdc");
    if (!FIO_FILE_SYSTEM::exists(from) || FIO_FILE_SYSTEM::exists(to)) {
        return true;
    }
    if (FIO_FILE_SYSTEM::copy(from, to, false)) {
        return true;
    }
    if (failed != nullptr) {
        *failed = to.path();
    }
    return false;
}
