// A revision store for tests of the settings library's clients (the revision
// manager, assignments, the assignment collection) that need a store without
// files. It records every call in order and answers from data the test sets;
// it decides nothing that the code under test is meant to decide.
//
// Locks follow the store's contract: read locks nest and count, the write lock
// needs no lock of either kind and does not nest, a refused write lock still
// records its message-posting choice, and every granted lock resets the
// filters and then runs the owning revision manager's synchronize().
#pragma once

#include "acf_mgr_input_parameters.h"
#include "records/acf_manager_storage.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class ACF_TEST_STORAGE : public ACF_MANAGER_STORAGE {
public:
    ACF_TEST_STORAGE();
    ~ACF_TEST_STORAGE() override;

    // --- What the test reads back --------------------------------------------
    // Calls in order, as "name(arguments)"; identity and plain state getters
    // (names, paths, modes, filters' current values) are not recorded.
    std::vector<std::string> calls;
    // The record of the last get_assignment, set_assignment or is_legal call,
    // copied at the call, and the store's file-category filter at that moment.
    std::unique_ptr<ACF_MGR_INPUT_PARAMETERS> last_query;
    ACF_FILE_CATEGORY_ENUM file_category_at_last_query = ACF_FILE_CATEGORY_NONE;
    ACF_REVISION_MANAGER* revision_manager = nullptr;
    bool post_messages = true;
    ASSIGNMENT_LIST changed_list;
    ASSIGNMENT_LIST non_project_list; // owned

    // --- What the store answers ---------------------------------------------
    std::string project_path = "/projects/chip/";
    std::string project_name = "chip";
    std::string project_full_path = "/projects/chip/chip.tpf";
    std::string revision_name = "chip";
    std::string revision_path = "/projects/chip/chip.tsf";
    std::string top_level_entity_name = "chip";
    bool project_open = true;
    bool synchronize_answer = false;
    bool write_files_answer = true;
    // The kinds of assignment the legality checks accept.
    std::set<std::string> legal_kinds{"global", "instance", "freeform"};
    int last_error_status = 0;
    DEV_FAMILY_ENUM project_family = DEV_FAMILY_GENERIC;
    DEV_PART_ENUM project_part = DEV_PART_GENERIC;
    // get_assignment answers this for every query.
    ACF_ASSIGNMENT* assignment_answer = nullptr;
    // set_assignment answers this and reports these as changed.
    ACF_ASSIGNMENT* set_answer = nullptr;
    ASSIGNMENT_LIST set_reports_changed;
    // Appended by get_assignment_coll, get_all_assignments and the removals.
    ASSIGNMENT_LIST coll_answer;
    ASSIGNMENT_LIST removed_answer;
    bool remove_answer = false;
    // Default values by variable; get_default_value_for_variable answers null
    // for a variable without an entry.
    std::map<ACF_VARIABLE_TYPE_ENUM, std::string> defaults;
    ASSIGNMENT_LIST defaults_list;
    bool modified = false;

    // --- Lock state (by the store's contract) -------------------------------
    unsigned lock_count() const { return m_lock_count; }

    // --- ACF_MANAGER_STORAGE ------------------------------------------------
    void init_project_parameters_from(ACF_MANAGER_STORAGE const* other) override;
    void set_revision_manager(ACF_REVISION_MANAGER* revision_manager) override;
    bool is_null() const override;
    char const* get_project_path() const override;
    char const* get_project_name() const override;
    char const* get_project_full_path() const override;
    char const* get_active_revision_name() const override;
    char const* get_active_revision_path() const override;
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
    int get_last_error_status() override;
    ACF_ASSIGNMENT* change_top_level_entity(char const* name, bool post_message) override;
    void get_list_of_current_entities(STRING_LIST* entity_list) override;
    void get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                         STRING_LIST* section_identifiers_list,
                                         std::string const& entity) override;
    bool check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                                char const* section_id) override;
    bool write_files_to_disk(bool write_project_file, bool forced) override;
    bool read_file_from_disk(char const* file_name, bool need_write_lock,
                             ACF_READ_FILE_OPTIONS& options) override;
    ASSIGNMENT_LIST* get_non_project_asgn_coll() override;
    void clear_non_project_asgn_coll() override;
    bool is_modified() override;
    ASSIGNMENT_ITER get_change_list_begin_iter() override;
    ASSIGNMENT_ITER get_change_list_end_iter() override;
    void remove_assignment_from_changed_list(ACF_ASSIGNMENT* asgn) override;
    void add_assignment_to_changed_list(ACF_ASSIGNMENT* asgn) override;
    void add_assignments_to_changed_list(ASSIGNMENT_LIST const& assignments) override;
    void clear_changed_list() override;
    ASSIGNMENT_ITER get_assignment_defaults_begin_iter() override;
    ASSIGNMENT_ITER get_assignment_defaults_end_iter() override;
    char const* get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type, char const* section_id,
                                               bool has_entity, DEV_FAMILY_ENUM family) override;
    ACF_ASSIGNMENT* set_top_level_entity_assignment(char const* name) override;
    void handle_version_change(char const* old_version, char const* new_version) override;
    void add_assignment_to_non_proj_list(ACF_ASSIGNMENT* asgn) override;
    void add_comment_line(char const* text, char const* file_name) override;
    void move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn) override;
    bool write_revision_file_using_file_category_model() override;
    void get_list_of_include_files(STRING_LIST* include_files) override;
    bool is_assignment_deleted(ACF_ASSIGNMENT* asgn) override;
    bool set_default_status(ACF_ASSIGNMENT* asgn, bool is_default) override;
    bool is_project_open() const override;
    void replace_tdf_with_tsf_value(ACF_ASSIGNMENT* asgn) override;
    void display_post_messages() override;
    bool get_transient_assignments_mode() const override;
    void set_transient_assignments_mode(bool transient) override;
    bool supports_tcl() const override;
    DEV_PART_ENUM get_project_part_enum() const override;
    DEV_FAMILY_ENUM get_project_family_enum() const override;
    std::string const& get_top_level_entity_name() const override;
    bool get_allow_ignored_assignments() const override;
    void set_write_header_comments(bool write) override;
    void set_add_messages_to_post_list(bool collect) override;
    void clear_is_modified() override;
    void drop_unwritten_changes() override;
    bool get_need_to_reopen_revision() const override;
    void set_need_to_reopen_revision(bool reopen) override;
    ACF_FILE_CATEGORY_ENUM get_file_category_enum() const override;
    void set_file_category_enum(ACF_FILE_CATEGORY_ENUM category) override;

    // --- Filters as last set --------------------------------------------------
    DEV_FAMILY_ENUM family_filter = DEV_FAMILY_GENERIC;
    ACF_VARIABLE_TRAIT_TYPE_ENUM variable_trait_filter = ACF_VARIABLE_TRAIT_TYPE_ENUM(0);
    ACF_CATEGORY_TRAIT_TYPE_ENUM category_trait_filter = ACF_CATEGORY_TRAIT_TYPE_GENERIC;
    ASE_CATEGORY_ENUM ase_category_filter = ASE_CATEGORY_NONE;
    ACF_FILE_CATEGORY_ENUM file_category_filter = ACF_FILE_CATEGORY_NONE;
    ACF_CATEGORY_SECTION_TYPE_ENUM section_category_filter = ACF_CATEGORY_SECTION_TYPE_MAX;
    bool allow_ignored = false;
    bool transient_mode = false;
    bool need_to_reopen = false;

private:
    void record(std::string call);
    void record_query(std::string call, ACF_MGR_INPUT_PARAMETERS* input_parameters);
    void append(ASSIGNMENT_LIST const& from, ASSIGNMENT_LIST* to);
    bool locked() const { return m_lock_count > 0; }

    unsigned m_lock_count = 0;
    bool m_write_locked = false;
};
