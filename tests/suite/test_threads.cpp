#include "suite/threads/thr.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> g_wrapped{0};
THR_THREAD_WRAPPER_FUNC g_previous = nullptr;

void* counting_wrapper(THR_THREAD_FUNC func, void* arg) {
    ++g_wrapped;
    return g_previous ? g_previous(func, arg) : func(arg);
}

void* add_one(void* arg) {
    ++*static_cast<int*>(arg);
    return arg;
}

TEST(Threads, StartedThreadsRunThroughTheWrapperChain) {
    g_previous = thr_thread_set_next_wrapper_func(counting_wrapper);
    int value = 0;
    uintptr_t t = thr_thread_create(add_one, &value);
    ASSERT_NE(t, 0u);
    EXPECT_EQ(thr_thread_join(t), &value);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(g_wrapped.load(), 1);
    thr_thread_set_next_wrapper_func(g_previous);
}

TEST(Threads, RecursiveMutexNests) {
    THR_MUTEX m = thr_mutex_create();
    thr_mutex_lock(m);
    thr_mutex_lock(m);
    thr_mutex_unlock(m);
    thr_mutex_unlock(m);
    thr_mutex_destroy(m);
}

TEST(Threads, AtomicSwaps) {
    int a = 0, b = 0, c = 0;
    void* volatile slot = &a;
    EXPECT_EQ(thr_atomic_swap_ptr(&slot, &b), &a);
    EXPECT_EQ(thr_atomic_swap_ptr_if_equal(&slot, &c, &a), &b); // not equal: unchanged
    EXPECT_EQ(slot, &b);
    EXPECT_EQ(thr_atomic_swap_ptr_if_equal(&slot, &c, &b), &b);
    EXPECT_EQ(slot, &c);
}

extern "C" int thr_test_exported_function() { return 42; }

TEST(Threads, FindsFunctionsInTheProcessAndReportsMisses) {
    EXPECT_NE(thr_drl_find_function(nullptr, "cfg_dyn_is_on"), nullptr);
    EXPECT_EQ(thr_drl_find_function(nullptr, "no_such_function_anywhere"), nullptr);
    EXPECT_NE(thr_drl_get_error(), nullptr);
    EXPECT_EQ(thr_drl_load("/no/such/library.so"), nullptr);
}

} // namespace
