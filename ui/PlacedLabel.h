#pragma once

#include <QLabel>

namespace orbicap {

// A label at a fixed place of a small tool window, named for its control.
QLabel* PlacedLabel(const QString& text, const QString& name, int x, int y, QWidget* parent,
                    bool bold = false);

} // namespace orbicap
