#pragma once

#include "session/AppContext.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace orbicap {

class GlassButton;
class ImageView;
class OutlineShape;
class TrackBar;

// The camera controls: exposure and its range, gain, the expert and colour
// switches of the "Camera Setup" menu, and the subframe preview outlines.
class CameraPanel {
public:
    explicit CameraPanel(AppContext& context) : ctx_(context) {}

    // Controls, made by the window's layout and menus.
    TrackBar* Expot = nullptr;
    QLabel* Label5 = nullptr;
    QWidget* Panel4 = nullptr;
    TrackBar* Gain = nullptr;
    QLabel* Label6 = nullptr;
    GlassButton* AdvGlassButton1 = nullptr;
    OutlineShape* SmallFrame = nullptr;
    OutlineShape* LargeFrame = nullptr;
    QAction* ExpertMode1 = nullptr;
    QAction* ColorCamera1 = nullptr;
    QAction* Companding1 = nullptr;
    QAction* TenBit1 = nullptr;
    QAction* RowNoise1 = nullptr;
    QMenu* DigitalGainMenu = nullptr;
    QMenu* OverlayMenu = nullptr;
    // Shown and hidden from here, owned by other panels.
    QWidget* Loga = nullptr;         // the histogram's scale switch (expert mode)
    QWidget* LevelSliders = nullptr; // hidden for a colour camera
    ImageView* Image1 = nullptr;     // the outlines are placed over it

    void Bind(QObject* owner);

    void expoChange();
    void MenuItem8Click(QAction* item);
    void GAINChange();
    void ExpertMode1Click();
    void ShowExpertControls(bool visible);
    void ColorCamera1Click();
    void AdvGlassButton1MouseDown();
    void AdvGlassButton1MouseUp();

    // The exposure the slider and its range ask for.
    int ExposureMs() const;
    int ExposureScale = 1;

private:
    AppContext& ctx_;
};

} // namespace orbicap
