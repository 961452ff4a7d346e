// The arithmetic shared by the assignment collection's open-addressing tables:
// linear probing over a power-of-two number of cells, at most seven eighths
// full, and removal by moving later cells back (no tombstones).
#pragma once

#include <cstddef>
#include <cstdint>

// The first cell that a hash probes in a table of `size` cells.
inline size_t acf_open_table_home(uint32_t hash, size_t size) {
    // The hashes are of texts already; the multiplication spreads their low bits.
    return (hash * 0x9E3779B1u) & (size - 1);
}

// The number of cells for `entries`: `current` (64 when none), doubled as often
// as needed.
inline size_t acf_open_table_size(size_t current, size_t entries) {
    size_t size = current == 0 ? 64 : current;
    while (entries * 8 > size * 7) {
        size *= 2;
    }
    return size;
}

// Makes room at the cell `gap` about to be emptied: each later cell of the
// probe run that would no longer be found past the gap moves into it
// (`occupied(cell)`, `home(cell)` its first probed cell, `move(from, to)`).
// Returns the cell left to be emptied.
template <class OCCUPIED, class HOME, class MOVE>
size_t acf_open_table_close_gap(size_t gap, size_t size, OCCUPIED occupied, HOME home, MOVE move) {
    size_t const mask = size - 1;
    for (size_t next = (gap + 1) & mask; occupied(next); next = (next + 1) & mask) {
        // Movable when its first probed cell is not cyclically within (gap, next].
        if (((next - home(next)) & mask) >= ((next - gap) & mask)) {
            move(next, gap);
            gap = next;
        }
    }
    return gap;
}
