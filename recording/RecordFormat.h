#pragma once

namespace orbicap {

// Numbers as kept in TAVIExport::RecordFormat.
enum RecordFormatCode : int { kFormatAVI = 1, kFormatFIT = 2, kFormatSER = 3, kFormatBMP = 4 };

// OutputHandle values with a meaning of their own; any other value is an
// open AVI recording.
inline constexpr int kOutputIdle = -1;
inline constexpr int kOutputFrameFiles = -2;
inline constexpr int kOutputSer = -3;

// FrameLimit values with a meaning of their own; a positive value is the
// number of frames still to store.
inline constexpr int kLimitNone = -10;
inline constexpr int kLimitDeadline = -11;

} // namespace orbicap
