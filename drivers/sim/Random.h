#pragma once

#include <cstdint>

namespace orbicap::sim {

// Small, fast and fully deterministic generator (splitmix64): the same seed
// gives the same noise on every machine, which the frame tests rely on.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += kIncrement);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Moves on as if Next() had been called count times: splitmix64 only
    // adds a constant to its state per draw.
    void Skip(std::uint64_t count) { state_ += count * kIncrement; }

    // Uniform in [0, 1).
    float Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }

    // Approximately standard normal: the sum of four uniform 16-bit parts,
    // rescaled to unit variance. Plenty for sensor noise and much cheaper
    // than an exact transform, which matters at a third of a million draws per frame.
    float Normal() {
        const std::uint64_t bits = Next();
        const float sum = static_cast<float>((bits & 0xFFFF) + ((bits >> 16) & 0xFFFF) +
                                             ((bits >> 32) & 0xFFFF) + (bits >> 48));
        constexpr float kMean = 2.0f * 65535.0f;
        constexpr float kScale = 1.7320508f / 65535.0f; // sqrt(12 / 4) / range
        return (sum - kMean) * kScale;
    }

private:
    static constexpr std::uint64_t kIncrement = 0x9E3779B97F4A7C15ULL;
    std::uint64_t state_;
};

// Mixes several values into one seed so that each frame of the cycle gets its
// own, reproducible noise.
inline std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b) {
    Random mix(a ^ (b * 0xD1B54A32D192ED03ULL));
    return mix.Next();
}

} // namespace orbicap::sim
