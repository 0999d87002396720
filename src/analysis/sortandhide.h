#pragma once

#include "table/rangemode.h"

#include <QObject>
#include <QString>

namespace Zelkor {

class TableHistory;
class TableModel;
class UserInterface;

/// The sorting and hiding commands of the tool menu and the range panel they share
/// (PanelofSortRange): sorting species by frequency and relevés by species number over a range
/// the user narrows, hiding the site-attribute rows, and hiding a dragged block of rows and
/// columns. It keeps the range mode that the grid reads on every press, and the panel's fields;
/// the panel widget shows panel() and hands the user's values back before a button acts.
class SortAndHide : public QObject
{
    Q_OBJECT

public:
    /// The table's undo history: the command's change of the table becomes one step of it.
    void setHistory(TableHistory *history) { m_history = history; }

    /// What the range panel shows.
    struct RangePanel
    {
        bool visible = false;
        /// The heading of the panel.
        QString heading = QStringLiteral("並べ替え");
        /// The fields of the first and last relevé and of the first and last species shown.
        bool releveFields = true;
        bool speciesFields = true;
        /// The choice of the sort direction shown.
        bool directionBox = true;
        int sn1 = 1;
        int sn2 = 1;
        int ss1 = 1;
        int ss2 = 1;
        /// Upper bounds of the relevé fields and of the species fields (the lower bound is 1).
        int releveMax = 1;
        int speciesMax = 1;
        /// "多順" (many first) rather than "少順"; kept from one use to the next.
        bool descending = true;
    };

    /// Work messages and the guide of the block hiding.
    static QString sortPlantsMessage() { return QStringLiteral("　植物を並べ替えています　"); }
    static QString sortRelevesMessage() { return QStringLiteral("　測定を並べ替えています　"); }
    static QString hideGuideLine1() { return QStringLiteral("行・列の範囲指定は、マウスの"); }
    static QString hideGuideLine2() { return QStringLiteral("左ボタンを押しながらドラッグする"); }

    /// Works on model, asking and telling through ui; both must outlive the object.
    SortAndHide(TableModel *model, UserInterface *ui, QObject *parent = nullptr);

    /// The range operation in progress; the grid reads it on every press.
    RangeMode &rangeMode() { return m_rangeMode; }
    const RangeMode &rangeMode() const { return m_rangeMode; }
    /// The range panel's fields.
    const RangePanel &panel() const { return m_panel; }
    /// The values the user set in the panel's four number fields (kept within their bounds).
    void setPanelRange(int sn1, int sn2, int ss1, int ss2);
    /// The direction the user chose in the panel.
    void setDescending(bool descending);
    /// The check marks of "立地情報を一時的に隠す" and "行・列を部分的に隠す".
    bool siteRowsHidden() const { return m_siteChecked; }
    bool blockHidingChecked() const { return m_blockChecked; }

    /// "植物を頻度順で並べ替え" / "測定を種数順で並べ替え": the range panel for a species or
    /// relevé sort, proposing the whole table.
    void beginSpeciesSort();
    void beginReleveSort();
    /// Prepares and shows the range panel for the present range mode (GetTableRange).
    void proposeWholeTable();
    /// "実行": hides the panel and sorts or hides the range of the panel; the range mode ends.
    void sortRange();
    /// "中止": hides the panel, the grid back in its normal mouse mode; the range mode ends. A
    /// cancelled block hiding loses its check mark; a cancelled sort leaves it.
    void cancelSort();
    /// "立地情報を一時的に隠す": hides the site-attribute rows, or shows them when checked.
    void toggleSiteRows();
    /// "行・列を部分的に隠す": asks for a block to be dragged (the grid selects ranges; the
    /// guide is shown), or, when checked, shows every hidden row and column again.
    void toggleBlockHiding();
    /// The left button was released on the grid after a drag over the grid columns left..right
    /// and rows top..bottom. While the block hiding waits for its drag, the range becomes the
    /// panel's fields, the grid goes back to its normal mouse mode and the panel is shown;
    /// otherwise nothing happens.
    void rangeReleased(int left, int top, int right, int bottom);

Q_SIGNALS:
    /// The panel's fields or visibility changed.
    void panelChanged();
    /// Cells or sizes of the table changed; the grid must repaint.
    void tableChanged();
    /// A check mark changed.
    void checksChanged();
    /// The grid must switch its mouse mode now: rangeSelect true selects ranges for the command
    /// (no moving, no typing), false moves rows and columns again.
    void mouseModeRequested(bool rangeSelect);

private:
    void hidePanel();

    TableModel *m_model;
    TableHistory *m_history = nullptr;
    UserInterface *m_ui;
    RangeMode m_rangeMode;
    RangePanel m_panel;
    bool m_siteChecked = false;
    bool m_blockChecked = false;
    // The guide of the block hiding is up: a released drag fills the panel.
    bool m_awaitingDrag = false;
};

} // namespace Zelkor
