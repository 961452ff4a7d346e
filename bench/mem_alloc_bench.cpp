// Allocation workloads on several allocators, each run in a child process of
// this program. Roads:
//   own            the allocation wrappers on the manager's own heap
//   own-nocheck    the same with MEM_CHECK_MEMORY=off (no free pattern)
//   platform       the allocation wrappers on the platform road
//   glibc          plain malloc/free of the C library
//   glibc-zeroed   malloc, then the block zero-filled over its rounded size (a
//                  multiple of 4, 4 for 0); free: the guarantee every block of
//                  the own heap gives, bought from glibc
//   glibc-checked  glibc-zeroed plus the free pattern: free first fills the
//                  block's usable size with 0x88, and allocation reads every
//                  byte of the rounded size against 0x88 before zeroing; the
//                  work the own heap does with the memory check on
//   jemalloc       plain malloc/free with libjemalloc preloaded
//   mimalloc       plain malloc/free with libmimalloc preloaded
// The two glibc variants let "own" and "own-nocheck" be set against glibc doing
// the same work with its own fast routines, apart from the raw glibc figures.
//
// Workloads, per thread:
//   mixed    a table of live blocks; each step frees a random slot's block and
//            allocates a new one (sizes 8 to 256 bytes, one in fifty 4 to 64
//            KB). One free in five is handed to the next thread, which frees it
//            (with one thread, to itself).
//   medium   as mixed, with sizes from 256 bytes to 4 KB.
//   realloc  as mixed with sizes up to 1 KB, but half of the steps that meet a
//            live block resize it (growing or shrinking) instead.
//   records  the settings reader's pattern: 250,000 small records (16 to 96
//            bytes) built up one after the other, then all freed in the same
//            order; again until the steps are done.
// Each thread has its own inbox with exactly one sender (the thread before it):
// a ring without a lock, so that handing blocks over costs the workload no lock
// and no sleep.
//
// The timed window is the work phase: from the moment every thread has passed
// the starting barrier to the moment the last thread finished its steps. It
// leaves out the start of the threads, their final drain and the release of
// every slot, and the processes' start-up and exit, alike for every road; the
// whole run (thread start to join) is printed beside it.
//
// Printed per workload, road and thread count: operations (allocations, frees
// and resizes) per second of the work phase and of the whole run, the same per
// second of processor time that the working threads used (a figure that the
// machine's other load barely moves: when it stays level from 1 to 8 threads,
// nothing makes the threads wait for each other or slows them down), peak
// resident memory, resident memory after everything was freed, the ratios of
// operations and peak against glibc, and "ops/same": the operations of "own"
// against "glibc-checked" and of "own-nocheck" against "glibc-zeroed" ("-" on
// the other roads). Then the figures that scripts/bench.sh gathers, one
// "ratio <figure>: <number>" line each (of the work phase): how the own heap's
// total rate grows with threads on the mixed workload, alone and set against
// how jemalloc's and mimalloc's grow, the own heap against glibc doing the
// same work, and on the records workload at 1 thread against jemalloc and
// mimalloc.
//
// The machine's load varies, so every road runs several times (3 by default)
// for each workload and thread count, in rounds over all roads (a slow spell
// hits every road alike), and the run with the most operations per second is
// kept, its memory figures with it. A run that fails (a crash, an internal
// error, no figures) is printed, and the program then exits with status 1.
//
// Usage: see kUsage (mem_alloc_bench --help).
#include "mem_manager.h"
#include "suite/threads/thr.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <malloc.h>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

MEM_UNIT_INITIALIZER(MEM);

namespace {

// How a child allocates and frees.
enum class ROUTE {
    wrappers, // the allocation wrappers
    plain,    // malloc/free
    zeroed,   // malloc, then zero-fill the rounded size
    checked,  // as zeroed, with the free pattern filled on free and read back
};
char const* const kRouteNames[] = {"wrappers", "malloc", "zeroed", "checked"};

struct ROAD {
    char const* name;
    ROUTE route;
    char const* mem_type; // configuration for the wrappers
    char const* check;    // MEM_CHECK_MEMORY, or null
    char const* preload;  // LD_PRELOAD, or null
    char const* same;     // the road doing the same work on glibc, or null
};

ROAD const kRoads[] = {
    {"own", ROUTE::wrappers, "tessaly_memory_manager", nullptr, nullptr, "glibc-checked"},
    {"own-nocheck", ROUTE::wrappers, "tessaly_memory_manager", "off", nullptr, "glibc-zeroed"},
    {"platform", ROUTE::wrappers, "c_runtime", nullptr, nullptr, nullptr},
    {"glibc", ROUTE::plain, "c_runtime", nullptr, nullptr, nullptr},
    {"glibc-zeroed", ROUTE::zeroed, "c_runtime", nullptr, nullptr, nullptr},
    {"glibc-checked", ROUTE::checked, "c_runtime", nullptr, nullptr, nullptr},
    {"jemalloc", ROUTE::plain, "c_runtime", nullptr, "libjemalloc.so.2", nullptr},
    {"mimalloc", ROUTE::plain, "c_runtime", nullptr, "libmimalloc.so.2", nullptr},
};

char const kUsage[] =
    "usage: mem_alloc_bench [--runs N] [--roads a,b,...] [--workloads a,b,...]\n"
    "                       [steps_per_thread]\n"
    "\n"
    "Runs allocation workloads with 1, 4 and 8 threads on several allocators, each\n"
    "run in a child process, and keeps the best of N runs (default 3).\n"
    "  roads:     own, own-nocheck, platform, glibc, glibc-zeroed, glibc-checked,\n"
    "             jemalloc, mimalloc (default: all)\n"
    "  workloads: mixed, medium, realloc, records (default: all)\n"
    "  steps_per_thread: default 1000000\n"
    "\n"
    "Columns: Mops/s is the rate of the work phase (all threads started to the\n"
    "last one done with its steps), whole Mops/s that of the whole run (thread\n"
    "start to join, with the final release of every block); Mops/cpu-s the rate\n"
    "per second of processor time the working threads used, which other load on\n"
    "the machine barely moves: level from 1 to 8 threads means the threads do not\n"
    "hold each other up. The closing \"ratio\" lines (of the work phase) are what\n"
    "scripts/bench.sh gathers.\n"
    "\n"
    "Thread scaling needs idle processors: look at the load first (uptime), and\n"
    "keep other programs off the processors used, for example\n"
    "  taskset -c 0-7 mem_alloc_bench --roads own,glibc-checked --workloads mixed\n"
    "  BENCH_ONLY=mem_alloc_bench scripts/bench.sh\n";

constexpr int kRuns = 3;
constexpr int kSlots = 4096;
constexpr int kBatch = 32;
constexpr size_t kInboxCapacity = 1 << 16;
constexpr uint64_t kPatternWord = 0x8888888888888888ull;

// --- the workload (child process) ---------------------------------------------

enum class WORKLOAD { mixed, medium, realloc, records };
char const* const kWorkloadNames[] = {"mixed", "medium", "realloc", "records"};

constexpr int kRecords = 250000;

// Blocks handed to a thread by the one before it: a ring with one sender and
// one receiver (with one thread, the same), each index on a line of its own.
struct INBOX {
    alignas(64) std::atomic<size_t> sent{0};     // written by the sender only
    alignas(64) std::atomic<size_t> received{0}; // written by the receiver only
    alignas(64) void* blocks[kInboxCapacity];
};

using CLOCK = std::chrono::steady_clock;

// Each worker on lines of its own: the counters change at every step.
struct alignas(64) WORKER {
    int index;
    int threads;
    long steps;
    ROUTE route;
    WORKLOAD workload;
    INBOX* inboxes;
    std::atomic<int>* phase;
    long operations = 0;
    long unpatterned = 0; // checked blocks not holding the free pattern whole
    // Processor time of the thread while it worked (between the barriers) and
    // the operations done meanwhile.
    double cpu_seconds = 0;
    long cpu_operations = 0;
    // When the thread passed the starting barrier and when it finished its steps.
    CLOCK::time_point work_start{};
    CLOCK::time_point work_end{};
};

double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The size the own heap zero-fills: a multiple of 4, and 4 for 0.
size_t rounded(size_t size) {
    return size == 0 ? 4 : (size + 3) & ~size_t{3};
}

template <typename T> T load(unsigned char const* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

typedef uint64_t WORD16 __attribute__((vector_size(16)));

// OR of the differences from the free pattern over all size bytes (a multiple
// of 4). It never stops early: a glibc block keeps glibc's links, so it rarely
// holds the pattern whole, and the scan must cost what a full check costs.
// (Kept out of line: it reads fresh glibc blocks, which the compiler would
// otherwise take for reads of uninitialised memory.)
[[gnu::noinline]] uint64_t pattern_differences(unsigned char const* p, size_t size) {
    WORD16 const pattern = {kPatternWord, kPatternWord};
    WORD16 a = {}, b = {}, c = {}, d = {};
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        a |= load<WORD16>(p + i) ^ pattern;
        b |= load<WORD16>(p + i + 16) ^ pattern;
        c |= load<WORD16>(p + i + 32) ^ pattern;
        d |= load<WORD16>(p + i + 48) ^ pattern;
    }
    for (; i + 16 <= size; i += 16) {
        a |= load<WORD16>(p + i) ^ pattern;
    }
    a |= b | c | d;
    uint64_t differences = a[0] | a[1];
    for (; i < size; i += 4) {
        differences |= load<uint32_t>(p + i) ^ uint32_t(kPatternWord);
    }
    return differences;
}

void* allocate(WORKER& w, size_t size) {
    if (w.route == ROUTE::wrappers) {
        return mem_new_wrapper(size, nullptr, __FILE__);
    }
    if (w.route == ROUTE::plain) {
        return std::malloc(size);
    }
    size_t r = rounded(size);
    auto* p = static_cast<unsigned char*>(std::malloc(r));
    if (w.route == ROUTE::checked && pattern_differences(p, r) != 0) {
        ++w.unpatterned;
    }
    std::memset(p, 0, r);
    return p;
}

void release(WORKER& w, void* p) {
    if (w.route == ROUTE::wrappers) {
        mem_delete_wrapper(p, nullptr);
        return;
    }
    if (w.route == ROUTE::checked) {
        std::memset(p, 0x88, malloc_usable_size(p));
    }
    std::free(p);
}

// A resized block; like the own heap's, the zeroed roads zero-fill the growth.
void* resize(WORKER& w, void* p, size_t size) {
    if (w.route == ROUTE::wrappers) {
        return mem_realloc_wrapper(p, size, nullptr, __FILE__);
    }
    if (w.route == ROUTE::plain) {
        return std::realloc(p, size);
    }
    size_t r = rounded(size);
    size_t old = malloc_usable_size(p);
    auto* q = static_cast<unsigned char*>(std::realloc(p, r));
    if (r > old) {
        std::memset(q + old, 0, r - old);
    }
    return q;
}

// All threads arrive before any goes on.
void barrier(std::atomic<int>* arrived, int threads, int round) {
    arrived->fetch_add(1);
    while (arrived->load() < threads * round) {
        sched_yield();
    }
}

// Blocks that do not fit in a full inbox are released by the sender.
void hand_over(WORKER& w, INBOX& inbox, void** batch, int count) {
    size_t sent = inbox.sent.load(std::memory_order_relaxed);
    size_t received = inbox.received.load(std::memory_order_acquire);
    for (int i = 0; i < count; ++i) {
        if (sent - received < kInboxCapacity) {
            inbox.blocks[sent++ % kInboxCapacity] = batch[i];
        } else {
            release(w, batch[i]);
        }
    }
    inbox.sent.store(sent, std::memory_order_release);
}

void drain(WORKER& w, INBOX& inbox) {
    size_t received = inbox.received.load(std::memory_order_relaxed);
    size_t sent = inbox.sent.load(std::memory_order_acquire);
    for (size_t i = received; i != sent; ++i) {
        release(w, inbox.blocks[i % kInboxCapacity]);
    }
    inbox.received.store(sent, std::memory_order_release);
    w.operations += static_cast<long>(sent - received);
}

size_t size_for(WORKLOAD workload, uint64_t r) {
    switch (workload) {
    case WORKLOAD::medium:
        return 256 + (r >> 40) % (4096 - 256 + 1);
    case WORKLOAD::realloc:
        return 8 + (r >> 40) % 1017;
    default:
        return (r >> 32) % 50 == 0 ? 4096 + (r >> 40) % (60 * 1024) : 8 + (r >> 40) % 249;
    }
}

// The mixed, medium and realloc workloads: a table of live blocks.
void churn_slots(WORKER& w) {
    INBOX& mine = w.inboxes[w.index];
    INBOX& next = w.inboxes[(w.index + 1) % w.threads];
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
    w.work_start = CLOCK::now();
    double cpu_start = thread_cpu_seconds();
    for (long step = 0; step < w.steps; ++step) {
        uint64_t r = random();
        void*& slot = slots[r % kSlots];
        size_t size = size_for(w.workload, r);
        if (slot != nullptr && w.workload == WORKLOAD::realloc && (r >> 16) % 2 == 0) {
            slot = resize(w, slot, size);
        } else {
            if (slot != nullptr) {
                if ((r >> 20) % 5 == 0) {
                    batch[batched++] = slot;
                    if (batched == kBatch) {
                        hand_over(w, next, batch, batched);
                        batched = 0;
                    }
                } else {
                    release(w, slot);
                    ++w.operations;
                }
            }
            slot = allocate(w, size);
        }
        static_cast<char*>(slot)[0] = 1;
        ++w.operations;
        if ((step & 255) == 0) {
            drain(w, mine);
        }
    }
    hand_over(w, next, batch, batched);
    w.cpu_seconds = thread_cpu_seconds() - cpu_start;
    w.cpu_operations = w.operations;
    w.work_end = CLOCK::now();
    barrier(w.phase, w.threads, 2);
    drain(w, mine);
    for (void*& slot : slots) {
        if (slot != nullptr) {
            release(w, slot);
        }
    }
}

// The records workload: build up, then free everything in the same order.
void build_and_free_records(WORKER& w) {
    std::vector<void*> records(kRecords);
    uint64_t x = 0x9E3779B97F4A7C15ull * (w.index + 1);
    barrier(w.phase, w.threads, 1);
    w.work_start = CLOCK::now();
    double cpu_start = thread_cpu_seconds();
    while (w.operations < w.steps) {
        for (void*& record : records) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            record = allocate(w, 16 + x % 81);
            static_cast<char*>(record)[0] = 1;
        }
        for (void* record : records) {
            release(w, record);
        }
        w.operations += 2 * kRecords;
    }
    w.cpu_seconds = thread_cpu_seconds() - cpu_start;
    w.cpu_operations = w.operations;
    w.work_end = CLOCK::now();
    barrier(w.phase, w.threads, 2);
}

void* work(void* arg) {
    WORKER& w = *static_cast<WORKER*>(arg);
    if (w.workload == WORKLOAD::records) {
        build_and_free_records(w);
    } else {
        churn_slots(w);
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

int run_child(ROUTE route, WORKLOAD workload, int threads, long steps) {
    std::vector<INBOX> inboxes(threads);
    std::vector<WORKER> workers(threads);
    std::vector<uintptr_t> handles;
    std::atomic<int> phase{0};
    auto start = CLOCK::now();
    for (int i = 0; i < threads; ++i) {
        workers[i] = WORKER{i, threads, steps, route, workload, inboxes.data(), &phase};
        handles.push_back(thr_thread_create(work, &workers[i]));
    }
    for (uintptr_t h : handles) {
        thr_thread_join(h);
    }
    double seconds = std::chrono::duration<double>(CLOCK::now() - start).count();
    long operations = 0;
    long work_operations = 0;
    double cpu_seconds = 0;
    CLOCK::time_point work_start = workers[0].work_start;
    CLOCK::time_point work_end = workers[0].work_end;
    for (WORKER const& w : workers) {
        operations += w.operations;
        work_operations += w.cpu_operations;
        cpu_seconds += w.cpu_seconds;
        work_start = std::min(work_start, w.work_start);
        work_end = std::max(work_end, w.work_end);
    }
    double work_seconds = std::chrono::duration<double>(work_end - work_start).count();
    std::printf("%.0f %ld %ld %.0f %.0f\n", work_seconds > 0 ? work_operations / work_seconds : 0.0,
                status_kb("VmHWM:"), status_kb("VmRSS:"),
                cpu_seconds > 0 ? work_operations / cpu_seconds : 0.0, operations / seconds);
    return 0;
}

// --- the driver ------------------------------------------------------------------

struct FIGURES {
    double ops = 0;         // operations per second of the work phase
    double ops_per_cpu = 0; // operations per second of the working threads' processor time
    double ops_whole = 0;   // operations per second of the whole run
    long peak_kb = 0;
    long after_kb = 0;
};

// Runs one child; false, with what went wrong in *failure, when it did not
// end normally with its figures.
bool run_road(char const* self, ROAD const& road, WORKLOAD workload, int threads, long steps,
              FIGURES* out, std::string* failure) {
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
    char const* argv[] = {self,      "--child", kRouteNames[static_cast<int>(road.route)],
                          t.c_str(), s.c_str(), kWorkloadNames[static_cast<int>(workload)],
                          nullptr};

    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) {
        *failure = "no pipe";
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
        *failure = std::string("could not start: ") + std::strerror(rc);
        return false;
    }
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(got));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
        *failure = std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
                   strsignal(WTERMSIG(status)) + ")";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *failure = "exit status " + std::to_string(WEXITSTATUS(status));
        return false;
    }
    if (std::sscanf(text.c_str(), "%lf %ld %ld %lf %lf", &out->ops, &out->peak_kb, &out->after_kb,
                    &out->ops_per_cpu, &out->ops_whole) != 5) {
        *failure = "no figures";
        return false;
    }
    return true;
}

// a against b with two decimals, "-" when either has no figure.
std::string ratio(double a, double b) {
    if (a <= 0 || b <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", a / b);
    return text;
}

template <size_t N> int index_of(char const* const (&names)[N], std::string const& name) {
    for (size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int road_index(std::string const& name) {
    for (size_t i = 0; i < std::size(kRoads); ++i) {
        if (name == kRoads[i].name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The comma-separated names of a list option as indexes; false on an unknown one.
template <typename LOOKUP>
bool parse_list(char const* text, LOOKUP lookup, std::vector<int>* indexes) {
    indexes->clear();
    std::string rest = text;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        int i = lookup(rest.substr(0, comma));
        if (i < 0) {
            return false;
        }
        indexes->push_back(i);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return !indexes->empty();
}

constexpr int kThreadCounts[] = {1, 4, 8};

// Best figures by workload, thread count (index into kThreadCounts) and road.
using RESULTS = std::vector<std::vector<std::vector<FIGURES>>>;

double ops_of(RESULTS const& results, WORKLOAD workload, int threads_index, char const* road) {
    int i = road_index(road);
    return i < 0 ? 0 : results[static_cast<size_t>(workload)][threads_index][i].ops;
}

std::string thread_text(int threads) {
    return std::to_string(threads) + (threads == 1 ? "-thread" : "-threads");
}

// The figures for scripts/bench.sh; a figure whose runs all failed (or whose
// roads were not run) is left out. Thread scaling on the mixed workload: the
// own heap's rate at 4 and 8 threads over its rate at 1, and that scaling over
// jemalloc's and mimalloc's in the same run (what any allocator can give on
// this workload sets the bar, not a fixed factor).
void print_ratios(RESULTS const& results, std::vector<int> const& workloads) {
    auto line = [](std::string const& figure, double a, double b) {
        if (a > 0 && b > 0) {
            std::printf("ratio %s: %.2f\n", figure.c_str(), a / b);
        }
    };
    auto scaling = [&](char const* road, int t) {
        double one = ops_of(results, WORKLOAD::mixed, 0, road);
        return one > 0 ? ops_of(results, WORKLOAD::mixed, t, road) / one : 0.0;
    };
    for (int t = 1; t < int(std::size(kThreadCounts)); ++t) {
        std::string const name = "own-heap-" + thread_text(kThreadCounts[t]);
        line(name + "-vs-1", scaling("own", t), 1.0);
        for (char const* other : {"jemalloc", "mimalloc"}) {
            line(name + "-scaling-vs-" + other, scaling("own", t), scaling(other, t));
        }
    }
    for (int wi : workloads) {
        auto workload = static_cast<WORKLOAD>(wi);
        std::string infix =
            workload == WORKLOAD::mixed ? "" : std::string(kWorkloadNames[wi]) + "-";
        for (int t = 0; t < int(std::size(kThreadCounts)); ++t) {
            line("own-vs-glibc-checked-" + infix + thread_text(kThreadCounts[t]),
                 ops_of(results, workload, t, "own"),
                 ops_of(results, workload, t, "glibc-checked"));
        }
        // The settings reader's pattern against the fastest allocators, which
        // do neither the zero-fill nor the free pattern.
        if (workload == WORKLOAD::records) {
            for (char const* other : {"jemalloc", "mimalloc"}) {
                line(std::string("own-vs-") + other + "-records-1-thread",
                     ops_of(results, workload, 0, "own"), ops_of(results, workload, 0, other));
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && argc <= 6 && std::strcmp(argv[1], "--child") == 0) {
        int route = index_of(kRouteNames, argv[2]);
        int workload = argc == 6 ? index_of(kWorkloadNames, argv[5]) : 0;
        if (route < 0 || workload < 0) {
            return 2;
        }
        return run_child(static_cast<ROUTE>(route), static_cast<WORKLOAD>(workload),
                         std::atoi(argv[3]), std::atol(argv[4]));
    }
    int runs = kRuns;
    long steps = 1000000;
    std::vector<int> roads(std::size(kRoads));
    std::vector<int> workloads(std::size(kWorkloadNames));
    for (size_t i = 0; i < roads.size(); ++i) {
        roads[i] = static_cast<int>(i);
    }
    for (size_t i = 0; i < workloads.size(); ++i) {
        workloads[i] = static_cast<int>(i);
    }
    bool usage = false;
    for (int a = 1; a < argc && !usage; ++a) {
        std::string arg = argv[a];
        bool has_value = a + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--runs" && has_value) {
            runs = std::atoi(argv[++a]);
            usage = runs <= 0;
        } else if (arg == "--roads" && has_value) {
            usage = !parse_list(argv[++a], road_index, &roads);
        } else if (arg == "--workloads" && has_value) {
            usage = !parse_list(
                argv[++a], [](std::string const& n) { return index_of(kWorkloadNames, n); },
                &workloads);
        } else {
            steps = std::atol(argv[a]);
            usage = steps <= 0 || a + 1 != argc;
        }
    }
    if (usage) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    RESULTS results(std::size(kWorkloadNames),
                    std::vector<std::vector<FIGURES>>(std::size(kThreadCounts),
                                                      std::vector<FIGURES>(std::size(kRoads))));
    int failures = 0;
    std::printf("%-8s %-13s %7s %12s %12s %11s %12s %14s %10s %10s %10s\n", "workload", "allocator",
                "threads", "Mops/s", "whole Mops/s", "Mops/cpu-s", "peak RSS MB", "RSS freed MB",
                "ops/glibc", "ops/same", "peak/glibc");
    for (int wi : workloads) {
        auto workload = static_cast<WORKLOAD>(wi);
        for (int t = 0; t < int(std::size(kThreadCounts)); ++t) {
            int threads = kThreadCounts[t];
            std::vector<FIGURES>& best = results[wi][t];
            for (int run = 0; run < runs; ++run) {
                for (int i : roads) {
                    FIGURES f;
                    std::string failure;
                    if (!run_road(argv[0], kRoads[i], workload, threads, steps, &f, &failure)) {
                        std::printf("run failed: %s, %s, %d threads, run %d: %s\n",
                                    kWorkloadNames[wi], kRoads[i].name, threads, run + 1,
                                    failure.c_str());
                        ++failures;
                    } else if (f.ops > best[i].ops) {
                        best[i] = f;
                    }
                }
            }
            FIGURES const& glibc = best[road_index("glibc")];
            for (int i : roads) {
                ROAD const& road = kRoads[i];
                FIGURES const& f = best[i];
                if (f.ops <= 0) {
                    std::printf("%-8s %-13s %7d   (every run failed)\n", kWorkloadNames[wi],
                                road.name, threads);
                    continue;
                }
                std::string same =
                    road.same != nullptr ? ratio(f.ops, best[road_index(road.same)].ops) : "-";
                std::printf("%-8s %-13s %7d %12.2f %12.2f %11.2f %12.1f %14.1f %10s %10s %10s\n",
                            kWorkloadNames[wi], road.name, threads, f.ops / 1e6, f.ops_whole / 1e6,
                            f.ops_per_cpu / 1e6, f.peak_kb / 1024.0, f.after_kb / 1024.0,
                            ratio(f.ops, glibc.ops).c_str(), same.c_str(),
                            ratio(f.peak_kb, glibc.peak_kb).c_str());
            }
            std::fflush(stdout);
        }
    }
    print_ratios(results, workloads);
    if (failures != 0) {
        std::printf("%d run(s) failed\n", failures);
        return 1;
    }
    return 0;
}
