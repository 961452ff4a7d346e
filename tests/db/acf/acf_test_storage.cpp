#include "acf_test_storage.h"

#include "acf_assignment.h"
#include "acf_revision_manager.h"

namespace {

std::string flags(std::initializer_list<bool> values) {
    std::string text;
    for (bool value : values) {
        text += text.empty() ? "" : ",";
        text += value ? "1" : "0";
    }
    return text;
}

} // namespace

ACF_TEST_STORAGE::ACF_TEST_STORAGE() = default;

ACF_TEST_STORAGE::~ACF_TEST_STORAGE() {
    for (ACF_ASSIGNMENT* asgn : non_project_list) {
        delete asgn;
    }
}

void ACF_TEST_STORAGE::record(std::string call) {
    calls.push_back(std::move(call));
}

void ACF_TEST_STORAGE::record_query(std::string call, ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    record(std::move(call));
    last_query.reset();
    if (input_parameters != nullptr) {
        last_query = std::make_unique<ACF_MGR_INPUT_PARAMETERS>(*input_parameters);
    }
    file_category_at_last_query = file_category_filter;
}

void ACF_TEST_STORAGE::append(ASSIGNMENT_LIST const& from, ASSIGNMENT_LIST* to) {
    if (to != nullptr) {
        to->insert(to->end(), from.begin(), from.end());
    }
}

void ACF_TEST_STORAGE::init_project_parameters_from(ACF_MANAGER_STORAGE const*) {
    record("init_project_parameters_from()");
}

void ACF_TEST_STORAGE::set_revision_manager(ACF_REVISION_MANAGER* manager) {
    record("set_revision_manager()");
    revision_manager = manager;
}

bool ACF_TEST_STORAGE::is_null() const {
    return false;
}
char const* ACF_TEST_STORAGE::get_project_path() const {
    return project_path.c_str();
}
char const* ACF_TEST_STORAGE::get_project_name() const {
    return project_name.c_str();
}
char const* ACF_TEST_STORAGE::get_project_full_path() const {
    return project_full_path.c_str();
}
char const* ACF_TEST_STORAGE::get_active_revision_name() const {
    return revision_name.c_str();
}
char const* ACF_TEST_STORAGE::get_active_revision_path() const {
    return revision_path.c_str();
}

bool ACF_TEST_STORAGE::write_lock(bool post) {
    record("write_lock(" + flags({post}) + ")");
    post_messages = post;
    if (m_write_locked || m_lock_count != 0) {
        return false;
    }
    ++m_lock_count;
    m_write_locked = true;
    reset_filters();
    if (revision_manager != nullptr) {
        revision_manager->synchronize();
    }
    return true;
}

void ACF_TEST_STORAGE::write_unlock() {
    record("write_unlock()");
    if (m_write_locked) {
        reset_filters();
        --m_lock_count;
        m_write_locked = false;
    }
}

bool ACF_TEST_STORAGE::is_write_locked() const {
    return m_write_locked && m_lock_count > 0;
}

bool ACF_TEST_STORAGE::read_lock(bool post) {
    record("read_lock(" + flags({post}) + ")");
    if (m_write_locked) {
        return false;
    }
    ++m_lock_count;
    post_messages = post;
    reset_filters();
    if (revision_manager != nullptr) {
        revision_manager->synchronize();
    }
    return true;
}

void ACF_TEST_STORAGE::read_unlock() {
    record("read_unlock()");
    if (!m_write_locked && m_lock_count > 0) {
        reset_filters();
        --m_lock_count;
    }
}

bool ACF_TEST_STORAGE::is_read_locked() const {
    return m_lock_count > 0;
}

bool ACF_TEST_STORAGE::synchronize() {
    record("synchronize()");
    return synchronize_answer;
}

bool ACF_TEST_STORAGE::have_any_assignments_of_category_type_changed(ACF_CATEGORY_TRAIT_TYPE_ENUM,
                                                                     long) {
    record("have_any_assignments_of_category_type_changed()");
    return false;
}

long ACF_TEST_STORAGE::get_latest_actual_time_of_files() {
    record("get_latest_actual_time_of_files()");
    return 0;
}

bool ACF_TEST_STORAGE::is_read_only(bool post) {
    record("is_read_only(" + flags({post}) + ")");
    return false;
}

bool ACF_TEST_STORAGE::have_any_files_changed() {
    record("have_any_files_changed()");
    return false;
}

long ACF_TEST_STORAGE::get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM) {
    record("get_latest_change_time_of_feature()");
    return 0;
}

bool ACF_TEST_STORAGE::set_family_filter(DEV_FAMILY_ENUM family) {
    record("set_family_filter()");
    if (locked()) {
        family_filter = family;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) {
    record("set_variable_trait_filter()");
    if (locked()) {
        variable_trait_filter = trait;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) {
    record("set_category_trait_filter()");
    if (locked()) {
        category_trait_filter = trait;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_ase_category_filter(ASE_CATEGORY_ENUM category) {
    record("set_ase_category_filter()");
    if (locked()) {
        ase_category_filter = category;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_file_category_filter(ACF_FILE_CATEGORY_ENUM category) {
    record("set_file_category_filter()");
    if (locked()) {
        file_category_filter = category;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section) {
    record("set_section_category_filter()");
    if (locked()) {
        section_category_filter = section;
    }
    return locked();
}

bool ACF_TEST_STORAGE::set_allow_ignored_assignments_filter(bool allow) {
    record("set_allow_ignored_assignments_filter(" + flags({allow}) + ")");
    if (locked()) {
        allow_ignored = allow;
    }
    return locked();
}

bool ACF_TEST_STORAGE::reset_filters() {
    record("reset_filters()");
    if (!locked()) {
        return false;
    }
    family_filter = DEV_FAMILY_GENERIC;
    variable_trait_filter = ACF_VARIABLE_TRAIT_TYPE_ENUM(0);
    category_trait_filter = ACF_CATEGORY_TRAIT_TYPE_GENERIC;
    ase_category_filter = ASE_CATEGORY_NONE;
    file_category_filter = ACF_FILE_CATEGORY_NONE;
    section_category_filter = ACF_CATEGORY_SECTION_TYPE_MAX;
    allow_ignored = false;
    return true;
}

ACF_ASSIGNMENT* ACF_TEST_STORAGE::get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                 bool is_global, bool is_freeform,
                                                 bool use_defaults) {
    record_query("get_assignment(" + flags({is_global, is_freeform, use_defaults}) + ")",
                 input_parameters);
    return assignment_answer;
}

ACF_ASSIGNMENT* ACF_TEST_STORAGE::set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                 bool from_defaults, bool is_global,
                                                 bool is_freeform, bool mark_changed,
                                                 ASSIGNMENT_LIST* changed, bool check_legality,
                                                 bool reader_flag_a, bool reader_flag_b,
                                                 bool skip_fixed_check) {
    record_query("set_assignment(" +
                     flags({from_defaults, is_global, is_freeform, mark_changed, changed != nullptr,
                            check_legality, reader_flag_a, reader_flag_b, skip_fixed_check}) +
                     ")",
                 input_parameters);
    append(set_reports_changed, changed);
    return set_answer;
}

void ACF_TEST_STORAGE::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                           bool is_global, bool is_freeform, ASSIGNMENT_LIST* coll,
                                           bool use_defaults) {
    record_query("get_assignment_coll(" + flags({is_global, is_freeform, use_defaults}) + ")",
                 input_parameters);
    append(coll_answer, coll);
}

void ACF_TEST_STORAGE::get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                   std::vector<std::string> const& section_ids,
                                                   std::vector<ASSIGNMENT_LIST>* colls) {
    record_query("get_global_assignment_colls(" + std::to_string(section_ids.size()) + ")",
                 input_parameters);
    colls->assign(section_ids.size(), coll_answer);
}

bool ACF_TEST_STORAGE::remove_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    record_query("remove_global_assignment()", input_parameters);
    return remove_answer;
}

bool ACF_TEST_STORAGE::remove_global_assignments(
    std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries) {
    for (ACF_MGR_INPUT_PARAMETERS query : queries) {
        record_query("remove_global_assignments()", &query);
    }
    return remove_answer && !queries.empty();
}

bool ACF_TEST_STORAGE::remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    record_query("remove_instance_assignment()", input_parameters);
    return remove_answer;
}

bool ACF_TEST_STORAGE::remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    record_query("remove_freeform_assignment()", input_parameters);
    return remove_answer;
}

bool ACF_TEST_STORAGE::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    record_query("remove_assignment()", input_parameters);
    return remove_answer;
}

void ACF_TEST_STORAGE::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                                         bool is_freeform, ASSIGNMENT_LIST* removed) {
    record_query("remove_assignment(" + flags({is_global, is_freeform}) + ")", input_parameters);
    append(removed_answer, removed);
}

void ACF_TEST_STORAGE::remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                              ASSIGNMENT_LIST* removed) {
    record("remove_all_assignments_of_ase_category(" + std::to_string(category) + ")");
    append(removed_answer, removed);
}

void ACF_TEST_STORAGE::remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type,
                                                      ASSIGNMENT_LIST* removed, bool global,
                                                      bool instance) {
    record("remove_all_assignments_of_type(" + std::to_string(type) + "," +
           flags({global, instance}) + ")");
    append(removed_answer, removed);
}

void ACF_TEST_STORAGE::remove_instance_assignments(char const* to, char const* from,
                                                   ASSIGNMENT_LIST* removed) {
    record(std::string("remove_instance_assignments(") + (to ? to : "null") + "," +
           (from ? from : "null") + ")");
    append(removed_answer, removed);
}

void ACF_TEST_STORAGE::get_all_assignments(ASSIGNMENT_LIST* coll, bool include_removed, bool global,
                                           bool instance, bool freeform) {
    record("get_all_assignments(" + flags({include_removed, global, instance, freeform}) + ")");
    append(coll_answer, coll);
}

bool ACF_TEST_STORAGE::is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return is_legal(input_parameters, true, false);
}

bool ACF_TEST_STORAGE::is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return is_legal(input_parameters, false, false);
}

bool ACF_TEST_STORAGE::is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return is_legal(input_parameters, false, true);
}

bool ACF_TEST_STORAGE::is_legal(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                                bool is_freeform) {
    record_query("is_legal()", input_parameters);
    return legal_kinds.count(is_freeform ? "freeform" : is_global ? "global" : "instance") != 0;
}

int ACF_TEST_STORAGE::get_last_error_status() {
    return last_error_status;
}

ACF_ASSIGNMENT* ACF_TEST_STORAGE::change_top_level_entity(char const* name, bool post) {
    record(std::string("change_top_level_entity(") + (name ? name : "null") + "," + flags({post}) +
           ")");
    return nullptr;
}

void ACF_TEST_STORAGE::get_list_of_current_entities(STRING_LIST*) {
    record("get_list_of_current_entities()");
}

void ACF_TEST_STORAGE::get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM, STRING_LIST*,
                                                       std::string const&) {
    record("get_list_of_section_identifiers()");
}

bool ACF_TEST_STORAGE::check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM,
                                                              char const*) {
    record("check_if_assignments_exist_for_section()");
    return false;
}

bool ACF_TEST_STORAGE::write_files_to_disk(bool write_project_file, bool forced) {
    record("write_files_to_disk(" + flags({write_project_file, forced}) + ")");
    return write_files_answer;
}

bool ACF_TEST_STORAGE::read_file_from_disk(char const* file_name, bool need_write_lock,
                                           ACF_READ_FILE_OPTIONS&) {
    record(std::string("read_file_from_disk(") + (file_name ? file_name : "null") + "," +
           flags({need_write_lock}) + ")");
    return false;
}

ACF_MANAGER_STORAGE::ASSIGNMENT_LIST* ACF_TEST_STORAGE::get_non_project_asgn_coll() {
    return &non_project_list;
}

void ACF_TEST_STORAGE::clear_non_project_asgn_coll() {
    record("clear_non_project_asgn_coll()");
    for (ACF_ASSIGNMENT* asgn : non_project_list) {
        delete asgn;
    }
    non_project_list.clear();
}

bool ACF_TEST_STORAGE::is_modified() {
    return modified || !changed_list.empty();
}

ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_TEST_STORAGE::get_change_list_begin_iter() {
    return changed_list.begin();
}

ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_TEST_STORAGE::get_change_list_end_iter() {
    return changed_list.end();
}

void ACF_TEST_STORAGE::remove_assignment_from_changed_list(ACF_ASSIGNMENT* asgn) {
    record("remove_assignment_from_changed_list()");
    changed_list.remove(asgn);
}

void ACF_TEST_STORAGE::add_assignment_to_changed_list(ACF_ASSIGNMENT* asgn) {
    record("add_assignment_to_changed_list()");
    changed_list.push_back(asgn);
}

void ACF_TEST_STORAGE::add_assignments_to_changed_list(ASSIGNMENT_LIST const& assignments) {
    record("add_assignments_to_changed_list(" + std::to_string(assignments.size()) + ")");
    changed_list.insert(changed_list.end(), assignments.begin(), assignments.end());
}

void ACF_TEST_STORAGE::clear_changed_list() {
    record("clear_changed_list()");
    changed_list.clear();
    modified = false;
}

ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_TEST_STORAGE::get_assignment_defaults_begin_iter() {
    return defaults_list.begin();
}

ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_TEST_STORAGE::get_assignment_defaults_end_iter() {
    return defaults_list.end();
}

char const* ACF_TEST_STORAGE::get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type,
                                                             char const* section_id,
                                                             bool has_entity,
                                                             DEV_FAMILY_ENUM family) {
    record("get_default_value_for_variable(" + std::to_string(type) + "," +
           (section_id ? section_id : "null") + "," + flags({has_entity}) + "," +
           std::to_string(family) + ")");
    auto found = defaults.find(type);
    return found == defaults.end() ? nullptr : found->second.c_str();
}

ACF_ASSIGNMENT* ACF_TEST_STORAGE::set_top_level_entity_assignment(char const* name) {
    record(std::string("set_top_level_entity_assignment(") + (name ? name : "null") + ")");
    return nullptr;
}

void ACF_TEST_STORAGE::handle_version_change(char const* old_version, char const* new_version) {
    record(std::string("handle_version_change(") + (old_version ? old_version : "null") + "," +
           (new_version ? new_version : "null") + ")");
}

void ACF_TEST_STORAGE::add_assignment_to_non_proj_list(ACF_ASSIGNMENT* asgn) {
    record("add_assignment_to_non_proj_list()");
    if (asgn != nullptr) {
        non_project_list.push_back(asgn);
    }
}

void ACF_TEST_STORAGE::add_comment_line(char const* text, char const* file_name) {
    record(std::string("add_comment_line(") + (text ? text : "null") + "," +
           (file_name ? file_name : "null") + ")");
}

void ACF_TEST_STORAGE::move_assignment_to_end_of_coll(ACF_ASSIGNMENT*) {
    record("move_assignment_to_end_of_coll()");
}

bool ACF_TEST_STORAGE::write_revision_file_using_file_category_model() {
    record("write_revision_file_using_file_category_model()");
    return write_files_answer;
}

void ACF_TEST_STORAGE::get_list_of_include_files(STRING_LIST*) {
    record("get_list_of_include_files()");
}

bool ACF_TEST_STORAGE::is_assignment_deleted(ACF_ASSIGNMENT*) {
    record("is_assignment_deleted()");
    return false;
}

bool ACF_TEST_STORAGE::set_default_status(ACF_ASSIGNMENT*, bool is_default) {
    record("set_default_status(" + flags({is_default}) + ")");
    return false;
}

bool ACF_TEST_STORAGE::is_project_open() const {
    return project_open;
}

void ACF_TEST_STORAGE::replace_tdf_with_tsf_value(ACF_ASSIGNMENT*) {
    record("replace_tdf_with_tsf_value()");
}

void ACF_TEST_STORAGE::display_post_messages() {
    record("display_post_messages()");
}

bool ACF_TEST_STORAGE::get_transient_assignments_mode() const {
    return transient_mode;
}

void ACF_TEST_STORAGE::set_transient_assignments_mode(bool transient) {
    record("set_transient_assignments_mode(" + flags({transient}) + ")");
    transient_mode = transient;
}

bool ACF_TEST_STORAGE::supports_tcl() const {
    return false;
}
DEV_PART_ENUM ACF_TEST_STORAGE::get_project_part_enum() const {
    return project_part;
}
DEV_FAMILY_ENUM ACF_TEST_STORAGE::get_project_family_enum() const {
    return project_family;
}

std::string const& ACF_TEST_STORAGE::get_top_level_entity_name() const {
    return top_level_entity_name;
}

bool ACF_TEST_STORAGE::get_allow_ignored_assignments() const {
    return allow_ignored;
}

void ACF_TEST_STORAGE::set_write_header_comments(bool write) {
    record("set_write_header_comments(" + flags({write}) + ")");
}

void ACF_TEST_STORAGE::set_add_messages_to_post_list(bool collect) {
    record("set_add_messages_to_post_list(" + flags({collect}) + ")");
}

void ACF_TEST_STORAGE::clear_is_modified() {
    record("clear_is_modified()");
    modified = false;
}

void ACF_TEST_STORAGE::drop_unwritten_changes() {
    record("drop_unwritten_changes()");
}

bool ACF_TEST_STORAGE::get_need_to_reopen_revision() const {
    return need_to_reopen;
}

void ACF_TEST_STORAGE::set_need_to_reopen_revision(bool reopen) {
    record("set_need_to_reopen_revision(" + flags({reopen}) + ")");
    need_to_reopen = reopen;
}

ACF_FILE_CATEGORY_ENUM ACF_TEST_STORAGE::get_file_category_enum() const {
    return file_category_filter;
}

void ACF_TEST_STORAGE::set_file_category_enum(ACF_FILE_CATEGORY_ENUM category) {
    file_category_filter = category;
}
