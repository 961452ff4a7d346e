// Runs a command line as a child process of a benchmark and collects what it
// prints on standard output.
#pragma once

#include "suite/threads/thr.h"

#include <string>

// The child's exit code, or -1 when it could not be started; `output`
// receives its standard output.
inline int bench_run_command(std::string const& command, char const* working_dir,
                             std::string* output) {
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    if (!thr_process_create(command.c_str(), working_dir, &out, nullptr, &process, nullptr)) {
        return -1;
    }
    output->clear();
    char buffer[256];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
        output->append(buffer, count);
    }
    int exit_code = 1;
    thr_process_wait(process, &exit_code, 0);
    return exit_code;
}
