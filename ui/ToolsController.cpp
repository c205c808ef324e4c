#include "ui/ToolsController.h"

#include "aids/ExclusiveOr.h"
#include "session/AppContext.h"
#include "ui/FocusAidWindow.h"
#include "ui/ImageView.h"
#include "ui/MeasureWindow.h"
#include "ui/RoddierWindow.h"
#include "ui/SolarModeWindow.h"
#include "widgets/ColorSelector.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"
#include "widgets/XYChart.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace orbicap {

namespace {

std::optional<PointerButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return PointerButton::Left;
    case Qt::RightButton:
        return PointerButton::Right;
    case Qt::MiddleButton:
        return PointerButton::Middle;
    default:
        return std::nullopt;
    }
}

ImagePoint PointOf(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

QAction* ItemNamed(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

} // namespace

ToolsController::ToolsController(AppContext& context, const ToolsControls& controls, bool showTools,
                                 QObject* parent)
    : QObject(parent), ctx_(context), c_(controls), focusForm_(std::make_unique<TFocusForm>()),
      form7_(std::make_unique<TForm7>()), form2_(std::make_unique<TForm2>()),
      form8_(std::make_unique<TForm8>()) {
    focusForm_->VisibilityChanged = [this](bool visible) {
        ctx_.CaptureThread.FocusAidVisible = visible;
    };
    form7_->SolarChanged = [this](int limit, int shade) {
        ctx_.Display->SolarLimit = limit;
        ctx_.Display->SolarShade = shade;
    };
    form8_->Hidden = [this] { ctx_.CaptureThread.MeasureActive = false; };
    BindRoddierWindow();
    BindMenu(showTools);

    c_.Image1->installEventFilter(this);
    // The circles take the events of their whole bounding square and hand
    // them on to the image, so a press inside a circle still reaches the tools.
    for (OutlineShape* shape : {c_.cshape, c_.rshape}) {
        shape->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        shape->setCursor(Qt::CrossCursor);
        shape->installEventFilter(this);
    }
    c_.cshape->move(388, 184);
    c_.rshape->move(240, 184);
}

ToolsController::~ToolsController() {
    closing_ = true; // the windows' hide handlers must not reach back into the main window
    ctx_.CaptureThread.FocusAidVisible = false;
    ctx_.CaptureThread.MeasureActive = false;
}

void ToolsController::BindMenu(bool showTools) {
    QMenu* tools = c_.Tools;
    QAction* solar = ItemNamed(tools, "SolorModeTool1");
    rodier_ = ItemNamed(tools, "Rodier");
    focusTool1_ = ItemNamed(tools, "FocusTool1");
    measureMode1_ = ItemNamed(tools, "MeasureMode1");
    for (QAction* item : {solar, rodier_, focusTool1_, measureMode1_}) {
        item->setEnabled(true);
        if (showTools)
            item->setVisible(true);
    }
    if (showTools)
        tools->menuAction()->setVisible(true);
    connect(solar, &QAction::triggered, this, [this] { SolorModeTool1Click(); });
    connect(rodier_, &QAction::triggered, this, [this] { RodierClick(); });
    connect(focusTool1_, &QAction::triggered, this, [this] { FocusTool1Click(); });
    connect(measureMode1_, &QAction::triggered, this, [this] { MeasureMode1Click(); });
}

PointerTool ToolsController::CheckedTool() const {
    if (focusTool1_->isChecked())
        return PointerTool::Focus;
    if (rodier_->isChecked())
        return PointerTool::Roddier;
    if (measureMode1_->isChecked())
        return PointerTool::Measure;
    return PointerTool::None;
}

bool ToolsController::Recording() const {
    return ctx_.CaptureThread.Recording;
}

ImagePoint ToolsController::ImageOrigin() const {
    return {c_.Image1->x(), c_.Image1->y()};
}

bool ToolsController::eventFilter(QObject* watched, QEvent* event) {
    // The second press of a quick double click arrives as a double click;
    // for these tools it is a press like any other.
    const QEvent::Type type =
        event->type() == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const ImagePoint at = PointOf(mouse);
    if (watched == c_.Image1) {
        if (type == QEvent::MouseButtonPress) {
            if (const auto button = ButtonOf(mouse->button()))
                Image1MouseDown(*button, at);
        } else if (type == QEvent::MouseMove) {
            Image1MouseMove(at);
        } else {
            Image1MouseUp();
        }
        return true;
    }
    auto* shape = static_cast<QWidget*>(watched);
    const ImagePoint onImage = ShapeToImage(at, {shape->x(), shape->y()}, ImageOrigin());
    if (watched == c_.cshape) {
        if (type == QEvent::MouseButtonPress)
            if (const auto button = ButtonOf(mouse->button()))
                Image1MouseDown(*button, onImage);
        return true;
    }
    if (watched == c_.rshape) {
        if (type == QEvent::MouseButtonPress) {
            RefCircleDragging = true;
            if (const auto button = ButtonOf(mouse->button()))
                Image1MouseDown(*button, onImage);
        } else if (type == QEvent::MouseMove) {
            if (RefCircleDragging)
                Image1MouseDown(PointerButton::Right, onImage);
        } else {
            RefCircleDragging = false;
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ToolsController::Image1MouseDown(PointerButton button, ImagePoint at) {
    const PressActions act = DecidePress(CheckedTool(), form2_->isVisible(), button, Recording());
    if (act.AddRoddierPoint)
        AddRoddierPoint(at);
    if (act.MoveRefCircle)
        MoveRefCircle(ImageToFrame(at, ctx_.Display->ZoomPercent));
    if (act.PickFocusCentre)
        PickFocusCentre(at);
    if (act.StartMeasurement)
        StartMeasurement(at);
}

void ToolsController::Image1MouseMove(ImagePoint at) {
    if (measureMode1_->isChecked() && measure_.MeasureDragging)
        TrackMeasurement(at);
}

void ToolsController::Image1MouseUp() {
    ReleaseMeasurement();
}

void ToolsController::PickFocusCentre(ImagePoint at) {
    FocusCentre = orbicap::PickFocusCentre(at, c_.Image1->width(), c_.Image1->height(),
                                           ctx_.Display->ZoomPercent);
    focusForm_->show();
}

// ---- Tool selection ----

void ToolsController::ForceFullSize(bool on) {
    if (on) {
        if (QAction* full = ItemNamed(c_.Zoom, "N1001"))
            full->trigger(); // checks "100%" and sets the zoom
        c_.ScrollBox1->horizontalScrollBar()->setValue(0);
        c_.ScrollBox1->verticalScrollBar()->setValue(0);
    }
    // The tools work in frame pixels, so the zoom stays at 100 % while one is on.
    c_.Zoom->menuAction()->setEnabled(!on);
}

void ToolsController::RodierClick() {
    const bool on = rodier_->isChecked();
    form2_->setVisible(on);
    c_.rshape->setVisible(on && form2_->CheckBox1()->isChecked());
    if (on)
        c_.rshape->raise();
    ForceFullSize(on);
}

void ToolsController::MeasureMode1Click() {
    const bool on = measureMode1_->isChecked();
    form8_->setVisible(on);
    ForceFullSize(on);
}

void ToolsController::FocusTool1Click() {
    RodierClick();
    MeasureMode1Click();
}

void ToolsController::SolorModeTool1Click() {
    form7_->show();
}

// ---- Display hooks ----

void ToolsController::DrawAids(QImage& display, bool fresh) {
    if (fresh)
        drawnLine_.reset(); // the new frame carries no line
    DrawMeasureLine(display);
    if (fresh && form2_->isVisible())
        DrawRoddierMarkers(display);
}

void ToolsController::AfterRefresh() {
    if (!focusForm_->isVisible() || !ctx_.Flow)
        return;
    const FrameIntake& intake = ctx_.Flow->Intake;
    if (!FocusCentre.IsSet())
        FocusCentre = {intake.FrameBitmap.Width / 2, intake.FrameBitmap.Height / 2};
    FocusCentre = EffectiveFocusCentre(FocusCentre, intake.FrameWidth, intake.FrameHeight);
    const int peak = FocusPeak(intake.FocusBuffer.data(), intake.FrameWidth, intake.FrameHeight,
                               FocusCentre, ctx_.Display->ColorCamera);
    const QSize target = focusForm_->FocusPreview()->size();
    focusForm_->ShowFocus(FocusPreviewImage(intake.FrameBitmap, FocusCentre, target),
                          FocusPeakText(peak));
}

// ---- Measurement ----

void ToolsController::StartMeasurement(ImagePoint at) {
    ctx_.CaptureThread.MeasureActive = true;
    measure_.MeasureDragging = true;
    form8_->show();
    measure_.LineStart = measure_.LineEnd = at;
}

void ToolsController::TrackMeasurement(ImagePoint at) {
    axis_.Reset(); // the axis is chosen afresh for each position of the drag
    measure_.LineEnd = at;
    ctx_.Display->RedrawAids();
    const double d = LineLength(measure_.LineStart, at);
    if (!form8_->ArcSeconds()) {
        c_.StatusPanel2->setText(DistanceText(d));
        return;
    }
    const double f = FocalLengthMm(form8_->FL()->text());
    form8_->FL()->setText(QString::number(f));
    c_.StatusPanel2->setText(ArcSecondsText(d, f));
}

void ToolsController::ClearLine() {
    ctx_.CaptureThread.MeasureActive = false;
    measure_.LineStart.X = -1;
    c_.StatusPanel2->clear();
}

void ToolsController::ReleaseMeasurement() {
    measure_.MeasureDragging = false;
    if (measureMode1_->isChecked() && !form8_->isVisible())
        ClearLine();
}

void ToolsController::EndMeasurement() {
    form8_->hide();
    measure_.MeasureDragging = false;
    ClearLine();
}

void ToolsController::DrawMeasureLine(QImage& display) {
    XYChart* chart = form8_->RChart1();
    if (!measure_.HasLine()) {
        chart->Clear();
        chart->Redraw();
        return;
    }
    if (drawnLine_)
        XorLine(display, drawnLine_->From, drawnLine_->To);
    PlotProfile(display);
    drawnLine_ = DrawnLine{measure_.LineStart, measure_.LineEnd};
    XorLine(display, measure_.LineStart, measure_.LineEnd);
}

void ToolsController::PlotProfile(const QImage& display) {
    XYChart* chart = form8_->RChart1();
    chart->Clear();
    const std::optional<Profile> profile =
        SampleProfile(display, measure_.LineStart, measure_.LineEnd);
    if (!profile)
        return;
    chart->SetDataColor(Qt::red);
    chart->MoveTo(profile->Points.front().x(), profile->Points.front().y());
    for (std::size_t i = 1; i < profile->Points.size(); ++i)
        chart->LineTo(profile->Points[i].x(), profile->Points[i].y());
    axis_.Follow(profile->Low, profile->High);
    chart->SetXRange(0, profile->XEnd);
    chart->SetYRange(axis_.Low, axis_.High);
    chart->Redraw();
}

// ---- Roddier aid ----

void ToolsController::BindRoddierWindow() {
    TForm2& form = *form2_;
    form.FormShow = [this] {
        c_.rshape->hide();
        c_.cshape->hide();
        roddier_.Count = 0;
    };
    form.FormHide = [this] { RoddierFormHide(); };
    connect(form.AdvGlassButton1(), &QPushButton::clicked, this, [this] { UseAsRef(); });
    connect(form.Size(), &TrackBar::changed, this, [this] { SizeChange(); });
    connect(form.SWidth(), &TrackBar::changed, this,
            [this](int width) { c_.rshape->SetPen(c_.rshape->PenColor(), width); });
    connect(form.AdvOfficeColorSelector1(), &ColorSelector::changed, this,
            [this](const QColor& colour) { c_.rshape->SetPen(colour, c_.rshape->PenWidth()); });
    connect(form.CheckBox1(), &QCheckBox::clicked, this, [this](bool on) {
        c_.rshape->setVisible(on);
        c_.rshape->raise();
        form2_->Size()->setEnabled(on);
    });
}

void ToolsController::RoddierFormHide() {
    if (closing_)
        return;
    rodier_->setChecked(false);
    RodierClick();
    c_.rshape->setVisible(form2_->CheckBox1()->isChecked());
    c_.cshape->hide();
}

void ToolsController::AddRoddierPoint(ImagePoint at) {
    if (roddier_.Count == 0)
        c_.cshape->hide();
    const bool complete = roddier_.Add(at);
    form2_->ShowPoints(roddier_);
    if (complete)
        FitRoddierCircle();
    else
        form2_->AdvGlassButton1()->setEnabled(false);
}

void ToolsController::FitRoddierCircle() {
    const auto& p = roddier_.Points;
    const std::optional<CircleFit> fit = FitCircle(p[0], p[1], p[2]);
    form2_->ShowFit(fit);
    if (!fit) {
        c_.cshape->hide();
        return;
    }
    const ImagePoint origin = ImageOrigin();
    const int side = RoundEven(2 * fit->Radius);
    c_.cshape->setGeometry(RoundEven(fit->CentreX - fit->Radius) + origin.X,
                           RoundEven(fit->CentreY - fit->Radius) + origin.Y, side, side);
    c_.cshape->show();
    c_.cshape->raise();
    fitCentre_ = {RoundEven(fit->CentreX), RoundEven(fit->CentreY)};
    fitRadius_ = RoundEven(fit->Radius);
}

void ToolsController::MoveRefCircle(ImagePoint frame) {
    const ImagePoint origin = ImageOrigin();
    c_.rshape->move(origin.X + frame.X - c_.rshape->width() / 2,
                    origin.Y + frame.Y - c_.rshape->height() / 2);
    refCentre_ = {origin.X + frame.X, origin.Y + frame.Y};
}

void ToolsController::UseAsRef() {
    form2_->Size()->SetPosition(ReferenceRadius(fitRadius_));
    c_.rshape->show();
    c_.rshape->raise();
    const ImagePoint origin = ImageOrigin();
    refCentre_ = {origin.X + fitCentre_.X, origin.Y + fitCentre_.Y};
    SizeChange();
}

void ToolsController::SizeChange() {
    const int size = form2_->Size()->Position();
    form2_->Label9()->setText(QStringLiteral("%1").arg(size, 3));
    c_.rshape->setGeometry(refCentre_.X - size, refCentre_.Y - size, 2 * size, 2 * size);
}

void ToolsController::DrawRoddierMarkers(QImage& display) {
    for (const ImagePoint& p : roddier_.Points)
        XorMark(display, p);
}

} // namespace orbicap
