#include "mem/mem_native.h"

#include <cerrno>
#include <cstdlib>
#include <new>

#if defined(TESSALY_NATIVE_MALLOC)

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's public allocator query: true for the start of a live
// block of its allocator.
extern "C" int __sanitizer_get_ownership(void const volatile* p);
#endif

namespace {
void* native_allocate(size_t size) {
    return std::malloc(size);
}
void* native_reallocate(void* block, size_t size) {
    return std::realloc(block, size);
}
void* native_aligned_allocate(size_t size, size_t alignment) {
    void* block = nullptr;
    return posix_memalign(&block, alignment, size) == 0 ? block : nullptr;
}
void native_release(void* block) {
    std::free(block);
}
void native_aligned_release(void* block) {
    std::free(block);
}
} // namespace

bool tbb_is_recognized(void* block) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator knows exactly which addresses start a live block.
    return __sanitizer_get_ownership(block) != 0;
#else
    // The C runtime offers no safe ownership test; every pointer is taken as its own.
    return block != nullptr;
#endif
}

#else

#include <tbb/scalable_allocator.h>

// The checked size query that TBB's malloc proxy uses: it answers the usable size
// when the scalable allocator recognises the address as one of its blocks, and
// otherwise calls `original_msize` (here none, so 0) without touching the memory.
// The plain scalable_msize would assume a block of its own.
extern "C" size_t __TBB_malloc_safer_msize(void* object, size_t (*original_msize)(void*));

namespace {
void* native_allocate(size_t size) {
    return scalable_malloc(size);
}
void* native_reallocate(void* block, size_t size) {
    return scalable_realloc(block, size);
}
void* native_aligned_allocate(size_t size, size_t alignment) {
    return scalable_aligned_malloc(size, alignment);
}
void native_release(void* block) {
    scalable_free(block);
}
void native_aligned_release(void* block) {
    scalable_aligned_free(block);
}
} // namespace

bool tbb_is_recognized(void* block) {
    // The allocator answers for the areas it manages, so an address inside one of
    // its blocks (or in a freed block it still holds) counts as its own too.
    return block != nullptr && __TBB_malloc_safer_msize(block, nullptr) != 0;
}

#endif

namespace {
void* or_enomem(void* block) {
    if (block == nullptr) {
        errno = ENOMEM;
    }
    return block;
}
void* or_bad_alloc(void* block) {
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}
} // namespace

void* mem_native_new(size_t size) {
    return or_bad_alloc(native_allocate(size));
}
void* mem_native_array_new(size_t size) {
    return or_bad_alloc(native_allocate(size));
}
void* mem_native_malloc(size_t size) {
    return or_enomem(native_allocate(size));
}
void* mem_native_realloc(void* block, size_t size) {
    return or_enomem(native_reallocate(block, size));
}
void* mem_native_aligned_malloc(size_t size, size_t alignment) {
    return or_enomem(native_aligned_allocate(size, alignment));
}

void mem_native_delete(void* block) {
    native_release(block);
}
void mem_native_array_delete(void* block) {
    native_release(block);
}
void mem_native_free(void* block) {
    native_release(block);
}
void mem_native_aligned_free(void* block) {
    native_aligned_release(block);
}
