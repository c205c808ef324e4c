#include "aids/ExclusiveOr.h"

#include <cstdlib>

namespace orbicap {

void XorPixel(QImage& picture, int x, int y) {
    if (!picture.valid(x, y))
        return;
    uchar* row = picture.scanLine(y);
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
        row[x] ^= 0xFF;
        break;
    case QImage::Format_BGR888:
        row[3 * x + 2] ^= 0xFF;
        break;
    case QImage::Format_RGB888:
        row[3 * x] ^= 0xFF;
        break;
    default:
        picture.setPixel(x, y, picture.pixel(x, y) ^ qRgba(0xFF, 0, 0, 0));
        break;
    }
}

void XorLine(QImage& picture, ImagePoint a, ImagePoint b) {
    const int dx = std::abs(b.X - a.X);
    const int dy = -std::abs(b.Y - a.Y);
    const int sx = a.X < b.X ? 1 : -1;
    const int sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy;
    int x = a.X;
    int y = a.Y;
    while (x != b.X || y != b.Y) {
        XorPixel(picture, x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void XorMark(QImage& picture, ImagePoint c) {
    for (int y = c.Y - 2; y < c.Y + 2; ++y)
        for (int x = c.X - 2; x < c.X + 2; ++x) {
            const bool corner = (x == c.X - 2 || x == c.X + 1) && (y == c.Y - 2 || y == c.Y + 1);
            if (!corner)
                XorPixel(picture, x, y);
        }
}

} // namespace orbicap
