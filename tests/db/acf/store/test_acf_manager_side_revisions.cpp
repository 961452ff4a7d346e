// Work on revisions of the open project other than the active one: loading
// them into the store cache, setting an assignment in them with or without a
// commit, and the side managers lent over their stores.
#include "acf_manager_test_project.h"

#include "acf_revision_manager_test_support.h"
#include "records/acf_manager_storage.h"
#include "store/acf_manager_storage_null.h"

#include <functional>

namespace {

std::string const CURRENT = acf_test_current_version_line();
std::string const SMART_ON = "set_global_assignment -name SMART_RECOMPILE ON";

class ManagerSideRevisions : public AcfManagerProject {
protected:
    void SetUp() override {
        AcfManagerProject::SetUp();
        write_project("chip", {{"chip", CURRENT}, {"fast", CURRENT}});
        ASSERT_EQ(open("chip"), 0);
    }
    static ACF_MGR_INPUT_PARAMETERS* smart_recompile_on(ACF_MGR_INPUT_PARAMETERS* params) {
        params->set_variable_type(acf_user_name_to_variable_type_enum("SMART_RECOMPILE"));
        params->set_variable_string("SMART_RECOMPILE");
        params->set_value_string("On");
        return params;
    }
};

// The refusals, in the order they are checked, for both operations.
TEST_F(ManagerSideRevisions, Refusals) {
    ACF_MGR_INPUT_PARAMETERS params;
    smart_recompile_on(&params);
    using OPERATION = std::function<int(char const*)>;
    OPERATION const load = [&](char const* revision) {
        return manager->load_side_revision_if_needed(revision);
    };
    OPERATION const set = [&](char const* revision) {
        return manager->set_other_revision_assignment(revision, &params, true);
    };
    struct CASE {
        char const* revision;
        bool write_locked;
        int status;
    } const cases[] = {
        {"", true, ACF_REVISION_MANAGER::EMPTY_NAME},
        {"fast", false, ACF_REVISION_MANAGER::NOT_WRITE_LOCKED},
        {"chip", true, ACF_REVISION_MANAGER::UNKNOWN_ERROR},
        {"slow", true, ACF_REVISION_MANAGER::REVISION_NOT_IN_PROJECT},
    };
    for (OPERATION const& operation : {load, set}) {
        for (CASE const& c : cases) {
            if (c.write_locked) {
                ASSERT_TRUE(manager->write_lock(false));
            }
            EXPECT_EQ(operation(c.revision), c.status) << c.revision;
            manager->write_unlock(false);
        }
    }
    EXPECT_EQ(manager->set_other_revision_assignment("fast", nullptr, true),
              ACF_REVISION_MANAGER::EMPTY_NAME);
    manager->close_project(false);
    EXPECT_EQ(load("fast"), ACF_REVISION_MANAGER::NO_PROJECT_OPEN);
    EXPECT_EQ(set("fast"), ACF_REVISION_MANAGER::NO_PROJECT_OPEN);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf")), CURRENT);
}

// A revision that is not cached is opened for the one change and not kept;
// only a commit writes its file.
TEST_F(ManagerSideRevisions, SettingInARevisionThatIsNotCached) {
    ACF_MANAGER_STORAGE* active = manager->get_storage();
    ACF_MGR_INPUT_PARAMETERS params;
    ASSERT_TRUE(manager->write_lock(false));
    EXPECT_EQ(manager->set_other_revision_assignment("fast", smart_recompile_on(&params), false),
              0);
    EXPECT_EQ(manager->find_revision_in_map("fast"), nullptr);
    EXPECT_EQ(manager->get_storage(), active);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf")), CURRENT);

    EXPECT_EQ(manager->set_other_revision_assignment("fast", &params, true), 0);
    EXPECT_EQ(manager->find_revision_in_map("fast"), nullptr);
    EXPECT_EQ(manager->get_storage(), active);
    EXPECT_TRUE(manager->is_write_locked());
    manager->write_unlock(false);
    EXPECT_NE(acf_test_read(dir.file("fast.tsf")).find(SMART_ON), std::string::npos);
    // The active revision is untouched.
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), CURRENT);
}

// A loaded revision stays cached: a change without commit is kept in its store
// and written by the next commit, and a side manager lent over it sees it.
TEST_F(ManagerSideRevisions, SettingInALoadedRevisionAndItsSideManager) {
    ACF_REVISION_MANAGER* side = nullptr;
    EXPECT_EQ(manager->retain_side_manager("fast", &side), ACF_REVISION_MANAGER::UNKNOWN_ERROR);
    EXPECT_EQ(side, nullptr);

    ASSERT_TRUE(manager->write_lock(false));
    ASSERT_EQ(manager->load_side_revision_if_needed("fast"), 0);
    ACF_MANAGER_STORAGE_INFO* info = manager->find_revision_in_map("fast");
    ASSERT_NE(info, nullptr);
    ACF_MANAGER_STORAGE* fast = info->m_storage;
    EXPECT_EQ(manager->load_side_revision_if_needed("fast"), 0);
    EXPECT_EQ(manager->find_revision_in_map("fast")->m_storage, fast);

    ACF_MGR_INPUT_PARAMETERS params;
    EXPECT_EQ(manager->set_other_revision_assignment("fast", smart_recompile_on(&params), false),
              0);
    EXPECT_FALSE(fast->is_write_locked());
    manager->write_unlock(false);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf")), CURRENT);

    // Two holders share one side manager; the last release writes the revision.
    ASSERT_EQ(manager->retain_side_manager("fast", &side), 0);
    ACF_REVISION_MANAGER* again = nullptr;
    ASSERT_EQ(manager->retain_side_manager("fast", &again), 0);
    EXPECT_EQ(again, side);
    EXPECT_STREQ(side->get_active_revision_name(), "fast");
    EXPECT_TRUE(side->is_write_locked());
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_string("SMART_RECOMPILE");
    EXPECT_STREQ(side->get_global_assignment(&query), "ON");

    EXPECT_EQ(manager->release_side_manager("fast"), 0);
    EXPECT_EQ(acf_test_read(dir.file("fast.tsf")), CURRENT);
    EXPECT_EQ(manager->release_side_manager(side), 0);
    EXPECT_NE(acf_test_read(dir.file("fast.tsf")).find(SMART_ON), std::string::npos);
    EXPECT_EQ(manager->release_side_manager("fast"), ACF_REVISION_MANAGER::UNKNOWN_ERROR);
    EXPECT_EQ(manager->release_side_manager(static_cast<ACF_REVISION_MANAGER*>(nullptr)),
              ACF_REVISION_MANAGER::EMPTY_NAME);
}

// A commit that cannot write is the caller's failure, never success.
TEST_F(ManagerSideRevisions, FailedCommitOfAnotherRevisionIsReported) {
    ASSERT_TRUE(manager->write_lock(false));
    ASSERT_EQ(manager->load_side_revision_if_needed("fast"), 0);
    // A directory in the settings file's place takes no file renamed over it.
    std::filesystem::remove(dir.file("fast.tsf"));
    std::filesystem::create_directory(dir.file("fast.tsf"));
    ACF_MGR_INPUT_PARAMETERS params;
    EXPECT_EQ(manager->set_other_revision_assignment("fast", smart_recompile_on(&params), true),
              ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE);
    manager->write_unlock(false);
}

// A revision that cannot be opened is neither cached nor left current; the
// store opened for it is freed (the sanitizer build checks that).
TEST_F(ManagerSideRevisions, RevisionThatCannotBeOpened) {
    acf_test_write(dir.file("fast.tsf"), CURRENT + "set_global_assignment -name\n");
    ACF_MANAGER_STORAGE* active = manager->get_storage();
    ASSERT_TRUE(manager->write_lock(false));
    EXPECT_EQ(manager->load_side_revision_if_needed("fast"),
              ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE);
    EXPECT_EQ(manager->find_revision_in_map("fast"), nullptr);
    EXPECT_EQ(manager->get_storage(), active);
    ACF_MGR_INPUT_PARAMETERS params;
    EXPECT_NE(manager->set_other_revision_assignment("fast", smart_recompile_on(&params), true), 0);
    EXPECT_EQ(manager->get_storage(), active);
    manager->write_unlock(false);
}

// The cache keeps a store that a side manager is lent over: it may be neither
// made current, replaced nor deleted, and the attempts are reported.
TEST_F(ManagerSideRevisions, CacheRulesAndTheirInternalErrors) {
    ASSERT_TRUE(manager->write_lock(false));
    ASSERT_EQ(manager->load_side_revision_if_needed("fast"), 0);
    manager->write_unlock(false);
    std::string key;
    manager->create_manager_storage_search_key("fast", &key);
    EXPECT_EQ(key, dir.path() + "::chip::fast");
    ACF_MANAGER_STORAGE_INFO* info = manager->find_revision_in_map("fast");
    ASSERT_NE(info, nullptr);
    ACF_MANAGER_STORAGE* fast = info->m_storage;
    ACF_REVISION_MANAGER* side = nullptr;
    ASSERT_EQ(manager->retain_side_manager("fast", &side), 0);
    ACF_MANAGER_STORAGE* active = manager->get_storage();
    ACF_MANAGER_STORAGE_NULL null_storage;

    struct CASE {
        std::string condition;
        std::function<void()> call;
    };
    std::vector<CASE> const cases = {
        {"storage != NULL", [&] { manager->insert_storage_in_map(key, nullptr); }},
        {"!storage->is_null()", [&] { manager->insert_storage_in_map(key, &null_storage); }},
        {"storage_info != NULL", [&] { manager->set_storage_from_cache(nullptr); }},
        {"!storage_info->has_side_managers()", [&] { manager->set_storage_from_cache(info); }},
        {"Key '" + key + "' already exists in the storage map.",
         [&] { manager->insert_storage_in_map(key, active); }},
        {"Dangling side manager for revision 'fast' still has 1 reference",
         [&] { manager->delete_storage_in_map(key); }},
        {"storage_info_iter != m_acf_manager_storage_map.end()",
         [&] { manager->delete_storage_in_map(key + "x"); }},
    };
    for (CASE const& c : cases) {
        INTERNAL_ERRORS errors;
        c.call();
        EXPECT_EQ(errors.conditions, std::vector<std::string>{c.condition});
        // Nothing changed.
        EXPECT_EQ(manager->find_revision_in_map("fast"), info);
        EXPECT_EQ(info->m_storage, fast);
        EXPECT_EQ(manager->get_storage(), active);
    }
    ASSERT_EQ(manager->retain_side_manager("fast", &side), 0);
    {
        INTERNAL_ERRORS errors;
        manager->delete_storage_in_map(key);
        EXPECT_EQ(errors.conditions,
                  std::vector<std::string>{"Dangling side manager for revision 'fast' still has 2 "
                                           "references"});
    }
    EXPECT_EQ(manager->release_side_manager("fast"), 0);
    EXPECT_EQ(manager->release_side_manager("fast"), 0);

    // Without side managers the entry can be made current and deleted.
    manager->set_storage_from_cache(info);
    EXPECT_EQ(manager->get_storage(), fast);
    manager->set_storage_from_cache(manager->find_revision_in_map("chip"));
    EXPECT_EQ(manager->get_storage(), active);
    manager->delete_storage_in_map(key);
    EXPECT_EQ(manager->find_revision_in_map("fast"), nullptr);
}

} // namespace
