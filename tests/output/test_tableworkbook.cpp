// The composition table as a spreadsheet workbook: the cell map, read back by a spreadsheet
// reader.
#include "output/tableworkbook.h"

#include "output/sampletable.h"
#include "support/testsupport.h"

#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

// A text cell; one of several lines wraps, as a spreadsheet would draw its lines over the rows
// below otherwise.
QJsonObject text(const QString &value, const char *horizontal = nullptr, const char *vertical = nullptr)
{
    QJsonObject cell{{"value", value},
                     {"type", "s"},
                     {"horizontal", horizontal ? QJsonValue(QLatin1String(horizontal)) : QJsonValue()},
                     {"vertical", vertical ? QJsonValue(QLatin1String(vertical)) : QJsonValue()}};
    if (value.contains(QLatin1Char('\n')))
        cell.insert("wrap", true);
    return cell;
}

QJsonObject number(int value, const char *horizontal = nullptr)
{
    return {{"value", value},
            {"type", "n"},
            {"horizontal", horizontal ? QJsonValue(QLatin1String(horizontal)) : QJsonValue()},
            {"vertical", QJsonValue()}};
}

// An empty cell that keeps its alignment.
QJsonObject centredBlank()
{
    return {{"value", QJsonValue()}, {"type", "n"}, {"horizontal", "center"}, {"vertical", QJsonValue()}};
}

// Six relevés with the relevé numbers R1..R6 of item 2; Quercus serrata in T1 of relevés 1 and
// 3 and in H1 of relevé 4; a comment row; Carex nervata in H1 of relevé 5 only.
struct SixReleves : ::testing::Test
{
    SampleTable t{2, 30};
    TableLayoutOptions options;
    Zelkor::Test::TempDir dir;
    QString path = dir.path(QStringLiteral("table.xlsx"));

    void SetUp() override
    {
        t.setReleves(6);
        for (int i = 1; i <= 6; ++i)
            t.setItem(i, 2, QStringLiteral("R%1").arg(i));
        t.addSpecies(QStringLiteral("Quercus serrata"), {{1, layer(1, 10)}, {3, layer(1, 23)}, {4, layer(5, 1)}});
        t.addSpecies(QStringLiteral("a comment"));
        t.addSpecies(QStringLiteral("Carex nervata"), {{5, layer(5, 2)}});
        t.finish();
        options.title = QStringLiteral("Sample");
        options.range = OutputRange{3, 5, 1, 3};
        options.frequency = true;
    }

    QJsonObject written()
    {
        TableWorkbook workbook(t.model, t.items, options);
        EXPECT_TRUE(workbook.write(path)) << workbook.errorString().toStdString();
        QString error;
        const QJsonObject cells = Zelkor::Test::readWorkbookCells(path, &error);
        EXPECT_FALSE(cells.isEmpty()) << error.toStdString();
        return cells;
    }
};

} // namespace

TEST_F(SixReleves, CellMapOfARangeInsideTheTable)
{
    // Relevés 3..5 in columns E..G whatever the range, the frequency in H, C and D empty.
    const QJsonObject expected{
        {"A1", text(QStringLiteral("Sample"))},
        {"A2", text(QStringLiteral("表番号"))},
        {"E2", number(3)}, {"F2", number(4)}, {"G2", number(5)},
        {"A3", text(QStringLiteral("識別記号"))},
        {"E3", text(QStringLiteral("R3"))}, {"F3", text(QStringLiteral("R4"))}, {"G3", text(QStringLiteral("R5"))},
        // The species numbers counted in the table, under item 30's label.
        {"A4", text(QStringLiteral("出現種数"))},
        {"E4", number(1)}, {"F4", number(1)}, {"G4", number(1)}, {"H4", text(QStringLiteral("出現頻度"), "center")},
        // Layers T1 and H1, line by line; found in 3 and 4 of the range 3..5: 67 %.
        {"A5", text(QStringLiteral("Quercus serrata"), nullptr, "top")},
        {"B5", text(QStringLiteral("T1\nH1"))},
        {"E5", text(QStringLiteral("2.3\n . "), "center")},
        {"F5", text(QStringLiteral(" . \n + "), "center")},
        {"G5", text(QStringLiteral(" . \n . "), "center")},
        {"H5", number(67, "center")},
        // A comment: its text, no layers, empty relevé cells, frequency 0.
        {"A6", text(QStringLiteral("a comment"), nullptr, "top")},
        {"E6", centredBlank()}, {"F6", centredBlank()}, {"G6", centredBlank()},
        {"H6", number(0, "center")},
        {"A7", text(QStringLiteral("Carex nervata"), nullptr, "top")},
        {"B7", text(QStringLiteral("H1"))},
        {"E7", text(QStringLiteral(" . "), "center")},
        {"F7", text(QStringLiteral(" . "), "center")},
        {"G7", text(QStringLiteral("+.2"), "center")},
        {"H7", number(33, "center")},
    };
    const QJsonObject cells = written();
    EXPECT_EQ(cells, expected);
    for (auto it = cells.begin(); it != cells.end(); ++it)
        EXPECT_FALSE(it.key().startsWith(QLatin1Char('C')) || it.key().startsWith(QLatin1Char('D'))) << it.key().toStdString();
}

TEST_F(SixReleves, ItemOneNotSelectedAndSpeciesFoundOnceStillWritten)
{
    t.items[1].selected = false;
    options.oneTimeApart = true;
    const QJsonObject cells = written();
    EXPECT_EQ(cells.value("A2").toObject().value("value").toString(), QStringLiteral("識別記号"));
    EXPECT_EQ(cells.value("A3").toObject().value("value").toString(), QStringLiteral("出現種数"));
    EXPECT_EQ(cells.value("A6").toObject().value("value").toString(), QStringLiteral("Carex nervata"));
    EXPECT_EQ(cells.value("G6").toObject().value("value").toString(), QStringLiteral("+.2"));
}

TEST_F(SixReleves, FrequencyCountsTheRelevésOfTheRange)
{
    // Quercus is found in relevés 1, 3 and 4 of the table: in one of 4..5 (50 %), in none of
    // 5..6, never in more than the range holds; the empty columns 2 and 6 are no relevés (3 of 4).
    struct Case
    {
        OutputRange range;
        const char *cell;
        int percent;
    };
    for (const Case &c : {Case{{4, 5, 1, 1}, "H5", 50}, Case{{5, 6, 1, 1}, "I5", 0}, Case{{1, 6, 1, 1}, "I5", 75}}) {
        options.range = c.range;
        EXPECT_EQ(written().value(QLatin1String(c.cell)).toObject(), number(c.percent, "center")) << c.cell;
    }
}

TEST_F(SixReleves, NoFrequencyColumnForARangeOfNoRelevé)
{
    // Given backwards, the range holds no relevé: the frequency would divide by nothing.
    options.range = OutputRange{5, 4, 1, 3};
    const QJsonObject cells = written();
    EXPECT_EQ(cells.value("A5").toObject().value("value").toString(), QStringLiteral("Quercus serrata"));
    QStringList columns;
    for (auto it = cells.begin(); it != cells.end(); ++it)
        if (!it.key().startsWith(QLatin1Char('A')))
            columns << it.key();
    EXPECT_TRUE(columns.isEmpty()) << columns.join(QLatin1Char(' ')).toStdString();
}

TEST_F(SixReleves, FailureLeavesAnExistingFileAsItWas)
{
    Zelkor::Test::TempDir other;
    struct Case
    {
        const char *name;
        OutputRange range;
        QString file;
        QString error;
    };
    const QString existing = dir.writeBytes(QStringLiteral("old.xlsx"), "the old workbook");
    const Case cases[] = {
        // Relevé 16383 would need column 16385 with the frequency column after it.
        {"beyond the sheet's columns", OutputRange{1, 16383, 1, 3}, existing, QStringLiteral("16384 列まで")},
        {"a folder that is not there", OutputRange{3, 5, 1, 3}, other.path(QStringLiteral("gone/table.xlsx")),
         QStringLiteral("書き込めません")},
    };
    for (const Case &c : cases) {
        options.range = c.range;
        TableWorkbook workbook(t.model, t.items, options);
        EXPECT_FALSE(workbook.write(c.file)) << c.name;
        EXPECT_TRUE(workbook.errorString().contains(c.error)) << c.name << ": " << workbook.errorString().toStdString();
    }
    EXPECT_EQ(Zelkor::Test::readBytes(existing), QByteArray("the old workbook"));
    EXPECT_FALSE(QFile::exists(other.path(QStringLiteral("gone"))));
}

TEST_F(SixReleves, EmptyColumnsTakeNoRunningNumber)
{
    // Relevés 2 and 6 hold no species: the numbers go on as in the text layout, 1 to 4.
    options.range = OutputRange{1, 6, 1, 3};
    const QJsonObject cells = written();
    EXPECT_EQ(cells.value("C2").toObject(), number(1));
    EXPECT_FALSE(cells.contains("D2"));
    EXPECT_EQ(cells.value("E2").toObject(), number(2));
    EXPECT_EQ(cells.value("G2").toObject(), number(4));
    EXPECT_FALSE(cells.contains("H2"));
}

TEST_F(SixReleves, HeaderValuesWithoutTheirPadding)
{
    // The grid pads values to their field; the sheet has the value itself, and no cell for a
    // blank one.
    t.setItem(4, 2, QStringLiteral("  SF"));
    t.setItem(5, 2, QStringLiteral("    "));
    const QJsonObject cells = written();
    EXPECT_EQ(cells.value("F3").toObject(), text(QStringLiteral("SF")));
    EXPECT_FALSE(cells.contains("G3"));
}

TEST_F(SixReleves, ApostrophesOfTheUsersOwnStay)
{
    // An apostrophe at the start of a title, a header value or a name is the user's text; only
    // the marks the layout adds itself keep a value as text.
    options.title = QStringLiteral("'93 survey");
    t.setItem(4, 2, QStringLiteral("'07"));
    t.model.grid().setCell(TableModel::NameColumn, t.model.speciesRow(3), QStringLiteral("'s-Gravenhage form"));
    const QJsonObject cells = written();
    QStringList values;
    for (auto it = cells.begin(); it != cells.end(); ++it)
        values << it.value().toObject().value("value").toString();
    for (const QString &want : {QStringLiteral("'93 survey"), QStringLiteral("'07"), QStringLiteral("'s-Gravenhage form")})
        EXPECT_TRUE(values.contains(want)) << want.toStdString() << " in " << values.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(cells.value("F3").toObject(), text(QStringLiteral("'07")));
}
