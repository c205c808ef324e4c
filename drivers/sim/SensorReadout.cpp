#include "SensorReadout.h"

#include "Random.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orbicap::sim {

namespace {

// Sensor constants, chosen so that the planet's brightest zone sits at about
// three quarters of full scale at the program's start settings (100 ms, gain
// 10), as it would through a mid-size telescope, and near half of it at the
// classic planetary setting of 10 ms and gain 50.
constexpr float kElectronsPerMs = 20.0f; // at scene radiance 1
constexpr float kDarkElectronsPerMs = 0.05f;
constexpr float kReadNoiseElectrons = 5.0f;
constexpr float kDnPerElectron = 0.25f; // 10-bit counts at 1x gain and 1.0 V reference
constexpr float kBiasDn = 16.0f;
constexpr float kFullScale = 1023.0f;
constexpr float kAgcTargetDn = 700.0f;
constexpr float kRowPatternDn = 1.2f; // fixed per row, same in every frame
constexpr float kRowFlickerDn = 1.8f; // changes from frame to frame
// The amplifier doubles every 15 gain steps: 1x at 0, about 100x at 100.
constexpr float kGainStepsPerDoubling = 15.0f;
constexpr float kMaxAnalogueGain = 101.6f;

float AnalogueGain(const CameraSettings& s, float scenePeak) {
    if (s.agc) {
        // Automatic gain holds the brightest part of the picture near a fixed
        // level whatever the exposure, within what the amplifier can do.
        const float electrons = scenePeak * std::max(s.exposureMs, 1) * kElectronsPerMs;
        const float perGain = electrons * kDnPerElectron * s.digitalGain / (1.0f + 0.1f * s.adcRef);
        return std::clamp(kAgcTargetDn / perGain, 1.0f, kMaxAnalogueGain);
    }
    return std::exp2(static_cast<float>(s.gain) / kGainStepsPerDoubling);
}

// The sensor's 12-to-10-bit companding: full resolution for faint signals,
// coarser steps for bright ones, so the 10-bit output covers a 12-bit range.
float Compand(float linear10) {
    const float x = linear10 * 4.0f; // the 12-bit reading
    if (x < 256.0f)
        return x;
    if (x < 1024.0f)
        return 256.0f + (x - 256.0f) * 0.5f;
    return 640.0f + (x - 1024.0f) * 0.125f;
}

// Which scene plane each mosaic site sees: R G / G B from the window's origin.
int ChannelAt(bool colour, int x, int y) {
    if (!colour)
        return 0;
    static const int kSite[4] = {0, 1, 1, 2};
    return kSite[(y & 1) * 2 + (x & 1)];
}

} // namespace

void ReadOutFrame(const SkyScene& scene, const CameraSettings& s, std::uint32_t frameIndex,
                  std::uint8_t* target) {
    ReadOutRegion(scene, s, frameIndex, Box{0, 0, kSensorWidth - 1, kSensorHeight - 1}, target);
}

void ReadOutRegion(const SkyScene& scene, const CameraSettings& s, std::uint32_t frameIndex,
                   const Box& sensorBox, std::uint8_t* target) {
    const int w = s.width;
    const int h = s.height;
    if (w <= 0 || h <= 0)
        return;

    Random seeing(MixSeed(s.seed, 0x5EE1000u + frameIndex));
    const float shiftX = 0.7f * seeing.Normal();
    const float shiftY = 0.7f * seeing.Normal();
    const int blurLevel = static_cast<int>(seeing.Next() % SkyScene::kBlurLevels);

    const float toDn = kDnPerElectron * AnalogueGain(s, scene.Peak()) *
                       static_cast<float>(s.digitalGain) / (1.0f + 0.1f * s.adcRef);
    const float exposure = static_cast<float>(s.exposureMs);
    const float signalPerRadiance = exposure * kElectronsPerMs;
    const float dark = exposure * kDarkElectronsPerMs;
    const float readVariance = kReadNoiseElectrons * kReadNoiseElectrons;

    // Row noise arises before the amplifier, so it scales with the gain; the
    // sensor's row noise correction removes it entirely.
    std::vector<float> rowOffset(static_cast<std::size_t>(h), 0.0f);
    if (s.rowNoiseOff) {
        Random pattern(MixSeed(s.seed, 0x20F));
        Random flicker(MixSeed(s.seed, 0x20F0000u + frameIndex));
        const float scale = toDn / kDnPerElectron;
        std::vector<float> fixed(static_cast<std::size_t>(kSensorHeight));
        for (float& f : fixed)
            f = kRowPatternDn * pattern.Normal();
        for (int y = 0; y < h; ++y) {
            const int sensorRow = s.OriginY() + (s.vflip ? h - 1 - y : y);
            rowOffset[static_cast<std::size_t>(y)] =
                std::sqrt(scale) *
                (fixed[static_cast<std::size_t>(sensorRow)] + kRowFlickerDn * flicker.Normal());
        }
    }

    const std::uint64_t noiseSeed = MixSeed(s.seed, 0x0015E000u + frameIndex);
    // The shift is the same for every pixel, so the bilinear weights are too.
    const float floorX = std::floor(-shiftX);
    const float floorY = std::floor(-shiftY);
    const float fx = -shiftX - floorX;
    const float fy = -shiftY - floorY;
    const float w00 = (1 - fx) * (1 - fy), w01 = fx * (1 - fy), w10 = (1 - fx) * fy, w11 = fx * fy;
    const int offsetX = s.OriginX() + static_cast<int>(floorX);
    const int offsetY = s.OriginY() + static_cast<int>(floorY);

    const float* planes[3] = {};
    for (int c = 0; c < scene.Channels(); ++c)
        planes[c] = scene.Plane(blurLevel, c);

    // The window columns whose samples (sensor columns sx and sx + 1, held
    // inside the sensor) touch the box.
    const int firstColumn = sensorBox.x0 <= 1 ? 0 : std::max(0, sensorBox.x0 - 1 - offsetX);
    const int lastColumn =
        sensorBox.x1 >= kSensorWidth - 2 ? w - 1 : std::min(w - 1, sensorBox.x1 - offsetX);
    if (firstColumn > lastColumn)
        return;
    const int x0 = s.hflip ? w - 1 - lastColumn : firstColumn;
    const int x1 = s.hflip ? w - 1 - firstColumn : lastColumn;

    for (int y = 0; y < h; ++y) {
        const int windowRow = s.vflip ? h - 1 - y : y;
        const int sy = std::clamp(offsetY + windowRow, 0, kSensorHeight - 2);
        if (sy + 1 < sensorBox.y0 || sy > sensorBox.y1)
            continue;
        const float row = kBiasDn + rowOffset[static_cast<std::size_t>(y)];
        Random noise(MixSeed(noiseSeed, static_cast<std::uint64_t>(y)));
        noise.Skip(static_cast<std::uint64_t>(x0));
        for (int x = x0; x <= x1; ++x) {
            const int windowColumn = s.hflip ? w - 1 - x : x;
            const int sx = std::clamp(offsetX + windowColumn, 0, kSensorWidth - 2);
            const float* p = planes[ChannelAt(scene.Colour(), x, y)] +
                             static_cast<std::size_t>(sy) * kSensorWidth + sx;
            const float radiance =
                w00 * p[0] + w01 * p[1] + w10 * p[kSensorWidth] + w11 * p[kSensorWidth + 1];
            const float electrons = radiance * signalPerRadiance + dark;
            const float sigma = std::sqrt(electrons + readVariance);
            float dn = std::max(0.0f, (electrons + sigma * noise.Normal()) * toDn + row);
            if (s.companding)
                dn = Compand(dn);
            const int value = static_cast<int>(std::min(dn + 0.5f, kFullScale));
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            if (s.sixteenBit) {
                target[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
                target[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
            } else {
                target[i] = static_cast<std::uint8_t>(value >> 2);
            }
        }
    }
}

} // namespace orbicap::sim
