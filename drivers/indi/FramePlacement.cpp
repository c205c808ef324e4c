#include "FramePlacement.h"

#include <algorithm>
#include <cstring>

namespace orbicap::indi {

namespace {

// The offset from a window coordinate to the source coordinate on one axis.
// A bigger source is cropped, a smaller one padded; either way the offset's
// parity must match the red site's, or the mosaic would change colour.
int AxisOffset(int sourceSize, int windowSize, int redParity) {
    int offset = (sourceSize - windowSize) / 2;
    if (((offset - redParity) & 1) != 0) {
        // Prefer the direction that keeps the most picture inside the window.
        if (sourceSize >= windowSize)
            offset += (offset + windowSize < sourceSize) ? 1 : -1;
        else
            offset -= 1;
    }
    return offset;
}

int Sample(const SourceFrame& source, int x, int y) {
    const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width) +
                              static_cast<std::size_t>(x);
    if (source.bytesPerSample == 1)
        return source.data[index];
    return source.data[2 * index] | (source.data[2 * index + 1] << 8);
}

int Rescale(int value, int fromBits, int toBits) {
    const int scaled =
        fromBits >= toBits ? value >> (fromBits - toBits) : value << (toBits - fromBits);
    return std::clamp(scaled, 0, (1 << toBits) - 1);
}

} // namespace

void PlaceFrame(const SourceFrame& source, const WindowBlock& block) {
    std::memset(block.data, 0, block.Bytes());
    if (!source.data || source.width <= 0 || source.height <= 0)
        return;
    const int dx = AxisOffset(source.width, block.width, source.redColumn & 1);
    const int dy = AxisOffset(source.height, block.height, source.redRow & 1);
    const int x0 = std::max(0, -dx);
    const int x1 = std::min(block.width, source.width - dx);
    const int y0 = std::max(0, -dy);
    const int y1 = std::min(block.height, source.height - dy);
    const int toBits = block.tenBit ? 10 : 8;
    const int fromBits = std::clamp(source.significantBits, 1, 8 * source.bytesPerSample);
    auto* bytes = static_cast<std::uint8_t*>(block.data);
    for (int y = y0; y < y1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(block.width);
        if (!block.tenBit && source.bytesPerSample == 1 && fromBits == 8) {
            if (x1 > x0)
                std::memcpy(bytes + row + x0,
                            source.data + static_cast<std::size_t>(y + dy) * source.width + x0 + dx,
                            static_cast<std::size_t>(x1 - x0));
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const int value = Rescale(Sample(source, x + dx, y + dy), fromBits, toBits);
            if (block.tenBit) {
                bytes[2 * (row + x)] = static_cast<std::uint8_t>(value & 0xff);
                bytes[2 * (row + x) + 1] = static_cast<std::uint8_t>(value >> 8);
            } else {
                bytes[row + x] = static_cast<std::uint8_t>(value);
            }
        }
    }
}

} // namespace orbicap::indi
