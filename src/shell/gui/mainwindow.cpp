#include "shell/gui/mainwindow.h"

#include "analysis/freqtablemodel.h"
#include "analysis/gui/constancywindow.h"
#include "analysis/gui/freqtablepanel.h"
#include "analysis/gui/ordinationwindow.h"
#include "analysis/gui/sortrangepanel.h"
#include "database/gui/addrelevepanel.h"
#include "output/gui/outputpanelwidget.h"
#include "platform/gui/gridwidget.h"
#include "platform/print/qtfont.h"
#include "platform/versioninfo.h"
#include "shell/gui/aboutbox.h"
#include "shell/gui/vegtablecontroller.h"
#include "shell/workspace.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace Zelkor {

const int MainWindow::StatusWidths[10] = {20, 200, 60, 50, 40, 60, 64, 150, 80, 50};

MainWindow::MainWindow(Workspace *workspace, QWidget *parent)
    : QMainWindow(parent)
    , m_ws(workspace)
    , m_grid(new GridWidget(this))
    // Text placed in the printer's own resolution, not the screen's.
    , m_printer(QPrinter::HighResolution)
    , m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(AboutBox::programIcon());
    setAcceptDrops(true);

    m_grid->setObjectName(QStringLiteral("VegTable"));
    m_grid->setGrid(&m_ws->model().grid());
    m_grid->setFont(toQFont(m_ws->model().tableFont()));
    setCentralWidget(m_grid);
    // The grid's mouse, tints, pop-up panels, cell tip and search panel.
    m_tableController = new VegTableController(m_ws, m_grid, this);

    m_addReleve = new AddRelevePanel(&m_ws->extraction(), this);
    m_freqPanel = new FreqTablePanel(&m_ws->constancy(), this);
    // The second window lives as long as the main window; hiding it keeps its table.
    m_constancyWindow = new ConstancyWindow(&m_ws->freqTable(), &m_ws->ui(), this);
    m_ordinationWindow = new OrdinationWindow(&m_ws->ordination(), &m_ws->ui(), this);
    m_sortRange = new SortRangePanel(&m_ws->sortAndHide(), this);
    m_outputPanelWidget = new OutputPanelWidget(&m_ws->outputPanel(), this);
    buildMenus();
    buildStatusBar();

    connect(m_ws, &Workspace::statusChanged, this, &MainWindow::updateStatus);
    connect(m_ws, &Workspace::tableChanged, this, &MainWindow::tableChanged);
    connect(m_ws, &Workspace::settingsRead, this, &MainWindow::applySettings);
    // The item change unchecks "データ埋込項目を使う"; cancelling it checks it again.
    connect(&m_ws->outputPanel(), &OutputPanel::changed, this, [this] {
        if (m_useFI)
            m_useFI->setChecked(m_ws->settings().useDataItem);
    });
    connect(&m_ws->constancy(), &ConstancyCommand::freqTableBuilt, m_constancyWindow, &ConstancyWindow::showTable);
    // A score table takes the second window; the constancy settings panel goes.
    connect(&m_ws->recip(), &RecipCommand::scoreTableBuilt, this, [this] {
        m_freqPanel->btnCancFreqClick();
        m_constancyWindow->showTable();
    });
    // The menu command names the kind of table the second window holds.
    connect(m_constancyWindow, &ConstancyWindow::tableShown, this, [this] {
        m_showFreqTable->setText(m_ws->freqTable().isToolPanelVisible() ? QStringLiteral("常在度表を再表示する")
                                                                        : QStringLiteral("スコア表を再表示する"));
    });
    // A click on a relevé of the diagram selects its column in the table.
    connect(m_ordinationWindow, &OrdinationWindow::releveChosen, this, &MainWindow::selectColumn);
    connect(m_grid, &GridWidget::mousePressed, m_grid, &GridWidget::clearTints);
    connect(m_ws, &Workspace::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text, StatusMessageTimeout); });

    // The client size before the settings apply.
    resize(936, 508);
    updateStatus();
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::addCommand(QMenu *menu, const QString &name, const QString &caption,
                                std::function<void()> command, bool output)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    // Menu commands keep their captions as given; no shortcut or role is derived from them.
    a->setMenuRole(QAction::NoRole);
    a->setIconVisibleInMenu(false);
    const bool built = bool(command);
    if (built)
        connect(a, &QAction::triggered, this, [command] { command(); });
    a->setEnabled(built);
    if (output)
        m_outputs.push_back(OutputCommand{a, built});
    return a;
}

QMenu *MainWindow::addSubMenu(QMenu *menu, const QString &name, const QString &caption, bool output)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    if (output)
        m_outputs.push_back(OutputCommand{sub->menuAction(), true});
    return sub;
}

QAction *MainWindow::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

void MainWindow::buildMenus()
{
    Workspace *ws = m_ws;

    QMenu *file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("Menu_File"));
    addCommand(file, QStringLiteral("Item_ClearTable"), QStringLiteral("組成表を初期化する"),
               [ws] { ws->tableFile().clearTable(); });
    addCommand(file, QStringLiteral("Item_AddReleve"), QStringLiteral("表にデータを加える"),
               [this] { m_addReleve->itemAddReleveClick(); });
    addCommand(file, QStringLiteral("Item_LoadTable"), QStringLiteral("保存した表を読込む"),
               [ws] { ws->tableFile().chooseAndLoadTable(); })
        ->setShortcuts(QKeySequence::Open);
    m_recentMenu = file->addMenu(QStringLiteral("最近使った表"));
    m_recentMenu->setObjectName(QStringLiteral("Menu_RecentTables"));
    m_recentMenu->menuAction()->setObjectName(QStringLiteral("Menu_RecentTables"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &MainWindow::updateRecentTablesMenu);
    addCommand(file, QStringLiteral("Item_ImportTable"), QStringLiteral("表計算の表を読込む"),
               [ws] { ws->tableImport().chooseAndImport(); })
        ->setToolTip(QStringLiteral("表計算ソフトで CSV に保存した表や Cornell 形式のファイルを読込む"));
    // The caption becomes "データファイルの変更" once a database is set (updateStatus).
    m_fileChg = addCommand(file, QStringLiteral("Item_FileChg"), QStringLiteral("データファイルの指定"),
                           [ws] { ws->session().chooseDataFile(); });
    file->addSeparator();
    // The save command always asks for the file: it is "save" and "save as" in one.
    addCommand(file, QStringLiteral("Item_SaveTable"), QStringLiteral("現在の表を保存する"),
               [ws] { ws->tableFile().saveTable(); }, true)
        ->setShortcuts(QKeySequence::Save);
    QMenu *table = addSubMenu(file, QStringLiteral("Item_OutTable"), QStringLiteral("組成表として出力する"), true);
    // An output command is there once its output is: the panel runs it.
    OutputPanel *panel = &ws->outputPanel();
    auto output = [panel](int mode) -> std::function<void()> {
        if (!panel->hasOutput(mode))
            return {};
        return [panel, mode] { panel->openForOutput(mode); };
    };
    addCommand(table, QStringLiteral("Item_TextFile"), QStringLiteral("表をテキスト出力(&F)"), output(OutputPanel::TextFile))
        ->setToolTip(QStringLiteral("表をﾃｷｽﾄファイルとして出力する"));
    addCommand(table, QStringLiteral("Item_ExcelFile"), QStringLiteral("エクセル形式出力(&X)"), output(OutputPanel::ExcelFile));
    QAction *print = addCommand(table, QStringLiteral("Item_PrintTable"), QStringLiteral("組成表を直接印刷(&P)"),
                                output(OutputPanel::PrintTable));
    print->setToolTip(QStringLiteral("現在の表をて印刷する"));
    print->setShortcuts(QKeySequence::Print);
    addCommand(table, QStringLiteral("Item_PrintKanni"), QStringLiteral("表を省略簡易印刷(&K)"), output(OutputPanel::PrintKanni));
    addCommand(table, QStringLiteral("Item_PrintSetup"), QStringLiteral("プリンターの設定(&T)"),
               [this] { itemPrintSetupClick(); });
    file->addSeparator();
    addCommand(file, QStringLiteral("Item_ValueMatrix"), QStringLiteral("数値表として出力する"), output(OutputPanel::ValueMatrix), true);
    addCommand(file, QStringLiteral("Item_PCordCSV"), QStringLiteral("PCord用にCSV出力する"), output(OutputPanel::PCordCSV), true);
    addCommand(file, QStringLiteral("Item_Cornell"), QStringLiteral("Cornell 形式で出力する"), output(OutputPanel::Cornell), true);
    QMenu *dist = addSubMenu(file, QStringLiteral("Item_OutDistribution"), QStringLiteral("分布データ等を出力する"), true);
    SiteExport *site = &ws->siteExport();
    addCommand(dist, QStringLiteral("Item_PlotData"), QStringLiteral("立地環境データ"), [site] { site->exportPlotData(); });
    addCommand(dist, QStringLiteral("Item_GPSPOT"), QStringLiteral("GPS　POTデータ"), [site] { site->exportGpsPoints(); });
    addCommand(dist, QStringLiteral("Item_MeshData"), QStringLiteral("メッシュ分布データ"), [site] { site->exportMeshData(); });
    file->addSeparator();
    addCommand(file, QStringLiteral("Btn_Quit"), QStringLiteral("終了(&X)"), [this] { btnQuitClick(); })
        ->setShortcuts(QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("編集・検索(&E)"));
    // The editing commands act on the grid's current cell.
    VegTableController *tc = m_tableController;
    edit->setObjectName(QStringLiteral("Menu_Edit"));
    TableDocument *doc = &ws->document();
    m_undo = addCommand(edit, QStringLiteral("Item_Undo"), QStringLiteral("元に戻す"), [doc] { doc->undo(); });
    m_undo->setShortcuts(QKeySequence::Undo);
    m_redo = addCommand(edit, QStringLiteral("Item_Redo"), QStringLiteral("やり直し"), [doc] { doc->redo(); });
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateUndoActions);
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Item_Copy"), QStringLiteral("コピー"), [tc] { tc->itemCopyClick(); })
        ->setShortcuts(QKeySequence::Copy);
    addCommand(edit, QStringLiteral("Item_CopyByLayer"), QStringLiteral("測定の層別コピー"),
               [tc] { tc->itemCopyByLayerClick(); });
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Item_Search"), QStringLiteral("表内を検索する"), [tc] { tc->itemSearchClick(); })
        ->setShortcuts(QKeySequence::Find);
    addCommand(edit, QStringLiteral("Item_FindNext"), QStringLiteral("次の検索位置へ"), [tc] { tc->itemFindNextClick(); })
        ->setShortcuts(QKeySequence::FindNext);
    addCommand(edit, QStringLiteral("Item_ResetSearch"), QStringLiteral("検索状態の解除"), [tc] { tc->itemResetSearchClick(); });
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Item_DelRow"), QStringLiteral("この行を削除する"), [tc] { tc->itemDelRowClick(); });
    addCommand(edit, QStringLiteral("Item_DelCol"), QStringLiteral("この列を削除する"), [tc] { tc->itemDelColClick(); });
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Item_InsRow"), QStringLiteral("この上に行を挿入"), [tc] { tc->itemInsRowClick(); });
    addCommand(edit, QStringLiteral("Item_Comment"), QStringLiteral("コメントを書込む"), [tc] { tc->itemCommentClick(); });
    addCommand(edit, QStringLiteral("Item_InsCol"), QStringLiteral("この左に列を挿入"), [tc] { tc->itemInsColClick(); });
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Item_EditTitle"), QStringLiteral("組成表の標題を編集"), [tc] { tc->itemEditTitleClick(); });

    // The zoom is the grid's alone: the table font that is printed and saved stays.
    QMenu *view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("Menu_View"));
    GridWidget *grid = m_grid;
    QAction *zoomIn = addCommand(view, QStringLiteral("Item_ZoomIn"), QStringLiteral("拡大"), [grid] { grid->zoomIn(); });
    // Ctrl+= as well: on many keyboards "+" is Shift with "=".
    QList<QKeySequence> zoomInKeys = QKeySequence::keyBindings(QKeySequence::ZoomIn);
    const QKeySequence ctrlEquals(Qt::CTRL | Qt::Key_Equal);
    if (!zoomInKeys.contains(ctrlEquals))
        zoomInKeys.append(ctrlEquals);
    zoomIn->setShortcuts(zoomInKeys);
    addCommand(view, QStringLiteral("Item_ZoomOut"), QStringLiteral("縮小"), [grid] { grid->zoomOut(); })
        ->setShortcuts(QKeySequence::ZoomOut);
    addCommand(view, QStringLiteral("Item_ZoomReset"), QStringLiteral("標準の大きさ（100%）"), [grid] { grid->resetZoom(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    QMenu *tools = menuBar()->addMenu(QStringLiteral("表ツール(&T)"));
    tools->setObjectName(QStringLiteral("Menu_Tools"));
    addCommand(tools, QStringLiteral("Item_Frequency"), QStringLiteral("出現頻度を再計算する"),
               [ws] { ws->document().recomputeFrequencies(); });
    tools->addSeparator();
    SortAndHide *sh = &ws->sortAndHide();
    addCommand(tools, QStringLiteral("Item_SortPlant"), QStringLiteral("植物を頻度順で並べ替え"),
               [sh] { sh->beginSpeciesSort(); });
    addCommand(tools, QStringLiteral("Item_SortReleve"), QStringLiteral("測定を種数順で並べ替え"),
               [sh] { sh->beginReleveSort(); });
    tools->addSeparator();
    addCommand(tools, QStringLiteral("Item_Recip"), QStringLiteral("反復平均法で行列並べ替え"),
               [ws] { ws->recip().run(); });
    addCommand(tools, QStringLiteral("Item_Ordination"), QStringLiteral("序列図（CA / DCA）"),
               [this] { m_ordinationWindow->itemOrdinationClick(); });
    tools->addSeparator();
    // The check marks follow the commands' state (checksChanged), not the click.
    QAction *hideSite = addCommand(tools, QStringLiteral("Item_HideSite"), QStringLiteral("立地情報を一時的に隠す"),
                                   [sh] { sh->toggleSiteRows(); });
    QAction *hideRC = addCommand(tools, QStringLiteral("Item_HideRC"), QStringLiteral("行・列を部分的に隠す"),
                                 [sh] { sh->toggleBlockHiding(); });
    for (QAction *a : {hideSite, hideRC})
        a->setCheckable(true);
    auto showChecks = [sh, hideSite, hideRC] {
        hideSite->setChecked(sh->siteRowsHidden());
        hideRC->setChecked(sh->blockHidingChecked());
    };
    connect(sh, &SortAndHide::checksChanged, this, showChecks);
    connect(hideSite, &QAction::triggered, this, showChecks);
    connect(hideRC, &QAction::triggered, this, showChecks);
    tools->addSeparator();
    addCommand(tools, QStringLiteral("Item_MakeFreqTable"), QStringLiteral("常在度表を作成する"),
               [this] { m_freqPanel->itemMakeFreqTableClick(); });
    m_showFreqTable = addCommand(tools, QStringLiteral("Item_ShowFreqTable"), QStringLiteral("常在度表を再表示する"),
                                 [this] { m_constancyWindow->itemShowFreqTableClick(); });
    addCommand(tools, QStringLiteral("Item_GroupByItem"), QStringLiteral("項目の値で群に分ける"),
               [ws] { ws->editing().groupByItem(); });
    // The fidelity settings of the constancy panel, as they stand, choose the diagnostic species.
    addCommand(tools, QStringLiteral("Item_SortDiagnostic"), QStringLiteral("組成表を診断種順に並べる"),
               [this, ws] { ws->constancy().sortTableByFidelity(m_freqPanel->fidelityOptions()); });

    QMenu *settings = menuBar()->addMenu(QStringLiteral("設定変更(&C)"));
    settings->setObjectName(QStringLiteral("Menu_Settings"));
    // The check shows the setting, whatever the click did to it (the question may be answered No).
    m_useFI = addCommand(settings, QStringLiteral("Item_UseFI"), QStringLiteral("データ埋込項目を使う"), [this, ws] {
        ws->session().askUseDataItems();
        m_useFI->setChecked(ws->settings().useDataItem);
    });
    m_useFI->setCheckable(true);
    addCommand(settings, QStringLiteral("Item_ReadINI"), QStringLiteral("設定ファイルの読込み"),
               [ws] { ws->settingsCommand().chooseAndReadSettings(); });
    addCommand(settings, QStringLiteral("Item_CheckName"), QStringLiteral("異名辞書の読込み"),
               [ws] { ws->session().chooseDictionary(); });
    settings->addSeparator();
    addCommand(settings, QStringLiteral("Item_ChangeItem"), QStringLiteral("表組み項目の変更"),
               [panel] { panel->beginItemChange(); });
    addCommand(settings, QStringLiteral("Item_SetFont"), QStringLiteral("表のフォント変更"),
               [ws] { ws->settingsCommand().chooseTableFont(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("Menu_Help"));
    addCommand(help, QStringLiteral("Item_DataChk"), QStringLiteral("データの検査"),
               [ws] { ws->editing().askShowIndexes(); });
    addCommand(help, QStringLiteral("Item_Manual"), QStringLiteral("Web ヘルプ"), [this] { itemManualClick(); });
    addCommand(help, QStringLiteral("Item_Version"), QStringLiteral("バージョン情報"), [this] { itemVersionClick(); });
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < 10; ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The even panels are the captions of the odd ones, right-aligned against them.
        label->setAlignment((i % 2 == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(1);
        if (i < 9)
            label->setFixedWidth(StatusWidths[i]);
        else
            label->setMinimumWidth(StatusWidths[i]);
        bar->addWidget(label, i == 9 ? 1 : 0);
        m_status[i] = label;
    }
    m_zoomLabel = new QLabel(bar);
    m_zoomLabel->setObjectName(QStringLiteral("ZoomPanel"));
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    m_zoomLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_zoomLabel->setMinimumWidth(m_zoomLabel->fontMetrics().horizontalAdvance(QStringLiteral("表示 300%")) + 8);
    m_zoomLabel->setToolTip(QStringLiteral("表の表示倍率（Ctrl+ホイール、Ctrl+0 で 100%）"));
    bar->addPermanentWidget(m_zoomLabel);
    connect(m_grid, &GridWidget::zoomChanged, this, &MainWindow::showZoom);
    showZoom(m_grid->zoomPercent());
}

void MainWindow::showZoom(int percent)
{
    m_zoomLabel->setText(QStringLiteral("表示 %1%").arg(percent));
}

void MainWindow::updateRecentTablesMenu()
{
    // The old entries go later: one of them may be the one being chosen.
    for (QAction *a : m_recentMenu->actions()) {
        m_recentMenu->removeAction(a);
        a->deleteLater();
    }
    const QStringList paths = m_ws->settings().recentTables.paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths.at(i);
        QString shown = QDir::toNativeSeparators(path);
        if (shown.size() > 80)
            shown = shown.left(20) + QStringLiteral("…") + shown.right(59);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *a = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QStringLiteral("Item_RecentTable%1").arg(i + 1));
        a->setMenuRole(QAction::NoRole);
        a->setData(path);
        a->setToolTip(QDir::toNativeSeparators(path));
        connect(a, &QAction::triggered, this, [this, path] {
            m_ws->tableFile().openRecentTable(path);
            updateRecentTablesMenu();
        });
    }
    m_recentMenu->menuAction()->setEnabled(!paths.isEmpty());
}

QStringList MainWindow::statusTexts() const
{
    QStringList texts;
    for (const QLabel *label : m_status)
        texts << label->text();
    return texts;
}

void MainWindow::updateStatus()
{
    updateUndoActions();
    showTitle();
    const QStringList texts = m_ws->statusTexts();
    for (int i = 0; i < 10 && i < texts.size(); ++i)
        m_status[i]->setText(texts.at(i));
    const bool outputs = m_ws->outputsEnabled();
    for (const OutputCommand &c : m_outputs)
        c.action->setEnabled(outputs && c.built);
    m_fileChg->setText(m_ws->dataFileName() == Workspace::notSpecified()
                           ? QStringLiteral("データファイルの指定")
                           : QStringLiteral("データファイルの変更"));
    updateRecentTablesMenu();
    update();
}

void MainWindow::showTitle()
{
    setWindowTitle(m_ws->windowTitle());
    setWindowFilePath(m_ws->document().tableFilePath());
    setWindowModified(m_ws->isModified());
}

void MainWindow::updateUndoActions()
{
    const TableHistory &history = m_ws->document().history();
    m_undo->setEnabled(history.canUndo());
    m_undo->setText(history.canUndo() ? QStringLiteral("元に戻す：") + history.undoName() : QStringLiteral("元に戻す"));
    m_redo->setEnabled(history.canRedo());
    m_redo->setText(history.canRedo() ? QStringLiteral("やり直し：") + history.redoName() : QStringLiteral("やり直し"));
}

void MainWindow::tableChanged()
{
    updateUndoActions();
    // A command may tell of its change before its step has ended: look again once it has.
    QTimer::singleShot(0, this, &MainWindow::updateUndoActions);
    showTitle();
    m_grid->clearTints();
    m_grid->setFont(toQFont(m_ws->model().tableFont()));
    m_grid->gridChanged();
}

void MainWindow::selectColumn(int column)
{
    const CellGrid &grid = m_ws->model().grid();
    if (column < grid.fixedCols() || column >= grid.colCount())
        return;
    // The column becomes the current one and stands out until the table changes or the grid is
    // pressed.
    m_grid->setCurrentCell(column, std::max(m_grid->currentRow(), grid.fixedRows()));
    m_grid->ensureCellVisible(column, m_grid->currentRow());
    m_grid->clearTints();
    m_grid->tintColumn(column, ChosenColumnTint);
}

// --- Window size and position -----------------------------------------------------------------

void MainWindow::applySettings()
{
    const Settings &s = m_ws->settings();
    // A damaged settings file must not make the window vanish or swallow the screen.
    const QSize outer(std::clamp(s.winWidth, 200, 10000), std::clamp(s.winHeight, 150, 10000));
    QPoint pos(s.winLeft, s.winTop);
    bool onScreen = false;
    for (const QScreen *screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(QRect(pos, QSize(50, 50)));
    if (!onScreen)
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            pos = screen->availableGeometry().topLeft();
    move(pos);
    const QSize frame = frameGeometry().size() - geometry().size();
    resize((outer - frame).expandedTo(QSize(100, 100)));
    m_pendingOuterSize = isVisible() ? QSize() : outer;
    if (m_useFI)
        m_useFI->setChecked(s.useDataItem);
    updateRecentTablesMenu();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_pendingOuterSize.isValid())
        return;
    // The window manager frames the window some time after it is shown (and tells the frame's
    // size later still): the settings' outer size waits for the frame, for a while. A window
    // without a frame already has the size.
    QTimer::singleShot(0, this, &MainWindow::applyPendingOuterSize);
    QTimer::singleShot(FrameWaitMs, this, [this] { m_pendingOuterSize = QSize(); });
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    applyPendingOuterSize();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyPendingOuterSize();
}

void MainWindow::applyPendingOuterSize()
{
    if (!m_pendingOuterSize.isValid() || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isNull())
        return;
    const QSize outer = m_pendingOuterSize;
    m_pendingOuterSize = QSize();
    resize((outer - frame).expandedTo(QSize(100, 100)));
}

void MainWindow::storeWindowSettings()
{
    Settings &s = m_ws->settings();
    const QRect outer = frameGeometry();
    s.winTop = outer.top();
    s.winLeft = outer.left();
    s.winHeight = outer.height();
    s.winWidth = outer.width();
}

// --- Commands ---------------------------------------------------------------------------------

void MainWindow::btnQuitClick()
{
    storeWindowSettings();
    if (!m_ws->program().quit())
        return;
    // The question about unsaved changes has been answered: closing does not ask again.
    m_quitting = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The close box ends the program without writing the settings; only the quit command does.
    // A changed table is not dropped without the question.
    if (!m_quitting && !m_ws->tableFile().confirmDiscardTable()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::itemManualClick()
{
    // Where the guide is, in words: a browser that starts and then fails says nothing to us.
    const QUrl url = m_ws->program().helpUrl();
    const QString where = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    if (!m_openUrl(url)) {
        m_ws->ui().showError(QStringLiteral("エラー"),
                             QStringLiteral("ブラウザの起動に失敗しました。\n利用の手引きは次の所にあります：\n%1").arg(where));
        return;
    }
    statusBar()->showMessage(QStringLiteral("利用の手引きを開きます：%1").arg(where), StatusMessageTimeout);
}

void MainWindow::itemVersionClick()
{
    AboutBox box(programVersion(), this);
    box.exec();
}

void MainWindow::itemPrintSetupClick()
{
    QPageSetupDialog dialog(&m_printer, this);
    dialog.exec();
}

void MainWindow::btnFontClick()
{
    m_ws->settingsCommand().choosePrintFont();
}

// --- Dropped files ----------------------------------------------------------------------------

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    const QString path = urls.isEmpty() ? QString() : urls.constFirst().toLocalFile();
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop is released first; the file is handled from the event loop, so a dialog the
    // command opens does not keep the dragging program waiting.
    QTimer::singleShot(0, this, [this, path] { m_ws->program().openDroppedFile(path); });
}

} // namespace Zelkor
