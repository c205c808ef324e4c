#pragma once

namespace orbicap::indi {

// Short 8-bit exposures run from the camera's video stream; everything else
// (full depth, long exposures) from single exposures, whose rate is bounded
// by the server's round trip but which carry every bit the sensor has.
enum class ExposurePath { Stream, Single };

inline constexpr int kStreamExposureLimitMs = 500;

ExposurePath ChoosePath(int bits, int exposureMs);

struct SensorRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const SensorRect&) const = default;
};

// Where the red site of a colour mosaic lies in sensor coordinates: column
// and row parity (0 or 1). A mono sensor counts as red at (0, 0).
struct MosaicPhase {
    int column = 0;
    int row = 0;
};

// The camera frame for a window of width x height: centred on the sensor,
// no larger than the sensor, its origin nudged by one pixel where that
// brings the red site onto the window's even row and column.
SensorRect CentredFrame(int sensorWidth, int sensorHeight, int width, int height,
                        MosaicPhase phase);

} // namespace orbicap::indi
