// The suite's thread library: mutexes, read/write semaphores, atomics, the
// thread-start wrapper chain, the tick clock and run-time loading of libraries.
#pragma once

#include <cstdint>

// Recursive mutex.
struct THR_MUTEX_OBJ;
typedef THR_MUTEX_OBJ* THR_MUTEX;
THR_MUTEX thr_mutex_create();
void thr_mutex_lock(THR_MUTEX mutex);
void thr_mutex_unlock(THR_MUTEX mutex);
void thr_mutex_destroy(THR_MUTEX mutex);

// Read/write semaphore: many readers or one writer.
struct THR_READ_WRITE_SEMAPHORE;
THR_READ_WRITE_SEMAPHORE* thr_rw_sem_create();
void thr_rw_sem_read_lock(THR_READ_WRITE_SEMAPHORE* sem);
void thr_rw_sem_read_unlock(THR_READ_WRITE_SEMAPHORE* sem);
void thr_rw_sem_write_lock(THR_READ_WRITE_SEMAPHORE* sem);
void thr_rw_sem_write_unlock(THR_READ_WRITE_SEMAPHORE* sem);
void thr_rw_sem_destroy(THR_READ_WRITE_SEMAPHORE* sem);

// Atomics: store the new value and return the old one; the "if equal" form
// stores only when the current value equals `comparand` and returns the old value.
void* thr_atomic_swap_ptr(void* volatile* target, void* value);
void* thr_atomic_swap_ptr_if_equal(void* volatile* target, void* value, void* comparand);
long thr_atomic_increment(long volatile* target);
long thr_atomic_decrement(long volatile* target);

// Milliseconds since an arbitrary start, monotonic.
unsigned long thr_get_tick_count();
// Stops in an attached debugger; does nothing without one.
void thr_debug_break();

// Thread-start wrappers: each thread the library starts runs its function
// through the installed wrapper, which may chain to the one it replaced.
typedef void* (*THR_THREAD_FUNC)(void* arg);
typedef void* (*THR_THREAD_WRAPPER_FUNC)(THR_THREAD_FUNC func, void* arg);
// Installs `wrapper` and returns the one installed before (null for none).
THR_THREAD_WRAPPER_FUNC thr_thread_set_next_wrapper_func(THR_THREAD_WRAPPER_FUNC wrapper);
// Starts a thread running `func(arg)` through the wrapper chain; returns 0 on failure.
uintptr_t thr_thread_create(THR_THREAD_FUNC func, void* arg);
// Waits for a thread started by thr_thread_create; returns its result.
void* thr_thread_join(uintptr_t thread);

// Run-time loading. A null file name means the symbols already in the process.
typedef void* THR_DRL_HANDLE;
THR_DRL_HANDLE thr_drl_load(char const* file_name);
// `handle` null searches the whole process.
void* thr_drl_find_function(THR_DRL_HANDLE handle, char const* name);
// The text of the last failure of this thread, or null.
char const* thr_drl_get_error();
bool thr_drl_unload(THR_DRL_HANDLE handle);
