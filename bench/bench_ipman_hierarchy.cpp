// The IP manager's design-hierarchy scan and the hierarchy reader, a program
// printing figures:
// - hierarchy-scan: collect_all_ip_cores over a compiled design of N
//   instances, 1,000 to 200,000, in an open project: the processor time of
//   the scanning thread (which a busy machine disturbs less than the time on
//   the clock), the best of five scans per size; prints
//   `exponent hierarchy-scan: <slope>`, the least-squares slope of log time
//   against log size (1 is linear);
// - hierarchy-peak-vs-file: the peak resident memory that reading the
//   hierarchy file of the largest design adds, over the file's size, measured
//   in a process of its own that does nothing else
//   (`ratio hierarchy-peak-vs-file: <n>`).
// The design grows as a compiler would write it: one block per 20 instances,
// each with its own design unit and file, holding IP components (with parts
// below them), a wrapper of an encrypted IP, a sub-block with an IP leaf, and
// plain leaves; one IP per 100 instances, half of them described by the
// project's settings (sourced IP files), half by the compiled IP settings of
// section 6; file names relative to the project's folder.
// Run as: bench_ipman_hierarchy [largest-instances]
//         bench_ipman_hierarchy --peak <hierarchy file>   (the child's part)
#include "bench/bench_args.h"
#include "bench/bench_growth.h"
#include "bench/bench_process.h"

#include "acf_manager.h"
#include "formats/acf_project_file.h"
#include "ipman/ipman_ip_info_manager.h"
#include "suite/hierdb/hdb.h"
#include "suite/threads/thr.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int INSTANCES_PER_BLOCK = 20;
constexpr int INSTANCES_PER_IP = 100;
constexpr int ENCRYPTED_CORES = 4;

// The processor time of the calling thread, in seconds.
double thread_seconds() {
    struct timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string ip_name(int k) {
    return "ip" + std::to_string(k);
}

void write_variation_file(std::string const& path, std::string const& name) {
    std::ofstream(path) << "// -- VestaWizard variation file\n"
                        << "// -- Retrieval info: <instance entity-name=\"" << name
                        << "\" version=\"12.1\" >\n"
                        << "module m ();\nendmodule\n";
}

// The files of project "soc" in `dir` for a design of `instances` instances:
// the IP files, variation files, encrypted cores, block files, the settings
// and project files, and db/soc.hier. Returns the hierarchy file's path.
std::string write_design(std::string const& dir, int instances) {
    int const blocks = std::max(1, instances / INSTANCES_PER_BLOCK);
    int const ips = std::max(10, instances / INSTANCES_PER_IP);
    std::filesystem::create_directories(dir + "db");
    std::filesystem::create_directories(dir + "hdl");
    std::filesystem::create_directories(dir + "ip/enc");

    std::string tsf = "set_global_assignment -name TOP_LEVEL_ENTITY soc\n";
    for (int k = 0; k < ips; ++k) {
        std::string const name = ip_name(k);
        std::string const folder = dir + "ip/" + name + "/";
        std::filesystem::create_directories(folder);
        write_variation_file(folder + name + ".v", "core" + std::to_string(k % 7));
        write_variation_file(folder + name + "_p.v", "part" + std::to_string(k % 5));
        // Even IPs are described by the project's settings.
        if (k % 2 == 0) {
            std::ofstream(folder + name + ".tip")
                << "set_global_assignment -name IP_TOOL_NAME core" << k % 7 << " -entity " << name
                << "\nset_global_assignment -name IP_TOOL_VERSION 12.1 -entity " << name
                << "\nset_global_assignment -name IP_TOOL_ENV vestawiz -entity " << name
                << "\nset_global_assignment -name VERILOG_FILE [file join $::tessaly(tip_path) "
                << name << ".v]\n";
            tsf += "set_global_assignment -name TIP_FILE ip/" + name + "/" + name + ".tip\n";
        }
    }
    for (int e = 0; e < ENCRYPTED_CORES; ++e) {
        std::ofstream(dir + "ip/enc/core" + std::to_string(e) + ".tve")
            << "ZOVK-ENCRYPTED-IP 1\n0x0002\n\"crc" << e << "\"\n2.5\nbody\n";
    }
    for (int b = 0; b < blocks; ++b) {
        std::ofstream(dir + "hdl/blk" + std::to_string(b) + ".v") << "module blk ();\nendmodule\n";
    }
    std::ofstream(dir + "soc.tsf") << tsf;
    ACF_REVISION_NAME_LIST names = {"soc"};
    acf_write_tpf_file((dir + "soc.tpf").c_str(), &names);

    std::string const hier = dir + "db/soc.hier";
    std::ofstream out(hier);
    out << "{\n  \"version\": 1,\n  \"last_compilation_successful\": true,\n"
        << "  \"libraries\": [\"work\", \"ip\"],\n  \"files\": [\n"
        << "    {\"path\": \"hdl/soc.v\"}";
    // Files: 0 the top, then per IP its file and its part's, then per
    // encrypted core its wrapper and itself, then the blocks.
    for (int k = 0; k < ips; ++k) {
        std::string const stem = "ip/" + ip_name(k) + "/" + ip_name(k);
        out << ",\n    {\"path\": \"" << stem << ".v\", \"tip\": \"" << stem << ".tip\"}"
            << ",\n    {\"path\": \"" << stem << "_p.v\"}";
    }
    for (int e = 0; e < ENCRYPTED_CORES; ++e) {
        out << ",\n    {\"path\": \"ip/enc/wrap" << e << ".v\", \"flags\": [16]}"
            << ",\n    {\"path\": \"ip/enc/core" << e << ".tve\", \"flags\": [8, 13]}";
    }
    int const first_block_file = 1 + 2 * ips + 2 * ENCRYPTED_CORES;
    for (int b = 0; b < blocks; ++b) {
        out << ",\n    {\"path\": \"hdl/blk" << b << ".v\"}";
    }
    out << "\n  ],\n  \"design_units\": [\n    {\"name\": \"soc\", \"library\": \"work\", "
           "\"file\": 0}";
    for (int k = 0; k < ips; ++k) {
        out << ",\n    {\"name\": \"" << ip_name(k)
            << "\", \"library\": \"ip\", \"file\": " << 1 + 2 * k << "},\n    {\"name\": \""
            << ip_name(k) << "_p\", \"library\": \"ip\", \"file\": " << 2 + 2 * k << "}";
    }
    for (int e = 0; e < ENCRYPTED_CORES; ++e) {
        out << ",\n    {\"name\": \"wrap" << e
            << "\", \"library\": \"ip\", \"file\": " << 1 + 2 * ips + 2 * e
            << "},\n    {\"name\": \"core" << e
            << "\", \"library\": \"ip\", \"file\": " << 2 + 2 * ips + 2 * e << "}";
    }
    for (int b = 0; b < blocks; ++b) {
        out << ",\n    {\"name\": \"blk" << b
            << "\", \"library\": \"work\", \"file\": " << first_block_file + b
            << "},\n    {\"name\": \"sub" << b << "\", \"library\": \"work\"}";
    }
    // Section 6: the compiled IP settings of the odd IPs, and of others.
    out << "\n  ],\n  \"sections\": [{\"number\": 6, \"string_options\": [";
    for (int k = 0; k < ips; ++k) {
        std::string const tip = "ip/" + ip_name(k) + "/" + ip_name(k) + ".tip";
        out << (k == 0 ? "\n" : ",\n") << "    {\"name\": \"IP_TOOL_NAME\", \"value\": \"core"
            << k % 7 << "\", \"tip\": \"" << tip << "\"},\n"
            << "    {\"name\": \"IP_TOOL_VERSION\", \"value\": \"13.0\", \"tip\": \"" << tip
            << "\"}";
    }
    out << "]}],\n  \"root\": {\"name\": \"soc\", \"entity\": \"soc\", \"library\": \"work\", "
           "\"children\": [";
    // Each block: itself, three IP components with a part and a plain leaf,
    // an encrypted core in a wrapper, a sub-block with an IP leaf and two
    // plain leaves, and four plain leaves: 20 instances.
    for (int b = 0; b < blocks; ++b) {
        out << (b == 0 ? "\n" : ",\n") << "    {\"name\": \"u_blk" << b << "\", \"entity\": \"blk"
            << b << "\", \"library\": \"work\", \"children\": [";
        for (int j = 0; j < 3; ++j) {
            std::string const ip = ip_name((b * 3 + j) % ips);
            out << "\n      {\"name\": \"u_ip" << j << "\", \"entity\": \"" << ip
                << "\", \"library\": \"ip\", \"children\": [\n"
                << "        {\"name\": \"u_part\", \"entity\": \"" << ip
                << "_p\", \"library\": \"ip\", \"schema\": \"macrofunction\"},\n"
                << "        {\"name\": \"q\"}]},";
        }
        int const e = b % ENCRYPTED_CORES;
        out << "\n      {\"name\": \"u_crc\", \"entity\": \"wrap" << e
            << "\", \"library\": \"ip\", \"children\": [\n"
            << "        {\"name\": \"u_core\", \"entity\": \"core" << e
            << "\", \"library\": \"ip\"}]},"
            << "\n      {\"name\": \"u_sub\", \"entity\": \"sub" << b
            << "\", \"library\": \"work\", \"children\": [\n"
            << "        {\"name\": \"u_leaf\", \"entity\": \"" << ip_name(b % ips)
            << "\", \"library\": \"ip\", \"schema\": \"macrofunction\"},\n"
            << "        {\"name\": \"d\"}, {\"name\": \"en\"}]},"
            << "\n      {\"name\": \"clk\"}, {\"name\": \"reset_n\"}, {\"name\": \"din\"}, "
               "{\"name\": \"dout\"}]}";
    }
    out << "]}\n}\n";
    return hier;
}

// The best of five scans of a design of `instances` instances, in seconds of
// processor time;
// negative when the project or its hierarchy could not be read. `records`
// receives the records found.
double scan(int instances, size_t* records) {
    BENCH_TEMP_DIR dir("ipman_hierarchy");
    write_design(dir.path(), instances);
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->open_project(dir.path().c_str(), "soc", "", false, false, false, false, false) !=
        0) {
        return -1;
    }
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(dir.path() + "db", "soc", 0);
    double best = -1;
    if (cap != nullptr) {
        IPMAN_IP_INFO_MANAGER* inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
        for (int run = 0; run < 5; ++run) {
            // The records found are the caller's to free, after the scan.
            double start = thread_seconds();
            std::vector<IPMAN_IP_INFO> found =
                inventory->collect_all_ip_cores(cap.get(), cap->get_root());
            double seconds = thread_seconds() - start;
            *records = found.size();
            best = best < 0 ? seconds : std::min(best, seconds);
        }
    }
    manager->close_project(false);
    manager->free_cached_storage();
    return best;
}

// Resident-set figures of this process from /proc/self/status, in kB.
long status_kb(char const* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t length = std::string(key).size();
    while (std::getline(status, line)) {
        if (line.compare(0, length, key) == 0) {
            return std::atol(line.c_str() + length);
        }
    }
    return -1;
}

// The child's part: reads the hierarchy file once and prints the peak
// resident memory the reading added, in bytes.
int measure_peak(std::string const& file) {
    long before = status_kb("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak restarts from here
    std::string error;
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap = HDB_CMP_ACTION_PT_INSTANCE::read_pdb(
        FIO_PATH(file).directory(), FIO_PATH(file).base(), 0, true, &error);
    long peak = status_kb("VmHWM:") - before;
    if (cap == nullptr) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), error.c_str());
        return 1;
    }
    std::printf("%ld\n", peak * 1024);
    return 0;
}

// The peak memory of reading `file`, in bytes, from a process of this program
// that does nothing else; negative when it failed.
double peak_of_reading(std::string const& file) {
    std::error_code ec;
    std::string const program = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    std::string command =
        thr_process_quote_argument(program) + " --peak " + thr_process_quote_argument(file);
    std::string text;
    return bench_run_command(command, nullptr, &text) == 0 ? std::atof(text.c_str()) : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak") {
        return measure_peak(argv[2]);
    }
    BENCH_ARGS args(argc, argv,
                    "usage: bench_ipman_hierarchy [largest-instances]\n"
                    "  largest-instances  the largest design scanned (default 200000)\n");
    int const largest = static_cast<int>(args.next_count("largest-instances", 200000));
    args.done();
    std::vector<std::pair<double, double>> points;
    for (int size : {1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000}) {
        if (size > largest) {
            break;
        }
        size_t records = 0;
        double seconds = scan(size, &records);
        if (seconds < 0) {
            std::printf("hierarchy-scan: size %d failed\n", size);
            return 1;
        }
        std::printf("hierarchy-scan %8d instances: %9.4f s (%6.3f us per instance), %zu "
                    "records\n",
                    size, seconds, seconds * 1e6 / size, records);
        std::fflush(stdout);
        points.emplace_back(size, seconds);
    }
    if (points.size() >= 2) {
        std::printf("exponent hierarchy-scan: %.2f\n", bench_slope(points));
    }

    BENCH_TEMP_DIR dir("ipman_hierarchy");
    std::string const file = write_design(dir.path(), largest);
    double const file_size = static_cast<double>(std::filesystem::file_size(file));
    double const peak = peak_of_reading(file);
    if (peak < 0) {
        std::printf("hierarchy-peak-vs-file: the reading failed\n");
        return 1;
    }
    std::printf("hierarchy file: %d instances, %.1f MB; reading peak %.1f MB\n", largest,
                file_size / 1048576.0, peak / 1048576.0);
    std::printf("ratio hierarchy-peak-vs-file: %.2f\n", peak / file_size);
    return 0;
}
