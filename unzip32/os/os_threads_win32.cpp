// Threads on Windows: the system's own slim locks and condition variables,
// and threads started through the C runtime.
#ifdef _WIN32

#include <windows.h>
#include <process.h>

#include "unzip32/os/os_threads.h"

namespace uz::os {

// The slim lock and the condition variable are one pointer each, zero to start with.
static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

Mutex::Mutex() = default;
Mutex::~Mutex() = default;
void Mutex::lock() { AcquireSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&lock_)); }
void Mutex::unlock() { ReleaseSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&lock_)); }

Condition::Condition() = default;
Condition::~Condition() = default;
void Condition::wait(Lock& lock) {
    SleepConditionVariableSRW(reinterpret_cast<CONDITION_VARIABLE*>(&condition_),
                              reinterpret_cast<SRWLOCK*>(&lock.mutex_.lock_), INFINITE, 0);
}
void Condition::notifyOne() { WakeConditionVariable(reinterpret_cast<CONDITION_VARIABLE*>(&condition_)); }
void Condition::notifyAll() { WakeAllConditionVariable(reinterpret_cast<CONDITION_VARIABLE*>(&condition_)); }

struct ThreadEntry {
    static unsigned __stdcall run(void* thread) {
        const Thread& t = *static_cast<Thread*>(thread);
        t.run_(t.argument_);
        return 0;
    }
};

bool Thread::start(void (*run)(void*), void* argument) {
    run_ = run;
    argument_ = argument;
    // The C runtime's own start, so that it keeps what it needs per thread.
    handle_ = reinterpret_cast<void*>(_beginthreadex(nullptr, 0, &ThreadEntry::run, this, 0, nullptr));
    return handle_ != nullptr;
}

void Thread::join() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
}

unsigned CoreCount() {
    DWORD_PTR process = 0, system = 0;
    unsigned cores = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        for (; process; process &= process - 1) ++cores;
    return cores > 0 ? cores : 1;
}

}  // namespace uz::os

#endif  // _WIN32
