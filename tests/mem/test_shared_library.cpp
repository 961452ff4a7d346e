#include "mem_manager.h"
#include "mem_test_support.h"
#include "suite/threads/thr.h"

namespace {

using MemSharedLibrary = MemTracked;

// A library loaded into the process binds the process's manager: its unit
// initializer counts in the process, and its tracked allocations move the
// process's counters.
TEST_F(MemSharedLibrary, AllocatesThroughTheProcessManager) {
    int32_t initializers = MEM_INITIALIZER::s_init_counter;
    THR_DRL_HANDLE library = thr_drl_load(MEM_TEST_LIB_PATH);
    ASSERT_NE(library, nullptr) << thr_drl_get_error();
    EXPECT_EQ(MEM_INITIALIZER::s_init_counter, initializers + 1);

    auto allocate =
        reinterpret_cast<void* (*)()>(thr_drl_find_function(library, "mem_test_lib_allocate"));
    auto release =
        reinterpret_cast<void (*)(void*)>(thr_drl_find_function(library, "mem_test_lib_release"));
    ASSERT_NE(allocate, nullptr);
    ASSERT_NE(release, nullptr);

    uint64_t before = MEM_MANAGER::get_subsystem_memory_usage("MDB");
    void* object = allocate();
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("MDB"), before + 40);
    EXPECT_EQ(mem_test_header(object)->magic, MEM_TRACK_MAGIC);
    release(object);
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("MDB"), before);

    // A block of the library may be released by the process, and the reverse.
    object = allocate();
    delete static_cast<char*>(object);
    EXPECT_EQ(MEM_MANAGER::get_subsystem_memory_usage("MDB"), before);

    EXPECT_TRUE(thr_drl_unload(library));
    EXPECT_EQ(MEM_INITIALIZER::s_init_counter, initializers);
}

} // namespace
