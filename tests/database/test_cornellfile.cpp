#include "database/cornellfile.h"
#include "database/fortranformat.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

QString fieldsOf(const FortranFormat &format)
{
    QStringList out;
    for (const FortranField &f : format.fields()) {
        switch (f.kind) {
        case FortranField::Integer: out << QStringLiteral("I%1").arg(f.width); break;
        case FortranField::Real: out << QStringLiteral("F%1.%2").arg(f.width).arg(f.decimals); break;
        case FortranField::Text: out << QStringLiteral("A%1").arg(f.width); break;
        case FortranField::Skip: out << QStringLiteral("X"); break;
        }
    }
    return out.join(QLatin1Char(' '));
}

bool readCornell(const QByteArray &text, ImportedTable *table, QString *error, CoverScale scale = CoverScale::Percent)
{
    CornellFile file(scale);
    const bool ok = file.readData(text, QStringLiteral("t.cep"), table);
    *error = file.errorString();
    return ok;
}

} // namespace

TEST(FortranFormat, UnrollsRepeatsAndGroups)
{
    struct Case
    {
        const char *text;
        const char *fields; // nullptr: refused
    };
    const Case cases[] = {
        {"(I5,1X,2(I6,F5.1))", "I5 X I6 F5.1 I6 F5.1"},
        {"(I4,2(I4,F4.0))", "I4 I4 F4.0 I4 F4.0"},
        {" ( i3 , 2x , 2 ( 2 ( I2 ) , A8 ) ) ", "I3 X X I2 I2 A8 I2 I2 A8"},
        {"(I5,3X F6.2)", "I5 X X X F6.2"},
        {"(10A8)", "A8 A8 A8 A8 A8 A8 A8 A8 A8 A8"},
        {"(I3,E8.2)", "I3 F8.2"},
        {"(I3.2)", "I3"},
        {"(I5,1X,4(I6,F5.1)", nullptr},
        {"(I5,F5)", nullptr},
        {"(I5,G5.1)", nullptr},
        {"(I5,A)", nullptr},
        {"(I0)", nullptr},
        {"(,I5)", nullptr},
        {"(0(I5))", nullptr},
        {"(100000(100000(I1)))", nullptr},
        {"((((((((((((((((((I1))))))))))))))))))", nullptr},
        {"I5", nullptr},
    };
    for (const Case &c : cases) {
        FortranFormat format;
        QString error;
        const bool ok = format.parse(QString::fromUtf8(c.text), &error);
        if (!c.fields) {
            EXPECT_FALSE(ok) << c.text;
            EXPECT_FALSE(error.isEmpty()) << c.text;
            continue;
        }
        ASSERT_TRUE(ok) << c.text << ": " << error.toStdString();
        EXPECT_EQ(fieldsOf(format), QString::fromUtf8(c.fields)) << c.text;
    }
}

TEST(FortranFormat, NumbersAsFortranReadsThem)
{
    const FortranField f51{FortranField::Real, 5, 1};
    const FortranField i4{FortranField::Integer, 4, 0};
    struct Case
    {
        const char *field;
        FortranField format;
        const char *number; // nullptr: refused
    };
    const Case cases[] = {
        {"  123", f51, "12.3"}, {" 12.5", f51, "12.5"}, {"    5", f51, "0.5"},  {"   -5", f51, "-0.5"},
        {"     ", f51, ""},     {"  1.0", f51, "1.0"},  {"  12 ", i4, "12"},     {"1 2 ", i4, nullptr},
        {" 1.5", i4, nullptr},  {" ab ", i4, nullptr},  {"  - ", i4, nullptr},
    };
    for (const Case &c : cases) {
        QString number;
        QString why;
        const bool ok = fortranNumberText(QString::fromLatin1(c.field), c.format, &number, &why);
        EXPECT_EQ(ok, c.number != nullptr) << c.field;
        if (ok)
            EXPECT_EQ(number, QString::fromLatin1(c.number)) << c.field;
    }
}

TEST(CornellFile, ReadsTheCondensedFormat)
{
    // Three title lines, relevé 20 over two records, implied decimals, names in 10A8.
    const QByteArray text = "Dune meadows\r\n"
                            "second title\r\n"
                            "(I5,1X,2(I6,F5.1))\r\n"
                            "    2\r\n"
                            "   20      1 12.5     3  750\r\n"
                            "   20     11  0.5\r\n"
                            "    7      3  100     0  0.0\r\n"
                            "    0\r\n"
                            "Achimill        Bellpere                                                        \r\n"
                            "Carex sp\r\n"
                            "D20     \r\n"
                            "\r\n";
    ImportedTable t;
    QString error;
    ASSERT_TRUE(readCornell(text, &t, &error)) << error.toStdString();
    EXPECT_EQ(t.title, QStringLiteral("Dune meadows"));
    EXPECT_EQ(t.releveCount, 2);
    // The second relevé has no name: its number stands for it.
    EXPECT_EQ(t.itemValues[2], (std::vector<QString>{"D20", "7"}));
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0].name, QStringLiteral("Achimill"));
    EXPECT_EQ(t.rows[1].name, QStringLiteral("Bellpere"));
    EXPECT_EQ(t.rows[2].name, QStringLiteral("Carex sp"));
    ASSERT_EQ(t.rows[1].entries.size(), 2u);
    EXPECT_EQ(t.rows[1].entries[0].releve, 1);
    EXPECT_EQ(t.rows[1].entries[0].codes, (ByteDataSet{0, 0, 0, 0, 50, 0, 0}));  // 75 %
    EXPECT_EQ(t.rows[1].entries[1].codes, (ByteDataSet{0, 0, 0, 0, 20, 0, 0}));  // "  100" in F5.1: 10 %
    EXPECT_EQ(t.rows[0].entries[0].codes[CornellFile::Layer], 20);               // 12.5 %
    EXPECT_EQ(t.rows[2].entries[0].codes[CornellFile::Layer], 1);                // 0.5 %
}

TEST(CornellFile, CountOfCoupletsBesideTheFormat)
{
    const QByteArray text = "T\n(I4,3(I4,F4.0)) 3\n   1   1   3   2   9\n   0\nAa      Bb\nR1\n";
    ImportedTable t;
    QString error;
    ASSERT_TRUE(readCornell(text, &t, &error, CoverScale::Ordinal)) << error.toStdString();
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].entries[0].codes[CornellFile::Layer], 10); // 3 → 1
    EXPECT_EQ(t.rows[1].entries[0].codes[CornellFile::Layer], 50); // 9 → 5
    EXPECT_EQ(t.itemValues[2], (std::vector<QString>{"R1"}));
}

TEST(CornellFile, EveryFaultIsReportedWithItsLine)
{
    const char *const head = "Title\n(I5,1X,2(I6,F5.1))\n    2\n";
    struct Case
    {
        const char *name;
        QByteArray text;
        CoverScale scale;
        const char *place;
        const char *content;
    };
    const Case cases[] = {
        {"format that does not read", "Title\n(I5,1X,2(I6,F5.1)\n2\n", CoverScale::Percent, "2 行目", "閉じ括弧"},
        {"no format", "Title\nmore\n", CoverScale::Percent, "」には 1～4 行目に書式", ""},
        {"no couplet count", "Title\n(I5,1X,2(I6,F5.1))\n    1     1  1.0\n", CoverScale::Percent, "3 行目", "組"},
        {"format too short for the couplets", "Title\n(I5,1X,2(I6,F5.1))\n    3\n", CoverScale::Percent, "2 行目",
         "3 組"},
        {"couplet past the declared count", QByteArray(head) + "    1     1  1.0     2  1.0     3  1.0\n    0\nA       B       C\n",
         CoverScale::Percent, "4 行目", "2 組を超える組"},
        {"species without a name", QByteArray(head) + "    1     1  1.0     2  1.0\n    0\nA\n", CoverScale::Percent,
         "4 行目", "種番号 2 に名前がありません"},
        {"relevé number repeated", QByteArray(head) + "    1     1  1.0\n    2     2  1.0\n    1     2  1.0\n    0\nA       B\n",
         CoverScale::Percent, "6 行目", "4 行目にもあります"},
        {"species twice in a relevé", QByteArray(head) + "    1     1  1.0     1  2.0\n    0\nA\n", CoverScale::Percent,
         "4 行目", "二度"},
        {"value beyond the scale", QByteArray(head) + "    1     1 10.0\n    0\nA\n", CoverScale::Ordinal, "4 行目",
         "1～9"},
        {"negative value", QByteArray(head) + "    1     1 -1.0\n    0\nA\n", CoverScale::Percent, "4 行目", "負の値"},
        {"digits split by blanks", QByteArray(head) + "    1    1 1  1.0\n    0\nA\n", CoverScale::Percent, "4 行目",
         "空白で分かれて"},
        {"no end record", QByteArray(head) + "    1     1  1.0\n", CoverScale::Percent, "測定番号 0 の行", ""},
        {"a scale must be given", QByteArray(head), CoverScale::Codes, "尺度", ""},
    };
    for (const Case &c : cases) {
        ImportedTable t;
        t.title = QStringLiteral("unchanged");
        QString error;
        EXPECT_FALSE(readCornell(c.text, &t, &error, c.scale)) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.place))) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.content))) << c.name << ": " << error.toStdString();
        EXPECT_EQ(t.title, QStringLiteral("unchanged")) << c.name;
    }
}
