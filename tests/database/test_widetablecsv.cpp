#include "database/widetablecsv.h"

#include "platform/cp932.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

const QString kLayers = QStringLiteral("T1T2S1S2H1H2 M");

bool readText(const QByteArray &bytes, ImportedTable *table, QString *error,
              CoverScale scale = CoverScale::Codes, WideTableCsv *used = nullptr)
{
    WideTableCsv::Options options;
    options.scale = scale;
    WideTableCsv reader(HeaderItems(), kLayers, options);
    const bool ok = reader.readData(bytes, QStringLiteral("t.csv"), table);
    *error = reader.errorString();
    if (used)
        *used = reader;
    return ok;
}

// The codes of a row as "releve:layer=code" texts.
QStringList entriesOf(const ImportedTable::Row &row)
{
    QStringList out;
    for (const ImportedTable::Entry &e : row.entries)
        for (int k = 0; k < 7; ++k)
            if (e.codes[std::size_t(k)])
                out << QStringLiteral("%1:%2=%3").arg(e.releve).arg(k).arg(e.codes[std::size_t(k)]);
    return out;
}

const char *const kSample = "砂丘の草地,,,,\n"
                            "表番号,,1,2,,3\n"
                            "識別記号,,D01,D02,,D03\n"
                            "調査地標高(m),,12,5,,\n"
                            "出現種数,,2,1,,1,出現頻度\n"
                            "Poa pratensis,\"T1\nH1\",\" 1 \n + \",\" . \n 2 \",,\" . \n . \",  67\n"
                            "\"Festuca rubra, s.l.\",'H1,2.3,.,,+.2, 67\n"
                            "植物群落の標徴種,,,,,,\n"
                            ",,,,,,\n"
                            "Poa pratensis,S1,r,,,, 33\n";

} // namespace

TEST(WideTableCsv, ReadsTheShapeOurWorkbookHas)
{
    ImportedTable t;
    QString error;
    ASSERT_TRUE(readText(QByteArray(kSample), &t, &error)) << error.toStdString();
    EXPECT_EQ(t.title, QStringLiteral("砂丘の草地"));
    // Relevé 3 is the empty column between the groups; the frequency column is no relevé.
    EXPECT_EQ(t.releveCount, 4);
    EXPECT_EQ(t.itemValues[2], (std::vector<QString>{"D01", "D02", "", "D03"}));
    EXPECT_EQ(t.itemValues[8], (std::vector<QString>{"12", "5", "", ""}));
    EXPECT_TRUE(t.itemValues[30].empty());
    EXPECT_EQ(t.usedReleves(), (std::vector<bool>{false, true, true, false, true}));
    ASSERT_EQ(t.rows.size(), 4u);
    // The second Poa pratensis row is the same species in another layer.
    EXPECT_EQ(t.rows[0].name, QStringLiteral("Poa pratensis"));
    EXPECT_EQ(entriesOf(t.rows[0]), (QStringList{"1:0=10", "1:2=6", "1:4=1", "2:4=20"}));
    EXPECT_EQ(t.rows[1].name, QStringLiteral("Festuca rubra, s.l."));
    EXPECT_EQ(entriesOf(t.rows[1]), (QStringList{"1:4=23", "4:4=2"}));
    // A comment row and an empty row stay rows.
    EXPECT_EQ(t.rows[2].name, QStringLiteral("植物群落の標徴種"));
    EXPECT_TRUE(t.rows[2].entries.empty());
    EXPECT_TRUE(t.rows[3].name.isEmpty());

    // The table: header values where extraction puts them, item 30 counted, the separator empty.
    TableModel model;
    HeaderItems items;
    ASSERT_TRUE(t.build(&model, &items, &error)) << error.toStdString();
    EXPECT_EQ(model.releveCount(), 4);
    EXPECT_EQ(model.speciesCount(), 4);
    EXPECT_EQ(model.relevesWithSpecies(), 3);
    int rowOf8 = -1, rowOf30 = -1;
    for (int q = TableModel::LabelRow; q < model.headerRows(); ++q) {
        const int n = TableModel::indexFromText(model.grid().cell(TableModel::IndexColumn, q));
        rowOf8 = n == 8 ? q : rowOf8;
        rowOf30 = n == 30 ? q : rowOf30;
    }
    ASSERT_GT(rowOf8, 0);
    ASSERT_GT(rowOf30, 0);
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(1), rowOf8), QStringLiteral("  12"));
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(2), rowOf30), QStringLiteral("   1"));
    EXPECT_TRUE(model.grid().cell(TableModel::releveColumn(3), rowOf30).isEmpty());
    EXPECT_EQ(model.coverData().at(model.releveIndexAt(TableModel::releveColumn(3)), 0), ByteDataSet{});
    EXPECT_EQ(model.coverData().at(model.releveIndexAt(TableModel::releveColumn(1)), 0), (ByteDataSet{5, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(1), model.speciesRow(1)), QStringLiteral("1 r+"));
    EXPECT_EQ(model.grid().cell(TableModel::NameColumn, model.speciesRow(3)), QStringLiteral("植物群落の標徴種"));
}

TEST(WideTableCsv, EncodingsAndSeparatorsAreFound)
{
    ImportedTable reference;
    QString error;
    ASSERT_TRUE(readText(QByteArray(kSample), &reference, &error));
    const QString text = QString::fromUtf8(kSample);

    QByteArray cp932;
    ASSERT_TRUE(Cp932::encode(QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")), &cp932));
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    QByteArray semicolons = text.toUtf8();
    // The comma in the quoted name stays a comma.
    semicolons.replace(',', ';').replace("rubra; s.l.", "rubra, s.l.");
    QByteArray tabs = semicolons;
    tabs.replace(';', '\t');
    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *encoding;
        char separator;
    };
    const Case cases[] = {
        {"Shift-JIS, CR LF", cp932, "シフトJIS（CP932）", ','},
        {"UTF-8 with its mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8(), "UTF-8", ','},
        {"UTF-16 with its mark", QByteArray("\xFF\xFE") + QByteArray(utf16(text)), "UTF-16", ','},
        {"semicolons", semicolons, "UTF-8", ';'},
        {"tabs", tabs, "UTF-8", '\t'},
    };
    for (const Case &c : cases) {
        ImportedTable t;
        WideTableCsv used(HeaderItems(), kLayers, {});
        ASSERT_TRUE(readText(c.bytes, &t, &error, CoverScale::Codes, &used)) << c.name << ": " << error.toStdString();
        EXPECT_EQ(used.encodingName(), QString::fromUtf8(c.encoding)) << c.name;
        EXPECT_EQ(used.separator(), c.separator) << c.name;
        EXPECT_EQ(t.title, reference.title) << c.name;
        EXPECT_EQ(t.releveCount, reference.releveCount) << c.name;
        EXPECT_EQ(t.itemValues, reference.itemValues) << c.name;
        ASSERT_EQ(t.rows.size(), reference.rows.size()) << c.name;
        for (std::size_t k = 0; k < t.rows.size(); ++k) {
            EXPECT_EQ(t.rows[k].name, reference.rows[k].name) << c.name;
            EXPECT_EQ(entriesOf(t.rows[k]), entriesOf(reference.rows[k])) << c.name;
        }
    }
}

TEST(WideTableCsv, PercentagesWithDecimalCommas)
{
    ImportedTable t;
    QString error;
    const QByteArray text = "識別記号;;A;B;C\nCarex arenaria;H1;0,05;12,5%;100\nAira praecox;\"T1\nH1\";\"0\n0,5\";\"75\n\";\n";
    ASSERT_TRUE(readText(text, &t, &error, CoverScale::Percent)) << error.toStdString();
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(entriesOf(t.rows[0]), (QStringList{"1:4=6", "2:4=20", "3:4=50"}));
    EXPECT_EQ(entriesOf(t.rows[1]), (QStringList{"1:4=1", "2:0=50"}));
}

TEST(WideTableCsv, EveryFaultIsReportedWithItsPlace)
{
    struct Case
    {
        const char *name;
        const char *text;
        CoverScale scale;
        const char *place;   // "line 行目、column 列目" or "line 行目"
        const char *content; // a part of the message
    };
    const Case cases[] = {
        {"unknown code", "識別記号,,A,B\nSp,H1,x,1\n", CoverScale::Codes, "2 行目、3 列目（C 列）", "「x」は優占度の記号"},
        {"unknown code in a layer's line", "識別記号,,A\nSp,\"T1\nH1\",\"1\n6\"\n", CoverScale::Codes, "4 行目、3 列目",
         "「6」"},
        {"layer not in the settings", "識別記号,,A\nSp,K1,1\n", CoverScale::Codes, "2 行目、2 列目", "階層「K1」"},
        {"layer twice in one cell", "識別記号,,A\nSp,\"H1\nH1\",\"1\n1\"\n", CoverScale::Codes, "3 行目、2 列目", "二度"},
        {"label of no item", "Title\n地点名,,A,B\n", CoverScale::Codes, "2 行目、1 列目", "「地点名」は設定の見出し項目にありません"},
        {"item not in the layout", "表層地質,,A,B\nSp,H1,1,1\n", CoverScale::Codes, "1 行目、1 列目", "表組みにありません"},
        {"item given twice", "識別記号,,A\n項目2,,B\n", CoverScale::Codes, "2 行目、1 列目", "1 行目にもあります"},
        {"name over 28 bytes", "識別記号,,A\nABCDEFGHIJKLMNOPQRSTUVWXYZ1234,H1,1\n", CoverScale::Codes, "2 行目、1 列目",
         "30 バイト"},
        {"name without a Shift-JIS form", "識別記号,,A\nSp \xF0\x9F\x8C\xB2,H1,1\n", CoverScale::Codes, "2 行目、1 列目", "種名"},
        {"header value over its width", "識別記号,,ABCDEFGHI\n", CoverScale::Codes, "1 行目、3 列目", "8 バイト"},
        {"number item over its width", "調査地標高(m),,12345\n", CoverScale::Codes, "1 行目、3 列目", "4 バイト"},
        {"more cells than relevés", "識別記号,,A,B\nSp,H1,1,1,+\n", CoverScale::Codes, "2 行目、5 列目（E 列）",
         "より多くの升目"},
        {"same name and layer twice", "識別記号,,A,B\nSp,H1,1,.\nSq,H1,1,1\nSp,H1,.,2\n", CoverScale::Codes, "4 行目",
         "2 行目にもあります"},
        {"codes without a layer", "識別記号,,A\nSq,H1,1\nSp,,1\n", CoverScale::Codes, "3 行目、3 列目", "階層がありません"},
        {"species row without a layer among the header rows", "識別記号,,A\nSp,,1\n", CoverScale::Codes, "2 行目、1 列目",
         "種の行なら B 列に階層"},
        {"lines and layers differ", "識別記号,,A\nSp,\"T1\nH1\",1\n", CoverScale::Codes, "3 行目、3 列目", "1 行ありますが"},
        {"codes without a name", "識別記号,,A\n,H1,1\n", CoverScale::Codes, "2 行目、1 列目", "種名がありません"},
        {"quote left open", "識別記号,,A\nSp,H1,\"1\n", CoverScale::Codes, "2 行目", "閉じていません"},
        {"broken Shift-JIS", "\x8E\xAF\x95\xCA\x8B\x4C\x8D\x86,,A\nSp\x82,H1,1\n", CoverScale::Codes, "2 行目、1 列目",
         "シフトJIS"},
        {"no number", "識別記号,,A\nSp,H1,viel\n", CoverScale::Percent, "2 行目、3 列目", "数ではありません"},
        {"percent over 100", "識別記号,,A\nSp,H1,120\n", CoverScale::Percent, "2 行目、3 列目", "100 を超えて"},
        {"nothing in it", "\n\n", CoverScale::Codes, "」は空です", ""},
    };
    for (const Case &c : cases) {
        ImportedTable t;
        t.title = QStringLiteral("unchanged");
        QString error;
        EXPECT_FALSE(readText(QByteArray(c.text), &t, &error, c.scale)) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.place))) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.content))) << c.name << ": " << error.toStdString();
        EXPECT_EQ(t.title, QStringLiteral("unchanged")) << c.name;
    }
}

TEST(WideTableCsv, ColumnLetters)
{
    EXPECT_EQ(WideTableCsv::columnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(WideTableCsv::columnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(WideTableCsv::columnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(WideTableCsv::columnLetters(16384), QStringLiteral("XFD"));
}

TEST(WideTableCsv, ALineOfMoreFieldsThanATableHoldsIsRefused)
{
    ImportedTable t;
    QString error;
    const QByteArray text = "T\n識別記号" + QByteArray(TableModel::MaxCapacity + 10, ',') + "A\n";
    EXPECT_FALSE(readText(text, &t, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("2 行目: 1 行の欄が多すぎます"))) << error.toStdString();
}
