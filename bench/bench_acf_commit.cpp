// Committing a revision: one changed assignment in a 100,000-line settings
// file, and 1,000 successive edits each followed by a commit. Times are per
// commit (the edit included).
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "db/acf/acf_project_file.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

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

void commit_one_change(benchmark::State& state) {
    OPEN_PROJECT project(static_cast<int>(state.range(0)));
    if (!project.is_open()) {
        state.SkipWithError("the project did not open");
        return;
    }
    bool on = false;
    for (auto _ : state) {
        if (!edit_and_commit(on)) {
            state.SkipWithError("the commit failed");
            break;
        }
        on = !on;
    }
}

} // namespace

// One changed assignment in a 100,000-line revision.
BENCHMARK(commit_one_change)->Arg(100000)->Unit(benchmark::kMillisecond);
// 1,000 successive edits, each committed.
BENCHMARK(commit_one_change)->Arg(1000)->Iterations(1000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
