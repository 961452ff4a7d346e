// The native allocator behind the platform road: TBB's scalable allocator, or the
// C runtime's malloc when the build defines TESSALY_NATIVE_MALLOC (the sanitizer
// build, so that the sanitizer sees every block).
//
// Every function reports failure the same way: the allocating ones return null
// with errno set to ENOMEM (mem_native_new and mem_native_array_new throw
// std::bad_alloc instead); the releasing ones accept null.
#pragma once

#include <cstddef>

void* mem_native_new(size_t size);
void* mem_native_array_new(size_t size);
void* mem_native_malloc(size_t size);
void* mem_native_realloc(void* block, size_t size);
// `alignment` is a power of two, at least 16.
void* mem_native_aligned_malloc(size_t size, size_t alignment);

void mem_native_delete(void* block);
void mem_native_array_delete(void* block);
void mem_native_free(void* block);
void mem_native_aligned_free(void* block);

// True when `block` is the start of a block of the native allocator.
bool tbb_is_recognized(void* block);
