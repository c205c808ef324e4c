#pragma once

#include <cstdint>

namespace orbicap::test {

// The sequence number the simulator stamps into the first four samples of a
// frame (buffer order), one byte of it per sample, least significant first.
inline std::uint32_t FrameStamp(const std::uint8_t* data, bool is16Bit) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t b = is16Bit ? data[2 * i] : data[i];
        v |= b << (8 * i);
    }
    return v;
}

} // namespace orbicap::test
