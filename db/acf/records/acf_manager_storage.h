// The settings store of one revision, as the revision manager and the
// assignment records and collections see it: locks, search filters, queries,
// changes, legality checks, the changed list, defaults and file input and
// output. Implemented by the file-backed store of an open revision and by the
// null store that stands in while no project is open. The interface stays
// inside the settings library.
//
// P below is the caller's query record; result lists belong to the caller and
// are appended to, never emptied.
#pragma once

#include "acf_file_categories.h"
#include "acf_table.h"
#include "catalogue/acf_defaults.h"

#include <list>
#include <string>
#include <vector>

class ACF_ASSIGNMENT;
class ACF_MGR_INPUT_PARAMETERS;
class ACF_REVISION_MANAGER;
struct ACF_READ_FILE_OPTIONS;

// How set_assignment takes a value: its flags by name. Callers fill this and
// call the set_assignment that takes it.
struct ACF_SET_ASSIGNMENT_OPTIONS {
    // The value comes from the defaults (the assignment holds a default).
    bool from_defaults = false;
    bool is_global = false;
    bool is_freeform = false;
    // The assignment counts as changed (to be written).
    bool mark_changed = false;
    // Receives the assignment set, and what a request without a value removes
    // (may be null).
    std::list<ACF_ASSIGNMENT*>* changed = nullptr;
    // Refuse a request that is_legal refuses (a duplicate goes on).
    bool check_legality = false;
    // A new assignment never revives a removed one of the same key
    // (reader_flag_a).
    bool always_new = false;
    // An equal value still takes from_defaults as its default status
    // (reader_flag_b).
    bool equal_value_takes_default_status = false;
    // Also set variables whose value cannot be changed.
    bool skip_fixed_check = false;
};

// The store answers the catalogue's defaults lookup (get_default_value_for_variable).
class ACF_MANAGER_STORAGE : public ACF_DEFAULT_VALUE_LOOKUP {
public:
    using ASSIGNMENT_LIST = std::list<ACF_ASSIGNMENT*>;
    using ASSIGNMENT_ITER = ASSIGNMENT_LIST::const_iterator;
    using STRING_LIST = std::list<std::string>;

    virtual ~ACF_MANAGER_STORAGE();

    // Identity and owner.
    virtual void init_project_parameters_from(ACF_MANAGER_STORAGE const* other) = 0;
    virtual void set_revision_manager(ACF_REVISION_MANAGER* revision_manager) = 0;
    virtual bool is_null() const = 0;
    virtual char const* get_project_path() const = 0;
    virtual char const* get_project_name() const = 0;
    virtual char const* get_project_full_path() const = 0;
    virtual char const* get_active_revision_name() const = 0;
    virtual char const* get_active_revision_path() const = 0;
    // A file the settings name, taken from the project's folder when the name
    // is relative (whatever the current folder), as it was written otherwise.
    std::string in_project_folder(char const* name) const;

    // Locks: read locks nest; the write lock needs no lock of either kind to be
    // held and does not nest. Every granted lock resets the search filters and
    // synchronises the store with its files.
    virtual bool write_lock(bool post_messages) = 0;
    virtual void write_unlock() = 0;
    virtual bool is_write_locked() const = 0;
    virtual bool read_lock(bool post_messages) = 0;
    virtual void read_unlock() = 0;
    virtual bool is_read_locked() const = 0;
    // Re-reads the files whose modification time changed; true when it re-read.
    virtual bool synchronize() = 0;

    // Change times and file state.
    virtual bool have_any_assignments_of_category_type_changed(ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                                               long since) = 0;
    virtual long get_latest_actual_time_of_files() = 0;
    virtual bool is_read_only(bool post_message) = 0;
    virtual bool have_any_files_changed() = 0;
    virtual long get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM feature) = 0;

    // Search filters, each kept until the next lock or unlock; false when no
    // lock is held.
    virtual bool set_family_filter(DEV_FAMILY_ENUM family) = 0;
    virtual bool set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) = 0;
    virtual bool set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) = 0;
    virtual bool set_ase_category_filter(ASE_CATEGORY_ENUM category) = 0;
    virtual bool set_file_category_filter(ACF_FILE_CATEGORY_ENUM category) = 0;
    virtual bool set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section) = 0;
    virtual bool set_allow_ignored_assignments_filter(bool allow) = 0;
    // The generic family (DEV_FAMILY_GENERIC), no variable trait, category trait
    // or ASE category, any file category (ACF_FILE_CATEGORY_NONE), every section
    // (ACF_CATEGORY_SECTION_TYPE_MAX), ignored assignments not allowed.
    virtual bool reset_filters() = 0;

    // Queries and changes.
    virtual ACF_ASSIGNMENT* get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                           bool is_global, bool is_freeform, bool use_defaults) = 0;
    virtual ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                           bool from_defaults, bool is_global, bool is_freeform,
                                           bool mark_changed, ASSIGNMENT_LIST* changed,
                                           bool check_legality, bool reader_flag_a,
                                           bool reader_flag_b, bool skip_fixed_check) = 0;
    ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                   ACF_SET_ASSIGNMENT_OPTIONS const& options) {
        return set_assignment(input_parameters, options.from_defaults, options.is_global,
                              options.is_freeform, options.mark_changed, options.changed,
                              options.check_legality, options.always_new,
                              options.equal_value_takes_default_status, options.skip_fixed_check);
    }
    virtual void get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                                     bool is_freeform, ASSIGNMENT_LIST* coll,
                                     bool use_defaults) = 0;
    // For each section identifier in turn, what get_assignment_coll of the
    // record with that section identifier (global, no defaults) appends,
    // found in one walk of the revision.
    virtual void get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                             std::vector<std::string> const& section_ids,
                                             std::vector<ASSIGNMENT_LIST>* colls) = 0;
    virtual bool remove_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    // What remove_global_assignment of each query in turn removes, with the
    // revision walked once per variable rather than once per query.
    virtual bool remove_global_assignments(std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries) = 0;
    virtual bool remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    virtual bool remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    // Without type and name: freeform, then global, then instance removal until
    // one removes something; else ACF_VARIABLE_TYPE_NONE freeform, no target
    // global, else instance.
    virtual bool remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    virtual void remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                                   bool is_freeform, ASSIGNMENT_LIST* removed) = 0;
    virtual void remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                        ASSIGNMENT_LIST* removed) = 0;
    virtual void remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type,
                                                ASSIGNMENT_LIST* removed, bool global,
                                                bool instance) = 0;
    // The instance assignments whose target is `to` and whose source is `from`,
    // a null or empty text matching any (both empty: none).
    virtual void remove_instance_assignments(char const* to, char const* from,
                                             ASSIGNMENT_LIST* removed) = 0;
    virtual void get_all_assignments(ASSIGNMENT_LIST* coll, bool include_removed, bool global,
                                     bool instance, bool freeform) = 0;

    // Legality of a new assignment; the reason of a refusal is left in the last
    // error status.
    virtual bool is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    virtual bool is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    virtual bool is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) = 0;
    virtual bool is_legal(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                          bool is_freeform) = 0;
    // An ACF_REVISION_MANAGER::ERROR_STATUS.
    virtual int get_last_error_status() = 0;

    // Entities, sections and files.
    virtual ACF_ASSIGNMENT* change_top_level_entity(char const* name, bool post_message) = 0;
    virtual void get_list_of_current_entities(STRING_LIST* entity_list) = 0;
    virtual void get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                 STRING_LIST* section_identifiers_list,
                                                 std::string const& entity) = 0;
    virtual bool check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                        char const* section_id) = 0;
    virtual bool write_files_to_disk(bool write_project_file, bool forced) = 0;
    virtual bool read_file_from_disk(char const* file_name, bool need_write_lock,
                                     ACF_READ_FILE_OPTIONS& options) = 0;
    virtual ASSIGNMENT_LIST* get_non_project_asgn_coll() = 0;
    virtual void clear_non_project_asgn_coll() = 0;

    // The changed list: assignments changed since the last commit.
    virtual bool is_modified() = 0;
    virtual ASSIGNMENT_ITER get_change_list_begin_iter() = 0;
    virtual ASSIGNMENT_ITER get_change_list_end_iter() = 0;
    virtual void remove_assignment_from_changed_list(ACF_ASSIGNMENT* asgn) = 0;
    virtual void add_assignment_to_changed_list(ACF_ASSIGNMENT* asgn) = 0;
    virtual void add_assignments_to_changed_list(ASSIGNMENT_LIST const& assignments) = 0;
    virtual void clear_changed_list() = 0;

    // Defaults.
    virtual ASSIGNMENT_ITER get_assignment_defaults_begin_iter() = 0;
    virtual ASSIGNMENT_ITER get_assignment_defaults_end_iter() = 0;
    virtual ACF_ASSIGNMENT* set_top_level_entity_assignment(char const* name) = 0;
    virtual void handle_version_change(char const* old_version, char const* new_version) = 0;

    // The collection.
    virtual void add_assignment_to_non_proj_list(ACF_ASSIGNMENT* asgn) = 0;
    virtual void add_comment_line(char const* text, char const* file_name) = 0;
    virtual void move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn) = 0;
    virtual bool write_revision_file_using_file_category_model() = 0;
    virtual void get_list_of_include_files(STRING_LIST* include_files) = 0;
    virtual bool is_assignment_deleted(ACF_ASSIGNMENT* asgn) = 0;
    // Sets the default mark; a change also moves the assignment to the end of
    // the collection. True when the mark changed.
    virtual bool set_default_status(ACF_ASSIGNMENT* asgn, bool is_default) = 0;
    virtual bool is_project_open() const = 0;
    virtual void replace_tdf_with_tsf_value(ACF_ASSIGNMENT* asgn) = 0;

    // Messages, modes and project parameters.
    virtual void display_post_messages() = 0;
    virtual bool get_transient_assignments_mode() const = 0;
    virtual void set_transient_assignments_mode(bool transient) = 0;
    virtual bool supports_tcl() const = 0;
    virtual DEV_PART_ENUM get_project_part_enum() const = 0;
    virtual DEV_FAMILY_ENUM get_project_family_enum() const = 0;
    virtual std::string const& get_top_level_entity_name() const = 0;
    virtual bool get_allow_ignored_assignments() const = 0;
    virtual void set_write_header_comments(bool write) = 0;
    virtual void set_add_messages_to_post_list(bool collect) = 0;
    virtual void clear_is_modified() = 0;
    // Drops the changes not committed yet, as after a failed commit: no
    // later commit under this lock writes them, and the settings file is read
    // afresh at the next lock.
    virtual void drop_unwritten_changes() = 0;
    virtual bool get_need_to_reopen_revision() const = 0;
    virtual void set_need_to_reopen_revision(bool reopen) = 0;
    // The file-category search filter itself, without the lock test.
    virtual ACF_FILE_CATEGORY_ENUM get_file_category_enum() const = 0;
    virtual void set_file_category_enum(ACF_FILE_CATEGORY_ENUM category) = 0;
};
