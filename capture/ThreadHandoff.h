#pragma once

// Marks a hand-over of an object between threads through a channel that
// ThreadSanitizer cannot see: Qt's posted-event queue synchronises with its
// own futex-based lock inside the uninstrumented system Qt. Without these
// marks every posted frame message reads as a data race. No code otherwise.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace orbicap {

inline void HandOver([[maybe_unused]] void* object) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(object);
#endif
}

inline void TakeOver([[maybe_unused]] void* object) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(object);
#endif
}

} // namespace orbicap
