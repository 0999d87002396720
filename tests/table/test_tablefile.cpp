#include "platform/cp932.h"
#include "platform/feedback.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace Zelkor;

namespace {

const ByteDataSet kCodesA{0, 0, 23, 0, 10, 0, 0};  // cell text "  21"
const ByteDataSet kCodesB{0, 6, 0, 0, 0, 0, 35};   // cell text " r 3"
const ByteDataSet kCodesC{1, 0, 0, 0, 0, 2, 0};    // cell text "+  +"

// Everything a load may change, to tell whether a table stayed as it was.
struct Snapshot
{
    QStringList cells;
    QStringList cover;
    QList<int> numbers;
    QStringList items;
    QString title;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const TableModel &m, const HeaderItems &items, const QString &title)
{
    Snapshot s;
    const CellGrid &g = m.grid();
    for (int r = 0; r < g.rowCount(); ++r)
        g.forEachInRow(r, [&](int c, const QString &t) { s.cells << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(t); });
    for (int r = 0; r <= m.coverData().maxReleves(); ++r)
        m.coverData().forEachInReleve(r, [&](int sp, const ByteDataSet &codes) {
            QString t = QStringLiteral("%1,%2=").arg(r).arg(sp);
            for (quint8 b : codes)
                t += QString::number(b) + QLatin1Char(' ');
            s.cover << t;
        });
    s.numbers = {m.speciesCount(), m.releveCount(), m.headerRows(), m.maxSpecies(), m.maxReleves(),
                 g.rowCount(), g.colCount(), g.fixedRows(), g.fixedCols(), m.dataScaleD(), m.dataScaleK()};
    for (int n = 1; n <= HeaderItems::Count; ++n)
        s.items << QStringLiteral("%1:%2:%3").arg(items[n].label).arg(items[n].layout).arg(items[n].selected);
    s.title = title;
    return s;
}

// The lines of a file as bytes, without their CR LF.
QList<QByteArray> fileLines(const QString &path)
{
    QByteArray all = Zelkor::Test::readBytes(path);
    if (all.endsWith("\r\n"))
        all.chop(2);
    QList<QByteArray> out;
    for (QByteArray l : all.split('\n')) {
        if (l.endsWith('\r'))
            l.chop(1);
        out << l;
    }
    return out;
}

QByteArray joinLines(const QList<QByteArray> &lines)
{
    QByteArray all;
    for (const QByteArray &l : lines)
        all += l + "\r\n";
    return all;
}

QByteArray sjis(const QString &text)
{
    QByteArray b;
    EXPECT_TRUE(Cp932::encode(text, &b));
    return b;
}

class TableFileTest : public ::testing::Test
{
protected:
    TableModel model;
    HeaderItems items;
    QString title = QStringLiteral("丹沢の植生 2024, 夏");
    Zelkor::Test::TempDir dir;

    void SetUp() override
    {
        model.clearTable(items);
        buildSmallTable();
    }

    int h() const { return model.headerRows(); }

    // Species k of the display gets codes in the relevé of grid column col, through the hidden
    // indexes as extraction does.
    void put(int k, int col, const ByteDataSet &codes, const QString &text)
    {
        model.grid().setCell(col, h() + k, text);
        model.coverData().set(model.releveIndexAt(col), model.speciesIndexAt(h() + k), codes);
    }

    // Two species and three relevés under the default layout (H = 19). The relevé in column 4
    // carries hidden index 5: it changed places with the spare column 8.
    void buildSmallTable()
    {
        CellGrid &g = model.grid();
        model.setReleveCount(3);
        model.setSpeciesCount(2);
        g.setCell(4, 0, QStringLiteral("5"));
        g.setCell(8, 0, QStringLiteral("1"));
        // Row 2 is item 2, row 3 item 3, row 4 item 8 under the default layout.
        g.setCell(4, 2, QStringLiteral("A-1"));
        g.setCell(5, 2, QStringLiteral("B 2"));
        g.setCell(6, 2, QStringLiteral("C,\"3\""));
        g.setCell(4, 3, QStringLiteral("高尾山"));
        g.setCell(5, 3, QStringLiteral("丹沢 大山"));
        g.setCell(4, 4, QStringLiteral(" 850"));
        g.setCell(2, h() + 1, QStringLiteral("Miscanthus sinensis, var. \"alba\""));
        g.setCell(2, h() + 2, QStringLiteral("ススキ　白"));
        put(1, 4, kCodesA, QStringLiteral("  21"));
        put(1, 6, kCodesB, QStringLiteral(" r 3"));
        put(2, 5, kCodesC, QStringLiteral("+  +"));
        // The relevés' scale bytes (DataScaleK, DataScaleD) under species index 0.
        model.coverData().set(5, 0, ByteDataSet{5, 1, 0, 0, 0, 0, 0});
        model.coverData().set(2, 0, ByteDataSet{5, 2, 0, 0, 0, 0, 0});
        model.coverData().set(3, 0, ByteDataSet{5, 2, 0, 0, 0, 0, 0});
        model.recomputeFrequencies();
    }

    QString save(const QString &name = QStringLiteral("t.vtb"))
    {
        TableFile file;
        const QString path = dir.path(name);
        EXPECT_TRUE(file.write(model, title, path)) << file.errorString().toStdString();
        return path;
    }
};

} // namespace

TEST_F(TableFileTest, SmallTableFileLayout)
{
    const QList<QByteArray> lines = fileLines(save());
    ASSERT_EQ(lines.size(), 27); // 2 + (S + 1) + 1 + H + S
    EXPECT_EQ(lines[0], sjis(title));
    EXPECT_EQ(lines[1], "2 3 19");
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(lines[i].size(), 28) << i;
    // Group 0 is column 3; group 1 is the relevé of column 4, whatever its hidden index.
    EXPECT_EQ(lines[2], "0000000" "5100000" "5200000" "5200000");
    EXPECT_EQ(lines[3], "0000000" "00G0:00" "0000000" "060000S");
    EXPECT_EQ(lines[4], "0000000" "0000000" "1000020" "0000000");
    EXPECT_EQ(lines[5], ",,,0,1,2,3");
    EXPECT_EQ(lines[6], sjis(QStringLiteral("1,,表番号,,\"   1\",\"   2\",\"   3\"")));
    EXPECT_EQ(lines[7], sjis(QStringLiteral("2,,識別記号,,A-1,\"B 2\",\"C,\"\"3\"\"\"")));
    EXPECT_EQ(lines[8], sjis(QStringLiteral("3,,調査地名,,高尾山,\"丹沢 大山\",")));
    EXPECT_EQ(lines[24], sjis(QStringLiteral(",,（現実の種数）,F＼N,\"   1\",\"   1\",\"   1\"")));
    EXPECT_EQ(lines[25], "1,\"   1\",\"Miscanthus sinensis, var. \"\"alba\"\"\",\"   2\",\"  21\",,\" r 3\"");
    EXPECT_EQ(lines[26], sjis(QStringLiteral("2,\"   2\",ススキ　白,\"   1\",,\"+  +\",")));
    EXPECT_TRUE(Zelkor::Test::readBytes(dir.path(QStringLiteral("t.vtb"))).endsWith("\r\n"));
}

TEST_F(TableFileTest, SavingDoesNotChangeTheTable)
{
    const Snapshot before = snapshot(model, items, title);
    save();
    EXPECT_EQ(snapshot(model, items, title), before);
}

TEST_F(TableFileTest, LoadGivesIdentityIndexesAndCapacitiesOfTheCounts)
{
    const QString path = save();

    TableModel loaded;
    HeaderItems loadedItems;
    loadedItems[4].layout = true; // not a header row of the file: turned off by the load
    loadedItems[5].label = QStringLiteral("緯度");
    loaded.clearTable(loadedItems);
    loaded.setDataScaleD(1);
    QString loadedTitle;
    TableFile file;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &loadedTitle)) << file.errorString().toStdString();

    EXPECT_EQ(loadedTitle, title);
    EXPECT_EQ(loaded.speciesCount(), 2);
    EXPECT_EQ(loaded.releveCount(), 3);
    EXPECT_EQ(loaded.headerRows(), 19);
    EXPECT_EQ(loaded.maxSpecies(), 2);
    EXPECT_EQ(loaded.maxReleves(), 3);
    EXPECT_EQ(loaded.grid().rowCount(), 2 + 19 + 1);
    EXPECT_EQ(loaded.grid().colCount(), 3 + 4);
    EXPECT_EQ(loaded.grid().fixedRows(), 20);
    EXPECT_EQ(loaded.grid().fixedCols(), 4);
    EXPECT_EQ(loaded.dataScaleD(), 2);

    // The relevé that had hidden index 5 in column 4 is relevé 1 now.
    for (int j = 0; j <= 3; ++j)
        EXPECT_EQ(loaded.releveIndexAt(j + 3), j);
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(loaded.speciesIndexAt(19 + i), i);
    EXPECT_EQ(loaded.coverData().at(1, 1), kCodesA);
    EXPECT_EQ(loaded.coverData().at(3, 1), kCodesB);
    EXPECT_EQ(loaded.coverData().at(2, 2), kCodesC);
    EXPECT_EQ(loaded.coverData().at(1, 0), (ByteDataSet{5, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(loaded.coverData().at(2, 0), (ByteDataSet{5, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(loaded.coverData().entryCount(), 6u);

    // Every visible cell of the used area reads back, names with commas, quotes and blanks too.
    for (int r = 1; r <= 21; ++r)
        for (int c = 1; c <= 6; ++c)
            EXPECT_EQ(loaded.grid().cell(c, r), model.grid().cell(c, r)) << c << "," << r;
    EXPECT_EQ(loaded.grid().cell(2, 20), QStringLiteral("Miscanthus sinensis, var. \"alba\""));
    EXPECT_EQ(loaded.grid().cell(5, 3), QStringLiteral("丹沢 大山"));
    EXPECT_EQ(loaded.speciesFreq(1), 2);
    EXPECT_EQ(loaded.releveSpCount(1), 1);

    // Header items: exactly those of the header rows are laid out and selected.
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        EXPECT_EQ(loadedItems[n].layout, HeaderItems::defaultLayout(n)) << n;
        EXPECT_EQ(loadedItems[n].selected, HeaderItems::defaultLayout(n)) << n;
    }
    EXPECT_EQ(loadedItems[5].label, QStringLiteral("緯度")); // not in the table: label kept
    EXPECT_EQ(loadedItems[8].label, HeaderItems::defaultLabel(8));
}

TEST_F(TableFileTest, LabelsOfHeaderRowsComeFromTheFile)
{
    model.grid().setCell(2, 4, QStringLiteral("標高 (m), 海抜"));
    const QString path = save();
    HeaderItems loadedItems;
    TableModel loaded;
    QString t;
    TableFile file;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &t));
    EXPECT_EQ(loadedItems[8].label, QStringLiteral("標高 (m), 海抜"));
}

TEST_F(TableFileTest, SaveLoadSaveGivesTheIdenticalFile)
{
    // Move rows and columns so that display order and hidden indexes differ.
    model.grid().moveRow(h() + 2, h() + 1);
    model.grid().moveColumn(6, 4);
    model.recomputeFrequencies();
    const QString first = save(QStringLiteral("a.vtb"));

    TableModel loaded;
    HeaderItems loadedItems;
    QString loadedTitle;
    TableFile file;
    ASSERT_TRUE(file.read(first, &loaded, &loadedItems, &loadedTitle)) << file.errorString().toStdString();
    const QString second = dir.path(QStringLiteral("b.vtb"));
    ASSERT_TRUE(file.write(loaded, loadedTitle, second)) << file.errorString().toStdString();

    EXPECT_EQ(Zelkor::Test::readBytes(second), Zelkor::Test::readBytes(first));
    EXPECT_FALSE(Zelkor::Test::readBytes(first).isEmpty());
}

TEST_F(TableFileTest, LineFeedOnlyFileLoadsAlike)
{
    const QString path = save();
    QByteArray bytes = Zelkor::Test::readBytes(path);
    bytes.replace("\r\n", "\n");
    const QString lf = dir.writeBytes(QStringLiteral("lf.vtb"), bytes);

    TableModel a, b;
    HeaderItems ia, ib;
    QString ta, tb;
    TableFile file;
    ASSERT_TRUE(file.read(path, &a, &ia, &ta));
    ASSERT_TRUE(file.read(lf, &b, &ib, &tb)) << file.errorString().toStdString();
    EXPECT_EQ(snapshot(a, ia, ta), snapshot(b, ib, tb));
}

TEST_F(TableFileTest, ExtraFieldsAreDroppedAndMissingOnesLeaveCellsEmpty)
{
    QList<QByteArray> lines = fileLines(save());
    lines[26] += ",x,\"y z\",w";               // species row 2: more fields than columns
    lines[7] = sjis(QStringLiteral("2,,識別記号")); // header row 2: fewer fields
    const QString path = dir.writeBytes(QStringLiteral("edited.vtb"), joinLines(lines));

    TableModel loaded;
    HeaderItems loadedItems;
    QString t;
    TableFile file;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &t)) << file.errorString().toStdString();
    EXPECT_EQ(loaded.grid().colCount(), 7);
    EXPECT_EQ(loaded.grid().cell(5, 21), QStringLiteral("+  +"));
    EXPECT_TRUE(loaded.grid().cell(6, 21).isEmpty());
    for (int c = 3; c <= 6; ++c)
        EXPECT_TRUE(loaded.grid().cell(c, 2).isEmpty()) << c;
    EXPECT_EQ(loaded.grid().cell(5, 3), QStringLiteral("丹沢 大山"));
}

// ---------------------------------------------------------------------------------------------
// Damaged and hostile files: a clear message naming the place, and the previous table unchanged.

namespace {

struct DamageCase
{
    const char *name;
    std::function<QByteArray(QList<QByteArray>)> damage; // from the lines of a good file
    const char *expected;                                 // part of the message
};

QByteArray replaceLine(QList<QByteArray> lines, int index, const QByteArray &text)
{
    lines[index] = text;
    return joinLines(lines);
}

const DamageCase kDamageCases[] = {
    {"count not a number", [](auto l) { return replaceLine(l, 1, "2 x 19"); }, "2 行目"},
    {"count with letters", [](auto l) { return replaceLine(l, 1, "2 3 1a"); }, "整数ではありません"},
    {"negative species count", [](auto l) { return replaceLine(l, 1, "-2 3 19"); }, "負の値"},
    {"absurd relevé count", [](auto l) { return replaceLine(l, 1, "2 999999999 19"); }, "大きすぎます"},
    {"counts beyond the file size", [](auto l) { return replaceLine(l, 1, "900000 900000 19"); }, "途中で切れています"},
    {"two counts only", [](auto l) { return replaceLine(l, 1, "2 3"); }, "2 行目"},
    {"four counts", [](auto l) { return replaceLine(l, 1, "2 3 19 4"); }, "2 行目"},
    {"no header rows", [](auto l) { return replaceLine(l, 1, "2 3 0"); }, "見出し行数"},
    {"too many header rows", [](auto l) { return replaceLine(l, 1, "2 3 32"); }, "見出し行数"},
    {"header rows past every limit", [](auto l) { return replaceLine(l, 1, "2 3 1000001"); }, "見出し行数「1000001」が大きすぎます（31 まで）"},
    {"NUL inside a count", [](auto l) { return replaceLine(l, 1, QByteArray("2 3\0 19", 8)); }, "測定数「3?」が整数ではありません"},
    {"more species than cover lines", [](auto l) { return replaceLine(l, 1, "3 3 19"); }, "6 行目"},
    {"short cover line", [](auto l) { l[3].chop(1); return joinLines(l); }, "4 行目"},
    {"long cover line", [](auto l) { l[3] += '0'; return joinLines(l); }, "4 行目"},
    {"blank in a cover line", [](auto l) { l[3][10] = ' '; return joinLines(l); }, "4 行目: 11 文字目"},
    {"index line out of order", [](auto l) { return replaceLine(l, 5, ",,,0,2,1,3"); }, "6 行目"},
    {"index line too short", [](auto l) { return replaceLine(l, 5, ",,,0,1"); }, "6 行目"},
    {"header item number 0", [](auto l) { l[7][0] = '0'; return joinLines(l); }, "8 行目: 見出し項目の番号「0」"},
    {"header item number 31", [](auto l) { l[7].replace(0, 1, "31"); return joinLines(l); }, "見出し項目の番号「31」"},
    {"header item number not a number", [](auto l) { l[7][0] = 'x'; return joinLines(l); }, "8 行目"},
    {"empty header row", [](auto l) { return replaceLine(l, 7, ""); }, "8 行目"},
    {"species row with a wrong number", [](auto l) { l[26][0] = '7'; return joinLines(l); }, "27 行目"},
    {"last line missing", [](auto l) { l.removeLast(); return joinLines(l); }, "27 行目の種の行がありません"},
    {"cut inside the cover lines", [](auto l) { return joinLines(l).left(60); }, "途中で切れています"},
    {"title only", [](auto l) { return l[0] + "\r\n"; }, "2 行目"},
    {"empty file", [](auto) { return QByteArray(); }, "空です"},
    {"name that is no Shift-JIS", [](auto l) { l[25].insert(20, "\x81\x20"); return joinLines(l); }, "26 行目"},
    {"title that is no Shift-JIS", [](auto l) { return replaceLine(l, 0, "\xFF\xFF"); }, "1 行目"},
};

class TableFileDamage : public TableFileTest, public ::testing::WithParamInterface<DamageCase> {};

} // namespace

TEST_P(TableFileDamage, FailsClearlyAndKeepsThePreviousTable)
{
    const DamageCase &c = GetParam();
    const QString path = dir.writeBytes(QStringLiteral("bad.vtb"), c.damage(fileLines(save())));

    const Snapshot before = snapshot(model, items, title);
    TableFile file;
    EXPECT_FALSE(file.read(path, &model, &items, &title));
    RecordProperty("message", file.errorString().toStdString());
    EXPECT_TRUE(file.errorString().contains(QString::fromUtf8(c.expected))) << file.errorString().toStdString();
    EXPECT_TRUE(file.errorString().contains(QStringLiteral("bad.vtb"))) << file.errorString().toStdString();
    EXPECT_EQ(snapshot(model, items, title), before);
}

INSTANTIATE_TEST_SUITE_P(Files, TableFileDamage, ::testing::ValuesIn(kDamageCases),
                         Zelkor::Test::CaseNameOf());

TEST_F(TableFileTest, MissingFileAndFolderAreRefused)
{
    const Snapshot before = snapshot(model, items, title);
    TableFile file;
    EXPECT_FALSE(file.read(dir.path(QStringLiteral("none.vtb")), &model, &items, &title));
    EXPECT_TRUE(file.errorString().contains(QStringLiteral("ありません")));
    QDir(dir.path()).mkdir(QStringLiteral("folder.vtb"));
    EXPECT_FALSE(file.read(dir.path(QStringLiteral("folder.vtb")), &model, &items, &title));
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_EQ(snapshot(model, items, title), before);
}

// ---------------------------------------------------------------------------------------------
// Cover code bytes

TEST(TableFileCodes, StorableValuesAreThoseOfOneByte)
{
    for (int v = 0; v <= 255; ++v)
        EXPECT_EQ(TableFile::isStorableCode(v), v + 48 <= 0xFF) << v;
}

TEST_F(TableFileTest, EveryStorableValueTravels)
{
    QList<int> values;
    for (int v = 0; v <= 255; ++v)
        if (TableFile::isStorableCode(v))
            values << v;
    ASSERT_EQ(values.size(), 208);
    // Seven values per species row, in the relevé of column 5.
    const int rows = int((values.size() + 6) / 7);
    model.setSpeciesCount(rows);
    QList<ByteDataSet> expected;
    for (int k = 1; k <= rows; ++k) {
        ByteDataSet codes{};
        for (int l = 0; l < 7; ++l) {
            const int at = (k - 1) * 7 + l;
            codes[std::size_t(l)] = quint8(at < values.size() ? values[at] : 1);
        }
        model.grid().setCell(2, h() + k, QStringLiteral("sp%1").arg(k));
        put(k, 5, codes, QStringLiteral("   1"));
        expected << codes;
    }
    const QString path = save();
    // Each code is the one byte 48 + value; no line-end or separator byte can appear.
    for (const QByteArray &line : fileLines(path).mid(2, rows + 1)) {
        for (char ch : line)
            EXPECT_GE(static_cast<unsigned char>(ch), 0x30) << line.toHex().toStdString();
    }

    TableModel loaded;
    HeaderItems loadedItems;
    QString t;
    TableFile file;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &t)) << file.errorString().toStdString();
    for (int k = 1; k <= rows; ++k)
        EXPECT_EQ(loaded.coverData().at(2, k), expected[k - 1]) << k;
}

namespace {
struct UnstorableCase
{
    int value;
    bool scaleByte; // in the relevé's scale bytes rather than a species cell
};
class TableFileUnstorable : public TableFileTest, public ::testing::WithParamInterface<UnstorableCase> {};
} // namespace

TEST_P(TableFileUnstorable, SaveIsRefusedAndTheOldFileStays)
{
    const QString path = save();
    const QByteArray old = Zelkor::Test::readBytes(path);

    const UnstorableCase c = GetParam();
    if (c.scaleByte)
        model.coverData().set(2, 0, ByteDataSet{5, quint8(c.value), 0, 0, 0, 0, 0});
    else
        model.coverData().set(3, 2, ByteDataSet{0, 0, 0, 0, quint8(c.value), 0, 0});
    TableFile file;
    EXPECT_FALSE(file.write(model, title, path));
    RecordProperty("message", file.errorString().toStdString());
    EXPECT_TRUE(file.errorString().contains(QString::number(c.value))) << file.errorString().toStdString();
    EXPECT_TRUE(file.errorString().contains(QStringLiteral("保存できません")));
    if (!c.scaleByte) {
        EXPECT_TRUE(file.errorString().contains(QStringLiteral("ススキ　白"))) << file.errorString().toStdString();
    }
    EXPECT_EQ(Zelkor::Test::readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.vtb")});
}

INSTANTIATE_TEST_SUITE_P(Values, TableFileUnstorable,
                         ::testing::Values(UnstorableCase{208, false}, UnstorableCase{230, false},
                                           UnstorableCase{255, false}, UnstorableCase{240, true}));

TEST_F(TableFileTest, ReadingTakesHighBytesAsTheirCode)
{
    // A byte that this writer never produces but whose code is plain: 0xE0 is code 176.
    QList<QByteArray> lines = fileLines(save());
    lines[4][14] = char(0xE0);
    const QString path = dir.writeBytes(QStringLiteral("high.vtb"), joinLines(lines));
    TableModel loaded;
    HeaderItems loadedItems;
    QString t;
    TableFile file;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &t)) << file.errorString().toStdString();
    EXPECT_EQ(loaded.coverData().at(2, 2), (ByteDataSet{176, 0, 0, 0, 0, 2, 0}));
}

// ---------------------------------------------------------------------------------------------
// Failed saves never touch the old file.

namespace {
struct BadSaveCase
{
    const char *name;
    std::function<void(TableModel &, QString &)> spoil;
    const char *expected;
};

const BadSaveCase kBadSaves[] = {
    {"line break in a comment", [](TableModel &m, QString &) { m.grid().setCell(2, m.headerRows() + 1, QStringLiteral("a\nb")); }, "改行"},
    {"carriage return in a header value", [](TableModel &m, QString &) { m.grid().setCell(5, 2, QStringLiteral("x\ry")); }, "改行"},
    {"character without Shift-JIS form", [](TableModel &m, QString &) { m.grid().setCell(2, m.headerRows() + 2, QStringLiteral("草\U0001F33F")); }, "シフトJIS"},
    {"title with a line break", [](TableModel &, QString &t) { t = QStringLiteral("a\r\nb"); }, "題名"},
    {"title without Shift-JIS form", [](TableModel &, QString &t) { t = QStringLiteral("\U0001F33F"); }, "題名"},
};

class TableFileBadSave : public TableFileTest, public ::testing::WithParamInterface<BadSaveCase> {};
} // namespace

TEST_P(TableFileBadSave, OldFileStaysByteIdentical)
{
    const QString path = save();
    const QByteArray old = Zelkor::Test::readBytes(path);
    const BadSaveCase &c = GetParam();
    c.spoil(model, title);
    TableFile file;
    EXPECT_FALSE(file.write(model, title, path));
    RecordProperty("message", file.errorString().toStdString());
    EXPECT_TRUE(file.errorString().contains(QString::fromUtf8(c.expected))) << file.errorString().toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.vtb")});
}

INSTANTIATE_TEST_SUITE_P(Tables, TableFileBadSave, ::testing::ValuesIn(kBadSaves),
                         Zelkor::Test::CaseNameOf());

TEST_F(TableFileTest, UnwritableTargetsFailWithAMessage)
{
    TableFile file;
    const QString folder = dir.path(QStringLiteral("folder.vtb"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_FALSE(file.write(model, title, folder));
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());

    EXPECT_FALSE(file.write(model, title, dir.path(QStringLiteral("no/such/folder/t.vtb"))));
    EXPECT_FALSE(file.errorString().isEmpty());
}

TEST_F(TableFileTest, RandomDamageNeverHalfLoads)
{
    // Bytes changed or the file cut at random places: every load either succeeds with a
    // consistent table or fails and leaves the previous one untouched.
    const QByteArray good = Zelkor::Test::readBytes(save());
    const QString path = dir.path(QStringLiteral("random.vtb"));
    std::mt19937 rng(4711);
    std::uniform_int_distribution<qsizetype> pos(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    const char specials[] = {',', '"', ' ', '\r', '\n', '0', '9', '-', char(0x81), char(0xFF)};
    std::uniform_int_distribution<int> special(0, int(sizeof specials) - 1);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = good;
        if (round % 5 == 0) {
            bytes.truncate(pos(rng));
        } else {
            for (int k = 0; k <= round % 3; ++k)
                bytes[pos(rng)] = round % 2 ? char(byte(rng)) : specials[special(rng)];
        }
        dir.writeBytes(QStringLiteral("random.vtb"), bytes);

        TableModel target;
        HeaderItems targetItems;
        QString targetTitle = QStringLiteral("previous");
        target.clearTable(targetItems);
        const Snapshot before = snapshot(target, targetItems, targetTitle);
        TableFile file;
        if (file.read(path, &target, &targetItems, &targetTitle)) {
            EXPECT_EQ(target.grid().rowCount(), target.speciesCount() + target.headerRows() + 1);
            EXPECT_EQ(target.grid().colCount(), target.releveCount() + 4);
        } else {
            EXPECT_FALSE(file.errorString().isEmpty());
            EXPECT_EQ(snapshot(target, targetItems, targetTitle), before) << round;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The file is read through a read-ahead window and written in pieces. With a window of a few
// bytes every line lies across many pieces, and a group of seven codes across two; reading
// must give the same table, or the same message, as reading the file at once.

namespace {

// Window sizes below one group, around it and two, and larger than a whole small line.
const qsizetype kWindows[] = {1, 2, 3, 5, 6, 7, 8, 13, 14, 15, 16, 17, 63, 64, 65, 100, 1000};

// What reading a file into a blank table gives: the table, and the message of a failure.
std::pair<Snapshot, QString> readOutcome(const QString &path, qsizetype window = 0)
{
    TableModel target;
    HeaderItems targetItems;
    QString targetTitle = QStringLiteral("previous");
    target.clearTable(targetItems);
    TableFile file;
    if (window > 0)
        file.setWindowBytes(window);
    const bool ok = file.read(path, &target, &targetItems, &targetTitle);
    return {snapshot(target, targetItems, targetTitle), ok ? QString() : file.errorString()};
}

} // namespace

TEST_F(TableFileTest, TinyWindowsReadTheSameTable)
{
    // A table wider than the window's 64-byte strides, with cells scattered over it: every
    // storable value in some layer, so that every byte from "0" up stands in the cover lines,
    // and rows with quoted, Japanese and empty cells.
    // Grown a relevé at a time, as extraction grows it, every column gets its hidden index.
    for (int n = model.maxReleves() + 1; n <= 150; ++n)
        ASSERT_TRUE(model.addCol(n));
    model.setReleveCount(150);
    std::mt19937 rng(11);
    int value = 0;
    for (int k = 3; k <= 40; ++k) {
        model.setSpeciesCount(k);
        model.grid().setCell(TableModel::NameColumn, h() + k, k % 3 ? QStringLiteral("種 %1, \"x\"").arg(k) : QStringLiteral("sp%1").arg(k));
        for (int n = 0; n < 12; ++n) {
            ByteDataSet codes{};
            codes[rng() % 7] = quint8(value++ % 208);
            codes[4] = quint8(1 + rng() % 50);
            put(k, TableModel::releveColumn(1 + int(rng() % 150)), codes, QStringLiteral("%1").arg(n, 4));
        }
    }
    model.recomputeFrequencies();
    const QString crlf = save();
    QByteArray bytes = Zelkor::Test::readBytes(crlf);
    bytes.replace("\r\n", "\n");
    const QString lf = dir.writeBytes(QStringLiteral("lf.vtb"), bytes);

    for (const QString &path : {crlf, lf}) {
        const auto whole = readOutcome(path);
        ASSERT_TRUE(whole.second.isEmpty()) << whole.second.toStdString();
        ASSERT_GT(whole.first.cover.size(), 300);
        for (const qsizetype window : kWindows) {
            const auto pieces = readOutcome(path, window);
            EXPECT_TRUE(pieces.second.isEmpty()) << window << ": " << pieces.second.toStdString();
            EXPECT_TRUE(pieces.first == whole.first) << "window " << window << ", " << path.toStdString();
        }
    }

    // Written in pieces of a few bytes, the table gives the same file.
    TableModel loaded;
    HeaderItems loadedItems;
    QString loadedTitle;
    TableFile file;
    file.setWindowBytes(5);
    ASSERT_TRUE(file.read(crlf, &loaded, &loadedItems, &loadedTitle)) << file.errorString().toStdString();
    const QString again = dir.path(QStringLiteral("again.vtb"));
    ASSERT_TRUE(file.write(loaded, loadedTitle, again)) << file.errorString().toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(again), Zelkor::Test::readBytes(crlf));
}

TEST_F(TableFileTest, TinyWindowsFailAlike)
{
    // Every damage of the cases above, and random damage (bytes changed, the file cut), is told
    // in the same words whatever the window, and the table stays as it was.
    std::vector<std::pair<std::string, QByteArray>> files;
    const QList<QByteArray> good = fileLines(save());
    for (const DamageCase &c : kDamageCases)
        files.emplace_back(c.name, c.damage(good));
    const QByteArray whole = joinLines(good);
    std::mt19937 rng(99);
    const char specials[] = {',', '"', ' ', '\r', '\n', '0', '/', char(0x81), char(0xFF)};
    for (int round = 0; round < 60; ++round) {
        QByteArray bytes = whole;
        if (round % 4 == 0)
            bytes.truncate(qsizetype(rng() % std::size_t(bytes.size())));
        else
            bytes[qsizetype(rng() % std::size_t(bytes.size()))] = specials[rng() % sizeof specials];
        files.emplace_back("random " + std::to_string(round), bytes);
    }
    int failures = 0;
    for (const auto &[name, bytes] : files) {
        const QString path = dir.writeBytes(QStringLiteral("damaged.vtb"), bytes);
        const auto reference = readOutcome(path);
        failures += reference.second.isEmpty() ? 0 : 1;
        for (const qsizetype window : kWindows) {
            const auto pieces = readOutcome(path, window);
            EXPECT_EQ(pieces.second, reference.second) << name << ", window " << window;
            EXPECT_TRUE(pieces.first == reference.first) << name << ", window " << window;
        }
    }
    EXPECT_GT(failures, int(std::size(kDamageCases)));

    // A file that ends after any of its lines, with or without the line's end, misses the next.
    for (qsizetype n = 1; n < good.size(); ++n) {
        for (const char *end : {"\r\n", "\n", ""}) {
            QByteArray bytes = joinLines(good.mid(0, n));
            bytes.chop(2);
            const QString path = dir.writeBytes(QStringLiteral("cut.vtb"), bytes + end);
            const QString expected = QStringLiteral("は途中で切れています（%1 行目の").arg(n + 1);
            for (const qsizetype window : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(7), qsizetype(9)}) {
                const QString message = readOutcome(path, window).second;
                if (n >= 2 && n <= 4) // cover lines missing: told before any is read
                    EXPECT_TRUE(message.contains(QStringLiteral("被度の行がそろっていません"))) << message.toStdString();
                else
                    EXPECT_TRUE(message.contains(expected)) << n << ", window " << window << ": " << message.toStdString();
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Progress and cancel

namespace {

// A feedback that records the positions reported and cancels at the report-th (0: never).
struct Watch
{
    Feedback feedback;
    std::vector<int> positions;
    explicit Watch(int cancelAt = 0)
    {
        feedback.setWatcher([this, cancelAt](Feedback &f) {
            positions.push_back(f.position());
            if (int(positions.size()) == cancelAt)
                f.cancel();
        });
    }
};

} // namespace

TEST_F(TableFileTest, ProgressRunsUpToOneHundredPercent)
{
    const QString path = save();
    TableFile file;
    file.setWindowBytes(64);
    Watch writing;
    ASSERT_TRUE(file.write(model, title, dir.path(QStringLiteral("w.vtb")), &writing.feedback));
    Watch reading;
    TableModel loaded;
    HeaderItems loadedItems;
    QString loadedTitle;
    ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &loadedTitle, &reading.feedback));
    for (const Watch *w : {&writing, &reading}) {
        ASSERT_GE(w->positions.size(), 5u);
        EXPECT_TRUE(std::is_sorted(w->positions.begin(), w->positions.end()));
        EXPECT_GE(w->positions.front(), 0);
        EXPECT_EQ(w->positions.back(), 100);
    }
}

TEST_F(TableFileTest, ACancelledReadChangesNothing)
{
    const QString path = save();
    TableFile file;
    file.setWindowBytes(64);
    TableModel counted;
    HeaderItems countedItems;
    QString countedTitle;
    Watch all;
    ASSERT_TRUE(file.read(path, &counted, &countedItems, &countedTitle, &all.feedback));
    const int reports = int(all.positions.size());
    ASSERT_GE(reports, 5);

    // Cancelled at the first report, in the cover lines, in the rows, at the very end.
    const Snapshot before = snapshot(model, items, title);
    for (const int at : {1, 2, reports / 2, reports - 1, reports}) {
        Watch watch(at);
        EXPECT_FALSE(file.read(path, &model, &items, &title, &watch.feedback)) << at;
        EXPECT_EQ(file.errorString(), Feedback::canceledMessage()) << at;
        EXPECT_EQ(int(watch.positions.size()), at);
        EXPECT_EQ(snapshot(model, items, title), before) << at;
    }
}

TEST_F(TableFileTest, ACancelledWriteLeavesTheOldFile)
{
    const QString path = save();
    const QByteArray old = Zelkor::Test::readBytes(path);
    model.grid().setCell(TableModel::NameColumn, h() + 1, QStringLiteral("changed"));
    TableFile file;
    file.setWindowBytes(64);
    Watch all;
    const QString other = dir.path(QStringLiteral("other.vtb"));
    ASSERT_TRUE(file.write(model, title, other, &all.feedback));
    const int reports = int(all.positions.size());
    ASSERT_GE(reports, 5);

    for (const int at : {1, 2, reports / 2, reports - 1, reports}) {
        Watch watch(at);
        EXPECT_FALSE(file.write(model, title, path, &watch.feedback)) << at;
        EXPECT_EQ(file.errorString(), Feedback::canceledMessage()) << at;
        EXPECT_EQ(Zelkor::Test::readBytes(path), old) << at;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QStringLiteral("other.vtb"), QStringLiteral("t.vtb")}));
    }
    ASSERT_TRUE(file.write(model, title, path));
    EXPECT_EQ(Zelkor::Test::readBytes(path), Zelkor::Test::readBytes(other));
}

TEST_F(TableFileTest, SourcesTravelByPositionAndATableWithoutThemKeepsItsBytes)
{
    const QByteArray plain = Zelkor::Test::readBytes(save(QStringLiteral("plain.vtb")));
    // Column 4 carries index 5, column 6 index 3; index 1 sits in the spare column 8.
    const ReleveSource a{QStringLiteral("/data/a.zki"), 7};
    const ReleveSource b{QStringLiteral("/data/b b,ä.zki"), 2};
    model.coverData().setSource(5, a);
    model.coverData().setSource(3, b);
    model.coverData().setSource(1, ReleveSource{QStringLiteral("/data/a.zki"), 99});
    const QString withSources = save(QStringLiteral("sources.vtb"));
    const QByteArray bytes = Zelkor::Test::readBytes(withSources);
    ASSERT_TRUE(bytes.startsWith(plain));
    EXPECT_EQ(bytes.mid(plain.size()),
              QByteArray("#sources\r\nD,1,/data/a.zki\r\nR,1,1,7\r\nD,2,/data/b%20b%2C%C3%A4.zki\r\nR,3,2,2\r\n"));

    TableModel loaded;
    HeaderItems loadedItems;
    QString loadedTitle;
    TableFile file;
    ASSERT_TRUE(file.read(withSources, &loaded, &loadedItems, &loadedTitle)) << qPrintable(file.errorString());
    EXPECT_EQ(loaded.coverData().source(loaded.releveIndexAt(4)), a);
    EXPECT_TRUE(loaded.coverData().source(loaded.releveIndexAt(5)).isNull());
    EXPECT_EQ(loaded.coverData().source(loaded.releveIndexAt(6)), b);
    // Apart from the sources the table is the one the plain file gives, and saved again the file
    // is the same.
    TableModel plainLoaded;
    HeaderItems plainItems;
    QString plainTitle;
    ASSERT_TRUE(file.read(dir.path(QStringLiteral("plain.vtb")), &plainLoaded, &plainItems, &plainTitle));
    EXPECT_EQ(snapshot(loaded, loadedItems, loadedTitle), snapshot(plainLoaded, plainItems, plainTitle));
    ASSERT_TRUE(file.write(loaded, loadedTitle, dir.path(QStringLiteral("again.vtb"))));
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("again.vtb"))), bytes);

    // Sources of spare columns only: nothing is written.
    model.coverData().setSource(5, ReleveSource());
    model.coverData().setSource(3, ReleveSource());
    EXPECT_TRUE(model.coverData().hasSources());
    EXPECT_EQ(Zelkor::Test::readBytes(save(QStringLiteral("spare.vtb"))), plain);
}

TEST_F(TableFileTest, DamagedSourceLinesArePassedOver)
{
    const QByteArray plain = Zelkor::Test::readBytes(save(QStringLiteral("plain.vtb")));
    TableModel plainLoaded;
    HeaderItems plainItems;
    QString plainTitle;
    TableFile file;
    ASSERT_TRUE(file.read(dir.path(QStringLiteral("plain.vtb")), &plainLoaded, &plainItems, &plainTitle));
    const QByteArray db = "D,1,/a.zki\r\n";
    struct Case
    {
        const char *name;
        QByteArray tail;
        int record; // the record the first relevé is known by; 0 none
    };
    const Case cases[] = {
        {"as written", "#sources\r\n" + db + "R,1,1,7\r\n", 7},
        {"line feeds, no last line end", "#sources\nD,1,/a.zki\nR,1,1,7", 7},
        {"no marker first", "junk\r\n#sources\r\n" + db + "R,1,1,7\r\n", 0},
        {"relevé before its database", "#sources\r\nR,1,1,7\r\n" + db, 0},
        {"database numbered out of order", "#sources\r\nD,2,/a.zki\r\nR,1,2,7\r\n", 0},
        {"relevé past the table, then a good one", "#sources\r\n" + db + "R,4,1,7\r\nR,1,1,8\r\n", 8},
        {"record 0", "#sources\r\n" + db + "R,1,1,0\r\n", 0},
        {"negative record", "#sources\r\n" + db + "R,1,1,-3\r\n", 0},
        {"record too large", "#sources\r\n" + db + "R,1,1,99999999999\r\n", 0},
        {"extra field", "#sources\r\n" + db + "R,1,1,7,x\r\n", 0},
        {"empty database", "#sources\r\nD,1,\r\nR,1,1,7\r\n", 0},
        {"a line too long ends them", "#sources\r\n" + db + QByteArray(70000, 'x') + "\r\nR,1,1,7\r\n", 0},
        {"no more lines than two per relevé", "#sources\r\n" + QByteArray("x\r\n").repeated(5) + db + "R,1,1,7\r\n", 0},
        {"binary junk", "#sources\r\nD,1," + QByteArray(1, '\0') + "\xff\r\nR,\xff,1,7\r\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.writeBytes(QStringLiteral("damaged.vtb"), plain + c.tail);
        TableModel loaded;
        HeaderItems loadedItems;
        QString loadedTitle;
        ASSERT_TRUE(file.read(path, &loaded, &loadedItems, &loadedTitle)) << qPrintable(file.errorString());
        EXPECT_EQ(snapshot(loaded, loadedItems, loadedTitle), snapshot(plainLoaded, plainItems, plainTitle));
        const ReleveSource first = loaded.coverData().source(loaded.releveIndexAt(4));
        EXPECT_EQ(first.record, c.record);
        for (int col = 5; col <= 6; ++col)
            EXPECT_TRUE(loaded.coverData().source(loaded.releveIndexAt(col)).isNull()) << col;
    }
}
