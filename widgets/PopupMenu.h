#pragma once

class QMenu;
class QWidget;

namespace orbicap {

// Shows `menu` at the pointer when the user asks for a context menu on `widget`, in place of
// the widget's own menu. A null menu restores the widget's default context menu. The menu is
// not owned; the link disappears with the menu.
void AttachPopupMenu(QWidget* widget, QMenu* menu);

} // namespace orbicap
