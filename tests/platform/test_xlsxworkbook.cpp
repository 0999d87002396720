// The workbook adapter: what each value becomes in the sheet, the alignments, the order of the
// rows, and a failed workbook leaving the old file alone.
#include "platform/xlsxworkbook.h"

#include "platform/zippackage.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(XlsxWorkbook, TextMarksNumbersAndAlignments)
{
    struct Case
    {
        QString sent;
        QJsonValue value;
        const char *type;
    };
    const Case cases[] = {
        {QStringLiteral("'0012"), QStringLiteral("0012"), "s"},      // the apostrophe marks a text
        {QStringLiteral("' . \n 1 "), QStringLiteral(" . \n 1 "), "s"},
        {QStringLiteral("12"), 12, "n"},
        {QStringLiteral("  12"), 12, "n"},                           // a right-aligned count
        {QStringLiteral("-3.25"), -3.25, "n"},
        {QStringLiteral("0012"), QStringLiteral("0012"), "s"},       // the zeros would be lost
        {QStringLiteral("35.10"), QStringLiteral("35.10"), "s"},
        {QStringLiteral("1e5"), QStringLiteral("1e5"), "s"},
        {QStringLiteral("-0"), QStringLiteral("-0"), "s"},
        {QStringLiteral("12345678901234567"), QStringLiteral("12345678901234567"), "s"},
        {QStringLiteral("=SUM(A1:A2)"), QStringLiteral("=SUM(A1:A2)"), "s"}, // never a formula
        {QStringLiteral("ススキ"), QStringLiteral("ススキ"), "s"},
    };
    Zelkor::Test::TempDir dir;
    const QString path = dir.path(QStringLiteral("values.xlsx"));
    XlsxWorkbook book;
    ASSERT_TRUE(book.add());
    int row = 0;
    for (const Case &c : cases) {
        book.setValue(++row, 1, c.sent);
        if (row == 1) {
            book.setValue(1, 2, 7);
            book.setVerticalAlignmentTop(1, 2);
            book.setHorizontalAlignmentCenter(1, 2);
        } else if (row == 2) {
            book.setValue(2, 2, QStringLiteral("'"));     // an empty text: the cell stays empty
            book.setHorizontalAlignmentCenter(2, 3);     // an alignment alone
        }
    }
    ASSERT_TRUE(book.saveAs(path)) << book.errorString().toStdString();

    QString error;
    const QJsonObject cells = Zelkor::Test::readWorkbookCells(path, &error);
    ASSERT_FALSE(cells.isEmpty()) << error.toStdString();
    row = 0;
    for (const Case &c : cases) {
        const QJsonObject cell = cells.value(QStringLiteral("A%1").arg(++row)).toObject();
        EXPECT_EQ(cell.value("value"), c.value) << c.sent.toStdString();
        EXPECT_EQ(cell.value("type").toString(), QLatin1String(c.type)) << c.sent.toStdString();
    }
    const QJsonObject b1 = cells.value("B1").toObject();
    EXPECT_EQ(b1.value("value"), QJsonValue(7));
    EXPECT_EQ(b1.value("vertical"), QJsonValue("top"));
    EXPECT_EQ(b1.value("horizontal"), QJsonValue("center"));
    EXPECT_FALSE(cells.contains("B2"));
    EXPECT_EQ(cells.value("C2").toObject().value("horizontal"), QJsonValue("center"));
    EXPECT_EQ(cells.value("C2").toObject().value("value"), QJsonValue());
}

TEST(XlsxWorkbook, RefusedCellsFailTheWorkbookAndLeaveTheOldFile)
{
    struct Case
    {
        const char *name;
        int row;
        int column;
    };
    const Case cases[] = {
        {"a row already left", 1, 1},
        {"column beyond the sheet", 3, XlsxWorkbook::MaxColumns + 1},
        {"row 0", 0, 1},
    };
    Zelkor::Test::TempDir dir;
    const QString path = dir.writeBytes(QStringLiteral("old.xlsx"), "the old workbook");
    for (const Case &c : cases) {
        XlsxWorkbook book;
        ASSERT_TRUE(book.add());
        book.setValue(2, 1, QStringLiteral("'kept?"));
        book.setValue(c.row, c.column, QStringLiteral("'refused"));
        EXPECT_TRUE(book.failed()) << c.name;
        EXPECT_FALSE(book.saveAs(path)) << c.name;
        EXPECT_FALSE(book.errorString().isEmpty()) << c.name;
    }
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("the old workbook"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.xlsx")});
}

// The library packs what its temporary sheet file holds, even when that file was cut short by a
// file-size limit or a full temporary folder: the package is checked before it replaces the old
// file. Here the limit lies between the size of the packed workbook and that of its sheet.
TEST(XlsxWorkbook, SheetCutShortIsNoWorkbook)
{
    Zelkor::Test::TempDir dir;
    const QString path = dir.writeBytes(QStringLiteral("old.xlsx"), "the old workbook");
    const auto fill = [](XlsxWorkbook &book) {
        for (int row = 1; row <= 3000; ++row)
            for (int column = 1; column <= 10; ++column)
                book.setValue(row, column, QStringLiteral("ススキ %1").arg(column));
    };
    {
        XlsxWorkbook book;
        ASSERT_TRUE(book.add());
        fill(book);
        Zelkor::Test::FileSizeLimit limit(256 * 1024);
        EXPECT_FALSE(book.saveAs(path));
        EXPECT_TRUE(book.errorString().contains(QStringLiteral("途中で切れています"))) << book.errorString().toStdString();
    }
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("the old workbook"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.xlsx")});

    // Without the limit the same workbook is written, and it is smaller than the limit was.
    XlsxWorkbook book;
    ASSERT_TRUE(book.add());
    fill(book);
    ASSERT_TRUE(book.saveAs(path)) << book.errorString().toStdString();
    EXPECT_LT(QFileInfo(path).size(), 256 * 1024);
    QString error;
    EXPECT_TRUE(checkZipPackage(path, &error)) << error.toStdString();

    // A package damaged afterwards: cut, or one byte of its data changed.
    const QByteArray whole = Zelkor::Test::readBytes(path);
    QByteArray flipped = whole;
    flipped[200] = char(flipped[200] ^ 0x20);
    for (const QByteArray &bad : {whole.left(whole.size() / 2), flipped}) {
        const QString damaged = dir.writeBytes(QStringLiteral("damaged.xlsx"), bad);
        EXPECT_FALSE(checkZipPackage(damaged, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}
