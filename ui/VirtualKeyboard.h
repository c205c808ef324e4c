#pragma once

#include "aids/KeyboardState.h"
#include "platform/SettingsStore.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>

class QLabel;

namespace orbicap {

// The on-screen keyboard, for typing into the program's text fields with the
// mouse alone (gloves, darkness). It never takes the focus: a click is noted
// and the 100 ms poll turns it into a key press and release for the widget
// that has the focus in this program, so the owner's field keeps the focus.
class TForm4 : public QWidget {
public:
    // store: where KEYBOARD lives (the keyboard's own store, not the program's).
    explicit TForm4(SettingsStore store, QWidget* parent = nullptr);

    // Places the keyboard centred under owner, 20 pixels below it, shows or
    // hides it and puts the focus into field, so the keys type into it.
    void ToggleKeyboard(QWidget* owner, QWidget* field);
    void SwitchLayout();
    // One poll; the timer runs it every 100 ms. Tests stop the timer and
    // call this themselves, so no test depends on timing.
    void Timer1Timer();
    QTimer& Timer1() { return timer1_; }
    const KeyboardState& State() const { return state_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void ApplyCaptions();
    void ShowShiftState();
    void SendKey(const KeyStroke& stroke);

    SettingsStore store_;
    KeyboardState state_;
    QTimer timer1_;
    std::map<int, QLabel*> panels_;
    QLabel* shiftOff_ = nullptr;
    QLabel* shiftOn_ = nullptr;
    QPointer<QWidget> field_; // where keys go when nothing of ours has the focus
};

} // namespace orbicap
