// A library that allocates with the system's macros and binds the manager from
// the process that loads it.
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(MDB);

namespace {
struct MEM_TEST_LIB_OBJECT {
    char payload[40];
};
} // namespace

extern "C" __attribute__((visibility("default"))) void* mem_test_lib_allocate() {
    return MEM_NEW(MDB, MEM_TEST_LIB_OBJECT)();
}

extern "C" __attribute__((visibility("default"))) void mem_test_lib_release(void* object) {
    delete static_cast<MEM_TEST_LIB_OBJECT*>(object);
}
