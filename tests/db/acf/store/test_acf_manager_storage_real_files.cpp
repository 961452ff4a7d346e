// The files read for a revision: one entry per file, however its name is
// written, each keeping what it was first added as; every change to them is
// seen by the next lock.
#include "acf_storage_test_project.h"
#include "records/acf_asgn_storage.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

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

// Every change to a file read for the revision that its status shows (time
// in nanoseconds, size, inode), made here or by another process, is taken in
// by the next lock, and only once.
TEST(RevisionStoreFiles, EveryChangeIsSeenByTheNextLock) {
    std::string const before = "set_global_assignment -name TOP_LEVEL_ENTITY aaaa\n";
    std::string const after = "set_global_assignment -name TOP_LEVEL_ENTITY bbbb\n";
    struct CASE {
        char const* what;
        char const* value; // after the change
        std::function<void(ACF_STORAGE_TEST_PROJECT&)> change;
    } const cases[] = {
        {"rewritten in place, same size, same second", "bbbb",
         [&](ACF_STORAGE_TEST_PROJECT& p) {
             int64_t recorded = p.storage().get_file_collection()[0]->stamp_ns;
             int fd = open(p.tsf().c_str(), O_WRONLY);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(pwrite(fd, after.data(), after.size(), 0),
                       static_cast<ssize_t>(after.size()));
             close(fd);
             timespec times[2];
             times[0].tv_nsec = UTIME_OMIT;
             times[1].tv_sec = recorded / 1000000000;
             times[1].tv_nsec = (recorded % 1000000000 + 1) % 1000000000;
             ASSERT_EQ(utimensat(AT_FDCWD, p.tsf().c_str(), times, 0), 0);
         }},
        {"replaced by rename", "bbbb",
         [&](ACF_STORAGE_TEST_PROJECT& p) {
             ASSERT_TRUE(FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(p.tsf()), after));
         }},
        {"deleted and made again", "bbbb",
         [&](ACF_STORAGE_TEST_PROJECT& p) {
             std::filesystem::remove(p.tsf());
             acf_test_write(p.tsf(), after);
         }},
        {"written by another process", "bbbb",
         [&](ACF_STORAGE_TEST_PROJECT& p) {
             std::string command = "sh -c 'echo set_global_assignment -name TOP_LEVEL_ENTITY "
                                   "bbbb > " +
                                   p.tsf() + "'";
             ASSERT_EQ(test_run(command).status, 0);
         }},
        {"touched by another process", "aaaa",
         [&](ACF_STORAGE_TEST_PROJECT& p) {
             ASSERT_EQ(test_run("touch -m -d @1700000000 " + p.tsf()).status, 0);
         }},
        {"an IP file read for it rewritten", "aaaa",
         [&](ACF_STORAGE_TEST_PROJECT& p) { acf_test_write(p.file("ip.tip"), "# other\n"); }},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        ACF_STORAGE_TEST_PROJECT project(before.c_str());
        acf_test_write(project.file("ip.tip"), "# ip\n");
        EXPECT_EQ(project.read_global("TOP_LEVEL_ENTITY"), "aaaa");
        project.storage().add_file_to_collection(project.file("ip.tip").c_str(), false);
        EXPECT_FALSE(project.storage().have_any_files_changed());

        c.change(project);
        EXPECT_TRUE(project.storage().have_any_files_changed());
        EXPECT_EQ(project.read_global("TOP_LEVEL_ENTITY"), c.value);
        EXPECT_FALSE(project.storage().have_any_files_changed());
    }
}

// A settings file that changed and could not be read again counts as unread:
// every later check reports it, so that no commit takes it for the one read.
TEST(RevisionStoreFiles, FileThatCouldNotBeReadAgainStaysChanged) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name TOP_LEVEL_ENTITY aaaa\n");
    EXPECT_EQ(project.read_global("TOP_LEVEL_ENTITY"), "aaaa");
    std::filesystem::remove(project.tsf());
    ASSERT_EQ(mkfifo(project.tsf().c_str(), 0644), 0);
    EXPECT_EQ(project.read_global("TOP_LEVEL_ENTITY"), "aaaa") << "what was read stays";
    EXPECT_TRUE(project.storage().have_any_files_changed());
    EXPECT_TRUE(project.storage().have_any_files_changed());
}

// What a re-read of a changed settings file leaves (assignments revived from
// the read before, new ones, removed ones) shows every text of the file read
// last, however often the file changes, and so does a copy of the collection.
TEST(RevisionStoreFiles, TextsReadStayRightAcrossReReads) {
    std::string const versions[] = {
        "set_global_assignment -name VHDL_FILE a.vhd\n"
        "set_global_assignment -name VHDL_FILE b.vhd\n"
        "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to |led0\n",
        "# only b and c\n"
        "set_global_assignment -name VHDL_FILE b.vhd\n"
        "set_global_assignment -name VHDL_FILE c.vhd -library lib\n",
        "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to |led0\n"
        "set_global_assignment -name VHDL_FILE a.vhd\n",
    };
    // Each line's command, value and target as the collection shows them (the
    // assignments not read from the file left out).
    auto shown = [](ACF_ASGN_STORAGE& collection) {
        ACF_ASSIGNMENT_LIST live;
        collection.get_all_assignments(ACF_ASGN_SEARCH_FILTER(), true, false, true, true, true,
                                       &live);
        std::multiset<std::string> texts;
        for (ACF_ASSIGNMENT* asgn : live) {
            char const* command = asgn->get_original_tcl_command();
            if (command != nullptr) {
                texts.insert(std::string(command) + " = " + asgn->get_actual_value() + " @" +
                             asgn->get_target());
            }
        }
        return texts;
    };
    std::multiset<std::string> const expected[] = {
        {"set_global_assignment -name VHDL_FILE a.vhd = a.vhd @",
         "set_global_assignment -name VHDL_FILE b.vhd = b.vhd @",
         "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to |led0 = 2.5 V @led0"},
        {"set_global_assignment -name VHDL_FILE b.vhd = b.vhd @",
         "set_global_assignment -name VHDL_FILE c.vhd -library lib = c.vhd @"},
        {"set_global_assignment -name VHDL_FILE a.vhd = a.vhd @",
         "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to |led0 = 2.5 V @led0"},
    };
    ACF_STORAGE_TEST_PROJECT project(versions[0].c_str());
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        int const version = round % 3;
        if (round > 0) {
            ASSERT_TRUE(
                FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(project.tsf()), versions[version]));
        }
        ASSERT_TRUE(project.manager().read_lock());
        ACF_ASGN_STORAGE& collection = *project.storage().get_asgn_storage();
        EXPECT_EQ(shown(collection), expected[version]);
        ACF_ASGN_STORAGE copy(&collection);
        project.manager().read_unlock();
        EXPECT_EQ(shown(copy), expected[version]);
    }
}

} // namespace

namespace {

// The installation's folder as the program tells it, for one test.
class INSTALLATION_FOLDER {
public:
    explicit INSTALLATION_FOLDER(std::string const& folder) {
        gen_set_tessaly_path(folder.c_str());
    }
    ~INSTALLATION_FOLDER() { gen_set_tessaly_path(nullptr); }
    INSTALLATION_FOLDER(INSTALLATION_FOLDER const&) = delete;
    INSTALLATION_FOLDER& operator=(INSTALLATION_FOLDER const&) = delete;
};

// The installation's defaults file, made when a revision is read, is said to
// be unwritten when it cannot be made; and where the program cannot tell its
// own folder ("." stands for it then) it is made nowhere, least of all in the
// current folder, often a project's, where its name is the project's defaults.
TEST(RevisionStoreFiles, AnInstallationDefaultsFileThatCannotBeMadeIsReported) {
    TEST_WORKSPACE installation;
    // A link to a folder that does not exist: no file can be made there.
    std::filesystem::create_symlink(installation.path("none/assignment_defaults.tdf"),
                                    installation.path("assignment_defaults.tdf"));
    TEST_WORKSPACE current;
    std::string const kept_folder = std::filesystem::current_path().string();
    std::filesystem::current_path(current.dir());
    struct CASE {
        std::string folder;
        std::string named; // in the warning
        std::string reason;
    } const cases[] = {
        {installation.dir(), installation.path("assignment_defaults.tdf"),
         "No such file or directory"},
        {".", "assignment_defaults.tdf", "the folder of the running program is unknown"},
    };
    for (CASE const& c : cases) {
        INSTALLATION_FOLDER folder(c.folder);
        ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name SMART_RECOMPILE ON\n");
        msg_log_clear();
        ASSERT_TRUE(project.manager().write_lock(true));
        EXPECT_STREQ(project.global_value("SMART_RECOMPILE"), "ON");
        project.manager().write_unlock(false);
        std::vector<MSG_LOG_ENTRY> const log = msg_log_entries();
        ASSERT_EQ(log.size(), 2u) << c.folder;
        EXPECT_EQ(log[0].id, 125002u);
        EXPECT_EQ(log[0].text, "Can't open file " + c.named + " for writing");
        EXPECT_EQ(log[1].text, c.reason);
    }
    EXPECT_TRUE(std::filesystem::is_empty(current.dir()));
    std::filesystem::current_path(kept_folder);
}

} // namespace
