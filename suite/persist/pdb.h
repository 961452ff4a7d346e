// Prefix pdb: the persistence database.
// The suite's persistence library: objects written to and read from named
// segments of an archive.
//
// An archive is a path; each segment of it is one file beside that path, named
// by the path followed by the segment's name ("db/rev" and ".ipinfo" give
// "db/rev.ipinfo"). A segment file holds a format line, the segment's name and
// the objects written into it. Every object records its class name and class
// body hash, and every field its identifier, name and kind, so that a reader
// refuses a file written with another layout instead of misreading it.
#pragma once

#include <cstdint>
#include <string>

// One segment being written or read. Objects transfer their fields through the
// same routine in both directions; `is_reading()` tells which way it goes.
class PDB_SEGMENT {
public:
    // A writer of the segment `segment_name`, filled in memory.
    static PDB_SEGMENT writer(std::string const& segment_name);
    // A reader of a segment file's content; fails (see ok()) when the content
    // is not a segment of that name in this library's format.
    static PDB_SEGMENT reader(std::string const& segment_name, std::string const& content);

    bool is_reading() const { return m_reading; }
    // False once a transfer failed; later transfers then do nothing.
    bool ok() const { return m_ok; }
    // The written text (for a writer).
    std::string const& text() const { return m_text; }

    void begin_object(char const* class_name, uint32_t body_hash);
    void end_object();
    void xfr_uint(unsigned id, char const* name, uint32_t& value);
    void xfr_bool(unsigned id, char const* name, bool& value);
    void xfr_string(unsigned id, char const* name, std::string& value);
    // A collection's element count; counts of PDB_MAX_COLLECTION_SIZE or more
    // are refused.
    void xfr_count(unsigned id, char const* name, uint32_t& count);

private:
    PDB_SEGMENT(bool reading, std::string text);
    // Writes or checks the tag of a field: identifier, name and kind.
    bool tag(unsigned id, char const* name, char kind);
    bool read_token(std::string& token);
    bool read_exact(size_t length, std::string& out);

    bool m_reading;
    bool m_ok = true;
    std::string m_text;
    size_t m_at = 0;
};

constexpr uint32_t PDB_MAX_COLLECTION_SIZE = 0x3FFFFFFF;

// Folds a field's type name into a class body hash (FNV-1a over the name).
uint32_t pdb_type_id_hash(uint32_t hash, char const* type_name);

// The file of one segment of an archive.
std::string pdb_segment_file(std::string const& archive_path, std::string const& segment_name);
// Writes a filled writer's segment into its archive file atomically; false when
// the writer failed or the file cannot be written.
bool pdb_write_segment(std::string const& archive_path, std::string const& segment_name,
                       PDB_SEGMENT const& writer);
// Reads a segment's file into a reader; the reader fails when there is none.
PDB_SEGMENT pdb_read_segment(std::string const& archive_path, std::string const& segment_name);
