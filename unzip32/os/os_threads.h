// Threads as the library's own work needs them: a mutex with its lock, a
// condition to wait on, a thread that its owner joins, and the number of
// cores. On Windows these are the system's own (slim locks, condition
// variables, threads of the C runtime): the standard library's thread support
// would cost the DLL some 17 KiB. On POSIX they are the threads library's.
// Implemented in os_threads_posix.cpp and os_threads_win32.cpp.
//
// The library starts threads only within a call of its entry points and
// joins them before the call returns; never while it is loaded or unloaded.
#pragma once

#ifndef _WIN32
#include <pthread.h>
#endif

namespace uz::os {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();

private:
    friend class Condition;
#ifdef _WIN32
    void* lock_ = nullptr;  // an SRWLOCK, which starts as zero
#else
    pthread_mutex_t lock_;
#endif
};

// Holds a mutex from its construction to its destruction, unless let go for
// a while with unlock() and taken again with lock().
class Lock {
public:
    explicit Lock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
    ~Lock() {
        if (held_) mutex_.unlock();
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void unlock() {
        mutex_.unlock();
        held_ = false;
    }
    void lock() {
        mutex_.lock();
        held_ = true;
    }

private:
    friend class Condition;
    Mutex& mutex_;
    bool held_ = true;
};

class Condition {
public:
    Condition();
    ~Condition();
    Condition(const Condition&) = delete;
    Condition& operator=(const Condition&) = delete;
    // Lets the (held) lock go while it waits; may return without a notification.
    void wait(Lock& lock);
    template <typename Ready>
    void wait(Lock& lock, Ready ready) {
        while (!ready()) wait(lock);
    }
    void notifyOne();
    void notifyAll();

private:
#ifdef _WIN32
    void* condition_ = nullptr;  // a CONDITION_VARIABLE, which starts as zero
#else
    pthread_cond_t condition_;
#endif
};

// A thread, joined by join() or, at the latest, by its owner's destruction.
class Thread {
public:
    Thread() = default;
    ~Thread() { join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // Runs run(argument) on a new thread; false when the system gives none.
    // At most once per object.
    bool start(void (*run)(void*), void* argument);
    void join();

private:
    friend struct ThreadEntry;  // the system's start routine, in the implementation
    void (*run_)(void*) = nullptr;
    void* argument_ = nullptr;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    pthread_t thread_{};
    bool running_ = false;
#endif
};

// The cores this process may run on (at least 1).
unsigned CoreCount();

}  // namespace uz::os
