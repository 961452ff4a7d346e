// Test helpers for the assignment record and collection: a test store whose
// assignments live in a real collection (queries, removals and the removal
// cascade of IP files go through it), a builder for query records, and a
// fixture that sets assignments into the store's collection.
#pragma once

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "acf_test_storage.h"
#include "records/acf_asgn_storage.h"
#include "records/acf_assignment_factory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class ACF_COLLECTION_TEST_STORAGE : public ACF_TEST_STORAGE {
public:
    ACF_COLLECTION_TEST_STORAGE();
    ~ACF_COLLECTION_TEST_STORAGE() override;

    ACF_ASGN_STORAGE& collection() { return *m_collection; }
    ACF_ASSIGNMENT_FACTORY& factory() { return m_factory; }
    // Replaces the collection by a copy of itself, as a re-read failure does.
    void replace_collection(ACF_ASGN_STORAGE* collection);

    // Queries, listings and removals through the collection.
    void get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool is_global,
                             bool is_freeform, ASSIGNMENT_LIST* coll, bool use_defaults) override;
    void get_all_assignments(ASSIGNMENT_LIST* coll, bool use_defaults, bool global, bool instance,
                             bool freeform) override;
    bool remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) override;

private:
    bool remove_through_collection(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global,
                                   bool freeform);

    ACF_ASSIGNMENT_FACTORY m_factory;
    std::unique_ptr<ACF_ASGN_STORAGE> m_collection;
};

// A query record built in one expression: QUERY(type).to("pin").value("3.3 V").
class QUERY {
public:
    explicit QUERY(ACF_VARIABLE_TYPE_ENUM type) { m_params.set_variable_type(type); }
    QUERY& name(char const* text) {
        m_params.set_variable_string(text);
        return *this;
    }
    QUERY& value(char const* text) {
        m_params.set_value_string(text);
        return *this;
    }
    QUERY& from(char const* text) {
        m_params.set_from(text);
        return *this;
    }
    QUERY& to(char const* text) {
        m_params.set_to(text);
        return *this;
    }
    QUERY& entity(char const* text) {
        m_params.set_entity_name(text);
        return *this;
    }
    QUERY& section(char const* text) {
        m_params.set_section_identifier(text);
        return *this;
    }
    QUERY& comment(char const* text) {
        m_params.set_comments(text);
        return *this;
    }
    QUERY& ignored() {
        m_params.set_is_ignored(true);
        return *this;
    }
    QUERY& defaults_only() {
        m_params.set_skip_non_defaults(true);
        return *this;
    }
    QUERY& arg(ACF_ARGUMENT_TYPE_ENUM type, char const* text) {
        m_params.add_argument(type, text);
        return *this;
    }
    ACF_MGR_INPUT_PARAMETERS* get() { return &m_params; }

private:
    ACF_MGR_INPUT_PARAMETERS m_params;
};

// A first variable of the catalogue that has `trait` and none of `without`.
ACF_VARIABLE_TYPE_ENUM
acf_test_variable_with(ACF_VARIABLE_TRAIT_TYPE_ENUM trait,
                       std::vector<ACF_VARIABLE_TRAIT_TYPE_ENUM> without = {});

class ACF_COLLECTION_TEST : public ::testing::Test {
protected:
    ACF_ASGN_STORAGE& coll() { return storage.collection(); }

    // Sets into the collection as the revision store does for a user's change.
    ACF_ASSIGNMENT* set_global(QUERY& query, bool default_status = false) {
        return coll().set_assignment(query.get(), default_status, true, false, true, false);
    }
    ACF_ASSIGNMENT* set_instance(QUERY& query) {
        return coll().set_assignment(query.get(), false, false, false, true, false);
    }
    ACF_ASSIGNMENT* set_freeform(QUERY& query) {
        return coll().set_assignment(query.get(), false, false, true, true, false);
    }
    ACF_ASSIGNMENT_LIST remove(QUERY& query, bool global) {
        ACF_ASSIGNMENT_LIST removed;
        coll().remove_assignment(query.get(), global, false, ACF_ASGN_SEARCH_FILTER(), &removed);
        return removed;
    }
    // Every assignment of the collection in file order, live or removed.
    ACF_ASSIGNMENT_LIST all_in_file_order() {
        ACF_ASSIGNMENT_LIST all;
        coll().get_all_assignments(ACF_ASGN_SEARCH_FILTER(), true, true, true, true, true, &all);
        return all;
    }
    std::vector<std::string> entity_names() {
        std::list<std::string> names;
        coll().get_list_of_current_entity_names(&names);
        return std::vector<std::string>(names.begin(), names.end());
    }

    ACF_COLLECTION_TEST_STORAGE storage;
};
