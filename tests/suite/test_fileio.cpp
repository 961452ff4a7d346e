#include "suite/fileio/fio.h"
#include "suite/fileio/fio_journal.h"
#include "suite/fileio/fio_set_aside.h"
#include "suite/general/gen.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(FileIo, PathParts) {
    struct CASE {
        char const* path;
        char const* directory;
        char const* base;
        char const* extension;
    } const cases[] = {
        {"dir/core.v", "dir/", "core", ".v"},       {"/a.b/core", "/a.b/", "core", ""},
        {"core.tar.gz", "", "core.tar", ".gz"},     {"dir/.hidden", "dir/", ".hidden", ""},
        {"ram block.vhd", "", "ram block", ".vhd"},
    };
    for (CASE const& c : cases) {
        FIO_PATH path(c.path);
        EXPECT_EQ(path.directory(), c.directory) << c.path;
        EXPECT_EQ(path.base(), c.base) << c.path;
        EXPECT_EQ(path.extension(), c.extension) << c.path;
    }
    FIO_PATH renamed("dir/core.v");
    renamed.base("core_BAK");
    EXPECT_EQ(renamed.path(), "dir/core_BAK.v");
    EXPECT_EQ(FIO_PATH("dir/", "x.v").path(), "dir/x.v");
    EXPECT_EQ(FIO_PATH("dir", "x.v").path(), "dir/x.v");
    EXPECT_EQ(FIO_PATH("/a/b/../c/./x.v").full_path(), "/a/c/x.v");
}

TEST(FileIo, FileNamesAndScriptExtensions) {
    EXPECT_EQ(FIO_PATH("/p/chip.tpf").filename(), "chip.tpf");
    EXPECT_EQ(FIO_PATH("chip").filename(), "chip");
    EXPECT_EQ(FIO_PATH("/p/").filename(), "");
    struct CASE {
        char const* path;
        char const* file_name;
        char const* result;
    } const cases[] = {
        {"/p/chip.tpf", "sub/x.txt", "/p/sub/x.tcl"}, // callers give the name alone
        {"/p/chip.tpf", "x", "/p/x.tcl"},
        {"/p/chip.tpf", "x.tar.gz", "/p/x.tar.tcl"},
        {"rel/chip", ".hidden", "rel/.hidden.tcl"},
    };
    for (CASE const& c : cases) {
        FIO_PATH path(c.path);
        path.filename(c.file_name);
        path.extension(FIO_EXTENSION_TYPE_TCL, -1);
        EXPECT_EQ(path.path(), c.result) << c.file_name;
    }
    FIO_PATH unknown("a.v");
    unknown.extension(999, -1);
    EXPECT_EQ(unknown.path(), "a.v");
    EXPECT_EQ(fio_get_extension_type("run.TCL"), FIO_EXTENSION_TYPE_TCL);
    EXPECT_EQ(fio_get_file_type_trait_string(-1), "All Files (*)");
}

TEST(FileIo, SameFileByTextOrFullPath) {
    struct CASE {
        char const* a;
        char const* b;
        bool same;
    } const cases[] = {
        {"/p/chip.tsf", "/p/chip.tsf", true},  {"/p/./chip.tsf", "/p/chip.tsf", true},
        {"/p/Chip.tsf", "/p/chip.tsf", false}, {"/p/chip.tsf", "/q/chip.tsf", false},
        {nullptr, "/p/chip.tsf", false},       {"/p/chip.tsf", nullptr, false},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(FIO_PATH::os_specific_comparison(c.a, c.b), c.same)
            << (c.a ? c.a : "null") << " " << (c.b ? c.b : "null");
    }
}

TEST(FileIo, FindsFilesThatExist) {
    TEST_WORKSPACE workspace;
    std::string const present = workspace.path("top.vhd");
    test_write_file(present, "entity top is end;\n");
    EXPECT_EQ(gen_find_file(present.c_str()).full_path(), present);
    EXPECT_EQ(gen_find_file(workspace.path("gone.vhd").c_str()).full_path(), "");
    EXPECT_EQ(gen_find_file("").full_path(), "");
    EXPECT_EQ(gen_find_file(nullptr).full_path(), "");
}

// Only a missing file is missing: a look that fails in another way (a name
// under a file as if it were a folder, a circle of links) is no answer and
// tells why, and a link that cannot be followed is not taken for no link.
TEST(FileIo, PresenceTellsAMissingFileFromOneThatCannotBeLookedAt) {
    TEST_WORKSPACE workspace;
    test_write_file(workspace.path("a.v"), "module a;\n");
    std::filesystem::create_symlink("c2", workspace.path("c1"));
    std::filesystem::create_symlink("c1", workspace.path("c2"));
    struct CASE {
        char const* name;
        FIO_PRESENCE presence;
        char const* reason;
    } const cases[] = {
        {"a.v", FIO_PRESENCE::PRESENT, ""},
        {"gone.v", FIO_PRESENCE::MISSING, ""},
        {"a.v/x.v", FIO_PRESENCE::UNKNOWN, "Not a directory"},
        {"c1", FIO_PRESENCE::UNKNOWN, "Too many levels of symbolic links"},
    };
    for (CASE const& c : cases) {
        FIO_PATH path(workspace.path(c.name));
        FIO_FILE_STATUS status{};
        std::string reason;
        EXPECT_EQ(FIO_FILE_SYSTEM::presence(path, &status, &reason), c.presence) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        EXPECT_EQ(status.size, c.presence == FIO_PRESENCE::PRESENT ? 10 : 0) << c.name;
        EXPECT_EQ(FIO_FILE_SYSTEM::exists(path), c.presence == FIO_PRESENCE::PRESENT) << c.name;
    }
    EXPECT_EQ(FIO_FILE_SYSTEM::presence(FIO_PATH("")), FIO_PRESENCE::MISSING);

    std::string target;
    std::string reason;
    EXPECT_FALSE(
        FIO_FILE_SYSTEM::resolve_links(FIO_PATH(workspace.path("a.v/x.v")), &target, &reason));
    EXPECT_EQ(reason, "Not a directory");
    ASSERT_TRUE(FIO_FILE_SYSTEM::resolve_links(FIO_PATH(workspace.path("gone.v")), &target));
    EXPECT_EQ(target, workspace.path("gone.v"));
}

TEST(FileIo, ListsDirectoriesByNameWithoutFollowingLinks) {
    TEST_WORKSPACE workspace;
    std::filesystem::create_directory(workspace.path("sub"));
    test_write_file(workspace.path("b.v"), "");
    test_write_file(workspace.path("a.v"), "");
    std::filesystem::create_directory_symlink(workspace.path("sub"), workspace.path("link"));
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    ASSERT_TRUE(FIO_FILE_SYSTEM::list_directory(FIO_PATH(workspace.dir()), entries));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "a.v");
    EXPECT_EQ(entries[1].name, "b.v");
    EXPECT_EQ(entries[2].name, "link");
    EXPECT_FALSE(entries[2].is_directory);
    EXPECT_EQ(entries[3].name, "sub");
    EXPECT_TRUE(entries[3].is_directory);
    EXPECT_FALSE(FIO_FILE_SYSTEM::list_directory(FIO_PATH(workspace.path("none")), entries));
}

TEST(FileIo, AtomicRewriteKeepsPermissionsAndLeavesNoTemporaryFile) {
    TEST_WORKSPACE workspace;
    std::string file = workspace.path("core.v");
    test_write_file(file, "old");
    chmod(file.c_str(), 0640);
    FIO_REWRITE done;
    ASSERT_TRUE(
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(file), "new content", nullptr, &done));
    EXPECT_TRUE(done.replaced);
    EXPECT_EQ(test_read_file(file), "new content");
    // The new file's status, read before the rename, is the one the name shows.
    FIO_FILE_STATUS now{};
    ASSERT_TRUE(FIO_FILE_SYSTEM::get_status(FIO_PATH(file), &now));
    EXPECT_EQ(done.status.inode, now.inode);
    EXPECT_EQ(done.status.size, 11);
    EXPECT_EQ(done.status.modification_time_ns, now.modification_time_ns);
    EXPECT_EQ(done.status.mode, 0640u);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workspace.dir()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(FileIo, FailedRewriteLeavesTheOriginal) {
    TEST_WORKSPACE workspace;
    // A directory in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(workspace.path("core.v"));
    test_write_file(workspace.path("core.v/keep"), "kept");
    FIO_REWRITE done;
    done.replaced = true;
    EXPECT_FALSE(FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(workspace.path("core.v")), "x",
                                                        nullptr, &done));
    EXPECT_FALSE(done.replaced);
    EXPECT_EQ(test_read_file(workspace.path("core.v/keep")), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workspace.dir()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(workspace.path("no/dir/x.v")), "x"));
}

TEST(FileIo, ReadsWholeFilesAndRefusesOthers) {
    TEST_WORKSPACE workspace;
    std::string text(200000, 'x');
    test_write_file(workspace.path("big"), text);
    std::string content;
    ASSERT_TRUE(FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace.path("big")), content));
    EXPECT_EQ(content, text);
    EXPECT_FALSE(FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace.path("missing")), content));
    std::string reason;
    EXPECT_FALSE(FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace.dir()), content, &reason));
    EXPECT_EQ(reason, "it is a directory");
    // A pipe with no writer is refused at once, never waited on.
    ASSERT_EQ(mkfifo(workspace.path("pipe").c_str(), 0644), 0);
    EXPECT_FALSE(FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace.path("pipe")), content, &reason));
    EXPECT_EQ(reason, "it is no regular file");
    EXPECT_TRUE(content.empty());
}

// The buffer that is not zero-filled first reads what the string reads, and
// ends in its padding of NULs: a file of known size, an empty one and a file
// whose size says 0 but which has content (read in chunks to its end).
TEST(FileIo, ReadsIntoAPaddedBufferWhatAStringReads) {
    TEST_WORKSPACE workspace;
    std::string big(200000, 'x');
    big[199999] = 'y';
    test_write_file(workspace.path("big"), big);
    test_write_file(workspace.path("empty"), "");
    struct stat st {};
    ASSERT_EQ(stat("/proc/version", &st), 0);
    ASSERT_EQ(st.st_size, 0) << "a file read to its end, whatever its size says";
    for (std::string const& path :
         {workspace.path("big"), workspace.path("empty"), std::string("/proc/version")}) {
        std::string expected;
        ASSERT_TRUE(FIO_FILE_SYSTEM::read_file(FIO_PATH(path), expected)) << path;
        FIO_FILE_BUFFER content(17);
        ASSERT_TRUE(FIO_FILE_SYSTEM::read_file(FIO_PATH(path), content)) << path;
        EXPECT_EQ(std::string(content.data(), content.size()), expected) << path;
        EXPECT_EQ(expected.empty(), path == workspace.path("empty")) << path;
        EXPECT_EQ(std::string(content.data() + content.size(), 17), std::string(17, '\0')) << path;
    }

    FIO_FILE_BUFFER content;
    std::string reason;
    EXPECT_FALSE(FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace.dir()), content, &reason));
    EXPECT_EQ(reason, "it is a directory");
    EXPECT_EQ(content.size(), 0u);
}

TEST(FileIo, RewritesTheFileALinkLeadsToAndKeepsTheLink) {
    TEST_WORKSPACE workspace;
    std::filesystem::create_directory(workspace.path("real"));
    test_write_file(workspace.path("real/top.tsf"), "old");
    std::filesystem::create_symlink("real/top.tsf", workspace.path("hop.tsf"));
    std::filesystem::create_symlink(workspace.path("hop.tsf"), workspace.path("top.tsf"));
    ASSERT_TRUE(FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(workspace.path("top.tsf")), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(workspace.path("top.tsf")));
    EXPECT_TRUE(std::filesystem::is_symlink(workspace.path("hop.tsf")));
    EXPECT_EQ(test_read_file(workspace.path("real/top.tsf")), "new");

    // Links in a circle lead nowhere: nothing is written.
    std::filesystem::create_symlink("b.tsf", workspace.path("a.tsf"));
    std::filesystem::create_symlink("a.tsf", workspace.path("b.tsf"));
    std::string reason;
    EXPECT_FALSE(
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(workspace.path("a.tsf")), "x", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(workspace.path("a.tsf")));
}

TEST(FileIo, AFileLockWaitsForItsHolderAndOutlivesNoHolder) {
    TEST_WORKSPACE workspace;
    std::string const file = workspace.path("top.tsf");
    std::string const order = workspace.path("order");
    int held[2];
    ASSERT_EQ(pipe(held), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FIO_FILE_LOCK lock{FIO_PATH(file)};
        char byte = lock.is_held() ? 1 : 0;
        if (write(held[1], &byte, 1) != 1) {
            _exit(1);
        }
        usleep(200000);
        std::ofstream(order, std::ios::app) << "child\n";
        _exit(0);
    }
    close(held[1]);
    char byte = 0;
    ASSERT_EQ(read(held[0], &byte, 1), 1);
    close(held[0]);
    ASSERT_EQ(byte, 1);
    {
        FIO_FILE_LOCK lock{FIO_PATH(file)};
        ASSERT_TRUE(lock.is_held()) << lock.error();
        std::ofstream(order, std::ios::app) << "parent\n";
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(test_read_file(order), "child\nparent\n") << "the lock did not wait";
    EXPECT_FALSE(std::filesystem::exists(file + ".lock"));

    // A lock file left by a holder that died holds nothing: it is taken over.
    test_write_file(file + ".lock", "");
    {
        FIO_FILE_LOCK lock{FIO_PATH(file)};
        EXPECT_TRUE(lock.is_held()) << lock.error();
    }
    EXPECT_FALSE(std::filesystem::exists(file + ".lock"));
}

// Without waiting, a held lock file is busy for any other opening of it (in
// this process as in another); a link in its place is refused, its target
// untouched; a directory lock makes and removes nothing.
TEST(FileIo, LockWithoutWaitingIsBusyWhileHeldAndNeverFollowsALink) {
    TEST_WORKSPACE workspace;
    std::string const lock_file = workspace.path("project.lock");
    FIO_LOCK first;
    ASSERT_EQ(first.lock_file(lock_file, false), FIO_LOCK::HELD);
    FIO_LOCK second;
    EXPECT_EQ(second.lock_file(lock_file, false), FIO_LOCK::BUSY);
    EXPECT_FALSE(second.is_held());
    EXPECT_TRUE(std::filesystem::exists(lock_file)) << "a busy lock leaves the holder's file";
    first.release();
    EXPECT_FALSE(std::filesystem::exists(lock_file));
    EXPECT_EQ(second.lock_file(lock_file, false), FIO_LOCK::HELD);
    second.release();

    std::string const target = workspace.path("target");
    test_write_file(target, "kept");
    std::filesystem::create_symlink(target, lock_file);
    std::string error;
    EXPECT_EQ(first.lock_file(lock_file, false, &error), FIO_LOCK::FAILED);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(lock_file));
    EXPECT_EQ(test_read_file(target), "kept");

    EXPECT_EQ(first.lock_directory(workspace.dir()), FIO_LOCK::HELD);
    first.release();
    EXPECT_TRUE(std::filesystem::is_directory(workspace.dir()));
    EXPECT_EQ(first.lock_directory(workspace.path("none"), &error), FIO_LOCK::FAILED);
    EXPECT_EQ(error, "No such file or directory");
}

// A file set aside never takes the place of anything, not even of a link that
// leads nowhere; put back, it replaces a new file only when asked to.
TEST(FileIo, SetAsideTakesAFreeNameAndPutBackKeepsOrReplacesTheNewFile) {
    TEST_WORKSPACE workspace;
    std::string const file = workspace.path("top.tsf");
    std::string aside;
    EXPECT_TRUE(fio_set_aside(FIO_PATH(file), FIO_ASIDE_NAME::BACKUP, &aside));
    EXPECT_EQ(aside, "") << "no file, nothing set aside";

    test_write_file(file, "work");
    test_write_file(file + ".bak", "older");
    std::filesystem::create_symlink(workspace.path("gone"), file + ".bak1");
    ASSERT_TRUE(fio_set_aside(FIO_PATH(file), FIO_ASIDE_NAME::BACKUP, &aside));
    EXPECT_EQ(aside, file + ".bak2");
    EXPECT_EQ(test_read_file(file + ".bak"), "older");
    EXPECT_TRUE(std::filesystem::is_symlink(file + ".bak1"));
    EXPECT_FALSE(std::filesystem::exists(file));
    test_write_file(file, "new");
    fio_put_back(aside, FIO_PATH(file), true);
    EXPECT_EQ(test_read_file(file), "work");
    EXPECT_FALSE(std::filesystem::exists(aside));

    ASSERT_TRUE(fio_set_aside(FIO_PATH(file), FIO_ASIDE_NAME::HIDDEN, &aside));
    EXPECT_EQ(FIO_PATH(aside).filename().rfind(".top.aside.", 0), 0u) << aside;
    fio_put_back(aside, FIO_PATH(file), false);
    EXPECT_EQ(test_read_file(file), "work") << "nothing new: put back";
    ASSERT_TRUE(fio_set_aside(FIO_PATH(file), FIO_ASIDE_NAME::HIDDEN, &aside));
    test_write_file(file, "new");
    fio_put_back(aside, FIO_PATH(file), false);
    EXPECT_EQ(test_read_file(file), "new");
    EXPECT_FALSE(std::filesystem::exists(aside));
}

} // namespace

// Moving new files into their places is all or nothing: a rename that fails
// half-way, or a move that a kill left before it ended, found by the next
// recovery, puts every place back as it was and leaves no work folder.
TEST(FileIo, AMoveInThatFailsOrWasKilledIsUndone) {
    for (bool killed : {false, true}) {
        TEST_WORKSPACE ws;
        std::string work = ws.path("work");
        std::filesystem::create_directories(work + "/new");
        std::filesystem::create_directories(ws.path("dest/busy"));
        test_write_file(work + "/new/a", "new a");
        test_write_file(work + "/new/b", "new b");
        test_write_file(work + "/new/c", "new c");
        test_write_file(ws.path("dest/old.v"), "old");
        test_write_file(ws.path("dest/busy/inside"), "a folder is no file to replace");
        std::vector<FIO_FILE_MOVE> moves = {{work + "/new/a", ws.path("dest/old.v")},
                                            {work + "/new/b", ws.path("dest/added.v")}};
        std::string why;
        if (killed) {
            ASSERT_TRUE(fio_move_in(work, moves, why)) << why;
            EXPECT_EQ(test_read_file(ws.path("dest/old.v")), "new a");
            fio_recover_move_in(work); // as the next process finds it
        } else {
            moves.push_back({work + "/new/c", ws.path("dest/busy")});
            EXPECT_FALSE(fio_move_in(work, moves, why));
            EXPECT_NE(why.find(ws.path("dest/busy")), std::string::npos) << why;
            fio_recover_move_in(work);
        }
        EXPECT_EQ(test_read_file(ws.path("dest/old.v")), "old") << killed;
        EXPECT_FALSE(FIO_FILE_SYSTEM::exists(FIO_PATH(ws.path("dest/added.v")))) << killed;
        EXPECT_FALSE(FIO_FILE_SYSTEM::exists(FIO_PATH(work))) << killed;
    }
    TEST_WORKSPACE ws;
    std::string work = ws.path("work");
    std::filesystem::create_directories(work + "/new");
    test_write_file(work + "/new/a", "new a");
    std::string why;
    ASSERT_TRUE(fio_move_in(work, {{work + "/new/a", ws.path("a.v")}}, why)) << why;
    EXPECT_TRUE(fio_end_move_in(work, why)) << why;
    fio_recover_move_in(work); // an ended move stands
    EXPECT_EQ(test_read_file(ws.path("a.v")), "new a");
    EXPECT_FALSE(FIO_FILE_SYSTEM::exists(FIO_PATH(work)));
}

TEST(FileIo, ExtensionTypesIgnoreCase) {
    struct CASE {
        char const* path;
        int type;
    } const cases[] = {
        {"/p/top.tsf", FIO_EXTENSION_TYPE_TSF},
        {"top.TSF", FIO_EXTENSION_TYPE_TSF},
        {"a/b.tpf", FIO_EXTENSION_TYPE_TPF},
        {"rev_assignment_defaults.tdf", FIO_EXTENSION_TYPE_TDF},
        {"x.csv", FIO_EXTENSION_TYPE_CSV},
        {"x.esf", FIO_EXTENSION_TYPE_ESF},
        {"x.tws", FIO_EXTENSION_TYPE_OLD_WORKSPACE},
        {"x.tip", 0},
        {"noextension", 0},
        {".tsf", 0},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(fio_get_extension_type(c.path), c.type) << c.path;
    }
    EXPECT_EQ(FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TSF), ".tsf");
    EXPECT_EQ(FIO_EXTENSION_TYPE_INFO::get_extension_string(999), "");
}

TEST(FileIo, CsvFilterAndDefaultExtension) {
    EXPECT_EQ(fio_get_file_type_filter(FIO_EXTENSION_TYPE_CSV),
              "Comma-Separated Value Files (*.csv)");
    EXPECT_EQ(fio_get_file_type_filter(FIO_EXTENSION_TYPE_TCSV),
              fio_get_file_type_filter(FIO_EXTENSION_TYPE_CSV));
    EXPECT_EQ(fio_get_file_type_filter(FIO_EXTENSION_TYPE_TSF), "");
    EXPECT_EQ(fio_get_default_extension_type(FIO_EXTENSION_TYPE_TCSV), FIO_EXTENSION_TYPE_CSV);
    EXPECT_EQ(fio_get_default_extension_type(FIO_EXTENSION_TYPE_CSV), FIO_EXTENSION_TYPE_CSV);
}

TEST(FileIo, StatusTellsEditsApartWithinOneSecond) {
    TEST_WORKSPACE workspace;
    std::string file = workspace.path("a.tsf");
    test_write_file(file, "one\n");
    FIO_FILE_STATUS before{};
    ASSERT_TRUE(FIO_FILE_SYSTEM::get_status(FIO_PATH(file), &before));
    ASSERT_TRUE(FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(file), "two\n"));
    FIO_FILE_STATUS after{};
    ASSERT_TRUE(FIO_FILE_SYSTEM::get_status(FIO_PATH(file), &after));
    // An atomic rewrite is a new file even when the clock did not move.
    EXPECT_NE(before.inode, after.inode);
    EXPECT_FALSE(FIO_FILE_SYSTEM::get_status(FIO_PATH(workspace.path("missing")), &after));
}

TEST(FileIo, PathLengthLimitsAndSameFileComparison) {
    EXPECT_TRUE(FIO_PATH("/tmp/short.tsf").is_path_length_within_operating_system_limits());
    EXPECT_FALSE(FIO_PATH("/tmp/" + std::string(300, 'n') + ".tsf")
                     .is_path_length_within_operating_system_limits());
    EXPECT_FALSE(
        FIO_PATH("/" + std::string(5000, 'd')).is_path_length_within_operating_system_limits());
    EXPECT_TRUE(FIO_PATH::os_specific_comparison("/tmp/a/../b.tsf", "/tmp/b.tsf"));
    EXPECT_FALSE(FIO_PATH::os_specific_comparison("/tmp/B.tsf", "/tmp/b.tsf"));
}

namespace {

TEST(FileTypes, NamesTraitsAndCategories) {
    EXPECT_STREQ(fio_get_file_type_name(FIO_FILE_TYPE_VHDL), "VHDL File");
    EXPECT_STREQ(fio_get_file_type_name(9999), "");
    EXPECT_TRUE(fio_test_trait_of(FIO_FILE_TYPE_VHDL, FIO_FILE_NEW_DESIGN_FILE_FLAG));
    EXPECT_FALSE(fio_test_trait_of(FIO_FILE_TYPE_VHDL, FIO_FILE_NEW_MEMORY_FILE_FLAG));
    EXPECT_FALSE(fio_test_trait_of(FIO_FILE_TYPE_VHDL, 0));
    EXPECT_FALSE(fio_test_trait_of(9999, FIO_FILE_NEW_DESIGN_FILE_FLAG));
    // every bit between the two File > New flags is a titled category
    for (uint32_t bit = FIO_FILE_NEW_START_FILE_FLAG << 1; bit < FIO_FILE_NEW_END_FILE_FLAG;
         bit <<= 1) {
        EXPECT_NE(fio_get_file_type_trait_string(bit), "") << bit;
    }
    EXPECT_EQ(fio_get_file_type_trait_string(FIO_FILE_NEW_END_FILE_FLAG), "");
}

} // namespace
