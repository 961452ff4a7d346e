// The upgrade manager: the process-wide object that knows the upgrade rules of
// the suite and runs the IP wizard on variation files.
#pragma once

#include "suite/fileio/fio.h"

#include <string>
#include <utility>
#include <vector>

// The rule files, in the suite's common folder.
extern char const* const IPRGEN_TXT_FILE;         // "ip_cores_for_regeneration.txt"
extern char const* const IPRGEN_MAPPING_TXT_FILE; // "ip_cores_name_mapping.txt"

class IPMAN_IPRGEN_MANAGER {
public:
    // A section of the upgrade list: a version as written in the file and the IP
    // names listed under it, in file order.
    typedef std::pair<std::string, std::vector<std::string>> IP_REGEN_SECTION;
    // Two names of one IP component.
    typedef std::pair<std::string, std::string> IP_NAME_PAIR;

    // The process-wide manager, made on first use and never destroyed.
    static IPMAN_IPRGEN_MANAGER* get_iprgen_manager();

    // Reads the rule files from `rules_directory`; the process-wide manager reads
    // them from the suite's common folder. A missing file leaves its list empty.
    explicit IPMAN_IPRGEN_MANAGER(std::string rules_directory);
    IPMAN_IPRGEN_MANAGER(IPMAN_IPRGEN_MANAGER const&) = delete;
    IPMAN_IPRGEN_MANAGER& operator=(IPMAN_IPRGEN_MANAGER const&) = delete;

    // Rule files.
    void load_ip_regen_list();
    void load_ip_core_name_mapping_list();
    std::vector<IP_REGEN_SECTION> const& get_ip_regen_list() const { return m_ip_regen_list; }
    std::vector<IP_NAME_PAIR> const& get_ip_core_name_mapping_list() const {
        return m_ip_core_name_mapping_list;
    }

    // The upgrade decision: whether the component of that IP name, generated
    // by that tool version, is listed for an upgrade from its version. A
    // component of the running version (and service pack) never is.
    bool is_ip_need_regen(std::string const& ip_name, std::string const& ip_version) const;
    // Whether a recorded tool version differs from the running suite's version
    // or service pack; an empty version does not.
    bool is_different_version_than_tessaly(std::string const& ip_version) const;
    // Splits a version text at its first "sp" ("11.1sp2" gives "11.1" and "2").
    static void get_version_and_sp_number(std::string const& text, std::string& version,
                                          std::string& sp_number);
    // The other name of the first name pair holding `ip_name`, or "".
    std::string get_another_ip_core_name(std::string const& ip_name) const;

    // Runs the IP wizard silently on one file as a child process, logging its
    // output as debug lines. Returns the wizard's exit code, or 2 when the name
    // is empty or the wizard cannot be started. A name written between quotes
    // (as the command line's file list keeps them) is the name inside them.
    int run_ip_regeneration(std::string const& file);

    // Whether the IP wizard generated the file.
    bool is_vestawizard_file(FIO_PATH const& path) const;

private:
    static IPMAN_IPRGEN_MANAGER* iprgen_mgr;

    std::string m_rules_directory;
    std::vector<IP_REGEN_SECTION> m_ip_regen_list;
    std::vector<IP_NAME_PAIR> m_ip_core_name_mapping_list;
};
