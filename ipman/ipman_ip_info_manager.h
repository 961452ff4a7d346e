// The IP inventory: the process-wide manager of the project's IP components and
// their database, the open project's names that reports show, and the reading
// of IP variation files and the search for them.
#pragma once

#include "ipman/ipman_ip_info.h"

#include <list>
#include <string>
#include <vector>

class IPMAN_IP_INFO_MANAGER {
public:
    // The process-wide manager, made on first use and never destroyed.
    static IPMAN_IP_INFO_MANAGER* get_ip_info_manager();

    IPMAN_IP_INFO_MANAGER(IPMAN_IP_INFO_MANAGER const&) = delete;
    IPMAN_IP_INFO_MANAGER& operator=(IPMAN_IP_INFO_MANAGER const&) = delete;

    // --- The database -----------------------------------------------------------
    // Forwarders to the database; false without one.
    bool remove_ip_info_from_db(IPMAN_IP_INFO const& info);
    bool remove_ip_info_from_db_by_tip_file_and_entity(IPMAN_IP_INFO const& info);
    bool update_ip_info_in_db(IPMAN_IP_INFO const& info);
    bool update_ip_info_in_db_by_tip_file(IPMAN_IP_INFO const& info);
    bool update_ip_info_in_db_by_tip_file_and_entity(IPMAN_IP_INFO const& info);
    bool cleanup_ip_cores_db();
    // Deletes the database; the forwarders then do nothing.
    void uninitialize_db();
    // A copy of the records in stored order.
    std::vector<IPMAN_IP_INFO> get_ip_info_vec() const;

    // Lookups: the first record in stored order whose key equals `key` exactly,
    // copied into `info`; false, `info` untouched, for an empty key or no match.
    bool get_ip_info_by_filename(std::string const& var_file, IPMAN_IP_INFO& info) const;
    bool get_ip_info_by_tip_filename(std::string const& tip_file, IPMAN_IP_INFO& info) const;
    bool get_ip_info_by_tip_filename_and_entity(std::string const& tip_file,
                                                std::string const& entity,
                                                IPMAN_IP_INFO& info) const;
    // The first record of that hierarchy path, or a default record.
    IPMAN_IP_INFO get_ip_info_by_hpath(std::string const& hpath) const;

    // The archive of the open project's IP database: the database folder "db"
    // of the project with the active revision's name; "" without an open project.
    std::string get_ip_db_filename() const;
    // Reads and writes the database from and to that archive (the segment
    // ".ipinfo"). A failed read leaves an empty database.
    bool load_ip_info_from_db();
    bool write_ip_info_to_db();

    // --- The open project --------------------------------------------------------
    // "" without a project manager or an open project.
    std::string get_project_family_name() const; // the family's user name
    std::string get_top_level_entity_name() const;
    std::string get_revision_name() const; // the active revision

    // --- Variation files ---------------------------------------------------------
    // Appends to `out` the full path of every variation file under `dir`,
    // searched recursively, each directory's entries in name order: files with a
    // Verilog, VHDL or SystemVerilog extension that the IP wizard generated. A
    // directory that does not exist leaves the list unchanged.
    void get_variation_file_by_dir(std::string const& dir, std::list<std::string>* out);

    // Reads the IP name and version from a variation file's retrieval-info lines
    // (the last such line wins); leaves them unchanged for an empty name or a
    // missing file, and each one unchanged when no line holds its tag.
    void extract_ip_name_and_version_from_file(std::string const& file, std::string& name,
                                               std::string& version);
    // The value of `tag` in a retrieval-info line: the text from two characters
    // after the tag (past the equals sign and the opening quote) up to the next
    // double quote; "" for an empty line or when the tag does not occur.
    static std::string get_variation_file_retrieval_info_tag_value(std::string const& line,
                                                                   std::string const& tag);

private:
    IPMAN_IP_INFO_MANAGER();

    // The first record that `match` accepts, or null.
    template <typename MATCH> IPMAN_IP_INFO const* find_first(MATCH match) const;

    static IPMAN_IP_INFO_MANAGER* ip_info_mgr;

    IPMAN_IP_INFO_DB* m_db;
};
