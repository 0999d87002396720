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
