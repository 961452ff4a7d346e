// Committing a revision: one changed assignment in a 100,000-line settings
// file, against its anchor measured in the same run, a copy of that file made
// the safe way (read it, write a temporary file beside it, fsync, rename). The
// two are timed in turn, many times; the medians give
// `ratio commit-one-change-vs-copy` (the edit included in the commit). A commit
// in a 1,000-line revision is timed too, for reference.
// Run as: bench_acf_commit [rounds]
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "bench/bench_args.h"
#include "formats/acf_project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using CLOCK = std::chrono::steady_clock;

double seconds_since(CLOCK::time_point start) {
    return std::chrono::duration<double>(CLOCK::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// A project "bench" of one revision with `lines` settings lines, opened.
class OPEN_PROJECT {
public:
    explicit OPEN_PROJECT(int lines) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "acf_bench_XXXXXX").string();
        m_dir = std::string(mkdtemp(&pattern[0])) + "/";
        std::ofstream out(m_dir + "bench.tsf");
        out << "set_global_assignment -name LAST_TESSALY_VERSION " << acf_get_version_string()
            << "\nset_global_assignment -name SMART_RECOMPILE On";
        for (int i = 2; i < lines; ++i) {
            out << "\nset_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_" << i;
        }
        out.close();
        ACF_REVISION_NAME_LIST names = {"bench"};
        acf_write_tpf_file((m_dir + "bench.tpf").c_str(), &names);
        m_status = ACF_MANAGER::get_acf_manager()->open_project(m_dir.c_str(), "bench", "", false,
                                                                false, false, false, false);
    }
    ~OPEN_PROJECT() {
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
        std::filesystem::remove_all(m_dir);
    }
    OPEN_PROJECT(OPEN_PROJECT const&) = delete;
    OPEN_PROJECT& operator=(OPEN_PROJECT const&) = delete;

    bool is_open() const { return m_status == 0; }
    std::string const& dir() const { return m_dir; }

private:
    std::string m_dir;
    int m_status;
};

// Changes the one setting and commits; false when either failed.
bool edit_and_commit(bool on) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (!manager->write_lock(false)) {
        return false;
    }
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    params.set_value_string(on ? "On" : "Off");
    bool done = manager->set_global_assignment(&params) != nullptr &&
                manager->commit_files_to_disk(false, true);
    manager->write_unlock(false);
    return done;
}

// The anchor: `from` copied to `to` through a temporary file beside it, which
// is written, flushed to disk and renamed over `to`.
bool safe_copy(std::string const& from, std::string const& to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || fstat(in, &st) != 0) {
        return false;
    }
    std::string content(static_cast<size_t>(st.st_size), '\0');
    bool done = read(in, &content[0], content.size()) == st.st_size;
    close(in);
    std::string temp = to + ".tmp";
    int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    done = done && out >= 0 &&
           write(out, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
           fsync(out) == 0;
    done = out >= 0 && close(out) == 0 && done;
    return done && rename(temp.c_str(), to.c_str()) == 0;
}

// The median seconds of a commit of one change in a revision of `lines`
// lines and, when `copies` is not null, of the anchor copy timed in turn.
double time_commits(int lines, int rounds, double* copies) {
    OPEN_PROJECT project(lines);
    if (!project.is_open()) {
        std::fprintf(stderr, "the project did not open\n");
        return -1;
    }
    std::vector<double> commit_times;
    std::vector<double> copy_times;
    std::string const tsf = project.dir() + "bench.tsf";
    for (int round = 0; round < rounds; ++round) {
        CLOCK::time_point start = CLOCK::now();
        if (!edit_and_commit(round % 2 == 0)) {
            std::fprintf(stderr, "the commit failed\n");
            return -1;
        }
        commit_times.push_back(seconds_since(start));
        if (copies != nullptr) {
            start = CLOCK::now();
            if (!safe_copy(tsf, project.dir() + "copy.tsf")) {
                std::fprintf(stderr, "the copy failed\n");
                return -1;
            }
            copy_times.push_back(seconds_since(start));
        }
    }
    if (copies != nullptr) {
        *copies = median(copy_times);
    }
    return median(commit_times);
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_acf_commit [rounds]\n"
                    "Times a commit of one change in a 100,000-line revision against a safe\n"
                    "copy of that file, in turn for `rounds` rounds (default 41), and prints\n"
                    "the medians and \"ratio commit-one-change-vs-copy\".\n");
    int const rounds = static_cast<int>(args.next_count("rounds", 41));
    args.done();
    double copy = 0;
    double commit = time_commits(100000, rounds, &copy);
    double small = time_commits(1000, 1000, nullptr);
    if (commit < 0 || small < 0) {
        return 1;
    }
    std::printf("commit of one change, 100,000 lines: %8.3f ms\n", commit * 1e3);
    std::printf("copy + fsync + rename of that file:  %8.3f ms\n", copy * 1e3);
    std::printf("commit of one change, 1,000 lines:   %8.3f ms\n", small * 1e3);
    std::printf("ratio commit-one-change-vs-copy: %.2f\n", commit / copy);
    return 0;
}
