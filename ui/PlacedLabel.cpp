#include "ui/PlacedLabel.h"

namespace orbicap {

QLabel* PlacedLabel(const QString& text, const QString& name, int x, int y, QWidget* parent,
                    bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace orbicap
