// Growth of the settings database's big operations with their size, a program
// printing figures:
// - open-mixed: opening a revision whose settings file mixes design files
//   (many values under one key), parameters (all under the freeform keys),
//   instance assignments and comments; 1,000 to 1,000,000 lines;
// - script-design-files and script-parameters: N sets through the revision
//   manager in an open revision, then the export (commit) of the file; 1,000
//   to 100,000;
// - open-tip: opening a revision that sources N IP (.tip) files, 10 to 10,000;
// - open-revisions: opening a project whose project file lists N revisions
//   (the first one with its settings file), 1,000 to 100,000;
// - lock-tracked-files: one read lock of an unchanged revision that read N
//   files (the settings file and N - 1 IP files), 10 to 10,000; at 10,000 it
//   prints `ratio lock-10k-tracked-files` in milliseconds and, against a
//   status check of every one of the files in the same run,
//   `ratio lock-10k-tracked-files-vs-stat`;
// - reread-tip: the read lock that reads a revision of N IP files again after
//   its settings file changed on disk, each IP file bringing a design file,
//   10 to 10,000;
// - list-ip-cores: listing the IP components that need an upgrade (what the
//   command list_ip_cores does after its checks) in a revision of N
//   components, each an IP file with its variation file, 10 to 10,000;
// - unchanged-commit: a commit of an unchanged revision of 100,000 instance
//   assignments (it must write nothing);
// - open-peak-bytes-per-line: the peak memory that opening 100,000 mixed lines
//   adds, per assignment line, after a first small open has paid what a
//   process pays once (also printed with that cost in);
// - revisions-visited-600-vs-20: the peak memory of a process that opens each
//   of 600 revisions of one-line settings files in turn (open, then close, as
//   a script visiting them does), over that of one visiting 20.
// Each operation prints its time per size and `exponent <operation>: <slope>`,
// the least-squares slope of log time against log size (1 is linear), and
// opening 1,000,000 mixed lines prints `ratio open-mixed-1m` in seconds. A size
// whose run takes longer than the time budget ends that operation's series, so
// that a quadratic operation still reports its slope in reasonable time.
// Run as: bench_acf_growth [largest-mixed-lines] [budget-seconds] [only]
// (only: the figures whose names contain this text; default all).
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "bench/bench_args.h"
#include "bench/bench_growth.h"
#include "formats/acf_project_file.h"
#include "ipman/ipman_tcl_impl.h"
#include "suite/fileio/fio.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

ACF_MANAGER* manager() {
    return ACF_MANAGER::get_acf_manager();
}

// Writes project "growth" with one revision whose settings file holds `text`.
void write_project(std::string const& dir, std::string const& text) {
    std::ofstream(dir + "growth.tsf") << text;
    ACF_REVISION_NAME_LIST names = {"growth"};
    acf_write_tpf_file((dir + "growth.tpf").c_str(), &names);
}

bool open_project(std::string const& dir) {
    return manager()->open_project(dir.c_str(), "growth", "", false, false, false, false, false) ==
           0;
}

void close_project() {
    manager()->close_project(false);
    manager()->free_cached_storage();
}

// Ten kinds of line, cycled: three design files (two under the VHDL_FILE key),
// a global and an instance parameter, three instance assignments, a comment
// and a global setting.
std::string mixed_lines(int lines) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 64);
    text += "set_global_assignment -name SMART_RECOMPILE On\n";
    for (int i = 1; i < lines; ++i) {
        std::string const n = std::to_string(i);
        switch (i % 10) {
        case 0:
            text += "set_global_assignment -name VHDL_FILE src/unit_" + n + ".vhd\n";
            break;
        case 1:
            text += "set_global_assignment -name VERILOG_FILE src/mod_" + n + ".v\n";
            break;
        case 2:
            text += "set_global_assignment -name VHDL_FILE src/pkg_" + n + ".vhd\n";
            break;
        case 3:
            text += "set_parameter -name P_" + n + " " + n + "\n";
            break;
        case 4:
            text += "set_parameter -name WIDTH " + n + " -to inst_" + n + "\n";
            break;
        case 5:
            text += "set_instance_assignment -name MULTICYCLE 2 -to reg_" + n + "\n";
            break;
        case 6:
            text += "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_" + n + "\n";
            break;
        case 7:
            text += "set_location_assignment PIN_" + n + " -to pin_" + n + "\n";
            break;
        case 8:
            text += "# comment " + n + "\n";
            break;
        default:
            text += "set_instance_assignment -name MULTICYCLE 3 -to reg_" + n + "\n";
            break;
        }
    }
    return text;
}

double open_mixed(BENCH_TEMP_DIR const& dir, int lines) {
    write_project(dir.path(), mixed_lines(lines));
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool opened = open_project(dir.path());
    double seconds = bench_seconds_since(start);
    close_project();
    return opened ? seconds : -1;
}

// N sets of distinct values under one key (design files) or of distinct
// parameters, then the export of the revision.
double script_sets(BENCH_TEMP_DIR const& dir, int sets, bool parameters) {
    write_project(dir.path(), "set_global_assignment -name SMART_RECOMPILE On\n");
    if (!open_project(dir.path())) {
        return -1;
    }
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool done = manager()->write_lock(false);
    ACF_MGR_INPUT_PARAMETERS params;
    for (int i = 0; done && i < sets; ++i) {
        params.reset();
        std::string const n = std::to_string(i);
        if (parameters) {
            params.set_variable_string(("P_" + n).c_str());
            params.set_value_string(n.c_str());
            done = manager()->set_freeform_assignment(&params) != nullptr;
        } else {
            params.set_variable_string("VHDL_FILE");
            params.set_value_string(("src/unit_" + n + ".vhd").c_str());
            done = manager()->set_global_assignment(&params) != nullptr;
        }
    }
    done = done && manager()->commit_files_to_disk(false, true);
    manager()->write_unlock(false);
    double seconds = bench_seconds_since(start);
    close_project();
    return done ? seconds : -1;
}

// Writes a project whose settings file sources `files` IP files, each
// written by `tip(number, path_without_extension)`; returns the IP files.
std::vector<std::string>
write_tip_project(BENCH_TEMP_DIR const& dir, int files,
                  std::function<std::string(int, std::string const&)> tip) {
    std::vector<std::string> paths;
    std::string tsf = "set_global_assignment -name SMART_RECOMPILE On\n";
    for (int f = 0; f < files; ++f) {
        std::string const stem = dir.path() + "ip_" + std::to_string(f);
        std::ofstream(stem + ".tip") << tip(f, stem);
        tsf += "set_global_assignment -name TIP_FILE " + stem + ".tip\n";
        paths.push_back(stem + ".tip");
    }
    write_project(dir.path(), tsf);
    return paths;
}

std::string plain_tip(int f, std::string const&) {
    std::string const n = std::to_string(f);
    return "set_instance_assignment -name MULTICYCLE 3 -to ip_" + n + "_a\n" +
           "set_instance_assignment -name MULTICYCLE 2 -to ip_" + n + "_b\n";
}

double open_tip(BENCH_TEMP_DIR const& dir, int files) {
    write_tip_project(dir, files, plain_tip);
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool opened = open_project(dir.path());
    double seconds = bench_seconds_since(start);
    close_project();
    return opened ? seconds : -1;
}

// Opening a project whose project file lists `revisions` revisions, the first
// of them ("growth") with a small settings file.
double open_revisions(BENCH_TEMP_DIR const& dir, int revisions) {
    std::ofstream(dir.path() + "growth.tsf") << "set_global_assignment -name SMART_RECOMPILE On\n";
    ACF_REVISION_NAME_LIST names = {"growth"};
    for (int i = 1; i < revisions; ++i) {
        names.push_back("rev_" + std::to_string(i));
    }
    acf_write_tpf_file((dir.path() + "growth.tpf").c_str(), &names);
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool opened = open_project(dir.path());
    double seconds = bench_seconds_since(start);
    close_project();
    return opened ? seconds : -1;
}

// The median of `runs` timings of `step`, in seconds.
double median_of(int runs, std::function<void()> const& step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
        step();
        times.push_back(bench_seconds_since(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The read lock after the settings file of a revision of `files` IP files,
// each bringing a design file, changed on disk: it reads the revision again.
double reread_tip(BENCH_TEMP_DIR const& dir, int files) {
    write_tip_project(dir, files, [](int, std::string const& stem) {
        return "set_global_assignment -name VERILOG_FILE " + stem + ".v\n";
    });
    if (!open_project(dir.path())) {
        return -1;
    }
    std::ofstream(dir.path() + "growth.tsf", std::ios::app) << "# changed outside\n";
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool locked = manager()->read_lock();
    manager()->read_unlock();
    double seconds = bench_seconds_since(start);
    close_project();
    return locked ? seconds : -1;
}

// One read lock and unlock of the unchanged revision that read `files` files;
// `stat_seconds` (unless null) receives a status check of every one of them.
double lock_tracked_files(BENCH_TEMP_DIR const& dir, int files, double* stat_seconds) {
    std::vector<std::string> paths = write_tip_project(dir, files - 1, plain_tip);
    paths.push_back(dir.path() + "growth.tsf");
    if (!open_project(dir.path())) {
        return -1;
    }
    bool locked = true;
    double seconds = median_of(201, [&] {
        locked = manager()->read_lock() && locked;
        manager()->read_unlock();
    });
    if (stat_seconds != nullptr) {
        *stat_seconds = median_of(21, [&] {
            for (std::string const& path : paths) {
                FIO_FILE_STATUS status;
                FIO_FILE_SYSTEM::get_status(FIO_PATH(path), &status);
            }
        });
    }
    close_project();
    return locked ? seconds : -1;
}

// Listing the components that need an upgrade, in a revision of `components`
// IP files, each naming its wizard-made variation file.
double list_ip_cores(BENCH_TEMP_DIR const& dir, int components) {
    write_tip_project(dir, components, [](int, std::string const& stem) {
        std::ofstream(stem + ".v") << "// -- VestaWizard variation file\n"
                                   << "// -- Retrieval info: <instance entity-name=\"fifo\" "
                                      "version=\"12.1\" >\n";
        return "set_global_assignment -name IP_TOOL_NAME \"fifo\"\n"
               "set_global_assignment -name IP_TOOL_VERSION \"12.1\"\n"
               "set_global_assignment -name IP_TOOL_ENV \"vestawiz\"\n"
               "set_global_assignment -name VERILOG_FILE " +
               stem + ".v\n";
    });
    if (!open_project(dir.path())) {
        return -1;
    }
    size_t listed = 0;
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    load_ip_cores_list(all, required);
    listed = process_required_regen_ip(required).size();
    double seconds = bench_seconds_since(start);
    close_project();
    if (listed != static_cast<size_t>(components)) {
        std::printf("list-ip-cores: %zu of %d components listed\n", listed, components);
        return -1;
    }
    return seconds;
}

long modification_ns(std::string const& file) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
        return -1;
    }
    return st.st_mtim.tv_sec * 1000000000L + st.st_mtim.tv_nsec;
}

bool commit() {
    bool done = manager()->write_lock(false) && manager()->commit_files_to_disk(false, true);
    manager()->write_unlock(false);
    return done;
}

// The median time of a commit of the unchanged revision, in seconds; negative
// when a commit failed or wrote the file.
double unchanged_commit(BENCH_TEMP_DIR const& dir, int lines) {
    std::string text = "set_global_assignment -name SMART_RECOMPILE On\n";
    for (int i = 1; i < lines; ++i) {
        text += "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_" + std::to_string(i) +
                "\n";
    }
    write_project(dir.path(), text);
    // The first commit writes what opening changed (the version line).
    if (!open_project(dir.path()) || !commit()) {
        std::printf("unchanged-commit: the project did not open or commit\n");
        return -1;
    }
    std::string const tsf = dir.path() + "growth.tsf";
    long const before = modification_ns(tsf);
    std::vector<double> times;
    bool done = true;
    for (int i = 0; done && i < 200; ++i) {
        done = manager()->write_lock(false);
        BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
        done = done && manager()->commit_files_to_disk(false, true);
        times.push_back(bench_seconds_since(start));
        manager()->write_unlock(false);
    }
    if (!done) {
        std::printf("unchanged-commit: a commit failed\n");
    } else if (modification_ns(tsf) != before) {
        std::printf("unchanged-commit: the unchanged revision was written\n");
        done = false;
    }
    close_project();
    std::sort(times.begin(), times.end());
    return done ? times[times.size() / 2] : -1;
}

// The peak resident memory that opening `lines` mixed lines adds, per
// assignment line, measured in a child process; negative on failure. A
// process's first open costs the same whatever the size (library code paged
// in, the Tcl interpreter, the tables built once): `per_line` leaves it out by
// opening a 10-line project first, `with_first_open` keeps it in.
struct PEAK_PER_LINE {
    double per_line = -1;
    double with_first_open = -1;
};

double max_rss_bytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// What `work` gives in a child process, so that its memory is its own;
// `failed` when the child could not run or report.
template <class T> T in_child(std::function<T()> const& work, T failed) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) {
        return failed;
    }
    pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        T const result = work();
        ssize_t written = write(pipe_ends[1], &result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(pipe_ends[1]);
    T result = failed;
    if (child < 0 || read(pipe_ends[0], &result, sizeof result) != sizeof result) {
        result = failed;
    }
    close(pipe_ends[0]);
    int status = 0;
    if (child > 0) {
        waitpid(child, &status, 0);
    }
    return result;
}

PEAK_PER_LINE open_peak_bytes_per_line(BENCH_TEMP_DIR const& dir, int lines) {
    std::string const first = dir.path() + "first/";
    std::filesystem::create_directories(first);
    write_project(first, mixed_lines(10));
    write_project(dir.path(), mixed_lines(lines));
    PEAK_PER_LINE peak = in_child<PEAK_PER_LINE>(
        [&] {
            double const at_start = max_rss_bytes();
            PEAK_PER_LINE bytes;
            if (open_project(first)) {
                close_project();
                double const after_first = max_rss_bytes();
                if (open_project(dir.path())) {
                    double const after = max_rss_bytes();
                    bytes.per_line = after - after_first;
                    bytes.with_first_open = after - at_start;
                }
            }
            return bytes;
        },
        PEAK_PER_LINE());
    double const assignment_lines = lines - lines / 10; // one line in ten is a comment
    if (peak.per_line >= 0 && peak.with_first_open >= 0) {
        peak.per_line /= assignment_lines;
        peak.with_first_open /= assignment_lines;
    }
    return peak;
}

// The peak resident memory, in bytes, of a process that opens each of
// `revisions` revisions (one-line settings files) of one project in turn and
// closes it; negative on failure.
double visited_revisions_peak(BENCH_TEMP_DIR const& dir, int revisions) {
    std::string const folder = dir.path() + "visited_" + std::to_string(revisions) + "/";
    std::filesystem::create_directories(folder);
    ACF_REVISION_NAME_LIST names;
    for (int i = 0; i < revisions; ++i) {
        names.push_back("r_" + std::to_string(i));
        std::ofstream(folder + names.back() + ".tsf")
            << "set_global_assignment -name SMART_RECOMPILE On\n";
    }
    acf_write_tpf_file((folder + "growth.tpf").c_str(), &names);
    return in_child<double>(
        [&] {
            for (std::string const& name : names) {
                if (manager()->open_project(folder.c_str(), "growth", name.c_str(), false, false,
                                            false, false, false) != 0) {
                    return -1.0;
                }
                manager()->close_project(false);
            }
            return max_rss_bytes();
        },
        -1.0);
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_acf_growth [largest-mixed-lines] [budget-seconds] [only]\n"
                    "Times the settings database's big operations over growing sizes and\n"
                    "prints their growth exponents. largest-mixed-lines caps the sizes of\n"
                    "open-mixed (default 1000000); a size that takes longer than\n"
                    "budget-seconds (default 20) ends its series; only runs the figures whose\n"
                    "names contain that text (default all).\n");
    int const largest = static_cast<int>(args.next_count("largest-mixed-lines", 1000000));
    double const budget = args.next_number("budget-seconds", 20.0);
    std::string const only = args.next_text("");
    args.done();
    auto wanted = [&](char const* figure) {
        return only.empty() || std::string(figure).find(only) != std::string::npos;
    };
    BENCH_TEMP_DIR dir("acf_growth");
    if (dir.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    // Measured first, in a child of a process that has opened nothing yet.
    PEAK_PER_LINE peak;
    peak.per_line = 0;
    if (wanted("open-peak-bytes-per-line")) {
        peak = open_peak_bytes_per_line(dir, 100000);
        std::printf("open 100,000 mixed lines: %.0f bytes of peak memory per assignment line "
                    "(%.0f with the one-time cost of the process's first open)\n",
                    peak.per_line, peak.with_first_open);
        std::printf("ratio open-peak-bytes-per-line: %.0f\n", peak.per_line);
    }

    double visited_ratio = 0;
    if (wanted("revisions-visited")) {
        double const few = visited_revisions_peak(dir, 20);
        double const many = visited_revisions_peak(dir, 600);
        visited_ratio = few > 0 && many > 0 ? many / few : -1;
        std::printf("peak memory visiting 20 revisions in turn: %.1f MB; 600: %.1f MB\n", few / 1e6,
                    many / 1e6);
        // Anchor: the peak of visiting 20.
        std::printf("ratio revisions-visited-600-vs-20: %.2f\n", visited_ratio);
    }

    std::vector<int> mixed_sizes;
    for (int size : {1000, 3000, 10000, 30000, 100000, 300000, 1000000}) {
        if (size <= largest) {
            mixed_sizes.push_back(size);
        }
    }
    std::vector<int> const script_sizes = {1000, 3000, 10000, 30000, 100000};
    std::vector<int> const tip_sizes = {10, 100, 1000, 3000, 10000};
    std::vector<int> const revision_sizes = {1000, 3000, 10000, 30000, 100000};
    double lock_10k = -1;
    double stat_10k = -1;
    BENCH_SERIES const series[] = {
        {"open-mixed", mixed_sizes, [&](int n) { return open_mixed(dir, n); }},
        {"script-design-files", script_sizes, [&](int n) { return script_sets(dir, n, false); }},
        {"script-parameters", script_sizes, [&](int n) { return script_sets(dir, n, true); }},
        {"open-tip", tip_sizes, [&](int n) { return open_tip(dir, n); }},
        {"open-revisions", revision_sizes, [&](int n) { return open_revisions(dir, n); }},
        {"lock-tracked-files", tip_sizes,
         [&](int n) {
             double seconds = lock_tracked_files(dir, n, n == 10000 ? &stat_10k : nullptr);
             lock_10k = n == 10000 ? seconds : lock_10k;
             return seconds;
         }},
        {"reread-tip", tip_sizes, [&](int n) { return reread_tip(dir, n); }},
        {"list-ip-cores", tip_sizes, [&](int n) { return list_ip_cores(dir, n); }},
    };
    for (BENCH_SERIES const& s : series) {
        if (!wanted(s.name)) {
            continue;
        }
        std::vector<std::pair<double, double>> points = bench_run_series(s, budget);
        // Anchor: one second.
        if (!points.empty() && points.back().first == 1000000) {
            std::printf("ratio %s-1m: %.3f\n", s.name, points.back().second);
        }
    }

    if (lock_10k > 0 && stat_10k > 0) {
        std::printf(
            "one lock with 10,000 tracked files: %.3g ms; a status check of each: %.3g ms\n",
            lock_10k * 1e3, stat_10k * 1e3);
        // Anchors: one millisecond; the status checks.
        std::printf("ratio lock-10k-tracked-files: %.3g\n", lock_10k * 1e3);
        std::printf("ratio lock-10k-tracked-files-vs-stat: %.3g\n", lock_10k / stat_10k);
    }

    double commit = 0;
    if (wanted("unchanged-commit")) {
        commit = unchanged_commit(dir, 100000);
        std::printf("commit of an unchanged 100,000-line revision: %.4f ms\n", commit * 1e3);
        // Anchor: one millisecond.
        std::printf("ratio unchanged-commit: %.4f\n", commit * 1e3);
    }
    return commit < 0 || peak.per_line < 0 || visited_ratio < 0 ? 1 : 0;
}
