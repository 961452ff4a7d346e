// The free pattern of the own heap: with mem_check_memory on, every word of
// free space that is not a header holds MEM_FREE_PATTERN. Freed blocks are
// filled with it; a block handed out again is checked and zeroed in one pass,
// so that a write into freed memory is found at the next reuse.
#pragma once

#include <cstddef>

struct MEM_TRACKER_DATA;

// Fills [area, area + size) with the pattern.
void mem_fill_free_pattern(void* area, size_t size);
// Whether every word of [area, area + size) holds the pattern (size a multiple of 4).
bool mem_holds_free_pattern(void const* area, size_t size);
// Zeroes the user area of a block about to go to `tracker`'s site (size a
// multiple of 4); with mem_check_memory on, every word must still hold the
// pattern, else the first byte that does not is reported as an internal error.
void mem_zero_checking_free_pattern(MEM_TRACKER_DATA const* tracker, void* user, size_t size);
