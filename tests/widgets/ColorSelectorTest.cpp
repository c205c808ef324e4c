#include "widgets/ColorSelector.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using orbicap::ColorSelector;

namespace {

TEST(ColorSelector, StartsOnBlackFollowedByTheBasicColours) {
    ColorSelector box;
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.SelectedColor(), QColor(Qt::black));
    const QColor expected[] = {Qt::black,
                               Qt::white,
                               Qt::red,
                               QColor(0, 128, 0),
                               Qt::blue,
                               Qt::yellow,
                               QColor(128, 128, 128)};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(box.ColorAt(i), expected[i]) << "entry " << i;
    }
}

TEST(ColorSelector, ChoosingAnEntryRaisesChangedWithItsColour) {
    ColorSelector box;
    QSignalSpy spy(&box, &ColorSelector::changed);
    box.setCurrentIndex(2);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(box.SelectedColor(), QColor(Qt::red));

    box.SetSelectedColor(QColor(Qt::blue));
    EXPECT_EQ(box.SelectedColor(), QColor(Qt::blue));
    const int entries = box.count();
    box.SetSelectedColor(QColor(12, 34, 56)); // not listed: added and chosen
    EXPECT_EQ(box.count(), entries + 1);
    EXPECT_EQ(box.SelectedColor(), QColor(12, 34, 56));
    EXPECT_EQ(spy.count(), 3);
}

} // namespace
