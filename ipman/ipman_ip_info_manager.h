// The IP inventory: the process-wide manager of the project's IP components, and
// the reading of IP variation files and the search for them.
#pragma once

#include <list>
#include <string>

class IPMAN_IP_INFO_MANAGER {
public:
    // The process-wide manager, made on first use and never destroyed.
    static IPMAN_IP_INFO_MANAGER* get_ip_info_manager();

    IPMAN_IP_INFO_MANAGER(IPMAN_IP_INFO_MANAGER const&) = delete;
    IPMAN_IP_INFO_MANAGER& operator=(IPMAN_IP_INFO_MANAGER const&) = delete;

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
    IPMAN_IP_INFO_MANAGER() = default;

    static IPMAN_IP_INFO_MANAGER* ip_info_mgr;
};
