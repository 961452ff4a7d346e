#include "mem/mem_config.h"
#include "mem/mem_log.h"
#include "mem/mem_track.h"
#include "mem_manager.h"
#include "suite/threads/thr.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

MEM_DECLARE_TRACKER_TEMPLATE(LOGB);

struct LogBlock {
    char bytes[1024]; // above the 1000 bytes that read the clock at once
};

namespace {

namespace fs = std::filesystem;

std::vector<std::vector<std::string>> rows_of(fs::path const& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) {
            row.push_back(field);
        }
        if (!line.empty() && line.back() == '\t') {
            row.push_back("");
        }
        rows.push_back(row);
    }
    return rows;
}

fs::path s_project; // the project output directory the child reports

// Logging can be started once per process, so every case runs in a child that
// tracks memory and puts the log into the project output directory.
CHILD_RESULT log_in_child(std::function<void()> const& body) {
    return run_in_child([&] {
        MEM_TRACKER::s_track_memory = true;
        MEM_TRACKER::s_log_memory = true;
        MEM_TRACKER::s_output_to_project_path = true;
        mem_set_gen_get_project_output_directory_callback([] { return s_project.c_str(); });
        body();
    });
}

class MemLog : public testing::Test {
protected:
    void SetUp() override {
        s_project = fs::temp_directory_path() /
                    ("mem_log_" + std::to_string(getpid()) + "_" +
                     testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(s_project);
        fs::create_directories(s_project);
    }
    void TearDown() override { fs::remove_all(s_project); }
};

std::vector<std::string> const TITLES = {
    "0",          "",         "TotalPhysical", "TotalPgFile", "Virtual", "PageFaults (bytes) ",
    "WorkingSet", "PageFile", "System",        "Tessaly",     "",        "",
    "Overhead",   "FreeMem"};

TEST_F(MemLog, LinesCarryTheFiguresAndEachSubsystemsPeakSinceTheLineBefore) {
    CHILD_RESULT child = log_in_child([] {
        MEM_MANAGER::start_memory_logging("memory.log");
        MEM_MANAGER::memory_log_set_state("LOADING");
        LogBlock* block = MEM_NEW(LOGB, LogBlock)();
        MEM_MANAGER::memory_log_set_state("WORKING");
        delete block;
        MEM_MANAGER::memory_log_set_state("the state name of more than thirty-two characters");
        MEM_MANAGER::memory_log_set_state(nullptr);
        std::printf("failed=%d\n", MEM_TRACKER::memory_log_failed());
        MEM_MANAGER::stop_memory_logging();
        MEM_MANAGER::stop_memory_logging();
        MEM_MANAGER::memory_log_set_state("AFTER_STOP");
    });
    ASSERT_EQ(child.exit_status, 0);
    EXPECT_EQ(child.output, "failed=0\n");
    auto rows = rows_of(s_project / "memory.log");
    ASSERT_EQ(rows.size(), 7u);

    std::string const long_state = "the state name of more than thir";
    std::vector<std::string> const states = {"START_LOG", "LOADING", "WORKING", long_state,
                                             long_state};
    size_t const subsystems = rows[6].size() - 14;
    ASSERT_GE(subsystems, 1u);
    for (size_t i = 0; i < states.size(); ++i) {
        auto const& row = rows[i];
        SCOPED_TRACE(i);
        EXPECT_GT(std::stoull(row.at(0)), 0u);
        EXPECT_EQ(row.at(1), states[i]);
        EXPECT_EQ(row.at(10), "");
        EXPECT_EQ(row.at(11), states[i]);
        for (size_t column : {2, 4, 5, 6, 7}) {
            EXPECT_GT(std::stod(row.at(column)), 0.0) << column;
        }
    }
    // The subsystem exists from the third line on; its column shows the
    // highest point since the line before, so the line after the release still
    // shows the block.
    EXPECT_EQ(rows[0].size(), rows[1].size());
    EXPECT_EQ(rows[2].size(), rows[1].size() + 1);
    EXPECT_EQ(rows[2].back(), "1024");
    EXPECT_EQ(rows[3].back(), "1024");
    EXPECT_EQ(rows[4].back(), "0");

    // The closing lines, written once.
    std::vector<std::string> titles = TITLES;
    EXPECT_EQ(std::vector<std::string>(rows[5].begin(), rows[5].begin() + 14), titles);
    EXPECT_EQ(rows[5].back(), "LOGB");
    EXPECT_EQ(rows[6].size(), rows[5].size());
    EXPECT_EQ(rows[6].at(0), "-1");
    for (size_t i = 1; i < 14; ++i) {
        EXPECT_EQ(rows[6].at(i), "") << i;
    }
    EXPECT_EQ(rows[6].back(), "1024");
}

TEST_F(MemLog, StartingTwiceKeepsTheFirstFileAndMarksTheLogFailed) {
    CHILD_RESULT child = log_in_child([] {
        MEM_TRACKER::s_log_memory_debug_messages = true;
        MEM_MANAGER::start_memory_logging("first.log");
        MEM_MANAGER::start_memory_logging("second.log");
        std::printf("failed=%d\n", MEM_TRACKER::memory_log_failed());
        MEM_MANAGER::stop_memory_logging();
    });
    ASSERT_EQ(child.exit_status, 0);
    EXPECT_FALSE(fs::exists(s_project / "second.log"));
    auto rows = rows_of(s_project / "first.log");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].at(1), "START_LOG");
    EXPECT_EQ(rows[1].at(1), "START_LOG");
    // Each line is announced on standard output when asked for.
    std::istringstream output(child.output);
    std::string line;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(std::getline(output, line));
        EXPECT_EQ(line.rfind("MEM tracking at tick ", 0), 0u) << line;
    }
    ASSERT_TRUE(std::getline(output, line));
    EXPECT_EQ(line, "failed=1");
}

TEST_F(MemLog, NothingIsWrittenWithoutTheSettingOrAfterAFailedOpen) {
    CHILD_RESULT child = log_in_child([] {
        MEM_TRACKER::s_log_memory = false;
        MEM_MANAGER::start_memory_logging("off.log");
        MEM_MANAGER::memory_log_set_state("IGNORED");
        MEM_MANAGER::stop_memory_logging();
    });
    ASSERT_EQ(child.exit_status, 0);
    EXPECT_FALSE(fs::exists(s_project / "off.log"));

    child = log_in_child([] {
        MEM_MANAGER::start_memory_logging("missing/dir.log");
        std::printf("failed=%d\n", MEM_TRACKER::memory_log_failed());
        MEM_MANAGER::memory_log_set_state("STILL_RUNNING");
        MEM_MANAGER::stop_memory_logging();
    });
    ASSERT_EQ(child.exit_status, 0);
    EXPECT_EQ(child.output, "failed=1\n");
    EXPECT_TRUE(fs::is_empty(s_project));
}

TEST_F(MemLog, AllocationsTickAtMostOncePerSecond) {
    CHILD_RESULT child = log_in_child([] {
        MEM_MANAGER::start_memory_logging("ticks.log");
        MEM_TRACKER::s_last_tick_count = thr_get_tick_count();
        // Large blocks read the clock every time; small ones every eleventh time.
        for (int i = 0; i < 200; ++i) {
            delete MEM_NEW(LOGB, LogBlock)();
        }
        MEM_TRACKER::s_last_tick_count -= 2000;
        delete MEM_NEW(LOGB, LogBlock)();
        MEM_TRACKER::s_last_tick_count -= 2000;
        for (int i = 0; i < 10; ++i) {
            delete[] MEM_NEW_ARRAY(LOGB, char, 8);
        }
        delete[] MEM_NEW_ARRAY(LOGB, char, 8);
        MEM_MANAGER::stop_memory_logging();
    });
    ASSERT_EQ(child.exit_status, 0);
    auto rows = rows_of(s_project / "ticks.log");
    // START_LOG, the large block after the clock moved, the eleventh small block,
    // and the two closing lines.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].at(1), "START_LOG"); // the state name stays
    EXPECT_EQ(rows[3].at(0), "0");
}

} // namespace
