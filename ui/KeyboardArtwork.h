#pragma once

#include <QPixmap>

namespace orbicap {

// The Shift key's two 36 x 36 pictures: an outlined arrow while Shift is
// off, a filled one on a light ground while it is latched.
QPixmap ShiftPicture(bool latched);

} // namespace orbicap
