#pragma once

#include "table/searchhistory.h"
#include "table/tableediting.h"

#include <QObject>
#include <QString>

namespace Zelkor {

class TableDocument;
class UserInterface;

/// The editing and search commands of the grid on the document's table: deleting and inserting
/// rows and columns, comments, typing into a cover cell, rows and columns dragged to a new place,
/// search and its marks. While a command's question is open, the row or column it is about is
/// the pending tint (the grid tints it pale green).
class TableEditCommands : public QObject
{
    Q_OBJECT

public:
    /// doc and ui must outlive the commands.
    TableEditCommands(TableDocument *doc, UserInterface *ui, QObject *parent = nullptr);

    /// "この行を削除する" on grid row `row`: asks, removes the species row and the relevés left
    /// empty. Nothing (no question) outside the species rows in use.
    void deleteRow(int row);
    /// "この列を削除する" on grid column `col`: asks, removes the relevé column and the species
    /// rows left empty. Nothing outside the relevé columns in use.
    void deleteColumn(int col);
    /// "この上に行を挿入": asks, inserts an empty row above `row` (up to the first spare row).
    void insertRow(int row);
    /// "この左に列を挿入": asks, inserts an empty relevé column left of `col` (up to the first
    /// spare column).
    void insertColumn(int col);
    /// "コメントを書込む": asks for the comment text of species row `row`.
    void writeComment(int row);
    /// Text typed into cover cell (c, r) in editing mode, by the rule of
    /// TableEditing::applyCellEdit with the settings' layer names. A refused text is reported
    /// through the user interface and false is returned; the cell keeps its text.
    bool editCell(int c, int r, const QString &text);
    /// A row or column dragged to a new place in the grid (grid positions, as
    /// CellGrid::moveRow/moveColumn take them), one undoable step; false when nothing moved.
    bool moveRow(int from, int to);
    bool moveColumn(int from, int to);
    /// A row or column was dragged to a new place in the grid: the table changed.
    void markRearranged();
    /// Where a dragged species row or relevé column may be dropped (see TableEditing).
    int clampRowMove(int from, int to) const;
    int clampColumnMove(int from, int to) const;
    /// The row or column a command's open question is about (None when no question is open).
    EditTarget pendingTint() const { return m_pendingTint; }

    /// "完全一致" (exact) or "部分一致" / Enter (partial), with or without regard to case
    /// ("大文字・小文字を区別しない", TableSearch): appends text to the search history and marks
    /// the first 20 matching cells; a blank text only clears the marks. A search that marks
    /// nothing says so in the status bar (statusMessage()). Returns the marks.
    int search(const QString &text, bool exact, bool ignoreCase = false);
    /// "検索状態の解除": removes the search marks.
    void resetSearch();
    /// "次の検索位置へ": the search mark after the one gone to last, in the order of the marks,
    /// the first again after the last (a new search or "検索状態の解除" starts from the first);
    /// the status bar says which of how many it is. {-1, -1}, with a note that there are none,
    /// when the table holds no marks.
    GridCell nextSearchHit();
    /// The search box's earlier texts, for as long as the program runs.
    const SearchHistory &searchHistory() const { return m_searchHistory; }

    /// Menu "項目の値で群に分ける": asks for one of the table's header items (2..29, by their
    /// labels) and groups the relevés by its values (TableGrouping). False when cancelled or the
    /// table has no header item to choose.
    bool groupByItem();

    /// Menu "データの検査": asks, then shows (Yes) or hides (No) the hidden index row and column.
    void askShowIndexes();

Q_SIGNALS:
    /// The pending tint of an editing question (pendingTint()) was set or cleared.
    void tintChanged();
    /// A short note for the status bar (a search that found nothing).
    void statusMessage(const QString &text);

private:
    using EditCommand = bool (*)(TableModel &, UserInterface &, int, const TintHook &);
    /// Runs a row or column command with the pending tint as its tint; repaints (and refreshes
    /// the status when the counts may have changed) only when the table changed.
    void run(EditCommand command, int at, bool countsMayChange, const QString &name);
    void setPendingTint(const EditTarget &target);

    TableDocument *m_doc;
    UserInterface *m_ui;
    EditTarget m_pendingTint;
    SearchHistory m_searchHistory;
    // The mark nextSearchHit() goes to.
    std::size_t m_nextHit = 0;
};

} // namespace Zelkor
