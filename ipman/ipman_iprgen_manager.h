// The upgrade manager: the process-wide object that knows the upgrade rules of
// the suite and runs the IP wizard on variation files.
#pragma once

#include "ipman/ipman_ip_info.h"
#include "suite/fileio/fio.h"
#include "suite/wizman/wizman_files.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// The rule files, in the suite's common folder.
extern char const* const IPRGEN_TXT_FILE;         // "ip_cores_for_regeneration.txt"
extern char const* const IPRGEN_MAPPING_TXT_FILE; // "ip_cores_name_mapping.txt"

// Why an upgrade did not happen or failed.
enum IPMAN_FAIL_REGEN_TYPE {
    IPMAN_FAIL_REGEN_NONE = 0,
    IPMAN_FAIL_REGEN_FILE_MISSING = 1,
    IPMAN_FAIL_REGEN_WRITE_PROTECTED = 2,
    IPMAN_FAIL_REGEN_NOT_VARIATION_FILE = 3,
    IPMAN_FAIL_REGEN_UPGRADE_FAILED = 4, // the file is as it was before the run
    IPMAN_FAIL_REGEN_PLEXA = 5,          // must be upgraded in the Plexa tool; not run
    IPMAN_FAIL_REGEN_FOLDER_UNREADABLE = 6, // a folder whose components could not be found
    IPMAN_FAIL_REGEN_FILE_UNREADABLE = 7    // a variation file that could not be read
};

// The result of upgrading one component.
class IPMAN_IP_REGEN_RESULT {
public:
    IPMAN_IP_REGEN_RESULT(IPMAN_IP_INFO info, int result, IPMAN_FAIL_REGEN_TYPE fail_type)
        : ip_info(std::move(info)), result(result), fail_type(fail_type) {}
    virtual ~IPMAN_IP_REGEN_RESULT() = default;

    IPMAN_IP_INFO ip_info; // the component; its version updated after a successful run
    int result;            // 0 success, else the run's non-zero result (1 when not run)
    std::string message;   // always empty as filled by the IP manager
    IPMAN_FAIL_REGEN_TYPE fail_type;
};

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
    // them from the suite's common folder. A missing file leaves its list empty;
    // one that cannot be read or holds no rule is recorded as a rule-file error.
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
    // A rule file that could not be used: the decisions made without it would
    // be wrong, so the commands that decide fail instead.
    struct RULE_FILE_ERROR {
        std::string file;
        std::string reason;
    };
    std::vector<RULE_FILE_ERROR> const& get_rule_file_errors() const { return m_rule_file_errors; }

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

    // Checks a variation file before an upgrade, in this order: it exists (else
    // 1), the IP wizard generated it (else 3), it can be opened for writing
    // and some write permission is set (else 2). True, with `fail_type` set, when it FAILS a check;
    // false, with `fail_type` untouched, when it may be upgraded.
    bool check_file_is_valid(std::string const& file, IPMAN_FAIL_REGEN_TYPE& fail_type) const;
    // The same checks for a file that the variation-file scan found, whose
    // header showed the wizard's mark already: it is not read again.
    bool check_found_file_is_valid(std::string const& file, IPMAN_FAIL_REGEN_TYPE& fail_type) const;
    // The backup of a file: its base name followed by "_BAK", same folder and
    // extension (dir/core.v gives dir/core_BAK.v).
    static std::string backup_path_of(std::string const& file);
    // The file that a backup named as backup_file names them was made of:
    // dir/core_BAK.v, dir/core_BAK1.v, ... give dir/core.v. Empty for a name
    // that is no backup's.
    static std::string backed_up_file_of(std::string const& backup);
    // Backs an existing file up and posts IPRGEN_BACKUP_FILE. A backup is never
    // replaced: one that holds the file's content already is kept as the
    // backup; otherwise the first free name of dir/core_BAK.v, dir/core_BAK1.v,
    // dir/core_BAK2.v, ... receives a copy. `backup` receives the backup's full
    // path. False, with IPRGEN_BACKUP_FAILED posted, when no backup was made.
    bool backup_file(std::string const& file, std::string& backup);
    // Copies a backup back over the file it was made of: the backup's name
    // without its first "_BAK". False, copying nothing, when the backup does
    // not exist or its base name holds no "_BAK". The backup is kept.
    bool restored_backup_file(std::string const& backup);
    // Copies a backup back over `target` (a link's target when it is a link)
    // and posts IPRGEN_RESTORE_FILE when the copy was made. The backup is kept.
    // True when the copy was made. What a killed wizard left half done in the
    // target's folder is settled first, so that it cannot be finished over the
    // copy later. `together` are files put back in the same change as an
    // existing target (the IP file the wizard rewrote with it): after a kill
    // at any point they are all as they were, or all as the wizard left them.
    bool restore_backup_to(std::string const& backup, std::string const& target,
                           std::vector<WIZMAN_FILE_UPDATE> const& together = {});

    // Runs the IP wizard silently on one file as a child process, logging its
    // output as debug lines. Returns the wizard's exit code, or 2 when the name
    // is empty or the wizard cannot be started. A name written between quotes
    // (as the command line's file list keeps them) is the name inside them.
    int run_ip_regeneration(std::string const& file);

    // The name a file list gives between quotes, without them; any other name as it is.
    static std::string unquoted(std::string const& name);

    // Runs the wizard on each file in order; the last exit code, 2 for none.
    int run_ip_regeneration(std::vector<std::string> files);
    // Runs the wizard on one file through the suite's Tcl command "texec" in the
    // shared interpreter; `result` receives the interpreter's result. Returns
    // the evaluation's completion code (TCL_OK, 0, for success), 1 for an empty
    // name.
    int run_ip_regeneration_by_tcl_interp(std::string const& file, std::string& result);

    // The wizard program that the runs start; the suite's own "vestawiz" beside
    // the running program unless a test named another.
    std::string const& get_wizard_program() const { return m_wizard_program; }
    void set_wizard_program(std::string const& program) { m_wizard_program = program; }

    // A file's result as the active revision's "IP Upgrade" report records it
    // (see IPMAN_REPORT_WRITER::get_ip_info_from_report); a default record
    // without such a report.
    IPMAN_IP_INFO get_ip_info_from_report(std::string file) const;
    // The same for each of `files`, read in one walk of the report.
    std::map<std::string, IPMAN_IP_INFO>
    get_ip_infos_from_report(std::vector<std::string> const& files) const;

    // Whether the IP wizard generated the file.
    bool is_vestawizard_file(FIO_PATH const& path) const;

private:
    static IPMAN_IPRGEN_MANAGER* iprgen_mgr;

    // The checks of check_file_is_valid; the header's only with `read_header`.
    bool check_file(std::string const& file, bool read_header,
                    IPMAN_FAIL_REGEN_TYPE& fail_type) const;

    // The command line that runs the wizard silently on `file`.
    std::string wizard_command_line(std::string const& file) const;
    // The text of a rule file to parse; false when there is none to use (a
    // missing file is no error, an unusable one is recorded).
    bool read_rule_file(char const* name, std::string& text);
    void add_rule_file_error(char const* name, std::string const& reason);

    std::string m_rules_directory;
    std::string m_wizard_program;
    std::vector<IP_REGEN_SECTION> m_ip_regen_list;
    std::vector<IP_NAME_PAIR> m_ip_core_name_mapping_list;
    std::vector<RULE_FILE_ERROR> m_rule_file_errors;
};
