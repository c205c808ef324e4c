#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <functional>

namespace orbicap {

// "FOCUS AID": the magnified focus area and its peak in large digits. Created
// hidden, placed at the left edge of the screen 30 pixels above its bottom.
class TFocusForm : public QWidget {
public:
    TFocusForm();

    // Told when the window is shown or hidden (the frame intake and the
    // capture pacing follow its visibility).
    std::function<void(bool visible)> VisibilityChanged;

    void ShowFocus(const QImage& preview, const QString& peak);
    QLabel* FocusPreview() const { return focusPreview_; }
    QLabel* MaxBright() const { return maxBright_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* focusPreview_;
    QLabel* maxBright_;
};

} // namespace orbicap
