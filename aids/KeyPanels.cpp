#include "KeyPanels.h"

#include <array>

namespace orbicap {

namespace {

constexpr int kKeyWidth = 40;
constexpr int kKeyHeight = 45;

KeyPanel Key(int number, int left, int top, const char* caption, int width = kKeyWidth) {
    return KeyPanel{number, left, top, width, kKeyHeight, QString::fromUtf8(caption)};
}

std::array<KeyPanel, 45> BuildPanels() {
    const int row1 = 8, row2 = 54, row3 = 100, row4 = 146;
    return {{
        Key(1, 16, row1, "A"),
        Key(2, 56, row1, "Z"),
        Key(3, 96, row1, "E"),
        Key(4, 136, row1, "R"),
        Key(5, 176, row1, "T"),
        Key(6, 216, row1, "Y"),
        Key(7, 256, row1, "U"),
        Key(8, 296, row1, "I"),
        Key(9, 336, row1, "O"),
        Key(10, 376, row1, "P"),
        Key(44, 416, row1, "\u2190"),
        Key(28, 462, row1, "7"),
        Key(29, 502, row1, "8"),
        Key(30, 542, row1, "9"),

        Key(11, 46, row2, "Q"),
        Key(12, 86, row2, "S"),
        Key(13, 126, row2, "D"),
        Key(14, 166, row2, "F"),
        Key(15, 206, row2, "G"),
        Key(16, 246, row2, "H"),
        Key(17, 286, row2, "J"),
        Key(18, 326, row2, "K"),
        Key(19, 366, row2, "L"),
        Key(20, 406, row2, "M"),
        Key(31, 462, row2, "4"),
        Key(32, 502, row2, "5"),
        Key(33, 542, row2, "6"),

        Key(42, 8, row3, "", 47),
        Key(22, 56, row3, "W"),
        Key(23, 96, row3, "X"),
        Key(24, 136, row3, "C"),
        Key(25, 176, row3, "V"),
        Key(26, 216, row3, "B"),
        Key(27, 256, row3, "N"),
        Key(39, 296, row3, "."),
        Key(40, 336, row3, "_"),
        Key(41, 376, row3, "-"),
        Key(45, 416, row3, "\u21b5", 44),
        Key(34, 462, row3, "1"),
        Key(35, 502, row3, "2"),
        Key(36, 542, row3, "3"),

        Key(kLayoutKey, 8, row4, "QWERTY", 47),
        Key(43, 56, row4, "SPACE", 404),
        Key(37, 461, row4, "0", 81),
        Key(38, 542, row4, "."),
    }};
}

} // namespace

std::span<const KeyPanel> KeyboardPanels() {
    static const std::array<KeyPanel, 45> panels = BuildPanels();
    return panels;
}

QString PanelName(const KeyPanel& panel) {
    return panel.Number == kLayoutKey ? QStringLiteral("KTYPE")
                                      : QStringLiteral("Panel%1").arg(panel.Number);
}

const KeyPanel* HitPanel(int x, int y) {
    for (const KeyPanel& panel : KeyboardPanels())
        if (panel.Left < x && x < panel.Left + panel.Width && panel.Top < y &&
            y < panel.Top + panel.Height)
            return &panel;
    return nullptr;
}

QString PanelCaption(const KeyPanel& panel, KeyboardLayout layout) {
    const bool azerty = layout == KeyboardLayout::Azerty;
    switch (panel.Number) {
    case 1:
        return azerty ? QStringLiteral("A") : QStringLiteral("Q");
    case 2:
        return azerty ? QStringLiteral("Z") : QStringLiteral("W");
    case 11:
        return azerty ? QStringLiteral("Q") : QStringLiteral("A");
    case 22:
        return azerty ? QStringLiteral("W") : QStringLiteral("Z");
    case 20:
        return azerty ? QStringLiteral("M") : QStringLiteral(".");
    case 39:
        return azerty ? QStringLiteral(".") : QStringLiteral("M");
    case kLayoutKey:
        return LayoutName(OtherLayout(layout));
    default:
        return panel.Caption;
    }
}

} // namespace orbicap
