#include "analysis/constancytable.h"
#include "analysis/freqtablecommands.h"
#include "analysis/sampletable.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct FreqTableCommandsTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    FreqTableModel model;
    FreqTableCommands commands{&model, &ui};

    void SetUp() override
    {
        TableModel table;
        Zelkor::Test::fillTable(&table, {QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua")},
                                {{QStringLiteral("  1 "), QStringLiteral(" +  ")}, {}, {QStringLiteral("  2 ")}});
        ConstancyTable::build(table, ConstancyOptions{}, QStringLiteral("砂丘/常在度表"), &model);
        commands.setDate(QDate(2024, 6, 1));
    }
};

} // namespace

TEST_F(FreqTableCommandsTest, SaveDialogsAndTheOverwriteQuestion)
{
    struct Case { const char *name; bool (FreqTableCommands::*command)(); QString filter; QString extension; };
    const Case cases[] = {
        {"text", &FreqTableCommands::writeTextFile, QStringLiteral("テキストで保存 (*.txt)|*.txt"), QStringLiteral(".txt")},
        {"csv", &FreqTableCommands::writeCsvFile, QStringLiteral("CSVファイルで保存 (*.csv)|*.csv"), QStringLiteral(".csv")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.path(QStringLiteral("out") + c.extension);
        // Cancel writes nothing.
        ui.answerFile(QString());
        EXPECT_FALSE((commands.*c.command)());
        EXPECT_FALSE(QFileInfo::exists(path));
        const FileDialogRequest &request = ui.lastFileRequest();
        EXPECT_EQ(request.selectedFilter(), c.filter);
        EXPECT_EQ(request.defaultExtension, c.extension);
        // The caption proposes the name; a slash in it would name a folder.
        EXPECT_EQ(request.fileName, QStringLiteral("砂丘_常在度表") + c.extension);

        ui.answerFile(path);
        EXPECT_TRUE((commands.*c.command)());
        const QByteArray written = Zelkor::Test::readBytes(path);
        EXPECT_FALSE(written.isEmpty());

        // Abort keeps the file; Yes replaces it.
        dir.writeBytes(QFileInfo(path).fileName(), "old");
        ui.answerFile(path);
        ui.answerNo();
        EXPECT_FALSE((commands.*c.command)());
        EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
        ui.answerFile(path);
        ui.answerYes();
        EXPECT_TRUE((commands.*c.command)());
        EXPECT_EQ(Zelkor::Test::readBytes(path), written);
    }
    EXPECT_EQ(ui.log().filter(QStringLiteral("yesabort:")),
              QStringList(4, QStringLiteral("yesabort:同名のファイルが存在します。書き換えますか？")));
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty());
}

TEST_F(FreqTableCommandsTest, OpenDialogsAndFailedReads)
{
    // Text: the text type, "*.txt"; CSV: the CSV type, "*.csv", titled "組成表の読込".
    ui.answerFile(QString());
    EXPECT_FALSE(commands.readTextFile());
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("テキスト形式 (*.txt)|*.txt"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("*.txt"));
    ui.answerFile(QString());
    EXPECT_FALSE(commands.readCsvFile());
    EXPECT_EQ(ui.lastFileRequest().title, QStringLiteral("組成表の読込"));
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("CSV常在度表 (*.csv)|*.csv"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("*.csv"));

    const QString clip = model.clipboardText();
    const QString bad = dir.writeBytes(QStringLiteral("bad.txt"), "title only\r\n");
    for (bool (FreqTableCommands::*command)() : {&FreqTableCommands::readTextFile, &FreqTableCommands::readCsvFile}) {
        ui.clearLog();
        ui.answerFile(bad);
        EXPECT_FALSE((commands.*command)());
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_EQ(model.clipboardText(), clip);
    }
}

TEST_F(FreqTableCommandsTest, TextAndCsvFilesBackIntoTheWindow)
{
    const QString text = dir.path(QStringLiteral("t.txt"));
    const QString csv = dir.path(QStringLiteral("t.csv"));
    ui.answerFile(text);
    ASSERT_TRUE(commands.writeTextFile());
    EXPECT_EQ(Zelkor::Test::readLines(text).mid(1, 2),
              (QStringList{QLocale::system().toString(QDate(2024, 6, 1), QLocale::ShortFormat), QStringLiteral("砂丘/常在度表")}));
    ui.answerFile(csv);
    ASSERT_TRUE(commands.writeCsvFile());

    const QString clip = model.clipboardText();
    const int cols = model.grid().colCount();
    ui.answerFile(text);
    ASSERT_TRUE(commands.readTextFile());
    EXPECT_EQ(model.grid().colCount(), 2 * cols - 1);
    ui.answerFile(csv);
    model.setCaption(QStringLiteral("changed"));
    ASSERT_TRUE(commands.readCsvFile());
    EXPECT_EQ(model.clipboardText(), clip);
    EXPECT_EQ(model.caption(), QStringLiteral("砂丘/常在度表"));
}

TEST_F(FreqTableCommandsTest, FontCommand)
{
    const auto width = [](const FontSpec &, const QString &text) { return 10 * int(text.size()); };
    ui.cancelFont();
    commands.chooseFont(width);
    EXPECT_EQ(model.font().name, QStringLiteral("ＭＳ 明朝"));
    // Cancelled or not, the sizes follow the font: the first species row's cells are "１ 1"
    // and "１ 2", three characters.
    EXPECT_EQ(model.grid().defaultColWidth(), 35);
    EXPECT_EQ(model.grid().colWidth(0), 180);

    ui.answerFont(FontSpec{QStringLiteral("IPAGothic"), 14});
    commands.chooseFont(width);
    EXPECT_EQ(model.font(), (FontSpec{QStringLiteral("IPAGothic"), 14}));
    EXPECT_EQ(model.grid().defaultRowHeight(), 21);
    EXPECT_EQ(model.grid().colWidth(0), 280);
}
