// Message suppression from the open project's MESSAGE_DISABLE settings.
#include "acf_msg_suppression_lookup.h"

#include "acf_collection_test_storage.h"
#include "acf_manager.h"
#include "acf_msgs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ACF_MSG_SUPPRESSION_TEST : public ACF_COLLECTION_TEST {
protected:
    void SetUp() override {
        ACF_MANAGER::get_acf_manager()->set_current_storage_to(&storage);
        msg_log_clear();
    }
    void TearDown() override {
        MSG_INDEX::get_default_index()->set_suppression_lookup(nullptr);
        ACF_MANAGER::get_acf_manager()->set_current_storage_to(nullptr);
    }
    ACF_ASSIGNMENT* disable(char const* id, char const* target = nullptr) {
        QUERY query = QUERY(ACF_VARIABLE_TYPE_MESSAGE_DISABLE).value(id).to(target);
        return target ? set_instance(query) : set_global(query);
    }

    ACF_MSG_SUPPRESSION_LOOKUP lookup;
};

TEST_F(ACF_MSG_SUPPRESSION_TEST, GlobalSettingsSuppressTheirIds) {
    disable("125000");
    disable("125037");
    disable("125001", "u1");
    EXPECT_TRUE(lookup.is_suppressed(125000));
    EXPECT_TRUE(lookup.is_suppressed(125037));
    EXPECT_FALSE(lookup.is_suppressed(125001)) << "per-instance settings take no part";
    EXPECT_FALSE(lookup.is_suppressed(125002));
    EXPECT_TRUE(lookup.is_suppressed(125000));
    EXPECT_EQ(storage.lock_count(), 0u) << "every read lock is released";
}

TEST_F(ACF_MSG_SUPPRESSION_TEST, AnswersFollowTheProjectAndItsSettings) {
    storage.project_open = false;
    EXPECT_FALSE(lookup.is_suppressed(125000));
    disable("125000");
    EXPECT_FALSE(lookup.is_suppressed(125000));

    storage.project_open = true;
    EXPECT_TRUE(lookup.is_suppressed(125000)) << "a project opened later is asked";

    QUERY which = QUERY(ACF_VARIABLE_TYPE_MESSAGE_DISABLE);
    remove(which, true);
    EXPECT_FALSE(lookup.is_suppressed(125000)) << "a removed setting no longer suppresses";

    // While the project refuses the read lock, the ids last read stand.
    disable("125000");
    ASSERT_TRUE(storage.write_lock(false));
    EXPECT_FALSE(lookup.is_suppressed(125000));
    storage.write_unlock();
    EXPECT_TRUE(lookup.is_suppressed(125000));
}

// Messages are made while their caller holds a lock with its filters set: the
// lookup leaves that lock alone and answers from the ids last read.
TEST_F(ACF_MSG_SUPPRESSION_TEST, AHeldLockIsNotNested) {
    disable("125000");
    EXPECT_TRUE(lookup.is_suppressed(125000));
    disable("125001");
    ASSERT_TRUE(storage.read_lock(false));
    ASSERT_TRUE(storage.set_family_filter(static_cast<DEV_FAMILY_ENUM>(40)));
    storage.calls.clear();
    EXPECT_FALSE(lookup.is_suppressed(125001));
    EXPECT_TRUE(storage.calls.empty()) << storage.calls.front();
    EXPECT_EQ(storage.family_filter, static_cast<DEV_FAMILY_ENUM>(40));
    EXPECT_FALSE(storage.post_messages);
    storage.read_unlock();
    EXPECT_TRUE(lookup.is_suppressed(125001));
}

TEST_F(ACF_MSG_SUPPRESSION_TEST, FactoriesOfTheLibraryAskTheInstalledLookup) {
    disable("125049");
    MSG_INDEX::get_default_index()->set_suppression_lookup(&lookup);
    std::unique_ptr<MSG_W> suppressed(MSG_ACF::W::DEBUG_VALUE_CHANGED_TO_DEFAULT("A", "B"));
    EXPECT_TRUE(suppressed->is_null());
}

TEST_F(ACF_MSG_SUPPRESSION_TEST, ValidationHandsEveryValueToTheMessageSystem) {
    storage.project_open = false;
    disable("99001");
    EXPECT_TRUE(lookup.validate_suppressed_ids());
    EXPECT_TRUE(msg_log_entries().empty());

    storage.project_open = true;
    disable("125000");
    disable("99002", "u1");
    disable("125000", "u2");
    EXPECT_FALSE(lookup.validate_suppressed_ids());
    std::vector<MSG_LOG_ENTRY> const posted = msg_log_entries();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_NE(posted[0].text.find("99001"), std::string::npos);
    EXPECT_NE(posted[0].text.find("for the project"), std::string::npos);
    EXPECT_NE(posted[1].text.find("99002"), std::string::npos);
    EXPECT_NE(posted[1].text.find("for an instance"), std::string::npos);

    msg_log_clear();
    QUERY global = QUERY(ACF_VARIABLE_TYPE_MESSAGE_DISABLE).value("99001");
    remove(global, true);
    QUERY instance = QUERY(ACF_VARIABLE_TYPE_MESSAGE_DISABLE).to("u1");
    remove(instance, false);
    EXPECT_TRUE(lookup.validate_suppressed_ids());
    EXPECT_TRUE(msg_log_entries().empty());
}

} // namespace
