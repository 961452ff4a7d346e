// A program that leaks on purpose, for the tests of the exit-time leak reports.
// The memory settings come from its environment, as in any program.
//
//     mem_leaker <module file name> <action>...
//
// It reports <module file name> as its own file name. Actions: "acf" leaks one
// 24-byte block at an ACF site, "acf2" two blocks from one call stack, "acf2free1"
// two blocks of which it frees one, "free1acf2" one block freed and then two blocks
// from one call stack (the first of them reuses the freed one), "mem" one block at
// a MEM site, "none" nothing.
// It prints "site <file> <line>" for the ACF site.
#include "mem/mem_config.h"
#include "mem_manager.h"

#include <cstdio>
#include <cstring>
#include <string>

struct Leaky24 {
    char bytes[24];
};

namespace {
// The program's arguments outlive every static object, unlike a static string.
char const* s_module = "";
int s_acf_site_line = 0;
} // namespace

// The leaking functions stay frames of their own, named as written, at any
// optimisation level: not inlined, and (where the compiler would) not cloned
// into a copy specialised for the constants main passes.
#if defined(__GNUC__) && !defined(__clang__)
#define OWN_FRAME __attribute__((noipa))
#else
#define OWN_FRAME __attribute__((noinline))
#endif

OWN_FRAME Leaky24* leak_one_acf_block() {
    // The line is taken on the site's own line.
    return (s_acf_site_line = __LINE__, MEM_NEW(ACF, Leaky24)());
}

OWN_FRAME void leak_from_one_stack(int count, int freed) {
    Leaky24* blocks[2] = {};
    for (int i = 0; i < count; ++i) {
        blocks[i] = leak_one_acf_block();
    }
    for (int i = 0; i < freed; ++i) {
        delete blocks[i];
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    s_module = argv[1];
    mem_set_gen_get_module_filename_callback([] { return std::string(s_module); });
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "acf") == 0) {
            leak_from_one_stack(1, 0);
        } else if (std::strcmp(argv[i], "acf2") == 0) {
            leak_from_one_stack(2, 0);
        } else if (std::strcmp(argv[i], "acf2free1") == 0) {
            leak_from_one_stack(2, 1);
        } else if (std::strcmp(argv[i], "free1acf2") == 0) {
            leak_from_one_stack(1, 1);
            leak_from_one_stack(2, 0);
        } else if (std::strcmp(argv[i], "mem") == 0) {
            MEM_NEW(MEM, Leaky24)();
        }
    }
    std::printf("site %s %d\n", __FILE__, s_acf_site_line);
    std::fflush(stdout);
    return 0;
}
