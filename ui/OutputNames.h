#pragma once

#include <QLineEdit>
#include <QWidget>

namespace orbicap {

// "Output File Names": asks for the base name of the capture files.
class TForm5 : public QWidget {
public:
    explicit TForm5(QWidget* owner);

    // The base name; empty until the user confirms one.
    QString BaseName;

    QLineEdit* Edit1() const { return edit_; }
    void Button1Click(); // OK (also Enter in the field)
    void Button2Click(); // Cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* edit_;
};

} // namespace orbicap
