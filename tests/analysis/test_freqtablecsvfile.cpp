#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

QList<QStringList> cellsOf(const CellGrid &g)
{
    QList<QStringList> rows;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < g.colCount(); ++c)
            row << g.cell(c, r);
        rows << row;
    }
    return rows;
}

void fill(FreqTableModel *model, const QString &caption, const QList<QStringList> &rows)
{
    CellGrid &g = model->grid();
    g.setRowCount(int(rows.size()));
    g.setColCount(int(rows.value(0).size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            g.setCell(c, r, rows[r][c]);
    model->setCaption(caption);
}

} // namespace

TEST(FreqTableCsvFile, RoundTripGivesTheSameGridAndCaption)
{
    Zelkor::Test::TempDir dir;
    const QList<QStringList> rows = {
        {QStringLiteral("　群落区分"), QStringLiteral("A"), QStringLiteral("B")},
        {QStringLiteral("　測定数"), QStringLiteral("12"), QStringLiteral("0")},
        {QStringLiteral("　平均種数"), QStringLiteral("23.5"), QString()},
        {QStringLiteral("Carex arenaria, s.l."), QStringLiteral("Ⅱ +-2"), QStringLiteral("・")},
        {QStringLiteral("\"Quoted\" name"), QStringLiteral("a\"b"), QStringLiteral(" ~ ")},
        {QString(), QString(), QString()},
        {QStringLiteral("  leading blanks"), QStringLiteral("trailing  "), QStringLiteral(",")},
    };
    FreqTableModel table;
    fill(&table, QStringLiteral("砂丘, 常在度表"), rows);
    const QString path = dir.path(QStringLiteral("t.csv"));
    FreqTableCsvFile file;
    ASSERT_TRUE(file.write(table, path)) << file.errorString().toStdString();

    // The cells with commas or quotes are quoted; everything else stands as it is.
    const QStringList lines = Zelkor::Test::readLines(path);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    EXPECT_EQ(lines[0], QStringLiteral("砂丘, 常在度表"));
    EXPECT_EQ(lines[2], QStringLiteral("　測定数,12,0"));
    EXPECT_EQ(lines[4], QStringLiteral("\"Carex arenaria, s.l.\",Ⅱ +-2,・"));
    EXPECT_EQ(lines[5], QStringLiteral("\"\"\"Quoted\"\" name\",\"a\"\"b\", ~ "));

    // Read into a window holding a larger table: nothing of it remains.
    FreqTableModel other;
    fill(&other, QStringLiteral("old"), QList<QStringList>(9, QStringList(5, QStringLiteral("old"))));
    other.grid().setFixedRows(3);
    ASSERT_TRUE(file.read(path, &other)) << file.errorString().toStdString();
    EXPECT_EQ(other.caption(), table.caption());
    EXPECT_EQ(cellsOf(other.grid()), rows);
    EXPECT_EQ(other.grid().fixedRows(), 3);
}

TEST(FreqTableCsvFile, ColumnsFollowTheLongestLine)
{
    Zelkor::Test::TempDir dir;
    const QString path = dir.writeLines(QStringLiteral("t.csv"),
                                        {QStringLiteral("title"), QStringLiteral("a,b"), QString(),
                                         QStringLiteral("c,d,e,"), QStringLiteral("f")});
    FreqTableModel table;
    FreqTableCsvFile file;
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();
    const QList<QStringList> expected = {
        {QStringLiteral("a"), QStringLiteral("b"), QString(), QString()},
        {QString(), QString(), QString(), QString()},
        {QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e"), QString()},
        {QStringLiteral("f"), QString(), QString(), QString()},
    };
    EXPECT_EQ(cellsOf(table.grid()), expected);
}

TEST(FreqTableCsvFile, FilesWithoutTableRowsChangeNothing)
{
    Zelkor::Test::TempDir dir;
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"an empty file", ""},
        {"the title alone", "title\r\n"},
        {"bytes that are no Shift-JIS", "title\r\na,\x82\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FreqTableModel table;
        fill(&table, QStringLiteral("keep"), {{QStringLiteral("x"), QStringLiteral("y")}});
        FreqTableCsvFile file;
        EXPECT_FALSE(file.read(dir.writeBytes(QStringLiteral("bad.csv"), c.bytes), &table));
        EXPECT_FALSE(file.errorString().isEmpty());
        EXPECT_EQ(table.caption(), QStringLiteral("keep"));
        EXPECT_EQ(cellsOf(table.grid()), (QList<QStringList>{{QStringLiteral("x"), QStringLiteral("y")}}));
    }
}

// The grid takes at most MaxRows rows and MaxColumns columns; a file beyond either is refused
// on the line that goes beyond, and the window keeps what it held.
TEST(FreqTableCsvFile, RowsAndColumnsUpToTheLimits)
{
    Zelkor::Test::TempDir dir;
    const int maxRows = FreqTableCsvFile::MaxRows;
    const int maxColumns = FreqTableCsvFile::MaxColumns;
    const QByteArray commas(maxColumns - 1, ',');
    struct Case
    {
        const char *name;
        QByteArray rows;  // the file after its title line
        QString error;    // empty when the file is read
        int rowCount;
        int colCount;
        QString firstCell; // of column 0, in the first and the last row
        QString lastCell;
    };
    const Case cases[] = {
        {"rows at the limit", QByteArray("\r\n").repeated(maxRows - 1) + "r", QString(), maxRows, 1, QString(), QStringLiteral("r")},
        {"one row more", QByteArray("\r\n").repeated(maxRows + 1),
         QStringLiteral("%1 行目：行が多すぎます（表の行は %2 行まで）").arg(maxRows + 2).arg(maxRows), 0, 0, QString(), QString()},
        {"columns at the limit", "a\r\nb" + commas + "z\r\n", QString(), 2, maxColumns, QStringLiteral("a"), QStringLiteral("b")},
        {"one column more", "a\r\nb" + commas + ",z\r\n",
         QStringLiteral("3 行目：列が多すぎます（%1 列まで）").arg(maxColumns), 0, 0, QString(), QString()},
        {"the commas of a quoted cell are no columns", "\"" + commas + ",,\"\r\n", QString(), 1, 1,
         QString::fromLatin1(commas + ",,"), QString::fromLatin1(commas + ",,")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FreqTableModel table;
        fill(&table, QStringLiteral("keep"), {{QStringLiteral("x"), QStringLiteral("y")}});
        table.grid().setColWidth(0, 77);
        FreqTableCsvFile file;
        const bool read = file.read(dir.writeBytes(QStringLiteral("big.csv"), "title\r\n" + c.rows), &table);
        const CellGrid &g = table.grid();
        if (!c.error.isEmpty()) {
            EXPECT_FALSE(read);
            EXPECT_EQ(file.errorString(), c.error);
            EXPECT_EQ(table.caption(), QStringLiteral("keep"));
            EXPECT_EQ(cellsOf(g), (QList<QStringList>{{QStringLiteral("x"), QStringLiteral("y")}}));
            continue;
        }
        ASSERT_TRUE(read) << file.errorString().toStdString();
        EXPECT_EQ(table.caption(), QStringLiteral("title"));
        EXPECT_EQ(g.rowCount(), c.rowCount);
        EXPECT_EQ(g.colCount(), c.colCount);
        EXPECT_EQ(g.colWidth(0), 77);
        EXPECT_EQ(g.cell(0, 0), c.firstCell);
        EXPECT_EQ(g.cell(0, c.rowCount - 1), c.lastCell);
        if (c.colCount == maxColumns) {
            EXPECT_EQ(g.cell(maxColumns - 1, 1), QStringLiteral("z"));
        }
    }
}
