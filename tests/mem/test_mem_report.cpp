#include "mem/mem_info.h"
#include "mem/mem_report.h"
#include "mem/mem_track.h"
#include "mem/mem_utils.h"
#include "mem_manager.h"

#include "child_process.h"
#include "mem_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

MEM_DECLARE_TRACKER_TEMPLATE(RPT);
MEM_DECLARE_TRACKER_TEMPLATE(LONGSUBSYSTEMTAG);

struct ReportWidget {
    char c[24];
};
struct ReportByte {
    char c;
};
struct ReportLong {
    char c[8];
};
struct ReportAtExit {
    char c[40];
};

namespace {

namespace fs = std::filesystem;

std::string const HEADING = "Current blocks\tCumulative blocks\tPeak blocks\t    Current "
                            "bytes\tCumulative bytes\tPeak bytes";

std::vector<std::string> fields(std::string const& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        out.push_back(field);
    }
    return out;
}

// The six counter figures of a report row whose counter columns start at `first`.
std::vector<long long> figures(std::string const& line, size_t first) {
    std::vector<std::string> f = fields(line);
    std::vector<long long> out;
    for (size_t i = first; i < first + 6 && i < f.size(); ++i) {
        out.push_back(std::stoll(f[i]));
    }
    return out;
}

// The first line of `text` that starts with `prefix`, or "".
std::string line_starting(std::string const& text, std::string const& prefix) {
    for (auto const& line : lines_of(text)) {
        if (line.rfind(prefix, 0) == 0) {
            return line;
        }
    }
    return "";
}

std::string line_ending(std::string const& text, std::string const& suffix) {
    for (auto const& line : lines_of(text)) {
        if (line.size() >= suffix.size() &&
            line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return line;
        }
    }
    return "";
}

class TempDir : public MemTracked {
protected:
    void SetUp() override {
        MemTracked::SetUp();
        m_dir = fs::temp_directory_path() /
                ("mem_report_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        MemTracked::TearDown();
    }
    fs::path m_dir;
};

using MemReport = TempDir;

MEM_TRACKER_DATA* record_of(char const* tag, std::type_info const& type) {
    MEM_LOCK lock(mem_critical_section);
    for (MEM_TRACKER_DATA* d = MEM_TRACKER_DATA::s_tracker_data_list; d != nullptr; d = d->next) {
        if (std::string(d->subsystem_name) == tag && d->type == &type) {
            return d;
        }
    }
    return nullptr;
}

std::vector<long long> as_figures(MEM_TRACKER_COUNTER const& c) {
    MEM_TRACKER_COUNTER s = mem_test_snapshot(c);
    return {static_cast<long long>(s.current_blocks),   static_cast<long long>(s.cumulative_blocks),
            static_cast<long long>(s.peak_blocks),      static_cast<long long>(s.current_bytes),
            static_cast<long long>(s.cumulative_bytes), static_cast<long long>(s.peak_bytes)};
}

ReportByte* report_bytes(size_t n) {
    return MEM_NEW_ARRAY(RPT, ReportByte, n);
}

TEST_F(MemReport, KnownPatternGivesEachSiteSubsystemAndTypeItsFigures) {
    ReportWidget* widgets[3];
    for (auto& w : widgets) {
        w = MEM_NEW(RPT, ReportWidget)();
    }
    delete widgets[0];
    ReportByte* small = report_bytes(10); // rounded to 12
    ReportByte* large = report_bytes(100);
    delete[] small;

    // current, cumulative and peak blocks; current, cumulative and peak bytes.
    std::vector<long long> const site_a = {2, 3, 3, 48, 72, 72};
    std::vector<long long> const site_b = {1, 2, 2, 100, 112, 112};
    // The subsystem peaked at 160 bytes in 4 blocks, before the small block went.
    std::vector<long long> const subsystem = {3, 5, 4, 148, 184, 160};

    MEM_TRACKER_DATA* a = record_of("RPT", typeid(ReportWidget));
    MEM_TRACKER_DATA* b = record_of("RPT", typeid(ReportByte));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(as_figures(a->counter), site_a);
    EXPECT_EQ(as_figures(b->counter), site_b);
    EXPECT_EQ(as_figures(a->typeinfo->counter), site_a);
    EXPECT_EQ(as_figures(b->typeinfo->counter), site_b);
    EXPECT_EQ(as_figures(a->subsystem->counter), subsystem);
    EXPECT_EQ(b->class_id, a->class_id + 1);

    fs::path detailed = m_dir / "detailed.txt";
    fs::path types = m_dir / "types.txt";
    fs::path subsystems = m_dir / "subsystems.txt";
    MEM_MANAGER::write_detailed_memory_usage(detailed.c_str());
    MEM_MANAGER::write_typeinfo_memory_usage(types.c_str());
    MEM_MANAGER::write_subsystem_memory_usage(subsystems.c_str());

    std::string text = read_file(detailed);
    EXPECT_EQ(lines_of(text).at(0), "File\tPrefix\t" + HEADING + "\tClass size\tClassID\tClass");
    // One row written out in full, to pin the column layout.
    std::string const columns_a = std::string(13, ' ') + "2\t" + std::string(16, ' ') + "3\t" +
                                  std::string(10, ' ') + "3\t" + std::string(15, ' ') + "48\t" +
                                  std::string(14, ' ') + "72\t" + std::string(8, ' ') + "72";
    char class_id[16];
    std::snprintf(class_id, sizeof class_id, "%7d", static_cast<int>(a->class_id));
    EXPECT_EQ(line_ending(text, "\tReportWidget"),
              std::string(__FILE__) + "(" + std::to_string(a->line) + "):\t   RPT\t" + columns_a +
                  "\t        24\t" + class_id + "\tReportWidget");
    EXPECT_EQ(figures(line_ending(text, "\tReportByte"), 2), site_b);

    text = read_file(types);
    EXPECT_EQ(lines_of(text).at(0), HEADING + "\t   Size\tClass");
    EXPECT_EQ(line_ending(text, "\tReportWidget"), columns_a + "\t     24\tReportWidget");
    EXPECT_EQ(figures(line_ending(text, "\tReportByte"), 0), site_b);
    EXPECT_EQ(fields(line_ending(text, "\tReportByte")).at(6), "      1");

    text = read_file(subsystems);
    EXPECT_EQ(line_starting(text, "Subsystem\t"), "Subsystem\t" + HEADING);
    EXPECT_EQ(figures(line_starting(text, "      RPT\t"), 1), subsystem);

    for (auto* w : {widgets[1], widgets[2]}) {
        delete w;
    }
    delete[] large;
    EXPECT_EQ(as_figures(a->subsystem->counter), (std::vector<long long>{0, 5, 4, 0, 184, 160}));
}

TEST_F(MemReport, SummaryWithoutFiguresShowsNotAvailableAndZeroAverages) {
    fs::path report = m_dir / "subsystems.txt";
    CHILD_RESULT child = run_in_child([&] {
        {
            MEM_LOCK lock(mem_critical_section);
            mem_tessaly_memory_counter_struct.reset();
            mem_system_memory_counter_struct.reset();
        }
        for (auto* peak :
             {&mem_info_process_peak_working_set_size, &mem_info_process_peak_page_file_used,
              &mem_info_process_peak_virtual_used, &mem_info_system_peak_physical_in_use,
              &mem_info_system_peak_page_file_in_use}) {
            *peak = 0;
        }
        mem_info_set_proc_directory("/nonexistent/proc");
        MEM_MANAGER::write_subsystem_memory_usage(report.c_str());
    });
    ASSERT_EQ(child.exit_status, 0);
    std::string const zeros = std::string(13, ' ') + "0\t" + std::string(16, ' ') + "0\t" +
                              std::string(10, ' ') + "0\t" + std::string(16, ' ') + "0\t" +
                              std::string(15, ' ') + "0\t" + std::string(9, ' ') + "0";
    std::string const expected =
        "        \t Peak WorkingSet\tPeak PageFile\t Page faults\tPeak virtual\n"
        "Process:\t" +
        std::string(13, ' ') + "N/A\t" + std::string(10, ' ') + "N/A\t" + std::string(9, ' ') +
        "N/A\t" + std::string(9, ' ') + "N/A\n" + "Total:  \t" + std::string(13, ' ') + "N/A\t" +
        std::string(10, ' ') + "N/A\n\n\n" + "Transient\t" + HEADING + "\n" + "(System) \t" +
        zeros + "\t\t    0.00\tAvg block size\n" + "User     \t" + zeros +
        "\t\t 0.00000\tAvg overhead per block\n" + "\n\n" + "Subsystem\t" + HEADING + "\n";
    EXPECT_EQ(read_file(report).substr(0, expected.size()), expected);
}

TEST_F(MemReport, SummaryShowsThisProcessAndTheAverages) {
    fs::path report = m_dir / "subsystems.txt";
    CHILD_RESULT child = run_in_child([&] {
        MEM_LOCK lock(mem_critical_section);
        mem_tessaly_memory_counter_struct.reset();
        mem_system_memory_counter_struct.reset();
        mem_tessaly_memory_counter_struct.add(100);
        mem_tessaly_memory_counter_struct.add(60);
        mem_system_memory_counter_struct.add(1000);
        MEM_MANAGER::write_subsystem_memory_usage(report.c_str());
    });
    ASSERT_EQ(child.exit_status, 0);
    std::string text = read_file(report);
    std::vector<std::string> process = fields(line_starting(text, "Process:\t"));
    ASSERT_EQ(process.size(), 5u);
    for (size_t i = 1; i < process.size(); ++i) {
        EXPECT_GT(std::stoll(process[i]), 0) << i;
    }
    EXPECT_EQ(fields(line_starting(text, "Total:  \t")).size(), 3u);
    EXPECT_EQ(
        line_starting(text, "(System) \t").substr(line_starting(text, "(System) \t").find("\t\t")),
        "\t\t   80.00\tAvg block size");
    EXPECT_EQ(
        line_starting(text, "User     \t").substr(line_starting(text, "User     \t").find("\t\t")),
        "\t\t420.00000\tAvg overhead per block");
}

TEST_F(MemReport, LongTagsWidenTheirRowAndUnwritablePathsWriteNothing) {
    ReportLong* block = MEM_NEW(LONGSUBSYSTEMTAG, ReportLong)();
    fs::path report = m_dir / "subsystems.txt";
    MEM_MANAGER::write_subsystem_memory_usage(report.c_str());
    EXPECT_EQ(figures(line_starting(read_file(report), "LONGSUBSYSTEMTAG\t"), 1)[3], 8);

    std::string const unwritable = (m_dir / "missing" / "report.txt").string();
    MEM_TRACKER_COUNTER before = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    for (auto write :
         {&MEM_MANAGER::write_detailed_memory_usage, &MEM_MANAGER::write_typeinfo_memory_usage,
          &MEM_MANAGER::write_subsystem_memory_usage}) {
        write(unwritable.c_str());
    }
    MEM_TRACKER_COUNTER after = mem_test_snapshot(mem_tessaly_memory_counter_struct);
    EXPECT_EQ(after.cumulative_blocks, before.cumulative_blocks);
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
    delete block;
}

TEST_F(MemReport, ExitWritesTheRegisteredReportsUnderTmpWithThePrefix) {
    struct CASE {
        bool usage_files;
        bool expect_files;
    } cases[] = {{true, true}, {false, false}};
    for (auto const& c : cases) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        CHILD_RESULT child = run_in_child([&] {
            setenv("TMP", m_dir.c_str(), 1);
            setenv("TESSALY_MEM_TRACKER_LOGFILE_PREFIX", "run1_", 1);
            MEM_TRACKER::s_print_mem_usage_files = c.usage_files;
            MEM_MANAGER::write_detailed_memory_usage_on_exit("detailed.txt");
            MEM_MANAGER::write_typeinfo_memory_usage_on_exit("types.txt");
            MEM_MANAGER::write_subsystem_memory_usage_on_exit("subsystems.txt");
            MEM_NEW(RPT, ReportAtExit)(); // still allocated at exit
        });
        ASSERT_EQ(child.exit_status, 0);
        EXPECT_EQ(fs::exists(m_dir / "run1_detailed.txt"), c.expect_files);
        EXPECT_EQ(fs::exists(m_dir / "run1_types.txt"), c.expect_files);
        EXPECT_EQ(fs::exists(m_dir / "run1_subsystems.txt"), c.expect_files);
        if (c.expect_files) {
            std::string row = line_ending(read_file(m_dir / "run1_detailed.txt"), "\tReportAtExit");
            EXPECT_EQ(figures(row, 2), (std::vector<long long>{1, 1, 1, 40, 40, 40})) << row;
        }
    }
}

} // namespace
