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

    static std::int32_t I32(const char* b, std::size_t at) {
        std::int32_t v;
        std::memcpy(&v, b + at, 4);
        return v;
    }

    // Reads the header, the stamped first samples of each frame and the
    // trailer, not the pictures: a long recording is hundreds of megabytes,
    // which a byte-wise read takes minutes over under a sanitizer.
    explicit SerFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in)
            return;
        Size = static_cast<std::uint64_t>(std::streamoff(in.tellg()));
        char header[178];
        in.seekg(0);
        if (Size < 178 || !in.read(header, sizeof header) ||
            std::memcmp(header, "LUCAM-RECORDER", 14) != 0)
            return;
        Width = I32(header, 26);
        Height = I32(header, 30);
        Depth = I32(header, 34);
        FrameCount = I32(header, 38);
        const std::size_t bps = Depth == 16 ? 2 : 1;
        const std::uint64_t frameBytes = std::uint64_t(Width) * Height * bps;
        if (FrameCount < 0 || 178 + FrameCount * frameBytes > Size)
            return;
        std::uint8_t first[8];
        for (std::int32_t f = 0; f < FrameCount; ++f) {
            in.seekg(std::streamoff(178 + f * frameBytes));
            in.read(reinterpret_cast<char*>(first), std::streamsize(4 * bps));
            Stamps.push_back(FrameStamp(first, bps == 2));
        }
        const std::uint64_t trailer = 178 + FrameCount * frameBytes;
        in.seekg(std::streamoff(trailer));
        for (std::int32_t f = 0; trailer + 8 * (f + 1) <= Size && f < FrameCount; ++f) {
            std::int64_t t;
            in.read(reinterpret_cast<char*>(&t), 8);
            Times.push_back(t);
        }
        Ok = bool(in);
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
