#include "output/tablelayout.h"
#include "output/tabletextfile.h"

#include "output/sampletable.h"
#include "platform/cp932.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

using Zelkor::Test::blanks;
using Zelkor::Test::rule;

QString pad(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

// The bytes of a CP932 text file with CR LF ends holding lines.
QByteArray fileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        QByteArray encoded;
        EXPECT_TRUE(Cp932::encode(line, &encoded)) << line.toStdString();
        bytes += encoded + "\r\n";
    }
    return bytes;
}

QStringList layoutLines(const SampleTable &t, const TableLayoutOptions &options, int wc = TableLayout::TextFileAllowance)
{
    LineListSink sink;
    TableLayout(t.model, t.items, options).printTable(sink, wc, options.range.firstSpecies, options.range.lastSpecies);
    return sink.lines();
}

// Layout items 1, 2 and 30; two relevés; Quercus serrata (T1 23 | T1 10, H1 1) and Carex
// nervata (H1 2 in relevé 1 only).
struct WorkedExample : ::testing::Test
{
    SampleTable t{2, 30};
    TableLayoutOptions options;

    void SetUp() override
    {
        t.setReleves(2);
        t.setItem(1, 2, QStringLiteral("ABCDEFGH"));
        t.setItem(2, 2, QStringLiteral("XY"));
        ByteDataSet second = layer(1, 10);
        second[4] = 1;
        t.addSpecies(QStringLiteral("Quercus serrata"), {{1, layer(1, 23)}, {2, second}});
        t.addSpecies(QStringLiteral("Carex nervata"), {{1, layer(5, 2)}});
        t.finish();
        options.title = QStringLiteral("Sample");
        options.range = OutputRange{1, 2, 1, 2};
        options.frequency = true;
    }

    QStringList head() const
    {
        return {QString(),
                QStringLiteral("Sample"),
                rule(22),
                QStringLiteral("表番号") + blanks(26) + QStringLiteral("    1    2"),
                rule(22),
                QStringLiteral("識別記号") + blanks(24) + QStringLiteral(" ABCD XY  "),
                blanks(32) + QStringLiteral(" EFGH     "),
                QStringLiteral("出現種数") + blanks(24) + QStringLiteral("    2    1"),
                rule(22)};
    }
};

} // namespace

TEST_F(WorkedExample, TextFileByteForByte)
{
    QStringList expected = head();
    expected << pad(QStringLiteral("Quercus serrata"), 28) + QStringLiteral(" T1:  2.3   1   100")
             << blanks(28) + QStringLiteral(" H1:   .    + ")
             << pad(QStringLiteral("Carex nervata"), 28) + QStringLiteral(" H1:  +.2   .    50")
             << rule(22);

    Zelkor::Test::TempDir dir;
    const QString path = dir.path(QStringLiteral("sample.txt"));
    TableTextFile file;
    ASSERT_TRUE(file.write(TableLayout(t.model, t.items, options), 1, 2, path)) << file.errorString().toStdString();
    const QByteArray written = Zelkor::Test::readBytes(path);
    EXPECT_EQ(written, fileBytes(expected));
    // The rule is the box-drawing line 849F, every line ends in CR LF.
    EXPECT_TRUE(written.startsWith("\r\nSample\r\n\x84\x9f\x84\x9f"));
}

TEST_F(WorkedExample, SpeciesFoundOnceListedAfterTheBody)
{
    options.oneTimeApart = true;
    QStringList expected = head();
    expected << pad(QStringLiteral("Quercus serrata"), 28) + QStringLiteral(" T1:  2.3   1   100")
             << blanks(28) + QStringLiteral(" H1:   .    + ") << rule(22) << QStringLiteral("出現回数１回の種")
             << QStringLiteral("No.1, Carex nervata H1:+.2.") << QString();
    EXPECT_EQ(layoutLines(t, options), expected);
}

TEST(TableLayout, HundredRelevesOnThreePages)
{
    SampleTable t{};
    t.setReleves(100);
    t.addSpecies(QStringLiteral("Poa annua"));
    for (int i = 1; i <= 100; ++i) {
        t.model.grid().setCell(i + 3, t.h() + 1, QStringLiteral("   1"));
        t.model.coverData().set(t.model.releveIndexAt(i + 3), t.model.speciesIndexAt(t.h() + 1), layer(5, 10));
    }
    t.addSpecies(QStringLiteral("a comment"));
    t.finish();
    TableLayoutOptions options;
    options.title = QStringLiteral("Dunes");
    options.range = OutputRange{1, 100, 1, 2};

    const TableLayout layout(t.model, t.items, options);
    EXPECT_EQ(layout.pages(45), (std::vector<TableLayout::Page>{{1, 46}, {47, 98}, {99, 100}}));

    const QStringList lines = layoutLines(t, options);
    // Each page: empty line, title, rule, numbers, rule, rule (no items), species, comment, rule.
    const int perPage = 9;
    ASSERT_EQ(lines.size(), 3 * perPage + 2);
    EXPECT_EQ(lines[1], QStringLiteral("Dunes"));
    EXPECT_EQ(lines[2], rule(132));
    EXPECT_EQ(lines[perPage], QStringLiteral("\f"));
    EXPECT_EQ(lines[perPage + 2], QStringLiteral("続き"));
    EXPECT_EQ(lines[perPage + 3], rule(130));
    EXPECT_EQ(lines[2 * perPage + 1], QStringLiteral("\f"));
    EXPECT_EQ(lines[2 * perPage + 3], QStringLiteral("続き"));
    EXPECT_EQ(lines[2 * perPage + 4], rule(5));
    // The running numbers go on from page to page; later pages have no label field.
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("   45   46")));
    EXPECT_TRUE(lines[perPage + 4].startsWith(QStringLiteral("   47   48")));
    EXPECT_EQ(lines[2 * perPage + 5], QStringLiteral("   99  100"));
    // The comment row: its text on the first page, an empty line on the others.
    EXPECT_EQ(lines[7], QStringLiteral("a comment"));
    EXPECT_EQ(lines[perPage + 8], QString());
    EXPECT_EQ(lines[2 * perPage + 9], QString());
    EXPECT_EQ(lines[2 * perPage + 8], QStringLiteral("   1    1 "));
}

// Running numbers of six digits would run together in five-character columns ("99999100000"):
// a page that reaches 100,000 gets columns one wider than its last number, holds fewer relevés
// so that its lines are no longer, and every number, cover text and header value stays over
// its own column.
TEST(TableLayout, RunningNumbersPastOneHundredThousandKeepApart)
{
    SampleTable t{8};
    const int count = 100010;
    t.setReleves(count);
    t.addSpecies(QStringLiteral("Poa annua"));
    for (int i = 1; i <= count; ++i) {
        t.model.grid().setCell(i + 3, t.h() + 1, QStringLiteral("   1"));
        t.model.coverData().set(t.model.releveIndexAt(i + 3), t.model.speciesIndexAt(t.h() + 1), layer(5, 10));
    }
    t.setItem(count, 8, QStringLiteral("ABCD"));
    t.finish();
    TableLayoutOptions options;
    options.range = OutputRange{99950, count, 1, 1};
    const TableLayout layout(t.model, t.items, options);
    EXPECT_EQ(TableLayout::columnWidth(99999), 5);
    EXPECT_EQ(TableLayout::columnWidth(100000), 7);
    EXPECT_EQ(layout.pages(45), (std::vector<TableLayout::Page>{{99950, 99995}, {99996, 100010}}));
    EXPECT_EQ(layout.pages(10), (std::vector<TableLayout::Page>{{99950, 99960}, {99961, 99977}, {99978, 99994},
                                                                {99995, 100006}, {100007, 100010}}));

    // Each page: empty line, title, rule, numbers, rule, item 8, rule, the species, rule.
    const QStringList lines = layoutLines(t, options);
    ASSERT_EQ(lines.size(), 9 + 1 + 9);
    int expected = 99949;
    for (const qsizetype top : {qsizetype(0), qsizetype(10)}) {
        const int width = top == 0 ? 5 : 7;
        const int columns = top == 0 ? 46 : 15;
        const QString numbers = lines[top + 3].right(columns * width);
        const QString item = lines[top + 5].right(columns * width);
        const QString cover = lines[top + 7].right(columns * width);
        for (qsizetype at = 0; at < numbers.size(); at += width) {
            EXPECT_EQ(numbers.mid(at, width).toInt(), ++expected) << numbers.toStdString();
            if (width > 5) {
                EXPECT_EQ(numbers.at(at), QLatin1Char(' ')) << numbers.toStdString();
            }
            // The cover text and the header value stay over their number.
            EXPECT_EQ(cover.mid(at, width), blanks(width - 2) + QStringLiteral("1 ")) << cover.toStdString();
            EXPECT_EQ(item.mid(at, width), expected == count ? blanks(width - 4) + QStringLiteral("ABCD") : blanks(width));
        }
        // No line is longer than on a page of five-character columns.
        EXPECT_LE(lines[top + 7].size(), top == 0 ? 33 + 5 * 46 : 5 * 52);
        EXPECT_EQ(lines[top + 3].size() - numbers.size(), top == 0 ? 29 : 0); // "表番号" and its blanks
    }
    EXPECT_EQ(expected, count);
}

TEST(TableLayout, RangeNotFromTheFirstRelevé)
{
    // Relevé 3 is empty: it keeps its blank column and takes no number, in the body, in the
    // species-number line and in the list of species found once, which numbers as the body does
    // and leaves out relevés outside the range.
    SampleTable t{30};
    t.setReleves(4);
    t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {2, layer(5, 20)}, {4, layer(5, 1)}});
    t.addSpecies(QStringLiteral("Carex nervata"), {{4, layer(5, 2)}});
    t.addSpecies(QStringLiteral("Carex flacca"), {{1, layer(7, 30)}});
    t.finish();
    TableLayoutOptions options;
    options.range = OutputRange{2, 4, 1, 3};
    options.oneTimeApart = true;
    options.frequency = true;
    const QStringList lines = layoutLines(t, options);
    EXPECT_EQ(lines[3], QStringLiteral("表番号") + blanks(26) + QStringLiteral("    2         3"));
    EXPECT_EQ(lines[5], QStringLiteral("出現種数") + blanks(24) + QStringLiteral("    1") + blanks(5) + QStringLiteral("    2"));
    EXPECT_EQ(lines[7], pad(QStringLiteral("Poa annua"), 28) + QStringLiteral(" H1:   2 ") + blanks(5)
                            + QStringLiteral("   +   100"));
    const qsizetype list = lines.indexOf(QStringLiteral("出現回数１回の種"));
    ASSERT_GT(list, 0);
    EXPECT_EQ(lines.mid(list + 1), (QStringList{QStringLiteral("No.3, Carex nervata H1:+.2."), QString()}));
}

TEST(TableLayout, FrequencyColumnOnlyOnThePageEndingAtTheLastRelevé)
{
    SampleTable t{};
    t.setReleves(3);
    t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {3, layer(5, 10)}});
    t.finish();
    TableLayoutOptions options;
    options.range = OutputRange{1, 3, 1, 1};
    options.frequency = true;

    // A full last page gives up its last relevé, so the column fits the page's width.
    EXPECT_EQ(TableLayout(t.model, t.items, options).pages(2), (std::vector<TableLayout::Page>{{1, 2}, {3, 3}}));
    const QStringList twoPages = layoutLines(t, options, 2);
    EXPECT_EQ(twoPages[6], pad(QStringLiteral("Poa annua"), 28) + QStringLiteral(" H1:   1 ") + blanks(5));
    EXPECT_EQ(twoPages.last(), rule(2));
    // Relevé 2 holds no species: it separates groups and counts for no percentage.
    EXPECT_EQ(twoPages[twoPages.size() - 2], QStringLiteral("   1   100"));
    options.frequency = false;
    EXPECT_EQ(TableLayout(t.model, t.items, options).pages(2), (std::vector<TableLayout::Page>{{1, 3}}));

    // A range that stops before the table's last relevé has no frequency column.
    options.frequency = true;
    options.range.lastReleve = 2;
    const QStringList shorter = layoutLines(t, options);
    EXPECT_EQ(shorter[6], pad(QStringLiteral("Poa annua"), 28) + QStringLiteral(" H1:   1 ") + blanks(5));
}

TEST(TableLayout, BackwardsRangeWritesOnePageWithoutRelevés)
{
    SampleTable t{};
    t.setReleves(3);
    t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}});
    t.finish();
    TableLayoutOptions options;
    options.title = QStringLiteral("T");
    options.range = OutputRange{3, 1, 1, 1};
    EXPECT_EQ(layoutLines(t, options),
              (QStringList{QString(), QStringLiteral("T"), rule(16), QStringLiteral("表番号") + blanks(26), rule(16),
                           rule(16), QString(), rule(16)}));
}

TEST(TableLayout, NamesMarksAndScales)
{
    SampleTable t{};
    t.setReleves(1);
    // 15 two-byte characters: the 28-byte field ends before the one that would be cut in half.
    const QString longName = QString(15, QChar(0x8349)); // 草
    t.addSpecies(longName, {{1, layer(5, 10)}});
    t.addSpecies(QStringLiteral("Only marks"), {{1, layer(5, 7)}});
    t.addSpecies(QStringLiteral("Sociability"), {{1, layer(5, 34)}});
    t.finish();
    TableLayoutOptions options;
    options.range = OutputRange{1, 1, 1, 3};
    QStringList lines = layoutLines(t, options);
    EXPECT_EQ(lines[6], QString(14, QChar(0x8349)) + QStringLiteral(" H1:   1 "));
    EXPECT_EQ(lines[7], QString());
    EXPECT_EQ(lines[8], pad(QStringLiteral("Sociability"), 28) + QStringLiteral(" H1:  3.4"));
    t.model.setDataScaleD(1);
    lines = layoutLines(t, options);
    EXPECT_EQ(lines[8], pad(QStringLiteral("Sociability"), 28) + QStringLiteral(" H1:   3 "));
}

TEST(TableLayout, RulesAndPercents)
{
    EXPECT_EQ(TableLayout::ruleLine(48), rule(24));
    EXPECT_EQ(TableLayout::ruleLine(43), rule(22));
    EXPECT_EQ(TableLayout::ruleLine(45), rule(22));
    EXPECT_EQ(TableLayout::ruleLine(0), QString());
    EXPECT_EQ(TableLayout::roundedPercent(2, 3), 67);
    EXPECT_EQ(TableLayout::roundedPercent(1, 8), 12);  // 12.5: halves to the even number
    EXPECT_EQ(TableLayout::roundedPercent(3, 8), 38);  // 37.5
    EXPECT_EQ(TableLayout::roundedPercent(23, 40), 58); // 57.5
    EXPECT_EQ(TableLayout::roundedPercent(1, 0), 0);
}
