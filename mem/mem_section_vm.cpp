#include "mem/mem_section_vm.h"

#include "mem/mem_segment_support.h"
#include "mem/mem_segment_tracking.h"

#include <sys/mman.h>

size_t mem_os_page_size = 65536;
MEM_MEGA_PAGE** mem_page_tables[MEM_PAGE_TABLE_ENTRIES];

namespace {

// Mappings are placed from here upward while the hint stays below the limit,
// and the hint falls back when mappings are released, so the heap stays low
// and reuses the lowest freed addresses first.
constexpr uintptr_t kFirstMmapAddress = 0x10000000;
constexpr uintptr_t kHintLimit = 0x40000000;
uintptr_t mem_next_mmap_address = kFirstMmapAddress;

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
    if (p != want) { // a kernel that takes the address only as a hint
        munmap(p, size);
        return nullptr;
    }
    return p;
}

void lower_hint(void const* address) {
    auto a = reinterpret_cast<uintptr_t>(address);
    if (a < mem_next_mmap_address) {
        mem_next_mmap_address = a;
    }
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
        munmap(p, size);
        return nullptr;
    }
    if (excess != 0 && mem_vrealloc(p, size, size - excess) == nullptr) {
        munmap(p, size);
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
    size = round_up(size, mem_os_page_size);
    while (mem_next_mmap_address < kHintLimit) {
        void* p = map_at(mem_next_mmap_address, size);
        if (p == nullptr) {
            mem_next_mmap_address += 0x10000;
            continue;
        }
        mem_next_mmap_address += round_up(size, 0x10000);
        return p;
    }
    return map_anywhere(size);
}

void mem_vfree(void* address, size_t size) {
    MEM_ASSERT(mem_critical_section.is_locked());
    if (address == nullptr) {
        return;
    }
    size = round_up(size, mem_os_page_size);
    munmap(address, size);
    mem_segment_track_system_memory(-static_cast<long long>(size));
    lower_hint(address);
}

void* mem_vrealloc(void* address, size_t old_size, size_t new_size) {
    void* p = mremap(address, round_up(old_size, mem_os_page_size),
                     round_up(new_size, mem_os_page_size), 0);
    return p == MAP_FAILED ? nullptr : p;
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
