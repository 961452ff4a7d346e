// Cost of the diagnostics on an allocation workload through the wrappers: a
// mixed-size working set from several sites, built up and released in
// scrambled order, with tracking off, on, and on with call-stack capture.
#include "mem/mem_callstack.h"
#include "mem/mem_track.h"
#include "mem_manager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct Small {
    char payload[24];
};
struct Medium {
    char payload[200];
};
struct Large {
    char payload[3000];
};

enum MODE { OFF, TRACKED, CALLSTACKS };

void* allocate(unsigned kind) {
    switch (kind % 3) {
    case 0:
        return MEM_NEW(ACF, Small)();
    case 1:
        return MEM_NEW(IPMAN, Medium)();
    default:
        return MEM_NEW(MDB, Large)();
    }
}

void workload(benchmark::State& state) {
    auto const mode = static_cast<MODE>(state.range(0));
    size_t const live = static_cast<size_t>(state.range(1));
    bool const saved_track = MEM_TRACKER::s_track_memory;
    bool const saved_callstack = MEM_TRACKER::s_track_callstack;
    MEM_TRACKER::s_track_memory = mode != OFF;
    MEM_TRACKER::s_track_callstack = mode == CALLSTACKS && mem_callstack_map != nullptr;

    std::vector<void*> blocks(live);
    std::vector<size_t> order(live);
    for (size_t i = 0; i < live; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    for (auto _ : state) {
        for (size_t i = 0; i < live; ++i) {
            blocks[i] = allocate(static_cast<unsigned>(i));
        }
        for (size_t i : order) {
            ::operator delete(blocks[i]);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * live));
    MEM_TRACKER::s_track_memory = saved_track;
    MEM_TRACKER::s_track_callstack = saved_callstack;
}

} // namespace

BENCHMARK(workload)
    ->ArgNames({"mode", "live"})
    ->Args({OFF, 1000})
    ->Args({TRACKED, 1000})
    ->Args({CALLSTACKS, 1000})
    ->Args({OFF, 20000})
    ->Args({TRACKED, 20000});

BENCHMARK_MAIN();
