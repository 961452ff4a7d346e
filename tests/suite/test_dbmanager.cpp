// Copying a revision's database files.
#include "suite/dbmanager/dbm_info.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

namespace {

TEST(DbmInfo, CopiesTheBaseFilesToNewNamesAndKeepsExistingOnes) {
    TEST_WORKSPACE ws;
    std::filesystem::create_directories(ws.path("db"));
    test_write_file(ws.path("db/top.cmp.cdb"), "cmp");
    test_write_file(ws.path("db/top.hier"), "hier");
    test_write_file(ws.path("db/top_lm.hier"), "other revision");
    test_write_file(ws.path("db/topx.hier"), "other revision");
    test_write_file(ws.path("db/new.hier"), "kept");
    std::string failed;
    EXPECT_TRUE(DBM_INFO::copy_revision("top", ws.path("db"), "new", ws.path("db"), &failed));
    EXPECT_EQ(test_read_file(ws.path("db/new.cmp.cdb")), "cmp");
    EXPECT_EQ(test_read_file(ws.path("db/new.hier")), "kept");
    EXPECT_FALSE(std::filesystem::exists(ws.path("db/new_lm.hier")));
    EXPECT_FALSE(std::filesystem::exists(ws.path("db/newx.hier")));

    // A missing source folder copies nothing; a missing target folder is made.
    EXPECT_TRUE(DBM_INFO::copy_revision("top", ws.path("none"), "new", ws.path("db"), &failed));
    EXPECT_TRUE(
        DBM_INFO::copy_revision("top", ws.path("db"), "new", ws.path("inc/parts"), &failed));
    EXPECT_EQ(test_read_file(ws.path("inc/parts/new.hier")), "hier");
}

TEST(DbmInfo, AFailedCopyNamesTheFileAndCopiesTheOthers) {
    TEST_WORKSPACE ws;
    std::filesystem::create_directories(ws.path("db"));
    test_write_file(ws.path("db/top.hier"), "hier");
    test_write_file(ws.path("db/top.cdb"), "cdb");
    // A file where the target folder should be: it cannot be made.
    test_write_file(ws.path("blocked"), "");
    std::string failed;
    EXPECT_FALSE(
        DBM_INFO::copy_revision("top", ws.path("db"), "new", ws.path("blocked/db"), &failed));
    EXPECT_EQ(failed, ws.path("blocked/db/new.cdb"));

    // A target that is a folder of the same name stays; the other file is copied.
    std::filesystem::create_directories(ws.path("db/new.cdb.tmp"));
    test_write_file(ws.path("db/top.cdb.tmp"), "tmp");
    failed.clear();
    EXPECT_TRUE(DBM_INFO::copy_revision("top", ws.path("db"), "new", ws.path("db"), &failed));
    EXPECT_TRUE(std::filesystem::is_directory(ws.path("db/new.cdb.tmp")));
    EXPECT_EQ(test_read_file(ws.path("db/new.hier")), "hier");
}

} // namespace
