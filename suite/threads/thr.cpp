#include "suite/threads/thr.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <fstream>
#include <pthread.h>
#include <shared_mutex>
#include <string>

struct THR_MUTEX_OBJ {
    pthread_mutex_t mutex;
};

THR_MUTEX thr_mutex_create() {
    auto* m = new THR_MUTEX_OBJ;
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    return m;
}

void thr_mutex_lock(THR_MUTEX mutex) { pthread_mutex_lock(&mutex->mutex); }
void thr_mutex_unlock(THR_MUTEX mutex) { pthread_mutex_unlock(&mutex->mutex); }

void thr_mutex_destroy(THR_MUTEX mutex) {
    if (mutex != nullptr) {
        pthread_mutex_destroy(&mutex->mutex);
        delete mutex;
    }
}

struct THR_READ_WRITE_SEMAPHORE {
    std::shared_mutex mutex;
};

THR_READ_WRITE_SEMAPHORE* thr_rw_sem_create() { return new THR_READ_WRITE_SEMAPHORE; }
void thr_rw_sem_read_lock(THR_READ_WRITE_SEMAPHORE* sem) { sem->mutex.lock_shared(); }
void thr_rw_sem_read_unlock(THR_READ_WRITE_SEMAPHORE* sem) { sem->mutex.unlock_shared(); }
void thr_rw_sem_write_lock(THR_READ_WRITE_SEMAPHORE* sem) { sem->mutex.lock(); }
void thr_rw_sem_write_unlock(THR_READ_WRITE_SEMAPHORE* sem) { sem->mutex.unlock(); }
void thr_rw_sem_destroy(THR_READ_WRITE_SEMAPHORE* sem) { delete sem; }

void* thr_atomic_swap_ptr(void* volatile* target, void* value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}

void* thr_atomic_swap_ptr_if_equal(void* volatile* target, void* value, void* comparand) {
    void* expected = comparand;
    __atomic_compare_exchange_n(target, &expected, value, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return expected;
}

unsigned long thr_get_tick_count() {
    using namespace std::chrono;
    return static_cast<unsigned long>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {
bool debugger_attached() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("TracerPid:", 0) == 0) {
            return std::stol(line.substr(10)) != 0;
        }
    }
    return false;
}

std::atomic<THR_THREAD_WRAPPER_FUNC> g_wrapper{nullptr};

struct THREAD_START {
    THR_THREAD_FUNC func;
    void* arg;
};

void* thread_entry(void* p) {
    THREAD_START start = *static_cast<THREAD_START*>(p);
    delete static_cast<THREAD_START*>(p);
    THR_THREAD_WRAPPER_FUNC wrapper = g_wrapper.load();
    return wrapper ? wrapper(start.func, start.arg) : start.func(start.arg);
}

thread_local std::string t_drl_error;
} // namespace

void thr_debug_break() {
    if (debugger_attached()) {
        std::raise(SIGTRAP);
    }
}

THR_THREAD_WRAPPER_FUNC thr_thread_set_next_wrapper_func(THR_THREAD_WRAPPER_FUNC wrapper) {
    return g_wrapper.exchange(wrapper);
}

uintptr_t thr_thread_create(THR_THREAD_FUNC func, void* arg) {
    pthread_t thread;
    auto* start = new THREAD_START{func, arg};
    if (pthread_create(&thread, nullptr, thread_entry, start) != 0) {
        delete start;
        return 0;
    }
    return static_cast<uintptr_t>(thread);
}

void* thr_thread_join(uintptr_t thread) {
    void* result = nullptr;
    pthread_join(static_cast<pthread_t>(thread), &result);
    return result;
}

THR_DRL_HANDLE thr_drl_load(char const* file_name) {
    void* handle = dlopen(file_name, RTLD_NOW | RTLD_GLOBAL);
    if (handle == nullptr) {
        char const* e = dlerror();
        t_drl_error = e ? e : "cannot load library";
    }
    return handle;
}

void* thr_drl_find_function(THR_DRL_HANDLE handle, char const* name) {
    dlerror();
    void* f = dlsym(handle ? handle : RTLD_DEFAULT, name);
    if (f == nullptr) {
        char const* e = dlerror();
        t_drl_error = e ? e : std::string("symbol not found: ") + name;
    }
    return f;
}

char const* thr_drl_get_error() { return t_drl_error.empty() ? nullptr : t_drl_error.c_str(); }

bool thr_drl_unload(THR_DRL_HANDLE handle) { return handle != nullptr && dlclose(handle) == 0; }
