// The own heap's road: the manager's per-thread segments of mega pages, chosen
// with "mem_type" = "tessaly_memory_manager". The allocation interface calls only
// these functions for it.
//
// Until the segments are built, mem_own_heap_available() is false, every request
// takes the platform road, and no address belongs to the own heap.
#pragma once

#include "mem_manager.h"

#include <cstddef>

// The largest request the own heap serves (the sizes in its mega pages are
// 32-bit). Larger requests take the platform road whatever "mem_type" says.
constexpr size_t MEM_OWN_HEAP_MAX_REQUEST = 0xFFFF0000;

// True when the own heap can serve requests.
bool mem_own_heap_available();
// Start-up of the heap (first initializer) and the end of a thread's work.
void mem_own_heap_initialize();
void mem_own_heap_thread_end();

// A zero-filled block of `size` (already rounded, at most
// MEM_OWN_HEAP_MAX_REQUEST) bytes from the calling thread's segment, tracked
// under (thunk, file). Never null.
void* mem_own_heap_allocate(size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
// A zero-filled block for the manager's own bookkeeping, from the internal
// segment (released through mem_own_heap_release). Never null.
void* mem_own_heap_internal_allocate(size_t size);
// When `block` lies in the own heap: releases it (at once, or through its owning
// segment's queue) and answers true. False for blocks foreign to it.
bool mem_own_heap_release(void* block);
// When `block` lies in the own heap: resizes it to `size` (rounded) bytes into
// *result and answers true. False for blocks foreign to it.
bool mem_own_heap_reallocate(void* block, size_t size, MEM_TRACKER_THUNK* thunk, char const* file,
                             void** result);
// When `block` lies in the own heap: sets *allocated to whether it is a live
// block and answers true. False for blocks foreign to it.
bool mem_own_heap_owns(void* block, bool* allocated);
