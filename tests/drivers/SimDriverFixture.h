#pragma once

#include "capture/CMOSDLL32.h"
#include "platform/Semaphore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace orbicap::test {

inline const char* const kSimLibrary = ORBICAP_LIB_DIR "/libqhy5v-sim.so";

// Sanitizer builds run many times slower; promptness is only held to a
// plain build's clock.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// The simulator loaded through the program's own binding, with the exposure
// semaphore handed over and every ORBICAP_SIM_* knob cleared, so that each
// test states exactly the knobs it relies on.
class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearKnobs();
        ASSERT_TRUE(driver.LoadCameraLibrary(kSimLibrary)) << driver.Error();
        driver.ExposureSemaphore(exposure.Handle());
    }

    void TearDown() override { ClearKnobs(); }

    static void ClearKnobs() {
        for (const char* name :
             {"ORBICAP_SIM_NO_CAMERA", "ORBICAP_SIM_MODEL", "ORBICAP_SIM_SEED", "ORBICAP_SIM_STAMP",
              "ORBICAP_SIM_STALL_AFTER", "ORBICAP_SIM_UNPACED", "ORBICAP_SIM_SCENE"})
            unsetenv(name);
    }

    static void SetKnob(const char* name, const char* value) { setenv(name, value, 1); }

    // The capture thread's per-pass programming, in its order.
    void Configure(int width, int height, int bits, int exposureMs, int gain = 30) {
        driver.Subframe(width, height);
        driver.DynamicRange(bits);
        driver.ProgramCamera(exposureMs, gain, 128, 0);
        width_ = width;
        height_ = height;
        bits_ = bits;
    }

    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(width_) * height_ * (bits_ == 10 ? 2 : 1);
    }

    // Starts one exposure and waits for its release; an empty result means
    // the driver never released the semaphore within timeoutMs.
    std::vector<std::uint8_t> Capture(unsigned timeoutMs) {
        return CaptureUntil([&] { return exposure.WaitFor(timeoutMs); });
    }

    // The same for a frame that must come.
    std::vector<std::uint8_t> Capture() {
        return CaptureUntil([&] { return WaitForFrame(); });
    }

    // Waits for a release that must come, of a frame whose new settings or
    // scene are drawn first: seconds of processor time under a sanitizer,
    // and many times that on the clock of a busy machine. The wait is
    // bounded by the processor time the test spends, which load cannot
    // stretch, and by ten minutes of the clock for a driver that hangs.
    bool WaitForFrame() {
        const double cpuStart = ProcessCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        while (!exposure.WaitFor(100)) {
            if (ProcessCpuSeconds() - cpuStart > 60.0 ||
                std::chrono::steady_clock::now() - wallStart > std::chrono::minutes(10))
                return false;
        }
        return true;
    }

    static double ProcessCpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }

    // Sample i of a frame in the current depth.
    int Sample(const std::vector<std::uint8_t>& frame, std::size_t i) const {
        if (bits_ == 10)
            return frame[2 * i] | (frame[2 * i + 1] << 8);
        return frame[i];
    }

    // The frame number stamped into the first four samples.
    std::uint32_t Stamp(const std::vector<std::uint8_t>& frame) const {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(Sample(frame, i)) << (8 * i);
        return value;
    }

    template <typename Wait> std::vector<std::uint8_t> CaptureUntil(Wait released) {
        std::vector<std::uint8_t> block(FrameBytes(), 0xCD);
        driver.ThreadedExposure(block.data());
        if (!released()) {
            // A late frame must neither land in freed memory nor be taken
            // for the next exposure's: cancel it and take its release, and
            // keep the block alive until the library is unloaded if even
            // that does not come (a camera that delivers nothing).
            driver.CancelExposure();
            if (!released())
                lent_.push_back(std::move(block));
            return {};
        }
        return block;
    }

    // Declared before the driver so that the library is unloaded first.
    std::vector<std::vector<std::uint8_t>> lent_;
    Semaphore exposure{0, 1};
    CMOSDLL32 driver;
    int width_ = 752, height_ = 480, bits_ = 8;
};

} // namespace orbicap::test
