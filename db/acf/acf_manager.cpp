#include "acf_manager.h"

#include "acf_internal_error.h"
#include "acf_manager_storage.h"
#include "acf_table.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER* ACF_MANAGER::acf_manager = nullptr;

ACF_MANAGER::ACF_MANAGER() = default;

ACF_MANAGER::~ACF_MANAGER() {
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
        acf_set_project_family_query(&open_project_family);
    }
    ACF_REQUIRE(acf_manager != NULL);
    return acf_manager;
}

bool ACF_MANAGER::is_project_open() const {
    return get_storage()->is_project_open();
}

DEV_FAMILY_ENUM ACF_MANAGER::get_project_family_enum() const {
    return get_storage()->get_project_family_enum();
}

char const* ACF_MANAGER::get_assignment_default_value(ACF_VARIABLE_TYPE_ENUM type,
                                                      char const* section_id, bool has_entity,
                                                      DEV_FAMILY_ENUM family) {
    return get_storage()->get_default_value_for_variable(type, section_id, has_entity, family);
}

ACF_MANAGER_INITIALIZER::~ACF_MANAGER_INITIALIZER() {
    acf_set_project_family_query(nullptr);
    delete ACF_MANAGER::acf_manager;
    ACF_MANAGER::acf_manager = nullptr;
}
