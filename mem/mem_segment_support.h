// What the own heap takes from the rest of the memory manager: its fatal report,
// the out-of-memory road, the free-pattern switch and the process-wide lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <pthread.h>

// The manager's fatal report (file, line, printf format); it does not return
// to normal operation.
void mem_internal_error(char const* file, int line, char const* format, ...)
    __attribute__((format(printf, 3, 4)));
// Set by the first internal error of the process.
extern bool mem_internal_error_encountered;
// Releases the spare reserves, reports and ends the process with status 1.
[[noreturn]] void mem_out_of_memory();
// Freed own-heap memory is filled with the free pattern and checked on reuse.
extern bool mem_check_memory;

// A broken heap invariant: an internal error naming the condition.
#define MEM_ASSERT(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            mem_internal_error(__FILE__, __LINE__, "%s\n", #condition);                            \
        }                                                                                          \
    } while (0)

// A recursive mutex that counts its holds. Before initialize() (static start-up,
// one thread) and after destroy() it only counts. It is a plain POSIX mutex so
// that creating it allocates nothing.
class MEM_CRITICAL_SECTION {
public:
    void initialize();
    void destroy();
    void lock();
    void unlock();
    // Releases every hold; returns how many there were.
    unsigned unlock_all();
    bool is_locked() const { return m_count != 0; }

private:
    pthread_mutex_t m_mutex;
    bool m_initialized = false;
    unsigned m_count = 0;
};

// Guards everything shared between threads: the global pool, the segment heap,
// the locked heaps, the page table, the persistent chunk and the mapping hint.
extern MEM_CRITICAL_SECTION mem_critical_section;

// Holds mem_critical_section for one scope.
class MEM_LOCK {
public:
    MEM_LOCK() { mem_critical_section.lock(); }
    ~MEM_LOCK() { mem_critical_section.unlock(); }
    MEM_LOCK(MEM_LOCK const&) = delete;
    MEM_LOCK& operator=(MEM_LOCK const&) = delete;
};
