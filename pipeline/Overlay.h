#pragma once

#include "pipeline/Palette.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <cstdint>
#include <string>

namespace orbicap {

// The start font: 12-point Courier New, or the fixed-pitch face font
// matching puts in its place where that family is missing, so the stamp stays
// a typewriter face on any machine.
QFont DefaultOverlayFont();

// How the timestamp box looks; set in the overlay properties window.
struct OverlayStyle {
    QFont Font = DefaultOverlayFont();
    QColor TextColor = Qt::white;
    QColor BackColor = Qt::black;
};

// Renders the timestamp box as it appears in the top-left corner of a
// picture: a rectangle from (10, 8) to (w + 13, h + 11) inclusive, outlined
// with a 1-pixel black pen and filled with BackColor, with the text written at
// (10, 10) on an opaque background (w, h: the text's size in the font). The
// returned ARGB32 tile is (w + 14) x (h + 12); pixels outside the box are
// fully transparent.
QImage RenderOverlayTile(const std::string& text, const OverlayStyle& style);

// Draws a tile into the top-left corner of an 8-bit indexed picture whose
// rows are stored bottom-up: every opaque tile pixel becomes the palette index
// whose grey is nearest to the pixel's luminance. Clipped to the picture.
void DrawOverlayIndexed(std::uint8_t* bottomUpPixels, int width, int height, int stride,
                        const Palette& palette, const QImage& tile);

// Draws a tile into the top-left corner of a 24-bit picture (blue, green, red
// bytes) whose rows are stored bottom-up. Clipped to the picture.
void DrawOverlayBgr(std::uint8_t* bottomUpPixels, int width, int height, int stride,
                    const QImage& tile);

} // namespace orbicap
