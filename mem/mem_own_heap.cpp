// The own heap is not built yet: nothing belongs to it and it serves nothing.
#include "mem/mem_own_heap.h"

#include "mem/mem_debug.h"

bool mem_own_heap_available() {
    return false;
}
void mem_own_heap_initialize() {}
void mem_own_heap_thread_end() {}

void* mem_own_heap_allocate(size_t size, MEM_TRACKER_THUNK*, char const*) {
    mem_internal_error(__FILE__, __LINE__, "Attempting to allocate %zu bytes\n", size);
    return nullptr;
}

bool mem_own_heap_release(void*) {
    return false;
}
bool mem_own_heap_reallocate(void*, size_t, MEM_TRACKER_THUNK*, char const*, void**) {
    return false;
}
bool mem_own_heap_owns(void*, bool*) {
    return false;
}
