#include "suite/threads/thr.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

struct THR_PIPE_OBJ {
    int fd = -1;
};

struct THR_PROCESS_OBJ {
    pid_t pid = -1;
    THR_PIPE_OBJ out;
    THR_PIPE_OBJ err;
};

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

void close_fd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// A pipe whose ends are not inherited by other children; the child gets its
// write end through the spawn's file actions.
bool open_pipe(int ends[2]) {
    return pipe2(ends, O_CLOEXEC) == 0;
}

// Waits for one child and drops its status.
void wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// A child that nobody waits for is reaped as soon as it ends, so it never
// lingers as a zombie. The waiting thread asks for this child alone: waiting
// for any child would take the statuses that other callers wait for.
void reap_when_done(pid_t pid) {
    std::thread(wait_for, pid).detach();
}

} // namespace

std::vector<std::string> thr_process_split_command_line(char const* command_line) {
    std::vector<std::string> words;
    if (command_line == nullptr) {
        return words;
    }
    std::string word;
    bool in_word = false;
    char quote = 0;
    for (char const* p = command_line; *p; ++p) {
        char c = *p;
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            in_word = true;
        } else if (is_blank(c)) {
            if (in_word) {
                words.push_back(word);
                word.clear();
                in_word = false;
            }
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) {
        words.push_back(word);
    }
    return words;
}

std::string thr_process_quote_argument(std::string const& text) {
    // Double quotes go between single quotes, everything else between double
    // quotes; adjacent quoted pieces join into one word.
    if (text.empty()) {
        return "\"\"";
    }
    std::string quoted;
    char open = 0;
    for (char c : text) {
        char wanted = c == '"' ? '\'' : '"';
        if (open != wanted) {
            if (open != 0) {
                quoted += open;
            }
            quoted += wanted;
            open = wanted;
        }
        quoted += c;
    }
    quoted += open;
    return quoted;
}

bool thr_process_create(char const* command_line, char const* working_dir, THR_PIPE* out,
                        THR_PIPE* err, THR_PROCESS* process, long* pid) {
    std::vector<std::string> words = thr_process_split_command_line(command_line);
    bool detached = process == nullptr;
    if (words.empty() || (detached && (out != nullptr || err != nullptr))) {
        return false;
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(&w[0]);
    }
    argv.push_back(nullptr);

    auto* child = new THR_PROCESS_OBJ;
    int out_ends[2] = {-1, -1};
    int err_ends[2] = {-1, -1};
    bool ok = (out == nullptr || open_pipe(out_ends)) &&
              (err == nullptr || err == out || open_pipe(err_ends));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, out_ends[1], 1);
    }
    if (err != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, err == out ? out_ends[1] : err_ends[1], 2);
    }
    if (working_dir != nullptr && *working_dir != '\0') {
        posix_spawn_file_actions_addchdir_np(&actions, working_dir);
    }
    if (ok) {
        ok = posix_spawnp(&child->pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    close_fd(out_ends[1]);
    close_fd(err_ends[1]);
    if (!ok) {
        close_fd(out_ends[0]);
        close_fd(err_ends[0]);
        delete child;
        return false;
    }
    if (detached) {
        reap_when_done(child->pid);
        if (pid != nullptr) {
            *pid = child->pid;
        }
        delete child;
        return true;
    }
    child->out.fd = out_ends[0];
    child->err.fd = err_ends[0];
    if (out != nullptr) {
        *out = &child->out;
    }
    if (err != nullptr) {
        *err = err == out ? &child->out : &child->err;
    }
    *process = child;
    if (pid != nullptr) {
        *pid = child->pid;
    }
    return true;
}

int thr_process_read(THR_PIPE pipe, char* buffer, size_t size, size_t* count) {
    *count = 0;
    if (pipe == nullptr || pipe->fd < 0 || size == 0) {
        return 1;
    }
    for (;;) {
        ssize_t n = read(pipe->fd, buffer, size);
        if (n > 0) {
            *count = static_cast<size_t>(n);
            return 0;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return 1;
    }
}

bool thr_process_wait(THR_PROCESS process, int* exit_code, int /*flags*/) {
    if (process == nullptr) {
        return false;
    }
    // Whatever was not read is no longer wanted: closing our ends keeps a
    // child that still writes from blocking on a full pipe.
    close_fd(process->out.fd);
    close_fd(process->err.fd);
    int status = 0;
    pid_t result;
    do {
        result = waitpid(process->pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    delete process;
    if (result < 0) {
        return false;
    }
    if (WIFEXITED(status)) {
        *exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        *exit_code = 128 + WTERMSIG(status);
    }
    return true;
}
