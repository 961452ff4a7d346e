// The revision manager's removals. Every removed assignment joins the store's
// changed list, from which the next commit writes.
#include "acf_revision_manager.h"

#include "acf_manager_storage.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

bool ACF_REVISION_MANAGER::remove_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return m_storage->remove_global_assignment(input_parameters);
}

bool ACF_REVISION_MANAGER::remove_global_assignments(
    std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries) {
    return m_storage->remove_global_assignments(queries);
}

bool ACF_REVISION_MANAGER::remove_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return m_storage->remove_instance_assignment(input_parameters);
}

bool ACF_REVISION_MANAGER::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return m_storage->remove_assignment(input_parameters);
}

bool ACF_REVISION_MANAGER::remove_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return m_storage->remove_freeform_assignment(input_parameters);
}

int ACF_REVISION_MANAGER::count_and_record_removed(ASSIGNMENT_LIST const& removed) {
    m_storage->add_assignments_to_changed_list(removed);
    return static_cast<int>(removed.size());
}

int ACF_REVISION_MANAGER::remove_all_global_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type) {
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return 0;
    }
    ASSIGNMENT_LIST removed;
    m_storage->remove_all_assignments_of_type(type, &removed, true, false);
    return count_and_record_removed(removed);
}

int ACF_REVISION_MANAGER::remove_all_instance_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type) {
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return 0;
    }
    ASSIGNMENT_LIST removed;
    m_storage->remove_all_assignments_of_type(type, &removed, false, true);
    return count_and_record_removed(removed);
}

int ACF_REVISION_MANAGER::remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type) {
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return 0;
    }
    ASSIGNMENT_LIST removed;
    m_storage->remove_all_assignments_of_type(type, &removed, true, true);
    return count_and_record_removed(removed);
}

int ACF_REVISION_MANAGER::remove_instance_assignments(char const* to, char const* from) {
    ASSIGNMENT_LIST removed;
    m_storage->remove_instance_assignments(to, from, &removed);
    return count_and_record_removed(removed);
}

int ACF_REVISION_MANAGER::remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category) {
    if (category == ASE_CATEGORY_ENUM(0)) {
        return 0;
    }
    ASSIGNMENT_LIST removed;
    m_storage->remove_all_assignments_of_ase_category(category, &removed);
    return count_and_record_removed(removed);
}
