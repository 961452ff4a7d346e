// The file-backed store of one open revision: its assignment collection, the
// read/write lock that guards it, the search filters, the changed list, the
// files read for the revision with their modification times, and the roads by
// which settings enter it (settings files, CSV files, sourced Tcl scripts and IP
// files, and the one checked set operation).
//
// Units, in store/ unless another folder is named:
//   acf_manager_storage_real.cpp          lifecycle, locks, filters, changed list,
//                                         files, change times, synchronize
//   acf_manager_storage_real_messages.cpp statuses and their messages, queries and
//                                         the general removal
//   acf_manager_storage_real_legality.cpp the legality check of a new assignment
//   acf_manager_storage_real_reading.cpp  (formats/) reading settings, CSV and old
//                                         files
//   acf_manager_storage_real_scripts.cpp  sourcing Tcl scripts and IP files (the
//                                         evaluation through acf_script_evaluator.h)
//   acf_manager_storage_real_entity.cpp   top-level entity and removals by kind
//   acf_manager_storage_real_set.cpp      setting an assignment
//   acf_manager_storage_real_writer.cpp   (formats/) writing the settings file and
//                                         the defaults (owned by the project side)
//   acf_manager_storage_real_unsaved.cpp  this process's unsaved changes kept
//                                         across a re-read of the settings file
#pragma once

#include "acf_mgr_input_parameters.h"
#include "records/acf_manager_storage.h"

#include "suite/fileio/fio_change_watch.h"
#include "suite/threads/thr.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class ACF_ASGN_STORAGE;
struct ACF_ASGN_SEARCH_FILTER;
class ACF_ASSIGNMENT_FACTORY;
class ACF_MANAGER_READER;
class ACF_MGR_ASGN_LINE;
class FIO_PATH;
struct FIO_FILE_STATUS;
class MSG_POST;

// How a Tcl script enters a revision.
enum ACF_MGR_TCL_MODE {
    ACF_MGR_TCL_MODE_SCRIPT = 0, // a settings script ("source" line, SOURCE_TCL_SCRIPT_FILE)
    ACF_MGR_TCL_MODE_TIP = 1,    // an IP file
    ACF_MGR_TCL_MODE_SIP = 2,    // a system IP file
};

// How a settings file is read into a revision (read_file_from_disk).
struct ACF_READ_FILE_OPTIONS {
    // Put what is read into the collection; else make free-standing assignments.
    bool merge = false;
    // Also keep each free-standing assignment in the non-project list; with
    // clear_non_project the list is emptied before reading.
    bool keep_free_standing = false;
    // Handed to set_assignment as its mark_changed flag.
    bool mark_changed = false;
    // Post a message for a missing file and for each line in error.
    bool post = false;
    bool clear_non_project = false;
    // Give each assignment the name of the file its line came from.
    bool record_file_names = false;
    // A line in error makes the whole read fail.
    bool strict = false;
    // When not merging, turn each comment line into a comment assignment.
    bool keep_comments = false;
    // Receives every assignment created or changed (may be null).
    std::list<ACF_ASSIGNMENT*>* assignments = nullptr;
    // When given, lines of other variables are skipped (may be null).
    std::list<ACF_VARIABLE_TYPE_ENUM> const* variable_filter = nullptr;
    // When not 0, every assignment read gets this argument.
    ACF_ARGUMENT_TYPE_ENUM extra_argument = ACF_ARGUMENT_TYPE_NONE;
    std::string extra_argument_value;
};

// One file read for the revision.
struct ACF_MGR_FILE_INFO {
    std::string file_name;  // full path
    long modification_time; // seconds since the epoch, when read
    // What tells an edit apart even within the same second: the modification
    // time in nanoseconds, the size and the inode (an atomic rewrite makes a
    // new inode).
    int64_t stamp_ns;
    int64_t size;
    uint64_t inode;
    // The revision's settings file and, in a process without Tcl, the scripts
    // it sources: the files that count for is_read_only and are written back.
    bool is_settings_file;
};

// A change this process made to the revision and has not written yet: the
// assignment as it stands (or, removed, as it stood), kept across a re-read of
// the settings file that another process rewrote.
struct ACF_MGR_UNSAVED_CHANGE {
    ACF_MGR_INPUT_PARAMETERS params;
    bool removed = false;
    bool global = false;
    bool freeform = false;
    bool ignored = false;
    std::string comment;
};

// One default of a variable (the defaults table; built by read_defaults).
class ACF_MGR_DEFAULT_INFO {
public:
    ACF_MGR_DEFAULT_INFO() = default;
    ACF_MGR_DEFAULT_INFO(ACF_MGR_DEFAULT_INFO const&) = delete;
    ACF_MGR_DEFAULT_INFO& operator=(ACF_MGR_DEFAULT_INFO const&) = delete;

    ACF_VARIABLE_TYPE_ENUM get_variable_type() const { return m_variable; }
    void set_variable_type(ACF_VARIABLE_TYPE_ENUM variable) { m_variable = variable; }
    char const* get_variable_name() const { return text_of(m_variable_name, m_has_name); }
    void set_variable_name(char const* text) { set_text(m_variable_name, m_has_name, text); }
    char const* get_default_value() const { return text_of(m_default_value, m_has_value); }
    void set_default_value(char const* text) { set_text(m_default_value, m_has_value, text); }
    char const* get_section_identifier() const { return text_of(m_section_id, m_has_section_id); }
    void set_section_identifier(char const* text) {
        set_text(m_section_id, m_has_section_id, text);
    }
    DEV_FAMILY_ENUM get_family() const { return m_family; }
    void set_family(DEV_FAMILY_ENUM family) { m_family = family; }
    bool is_entity_specific() const { return m_entity_specific; }
    void set_entity_specific(bool on) { m_entity_specific = on; }
    bool has_section() const { return m_has_section; }
    void set_has_section(bool on) { m_has_section = on; }

private:
    static char const* text_of(std::string const& text, bool present) {
        return present ? text.c_str() : nullptr;
    }
    static void set_text(std::string& text, bool& present, char const* value) {
        present = value != nullptr;
        if (value != text.c_str()) {
            text = value != nullptr ? value : "";
        }
    }

    ACF_VARIABLE_TYPE_ENUM m_variable = ACF_VARIABLE_TYPE_NONE;
    std::string m_variable_name;
    std::string m_default_value;
    std::string m_section_id;
    bool m_has_name = false;
    bool m_has_value = false;
    bool m_has_section_id = false;
    DEV_FAMILY_ENUM m_family = DEV_FAMILY_GENERIC;
    bool m_entity_specific = false;
    bool m_has_section = false;
};

class ACF_MANAGER_STORAGE_REAL : public ACF_MANAGER_STORAGE {
public:
    using STATUS = int; // an ACF_REVISION_MANAGER::ERROR_STATUS
    using DEFAULT_TABLE = std::multimap<ACF_VARIABLE_TYPE_ENUM, ACF_MGR_DEFAULT_INFO*>;

    // --- Life ------------------------------------------------------------------
    // `project_file` is the project file's path; the revision's settings file is
    // beside it, named after the revision (with the settings-file extension when
    // `add_settings_extension`).
    ACF_MANAGER_STORAGE_REAL(std::string const& project_file, std::string const& revision_name,
                             ACF_REVISION_MANAGER* manager, bool add_settings_extension);
    ~ACF_MANAGER_STORAGE_REAL() override;
    ACF_MANAGER_STORAGE_REAL(ACF_MANAGER_STORAGE_REAL const&) = delete;
    ACF_MANAGER_STORAGE_REAL& operator=(ACF_MANAGER_STORAGE_REAL const&) = delete;

    // Frees the collection and everything read; with `new_collection` starts an
    // empty one (and with `read_defaults` builds the defaults).
    void reset(bool read_defaults, bool new_collection);

    // --- The storage interface (acf_manager_storage.h) ---------------------------
    void init_project_parameters_from(ACF_MANAGER_STORAGE const* other) override;
    void set_revision_manager(ACF_REVISION_MANAGER* revision_manager) override;
    bool is_null() const override { return false; }
    char const* get_project_path() const override { return m_project_path.c_str(); }
    char const* get_project_name() const override { return m_project_name.c_str(); }
    char const* get_project_full_path() const override { return m_project_full_path.c_str(); }
    char const* get_active_revision_name() const override { return m_revision_name.c_str(); }
    char const* get_active_revision_path() const override { return m_revision_path.c_str(); }

    bool write_lock(bool post_messages) override;
    void write_unlock() override;
    bool is_write_locked() const override;
    bool read_lock(bool post_messages) override;
    void read_unlock() override;
    bool is_read_locked() const override;
    bool synchronize() override;

    bool have_any_assignments_of_category_type_changed(ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                                       long since) override;
    long get_latest_actual_time_of_files() override;
    bool is_read_only(bool post_message) override;
    bool have_any_files_changed() override;
    long get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM feature) override;

    bool set_family_filter(DEV_FAMILY_ENUM family) override;
    bool set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) override;
    bool set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) override;
    bool set_ase_category_filter(ASE_CATEGORY_ENUM category) override;
    bool set_file_category_filter(ACF_FILE_CATEGORY_ENUM category) override;
    bool set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section) override;
    bool set_allow_ignored_assignments_filter(bool allow) override;
    bool reset_filters() override;

    ACF_ASSIGNMENT* get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                                   bool is_freeform, bool use_defaults) override;
    using ACF_MANAGER_STORAGE::set_assignment;
    ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool from_defaults,
                                   bool is_global, bool is_freeform, bool mark_changed,
                                   ASSIGNMENT_LIST* changed, bool check_legality,
                                   bool reader_flag_a, bool reader_flag_b,
                                   bool skip_fixed_check) override;
    void get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                             bool is_freeform, ASSIGNMENT_LIST* coll, bool use_defaults) override;
    void get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                     std::vector<std::string> const& section_ids,
                                     std::vector<ASSIGNMENT_LIST>* colls) override;
    bool remove_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool remove_global_assignments(std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries) override;
    bool remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    void remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                           bool is_freeform, ASSIGNMENT_LIST* removed) override;
    void remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                ASSIGNMENT_LIST* removed) override;
    void remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type, ASSIGNMENT_LIST* removed,
                                        bool global, bool instance) override;
    void remove_instance_assignments(char const* to, char const* from,
                                     ASSIGNMENT_LIST* removed) override;
    void get_all_assignments(ASSIGNMENT_LIST* coll, bool include_removed, bool global,
                             bool instance, bool freeform) override;

    bool is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;
    bool is_legal(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                  bool is_freeform) override;
    int get_last_error_status() override { return m_last_error_status.load(); }

    ACF_ASSIGNMENT* change_top_level_entity(char const* name, bool post_message) override;
    void get_list_of_current_entities(STRING_LIST* entity_list) override;
    void get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                         STRING_LIST* section_identifiers_list,
                                         std::string const& entity) override;
    bool check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                char const* section_id) override;
    bool write_files_to_disk(bool write_notes, bool flush) override;
    bool read_file_from_disk(char const* file_name, bool need_write_lock,
                             ACF_READ_FILE_OPTIONS& options) override;
    ASSIGNMENT_LIST* get_non_project_asgn_coll() override { return &m_non_project_assignments; }
    void clear_non_project_asgn_coll() override;

    bool is_modified() override { return test_state(STATE_MODIFIED); }
    ASSIGNMENT_ITER get_change_list_begin_iter() override { return m_changed_list.cbegin(); }
    ASSIGNMENT_ITER get_change_list_end_iter() override { return m_changed_list.cend(); }
    void remove_assignment_from_changed_list(ACF_ASSIGNMENT* asgn) override;
    void add_assignment_to_changed_list(ACF_ASSIGNMENT* asgn) override;
    void add_assignments_to_changed_list(ASSIGNMENT_LIST const& assignments) override;
    void clear_changed_list() override;

    ASSIGNMENT_ITER get_assignment_defaults_begin_iter() override { return m_defaults.cbegin(); }
    ASSIGNMENT_ITER get_assignment_defaults_end_iter() override { return m_defaults.cend(); }
    char const* get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type, char const* section_id,
                                               bool entity_specific,
                                               DEV_FAMILY_ENUM family) override;
    ACF_ASSIGNMENT* set_top_level_entity_assignment(char const* name) override;
    void handle_version_change(char const* last_version, char const* current_version) override;

    void add_assignment_to_non_proj_list(ACF_ASSIGNMENT* asgn) override;
    void add_comment_line(char const* text, char const* file_name) override;
    void move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn) override;
    bool write_revision_file_using_file_category_model() override;
    void get_list_of_include_files(STRING_LIST* include_files) override;
    bool is_assignment_deleted(ACF_ASSIGNMENT* asgn) override;
    bool set_default_status(ACF_ASSIGNMENT* asgn, bool is_default) override;
    bool is_project_open() const override { return true; }
    void replace_tdf_with_tsf_value(ACF_ASSIGNMENT* asgn) override;

    void display_post_messages() override;
    bool get_transient_assignments_mode() const override { return test_mode(MODE_TRANSIENT); }
    void set_transient_assignments_mode(bool transient) override {
        set_mode(MODE_TRANSIENT, transient);
    }
    bool supports_tcl() const override { return test_mode(MODE_SUPPORTS_TCL); }
    DEV_PART_ENUM get_project_part_enum() const override { return m_project_part; }
    DEV_FAMILY_ENUM get_project_family_enum() const override { return m_project_family; }
    std::string const& get_top_level_entity_name() const override {
        return m_top_level_entity_name;
    }
    bool get_allow_ignored_assignments() const override { return test_state(STATE_ALLOW_IGNORED); }
    void set_write_header_comments(bool write) override { set_mode(MODE_WRITE_HEADER, write); }
    void set_add_messages_to_post_list(bool collect) override {
        set_state(STATE_COLLECT_MESSAGES, collect);
    }
    void clear_is_modified() override { set_state(STATE_MODIFIED, false); }
    // Also what a failed commit does: no later commit writes what was
    // reported as not written.
    void drop_unwritten_changes() override;
    bool get_need_to_reopen_revision() const override { return test_state(STATE_NEED_REOPEN); }
    void set_need_to_reopen_revision(bool reopen) override { set_state(STATE_NEED_REOPEN, reopen); }
    ACF_FILE_CATEGORY_ENUM get_file_category_enum() const override {
        return static_cast<ACF_FILE_CATEGORY_ENUM>(m_file_category_filter.load());
    }
    void set_file_category_enum(ACF_FILE_CATEGORY_ENUM category) override {
        m_file_category_filter = category;
    }

    // --- Statuses and messages ---------------------------------------------------
    // Builds the message of `status` and posts it (or holds it while collecting),
    // when posting is on for the lock; returns the status the caller keeps.
    STATUS post_error_message(STATUS status, char const* file, int line,
                              ACF_MGR_INPUT_PARAMETERS* params, char const* name,
                              char const* detail, bool is_error);
    // Adds the record's Tcl command as an information sub-message; returns it.
    std::string generate_variable_detail_submessage(MSG_POST* message,
                                                    ACF_MGR_INPUT_PARAMETERS* record,
                                                    char const* file, int line);
    bool get_post_messages() const { return test_state(STATE_POST_MESSAGES); }
    void set_last_error_status(STATUS status) { m_last_error_status = status; }

    // --- Files -------------------------------------------------------------------
    void add_file_to_collection(char const* name, bool is_settings_file);
    // Records the watch's failed looks at the files as faults (acf_file_checks.h).
    void take_file_watch_faults();
    // The status of a file of the collection that this store has just written
    // (as the write read it: the name is not looked at again).
    void record_written_file(std::string const& file, FIO_FILE_STATUS const& status);
    void add_revision_tsf_to_collection_if_needed();
    void clear_file_collection();
    bool files_exist_to_be_committed() const;

    // --- Unsaved changes across a re-read ----------------------------------------
    using UNSAVED_CHANGES = std::list<ACF_MGR_UNSAVED_CHANGE>;
    // Appends every assignment (removed ones included) changed since the file
    // was last read or written, IP-file assignments left out.
    void collect_unsaved_changes(UNSAVED_CHANGES* out);
    // Sets (or removes) each again, as changed, over what was read since.
    void reapply_unsaved_changes(UNSAVED_CHANGES& changes);

    // --- Change times ------------------------------------------------------------
    void set_category_change_time(ACF_ASSIGNMENT* asgn);
    void set_category_change_time_for_assignments_in_collection(ASSIGNMENT_LIST* coll);

    // --- Reading -----------------------------------------------------------------
    bool internal_read_file_from_disk(char const* file_name, bool check_only,
                                      ACF_READ_FILE_OPTIONS& options);
    bool internal_read_modern_settings_file_from_disk(char const* file_name, bool check_only,
                                                      ACF_READ_FILE_OPTIONS& options);
    bool internal_read_legacy_settings_file_from_disk(char const* file_name, bool check_only,
                                                      ACF_READ_FILE_OPTIONS& options);
    bool internal_read_csv_settings_file_from_disk(char const* file_name, bool check_only,
                                                   ACF_READ_FILE_OPTIONS& options);
    // Finds the top-level entity (and, when merging, the library paths) and
    // marks the lines that belong to it without naming it; returns its name.
    std::string preprocess_read_assignments(ACF_MANAGER_READER* reader, bool merge);
    // A file that exists but could not be read whole: status 2, and the message
    // naming it with the reason, whatever the post flag says.
    void report_unreadable_file(char const* file_name, std::string const& reason);
    bool is_in_read_tsf_mode() const { return test_mode(MODE_READ_TSF); }

    // --- Sourcing Tcl scripts ----------------------------------------------------
    // Sources a script into the shared interpreter with its assignments held as
    // transient; true when it ran without error. One that exists but cannot be
    // read is counted in m_unreadable_scripts.
    bool evaluate_tcl_script(char const* file, ACF_MGR_TCL_MODE mode);
    // Whether a script file may be read: false, with a message, for a name too
    // long, a status that cannot be read or a file the user may not read;
    // false without one for a missing file, which `missing` tells.
    bool is_valid_input_file(FIO_PATH const& path, bool* missing);
    // The store whose script is being sourced now (the target of the suite's
    // assignment commands), or null.
    static ACF_MANAGER_STORAGE_REAL* get_sourcing_storage();

    // --- Top-level entity and removals -------------------------------------------
    // The Tcl command that would set the described assignment (shown in messages).
    void get_tcl_set_command(ACF_MGR_INPUT_PARAMETERS* input_parameters, std::string& out);
    void remove_project_library_paths_in_collection_as_needed(ASSIGNMENT_LIST* coll);
    // Turns the revision's default entity into the user's own setting.
    void make_user_setting(ACF_ASSIGNMENT* entity);
    // The entity named by a settings line (read or set) is the user's own,
    // also when it names the revision; with mark_changed it is written.
    void claim_top_level_entity(ACF_ASSIGNMENT* entity, bool mark_changed);

    // --- Writing and defaults (the project side: writer unit) ----------------------
    bool write_assignments_to_files(bool write_notes, bool flush);
    // The commit of write_files_to_disk once it knows there are changes to write.
    bool write_changed_files(bool write_notes, bool flush);
    // A settings file that could not be written: status 5 and the message
    // naming it with the reason (when the lock posts messages). False.
    bool report_unwritten_file(std::string const& reason);
    // A file written whose folder could not be flushed after the rename: the
    // warning that it is not confirmed durable, with the reason.
    void report_unconfirmed_write(std::string const& file, std::string const& reason);
    // The temporary files that commits of the settings file killed on the way
    // left beside it; called while its lock is held.
    void remove_temporaries_of_dead_commits();
    bool write_assignments_to_file(char const* file_name, bool write_notes, bool flush);
    void get_default_values(ACF_VARIABLE_TYPE_ENUM type, char const* variable_name,
                            char const* entity, char const* section_id, ASSIGNMENT_LIST* out,
                            bool create);
    void reset_family_default_values(ACF_MGR_INPUT_PARAMETERS* query);
    bool write_defaults_file(char const* revision, double last_number, double last_plain,
                             char const* last_text);
    // False when a defaults file exists but could not be read (reported).
    bool read_defaults();
    void update_entity_section_id_defaults(char const* entity, char const* section_id,
                                           ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
                                           bool mark_changed, bool entity_pass);

    // --- State read by the writer and tests ----------------------------------------
    ACF_ASGN_STORAGE* get_asgn_storage() const { return m_asgn_storage; }
    ACF_ASSIGNMENT_FACTORY* get_assignment_factory() const { return m_factory; }
    ACF_REVISION_MANAGER* get_revision_manager() const { return m_acf_revision_manager; }
    std::vector<ACF_MGR_FILE_INFO*> const& get_file_collection() const { return m_files; }
    unsigned get_lock_count() const { return m_lock_count.load(); }
    bool get_write_header_comments() const { return test_mode(MODE_WRITE_HEADER); }
    bool get_force_write() const { return test_state(STATE_FORCE_WRITE); }
    void set_force_write(bool on) { set_state(STATE_FORCE_WRITE, on); }
    // A settings file has been read into (or written from) this store.
    bool is_loaded() const { return test_state(STATE_LOADED); }
    // For a store read once, to list what the revision's files hold, and then
    // dropped: it builds none of the catalogue's defaults as assignments (nor
    // finds them by a query of a default) unless a defaults file sets some,
    // watches no file for changes and makes no installation defaults file.
    // Set before the first lock.
    void set_listing_only(bool on) { set_mode(MODE_LISTING_ONLY, on); }
    // The revision's defaults file had to be made on a version change and
    // could not be written.
    bool is_defaults_file_unwritten() const { return !m_defaults_write_error.empty(); }
    void set_loaded(bool on) { set_state(STATE_LOADED, on); }
    bool is_synchronizing() const { return test_state(STATE_SYNCHRONIZING); }
    // The search filter of the current lock, as the collection takes it.
    ACF_ASGN_SEARCH_FILTER current_filter() const;

    // State bits.
    enum : uint16_t {
        STATE_POST_MESSAGES = 1u << 0,
        STATE_ALLOW_IGNORED = 1u << 1,
        STATE_MODIFIED = 1u << 2,
        STATE_SYNCHRONIZING = 1u << 3,
        STATE_FORCE_WRITE = 1u << 4,
        STATE_NEED_REOPEN = 1u << 5,
        STATE_COLLECT_MESSAGES = 1u << 6,
        STATE_LOADED = 1u << 7,
        // A commit under the current write lock failed: nothing more is
        // written until the next lock.
        STATE_COMMIT_FAILED = 1u << 8,
    };
    // Mode bits.
    enum : uint8_t {
        MODE_WRITE_HEADER = 1u << 0,
        MODE_TRANSIENT = 1u << 1,
        MODE_SUPPORTS_TCL = 1u << 2,
        MODE_READ_TSF = 1u << 3,
        MODE_LISTING_ONLY = 1u << 4,
    };

private:
    // The global and instance removals: one keyed removal of either kind.
    bool remove_keyed_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global);
    // The section identifier that counts for the variable: one equal to the
    // active revision's name (old chip sections) or to the project's name (old
    // project sections) stands for none.
    char const* effective_section_id(ACF_VARIABLE_TYPE_ENUM variable, char const* section_id) const;
    bool test_state(uint16_t bit) const { return (m_state.load() & bit) != 0; }
    // Sets or clears a bit; returns whether it was set before.
    bool set_state(uint16_t bit, bool on) {
        return ((on ? m_state.fetch_or(bit) : m_state.fetch_and(static_cast<uint16_t>(~bit))) &
                bit) != 0;
    }
    bool test_mode(uint8_t bit) const { return (m_mode.load() & bit) != 0; }
    void set_mode(uint8_t bit, bool on) {
        if (on) {
            m_mode.fetch_or(bit);
        } else {
            m_mode.fetch_and(static_cast<uint8_t>(~bit));
        }
    }
    bool is_locked_for_change() const;
    void clear_default_table();
    void delete_post_list();
    // --- The steps of synchronize ---------------------------------------------------
    // Under the write lock: the settings file read afresh (or first). True when
    // the store now holds the file, or kept what it held over a rejected file;
    // `notify` tells whether the revision's peers hear of the change.
    bool reread_revision(bool was_loaded, bool* notify);
    // The unsaved changes collected and the collection emptied; returns a copy
    // of it to fall back to when the file is there (null otherwise).
    ACF_ASGN_STORAGE* empty_collection_for_reread(bool file_exists, UNSAVED_CHANGES* unsaved);
    // The revision's settings file read into the collection, strictly; the
    // assignments it no longer holds become changes.
    bool read_revision_settings_file(bool was_loaded, ASSIGNMENT_LIST* read_list);
    // A copy of the file the re-read rejected kept beside it, the store's
    // state written over it, and the user told.
    void keep_rejected_settings_file();

    // --- The steps of the modern read, line by line (reading unit) ---------------
    struct MODERN_READ;
    // The file's text read with what it includes; the reader's messages held.
    bool read_settings_text(MODERN_READ& read);
    // Before the lines are taken: room in the collection, a read with lines in
    // error marked to be written again, the top-level entity found.
    void prepare_to_take_read_lines(MODERN_READ& read);
    // A line in error: fails a strict read; a merging read is written again.
    void reject_read_line(MODERN_READ& read);
    void take_verbatim_line(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line);
    void take_sourced_script(MODERN_READ& read, char const* script);
    // A free-standing assignment goes to the caller's list, the non-project
    // list, or (wanted by neither) away.
    void keep_free_standing_assignment(ACF_READ_FILE_OPTIONS& options, ACF_ASSIGNMENT* asgn);
    // False for a line that is skipped without a report (filtered out).
    bool take_assignment_line(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line);
    // The line into the read record; false when an argument is refused.
    bool fill_read_record(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line,
                          ACF_VARIABLE_TYPE_ENUM variable, bool freeform);
    void set_read_assignment(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line,
                             ACF_VARIABLE_TYPE_ENUM variable, bool is_global, bool freeform);
    bool make_free_standing_assignment(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line,
                                       ACF_VARIABLE_TYPE_ENUM variable, bool freeform);
    // The line's status posted (when the read posts), or the failure bypassed.
    void report_read_line(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line);

    // --- The steps of set_assignment ---------------------------------------------
    // The assignment set and whether the change times take it.
    struct SET_RESULT {
        ACF_ASSIGNMENT* asgn = nullptr;
        bool record_change_time = false;
    };
    // Whether the store may change: under its write lock (where
    // `need_write_lock`), with its revision manager and outside a broadcast;
    // else the status says why not. Sets and reads of files ask it.
    bool may_change(bool need_write_lock);
    // A global assignment an IP file may not make is reported (and still set).
    void report_global_assignment_in_ip_file(ACF_MGR_INPUT_PARAMETERS& request,
                                             ACF_SET_ASSIGNMENT_OPTIONS const& options);
    // The value in its normal form: integers without decimals, times and
    // frequencies with a unit and no more decimals than it resolves, old values
    // renamed. True when decimals of a time were cut (the assignment then counts
    // as changed).
    bool normalize_requested_value(ACF_MGR_INPUT_PARAMETERS& request, bool from_defaults);
    void normalize_integer_value(ACF_MGR_INPUT_PARAMETERS& request);
    bool normalize_time_value(ACF_MGR_INPUT_PARAMETERS& request, int value_type,
                              bool from_defaults);
    // Section identifiers of the old chip and project sections stand for none.
    void drop_old_section_identifier(ACF_MGR_INPUT_PARAMETERS& request);
    // Legal, or a duplicate (which goes on); with check_legality off, always.
    bool is_request_legal(ACF_MGR_INPUT_PARAMETERS& request,
                          ACF_SET_ASSIGNMENT_OPTIONS const& options);
    // Every variable but the top-level entity: the assignment the request
    // replaces or revives takes the value, or a new one does.
    SET_RESULT set_keyed_assignment(ACF_MGR_INPUT_PARAMETERS& request,
                                    ACF_SET_ASSIGNMENT_OPTIONS const& options, bool cut_time_value);
    ACF_ASSIGNMENT* find_assignment_to_reuse(ACF_MGR_INPUT_PARAMETERS& request,
                                             ACF_SET_ASSIGNMENT_OPTIONS const& options,
                                             bool* reusing_exact);
    void revive_exact_match(ACF_ASSIGNMENT* reuse);
    void keep_equal_value(ACF_ASSIGNMENT* reuse, ACF_MGR_INPUT_PARAMETERS const& request,
                          ACF_SET_ASSIGNMENT_OPTIONS const& options);
    void change_value(ACF_ASSIGNMENT* reuse, ACF_MGR_INPUT_PARAMETERS const& request,
                      bool changed_status);
    ACF_ASSIGNMENT* add_new_assignment(ACF_MGR_INPUT_PARAMETERS& request,
                                       ACF_SET_ASSIGNMENT_OPTIONS const& options,
                                       bool cut_time_value);
    // What set_assignment does once an assignment holds the value: the
    // variables that steer the project (library paths, output directory, Tcl
    // scripts and IP files, device, family) take effect, and the assignment's
    // family argument is checked.
    void apply_variable_effects(ACF_ASSIGNMENT* asgn, bool from_defaults);
    void apply_device_effect(ACF_ASSIGNMENT* asgn);
    void apply_family_effect(ACF_ASSIGNMENT* asgn, bool from_defaults);
    void set_family_through_manager(DEV_FAMILY_ENUM family);
    void post_or_hold(MSG_POST* message);
    // Posts (or holds) a message about a file with the reason as its
    // sub-message, when the lock posts messages; deletes it otherwise.
    void post_with_reason(MSG_POST* message, std::string const& reason);

    // Lock state. The semaphore does the blocking; the count and flags are
    // atomics because readers on several threads update them.
    THR_READ_WRITE_SEMAPHORE* m_semaphore;
    std::atomic<uint32_t> m_lock_count{0};
    std::atomic<bool> m_write_locked{false};
    std::atomic<uint16_t> m_state{STATE_POST_MESSAGES};
    std::atomic<uint8_t> m_mode{MODE_WRITE_HEADER | MODE_SUPPORTS_TCL};
    // Queries made under shared read locks go through this one at a time: they
    // use work records of their own and of the collection.
    mutable std::recursive_mutex m_query_mutex;

    // Search filters of the current lock.
    std::atomic<int32_t> m_family_filter{DEV_FAMILY_GENERIC};
    std::atomic<int32_t> m_variable_trait_filter{0};
    std::atomic<int32_t> m_category_trait_filter{0};
    std::atomic<int32_t> m_ase_category_filter{0};
    std::atomic<int32_t> m_file_category_filter{ACF_FILE_CATEGORY_NONE};
    std::atomic<int32_t> m_section_category_filter{ACF_CATEGORY_SECTION_TYPE_MAX};

    DEV_FAMILY_ENUM m_project_family = DEV_FAMILY_GENERIC;
    // Set while the family was set explicitly (not from the defaults).
    bool m_family_is_explicit = false;
    DEV_PART_ENUM m_project_part = DEV_PART_GENERIC;
    // The three above as the write lock found them: changes dropped under the
    // lock put them back, since reading the file again does not.
    struct DEVICE_CHOICE {
        DEV_FAMILY_ENUM family;
        bool family_is_explicit;
        DEV_PART_ENUM part;
    };
    DEVICE_CHOICE m_device_at_write_lock{DEV_FAMILY_GENERIC, false, DEV_PART_GENERIC};
    std::atomic<int> m_last_error_status{0};

    std::string m_project_path; // with a trailing "/"
    std::string m_project_name;
    std::string m_project_full_path;
    std::string m_revision_name;
    std::string m_revision_path;
    std::string m_top_level_entity_name;

    ACF_ASSIGNMENT_FACTORY* m_factory = nullptr;
    ACF_ASGN_STORAGE* m_asgn_storage = nullptr;
    DEFAULT_TABLE m_default_table;
    ASSIGNMENT_LIST m_non_project_assignments;
    ACF_REVISION_MANAGER* m_acf_revision_manager = nullptr;
    ASSIGNMENT_LIST m_changed_list;
    ASSIGNMENT_LIST m_defaults;
    long m_category_change_times[6] = {};
    long m_feature_change_times[10] = {};
    std::map<std::string, bool> m_entity_section_id_defaults;
    std::list<MSG_POST*> m_post_list;
    std::vector<ACF_MGR_FILE_INFO*> m_files;
    // The same files by full path, the one form their names are kept in.
    std::unordered_map<std::string, ACF_MGR_FILE_INFO*> m_files_by_path;
    // The same files in the same order, watched: a lock looks only at those
    // that may have changed.
    FIO_CHANGE_WATCH m_file_watch;
    // A commit holds the settings file's lock between processes.
    bool m_commit_locked = false;
    // Why the last settings file write failed.
    std::string m_write_error;
    // Why the revision's defaults file could not be made on a version change.
    std::string m_defaults_write_error;

    // Work records: each operation copies its caller's record into its own.
    ACF_MGR_INPUT_PARAMETERS m_last_request;    // set_assignment: the request as normalised
    ACF_MGR_INPUT_PARAMETERS m_search_params;   // set_assignment: what it replaces
    ACF_MGR_INPUT_PARAMETERS m_remove_params;   // the general removal
    ACF_MGR_INPUT_PARAMETERS m_legal_params;    // is_legal's comparison record
    ACF_MGR_INPUT_PARAMETERS m_read_params;     // one line of a file read
    ACF_MGR_INPUT_PARAMETERS m_message_params;  // messages of the Tcl sourcing
    ACF_MGR_INPUT_PARAMETERS m_entity_params;   // a missing TOP_LEVEL_ENTITY
    ACF_MGR_INPUT_PARAMETERS m_defaults_params; // defaults (writer unit)

    STRING_LIST m_include_files;
    // The scripts now running: full paths, directories and mode words, pushed
    // together.
    STRING_LIST m_script_paths;
    STRING_LIST m_script_directories;
    STRING_LIST m_script_modes;
    std::map<std::string, bool> m_running_scripts;
    // How many scripts named by the settings existed but could not be read:
    // a read of the settings during which this grows fails.
    size_t m_unreadable_scripts = 0;
};

// Sources-of-scripts helpers (acf_manager_storage_real_scripts.cpp).
// Simplifies a path with a directory part; a relative one becomes absolute
// against the current directory.
void acf_normalize_input_path(FIO_PATH* path);
// Whether the running program is the suite's command-line shell "tessaly_cmd".
bool acf_current_executable_is_tessaly_cmd();
