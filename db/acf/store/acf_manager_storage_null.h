// The store that stands in while no project is open: it answers every query
// with nothing, ignores every change, refuses every lock, and still answers
// the catalogue's default values.
#pragma once

#include "acf_manager_storage.h"

#include <cstddef>

class ACF_MANAGER_STORAGE_NULL : public ACF_MANAGER_STORAGE {
public:
    ACF_MANAGER_STORAGE_NULL() = default;
    ~ACF_MANAGER_STORAGE_NULL() override;

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
    void drop_unwritten_changes() override {}
    bool get_need_to_reopen_revision() const override;
    void set_need_to_reopen_revision(bool reopen) override;
    ACF_FILE_CATEGORY_ENUM get_file_category_enum() const override;
    void set_file_category_enum(ACF_FILE_CATEGORY_ENUM category) override;

    // The default value text of the first of `rows`, in order, that has one and
    // fits the variable, the section identifier (a row that takes one needs one,
    // an empty text on either side matching any; a row that takes none needs
    // null), the entity placement and the family (56 on either side matches).
    static char const* find_default_value(ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const* rows,
                                          size_t count, ACF_VARIABLE_TYPE_ENUM type,
                                          char const* section_id, bool has_entity,
                                          DEV_FAMILY_ENUM family);

private:
    // The top-level entity name every null store hands out: one empty text.
    static std::string const s_null_entity_name;
};
