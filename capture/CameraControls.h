#pragma once

#include <QString>

namespace orbicap {

// Milliseconds per exposure-slider step for an exposure range caption such
// as "1000ms" or "&2500ms": the first "&" and then the first "ms" are
// removed and the rest read as a number R; the scale is R div 100.
// Returns 0 for a caption that holds no number.
int ExposureScaleForRange(const QString& caption);

// Where the exposure slider goes when the range changes: the exposure in
// effect (position x old scale) divided by the new scale, held within 1..100.
int SliderPositionForScale(int position, int oldScale, int newScale);

// The exposure label: the milliseconds right-aligned in five characters,
// then " ms" ("    5 ms").
QString ExposureLabelText(int exposureMs);

// The gain label: "55%".
QString GainLabelText(int gain);

// The text of a pop-up menu item without the accelerator mark the menu may
// have added (the first "&" goes).
QString WithoutAccelerator(const QString& caption);

// Values the camera library takes for the menu choices.
inline constexpr int kDigitalGain1x = 244;
inline constexpr int kDigitalGain2x = 248;
inline constexpr int kDigitalGain4x = 255;

} // namespace orbicap
