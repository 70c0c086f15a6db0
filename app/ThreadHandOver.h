// Hand-overs between our threads that ThreadSanitizer cannot see by itself. QWaitCondition::wait
// gives up and takes again its QMutex, and QThread::wait learns that the thread has ended,
// inside the Qt library, which is not built with the sanitizer: without these marks it takes a
// correct wait for a lock held twice, and the owner's use of what the ended thread left for a
// race. They only tell the sanitizer what Qt already orders; in other builds they are empty.
#pragma once

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#if defined(__SANITIZE_THREAD__)
#define VARPEN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VARPEN_THREAD_SANITIZER 1
#endif
#endif

#ifdef VARPEN_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace ThreadHandOver {

// `condition.wait(&mutex, deadline)`; the mutex is marked free during the wait and taken after.
inline bool Wait(QWaitCondition& condition, QMutex& mutex,
                 QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever))
{
#ifdef VARPEN_THREAD_SANITIZER
    __tsan_mutex_pre_unlock(&mutex, 0);
    __tsan_mutex_post_unlock(&mutex, 0);
#endif
    const bool woken = condition.wait(&mutex, deadline);
#ifdef VARPEN_THREAD_SANITIZER
    __tsan_mutex_pre_lock(&mutex, 0);
    __tsan_mutex_post_lock(&mutex, 0, 0);
#endif
    return woken;
}

// The last step of a thread's run(): all it did is handed to whoever joins it.
inline void Leave(const void* thread)
{
#ifdef VARPEN_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(thread));
#else
    Q_UNUSED(thread);
#endif
}

// After QThread::wait has returned true: takes over what the thread handed on leaving.
inline void Joined(const void* thread)
{
#ifdef VARPEN_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(thread));
#else
    Q_UNUSED(thread);
#endif
}

}  // namespace ThreadHandOver
