// Growth of making and restoring a project archive with the number of files,
// a program printing figures:
// - archive: the archive flow on the open project (saving its settings,
//   listing the files they name, writing the archive), N design files named
//   by one revision, 100 to 20,000;
// - restore: restoring that archive into a new folder, with every file and
//   folder flushed to the disk;
// - archive-ip and restore-ip: the same with N IP files, all in one folder,
//   each naming a design file of its own and with a file generated beside it.
// Each operation prints its time per size and `exponent <operation>: <slope>`,
// the least-squares slope of log time against log size (1 is linear). At the
// largest size of the design files, in the same run, `ratio archive-vs-zip`
// compares the archive with `zip -r` of the project folder, and
// `ratio restore-vs-unzip-sync` the restore with `unzip` of that ZIP file
// followed by sync(). The time is taken inside this process for our own
// operations and around the child process for the tools.
// Run as: bench_archive [largest-size]
#include "bench/bench_args.h"
#include "bench/bench_growth.h"
#include "bench/bench_process.h"

#include "acf_manager.h"
#include "suite/archive/afm_zip.h"
#include "suite/flow/flow_archive.h"
#include "suite/threads/thr.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
void write_file(std::string const& path, std::string const& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// About two kilobytes of Verilog, different for every file.
std::string design_text(std::string const& module) {
    std::string text = "module " + module + " (input clk, input [31:0] d, output reg [31:0] q);\n";
    for (int i = 0; i < 24; ++i) {
        text += "    always @(posedge clk) q[" + std::to_string(i) + "] <= d[" +
                std::to_string((i * 7 + module.size()) % 32) + "] ^ q[" + std::to_string(i) +
                "]; // " + module + "\n";
    }
    return text + "endmodule\n";
}

// Project "bench" with one revision naming `files` design files in folders
// of 100, or, with `ip`, as many IP files in one folder.
void write_project(std::string const& dir, int files, bool ip) {
    write_file(dir + "/bench.tpf", "PROJECT_REVISION = \"bench\"\n");
    std::string settings = "set_global_assignment -name TOP_LEVEL_ENTITY top\n";
    for (int i = 0; i < files; ++i) {
        std::string n = std::to_string(i);
        if (ip) {
            settings += "set_global_assignment -name TIP_FILE ip/core_" + n + ".tip\n";
            std::string const set = "set_global_assignment -name ";
            write_file(dir + "/ip/core_" + n + ".tip",
                       set + "IP_TOOL_NAME core\n" + set +
                           "VERILOG_FILE [file join $::tessaly(tip_path) core_" + n + "_top.v]\n");
            write_file(dir + "/ip/core_" + n + "_top.v", design_text("core_" + n + "_top"));
            write_file(dir + "/ip/core_" + n + ".v", design_text("core_" + n));
        } else {
            std::string file = "src/d" + std::to_string(i / 100) + "/unit_" + n + ".v";
            settings += "set_global_assignment -name VERILOG_FILE " + file + "\n";
            write_file(dir + "/" + file, design_text("unit_" + n));
        }
    }
    write_file(dir + "/bench.tsf", settings);
}

// The seconds of one archive and one restore of a project of `files` files.
struct TIMES {
    double archive = -1;
    double restore = -1;
    double zip = -1;
    double unzip_sync = -1;
};

TIMES measure(int files, bool ip, bool with_tools) {
    TIMES times;
    BENCH_TEMP_DIR temp("bench_archive");
    std::string dir = temp.path() + "project";
    write_project(dir, files, ip);
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->open_project(dir.c_str(), "bench", "", false, false, false, false, false) != 0) {
        std::fprintf(stderr, "bench_archive: can't open the project of %d files\n", files);
        return times;
    }
    std::string archive = temp.path() + "bench.tsa";
    std::string message;
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    int result = flow_run_archive(archive, {}, {true}, &message);
    times.archive = bench_seconds_since(start);
    manager->close_project(false);
    manager->free_cached_storage();
    if (result != 0) {
        std::fprintf(stderr, "bench_archive: archive failed: %s\n", message.c_str());
        times.archive = -1;
        return times;
    }
    start = BENCH_CLOCK::now();
    bool restored = afm_restore_archive(archive, temp.path() + "restored", false, &message);
    times.restore = restored ? bench_seconds_since(start) : -1;
    if (!restored) {
        std::fprintf(stderr, "bench_archive: restore failed: %s\n", message.c_str());
    }
    if (!with_tools) {
        return times;
    }
    std::string zip_file = temp.path() + "bench.zip";
    start = BENCH_CLOCK::now();
    std::string output;
    bool zipped = bench_run_command(thr_process_quote_argument(ZIP_PATH) + " -r -q " +
                                        thr_process_quote_argument(zip_file) + " .",
                                    dir.c_str(), &output) == 0;
    times.zip = zipped ? bench_seconds_since(start) : -1;
    start = BENCH_CLOCK::now();
    bool unzipped =
        zipped && bench_run_command(thr_process_quote_argument(UNZIP_PATH) + " -q " +
                                        thr_process_quote_argument(zip_file) + " -d " +
                                        thr_process_quote_argument(temp.path() + "unzipped"),
                                    temp.path().c_str(), &output) == 0;
    sync();
    times.unzip_sync = unzipped ? bench_seconds_since(start) : -1;
    if (!zipped || !unzipped) {
        std::fprintf(stderr, "bench_archive: " ZIP_PATH " or " UNZIP_PATH " failed\n");
    }
    return times;
}

// Measures every size of one kind of project; false when a size failed.
bool run_series(char const* archive_name, char const* restore_name, bool ip,
                std::vector<int> const& sizes) {
    std::vector<std::pair<double, double>> archive;
    std::vector<std::pair<double, double>> restore;
    for (int size : sizes) {
        bool largest = size == sizes.back();
        TIMES times = measure(size, ip, largest && !ip);
        if (times.archive < 0 || times.restore < 0) {
            return false;
        }
        std::printf("%s %d files: %.3f s, %s: %.3f s\n", archive_name, size, times.archive,
                    restore_name, times.restore);
        archive.emplace_back(size, times.archive);
        restore.emplace_back(size, times.restore);
        if (largest && !ip) {
            if (times.zip <= 0 || times.unzip_sync <= 0) {
                return false;
            }
            std::printf("zip -r %d files: %.3f s, unzip and sync: %.3f s\n", size, times.zip,
                        times.unzip_sync);
            std::printf("ratio archive-vs-zip: %.2f\n", times.archive / times.zip);
            std::printf("ratio restore-vs-unzip-sync: %.2f\n", times.restore / times.unzip_sync);
        }
    }
    std::printf("exponent %s: %.2f\n", archive_name, bench_slope(archive));
    std::printf("exponent %s: %.2f\n", restore_name, bench_slope(restore));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_archive [largest-size]\n"
                    "  largest-size  the most files of a project archived (at least 100;\n"
                    "                default 20000)\n");
    long const largest = args.next_count("largest-size", 20000);
    args.done();
    std::vector<int> sizes;
    for (int size : {100, 300, 1000, 3000, 10000, 20000}) {
        if (size <= largest) {
            sizes.push_back(size);
        }
    }
    if (sizes.empty()) {
        std::fprintf(stderr, "usage: bench_archive [largest-size, at least 100]\n");
        return 2;
    }
    bool ok = run_series("archive", "restore", false, sizes) &&
              run_series("archive-ip", "restore-ip", true, sizes);
    return ok ? 0 : 1;
}
