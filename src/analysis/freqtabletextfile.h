#pragma once

#include <QString>

namespace Zelkor {

class Feedback;
class FreqTableModel;

/// The block text file of constancy tables (".txt"), which lets tables be merged: reading adds
/// the file's groups as new columns to the table on screen. CP932 text with CR LF line ends:
///   "#T"
///   the date it was written (the user's short date format)
///   the table title
///   then for each group column: "#S", one line "label,cell" for each row whose cell in that
///   column is neither empty nor "・" (the heading rows included), "#E", an empty line.
/// A label may itself hold commas: the cell is what follows the last comma of the line.
class FreqTableTextFile
{
public:
    /// The file type of the save dialog and of the open dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("テキストで保存 (*.txt)|*.txt"); }
    static QString openNameFilter() { return QStringLiteral("テキスト形式 (*.txt)|*.txt"); }

    /// Longest cell text taken from a line.
    static constexpr int MaxValueLength = 36;
    /// Most rows and columns the table may reach by reading, and the largest file read.
    static constexpr int MaxRows = 1000000;
    static constexpr int MaxColumns = 1000000;
    static constexpr qint64 MaxBytes = qint64(1) << 30;

    /// Writes the table of model with dateText on the date line, through a temporary file that
    /// replaces fileName only when all was written; false with errorString() otherwise. feedback
    /// (if given) is told each group written; cancelled, nothing is written.
    bool write(const FreqTableModel &model, const QString &dateText, const QString &fileName,
               Feedback *feedback = nullptr);

    /// Adds the groups of fileName to *model as new columns on the right, after dropping the
    /// empty columns and rows at the end of the grid. Each line is put into the first row whose
    /// label equals its label; a label not yet there gets a new row at the bottom. A window that
    /// holds no table yet takes the file as a constancy table of its own (label column and
    /// heading rows fixed, caption from the file's title). Empty lines inside a group are passed
    /// over. A damaged file (no group at all, a group that does not end with "#E", text that is
    /// no Shift-JIS) or one that would take the table beyond MaxRows rows or MaxColumns columns
    /// gives false with errorString() and leaves *model as it was. The file is taken line by
    /// line: memory follows the table, not the lines.
    bool read(const QString &fileName, FreqTableModel *model);

    /// The reason of the last failed write() or read(), in Japanese.
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

} // namespace Zelkor
