#pragma once

#include <QPushButton>

class QMenu;

namespace orbicap {

// Push button with a glossy face and an optional icon. Raises the usual pressed, released and
// clicked signals; a held button keeps its pressed look until released.
class GlassButton : public QPushButton {
    Q_OBJECT
public:
    explicit GlassButton(const QString& text = QString(), QWidget* parent = nullptr);
    GlassButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);

    void SetPopupMenu(QMenu* menu);
};

} // namespace orbicap
