#include "records/acf_global_initializers.h"

#include "records/acf_string_pool.h"
#include "suite/general/ntf.h"

#include <gtest/gtest.h>

namespace {

TEST(AcfGlobalInitializers, LibraryPoolExistsFromLoadAndSurvivesItsUnload) {
    ACF_STRING_POOL* pool = acf_get_or_create_string_pool();
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->get_name(), "GENERAL_POOL");
    EXPECT_EQ(acf_get_or_create_string_pool(), pool);

    pool->get_or_add_to_pool("kept");
    acf_clear_string_map();
    EXPECT_EQ(pool->size(), 0u);

    // An unload frees the pool; clearing then does nothing, and the next use
    // creates a fresh one.
    ACF_INITIALIZER unload_and_reload;
    unload_and_reload.destroy_globals_in_acf_table();
    acf_clear_string_map();
    ACF_STRING_POOL* fresh = acf_get_or_create_string_pool();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->size(), 0u);
}

TEST(AcfGlobalInitializers, ChangeNotificationReachesTheHostsListeners) {
    EXPECT_NE(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED, 0u);
    EXPECT_EQ(ntf_register_notification("ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED"),
              ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED);

    // Without a notification manager nothing happens.
    ntf_set_notify_mgr(nullptr);
    EXPECT_EQ(acf_broadcast_notify(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED, 0, 0, true), 0);

    NTF_NOTIFY_MGR manager;
    int calls = 0;
    manager.add_listener(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED,
                         [&](unsigned, unsigned, long data, bool flag) {
                             ++calls;
                             EXPECT_EQ(data, 0);
                             EXPECT_TRUE(flag);
                         });
    manager.add_listener(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED + 1,
                         [&](unsigned, unsigned, long, bool) { ADD_FAILURE(); });
    ntf_set_notify_mgr(&manager);
    EXPECT_EQ(acf_broadcast_notify(ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED, 0, 0, true), 1);
    ntf_set_notify_mgr(nullptr);
    EXPECT_EQ(calls, 1);
}

} // namespace
