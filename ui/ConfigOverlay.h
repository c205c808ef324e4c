#pragma once

#include "capture/OverlayText.h"
#include "pipeline/Overlay.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

namespace orbicap {

class ColorSelector;
class TForm4;

// "Text Overlay Properties": the date/time format, prefix, background colour
// and font of the timestamp overlay. Changes reach the capture thread through
// the overlay text object (under its lock) and the drawing through Style.
class TConfText : public QWidget {
public:
    TConfText(OverlayText& overlay, QWidget* owner);

    const OverlayStyle& Style() const { return style_; }
    // Run whenever the style changes, so the display and recorder follow.
    std::function<void(const OverlayStyle&)> StyleChanged;
    // "Font..." opens the font chooser, then the colour chooser for the
    // text; both replaceable in tests.
    std::function<std::optional<QFont>(const QFont&)> ChooseFont;
    std::function<std::optional<QColor>(const QColor&)> ChooseColor;
    void Button3Click();

    // The font the request actually resolves to, under its own name.
    static QFont MatchedFont(const QFont& requested);

    QButtonGroup* RadioGroup1() const { return radio_; }
    QLineEdit* Fixed() const { return fixed_; }

    // The on-screen keyboard the picture button shows under this window;
    // the button stays disabled until there is one.
    void SetKeyboard(TForm4* keyboard);
    void BitBtn1Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Additem(const QString& caption, const std::string& format, int index);
    void RadioGroup1Click(int index);
    void fixedChange(const QString& text);
    void BGCChange(const QColor& color);

    OverlayText& overlay_;
    OverlayStyle style_;
    QButtonGroup* radio_;
    QLineEdit* fixed_;
    ColorSelector* bgc_;
    QWidget* radioBox_;
    QWidget* keyboardButton_;
    QPointer<TForm4> keyboard_;
};

} // namespace orbicap
