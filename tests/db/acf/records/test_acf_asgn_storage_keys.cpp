// The key index and the order numbers: every lookup returns, and every listing
// and removal goes in, key order (key text ascending, then the order in which
// the assignments came under the key) across keys that share a prefix, many
// assignments under one key, one key text spelt by two variables, and keys
// dropped and made again; file order and key order stay right when the order
// numbers run out and are numbered afresh.
#include "acf_assignment.h"
#include "acf_collection_test_storage.h"
#include "acf_table.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

// Reaches the collection's order counters.
class ACF_ASGN_STORAGE_ORDER_NUMBERS_TEST : public ACF_COLLECTION_TEST {
protected:
    // The next order numbers handed out are the last two there are.
    void run_order_numbers_nearly_out() {
        coll().m_next_order = UINT32_MAX - 2;
        coll().m_next_key_order = UINT32_MAX - 2;
    }
};

namespace {

// A held assignment as the test sees it: its key and when it came under it.
struct HELD {
    ACF_ASSIGNMENT* asgn;
    std::string key;
    int came;
    bool operator<(HELD const& other) const {
        return std::tie(key, came) < std::tie(other.key, other.came);
    }
};

class ACF_ASGN_KEYS_TEST : public ACF_COLLECTION_TEST {
protected:
    std::string key_of(QUERY& query) {
        std::string key;
        coll().create_assignment_key(*query.get(), key);
        return key;
    }
    // The held assignments in key order.
    std::vector<HELD> in_key_order() const {
        std::vector<HELD> sorted = m_held;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
    void note(ACF_ASSIGNMENT* asgn, std::string const& key) {
        auto known = std::find_if(m_held.begin(), m_held.end(),
                                  [asgn](HELD const& held) { return held.asgn == asgn; });
        if (known == m_held.end()) {
            m_held.push_back(HELD{asgn, key, m_came++});
        }
    }
    // What a walk over the candidates in key order gives: those whose keys
    // equal `key`, or begin with `prefix` when `key` is empty.
    std::vector<ACF_ASSIGNMENT*> walked(QUERY& query, std::string const& key,
                                        std::string const& prefix, bool global, bool removal) {
        std::vector<ACF_ASSIGNMENT*> found;
        for (HELD const& held : in_key_order()) {
            bool const candidate =
                key.empty() ? held.key.compare(0, prefix.size(), prefix) == 0 : held.key == key;
            if (candidate &&
                coll().does_assignment_match(held.asgn, query.get(), ACF_ASGN_SEARCH_FILTER(),
                                             removal, false, global, false)) {
                found.push_back(held.asgn);
            }
        }
        return found;
    }

    std::vector<HELD> m_held;
    int m_came = 0;
};

// Sets, removals, revivals and purges in random order over keys that share
// prefixes (targets "a", "ab", and target "a" with source "b", which spell one
// key), over one key text spelt by two variables, and over enough keys for
// purges to drop many of them; after each step every kind of lookup agrees
// with a walk in key order.
TEST_F(ACF_ASGN_KEYS_TEST, LookupsListingsAndRemovalsGoInKeyOrder) {
    ACF_VARIABLE_TYPE_ENUM const cycle = ACF_VARIABLE_TYPE_MULTICYCLE;
    ACF_VARIABLE_TYPE_ENUM const shorter = ACF_VARIABLE_TYPE_BASE_REVISION;
    ACF_VARIABLE_TYPE_ENUM const longer = ACF_VARIABLE_TYPE_BASE_REVISION_PROJECT_OUTPUT_DIRECTORY;
    std::vector<std::string> targets = {"a", "ab", "b", "B", "a_b", "ba"};
    for (int i = 0; i < 120; ++i) {
        targets.push_back("t" + std::to_string(i * 7919 % 1000));
    }
    char const* const sources[] = {nullptr, "b", "a"};
    char const* const values[] = {"1", "2", "3"};
    std::mt19937 random(23);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };

    for (int step = 0; step < 1500; ++step) {
        size_t const action = pick(20);
        if (action < 12) {
            QUERY set =
                QUERY(cycle).to(targets[pick(targets.size())].c_str()).value(values[pick(3)]);
            if (char const* source = sources[pick(3)]) {
                set.from(source);
            }
            note(set_instance(set), key_of(set));
        } else if (action == 12) {
            QUERY set = QUERY(shorter).to("_PROJECT_OUTPUT_DIRECTORY").value(values[pick(3)]);
            note(set_instance(set), key_of(set));
        } else if (action == 13) {
            QUERY set = QUERY(longer).value(values[pick(3)]);
            note(set_global(set), key_of(set));
        } else if (action < 17) {
            // By target (one key), or by source alone (every key of the variable).
            bool const by_target = pick(2) == 0;
            QUERY which = by_target ? QUERY(cycle).to(targets[pick(targets.size())].c_str())
                                    : QUERY(cycle).from(sources[1 + pick(2)]);
            std::vector<ACF_ASSIGNMENT*> const expected =
                walked(which, by_target ? key_of(which) : "", "MULTICYCLE", false, true);
            ACF_ASSIGNMENT_LIST const removed = remove(which, false);
            ASSERT_EQ(std::vector<ACF_ASSIGNMENT*>(removed.begin(), removed.end()), expected)
                << "step " << step;
        } else if (action == 17) {
            QUERY which = QUERY(shorter);
            std::vector<ACF_ASSIGNMENT*> const expected =
                walked(which, "", acf_get_variable_user_name(shorter), false, true);
            ACF_ASSIGNMENT_LIST const removed = remove(which, false);
            ASSERT_EQ(std::vector<ACF_ASSIGNMENT*>(removed.begin(), removed.end()), expected)
                << "step " << step;
        } else if (action == 18 && pick(4) == 0) {
            // The purged ones are gone afterwards: forget them first.
            m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                        [](HELD const& held) { return held.asgn->is_removed(); }),
                         m_held.end());
            coll().delete_all_removed_assignments();
        } else {
            ACF_ASSIGNMENT_LIST removed;
            coll().get_removed_assignments(&removed);
            std::vector<ACF_ASSIGNMENT*> expected;
            for (HELD const& held : in_key_order()) {
                if (held.asgn->is_removed()) {
                    expected.push_back(held.asgn);
                }
            }
            ASSERT_EQ(std::vector<ACF_ASSIGNMENT*>(removed.begin(), removed.end()), expected)
                << "step " << step;
        }

        // The first match of each kind of lookup.
        std::string const target = targets[pick(targets.size())];
        QUERY by_target = QUERY(cycle).to(target.c_str());
        QUERY by_value = QUERY(cycle).to(target.c_str()).value(values[pick(3)]);
        QUERY by_source = QUERY(cycle).from(sources[1 + pick(2)]);
        QUERY any = QUERY(cycle);
        QUERY any_shorter = QUERY(shorter);
        QUERY spelt = QUERY(shorter).to("_PROJECT_OUTPUT_DIRECTORY");
        QUERY any_longer = QUERY(longer);
        struct LOOKUP {
            QUERY* query;
            std::string key;
            std::string prefix;
            bool global;
        } const lookups[] = {
            {&by_target, key_of(by_target), "", false},
            {&by_value, key_of(by_value), "", false},
            {&by_source, "", "MULTICYCLE", false},
            {&any, "", "MULTICYCLE", false},
            {&any_shorter, "", acf_get_variable_user_name(shorter), false},
            {&spelt, key_of(spelt), "", false},
            {&any_longer, key_of(any_longer), "", true},
        };
        for (LOOKUP const& lookup : lookups) {
            std::vector<ACF_ASSIGNMENT*> const expected =
                walked(*lookup.query, lookup.key, lookup.prefix, lookup.global, false);
            ACF_ASSIGNMENT* found = coll().get_assignment(
                lookup.query->get(), ACF_ASGN_SEARCH_FILTER(), false, lookup.global, false);
            ASSERT_EQ(found, expected.empty() ? nullptr : expected.front())
                << "step " << step << ", lookup " << (&lookup - lookups);
            ASSERT_EQ(coll().does_variable_exist(lookup.query->get(), lookup.global, false),
                      !expected.empty())
                << "step " << step << ", lookup " << (&lookup - lookups);
        }
    }
}

} // namespace

// Assignments made before and after the order numbers run out keep their file
// order and their key order: in listings, in lookups among equal keys and in
// selector runs, and when moved to the end.
TEST_F(ACF_ASGN_STORAGE_ORDER_NUMBERS_TEST, OrdersSurviveNumberingAfresh) {
    auto design_file = [](char const* name) {
        return QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value(name);
    };
    auto parameter = [](char const* value) {
        return QUERY(ACF_VARIABLE_TYPE_NONE).name("WIDTH").value(value);
    };
    auto files = [&] {
        QUERY every = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE);
        ACF_ASSIGNMENT_LIST found;
        coll().get_assignment_coll(every.get(), ACF_ASGN_SEARCH_FILTER(), false, true, false,
                                   &found);
        return found;
    };
    std::vector<QUERY> queries = {design_file("a.vhd"), parameter("1"),       design_file("b.vhd"),
                                  parameter("2"),       design_file("c.vhd"), parameter("3"),
                                  design_file("d.vhd")};
    std::vector<ACF_ASSIGNMENT*> made;
    for (size_t i = 0; i < queries.size(); ++i) {
        if (i == 2) {
            // Made with small numbers, the last two numbers, then numbered afresh.
            run_order_numbers_nearly_out();
        }
        made.push_back(i % 2 == 0 ? set_global(queries[i]) : set_freeform(queries[i]));
    }
    ACF_ASSIGNMENT *a = made[0], *w1 = made[1], *b = made[2], *w2 = made[3], *c = made[4],
                   *w3 = made[5], *d = made[6];
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{a, w1, b, w2, c, w3, d}));
    EXPECT_EQ(files(), (ACF_ASSIGNMENT_LIST{a, b, c, d}));

    // The first of a key, and the first of a selector run, in key order.
    QUERY by_name = QUERY(ACF_VARIABLE_TYPE_NONE).name("width");
    auto first_parameter = [&] {
        return coll().get_assignment(by_name.get(), ACF_ASGN_SEARCH_FILTER(), false, false, true);
    };
    EXPECT_EQ(coll().get_assignment(ACF_VARIABLE_TYPE_VHDL_FILE), a);
    EXPECT_EQ(first_parameter(), w1);
    coll().remove_assignment_or_set_to_default(a);
    coll().remove_assignment_or_set_to_default(w1);
    EXPECT_EQ(coll().get_assignment(ACF_VARIABLE_TYPE_VHDL_FILE), b);
    EXPECT_EQ(first_parameter(), w2);
    ACF_ASSIGNMENT_LIST removed;
    coll().get_removed_assignments(&removed);
    EXPECT_EQ(removed, (ACF_ASSIGNMENT_LIST{w1, a}));

    // Moves after the numbering afresh go last; revived ones keep their place.
    coll().move_assignment_to_end_of_coll(b);
    run_order_numbers_nearly_out();
    coll().move_assignment_to_end_of_coll(w2);
    coll().move_assignment_to_end_of_coll(c);
    EXPECT_EQ(set_global(queries[0]), a);
    EXPECT_EQ(all_in_file_order(), (ACF_ASSIGNMENT_LIST{a, w1, w3, d, b, w2, c}));
    EXPECT_EQ(files(), (ACF_ASSIGNMENT_LIST{a, d, b, c}));
    EXPECT_EQ(coll().get_assignment(ACF_VARIABLE_TYPE_VHDL_FILE), a);
}
