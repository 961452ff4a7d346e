// Prints the memory manager's settings in force after start-up, one "name=value"
// per line, and the header word of a fresh block.
#include "mem/mem_config.h"
#include "mem/mem_track.h"

#include <cstdio>

int main() {
    std::printf("use_native_allocator=%d\n", mem_use_native_allocator);
    std::printf("track_memory=%d\n", MEM_TRACKER::s_track_memory);
    std::printf("print_mem_usage_files=%d\n", MEM_TRACKER::s_print_mem_usage_files);
    std::printf("print_leak_warnings=%d\n", MEM_TRACKER::s_print_leak_warnings);
    std::printf("check_memory=%d\n", mem_check_memory);
    std::printf("track_callstack=%d\n", MEM_TRACKER::s_track_callstack);
    std::printf("track_callstack_max_depth=%d\n", MEM_TRACKER::s_track_callstack_max_depth);
    std::printf("track_callstack_max_reports=%d\n", MEM_TRACKER::s_track_callstack_max_reports);
    void* block = MEM_MALLOC(MEM, 5);
    std::printf("header_magic=%x\n", (static_cast<MEM_TRACK_HEADER*>(block) - 1)->magic);
    mem_free_wrapper(block, nullptr);
    return 0;
}
