#pragma once

#include "platform/userinterface.h"
#include "table/tablemodel.h"

#include <QString>
#include <functional>
#include <vector>

namespace Zelkor {

/// The row or column of the grid that a command is about to act on; the grid tints it pale
/// green while the command's question is open.
struct EditTarget
{
    enum Kind { None, Row, Column };
    Kind kind = None;
    int index = 0; ///< grid row (Row) or grid column (Column)
    bool operator==(const EditTarget &) const = default;
};

/// Told the target just before a command asks its question, and EditTarget{} (None) once the
/// answer is in. May be empty.
using TintHook = std::function<void(const EditTarget &)>;

/// The editing commands of the composition table: deleting and inserting species rows and relevé
/// columns, comment rows, the table title, the limits of dragged rows and columns and typing into
/// a cover cell. Each command takes the table, the user interface that asks the questions and the
/// grid row or column it acts on; outside the rows or columns it may act on it does nothing and
/// asks nothing. The commands return true when they changed the table (or the title), and then
/// mark the table as changed (TableModel::setModified).
class TableEditing
{
public:
    /// The question texts, as the program asks them.
    static QString deleteRowQuestion() { return QStringLiteral("この行を削除しますか？"); }
    static QString deleteColumnQuestion() { return QStringLiteral("この列を削除しますか？"); }
    static QString insertRowQuestion() { return QStringLiteral("この上に行を挿入しますか？"); }
    static QString insertColumnQuestion() { return QStringLiteral("この左に列を挿入しますか？"); }
    /// Captions of the comment and title input dialogs.
    static QString commentCaption() { return QStringLiteral("　コメント行＝"); }
    static QString editTitleCaption() { return QStringLiteral("　表の見出しを編修する"); }

    /// Whether a command may act on the grid row or column: delete-row on a species row in use,
    /// delete-column on a relevé column in use, insert-row up to the first spare row, insert-column
    /// up to the first spare column, the comment on a species row in use.
    static bool canDeleteRow(const TableModel &model, int row);
    static bool canDeleteColumn(const TableModel &model, int col);
    static bool canInsertRow(const TableModel &model, int row);
    static bool canInsertColumn(const TableModel &model, int col);
    static bool canComment(const TableModel &model, int row);

    /// "この行を削除する": asks, then removes the species row and the relevés whose last species
    /// it held, and renumbers. Relevé columns that were empty already (group separators) stay.
    static bool deleteRow(TableModel &model, UserInterface &ui, int row, const TintHook &tint = {});
    /// "この列を削除する": asks, then removes the relevé column and the species rows whose last
    /// entry it held, and renumbers. Rows that were empty already (comment rows, inserted empty
    /// rows) stay.
    static bool deleteColumn(TableModel &model, UserInterface &ui, int col, const TintHook &tint = {});
    /// The relevé columns (grid columns, increasing) whose only species entry lies in grid row
    /// `row`: deleting the row leaves them empty.
    static std::vector<int> columnsEmptiedByRow(const TableModel &model, int row);
    /// The species rows (grid rows, increasing) whose only entry lies in grid column `col`.
    static std::vector<int> rowsEmptiedByColumn(const TableModel &model, int col);

    /// "この上に行を挿入": asks, then puts an empty row (no name, no entries) above the row,
    /// growing the species capacity if needed; if it cannot grow, the table stays as it was.
    static bool insertRow(TableModel &model, UserInterface &ui, int row, const TintHook &tint = {});
    /// "この左に列を挿入": asks, then puts an empty relevé column left of the column, growing the
    /// relevé capacity if needed; if it cannot grow, the table stays as it was.
    static bool insertColumn(TableModel &model, UserInterface &ui, int col, const TintHook &tint = {});
    /// "コメントを書込む": asks for the text of the row's name cell (the old text as the prompt,
    /// an empty field); OK writes it, an empty entry empties the cell; cancel, or the same text
    /// again, changes nothing.
    static bool writeComment(TableModel &model, UserInterface &ui, int row, const TintHook &tint = {});

    /// The start value of the title dialog: the title, or when it is empty the database file
    /// name without folder and extension (empty when no database is set).
    static QString titleStartValue(const QString &tableTitle, const QString &dataFileName);
    /// "組成表の標題を編集": asks for the title starting from titleStartValue(); OK stores the
    /// entered text in *tableTitle. True when OK was pressed.
    static bool editTitle(UserInterface &ui, QString *tableTitle, const QString &dataFileName);

    /// The row a dragged species row may go to: a species row stays among the species rows in use
    /// (it cannot leave the table below the last one), a row that is no species row in use cannot
    /// be moved at all (the result is `from`).
    static int clampRowMove(const TableModel &model, int from, int to);
    /// The same for a dragged relevé column: it stays within the relevé columns in use.
    static int clampColumnMove(const TableModel &model, int from, int to);

    /// Text typed into a cover cell (c, r) in editing mode. The rule:
    /// - the cell's present text unchanged: nothing happens (true), on any cell;
    /// - an empty text (or blanks only): the entry is deleted, every layer code zeroed;
    /// - layer entries "LAYER:CODE" separated by blanks or commas, e.g. "H1:+2 T1:3", LAYER one of
    ///   the seven layer labels of layerNames (case and blanks ignored, full-width colon allowed),
    ///   CODE a cover code as the database writes it (r + +1..+5 1..5 11..55 * ( e ?): the entry
    ///   replaces the cell's codes, unnamed layers become empty, and the cell shows the codes'
    ///   four-character text;
    /// - anything else, or a cell that is not a relevé cell of a species row in use, is refused:
    ///   false with a Japanese message in *error, nothing changed.
    /// The cover array and the cell text always agree afterwards; the numbers are recomputed.
    static bool applyCellEdit(TableModel &model, int c, int r, const QString &text,
                              QString *error = nullptr,
                              const QString &layerNames = QStringLiteral("T1T2S1S2H1H2 M"));
};

} // namespace Zelkor
