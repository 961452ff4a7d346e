#include "mem/mem_info.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_segment.h"
#include "mem/mem_track.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

uint64_t physical_memory() {
    return static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
}

TEST(MemInfo, FiguresOfThisMachineAreSane) {
    uint64_t resident = mem_info_get_process_current_working_set_size();
    uint64_t program = mem_info_get_process_current_page_file_used();
    uint64_t virtual_size = mem_info_get_process_current_virtual_used();
    EXPECT_GT(resident, 64u * 1024);
    EXPECT_LT(resident, physical_memory());
    EXPECT_GE(program, resident);
    // The two files give the same virtual size, in pages and in bytes.
    EXPECT_NEAR(static_cast<double>(virtual_size), static_cast<double>(program),
                64.0 * 1024 * 1024);
    EXPECT_GT(mem_info_get_process_page_fault_count(), 0u);

    uint64_t in_use = mem_info_get_system_current_physical_in_use();
    EXPECT_GT(in_use, resident / 2);
    EXPECT_LE(in_use, physical_memory());
    // No swap at all is a valid answer; more swap in use than memory is not.
    EXPECT_LT(mem_info_get_system_current_page_file_in_use(), 64 * physical_memory());
}

TEST(MemInfo, TouchingMemoryRaisesTheWorkingSetAndItsPeak) {
    uint64_t before = mem_info_get_process_current_working_set_size();
    constexpr size_t size = 64 * 1024 * 1024;
    std::vector<char> block(size);
    std::memset(block.data(), 1, size);
    uint64_t after = mem_info_get_process_current_working_set_size();
    EXPECT_GE(after, before + size / 2);
    EXPECT_GE(mem_info_get_process_peak_working_set_size(), after);
    EXPECT_GE(mem_info_get_process_peak_virtual_used(),
              mem_info_get_process_current_virtual_used());
}

// A made-up process-information directory with known figures.
class FakeProc : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/mem_info_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        mkdir((m_dir + "/self").c_str(), 0755);
        mem_info_set_proc_directory(m_dir.c_str());
    }
    void TearDown() override {
        mem_info_set_proc_directory(nullptr);
        std::system(("rm -rf " + m_dir).c_str());
    }
    void write(char const* name, std::string const& text) {
        std::ofstream(m_dir + "/" + name) << text;
    }
    // "self/stat" with the given faults and virtual size, for a program whose
    // name holds blanks and a parenthesis.
    void write_stat(uint64_t minor, uint64_t major, uint64_t virtual_size) {
        write("self/stat", "4242 (my prog) x) S 1 4242 4242 0 -1 4194560 " + std::to_string(minor) +
                               " 7 " + std::to_string(major) + " 9 10 11 12 13 20 0 1 0 555 " +
                               std::to_string(virtual_size) + " 300 18446744073709551615 1 2 3\n");
    }
    void write_meminfo(uint64_t total_kb, uint64_t available_kb, uint64_t swap_total_kb,
                       uint64_t swap_free_kb) {
        write("meminfo",
              "MemTotal:       " + std::to_string(total_kb) +
                  " kB\nMemFree:        1 kB\nMemAvailable:   " + std::to_string(available_kb) +
                  " kB\nBuffers:        5 kB\nSwapCached:     0 kB\nSwapTotal:      " +
                  std::to_string(swap_total_kb) +
                  " kB\nSwapFree:       " + std::to_string(swap_free_kb) + " kB\n");
    }
    std::string m_dir;
};

TEST_F(FakeProc, ReadsEachFigureFromItsFieldIn64Bits) {
    uint64_t const page = static_cast<uint64_t>(getpagesize());
    // 3,000,000 resident pages are well above 4 GiB.
    write("self/statm", "5000000 3000000 1000 10 0 2000 0\n");
    write_stat(123456, 78, 9000000000ULL);
    write_meminfo(24000000, 6000000, 8000000, 2000000);

    EXPECT_EQ(mem_info_get_process_current_working_set_size(), 3000000 * page);
    EXPECT_EQ(mem_info_get_process_current_page_file_used(), 5000000 * page);
    EXPECT_EQ(mem_info_get_process_page_fault_count(), 123456u + 78u);
    EXPECT_EQ(mem_info_get_process_current_virtual_used(), 9000000000ULL);
    EXPECT_EQ(mem_info_get_system_current_physical_in_use(), 18000000ULL * 1024);
    EXPECT_EQ(mem_info_get_system_current_page_file_in_use(), 6000000ULL * 1024);
}

TEST_F(FakeProc, PeaksOnlyRiseAndSurviveUnreadableFiles) {
    uint64_t const page = static_cast<uint64_t>(getpagesize());
    // Far above anything this process reaches (the sanitizers reserve tens of
    // terabytes of address space), so the peaks are ours.
    write("self/statm", "90000000000 80000000000 0 0 0 0 0\n");
    write_stat(1, 1, 700000000000000ULL);
    write_meminfo(900000000000ULL, 100, 900000000000ULL, 100);
    EXPECT_EQ(mem_info_get_process_peak_working_set_size(), 80000000000 * page);
    EXPECT_EQ(mem_info_get_process_peak_page_file_used(), 90000000000 * page);
    EXPECT_EQ(mem_info_get_process_peak_virtual_used(), 700000000000000ULL);
    EXPECT_EQ(mem_info_get_system_peak_physical_in_use(), (900000000000ULL - 100) * 1024);
    EXPECT_EQ(mem_info_get_system_peak_page_file_in_use(), (900000000000ULL - 100) * 1024);

    // Smaller figures are read as they are and leave the peaks alone.
    write("self/statm", "20 10 0 0 0 0 0\n");
    write_stat(1, 1, 4096);
    write_meminfo(1000, 500, 0, 0);
    EXPECT_EQ(mem_info_get_process_current_working_set_size(), 10 * page);
    EXPECT_EQ(mem_info_get_process_peak_working_set_size(), 80000000000 * page);
    EXPECT_EQ(mem_info_get_process_current_virtual_used(), 4096u);
    EXPECT_EQ(mem_info_get_process_peak_virtual_used(), 700000000000000ULL);
    EXPECT_EQ(mem_info_get_system_current_physical_in_use(), 500u * 1024);
    EXPECT_EQ(mem_info_get_system_peak_physical_in_use(), (900000000000ULL - 100) * 1024);

    // Without the files every current figure is 0 and the peaks stay.
    mem_info_set_proc_directory("/nonexistent/proc");
    EXPECT_EQ(mem_info_get_process_current_working_set_size(), 0u);
    EXPECT_EQ(mem_info_get_process_current_page_file_used(), 0u);
    EXPECT_EQ(mem_info_get_process_page_fault_count(), 0u);
    EXPECT_EQ(mem_info_get_process_current_virtual_used(), 0u);
    EXPECT_EQ(mem_info_get_system_current_physical_in_use(), 0u);
    EXPECT_EQ(mem_info_get_system_current_page_file_in_use(), 0u);
    EXPECT_EQ(mem_info_get_process_peak_working_set_size(), 80000000000 * page);
    EXPECT_EQ(mem_info_get_system_peak_page_file_in_use(), (900000000000ULL - 100) * 1024);
}

// The own heap records the process's peaks when it maps more than it ever held
// (it no longer samples at every mapping and release).
TEST_F(FakeProc, HeapGrowingBeyondItsPeakRecordsTheProcessPeaks) {
    uint64_t const page = static_cast<uint64_t>(getpagesize());
    // Above the figures of every other test here, which may run before.
    write("self/statm", "95000000000 1 0 0 0 0 0\n");
    write_stat(1, 1, 800000000000000ULL);
    write_meminfo(950000000000ULL, 100, 0, 0);
    size_t beyond_peak;
    {
        MEM_LOCK lock;
        beyond_peak = mem_system_memory_counter_struct.peak_bytes -
                      mem_system_memory_counter_struct.current_bytes + 1024 * 1024;
    }
    void* block = MEM_MANAGER_INTERNAL::get_default_segment()->allocate(beyond_peak, nullptr);
    EXPECT_EQ(mem_info_process_peak_virtual_used.load(), 800000000000000ULL);
    EXPECT_EQ(mem_info_process_peak_page_file_used.load(), 95000000000 * page);
    EXPECT_EQ(mem_info_system_peak_physical_in_use.load(), (950000000000ULL - 100) * 1024);
    EXPECT_TRUE(mem_own_heap_release(block));
}

TEST_F(FakeProc, MissingFieldsReadAsZero) {
    write("self/statm", "77\n");
    write("self/stat", "12 (truncated\n");
    write("meminfo", "MemTotal: 100 kB\n");
    EXPECT_EQ(mem_info_get_process_current_working_set_size(), 0u);
    EXPECT_EQ(mem_info_get_process_page_fault_count(), 0u);
    EXPECT_EQ(mem_info_get_process_current_virtual_used(), 0u);
    // Without an "available" figure everything counts as in use.
    EXPECT_EQ(mem_info_get_system_current_physical_in_use(), 100u * 1024);
}

} // namespace
