// The IP inventory: the process-wide manager of the project's IP components and
// their database, the open project's names that reports show, and the reading
// of IP variation files and the search for them.
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"
#include "ipman/ipman_ip_info.h"

#include <functional>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

class ACF_ASSIGNMENT;
class HDB_CMP_ACTION_PT_INSTANCE;
class IPMAN_HIERARCHY_SCAN_CACHE;
class HDB_INSTANCE_NAME;
class HDB_SOURCE_FILE;
struct HDB_DESIGN_UNIT;
class IPMAN_IPRGEN_MANAGER;

class IPMAN_IP_INFO_MANAGER {
public:
    // The process-wide manager, made on first use and never destroyed.
    static IPMAN_IP_INFO_MANAGER* get_ip_info_manager();

    IPMAN_IP_INFO_MANAGER(IPMAN_IP_INFO_MANAGER const&) = delete;
    IPMAN_IP_INFO_MANAGER& operator=(IPMAN_IP_INFO_MANAGER const&) = delete;

    // --- The inventory ----------------------------------------------------------
    // Rebuilds the database from the open project's settings that came from IP
    // files: one record per IP file and entity, linked to its variation file and
    // its parent, marked when it needs an upgrade. `need_regen` tells whether a
    // top-level component needs one; only then is `required` replaced (see
    // get_required_regen_ip_info). `all` always receives every record.
    void load_ip_info(bool& need_regen, std::vector<IPMAN_IP_INFO>& all,
                      std::vector<IPMAN_IP_INFO>& required);
    // The scan's steps: records from the assignments, links to variation files
    // and parents.
    void collect_all_ip_cores_from_tip();
    void extract_tip_info_by_assignment(ACF_ASSIGNMENT* asgn);
    void manipulate_ip_cores_info_list();

    // A component whose IP file names a file with a variation file's extension
    // that could not be read, and no variation file that could: `info` is its
    // top-level record, `info.var_file` the file, `why` the reason.
    struct UNREAD_COMPONENT {
        IPMAN_IP_INFO info;
        std::string why;
    };
    // Those the last load_ip_info met; they are not in the database.
    std::vector<UNREAD_COMPONENT> const& get_unread_components() const {
        return m_unread_components;
    }

    // Whether some top-level record needs an upgrade.
    bool has_required_regeneration_ip() const;
    // In stored order: the top-level records that need an upgrade and the
    // sub-components of those.
    std::vector<IPMAN_IP_INFO> get_required_regen_ip_info() const;
    // Whether the first top-level record of that entity needs an upgrade.
    bool is_parent_ip_core_need_regen(std::string const& entity) const;
    // The upgrade decision for an IP name (or the other name of its pair).
    bool is_ip_need_regen(std::string const& name, std::string const& version) const;
    bool is_vestawizard_file(FIO_PATH const& path) const;

    // The value as stored of the first project-wide global assignment of that
    // variable whose IP file is `tip_file` and whose entity is `entity`.
    bool get_ipcore_info_from_tip_acf_manager(std::string const& tip_file,
                                              std::string const& entity,
                                              ACF_VARIABLE_TYPE_ENUM type, std::string& value);
    // The same for every component at once, by IP file and entity, in one
    // walk of the settings.
    using IPCORE_VALUES = std::map<std::pair<std::string, std::string>, std::string>;
    IPCORE_VALUES get_ipcore_infos_from_tip_acf_manager(ACF_VARIABLE_TYPE_ENUM type);
    // The active revision's global assignments of a file category, fetched
    // under a read lock taken here when none is held. The pointers stay valid
    // until a later lock re-reads the settings.
    std::list<ACF_ASSIGNMENT*>
    get_acf_assignment_coll_by_file_category(ACF_FILE_CATEGORY_ENUM category);
    // The IP files the project names (TIP_FILE), in settings order.
    std::vector<std::string> get_tip_files_from_opened_project();
    // Kept for the suite's callers; does nothing.
    void remove_and_add_tip_file_to_acf();

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
    // The folder of the open project (that of its active revision's settings
    // file), "" without an open project.
    std::string get_project_directory() const;
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
    // directory that does not exist leaves the list unchanged. The same walk
    // settles first, in each folder under its lock, what killed wizard runs left
    // half done (wizman_recover_tree), and reads each header once. A backup
    // that an upgrade left beside its file (IPMAN_IPRGEN_MANAGER::backup_file)
    // is left out; when there are any, IPRGEN_BACKUPS_LEFT_OUT says how many.
    // A folder under `dir` that cannot be read is named in the warning
    // IPRGEN_DIRECTORY_SKIPPED, a file with such an extension that cannot be
    // read in the error IPRGEN_FILE_UNREADABLE, and the search goes on without
    // them. False when one of them was met: the list may then lack components.
    bool get_variation_file_by_dir(std::string const& dir, std::list<std::string>* out);
    // Whether a path ends in a Verilog, VHDL or SystemVerilog extension, as
    // written (case counts): the files that may be variation files.
    static bool has_variation_file_extension(std::string const& path);

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

    // "Mon YYYY" from "YYYY.MM" (2012.06 gives "Jun 2012"); "N/A" without a
    // point or with a month outside 1 to 12.
    static std::string format_release_date(std::string const& date);
    // The text, or "N/A" when it is empty or only blanks.
    static std::string na_format(std::string const& s);
    // Whether a recorded version is older than the running one: with `exact`,
    // whether it differs at all; otherwise by the number its leading digits,
    // points and blanks make ("N/A" never is).
    static bool is_ip_out_of_date(std::string const& version, bool exact);

    // --- The design-hierarchy scan (ipman_hierarchy_scan.cpp) -------------------
    // Empties the database and adds, in walk order from `top`, one record per IP
    // component of the compiled design: instances whose design file carries IP
    // settings, was generated by the IP wizard or is an encrypted IP file. A
    // nested instance of the component added last is not added again. Returns
    // the database's records. The project's settings, each design file's header
    // and each instance's IP data are read once per scan; encrypted files once
    // while the same project stays open.
    std::vector<IPMAN_IP_INFO> collect_all_ip_cores(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                    HDB_INSTANCE_NAME const* top);
    // The record of one instance, a default record when it is not an IP; the
    // database is left as it is.
    IPMAN_IP_INFO get_ip_info_from_file(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                        HDB_INSTANCE_NAME const* inst);

    // The scan's steps.
    void collect_ip_cores(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst);
    void collect_ip(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst);
    // Classifies the instance by its design file's flags and fills `out`.
    bool get_ip_info(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst,
                     HDB_SOURCE_FILE const* file, IPMAN_IP_INFO* out);
    bool get_unencrypted_ipcore_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                     HDB_INSTANCE_NAME const* inst, IPMAN_IP_INFO* out);
    // From the container's header, or from the cache of files already read;
    // `out` keeps its entity and parent entity either way.
    bool get_encrypted_ipcore_info(HDB_INSTANCE_NAME const* inst, HDB_SOURCE_FILE const* file,
                                   IPMAN_IP_INFO* out);
    // Whether the instance wraps exactly one child that is an encrypted IP;
    // the child's design file goes to `out`.
    bool only_child_is_encrypted(HDB_SOURCE_FILE const* file, HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                 HDB_INSTANCE_NAME const* inst, HDB_SOURCE_FILE const** out);
    // The nearest ancestor below the root that is an IP component, as a record
    // in `out`; false, `out` unchanged, when there is none.
    bool get_entity_ip_core_parent_and_create_ip_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                      HDB_INSTANCE_NAME const* inst,
                                                      IPMAN_IP_INFO& out);
    // An instance's IP data, from (in order of preference) its own string
    // options, the project's settings, the compiled IP settings, the variation
    // file's header.
    bool extract_ipcore_info(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst,
                             std::string& name, std::string& version, std::string& generated_by,
                             std::string& tip_file, std::string& var_file);
    // The IP settings file of the instance's design file; unless `full`, its
    // TIP argument first; else the design file itself when wizard-generated.
    std::string get_ip_file(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst,
                            bool full);
    bool get_ipcore_info_from_tip_assignment(HDB_INSTANCE_NAME const* inst, std::string& name,
                                             std::string& version, std::string& generated_by);
    // The last value, of the options of that variable among the compiled IP
    // settings, whose IP file is `tip_file` ignoring case ("N/A" for empty).
    bool get_tip_info(HDB_CMP_ACTION_PT_INSTANCE const* cap, ACF_VARIABLE_TYPE_ENUM type,
                      char const* tip_file, std::string* value);
    bool get_tip_ipcores_info(HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_SOURCE_FILE const* file,
                              std::string& name, std::string& version, std::string& generated_by);
    bool get_ipcore_info_from_tip_or_variation_file(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                    HDB_SOURCE_FILE const* file, std::string& name,
                                                    std::string& version,
                                                    std::string& generated_by);
    // The instance's design unit: by source component in its library, else by name alone.
    HDB_DESIGN_UNIT const* ip_find_entity(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                          HDB_INSTANCE_NAME const* inst);

    // Small hierarchy accessors: the instance of that full name (null without
    // a compilation point); the parent (null below depth 2); the ancestor of
    // depth 1 (the root for the root).
    static HDB_INSTANCE_NAME const* get_hdb_iname(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                  std::string const& name);
    static HDB_INSTANCE_NAME const* get_entity_parent(HDB_INSTANCE_NAME const* inst);
    static HDB_INSTANCE_NAME const* get_entity_top_parent(HDB_INSTANCE_NAME const* inst);

    // Tests: where the hierarchy scan takes the upgrade manager (its IP name
    // pairs) from; the process-wide one when never set or set empty.
    static void set_regen_manager_source(std::function<IPMAN_IPRGEN_MANAGER*()> source);

private:
    IPMAN_IP_INFO_MANAGER();

    // Whether there is a database; reports an internal error when not.
    bool has_db() const;
    // The first record that `match` accepts, or null.
    IPMAN_IP_INFO const* find_first(std::function<bool(IPMAN_IP_INFO const&)> const& match) const;
    // Empties the encrypted-file cache when the project it was filled for is
    // no longer the open one.
    void forget_encrypted_ip_of_closed_project();
    // The hierarchy scan's component added last; a default record before the first.
    IPMAN_IP_INFO const& work_ip_info() const;

    static IPMAN_IP_INFO_MANAGER* ip_info_mgr;

    IPMAN_IP_INFO_DB* m_db;
    // The hierarchy scan's component added last: its position in the database
    // (which the scan only appends to), NO_WORK_IP_INFO before the first.
    static constexpr size_t NO_WORK_IP_INFO = SIZE_MAX;
    size_t m_work_ip_info = NO_WORK_IP_INFO;
    // The hierarchy scan's encrypted IP files already read, by full path, and
    // the project open when they were read: a scan that finds another project
    // open, or none, reads them again.
    std::map<std::string, IPMAN_IP_INFO> m_encrypted_ip_cache;
    std::string m_encrypted_ip_cache_project;
    // The lookups of the hierarchy scan running, null between scans.
    IPMAN_HIERARCHY_SCAN_CACHE* m_scan_cache = nullptr;
    // IP file (as its assignments name it) to the first variation file found
    // for it; kept for the life of the process.
    std::map<std::string, std::string> m_variation_files;
    // IP file to the first file of its that could not be read, with the
    // reason, and the components left without a variation file by such files:
    // both of the last load_ip_info.
    struct UNREAD_FILE {
        std::string file;
        std::string why;
    };
    std::map<std::string, UNREAD_FILE> m_unreadable_files;
    std::vector<UNREAD_COMPONENT> m_unread_components;
};
