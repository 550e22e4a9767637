// For Windows programs that run on one thread (setup.exe, the launcher). The
// C++ runtime of this toolchain still calls the POSIX threads library for the
// few things it guards: the exception globals (through emulated thread-local
// storage), function-local statics, the unwinder's registry and the emergency
// exception pool. Those calls are answered here for a single thread, which
// spares the program the 32 KiB threads library (such a program links with
// -no-pthread, installer_one_thread in cmake/build_options.cmake). A thread
// started through the C++ library would need pthread_create, which is not
// here: the program would not link. One started with the system's own call
// (as the unzip library's os_threads_win32.cpp does) would link; the test
// one_thread_programs (tests/win32/size) fails for a program that imports
// one.
#include <pthread.h>

#include <cstdlib>

namespace {

constexpr unsigned kMaxKeys = 8;
void* keyValues[kMaxKeys];
unsigned keysMade = 0;

}  // namespace

extern "C" {

int pthread_once(pthread_once_t* once, void (*init)()) {
    if (*once == PTHREAD_ONCE_INIT) {
        *once = PTHREAD_ONCE_INIT + 1;
        init();
    }
    return 0;
}

// Thread-specific values: with one thread, one value per key. Their
// destructors would run when a thread ends; the process's end frees all.
int pthread_key_create(pthread_key_t* key, void (*)(void*)) {
    if (keysMade == kMaxKeys) return EAGAIN;
    *key = keysMade++;
    return 0;
}
void* pthread_getspecific(pthread_key_t key) { return key < keysMade ? keyValues[key] : nullptr; }
int pthread_setspecific(pthread_key_t key, const void* value) {
    if (key >= keysMade) return EINVAL;
    keyValues[key] = const_cast<void*>(value);
    return 0;
}

// Nothing else could hold a lock.
int pthread_mutex_init(pthread_mutex_t*, const pthread_mutexattr_t*) { return 0; }
int pthread_mutex_destroy(pthread_mutex_t*) { return 0; }
int pthread_mutex_lock(pthread_mutex_t*) { return 0; }
int pthread_mutex_unlock(pthread_mutex_t*) { return 0; }

int pthread_cond_broadcast(pthread_cond_t*) { return 0; }
// Only a static whose initialisation reaches itself waits here, and no
// other thread could ever end the wait.
int pthread_cond_wait(pthread_cond_t*, pthread_mutex_t*) { std::abort(); }

}  // extern "C"
