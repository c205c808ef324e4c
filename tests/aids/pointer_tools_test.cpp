#include "aids/PointerTools.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

TEST(PointerTools, FocusPickConvertsByTheZoomAndKeepsClearOfTheEdges) {
    struct Case {
        ImagePoint at;
        int imageW, imageH, zoom;
        FocusPoint expect;
    };
    const Case cases[] = {
        {{5, 470}, 752, 480, 100, {30, 450}},     {{751, 0}, 752, 480, 100, {722, 30}},
        {{400, 300}, 1504, 960, 200, {200, 150}}, {{100, 60}, 188, 120, 25, {400, 240}},
        {{3, 3}, 1504, 960, 200, {30, 30}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickFocusCentre(c.at, c.imageW, c.imageH, c.zoom), c.expect)
            << c.at.X << "," << c.at.Y << " at " << c.zoom << " %";
}

TEST(PointerTools, PressDispatchFollowsToolRoddierWindowAndRecording) {
    using B = PointerButton;
    using T = PointerTool;
    struct Case {
        T tool;
        bool roddierShown;
        B button;
        bool recording;
        PressActions expect;
    };
    const Case cases[] = {
        {T::Focus, false, B::Left, false, {.PickFocusCentre = true}},
        {T::Focus, false, B::Left, true, {}},   // no pick while recording
        {T::Focus, false, B::Right, false, {}}, // only the left button picks
        {T::Roddier, true, B::Left, false, {.AddRoddierPoint = true}},
        {T::Roddier, true, B::Left, true, {.AddRoddierPoint = true}}, // points while recording
        {T::Roddier, true, B::Right, false, {.MoveRefCircle = true}},
        {T::Roddier, true, B::Right, true, {}},
        {T::Measure, false, B::Left, false, {.StartMeasurement = true}},
        {T::Measure, false, B::Right, false, {.StartMeasurement = true}},
        {T::Measure, false, B::Middle, true, {.StartMeasurement = true}},
        {T::None, false, B::Left, false, {}}, // Roddier window closed by its close box
        // The Roddier window left open while the focus tool is checked.
        {T::Focus, true, B::Left, false, {.AddRoddierPoint = true, .PickFocusCentre = true}},
        {T::Measure, true, B::Right, true, {}}, // a right press while recording ends there
    };
    int i = 0;
    for (const Case& c : cases)
        EXPECT_EQ(DecidePress(c.tool, c.roddierShown, c.button, c.recording), c.expect)
            << "case " << i++;
}

TEST(PointerTools, ShapePointsBecomeImagePoints) {
    EXPECT_EQ(ShapeToImage({10, 20}, {388, 184}, {6, 0}), (ImagePoint{392, 204}));
    EXPECT_EQ(ShapeToImage({0, 0}, {6, 40}, {6, 40}), (ImagePoint{0, 0}));
    EXPECT_EQ(ImageToFrame({401, 301}, 200), (ImagePoint{200, 150}));
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-0.5), 0);
}

} // namespace
} // namespace orbicap
