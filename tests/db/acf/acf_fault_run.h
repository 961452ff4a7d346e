// Running a `regentool -t` script of a test project with a preloaded library
// (acf_fault_shim) making one kind of system call fail on chosen files.
#pragma once

#include "acf_script_project.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Environment variables for the programs started while it lives.
class CHILD_ENVIRONMENT {
public:
    explicit CHILD_ENVIRONMENT(std::vector<std::pair<char const*, std::string>> const& variables) {
        for (auto const& variable : variables) {
            char const* old = std::getenv(variable.first);
            m_kept.emplace_back(variable.first, old != nullptr ? old : "", old != nullptr);
            setenv(variable.first, variable.second.c_str(), 1);
        }
    }
    ~CHILD_ENVIRONMENT() {
        for (KEPT const& kept : m_kept) {
            if (kept.was_set) {
                setenv(kept.name, kept.value.c_str(), 1);
            } else {
                unsetenv(kept.name);
            }
        }
    }
    CHILD_ENVIRONMENT(CHILD_ENVIRONMENT const&) = delete;
    CHILD_ENVIRONMENT& operator=(CHILD_ENVIRONMENT const&) = delete;

private:
    struct KEPT {
        KEPT(char const* n, std::string v, bool s) : name(n), value(std::move(v)), was_set(s) {}
        char const* name;
        std::string value;
        bool was_set;
    };
    std::vector<KEPT> m_kept;
};

// Runs the script with the preloaded library making the fault.
inline TEST_RUN_RESULT run_with_fault(ACF_SCRIPT_PROJECT& project, std::string const& script,
                               char const* call, std::string const& file, long at, int error,
                               std::string const& log) {
    // The sanitizers' runtime then need not come first.
    char const* asan = std::getenv("ASAN_OPTIONS");
    CHILD_ENVIRONMENT environment(
        {{"LD_PRELOAD", ACF_FAULT_SHIM_PATH},
         {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"},
         {"FAULT_CALL", call},
         {"FAULT_FILE", file},
         {"FAULT_AT", std::to_string(at)},
         {"FAULT_ERRNO", std::to_string(error)},
         {"FAULT_LOG", log}});
    return project.run(script);
}
