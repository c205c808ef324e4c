#include "widgets/HtmlLabel.h"

namespace orbicap {

HtmlLabel::HtmlLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
}

void HtmlLabel::ClearLines() {
    lines_.clear();
    ShowLines();
}

void HtmlLabel::AddLine(const QString& html) {
    lines_.append(html);
    ShowLines();
}

QString HtmlLabel::Html() const {
    return lines_.join(QLatin1Char('\n'));
}

void HtmlLabel::ShowLines() {
    setText(Html());
}

} // namespace orbicap
