#include "KeyMapping.h"

namespace orbicap {

namespace {

KeyAction Type(int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return KeyAction{KeyAction::Kind::Type, KeyStroke{key, text, modifiers}};
}

KeyAction Letter(QChar letter, bool shift) {
    const int key = Qt::Key_A + (letter.unicode() - u'A');
    return shift ? Type(key, QString(letter.toUpper()), Qt::ShiftModifier)
                 : Type(key, QString(letter.toLower()));
}

KeyAction KeypadDecimal() {
    return Type(Qt::Key_Period, QStringLiteral("."), Qt::KeypadModifier);
}

KeyAction KeypadDigit(int digit) {
    return Type(Qt::Key_0 + digit, QString::number(digit), Qt::KeypadModifier);
}

} // namespace

KeyAction ActionForPanel(const KeyPanel& panel, KeyboardLayout layout, bool shiftLatched) {
    const int n = panel.Number;
    const QString caption = PanelCaption(panel, layout);
    if ((n >= 1 && n <= 19) || (n >= 22 && n <= 27) || n == 20 || n == 39) {
        if (caption == QStringLiteral("."))
            return KeypadDecimal();
        return Letter(caption.front(), shiftLatched);
    }
    switch (n) {
    case kShiftKey:
        return KeyAction{KeyAction::Kind::ToggleShift, {}};
    case kLayoutKey:
        return KeyAction{KeyAction::Kind::SwitchLayout, {}};
    case kReturnKey:
        return Type(Qt::Key_Return, QStringLiteral("\r"));
    case kBackspaceKey:
        return Type(Qt::Key_Backspace, QStringLiteral("\b"));
    case 43:
        return Type(Qt::Key_Space, QStringLiteral(" "));
    case 28:
    case 29:
    case 30:
        return KeypadDigit(n - 21); // 7, 8, 9
    case 31:
    case 32:
    case 33:
        return KeypadDigit(n - 27); // 4, 5, 6
    case 34:
    case 35:
    case 36:
        return KeypadDigit(n - 33); // 1, 2, 3
    case 37:
        return KeypadDigit(0);
    case 38:
        return KeypadDecimal();
    case 40:
        return Type(Qt::Key_Underscore, QStringLiteral("_"), Qt::ShiftModifier);
    case 41:
        return Type(Qt::Key_Minus, QStringLiteral("-"), Qt::KeypadModifier);
    default:
        return Type(0, {});
    }
}

} // namespace orbicap
