#pragma once

#include "pipeline/FrameIntake.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orbicap::test {

// Records what the intake hands on, in order.
class RecordingSink : public IntakeSink {
public:
    void PostFramePaint() override { Events.push_back("paint"); }
    void PostFrameStore() override { Events.push_back("store"); }
    void DropOldestFrame() override { Events.push_back("drop"); }
    void UpdateHistogram(const std::uint8_t* pixels, int width, int height) override {
        Events.push_back("histogram");
        HistogramPixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
        HistogramWidth = width;
        HistogramHeight = height;
    }

    std::vector<std::string> Events;
    std::vector<std::uint8_t> HistogramPixels;
    int HistogramWidth = 0;
    int HistogramHeight = 0;
};

inline void CopyLikeTheDriver(const void* source, void* destination, int bytes) {
    std::memcpy(destination, source, static_cast<std::size_t>(bytes));
}

// 8-bit frame whose pixel k is (k * 7 + seed) mod 256.
inline std::vector<std::uint8_t> Pattern(int width, int height, int seed = 0) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<std::uint8_t>(k * 7 + static_cast<std::size_t>(seed));
    return pixels;
}

// 16-bit little-endian samples as the camera delivers them.
inline std::vector<std::uint8_t> Words(const std::vector<std::uint16_t>& values) {
    std::vector<std::uint8_t> bytes(values.size() * 2);
    for (std::size_t k = 0; k < values.size(); ++k) {
        bytes[2 * k] = static_cast<std::uint8_t>(values[k] & 0xFF);
        bytes[2 * k + 1] = static_cast<std::uint8_t>(values[k] >> 8);
    }
    return bytes;
}

} // namespace orbicap::test
