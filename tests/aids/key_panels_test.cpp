#include "aids/KeyPanels.h"

#include <gtest/gtest.h>

#include <QRect>
#include <set>

namespace orbicap {
namespace {

QString NameAt(int x, int y) {
    const KeyPanel* panel = HitPanel(x, y);
    return panel ? PanelName(*panel) : QStringLiteral("none");
}

TEST(KeyPanels, EveryKeyIsInsideTheWindowAndNoTwoOverlap) {
    const auto panels = KeyboardPanels();
    EXPECT_EQ(panels.size(), 45u);
    std::set<QString> names;
    const QRect window(0, 0, kKeyboardWidth, kKeyboardHeight);
    for (const KeyPanel& a : panels) {
        const QRect ra(a.Left, a.Top, a.Width, a.Height);
        EXPECT_TRUE(window.contains(ra)) << PanelName(a).toStdString();
        EXPECT_TRUE(names.insert(PanelName(a)).second) << PanelName(a).toStdString();
        for (const KeyPanel& b : panels) {
            if (&a == &b)
                continue;
            EXPECT_FALSE(ra.intersects(QRect(b.Left + 1, b.Top + 1, b.Width - 1, b.Height - 1)))
                << PanelName(a).toStdString() << " " << PanelName(b).toStdString();
        }
    }
}

TEST(KeyPanels, OnlyTheInsideOfAKeyIsHit) {
    for (const KeyPanel& panel : KeyboardPanels()) {
        const QString name = PanelName(panel);
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(NameAt(panel.Left + 1, panel.Top + 1), name);
        EXPECT_EQ(NameAt(panel.Left + panel.Width - 1, panel.Top + panel.Height - 1), name);
        EXPECT_NE(NameAt(panel.Left, panel.Top + 1), name); // left edge line
        EXPECT_NE(NameAt(panel.Left + 1, panel.Top), name); // top edge line
    }
}

TEST(KeyPanels, ClicksAtKnownPlaces) {
    struct Case {
        int x, y;
        const char* expected;
    };
    const Case cases[] = {
        {36, 30, "Panel1"},                           // "A", first row
        {16, 30, "none"},                             // its left edge
        {36, 8, "none"},                              // its top edge
        {58, 30, "Panel2"},                           // just inside "Z"
        {450, 30, "Panel44"},                         // backspace
        {459, 30, "none"},                            // between backspace and "7"
        {426, 76, "Panel20"},                         // "M"
        {30, 120, "Panel42"},                         // Shift, 47 wide
        {458, 120, "Panel45"},                        // return, 44 wide
        {30, 170, "KTYPE"},    {300, 170, "Panel43"}, // space bar
        {541, 170, "Panel37"},                        // wide "0"
        {542, 170, "none"},                        // "0" ends where "." begins: that is "."'s edge
        {560, 170, "Panel38"}, {300, 196, "none"}, // below the last row
        {586, 30, "none"},                         // right of "9"
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameAt(c.x, c.y), QString::fromLatin1(c.expected)) << c.x << "," << c.y;
}

TEST(KeyPanels, TheLayoutChangesSixCaptions) {
    struct Case {
        int number;
        const char* azerty;
        const char* qwerty;
    };
    const Case cases[] = {{1, "A", "Q"},
                          {2, "Z", "W"},
                          {11, "Q", "A"},
                          {22, "W", "Z"},
                          {20, "M", "."},
                          {39, ".", "M"},
                          {kLayoutKey, "QWERTY", "AZERTY"},
                          {3, "E", "E"},
                          {38, ".", "."}};
    for (const Case& c : cases) {
        const KeyPanel* panel = nullptr;
        for (const KeyPanel& p : KeyboardPanels())
            if (p.Number == c.number)
                panel = &p;
        ASSERT_NE(panel, nullptr) << c.number;
        EXPECT_EQ(PanelCaption(*panel, KeyboardLayout::Azerty), QString::fromLatin1(c.azerty));
        EXPECT_EQ(PanelCaption(*panel, KeyboardLayout::Qwerty), QString::fromLatin1(c.qwerty));
    }
}

} // namespace
} // namespace orbicap
