// The main window, offscreen: the empty table as laid out at start, title, status bar, menu,
// quit and close, web help, data check, fonts and dropped files.
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "platform/versioninfo.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct MainWindowTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};

    QString ownIni() const { return dir.path(QStringLiteral("zelkor.ini")); }

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ui.clearLog();
    }

    const CellGrid &cells() const { return *window.grid()->grid(); }
    QString cell(int c, int r) const { return cells().cell(c, r); }
};

TEST_F(MainWindowTest, ShowsTheEmptyTableLaidOutFromTheHeaderItems)
{
    ASSERT_EQ(window.grid()->grid(), &ws.model().grid());
    EXPECT_EQ(cells().rowCount(), 159);
    EXPECT_EQ(cells().colCount(), 27);
    EXPECT_EQ(cells().fixedCols(), 4);
    EXPECT_EQ(cells().fixedRows(), 20);
    // Header labels, running numbers of the relevés and species, the species-number row.
    EXPECT_EQ(cell(2, 1), QStringLiteral("表番号"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("1"));
    EXPECT_EQ(cell(3, 1), QString());
    EXPECT_EQ(cell(4, 1), QStringLiteral("   1"));
    EXPECT_EQ(cell(26, 1), QStringLiteral("  23"));
    EXPECT_EQ(cell(1, 20), QStringLiteral("   1"));
    EXPECT_EQ(cell(1, 146), QStringLiteral(" 127"));
    EXPECT_EQ(cell(3, 19), QStringLiteral("F＼N"));
    EXPECT_EQ(cell(2, 19), QStringLiteral("（現実の種数）"));
    // The hidden index row and column are one pixel, the name column seven columns wide.
    EXPECT_EQ(window.grid()->cellRect(0, 5).width(), 1);
    EXPECT_EQ(window.grid()->cellRect(2, 0).height(), 1);
    EXPECT_EQ(window.grid()->cellRect(2, 5).width(), 7 * cells().defaultColWidth());
    // The current cell lies outside the fixed area.
    EXPECT_EQ(window.grid()->currentCol(), 4);
    EXPECT_EQ(window.grid()->currentRow(), 20);
}

TEST_F(MainWindowTest, PaintsTheSearchMarksWithTheAndTint)
{
    ws.model().addSearchHit(5, 22);
    ws.document().reNewTable();
    GridWidget *grid = window.grid();
    QImage image(grid->viewport()->size(), QImage::Format_RGB32);
    {
        QPainter p(&image);
        grid->paintGrid(p, image.rect());
    }
    EXPECT_EQ(image.pixelColor(grid->cellRect(5, 22).center()), QColor(134, 255, 128));
    EXPECT_EQ(image.pixelColor(grid->cellRect(6, 22).center()), QColor(255, 255, 208));
    // The species-number row is fixed: its pale yellow tint leaves yellow yellow.
    EXPECT_EQ(image.pixelColor(grid->cellRect(5, 19).center()), QColor(255, 255, 0));
}

TEST_F(MainWindowTest, TitleShowsTheFileItsUnsavedMarkTheTableTitleAndTheProgram)
{
    const QString program = QStringLiteral(" - Zelkor ") + programVersion();
    EXPECT_FALSE(programVersion().isEmpty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("無題[*]") + program);
    ws.setTableTitle(QStringLiteral("Vegetation Table"));
    ws.document().setTableFilePath(QStringLiteral("/data/tables/hakone.vtb"));
    ws.model().setModified(true);
    Q_EMIT ws.document().statusChanged();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("hakone.vtb[*]（Vegetation Table）") + program);
    EXPECT_EQ(window.windowFilePath(), QStringLiteral("/data/tables/hakone.vtb"));
    EXPECT_TRUE(window.isWindowModified());
    // A change of the table alone shows the mark too; saving takes it away.
    ws.model().setModified(false);
    Q_EMIT ws.document().statusChanged();
    EXPECT_FALSE(window.isWindowModified());
    ws.model().setModified(true);
    Q_EMIT ws.document().tableChanged();
    EXPECT_TRUE(window.isWindowModified());
}

TEST_F(MainWindowTest, StatusBarHasTheTenPanels)
{
    EXPECT_EQ(window.statusTexts(),
              (QStringList{QStringLiteral("DB"), QStringLiteral("未指定"), QStringLiteral("測定数"),
                           QStringLiteral("0"), QStringLiteral("種数"), QStringLiteral("0"),
                           QStringLiteral("異名辞書"), QStringLiteral("SynDict.dic"),
                           QStringLiteral("表ファイル"), QString()}));
    for (int i = 0; i < 9; ++i) {
        const auto *label = window.findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(i));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), MainWindow::StatusWidths[i]) << i;
        EXPECT_EQ(bool(label->alignment() & Qt::AlignRight), i % 2 == 0) << i;
    }
    // Two relevés and two species, an empty column after them that separates groups and a
    // comment row: neither is counted.
    TableModel &m = ws.model();
    Zelkor::Test::fillTwoSpecies(m);
    m.setReleveCount(3);
    m.setSpeciesCount(3);
    m.grid().setCell(TableModel::NameColumn, m.speciesRow(3), QStringLiteral("＜群落＞"));
    m.recomputeFrequencies();
    ws.document().setTableFilePath(QStringLiteral("/data/tables/hakone.vtb"));
    Q_EMIT ws.document().statusChanged();
    EXPECT_EQ(window.statusTexts().at(3), QStringLiteral("2"));
    EXPECT_EQ(window.statusTexts().at(5), QStringLiteral("2"));
    EXPECT_EQ(window.statusTexts().at(9), QStringLiteral("hakone.vtb"));
}

TEST_F(MainWindowTest, OutputCommandsFollowTheReleveCount)
{
    const QStringList outputs{QStringLiteral("Item_SaveTable"), QStringLiteral("Item_OutTable"),
                              QStringLiteral("Item_ValueMatrix"), QStringLiteral("Item_PCordCSV"),
                              QStringLiteral("Item_OutDistribution")};
    for (const QString &name : outputs) {
        ASSERT_NE(window.action(name), nullptr) << name.toStdString();
        EXPECT_FALSE(window.action(name)->isEnabled()) << name.toStdString();
    }
    ws.model().setReleveCount(1);
    Q_EMIT ws.document().statusChanged();
    // The sub-menus open with a relevé in the table (printer setup is in one of them).
    EXPECT_TRUE(window.action(QStringLiteral("Item_OutTable"))->isEnabled());
    EXPECT_TRUE(window.action(QStringLiteral("Item_OutDistribution"))->isEnabled());
    ws.model().setReleveCount(0);
    Q_EMIT ws.document().statusChanged();
    EXPECT_FALSE(window.action(QStringLiteral("Item_OutTable"))->isEnabled());
}

TEST_F(MainWindowTest, MenuCaptionsAreExactAndOnlyMarkedOnesHaveAccessKeys)
{
    QStringList titles;
    for (QAction *a : window.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("編集・検索(&E)"),
                                   QStringLiteral("表示(&V)"), QStringLiteral("表ツール(&T)"),
                                   QStringLiteral("設定変更(&C)"), QStringLiteral("ヘルプ(&H)")}));
    const std::pair<const char *, const char *> items[] = {
        {"Item_ClearTable", "組成表を初期化する"}, {"Item_AddReleve", "表にデータを加える"},
        {"Item_LoadTable", "保存した表を読込む"}, {"Item_FileChg", "データファイルの指定"},
        {"Item_SaveTable", "現在の表を保存する"}, {"Item_OutTable", "組成表として出力する"},
        {"Item_TextFile", "表をテキスト出力(&F)"}, {"Item_ExcelFile", "エクセル形式出力(&X)"},
        {"Item_PrintTable", "組成表を直接印刷(&P)"}, {"Item_PrintKanni", "表を省略簡易印刷(&K)"},
        {"Item_PrintSetup", "プリンターの設定(&T)"}, {"Item_ValueMatrix", "数値表として出力する"},
        {"Item_PCordCSV", "PCord用にCSV出力する"}, {"Item_OutDistribution", "分布データ等を出力する"},
        {"Item_PlotData", "立地環境データ"}, {"Item_GPSPOT", "GPS　POTデータ"},
        {"Item_MeshData", "メッシュ分布データ"}, {"Btn_Quit", "終了(&X)"},
        {"Item_Search", "表内を検索する"}, {"Item_ResetSearch", "検索状態の解除"},
        {"Item_DelRow", "この行を削除する"}, {"Item_DelCol", "この列を削除する"},
        {"Item_InsRow", "この上に行を挿入"}, {"Item_Comment", "コメントを書込む"},
        {"Item_InsCol", "この左に列を挿入"}, {"Item_EditTitle", "組成表の標題を編集"},
        {"Item_Frequency", "出現頻度を再計算する"}, {"Item_SortPlant", "植物を頻度順で並べ替え"},
        {"Item_SortReleve", "測定を種数順で並べ替え"}, {"Item_Recip", "反復平均法で行列並べ替え"},
        {"Item_HideSite", "立地情報を一時的に隠す"}, {"Item_HideRC", "行・列を部分的に隠す"},
        {"Item_MakeFreqTable", "常在度表を作成する"}, {"Item_ShowFreqTable", "常在度表を再表示する"},
        {"Item_UseFI", "データ埋込項目を使う"}, {"Item_ReadINI", "設定ファイルの読込み"},
        {"Item_CheckName", "異名辞書の読込み"}, {"Item_ChangeItem", "表組み項目の変更"},
        {"Item_SetFont", "表のフォント変更"}, {"Item_DataChk", "データの検査"},
        {"Item_Manual", "Web ヘルプ"}, {"Item_Version", "バージョン情報"},
        {"Menu_RecentTables", "最近使った表"}, {"Item_FindNext", "次の検索位置へ"},
        {"Item_ZoomIn", "拡大"}, {"Item_ZoomOut", "縮小"}, {"Item_ZoomReset", "標準の大きさ（100%）"},
        {"Item_Copy", "コピー"}, {"Item_CopyByLayer", "測定の層別コピー"}};
    // The commands with a standard key carry it (MainWindowKeys); the others have none.
    const QStringList withKeys{QStringLiteral("Item_LoadTable"), QStringLiteral("Item_SaveTable"),
                               QStringLiteral("Item_PrintTable"), QStringLiteral("Btn_Quit"),
                               QStringLiteral("Item_Search"), QStringLiteral("Item_FindNext"),
                               QStringLiteral("Item_ZoomIn"), QStringLiteral("Item_ZoomOut"),
                               QStringLiteral("Item_ZoomReset"), QStringLiteral("Item_Copy")};
    for (const auto &[name, caption] : items) {
        QAction *a = window.action(QString::fromUtf8(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
        EXPECT_TRUE(a->isVisible()) << name;
        EXPECT_EQ(QKeySequence::mnemonic(a->text()).isEmpty(), !a->text().contains(QLatin1Char('&')))
            << name;
        if (!withKeys.contains(QString::fromUtf8(name))) {
            EXPECT_TRUE(a->shortcut().isEmpty()) << name;
        }
    }
    EXPECT_TRUE(window.action(QStringLiteral("Item_UseFI"))->isCheckable());
    // What is already there runs; what is not yet stays visible but disabled.
    for (const char *name : {"Item_ClearTable", "Item_Frequency", "Item_SetFont", "Item_DataChk",
                             "Item_Manual", "Item_Version", "Btn_Quit", "Item_PrintSetup"})
        EXPECT_TRUE(window.action(QString::fromUtf8(name))->isEnabled()) << name;
}

TEST_F(MainWindowTest, UseDataItemCheckFollowsTheSettings)
{
    EXPECT_TRUE(window.action(QStringLiteral("Item_UseFI"))->isChecked());
    dir.writeLines(QStringLiteral("zelkor.ini"), {QStringLiteral("[Item]"), QStringLiteral("UseDataItem=0")});
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    EXPECT_FALSE(window.action(QStringLiteral("Item_UseFI"))->isChecked());
}

TEST_F(MainWindowTest, QuitWritesTheSettingsAndCloses)
{
    window.action(QStringLiteral("Btn_Quit"))->trigger();
    EXPECT_FALSE(window.isVisible());
    const QStringList lines = Zelkor::Test::readLines(ownIni());
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.contains(QStringLiteral("[WinSize]")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Width=%1").arg(window.frameGeometry().width())));
    EXPECT_TRUE(lines.contains(QStringLiteral("Height=%1").arg(window.frameGeometry().height())));
}

TEST_F(MainWindowTest, CloseBoxClosesWithoutWritingTheSettings)
{
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFileInfo::exists(ownIni()));
}

TEST_F(MainWindowTest, CloseBoxAndQuitAskAboutAChangedTableOnce)
{
    struct Case
    {
        const char *name;
        bool changed;
        bool quitCommand;
        YesNoCancel answer;
        bool closes;
    };
    // The quit that closes comes last: after it the window has answered for good.
    const Case cases[] = {
        {"close box, unchanged table", false, false, YesNoCancel::Yes, true},
        {"close box, キャンセル", true, false, YesNoCancel::Cancel, false},
        {"close box, いいえ", true, false, YesNoCancel::No, true},
        {"quit, キャンセル", true, true, YesNoCancel::Cancel, false},
        {"quit, いいえ", true, true, YesNoCancel::No, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ui.clearLog();
        ws.model().setModified(c.changed);
        if (c.answer == YesNoCancel::Cancel)
            ui.answerCancel();
        else if (c.answer == YesNoCancel::No)
            ui.answerNo();
        if (c.quitCommand)
            window.action(QStringLiteral("Btn_Quit"))->trigger();
        else
            window.close();
        EXPECT_EQ(window.isVisible(), !c.closes);
        EXPECT_EQ(ui.log().count(QStringLiteral("yesnocancel:") + TableFileCommand::unsavedQuestion()), c.changed ? 1 : 0);
        // Only a quit that goes on writes the settings.
        EXPECT_EQ(QFileInfo::exists(ownIni()), c.quitCommand && c.closes);
        EXPECT_EQ(ws.isModified(), c.changed);
    }
}

TEST_F(MainWindowTest, ClearingAsksAboutAChangedTable)
{
    ws.model().setReleveCount(1);
    ws.model().grid().setCell(2, 20, QStringLiteral("ススキ"));
    ws.model().grid().setCell(4, 20, QStringLiteral("   1"));
    ws.model().setSpeciesCount(1);
    ws.model().setModified(true);
    ui.answerCancel();
    window.action(QStringLiteral("Item_ClearTable"))->trigger();
    EXPECT_EQ(ws.model().speciesCount(), 1);
    ui.answerNo();
    window.action(QStringLiteral("Item_ClearTable"))->trigger();
    EXPECT_EQ(ws.model().speciesCount(), 0);
    EXPECT_EQ(cell(2, 20), QString());
    EXPECT_EQ(ui.log().count(QStringLiteral("yesnocancel:") + TableFileCommand::unsavedQuestion()), 2);
}

TEST_F(MainWindowTest, SearchThatMarksNothingShowsANoteInTheStatusBar)
{
    ws.editing().search(QStringLiteral("ススキ"), false);
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("「ススキ」は表の中に見つかりませんでした"));
}

TEST_F(MainWindowTest, HiddenIndexRowShowsNoGlyphFragments)
{
    // Column c's index is in row 0; one pixel high, the row must stay a plain line of the fixed
    // colour. Shown by the data check, the indexes are there to read.
    auto darkPixelsInRow0 = [this](int c) {
        QImage image(window.grid()->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&image);
        window.grid()->paintGrid(p, image.rect());
        p.end();
        const QRect rect = window.grid()->cellRect(c, 0);
        int dark = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        return dark;
    };
    for (int c : {3, 4, 10, 13}) {
        ASSERT_EQ(window.grid()->cellRect(c, 0).height(), 1);
        EXPECT_EQ(darkPixelsInRow0(c), 0) << c;
    }
    ui.answerYes();
    window.action(QStringLiteral("Item_DataChk"))->trigger();
    EXPECT_GT(darkPixelsInRow0(13), 0);
}

TEST_F(MainWindowTest, WindowStaysOpenWhenTheSettingsCannotBeWritten)
{
    QDir().mkpath(ownIni());
    window.action(QStringLiteral("Btn_Quit"))->trigger();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.log().constLast().startsWith(QStringLiteral("error:エラー:")));
}

TEST_F(MainWindowTest, WindowTakesSizeAndPositionFromTheSettings)
{
    dir.writeLines(QStringLiteral("zelkor.ini"),
                   {QStringLiteral("[WinSize]"), QStringLiteral("Top=70"), QStringLiteral("Left=60"),
                    QStringLiteral("Height=450"), QStringLiteral("Width=700")});
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    EXPECT_EQ(window.frameGeometry(), QRect(60, 70, 700, 450));
}

TEST_F(MainWindowTest, DamagedWindowSizesStayUsable)
{
    dir.writeLines(QStringLiteral("zelkor.ini"),
                   {QStringLiteral("[WinSize]"), QStringLiteral("Top=-900000"), QStringLiteral("Left=2000000000"),
                    QStringLiteral("Height=-5"), QStringLiteral("Width=99999999")});
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    const QRect g = window.frameGeometry();
    EXPECT_GE(g.height(), 150);
    EXPECT_LE(g.width(), 10000);
    EXPECT_LT(g.left(), 100000);
    EXPECT_GT(g.top(), -100000);
}

struct ManualCase
{
    bool opens;
    int errors;
};

TEST_F(MainWindowTest, WebHelpOpensTheInstalledGuideWhenThereIsOne)
{
    // The program in PREFIX/bin with its guide in PREFIX/share/doc/zelkor/guide.
    QDir().mkpath(dir.path(QStringLiteral("bin")));
    QDir().mkpath(dir.path(QStringLiteral("share/doc/zelkor/guide")));
    const QString index = dir.writeBytes(QStringLiteral("share/doc/zelkor/guide/index.html"), "<html></html>");
    ws.program().start({}, dir.path(QStringLiteral("bin/zelkor")));
    QUrl asked;
    window.setUrlOpener([&asked](const QUrl &url) {
        asked = url;
        return true;
    });
    window.action(QStringLiteral("Item_Manual"))->trigger();
    EXPECT_EQ(asked, QUrl::fromLocalFile(index));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(MainWindowTest, WebHelpOpensThePageOrSaysTheBrowserFailed)
{
    for (const ManualCase c : {ManualCase{true, 0}, ManualCase{false, 1}}) {
        ui.clearLog();
        QUrl asked;
        window.setUrlOpener([&asked, c](const QUrl &url) {
            asked = url;
            return c.opens;
        });
        window.action(QStringLiteral("Item_Manual"))->trigger();
        // A program that is not installed finds the guide of its source tree.
        const QString guide = Zelkor::Test::sourcePath(QStringLiteral("docs/guide/index.html"));
        EXPECT_EQ(asked, QUrl::fromLocalFile(guide));
        EXPECT_EQ(ui.messages().size(), c.errors);
        if (c.errors) {
            EXPECT_EQ(ui.log().constLast(), QStringLiteral("error:エラー:ブラウザの起動に失敗しました。\n利用の手引きは次の所にあります：\n")
                                                + QDir::toNativeSeparators(guide));
        } else {
            EXPECT_TRUE(window.statusBar()->currentMessage().endsWith(QDir::toNativeSeparators(guide)));
        }
    }
}

TEST_F(MainWindowTest, DataCheckShowsTheIndexRowAndColumnInTheGrid)
{
    ui.answerYes();
    window.action(QStringLiteral("Item_DataChk"))->trigger();
    EXPECT_EQ(window.grid()->cellRect(0, 5).width(), 28);
    EXPECT_EQ(window.grid()->cellRect(5, 0).height(), 16);
}

TEST_F(MainWindowTest, TableFontChangesTheGridFont)
{
    ui.answerFont(FontSpec{QStringLiteral("ＭＳ ゴシック"), 12});
    window.action(QStringLiteral("Item_SetFont"))->trigger();
    EXPECT_EQ(window.grid()->font().pointSize(), 12);
    EXPECT_EQ(window.grid()->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(window.grid()->cellRect(5, 5).width(), 53);
}

TEST_F(MainWindowTest, DroppedFilesUseOnlyTheFirst)
{
    const QString dic = dir.writeBytes(
        QStringLiteral("syn.dic"),
        Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic"))));
    const QString vtb = dir.writeBytes(QStringLiteral("t.vtb"), "not a table\r\n");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dic), QUrl::fromLocalFile(vtb)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
    // The file is handled once the drop has been released.
    for (int i = 0; i < 100 && ws.session().dictionary().entryCount() == 0; ++i)
        QTest::qWait(10);
    EXPECT_GT(ws.session().dictionary().entryCount(), 0);
    QTest::qWait(20);
    // The second file, a damaged table, was never read.
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersion)
{
    QString title, version;
    QTimer::singleShot(50, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("Version")))
            version = label->text();
        static_cast<QDialog *>(box)->accept();
    });
    window.action(QStringLiteral("Item_Version"))->trigger();
    EXPECT_EQ(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(version, QStringLiteral("バージョン ") + programVersion());
}

} // namespace
