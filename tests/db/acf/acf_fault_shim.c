/* A library preloaded (LD_PRELOAD) into a program under test that makes a
 * system call on a chosen kind of file fail, with EIO by default, as a failing
 * disk would.
 *
 *   FAULT_CALL   the call: open, read, write, fsync, rename, stat, lstat,
 *                readlink or flock
 *   FAULT_FILE   a text that the file's path must hold (".tsf", ".tpf", ...);
 *                with a "$" at its end, the text the path must end with
 *   FAULT_AT     which of the matching calls fails, counted from 1; 0 for all
 *   FAULT_ERRNO  the error number it fails with (default EIO)
 *   FAULT_LOG    a file that gets one line naming the path when the fault is made
 *   FAULT_KILL   when set, the process kills itself (SIGKILL) at the call instead,
 *                as a kill at that step would
 *
 * A file is known by its descriptor through /proc/self/fd, so that files opened
 * inside the C library (temporary files) are matched too; a rename matches by
 * either name; opens are those of open(), the call the suite's file library
 * makes. Every other call passes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static long matched_calls;

static int path_matches(char const* path) {
    char const* wanted = getenv("FAULT_FILE");
    if (path == NULL || wanted == NULL || *wanted == '\0') {
        return 0;
    }
    size_t length = strlen(wanted);
    if (wanted[length - 1] != '$') {
        return strstr(path, wanted) != NULL;
    }
    size_t path_length = strlen(path);
    return path_length >= length - 1 &&
           strncmp(path + path_length - (length - 1), wanted, length - 1) == 0;
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int fd_matches(int fd) {
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = NEXT(readlink)(link, path, sizeof path - 1);
    if (n < 0) {
        return 0;
    }
    path[n] = '\0';
    return path_matches(path);
}

static int is_call(char const* call) {
    char const* wanted = getenv("FAULT_CALL");
    return wanted != NULL && strcmp(wanted, call) == 0;
}

/* Whether this call, of the right kind on a matching file, is one to fail:
 * the FAULT_AT-th such call (every one for 0). */
static int strike(char const* call, char const* what) {
    char const* at = getenv("FAULT_AT");
    if (at == NULL || (atol(at) != 0 && ++matched_calls != atol(at))) {
        return 0;
    }
    char const* log = getenv("FAULT_LOG");
    if (log != NULL) {
        FILE* f = fopen(log, "a");
        if (f != NULL) {
            fprintf(f, "%s %s\n", call, what);
            fclose(f);
        }
    }
    if (getenv("FAULT_KILL") != NULL) {
        raise(SIGKILL);
    }
    char const* number = getenv("FAULT_ERRNO");
    errno = number != NULL ? atoi(number) : EIO;
    return 1;
}

static mode_t mode_argument(int flags, va_list args) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

int open(char const* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = mode_argument(flags, args);
    va_end(args);
    if (is_call("open") && path_matches(path) && strike("open", path)) {
        return -1;
    }
    return NEXT(open)(path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t size) {
    if (is_call("read") && fd_matches(fd) && strike("read", "descriptor")) {
        return -1;
    }
    return NEXT(read)(fd, buffer, size);
}

ssize_t write(int fd, void const* buffer, size_t size) {
    if (is_call("write") && fd_matches(fd) && strike("write", "descriptor")) {
        return -1;
    }
    return NEXT(write)(fd, buffer, size);
}

int fsync(int fd) {
    if (is_call("fsync") && fd_matches(fd) && strike("fsync", "descriptor")) {
        return -1;
    }
    return NEXT(fsync)(fd);
}

int rename(char const* from, char const* to) {
    if (is_call("rename") && (path_matches(from) || path_matches(to)) && strike("rename", to)) {
        return -1;
    }
    return NEXT(rename)(from, to);
}

int stat(char const* path, struct stat* status) {
    if (is_call("stat") && path_matches(path) && strike("stat", path)) {
        return -1;
    }
    return NEXT(stat)(path, status);
}

int lstat(char const* path, struct stat* status) {
    if (is_call("lstat") && path_matches(path) && strike("lstat", path)) {
        return -1;
    }
    return NEXT(lstat)(path, status);
}

ssize_t readlink(char const* path, char* buffer, size_t size) {
    if (is_call("readlink") && path_matches(path) && strike("readlink", path)) {
        return -1;
    }
    return NEXT(readlink)(path, buffer, size);
}

int flock(int fd, int operation) {
    if (is_call("flock") && fd_matches(fd) && strike("flock", "descriptor")) {
        return -1;
    }
    return NEXT(flock)(fd, operation);
}
