// The reader of encrypted IP files: containers whose text starts with a header
// of four lines, then an opaque body that only the compiler decrypts.
//
//     ZOVK-ENCRYPTED-IP 1
//     <vendor identifier: a decimal number or 0x and hex digits, 32 bits>
//     "<core name>"
//     <core version>
//     <body>
//
// The core name is written between double quotes (a bare word is taken too).
// A file whose header is cut short, garbled, or holds an empty or unterminated
// quoted name is not an encrypted IP file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

extern char const* const CPT_ZOVK_MARKER; // "ZOVK-ENCRYPTED-IP 1"

struct CPT_ZOVK_HEADER {
    uint32_t vendor_id = 0;
    std::string core_name; // as written, quotes included
    std::string core_version;
};

// Parses the header at the start of `text`; false when it is not a container's.
bool cpt_zovk_parse_header(std::string const& text, CPT_ZOVK_HEADER& header);
// Whether the file is a regular file holding an encrypted IP container.
bool cpt_zovk_encrypted_file(char const* path);
// The vendor of a vendor number (the identifier's low 16 bits); "Unknown" for
// a number not in the vendor table.
char const* cpt_zovk_vendor_name(uint16_t vendor);

// An encrypted IP file opened for reading: its header is read on opening.
class CPT_ZOVK_IFSTREAM {
public:
    explicit CPT_ZOVK_IFSTREAM(char const* path);

    // Whether the file could be read and holds a container.
    bool is_open() const { return m_open; }
    uint32_t get_vendor_id() const { return m_header.vendor_id; }
    std::string const& get_core_name() const { return m_header.core_name; }
    std::string const& get_core_version() const { return m_header.core_version; }

private:
    bool m_open = false;
    CPT_ZOVK_HEADER m_header;
};

// Tests: a function called with the path each time a CPT_ZOVK_IFSTREAM opens a
// file; an empty function removes it.
void cpt_zovk_set_open_hook(std::function<void(char const* path)> hook);
