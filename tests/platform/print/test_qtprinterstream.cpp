// The printer's text stream drawn into a PDF file: sheets, page breaks and embedded fonts.
#include "platform/print/fontsubstitutes.h"
#include "platform/print/qtprinterstream.h"

#include "support/testsupport.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

int pdfPages(const QByteArray &pdf)
{
    return int(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

// Prints lines in "ＭＳ 明朝" 9 pt on A4 landscape; returns the PDF and the sheets the stream
// counted.
QByteArray printed(const QStringList &lines, int *sheets = nullptr)
{
    installFontSubstitutes();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        QtPrinterStream stream(&pdf);
        EXPECT_TRUE(stream.open());
        stream.setFont(FontSpec{QStringLiteral("ＭＳ 明朝"), 9}, PrinterStream::fontHeight(9, stream.dotsPerInch()));
        EXPECT_EQ(stream.pageWidth(), pdf.width());
        // Fixed-pitch digits: a relevé column of five is five digits wide.
        EXPECT_GT(stream.textWidth(QStringLiteral("0")), 0);
        EXPECT_EQ(stream.textWidth(QStringLiteral("01234")), 5 * stream.textWidth(QStringLiteral("0")));
        for (const QString &line : lines)
            stream.writeLine(line);
        EXPECT_TRUE(stream.close()) << stream.errorString().toStdString();
        if (sheets)
            *sheets = stream.sheetCount();
    }
    return buffer.data();
}

} // namespace

TEST(QtPrinterStream, SheetsFollowFormFeedsAndFullPages)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        int sheets;
    };
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QStringLiteral("line %1").arg(i);
    const Case cases[] = {
        {"one line", {QStringLiteral("one")}, 1},
        {"a form feed between two pages", {QStringLiteral("one"), QStringLiteral("\f"), QStringLiteral("two")}, 2},
        {"a form feed at the end adds no blank sheet", {QStringLiteral("one"), QStringLiteral("\f")}, 1},
        // Some 55 lines of 9 points fit the 180 mm of an A4 landscape page.
        {"sixty lines run onto a second sheet", many, 2},
    };
    for (const Case &c : cases) {
        int sheets = 0;
        const QByteArray pdf = printed(c.lines, &sheets);
        EXPECT_EQ(sheets, c.sheets) << c.name;
        EXPECT_EQ(pdfPages(pdf), c.sheets) << c.name;
    }
}

TEST(QtPrinterStream, JapaneseTextComesWithItsFontEmbedded)
{
    const QByteArray pdf = printed({QStringLiteral("出現回数１回の種"), QStringLiteral("─────"), QStringLiteral("Quercus serrata  2.3")});
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.contains("IPAMincho")) << "the substitute of ＭＳ 明朝";
    EXPECT_TRUE(pdf.contains("/FontFile2")) << "the font's glyphs go with the file";
}
