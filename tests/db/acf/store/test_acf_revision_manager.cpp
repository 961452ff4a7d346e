#include "acf_revision_manager.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager_test_support.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"
#include "suite/general/ntf.h"
#include "suite/general/ntfq.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
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

TEST_F(AcfRevisionManager, LocksPassTheMessageChoiceAndRunSynchronize) {
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
    EXPECT_EQ(store.calls, (std::vector<std::string>{
                               "read_lock(0)", "reset_filters()", "synchronize()", "read_unlock()",
                               "reset_filters()", "read_lock(1)", "reset_filters()",
                               "synchronize()", "read_unlock()", "reset_filters()", "read_lock(1)",
                               "reset_filters()", "synchronize()", "write_lock(0)"}));
}

TEST_F(AcfRevisionManager, WriteUnlockResetsBroadcastsClearsCommitsAndUnlocksInOrder) {
    struct Case {
        bool ui;
        bool notify;
        char const* commit_switch; // null: unset
        char const* user_setting_42;
        std::vector<std::string> after_lock;
    } const cases[] = {
        {false,
         true,
         nullptr,
         nullptr,
         {"reset_filters()", "clear_changed_list()", "write_unlock()", "reset_filters()"}},
        {false,
         true,
         "on",
         nullptr,
         {"reset_filters()", "clear_changed_list()", "write_files_to_disk(1,1)", "write_unlock()",
          "reset_filters()"}},
        {false, false, nullptr, "off", {"reset_filters()", "write_unlock()", "reset_filters()"}},
        {true,
         false,
         nullptr,
         nullptr,
         {"reset_filters()", "write_files_to_disk(1,1)", "write_unlock()", "reset_filters()"}},
        {true, false, nullptr, "on", {"reset_filters()", "write_unlock()", "reset_filters()"}},
        {true,
         false,
         "on",
         "on",
         {"reset_filters()", "write_files_to_disk(1,1)", "write_unlock()", "reset_filters()"}},
        {true,
         false,
         "off",
         "off",
         {"reset_filters()", "write_files_to_disk(1,1)", "write_unlock()", "reset_filters()"}},
    };
    for (Case const& c : cases) {
        PROCESS_SETTINGS process(c.ui, false);
        if (c.commit_switch != nullptr) {
            setenv("acf_commit_in_write_unlock", c.commit_switch, 1);
        }
        if (c.user_setting_42 != nullptr) {
            setenv("user_setting_42", c.user_setting_42, 1);
        }
        ACF_TEST_STORAGE fresh;
        ACF_REVISION_MANAGER manager(&fresh);
        ASSERT_TRUE(manager.write_lock(true));
        fresh.calls.clear();
        manager.write_unlock(c.notify);
        EXPECT_EQ(fresh.calls, c.after_lock)
            << "ui " << c.ui << " notify " << c.notify << " switch " << text(c.commit_switch)
            << " setting 42 " << text(c.user_setting_42);
        EXPECT_FALSE(manager.is_write_locked());
    }
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
        char const* storage_call; // null: the store is not asked
        ACF_VARIABLE_TYPE_ENUM type_after;
    } const cases[] = {
        {"global by name", ACF_VARIABLE_TYPE_NONE, "family", nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, "get_assignment(1,0,1)", FAMILY},
        {"global by type", FAMILY, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, "get_assignment(1,0,1)", FAMILY},
        {"global, unknown name", ACF_VARIABLE_TYPE_NONE, "NO_SUCH_VARIABLE", nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, nullptr, ACF_VARIABLE_TYPE_NONE},
        {"global, no type", ACF_VARIABLE_TYPE_NONE, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_global_assignment_ptr, nullptr, ACF_VARIABLE_TYPE_NONE},
        {"instance by name", ACF_VARIABLE_TYPE_NONE, "FAMILY", "top|a",
         &ACF_REVISION_MANAGER::get_instance_assignment_ptr, "get_assignment(0,0,1)", FAMILY},
        {"freeform", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", nullptr,
         &ACF_REVISION_MANAGER::get_freeform_assignment_ptr, "get_assignment(0,1,1)",
         ACF_VARIABLE_TYPE_NONE},
        {"freeform without a name", ACF_VARIABLE_TYPE_NONE, nullptr, nullptr,
         &ACF_REVISION_MANAGER::get_freeform_assignment_ptr, nullptr, ACF_VARIABLE_TYPE_NONE},
        {"dispatch: no target", FAMILY, nullptr, "", &ACF_REVISION_MANAGER::get_assignment_ptr,
         "get_assignment(1,0,1)", FAMILY},
        {"dispatch: target", FAMILY, nullptr, "top|a", &ACF_REVISION_MANAGER::get_assignment_ptr,
         "get_assignment(0,0,1)", FAMILY},
        {"dispatch: name of a variable", ACF_VARIABLE_TYPE_NONE, "FAMILY", nullptr,
         &ACF_REVISION_MANAGER::get_assignment_ptr, "get_assignment(1,0,1)", FAMILY},
        {"dispatch: freeform name", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", "top|a",
         &ACF_REVISION_MANAGER::get_assignment_ptr, "get_assignment(0,1,1)",
         ACF_VARIABLE_TYPE_NONE},
    };
    store.assignment_answer = FIRST;
    for (Case const& c : cases) {
        store.calls.clear();
        record.reset();
        record.set_variable_type(c.type);
        record.set_variable_string(c.variable_string);
        record.set_to(c.to);
        ACF_ASSIGNMENT* found = c.lookup(facade, &record);
        std::vector<std::string> expected_calls;
        if (c.storage_call != nullptr) {
            expected_calls.push_back(c.storage_call);
        }
        EXPECT_EQ(store.calls, expected_calls) << c.name;
        EXPECT_EQ(found, c.storage_call != nullptr ? FIRST : nullptr) << c.name;
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
        std::vector<std::string> calls;
    } const cases[] = {
        {"global of type",
         [&] { return facade.remove_all_global_assignments_of_type(FAMILY); },
         2,
         {"remove_all_assignments_of_type(296,1,0)", "add_assignments_to_changed_list(2)"}},
        {"instance of type",
         [&] { return facade.remove_all_instance_assignments_of_type(FAMILY); },
         2,
         {"remove_all_assignments_of_type(296,0,1)", "add_assignments_to_changed_list(2)"}},
        {"all of type",
         [&] { return facade.remove_all_assignments_of_type(FAMILY); },
         2,
         {"remove_all_assignments_of_type(296,1,1)", "add_assignments_to_changed_list(2)"}},
        {"type 0",
         [&] { return facade.remove_all_assignments_of_type(ACF_VARIABLE_TYPE_NONE); },
         0,
         {}},
        {"instances",
         [&] { return facade.remove_instance_assignments("a", nullptr); },
         2,
         {"remove_instance_assignments(a,null)", "add_assignments_to_changed_list(2)"}},
        {"ase category",
         [&] { return facade.remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM(5)); },
         2,
         {"remove_all_assignments_of_ase_category(5)", "add_assignments_to_changed_list(2)"}},
        {"ase category 0",
         [&] { return facade.remove_all_assignments_of_ase_category(ASE_CATEGORY_NONE); },
         0,
         {}},
    };
    for (Case const& c : cases) {
        store.calls.clear();
        store.changed_list.clear();
        EXPECT_EQ(c.run(), c.expected) << c.name;
        EXPECT_EQ(store.calls, c.calls) << c.name;
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
    EXPECT_EQ(store.calls, (std::vector<std::string>{"get_all_assignments(0,1,0,0)",
                                                     "get_all_assignments(0,0,1,0)",
                                                     "get_all_assignments(0,0,0,1)"}));
    EXPECT_EQ(coll, (ACF_REVISION_MANAGER::ASSIGNMENT_LIST{SECOND, FIRST, FIRST, FIRST}));

    struct Case {
        char const* variable_string;
        char const* to;
        std::function<void(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*,
                           ACF_REVISION_MANAGER::ASSIGNMENT_LIST*)>
            query;
        char const* storage_call; // null: the store is not asked
    } const cases[] = {
        {"FAMILY", nullptr,
         [](auto& m, auto* p, auto* l) { m.get_global_assignment_coll(p, l, false); },
         "get_assignment_coll(1,0,0)"},
        {"NO_SUCH_VARIABLE", nullptr,
         [](auto& m, auto* p, auto* l) { m.get_global_assignment_coll(p, l, true); }, nullptr},
        {"FAMILY", nullptr, [](auto& m, auto* p, auto* l) { *l = global_colls(m, p).front(); },
         "get_global_assignment_colls(1)"},
        {"NO_SUCH_VARIABLE", nullptr,
         [](auto& m, auto* p, auto* l) { *l = global_colls(m, p).front(); }, nullptr},
        {nullptr, nullptr, [](auto& m, auto* p, auto* l) { m.get_instance_assignment_coll(p, l); },
         "get_assignment_coll(0,0,1)"},
        {"FAMILY", "top|a", [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         "get_assignment_coll(0,0,1)"},
        {"MY_NOTE", nullptr, [](auto& m, auto* p, auto* l) { m.get_assignment_coll(p, l, false); },
         "get_assignment_coll(0,1,1)"},
    };
    for (Case const& c : cases) {
        store.calls.clear();
        record.reset();
        record.set_variable_string(c.variable_string);
        record.set_to(c.to);
        record.set_entity_name("core");
        ACF_REVISION_MANAGER::ASSIGNMENT_LIST found;
        c.query(facade, &record, &found);
        std::vector<std::string> expected;
        if (c.storage_call != nullptr) {
            expected.push_back(c.storage_call);
        }
        EXPECT_EQ(store.calls, expected) << text(c.variable_string);
        EXPECT_EQ(found.size(), c.storage_call != nullptr ? 1u : 0u) << text(c.variable_string);
        if (c.storage_call != nullptr) {
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

} // namespace
