#pragma once

#include "aids/PointerTools.h"

#include <QImage>

namespace orbicap {

// Marks drawn into the display picture by exclusive-or with red, so that the
// same drawing made again removes them exactly. A grey picture has no red to
// combine with, so there the grey itself is inverted. Points outside the
// picture are skipped.
void XorPixel(QImage& picture, int x, int y);

// Every pixel of the line from a to b once (Bresenham), the end excluded as
// a pen line ends: a line from a point to itself draws nothing.
void XorLine(QImage& picture, ImagePoint a, ImagePoint b);

// A filled disc in the box from (x - 2, y - 2) to (x + 2, y + 2), right and
// bottom edges excluded: the 4 x 4 square without its corners.
void XorMark(QImage& picture, ImagePoint centre);

} // namespace orbicap
