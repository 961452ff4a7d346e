// The description of one IP component of a project, the ordered list of them
// that the IP manager keeps, its persisted segment ".ipinfo", and the constant
// texts the IP manager exports to its callers.
#pragma once

#include "suite/fileio/fio.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class PDB_SEGMENT;

extern char const* IPMAN_NA_STR;                 // "N/A"
extern char const* IPMAN_UNKNOWN_STR;            // "Unknown"
extern char const* IPMAN_ZELD_VERSION_SHORT_STR; // "__ZELD_VERSION_SHORT__"
extern char const* IPMAN_NORVIK_STR;             // "Norvik"
extern char const* IPMAN_PLEXA_STR;              // "plexa"
extern char const* IPMAN_VWPIM_STR;              // "vwpim"
extern char const* IPMAN_PASSED_STR;             // "Passed"
extern char const* IPMAN_FAILED_STR;             // "Failed"
extern char const* IPMAN_AUTO_STR;               // "Upgrade"
extern char const* IPMAN_MANUAL_STR;             // "Manual"
extern char const* IPMAN_LAUNCH_PLEXA_STR;       // "Open Plexa"
extern char const* IPMAN_LAUNCH_VWPIM_STR;       // "Open VestaWizard"
extern char const* IPMAN_BAK_STR;                // "_BAK"

// Licence kind of a component as delivered; carried through unchanged.
enum IPMAN_IP_LIC_TYPE_ENUM : uint32_t {
    IPMAN_IP_LIC_TYPE_DEFAULT = 0,
    IPMAN_IP_LIC_TYPE_UNENCRYPTED = 4
};

// One IP component. Texts default to "N/A", flags to false. The fields are
// persisted in this order.
class IPMAN_IP_INFO {
public:
    IPMAN_IP_INFO();
    virtual ~IPMAN_IP_INFO() = default;
    IPMAN_IP_INFO(IPMAN_IP_INFO const&) = default;
    IPMAN_IP_INFO& operator=(IPMAN_IP_INFO const&) = default;
    // Moved, not copied, as the lists of records grow.
    IPMAN_IP_INFO(IPMAN_IP_INFO&&) noexcept = default;
    IPMAN_IP_INFO& operator=(IPMAN_IP_INFO&&) noexcept = default;

    // Equal when IP name and version are equal; no other field takes part.
    bool operator==(IPMAN_IP_INFO const& other) const;
    // Whether IP name, version, variation file or hierarchy path is known.
    bool is_valid() const;

    // Transfers every field through the segment, in either direction.
    void serialize(PDB_SEGMENT& segment);
    static uint32_t class_body_hash();

    uint32_t hdb_name_id;     // instance name id in the design hierarchy
    std::string var_file;     // the variation file an upgrade regenerates
    std::string tool_version; // IP_TOOL_VERSION
    std::string tool_name;    // IP_TOOL_NAME
    std::string release_date; // or "Unknown"
    std::string vendor_name;  // or "Norvik"
    std::string generated_by; // IP_TOOL_ENV; "plexa": only the Plexa tool upgrades it
    IPMAN_IP_LIC_TYPE_ENUM lic_type;
    std::string hpath;          // hierarchy path of the instance
    std::string file;           // the IP file (.tip) whose settings describe it
    std::string entity;         // design entity
    bool need_regen;            // must be upgraded
    std::string parent_entity;  // enclosing component's entity; "N/A" at top level
    bool skip_check_need_regen; // part of its parent (same IP name), judged through it
};

// The ordered list of IP components. Key operations act on the first record
// that matches exactly (case-sensitive) and keep the order of the others; a
// replaced record keeps its position. Like the other lists of the IP manager,
// one thread at a time uses it: its lookups bring its indexes up to date.
class IPMAN_IP_INFO_DB {
public:
    virtual ~IPMAN_IP_INFO_DB() = default;

    void insert_ip_info(IPMAN_IP_INFO info);
    bool remove_ip_info(IPMAN_IP_INFO const& info);                        // by hpath
    bool remove_ip_info_by_tip_file_and_entity(IPMAN_IP_INFO const& info); // by file and entity
    bool update_ip_info(IPMAN_IP_INFO const& info);                        // by hpath
    bool update_ip_info_by_tip_file(IPMAN_IP_INFO const& info);            // by file
    bool update_ip_info_by_tip_file_and_entity(IPMAN_IP_INFO const& info); // by file and entity
    // Removes, from the last record to the first, every sub-component judged
    // through its parent (parent entity set and skip flag set).
    void cleanup_db();
    void clear_ip_info();
    // A copy of the records in stored order.
    std::vector<IPMAN_IP_INFO> get_ip_info_map() const { return m_ip_info_vec; }
    // The records in stored order, without a copy.
    std::vector<IPMAN_IP_INFO> const& records() const { return m_ip_info_vec; }
    // The first record whose IP file (and entity) equal these exactly, or null.
    IPMAN_IP_INFO const* find_by_tip_file(std::string const& file) const;
    IPMAN_IP_INFO const* find_by_tip_file_and_entity(std::string const& file,
                                                     std::string const& entity) const;

    void serialize(PDB_SEGMENT& segment);
    static uint32_t class_body_hash();

    // Writes the database as the segment ".ipinfo" of the archive at `path`;
    // false when it cannot be written (the old segment then stays whole).
    bool write_database_to_persistent_db(FIO_PATH const& path);
    // Reads the segment ".ipinfo" of the archive at `path` into this database;
    // false, with the database emptied, when there is none or it is not readable.
    bool read_database_from_persistent_db(FIO_PATH const& path);

private:
    // Position of the first record of a key, or -1.
    long first_by_hpath(std::string const& hpath) const;
    long first_by_file(std::string const& file) const;
    long first_by_file_and_entity(std::string const& file, std::string const& entity) const;
    void replace_at(long position, IPMAN_IP_INFO const& info);
    void remove_at(long position);
    // Adds the records added since the last lookup to the indexes (a key seen
    // before keeps its first position). A scan adds many records and looks
    // none up, so the indexes are brought up to date by the lookups.
    void index_added_records() const;
    // Drops the indexes after records moved; the next lookup makes them again.
    void drop_indexes();

    std::vector<IPMAN_IP_INFO> m_ip_info_vec;
    // The first position of each IP file, and of each of its entities, so
    // that the lookups by them do not walk every record.
    struct FILE_INDEX {
        size_t first = 0;
        std::unordered_map<std::string, size_t> first_by_entity;
    };
    mutable std::unordered_map<std::string, FILE_INDEX> m_by_file;
    mutable size_t m_indexed = 0; // the records, from the first, in m_by_file
};

// The name of the IP manager's persisted segment.
extern char const* const IPMAN_IP_INFO_SEGMENT; // ".ipinfo"
