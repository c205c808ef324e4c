#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace orbicap {

class TForm4;

// "Output File Names": asks for the base name of the capture files.
class TForm5 : public QWidget {
public:
    explicit TForm5(QWidget* owner);

    // The base name; empty until the user confirms one.
    QString BaseName;

    QLineEdit* Edit1() const { return edit_; }
    void Button1Click(); // OK (also Enter in the field)
    void Button2Click(); // Cancel

    // The on-screen keyboard the picture button shows under this window;
    // the button stays disabled until there is one.
    void SetKeyboard(TForm4* keyboard);
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLineEdit* edit_;
    QWidget* keyboardButton_;
    QPointer<TForm4> keyboard_;
};

} // namespace orbicap
