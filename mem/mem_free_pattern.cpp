#include "mem/mem_free_pattern.h"

#include "mem/mem_section.h"
#include "mem/mem_segment_support.h"

#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <utility>

namespace {

// The pattern check and the zeroing of a fresh block run over every byte of
// it, and a block is checked and zeroed in one pass so that each line is loaded
// once. Small areas (most of them) take 16-byte SSE2 steps, which every x86_64
// processor has; large ones 32-byte steps, with AVX2 where the processor has it
// (chosen by a test of our own rather than by the loader, whose resolvers run
// before a sanitizer's run time is ready).
constexpr size_t kSmall = 512;
constexpr uint64_t kPatternWord = 0x8888888888888888ull;

// Areas are whole 4-byte words: a tail of 4, 8 or 12 bytes follows the 16-byte
// steps.
__attribute__((always_inline)) inline bool tail_holds_pattern(char const* p, size_t n) {
    for (size_t i = 0; i < n; i += 4) {
        uint32_t w;
        std::memcpy(&w, p + i, sizeof w);
        if (w != MEM_FREE_PATTERN) {
            return false;
        }
    }
    return true;
}

__attribute__((always_inline)) inline bool differs16(__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0x88)))) != 0xFFFF;
}

// Zeroes [area, area + size) where it holds the pattern; answers how many bytes
// from the start were zeroed (size when all held it).
size_t zero_holding_pattern_small(char* area, size_t size) {
    __m128i const pattern = _mm_set1_epi8(char(0x88));
    __m128i const zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        auto* v = reinterpret_cast<__m128i*>(area + i);
        __m128i a = _mm_loadu_si128(v);
        __m128i b = _mm_loadu_si128(v + 1);
        __m128i c = _mm_loadu_si128(v + 2);
        __m128i d = _mm_loadu_si128(v + 3);
        __m128i same =
            _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, pattern), _mm_cmpeq_epi8(b, pattern)),
                          _mm_and_si128(_mm_cmpeq_epi8(c, pattern), _mm_cmpeq_epi8(d, pattern)));
        if (_mm_movemask_epi8(same) != 0xFFFF) {
            return i;
        }
        _mm_storeu_si128(v, zero);
        _mm_storeu_si128(v + 1, zero);
        _mm_storeu_si128(v + 2, zero);
        _mm_storeu_si128(v + 3, zero);
    }
    for (; i + 16 <= size; i += 16) {
        auto* v = reinterpret_cast<__m128i*>(area + i);
        if (differs16(_mm_loadu_si128(v))) {
            return i;
        }
        _mm_storeu_si128(v, zero);
    }
    if (!tail_holds_pattern(area + i, size - i)) {
        return i;
    }
    for (; i < size; i += 4) {
        std::memset(area + i, 0, 4);
    }
    return size;
}

bool holds_pattern_small(char const* area, size_t size) {
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        if (differs16(_mm_loadu_si128(reinterpret_cast<__m128i const*>(area + i)))) {
            return false;
        }
    }
    return tail_holds_pattern(area + i, size - i);
}

// Large areas: 256 bytes are tested at once, as eight 32-byte values (two SSE
// registers each, or one AVX2 register).
typedef uint64_t MEM_VECTOR __attribute__((vector_size(32)));
typedef uint64_t MEM_UNALIGNED_VECTOR __attribute__((vector_size(32), aligned(1), may_alias));
constexpr MEM_VECTOR kPatternVector = {kPatternWord, kPatternWord, kPatternWord, kPatternWord};

// Whether the 256 bytes at p differ from the pattern; one test for all.
// (Vectors stay inside the functions: passing them by value would depend on
// the instruction set.)
__attribute__((always_inline)) inline bool differs256(char const* p) {
    MEM_VECTOR d = {0, 0, 0, 0};
    for (int k = 0; k < 8; ++k) {
        d |= *reinterpret_cast<MEM_UNALIGNED_VECTOR const*>(p + 32 * k) ^ kPatternVector;
    }
    return (d[0] | d[1] | d[2] | d[3]) != 0;
}

// Vector stores of zero, written out one by one: as a loop the compiler turns
// them into a string store, which costs more than the stores at these lengths.
template <size_t... K>
__attribute__((always_inline)) inline void zero256(char* p, std::index_sequence<K...>) {
    ((*reinterpret_cast<MEM_UNALIGNED_VECTOR*>(p + 32 * K) = MEM_VECTOR{0, 0, 0, 0}), ...);
}
__attribute__((always_inline)) inline void zero256(char* p) {
    zero256(p, std::make_index_sequence<8>());
}

__attribute__((always_inline)) inline size_t zero_holding_pattern_large(char* area, size_t size) {
    size_t i = 0;
    for (; i + 256 <= size; i += 256) {
        if (differs256(area + i)) {
            return i;
        }
        zero256(area + i);
    }
    return i + zero_holding_pattern_small(area + i, size - i);
}

__attribute__((always_inline)) inline bool holds_pattern_large(char const* area, size_t size) {
    size_t i = 0;
    for (; i + 256 <= size; i += 256) {
        if (differs256(area + i)) {
            return false;
        }
    }
    return holds_pattern_small(area + i, size - i);
}

size_t zero_holding_pattern_plain(char* area, size_t size) {
    return zero_holding_pattern_large(area, size);
}
__attribute__((target("avx2"))) size_t zero_holding_pattern_avx2(char* area, size_t size) {
    return zero_holding_pattern_large(area, size);
}
bool holds_pattern_plain(char const* area, size_t size) {
    return holds_pattern_large(area, size);
}
__attribute__((target("avx2"))) bool holds_pattern_avx2(char const* area, size_t size) {
    return holds_pattern_large(area, size);
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
    if (size <= kSmall) {
        return zero_holding_pattern_small(area, size);
    }
    return have_avx2() ? zero_holding_pattern_avx2(area, size)
                       : zero_holding_pattern_plain(area, size);
}

} // namespace

void mem_fill_free_pattern(void* area, size_t size) {
    // The C library's fill beats vector loops of our own here, small or large.
    std::memset(area, 0x88, size);
}

bool mem_holds_free_pattern(void const* area, size_t size) {
    auto const* bytes = static_cast<char const*>(area);
    if (size <= kSmall) {
        return holds_pattern_small(bytes, size);
    }
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
