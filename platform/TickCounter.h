#pragma once

#include <atomic>
#include <cstdint>

namespace orbicap {

// Milliseconds of a free-running 32-bit counter. It wraps after about 49.7
// days, so ticks are only ever compared through the helpers below.
using Tick = std::uint32_t;

// True when a lies after b, also across a wrap of the counter (the two are
// assumed to be less than 2^31 ms apart).
constexpr bool TickAfter(Tick a, Tick b) {
    return static_cast<std::int32_t>(a - b) > 0;
}
constexpr bool TickBefore(Tick a, Tick b) {
    return TickAfter(b, a);
}

// Source of ticks. Production code uses SystemTicks(); tests inject a
// ManualClock to step through time and across the wrap.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual Tick Now() const = 0;
};

class SystemTickSource final : public TickSource {
public:
    Tick Now() const override;
};

// The process-wide monotonic millisecond counter.
const TickSource& SystemTicks();

class ManualClock final : public TickSource {
public:
    explicit ManualClock(Tick start = 0) : now_(start) {}
    Tick Now() const override { return now_.load(); }
    void Set(Tick t) { now_.store(t); }
    void Advance(Tick ms) { now_.fetch_add(ms); }

private:
    std::atomic<Tick> now_;
};

} // namespace orbicap
