// Allocation workload on several allocators, each run in a child process of
// this program:
//   own          the allocation wrappers on the manager's own heap
//   own-nocheck  the same with MEM_CHECK_MEMORY=off (no free pattern)
//   platform     the allocation wrappers on the platform road
//   glibc        plain malloc/free of the C library
//   jemalloc     plain malloc/free with libjemalloc preloaded
//   mimalloc     plain malloc/free with libmimalloc preloaded
//
// Workload, per thread: a table of live blocks; each step frees a random slot's
// block and allocates a new one (sizes 8 to 256 bytes, one in fifty 4 to 64 KB).
// One free in five is handed to the next thread, which frees it (with one
// thread, to itself). Printed per run: operations (allocations plus frees) per
// second, peak resident memory, resident memory after everything was freed, and
// the ratios against glibc for the same number of threads.
//
// Usage: mem_alloc_bench [steps_per_thread]
#include "mem_manager.h"
#include "suite/threads/thr.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

MEM_UNIT_INITIALIZER(MEM);

namespace {

struct ROAD {
    char const* name;
    bool wrappers;        // through the allocation wrappers, else malloc/free
    char const* mem_type; // configuration for the wrappers
    char const* check;    // MEM_CHECK_MEMORY, or null
    char const* preload;  // LD_PRELOAD, or null
};

ROAD const kRoads[] = {
    {"own", true, "tessaly_memory_manager", nullptr, nullptr},
    {"own-nocheck", true, "tessaly_memory_manager", "off", nullptr},
    {"platform", true, "c_runtime", nullptr, nullptr},
    {"glibc", false, "c_runtime", nullptr, nullptr},
    {"jemalloc", false, "c_runtime", nullptr, "libjemalloc.so.2"},
    {"mimalloc", false, "c_runtime", nullptr, "libmimalloc.so.2"},
};

constexpr int kSlots = 4096;
constexpr int kBatch = 32;
constexpr size_t kInboxCapacity = 1 << 16;

// --- the workload (child process) ---------------------------------------------

struct INBOX {
    std::mutex lock;
    void* blocks[kInboxCapacity];
    size_t count = 0;
};

struct WORKER {
    int index;
    int threads;
    long steps;
    bool wrappers;
    std::vector<INBOX>* inboxes;
    std::atomic<int>* phase;
    long operations = 0;
};

void* allocate(bool wrappers, size_t size) {
    return wrappers ? mem_new_wrapper(size, nullptr, __FILE__) : std::malloc(size);
}

void release(bool wrappers, void* p) {
    if (wrappers) {
        mem_delete_wrapper(p, nullptr);
    } else {
        std::free(p);
    }
}

// All threads arrive before any goes on.
void barrier(std::atomic<int>* arrived, int threads, int round) {
    arrived->fetch_add(1);
    while (arrived->load() < threads * round) {
        sched_yield();
    }
}

void hand_over(WORKER& w, INBOX& inbox, void** batch, int count) {
    std::lock_guard<std::mutex> guard(inbox.lock);
    for (int i = 0; i < count; ++i) {
        if (inbox.count < kInboxCapacity) {
            inbox.blocks[inbox.count++] = batch[i];
        } else {
            release(w.wrappers, batch[i]);
        }
    }
}

void drain(WORKER& w, INBOX& inbox) {
    static thread_local void* taken[kInboxCapacity];
    size_t count;
    {
        std::lock_guard<std::mutex> guard(inbox.lock);
        count = inbox.count;
        std::memcpy(taken, inbox.blocks, count * sizeof(void*));
        inbox.count = 0;
    }
    for (size_t i = 0; i < count; ++i) {
        release(w.wrappers, taken[i]);
    }
    w.operations += static_cast<long>(count);
}

void* work(void* arg) {
    WORKER& w = *static_cast<WORKER*>(arg);
    INBOX& mine = (*w.inboxes)[w.index];
    INBOX& next = (*w.inboxes)[(w.index + 1) % w.threads];
    static thread_local void* slots[kSlots];
    void* batch[kBatch];
    int batched = 0;
    uint64_t x = 0x9E3779B97F4A7C15ull * (w.index + 1);
    auto random = [&x] {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    std::memset(slots, 0, sizeof slots);
    barrier(w.phase, w.threads, 1);
    for (long step = 0; step < w.steps; ++step) {
        uint64_t r = random();
        void*& slot = slots[r % kSlots];
        if (slot != nullptr) {
            if ((r >> 20) % 5 == 0) {
                batch[batched++] = slot;
                if (batched == kBatch) {
                    hand_over(w, next, batch, batched);
                    batched = 0;
                }
            } else {
                release(w.wrappers, slot);
                ++w.operations;
            }
        }
        size_t size = (r >> 32) % 50 == 0 ? 4096 + (r >> 40) % (60 * 1024) : 8 + (r >> 40) % 249;
        slot = allocate(w.wrappers, size);
        static_cast<char*>(slot)[0] = 1;
        ++w.operations;
        if ((step & 255) == 0) {
            drain(w, mine);
        }
    }
    hand_over(w, next, batch, batched);
    barrier(w.phase, w.threads, 2);
    drain(w, mine);
    for (void*& slot : slots) {
        if (slot != nullptr) {
            release(w.wrappers, slot);
        }
    }
    return nullptr;
}

long status_kb(char const* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long value = -1;
    size_t n = std::strlen(key);
    while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, key, n) == 0) {
            value = std::atol(line + n + 1);
        }
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    return value;
}

int run_child(bool wrappers, int threads, long steps) {
    std::vector<INBOX> inboxes(threads);
    std::vector<WORKER> workers(threads);
    std::vector<uintptr_t> handles;
    std::atomic<int> phase{0};
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < threads; ++i) {
        workers[i] = WORKER{i, threads, steps, wrappers, &inboxes, &phase, 0};
        handles.push_back(thr_thread_create(work, &workers[i]));
    }
    for (uintptr_t h : handles) {
        thr_thread_join(h);
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long operations = 0;
    for (WORKER const& w : workers) {
        operations += w.operations;
    }
    std::printf("%.0f %ld %ld\n", operations / seconds, status_kb("VmHWM:"), status_kb("VmRSS:"));
    return 0;
}

// --- the driver ------------------------------------------------------------------

struct FIGURES {
    double ops = 0;
    long peak_kb = 0;
    long after_kb = 0;
};

bool run_road(char const* self, ROAD const& road, int threads, long steps, FIGURES* out) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "mem_type=", 9) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0 &&
            std::strncmp(*e, "MEM_CHECK_MEMORY=", 17) != 0) {
            env.emplace_back(*e);
        }
    }
    env.push_back(std::string("mem_type=") + road.mem_type);
    if (road.check != nullptr) {
        env.push_back(std::string("MEM_CHECK_MEMORY=") + road.check);
    }
    if (road.preload != nullptr) {
        env.push_back(std::string("LD_PRELOAD=") + road.preload);
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string t = std::to_string(threads);
    std::string s = std::to_string(steps);
    char const* argv[] = {self,      "--child", road.wrappers ? "wrappers" : "malloc",
                          t.c_str(), s.c_str(), nullptr};

    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    pid_t pid;
    int rc =
        posix_spawn(&pid, self, &actions, nullptr, const_cast<char* const*>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    if (rc != 0) {
        close(pipe_fds[0]);
        return false;
    }
    char text[256] = {};
    ssize_t got = read(pipe_fds[0], text, sizeof text - 1);
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
           std::sscanf(text, "%lf %ld %ld", &out->ops, &out->peak_kb, &out->after_kb) == 3;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        return run_child(std::strcmp(argv[2], "wrappers") == 0, std::atoi(argv[3]),
                         std::atol(argv[4]));
    }
    if (argc > 2 || (argc == 2 && std::atol(argv[1]) <= 0)) {
        std::fprintf(stderr, "usage: %s [steps_per_thread]\n", argv[0]);
        return 2;
    }
    long steps = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::printf("%-12s %7s %12s %12s %14s %10s %10s\n", "allocator", "threads", "Mops/s",
                "peak RSS MB", "RSS freed MB", "ops/glibc", "peak/glibc");
    for (int threads : {1, 4, 8}) {
        FIGURES glibc;
        std::vector<std::pair<ROAD const*, FIGURES>> rows;
        for (ROAD const& road : kRoads) {
            FIGURES f;
            if (!run_road(argv[0], road, threads, steps, &f)) {
                std::printf("%-12s %7d   (run failed)\n", road.name, threads);
                continue;
            }
            if (std::strcmp(road.name, "glibc") == 0) {
                glibc = f;
            }
            rows.emplace_back(&road, f);
        }
        for (auto const& [road, f] : rows) {
            std::printf("%-12s %7d %12.2f %12.1f %14.1f %10.2f %10.2f\n", road->name, threads,
                        f.ops / 1e6, f.peak_kb / 1024.0, f.after_kb / 1024.0,
                        glibc.ops > 0 ? f.ops / glibc.ops : 0.0,
                        glibc.peak_kb > 0 ? double(f.peak_kb) / glibc.peak_kb : 0.0);
        }
    }
    return 0;
}
