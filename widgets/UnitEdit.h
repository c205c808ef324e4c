#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QMenu;

namespace orbicap {

// Count field with a unit switch: a right-aligned field that accepts up to five decimal digits
// as typed by the user, and a switch between a count of exposures and a number of seconds.
// An empty field shows a grey "0" hint but its text stays empty.
class UnitEdit : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxDigits = 5;
    enum Units { UnitExposures = 0, UnitSeconds = 1 };

    explicit UnitEdit(QWidget* parent = nullptr);

    QString Text() const;
    // Text set by the program is not filtered for digits; it is cut to MaxDigits characters.
    void SetText(const QString& text);

    int Unit() const;
    void SetUnit(int unit);
    QString UnitText() const;

    // The menu pops up on a context request on the number field.
    void SetPopupMenu(QMenu* menu);

    QLineEdit* Field() const { return field_; }
    QComboBox* UnitSwitch() const { return units_; }

signals:
    void textChanged(const QString& text);
    void unitChanged(int unit);

private:
    QLineEdit* field_;
    QComboBox* units_;
};

} // namespace orbicap
