// How a test preloads the fault library (acf_fault_shim.c) into a program it
// starts: the target defines ACF_FAULT_SHIM_PATH as the library's path.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// The variables that preload the library; the FAULT_* variables choose the
// fault.
inline std::vector<std::pair<char const*, std::string>> acf_fault_shim_preload() {
    // The sanitizers' runtime then need not come first.
    char const* asan = std::getenv("ASAN_OPTIONS");
    return {{"LD_PRELOAD", ACF_FAULT_SHIM_PATH},
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
}
