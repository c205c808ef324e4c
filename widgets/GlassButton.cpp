#include "widgets/GlassButton.h"

#include "widgets/PopupMenu.h"

namespace orbicap {

namespace {

// Two-tone gradient with a bright upper half gives the glass look without custom painting.
constexpr const char* kGlassStyle =
    "QPushButton {"
    " border: 1px solid #5a6a80; border-radius: 5px; padding: 3px 8px; color: #10161e;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
    "  stop:0 #f4f8fc, stop:0.48 #d6e2ee, stop:0.52 #bccde0, stop:1 #dbe6f2); }"
    "QPushButton:hover { border-color: #2f6fb0; }"
    "QPushButton:pressed {"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
    "  stop:0 #a9bfd6, stop:0.5 #94adc8, stop:1 #b7cade); }"
    "QPushButton:disabled { color: #8a9099; }";

} // namespace

GlassButton::GlassButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setStyleSheet(QString::fromLatin1(kGlassStyle));
}

GlassButton::GlassButton(const QIcon& icon, const QString& text, QWidget* parent)
    : GlassButton(text, parent) {
    setIcon(icon);
}

void GlassButton::SetPopupMenu(QMenu* menu) {
    AttachPopupMenu(this, menu);
}

} // namespace orbicap
