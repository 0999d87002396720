#include "platform/cp932.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

TEST(Settings, NoSettingsFileGivesTheDefaults)
{
    TempDir dir;
    Settings s;
    HeaderItems items;
    s.cvMethod = 5; // proves the read sets it back
    items[4].layout = true;
    ASSERT_TRUE(readIniFile(dir.path("missing.ini"), &s, &items));

    EXPECT_EQ(s.tableFont.name, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(s.tableFont.pointSize, 9);
    EXPECT_EQ(s.printFont, s.tableFont);
    EXPECT_EQ(s.winWidth, 800);
    EXPECT_EQ(s.winHeight, 600);
    EXPECT_EQ(s.winTop, 50);
    EXPECT_EQ(s.winLeft, 50);
    EXPECT_EQ(s.cvMethod, 1);
    EXPECT_EQ(s.direction, 0);
    EXPECT_TRUE(s.useDataItem);
    EXPECT_FALSE(s.frequency);
    EXPECT_EQ(s.dataDirectory, QStringLiteral("c:\\Data\\Veg"));
    EXPECT_EQ(s.dataFileName, QStringLiteral("NoFile.zki"));
    EXPECT_EQ(s.dictFileName, QStringLiteral("SynDict.dic"));
    EXPECT_EQ(s.title, QStringLiteral("Vegetation Table"));
    EXPECT_EQ(s.layerNames, QStringLiteral("T1T2S1S2H1H2 M"));

    const int inLayout[] = {1, 2, 3, 8, 9, 10, 11, 12, 15, 16, 17, 18, 20, 23, 24, 25, 27, 30};
    EXPECT_EQ(items.layoutCount(), 18);
    for (int n : inLayout)
        EXPECT_TRUE(items[n].layout) << n;

    TableModel model;
    model.clearTable(items);
    EXPECT_EQ(model.headerRows(), 19);
}

TEST(Settings, ItemOneStaysInTheLayoutAndKaisouIsCut)
{
    TempDir dir;
    const QString ini = dir.writeLines(QStringLiteral("z.ini"),
                                       {QStringLiteral("[Item]"), QStringLiteral("C01flg=0"),
                                        QStringLiteral("C02flg=0"), QStringLiteral("C04flg=1"),
                                        QStringLiteral("Kaisou=AABBCCDDEEFFGGHHII"),
                                        QStringLiteral("[Table]"), QStringLiteral("FontSize=abc")});
    Settings s;
    HeaderItems items;
    ASSERT_TRUE(readIniFile(ini, &s, &items));
    EXPECT_TRUE(items[1].layout);
    EXPECT_FALSE(items[2].layout);
    EXPECT_TRUE(items[4].layout);
    EXPECT_EQ(s.layerNames, QStringLiteral("AABBCCDDEEFFGG"));
    EXPECT_EQ(s.tableFont.pointSize, 9); // not a number: the default
}

TEST(Settings, KaisouIsCutByBytesNotCharacters)
{
    TempDir dir;
    // Full-width letters take two bytes each: seven of them fill the 14 bytes.
    const QString ini = dir.writeLines(QStringLiteral("z.ini"),
                                       {QStringLiteral("[Item]"), QStringLiteral("Kaisou=高高亜亜低低草草")});
    Settings s;
    HeaderItems items;
    readIniFile(ini, &s, &items);
    EXPECT_EQ(s.layerNames, QStringLiteral("高高亜亜低低草"));
}

TEST(Settings, WrittenFileReadsBackToTheSameState)
{
    TempDir dir;
    Settings s;
    HeaderItems items;
    s.dataDirectory = QStringLiteral("/data/植生");
    s.dataFileName = QStringLiteral("/data/植生/関東.zki");
    s.dictFileName = QStringLiteral("/data/dict/異名.dic");
    s.tableFont = FontSpec{QStringLiteral("ＭＳ ゴシック"), 11};
    s.title = QStringLiteral("調査面積（㎡）～Ⅹ");
    s.layerNames = QStringLiteral("A1A2B1B2C1C2 D");
    s.frequency = true;
    s.oneTime = true;
    s.useDataItem = false;
    s.direction = 1;
    s.cvMethod = 6;
    s.winTop = 11;
    s.winLeft = 22;
    s.winHeight = 333;
    s.winWidth = 444;
    s.csvEncoding = TextEncoding::Utf8;
    items[4].layout = true;
    items[30].layout = false;
    items[9].label = QStringLiteral("傾斜　方位");

    const QString ini = dir.path(QStringLiteral("zelkor.ini"));
    ASSERT_TRUE(writeIniFile(ini, s, items));

    Settings back;
    HeaderItems backItems;
    ASSERT_TRUE(readIniFile(ini, &back, &backItems));
    EXPECT_EQ(back.dataDirectory, s.dataDirectory);
    // The data file travels without its folder; start-up joins it to the data folder.
    EXPECT_EQ(back.dataFileName, QStringLiteral("関東.zki"));
    EXPECT_EQ(back.dictFileName, s.dictFileName);
    EXPECT_EQ(back.tableFont, s.tableFont);
    EXPECT_EQ(back.title, s.title);
    EXPECT_EQ(back.layerNames, s.layerNames);
    EXPECT_EQ(back.frequency, s.frequency);
    EXPECT_EQ(back.oneTime, s.oneTime);
    EXPECT_EQ(back.useDataItem, s.useDataItem);
    EXPECT_EQ(back.direction, s.direction);
    EXPECT_EQ(back.cvMethod, s.cvMethod);
    EXPECT_EQ(back.winTop, 11);
    EXPECT_EQ(back.winLeft, 22);
    EXPECT_EQ(back.winHeight, 333);
    EXPECT_EQ(back.winWidth, 444);
    EXPECT_EQ(back.csvEncoding, TextEncoding::Utf8);
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        EXPECT_EQ(backItems[n].layout, items[n].layout) << n;
        EXPECT_EQ(backItems[n].label, items[n].label) << n;
    }

    // The file is CP932 with CR LF ends, and item 1's flag is written though never read.
    const QByteArray bytes = Zelkor::Test::readBytes(ini);
    EXPECT_TRUE(bytes.contains("C01flg=1\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n"));
    QByteArray label;
    ASSERT_TRUE(Cp932::encode(QStringLiteral("調査面積（㎡）"), &label));
    EXPECT_TRUE(bytes.contains("C15str=" + label + "\r\n"));
}

TEST(Settings, ReadsAJapaneseCp932File)
{
    TempDir dir;
    // Written byte by byte: "C03str=調査地名" and "Title=植生　表" in CP932, LF-only line ends.
    QByteArray bytes = "[item]\nc03STR=\x92\xb2\x8d\xb8\x92\x6e\x96\xbc\n[TABLE]\ntitle=\x90\x41\x90\xb6\x81\x40\x95\x5c\n";
    const QString ini = dir.writeBytes(QStringLiteral("z.ini"), bytes);
    Settings s;
    HeaderItems items;
    ASSERT_TRUE(readIniFile(ini, &s, &items));
    EXPECT_EQ(items[3].label, QStringLiteral("調査地名"));
    EXPECT_EQ(s.title, QStringLiteral("植生　表"));
}

TEST(Settings, WriteKeepsOtherKeysAndFailureKeepsTheOldFile)
{
    TempDir dir;
    const QString ini = dir.writeLines(QStringLiteral("z.ini"),
                                       {QStringLiteral("[Other]"), QStringLiteral("Key=value")});
    Settings s;
    HeaderItems items;
    ASSERT_TRUE(writeIniFile(ini, s, items));
    const QByteArray written = Zelkor::Test::readBytes(ini);
    EXPECT_TRUE(written.contains("[Other]\r\nKey=value\r\n"));

    // A settings path whose folder does not exist cannot be written; nothing is created.
    QString error;
    EXPECT_FALSE(writeIniFile(dir.path(QStringLiteral("no/such/dir/z.ini")), s, items, &error));
    EXPECT_FALSE(error.isEmpty());
}
