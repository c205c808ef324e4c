#pragma once

#include "tests/support/FrameStamp.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace orbicap::test {

// A SER file read back plainly, for checks of what a recording wrote.
struct SerFile {
    bool Ok = false;
    std::uint64_t Size = 0;
    std::int32_t Width = 0, Height = 0, Depth = 0, FrameCount = 0;
    std::vector<std::uint32_t> Stamps; // the simulator's sequence number of each frame
    std::vector<std::int64_t> Times;   // trailer

    static std::int32_t I32(const std::vector<char>& b, std::size_t at) {
        std::int32_t v;
        std::memcpy(&v, b.data() + at, 4);
        return v;
    }

    explicit SerFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> b((std::istreambuf_iterator<char>(in)), {});
        Size = b.size();
        if (b.size() < 178 || std::memcmp(b.data(), "LUCAM-RECORDER", 14) != 0)
            return;
        Width = I32(b, 26);
        Height = I32(b, 30);
        Depth = I32(b, 34);
        FrameCount = I32(b, 38);
        const std::size_t bps = Depth == 16 ? 2 : 1;
        const std::size_t frameBytes = std::size_t(Width) * Height * bps;
        if (178 + FrameCount * frameBytes > b.size())
            return;
        for (std::int32_t f = 0; f < FrameCount; ++f) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(b.data() + 178 + f * frameBytes);
            Stamps.push_back(FrameStamp(p, bps == 2));
        }
        const std::size_t trailer = 178 + FrameCount * frameBytes;
        for (std::int32_t f = 0; trailer + 8 * (f + 1) <= b.size() && f < FrameCount; ++f) {
            std::int64_t t;
            std::memcpy(&t, b.data() + trailer + 8 * f, 8);
            Times.push_back(t);
        }
        Ok = true;
    }

    bool StampsConsecutive() const {
        for (std::size_t i = 1; i < Stamps.size(); ++i)
            if (Stamps[i] != Stamps[i - 1] + 1)
                return false;
        return true;
    }
    bool TimesRise() const {
        for (std::size_t i = 1; i < Times.size(); ++i)
            if (Times[i] <= Times[i - 1])
                return false;
        return true;
    }
};

} // namespace orbicap::test
