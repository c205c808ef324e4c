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

} // namespace
