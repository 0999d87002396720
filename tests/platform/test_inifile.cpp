// The settings file as the Windows profile functions see it: defaults, names without regard to
// case, numbers and Booleans, and writes that change one line and keep the rest.
#include "platform/inifile.h"

#include "platform/cp932.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;
using Zelkor::Test::readBytes;
using Zelkor::Test::readLines;

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// A settings file as a user or an older version may have left it.
const QStringList kSample = {
    QStringLiteral("; settings of the table program"),
    QStringLiteral("[DataDir]"),
    QStringLiteral("Directory = c:\\Data\\Veg  "),
    QString(),
    QStringLiteral("[ Table ]"),
    u(u"FontName=ＭＳ 明朝"),
    QStringLiteral("FontSize= 12 "),
    QStringLiteral("Title=\"  Vegetation Table \""),
    QStringLiteral(";Hidden=1"),
    QString(),
    QStringLiteral("[Item]"),
    QStringLiteral("C02flg=1"),
    QStringLiteral("C03flg=0"),
    QStringLiteral("C04flg=2"),
    QStringLiteral("C05flg=abc"),
    QStringLiteral("Kaisou='T1T2S1S2H1H2 M'"),
    QStringLiteral("  Direction  =  -1"),
    QStringLiteral("Plus=+7"),
    QStringLiteral("Big=99999999999"),
    QStringLiteral("Empty="),
    QStringLiteral("Mixed=12abc"),
    QStringLiteral("Spaced=1 2"),
    u(u"Wide=１２"),
    u(u"Frame=\u3000植生調査\u3000"),
    QStringLiteral("Unmatched=\"abc"),
    QStringLiteral("Equals=a=b"),
    QStringLiteral("NoEqualsSign"),
    QStringLiteral("[Item]"),
    QStringLiteral("C02flg=0"),
};

} // namespace

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_name = m_dir.writeLines(QStringLiteral("zelkor.ini"), kSample);
        ASSERT_TRUE(m_ini.load(m_name)) << m_ini.errorString().toStdString();
    }

    TempDir m_dir;
    QString m_name;
    IniFile m_ini;
};

TEST(IniFileMissingTest, MissingFileGivesDefaults)
{
    TempDir dir;
    IniFile ini;
    EXPECT_TRUE(ini.load(dir.path(QStringLiteral("none.ini"))));
    EXPECT_TRUE(ini.errorString().isEmpty());
    EXPECT_EQ(ini.readString(QStringLiteral("DataDir"), QStringLiteral("Directory"), QStringLiteral("c:\\Data\\Veg")),
              QStringLiteral("c:\\Data\\Veg"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 9), 9);
    EXPECT_TRUE(ini.readBool(QStringLiteral("Item"), QStringLiteral("UseDataItem"), true));
    EXPECT_FALSE(ini.readBool(QStringLiteral("Item"), QStringLiteral("OneTime"), false));
}

TEST_F(IniFileTest, StringsWithoutRegardToCase)
{
    const struct { const char *section; const char *key; QString value; } cases[] = {
        {"DataDir", "Directory", QStringLiteral("c:\\Data\\Veg")},   // blanks trimmed
        {"datadir", "DIRECTORY", QStringLiteral("c:\\Data\\Veg")},
        {"TABLE", "fontname", u(u"ＭＳ 明朝")},                      // section name had blanks
        {"Table", "Title", QStringLiteral("  Vegetation Table ")},  // quotes removed, blanks inside kept
        {"Item", "Kaisou", QStringLiteral("T1T2S1S2H1H2 M")},       // single quotes too
        {"Item", "Direction", QStringLiteral("-1")},                // blanks around the key
        {"Item", "Empty", QString()},                               // present but empty: not the default
        {"Item", "Frame", u(u"\u3000植生調査\u3000")},              // ideographic spaces are not blanks
        {"Item", "Unmatched", QStringLiteral("\"abc")},
        {"Item", "Equals", QStringLiteral("a=b")},                  // the first "=" separates
        {"Item", "C02flg", QStringLiteral("1")},                    // the first of two sections counts
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(m_ini.readString(QLatin1String(c.section), QLatin1String(c.key), QStringLiteral("DEFAULT")), c.value);
    }
}

TEST_F(IniFileTest, MissingKeysGiveTheDefault)
{
    const struct { const char *section; const char *key; } cases[] = {
        {"DataDir", "FontName"},        // key of another section
        {"Table", "Hidden"},            // commented out
        {"Item", "NoEqualsSign"},       // not a key line
        {"Files", "SynDict"},           // no such section
        {"", "Directory"},
        {"DataDir", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(m_ini.readString(QLatin1String(c.section), QLatin1String(c.key), QStringLiteral("DEFAULT")),
                  QStringLiteral("DEFAULT"));
        EXPECT_EQ(m_ini.readInteger(QLatin1String(c.section), QLatin1String(c.key), 42), 42);
    }
}

TEST_F(IniFileTest, Integers)
{
    const struct { const char *section; const char *key; int value; } cases[] = {
        {"Table", "FontSize", 12},
        {"Item", "Direction", -1},
        {"Item", "Plus", 7},
        {"Item", "C04flg", 2},
        {"Item", "C05flg", -99},   // not a number
        {"Item", "Big", -99},      // out of range
        {"Item", "Empty", -99},
        {"Item", "Mixed", -99},
        {"Item", "Spaced", -99},
        {"Item", "Wide", -99},     // full-width digits are not a number
        {"Item", "Missing", -99},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(m_ini.readInteger(QLatin1String(c.section), QLatin1String(c.key), -99), c.value);
    }
}

TEST_F(IniFileTest, Booleans)
{
    const struct { const char *key; int value; } cases[] = {
        // value: 1 true, 0 false, -1 the default
        {"C02flg", 1}, {"C03flg", 0}, {"C04flg", 1}, {"Direction", 1},
        {"C05flg", -1}, {"Empty", -1}, {"Missing", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        for (bool def : {false, true}) {
            const bool expected = c.value < 0 ? def : c.value == 1;
            EXPECT_EQ(m_ini.readBool(QStringLiteral("Item"), QLatin1String(c.key), def), expected);
        }
    }
}

TEST_F(IniFileTest, LfOnlyFileReadsTheSame)
{
    QByteArray bytes;
    for (const QString &line : kSample) {
        QByteArray b;
        ASSERT_TRUE(Cp932::encode(line, &b));
        bytes += b + "\n";
    }
    IniFile lf;
    ASSERT_TRUE(lf.load(m_dir.writeBytes(QStringLiteral("lf.ini"), bytes)));
    for (const char *key : {"FontName", "FontSize", "Title"})
        EXPECT_EQ(lf.readString(QStringLiteral("Table"), QLatin1String(key), QString()),
                  m_ini.readString(QStringLiteral("Table"), QLatin1String(key), QString()));
    EXPECT_EQ(lf.readString(QStringLiteral("Item"), QStringLiteral("Frame"), QString()), u(u"\u3000植生調査\u3000"));
}

// Replacing values changes exactly their lines; new keys go to the end of their section,
// before the blank line; a new section goes to the end of the file.
TEST_F(IniFileTest, WritesChangeOnlyTheirLines)
{
    m_ini.writeInteger(QStringLiteral("table"), QStringLiteral("FONTSIZE"), 10);
    m_ini.writeString(QStringLiteral("DataDir"), QStringLiteral("directory"), QStringLiteral("d:\\veg"));
    m_ini.writeString(QStringLiteral("Table"), QStringLiteral("Title"), u(u"植生組成表"));
    m_ini.writeBool(QStringLiteral("Item"), QStringLiteral("C03flg"), true);
    m_ini.writeString(QStringLiteral("DataDir"), QStringLiteral("Extra"), QStringLiteral("x"));
    m_ini.writeBool(QStringLiteral("Files"), QStringLiteral("New"), false);
    ASSERT_TRUE(m_ini.save(m_name)) << m_ini.errorString().toStdString();

    QStringList expected = kSample;
    expected[2] = QStringLiteral("Directory=d:\\veg");
    expected.insert(3, QStringLiteral("Extra=x"));
    expected[7] = QStringLiteral("FontSize=10");   // the key keeps its spelling in the file
    expected[8] = u(u"Title=植生組成表");
    expected[13] = QStringLiteral("C03flg=1");
    expected << QStringLiteral("[Files]") << QStringLiteral("New=0");
    EXPECT_EQ(readLines(m_name), expected);

    IniFile again;
    ASSERT_TRUE(again.load(m_name));
    EXPECT_EQ(again.readInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 0), 10);
    EXPECT_EQ(again.readString(QStringLiteral("Table"), QStringLiteral("Title"), QString()), u(u"植生組成表"));
    EXPECT_TRUE(again.readBool(QStringLiteral("Item"), QStringLiteral("C03flg"), false));
    EXPECT_FALSE(again.readBool(QStringLiteral("Files"), QStringLiteral("New"), true));
    EXPECT_EQ(again.readString(QStringLiteral("DataDir"), QStringLiteral("Extra"), QString()), QStringLiteral("x"));
}

TEST_F(IniFileTest, UnchangedProfileSavesByteForByte)
{
    const QByteArray before = readBytes(m_name);
    const QString copy = m_dir.path(QStringLiteral("copy.ini"));
    ASSERT_TRUE(m_ini.save(copy));
    EXPECT_EQ(readBytes(copy), before);
}

TEST(IniFileSaveTest, SaveLoadRoundTripInCp932)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("zelkor.ini"));
    IniFile ini;
    ASSERT_TRUE(ini.load(name));
    ini.writeString(QStringLiteral("Table"), QStringLiteral("FontName"), u(u"ＭＳ 明朝"));
    ini.writeInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 9);
    ini.writeString(QStringLiteral("Item"), QStringLiteral("C01str"), u(u"\u3000調査面積（㎡）\u3000"));
    ini.writeInteger(QStringLiteral("WinSize"), QStringLiteral("Top"), -20);
    ASSERT_TRUE(ini.save(name)) << ini.errorString().toStdString();

    QByteArray font;
    QByteArray label;
    ASSERT_TRUE(Cp932::encode(u(u"ＭＳ 明朝"), &font));
    ASSERT_TRUE(Cp932::encode(u(u"\u3000調査面積（㎡）\u3000"), &label));
    const QByteArray expected = "[Table]\r\nFontName=" + font + "\r\nFontSize=9\r\n[Item]\r\nC01str=" + label
        + "\r\n[WinSize]\r\nTop=-20\r\n";
    EXPECT_EQ(readBytes(name).toHex(), expected.toHex());

    IniFile back;
    ASSERT_TRUE(back.load(name));
    EXPECT_EQ(back.readString(QStringLiteral("table"), QStringLiteral("fontname"), QString()), u(u"ＭＳ 明朝"));
    EXPECT_EQ(back.readString(QStringLiteral("Item"), QStringLiteral("C01str"), QString()),
              u(u"\u3000調査面積（㎡）\u3000"));
    EXPECT_EQ(back.readInteger(QStringLiteral("WinSize"), QStringLiteral("Top"), 0), -20);
}

// Values that the profile functions would change on reading are quoted so that they read
// back as written; a line break cannot start a new line in the file.
TEST(IniFileSaveTest, ValuesReadBackAsWritten)
{
    const struct { QString value; QString readBack; QString line; } cases[] = {
        {QStringLiteral("  lead"), QStringLiteral("  lead"), QStringLiteral("K=\"  lead\"")},
        {QStringLiteral("trail\t"), QStringLiteral("trail\t"), QStringLiteral("K=\"trail\t\"")},
        {QStringLiteral("\"q\""), QStringLiteral("\"q\""), QStringLiteral("K=\"\"q\"\"")},
        {QStringLiteral("'q'"), QStringLiteral("'q'"), QStringLiteral("K=\"'q'\"")},
        {QStringLiteral("\"open"), QStringLiteral("\"open"), QStringLiteral("K=\"open")},
        {QStringLiteral("a = b"), QStringLiteral("a = b"), QStringLiteral("K=a = b")},
        {QString(), QString(), QStringLiteral("K=")},
        {QStringLiteral("a\r\n[Evil]\nb"), QStringLiteral("a  [Evil] b"), QStringLiteral("K=a  [Evil] b")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        TempDir dir;
        const QString name = dir.path(QStringLiteral("v.ini"));
        IniFile ini;
        ini.writeString(QStringLiteral("S"), QStringLiteral("K"), c.value);
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("DEFAULT")), c.readBack);
        ASSERT_TRUE(ini.save(name));
        EXPECT_EQ(readLines(name), (QStringList{QStringLiteral("[S]"), c.line}));
        IniFile back;
        ASSERT_TRUE(back.load(name));
        EXPECT_EQ(back.readString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("DEFAULT")), c.readBack);
        EXPECT_EQ(back.readString(QStringLiteral("Evil"), QStringLiteral("K"), QStringLiteral("DEFAULT")),
                  QStringLiteral("DEFAULT"));
    }
}

TEST(IniFileSaveTest, UnwritableValueKeepsTheOldFile)
{
    TempDir dir;
    const QString name = dir.writeLines(QStringLiteral("zelkor.ini"), {QStringLiteral("[Table]"), QStringLiteral("Title=old")});
    const QByteArray before = readBytes(name);
    IniFile ini;
    ASSERT_TRUE(ini.load(name));
    ini.writeString(QStringLiteral("Table"), QStringLiteral("Title"), u(u"Vegetation € Table"));
    EXPECT_FALSE(ini.save(name));
    EXPECT_TRUE(ini.errorString().contains(u(u"2 行目")));
    EXPECT_TRUE(ini.errorString().contains(u(u"「€」")));
    EXPECT_EQ(readBytes(name), before);
}

TEST(IniFileLoadTest, UndecodableFileIsAnErrorAndEmpty)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("bad.ini"), "[Table]\r\nFontSize=10\r\nTitle=\x81\r\n");
    IniFile ini;
    ini.writeInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 12);
    EXPECT_FALSE(ini.load(name));
    EXPECT_TRUE(ini.errorString().contains(u(u"3 行目")));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 9), 9);
}

TEST(IniFileLoadTest, LoadReplacesTheEarlierProfile)
{
    TempDir dir;
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.writeLines(QStringLiteral("a.ini"), {QStringLiteral("[A]"), QStringLiteral("k=1")})));
    ASSERT_TRUE(ini.load(dir.writeLines(QStringLiteral("b.ini"), {QStringLiteral("[B]"), QStringLiteral("k=2")})));
    EXPECT_EQ(ini.readInteger(QStringLiteral("A"), QStringLiteral("k"), 0), 0);
    EXPECT_EQ(ini.readInteger(QStringLiteral("B"), QStringLiteral("k"), 0), 2);
    ASSERT_TRUE(ini.load(dir.path(QStringLiteral("missing.ini"))));
    EXPECT_EQ(ini.readInteger(QStringLiteral("B"), QStringLiteral("k"), 0), 0);
}
