#pragma once

#include <string>

namespace orbicap {

// The camera and the settings that reach it by direct driver calls, as the
// window's menus (or the headless recorder's defaults) left them. Recordings
// describe themselves with it in their capture log and FITS headers.
struct CameraSetup {
    std::string Model = "QHY5V Camera";
    std::string DigitalGain = "1x";
    std::string AdcReference = "1.0V";
    bool HorizontalFlip = false;
    bool VerticalFlip = false;
};

} // namespace orbicap
