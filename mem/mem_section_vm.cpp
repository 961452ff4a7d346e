#include "mem/mem_section_vm.h"

#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <cerrno>
#include <sys/mman.h>

size_t mem_os_page_size = 65536;
MEM_MEGA_PAGE** mem_page_tables[MEM_PAGE_TABLE_ENTRIES];

namespace {

// Mappings are placed in the low range [kFirstMmapAddress, kLowLimit), at the
// lowest free run of 64 KB regions that fits, so the heap stays low and reuses
// the lowest freed addresses first; beyond it, wherever the system puts them.
// The regions taken (by a mapping of ours, or found taken by someone else) are
// kept in a bitmap, so that placing a mapping never probes taken addresses.
// Everything here runs under mem_critical_section.
constexpr uintptr_t kFirstMmapAddress = 0x10000000;
constexpr uintptr_t kLowLimit = 0x40000000;
constexpr size_t kRegionBytes = size_t(1) << MEM_REGION_SHIFT;
constexpr size_t kLowRegions = (kLowLimit - kFirstMmapAddress) / kRegionBytes;
uint64_t mem_low_regions_taken[kLowRegions / 64];
size_t mem_first_free_region = 0; // every region below it is taken

constexpr size_t kSecondLevelBytes = MEM_PAGE_TABLE_ENTRIES * sizeof(MEM_MEGA_PAGE*);

size_t round_up(size_t value, size_t unit) {
    return (value + unit - 1) / unit * unit;
}

void* map_anywhere(size_t size) {
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

// Maps exactly at `address`, or fails when anything is there already.
void* map_at(uintptr_t address, size_t size) {
    void* want = reinterpret_cast<void*>(address);
    void* p = mmap(want, size, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (p == MAP_FAILED) {
        return nullptr;
    }
    if (p != want) { // a kernel that takes the address only as a hint: it is taken
        munmap(p, size);
        errno = EEXIST;
        return nullptr;
    }
    return p;
}

bool region_taken(size_t region) {
    return (mem_low_regions_taken[region / 64] >> (region % 64)) & 1;
}

void mark_regions(size_t first, size_t count, bool taken) {
    for (size_t r = first; r < first + count && r < kLowRegions; ++r) {
        uint64_t bit = uint64_t(1) << (r % 64);
        mem_low_regions_taken[r / 64] =
            taken ? mem_low_regions_taken[r / 64] | bit : mem_low_regions_taken[r / 64] & ~bit;
    }
    if (!taken && first < mem_first_free_region) {
        mem_first_free_region = first;
    }
    while (mem_first_free_region < kLowRegions && region_taken(mem_first_free_region)) {
        ++mem_first_free_region;
    }
}

// The first region of the lowest run of `count` free regions, or kLowRegions.
size_t find_free_run(size_t count) {
    size_t run = 0;
    for (size_t r = mem_first_free_region; r < kLowRegions; ++r) {
        if (r % 64 == 0 && mem_low_regions_taken[r / 64] == ~uint64_t(0)) {
            r += 63; // a word of taken regions
            run = 0;
        } else if (region_taken(r)) {
            run = 0;
        } else if (++run == count) {
            return r + 1 - count;
        }
    }
    return kLowRegions;
}

size_t regions_for(size_t bytes) {
    return (bytes + kRegionBytes - 1) / kRegionBytes;
}

// The low range's regions that [address, address + size) meets are free again
// (mappings start on a region boundary: no other mapping of ours shares them).
void release_regions(void const* address, size_t size) {
    auto a = reinterpret_cast<uintptr_t>(address);
    if (a >= kFirstMmapAddress && a < kLowLimit && size != 0) {
        size_t first = regions_for(a - kFirstMmapAddress);
        size_t end = regions_for(a + size - kFirstMmapAddress);
        if (end > first) {
            mark_regions(first, end - first, false);
        }
    }
}

void unmap(void* address, size_t size) {
    munmap(address, size);
    release_regions(address, size);
}

// One mapping of `size` bytes trimmed at its end to `alignment`, when that
// leaves at least `min_size`.
void* aligned_attempt(size_t size, size_t min_size, size_t alignment, size_t* actual) {
    char* p = static_cast<char*>(mem_valloc(size));
    if (p == nullptr) {
        return nullptr;
    }
    size_t excess = reinterpret_cast<uintptr_t>(p + size) % alignment;
    if (size - excess < min_size) {
        unmap(p, size);
        return nullptr;
    }
    if (excess != 0 && mem_vrealloc(p, size, size - excess) == nullptr) {
        unmap(p, size);
        return nullptr;
    }
    *actual = size - excess;
    mem_segment_track_system_memory(static_cast<long long>(*actual));
    return p;
}

char* chunk_next = nullptr;
size_t chunk_left = 0;

} // namespace

void* mem_valloc(size_t size) {
    MEM_ASSERT(mem_critical_section.is_locked());
    size = round_up(size, mem_os_page_size);
    size_t count = regions_for(size);
    for (;;) {
        size_t first = find_free_run(count);
        if (first == kLowRegions) {
            return map_anywhere(size);
        }
        void* p = map_at(kFirstMmapAddress + first * kRegionBytes, size);
        if (p == nullptr && errno != EEXIST) {
            return map_anywhere(size); // out of memory, most likely: no use probing on
        }
        // Taken by a mapping of ours, or the run's first region (at least) by
        // someone else's, which is not asked again.
        mark_regions(first, p != nullptr ? count : 1, true);
        if (p != nullptr) {
            return p;
        }
    }
}

void mem_vfree(void* address, size_t size) {
    MEM_ASSERT(mem_critical_section.is_locked());
    if (address == nullptr) {
        return;
    }
    size = round_up(size, mem_os_page_size);
    unmap(address, size);
    mem_segment_track_system_memory(-static_cast<long long>(size));
}

void* mem_vrealloc(void* address, size_t old_size, size_t new_size) {
    old_size = round_up(old_size, mem_os_page_size);
    new_size = round_up(new_size, mem_os_page_size);
    void* p = mremap(address, old_size, new_size, 0);
    if (p == MAP_FAILED) {
        return nullptr;
    }
    if (new_size < old_size) {
        release_regions(static_cast<char*>(address) + new_size, old_size - new_size);
    }
    return p;
}

void* mem_aligned_valloc(size_t min_size, size_t preferred_size, size_t alignment,
                         size_t* actual_size) {
    min_size = round_up(min_size, mem_os_page_size);
    preferred_size = round_up(preferred_size, mem_os_page_size);
    *actual_size = 0;
    size_t size = preferred_size > min_size ? preferred_size : min_size;
    if (void* p = aligned_attempt(size, min_size, alignment, actual_size)) {
        return p;
    }
    size_t start = alignment + min_size > preferred_size ? alignment + min_size : preferred_size;
    for (size = start - mem_os_page_size; size >= min_size; size -= mem_os_page_size) {
        if (void* p = aligned_attempt(size, min_size, alignment, actual_size)) {
            return p;
        }
    }
    return nullptr;
}

void* mem_internal_persistent_chunk_alloc(size_t size) {
    MEM_ASSERT(mem_critical_section.is_locked());
    size = round_up(size, 128);
    if (size > chunk_left) {
        size_t chunk = round_up(size, mem_os_page_size);
        chunk_next = static_cast<char*>(mem_valloc(chunk));
        if (chunk_next == nullptr) {
            mem_out_of_memory();
        }
        mem_segment_track_system_memory(static_cast<long long>(chunk));
        chunk_left = chunk;
    }
    void* result = chunk_next;
    chunk_next += size;
    chunk_left -= size;
    return result;
}

void mem_set_mega_page_for_range(char const* head, char const* tail, MEM_MEGA_PAGE* page) {
    MEM_ASSERT(mem_critical_section.is_locked());
    uintptr_t last = (reinterpret_cast<uintptr_t>(tail) - 1) >> MEM_REGION_SHIFT;
    for (uintptr_t region = reinterpret_cast<uintptr_t>(head) >> MEM_REGION_SHIFT; region <= last;
         ++region) {
        MEM_MEGA_PAGE**& level = mem_page_tables[region >> 16];
        if (level == nullptr) {
            auto* fresh = static_cast<MEM_MEGA_PAGE**>(mem_valloc(kSecondLevelBytes));
            if (fresh == nullptr) {
                mem_out_of_memory();
            }
            mem_segment_track_system_memory(static_cast<long long>(kSecondLevelBytes));
            __atomic_store_n(&level, fresh, __ATOMIC_RELEASE);
        }
        __atomic_store_n(&level[region & 0xFFFF], page, __ATOMIC_RELAXED);
    }
}
