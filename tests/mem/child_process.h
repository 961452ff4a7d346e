// Runs a piece of a test in a forked child that ends with exit(), so that its
// exit-time work (static destructors, the last initializer) runs, and hands
// back what the child printed on standard output.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct CHILD_RESULT {
    std::string output;
    int exit_status = -1;
};

inline CHILD_RESULT run_in_child(std::function<void()> const& body) {
    std::fflush(stdout);
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) {
        return {};
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(pipe_fds[0]);
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[1]);
        body();
        std::exit(0);
    }
    close(pipe_fds[1]);
    CHILD_RESULT result;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
        result.output.append(buffer, static_cast<size_t>(n));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
