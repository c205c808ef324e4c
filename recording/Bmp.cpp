#include "Bmp.h"

#include "CheckedFile.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace orbicap {

namespace {

constexpr std::size_t kHeaderBytes = 14 + 40;

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

Status SaveBmpFile(const std::string& fileName, const std::uint8_t* bottomUpBgr, int width,
                   int height) {
    if (width <= 0 || height <= 0 || !bottomUpBgr) {
        return Status::Failure("Cannot write " + fileName + ": the picture is empty");
    }
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    const std::size_t paddedRow = (rowBytes + 3) & ~std::size_t{3};
    const std::size_t imageBytes = paddedRow * static_cast<std::size_t>(height);
    if (kHeaderBytes + imageBytes > 0xFFFFFFFFu) {
        return Status::Failure("Cannot write " + fileName +
                               ": the picture is too large for a BMP file");
    }

    std::array<std::uint8_t, kHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    Put32(&header[2], static_cast<std::uint32_t>(kHeaderBytes + imageBytes));
    Put32(&header[10], kHeaderBytes); // pixel data offset
    Put32(&header[14], 40);           // information header size
    Put32(&header[18], static_cast<std::uint32_t>(width));
    Put32(&header[22], static_cast<std::uint32_t>(height)); // positive: bottom-up
    Put16(&header[26], 1);                                  // planes
    Put16(&header[28], 24);                                 // bits per pixel
    Put32(&header[30], 0);                                  // BI_RGB
    Put32(&header[34], static_cast<std::uint32_t>(imageBytes));
    Put32(&header[38], kBmpPixelsPerMetre);
    Put32(&header[42], kBmpPixelsPerMetre);
    // Colours used and important colours stay 0: no colour table.

    CheckedFile file;
    bool ok = file.Create(fileName) && file.Write(header.data(), header.size());
    if (ok && paddedRow == rowBytes) {
        ok = file.Write(bottomUpBgr, imageBytes);
    } else {
        static const std::uint8_t padding[3] = {0, 0, 0};
        for (int row = 0; ok && row < height; ++row) {
            ok = file.Write(bottomUpBgr + static_cast<std::size_t>(row) * rowBytes, rowBytes) &&
                 file.Write(padding, paddedRow - rowBytes);
        }
    }
    if (ok && file.Close()) {
        return Status();
    }
    const Status failed = file.Outcome();
    file.Discard();
    return failed;
}

} // namespace orbicap
