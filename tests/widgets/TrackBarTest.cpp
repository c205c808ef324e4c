#include "widgets/TrackBar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using orbicap::TrackBar;

namespace {

struct ClampCase {
    int set;
    int expected;
};

TEST(TrackBar, ProgramSetClampsToRangeAndRaisesChanged) {
    const ClampCase cases[] = {{0, 1}, {-5, 1}, {250, 100}, {50, 50}, {100, 100}};
    for (const ClampCase& c : cases) {
        TrackBar bar(1, 100, Qt::Horizontal);
        bar.SetPosition(2);
        QSignalSpy spy(&bar, &TrackBar::changed);
        bar.SetPosition(c.set);
        EXPECT_EQ(bar.Position(), c.expected) << "set " << c.set;
        ASSERT_EQ(spy.count(), 1) << "set " << c.set;
        EXPECT_EQ(spy.at(0).at(0).toInt(), c.expected);
    }
}

TEST(TrackBar, SettingTheSamePositionRaisesNothing) {
    TrackBar bar(1, 100, Qt::Horizontal);
    bar.SetPosition(100);
    QSignalSpy spy(&bar, &TrackBar::changed);
    bar.SetPosition(100);
    bar.SetPosition(250); // clamped to the position it already has
    EXPECT_EQ(spy.count(), 0);
}

TEST(TrackBar, NarrowingTheRangeMovesThePositionAndRaisesChanged) {
    TrackBar bar(0, 255, Qt::Vertical);
    bar.SetPosition(200);
    QSignalSpy spy(&bar, &TrackBar::changed);
    bar.SetRange(0, 100);
    EXPECT_EQ(bar.Position(), 100);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 100);
}

TEST(TrackBar, VerticalBarHasItsHighEndAtTheTop) {
    TrackBar bar(0, 255, Qt::Vertical);
    bar.resize(30, 200);
    bar.show();
    bar.SetPosition(0);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(15, 5)); // pages toward the click
    EXPECT_GT(bar.Position(), 0);

    bar.SetPosition(255);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(15, 195));
    EXPECT_LT(bar.Position(), 255);
}

// Two level sliders whose handlers push the moved slider back until black < white, by setting
// its position one step at a time and relying on the nested change event.
class LevelSliders : public ::testing::Test {
protected:
    void SetUp() override {
        white.SetPosition(255);
        QObject::connect(&black, &TrackBar::changed, [this](int) {
            if (black.Position() >= white.Position()) {
                black.SetPosition(black.Position() - 1);
            }
            blackLevel = black.Position();
            ++blackEvents;
        });
        QObject::connect(&white, &TrackBar::changed, [this](int) {
            if (white.Position() <= black.Position()) {
                white.SetPosition(white.Position() + 1);
            }
            whiteLevel = white.Position();
        });
    }

    TrackBar white{0, 255, Qt::Vertical};
    TrackBar black{0, 255, Qt::Vertical};
    int blackLevel = 0;
    int whiteLevel = 255;
    int blackEvents = 0;
};

TEST_F(LevelSliders, BlackWalksDownToOneBelowWhite) {
    white.SetPosition(150);
    blackEvents = 0;
    black.SetPosition(200);
    EXPECT_EQ(black.Position(), 149);
    EXPECT_EQ(blackLevel, 149);
    EXPECT_EQ(blackEvents, 200 - 149 + 1); // one event per step of the walk
}

TEST_F(LevelSliders, WhiteWalksUpToOneAboveBlack) {
    black.SetPosition(0);
    white.SetPosition(0);
    EXPECT_EQ(white.Position(), 1);
    EXPECT_EQ(whiteLevel, 1);
}

TEST_F(LevelSliders, MovesThatKeepTheOrderAreTakenAsIs) {
    white.SetPosition(180);
    black.SetPosition(40);
    EXPECT_EQ(black.Position(), 40);
    EXPECT_EQ(blackLevel, 40);
    EXPECT_EQ(whiteLevel, 180);
}

} // namespace
