#pragma once

#include "session/AppContext.h"

#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>

namespace orbicap {

class ImageView;
class TConfText;
class TrackBar;

// The live picture in its scroll box, zoom, the black and white level
// sliders, the frame-rate readout and the timestamp overlay switches.
class DisplayPanel {
public:
    explicit DisplayPanel(AppContext& context) : ctx_(context) {}

    QScrollArea* ScrollBox1 = nullptr;
    QWidget* Canvas = nullptr;
    ImageView* Image1 = nullptr;
    QWidget* Panel9 = nullptr;
    TrackBar* White = nullptr;
    TrackBar* Black = nullptr;
    QLabel* RatePanel = nullptr; // the status bar's first panel
    QAction* Visible1 = nullptr;
    QAction* Zoom100 = nullptr;
    TConfText* ConfText = nullptr;
    QWidget* Window = nullptr; // the overlay settings open centred on it
    QTimer Timer1;

    void Bind(QObject* owner);

    void RefreshDisplay();
    void Timer1Timer();
    void positionImage();
    void SetZoom(int percent);
    void _BLACKChange();
    void _WHITEChange();
    void Visible1Click();
    void Configure1Click();

private:
    AppContext& ctx_;
};

} // namespace orbicap
