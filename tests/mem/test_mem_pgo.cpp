#include "mem/mem_pgo.h"

#include "child_process.h"

#include <gtest/gtest.h>

namespace {

TEST(MemPgo, PrintsEachModuleOnceInNameOrderAtExit) {
    CHILD_RESULT child = run_in_child([] {
        mem_pgo_debug = true;
        mem_register_dll_for_pgo("zeta.so", "run_b");
        mem_register_dll_for_pgo("alpha.so", "run_a");
        mem_register_dll_for_pgo("zeta.so", "run_c");
        mem_register_dll_for_pgo(nullptr, "ignored");
        mem_register_dll_for_pgo("beta.so", nullptr);
    });
    EXPECT_EQ(child.exit_status, 0);
    EXPECT_EQ(child.output,
              "Debug: PGO: The code module alpha.so was last compiled using PGO for:run_a\n"
              "Debug: PGO: The code module beta.so was last compiled using PGO for:\n"
              "Debug: PGO: The code module zeta.so was last compiled using PGO for:run_b\n");
}

TEST(MemPgo, PrintsNothingWithoutTheSettingOrWithoutModules) {
    CHILD_RESULT quiet = run_in_child([] {
        mem_pgo_debug = false;
        mem_register_dll_for_pgo("alpha.so", "run_a");
    });
    EXPECT_EQ(quiet.exit_status, 0);
    EXPECT_EQ(quiet.output, "");

    CHILD_RESULT empty = run_in_child([] { mem_pgo_debug = true; });
    EXPECT_EQ(empty.exit_status, 0);
    EXPECT_EQ(empty.output, "");
}

} // namespace
