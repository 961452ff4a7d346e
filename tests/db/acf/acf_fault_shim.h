// How a test preloads the fault library (acf_fault_shim.c) into a program it
// starts: the target defines ACF_FAULT_SHIM_PATH as the library's path.
#pragma once

#include "tests/support/test_child_environment.h"

#include <cerrno>
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

// A fault the library makes: the `at`-th call `call` (0: every one) on a file
// whose path holds `file` fails with `error` or, with `kill`, kills the program
// there; `log`, unless empty, gets a line when the fault is made.
struct ACF_FAULT {
    char const* call;
    std::string file;
    long at;
    std::string log;
    int error = EIO;
    bool kill = false;
};

// Preloads the library, with `fault` armed, into the programs started while it
// lives.
class ACF_FAULT_ARMED {
public:
    explicit ACF_FAULT_ARMED(ACF_FAULT const& fault) : m_environment(variables_of(fault)) {}

private:
    static std::vector<std::pair<char const*, std::string>> variables_of(ACF_FAULT const& fault) {
        std::vector<std::pair<char const*, std::string>> variables = acf_fault_shim_preload();
        variables.insert(variables.end(), {{"FAULT_CALL", fault.call},
                                           {"FAULT_FILE", fault.file},
                                           {"FAULT_AT", std::to_string(fault.at)},
                                           {"FAULT_ERRNO", std::to_string(fault.error)}});
        if (!fault.log.empty()) {
            variables.emplace_back("FAULT_LOG", fault.log);
        }
        if (fault.kill) {
            variables.emplace_back("FAULT_KILL", "1");
        }
        return variables;
    }

    TEST_CHILD_ENVIRONMENT m_environment;
};
