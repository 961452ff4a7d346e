// The watch over a set of files: every change a status check would see is
// reported, by whichever process it was made and however (in place, by
// rename, by deleting and making the file again, through a folder on its
// path), also when no watch can be placed and after the event queue
// overflowed; an unchanged set costs no status check.
#include "suite/fileio/fio_change_watch.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace {

// What a caller records of a file and compares: modification time in
// nanoseconds, size and inode.
struct STAMP {
    int64_t ns = 0;
    int64_t size = 0;
    uint64_t inode = 0;
};

bool stamp_of(std::string const& path, STAMP* out) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return false;
    }
    *out = {st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, st.st_size, st.st_ino};
    return true;
}

// Three files, two in the workspace and one two folders down, watched and
// checked the way the settings store checks the files it read.
class ChangeWatch : public ::testing::Test {
public:
    void SetUp() override {
        m_base = std::filesystem::canonical(m_workspace.dir()).string();
        make_files();
    }
    // The three files afresh, nothing tracked.
    void make_files() {
        std::filesystem::remove_all(m_base);
        std::filesystem::create_directories(path("deep/sub"));
        m_paths.clear();
        m_records.clear();
        for (char const* name : {"a.tsf", "b.tip", "deep/sub/c.tip"}) {
            test_write_file(path(name), std::string("content of ") + name + "\n");
        }
    }
    std::string path(std::string const& name) const { return m_base + "/" + name; }

    void track_all(FIO_CHANGE_WATCH& watch) {
        for (char const* name : {"a.tsf", "b.tip", "deep/sub/c.tip"}) {
            watch.add(path(name));
            m_paths.push_back(path(name));
            m_records.emplace_back();
            stamp_of(path(name), &m_records.back());
        }
    }
    // Whether a file differs from its record; the files looked at are kept.
    bool check(FIO_CHANGE_WATCH& watch) {
        m_looked.clear();
        return watch.any_changed([this](size_t number) {
            m_looked.push_back(number);
            STAMP now;
            STAMP const& then = m_records[number];
            return stamp_of(m_paths[number], &now) &&
                   (now.ns != then.ns || now.size != then.size || now.inode != then.inode);
        });
    }
    void refresh(size_t number) { stamp_of(m_paths[number], &m_records[number]); }

    TEST_WORKSPACE m_workspace;
    std::string m_base;
    std::vector<std::string> m_paths;
    std::vector<STAMP> m_records;
    std::vector<size_t> m_looked;
};

// Writes the same number of bytes over the start of the file, then sets its
// modification time back into the recorded second.
void rewrite_in_same_second(std::string const& file, STAMP const& record) {
    int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "CONTENT", 7, 0), 7);
    close(fd);
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = record.ns / 1000000000LL;
    times[1].tv_nsec = (record.ns % 1000000000LL + 1) % 1000000000LL;
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

void replace_by_rename(std::string const& file, std::string const& content) {
    test_write_file(file + ".new", content);
    ASSERT_EQ(std::rename((file + ".new").c_str(), file.c_str()), 0);
}

TEST_F(ChangeWatch, EveryChangeAStatusCheckSeesIsReported) {
    struct CASE {
        char const* what;
        size_t file;
        std::function<void(ChangeWatch&)> change;
    } const cases[] = {
        {"rewritten in place, same size, same second", 0,
         [](ChangeWatch& t) { rewrite_in_same_second(t.path("a.tsf"), t.m_records[0]); }},
        {"replaced by rename", 1,
         [](ChangeWatch& t) { replace_by_rename(t.path("b.tip"), "other\n"); }},
        {"replaced by rename with the same content", 1,
         [](ChangeWatch& t) { replace_by_rename(t.path("b.tip"), "content of b.tip\n"); }},
        {"truncated", 2,
         [](ChangeWatch& t) { ASSERT_EQ(truncate(t.path("deep/sub/c.tip").c_str(), 0), 0); }},
        {"touched by another process", 0,
         [](ChangeWatch& t) {
             ASSERT_EQ(test_run("touch -m -d @1700000000 " + t.path("a.tsf")).status, 0);
         }},
        {"appended to by another process", 2,
         [](ChangeWatch& t) {
             ASSERT_EQ(test_run("sh -c 'echo more >> " + t.path("deep/sub/c.tip") + "'").status, 0);
         }},
        {"its folder replaced", 2,
         [](ChangeWatch& t) {
             std::filesystem::rename(t.path("deep/sub"), t.path("deep/old"));
             std::filesystem::create_directory(t.path("deep/sub"));
             test_write_file(t.path("deep/sub/c.tip"), "content of deep/sub/c.tip\n");
         }},
        {"a folder above it replaced", 2,
         [](ChangeWatch& t) {
             std::filesystem::rename(t.path("deep"), t.path("old"));
             std::filesystem::create_directories(t.path("deep/sub"));
             test_write_file(t.path("deep/sub/c.tip"), "content of deep/sub/c.tip\n");
         }},
        {"a link put in its place", 1,
         [](ChangeWatch& t) {
             std::filesystem::remove(t.path("b.tip"));
             std::filesystem::create_symlink(t.path("a.tsf"), t.path("b.tip"));
         }},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        make_files();
        FIO_CHANGE_WATCH watch;
        track_all(watch);
        ASSERT_EQ(watch.unwatched_count(), 0u);
        EXPECT_FALSE(check(watch));
        EXPECT_TRUE(m_looked.empty()) << "an unchanged set needs no status check";

        c.change(*this);
        EXPECT_TRUE(check(watch));
        EXPECT_TRUE(check(watch)) << "a change stays reported until the record is renewed";
        refresh(c.file);
        EXPECT_FALSE(check(watch));
        // The watch follows the file now at the path.
        test_write_file(m_paths[c.file], "changed again, longer than before\n");
        EXPECT_TRUE(check(watch));
    }
}

// A missing file is skipped, as a status check skips it; the file made again
// under its name is a change.
TEST_F(ChangeWatch, DeletedFileIsSkippedAndItsReturnIsReported) {
    FIO_CHANGE_WATCH watch;
    track_all(watch);
    std::filesystem::remove(path("b.tip"));
    EXPECT_FALSE(check(watch));
    EXPECT_EQ(watch.unwatched_count(), 1u);
    test_write_file(path("b.tip"), "content of b.tip\n");
    EXPECT_TRUE(check(watch));
}

// A file whose name cannot be looked at for another reason than its absence
// (here a name too long for the file system) is told to the owner once, and
// is looked at every time; a missing file is no such fault.
TEST_F(ChangeWatch, AFailedLookAtAFileIsToldOnce) {
    FIO_CHANGE_WATCH watch;
    track_all(watch);
    std::filesystem::remove(path("b.tip"));
    EXPECT_FALSE(check(watch));
    EXPECT_TRUE(watch.take_faults().empty());

    std::string const too_long = path(std::string(300, 'x') + ".tsf");
    watch.add(too_long);
    std::vector<FIO_CHANGE_WATCH::FAULT> faults = watch.take_faults();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].path, too_long);
    EXPECT_EQ(faults[0].reason, "File name too long");
    EXPECT_TRUE(watch.take_faults().empty());
    EXPECT_EQ(watch.unwatched_count(), 2u);
}

// Files beyond the watch limit (or all, when no watch can be placed) are
// looked at every time, and their changes are reported.
TEST_F(ChangeWatch, FilesWithoutAWatchAreCheckedEveryTime) {
    // One watch per folder from the root down to the workspace.
    size_t const folders = static_cast<size_t>(std::count(m_base.begin(), m_base.end(), '/')) + 1;
    for (size_t limit : {folders + 1, size_t{0}}) {
        SCOPED_TRACE(limit);
        make_files();
        FIO_CHANGE_WATCH watch(limit);
        track_all(watch);
        size_t const unwatched = limit == 0 ? 3 : 2;
        EXPECT_EQ(watch.unwatched_count(), unwatched);
        EXPECT_FALSE(check(watch));
        EXPECT_EQ(m_looked.size(), unwatched);

        rewrite_in_same_second(path("deep/sub/c.tip"), m_records[2]);
        EXPECT_TRUE(check(watch));
        refresh(2);
        EXPECT_FALSE(check(watch));
    }
}

// When more events came than the queue holds, every file is looked at once
// and the watch goes on reporting changes.
TEST_F(ChangeWatch, QueueOverflowChecksEveryFileOnce) {
    long limit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit > 100000) {
        GTEST_SKIP() << "the event queue holds " << limit << " events";
    }
    FIO_CHANGE_WATCH watch;
    track_all(watch);
    // Each new name in a watched folder is an event of its own.
    for (long i = 0; i <= limit; ++i) {
        test_write_file(path("x" + std::to_string(i)), "");
    }
    EXPECT_FALSE(check(watch));
    std::sort(m_looked.begin(), m_looked.end());
    EXPECT_EQ(m_looked, (std::vector<size_t>{0, 1, 2}));
    EXPECT_FALSE(check(watch));
    EXPECT_TRUE(m_looked.empty());
    replace_by_rename(path("a.tsf"), "new\n");
    EXPECT_TRUE(check(watch));
}

// A forked child that checks makes a queue of its own: the parent's events
// stay the parent's.
TEST_F(ChangeWatch, ForkedChildLeavesTheParentsEvents) {
    FIO_CHANGE_WATCH watch;
    track_all(watch);
    test_write_file(path("a.tsf"), "changed before the fork\n");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(check(watch) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(check(watch));
}

} // namespace
