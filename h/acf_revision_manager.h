// The one front end through which clients read and change the settings of one
// revision: it takes and releases the revision store's locks, announces that
// assignments changed, commits the settings when the write lock is released,
// and offers typed get, set and remove operations on global, instance and
// freeform assignments. Every operation is forwarded to the current store.
//
// Lock idiom of every client: take read_lock() (or write_lock(post_messages)
// for changes), test the result, work, and release the same kind of lock on
// every path; after a refusal release nothing. Assignment pointers obtained
// under a lock stay valid only while that lock is held.
#pragma once

#include "acf_file_categories.h"
#include "acf_table.h"

#include <list>
#include <string>
#include <vector>

class ACF_ASSIGNMENT;
class ACF_MANAGER_STORAGE;
class ACF_MGR_INPUT_PARAMETERS;
struct ACF_MANAGER_IMPL;

class ACF_REVISION_MANAGER {
public:
    // Why a manager or store operation failed; kept by the store as its last
    // error and returned by the project manager's operations.
    enum ERROR_STATUS {
        SUCCESS = 0,
        OUTPUT_FILE_IS_READ_ONLY = 1,
        FILE_CANNOT_BE_OPENED = 2,
        REVISION_FILE_DOES_NOT_EXIST = 3,
        INCLUDE_FILE_MISSING = 4,
        UNABLE_TO_WRITE_FILE = 5,
        NOT_LOCKED = 6,
        NOT_WRITE_LOCKED = 7,
        LOCK_HELD = 8,
        ILLEGAL_SECTION_NAME = 9,
        ILLEGAL_VARIABLE = 10,
        ILLEGAL_FREEFORM_VARIABLE = 11,
        ILLEGAL_ENTITY_NAME = 12,
        ILLEGAL_SECTION_ID = 13,
        ILLEGAL_TARGET_NAME = 14,
        ILLEGAL_SOURCE_NAME = 15,
        ILLEGAL_VALUE = 16,
        DUPLICATE_FOUND = 17,
        UNUSED_18 = 18,
        PROJECT_PATH_NOT_ABSOLUTE = 19,
        PROJECT_ALREADY_OPEN = 20,
        NO_PROJECT_OPEN = 21,
        EMPTY_NAME = 22,
        REVISION_NOT_IN_PROJECT = 23,
        REVISION_ALREADY_IN_PROJECT = 24,
        REVISION_IS_ACTIVE = 25,
        REVISION_FILE_NOT_DELETED = 26,
        ILLEGAL_ARGUMENT = 27,
        UNKNOWN_FILE_EXTENSION = 28,
        ERROR_IN_SETTINGS_FILE = 29,
        UNUSED_30 = 30,
        ILLEGAL_CHARACTERS_IN_NAME = 31,
        TCL_ERROR = 32,
        TCL_ERROR_INFO = 33,
        MISSING_TCL_FILE = 34,
        TCL_INFINITE_RECURSION = 35,
        INVALID_FAMILY = 36,
        PART_NOT_VALID = 37,
        DEVICE_FAMILY_CONFLICT = 38,
        INVALID_FAMILY_OPTION = 39,
        FILE_NAME_TOO_LONG = 40,
        GLOBAL_ASSIGNMENT_IN_TIP = 41,
        UNKNOWN_ERROR = 42
    };

    // Switches set by outside callers and read inside the settings library.
    enum BOOL_DATA {
        SKIP_MISSING_TCL_SCRIPT = 0,       // a missing sourced script passes without a message
        ALLOW_FAMILY_CONFLICT_WARNING = 1, // posted even while message posting is off
        BOOL_DATA_2 = 2,                   // not read by the settings library
        REOPEN_OPEN_PROJECT = 3,           // opening the open project file reads it again
        MAX_BOOL_DATA = 4
    };

    using ASSIGNMENT_LIST = std::list<ACF_ASSIGNMENT*>;
    using ASSIGNMENT_ITER = ASSIGNMENT_LIST::const_iterator;

    // Over a null store of its own.
    ACF_REVISION_MANAGER();
    // Over `storage`, which must not be null and stays the caller's.
    explicit ACF_REVISION_MANAGER(ACF_MANAGER_STORAGE* storage);
    virtual ~ACF_REVISION_MANAGER();
    ACF_REVISION_MANAGER(ACF_REVISION_MANAGER const&) = delete;
    ACF_REVISION_MANAGER& operator=(ACF_REVISION_MANAGER const&) = delete;

    // The current store. Replacing a null store deletes it; a null argument
    // installs a new null store; a replaced real store is not deleted.
    void set_current_storage_to(ACF_MANAGER_STORAGE* storage);
    // Deletes the current store and leaves none.
    void delete_storage();
    ACF_MANAGER_STORAGE* get_storage() const { return m_storage; }

    // Switches and modes.
    void set_bool_data(BOOL_DATA e, bool value);
    bool get_bool_data(BOOL_DATA e) const;
    void set_bypass_project_open_failure_status(bool bypass);
    bool get_bypass_project_open_failure_status() const;
    // True only while the assignments-changed notification is being broadcast.
    bool get_in_broadcast_mode() const { return m_in_broadcast_mode; }
    // Whether this process has a user interface (fixed at construction).
    bool get_is_ui_process() const { return m_is_ui_process; }

    // Locks.
    bool read_lock();
    bool read_lock_and_post_no_messages();
    void read_unlock();
    bool write_lock(bool post_messages);
    // Resets the filters; with `notify` broadcasts the change and clears the
    // changed list; commits when configured to; then releases the write lock.
    // Does nothing unless the write lock is held.
    void write_unlock(bool notify);
    // Under the write lock, drops the changes made and not committed: a change
    // of several assignments that failed partway is not written by a later
    // commit, the one at the unlock included, and the revision is read again
    // from its file at the next lock.
    void drop_uncommitted_changes();
    bool is_read_locked() const;
    bool is_write_locked() const;
    // Re-reads changed files through the store; true when it re-read.
    bool synchronize();
    // Applies what the running software makes of a revision just read: version
    // and creation stamps, obsolete freeform assignments, moved values.
    void resolve_special_cases();
    // Announces that assignments changed (only in a user-interface process and
    // only when the store reports changes).
    void broadcast_change_notification();

    // Forwarded to the current store.
    char const* get_active_revision_name() const;
    char const* get_active_revision_path() const;
    char const* get_top_level_entity_name() const;
    int get_last_error_status() const;
    bool set_default_status(ACF_ASSIGNMENT* asgn, bool is_default);
    ASSIGNMENT_ITER get_assignment_defaults_begin_iter() const;
    ASSIGNMENT_ITER get_assignment_defaults_end_iter() const;

    // Lookups. Global and instance lookups resolve a variable name to its type
    // (writing the type back into the record); operations without a kind in
    // their name choose freeform for type 0, global without a target, else
    // instance. Callers hold at least a read lock.
    ACF_ASSIGNMENT* get_global_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* get_instance_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* get_freeform_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* get_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters);

    // Value texts: the found assignment's value, else the record's original
    // value string.
    char const* get_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_global_unmodified_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_instance_unmodified_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    char const* get_unmodified_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);

    // Typed values: a non-empty value text converted, else the record's own
    // typed value.
    ACF_ENUM_VALUE_ENUM get_global_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ENUM_VALUE_ENUM get_instance_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ENUM_VALUE_ENUM get_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    int get_global_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    int get_instance_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    int get_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    double get_global_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    double get_instance_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    double get_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool get_global_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool get_instance_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool get_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);

    // Collections, appended to `coll`. A null record stands for every
    // assignment of the kind; get_assignment_coll(NULL, ...) appends global,
    // then instance, then freeform assignments.
    void get_global_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                    ASSIGNMENT_LIST* coll, bool use_defaults);
    // For each section identifier in turn, what get_global_assignment_coll
    // (without defaults) gives for the record with that section identifier,
    // the revision walked once for all of them; `colls` is replaced by one
    // list per identifier (empty ones when the variable is unknown).
    void get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                     std::vector<std::string> const& section_ids,
                                     std::vector<ASSIGNMENT_LIST>* colls);
    void get_instance_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                      ASSIGNMENT_LIST* coll);
    void get_freeform_assignment_coll(ASSIGNMENT_LIST* coll, char const* entity);
    void get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters, ASSIGNMENT_LIST* coll,
                             bool use_defaults);

    // Changes; callers hold the write lock. The set assignment takes the
    // record's ignore status and comment, and joins the changed list.
    ACF_ASSIGNMENT* set_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    // Typed sets write the record's typed value as the value text for the call
    // and clear the record's value string afterwards.
    ACF_ASSIGNMENT* set_global_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_instance_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_global_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_instance_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_global_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_instance_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_global_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_instance_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* set_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);

    // Removals; callers hold the write lock. Bulk removals return how many
    // assignments they removed; every removed one joins the changed list.
    bool remove_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    // What remove_global_assignment of each query in turn removes, with the
    // revision walked once per variable rather than once per query.
    bool remove_global_assignments(std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries);
    bool remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    bool remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    int remove_all_global_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type);
    int remove_all_instance_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type);
    int remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type);
    // The instance assignments whose target is `to` and whose source is `from`,
    // a null or empty text matching any (both empty: none).
    int remove_instance_assignments(char const* to, char const* from);
    int remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category);

    // The Tcl command that would set the described assignment in a settings
    // file, written into `out`.
    void get_tcl_set_command(ACF_MGR_INPUT_PARAMETERS* input_params, std::string& out);
    void get_tcl_set_command(ACF_VARIABLE_TYPE_ENUM variable, char const* variable_name,
                             char const* from, char const* to, char const* value,
                             char const* entity, char const* section_id, char const* comment,
                             bool ignored, bool removed, std::string& out);

private:
    // KIND_BY_RECORD chooses one of the others from the record.
    enum ASSIGNMENT_KIND { KIND_GLOBAL, KIND_INSTANCE, KIND_FREEFORM, KIND_BY_RECORD };

    // Sets the store's file-category filter to a record's category for as long
    // as it lives, so that a freeform assignment is looked up or made in the
    // category the caller names; the store's own filter comes back at its end.
    class FILE_CATEGORY_SCOPE {
    public:
        FILE_CATEGORY_SCOPE(ACF_MANAGER_STORAGE* storage,
                            ACF_MGR_INPUT_PARAMETERS const* input_parameters);
        ~FILE_CATEGORY_SCOPE();
        FILE_CATEGORY_SCOPE(FILE_CATEGORY_SCOPE const&) = delete;
        FILE_CATEGORY_SCOPE& operator=(FILE_CATEGORY_SCOPE const&) = delete;

    private:
        ACF_MANAGER_STORAGE* m_storage;
        ACF_FILE_CATEGORY_ENUM m_kept;
    };

    static bool resolve_variable_type(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    static ASSIGNMENT_KIND kind_of(ACF_MGR_INPUT_PARAMETERS* input_parameters);
    ACF_ASSIGNMENT* get_ptr_of_kind(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                    ASSIGNMENT_KIND kind);
    char const* value_text_of(ACF_ASSIGNMENT* asgn, ACF_MGR_INPUT_PARAMETERS* input_parameters,
                              bool unmodified);
    ACF_ASSIGNMENT* set_of_kind(ACF_MGR_INPUT_PARAMETERS* input_parameters, ASSIGNMENT_KIND kind);
    ACF_ASSIGNMENT* set_with_value_text(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                        ASSIGNMENT_KIND kind, char const* value);
    int count_and_record_removed(ASSIGNMENT_LIST const& removed);

    bool m_in_broadcast_mode;
    bool m_is_ui_process;
    ACF_MANAGER_IMPL* m_impl;
    bool m_bypass_project_open_failure;
    ACF_MANAGER_STORAGE* m_storage;
};

// The running software's version text as recorded in settings and project
// files: the suite's version, followed by " SP" and the service pack when there
// is one.
std::string acf_get_version_string();
