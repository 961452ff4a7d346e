// The indexes beside the key index: lookups by value and by freeform name give
// what a walk over every candidate in key order gives, also after values,
// ignored marks and removed marks change; removed assignments and the changed
// set stay right through removals, purges, revivals and copies.
#include "acf_assignment.h"
#include "acf_collection_test_storage.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

class ACF_ASGN_INDEX_TEST : public ACF_COLLECTION_TEST {
protected:
    ACF_ASSIGNMENT* find(QUERY& query, bool global, bool allow_ignored = false,
                         bool freeform = false) {
        return coll().get_assignment(query.get(), ACF_ASGN_SEARCH_FILTER(), allow_ignored, global,
                                     freeform);
    }
    ACF_ASSIGNMENT* exact(QUERY& query, bool global, bool removed = false) {
        return coll().get_exact_match_assignment(query.get(), ACF_ASGN_SEARCH_FILTER(), false,
                                                 global, false, removed);
    }
    std::vector<ACF_ASSIGNMENT*> removed_ones() {
        ACF_ASSIGNMENT_LIST removed;
        coll().get_removed_assignments(&removed);
        return std::vector<ACF_ASSIGNMENT*>(removed.begin(), removed.end());
    }
};

TEST_F(ACF_ASGN_INDEX_TEST, LookupsByValueFollowValueChanges) {
    QUERY a_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("a.vhd");
    QUERY b_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("b.vhd");
    QUERY c_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("c.vhd");
    ACF_ASSIGNMENT* a = set_global(a_file);
    ACF_ASSIGNMENT* b = set_global(b_file);
    a->set_value("c.vhd");
    EXPECT_EQ(find(a_file, true), nullptr);
    EXPECT_EQ(find(c_file, true), a);
    EXPECT_EQ(find(b_file, true), b);
    EXPECT_FALSE(coll().does_variable_exist(a_file.get(), true, false));
    EXPECT_TRUE(coll().does_variable_exist(c_file.get(), true, false));
    EXPECT_EQ(exact(c_file, true), a);
    EXPECT_EQ(exact(a_file, true), nullptr);

    // A case-insensitive value is found in any case.
    QUERY pin = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1");
    ACF_ASSIGNMENT* location = set_instance(pin);
    QUERY lower = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("pin_a1");
    EXPECT_EQ(find(lower, false), location);
    location->set_value("PIN_B2");
    EXPECT_EQ(find(lower, false), nullptr);
    QUERY moved = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("Pin_B2");
    EXPECT_EQ(find(moved, false), location);
}

TEST_F(ACF_ASGN_INDEX_TEST, IgnoredAssignmentsMatchByTheirDefaultInKeyOrder) {
    storage.defaults[ACF_VARIABLE_TYPE_IO_STANDARD] = "3.3 V";
    QUERY first_value = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("1.8 V");
    QUERY default_value = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("3.3 V");
    ACF_ASSIGNMENT* first = set_global(first_value);
    ACF_ASSIGNMENT* second = set_global(default_value);
    first->set_ignore_status(true);

    // Ignored, the first one stands for its default value and comes first.
    EXPECT_EQ(find(default_value, true), first);
    EXPECT_EQ(find(first_value, true), nullptr);
    // With ignored ones taken as stored, each is found by its own value.
    EXPECT_EQ(find(first_value, true, true), first);
    EXPECT_EQ(find(default_value, true, true), second);
    EXPECT_TRUE(coll().does_variable_exist(default_value.get(), true, false));
    EXPECT_FALSE(coll().does_variable_exist(first_value.get(), true, false));

    first->set_ignore_status(false);
    EXPECT_EQ(find(default_value, true), second);
    EXPECT_EQ(find(first_value, true), first);
}

TEST_F(ACF_ASGN_INDEX_TEST, FreeformLookupsByNameAndTarget) {
    std::vector<ACF_ASSIGNMENT*> instances;
    for (int i = 0; i < 50; ++i) {
        std::string target = "u" + std::to_string(i);
        QUERY query = QUERY(ACF_VARIABLE_TYPE_NONE).name("WIDTH").to(target.c_str()).value("8");
        instances.push_back(set_freeform(query));
    }
    QUERY global = QUERY(ACF_VARIABLE_TYPE_NONE).name("WIDTH").value("4");
    ACF_ASSIGNMENT* global_width =
        coll().set_assignment(global.get(), false, true, true, true, false);

    QUERY on_u42 = QUERY(ACF_VARIABLE_TYPE_NONE).name("width").to("u42");
    EXPECT_EQ(find(on_u42, false, false, true), instances[42]);
    QUERY on_bar = QUERY(ACF_VARIABLE_TYPE_NONE).name("width").to("|u7");
    EXPECT_EQ(find(on_bar, false, false, true), instances[7]);
    // A global freeform lookup takes no target: the global one comes first in
    // key order.
    QUERY any_width = QUERY(ACF_VARIABLE_TYPE_NONE).name("Width");
    EXPECT_EQ(find(any_width, true, false, true), global_width);
    QUERY depth = QUERY(ACF_VARIABLE_TYPE_NONE).name("DEPTH");
    EXPECT_EQ(find(depth, true, false, true), nullptr);
    // Without a name every freeform assignment of the target is a candidate.
    QUERY nameless = QUERY(ACF_VARIABLE_TYPE_NONE).to("u3");
    EXPECT_EQ(find(nameless, false, false, true), instances[3]);
    EXPECT_TRUE(coll().does_variable_exist(on_u42.get(), false, true));
    QUERY on_u99 = QUERY(ACF_VARIABLE_TYPE_NONE).name("WIDTH").to("u99");
    EXPECT_FALSE(coll().does_variable_exist(on_u99.get(), false, true));
}

TEST_F(ACF_ASGN_INDEX_TEST, RemovedAssignmentsAreListedRevivedAndPurged) {
    QUERY a_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("a.vhd");
    QUERY b_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("b.vhd");
    QUERY param = QUERY(ACF_VARIABLE_TYPE_NONE).name("P").to("u1").value("1");
    ACF_ASSIGNMENT* a = set_global(a_file);
    ACF_ASSIGNMENT* b = set_global(b_file);
    ACF_ASSIGNMENT* p = set_freeform(param);
    EXPECT_TRUE(removed_ones().empty());

    coll().remove_assignment_or_set_to_default(p);
    coll().remove_assignment_or_set_to_default(b);
    coll().remove_assignment_or_set_to_default(a);
    // Key order: "#NP..." sorts before "VHDL_FILE"; equal keys by insertion.
    EXPECT_EQ(removed_ones(), (std::vector<ACF_ASSIGNMENT*>{p, a, b}));
    EXPECT_EQ(find(a_file, true), nullptr);
    EXPECT_EQ(exact(a_file, true, true), a);

    // Setting again revives the removed objects.
    EXPECT_EQ(set_global(a_file), a);
    EXPECT_EQ(set_freeform(param), p);
    EXPECT_EQ(removed_ones(), std::vector<ACF_ASSIGNMENT*>{b});
    EXPECT_EQ(find(a_file, true), a);

    coll().delete_all_removed_assignments();
    EXPECT_TRUE(removed_ones().empty());
    EXPECT_EQ(find(b_file, true), nullptr);
    EXPECT_NE(set_global(b_file), nullptr);
    EXPECT_TRUE(removed_ones().empty());
}

TEST_F(ACF_ASGN_INDEX_TEST, ChangedAssignmentsAreKeptAsASet) {
    QUERY a_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("a.vhd");
    QUERY b_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("b.vhd");
    ACF_ASSIGNMENT* a = set_global(a_file);
    ACF_ASSIGNMENT* b = set_global(b_file);
    EXPECT_TRUE(coll().have_any_assignments_changed());
    coll().clear_changed_status_of_all_assignments();
    EXPECT_FALSE(a->has_changed());
    EXPECT_FALSE(b->has_changed());
    EXPECT_FALSE(coll().have_any_assignments_changed());

    // Any change of a held assignment counts, also one made on the record.
    a->set_comment("why");
    EXPECT_TRUE(coll().have_any_assignments_changed());
    a->set_changed_status(false);
    EXPECT_FALSE(coll().have_any_assignments_changed());

    // A purged assignment no longer counts.
    coll().remove_assignment_or_set_to_default(a);
    EXPECT_TRUE(coll().have_any_assignments_changed());
    coll().delete_all_removed_assignments();
    EXPECT_FALSE(coll().have_any_assignments_changed());

    // A copy carries the marks and keeps its own set and indexes.
    b->set_value("c.vhd");
    ACF_ASGN_STORAGE copy(&coll());
    EXPECT_TRUE(copy.have_any_assignments_changed());
    copy.clear_changed_status_of_all_assignments();
    EXPECT_FALSE(copy.have_any_assignments_changed());
    EXPECT_TRUE(coll().have_any_assignments_changed());
    QUERY c_file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("c.vhd");
    ACF_ASSIGNMENT* copied =
        copy.get_assignment(c_file.get(), ACF_ASGN_SEARCH_FILTER(), false, true, false);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, b);
    copied->set_value("d.vhd");
    EXPECT_TRUE(copy.have_any_assignments_changed());
    EXPECT_EQ(find(c_file, true), b);
}

// Random sets, value changes, ignored marks and removals of one key's
// assignments: every lookup by value gives the first match in key order that
// a walk over all of them gives.
TEST_F(ACF_ASGN_INDEX_TEST, LookupsAgreeWithAWalkInKeyOrder) {
    storage.defaults[ACF_VARIABLE_TYPE_IO_STANDARD] = "v0";
    char const* const values[] = {"v0", "v1", "V1", "v2", "v3"};
    std::vector<ACF_ASSIGNMENT*> held; // insertion order, which is key order here
    std::mt19937 random(23);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int step = 0; step < 400; ++step) {
        size_t const action = held.empty() ? 0 : pick(5);
        if (action == 0) {
            QUERY set = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value(values[pick(5)]);
            ACF_ASSIGNMENT* asgn = set_global(set);
            if (std::find(held.begin(), held.end(), asgn) == held.end()) {
                held.push_back(asgn);
            }
        } else if (action == 1) {
            held[pick(held.size())]->set_value(values[pick(5)]);
        } else if (action == 2) {
            ACF_ASSIGNMENT* asgn = held[pick(held.size())];
            asgn->set_ignore_status(!asgn->is_ignored());
        } else if (action == 3) {
            coll().remove_assignment_or_set_to_default(held[pick(held.size())]);
        }
        for (char const* value : values) {
            for (bool allow_ignored : {false, true}) {
                QUERY query = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value(value);
                ACF_ASSIGNMENT* walked = nullptr;
                for (ACF_ASSIGNMENT* asgn : held) {
                    if (coll().does_assignment_match(asgn, query.get(), ACF_ASGN_SEARCH_FILTER(),
                                                     allow_ignored, false, true, false)) {
                        walked = asgn;
                        break;
                    }
                }
                ASSERT_EQ(find(query, true, allow_ignored), walked)
                    << "step " << step << ", value " << value << ", allow_ignored "
                    << allow_ignored;
            }
        }
    }
}

} // namespace
