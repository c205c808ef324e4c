#pragma once

#include <QDialog>
#include <QLabel>

namespace orbicap {

// "About Pellix..." window, created hidden at start-up and shown by ABOUT.
class About : public QDialog {
public:
    explicit About(QWidget* parent = nullptr);
    void ShowMagZeroLogo(bool visible);
    // Shows the window and returns when it is hidden again; frames keep
    // flowing meanwhile.
    void ShowAndWait();

private:
    QLabel* product_;
    QLabel* version_;
    QLabel* logo_;
};

} // namespace orbicap
