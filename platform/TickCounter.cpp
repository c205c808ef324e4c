#include "TickCounter.h"

#include <chrono>

namespace orbicap {

Tick SystemTickSource::Now() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<Tick>(ms.count());
}

const TickSource& SystemTicks() {
    static const SystemTickSource source;
    return source;
}

} // namespace orbicap
