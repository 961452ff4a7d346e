// The revision manager's lookups: which kind of assignment a record names,
// single assignments and collections.
#include "acf_revision_manager.h"

#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"

MEM_UNIT_INITIALIZER(ACF);

// A record naming its variable only by name gets the variable's type; false
// when the record names no catalogue variable.
bool ACF_REVISION_MANAGER::resolve_variable_type(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    char const* name = input_parameters->get_variable_string();
    if (input_parameters->get_variable_type() == ACF_VARIABLE_TYPE_NONE && name != nullptr) {
        input_parameters->set_variable_type(acf_user_name_to_variable_type_enum(name));
    }
    return input_parameters->get_variable_type() != ACF_VARIABLE_TYPE_NONE;
}

// A record whose name resolves to no variable is freeform; otherwise an empty
// or absent target means global and a target means instance.
ACF_REVISION_MANAGER::ASSIGNMENT_KIND
ACF_REVISION_MANAGER::kind_of(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!resolve_variable_type(input_parameters)) {
        return KIND_FREEFORM;
    }
    return gen_is_empty_string(input_parameters->get_to()) ? KIND_GLOBAL : KIND_INSTANCE;
}

ACF_ASSIGNMENT* ACF_REVISION_MANAGER::get_ptr_of_kind(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                      ASSIGNMENT_KIND kind) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return nullptr;
    }
    if (kind == KIND_BY_RECORD) {
        kind = kind_of(input_parameters);
    }
    switch (kind) {
    case KIND_GLOBAL:
    case KIND_INSTANCE:
        if (!resolve_variable_type(input_parameters)) {
            return nullptr;
        }
        return m_storage->get_assignment(input_parameters, kind == KIND_GLOBAL, false, true);
    case KIND_FREEFORM:
    case KIND_BY_RECORD:
        break;
    }
    if (gen_is_empty_string(input_parameters->get_variable_string())) {
        return nullptr;
    }
    FILE_CATEGORY_SCOPE category_of_record(m_storage, input_parameters);
    return m_storage->get_assignment(input_parameters, false, true, true);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::get_global_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_ptr_of_kind(input_parameters, KIND_GLOBAL);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::get_instance_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_ptr_of_kind(input_parameters, KIND_INSTANCE);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::get_freeform_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_ptr_of_kind(input_parameters, KIND_FREEFORM);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::get_assignment_ptr(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return get_ptr_of_kind(input_parameters, KIND_BY_RECORD);
}

void ACF_REVISION_MANAGER::get_global_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                      ASSIGNMENT_LIST* coll, bool use_defaults) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    if (input_parameters == nullptr) {
        m_storage->get_all_assignments(coll, false, true, false, false);
        return;
    }
    // A record with neither type nor name asks for every global assignment.
    if (input_parameters->get_variable_string() != nullptr &&
        !resolve_variable_type(input_parameters)) {
        return;
    }
    m_storage->get_assignment_coll(input_parameters, true, false, coll, use_defaults);
}

void ACF_REVISION_MANAGER::get_global_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                       std::vector<std::string> const& section_ids,
                                                       std::vector<ASSIGNMENT_LIST>* colls) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(colls != NULL)) {
        return;
    }
    colls->assign(section_ids.size(), ASSIGNMENT_LIST());
    if (input_parameters->get_variable_string() != nullptr &&
        !resolve_variable_type(input_parameters)) {
        return;
    }
    m_storage->get_global_assignment_colls(input_parameters, section_ids, colls);
}

void ACF_REVISION_MANAGER::get_instance_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                        ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    if (input_parameters == nullptr) {
        m_storage->get_all_assignments(coll, false, false, true, false);
        return;
    }
    if (input_parameters->get_variable_string() != nullptr &&
        !resolve_variable_type(input_parameters)) {
        return;
    }
    m_storage->get_assignment_coll(input_parameters, false, false, coll, true);
}

void ACF_REVISION_MANAGER::get_freeform_assignment_coll(ASSIGNMENT_LIST* coll, char const* entity) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS freeform_query;
    freeform_query.set_entity_name(entity);
    m_storage->get_assignment_coll(&freeform_query, false, true, coll, true);
}

void ACF_REVISION_MANAGER::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                               ASSIGNMENT_LIST* coll, bool use_defaults) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    if (input_parameters == nullptr) {
        m_storage->get_all_assignments(coll, false, true, false, false);
        m_storage->get_all_assignments(coll, false, false, true, false);
        m_storage->get_all_assignments(coll, false, false, false, true);
        return;
    }
    switch (kind_of(input_parameters)) {
    case KIND_GLOBAL:
        get_global_assignment_coll(input_parameters, coll, use_defaults);
        break;
    case KIND_INSTANCE:
        get_instance_assignment_coll(input_parameters, coll);
        break;
    case KIND_FREEFORM:
    case KIND_BY_RECORD:
        get_freeform_assignment_coll(coll, input_parameters->get_entity_name());
        break;
    }
}
