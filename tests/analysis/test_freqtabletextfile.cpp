#include "analysis/constancytable.h"
#include "analysis/freqtablemodel.h"
#include "analysis/freqtabletextfile.h"
#include "analysis/sampletable.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::fillTable;

namespace {

// Two groups: A of two relevés, B of one. Festuca is in both groups, Poa only in A, Carex only
// in B; a comment row holds nothing.
FreqTableModel constancyTable(const QString &title, const QStringList &names)
{
    TableModel model;
    fillTable(&model, names,
              {{QStringLiteral("  1 "), QStringLiteral(" +  ")},
               {QStringLiteral(" 2+ ")},
               {},
               {QStringLiteral("  3 "), QString(), QStringLiteral("  1 ")}});
    FreqTableModel table;
    ConstancyTable::build(model, ConstancyOptions{}, title, &table);
    return table;
}

const QStringList kNames = {QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua"),
                            QStringLiteral("Carex arenaria, s.l."), QStringLiteral("＜コメント＞")};

// The grid's cells, row by row.
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

} // namespace

TEST(FreqTableTextFile, WritesBlocksOfTheGroupColumns)
{
    Zelkor::Test::TempDir dir;
    const FreqTableModel table = constancyTable(QStringLiteral("砂丘常在度表"), kNames);
    const QString path = dir.path(QStringLiteral("t.txt"));
    FreqTableTextFile file;
    ASSERT_TRUE(file.write(table, QStringLiteral("2024/06/01"), path)) << file.errorString().toStdString();
    const QStringList expected = {
        QStringLiteral("#T"), QStringLiteral("2024/06/01"), QStringLiteral("砂丘常在度表"),
        QStringLiteral("#S"), QStringLiteral("　群落区分,A"), QStringLiteral("　測定数,2"), QStringLiteral("　平均種数,1.5"),
        QStringLiteral("Festuca rubra,２ +-2"), QStringLiteral("Poa annua,１ +"), QStringLiteral("#E"), QString(),
        QStringLiteral("#S"), QStringLiteral("　群落区分,B"), QStringLiteral("　測定数,1"), QStringLiteral("　平均種数,2"),
        QStringLiteral("Festuca rubra,１ 3"), QStringLiteral("Carex arenaria, s.l.,１ 1"), QStringLiteral("#E"), QString(),
    };
    EXPECT_EQ(Zelkor::Test::readLines(path), expected);
    EXPECT_TRUE(Zelkor::Test::readBytes(path).endsWith("#E\r\n\r\n"));
}

TEST(FreqTableTextFile, ReadingTheWrittenTableDoublesItsGroups)
{
    Zelkor::Test::TempDir dir;
    // A title that begins like a group marker is not taken for one.
    FreqTableModel table = constancyTable(QStringLiteral("#Sand dunes"), kNames);
    const FreqTableModel before = table;
    const QString path = dir.path(QStringLiteral("t.txt"));
    FreqTableTextFile file;
    ASSERT_TRUE(file.write(table, QStringLiteral("1.6.2024"), path));
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();

    const CellGrid &g = table.grid();
    const CellGrid &b = before.grid();
    ASSERT_EQ(g.colCount(), 2 * b.colCount() - 1);
    ASSERT_EQ(g.rowCount(), b.rowCount());
    const int groups = b.colCount() - 1;
    for (int r = 0; r < g.rowCount(); ++r) {
        EXPECT_EQ(g.cell(0, r), b.cell(0, r));
        for (int c = 1; c <= groups; ++c) {
            EXPECT_EQ(g.cell(c, r), b.cell(c, r));
            const QString stored = b.cell(c, r) == QStringLiteral("・") ? QString() : b.cell(c, r);
            EXPECT_EQ(g.cell(c + groups, r), stored) << "row " << r << " group " << c;
        }
    }
    EXPECT_EQ(table.caption(), before.caption());
    EXPECT_EQ(g.fixedRows(), b.fixedRows());
}

TEST(FreqTableTextFile, ReadingAnotherTableAppendsItsSpecies)
{
    Zelkor::Test::TempDir dir;
    FreqTableModel other = constancyTable(QStringLiteral("other"),
                                          {QStringLiteral("Festuca rubra"), QStringLiteral("Ammophila arenaria"),
                                           QStringLiteral("Carex arenaria, s.l."), QStringLiteral("x")});
    const QString path = dir.path(QStringLiteral("other.txt"));
    FreqTableTextFile file;
    ASSERT_TRUE(file.write(other, QStringLiteral("d"), path));

    FreqTableModel table = constancyTable(QStringLiteral("mine"), kNames);
    // Empty columns and rows at the end of the grid are dropped before the groups are added.
    table.grid().setColCount(table.grid().colCount() + 2);
    table.grid().setRowCount(table.grid().rowCount() + 3);
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();

    const CellGrid &g = table.grid();
    ASSERT_EQ(g.colCount(), 5);
    ASSERT_EQ(g.rowCount(), 8);
    EXPECT_EQ(g.cell(3, 0), QStringLiteral("A"));
    EXPECT_EQ(g.cell(4, 0), QStringLiteral("B"));
    // Festuca and the species whose name holds a comma match their rows.
    EXPECT_EQ(g.cell(3, 3), QStringLiteral("２ +-2"));
    EXPECT_EQ(g.cell(4, 5), QStringLiteral("１ 1"));
    // The new species comes at the bottom with nothing in the groups that were there.
    EXPECT_EQ(g.cell(0, 7), QStringLiteral("Ammophila arenaria"));
    EXPECT_EQ(g.cell(3, 7), QStringLiteral("１ +"));
    EXPECT_EQ(g.cell(1, 7), QString());
    EXPECT_EQ(g.cell(2, 7), QString());
    EXPECT_EQ(table.caption(), QStringLiteral("mine"));
}

TEST(FreqTableTextFile, LinesInsideAGroup)
{
    Zelkor::Test::TempDir dir;
    const QString longValue = QString(40, QLatin1Char('v'));
    const QString path = dir.writeLines(QStringLiteral("lines.txt"),
                                        {QStringLiteral("#T"), QStringLiteral("d"), QStringLiteral("t"), QStringLiteral("#S"),
                                         QStringLiteral("　群落区分,Z"), QString(), QStringLiteral("Festuca rubra,") + longValue,
                                         QStringLiteral("no comma here"), QStringLiteral("#Label, with hash,3"),
                                         QStringLiteral("#E")});
    FreqTableModel table = constancyTable(QStringLiteral("t"), kNames);
    const int rows = table.grid().rowCount();
    FreqTableTextFile file;
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();
    const CellGrid &g = table.grid();
    EXPECT_EQ(g.cell(3, 0), QStringLiteral("Z"));
    EXPECT_EQ(g.cell(3, 3), longValue.left(36));
    // A line without a comma is a value with an empty label; the empty line adds no row.
    ASSERT_EQ(g.rowCount(), rows + 2);
    EXPECT_EQ(g.cell(0, rows), QString());
    EXPECT_EQ(g.cell(3, rows), QStringLiteral("no comma here"));
    EXPECT_EQ(g.cell(0, rows + 1), QStringLiteral("#Label, with hash"));
    EXPECT_EQ(g.cell(3, rows + 1), QStringLiteral("3"));
}

TEST(FreqTableTextFile, AWindowWithoutTableTakesTheFileAsItsTable)
{
    Zelkor::Test::TempDir dir;
    const FreqTableModel source = constancyTable(QStringLiteral("砂丘常在度表"), kNames);
    const QString path = dir.path(QStringLiteral("t.txt"));
    FreqTableTextFile file;
    ASSERT_TRUE(file.write(source, QStringLiteral("d"), path));

    FreqTableModel fresh;
    ASSERT_TRUE(fresh.isBlank());
    ASSERT_TRUE(file.read(path, &fresh)) << file.errorString().toStdString();
    const CellGrid &g = fresh.grid();
    EXPECT_EQ(fresh.caption(), QStringLiteral("砂丘常在度表"));
    EXPECT_EQ(g.colCount(), 3);
    // The comment row held nothing in any group, so it is not in the file.
    EXPECT_EQ(g.rowCount(), source.grid().rowCount() - 1);
    EXPECT_EQ(g.fixedRows(), 3);
    EXPECT_EQ(g.fixedCols(), 1);
    EXPECT_EQ(g.colWidth(0), 180);
    for (int r = 0; r < g.rowCount(); ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(g.cell(c, r), source.grid().cell(c, r) == QStringLiteral("・") ? QString() : source.grid().cell(c, r));
}

TEST(FreqTableTextFile, DamagedFilesChangeNothing)
{
    Zelkor::Test::TempDir dir;
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"a group without its end", "#T\r\nd\r\nt\r\n#S\r\nA,1\r\n#E\r\n\r\n#S\r\nB,2\r\n"},
        {"a group marker as the last line", "#T\r\nd\r\nt\r\n#S\r\nA,1\r\n#E\r\n#S\r\n"},
        {"a group that runs into the next", "#T\r\nd\r\nt\r\n#S\r\nA,1\r\n#S\r\nB,2\r\n#E\r\n"},
        {"no group at all", "#T\r\nd\r\nt\r\n"},
        {"an empty file", ""},
        {"bytes that are no Shift-JIS", "#T\r\nd\r\nt\r\n#S\r\nA,\x82\r\n#E\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.writeBytes(QStringLiteral("bad.txt"), c.bytes);
        FreqTableModel table = constancyTable(QStringLiteral("t"), kNames);
        table.grid().setColCount(table.grid().colCount() + 1);
        const QList<QStringList> before = cellsOf(table.grid());
        FreqTableTextFile file;
        EXPECT_FALSE(file.read(path, &table));
        EXPECT_FALSE(file.errorString().isEmpty());
        EXPECT_EQ(cellsOf(table.grid()), before);
    }
    FreqTableModel table;
    FreqTableTextFile file;
    EXPECT_FALSE(file.read(dir.path(QStringLiteral("missing.txt")), &table));
    EXPECT_TRUE(table.isBlank());
}

TEST(FreqTableTextFile, AFailedWriteKeepsTheOldFile)
{
    Zelkor::Test::TempDir dir;
    const QString path = dir.writeBytes(QStringLiteral("t.txt"), "old");
    FreqTableModel table = constancyTable(QStringLiteral("t"), kNames);
    table.grid().setCell(0, 3, QStringLiteral("Festuca \U0001F33F"));
    FreqTableTextFile file;
    EXPECT_FALSE(file.write(table, QStringLiteral("d"), path));
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
}

// Two rows of one name stay two rows: the k-th row of a name in a group joins the k-th row of
// that name, in the window and in every group read after it.
TEST(FreqTableTextFile, RowsOfOneNameStayApart)
{
    Zelkor::Test::TempDir dir;
    const QString path = dir.writeLines(QStringLiteral("twice.txt"),
                                        {QStringLiteral("#T"), QStringLiteral("d"), QStringLiteral("t"), QStringLiteral("#S"),
                                         QStringLiteral("　群落区分,A"), QStringLiteral("Carex sp.,Ⅱ"),
                                         QStringLiteral("Poa annua,Ⅰ"), QStringLiteral("Carex sp.,Ⅴ"), QStringLiteral("#E")});
    FreqTableModel table;
    FreqTableTextFile file;
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();
    const CellGrid &g = table.grid();
    ASSERT_EQ(g.rowCount(), 4);
    EXPECT_EQ((QStringList{g.cell(0, 1), g.cell(1, 1), g.cell(2, 1)}),
              (QStringList{QStringLiteral("Carex sp."), QStringLiteral("Ⅱ"), QStringLiteral("Ⅱ")}));
    EXPECT_EQ((QStringList{g.cell(0, 3), g.cell(1, 3), g.cell(2, 3)}),
              (QStringList{QStringLiteral("Carex sp."), QStringLiteral("Ⅴ"), QStringLiteral("Ⅴ")}));
}

// Rows at the end without a label but with values (a score table's relevé rows) are no empty
// rows: reading a text file after them keeps them.
TEST(FreqTableTextFile, UnlabelledRowsWithValuesAreKept)
{
    Zelkor::Test::TempDir dir;
    FreqTableModel table = constancyTable(QStringLiteral("t"), kNames);
    CellGrid &g = table.grid();
    const int rows = g.rowCount();
    g.setRowCount(rows + 1);
    g.setCell(1, rows, QStringLiteral("42.0"));
    const QString path = dir.writeLines(QStringLiteral("one.txt"),
                                        {QStringLiteral("#T"), QStringLiteral("d"), QStringLiteral("t"), QStringLiteral("#S"),
                                         QStringLiteral("　群落区分,Z"), QStringLiteral("#E")});
    ASSERT_TRUE(FreqTableTextFile().read(path, &table));
    ASSERT_GE(table.grid().rowCount(), rows + 1);
    EXPECT_EQ(table.grid().cell(1, rows), QStringLiteral("42.0"));
}

// Reading may take the table to MaxRows rows and MaxColumns columns; a file beyond either is
// refused on the line that goes beyond, and the window keeps what it held.
TEST(FreqTableTextFile, RowsAndColumnsUpToTheLimits)
{
    Zelkor::Test::TempDir dir;
    const int maxRows = FreqTableTextFile::MaxRows;
    const int maxColumns = FreqTableTextFile::MaxColumns;
    // Each line without a label is a row of its own; each empty group is a column.
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString error; // empty when the file is read
        int rowCount;
        int colCount;
    };
    const Case cases[] = {
        {"rows at the limit", "#S\r\n" + QByteArray("v\r\n").repeated(maxRows) + "#E\r\n", QString(), maxRows, 2},
        {"one row more", "#S\r\n" + QByteArray(",\r\n").repeated(maxRows + 1) + "#E\r\n",
         QStringLiteral("%1 行目：行が多すぎます（表の行は %2 行まで）").arg(maxRows + 2).arg(maxRows), 0, 0},
        {"columns at the limit", QByteArray("#S\r\n#E\r\n").repeated(maxColumns - 1), QString(), 0, maxColumns},
        {"one column more", QByteArray("#S\r\n#E\r\n").repeated(maxColumns),
         QStringLiteral("%1 行目：群落区分が多すぎます（%2 列まで）").arg(2 * maxColumns - 1).arg(maxColumns - 1), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.writeBytes(QStringLiteral("big.txt"), c.bytes);
        FreqTableModel table;
        FreqTableTextFile file;
        const bool read = file.read(path, &table);
        if (!c.error.isEmpty()) {
            EXPECT_FALSE(read);
            EXPECT_EQ(file.errorString(), c.error);
            EXPECT_TRUE(table.isBlank());
            EXPECT_EQ(table.grid().colCount(), FreqTableModel().grid().colCount());
            continue;
        }
        ASSERT_TRUE(read) << file.errorString().toStdString();
        EXPECT_EQ(table.grid().rowCount(), c.rowCount);
        EXPECT_EQ(table.grid().colCount(), c.colCount);
        if (c.rowCount > 0) {
            EXPECT_EQ(table.grid().cell(1, c.rowCount - 1), QStringLiteral("v"));
        }
    }
}

// The empty columns and rows at the end of the window are dropped in one pass over its cells,
// however large the grid around them.
TEST(FreqTableTextFile, AWideEmptyGridIsCutToItsCells)
{
    Zelkor::Test::TempDir dir;
    FreqTableModel table;
    CellGrid &g = table.grid();
    g.setRowCount(FreqTableTextFile::MaxRows / 2);
    g.setColCount(FreqTableTextFile::MaxColumns / 2);
    g.setCell(0, 0, QStringLiteral("A"));
    g.setCell(1, 2, QStringLiteral("1"));
    const QString path = dir.writeLines(QStringLiteral("one.txt"),
                                        {QStringLiteral("#S"), QStringLiteral("A,2"), QStringLiteral("#E")});
    FreqTableTextFile file;
    ASSERT_TRUE(file.read(path, &table)) << file.errorString().toStdString();
    EXPECT_EQ(g.colCount(), 3);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(g.cell(1, 2), QStringLiteral("1"));
}
