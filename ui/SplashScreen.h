#pragma once

#include <QLabel>
#include <QWidget>

namespace orbicap {

// Borderless start-up window showing the product and the connection state.
class SplashScreen : public QWidget {
public:
    SplashScreen();

    void SetStatus(const QString& text);
    void SetConnected(); // status text turns green
    void ShowMagZeroLogo(bool visible);

    QLabel* Title() const { return title_; }
    QLabel* Status() const { return status_; }

private:
    QLabel* title_;
    QLabel* picture_;
    QLabel* logo_;
    QLabel* status_;
};

} // namespace orbicap
