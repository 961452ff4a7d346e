#include "mem/mem_utils.h"

MEM_CRITICAL_SECTION mem_critical_section;
MEM_CRITICAL_SECTION mem_tracker_critical_section;

void MEM_CRITICAL_SECTION::initialize() {
    if (m_initialized) {
        return;
    }
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    m_count = 0;
    m_initialized = true;
}

void MEM_CRITICAL_SECTION::destroy() {
    if (m_initialized) {
        m_initialized = false;
        pthread_mutex_destroy(&m_mutex);
    }
}

void MEM_CRITICAL_SECTION::lock() {
    if (m_initialized) {
        pthread_mutex_lock(&m_mutex);
    }
    ++m_count;
}

void MEM_CRITICAL_SECTION::unlock() {
    if (m_count == 0) {
        return;
    }
    --m_count;
    if (m_initialized) {
        pthread_mutex_unlock(&m_mutex);
    }
}

unsigned MEM_CRITICAL_SECTION::unlock_all() {
    unsigned held = m_count;
    while (m_count != 0) {
        unlock();
    }
    return held;
}
