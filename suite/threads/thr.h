// Prefix thr: threads.
// The suite's thread library: mutexes, read/write semaphores, atomics, the
// thread-start wrapper chain, the tick clock, run-time loading of libraries and
// child processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// Child processes. No shell is involved: the command line is split into words
// on blanks and tabs, text between double or single quotes keeps its blanks and
// loses the quote characters, and the first word names the program (searched on
// PATH when it holds no "/"). The child's standard input is /dev/null.
struct THR_PROCESS_OBJ;
typedef THR_PROCESS_OBJ* THR_PROCESS;
struct THR_PIPE_OBJ;
typedef THR_PIPE_OBJ* THR_PIPE;

// Starts `command_line` with `working_dir` as its working directory (null or ""
// keeps ours). `out` and `err` receive the read ends of pipes carrying the
// child's standard output and standard error; passing the same address for both
// carries both streams through one pipe, and a null address leaves that stream
// with ours. `process` receives the handle that thr_process_wait takes; `pid`,
// when not null, the process id. A null `process` starts a child that nobody
// waits for: the library reaps it when it ends (it waits for that child alone,
// so the statuses of the children others wait for stay theirs); such a child
// takes no pipes, so `out` and `err` must be null. Returns false, with nothing
// to release, when the program cannot be started (missing, not executable, or
// the working directory cannot be entered).
bool thr_process_create(char const* command_line, char const* working_dir, THR_PIPE* out,
                        THR_PIPE* err, THR_PROCESS* process, long* pid);
// Reads at most `size` bytes into `buffer` and stores their number in `count`.
// Returns 0 while the output goes on, non-zero once it has ended (count 0).
int thr_process_read(THR_PIPE pipe, char* buffer, size_t size, size_t* count);
// Closes the process's pipes, waits for it to end, stores its exit status in
// `exit_code` (128 plus the signal number when a signal ended it) and releases
// the handle and its pipes. `flags` must be 0. Returns false when the wait failed.
bool thr_process_wait(THR_PROCESS process, int* exit_code, int flags);

// The words a command line splits into, as thr_process_create splits it.
std::vector<std::string> thr_process_split_command_line(char const* command_line);
// The text quoted so that thr_process_create's splitting yields it as one word.
std::string thr_process_quote_argument(std::string const& text);
