// Virtual memory beneath the own heap: anonymous mappings kept low in the
// address space, the persistent chunk for records that are never freed, and the
// page table that finds the mega page holding any address.
//
// The page table covers 48-bit addresses in two levels, one entry per 64 KB
// region.
#pragma once

#include <cstddef>
#include <cstdint>

struct MEM_MEGA_PAGE;

// The OS page size; 65536 until the manager starts.
extern size_t mem_os_page_size;

// Maps `size` bytes (rounded up to the OS page) read-write, low in the address
// space when there is room; null on failure. Requires mem_critical_section.
void* mem_valloc(size_t size);
// Unmaps; requires mem_critical_section. Null does nothing.
void mem_vfree(void* address, size_t size);
// Shrinks a mapping in place (it never moves); null on failure. Requires
// mem_critical_section.
void* mem_vrealloc(void* address, size_t old_size, size_t new_size);
// Maps at least `min_size` bytes, preferably `preferred_size`, so that the end of
// the mapping is a multiple of `alignment`; the size kept goes to *actual_size.
// Null (and 0) when no size between the two can be mapped.
void* mem_aligned_valloc(size_t min_size, size_t preferred_size, size_t alignment,
                         size_t* actual_size);

// Carves `size` bytes (rounded up to 128) from a never-freed arena; requires
// mem_critical_section. Runs out-of-memory handling when nothing can be mapped.
void* mem_internal_persistent_chunk_alloc(size_t size);

// The page table: first level indexed by address bits 32-47, second levels
// (mapped on first use) by bits 16-31.
constexpr unsigned MEM_REGION_SHIFT = 16; // 64 KB regions
constexpr size_t MEM_PAGE_TABLE_ENTRIES = size_t(1) << 16;
extern MEM_MEGA_PAGE** mem_page_tables[MEM_PAGE_TABLE_ENTRIES];

// The mega page whose 64 KB regions include `address`, or null. The first
// region of a page may be shared with other memory: callers compare with the
// page's head. (Inline: every release asks it.)
inline MEM_MEGA_PAGE* mem_get_mega_page_from_address(void const* address) {
    uintptr_t region = reinterpret_cast<uintptr_t>(address) >> MEM_REGION_SHIFT;
    if (region >= MEM_PAGE_TABLE_ENTRIES * MEM_PAGE_TABLE_ENTRIES) {
        return nullptr;
    }
    MEM_MEGA_PAGE** level = __atomic_load_n(&mem_page_tables[region >> 16], __ATOMIC_ACQUIRE);
    return level == nullptr ? nullptr : __atomic_load_n(&level[region & 0xFFFF], __ATOMIC_RELAXED);
}
// Enters (or, with null, clears) the page for every 64 KB region that meets
// [head, tail); requires mem_critical_section.
void mem_set_mega_page_for_range(char const* head, char const* tail, MEM_MEGA_PAGE* page);
