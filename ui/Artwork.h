#pragma once

#include <QPixmap>

namespace orbicap {

// Small pictures drawn at run time, so that the program ships no image files.
QPixmap PlanetPicture(int size);
QPixmap MagZeroLogo();
QPixmap KeyboardIcon();

} // namespace orbicap
