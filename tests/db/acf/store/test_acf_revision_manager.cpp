#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager_test_support.h"
#include "acf_storage_test_project.h"
#include "acf_test_messages.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"
#include "suite/general/ntf.h"
#include "suite/general/ntfq.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Sets the process kind and the commit switches for one test, and puts them
// back afterwards.
class PROCESS_SETTINGS {
public:
    PROCESS_SETTINGS(bool ui, bool qt) {
        gen_set_is_ui_process(ui);
        gen_set_is_qt(qt);
    }
    ~PROCESS_SETTINGS() {
        gen_set_is_ui_process(false);
        gen_set_is_qt(false);
        unsetenv("acf_commit_in_write_unlock");
        unsetenv("user_setting_42");
    }
    void commit_switch(bool on) { setenv("acf_commit_in_write_unlock", on ? "on" : "off", 1); }
    void user_setting_42(bool on) { setenv("user_setting_42", on ? "on" : "off", 1); }
};

// ---------------------------------------------------------------------------
// Over the null store (no project open)
// ---------------------------------------------------------------------------

TEST(AcfRevisionManagerOverNullStore, EveryOperationAnswersNothing) {
    ACF_REVISION_MANAGER facade;
    ASSERT_TRUE(facade.get_storage()->is_null());
    ACF_MGR_INPUT_PARAMETERS record;

    struct Case {
        char const* operation;
        std::function<std::string()> run;
        std::string expected;
    } const cases[] = {
        {"read_lock", [&] { return std::to_string(facade.read_lock()); }, "0"},
        {"read_lock_and_post_no_messages",
         [&] { return std::to_string(facade.read_lock_and_post_no_messages()); }, "0"},
        {"write_lock", [&] { return std::to_string(facade.write_lock(true)); }, "0"},
        {"is_read_locked", [&] { return std::to_string(facade.is_read_locked()); }, "0"},
        {"is_write_locked", [&] { return std::to_string(facade.is_write_locked()); }, "0"},
        {"synchronize", [&] { return std::to_string(facade.synchronize()); }, "0"},
        {"get_active_revision_name", [&] { return text(facade.get_active_revision_name()); },
         "null"},
        {"get_active_revision_path", [&] { return text(facade.get_active_revision_path()); },
         "null"},
        {"get_top_level_entity_name", [&] { return text(facade.get_top_level_entity_name()); }, ""},
        {"get_last_error_status", [&] { return std::to_string(facade.get_last_error_status()); },
         "0"},
        {"get_assignment_ptr",
         [&] { return std::to_string(facade.get_assignment_ptr(&record) == nullptr); }, "1"},
        {"remove_assignment", [&] { return std::to_string(facade.remove_assignment(&record)); },
         "0"},
        {"remove_all_assignments_of_type",
         [&] { return std::to_string(facade.remove_all_assignments_of_type(FAMILY)); }, "0"},
        {"remove_instance_assignments",
         [&] { return std::to_string(facade.remove_instance_assignments("a", "b")); }, "0"},
        {"get_assignment_coll",
         [&] {
             ACF_REVISION_MANAGER::ASSIGNMENT_LIST coll;
             facade.get_assignment_coll(nullptr, &coll, true);
             return std::to_string(coll.size());
         },
         "0"},
        {"defaults iterators",
         [&] {
             return std::to_string(facade.get_assignment_defaults_begin_iter() ==
                                   facade.get_assignment_defaults_end_iter());
         },
         "1"},
    };
    for (Case const& c : cases) {
        record.reset();
        record.set_variable_type(FAMILY);
        EXPECT_EQ(c.run(), c.expected) << c.operation;
    }
}

TEST(AcfRevisionManagerOverNullStore, WriteUnlockWithoutTheLockDoesNothing) {
    PROCESS_SETTINGS process(true, false);
    process.commit_switch(true);
    ACF_REVISION_MANAGER facade;
    facade.write_unlock(true);
    EXPECT_FALSE(facade.get_in_broadcast_mode());
    EXPECT_TRUE(facade.get_storage()->is_null());
}

TEST(AcfRevisionManagerOverNullStore, NoStoreGivenIsAnInternalErrorAndLeavesANullStore) {
    INTERNAL_ERRORS errors;
    ACF_REVISION_MANAGER facade(nullptr);
    EXPECT_EQ(errors.conditions, std::vector<std::string>{"m_storage != NULL"});
    ASSERT_NE(facade.get_storage(), nullptr);
    EXPECT_TRUE(facade.get_storage()->is_null());
    EXPECT_FALSE(facade.read_lock());
}

TEST(AcfRevisionManagerOverNullStore, ReplacingNullWithNullKeepsTheSameStore) {
    ACF_REVISION_MANAGER facade;
    ACF_MANAGER_STORAGE* null_store = facade.get_storage();
    facade.set_current_storage_to(nullptr);
    EXPECT_EQ(facade.get_storage(), null_store);
}

TEST(AcfManager, ProcessWideManagerStandsOnTheNullStoreUntilAProjectOpens) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(ACF_MANAGER::get_acf_manager(), manager);
    EXPECT_TRUE(manager->get_storage()->is_null());
    EXPECT_FALSE(manager->is_project_open());
    EXPECT_EQ(manager->get_project_family_enum(), DEV_FAMILY_GENERIC);
    EXPECT_FALSE(manager->read_lock());
}

TEST(AcfManager, InitializerDestroysTheProcessWideManager) {
    ACF_MANAGER::get_acf_manager()->set_bool_data(ACF_REVISION_MANAGER::REOPEN_OPEN_PROJECT, true);
    { ACF_MANAGER_INITIALIZER unload; }
    // The next request makes a fresh manager.
    EXPECT_FALSE(
        ACF_MANAGER::get_acf_manager()->get_bool_data(ACF_REVISION_MANAGER::REOPEN_OPEN_PROJECT));
}

// ---------------------------------------------------------------------------
// Over a store with data
// ---------------------------------------------------------------------------

TEST_F(AcfRevisionManager, LockRules) {
    struct STEP {
        char const* operation;
        bool expected;
    };
    struct Case {
        char const* name;
        std::vector<STEP> steps;
    } const cases[] = {
        {"read locks nest",
         {{"read", true},
          {"read", true},
          {"read_unlock", true},
          {"is_read_locked", true},
          {"read_unlock", true},
          {"is_read_locked", false}}},
        {"no read lock under the write lock",
         {{"write", true},
          {"read", false},
          {"is_read_locked", true},
          {"write_unlock", true},
          {"read", true}}},
        {"no write lock under a read lock",
         {{"read", true}, {"write", false}, {"read_unlock", true}, {"write", true}}},
        {"the write lock does not nest",
         {{"write", true},
          {"write", false},
          {"is_write_locked", true},
          {"write_unlock", true},
          {"is_write_locked", false}}},
    };
    for (Case const& c : cases) {
        ACF_TEST_STORAGE fresh;
        ACF_REVISION_MANAGER manager(&fresh);
        for (STEP const& step : c.steps) {
            std::string op = step.operation;
            bool result = true;
            if (op == "read") {
                result = manager.read_lock();
            } else if (op == "write") {
                result = manager.write_lock(true);
            } else if (op == "read_unlock") {
                manager.read_unlock();
            } else if (op == "write_unlock") {
                manager.write_unlock(false);
            } else if (op == "is_read_locked") {
                result = manager.is_read_locked();
            } else if (op == "is_write_locked") {
                result = manager.is_write_locked();
            }
            EXPECT_EQ(result, step.expected) << c.name << ": " << op;
        }
    }
}

TEST_F(AcfRevisionManager, LocksPassTheMessageChoice) {
    ASSERT_TRUE(facade.read_lock_and_post_no_messages());
    EXPECT_FALSE(store.post_messages);
    facade.read_unlock();
    ASSERT_TRUE(facade.read_lock());
    EXPECT_TRUE(store.post_messages);
    facade.read_unlock();
    // A refused write request still records its choice.
    ASSERT_TRUE(facade.read_lock());
    EXPECT_FALSE(facade.write_lock(false));
    EXPECT_FALSE(store.post_messages);
}

TEST_F(AcfRevisionManager, WriteUnlockWithoutNotifyKeepsTheChangedList) {
    ASSERT_TRUE(facade.write_lock(true));
    store.changed_list = {FIRST};
    facade.write_unlock(false);
    EXPECT_EQ(store.changed_list, ACF_REVISION_MANAGER::ASSIGNMENT_LIST{FIRST});
}

// Listens to the notification manager for the settings library's number.
class CHANGE_LISTENER {
public:
    explicit CHANGE_LISTENER(ACF_REVISION_MANAGER* facade) {
        ntf_set_notify_mgr(&m_manager);
        m_manager.add_listener(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED,
                               [this, facade](unsigned, unsigned, long, bool flag) {
                                   heard.push_back(facade->get_in_broadcast_mode() && flag);
                               });
    }
    ~CHANGE_LISTENER() { ntf_set_notify_mgr(nullptr); }
    std::vector<bool> heard; // one entry per broadcast: in broadcast mode, flag true

private:
    NTF_NOTIFY_MGR m_manager;
};

TEST_F(AcfRevisionManager, BroadcastOnlyInAUserInterfaceProcessWhenAssignmentsChanged) {
    struct Case {
        bool ui;
        bool qt;
        bool modified;
        size_t manager_broadcasts;
        size_t queue_broadcasts;
    } const cases[] = {
        {false, false, true, 0, 0}, {true, false, false, 0, 0}, {true, false, true, 1, 0},
        {true, true, true, 0, 1},   {false, true, true, 0, 0},
    };
    for (Case const& c : cases) {
        PROCESS_SETTINGS process(c.ui, c.qt);
        process.user_setting_42(true);
        ntfq_take_pending();
        ACF_TEST_STORAGE fresh;
        ACF_REVISION_MANAGER manager(&fresh);
        CHANGE_LISTENER listener(&manager);
        ASSERT_TRUE(manager.write_lock(true));
        fresh.modified = c.modified;
        manager.write_unlock(true);
        EXPECT_EQ(listener.heard, std::vector<bool>(c.manager_broadcasts, true))
            << "ui " << c.ui << " qt " << c.qt << " modified " << c.modified;
        std::vector<NTFQ_NOTIFICATION> queued = ntfq_take_pending();
        ASSERT_EQ(queued.size(), c.queue_broadcasts);
        if (!queued.empty()) {
            EXPECT_EQ(queued[0].message, NTFQ_MSG_ACF_ASSIGNMENTS_CHANGED);
            EXPECT_EQ(queued[0].data, 0);
        }
        EXPECT_FALSE(manager.get_in_broadcast_mode());
        EXPECT_TRUE(fresh.changed_list.empty());
    }
}

TEST_F(AcfRevisionManager, LookupsResolveNamesAndChooseTheKind) {
    struct Case {
        char const* name;
        ACF_VARIABLE_TYPE_ENUM type;
        char const* variable_string;
        char const* to;
        std::function<ACF_ASSIGNMENT*(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*)> lookup;
        bool asks_the_store;
        ACF_VARIABLE_TYPE_ENUM type_after;
    } const cases[] = {
        {"global by name", ACF_VARIABLE_TYPE_NONE, "family", nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, true, FAMILY},
        {"global by type", FAMILY, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, true, FAMILY},
        {"global, unknown name", ACF_VARIABLE_TYPE_NONE, "NO_SUCH_VARIABLE", nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, false, ACF_VARIABLE_TYPE_NONE},
        {"global, no type", ACF_VARIABLE_TYPE_NONE, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, false, ACF_VARIABLE_TYPE_NONE},
        {"instance by name", ACF_VARIABLE_TYPE_NONE, "FAMILY", "top|a",
         &ACF_REVISION_MANAGER::get_instance_assignment_ptr, true, FAMILY},
        {"freeform", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", nullptr,
         &ACF_REVISION_MANAGER::get_freeform_assignment_ptr, true, ACF_VARIABLE_TYPE_NONE},
        {"freeform without a name", ACF_VARIABLE_TYPE_NONE, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_freeform_assignment_ptr, false, ACF_VARIABLE_TYPE_NONE},
        {"dispatch: no target", FAMILY, nullptr, "", &ACF_REVISION_MANAGER::get_assignment_ptr,
         true, FAMILY},
        {"dispatch: target", FAMILY, nullptr, "top|a", &ACF_REVISION_MANAGER::get_assignment_ptr,
         true, FAMILY},
        {"dispatch: name of a variable", ACF_VARIABLE_TYPE_NONE, "FAMILY", nullptr,
         &ACF_REVISION_MANAGER::get_assignment_ptr, true, FAMILY},
        {"dispatch: freeform name", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", "top|a",
         &ACF_REVISION_MANAGER::get_assignment_ptr, true, ACF_VARIABLE_TYPE_NONE},
    };
    store.assignment_answer = FIRST;
    for (Case const& c : cases) {
        store.calls.clear();
        record.reset();
        record.set_variable_type(c.type);
        record.set_variable_string(c.variable_string);
        record.set_to(c.to);
        ACF_ASSIGNMENT* found = c.lookup(facade, &record);
        EXPECT_EQ(store.calls.size(), c.asks_the_store ? 1u : 0u) << c.name;
        EXPECT_EQ(found, c.asks_the_store ? FIRST : nullptr) << c.name;
        EXPECT_EQ(record.get_variable_type(), c.type_after) << c.name;
    }
}

TEST_F(AcfRevisionManager, RemovalsForwardAndBulkRemovalsCountIntoTheChangedList) {
    ASSERT_TRUE(facade.write_lock(true));
    store.removed_answer = {FIRST, SECOND};
    struct Case {
        char const* name;
        std::function<int()> run;
        int expected;
    } const cases[] = {
        {"global of type", [&] { return facade.remove_all_global_assignments_of_type(FAMILY); }, 2},
        {"instance of type", [&] { return facade.remove_all_instance_assignments_of_type(FAMILY); },
         2},
        {"all of type", [&] { return facade.remove_all_assignments_of_type(FAMILY); }, 2},
        {"type 0", [&] { return facade.remove_all_assignments_of_type(ACF_VARIABLE_TYPE_NONE); },
         0},
        {"instances", [&] { return facade.remove_instance_assignments("a", nullptr); }, 2},
        {"ase category",
         [&] { return facade.remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM(5)); }, 2},
        {"ase category 0",
         [&] { return facade.remove_all_assignments_of_ase_category(ASE_CATEGORY_NONE); }, 0},
    };
    for (Case const& c : cases) {
        store.calls.clear();
        store.changed_list.clear();
        EXPECT_EQ(c.run(), c.expected) << c.name;
        EXPECT_EQ(store.changed_list.size(), size_t(c.expected)) << c.name;
    }
    store.remove_answer = true;
    EXPECT_TRUE(facade.remove_freeform_assignment(&record));
    EXPECT_TRUE(facade.remove_instance_assignment(&record));
}

// The lists of get_global_assignment_colls for one section identifier.
std::vector<ACF_REVISION_MANAGER::ASSIGNMENT_LIST> global_colls(ACF_REVISION_MANAGER& manager,
                                                                ACF_MGR_INPUT_PARAMETERS* record) {
    std::vector<ACF_REVISION_MANAGER::ASSIGNMENT_LIST> colls;
    manager.get_global_assignment_colls(record, {"group"}, &colls);
    return colls;
}

TEST_F(AcfRevisionManager, CollectionsAppendInOrder) {
    store.coll_answer = {FIRST};
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST coll{SECOND};
    facade.get_assignment_coll(nullptr, &coll, true);
    EXPECT_EQ(coll, (ACF_REVISION_MANAGER::ASSIGNMENT_LIST{SECOND, FIRST, FIRST, FIRST}));

    struct Case {
        char const* variable_string;
        char const* to;
        std::function<void(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*,
                           ACF_REVISION_MANAGER::ASSIGNMENT_LIST*)>
            query;
        bool asks_the_store;
    } const cases[] = {
        {"FAMILY", nullptr,
         [](auto& m, auto* p, auto* l) { m.get_global_assignment_coll(p, l, false); }, true},
        {"NO_SUCH_VARIABLE", nullptr,
         [](auto& m, auto* p, auto* l) { m.get_global_assignment_coll(p, l, true); }, false},
        {"FAMILY", nullptr, [](auto& m, auto* p, auto* l) { *l = global_colls(m, p).front(); },
         true},
        {"NO_SUCH_VARIABLE", nullptr,
         [](auto& m, auto* p, auto* l) { *l = global_colls(m, p).front(); }, false},
        {nullptr, nullptr, [](auto& m, auto* p, auto* l) { m.get_instance_assignment_coll(p, l); },
         true},
        {"FAMILY", "top|a", [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         true},
        {"MY_NOTE", nullptr, [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         true},
    };
    for (Case const& c : cases) {
        store.calls.clear();
        record.reset();
        record.set_variable_string(c.variable_string);
        record.set_to(c.to);
        record.set_entity_name("core");
        ACF_REVISION_MANAGER::ASSIGNMENT_LIST found;
        c.query(facade, &record, &found);
        EXPECT_EQ(found.size(), c.asks_the_store ? 1u : 0u) << text(c.variable_string);
        if (c.asks_the_store) {
            EXPECT_STREQ(store.last_query->get_entity_name(), "core");
        }
    }
}

TEST_F(AcfRevisionManager, NullRecordsAndListsAreInternalErrors) {
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST coll;
    struct Case {
        char const* name;
        std::function<void()> run;
        char const* condition;
    } const cases[] = {
        {"get_global_assignment_ptr", [&] { facade.get_global_assignment_ptr(nullptr); },
         "input_parameters != NULL"},
        {"get_global_assignment_coll",
         [&] { facade.get_global_assignment_coll(&record, nullptr, true); }, "coll != NULL"},
        {"get_instance_assignment_coll",
         [&] { facade.get_instance_assignment_coll(nullptr, nullptr); }, "coll != NULL"},
        {"get_freeform_assignment_coll", [&] { facade.get_freeform_assignment_coll(nullptr, "e"); },
         "coll != NULL"},
        {"get_assignment_coll", [&] { facade.get_assignment_coll(nullptr, nullptr, true); },
         "coll != NULL"},
        {"set_bool_data", [&] { facade.set_bool_data(ACF_REVISION_MANAGER::MAX_BOOL_DATA, true); },
         "e < ACF_REVISION_MANAGER::MAX_BOOL_DATA"},
    };
    for (Case const& c : cases) {
        INTERNAL_ERRORS errors;
        store.calls.clear();
        c.run();
        EXPECT_EQ(errors.conditions, std::vector<std::string>{c.condition}) << c.name;
        EXPECT_TRUE(store.calls.empty()) << c.name;
    }
    EXPECT_TRUE(coll.empty());
}

TEST_F(AcfRevisionManager, ReplacingAStoreKeepsARealOneAndInstallsTheNewOne) {
    ACF_TEST_STORAGE other;
    facade.set_current_storage_to(&other);
    EXPECT_EQ(facade.get_storage(), &other);
    EXPECT_EQ(other.revision_manager, &facade);
    facade.set_current_storage_to(nullptr);
    ASSERT_TRUE(facade.get_storage()->is_null());
    facade.set_current_storage_to(&store);
    EXPECT_EQ(facade.get_storage(), &store);
}

TEST_F(AcfRevisionManager, SwitchesStartOffAndKeepTheirValues) {
    for (int e = 0; e < ACF_REVISION_MANAGER::MAX_BOOL_DATA; ++e) {
        auto data = ACF_REVISION_MANAGER::BOOL_DATA(e);
        EXPECT_FALSE(facade.get_bool_data(data));
        facade.set_bool_data(data, true);
        EXPECT_TRUE(facade.get_bool_data(data));
    }
    EXPECT_FALSE(facade.get_bypass_project_open_failure_status());
    facade.set_bypass_project_open_failure_status(true);
    EXPECT_TRUE(facade.get_bypass_project_open_failure_status());
}

// ---------------------------------------------------------------------------
// Over a project on disk: which assignments the kinds reach
// ---------------------------------------------------------------------------

// One variable set globally and on a target, another on a second target, and
// a parameter (a freeform assignment) on the first; the store adds the
// top-level entity ("top") as a global assignment.
char const* const OF_EVERY_KIND = "set_global_assignment -name TPD_REQUIREMENT \"5 ns\"\n"
                                  "set_instance_assignment -name TPD_REQUIREMENT \"6 ns\" -to a\n"
                                  "set_instance_assignment -name MULTICYCLE 2 -to b\n"
                                  "set_parameter -name NOTE 1 -to a\n";

// The record of a lookup or set in the top-level entity.
ACF_MGR_INPUT_PARAMETERS query_of(char const* variable, char const* to,
                                  char const* value = nullptr) {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_string(variable);
    query.set_to(to);
    query.set_entity_name("top");
    query.set_value_string(value);
    return query;
}

// "<kind>:<value>" of an assignment (g global, i instance, f freeform), or
// "none".
std::string kind_and_value(ACF_ASSIGNMENT const* asgn) {
    if (asgn == nullptr) {
        return "none";
    }
    char const* kind = asgn->is_freeform() ? "f:" : asgn->is_global() ? "g:" : "i:";
    return kind + text(asgn->get_value(false));
}

std::vector<std::string> kinds_and_values(ACF_REVISION_MANAGER::ASSIGNMENT_LIST const& list) {
    std::vector<std::string> texts;
    for (ACF_ASSIGNMENT* asgn : list) {
        texts.push_back(kind_and_value(asgn));
    }
    return texts;
}

using LOOKUP = ACF_ASSIGNMENT* (ACF_REVISION_MANAGER::*)(ACF_MGR_INPUT_PARAMETERS*);

TEST(AcfRevisionManagerOverAProject, LookupsFindTheAssignmentOfTheKindTheRecordNames) {
    struct Case {
        char const* name;
        LOOKUP lookup;
        char const* variable;
        char const* to;
        char const* found;
    } const cases[] = {
        {"global", &ACF_REVISION_MANAGER::get_global_assignment_ptr, "TPD_REQUIREMENT", nullptr,
         "g:5 ns"},
        {"instance", &ACF_REVISION_MANAGER::get_instance_assignment_ptr, "TPD_REQUIREMENT", "a",
         "i:6 ns"},
        {"instance on a target without one", &ACF_REVISION_MANAGER::get_instance_assignment_ptr,
         "TPD_REQUIREMENT", "b", "none"},
        {"freeform", &ACF_REVISION_MANAGER::get_freeform_assignment_ptr, "NOTE", "a", "f:1"},
        {"by the record, no target", &ACF_REVISION_MANAGER::get_assignment_ptr, "TPD_REQUIREMENT",
         "", "g:5 ns"},
        {"by the record, a target", &ACF_REVISION_MANAGER::get_assignment_ptr, "TPD_REQUIREMENT",
         "a", "i:6 ns"},
        {"by the record, a name of no variable", &ACF_REVISION_MANAGER::get_assignment_ptr, "NOTE",
         "a", "f:1"},
    };
    ACF_STORAGE_TEST_PROJECT project(OF_EVERY_KIND);
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    for (Case const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS query = query_of(c.variable, c.to);
        EXPECT_EQ(kind_and_value((manager.*c.lookup)(&query)), c.found) << c.name;
    }
    manager.read_unlock();
}

TEST(AcfRevisionManagerOverAProject, CollectionsHoldTheAssignmentsOfTheirKindGlobalsFirst) {
    ACF_STORAGE_TEST_PROJECT project(OF_EVERY_KIND);
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST every;
    manager.get_assignment_coll(nullptr, &every, true);
    EXPECT_EQ(kinds_and_values(every),
              (std::vector<std::string>{"g:top", "g:5 ns", "i:6 ns", "i:2", "f:1"}));

    using QUERY = std::function<void(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*,
                                     ACF_REVISION_MANAGER::ASSIGNMENT_LIST*)>;
    struct Case {
        char const* name;
        char const* variable;
        char const* to;
        QUERY query;
        std::vector<std::string> found;
    } const cases[] = {
        {"global",
         "TPD_REQUIREMENT",
         nullptr,
         [](auto& m, auto* p, auto* l) { m.get_global_assignment_coll(p, l, false); },
         {"g:5 ns"}},
        {"instance",
         "TPD_REQUIREMENT",
         nullptr,
         [](auto& m, auto* p, auto* l) { m.get_instance_assignment_coll(p, l); },
         {"i:6 ns"}},
        {"every instance",
         nullptr,
         nullptr,
         [](auto& m, auto*, auto* l) { m.get_instance_assignment_coll(nullptr, l); },
         {"i:6 ns", "i:2"}},
        {"by the record, a target",
         "TPD_REQUIREMENT",
         "a",
         [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         {"i:6 ns"}},
        {"by the record, no target",
         "TPD_REQUIREMENT",
         nullptr,
         [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         {"g:5 ns"}},
        {"by the record, a name of no variable",
         "NOTE",
         nullptr,
         [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         {"f:1"}},
    };
    for (Case const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS query = query_of(c.variable, c.to);
        ACF_REVISION_MANAGER::ASSIGNMENT_LIST found;
        c.query(manager, &query, &found);
        EXPECT_EQ(kinds_and_values(found), c.found) << c.name;
    }
    manager.read_unlock();
}

TEST(AcfRevisionManagerOverAProject, RemovalsByTypeTakeTheKindsTheyNameAndCountThemChanged) {
    using REMOVAL = int (ACF_REVISION_MANAGER::*)(ACF_VARIABLE_TYPE_ENUM);
    struct Case {
        char const* name;
        REMOVAL removal;
        int removed;
        char const* global_left;
        char const* instance_left;
    } const cases[] = {
        {"global", &ACF_REVISION_MANAGER::remove_all_global_assignments_of_type, 1, "none",
         "i:6 ns"},
        {"instance", &ACF_REVISION_MANAGER::remove_all_instance_assignments_of_type, 1, "g:5 ns",
         "none"},
        {"both", &ACF_REVISION_MANAGER::remove_all_assignments_of_type, 2, "none", "none"},
    };
    for (Case const& c : cases) {
        ACF_STORAGE_TEST_PROJECT project(OF_EVERY_KIND);
        ACF_REVISION_MANAGER& manager = project.manager();
        ASSERT_TRUE(manager.write_lock(true));
        EXPECT_EQ((manager.*c.removal)(ACF_VARIABLE_TYPE_TPD_REQUIREMENT), c.removed) << c.name;
        ACF_MANAGER_STORAGE& storage = project.storage();
        EXPECT_EQ(
            std::distance(storage.get_change_list_begin_iter(), storage.get_change_list_end_iter()),
            c.removed)
            << c.name;
        ACF_MGR_INPUT_PARAMETERS global = query_of("TPD_REQUIREMENT", nullptr);
        ACF_MGR_INPUT_PARAMETERS instance = query_of("TPD_REQUIREMENT", "a");
        EXPECT_EQ(kind_and_value(manager.get_global_assignment_ptr(&global)), c.global_left)
            << c.name;
        EXPECT_EQ(kind_and_value(manager.get_instance_assignment_ptr(&instance)), c.instance_left)
            << c.name;
        manager.write_unlock(false);
    }
}

// A settings file changed by another program is read at the next lock; one
// with errors is set aside, the revision keeps what it held, and the user is
// told so. The errors of its lines are posted when a write lock asks for
// messages; a read lock re-reads under a write lock of its own that posts none.
TEST(AcfRevisionManagerOverAProject,
     EachLockReadsWhatAnotherProgramWroteAndPostsProblemsWhenAsked) {
    struct Case {
        char const* name;
        bool write_lock;
        bool post;
        bool with_error;
        char const* value_after;
        bool line_error_posted;
    } const cases[] = {
        {"read lock posting no messages", false, false, false, "11 ns", false},
        {"read lock", false, true, false, "12 ns", false},
        {"write lock", true, true, false, "13 ns", false},
        {"read lock posting no messages, a file with an error", false, false, true, "13 ns", false},
        {"read lock, a file with an error", false, true, true, "13 ns", false},
        {"write lock posting no messages, a file with an error", true, false, true, "13 ns", false},
        {"write lock, a file with an error", true, true, true, "13 ns", true},
    };
    ACF_STORAGE_TEST_PROJECT project(OF_EVERY_KIND);
    ACF_REVISION_MANAGER& manager = project.manager();
    EXPECT_EQ(project.read_global("TPD_REQUIREMENT"), "5 ns");
    int value = 10;
    for (Case const& c : cases) {
        std::string const text =
            "set_global_assignment -name TPD_REQUIREMENT \"" + std::to_string(++value) + " ns\"\n" +
            (c.with_error ? "set_global_assignment -name NO_SUCH_VARIABLE 1\n" : "");
        acf_test_write(project.tsf(), text);
        msg_log_clear();
        bool const locked = c.write_lock ? manager.write_lock(c.post)
                            : c.post     ? manager.read_lock()
                                         : manager.read_lock_and_post_no_messages();
        ASSERT_TRUE(locked) << c.name;
        EXPECT_STREQ(project.global_value("TPD_REQUIREMENT"), c.value_after) << c.name;
        EXPECT_EQ(acf_test_posted(125048), c.line_error_posted) << c.name; // a line's error
        EXPECT_EQ(acf_test_posted(125085), c.with_error) << c.name;        // the file set aside
        if (c.write_lock) {
            manager.write_unlock(false);
        } else {
            manager.read_unlock();
        }
    }
}

TEST(AcfRevisionManagerOverAProject, WriteUnlockCommitsInAUserInterfaceProcessOrWhenSwitchedOn) {
    struct Case {
        bool ui;
        bool notify;
        char const* commit_switch; // null: unset
        char const* user_setting_42;
        bool committed;
    } const cases[] = {
        {false, true, nullptr, nullptr, false}, {false, true, "on", nullptr, true},
        {false, false, nullptr, "off", false},  {true, false, nullptr, nullptr, true},
        {true, false, nullptr, "on", false},    {true, false, "on", "on", true},
        {true, false, "off", "off", true},
    };
    for (Case const& c : cases) {
        PROCESS_SETTINGS process(c.ui, false);
        if (c.commit_switch != nullptr) {
            setenv("acf_commit_in_write_unlock", c.commit_switch, 1);
        }
        if (c.user_setting_42 != nullptr) {
            setenv("user_setting_42", c.user_setting_42, 1);
        }
        std::string const name = std::string("ui ") + (c.ui ? "1" : "0") + " notify " +
                                 (c.notify ? "1" : "0") + " switch " + text(c.commit_switch) +
                                 " setting 42 " + text(c.user_setting_42);
        ACF_STORAGE_TEST_PROJECT project(OF_EVERY_KIND);
        ACF_REVISION_MANAGER& manager = project.manager();
        ASSERT_TRUE(manager.write_lock(true));
        ACF_MGR_INPUT_PARAMETERS record;
        record.set_variable_string("TPD_REQUIREMENT");
        record.set_value_string("9 ns");
        ASSERT_NE(manager.set_global_assignment(&record), nullptr) << name;
        manager.write_unlock(c.notify);
        EXPECT_FALSE(manager.is_write_locked()) << name;
        bool const committed =
            acf_test_read(project.tsf()).find("TPD_REQUIREMENT \"9 ns\"") != std::string::npos;
        EXPECT_EQ(committed, c.committed) << name;
        ACF_MANAGER_STORAGE& storage = project.storage();
        EXPECT_EQ(storage.get_change_list_begin_iter() == storage.get_change_list_end_iter(),
                  c.notify)
            << name;
    }
}

} // namespace
