// The files read for a revision: one entry per file, however its name is
// written, each keeping what it was first added as.
#include "acf_storage_test_project.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(RevisionStoreFiles, OneEntryPerFileHoweverItIsNamed) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name SMART_RECOMPILE ON\n");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    acf_test_write(project.file("ip.tip"), "");
    std::filesystem::create_directories(project.file("sub"));
    storage.clear_file_collection();

    storage.add_file_to_collection(project.file("ip.tip").c_str(), false);
    storage.add_file_to_collection(project.file("sub/../ip.tip").c_str(), true);
    storage.add_file_to_collection(project.file("./ip.tip").c_str(), true);
    ASSERT_EQ(storage.get_file_collection().size(), 1u);
    EXPECT_FALSE(storage.get_file_collection()[0]->is_settings_file);
    EXPECT_EQ(storage.get_file_collection()[0]->file_name,
              std::filesystem::path(project.file("ip.tip")).lexically_normal().string());

    storage.add_file_to_collection(project.tsf().c_str(), true);
    storage.add_file_to_collection(project.file("missing.tip").c_str(), false);
    ASSERT_EQ(storage.get_file_collection().size(), 3u);
    EXPECT_TRUE(storage.files_exist_to_be_committed());
    EXPECT_EQ(storage.get_file_collection()[2]->size, -1) << "a missing file is kept unread";

    // Once the file exists, adding it again takes its state.
    acf_test_write(project.file("missing.tip"), "# now here\n");
    storage.add_file_to_collection(project.file("sub/../missing.tip").c_str(), false);
    ASSERT_EQ(storage.get_file_collection().size(), 3u);
    EXPECT_GT(storage.get_file_collection()[2]->size, 0);

    storage.clear_file_collection();
    EXPECT_TRUE(storage.get_file_collection().empty());
    storage.add_file_to_collection(project.file("ip.tip").c_str(), true);
    ASSERT_EQ(storage.get_file_collection().size(), 1u);
    EXPECT_TRUE(storage.get_file_collection()[0]->is_settings_file);
}

} // namespace
