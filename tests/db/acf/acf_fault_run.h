// Running a `regentool -t` script of a test project with the preloaded library
// (acf_fault_shim) making one kind of system call fail on chosen files.
#pragma once

#include "acf_fault_shim.h"
#include "acf_script_project.h"
#include "tests/support/test_child_environment.h"

#include <string>
#include <utility>
#include <vector>

// Runs the script with the preloaded library making the fault.
inline TEST_RUN_RESULT run_with_fault(ACF_SCRIPT_PROJECT& project, std::string const& script,
                                      char const* call, std::string const& file, long at,
                                      int error, std::string const& log) {
    std::vector<std::pair<char const*, std::string>> variables = acf_fault_shim_preload();
    variables.insert(variables.end(), {{"FAULT_CALL", call},
                                       {"FAULT_FILE", file},
                                       {"FAULT_AT", std::to_string(at)},
                                       {"FAULT_ERRNO", std::to_string(error)},
                                       {"FAULT_LOG", log}});
    TEST_CHILD_ENVIRONMENT environment(variables);
    return project.run(script);
}
