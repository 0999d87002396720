#pragma once

#include "analysis/freqtablecommands.h"

#include <QColor>
#include <QWidget>

class QFrame;
class QPushButton;

namespace Zelkor {

class FreqTableModel;
class GridWidget;
class UserInterface;

/// The second window (default caption "常在度表"): the grid FreqTable over a
/// FreqTableModel, with a constancy table or a score table. It stays over its parent, the main
/// window, is created once and hidden and shown again with its grid kept. The tool bar prints,
/// copies and closes; the tool panel Panel1 (shown with a constancy table only) changes the font
/// and writes and reads the text and CSV files. The model's shaded cells (diagnostic species)
/// are drawn tinted.
class ConstancyWindow : public QWidget
{
    Q_OBJECT

public:
    /// Client size of the window when it is created.
    static constexpr int InitialWidth = 560;
    static constexpr int InitialHeight = 513;

    /// The shading of the cells of diagnostic species (combined with the cell colour by AND).
    static QColor diagnosticColor() { return QColor(176, 224, 255); }

    /// A hidden window over model, asking through ui; both must outlive it.
    ConstancyWindow(FreqTableModel *model, UserInterface *ui, QWidget *parent = nullptr);
    ~ConstancyWindow() override;

    /// The grid FreqTable.
    GridWidget *grid() const { return m_grid; }
    /// The tool panel Panel1.
    QFrame *toolPanel() const { return m_panel1; }
    /// The window's commands on its table.
    FreqTableCommands &commands() { return m_commands; }

public Q_SLOTS:
    /// Shows the window with the table its model holds now: caption, font, sizes, Panel1 as
    /// the table wants it. Tells tableShown().
    void showTable();
    /// Menu "常在度表を再表示する" / "スコア表を再表示する": shows the window as it was left.
    void itemShowFreqTableClick();
    /// "終了": hides the window; the grid keeps its contents.
    void btnCloseFreqClick();
    /// "印　刷": prints the caption and the table.
    void btnPrintClick();
    /// "全コピー": puts the table on the clipboard as text.
    void btnToClipClick();
    /// "フォント": the font dialog, then the grid's sizes from its font.
    void bTnFontClick();
    /// "テキスト書出", "テキスト読込", "CSV書出", "CSV読込".
    void btnTextOutClick();
    void btnTxreadClick();
    void btnCSVWriteClick();
    void btnCSVReadClick();

Q_SIGNALS:
    /// A new table is shown (a constancy table when the model's Panel1 shows, else a score table).
    void tableShown();

private:
    /// Takes up the model's caption, font, cells and sizes.
    void takeUpModel();
    /// Shows the window and brings it to the front; the first time over the right part of the
    /// main window, so that the species names there stay in sight.
    void showOverMainWindow();

    FreqTableModel *m_model;
    FreqTableCommands m_commands;
    GridWidget *m_grid;
    QFrame *m_panel1;
    QPushButton *m_print;
    QPushButton *m_toClip;
    QPushButton *m_close;
    QPushButton *m_scoresCsv;
    bool m_placed = false;
};

} // namespace Zelkor
