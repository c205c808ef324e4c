#include "pipeline/Overlay.h"

#include "pipeline/PictureRows.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>

namespace orbicap {
namespace {

// Box corners from the text's top-left corner (10, 10): two pixels of margin
// to the left and above, four to the right and below (outline included).
constexpr int kBoxLeft = 10;
constexpr int kBoxTop = 8;
constexpr int kTextLeft = 10;
constexpr int kTextTop = 10;

// Visits every opaque tile pixel that falls inside the picture, with the
// start of the picture row it lands in (rows stored bottom-up).
template <typename Visit>
void ForEachOpaquePixel(std::uint8_t* bottomUpPixels, int width, int height, int stride,
                        const QImage& tile, Visit visit) {
    if (!bottomUpPixels || width <= 0 || height <= 0 || tile.isNull())
        return;
    const QImage argb =
        tile.format() == QImage::Format_ARGB32 ? tile : tile.convertToFormat(QImage::Format_ARGB32);
    const int rows = std::min(height, argb.height());
    const int columns = std::min(width, argb.width());
    for (int y = 0; y < rows; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* row =
            bottomUpPixels + static_cast<std::ptrdiff_t>(BufferRowOfPictureRow(y, height)) * stride;
        for (int x = 0; x < columns; ++x)
            if (qAlpha(source[x]) != 0)
                visit(row, x, source[x]);
    }
}

} // namespace

QFont DefaultOverlayFont() {
    QFont font(QStringLiteral("Courier New"), 12);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QImage RenderOverlayTile(const std::string& text, const OverlayStyle& style) {
    const QString label = QString::fromStdString(text);
    const QFontMetrics metrics(style.Font);
    const int w = metrics.horizontalAdvance(label);
    const int h = metrics.height();

    QImage tile(w + 14, h + 12, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    // The box covers x = 10 .. w + 13 and y = 8 .. h + 11: a 1-pixel black
    // outline around the background colour. Filled by hand so the edges do
    // not depend on how a stroked rectangle is rasterised.
    const QRect box(kBoxLeft, kBoxTop, w + 4, h + 4);
    painter.fillRect(box, Qt::black);
    painter.fillRect(box.adjusted(1, 1, -1, -1), style.BackColor);
    painter.setFont(style.Font);
    painter.setPen(style.TextColor);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(style.BackColor);
    painter.drawText(QRect(kTextLeft, kTextTop, w, h), Qt::AlignLeft | Qt::AlignTop, label);
    painter.end();
    return tile;
}

void DrawOverlayIndexed(std::uint8_t* bottomUpPixels, int width, int height, int stride,
                        const Palette& palette, const QImage& tile) {
    // Nearest palette grey per luminance, found once per luminance that occurs.
    std::array<int, 256> nearest;
    nearest.fill(-1);
    auto indexFor = [&](int luminance) {
        int& cached = nearest[static_cast<std::size_t>(luminance)];
        if (cached < 0) {
            int best = 0;
            int bestDistance = 256;
            for (int i = 0; i < 256; ++i) {
                const int distance = std::abs(palette[static_cast<std::size_t>(i)] - luminance);
                if (distance < bestDistance) {
                    best = i;
                    bestDistance = distance;
                }
            }
            cached = best;
        }
        return static_cast<std::uint8_t>(cached);
    };
    ForEachOpaquePixel(
        bottomUpPixels, width, height, stride, tile,
        [&](std::uint8_t* row, int x, QRgb colour) { row[x] = indexFor(qGray(colour)); });
}

void DrawOverlayBgr(std::uint8_t* bottomUpPixels, int width, int height, int stride,
                    const QImage& tile) {
    ForEachOpaquePixel(bottomUpPixels, width, height, stride, tile,
                       [](std::uint8_t* row, int x, QRgb colour) {
                           std::uint8_t* p = row + 3 * x;
                           p[0] = static_cast<std::uint8_t>(qBlue(colour));
                           p[1] = static_cast<std::uint8_t>(qGreen(colour));
                           p[2] = static_cast<std::uint8_t>(qRed(colour));
                       });
}

} // namespace orbicap
