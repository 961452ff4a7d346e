// The memory manager's recursive critical sections.
#pragma once

#include <pthread.h>

// A recursive mutex with a hold count. Before initialize() (and after destroy())
// lock and unlock only count, which is what static construction and the last
// steps of process exit need.
class MEM_CRITICAL_SECTION {
public:
    constexpr MEM_CRITICAL_SECTION() = default;
    void initialize();
    void destroy();
    void lock();
    void unlock();
    // Releases every hold; returns how many there were.
    unsigned unlock_all();
    bool is_locked() const { return m_count != 0; }
    unsigned depth() const { return m_count; }

private:
    // Every member has a constant initializer, so the sections are initialised
    // before any code runs: a first initializer that runs before this file's
    // static initialisation must not have its initialize() undone.
    pthread_mutex_t m_mutex{};
    bool m_initialized = false;
    unsigned m_count = 0;
};

// Guards the tracking counters and records, the configuration and the report names.
extern MEM_CRITICAL_SECTION mem_critical_section;
// Guards the tracking side's report walks.
extern MEM_CRITICAL_SECTION mem_tracker_critical_section;

// Holds a critical section for a scope.
class MEM_LOCK {
public:
    explicit MEM_LOCK(MEM_CRITICAL_SECTION& section = mem_critical_section) : m_section(section) {
        m_section.lock();
    }
    ~MEM_LOCK() { m_section.unlock(); }
    MEM_LOCK(MEM_LOCK const&) = delete;
    MEM_LOCK& operator=(MEM_LOCK const&) = delete;

private:
    MEM_CRITICAL_SECTION& m_section;
};
