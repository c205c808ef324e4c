#include "widgets/ColorSelector.h"

#include <QPixmap>

namespace orbicap {

namespace {

struct NamedColor {
    const char* name;
    QRgb rgb;
};

constexpr NamedColor kColors[] = {
    {"Black", 0x000000},  {"White", 0xffffff},  {"Red", 0xff0000},     {"Green", 0x008000},
    {"Blue", 0x0000ff},   {"Yellow", 0xffff00}, {"Grey", 0x808080},    {"Silver", 0xc0c0c0},
    {"Maroon", 0x800000}, {"Olive", 0x808000},  {"Navy", 0x000080},    {"Purple", 0x800080},
    {"Teal", 0x008080},   {"Lime", 0x00ff00},   {"Fuchsia", 0xff00ff}, {"Aqua", 0x00ffff},
};

} // namespace

ColorSelector::ColorSelector(QWidget* parent) : QComboBox(parent) {
    for (const NamedColor& c : kColors) {
        AddColor(QString::fromLatin1(c.name), QColor::fromRgb(c.rgb));
    }
    setCurrentIndex(0);
    connect(this, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit changed(ColorAt(index)); });
}

QColor ColorSelector::SelectedColor() const {
    return ColorAt(currentIndex());
}

QColor ColorSelector::ColorAt(int index) const {
    const QVariant data = itemData(index);
    return data.canConvert<QColor>() ? data.value<QColor>() : QColor();
}

void ColorSelector::SetSelectedColor(const QColor& color) {
    for (int i = 0; i < count(); ++i) {
        if (ColorAt(i).rgb() == color.rgb()) {
            setCurrentIndex(i);
            return;
        }
    }
    AddColor(color.name(), color);
    setCurrentIndex(count() - 1);
}

void ColorSelector::AddColor(const QString& name, const QColor& color) {
    QPixmap swatch(14, 14);
    swatch.fill(color);
    addItem(QIcon(swatch), name, color);
}

} // namespace orbicap
