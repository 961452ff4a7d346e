#include "suite/cpt/cpt_zovk.h"

#include <sys/stat.h>

#include <fstream>
#include <istream>
#include <sstream>

char const* const CPT_ZOVK_MARKER = "ZOVK-ENCRYPTED-IP 1";

namespace {

struct VENDOR {
    uint16_t number;
    char const* name;
};
VENDOR const VENDORS[] = {
    {0x0001, "Norvik"},
    {0x0002, "Kestrel Logic"},
    {0x0003, "Brightmoor IP"},
};

std::function<void(char const*)>& open_hook() {
    static std::function<void(char const*)> hook;
    return hook;
}

// One header line, without its line end; false when the text ends before
// the line does (a header cut short).
bool header_line(std::istream& in, std::string& line) {
    if (!std::getline(in, line) || in.eof()) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool parse_vendor(std::string const& text, uint32_t& vendor) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    char const* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
        return false;
    }
    uint64_t value = 0;
    for (char c : digits) {
        int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * (hex ? 16 : 10) + digit;
        if (value > UINT32_MAX) {
            return false;
        }
    }
    vendor = static_cast<uint32_t>(value);
    return true;
}

// A quoted name needs its closing quote and something between the quotes.
bool valid_core_name(std::string const& name) {
    if (name.empty() || name[0] != '"') {
        return !name.empty();
    }
    size_t close = name.find('"', 1);
    return close != std::string::npos && close > 1;
}

// Whether the text starts with the marker line; reads no further than the
// marker when it does not (a large file that is no container is not read).
bool marker_line(std::istream& in) {
    std::string marker(std::char_traits<char>::length(CPT_ZOVK_MARKER), '\0');
    std::string rest;
    return in.read(&marker[0], static_cast<std::streamsize>(marker.size())) &&
           marker == CPT_ZOVK_MARKER && header_line(in, rest) && rest.empty();
}

bool parse_header(std::istream& in, CPT_ZOVK_HEADER& header) {
    std::string vendor;
    CPT_ZOVK_HEADER read;
    if (!marker_line(in) || !header_line(in, vendor) || !parse_vendor(vendor, read.vendor_id) ||
        !header_line(in, read.core_name) || !valid_core_name(read.core_name) ||
        !header_line(in, read.core_version) || read.core_version.empty()) {
        return false;
    }
    header = read;
    return true;
}

// Reads a regular file's header; a FIFO or a device is never waited on.
bool read_file_header(char const* path, CPT_ZOVK_HEADER& header) {
    struct stat status;
    if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    return in && parse_header(in, header);
}

} // namespace

bool cpt_zovk_parse_header(std::string const& text, CPT_ZOVK_HEADER& header) {
    std::istringstream in(text);
    return parse_header(in, header);
}

bool cpt_zovk_encrypted_file(char const* path) {
    CPT_ZOVK_HEADER header;
    return read_file_header(path, header);
}

char const* cpt_zovk_vendor_name(uint16_t vendor) {
    for (VENDOR const& v : VENDORS) {
        if (v.number == vendor) {
            return v.name;
        }
    }
    return "Unknown";
}

CPT_ZOVK_IFSTREAM::CPT_ZOVK_IFSTREAM(char const* path) {
    if (open_hook() && path != nullptr) {
        open_hook()(path);
    }
    m_open = read_file_header(path, m_header);
}

void cpt_zovk_set_open_hook(std::function<void(char const* path)> hook) {
    open_hook() = std::move(hook);
}
