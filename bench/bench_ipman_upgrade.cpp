// Upgrading 500 IP variation files that lie among 20,000 files: the time per
// file of `regentool --project_directory`, of the Tcl command
// `regenerate_ip -files` (in `regentool -t`, with check, backup and report),
// and, beside them, of starting the IP wizard `vestawiz` directly on each file.
// Prints the figures and `ratio regentool-vs-wizard`, regentool's time over the
// wizard's started directly on the same files in the same run; takes no
// arguments.
#include "bench/bench_args.h"
#include "suite/general/gen.h"
#include "suite/threads/thr.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int FILES = 20000;
constexpr int VARIATION_FILES = 500;
constexpr int FOLDERS = 100;

// Runs a command line to its end, discarding its output; its exit status.
int run(std::string const& command_line, std::string const& dir) {
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    if (!thr_process_create(command_line.c_str(), dir.c_str(), &out, &out, &process, nullptr)) {
        return -1;
    }
    char buffer[4096];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
    }
    int status = -1;
    thr_process_wait(process, &status, 0);
    return status;
}

// A project of FOLDERS folders holding FILES files, of which every 40th is a
// variation file of the IP wizard and the others HDL or text files it did not
// write. Returns the variation files.
std::vector<std::string> make_project(std::string const& root) {
    std::ofstream(root + "/bench.tpf") << "PROJECT_REVISION = \"bench\"\n";
    std::ofstream(root + "/bench.tsf") << "set_global_assignment -name TOP_LEVEL_ENTITY bench\n";
    std::vector<std::string> variation_files;
    int const step = FILES / VARIATION_FILES;
    for (int i = 0; i < FILES; ++i) {
        std::string folder = root + "/ip/group" + std::to_string(i % FOLDERS);
        std::filesystem::create_directories(folder);
        std::string name = folder + "/unit" + std::to_string(i);
        if (i % step == 0) {
            name += ".v";
            std::ofstream(name) << "// -- VestaWizard variation file\n"
                                   "// -- Retrieval info: <instance entity-name=\"fifo\" "
                                   "version=\"12.1\" >\nmodule unit"
                                << i << ";\nendmodule\n";
            variation_files.push_back(name);
        } else if (i % 3 == 0) {
            std::ofstream(name + ".txt") << "notes " << i << "\n";
        } else {
            std::ofstream(name + (i % 3 == 1 ? ".v" : ".vhd")) << "-- hand-written " << i << "\n";
        }
    }
    return variation_files;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void print(char const* what, double total, int count) {
    std::printf("%-48s %8.2f s total %8.2f ms per file\n", what, total, 1000.0 * total / count);
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_ipman_upgrade\n"
                    "Upgrades 500 variation files among 20,000 files with regentool\n"
                    "--project_directory, with regenerate_ip -files and by starting vestawiz\n"
                    "directly, and prints the time per file of each and\n"
                    "\"ratio regentool-vs-wizard\".\n");
    args.done();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tessaly-bench.XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string const root = pattern;
    std::string const bin = gen_get_module_path();
    std::vector<std::string> files = make_project(root);
    std::printf("%d variation files among %d files in %d folders\n", VARIATION_FILES, FILES,
                FOLDERS);

    auto start = std::chrono::steady_clock::now();
    int failed = 0;
    for (std::string const& file : files) {
        failed += run(thr_process_quote_argument(bin + "vestawiz") + " -silent " +
                          thr_process_quote_argument(file),
                      root) != 0;
    }
    double const wizard = seconds_since(start);
    print("vestawiz started directly", wizard, VARIATION_FILES);

    start = std::chrono::steady_clock::now();
    failed +=
        run(thr_process_quote_argument(bin + "regentool") + " --project_directory=.", root) != 0;
    double const regentool = seconds_since(start);
    print("regentool --project_directory", regentool, VARIATION_FILES);

    std::string list;
    for (std::string const& file : files) {
        list += (list.empty() ? "" : ";") + file;
    }
    std::ofstream(root + "/upgrade.tcl") << "package require ::tessaly::ipman\n"
                                            "project_open bench\n"
                                            "regenerate_ip -files {"
                                         << list << "}\n";
    start = std::chrono::steady_clock::now();
    failed += run(thr_process_quote_argument(bin + "regentool") + " -t upgrade.tcl", root) != 0;
    print("regenerate_ip -files (check, backup, report)", seconds_since(start), VARIATION_FILES);

    std::filesystem::remove_all(root);
    std::printf("ratio regentool-vs-wizard: %.2f\n", regentool / wizard);
    if (failed != 0) {
        std::printf("%d runs failed\n", failed);
        return 1;
    }
    return 0;
}
