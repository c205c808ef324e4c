#include "widgets/PopupMenu.h"

#include <QMenu>
#include <QWidget>

namespace orbicap {

void AttachPopupMenu(QWidget* widget, QMenu* menu) {
    if (widget == nullptr) {
        return;
    }
    QObject::disconnect(widget, &QWidget::customContextMenuRequested, nullptr, nullptr);
    if (menu == nullptr) {
        widget->setContextMenuPolicy(Qt::DefaultContextMenu);
        return;
    }
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                     [widget, menu](const QPoint& pos) { menu->popup(widget->mapToGlobal(pos)); });
}

} // namespace orbicap
