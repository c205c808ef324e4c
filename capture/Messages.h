#pragma once

#include <QEvent>

namespace orbicap {

// Posted to the window-thread receiver; the numbers lie in Qt's user range.
inline constexpr QEvent::Type WM_FRAMEREADY = static_cast<QEvent::Type>(0x1400);
inline constexpr QEvent::Type WM_FRAMEPAINT = static_cast<QEvent::Type>(0x1401);
inline constexpr QEvent::Type WM_FRAMESTORE = static_cast<QEvent::Type>(0x1402);
// The capture thread left its loop on an error (TVideoCapture::FailureMessage).
inline constexpr QEvent::Type WM_CAPTUREFAILED = static_cast<QEvent::Type>(0x1403);

} // namespace orbicap
