#include "acf_manager.h"

#include "acf_internal_error.h"
#include "acf_table.h"
#include "formats/acf_csv_reader.h"
#include "mem_manager.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"
#include "store/acf_manager_storage_real.h"

#include "suite/fileio/fio.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER* ACF_MANAGER::acf_manager = nullptr;

ACF_MANAGER::ACF_MANAGER() = default;

ACF_MANAGER::~ACF_MANAGER() {
    free_cached_storage();
    set_current_storage_to(nullptr);
    delete_storage();
}

namespace {

// The catalogue asks this for "the open project's family" in its lookups.
DEV_FAMILY_ENUM open_project_family() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    return manager->is_project_open() ? manager->get_project_family_enum() : DEV_FAMILY_GENERIC;
}

} // namespace

// Creation is not guarded: the manager is made on the thread that first asks.
ACF_MANAGER* ACF_MANAGER::get_acf_manager() {
    if (acf_manager == nullptr) {
        acf_manager = MEM_NEW(ACF, ACF_MANAGER)();
        acf_manager->m_flags |= FLAG_PROCESS_WIDE;
        acf_set_project_family_query(&open_project_family);
    }
    ACF_REQUIRE(acf_manager != NULL);
    return acf_manager;
}

bool ACF_MANAGER::is_project_open() const {
    return get_storage()->is_project_open();
}

char const* ACF_MANAGER::get_project_path() const {
    return get_storage()->get_project_path();
}

char const* ACF_MANAGER::get_project_name() const {
    return get_storage()->get_project_name();
}

char const* ACF_MANAGER::get_project_full_path() const {
    return get_storage()->get_project_full_path();
}

bool ACF_MANAGER::is_modified() const {
    return get_storage()->is_modified();
}

bool ACF_MANAGER::is_read_only() const {
    return get_storage()->is_read_only(false);
}

DEV_FAMILY_ENUM ACF_MANAGER::get_project_family_enum() const {
    return get_storage()->get_project_family_enum();
}

void ACF_MANAGER::get_all_assignments(ASSIGNMENT_LIST* list, bool include_removed) {
    get_storage()->get_all_assignments(list, include_removed, true, true, true);
}

char const* ACF_MANAGER::get_assignment_default_value(ACF_VARIABLE_TYPE_ENUM type,
                                                      char const* section_id, bool has_entity,
                                                      DEV_FAMILY_ENUM family) {
    return get_storage()->get_default_value_for_variable(type, section_id, has_entity, family);
}

DEV_PART_ENUM ACF_MANAGER::get_project_part_enum() const {
    return get_storage()->get_project_part_enum();
}

bool ACF_MANAGER::have_any_assignments_of_category_type_changed(ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                                                long since) {
    return get_storage()->have_any_assignments_of_category_type_changed(trait, since);
}

long ACF_MANAGER::get_latest_actual_time_of_files() {
    return get_storage()->get_latest_actual_time_of_files();
}

long ACF_MANAGER::get_latest_change_time_of_feature(ACF_FEATURE_TYPE_ENUM feature) {
    return get_storage()->get_latest_change_time_of_feature(feature);
}

bool ACF_MANAGER::reset_filters() {
    return get_storage()->reset_filters();
}

bool ACF_MANAGER::set_family_filter(DEV_FAMILY_ENUM family) {
    return get_storage()->set_family_filter(family);
}

bool ACF_MANAGER::set_variable_trait_filter(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) {
    return get_storage()->set_variable_trait_filter(trait);
}

bool ACF_MANAGER::set_category_trait_filter(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) {
    return get_storage()->set_category_trait_filter(trait);
}

bool ACF_MANAGER::set_ase_category_filter(ASE_CATEGORY_ENUM category) {
    return get_storage()->set_ase_category_filter(category);
}

bool ACF_MANAGER::set_allow_ignored_assignments_filter(bool allow) {
    return get_storage()->set_allow_ignored_assignments_filter(allow);
}

bool ACF_MANAGER::set_file_category_filter(ACF_FILE_CATEGORY_ENUM category) {
    return get_storage()->set_file_category_filter(category);
}

bool ACF_MANAGER::set_section_category_filter(ACF_CATEGORY_SECTION_TYPE_ENUM section) {
    return get_storage()->set_section_category_filter(section);
}

bool ACF_MANAGER::read_csv_assignments(char const* file_name,
                                       std::function<void(ACF_ASSIGNMENT const*)> const& each,
                                       std::vector<std::string>* error_rows) {
    auto* storage = dynamic_cast<ACF_MANAGER_STORAGE_REAL*>(get_storage());
    if (storage == nullptr) {
        return false;
    }
    storage->clear_non_project_asgn_coll();
    ACF_CSV_READER reader(storage->get_assignment_factory());
    bool read = reader.read_file(file_name, storage, true, false, true, false,
                                 ACF_ARGUMENT_TYPE_NONE, nullptr);
    if (read) {
        *error_rows = reader.get_errors();
        for (ACF_ASSIGNMENT const* assignment : *storage->get_non_project_asgn_coll()) {
            if (assignment != nullptr) {
                each(assignment);
            }
        }
    }
    storage->clear_non_project_asgn_coll();
    return read;
}

bool ACF_MANAGER::is_legal_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_storage()->is_legal_global_assignment(input_parameters);
}

bool ACF_MANAGER::is_legal_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_storage()->is_legal_instance_assignment(input_parameters);
}

bool ACF_MANAGER::is_legal_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_storage()->is_legal_freeform_assignment(input_parameters);
}

ACF_MANAGER::ASSIGNMENT_ITER ACF_MANAGER::get_change_list_begin_iter() {
    return get_storage()->get_change_list_begin_iter();
}

ACF_MANAGER::ASSIGNMENT_ITER ACF_MANAGER::get_change_list_end_iter() {
    return get_storage()->get_change_list_end_iter();
}

bool ACF_MANAGER::is_assignment_deleted(ACF_ASSIGNMENT* asgn) {
    return get_storage()->is_assignment_deleted(asgn);
}

void ACF_MANAGER::set_transient_assignments_mode(bool transient) {
    get_storage()->set_transient_assignments_mode(transient);
}

bool ACF_MANAGER::get_transient_assignments_mode() const {
    return get_storage()->get_transient_assignments_mode();
}

ACF_ASSIGNMENT* ACF_MANAGER::change_top_level_entity(char const* name) {
    return get_storage()->change_top_level_entity(name, true);
}
