#pragma once

#include "capture/CMOSDLL32.h"
#include "platform/Semaphore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace orbicap::test {

inline const char* const kSimLibrary = ORBICAP_LIB_DIR "/libqhy5v-sim.so";

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
    std::vector<std::uint8_t> Capture(unsigned timeoutMs = 5000) {
        std::vector<std::uint8_t> block(FrameBytes(), 0xCD);
        driver.ThreadedExposure(block.data());
        if (!exposure.WaitFor(timeoutMs)) {
            // The driver may still fill the block: it stays alive until the
            // library is unloaded.
            lent_.push_back(std::move(block));
            return {};
        }
        return block;
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

    // Declared before the driver so that the library is unloaded first.
    std::vector<std::vector<std::uint8_t>> lent_;
    Semaphore exposure{0, 1};
    CMOSDLL32 driver;
    int width_ = 752, height_ = 480, bits_ = 8;
};

} // namespace orbicap::test
