// Reading a large revision settings file: the settings-file reader against two
// anchors measured in the same run, tclsh 8.6 sourcing the same file with the
// set commands defined as procedures that keep their arguments in a list, and
// one read() of the file plus a memchr line split in this process. Prints the
// times (best of five runs), the reader's peak resident memory, and the figures
// reader-vs-tclsh (how many times faster), reader-vs-line-split (how many times
// slower) and reader-peak-vs-file (peak memory over the file's size).
#include "acf_manager_reader.h"
#include "bench/bench_args.h"
#include "bench/bench_process.h"
#include "suite/threads/thr.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ASSIGNMENT_LINES = 200000;
constexpr int RUNS = 5;

// Assignment lines of every command, quoted and escaped values, a comment line
// every tenth line and one `source` line.
void write_settings_file(std::string const& directory) {
    std::ofstream out(directory + "/big.tsf");
    out << "# Generated settings file\n\nsource extra.tsf\n";
    for (int i = 0; i < ASSIGNMENT_LINES; ++i) {
        if (i % 10 == 0) {
            out << "# Block " << i << "\n";
        }
        switch (i % 4) {
        case 0:
            out << "set_global_assignment -name VHDL_FILE \"src/unit " << i
                << ".vhd\" -comment \"say \\\"hi\\\"\"\n";
            break;
        case 1:
            out << "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to \"data\\[" << i
                << "\\]\" -entity core\n";
            break;
        case 2:
            out << "set_location_assignment PIN_A" << i << " -to led" << i << "\n";
            break;
        default:
            out << "set_parameter -name DEPTH " << i << " -to u" << i << "\n";
            break;
        }
    }
    std::ofstream(directory + "/extra.tsf") << "set_global_assignment -name VHDL_FILE extra.vhd\n";
    std::ofstream(directory + "/run.tcl")
        << "set ::assignments {}\n"
           "foreach command {set_global_assignment set_instance_assignment "
           "set_location_assignment set_parameter} {\n"
           "    proc $command args { lappend ::assignments $args }\n"
           "}\n"
           "set start [clock microseconds]\n"
           "source big.tsf\n"
           "puts [expr {[clock microseconds] - $start}]\n";
}

// Resident-set figures of this process from /proc/self/status, in kB.
long status_kb(char const* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, std::string(key).size(), key) == 0) {
            return std::atol(line.c_str() + std::string(key).size());
        }
    }
    return -1;
}

// Resets the process's peak resident size to its current size.
void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double read_with_reader(std::string const& file, size_t* records, long* peak_kb) {
    long before = status_kb("VmRSS:");
    reset_peak();
    double seconds = 0;
    {
        // Timed like tclsh's `source`: the reading, not the freeing afterwards.
        ACF_MANAGER_READER reader;
        auto start = std::chrono::steady_clock::now();
        reader.read_file(file.c_str(), false, nullptr, false, false);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        *records = reader.get_assignment_lines().size();
    }
    *peak_kb = status_kb("VmHWM:") - before;
    return seconds;
}

// The anchor for the reader's own work: one read() of the whole file into a
// buffer and a memchr split into lines. Returns the seconds; *lines gets the
// count, so that the split is not optimised away.
double read_and_split(std::string const& file, size_t* lines, size_t* size) {
    auto start = std::chrono::steady_clock::now();
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        return -1;
    }
    std::vector<char> buffer(static_cast<size_t>(st.st_size));
    ssize_t got = read(fd, buffer.data(), buffer.size());
    close(fd);
    if (got != st.st_size) {
        return -1;
    }
    char const* at = buffer.data();
    char const* end = at + buffer.size();
    size_t count = 1;
    while (char const* line_end = static_cast<char const*>(std::memchr(at, '\n', end - at))) {
        ++count;
        at = line_end + 1;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *lines = count;
    *size = buffer.size();
    return seconds;
}

// The seconds tclsh takes to source the file; negative when it could not run.
double read_with_tclsh(std::string const& directory) {
    std::string command = thr_process_quote_argument(TCLSH_PATH) + " " +
                          thr_process_quote_argument(directory + "/run.tcl");
    std::string text;
    return bench_run_command(command, directory.c_str(), &text) == 0
               ? std::atof(text.c_str()) / 1e6
               : -1;
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(
        argc, argv,
        "usage: bench_acf_manager_reader\n"
        "Times the settings-file reader on a generated 200,000-line settings file\n"
        "against tclsh 8.6 sourcing it and against a bare line split, and prints\n"
        "\"ratio reader-vs-tclsh\", \"reader-vs-line-split\" and \"reader-peak-vs-file\".\n");
    args.done();
    char pattern[] = "/tmp/bench_acf_reader_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string directory = pattern;
    write_settings_file(directory);

    double reader_best = 1e9;
    double tclsh_best = 1e9;
    double split_best = 1e9;
    size_t records = 0;
    size_t lines = 0;
    size_t file_size = 0;
    long peak_kb = 0;
    for (int run = 0; run < RUNS; ++run) {
        double split_seconds = read_and_split(directory + "/big.tsf", &lines, &file_size);
        long run_peak = 0;
        double seconds = read_with_reader(directory + "/big.tsf", &records, &run_peak);
        double tcl_seconds = read_with_tclsh(directory);
        if (tcl_seconds < 0 || split_seconds < 0) {
            std::fprintf(stderr,
                         TCLSH_PATH " could not source the file, or it could not be read\n");
            std::system(("rm -rf '" + directory + "'").c_str());
            return 1;
        }
        reader_best = std::min(reader_best, seconds);
        split_best = std::min(split_best, split_seconds);
        tclsh_best = std::min(tclsh_best, tcl_seconds);
        peak_kb = std::max(peak_kb, run_peak);
    }
    std::system(("rm -rf '" + directory + "'").c_str());

    std::printf("settings file: %d assignment lines, %zu lines, %.1f MB, %zu records read\n",
                ASSIGNMENT_LINES, lines, file_size / 1048576.0, records);
    std::printf("reader:            %8.2f ms\n", reader_best * 1e3);
    std::printf("tclsh 8.6:         %8.2f ms\n", tclsh_best * 1e3);
    std::printf("read() + memchr:   %8.2f ms\n", split_best * 1e3);
    std::printf("reader peak:       %8.1f MB resident\n", peak_kb / 1024.0);
    std::printf("ratio reader-vs-tclsh: %.2f\n", tclsh_best / reader_best);
    std::printf("ratio reader-vs-line-split: %.2f\n", reader_best / split_best);
    std::printf("ratio reader-peak-vs-file: %.2f\n", peak_kb * 1024.0 / file_size);
    return 0;
}
