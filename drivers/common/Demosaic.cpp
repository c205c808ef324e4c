#include "Demosaic.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orbicap::drivers {

namespace {

// Mirror an index that lies one step outside [0, size): -1 -> 1 and
// size -> size - 2 keep the parity, hence the colour of the mosaic site.
int Mirror(int i, int size) {
    if (i < 0)
        return std::min(-i, size - 1);
    if (i >= size)
        return std::max(2 * size - 2 - i, 0);
    return i;
}

// Mosaic sites: which colour a sample of the RGGB pattern measures.
enum Site { kRed, kGreenOnRedRow, kGreenOnBlueRow, kBlue };

// One output row of full-colour values, computed from the three mosaic rows
// around it. 16-bit samples are clamped to 10 bits first so that a stray
// value cannot overflow the 8-bit reduction.
template <typename Sample> class RowDemosaic {
public:
    RowDemosaic(const Sample* mosaic, int width, int height)
        : mosaic_(mosaic), width_(width), height_(height), red_(static_cast<std::size_t>(width)),
          green_(static_cast<std::size_t>(width)), blue_(static_cast<std::size_t>(width)) {}

    void Compute(int y) {
        up_ = Row(Mirror(y - 1, height_));
        mid_ = Row(y);
        down_ = Row(Mirror(y + 1, height_));
        const bool redRow = (y & 1) == 0;
        // The two edge columns need mirrored neighbours; every other column
        // reads its neighbours directly, two sites per step.
        EdgePixel(0, redRow);
        if (width_ > 1)
            EdgePixel(width_ - 1, redRow);
        int x = 1;
        if (redRow) {
            for (; x + 1 < width_ - 1; x += 2) {
                Interior<kGreenOnRedRow>(x);
                Interior<kRed>(x + 1);
            }
            if (x < width_ - 1)
                Interior<kGreenOnRedRow>(x);
        } else {
            for (; x + 1 < width_ - 1; x += 2) {
                Interior<kBlue>(x);
                Interior<kGreenOnBlueRow>(x + 1);
            }
            if (x < width_ - 1)
                Interior<kBlue>(x);
        }
    }

    const std::vector<int>& Red() const { return red_; }
    const std::vector<int>& Green() const { return green_; }
    const std::vector<int>& Blue() const { return blue_; }

private:
    static int Value(Sample s) {
        if constexpr (sizeof(Sample) == 1)
            return s;
        else
            return std::min<int>(s, 1023);
    }

    const Sample* Row(int y) const { return mosaic_ + static_cast<std::size_t>(y) * width_; }

    void Store(int x, int centre, int cross, int diagonal, int horizontal, int vertical,
               Site site) {
        int r, g, b;
        switch (site) {
        case kRed:
            r = centre, g = cross, b = diagonal;
            break;
        case kBlue:
            r = diagonal, g = cross, b = centre;
            break;
        case kGreenOnRedRow:
            r = horizontal, g = centre, b = vertical;
            break;
        default:
            r = vertical, g = centre, b = horizontal;
            break;
        }
        const auto i = static_cast<std::size_t>(x);
        red_[i] = r;
        green_[i] = g;
        blue_[i] = b;
    }

    template <Site site> void Interior(int x) {
        const int left = Value(mid_[x - 1]), right = Value(mid_[x + 1]);
        const int above = Value(up_[x]), below = Value(down_[x]);
        const int horizontal = (left + right + 1) >> 1;
        const int vertical = (above + below + 1) >> 1;
        int cross = 0, diagonal = 0;
        if constexpr (site == kRed || site == kBlue) {
            cross = (left + right + above + below + 2) >> 2;
            diagonal = (Value(up_[x - 1]) + Value(up_[x + 1]) + Value(down_[x - 1]) +
                        Value(down_[x + 1]) + 2) >>
                       2;
        }
        Store(x, Value(mid_[x]), cross, diagonal, horizontal, vertical, site);
    }

    void EdgePixel(int x, bool redRow) {
        auto at = [this](const Sample* row, int column) {
            return Value(row[Mirror(column, width_)]);
        };
        const int left = at(mid_, x - 1), right = at(mid_, x + 1);
        const int above = at(up_, x), below = at(down_, x);
        const int cross = (left + right + above + below + 2) >> 2;
        const int diagonal =
            (at(up_, x - 1) + at(up_, x + 1) + at(down_, x - 1) + at(down_, x + 1) + 2) >> 2;
        const bool evenColumn = (x & 1) == 0;
        const Site site =
            redRow ? (evenColumn ? kRed : kGreenOnRedRow) : (evenColumn ? kGreenOnBlueRow : kBlue);
        Store(x, at(mid_, x), cross, diagonal, (left + right + 1) >> 1, (above + below + 1) >> 1,
              site);
    }

    const Sample* mosaic_;
    int width_, height_;
    const Sample* up_ = nullptr;
    const Sample* mid_ = nullptr;
    const Sample* down_ = nullptr;
    std::vector<int> red_, green_, blue_;
};

// Interleaves the first `columns` pixels of a computed row as blue, green, red.
template <typename Sample>
void WriteBgr(const RowDemosaic<Sample>& row, std::uint8_t* out, int columns, int shift) {
    for (int x = 0; x < columns; ++x) {
        const auto i = static_cast<std::size_t>(x);
        out[3 * i] = static_cast<std::uint8_t>(row.Blue()[i] >> shift);
        out[3 * i + 1] = static_cast<std::uint8_t>(row.Green()[i] >> shift);
        out[3 * i + 2] = static_cast<std::uint8_t>(row.Red()[i] >> shift);
    }
}

template <typename Sample>
void ToPlanes(const Sample* mosaic, Sample* planes, int width, int height) {
    if (width < 1 || height < 2)
        return;
    RowDemosaic<Sample> row(mosaic, width, height);
    const std::size_t plane = static_cast<std::size_t>(width) * (height - 1);
    for (int y = 0; y < height - 1; ++y) {
        row.Compute(y);
        Sample* red = planes + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const auto i = static_cast<std::size_t>(x);
            red[i] = static_cast<Sample>(row.Red()[i]);
            red[plane + i] = static_cast<Sample>(row.Green()[i]);
            red[2 * plane + i] = static_cast<Sample>(row.Blue()[i]);
        }
    }
}

} // namespace

void DemosaicToBgr(const std::uint8_t* mosaic, std::uint8_t* bgr, int width, int height) {
    if (width < 1 || height < 1)
        return;
    RowDemosaic<std::uint8_t> row(mosaic, width, height);
    for (int y = 0; y < height; ++y) {
        row.Compute(y);
        WriteBgr(row, bgr + static_cast<std::size_t>(y) * 3 * width, width, 0);
    }
}

void DemosaicWordsToBgr(const std::uint16_t* mosaic, std::uint8_t* bgr, int width, int height) {
    if (width < 2 || height < 2)
        return;
    RowDemosaic<std::uint16_t> row(mosaic, width, height);
    for (int y = 0; y < height - 1; ++y) {
        row.Compute(y);
        WriteBgr(row, bgr + static_cast<std::size_t>(y) * 3 * (width - 1), width - 1, 2);
    }
}

void DemosaicToPlanes(const std::uint8_t* mosaic, std::uint8_t* planes, int width, int height) {
    ToPlanes(mosaic, planes, width, height);
}

void DemosaicWordsToPlanes(const std::uint16_t* mosaic, std::uint16_t* planes, int width,
                           int height) {
    ToPlanes(mosaic, planes, width, height);
}

} // namespace orbicap::drivers
