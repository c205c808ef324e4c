#pragma once

#include <QColor>
#include <QComboBox>

namespace orbicap {

// Drop-down list of named colours with a swatch each. Black is the first entry and selected
// at start; white, red, green, blue, yellow and grey follow, then further basic colours.
class ColorSelector : public QComboBox {
    Q_OBJECT
public:
    explicit ColorSelector(QWidget* parent = nullptr);

    QColor SelectedColor() const;
    QColor ColorAt(int index) const;
    // Selects the entry of that colour; a colour not in the list is added at the end.
    void SetSelectedColor(const QColor& color);

signals:
    void changed(const QColor& color);

private:
    void AddColor(const QString& name, const QColor& color);
};

} // namespace orbicap
