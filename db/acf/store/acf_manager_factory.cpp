// Project managers beside the process-wide one, and the unload of the
// process-wide one with the settings library.
#include "acf_manager.h"

#include "acf_table.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER* ACF_MANAGER_FACTORY::create_new_manager() {
    return MEM_NEW(ACF, ACF_MANAGER)();
}

void ACF_MANAGER_FACTORY::delete_manager(ACF_MANAGER* manager) {
    delete manager;
}

ACF_MANAGER_INITIALIZER::~ACF_MANAGER_INITIALIZER() {
    acf_set_project_family_query(nullptr);
    ACF_MANAGER_FACTORY::delete_manager(ACF_MANAGER::acf_manager);
    ACF_MANAGER::acf_manager = nullptr;
}
