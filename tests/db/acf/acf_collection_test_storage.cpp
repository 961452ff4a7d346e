#include "acf_collection_test_storage.h"

#include "acf_table.h"

#include <list>

ACF_COLLECTION_TEST_STORAGE::ACF_COLLECTION_TEST_STORAGE()
    : m_factory(this), m_collection(std::make_unique<ACF_ASGN_STORAGE>(this, &m_factory)) {}

ACF_COLLECTION_TEST_STORAGE::~ACF_COLLECTION_TEST_STORAGE() = default;

void ACF_COLLECTION_TEST_STORAGE::replace_collection(ACF_ASGN_STORAGE* collection) {
    m_collection.reset(collection);
}

void ACF_COLLECTION_TEST_STORAGE::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                      bool is_global, bool is_freeform,
                                                      ASSIGNMENT_LIST* coll, bool) {
    m_collection->get_assignment_coll(input_parameters, ACF_ASGN_SEARCH_FILTER(), allow_ignored,
                                      is_global, is_freeform, coll);
}

void ACF_COLLECTION_TEST_STORAGE::get_all_assignments(ASSIGNMENT_LIST* coll, bool, bool global,
                                                      bool instance, bool freeform) {
    m_collection->get_all_assignments(ACF_ASGN_SEARCH_FILTER(), allow_ignored, false, global,
                                      instance, freeform, coll);
}

bool ACF_COLLECTION_TEST_STORAGE::remove_through_collection(
    ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global, bool freeform) {
    ASSIGNMENT_LIST removed;
    m_collection->remove_assignment(input_parameters, global, freeform, ACF_ASGN_SEARCH_FILTER(),
                                    &removed);
    return !removed.empty();
}

bool ACF_COLLECTION_TEST_STORAGE::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    ACF_TEST_STORAGE::remove_assignment(input_parameters);
    if (input_parameters->get_variable_type() == ACF_VARIABLE_TYPE_NONE) {
        if (input_parameters->get_variable_string() == nullptr) {
            return remove_through_collection(input_parameters, false, true) ||
                   remove_through_collection(input_parameters, true, false) ||
                   remove_through_collection(input_parameters, false, false);
        }
        return remove_through_collection(input_parameters, false, true);
    }
    char const* target = input_parameters->get_to();
    return remove_through_collection(input_parameters, target == nullptr || *target == '\0', false);
}

ACF_VARIABLE_TYPE_ENUM acf_test_variable_with(ACF_VARIABLE_TRAIT_TYPE_ENUM trait,
                                              std::vector<ACF_VARIABLE_TRAIT_TYPE_ENUM> without) {
    std::list<ACF_VARIABLE_TYPE_ENUM> candidates;
    acf_get_list_of_variables_for_trait(trait, &candidates);
    for (ACF_VARIABLE_TYPE_ENUM type : candidates) {
        bool excluded = false;
        for (ACF_VARIABLE_TRAIT_TYPE_ENUM other : without) {
            excluded = excluded || acf_test_variable_trait_of(type, other);
        }
        if (!excluded) {
            return type;
        }
    }
    return ACF_VARIABLE_TYPE_NONE;
}
