#pragma once

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>

extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

namespace tessaform {

// ThreadSanitizer cannot see an order made inside a library that is not
// built with it (libtbb's task hand-off, Qt's event queue). These tell it:
// all a thread did before handOver(token) happens before what a thread does
// after a later takeOver(token). They cost nothing in other builds.
inline void handOver([[maybe_unused]] const void* token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void*>(token));
#endif
}

inline void takeOver([[maybe_unused]] const void* token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void*>(token));
#endif
}

// For the length of a call into such a library whose own bookkeeping is
// shared with other threads behind its hidden lock (posting an event to
// Qt's queue), this thread's memory accesses are not checked; what it hands
// over must still be ordered with handOver and takeOver.
class UncheckedByThreadSanitizer {
public:
    UncheckedByThreadSanitizer()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_ignore_thread_begin();
#endif
    }
    ~UncheckedByThreadSanitizer()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_ignore_thread_end();
#endif
    }
    UncheckedByThreadSanitizer(const UncheckedByThreadSanitizer&) = delete;
    UncheckedByThreadSanitizer& operator=(const UncheckedByThreadSanitizer&) = delete;
};

}  // namespace tessaform
