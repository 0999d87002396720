// "表計算の表を読込む" and "Cornell 形式で出力する" as the menu runs them, without a window.
#include "database/cornellfile.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct WorkspaceImport : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};

    void SetUp() override { ws.document().clearTable(); }
};

} // namespace

TEST_F(WorkspaceImport, CsvReplacesTheTableAfterTheQuestions)
{
    const QString csv = Zelkor::Test::fixturePath(QStringLiteral("spreadsheet/layered-libreoffice.csv"));
    ui.answerFile(csv);
    ui.answerChoice(0); // the cover codes
    ws.tableImport().chooseAndImport();
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty()) << ui.unansweredQuestions().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(ui.log().contains(QStringLiteral("choice:値の読み方:升目の値を何として読みますか")));
    EXPECT_EQ(ws.model().relevesWithSpecies(), 3);
    EXPECT_EQ(ws.model().speciesCount(), 5);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("layered"));
    // Not saved anywhere yet: the table counts as changed and comes from no table file.
    EXPECT_TRUE(ws.isModified());
    EXPECT_TRUE(ws.document().tableFilePath().isEmpty());

    // A faulty file is reported; the table stays.
    const QString bad = dir.writeBytes(QStringLiteral("bad.csv"), "識別記号,,A\nSp,H1,9\n");
    ui.answerYes();  // save the changed table? → the save dialog
    ui.answerFile(QString());
    ws.tableImport().chooseAndImport();
    EXPECT_EQ(ws.model().speciesCount(), 5); // the cancelled save keeps the table and stops
    ui.clearLog();
    ui.answerNo(); // do not save
    ui.answerFile(bad);
    ui.answerChoice(0);
    ws.tableImport().chooseAndImport();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains(QStringLiteral("2 行目、3 列目（C 列）"))) << ui.messages().front().toStdString();
    EXPECT_EQ(ws.model().speciesCount(), 5);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("layered"));

    // A cancelled choice imports nothing.
    ui.answerNo();
    ui.answerFile(bad);
    ui.cancelChoice();
    ws.tableImport().chooseAndImport();
    EXPECT_EQ(ui.messages().size(), 1);
}

TEST_F(WorkspaceImport, CornellOutputOfThePanelAndBackByItsExtension)
{
    ASSERT_TRUE(ws.tableImport().importFile(Zelkor::Test::fixturePath(QStringLiteral("spreadsheet/layered-libreoffice.csv")),
                                            CoverScale::Codes));
    OutputPanel &panel = ws.outputPanel();
    ASSERT_TRUE(panel.hasOutput(OutputPanel::Cornell));
    panel.openForOutput(OutputPanel::Cornell);
    EXPECT_TRUE(panel.methodEnabled());
    EXPECT_FALSE(panel.directionEnabled());
    EXPECT_FALSE(panel.itemEnabled(2));

    // Conversion 5 is refused before a file is asked for.
    panel.setMethod(5);
    panel.confirm();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains(QStringLiteral("無変・最大")));
    EXPECT_EQ(ui.pendingAnswers(), 0);

    const QString cep = dir.path(QStringLiteral("layered.cep"));
    panel.openForOutput(OutputPanel::Cornell);
    panel.setMethod(4);
    ui.answerFile(cep);
    panel.confirm();
    ASSERT_TRUE(QFileInfo::exists(cep));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("layered.cep"));

    // Mid-points in per mille are no percentages: read so, 625 is refused with its line.
    ui.answerNo(); // the imported table is not saved
    ui.answerFile(cep);
    ui.answerChoice(0); // percent, the first offered for a Cornell file
    ws.tableImport().chooseAndImport();
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_TRUE(ui.messages().back().contains(QStringLiteral("4 行目: 1 組目（種番号 1）の値 625.0: 百分率が 100 を超えています")))
        << ui.messages().back().toStdString();

    panel.openForOutput(OutputPanel::Cornell);
    panel.setMethod(3);
    ui.answerFile(cep);
    ui.answerYes(); // replace the file
    panel.confirm();
    ui.answerNo();
    ui.answerFile(cep);
    ui.answerChoice(2); // the cover classes
    ws.tableImport().chooseAndImport();
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty()) << ui.unansweredQuestions().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ws.model().speciesCount(), 5);
    // The highest class of コナラ in relevé 1 (T1 4) comes back in H1.
    const TableModel &m = ws.model();
    EXPECT_EQ(m.coverData().at(m.releveIndexAt(TableModel::releveColumn(1)), m.speciesIndexAt(m.speciesRow(1)))[CornellFile::Layer],
              40);
    EXPECT_EQ(m.grid().cell(TableModel::releveColumn(2), TableModel::LabelRow), QStringLiteral("K02"));
}
