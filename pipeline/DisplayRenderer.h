#pragma once

#include "pipeline/DisplayScaler.h"
#include "pipeline/FrameBitmap.h"
#include "pipeline/Overlay.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orbicap {

class FrameIntake;

// The driver's debayerImage(source, destination, width, height): an RGGB
// mosaic into width x height pixels of blue, green, red bytes, rows in the
// order of the input rows.
using DebayerFn = void (*)(const unsigned char* source, unsigned char* destination, int width,
                           int height);

// Calls out of a refresh to parts that live elsewhere. Unset hooks are skipped.
struct DisplayHooks {
    // The text to stamp while the overlay is visible (the capture thread's latest).
    std::function<std::string()> OverlayText;
    // The observation aids drawing on the display picture (measurement line,
    // Roddier markers), in display coordinates. fresh: the picture was just
    // drawn from a frame, so nothing of an earlier drawing of the aids is in
    // it; otherwise it still holds what they drew last (for exclusive-or
    // erasing).
    std::function<void(QImage& display, bool fresh)> DrawAids;
    // Show the new picture.
    std::function<void()> Repaint;
    // Runs after the drawing, whether or not it succeeded (the focus aid).
    std::function<void()> AfterRefresh;
};

// Turns the native-size frame into the picture the user sees: grey levels and
// solar shading through the palette, or the demosaiced colour picture, the
// timestamp box, and the zoom. Window thread only.
class DisplayRenderer {
public:
    explicit DisplayRenderer(DebayerFn debayer = nullptr);

    int BlackLevel = 0;
    int WhiteLevel = 255;
    int SolarLimit = 255;
    int SolarShade = 255;
    int ZoomPercent = 100;
    bool ColorCamera = false;
    bool OverlayVisible = false;
    OverlayStyle Overlay;
    DisplayHooks Hooks;

    // Top-down; Format_Grayscale8 for grey frames (each pixel the palette
    // grey of its raw value), Format_BGR888 for colour frames.
    QImage DisplayBitmap;

    // The WM_FRAMEPAINT work. Does nothing while no repaint is outstanding;
    // always ends with paintPending at -1, so a failed drawing cannot block
    // the display.
    void RefreshDisplay(FrameBitmap& frame, std::int32_t& paintPending);
    void RefreshDisplay(FrameIntake& intake);

    // Between frames: lets the aids draw again on the picture as it stands
    // and shows it (the measurement line follows the pointer this way).
    void RedrawAids();

    // Replaces the 8-bit mosaic in frame by its 24-bit demosaic.
    void DemosaicFrame(FrameBitmap& frame);

private:
    void Draw(FrameBitmap& frame);
    void DrawAidsAndShow(bool fresh);

    DebayerFn debayer_;
    std::vector<std::uint8_t> bayerBuffer_;
    DisplayScaler scaler_;
};

} // namespace orbicap
