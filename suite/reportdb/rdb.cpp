#include "suite/reportdb/rdb.h"

#include "suite/fileio/fio.h"
#include "suite/messages/msg.h"

#include <cstdlib>
#include <filesystem>
#include <map>

char const* const RDB_LEGAL_STR = "Legal Notice";
char const* const RDB_REVISION_NAME = "Revision Name";
char const* const RDB_TOP_LEVEL_ENTITY_NAME = "Top-level Entity Name";
char const* const RDB_FAMILY = "Family";
char const* const RDB_REPORT_FILE_EXTENSION = ".rpt";

namespace {

char const* const FORMAT_LINE = "TESSALY-REPORT 1";

std::map<std::pair<std::string, int>, std::unique_ptr<RDB_REPORT>>& reports() {
    static std::map<std::pair<std::string, int>, std::unique_ptr<RDB_REPORT>> all;
    return all;
}

std::string store_path(std::string const& revision, int type) {
    return "db/" + revision + "." + std::to_string(type) + ".rdb";
}

// --- Writing -----------------------------------------------------------------

std::string text(std::string const& s) {
    return std::to_string(s.size()) + ":" + s;
}

void write_object(std::string& out, RDB_OBJECT const& object, std::string const& indent);

void write_folder(std::string& out, RDB_FOLDER_OBJECT const& folder, std::string const& indent) {
    out += indent + "folder " + text(folder.get_name()) + "\n";
    for (auto const& object : folder.objects()) {
        write_object(out, *object, indent + "  ");
    }
    out += indent + "end\n";
}

void write_object(std::string& out, RDB_OBJECT const& object, std::string const& indent) {
    switch (object.get_kind()) {
    case RDB_FOLDER:
        write_folder(out, static_cast<RDB_FOLDER_OBJECT const&>(object), indent);
        return;
    case RDB_TABLE: {
        auto const& table = static_cast<RDB_TABLE_OBJECT const&>(object);
        out += indent + "table " + text(table.get_name()) + " " +
               std::to_string(table.get_colour()) + "\n";
        for (auto const& row : table.rows()) {
            out += indent + "  row " + std::to_string(row.size());
            for (std::string const& cell : row) {
                out += " " + text(cell);
            }
            out += "\n";
        }
        out += indent + "end\n";
        return;
    }
    case RDB_SUMMARY: {
        auto const& summary = static_cast<RDB_SUMMARY_OBJECT const&>(object);
        out += indent + "summary " + text(summary.get_name()) + "\n";
        for (auto const& row : summary.rows()) {
            out += indent + "  row " + text(row.first) + " " + text(row.second) + "\n";
        }
        out += indent + "end\n";
        return;
    }
    case RDB_LEGAL_TEXT: {
        auto const& legal = static_cast<RDB_LEGAL_TEXT_OBJECT const&>(object);
        out += indent + "legal " + (legal.is_html() ? "1 " : "0 ") + text(legal.get_text()) + "\n";
        return;
    }
    case RDB_MESSAGES: {
        auto const& messages = static_cast<RDB_MESSAGES_OBJECT const&>(object);
        out += indent + "messages " + text(messages.get_name()) + " " +
               text(messages.get_source()) + "\n";
        for (std::string const& line : messages.lines()) {
            out += indent + "  line " + text(line) + "\n";
        }
        out += indent + "end\n";
        return;
    }
    }
}

// --- Reading -----------------------------------------------------------------

class PARSER {
public:
    explicit PARSER(std::string const& s) : m_s(s) {}

    bool word(std::string& w) {
        skip_blanks();
        size_t start = m_at;
        while (m_at < m_s.size() && m_s[m_at] != ' ' && m_s[m_at] != '\n') {
            ++m_at;
        }
        w = m_s.substr(start, m_at - start);
        return !w.empty();
    }
    bool number(long& n) {
        std::string w;
        char* end = nullptr;
        if (!word(w)) {
            return false;
        }
        n = std::strtol(w.c_str(), &end, 10);
        return *end == '\0';
    }
    bool text(std::string& t) {
        skip_blanks();
        size_t colon = m_s.find(':', m_at);
        if (colon == std::string::npos || colon == m_at) {
            return false;
        }
        char* end = nullptr;
        std::string length = m_s.substr(m_at, colon - m_at);
        unsigned long size = std::strtoul(length.c_str(), &end, 10);
        if (*end != '\0' || length[0] == '-' || size > m_s.size() - colon - 1) {
            return false;
        }
        t = m_s.substr(colon + 1, size);
        m_at = colon + 1 + size;
        return true;
    }
    bool expect(char const* w) {
        std::string got;
        return word(got) && got == w;
    }

    std::unique_ptr<RDB_FOLDER_OBJECT> folder(int depth) {
        std::string name;
        if (depth > 64 || !text(name)) {
            return nullptr;
        }
        auto result = std::make_unique<RDB_FOLDER_OBJECT>(name);
        for (;;) {
            std::string kind;
            if (!word(kind)) {
                return nullptr;
            }
            if (kind == "end") {
                return result;
            }
            std::unique_ptr<RDB_OBJECT> object = this->object(kind, depth);
            if (!object) {
                return nullptr;
            }
            result->add(std::move(object));
        }
    }

    std::unique_ptr<RDB_OBJECT> object(std::string const& kind, int depth) {
        std::string name;
        if (kind == "folder") {
            return folder(depth + 1);
        }
        if (kind == "table") {
            long colour = 0;
            if (!text(name) || !number(colour)) {
                return nullptr;
            }
            auto table = std::make_unique<RDB_TABLE_OBJECT>(name, static_cast<int>(colour));
            for (std::string w; word(w) && w != "end";) {
                long cells = 0;
                if (w != "row" || !number(cells) || cells < 0) {
                    return nullptr;
                }
                std::vector<std::string> row;
                for (long i = 0; i < cells; ++i) {
                    std::string cell;
                    if (!text(cell)) {
                        return nullptr;
                    }
                    row.push_back(cell);
                }
                table->add_row(std::move(row));
                if (m_at >= m_s.size()) {
                    return nullptr;
                }
            }
            return table;
        }
        if (kind == "summary") {
            if (!text(name)) {
                return nullptr;
            }
            auto summary = std::make_unique<RDB_SUMMARY_OBJECT>(name);
            for (std::string w; word(w) && w != "end";) {
                std::string row_name;
                std::string value;
                if (w != "row" || !text(row_name) || !text(value)) {
                    return nullptr;
                }
                summary->set_data(row_name, value);
                if (m_at >= m_s.size()) {
                    return nullptr;
                }
            }
            return summary;
        }
        if (kind == "legal") {
            long html = 0;
            std::string body;
            if (!number(html) || !text(body)) {
                return nullptr;
            }
            return std::make_unique<RDB_LEGAL_TEXT_OBJECT>(body, html != 0);
        }
        if (kind == "messages") {
            std::string source;
            if (!text(name) || !text(source)) {
                return nullptr;
            }
            std::vector<std::string> lines;
            for (std::string w; word(w) && w != "end";) {
                std::string line;
                if (w != "line" || !text(line)) {
                    return nullptr;
                }
                lines.push_back(line);
                if (m_at >= m_s.size()) {
                    return nullptr;
                }
            }
            return std::make_unique<RDB_MESSAGES_OBJECT>(name, source, lines);
        }
        return nullptr;
    }

    bool at_end() {
        skip_blanks();
        return m_at == m_s.size();
    }

private:
    void skip_blanks() {
        while (m_at < m_s.size() && (m_s[m_at] == ' ' || m_s[m_at] == '\n')) {
            ++m_at;
        }
    }
    std::string const& m_s;
    size_t m_at = 0;
};

std::string severity_word(char severity) {
    switch (severity) {
    case 'E':
        return "Error";
    case 'W':
        return "Warning";
    default:
        return "Info";
    }
}

} // namespace

RDB_OBJECT* RDB_FOLDER_OBJECT::add(std::unique_ptr<RDB_OBJECT> object) {
    m_objects.push_back(std::move(object));
    return m_objects.back().get();
}

RDB_OBJECT* RDB_FOLDER_OBJECT::find(std::string const& name) const {
    for (auto const& object : m_objects) {
        if (object->get_name() == name) {
            return object.get();
        }
    }
    return nullptr;
}

RDB_OBJECT* RDB_FOLDER_OBJECT::find_below(std::string const& name) const {
    for (auto const& object : m_objects) {
        if (object->get_name() == name) {
            return object.get();
        }
        if (object->get_kind() == RDB_FOLDER) {
            if (RDB_OBJECT* found =
                    static_cast<RDB_FOLDER_OBJECT const&>(*object).find_below(name)) {
                return found;
            }
        }
    }
    return nullptr;
}

bool RDB_FOLDER_OBJECT::remove(std::string const& name) {
    for (auto it = m_objects.begin(); it != m_objects.end(); ++it) {
        if ((*it)->get_name() == name) {
            m_objects.erase(it);
            return true;
        }
    }
    return false;
}

bool RDB_TABLE_OBJECT::get_cell(unsigned row, unsigned column, std::string& text) const {
    if (row >= m_rows.size() || column >= m_rows[row].size()) {
        return false;
    }
    text = m_rows[row][column];
    return true;
}

void RDB_TABLE_OBJECT::remove_rows_if(std::function<bool(unsigned row)> const& drop) {
    size_t kept = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (!drop(static_cast<unsigned>(row))) {
            if (kept != row) {
                m_rows[kept] = std::move(m_rows[row]);
            }
            ++kept;
        }
    }
    m_rows.resize(kept);
}

void RDB_SUMMARY_OBJECT::set_data(std::string const& name, std::string const& value) {
    for (ROW& row : m_rows) {
        if (row.first == name) {
            row.second = value;
            return;
        }
    }
    m_rows.emplace_back(name, value);
}

void RDB_REPORT::set_main_folder(std::unique_ptr<RDB_FOLDER_OBJECT> folder) {
    m_main_folder = std::move(folder);
}

RDB_SUMMARY_OBJECT* RDB_REPORT::find_summary(RDB_FOLDER_OBJECT const* folder, bool recursive) {
    if (folder == nullptr) {
        return nullptr;
    }
    for (auto const& object : folder->objects()) {
        if (object->get_kind() == RDB_SUMMARY) {
            return static_cast<RDB_SUMMARY_OBJECT*>(object.get());
        }
    }
    if (recursive) {
        for (auto const& object : folder->objects()) {
            if (object->get_kind() == RDB_FOLDER) {
                if (RDB_SUMMARY_OBJECT* found =
                        find_summary(static_cast<RDB_FOLDER_OBJECT const*>(object.get()), true)) {
                    return found;
                }
            }
        }
    }
    return nullptr;
}

RDB_REPORT* RDB_REPORT::get_report(std::string const& revision, int type, bool create) {
    auto key = std::make_pair(revision, type);
    auto found = reports().find(key);
    if (found != reports().end()) {
        return found->second.get();
    }
    auto report = std::make_unique<RDB_REPORT>();
    if (!rdb_read_report_file(store_path(revision, type), *report, nullptr) && !create) {
        return nullptr;
    }
    return (reports()[key] = std::move(report)).get();
}

bool RDB_REPORT::write_report(std::string const& revision, int type) {
    auto found = reports().find(std::make_pair(revision, type));
    if (found == reports().end()) {
        return false;
    }
    std::string path = store_path(revision, type);
    std::error_code ignored;
    std::filesystem::create_directories(FIO_PATH(path).directory(), ignored);
    return RDB_REPORT_GEN(found->second.get(), revision).write_report_files(path);
}

std::string RDB_REPORT::get_store_path(std::string const& revision, int type) {
    return store_path(revision, type);
}

void RDB_REPORT::forget_reports() {
    reports().clear();
}

std::string RDB_REPORT::to_text(std::string const& title) const {
    std::string out = std::string(FORMAT_LINE) + "\ntitle " + text(title) + "\n";
    if (m_main_folder) {
        write_folder(out, *m_main_folder, "");
    }
    return out;
}

bool RDB_REPORT::from_text(std::string const& content, std::string* title) {
    std::string header = std::string(FORMAT_LINE) + "\n";
    if (content.compare(0, header.size(), header) != 0) {
        return false;
    }
    std::string body = content.substr(header.size());
    PARSER parser(body);
    std::string read_title;
    if (!parser.expect("title") || !parser.text(read_title)) {
        return false;
    }
    std::unique_ptr<RDB_FOLDER_OBJECT> main;
    std::string kind;
    if (!parser.at_end()) {
        if (!parser.word(kind) || kind != "folder" || !(main = parser.folder(0))) {
            return false;
        }
    }
    if (!parser.at_end()) {
        return false;
    }
    m_main_folder = std::move(main);
    if (title != nullptr) {
        *title = read_title;
    }
    return true;
}

bool RDB_REPORT_GEN::write_report_files(std::string const& path) const {
    if (m_report == nullptr) {
        return false;
    }
    return FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(path), m_report->to_text(m_title));
}

bool rdb_read_report_file(std::string const& path, RDB_REPORT& report, std::string* title) {
    std::string content;
    return FIO_FILE_SYSTEM::read_file(FIO_PATH(path), content) && report.from_text(content, title);
}

void rdb_set_summary_data(RDB_SUMMARY_OBJECT* summary, std::string const& name,
                          std::string const& value) {
    if (summary != nullptr) {
        summary->set_data(name, value);
    }
}

RDB_MESSAGES_OBJECT* rdb_add_messages(RDB_FOLDER_OBJECT* folder, std::string const& name,
                                      std::string const& source) {
    // The log only grows, unless a test clears it.
    static size_t seen = 0;
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    seen = seen > log.size() ? 0 : seen;
    std::vector<std::string> lines;
    for (size_t i = seen; i < log.size(); ++i) {
        MSG_LOG_ENTRY const& e = log[i];
        if (e.severity == 'D' || e.severity == 'Q') {
            continue;
        }
        lines.push_back(std::string(static_cast<size_t>(e.depth) * 4, ' ') +
                        severity_word(e.severity) + " (" + std::to_string(e.id) + "): " + e.text);
    }
    seen = log.size();
    if (folder == nullptr) {
        return nullptr;
    }
    return static_cast<RDB_MESSAGES_OBJECT*>(
        folder->add(std::make_unique<RDB_MESSAGES_OBJECT>(name, source, lines)));
}
