// Bulk removals and the collection-wide queries.
#include "acf_collection_test_storage.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

namespace {

using ACF_ASGN_BULK_TEST = ACF_COLLECTION_TEST;

TEST_F(ACF_ASGN_BULK_TEST, RemoveInstanceAssignmentsByTargetAndSource) {
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("s1").to("pin_a").value("2");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("pin_a").value("2.5 V");
    QUERY q3 = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("s1").to("pin_b").value("3");
    QUERY q4 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("1.8 V");
    ACF_ASSIGNMENT* a = set_instance(q1);
    ACF_ASSIGNMENT* b = set_instance(q2);
    ACF_ASSIGNMENT* c = set_instance(q3);
    ACF_ASSIGNMENT* global = set_global(q4);

    ACF_ASSIGNMENT_LIST removed;
    coll().remove_instance_assignments("  ", "", &removed);
    coll().remove_instance_assignments(nullptr, "|", &removed);
    EXPECT_TRUE(removed.empty()) << "a lone '|' is a name, and nothing is placed on it";
    coll().remove_instance_assignments(" |pin_a ", "", &removed);
    EXPECT_EQ(removed, (ACF_ASSIGNMENT_LIST{b, a})) << "key order: IO_STANDARD before MULTICYCLE";
    EXPECT_FALSE(c->is_removed());

    removed.clear();
    coll().remove_instance_assignments(nullptr, "s1", &removed);
    EXPECT_EQ(removed, ACF_ASSIGNMENT_LIST{c}) << "already removed ones are not listed again";
    EXPECT_FALSE(global->is_removed());
}

// Removals of the instance assignments of a name in turn find what was set
// between them: a new assignment, one set again after its removal, one in a
// slot freed by a purge.
TEST_F(ACF_ASGN_BULK_TEST, RemoveInstanceAssignmentsSeesWhatWasSetBetweenRemovals) {
    QUERY from_group = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("g1").to("pin_a").value("2");
    QUERY to_group = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("pin_b").to("g1").value("2");
    QUERY both = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("g1").to("g1").value("4");
    ACF_ASSIGNMENT* a = set_instance(from_group);
    ACF_ASSIGNMENT* b = set_instance(to_group);
    ACF_ASSIGNMENT* c = set_instance(both);

    ACF_ASSIGNMENT_LIST removed;
    coll().remove_instance_assignments(nullptr, "g1", &removed);
    EXPECT_EQ(removed, (ACF_ASSIGNMENT_LIST{c, a})) << "key order: target g1 before pin_a";

    QUERY new_one = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).from("g1").to("pin_c").value("2.5 V");
    ACF_ASSIGNMENT* d = set_instance(new_one);
    QUERY again = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("g1").to("pin_a").value("3");
    ACF_ASSIGNMENT* revived = set_instance(again);
    removed.clear();
    coll().remove_instance_assignments(nullptr, "g1", &removed);
    EXPECT_EQ(removed, (ACF_ASSIGNMENT_LIST{d, revived}));

    removed.clear();
    coll().remove_instance_assignments("g1", "pin_x", &removed);
    EXPECT_TRUE(removed.empty()) << "target and source both given must both hold";
    coll().remove_instance_assignments("g1", "pin_b", &removed);
    EXPECT_EQ(removed, ACF_ASSIGNMENT_LIST{b});

    coll().delete_all_removed_assignments();
    QUERY after_purge = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("pin_e").to("g1").value("5");
    ACF_ASSIGNMENT* e = set_instance(after_purge);
    removed.clear();
    coll().remove_instance_assignments("g1", nullptr, &removed);
    EXPECT_EQ(removed, ACF_ASSIGNMENT_LIST{e});
}

TEST_F(ACF_ASGN_BULK_TEST, RemoveAllOfTypeByPlacement) {
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("1.8 V");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("2.5 V");
    QUERY q3 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led1").value("2.5 V");
    ACF_ASSIGNMENT* global = set_global(q1);
    ACF_ASSIGNMENT* instance = set_instance(q2);
    ACF_ASSIGNMENT* from_defaults =
        coll().set_assignment(q3.get(), true, false, false, false, false);

    ACF_ASSIGNMENT_LIST removed;
    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_IO_STANDARD, &removed, true, false);
    EXPECT_EQ(removed, ACF_ASSIGNMENT_LIST{global});
    EXPECT_FALSE(instance->is_removed());

    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, false, true);
    EXPECT_TRUE(instance->is_removed());
    EXPECT_FALSE(from_defaults->is_removed()) << "default-valued assignments stay";

    removed.clear();
    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_NONE, &removed, true, true);
    EXPECT_TRUE(removed.empty());
}

TEST_F(ACF_ASGN_BULK_TEST, RemoveAllKeepsDefaultsAndListsRemovedInKeyOrder) {
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("2.5 V");
    QUERY q3 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("1.8 V");
    ACF_ASSIGNMENT* file = set_global(q1);
    ACF_ASSIGNMENT* instance = set_instance(q2);
    ACF_ASSIGNMENT* from_defaults =
        coll().set_assignment(q3.get(), true, true, false, false, false);
    coll().clear_changed_status_of_all_assignments();
    EXPECT_FALSE(coll().have_any_assignments_changed());

    coll().remove_all_assignments();
    EXPECT_TRUE(file->is_removed());
    EXPECT_TRUE(instance->is_removed());
    EXPECT_FALSE(from_defaults->is_removed());
    EXPECT_FALSE(from_defaults->has_changed());
    EXPECT_TRUE(coll().have_any_assignments_changed());

    ACF_ASSIGNMENT_LIST removed;
    coll().get_removed_assignments(&removed);
    EXPECT_EQ(removed, (ACF_ASSIGNMENT_LIST{instance, file}));
}

TEST_F(ACF_ASGN_BULK_TEST, EntityNamesInByteOrder) {
    char const* const entities[] = {"beta", "Alpha", "alpha", "beta", "Zed"};
    char const* const targets[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 5; ++i) {
        QUERY query =
            QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to(targets[i]).value("2.5 V").entity(entities[i]);
        set_instance(query);
    }
    EXPECT_EQ(entity_names(), (std::vector<std::string>{"Alpha", "Zed", "alpha", "beta"}));
    coll().get_list_of_current_entity_names(nullptr);
}

} // namespace
