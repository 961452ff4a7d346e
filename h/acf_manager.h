// The one project manager of a process. It is the revision manager of the
// active revision (its locks and typed operations are those of
// ACF_REVISION_MANAGER), and its current store is the null store until a
// project opens.
//
// It opens, creates and closes projects, keeps one revision store per opened
// revision in a cache (key: directory, project name and revision), lends side
// managers for other revisions of the open project, adds, removes and
// activates revisions, and reads and rewrites the project file.
//
// Units: acf_manager.cpp (creation and the forwarders), acf_manager_queries.cpp
// (guarded queries, reading other settings files, bulk removals),
// acf_manager_factory.cpp (further managers and the unload of the process-wide one),
// acf_manager_project.cpp (open, create, close, commit, the store cache and
// side managers), acf_manager_revisions.cpp (revision operations and the
// project-file members), acf_manager_old_files.cpp (backing up and removing
// old-format files).
#pragma once

#include "acf_revision_manager.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <vector>

class ACF_MANAGER_STORAGE;
struct ACF_READ_FILE_OPTIONS;

// Which display text of a file category to give.
enum FILE_CATEGORY_INFO : int32_t {
    FILE_CATEGORY_INFO_DISPLAY_TEXT = 0,
    FILE_CATEGORY_INFO_SECOND_DISPLAY_TEXT = 1,
};

// One entry of the store cache: the owned store, how many callers hold its
// side manager, that side manager (null when none), and when its revision was
// last opened (the manager's count of opens).
struct ACF_MANAGER_STORAGE_INFO {
    ACF_MANAGER_STORAGE* m_storage = nullptr;
    int32_t m_reference_count = 0;
    ACF_REVISION_MANAGER* m_side_manager = nullptr;
    uint64_t m_last_opened = 0;

    bool has_side_managers() const { return m_reference_count != 0; }
};

class ACF_MANAGER : public ACF_REVISION_MANAGER {
public:
    using STRING_LIST = std::list<std::string>;

    ACF_MANAGER();
    ~ACF_MANAGER() override;

    // The process-wide manager, created on first use and destroyed when the
    // settings library is unloaded; callers never free it.
    static ACF_MANAGER* get_acf_manager();

    // --- Projects (results are ERROR_STATUS values) -------------------------------
    int open_project(char const* dir, char const* project_name, char const* revision,
                     bool convert_old_files, bool create_if_missing, bool show_messages,
                     bool commit_new_files, bool make_active);
    int internal_open_create_project(char const* dir, char const* project_name,
                                     char const* revision, bool convert_old_files,
                                     bool already_open_ok, bool create_if_missing,
                                     bool revision_defaulted, bool commit_new_files,
                                     bool make_active);
    // The characters a project or revision name may not hold: a name with one
    // is refused with ILLEGAL_CHARACTERS_IN_NAME.
    static char const* get_illegal_name_characters();
    // The longest revision name whose files' names the file system takes: a
    // longer one is refused at creation with FILE_NAME_TOO_LONG.
    static size_t get_max_revision_name_length();
    // False without an open project. Leaves the store cache as it is.
    bool close_project(bool commit);
    // How many times a project was closed in this process: what is kept of a
    // project's files beside the database compares it to notice a close.
    unsigned long get_project_close_count() const { return m_project_close_count; }
    bool is_project_open() const;
    // Writes the active revision's files; creates a missing project file.
    bool commit_files_to_disk(bool notify, bool flush);
    void display_message_when_open_failed(int status, char const* project_file,
                                          char const* revision) const;

    // --- Revisions (results are ERROR_STATUS values) -------------------------------
    // Claims the files it makes until the project file lists the revision
    // (settle_unfinished_revision_creations).
    int add_revision_to_project(char const* revision, bool copy_from_base,
                                char const* base_revision);
    // Finishes what creations of revisions killed before their end left in the
    // open project's folder: a revision the project file lists keeps its
    // files; of one it does not list, the files its creation made go, so that
    // the name is free again. A file no creation claimed is never touched.
    void settle_unfinished_revision_creations();
    int remove_revision_from_project(char const* revision, bool delete_file);
    int set_active_revision_name(char const* revision, bool commit_new_files, bool make_active);
    void duplicate_base_tdf_for_new_revision(char const* base_revision, char const* revision) const;
    void remove_all_revision_files(char const* prj_path);
    // Housekeeping of the old-format files in `dir` (the old project file and
    // the four old section files; not the old workspace file): with `backup`
    // copies them all into `backup_dir` first and stops at a failed copy; then
    // removes the old project file of `project_name` and, with
    // `remove_setting_files`, every old-format file. False when anything failed.
    static bool backup_remove_old_setting_files(char const* dir, bool backup,
                                                char const* backup_dir, bool remove_project_file,
                                                char const* project_name,
                                                bool remove_setting_files);
    // Converts the project of an old project file (`old_file` with the old
    // project-file extension) into a project file and one settings file per
    // revision, when that file exists or `revision` is given, no project is open
    // and the path is absolute. False only when a conversion ran and failed; it
    // then left every file as it was.
    bool convert_project(char const* old_file, char const* revision);

    // --- The project file ----------------------------------------------------------
    // False when the file could not be written (the old one stays whole).
    bool write_tpf_file(char const* prj_path, STRING_LIST const* revisions);
    static bool create_tpf_file_for_revision(char const* project_file, char const* revision);
    void get_list_of_revisions_for_project(char const* project_path, STRING_LIST* list) const;
    void get_list_of_revisions_for_project(STRING_LIST* list) const;
    bool is_revision_listed_in_project(char const* prj_path, char const* revision_name) const;
    bool is_revision_included_in_project(char const* revision) const;
    bool move_revision_to_top_of_project_file_list(char const* prj_path, char const* revision_name);
    bool move_revision_to_bottom_of_project_file_list(char const* prj_path,
                                                      char const* revision_name);
    bool remove_revision_name_from_project_file(char const* prj_path, char const* revision_name);
    bool check_for_revision_files(char const* project_path) const;
    std::string get_active_cap_from_tpf_or_tws_file(char const* prj_path) const;
    // The revision an open of that project would use; stored in `out` when given.
    void get_active_revision_for_project(char const* dir, char const* project_name,
                                         char const* revision, std::string* out) const;

    // --- The store cache -------------------------------------------------------------
    void free_cached_storage();
    void set_storage_from_cache(ACF_MANAGER_STORAGE_INFO* storage_info);
    void insert_storage_in_map(std::string const& key, ACF_MANAGER_STORAGE* storage);
    void delete_storage_in_map(std::string const& key);
    ACF_MANAGER_STORAGE_INFO* find_revision_in_map(char const* revision);
    void create_manager_storage_search_key(char const* revision, std::string* out) const;

    // --- Side managers (results are ERROR_STATUS values) -------------------------------
    int retain_side_manager(char const* revision, ACF_REVISION_MANAGER** out);
    int release_side_manager(char const* revision);
    int release_side_manager(ACF_REVISION_MANAGER* side_manager);
    int load_side_revision_if_needed(char const* revision);
    // SUCCESS when `revision` is another revision of the open, write-locked project.
    int check_other_revision(char const* revision);
    int set_other_revision_assignment(char const* revision,
                                      ACF_MGR_INPUT_PARAMETERS* input_parameters, bool commit);

    // --- Asked of the current store ----------------------------------------------------
    char const* get_project_path() const;
    char const* get_project_name() const;
    char const* get_project_full_path() const;
    bool is_modified() const;
    bool is_read_only() const;
    DEV_FAMILY_ENUM get_project_family_enum() const;
    DEV_PART_ENUM get_project_part_enum() const;
    void get_all_assignments(ASSIGNMENT_LIST* list, bool include_removed);
    bool have_any_assignments_of_category_type_changed(ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                                       long since);
    long get_latest_actual_time_of_files();
    long get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM feature);
    // Search filters of the current lock; false when no lock is held.
    bool reset_filters();
    bool set_family_filter(DEV_FAMILY_ENUM family);
    bool set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait);
    bool set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait);
    bool set_ase_category_filter(ASE_CATEGORY_ENUM category);
    bool set_allow_ignored_assignments_filter(bool allow);
    bool set_file_category_filter(ACF_FILE_CATEGORY_ENUM category);
    bool set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section);
    // The assignments of a Comma-Separated Value file, read into the current
    // store's list of no project, so the revision is untouched, and handed to
    // `each` in file order; `error_rows` gets the rows that are no assignment.
    // False when the file cannot be read or no settings store is current.
    bool read_csv_assignments(char const* file_name,
                              std::function<void(ACF_ASSIGNMENT const*)> const& each,
                              std::vector<std::string>* error_rows);
    bool is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ASSIGNMENT_ITER get_change_list_begin_iter();
    ASSIGNMENT_ITER get_change_list_end_iter();
    bool is_assignment_deleted(ACF_ASSIGNMENT* asgn);
    void set_transient_assignments_mode(bool transient);
    bool get_transient_assignments_mode() const;
    ACF_ASSIGNMENT* change_top_level_entity(char const* name);
    // The default value text of a variable (null when there is none).
    char const* get_assignment_default_value(ACF_VARIABLE_TYPE_ENUM type, char const* section_id,
                                             bool has_entity, DEV_FAMILY_ENUM family);
    bool write_revision_file_using_file_category_model();
    // Reads a settings file beside the project into the non-project list (null
    // on failure); the caller empties it with clear_read_assignment_collection.
    ASSIGNMENT_LIST*
    read_assignment_setting_file(char const* file_name,
                                 std::list<ACF_VARIABLE_TYPE_ENUM> const* variables, bool flag);
    void clear_read_assignment_collection();
    bool has_any_settings_file_changed_since_last_read(bool show_message, bool reload);
    static char const* get_assignment_defaults_file_name();
    void notification_failure() { m_flags |= FLAG_NOTIFICATION_FAILURE; }

    // --- Guarded queries -------------------------------------------------------------------
    // Asks the store for freeform legality for variable type 0, else global
    // legality without a target and instance legality with one.
    bool is_legal_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    // These need a read or write lock (false without one); they append to the
    // list and answer whether it is non-empty.
    bool get_list_of_current_entities(STRING_LIST* entity_list);
    bool get_list_of_include_files(STRING_LIST* include_files);
    bool get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                         STRING_LIST* section_identifiers_list,
                                         std::string const& entity);
    bool check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                char const* section_id);
    static char const* get_file_category_info(ACF_FILE_CATEGORY_ENUM category,
                                              FILE_CATEGORY_INFO info);
    // Whether any assignment changed since the last commit has the category trait.
    bool test_category_trait_on_changed_assignments(ACF_CATEGORY_TRAIT_TYPE_ENUM trait);

    // --- Bulk removals under the write lock (results: how many were removed) -----------
    // Every assignment carrying the argument; with a value only those whose
    // argument value equals it (ignoring case unless the argument is
    // case-sensitive).
    int remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_ENUM argument, char const* value);
    // Every assignment of the section identifier (ignoring case); with an
    // entity only those of that entity (case-sensitive).
    int remove_all_assignments_in_section(char const* section_id, char const* entity);

private:
    friend class ACF_MANAGER_INITIALIZER;
    enum : uint8_t { FLAG_NOTIFICATION_FAILURE = 1u << 0, FLAG_PROCESS_WIDE = 1u << 1 };
    using STORAGE_MAP = std::map<std::string, ACF_MANAGER_STORAGE_INFO*>;

    // Makes `storage` current; a real store made current by this manager that
    // is neither cached nor lent is deleted when it is replaced.
    void replace_current_storage(ACF_MANAGER_STORAGE* storage);
    bool is_cached(ACF_MANAGER_STORAGE const* storage) const;
    template <class MATCHES> int remove_all_assignments_that(MATCHES const& matches);
    void report_dangling_side_manager(ACF_MANAGER_STORAGE_INFO const* info) const;
    // Notes the current store as opened last, and lets go of the stores of
    // closed revisions beyond the few opened last, so that a script visiting
    // many revisions in turn does not keep them all: only stores that hold
    // nothing unsaved, are not locked and lend no side manager go.
    void release_closed_storages();

    static ACF_MANAGER* acf_manager;

    std::string m_project_file_full_path;
    STORAGE_MAP m_acf_manager_storage_map;
    unsigned long m_project_close_count = 0;
    uint64_t m_open_count = 0;
    uint8_t m_flags = 0;
    // Whether the settings files of the revision that internal_open_create_project
    // last opened are read-only: looked at while what that open wrote could
    // still be taken back.
    bool m_opened_read_only = false;
};

// Search key of the store cache: dir (with a trailing "/") + "::" + project
// name + "::" + revision.
void acf_create_manager_storage_search_key(char const* dir, char const* project_name,
                                           char const* revision, std::string* out);
// Appends "/" to a non-empty text that does not end with it.
void acf_ensure_trailing_separator(std::string* text);
// A display text of a file category (0 to 20) from the catalogue; null for
// any other category or info.
char const* acf_get_file_category_info(ACF_FILE_CATEGORY_ENUM category, FILE_CATEGORY_INFO info);

// The value text of a global setting (of the section, when one is named) of
// the process-wide manager's active revision, read under a read lock taken
// only when no lock is held; "" when it is not set or cannot be read.
std::string acf_get_global_setting_text(ACF_VARIABLE_TYPE_ENUM variable,
                                        char const* section_id = nullptr);
// The process-wide manager's open project: its directory and name; false,
// with both untouched, when no project is open.
bool acf_get_open_project(std::string* directory, std::string* name);

// Makes project managers other than the process-wide one (for example the
// temporary manager that writes a converted project) and deletes them.
class ACF_MANAGER_FACTORY {
public:
    static ACF_MANAGER* create_new_manager();
    // Null is ignored.
    static void delete_manager(ACF_MANAGER* manager);
};

// Created with the settings library; its destruction at unload deletes the
// process-wide manager.
class ACF_MANAGER_INITIALIZER {
public:
    ACF_MANAGER_INITIALIZER() = default;
    ~ACF_MANAGER_INITIALIZER();
    ACF_MANAGER_INITIALIZER(ACF_MANAGER_INITIALIZER const&) = delete;
    ACF_MANAGER_INITIALIZER& operator=(ACF_MANAGER_INITIALIZER const&) = delete;
};
