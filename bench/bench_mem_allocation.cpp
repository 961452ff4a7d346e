// Cost of one allocation and release through the manager's wrappers, with and
// without tracking, beside the native allocator alone.
#include "mem/mem_native.h"
#include "mem/mem_track.h"
#include "mem_manager.h"

#include <benchmark/benchmark.h>

namespace {

struct Item {
    char payload[48];
};

void native_allocator(benchmark::State& state) {
    for (auto _ : state) {
        void* block = mem_native_malloc(static_cast<size_t>(state.range(0)));
        benchmark::DoNotOptimize(block);
        mem_native_free(block);
    }
}

void wrapper(benchmark::State& state) {
    bool saved = MEM_TRACKER::s_track_memory;
    MEM_TRACKER::s_track_memory = state.range(1) != 0;
    for (auto _ : state) {
        void* block =
            mem_new_wrapper(static_cast<size_t>(state.range(0)), MEM_THUNK(MEM, Item), __FILE__);
        benchmark::DoNotOptimize(block);
        mem_delete_wrapper(block, nullptr);
    }
    MEM_TRACKER::s_track_memory = saved;
}

} // namespace

BENCHMARK(native_allocator)->Arg(48)->Arg(4096);
BENCHMARK(wrapper)->ArgNames({"size", "tracked"})->Args({48, 0})->Args({48, 1})->Args({4096, 0});

BENCHMARK_MAIN();
