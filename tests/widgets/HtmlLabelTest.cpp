#include "widgets/HtmlLabel.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using orbicap::HtmlLabel;

namespace {

TEST(HtmlLabel, RendersItsLinesAsHtml) {
    HtmlLabel label;
    label.resize(185, 56);
    label.SetHint(QStringLiteral("<P align=\"center\"><FONT color=\"#FF0000\"><B>Heading</B></FONT>"
                                 "<BR><B>Value:</B> %3.1f</P>"));
    label.AddLine(QString::asprintf(label.Hint().toLatin1().constData(), 2.0));

    QTextDocument doc;
    doc.setHtml(label.text());
    const QString plain = doc.toPlainText();
    EXPECT_TRUE(plain.contains(QStringLiteral("Heading"))) << plain.toStdString();
    EXPECT_TRUE(plain.contains(QStringLiteral("Value: 2.0"))) << plain.toStdString();
    EXPECT_FALSE(plain.contains(QLatin1Char('<'))) << "markup shown as text";
    EXPECT_TRUE(doc.firstBlock().blockFormat().alignment() & Qt::AlignHCenter);

    QTextCursor cursor = doc.find(QStringLiteral("Heading"));
    ASSERT_FALSE(cursor.isNull());
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(255, 0, 0));

    // The label itself paints the red heading.
    const QImage shot = label.grab().toImage();
    int redPixels = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            redPixels += (c.red() > 180 && c.green() < 90 && c.blue() < 90) ? 1 : 0;
        }
    }
    EXPECT_GT(redPixels, 10);
}

TEST(HtmlLabel, LinesAccumulateInOrderAndClearEmptiesTheLabel) {
    HtmlLabel label;
    label.AddLine(QStringLiteral("<b>first</b>"));
    label.AddLine(QStringLiteral("<br>second"));
    ASSERT_EQ(label.Lines().size(), 2);
    QTextDocument doc;
    doc.setHtml(label.text());
    const QString plain = doc.toPlainText();
    EXPECT_LT(plain.indexOf(QStringLiteral("first")), plain.indexOf(QStringLiteral("second")));
    EXPECT_GE(plain.indexOf(QStringLiteral("first")), 0);

    label.ClearLines();
    EXPECT_TRUE(label.Lines().isEmpty());
    EXPECT_TRUE(label.text().isEmpty());
}

} // namespace
