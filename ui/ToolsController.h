#pragma once

#include "aids/Measure.h"
#include "aids/PointerTools.h"
#include "aids/Roddier.h"
#include "pipeline/FocusAid.h"

#include <QObject>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class QScrollArea;

namespace orbicap {

class AppContext;
class ImageView;
class OutlineShape;
class TFocusForm;
class TForm2;
class TForm7;
class TForm8;

// The main window's controls that the pointer tools act on.
struct ToolsControls {
    ImageView* Image1 = nullptr;
    OutlineShape* cshape = nullptr;
    OutlineShape* rshape = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* StatusPanel2 = nullptr; // the measurement readout
    QMenu* Tools = nullptr;         // "Tools", with the four tool items
    QMenu* Zoom = nullptr;          // "ZOOM", with "100%" as N1001
};

// The observation aids of the live image: the tool selection of the "Tools"
// menu, the pointer events of the image and of the circle overlays, and the
// four tool windows (focus aid, solar settings, Roddier aid, measurement).
// The display calls DrawAids on every refresh and between frames, and
// AfterRefresh at the end of every refresh.
class ToolsController : public QObject {
public:
    // showTools: the "Tools" menu and all its items are shown, else it stays
    // hidden with "Focus Tool" as the only tool.
    ToolsController(AppContext& context, const ToolsControls& controls, bool showTools,
                    QObject* parent);
    ~ToolsController() override;

    // Pointer handlers, in image coordinates.
    void Image1MouseDown(PointerButton button, ImagePoint at);
    void Image1MouseMove(ImagePoint at);
    void Image1MouseUp();

    // Tool menu items, run after the item's check mark has moved.
    void RodierClick();
    void FocusTool1Click();
    void MeasureMode1Click();
    void SolorModeTool1Click();

    // Display hooks.
    void DrawAids(QImage& display, bool fresh);
    void AfterRefresh();

    // A recording starts: the measurement ends and its line goes with the next frame.
    void EndMeasurement();

    FocusPoint FocusCentre;
    bool RefCircleDragging = false;

    TFocusForm* FocusForm() const { return focusForm_.get(); }
    TForm7* Form7() const { return form7_.get(); }
    TForm2* Form2() const { return form2_.get(); }
    TForm8* Form8() const { return form8_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct DrawnLine {
        ImagePoint From;
        ImagePoint To;
    };

    void BindMenu(bool showTools);
    void BindRoddierWindow();
    PointerTool CheckedTool() const;
    bool Recording() const;
    void ForceFullSize(bool on);
    ImagePoint ImageOrigin() const;

    void PickFocusCentre(ImagePoint at);
    void StartMeasurement(ImagePoint at);
    void TrackMeasurement(ImagePoint at);
    void ReleaseMeasurement();
    void ClearLine();
    void DrawMeasureLine(QImage& display);
    void PlotProfile(const QImage& display);
    void AddRoddierPoint(ImagePoint at);
    void FitRoddierCircle();
    void MoveRefCircle(ImagePoint frame);
    void UseAsRef();
    void SizeChange();
    void DrawRoddierMarkers(QImage& display);
    void RoddierFormHide();

    AppContext& ctx_;
    ToolsControls c_;
    QAction* rodier_ = nullptr;
    QAction* focusTool1_ = nullptr;
    QAction* measureMode1_ = nullptr;

    std::unique_ptr<TFocusForm> focusForm_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm8> form8_;
    bool closing_ = false;

    MeasureState measure_;
    ProfileAxis axis_;
    std::optional<DrawnLine> drawnLine_;

    RoddierPoints roddier_;
    ImagePoint refCentre_{290, 234};
    ImagePoint fitCentre_{0, 0};
    int fitRadius_ = 0;
};

} // namespace orbicap
