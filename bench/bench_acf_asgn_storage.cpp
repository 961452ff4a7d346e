// Figures of the assignment collection of one revision: setting N instance
// assignments into an empty collection, finding each of them again by variable
// and target, and listing the assignments of one variable, at N = 100,000 and
// N = 1,000,000. "per_assignment" is the time per assignment; near-equal
// figures at both sizes mean near-linear growth.
#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "records/acf_asgn_storage.h"
#include "records/acf_assignment_factory.h"
#include "store/acf_manager_storage_null.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Four instance settings per node, as a pin-heavy design has them.
ACF_VARIABLE_TYPE_ENUM const KINDS[] = {ACF_VARIABLE_TYPE_LOCATION, ACF_VARIABLE_TYPE_IO_STANDARD,
                                        ACF_VARIABLE_TYPE_MULTICYCLE,
                                        ACF_VARIABLE_TYPE_BASE_REVISION};
char const* const VALUES[] = {"PIN_A1", "2.5 V", "2", "rev"};
int const KIND_COUNT = 4;

struct DESIGN {
    explicit DESIGN(int64_t count) {
        targets.reserve(static_cast<size_t>(count / KIND_COUNT + 1));
        for (int64_t node = 0; node <= count / KIND_COUNT; ++node) {
            targets.push_back("top|core|block_" + std::to_string(node % 97) + "|reg_" +
                              std::to_string(node));
        }
    }
    // Fills the query for assignment i.
    void fill(ACF_MGR_INPUT_PARAMETERS& params, int64_t i, bool with_value) const {
        params.reset();
        params.set_variable_type(KINDS[i % KIND_COUNT]);
        params.set_to(targets[static_cast<size_t>(i / KIND_COUNT)].c_str());
        if (with_value) {
            params.set_value_string(VALUES[i % KIND_COUNT]);
        }
    }
    std::vector<std::string> targets;
};

struct COLLECTION {
    COLLECTION()
        : factory(&storage), coll(std::make_unique<ACF_ASGN_STORAGE>(&storage, &factory)) {}
    void set_all(DESIGN const& design, int64_t count) {
        ACF_MGR_INPUT_PARAMETERS params;
        for (int64_t i = 0; i < count; ++i) {
            design.fill(params, i, true);
            benchmark::DoNotOptimize(
                coll->set_assignment(&params, false, false, false, true, false));
        }
    }
    ACF_MANAGER_STORAGE_NULL storage;
    ACF_ASSIGNMENT_FACTORY factory;
    std::unique_ptr<ACF_ASGN_STORAGE> coll;
};

void report_per_assignment(benchmark::State& state, int64_t count) {
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_assignment"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SetAssignments(benchmark::State& state) {
    int64_t const count = state.range(0);
    DESIGN const design(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto collection = std::make_unique<COLLECTION>();
        state.ResumeTiming();
        collection->set_all(design, count);
        state.PauseTiming();
        collection.reset();
        state.ResumeTiming();
    }
    report_per_assignment(state, count);
}

void BM_FindAssignments(benchmark::State& state) {
    int64_t const count = state.range(0);
    DESIGN const design(count);
    COLLECTION collection;
    collection.set_all(design, count);
    ACF_ASGN_SEARCH_FILTER const any;
    ACF_MGR_INPUT_PARAMETERS params;
    for (auto _ : state) {
        for (int64_t i = 0; i < count; ++i) {
            design.fill(params, i, false);
            benchmark::DoNotOptimize(
                collection.coll->get_assignment(&params, any, false, false, false));
        }
    }
    report_per_assignment(state, count);
}

// Lists every assignment of one variable in file order (a quarter of the collection).
void BM_ListOneVariable(benchmark::State& state) {
    int64_t const count = state.range(0);
    DESIGN const design(count);
    COLLECTION collection;
    collection.set_all(design, count);
    ACF_ASGN_SEARCH_FILTER const any;
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_type(ACF_VARIABLE_TYPE_IO_STANDARD);
    for (auto _ : state) {
        ACF_ASSIGNMENT_LIST found;
        collection.coll->get_assignment_coll(&params, any, false, false, false, &found);
        benchmark::DoNotOptimize(found.size());
    }
    report_per_assignment(state, count / KIND_COUNT);
}

BENCHMARK(BM_SetAssignments)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAssignments)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListOneVariable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
