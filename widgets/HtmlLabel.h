#pragma once

#include <QLabel>
#include <QStringList>

namespace orbicap {

// Rich-text label fed line by line. Each line is an HTML fragment (paragraphs, <b>, <font
// color>, <br>); the label shows all lines in order. The hint is a free text kept with the
// label, typically the template its lines are formatted from; it is not shown.
class HtmlLabel : public QLabel {
    Q_OBJECT
public:
    explicit HtmlLabel(QWidget* parent = nullptr);

    void ClearLines();
    void AddLine(const QString& html);
    const QStringList& Lines() const { return lines_; }
    // The markup currently shown: the lines joined in order.
    QString Html() const;

    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }

private:
    void ShowLines();

    QStringList lines_;
    QString hint_;
};

} // namespace orbicap
