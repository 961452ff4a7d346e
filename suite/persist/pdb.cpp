#include "suite/persist/pdb.h"

#include "suite/fileio/fio.h"

#include <cstdlib>

namespace {

char const* const FORMAT_LINE = "TESSALY-PDB 1";

} // namespace

PDB_SEGMENT::PDB_SEGMENT(bool reading, std::string text)
    : m_reading(reading), m_text(std::move(text)) {}

PDB_SEGMENT PDB_SEGMENT::writer(std::string const& segment_name) {
    return PDB_SEGMENT(false, std::string(FORMAT_LINE) + "\nsegment " + segment_name + "\n");
}

PDB_SEGMENT PDB_SEGMENT::reader(std::string const& segment_name, std::string const& content) {
    PDB_SEGMENT segment(true, content);
    std::string expected = std::string(FORMAT_LINE) + "\nsegment " + segment_name + "\n";
    segment.m_ok = content.compare(0, expected.size(), expected) == 0;
    segment.m_at = expected.size();
    return segment;
}

bool PDB_SEGMENT::read_token(std::string& token) {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n')) {
        ++m_at;
    }
    size_t start = m_at;
    while (m_at < m_text.size() && m_text[m_at] != ' ' && m_text[m_at] != '\n') {
        ++m_at;
    }
    token = m_text.substr(start, m_at - start);
    return !token.empty();
}

bool PDB_SEGMENT::read_exact(size_t length, std::string& out) {
    if (length > m_text.size() - m_at) {
        return false;
    }
    out = m_text.substr(m_at, length);
    m_at += length;
    return true;
}

bool PDB_SEGMENT::tag(unsigned id, char const* name, char kind) {
    if (!m_ok) {
        return false;
    }
    std::string expected = std::string(1, kind) + " " + std::to_string(id) + " " + name;
    if (!m_reading) {
        m_text += expected + " ";
        return true;
    }
    std::string k;
    std::string i;
    std::string n;
    m_ok = read_token(k) && read_token(i) && read_token(n) && k + " " + i + " " + n == expected;
    return m_ok;
}

void PDB_SEGMENT::begin_object(char const* class_name, uint32_t body_hash) {
    if (!m_ok) {
        return;
    }
    std::string expected = std::string("{ ") + class_name + " " + std::to_string(body_hash);
    if (!m_reading) {
        m_text += expected + "\n";
        return;
    }
    std::string open;
    std::string name;
    std::string hash;
    m_ok = read_token(open) && read_token(name) && read_token(hash) &&
           open + " " + name + " " + hash == expected;
}

void PDB_SEGMENT::end_object() {
    if (!m_ok) {
        return;
    }
    if (!m_reading) {
        m_text += "}\n";
        return;
    }
    std::string close;
    m_ok = read_token(close) && close == "}";
}

void PDB_SEGMENT::xfr_uint(unsigned id, char const* name, uint32_t& value) {
    if (!tag(id, name, 'u')) {
        return;
    }
    if (!m_reading) {
        m_text += std::to_string(value) + "\n";
        return;
    }
    std::string token;
    char* end = nullptr;
    unsigned long read = 0;
    m_ok = read_token(token) && (read = std::strtoul(token.c_str(), &end, 10), *end == '\0') &&
           read <= UINT32_MAX;
    if (m_ok) {
        value = static_cast<uint32_t>(read);
    }
}

void PDB_SEGMENT::xfr_bool(unsigned id, char const* name, bool& value) {
    uint32_t number = value ? 1 : 0;
    xfr_uint(id, name, number);
    m_ok = m_ok && number <= 1;
    if (m_ok) {
        value = number == 1;
    }
}

void PDB_SEGMENT::xfr_string(unsigned id, char const* name, std::string& value) {
    if (!tag(id, name, 's')) {
        return;
    }
    if (!m_reading) {
        m_text += std::to_string(value.size()) + ":" + value + "\n";
        return;
    }
    // The length, a colon, then that many bytes of any kind.
    while (m_at < m_text.size() && m_text[m_at] == ' ') {
        ++m_at;
    }
    size_t colon = m_text.find(':', m_at);
    std::string length = colon == std::string::npos ? "" : m_text.substr(m_at, colon - m_at);
    char* end = nullptr;
    unsigned long size = std::strtoul(length.c_str(), &end, 10);
    m_ok = !length.empty() && *end == '\0';
    if (m_ok) {
        m_at = colon + 1;
        std::string read;
        m_ok = read_exact(size, read);
        if (m_ok) {
            value = read;
        }
    }
}

void PDB_SEGMENT::xfr_count(unsigned id, char const* name, uint32_t& count) {
    if (!m_reading && count >= PDB_MAX_COLLECTION_SIZE) {
        m_ok = false;
        return;
    }
    xfr_uint(id, name, count);
    m_ok = m_ok && count < PDB_MAX_COLLECTION_SIZE;
}

uint32_t pdb_type_id_hash(uint32_t hash, char const* type_name) {
    for (char const* p = type_name; *p; ++p) {
        hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
    }
    return hash;
}

std::string pdb_segment_file(std::string const& archive_path, std::string const& segment_name) {
    return archive_path + segment_name;
}

bool pdb_write_segment(std::string const& archive_path, std::string const& segment_name,
                       PDB_SEGMENT const& writer) {
    return writer.ok() && !writer.is_reading() &&
           FIO_FILE_SYSTEM::write_file_atomically(
               FIO_PATH(pdb_segment_file(archive_path, segment_name)), writer.text());
}

PDB_SEGMENT pdb_read_segment(std::string const& archive_path, std::string const& segment_name) {
    std::string content;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(pdb_segment_file(archive_path, segment_name)),
                                    content)) {
        content.clear();
    }
    return PDB_SEGMENT::reader(segment_name, content);
}
