// Revision store: opening revisions of 1,000, 10,000 and 100,000 assignments,
// then 100,000 read lock/unlock pairs on the unchanged revision, with 1 and with
// 200 sourced IP files (each lock asks whether a file read for the revision changed).
// Prints one line of figures per case.
#include "acf_revision_manager.h"
#include "bench/bench_args.h"
#include "store/acf_manager_storage_real.h"

#include "suite/fileio/fio.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using CLOCK = std::chrono::steady_clock;

double seconds_since(CLOCK::time_point start) {
    return std::chrono::duration<double>(CLOCK::now() - start).count();
}

// Writes a project with `assignments` instance assignments in the settings
// file and `ip_files` IP files of ten assignments each; returns the project file.
std::string write_project(std::string const& dir, int assignments, int ip_files) {
    std::filesystem::create_directories(dir);
    std::string tsf;
    tsf.reserve(static_cast<size_t>(assignments) * 64);
    for (int i = 0; i < assignments; ++i) {
        tsf += "set_instance_assignment -name MULTICYCLE 2 -to reg_" + std::to_string(i) + "\n";
    }
    for (int f = 0; f < ip_files; ++f) {
        std::string tip_name = dir + "/ip_" + std::to_string(f) + ".tip";
        std::string tip;
        for (int i = 0; i < 10; ++i) {
            tip += "set_instance_assignment -name MULTICYCLE 3 -to ip_" + std::to_string(f) + "_" +
                   std::to_string(i) + "\n";
        }
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(tip_name), tip);
        tsf += "set_global_assignment -name TIP_FILE \"" + tip_name + "\"\n";
    }
    FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(dir + "/top.tsf"), tsf);
    FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(dir + "/proj.tpf"), "");
    return dir + "/proj.tpf";
}

void run_case(std::string const& root, int assignments, int ip_files) {
    std::string dir = root + "/a" + std::to_string(assignments) + "_ip" + std::to_string(ip_files);
    std::string project_file = write_project(dir, assignments, ip_files);

    auto storage = std::make_unique<ACF_MANAGER_STORAGE_REAL>(project_file, "top", nullptr, true);
    auto manager = std::make_unique<ACF_REVISION_MANAGER>(storage.get());

    CLOCK::time_point start = CLOCK::now();
    bool opened = manager->read_lock_and_post_no_messages();
    double open_seconds = seconds_since(start);
    if (opened) {
        manager->read_unlock();
    }

    constexpr int pairs = 100000;
    start = CLOCK::now();
    for (int i = 0; i < pairs; ++i) {
        if (manager->read_lock_and_post_no_messages()) {
            manager->read_unlock();
        }
    }
    double lock_seconds = seconds_since(start);
    std::printf("%7d assignments, %3d IP files: open %8.3f s, %d read lock/unlock pairs %7.3f s "
                "(%.2f us per pair), files watched %zu\n",
                assignments, ip_files, open_seconds, pairs, lock_seconds,
                lock_seconds * 1e6 / pairs, storage->get_file_collection().size());
    manager.reset();
    storage.reset();
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_acf_storage_locks\n"
                    "Times opening revisions of 1,000 to 100,000 assignments and 100,000 read\n"
                    "lock/unlock pairs on each, with 1 and with 200 sourced IP files.\n");
    args.done();
    std::string pattern = (std::filesystem::temp_directory_path() / "acf_bench_XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    for (int assignments : {1000, 10000, 100000}) {
        for (int ip_files : {1, 200}) {
            run_case(pattern, assignments, ip_files);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return 0;
}
