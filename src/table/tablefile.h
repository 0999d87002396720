#pragma once

#include <QString>

namespace Zelkor {

class Feedback;
class HeaderItems;
class TableModel;

/// The table file (".vtb"): a whole composition table with its cover codes, saved as CP932 text
/// with CR LF line ends and read back so that the loaded table looks and behaves as the saved
/// one. With S species, R relevés and H header rows the lines are:
///   1                  the table title
///   2                  "S R H"
///   3 .. S+3           cover lines for species 0..S: R+1 groups of seven characters, one per
///                      layer, each the character 48 + code (group 0 is column 3, which carries
///                      no relevé; line 0 holds the relevés' scale bytes)
///   S+4                the index line ",,,0,1,...,R"
///   S+5 .. S+H+4       grid rows 1..H as comma text (header-item rows, species-number row)
///   S+H+5 .. 2S+H+4    the species rows as comma text, their first field the number 1..S
///   after them         only when relevés have a source (ReleveSource, where an extraction took
///                      them from): "#sources", then "D,n,path" for each database and
///                      "R,j,n,record" for each such relevé j. Readers go by the counts of line 2
///                      and never reach these lines, so older versions read such a file as
///                      before; a damaged line of them is passed over.
/// Rows are written over columns 0..R+3, the columns a loaded table has.
/// Saving numbers relevés and species by display position, so a loaded table has relevé j in
/// column j + 3 and species i in row H + i.
///
/// A code byte v is stored as the one byte 48 + v, as tables have always been written: 0..79
/// give the characters "0".."\x7F", higher values raw bytes up to 0xFF (so the cover lines are
/// bytes, not text, and are never decoded). Values above 207 have no such byte; a table holding
/// one is not saved (errorString() names the cell) rather than saved wrongly. Reading takes
/// every byte from "0" (0x30) up as 48 + code.
///
/// The file is read and written in pieces (a read-ahead window; see setWindowBytes()): the cover
/// lines are taken apart in the window itself, so that a table of any size costs no more memory
/// for its file than a piece and its longest line of comma text. Both directions report their
/// progress in percent to a Feedback and stop when it is cancelled or the process is
/// interrupted (the batch front end's Ctrl+C): a stopped read changes nothing, a stopped write
/// leaves any old file as it was, and both return false with errorString()
/// Feedback::canceledMessage().
class TableFile
{
public:
    /// The file type of the save dialog and of the open dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("組成表で保存 (*.vtb)|*.vtb"); }
    static QString openNameFilter() { return QStringLiteral("植生組成表ファイル (*.vtb)|*.VTB"); }
    /// The extension of a table file.
    static QString extension() { return QStringLiteral(".vtb"); }

    /// Writes the table with its title to fileName through a temporary file that replaces the
    /// target only when everything was written; false with errorString() otherwise, the old
    /// file then unchanged. The table itself is not changed.
    bool write(const TableModel &model, const QString &title, const QString &fileName,
               Feedback *feedback = nullptr);

    /// Reads a table file into *model, *items and *title. The file is read into a fresh table
    /// (laid out with the font of *model); only when the whole file has been read is it put in
    /// place, so on failure (false with errorString() naming the line) nothing has changed.
    /// On success the capacities equal the counts, DataScaleD is 2, the header items of the
    /// table's header rows are laid out and selected (labels from the file), all others not,
    /// and the frequencies and running numbers are recomputed.
    bool read(const QString &fileName, TableModel *model, HeaderItems *items, QString *title,
              Feedback *feedback = nullptr);

    /// The size of the pieces the file is read and written in (2 MiB unless set; at least one
    /// byte). Tests set a few bytes, so that every line lies across many pieces.
    void setWindowBytes(qsizetype bytes);

    /// The reason of the last failed write() or read(), in Japanese.
    QString errorString() const { return m_error; }

    /// True when a code byte value can be stored as one byte of a cover line (0..207).
    static bool isStorableCode(int value);

private:
    QString m_error;
    qsizetype m_window = qsizetype(2) << 20;
};

} // namespace Zelkor
