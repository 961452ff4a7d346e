#include "mem/mem_free_pattern.h"

#include "mem/mem_section.h"
#include "mem/mem_segment_support.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// The pattern check and the zeroing of a fresh block run over every byte of
// it: 32 bytes are handled as one value (two SSE registers, or one AVX2
// register where the processor has it), and a block is checked and zeroed in
// one pass, up to 256 bytes at a time, so that each line is loaded once.
typedef uint64_t MEM_VECTOR __attribute__((vector_size(32)));
constexpr uint64_t kPatternWord = 0x8888888888888888ull;
constexpr MEM_VECTOR kPatternVector = {kPatternWord, kPatternWord, kPatternWord, kPatternWord};

// Whether the `N` x 32 bytes at p differ from the pattern; one test for all.
// (Vectors stay inside the functions: passing them by value would depend on
// the instruction set.)
template <int N> __attribute__((always_inline)) inline bool differs(char const* p) {
    MEM_VECTOR d = {0, 0, 0, 0};
    for (int k = 0; k < N; ++k) {
        MEM_VECTOR v;
        std::memcpy(&v, p + 32 * k, sizeof v);
        d |= v ^ kPatternVector;
    }
    return (d[0] | d[1] | d[2] | d[3]) != 0;
}

// Vector stores of zero, written out one by one: as a loop the compiler turns
// them into a string store, which costs more than the stores at these lengths.
typedef uint64_t MEM_UNALIGNED_VECTOR __attribute__((vector_size(32), aligned(1), may_alias));
template <size_t... K>
__attribute__((always_inline)) inline void zero(char* p, std::index_sequence<K...>) {
    ((*reinterpret_cast<MEM_UNALIGNED_VECTOR*>(p + 32 * K) = MEM_UNALIGNED_VECTOR{0, 0, 0, 0}),
     ...);
}
template <int N> __attribute__((always_inline)) inline void zero(char* p) {
    zero(p, std::make_index_sequence<N>());
}

// Differences from the pattern in [area + i, area + size), size - i below 64
// and a multiple of 4.
uint64_t tail_differences(char const* area, size_t i, size_t size) {
    uint64_t differences = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, area + i, sizeof w);
        differences |= w ^ kPatternWord;
    }
    if (i < size) {
        uint32_t w;
        std::memcpy(&w, area + i, sizeof w);
        differences |= w ^ MEM_FREE_PATTERN;
    }
    return differences;
}

// Zeroes [area, area + size) (size a multiple of 4) where it holds the
// pattern; answers how many bytes from the start were zeroed (size when all
// held it; else the point where a difference was seen).
__attribute__((always_inline)) inline size_t zero_holding_pattern_body(char* area, size_t size) {
    size_t i = 0;
    for (; i + 256 <= size; i += 256) {
        if (differs<8>(area + i)) {
            return i;
        }
        zero<8>(area + i);
    }
    for (; i + 64 <= size; i += 64) {
        if (differs<2>(area + i)) {
            return i;
        }
        zero<2>(area + i);
    }
    if (tail_differences(area, i, size) != 0) {
        return i;
    }
    std::memset(area + i, 0, size - i);
    return size;
}

__attribute__((always_inline)) inline bool holds_pattern_body(char const* bytes, size_t size) {
    size_t i = 0;
    for (; i + 256 <= size; i += 256) {
        if (differs<8>(bytes + i)) {
            return false;
        }
    }
    for (; i + 64 <= size; i += 64) {
        if (differs<2>(bytes + i)) {
            return false;
        }
    }
    return tail_differences(bytes, i, size) == 0;
}

// The same code for AVX2, chosen at run time where the processor has it.
// (Chosen by a test of our own rather than by the loader, whose resolvers run
// before a sanitizer's run time is ready.)
size_t zero_holding_pattern_plain(char* area, size_t size) {
    return zero_holding_pattern_body(area, size);
}
__attribute__((target("avx2"))) size_t zero_holding_pattern_avx2(char* area, size_t size) {
    return zero_holding_pattern_body(area, size);
}
bool holds_pattern_plain(char const* bytes, size_t size) {
    return holds_pattern_body(bytes, size);
}
__attribute__((target("avx2"))) bool holds_pattern_avx2(char const* bytes, size_t size) {
    return holds_pattern_body(bytes, size);
}

bool have_avx2() {
    static int known = 0; // 0 not yet asked, 1 no, 2 yes
    int answer = __atomic_load_n(&known, __ATOMIC_RELAXED);
    if (answer == 0) {
        __builtin_cpu_init();
        answer = __builtin_cpu_supports("avx2") ? 2 : 1;
        __atomic_store_n(&known, answer, __ATOMIC_RELAXED);
    }
    return answer == 2;
}

size_t zero_holding_pattern(char* area, size_t size) {
    return have_avx2() ? zero_holding_pattern_avx2(area, size)
                       : zero_holding_pattern_plain(area, size);
}

} // namespace

void mem_fill_free_pattern(void* area, size_t size) {
    std::memset(area, 0x88, size);
}

bool mem_holds_free_pattern(void const* area, size_t size) {
    auto const* bytes = static_cast<char const*>(area);
    return have_avx2() ? holds_pattern_avx2(bytes, size) : holds_pattern_plain(bytes, size);
}

void mem_zero_checking_free_pattern(MEM_TRACKER_DATA const* tracker, void* user, size_t size) {
    auto* bytes = static_cast<char*>(user);
    if (!mem_check_memory) {
        std::memset(bytes, 0, size);
        return;
    }
    size_t zeroed = zero_holding_pattern(bytes, size);
    if (zeroed == size) {
        return;
    }
    // The bytes already zeroed get the pattern back, so that the report names
    // the first byte that did not hold it.
    mem_fill_free_pattern(bytes, zeroed);
    MEM_MEGA_PAGE::check_free_pattern_slowly(tracker, user, size);
    std::memset(user, 0, size);
}
