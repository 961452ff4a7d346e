#include "acf_storage_test_project.h"

#include "acf_msgs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

char const* const two_settings = "set_global_assignment -name SMART_RECOMPILE ON\n"
                                 "set_global_assignment -name REVISION_TYPE BASE\n";

TEST(RevisionStoreLocks, ReadLocksNestAndKeepTheWriteLockOut) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();

    ASSERT_TRUE(storage.read_lock(true));
    ASSERT_TRUE(storage.read_lock(true));
    EXPECT_EQ(storage.get_lock_count(), 2u);
    EXPECT_FALSE(storage.write_lock(true));
    storage.read_unlock();
    EXPECT_FALSE(storage.write_lock(true)) << "one read lock is still held";
    storage.read_unlock();
    EXPECT_FALSE(storage.is_read_locked());

    ASSERT_TRUE(storage.write_lock(true));
    EXPECT_TRUE(storage.is_read_locked()) << "the write lock counts as a lock";
    EXPECT_TRUE(storage.is_write_locked());
    EXPECT_FALSE(storage.read_lock(true));
    EXPECT_FALSE(storage.write_lock(true)) << "the write lock does not nest";
    storage.read_unlock(); // changes nothing under the write lock
    EXPECT_TRUE(storage.is_write_locked());
    storage.write_unlock();
    EXPECT_EQ(storage.get_lock_count(), 0u);
}

TEST(RevisionStoreLocks, RefusedWriteLockStillRecordsThePostingChoice) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.read_lock(true));
    EXPECT_FALSE(storage.write_lock(false));
    EXPECT_FALSE(storage.get_post_messages());
    storage.read_unlock();
}

TEST(RevisionStoreLocks, FiltersNeedALockAndLastUntilTheNextLockOperation) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    EXPECT_FALSE(storage.set_file_category_filter(ACF_FILE_CATEGORY_NONE));
    EXPECT_FALSE(storage.set_family_filter(DEV_FAMILY_GENERIC));
    EXPECT_FALSE(storage.set_allow_ignored_assignments_filter(true));
    EXPECT_FALSE(storage.reset_filters());

    ASSERT_TRUE(storage.read_lock(true));
    ASSERT_TRUE(storage.set_allow_ignored_assignments_filter(true));
    ASSERT_TRUE(storage.set_file_category_filter(static_cast<ACF_FILE_CATEGORY_ENUM>(3)));
    EXPECT_TRUE(storage.get_allow_ignored_assignments());
    ASSERT_TRUE(storage.read_lock(true));
    EXPECT_FALSE(storage.get_allow_ignored_assignments());
    EXPECT_EQ(storage.get_file_category_enum(), ACF_FILE_CATEGORY_NONE);
    storage.read_unlock();
    storage.read_unlock();
    EXPECT_EQ(storage.get_latest_change_time_of_feature(static_cast<ACF_FEATURE_TYPE_ENUM>(10)), 0);
}

TEST(RevisionStoreLocks, QueriesWithoutALockAreRefused) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(ACF_VARIABLE_TYPE_SMART_RECOMPILE);
    std::list<ACF_ASSIGNMENT*> found;
    storage.get_assignment_coll(&query, true, false, &found, false);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(storage.get_last_error_status(), ACF_REVISION_MANAGER::NOT_LOCKED);
    EXPECT_EQ(storage.get_assignment(&query, true, false, false), nullptr);
    EXPECT_EQ(storage.set_assignment(&query, false, true, false, true, nullptr, true, false, false,
                                     false),
              nullptr);
    EXPECT_EQ(storage.get_last_error_status(), ACF_REVISION_MANAGER::NOT_WRITE_LOCKED);
}

TEST(RevisionStoreSync, FirstLockReadsTheFileAndAnExternalEditIsReadAtTheNextLock) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    EXPECT_EQ(project.read_global("SMART_RECOMPILE"), "ON");
    EXPECT_EQ(project.read_global("REVISION_TYPE"), "BASE");

    // Edited outside, at once (within the same second as the first read).
    acf_test_write(project.tsf(), "set_global_assignment -name SMART_RECOMPILE OFF\n");
    EXPECT_EQ(project.read_global("SMART_RECOMPILE"), "OFF");
    EXPECT_EQ(project.read_global("REVISION_TYPE"), "<none>");
}

TEST(RevisionStoreSync, AnUnchangedFileIsNotReadAgain) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_string("SMART_RECOMPILE");
    ACF_ASSIGNMENT* first = manager.get_global_assignment_ptr(&query);
    manager.read_unlock();
    ASSERT_TRUE(manager.read_lock());
    EXPECT_EQ(manager.get_global_assignment_ptr(&query), first);
    manager.read_unlock();
}

TEST(RevisionStoreSync, AnEditWithASyntaxErrorIsKeptBesideTheFileAndTheMemoryStays) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    EXPECT_EQ(project.read_global("SMART_RECOMPILE"), "ON");

    std::string broken = "set_global_assignment -name SMART_RECOMPILE OFF\n"
                         "set_global_assignment -name \"unterminated\n";
    acf_test_write(project.tsf(), broken);
    msg_log_clear();
    EXPECT_EQ(project.read_global("SMART_RECOMPILE"), "ON");
    EXPECT_EQ(project.read_global("REVISION_TYPE"), "BASE");

    std::string rejected = project.tsf() + ".rejected";
    EXPECT_EQ(acf_test_read(rejected), broken);
    bool told = false;
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        told = told || (entry.depth == 1 && entry.text.find(rejected) != std::string::npos);
    }
    EXPECT_TRUE(told) << "the message names the kept copy";

    // A second rejected edit does not overwrite the first copy.
    acf_test_write(project.tsf(), broken + "# again\n");
    project.read_global("SMART_RECOMPILE");
    EXPECT_EQ(acf_test_read(rejected), broken);
    EXPECT_EQ(acf_test_read(rejected + ".2"), broken + "# again\n");
}

TEST(RevisionStoreFiles, ReadOnlySettingsFileIsReported) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    project.read_global("SMART_RECOMPILE");
    EXPECT_FALSE(storage.is_read_only(true));
    chmod(project.tsf().c_str(), 0444);
    msg_log_clear();
    EXPECT_TRUE(storage.is_read_only(true));
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].id, 125000u);
    EXPECT_NE(log[0].text.find(project.tsf()), std::string::npos);
    chmod(project.tsf().c_str(), 0644);
}

TEST(RevisionStoreFiles, ExtensionsChooseTheReader) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.write_lock(true));
    struct CASE {
        char const* name;
        int status;
    } const cases[] = {
        {"old.tws", ACF_REVISION_MANAGER::UNKNOWN_FILE_EXTENSION},
        {"notes.txt", ACF_REVISION_MANAGER::UNKNOWN_FILE_EXTENSION},
    };
    for (CASE const& c : cases) {
        acf_test_write(project.file(c.name), "x\n");
        ACF_READ_FILE_OPTIONS options;
        options.post = true;
        msg_log_clear();
        EXPECT_FALSE(storage.read_file_from_disk(project.file(c.name).c_str(), true, options))
            << c.name;
        EXPECT_EQ(storage.get_last_error_status(), c.status) << c.name;
        EXPECT_FALSE(msg_log_entries().empty()) << c.name;
    }
    ACF_READ_FILE_OPTIONS options;
    options.post = true;
    msg_log_clear();
    EXPECT_FALSE(storage.read_file_from_disk(project.file("missing.tsf").c_str(), true, options));
    ASSERT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(msg_log_entries()[0].id, 125001u);
    storage.write_unlock();
}

// An older sectioned file read by its extension: merged into the revision, or
// read as free-standing assignments in the order a revision takes them (the
// device-options section last, without section identifier).
TEST(RevisionStoreFiles, OlderSectionedFilesAreReadIntoTheRevision) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    acf_test_write(project.file("old.csf"),
                   "DEFAULT_DEVICE_OPTIONS\n"
                   "{\n"
                   "    RESERVE_ALL_UNUSED_PINS = \"As input tri-stated\";\n"
                   "}\n"
                   "COMPILER_SETTINGS\n"
                   "{\n"
                   "    SYNTHESIS_SEED = 7;\n"
                   "    -- HDL_MESSAGE_ON = 10005; % not now\n"
                   "}\n");
    ASSERT_TRUE(storage.write_lock(true));
    std::list<ACF_ASSIGNMENT*> read;
    ACF_READ_FILE_OPTIONS loose;
    loose.record_file_names = true;
    loose.assignments = &read;
    ASSERT_TRUE(storage.read_file_from_disk(project.file("old.csf").c_str(), true, loose));
    std::vector<std::string> lines;
    for (ACF_ASSIGNMENT* asgn : read) {
        std::string command;
        asgn->get_variable_tcl_set_command(&command, "");
        lines.push_back(command);
        EXPECT_EQ(asgn->get_section_identifier(), nullptr) << command;
        EXPECT_STREQ(asgn->get_acf_file_name(), project.file("old.csf").c_str()) << command;
        delete asgn;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "set_global_assignment -name SYNTHESIS_SEED 7",
                         "set_global_assignment -name HDL_MESSAGE_ON 10005 -disable -comment "
                         "\"not now\"",
                         "set_global_assignment -name RESERVE_ALL_UNUSED_PINS \"AS INPUT "
                         "TRI-STATED\"",
                     }));

    ACF_READ_FILE_OPTIONS merge;
    merge.merge = true;
    EXPECT_TRUE(storage.read_file_from_disk(project.file("old.csf").c_str(), true, merge));
    EXPECT_STREQ(project.global_value("SYNTHESIS_SEED"), "7");
    storage.write_unlock();
}

// A file that exists but cannot be opened is a failed read, not an empty file.
TEST(RevisionStoreFiles, UnreadableOlderFileFailsTheRead) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    acf_test_write(project.file("old.csf"), "COMPILER_SETTINGS { SYNTHESIS_SEED = 7; }\n");
    chmod(project.file("old.csf").c_str(), 0);
    ASSERT_TRUE(storage.write_lock(true));
    ACF_READ_FILE_OPTIONS options;
    options.merge = true;
    options.post = true;
    msg_log_clear();
    EXPECT_FALSE(storage.read_file_from_disk(project.file("old.csf").c_str(), true, options));
    EXPECT_EQ(storage.get_last_error_status(), ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED);
    EXPECT_FALSE(msg_log_entries().empty());
    storage.write_unlock();
}

TEST(RevisionStoreFiles, CsvFilesAreImportedIntoTheRevision) {
    ACF_STORAGE_TEST_PROJECT project(two_settings);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    acf_test_write(project.file("pins.csv"), "To,Location\nled9,PIN_C7\n");
    ASSERT_TRUE(storage.write_lock(true));
    ACF_READ_FILE_OPTIONS options;
    options.merge = true;
    EXPECT_TRUE(storage.read_file_from_disk(project.file("pins.csv").c_str(), true, options));
    std::list<ACF_ASSIGNMENT*> all;
    storage.get_all_assignments(&all, false, true, true, true);
    bool found = false;
    for (ACF_ASSIGNMENT* asgn : all) {
        std::string command;
        asgn->get_variable_tcl_set_command(&command, nullptr);
        found = found || command == "set_location_assignment PIN_C7 -to led9";
    }
    EXPECT_TRUE(found);

    // A file without a header naming a variable imports nothing and fails.
    acf_test_write(project.file("bad.csv"), "Nothing,Here\n1,2\n");
    ACF_READ_FILE_OPTIONS plain;
    EXPECT_FALSE(storage.read_file_from_disk(project.file("bad.csv").c_str(), true, plain));
    EXPECT_EQ(storage.get_last_error_status(), ACF_REVISION_MANAGER::UNKNOWN_ERROR);
    storage.write_unlock();
}

} // namespace
