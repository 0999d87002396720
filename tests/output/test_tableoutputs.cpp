// The outputs the output panel runs: the text file, the workbook and the two prints, their
// dialogs, work messages and failures, and the routing of "出力する".
#include "output/tableoutputs.h"

#include "output/printcapture.h"
#include "output/sampletable.h"
#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "output/tabletextfile.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::capturingPrinter;
using Zelkor::Test::layer;
using Zelkor::Test::PrintCapture;
using Zelkor::Test::SampleTable;

namespace {

// The text output run from the output panel of a workspace holding a small table.
struct TextOutputTest : ::testing::Test
{
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    Zelkor::Test::TempDir dir;

    void SetUp() override
    {
        SampleTable t{2, 30};
        t.setReleves(3);
        t.setItem(1, 2, QStringLiteral("A1"));
        t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {3, layer(5, 23)}});
        t.addSpecies(QStringLiteral("a comment"));
        t.finish();
        ws.model() = t.model;
        ws.items() = t.items;
        ws.setTableTitle(QStringLiteral("Dunes"));
        ws.model().setModified(false);
    }

    void output(const QString &title)
    {
        ws.outputPanel().openForOutput(OutputPanel::TextFile);
        ws.outputPanel().setTitleText(title);
        ws.outputPanel().confirm();
    }
};

} // namespace

TEST_F(TextOutputTest, PanelWritesTheLayoutUnderTheNewTitle)
{
    const QString path = dir.path(QStringLiteral("out.txt"));
    ui.answerFile(path);
    output(QStringLiteral("Dune meadows"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Dune meadows.txt"));
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("組成表テキストファイル(*.txt)|*.txt"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表をテキスト出力しています　|")));
    EXPECT_TRUE(ws.isModified()); // the new title goes with the table

    // The same lines as the layout writes for the whole table.
    TableLayoutOptions options = ws.tableOutputs().layoutOptions(OutputRange{1, 3, 1, 2});
    EXPECT_EQ(options.title, QStringLiteral("Dune meadows"));
    const QString expected = dir.path(QStringLiteral("expected.txt"));
    TableTextFile file;
    ASSERT_TRUE(file.write(TableLayout(ws.model(), ws.items(), options), 1, 2, expected));
    EXPECT_EQ(Zelkor::Test::readBytes(path), Zelkor::Test::readBytes(expected));
    EXPECT_TRUE(Zelkor::Test::readLines(path).contains(QStringLiteral("a comment")));
}

TEST_F(TextOutputTest, DeclinedOrFailedOutputsLeaveTheOldFile)
{
    const QString path = dir.writeBytes(QStringLiteral("old.txt"), "old");
    ui.answerFile(path);
    ui.answerNo(); // "同名のファイルが存在します。書き換えますか？" → Abort
    output(QStringLiteral("Dunes"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("yesabort:同名のファイルが存在します。書き換えますか？")));
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
    EXPECT_FALSE(ws.isModified());

    // A comment that has no Shift-JIS form cannot be written: the old file stays, the user is told.
    ws.model().grid().setCell(2, ws.model().headerRows() + 2, QStringLiteral("a 🌿 comment"));
    ui.answerFile(path);
    ui.answerYes();
    output(QStringLiteral("Dunes"));
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.messages().constLast().startsWith(QStringLiteral("組成表をテキスト出力できませんでした。")));
}

TEST_F(TextOutputTest, NoOutputReplacesAFileInUse)
{
    // The dictionary in use, chosen as the text file by mistake, stays as it was.
    const QString dic = dir.writeLines(QStringLiteral("names.dic"), {QStringLiteral("Poa,Poa annua")});
    ASSERT_TRUE(ws.session().loadDictionary(dic));
    ws.settings().dictFileName = dic;
    const QByteArray before = Zelkor::Test::readBytes(dic);
    ui.clearLog();
    QDir(dir.path()).mkdir(QStringLiteral("sub")); // another spelling of the same file
    ui.answerFile(dir.path(QStringLiteral("sub/../names.dic")));
    output(QStringLiteral("Dunes"));
    EXPECT_EQ(Zelkor::Test::readBytes(dic), before);
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("work:")));
}

namespace {

const QString kOverwrite = QStringLiteral("同名のファイルが存在します。書き換えますか？");
const QString kWorkbookWork = QStringLiteral("　エクセル形式データに変換中　");

struct TableOutputsTest : ::testing::Test
{
    SampleTable t{2, 30};
    Settings settings;
    QString title = QStringLiteral("Dunes");
    ScriptedUserInterface ui;
    TableOutputs outputs{t.model, t.items, settings, &title, ui};
    Zelkor::Test::TempDir dir;
    const OutputRange range{1, 3, 1, 2};

    void SetUp() override
    {
        t.setReleves(3);
        t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {2, layer(5, 23)}});
        t.addSpecies(QStringLiteral("Carex nervata"), {{3, layer(7, 1)}});
        t.finish();
    }
};

} // namespace

TEST_F(TableOutputsTest, WorkbookAsksForAnXlsxFileAndShowsItsProgress)
{
    const QString path = dir.path(QStringLiteral("Dunes.xlsx"));
    ui.answerFile(path);
    ASSERT_TRUE(outputs.outputWorkbook(range));

    const FileDialogRequest &request = ui.lastFileRequest();
    EXPECT_EQ(request.selectedFilter(), QStringLiteral("エクセル・ファイル(*.xlsx)|*.xlsx"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral(".xlsx"));
    EXPECT_EQ(request.fileName, QStringLiteral("Dunes.xlsx"));
    // Three blanks first, then the header items' numbers and the rows written.
    const QStringList log = ui.log();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[1], QStringLiteral("work:") + kWorkbookWork + QStringLiteral("|   "));
    EXPECT_TRUE(log.contains(QStringLiteral("work:") + kWorkbookWork + QStringLiteral("|2")));
    EXPECT_TRUE(log.contains(QStringLiteral("work:") + kWorkbookWork + QStringLiteral("|6")));
    EXPECT_EQ(log.last(), QStringLiteral("work-closed"));
    EXPECT_EQ(Zelkor::Test::readWorkbookCells(path).value("A1").toObject().value("value"), QJsonValue("Dunes"));
    EXPECT_FALSE(t.model.isModified());
}

TEST_F(TableOutputsTest, CancelledWorkbookLeavesTheOldFileAndNoOther)
{
    const QString existing = dir.writeBytes(QStringLiteral("old.xlsx"), "the old workbook");
    ui.answerFile(existing);
    ui.answerYes();
    ui.cancelWorkAt(1);
    EXPECT_FALSE(outputs.outputWorkbook(range));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("cancel")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("work-closed"));
    EXPECT_TRUE(ui.messages().isEmpty()); // cancelling is no failure to report
    EXPECT_EQ(Zelkor::Test::readBytes(existing), QByteArray("the old workbook"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("old.xlsx")});
}

TEST_F(TableOutputsTest, WorkbookDeclinedOrFailedLeavesTheOldFile)
{
    const QString existing = dir.writeBytes(QStringLiteral("old.xlsx"), "the old workbook");
    // Cancelled dialog, then Abort on the overwrite question: nothing written, nothing shown.
    ui.answerFile(QString());
    EXPECT_FALSE(outputs.outputWorkbook(range));
    ui.answerFile(existing);
    ui.answerNo();
    EXPECT_FALSE(outputs.outputWorkbook(range));
    EXPECT_EQ(ui.log(), (QStringList{QStringLiteral("save:"), QStringLiteral("save:"), QStringLiteral("yesabort:") + kOverwrite}));

    // A range beyond the sheet's columns: the failure message, and the old file kept.
    ui.clearLog();
    ui.answerFile(existing);
    ui.answerYes();
    EXPECT_FALSE(outputs.outputWorkbook(OutputRange{1, 20000, 1, 2}));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　MS Excelへ書き込めませんでした　|")));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].startsWith(QStringLiteral("MS Excelへ書き込めませんでした\n")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("work-closed"));
    EXPECT_EQ(Zelkor::Test::readBytes(existing), QByteArray("the old workbook"));
}

TEST_F(TableOutputsTest, PrintsGoToThePrinterTheDialogChose)
{
    settings.printFont = FontSpec{QStringLiteral("ＭＳ ゴシック"), 10};
    struct Case
    {
        const char *name;
        bool (TableOutputs::*command)(const OutputRange &);
        QString work;
        int allowance;
    };
    const Case cases[] = {
        {"full print", &TableOutputs::printTable, QStringLiteral("　組成表を印刷しています　"), 32},
        {"simplified print", &TableOutputs::printSimpleTable, QStringLiteral("　組成表の簡易印刷をしています　"), 96},
    };
    TableLayoutOptions options = outputs.layoutOptions(range);
    for (const Case &c : cases) {
        ui.clearLog();
        PrintCapture capture;
        ui.answerPrinter(capturingPrinter(&capture)); // 4800 pixels wide, 24 a character
        ASSERT_TRUE((outputs.*c.command)(range)) << c.name;
        // The work message follows the pages of the layout: one here.
        EXPECT_EQ(ui.log(), (QStringList{QStringLiteral("print"), QStringLiteral("work:") + c.work + QLatin1Char('|'),
                                         QStringLiteral("work:") + c.work + QStringLiteral("|1"),
                                         QStringLiteral("work-closed")}))
            << c.name;
        EXPECT_EQ(ui.lastPrintDocument(), title) << c.name; // the job's name, and the PDF's
        EXPECT_EQ(capture.font, settings.printFont) << c.name;
        EXPECT_EQ(capture.fontHeight, -83) << c.name;  // 10 points at 600 pixels per inch
        LineListSink expected;
        if (c.command == &TableOutputs::printTable)
            TableLayout(t.model, t.items, options).printTable(expected, c.allowance, 1, 2);
        else
            SimpleTableLayout(t.model, t.items, options).printTable(expected, c.allowance);
        EXPECT_EQ(capture.lines, expected.lines()) << c.name;
        EXPECT_TRUE(capture.closed) << c.name;
    }
}

TEST_F(TableOutputsTest, CancelledOrFailedPrint)
{
    ui.cancelPrinter();
    EXPECT_FALSE(outputs.printTable(range));
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("print")});

    ui.clearLog();
    PrintCapture capture;
    auto printer = std::make_unique<Zelkor::Test::CapturingPrinterStream>(&capture, 4800, 24);
    printer->failToOpen();
    ui.answerPrinter(std::move(printer));
    EXPECT_FALSE(outputs.printSimpleTable(range));
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("組成表を印刷できませんでした。\nプリンターがありません")});
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work-closed")));
    EXPECT_TRUE(capture.lines.isEmpty());
}

TEST(TableOutputsInWorkspace, OutputButtonRunsTheWorkbookAndThePrints)
{
    // A table file loaded into the workspace, then each output through the panel.
    SampleTable t{2, 30};
    t.setReleves(2);
    t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {2, layer(5, 23)}});
    t.finish();
    Zelkor::Test::TempDir dir;
    const QString table = dir.path(QStringLiteral("dunes.vtb"));
    ASSERT_TRUE(TableFile().write(t.model, QStringLiteral("Dunes"), table));

    ScriptedUserInterface ui;
    Workspace ws(&ui);
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    ASSERT_TRUE(ws.tableFile().loadTable(table));
    for (int mode : {OutputPanel::ExcelFile, OutputPanel::PrintTable, OutputPanel::PrintKanni})
        EXPECT_TRUE(ws.outputPanel().hasOutput(mode)) << mode;

    const QString workbook = dir.path(QStringLiteral("Dunes.xlsx"));
    ui.answerFile(workbook);
    ws.outputPanel().openForOutput(OutputPanel::ExcelFile);
    ws.outputPanel().confirm();
    EXPECT_EQ(Zelkor::Test::readWorkbookCells(workbook).value("A5").toObject().value("value"), QJsonValue("Poa annua"));

    PrintCapture full;
    PrintCapture simple;
    ui.answerPrinter(capturingPrinter(&full));
    ws.outputPanel().openForOutput(OutputPanel::PrintTable);
    ws.outputPanel().confirm();
    ui.answerPrinter(capturingPrinter(&simple));
    ws.outputPanel().openForOutput(OutputPanel::PrintKanni);
    ws.outputPanel().confirm();
    ASSERT_GT(full.lines.size(), 6);
    EXPECT_EQ(full.lines[1], QStringLiteral("Dunes"));
    EXPECT_TRUE(full.lines.contains(QStringLiteral("Poa annua") + QString(19, QLatin1Char(' '))
                                    + QStringLiteral(" H1:   1   2.3")));
    EXPECT_TRUE(simple.lines.contains(QStringLiteral("Poa annua") + QString(23, QLatin1Char(' ')) + QStringLiteral(" 1 2")));
    EXPECT_FALSE(ws.isModified());
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty()) << ui.unansweredQuestions().join(QLatin1Char(';')).toStdString();
}
