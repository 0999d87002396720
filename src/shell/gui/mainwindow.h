#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

#include <functional>

class QLabel;
class QMenu;

namespace Zelkor {

class AddRelevePanel;
class ConstancyWindow;
class FreqTablePanel;
class GridWidget;
class OrdinationWindow;
class OutputPanelWidget;
class SortRangePanel;
class VegTableController;
class Workspace;

/// The main window: the composition table grid, the menu and the status bar over a Workspace.
/// The menu commands run the workspace's commands; the title, the status panels and the output
/// commands follow the workspace's state. Files dropped on the window go to the workspace.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// Status panel widths, left to right.
    static const int StatusWidths[10];
    /// The tint of the relevé column chosen in the ordination diagram.
    static inline const QColor ChosenColumnTint{255, 190, 150};
    /// How long a note of the status bar shows, in milliseconds.
    static constexpr int StatusMessageTimeout = 8000;
    /// How long the settings' outer size waits for the window manager's frame (ms).
    static constexpr int FrameWaitMs = 3000;

    /// workspace must outlive the window.
    explicit MainWindow(Workspace *workspace, QWidget *parent = nullptr);
    ~MainWindow() override;

    Workspace *workspace() const { return m_ws; }
    /// The composition table grid (VegTable).
    GridWidget *grid() const { return m_grid; }
    /// The retrieval panel (Panel_AddReleve) of "表にデータを加える".
    AddRelevePanel *addRelevePanel() const { return m_addReleve; }
    /// The range panel (PanelofSortRange) of the sorting and hiding commands.
    SortRangePanel *sortRangePanel() const { return m_sortRange; }
    /// The output panel (PaneltoPrint) of the output commands and the item change.
    OutputPanelWidget *outputPanelWidget() const { return m_outputPanelWidget; }
    /// The grid's mouse, tints, pop-up panels, cell tip and search panel.
    VegTableController *tableController() const { return m_tableController; }
    /// The settings panel (Panel_Freq_Table) of "常在度表を作成する".
    FreqTablePanel *freqTablePanel() const { return m_freqPanel; }
    /// The second window (ConstancyWindow) with the constancy or score table.
    ConstancyWindow *constancyWindow() const { return m_constancyWindow; }
    /// The window of "序列図（CA / DCA）".
    OrdinationWindow *ordinationWindow() const { return m_ordinationWindow; }
    /// The menu command named after its menu item (e.g. "Item_SaveTable"); null when unknown.
    QAction *action(const QString &name) const;
    /// The texts of the ten status panels, left to right.
    QStringList statusTexts() const;
    /// The submenu "最近使った表" of the file menu.
    QMenu *recentTablesMenu() const { return m_recentMenu; }
    /// The printer that the printer setup configures and every printout uses.
    QPrinter *printer() { return &m_printer; }
    /// Replaces the way the web help is opened (tests); returns false when it failed.
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }

public Q_SLOTS:
    /// Shows the title, the status panels and the enabling of the output commands anew.
    void updateStatus();
    /// Takes up the table's cells, sizes and font and repaints the grid.
    void tableChanged();
    /// "元に戻す" / "やり直し" name the steps they would take, greyed when there is none.
    void updateUndoActions();
    /// The window's size and position and the menu check from the settings just read.
    void applySettings();
    /// Menu "終了(&X)": asks about unsaved changes, writes the settings and closes; stays open
    /// when the user cancels or writing fails.
    void btnQuitClick();
    /// Menu "Web ヘルプ": opens the installed user's guide (else the help page) in the browser;
    /// a failure is reported.
    void itemManualClick();
    /// Menu "バージョン情報": the about box.
    void itemVersionClick();
    /// Menu "プリンターの設定(&T)": the printer-setup dialog for the shared printer.
    void itemPrintSetupClick();
    /// The print-font button of the item panel.
    void btnFontClick();
    /// Fills "最近使った表" from the settings' list: one entry per table, most recent first.
    void updateRecentTablesMenu();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    /// The grid's zoom in the status bar.
    void showZoom(int percent);
    QAction *addCommand(QMenu *menu, const QString &name, const QString &caption,
                        std::function<void()> command, bool output = false);
    QMenu *addSubMenu(QMenu *menu, const QString &name, const QString &caption, bool output);
    void storeWindowSettings();
    /// The title bar: the table file, its unsaved mark and the table's title.
    void showTitle();
    /// Gives the window the outer size of the settings once the window manager has framed it.
    void applyPendingOuterSize();
    /// Makes grid column `column` the current one, scrolled into view and tinted.
    void selectColumn(int column);

    Workspace *m_ws;
    GridWidget *m_grid;
    VegTableController *m_tableController = nullptr;
    QLabel *m_status[10] = {};
    QAction *m_useFI = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    AddRelevePanel *m_addReleve = nullptr;
    FreqTablePanel *m_freqPanel = nullptr;
    ConstancyWindow *m_constancyWindow = nullptr;
    QAction *m_showFreqTable = nullptr;
    OrdinationWindow *m_ordinationWindow = nullptr;
    SortRangePanel *m_sortRange = nullptr;
    OutputPanelWidget *m_outputPanelWidget = nullptr;
    QAction *m_fileChg = nullptr;
    QMenu *m_recentMenu = nullptr;
    QLabel *m_zoomLabel = nullptr;
    // The output commands and whether their logic is there: enabled with relevés in the table.
    struct OutputCommand
    {
        QAction *action;
        bool built;
    };
    std::vector<OutputCommand> m_outputs;
    QPrinter m_printer;
    std::function<bool(const QUrl &)> m_openUrl;
    // The settings' outer size waits for the window frame to be known.
    QSize m_pendingOuterSize;
    // The quit command has asked about unsaved changes already.
    bool m_quitting = false;
};

} // namespace Zelkor
