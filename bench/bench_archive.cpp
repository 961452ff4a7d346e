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
// followed by sync().
// - archive-revisions: `project_archive -all_revisions` on a project of N
//   revisions, 100 to 3,000, each with its settings file naming a design file
//   of its own; `ratio archive-revisions-vs-zip-sync` compares the largest with
//   `zip -r` of the project folder followed by sync();
// - copy-project: Copy Project of that project into a new folder (it archives
//   and restores); `ratio copy-project-vs-cp-sync` compares the largest with
//   `cp -a` of the project folder followed by sync().
// The time is taken inside this process for our own operations and around the
// child process for the tools.
// Run as: bench_archive [largest-size] [most-revisions]
#include "bench/bench_args.h"
#include "bench/bench_growth.h"
#include "bench/bench_process.h"

#include "acf_manager.h"
#include "suite/archive/afm_zip.h"
#include "suite/flow/flow_archive.h"
#include "suite/tclglue/atcl.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb_copy_project.h"

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

// The seconds of a tool's command line run in `dir`, then sync(); negative
// when it failed.
double tool_and_sync_seconds(std::string const& command, std::string const& dir) {
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    std::string output;
    if (bench_run_command(command, dir.c_str(), &output) != 0) {
        std::fprintf(stderr, "bench_archive: %s failed\n", command.c_str());
        return -1;
    }
    sync();
    return bench_seconds_since(start);
}

// Project "bench" of `revisions` revisions r<i>, each with a settings file
// naming its design file src/r<i>.v; opened at its first revision.
bool open_revisions_project(std::string const& dir, int revisions) {
    std::string project;
    for (int i = 0; i < revisions; ++i) {
        std::string r = "r" + std::to_string(i);
        project += "PROJECT_REVISION = \"" + r + "\"\n";
        write_file(dir + "/" + r + ".tsf",
                   "set_global_assignment -name TOP_LEVEL_ENTITY " + r +
                       "\nset_global_assignment -name VERILOG_FILE src/" + r + ".v\n");
        write_file(dir + "/src/" + r + ".v", design_text(r));
    }
    write_file(dir + "/bench.tpf", project);
    return ACF_MANAGER::get_acf_manager()->open_project(dir.c_str(), "bench", "r0", false, false,
                                                        false, false, false) == 0;
}

void close_revisions_project() {
    ACF_MANAGER::get_acf_manager()->close_project(false);
    ACF_MANAGER::get_acf_manager()->free_cached_storage();
}

// The archive of every revision of a project of `revisions` revisions and,
// with `peer`, zip -r of its folder and sync.
std::pair<double, double> archive_revisions(int revisions, bool peer) {
    BENCH_TEMP_DIR temp("bench_archive");
    std::string dir = temp.path() + "project";
    if (!open_revisions_project(dir, revisions)) {
        std::fprintf(stderr, "bench_archive: can't open the project of %d revisions\n", revisions);
        return {-1, -1};
    }
    std::string archive = temp.path() + "bench.tsa";
    Tcl_Interp* interp = atcl_get_interpreter();
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    int result = atcl_eval_words(interp, {"project_archive", archive, "-all_revisions"});
    double seconds = bench_seconds_since(start);
    close_revisions_project();
    // Every revision's settings and design file, the project file.
    size_t entries = afm_archive_entries(archive).size();
    if (result != TCL_OK || entries != 2 * static_cast<size_t>(revisions) + 1) {
        std::fprintf(stderr, "bench_archive: archive of %d revisions failed (%zu entries): %s\n",
                     revisions, entries, Tcl_GetStringResult(interp));
        return {-1, -1};
    }
    double tool = !peer ? 0
                        : tool_and_sync_seconds(thr_process_quote_argument(ZIP_PATH) + " -r -q " +
                                                    thr_process_quote_argument(temp.path() +
                                                                               "bench.zip") +
                                                    " .",
                                                dir);
    return {seconds, tool};
}

// Copy Project of a project of `revisions` revisions into a new folder and,
// with `peer`, cp -a of its folder and sync.
std::pair<double, double> copy_project(int revisions, bool peer) {
    BENCH_TEMP_DIR temp("bench_archive");
    std::string dir = temp.path() + "project";
    if (!open_revisions_project(dir, revisions)) {
        std::fprintf(stderr, "bench_archive: can't open the project of %d revisions\n", revisions);
        return {-1, -1};
    }
    MDB_COPY_PROJECT_REQUEST request;
    request.destination = temp.path() + "copy";
    request.open_new = false;
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool copied = mdb_copy_project(request);
    double seconds = bench_seconds_since(start);
    close_revisions_project();
    std::string last = "r" + std::to_string(revisions - 1);
    if (!copied || !fs::exists(request.destination + "/" + last + ".tsf") ||
        !fs::exists(request.destination + "/src/" + last + ".v")) {
        std::fprintf(stderr, "bench_archive: Copy Project of %d revisions failed\n", revisions);
        return {-1, -1};
    }
    double tool =
        !peer ? 0
              : tool_and_sync_seconds("cp -a project " +
                                          thr_process_quote_argument(temp.path() + "cp_copy"),
                                      temp.path());
    return {seconds, tool};
}

// Times `operation` at each size, with its peer at the largest; prints the
// exponent and the ratio. False when a size failed.
bool run_revision_series(char const* name, char const* ratio_name, char const* peer_name,
                         std::pair<double, double> (*operation)(int, bool),
                         std::vector<int> const& sizes) {
    std::vector<std::pair<double, double>> points;
    for (int size : sizes) {
        bool largest = size == sizes.back();
        std::pair<double, double> times = operation(size, largest);
        if (times.first < 0 || times.second < 0) {
            return false;
        }
        std::printf("%s %d revisions: %.3f s\n", name, size, times.first);
        std::fflush(stdout);
        points.emplace_back(size, times.first);
        if (largest) {
            std::printf("%s %d revisions: %.3f s\n", peer_name, size, times.second);
            std::printf("ratio %s: %.2f\n", ratio_name, times.first / times.second);
        }
    }
    std::printf("exponent %s: %.2f\n", name, bench_slope(points));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_archive [largest-size] [most-revisions]\n"
                    "  largest-size    the most files of a project archived (at least 100;\n"
                    "                  default 20000)\n"
                    "  most-revisions  the most revisions of a project archived and copied\n"
                    "                  (at least 100; default 3000)\n");
    long const largest = args.next_count("largest-size", 20000);
    long const most_revisions = args.next_count("most-revisions", 3000);
    args.done();
    std::vector<int> sizes;
    for (int size : {100, 300, 1000, 3000, 10000, 20000}) {
        if (size <= largest) {
            sizes.push_back(size);
        }
    }
    std::vector<int> revisions;
    for (int size : {100, 300, 1000, 3000, 10000}) {
        if (size <= most_revisions) {
            revisions.push_back(size);
        }
    }
    if (sizes.empty() || revisions.empty()) {
        std::fprintf(stderr, "usage: bench_archive [largest-size] [most-revisions], each at "
                             "least 100\n");
        return 2;
    }
    bool ok = run_series("archive", "restore", false, sizes) &&
              run_series("archive-ip", "restore-ip", true, sizes) &&
              run_revision_series("archive-revisions", "archive-revisions-vs-zip-sync",
                                  "zip -r and sync", archive_revisions, revisions) &&
              run_revision_series("copy-project", "copy-project-vs-cp-sync", "cp -a and sync",
                                  copy_project, revisions);
    return ok ? 0 : 1;
}
