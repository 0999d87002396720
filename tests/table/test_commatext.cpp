#include "platform/cp932.h"
#include "table/commatext.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

using namespace Zelkor;

namespace {

struct QuoteCase
{
    const char *name;
    QString cell;
    QString written;
};

const QuoteCase kQuoteCases[] = {
    {"empty cell is nothing", QString(), QString()},
    {"plain text stays bare", QStringLiteral("abc"), QStringLiteral("abc")},
    {"Japanese text stays bare", QStringLiteral("ススキ"), QStringLiteral("ススキ")},
    {"ideographic space is no blank", QStringLiteral("　組成表　"), QStringLiteral("　組成表　")},
    {"inner blank", QStringLiteral("a b"), QStringLiteral("\"a b\"")},
    {"cover text with leading blanks", QStringLiteral("   1"), QStringLiteral("\"   1\"")},
    {"blanks only", QStringLiteral("    "), QStringLiteral("\"    \"")},
    {"comma", QStringLiteral("a,b"), QStringLiteral("\"a,b\"")},
    {"tab is a control character", QStringLiteral("a\tb"), QStringLiteral("\"a\tb\"")},
    {"quotes are doubled", QStringLiteral("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\"")},
    {"lone quote", QStringLiteral("\""), QStringLiteral("\"\"\"\"")},
    {"DEL is no control character", QStringLiteral("a\x7F"), QStringLiteral("a\x7F")},
};

class CommaTextQuote : public ::testing::TestWithParam<QuoteCase> {};

} // namespace

TEST_P(CommaTextQuote, WritesCellAsCommaText)
{
    const QuoteCase &c = GetParam();
    EXPECT_EQ(CommaText::quoted(c.cell), c.written);
    EXPECT_EQ(CommaText::needsQuotes(QStringView(c.cell)), c.written != c.cell);

    // The byte form quotes the CP932 bytes the same way.
    QByteArray cellBytes;
    QByteArray writtenBytes;
    ASSERT_TRUE(Cp932::encode(c.cell, &cellBytes));
    ASSERT_TRUE(Cp932::encode(c.written, &writtenBytes));
    QByteArray out("x");
    CommaText::appendQuoted(&out, cellBytes);
    EXPECT_EQ(out, "x" + writtenBytes);
}

INSTANTIATE_TEST_SUITE_P(Cells, CommaTextQuote, ::testing::ValuesIn(kQuoteCases),
                         Zelkor::Test::CaseNameOf());

TEST(CommaTextJoin, EmptyCellsGiveBareCommas)
{
    EXPECT_EQ(CommaText::join({QString(), QString(), QString(), QStringLiteral("0"), QStringLiteral("1")}),
              QStringLiteral(",,,0,1"));
    EXPECT_EQ(CommaText::join({QStringLiteral("a"), QString(), QString()}), QStringLiteral("a,,"));
    EXPECT_EQ(CommaText::join({QStringLiteral("1"), QStringLiteral("   2"), QStringLiteral("ススキ, 白")}),
              QStringLiteral("1,\"   2\",\"ススキ, 白\""));
    EXPECT_EQ(CommaText::join({}), QString());
}

namespace {

struct SplitCase
{
    const char *name;
    QString line;
    QStringList fields;
};

const SplitCase kSplitCases[] = {
    {"empty line has no fields", QString(), {}},
    {"blank line has no fields", QStringLiteral("   "), {}},
    {"single field", QStringLiteral("a"), {QStringLiteral("a")}},
    {"two fields", QStringLiteral("a,b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {"empty field between commas", QStringLiteral("a,,b"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
    {"final comma gives an empty field", QStringLiteral("a,"), {QStringLiteral("a"), QString()}},
    {"lone comma gives two empty fields", QStringLiteral(","), {QString(), QString()}},
    {"final comma and blank give no empty field", QStringLiteral("a, "), {QStringLiteral("a")}},
    {"leading comma", QStringLiteral(", a"), {QString(), QStringLiteral("a")}},
    {"index line", QStringLiteral(",,,0,1,2"),
     {QString(), QString(), QString(), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}},
    {"leading blanks skipped", QStringLiteral("  a,  b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {"leading control characters skipped", QStringLiteral("\t\x01 a"), {QStringLiteral("a")}},
    {"blank run separates", QStringLiteral("a  b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {"blanks around a comma", QStringLiteral("a  ,  b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {"comma between blanks is one separator", QStringLiteral("a , , b"),
     {QStringLiteral("a"), QString(), QStringLiteral("b")}},
    {"quoted blank and comma", QStringLiteral("\"a b\",\"c,d\""), {QStringLiteral("a b"), QStringLiteral("c,d")}},
    {"doubled quotes made single", QStringLiteral("\"x\"\"y\"\"\""), {QStringLiteral("x\"y\"")}},
    {"quoted empty field", QStringLiteral("\"\",a"), {QString(), QStringLiteral("a")}},
    {"text after closing quote is a new field", QStringLiteral("\"ab\"cd"), {QStringLiteral("ab"), QStringLiteral("cd")}},
    {"unclosed quote runs to the end", QStringLiteral("a,\"b, c"), {QStringLiteral("a"), QStringLiteral("b, c")}},
    {"quoted cover text keeps its blanks", QStringLiteral("\"   1\",\" 2 +\""), {QStringLiteral("   1"), QStringLiteral(" 2 +")}},
    {"Japanese with ideographic space", QStringLiteral("　ススキ,白"), {QStringLiteral("　ススキ"), QStringLiteral("白")}},
};

class CommaTextSplit : public ::testing::TestWithParam<SplitCase> {};

} // namespace

TEST_P(CommaTextSplit, ReadsFields)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(CommaText::split(c.line), c.fields);

    // The byte splitter on the CP932 form of the line gives the same fields.
    QByteArray bytes;
    ASSERT_TRUE(Cp932::encode(c.line, &bytes));
    QStringList fromBytes;
    const qsizetype n = CommaText::splitBytes(bytes, 1000, [&](qsizetype index, QByteArrayView field) {
        EXPECT_EQ(index, fromBytes.size());
        QString text;
        EXPECT_TRUE(Cp932::decode(field.toByteArray(), &text));
        fromBytes.append(text);
    });
    EXPECT_EQ(fromBytes, c.fields);
    EXPECT_EQ(n, c.fields.size());
}

INSTANTIATE_TEST_SUITE_P(Lines, CommaTextSplit, ::testing::ValuesIn(kSplitCases),
                         Zelkor::Test::CaseNameOf());

TEST(CommaTextSplit, ByteSplitStopsAtMaxFields)
{
    QStringList seen;
    const qsizetype n = CommaText::splitBytes("a,\"b c\",d,e", 2, [&](qsizetype, QByteArrayView f) {
        seen.append(QString::fromLatin1(f.toByteArray()));
    });
    EXPECT_EQ(n, 2);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("a"), QStringLiteral("b c")}));

    int calls = 0;
    EXPECT_EQ(CommaText::splitBytes("a,b", 0, [&](qsizetype, QByteArrayView) { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
}

TEST(CommaTextSplit, ByteSplitIgnoresTrailBytesOfTwoByteCharacters)
{
    // "ソ" is 0x83 0x5C and "ァ" 0x83 0x40: trail bytes that look like ASCII must not split.
    const QString line = QStringLiteral("ソ\"ァ,表,\"ソ ァ\"");
    QByteArray bytes;
    ASSERT_TRUE(Cp932::encode(line, &bytes));
    QStringList fields;
    CommaText::splitBytes(bytes, 100, [&](qsizetype, QByteArrayView f) {
        QString t;
        ASSERT_TRUE(Cp932::decode(f.toByteArray(), &t));
        fields.append(t);
    });
    EXPECT_EQ(fields, CommaText::split(line));
    EXPECT_EQ(fields, (QStringList{QStringLiteral("ソ\"ァ"), QStringLiteral("表"), QStringLiteral("ソ ァ")}));
}

TEST(CommaTextRoundTrip, JoinedRowsSplitBackToTheirCells)
{
    const QList<QStringList> rows = {
        {QStringLiteral("1"), QStringLiteral("   1"), QStringLiteral("ススキ"), QStringLiteral("   2"), QStringLiteral(" 2 +")},
        {QStringLiteral("5"), QString(), QStringLiteral("Quercus, \"serrata\""), QString(), QString()},
        {QString(), QStringLiteral("    "), QStringLiteral("\t"), QStringLiteral("\"\""), QStringLiteral(",")},
        {QStringLiteral("　全角　"), QStringLiteral("a\x7F b")},
        {QString(), QString()},
    };
    for (const QStringList &cells : rows)
        EXPECT_EQ(CommaText::split(CommaText::join(cells)), cells) << CommaText::join(cells).toStdString();
}

// The rows of a table file are read with a splitter that passes over runs of empty fields at
// once. Wherever the runs lie (at the start, between fields, at the end, longer than the
// sixty-four bytes passed over at a time, beside blanks and quotes), it gives exactly the
// non-empty fields of the plain splitter, under the same numbers, and the same count.
TEST(CommaTextSplit, NonEmptySplitAgreesWithTheFullSplit)
{
    using Field = std::pair<qsizetype, QByteArray>;
    auto full = [](const QByteArray &line, qsizetype maxFields, std::vector<Field> *fields) {
        return CommaText::splitBytes(line, maxFields, [&](qsizetype index, QByteArrayView f) {
            if (!f.isEmpty())
                fields->emplace_back(index, f.toByteArray());
        });
    };
    auto nonEmpty = [](const QByteArray &line, qsizetype maxFields, std::vector<Field> *fields) {
        return CommaText::splitNonEmptyBytes(line, maxFields, [&](qsizetype index, QByteArrayView f) {
            EXPECT_FALSE(f.isEmpty());
            fields->emplace_back(index, f.toByteArray());
        });
    };
    std::vector<QByteArray> lines;
    for (const SplitCase &c : kSplitCases) {
        QByteArray bytes;
        ASSERT_TRUE(Cp932::encode(c.line, &bytes));
        lines.push_back(bytes);
    }
    // Rows as the table file has them, and random lines of the characters that matter.
    lines.push_back("1,\"   1\",Name,\"   2\"" + QByteArray(70, ',') + "\"  21\"" + QByteArray(130, ',') + "\" r 3\"");
    lines.push_back(QByteArray(200, ','));
    lines.push_back(QByteArray(65, ',') + "x");
    std::mt19937 rng(20);
    const char alphabet[] = {',', ',', ',', ',', ' ', '"', 'a', 'b', '\t'};
    for (int k = 0; k < 3000; ++k) {
        QByteArray line;
        const int runs = int(rng() % 8);
        for (int r = 0; r < runs; ++r) {
            if (rng() % 3 == 0)
                line += QByteArray(int(rng() % 150), ',');
            else
                for (int n = int(rng() % 6); n > 0; --n)
                    line += alphabet[rng() % sizeof alphabet];
        }
        lines.push_back(line);
    }
    for (const QByteArray &line : lines) {
        for (const qsizetype maxFields : {qsizetype(0), qsizetype(1), qsizetype(3), qsizetype(70), qsizetype(100000)}) {
            std::vector<Field> a, b;
            const qsizetype na = full(line, maxFields, &a);
            const qsizetype nb = nonEmpty(line, maxFields, &b);
            EXPECT_EQ(nb, na) << line.toStdString() << " / " << maxFields;
            EXPECT_EQ(b, a) << line.toStdString() << " / " << maxFields;
        }
    }
}
