#include "aids/KeyboardState.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

const KeyPanel& Panel(int number) {
    for (const KeyPanel& p : KeyboardPanels())
        if (p.Number == number)
            return p;
    throw std::invalid_argument("no such panel");
}

struct StrokeCase {
    int panel;
    KeyboardLayout layout;
    bool shift;
    int key;
    const char* text;
    Qt::KeyboardModifiers modifiers;
};

TEST(KeyMapping, EachKeyTypesWhatARealKeyboardWould) {
    const auto azerty = KeyboardLayout::Azerty;
    const auto qwerty = KeyboardLayout::Qwerty;
    const auto keypad = Qt::KeypadModifier;
    const auto shift = Qt::ShiftModifier;
    const auto none = Qt::NoModifier;
    const StrokeCase cases[] = {
        {1, azerty, false, Qt::Key_A, "a", none},
        {1, azerty, true, Qt::Key_A, "A", shift},
        {1, qwerty, false, Qt::Key_Q, "q", none},
        {11, qwerty, true, Qt::Key_A, "A", shift},
        {22, azerty, false, Qt::Key_W, "w", none},
        {27, azerty, true, Qt::Key_N, "N", shift},
        {20, azerty, false, Qt::Key_M, "m", none},
        {20, qwerty, true, Qt::Key_Period, ".", keypad}, // Shift leaves "." alone
        {39, azerty, true, Qt::Key_Period, ".", keypad},
        {39, qwerty, false, Qt::Key_M, "m", none},
        {28, azerty, true, Qt::Key_7, "7", keypad}, // Shift leaves digits alone
        {30, azerty, false, Qt::Key_9, "9", keypad},
        {31, azerty, false, Qt::Key_4, "4", keypad},
        {33, azerty, false, Qt::Key_6, "6", keypad},
        {34, azerty, false, Qt::Key_1, "1", keypad},
        {36, azerty, false, Qt::Key_3, "3", keypad},
        {37, azerty, false, Qt::Key_0, "0", keypad},
        {38, qwerty, false, Qt::Key_Period, ".", keypad},
        {40, azerty, false, Qt::Key_Underscore, "_", shift},
        {41, azerty, true, Qt::Key_Minus, "-", keypad},
        {43, azerty, true, Qt::Key_Space, " ", none},
        {44, azerty, false, Qt::Key_Backspace, "\b", none},
        {45, azerty, true, Qt::Key_Return, "\r", none},
    };
    for (const StrokeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "Panel" << c.panel << " shift " << c.shift);
        const KeyAction action = ActionForPanel(Panel(c.panel), c.layout, c.shift);
        ASSERT_EQ(action.What, KeyAction::Kind::Type);
        EXPECT_EQ(action.Stroke.Key, c.key);
        EXPECT_EQ(action.Stroke.Text, QString::fromLatin1(c.text));
        EXPECT_EQ(action.Stroke.Modifiers, c.modifiers);
    }
}

TEST(KeyMapping, EveryLetterKeyTypesItsCaption) {
    for (const auto layout : {KeyboardLayout::Azerty, KeyboardLayout::Qwerty})
        for (const KeyPanel& p : KeyboardPanels()) {
            const QString caption = PanelCaption(p, layout);
            if (caption.size() != 1 || !caption.front().isLetter())
                continue;
            const KeyAction action = ActionForPanel(p, layout, false);
            EXPECT_EQ(action.Stroke.Text, caption.toLower()) << PanelName(p).toStdString();
            EXPECT_EQ(action.Stroke.Key, Qt::Key_A + (caption.front().unicode() - u'A'));
        }
}

TEST(KeyboardPoll, OnlyTheLastClickOfAPeriodActs) {
    KeyboardState state;
    RecordClick(state, 36, 30);  // "A"
    RecordClick(state, 116, 30); // "E"
    const auto stroke = PollClick(state).Stroke;
    ASSERT_TRUE(stroke);
    EXPECT_EQ(stroke->Text, QStringLiteral("e"));
    EXPECT_FALSE(PollClick(state).Stroke) << "a handled click must not act again";
}

TEST(KeyboardPoll, ShiftLatchesForAnyNumberOfLettersUntilClickedAgain) {
    KeyboardState state;
    const auto click = [&](int x, int y) {
        RecordClick(state, x, y);
        return PollClick(state).Stroke;
    };
    EXPECT_FALSE(click(30, 120)); // Shift sends nothing
    EXPECT_TRUE(state.ShiftLatched);
    EXPECT_EQ(click(36, 30)->Text, QStringLiteral("A"));
    EXPECT_EQ(click(76, 30)->Text, QStringLiteral("Z"));
    EXPECT_EQ(click(482, 30)->Modifiers, Qt::KeypadModifier);
    EXPECT_FALSE(click(30, 120));
    EXPECT_EQ(click(36, 30)->Text, QStringLiteral("a"));
}

TEST(KeyboardPoll, TheLayoutKeySwitchesAndAMissIsForgotten) {
    KeyboardState state;
    RecordClick(state, 30, 170); // KTYPE
    const PollResult switched = PollClick(state);
    EXPECT_FALSE(switched.Stroke);
    EXPECT_TRUE(switched.LayoutSwitched);
    EXPECT_EQ(state.Layout, KeyboardLayout::Qwerty);
    RecordClick(state, 16, 30); // left edge of Panel1
    EXPECT_FALSE(PollClick(state).Stroke);
    EXPECT_FALSE(state.ClickPending);
    RecordClick(state, 36, 30);
    EXPECT_EQ(PollClick(state).Stroke->Text, QStringLiteral("q"));
}

} // namespace
} // namespace orbicap
