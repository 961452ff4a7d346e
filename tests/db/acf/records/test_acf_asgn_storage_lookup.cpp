// Lookups of the assignment collection: by variable, source, target, value and
// freeform name; exact matches with arguments; argument conflicts.
#include "acf_collection_test_storage.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

namespace {

class ACF_ASGN_LOOKUP_TEST : public ACF_COLLECTION_TEST {
protected:
    ACF_ASSIGNMENT* find(QUERY& query, bool global, bool allow_ignored = false) {
        return coll().get_assignment(query.get(), ACF_ASGN_SEARCH_FILTER(), allow_ignored, global,
                                     false);
    }
    ACF_ASSIGNMENT_LIST find_all(QUERY& query, bool global, bool freeform = false) {
        ACF_ASSIGNMENT_LIST found;
        coll().get_assignment_coll(query.get(), ACF_ASGN_SEARCH_FILTER(), false, global, freeform,
                                   &found);
        return found;
    }
};

TEST_F(ACF_ASGN_LOOKUP_TEST, InstanceLookupBySourceAndTarget) {
    QUERY stored = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("s").to("t").value("2");
    ACF_ASSIGNMENT* asgn = set_instance(stored);

    QUERY target_only = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).to("t");
    QUERY both = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("s").to("|t");
    QUERY source_only = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("s");
    QUERY other_source = QUERY(ACF_VARIABLE_TYPE_MULTICYCLE).from("x");
    // The key holds target and source: a target alone names another key.
    EXPECT_EQ(find(target_only, false), nullptr);
    EXPECT_EQ(find(both, false), asgn);
    // Without a target the lookup looks at every assignment of the variable.
    EXPECT_EQ(find(source_only, false), asgn);
    EXPECT_EQ(find(other_source, false), nullptr);
    // The collecting lookup takes an empty target as any target.
    EXPECT_EQ(find_all(target_only, false), ACF_ASSIGNMENT_LIST{asgn});
}

TEST_F(ACF_ASGN_LOOKUP_TEST, GlobalLookupByTypeNeverGivesAnInstance) {
    QUERY instance = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("2.5 V");
    set_instance(instance);
    EXPECT_EQ(coll().get_assignment(ACF_VARIABLE_TYPE_IO_STANDARD), nullptr);
    QUERY global = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("1.8 V");
    ACF_ASSIGNMENT* asgn = set_global(global);
    EXPECT_EQ(coll().get_assignment(ACF_VARIABLE_TYPE_IO_STANDARD), asgn);
}

TEST_F(ACF_ASGN_LOOKUP_TEST, LookupByValueAndVariableName) {
    QUERY q1 = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1");
    QUERY q2 = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("b").value("PIN_B1");
    QUERY q3 = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("c").value("PIN_A1");
    QUERY q4 = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("d").value("2.5 V");
    ACF_ASSIGNMENT* a = set_instance(q1);
    set_instance(q2);
    ACF_ASSIGNMENT* c = set_instance(q3);
    ACF_ASSIGNMENT* d = set_instance(q4);

    QUERY by_value = QUERY(ACF_VARIABLE_TYPE_LOCATION).value("pin_a1");
    EXPECT_EQ(find_all(by_value, false), (ACF_ASSIGNMENT_LIST{a, c}));
    coll().move_assignment_to_end_of_coll(a);
    EXPECT_EQ(find_all(by_value, false), (ACF_ASSIGNMENT_LIST{c, a}));
    QUERY all_pins = QUERY(ACF_VARIABLE_TYPE_LOCATION);
    EXPECT_EQ(find_all(all_pins, false).size(), 3u);
    EXPECT_TRUE(find_all(all_pins, true).empty());
    // Values of a case-sensitive variable keep their case.
    QUERY other_case = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("2.5 v");
    QUERY same_case = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("2.5 V");
    EXPECT_TRUE(find_all(other_case, false).empty());
    EXPECT_EQ(find_all(same_case, false), ACF_ASSIGNMENT_LIST{d});
}

TEST_F(ACF_ASGN_LOOKUP_TEST, VariablesWhoseNamesShareAPrefixStayApart) {
    // The global key of the longer name equals the instance key of the shorter
    // one with a target that spells the rest.
    QUERY longer = QUERY(ACF_VARIABLE_TYPE_BASE_REVISION_PROJECT_OUTPUT_DIRECTORY).value("out");
    QUERY shorter =
        QUERY(ACF_VARIABLE_TYPE_BASE_REVISION).to("_PROJECT_OUTPUT_DIRECTORY").value("r1");
    ACF_ASSIGNMENT* global = set_global(longer);
    ACF_ASSIGNMENT* instance = set_instance(shorter);

    QUERY longer_query = QUERY(ACF_VARIABLE_TYPE_BASE_REVISION_PROJECT_OUTPUT_DIRECTORY);
    QUERY shorter_query = QUERY(ACF_VARIABLE_TYPE_BASE_REVISION).to("_PROJECT_OUTPUT_DIRECTORY");
    QUERY shorter_any = QUERY(ACF_VARIABLE_TYPE_BASE_REVISION);
    EXPECT_EQ(find(longer_query, true), global);
    EXPECT_EQ(find(shorter_query, false), instance);
    EXPECT_EQ(find_all(shorter_any, false), ACF_ASSIGNMENT_LIST{instance});
    EXPECT_EQ(find_all(longer_query, true), ACF_ASSIGNMENT_LIST{global});
    EXPECT_EQ(remove(shorter_any, false), ACF_ASSIGNMENT_LIST{instance});
    EXPECT_FALSE(global->is_removed());
}

TEST_F(ACF_ASGN_LOOKUP_TEST, IgnoredWithoutDefaultIsInvisibleUnlessAllowed) {
    QUERY stored = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0").value("2.5 V").ignored();
    ACF_ASSIGNMENT* asgn = set_instance(stored);
    QUERY which = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("led0");
    EXPECT_EQ(find(which, false), nullptr);
    EXPECT_EQ(find(which, false, true), asgn);
    EXPECT_FALSE(coll().does_variable_exist(which.get(), false, false));
}

TEST_F(ACF_ASGN_LOOKUP_TEST, FreeformLookupByNameIgnoringCase) {
    QUERY depth = QUERY(ACF_VARIABLE_TYPE_NONE).name("DEPTH").to("u1").value("8");
    QUERY width = QUERY(ACF_VARIABLE_TYPE_NONE).name("WIDTH").to("u1").value("16");
    ACF_ASSIGNMENT* d = set_freeform(depth);
    ACF_ASSIGNMENT* w = set_freeform(width);
    EXPECT_STREQ(d->get_variable_string(), "DEPTH");

    QUERY by_name = QUERY(ACF_VARIABLE_TYPE_NONE).name("width");
    EXPECT_EQ(coll().get_assignment(by_name.get(), ACF_ASGN_SEARCH_FILTER(), false, false, true),
              w);
    EXPECT_EQ(find_all(by_name, false, true), ACF_ASSIGNMENT_LIST{w});
    QUERY any_name = QUERY(ACF_VARIABLE_TYPE_NONE).to("u1");
    EXPECT_EQ(find_all(any_name, false, true), (ACF_ASSIGNMENT_LIST{d, w}));
    EXPECT_TRUE(coll().does_variable_exist(by_name.get(), false, true));
}

TEST_F(ACF_ASGN_LOOKUP_TEST, ExactMatchNeedsTheSameValueAndArguments) {
    QUERY stored = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
                       .value("top.vhd")
                       .arg(ACF_ARGUMENT_TYPE_LIBRARY, "work")
                       .arg(ACF_ARGUMENT_TYPE_CREATED_BY, "wizard");
    ACF_ASSIGNMENT* asgn = set_global(stored);
    ASSERT_TRUE(asgn->does_argument_exist(ACF_ARGUMENT_TYPE_CREATED_BY));
    ACF_ASGN_SEARCH_FILTER const any;
    struct CASE {
        char const* what;
        QUERY query;
        bool found;
    } cases[] = {
        {"same value and arguments",
         QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
             .value("top.vhd")
             .arg(ACF_ARGUMENT_TYPE_CREATED_BY, "wizard")
             .arg(ACF_ARGUMENT_TYPE_LIBRARY, "work"),
         true},
        {"one argument fewer",
         QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd").arg(ACF_ARGUMENT_TYPE_LIBRARY, "work"),
         false},
        {"another tag",
         QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
             .value("top.vhd")
             .arg(ACF_ARGUMENT_TYPE_CREATED_BY, "user")
             .arg(ACF_ARGUMENT_TYPE_LIBRARY, "work"),
         false},
        {"another value, case-sensitive file name",
         QUERY(ACF_VARIABLE_TYPE_VHDL_FILE)
             .value("TOP.vhd")
             .arg(ACF_ARGUMENT_TYPE_CREATED_BY, "wizard")
             .arg(ACF_ARGUMENT_TYPE_LIBRARY, "work"),
         false},
    };
    for (CASE& c : cases) {
        EXPECT_EQ(coll().get_exact_match_assignment(c.query.get(), any, false, true, false, false),
                  c.found ? asgn : nullptr)
            << c.what;
    }
    // While it sets, the store asks for removed ones.
    coll().remove_assignment_or_set_to_default(asgn);
    EXPECT_EQ(
        coll().get_exact_match_assignment(cases[0].query.get(), any, false, true, false, true),
        asgn);
}

TEST_F(ACF_ASGN_LOOKUP_TEST, ArgumentConflictIsAnotherValueWithTheSameArgument) {
    QUERY stored =
        QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd").arg(ACF_ARGUMENT_TYPE_LIBRARY, "work");
    set_global(stored);
    struct CASE {
        char const* what;
        char const* value;
        char const* library;
        bool conflict;
    } const cases[] = {
        {"same value, same library", "top.vhd", "work", false},
        {"other value, same library", "sub.vhd", "work", true},
        {"no value given, same library", nullptr, "work", true},
        {"other library", "sub.vhd", "lib2", false},
        {"library value required", "sub.vhd", "", false},
    };
    for (CASE const& c : cases) {
        QUERY query = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value(c.value);
        EXPECT_EQ(coll().does_matching_assignment_exist_with_same_argument(
                      query.get(), true, false, ACF_ARGUMENT_TYPE_LIBRARY, c.library),
                  c.conflict)
            << c.what;
    }
}

// Many records that differ only in their section identifiers, looked up
// together, find for each what the record alone finds, in the same order:
// sections compared ignoring case, an absent one only matching assignments
// without one, other entities and ignored assignments left out.
TEST_F(ACF_ASGN_LOOKUP_TEST, SectionsLookedUpTogetherFindWhatEachFindsAlone) {
    struct SET {
        char const* section;
        char const* value;
        char const* entity;
        bool ignored;
    } const sets[] = {
        {"g1", "m1", nullptr, false},  {"G1", "m2", nullptr, false},
        {"g2", "m3", nullptr, false},  {"g1", "m4", "other", false},
        {"g2", "m5", nullptr, true},   {nullptr, "m6", nullptr, false},
        {"g10", "m7", nullptr, false}, {"g1", "m8", nullptr, false},
    };
    for (SET const& set : sets) {
        QUERY query = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER).value(set.value);
        query.section(set.section).entity(set.entity);
        if (set.ignored) {
            query.ignored();
        }
        set_global(query);
    }
    QUERY exception = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_EXCEPTION).section("g1").value("x1");
    set_global(exception);

    std::vector<std::string> const sections = {"g1", "G1", "g2", "none", "", "g1", "g10"};
    std::vector<ACF_ASSIGNMENT_LIST> together(sections.size());
    QUERY query = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
    coll().get_assignment_colls(query.get(), sections, ACF_ASGN_SEARCH_FILTER(), false, true, false,
                                &together);
    std::vector<std::vector<std::string>> values;
    for (size_t i = 0; i < sections.size(); ++i) {
        QUERY alone = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER).section(sections[i].c_str());
        EXPECT_EQ(together[i], find_all(alone, true)) << sections[i];
        values.emplace_back();
        for (ACF_ASSIGNMENT* asgn : together[i]) {
            values.back().emplace_back(asgn->get_value(false));
        }
    }
    using VALUES = std::vector<std::string>;
    EXPECT_EQ(values, (std::vector<VALUES>{{"m1", "m2", "m8"},
                                           {"m1", "m2", "m8"},
                                           {"m3"},
                                           {},
                                           {"m6"},
                                           {"m1", "m2", "m8"},
                                           {"m7"}}));
}
} // namespace
