// Threads on POSIX systems: the threads library's.
#ifndef _WIN32

#include <sched.h>
#include <unistd.h>

#include "unzip32/os/os_threads.h"

namespace uz::os {

Mutex::Mutex() : lock_(PTHREAD_MUTEX_INITIALIZER) {}
Mutex::~Mutex() { pthread_mutex_destroy(&lock_); }
void Mutex::lock() { pthread_mutex_lock(&lock_); }
void Mutex::unlock() { pthread_mutex_unlock(&lock_); }

Condition::Condition() : condition_(PTHREAD_COND_INITIALIZER) {}
Condition::~Condition() { pthread_cond_destroy(&condition_); }
void Condition::wait(Lock& lock) { pthread_cond_wait(&condition_, &lock.mutex_.lock_); }
void Condition::notifyOne() { pthread_cond_signal(&condition_); }
void Condition::notifyAll() { pthread_cond_broadcast(&condition_); }

struct ThreadEntry {
    static void* run(void* thread) {
        const Thread& t = *static_cast<Thread*>(thread);
        t.run_(t.argument_);
        return nullptr;
    }
};

bool Thread::start(void (*run)(void*), void* argument) {
    run_ = run;
    argument_ = argument;
    running_ = pthread_create(&thread_, nullptr, &ThreadEntry::run, this) == 0;
    return running_;
}

void Thread::join() {
    if (running_) pthread_join(thread_, nullptr);
    running_ = false;
}

unsigned CoreCount() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return static_cast<unsigned>(CPU_COUNT(&allowed));
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}

}  // namespace uz::os

#endif  // !_WIN32
