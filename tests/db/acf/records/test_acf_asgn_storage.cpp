// The assignment collection: keys, set and revive, two-phase removal, purges,
// the removal cascade of IP files, entity-name counts, order and copies.
#include "acf_collection_test_storage.h"
#include "acf_table.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ACF_ASGN_STORAGE_TEST = ACF_COLLECTION_TEST;

std::string key_of(ACF_ASGN_STORAGE const& coll, QUERY& query) {
    std::string key = "stale";
    coll.create_assignment_key(*query.get(), key);
    return key;
}

TEST_F(ACF_ASGN_STORAGE_TEST, KeyJoinsNameTargetSourceAndKeyArguments) {
    struct CASE {
        char const* what;
        QUERY query;
        char const* key;
    } cases[] = {
        {"global by user name", QUERY(ACF_VARIABLE_TYPE_ROOT), "TOP_LEVEL_ENTITY"},
        {"target then source", QUERY(ACF_VARIABLE_TYPE_LOCATION).to("pin_a").from("x"),
         "LOCATIONpin_ax"},
        {"a source without target adds nothing", QUERY(ACF_VARIABLE_TYPE_LOCATION).from("x"),
         "LOCATION"},
        {"freeform whatever its name", QUERY(ACF_VARIABLE_TYPE_NONE).name("DEPTH").to("t"), "#Nt"},
        {"library value",
         QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("a.vhd").arg(ACF_ARGUMENT_TYPE_LIBRARY, "lib1"),
         "VHDL_FILElib1"},
        {"family value, tag adds nothing",
         QUERY(ACF_VARIABLE_TYPE_IO_STANDARD)
             .to("p")
             .arg(ACF_ARGUMENT_TYPE_CREATED_BY, "me")
             .arg(ACF_ARGUMENT_TYPE_FAMILY, "Vorelon II"),
         "IO_STANDARDpVorelon II"},
    };
    for (CASE& c : cases) {
        EXPECT_EQ(key_of(coll(), c.query), c.key) << c.what;
    }
}

TEST_F(ACF_ASGN_STORAGE_TEST, RemovedAssignmentIsRevivedInPlace) {
    QUERY pin_a = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("pin_a").value("PIN_A3");
    QUERY pin_b = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("pin_b").value("PIN_B1");
    ACF_ASSIGNMENT* a = set_instance(pin_a);
    ACF_ASSIGNMENT* b = set_instance(pin_b);

    QUERY which = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("pin_a");
    EXPECT_EQ(remove(which, false), ACF_ASSIGNMENT_LIST{a});
    EXPECT_TRUE(a->is_removed());
    EXPECT_TRUE(a->has_changed());
    EXPECT_EQ(coll().get_assignment(which.get(), ACF_ASGN_SEARCH_FILTER(), false, false, false),
              nullptr);
    EXPECT_TRUE(remove(which, false).empty());

    QUERY again = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("pin_a").value("PIN_C7");
    EXPECT_EQ(set_instance(again), a);
    EXPECT_FALSE(a->is_removed());
    EXPECT_STREQ(a->get_actual_value(), "PIN_C7");
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{a, b}));
}

TEST_F(ACF_ASGN_STORAGE_TEST, RevivedDefaultWithAnotherValueMovesToTheEnd) {
    QUERY first = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("led0").value("PIN_A1");
    QUERY other = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd");
    ACF_ASSIGNMENT* a = coll().set_assignment(first.get(), true, false, false, true, false);
    ACF_ASSIGNMENT* b = set_global(other);
    coll().remove_assignment_or_set_to_default(a);
    ASSERT_TRUE(a->is_removed());

    QUERY same_value = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("led0").value("pin_a1");
    EXPECT_EQ(set_instance(same_value), a);
    EXPECT_TRUE(a->is_default_value());
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{a, b}));

    coll().remove_assignment_or_set_to_default(a);
    QUERY new_value = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("led0").value("PIN_B2");
    EXPECT_EQ(set_instance(new_value), a);
    EXPECT_FALSE(a->is_default_value());
    EXPECT_STREQ(a->get_actual_value(), "PIN_B2");
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{b, a}));
}

TEST_F(ACF_ASGN_STORAGE_TEST, SetNeverLooksForALiveAssignment) {
    QUERY one = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("2.5 V");
    QUERY two = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("1.8 V");
    ACF_ASSIGNMENT* a = set_instance(one);
    ACF_ASSIGNMENT* b = set_instance(two);
    EXPECT_NE(a, b);
    QUERY which = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0");
    EXPECT_EQ(coll().get_assignment(which.get(), ACF_ASGN_SEARCH_FILTER(), false, false, false), a);
    EXPECT_EQ(remove(which, false), (ACF_ASSIGNMENT_LIST{a, b}));
}

TEST_F(ACF_ASGN_STORAGE_TEST, SetAppliesTheQueryAndTheChangedFlag) {
    QUERY query = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD)
                      .from("|src ")
                      .to(" |led0")
                      .value("2.5 V")
                      .entity("sub")
                      .comment("not applied")
                      .ignored();
    ACF_ASSIGNMENT* asgn = coll().set_assignment(query.get(), true, false, false, false, false);
    EXPECT_STREQ(asgn->get_source(), "src");
    EXPECT_STREQ(asgn->get_target(), "led0");
    EXPECT_STREQ(asgn->get_entity_name(), "sub");
    EXPECT_STREQ(asgn->get_comments(), "");
    EXPECT_TRUE(asgn->is_ignored());
    EXPECT_TRUE(asgn->is_default_value());
    EXPECT_FALSE(asgn->has_changed());
    EXPECT_EQ(
        std::count(storage.calls.begin(), storage.calls.end(), "replace_tdf_with_tsf_value()"), 1);

    // A global set drops any source and target.
    QUERY global = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("3.3 V");
    EXPECT_TRUE(set_global(global)->is_global());
}

TEST_F(ACF_ASGN_STORAGE_TEST, RemovalCanBeLimitedToDefaults) {
    QUERY user = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V");
    QUERY from_defaults = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("b").value("2.5 V");
    ACF_ASSIGNMENT* a = set_instance(user);
    ACF_ASSIGNMENT* b =
        coll().set_assignment(from_defaults.get(), true, false, false, false, false);
    QUERY which = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).defaults_only();
    EXPECT_EQ(remove(which, false), ACF_ASSIGNMENT_LIST{b});
    EXPECT_FALSE(a->is_removed());
}

// Keys of every length (the collection keeps short and long key texts apart)
// are found, told apart from keys they begin, revived, purged and copied.
TEST_F(ACF_ASGN_STORAGE_TEST, KeysOfAnyLengthAreFoundRevivedAndPurged) {
    for (size_t length : {1, 6, 7, 120, 127, 128, 129, 400}) {
        SCOPED_TRACE(length);
        ACF_COLLECTION_TEST_STORAGE fresh;
        ACF_ASGN_STORAGE& collection = fresh.collection();
        std::string const target(length, 'p');
        std::string const longer = target + "q";
        QUERY pin = QUERY(ACF_VARIABLE_TYPE_LOCATION).to(target.c_str()).value("PIN_A3");
        QUERY other = QUERY(ACF_VARIABLE_TYPE_LOCATION).to(longer.c_str()).value("PIN_B1");
        ACF_ASSIGNMENT* a = collection.set_assignment(pin.get(), false, false, false, true, false);
        ACF_ASSIGNMENT* b =
            collection.set_assignment(other.get(), false, false, false, true, false);
        QUERY which = QUERY(ACF_VARIABLE_TYPE_LOCATION).to(target.c_str());
        ACF_ASGN_SEARCH_FILTER const any;
        EXPECT_EQ(collection.get_assignment(which.get(), any, false, false, false), a);

        ACF_ASGN_STORAGE copy(&collection);
        ACF_ASSIGNMENT_LIST removed;
        collection.remove_assignment(which.get(), false, false, any, &removed);
        EXPECT_EQ(removed, ACF_ASSIGNMENT_LIST{a});
        EXPECT_EQ(collection.set_assignment(pin.get(), false, false, false, true, false), a);
        collection.remove_assignment(which.get(), false, false, any, &removed);
        collection.delete_all_removed_assignments();
        EXPECT_EQ(collection.get_assignment(which.get(), any, false, false, false), nullptr);
        QUERY which_other = QUERY(ACF_VARIABLE_TYPE_LOCATION).to(longer.c_str());
        EXPECT_EQ(collection.get_assignment(which_other.get(), any, false, false, false), b);
        ACF_ASSIGNMENT* copied = copy.get_assignment(which.get(), any, false, false, false);
        ASSERT_NE(copied, nullptr);
        EXPECT_STREQ(copied->get_target(), target.c_str());
    }
}

TEST_F(ACF_ASGN_STORAGE_TEST, PurgeDestroysOnlyRemovedAssignments) {
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("b").value("2.5 V");
    ACF_ASSIGNMENT* a = set_instance(q1);
    ACF_ASSIGNMENT* b = set_instance(q2);
    coll().remove_assignment_or_set_to_default(a);
    storage.changed_list = {a, b};
    coll().delete_all_removed_assignments();
    EXPECT_EQ(all_in_file_order(), ACF_ASSIGNMENT_LIST{b});
    EXPECT_EQ(storage.changed_list, ACF_ASSIGNMENT_LIST{b});
    // This purge does not record dangling pointers.
    EXPECT_FALSE(coll().is_dangling_pointer(a));
    EXPECT_TRUE(coll().is_dangling_pointer(nullptr));
}

TEST_F(ACF_ASGN_STORAGE_TEST, FindRemovedWithPurgeRecordsTheDanglingPointer) {
    QUERY query = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V");
    ACF_ASSIGNMENT* a = set_instance(query);
    coll().remove_assignment_or_set_to_default(a);
    std::string key = "IO_STANDARDa";
    coll().init_and_clean_local_parameters_from(query.get(), false, false);
    EXPECT_EQ(coll().find_removed_assignment(query.get(), key, false, false, false), a);
    EXPECT_EQ(coll().find_removed_assignment(query.get(), key, false, false, true), nullptr);
    EXPECT_TRUE(coll().is_dangling_pointer(a));
    EXPECT_TRUE(all_in_file_order().empty());
    coll().reset_deleted_map();
    EXPECT_FALSE(coll().is_dangling_pointer(a));
}

TEST_F(ACF_ASGN_STORAGE_TEST, IgnoredWithoutDefaultIsMatchedOnlyWhenAllowed) {
    QUERY query = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("2.5 V").ignored();
    ACF_ASSIGNMENT* asgn = set_global(query);
    QUERY which = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD);
    ACF_ASGN_SEARCH_FILTER const any;
    EXPECT_FALSE(coll().does_assignment_match(asgn, which.get(), any, false, false, true, false));
    EXPECT_TRUE(coll().does_assignment_match(asgn, which.get(), any, true, false, true, false));
    storage.defaults[ACF_VARIABLE_TYPE_IO_STANDARD] = "3.3 V";
    EXPECT_TRUE(coll().does_assignment_match(asgn, which.get(), any, false, false, true, false));
}

TEST_F(ACF_ASGN_STORAGE_TEST, MatchChecksEachPartOfTheQuery) {
    QUERY stored =
        QUERY(ACF_VARIABLE_TYPE_LOCATION).from("s").to("t").value("PIN_A1").entity("sub");
    ACF_ASSIGNMENT* asgn = set_instance(stored);
    struct CASE {
        char const* what;
        QUERY query;
        bool matches;
    } cases[] = {
        {"variable only", QUERY(ACF_VARIABLE_TYPE_LOCATION).entity("sub"), true},
        {"other variable", QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).entity("sub"), false},
        {"value ignoring case", QUERY(ACF_VARIABLE_TYPE_LOCATION).value("pin_a1").entity("sub"),
         true},
        {"other value", QUERY(ACF_VARIABLE_TYPE_LOCATION).value("PIN_B1").entity("sub"), false},
        {"no entity asked", QUERY(ACF_VARIABLE_TYPE_LOCATION), false},
        {"entity case", QUERY(ACF_VARIABLE_TYPE_LOCATION).entity("SUB"), false},
        {"source and target", QUERY(ACF_VARIABLE_TYPE_LOCATION).from("s").to("t").entity("sub"),
         true},
        {"other target", QUERY(ACF_VARIABLE_TYPE_LOCATION).to("u").entity("sub"), false},
        {"a section asked", QUERY(ACF_VARIABLE_TYPE_LOCATION).entity("sub").section("x"), false},
    };
    ACF_ASGN_SEARCH_FILTER const any;
    for (CASE& c : cases) {
        EXPECT_EQ(
            coll().does_assignment_match(asgn, c.query.get(), any, false, false, false, false),
            c.matches)
            << c.what;
    }
    QUERY as_global = QUERY(ACF_VARIABLE_TYPE_LOCATION).entity("sub");
    EXPECT_FALSE(
        coll().does_assignment_match(asgn, as_global.get(), any, false, false, true, false));
    EXPECT_FALSE(
        coll().does_assignment_match(asgn, as_global.get(), any, false, true, false, false));
}

TEST_F(ACF_ASGN_STORAGE_TEST, FamilyArgumentMustBeTheProjectsFamily) {
    QUERY query = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD)
                      .value("2.5 V")
                      .arg(ACF_ARGUMENT_TYPE_FAMILY, dstr_get_user_string(DEV_FAMILY_ENUM(1)));
    ACF_ASSIGNMENT* asgn = set_global(query);
    ASSERT_TRUE(asgn->set_family_enum());
    ASSERT_EQ(asgn->get_family_enum(), DEV_FAMILY_ENUM(1));
    QUERY which = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD);
    ACF_ASGN_SEARCH_FILTER const any;
    storage.project_family = DEV_FAMILY_ENUM(2);
    EXPECT_FALSE(coll().does_assignment_match(asgn, which.get(), any, false, false, true, false));
    storage.project_family = DEV_FAMILY_ENUM(1);
    EXPECT_TRUE(coll().does_assignment_match(asgn, which.get(), any, false, false, true, false));
}

TEST_F(ACF_ASGN_STORAGE_TEST, RemovingAnIpFileRemovesTheFilesItBrought) {
    QUERY ip = QUERY(ACF_VARIABLE_TYPE_TIP_FILE).value("ip/core.tip");
    QUERY brought = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
                        .value("ip/core.vhd")
                        .arg(ACF_ARGUMENT_TYPE_TIP, "ip/core.tip");
    QUERY by_sip = QUERY(ACF_VARIABLE_TYPE_VERILOG_FILE)
                       .value("ip/core.v")
                       .arg(ACF_ARGUMENT_TYPE_SIP, "ip/core.tip");
    QUERY other_ip = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
                         .value("ip/other.vhd")
                         .arg(ACF_ARGUMENT_TYPE_TIP, "ip/other.tip");
    QUERY own = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd");
    ACF_ASSIGNMENT* tip = set_global(ip);
    ACF_ASSIGNMENT* vhdl = set_global(brought);
    ACF_ASSIGNMENT* verilog = set_global(by_sip);
    ACF_ASSIGNMENT* other = set_global(other_ip);
    ACF_ASSIGNMENT* top = set_global(own);
    ASSERT_TRUE(vhdl->does_argument_exist(ACF_ARGUMENT_TYPE_TIP));

    QUERY which = QUERY(ACF_VARIABLE_TYPE_TIP_FILE).value("ip/core.tip");
    EXPECT_EQ(remove(which, true), ACF_ASSIGNMENT_LIST{tip});
    EXPECT_TRUE(tip->is_removed());
    EXPECT_TRUE(vhdl->is_removed());
    EXPECT_TRUE(verilog->is_removed());
    EXPECT_FALSE(other->is_removed());
    EXPECT_FALSE(top->is_removed());
}

TEST_F(ACF_ASGN_STORAGE_TEST, EntityNamesAreCountedOncePerLiveAssignment) {
    QUERY a = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V").entity("sub");
    QUERY b = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1").entity("sub");
    QUERY c = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("c").value("PIN_C1").entity("Top");
    set_instance(a);
    set_instance(b);
    set_instance(c);
    EXPECT_EQ(entity_names(), (std::vector<std::string>{"Top", "sub"}));

    // Removing the IO_STANDARD twice must not forget "sub", which LOCATION still uses.
    ACF_ASSIGNMENT_LIST removed;
    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_IO_STANDARD, &removed, false, true);
    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_IO_STANDARD, &removed, false, true);
    EXPECT_EQ(removed.size(), 1u);
    EXPECT_EQ(entity_names(), (std::vector<std::string>{"Top", "sub"}));

    coll().remove_all_assignments_of_type(ACF_VARIABLE_TYPE_LOCATION, &removed, false, true);
    EXPECT_TRUE(entity_names().empty());
    set_instance(b);
    EXPECT_EQ(entity_names(), (std::vector<std::string>{"sub"}));
}

// Assignments of one entity share one copy of its name, which stays right for
// each of them whatever the others' names become, and in a copy.
TEST_F(ACF_ASGN_STORAGE_TEST, AssignmentsOfOneEntityShareItsName) {
    QUERY a = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V").entity("sub");
    QUERY b = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("b").value("PIN_B1").entity("sub");
    QUERY c = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("c").value("PIN_C1").entity("Top");
    ACF_ASSIGNMENT* first = set_instance(a);
    ACF_ASSIGNMENT* second = set_instance(b);
    ACF_ASSIGNMENT* third = set_instance(c);
    EXPECT_EQ(first->get_entity_name(), second->get_entity_name());
    EXPECT_STREQ(third->get_entity_name(), "Top");

    first->set_entity_name("other");
    EXPECT_STREQ(first->get_entity_name(), "other");
    EXPECT_STREQ(second->get_entity_name(), "sub");
    ACF_ASGN_STORAGE copy(&coll());
    second->set_entity_name("again");
    ACF_ASSIGNMENT_LIST all;
    copy.get_all_assignments(ACF_ASGN_SEARCH_FILTER(), true, true, true, true, true, &all);
    std::vector<std::string> names;
    for (ACF_ASSIGNMENT* asgn : all) {
        names.push_back(asgn->get_entity_name() ? asgn->get_entity_name() : "<none>");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"other", "sub", "Top"}));
}

TEST_F(ACF_ASGN_STORAGE_TEST, CommentLinesAndOrderOperations) {
    coll().add_comment_line("# first", nullptr);
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("a").value("2.5 V");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("b").value("2.5 V");
    ACF_ASSIGNMENT* a = set_instance(q1);
    coll().add_comment_line("", "/projects/chip/pins.tcl");
    coll().add_comment_line(nullptr, "ignored");
    ACF_ASSIGNMENT* b = set_instance(q2);
    coll().move_assignment_to_end_of_coll(a);
    coll().move_assignment_to_end_of_coll(nullptr);

    ACF_ASGN_COMMENT_VECTOR lines;
    coll().get_comment_assignment_coll_for_writing(&lines, "/projects/chip/chip.tsf", true, true);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_STREQ(lines.front().get_comment(), "# first");
    EXPECT_EQ(std::next(lines.begin())->get_assignment(), b);
    EXPECT_EQ(lines.back().get_assignment(), a);

    // Only a removed assignment loses its entry; a revived one is written again.
    coll().delete_comment(a);
    EXPECT_EQ(all_in_file_order().size(), 2u);
    coll().remove_assignment_or_set_to_default(a);
    coll().delete_comment(a);
    EXPECT_EQ(all_in_file_order(), ACF_ASSIGNMENT_LIST{b});
    EXPECT_EQ(set_instance(q1), a);
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{b, a}));

    coll().delete_all_comments();
    coll().get_comment_assignment_coll_for_writing(&lines, "/projects/chip/chip.tsf", true, true);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ACF_ASGN_STORAGE_TEST, CopyKeepsEverythingAsItWas) {
    coll().add_comment_line("# pins", "/projects/chip/pins.tcl");
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1").entity("sub");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("b").value("PIN_B1");
    QUERY q3 = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd");
    ACF_ASSIGNMENT* a = set_instance(q1);
    ACF_ASSIGNMENT* b = set_instance(q2);
    ACF_ASSIGNMENT* c = set_global(q3);
    a->set_acf_file_name("/projects/chip/pins.tcl");
    a->set_comment("first pin");
    a->set_variable_original_tcl_command_from_file("set_location_assignment PIN_A1 -to a");
    coll().remove_assignment_or_set_to_default(b);
    coll().move_assignment_to_end_of_coll(a);

    auto* copy = new ACF_ASGN_STORAGE(&coll());
    storage.replace_collection(copy);
    ACF_ASSIGNMENT_LIST const copied = all_in_file_order();
    ASSERT_EQ(copied.size(), 3u);
    ACF_ASSIGNMENT* b2 = *copied.begin();
    ACF_ASSIGNMENT* c2 = *std::next(copied.begin());
    ACF_ASSIGNMENT* a2 = copied.back();
    EXPECT_STREQ(b2->get_target(), "b");
    EXPECT_TRUE(b2->is_removed());
    EXPECT_STREQ(c2->get_actual_value(), "top.vhd");
    EXPECT_STREQ(a2->get_comments(), "first pin");
    EXPECT_STREQ(a2->get_acf_file_name(), "/projects/chip/pins.tcl");
    std::string command;
    EXPECT_TRUE(a2->get_variable_original_tcl_command_from_file(&command));
    EXPECT_EQ(entity_names(), std::vector<std::string>{"sub"});

    ACF_ASGN_COMMENT_VECTOR lines;
    coll().get_comment_assignment_coll_for_writing(&lines, "/projects/chip/pins.tcl", false, true);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_STREQ(lines.front().get_comment(), "# pins");
    EXPECT_EQ(lines.back().get_assignment(), a2);

    // The removed copy is still revived in place by a set of its key.
    QUERY again = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("b").value("PIN_B2");
    EXPECT_EQ(set_instance(again), b2);
    (void)c;
}

} // namespace
