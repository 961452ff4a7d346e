// Running a `regentool -t` script of a test project with the preloaded library
// (acf_fault_shim) making one kind of system call fail on chosen files.
#pragma once

#include "acf_fault_shim.h"
#include "acf_script_project.h"

#include <string>

// Runs the script with the preloaded library making the fault.
inline TEST_RUN_RESULT run_with_fault(ACF_SCRIPT_PROJECT& project, std::string const& script,
                                      char const* call, std::string const& file, long at,
                                      int error, std::string const& log) {
    ACF_FAULT_ARMED armed({call, file, at, log, error});
    return project.run(script);
}
