#include "acf_manager_storage_null.h"

#include "acf_internal_error.h"
#include "mem_manager.h"
#include "suite/general/gen.h"

MEM_UNIT_INITIALIZER(ACF);

std::string const ACF_MANAGER_STORAGE_NULL::s_null_entity_name;

namespace {

// Whether a context row of the catalogue takes `section_id`: a row that expects
// a section identifier needs one (an empty text on either side matches any);
// a row that expects none takes only null.
bool row_takes_section_id(ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const& row,
                          char const* section_id) {
    if (!row.section_id) {
        return section_id == nullptr;
    }
    if (section_id == nullptr) {
        return false;
    }
    return *section_id == '\0' || gen_is_empty_string(row.section_identifier) ||
           gen_stricmp(section_id, row.section_identifier) == 0;
}

} // namespace

ACF_MANAGER_STORAGE_NULL::~ACF_MANAGER_STORAGE_NULL() = default;

void ACF_MANAGER_STORAGE_NULL::init_project_parameters_from(ACF_MANAGER_STORAGE const*) {}
void ACF_MANAGER_STORAGE_NULL::set_revision_manager(ACF_REVISION_MANAGER*) {}
bool ACF_MANAGER_STORAGE_NULL::is_null() const {
    return true;
}
char const* ACF_MANAGER_STORAGE_NULL::get_project_path() const {
    return nullptr;
}
char const* ACF_MANAGER_STORAGE_NULL::get_project_name() const {
    return nullptr;
}
char const* ACF_MANAGER_STORAGE_NULL::get_project_full_path() const {
    return nullptr;
}
char const* ACF_MANAGER_STORAGE_NULL::get_active_revision_name() const {
    return nullptr;
}
char const* ACF_MANAGER_STORAGE_NULL::get_active_revision_path() const {
    return nullptr;
}

bool ACF_MANAGER_STORAGE_NULL::write_lock(bool) {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::write_unlock() {}
bool ACF_MANAGER_STORAGE_NULL::is_write_locked() const {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::read_lock(bool) {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::read_unlock() {}
bool ACF_MANAGER_STORAGE_NULL::is_read_locked() const {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::synchronize() {
    return false;
}

bool ACF_MANAGER_STORAGE_NULL::have_any_assignments_of_category_type_changed(
    ACF_CATEGORY_TRAIT_TYPE_ENUM, long) {
    return false;
}
long ACF_MANAGER_STORAGE_NULL::get_latest_actual_time_of_files() {
    return 0;
}
bool ACF_MANAGER_STORAGE_NULL::is_read_only(bool) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::have_any_files_changed() {
    return false;
}
long ACF_MANAGER_STORAGE_NULL::get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM) {
    return 0;
}

bool ACF_MANAGER_STORAGE_NULL::set_family_filter(DEV_FAMILY_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_ase_category_filter(ASE_CATEGORY_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_file_category_filter(ACF_FILE_CATEGORY_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_allow_ignored_assignments_filter(bool) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::reset_filters() {
    return false;
}

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_NULL::get_assignment(ACF_MGR_INPUT_PARAMETERS*, bool, bool,
                                                         bool) {
    return nullptr;
}
ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_NULL::set_assignment(ACF_MGR_INPUT_PARAMETERS*, bool, bool,
                                                         bool, bool, ASSIGNMENT_LIST*, bool, bool,
                                                         bool, bool) {
    return nullptr;
}
void ACF_MANAGER_STORAGE_NULL::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS*, bool, bool,
                                                   ASSIGNMENT_LIST*, bool) {}
void ACF_MANAGER_STORAGE_NULL::get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS*,
                                                           std::vector<std::string> const&,
                                                           std::vector<ASSIGNMENT_LIST>*) {}
bool ACF_MANAGER_STORAGE_NULL::remove_global_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::remove_global_assignments(
    std::vector<ACF_MGR_INPUT_PARAMETERS> const&) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::remove_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::remove_assignment(ACF_MGR_INPUT_PARAMETERS*, bool, bool,
                                                 ASSIGNMENT_LIST*) {}
void ACF_MANAGER_STORAGE_NULL::remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM,
                                                                      ASSIGNMENT_LIST*) {}
void ACF_MANAGER_STORAGE_NULL::remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM,
                                                              ASSIGNMENT_LIST*, bool, bool) {}
void ACF_MANAGER_STORAGE_NULL::remove_instance_assignments(char const*, char const*,
                                                           ASSIGNMENT_LIST*) {}
void ACF_MANAGER_STORAGE_NULL::get_all_assignments(ASSIGNMENT_LIST*, bool, bool, bool, bool) {}

bool ACF_MANAGER_STORAGE_NULL::is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::is_legal(ACF_MGR_INPUT_PARAMETERS*, bool, bool) {
    return false;
}
int ACF_MANAGER_STORAGE_NULL::get_last_error_status() {
    return 0;
}

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_NULL::change_top_level_entity(char const*, bool) {
    return nullptr;
}
void ACF_MANAGER_STORAGE_NULL::get_list_of_current_entities(STRING_LIST*) {}
void ACF_MANAGER_STORAGE_NULL::get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM,
                                                               STRING_LIST*, std::string const&) {}
bool ACF_MANAGER_STORAGE_NULL::check_if_assignments_exist_for_section(
    ACF_CATEGORY_SECTION_TYPE_ENUM, char const*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::write_files_to_disk(bool, bool) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::read_file_from_disk(char const*, bool, ACF_READ_FILE_OPTIONS&) {
    return false;
}
ACF_MANAGER_STORAGE::ASSIGNMENT_LIST* ACF_MANAGER_STORAGE_NULL::get_non_project_asgn_coll() {
    return nullptr;
}
void ACF_MANAGER_STORAGE_NULL::clear_non_project_asgn_coll() {}

bool ACF_MANAGER_STORAGE_NULL::is_modified() {
    return false;
}
ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_MANAGER_STORAGE_NULL::get_change_list_begin_iter() {
    return ASSIGNMENT_ITER();
}
ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_MANAGER_STORAGE_NULL::get_change_list_end_iter() {
    return ASSIGNMENT_ITER();
}
void ACF_MANAGER_STORAGE_NULL::remove_assignment_from_changed_list(ACF_ASSIGNMENT*) {}
void ACF_MANAGER_STORAGE_NULL::add_assignment_to_changed_list(ACF_ASSIGNMENT*) {}
void ACF_MANAGER_STORAGE_NULL::add_assignments_to_changed_list(ASSIGNMENT_LIST const&) {}
void ACF_MANAGER_STORAGE_NULL::clear_changed_list() {}

ACF_MANAGER_STORAGE::ASSIGNMENT_ITER
ACF_MANAGER_STORAGE_NULL::get_assignment_defaults_begin_iter() {
    return ASSIGNMENT_ITER();
}
ACF_MANAGER_STORAGE::ASSIGNMENT_ITER ACF_MANAGER_STORAGE_NULL::get_assignment_defaults_end_iter() {
    return ASSIGNMENT_ITER();
}

char const* ACF_MANAGER_STORAGE_NULL::get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type,
                                                                     char const* section_id,
                                                                     bool has_entity,
                                                                     DEV_FAMILY_ENUM family) {
    return find_default_value(acf_variable_file_category_semantics,
                              acf_variable_file_category_semantics_count, type, section_id,
                              has_entity, family);
}

char const* ACF_MANAGER_STORAGE_NULL::find_default_value(
    ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const* rows, size_t count, ACF_VARIABLE_TYPE_ENUM type,
    char const* section_id, bool has_entity, DEV_FAMILY_ENUM family) {
    for (size_t i = 0; i < count; ++i) {
        ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const& row = rows[i];
        if (gen_is_empty_string(row.default_value) || row.variable != type ||
            !row_takes_section_id(row, section_id) || bool(row.entity) != has_entity) {
            continue;
        }
        if (family == DEV_FAMILY_GENERIC || row.family == DEV_FAMILY_GENERIC ||
            row.family == family) {
            return row.default_value;
        }
    }
    return nullptr;
}

ACF_ASSIGNMENT* ACF_MANAGER_STORAGE_NULL::set_top_level_entity_assignment(char const*) {
    return nullptr;
}
void ACF_MANAGER_STORAGE_NULL::handle_version_change(char const*, char const*) {}

void ACF_MANAGER_STORAGE_NULL::add_assignment_to_non_proj_list(ACF_ASSIGNMENT*) {}
void ACF_MANAGER_STORAGE_NULL::add_comment_line(char const*, char const*) {}
void ACF_MANAGER_STORAGE_NULL::move_assignment_to_end_of_coll(ACF_ASSIGNMENT*) {}
bool ACF_MANAGER_STORAGE_NULL::write_revision_file_using_file_category_model() {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::get_list_of_include_files(STRING_LIST*) {}
bool ACF_MANAGER_STORAGE_NULL::is_assignment_deleted(ACF_ASSIGNMENT*) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::set_default_status(ACF_ASSIGNMENT*, bool) {
    return false;
}
bool ACF_MANAGER_STORAGE_NULL::is_project_open() const {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::replace_tdf_with_tsf_value(ACF_ASSIGNMENT*) {}

void ACF_MANAGER_STORAGE_NULL::display_post_messages() {}
bool ACF_MANAGER_STORAGE_NULL::get_transient_assignments_mode() const {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::set_transient_assignments_mode(bool) {}
bool ACF_MANAGER_STORAGE_NULL::supports_tcl() const {
    return true;
}
DEV_PART_ENUM ACF_MANAGER_STORAGE_NULL::get_project_part_enum() const {
    return DEV_PART_GENERIC;
}
DEV_FAMILY_ENUM ACF_MANAGER_STORAGE_NULL::get_project_family_enum() const {
    return DEV_FAMILY_GENERIC;
}
std::string const& ACF_MANAGER_STORAGE_NULL::get_top_level_entity_name() const {
    return s_null_entity_name;
}
bool ACF_MANAGER_STORAGE_NULL::get_allow_ignored_assignments() const {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::set_write_header_comments(bool) {}
void ACF_MANAGER_STORAGE_NULL::set_add_messages_to_post_list(bool) {}
void ACF_MANAGER_STORAGE_NULL::clear_is_modified() {}
bool ACF_MANAGER_STORAGE_NULL::get_need_to_reopen_revision() const {
    return false;
}
void ACF_MANAGER_STORAGE_NULL::set_need_to_reopen_revision(bool) {}
ACF_FILE_CATEGORY_ENUM ACF_MANAGER_STORAGE_NULL::get_file_category_enum() const {
    return ACF_FILE_CATEGORY_NONE;
}
void ACF_MANAGER_STORAGE_NULL::set_file_category_enum(ACF_FILE_CATEGORY_ENUM) {}
