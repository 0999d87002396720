#pragma once

#include "platform/textfile.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Zelkor {

class Feedback;
class FreqTableModel;

/// The CSV file of the second window (".csv"), a constancy table or a score table. CP932 text
/// with CR LF line ends: the table title, then one line per grid row with the cells of all
/// columns joined by commas. A cell that holds a comma or a double quote is enclosed in double
/// quotes, each quote inside doubled; every other cell stands as it is, blanks included.
class FreqTableCsvFile
{
public:
    /// The file type of the save dialog and of the open dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("CSVファイルで保存 (*.csv)|*.csv"); }
    static QString openNameFilter() { return QStringLiteral("CSV常在度表 (*.csv)|*.csv"); }

    /// Most rows and columns a file may give the grid, and the largest file read.
    static constexpr int MaxRows = 1000000;
    static constexpr int MaxColumns = 1000000;
    static constexpr qint64 MaxBytes = qint64(1) << 30;

    /// Writes the caption and the grid of model through a temporary file that replaces fileName
    /// only when all was written; false with errorString() otherwise. feedback (if given) is told
    /// each row written; cancelled, nothing is written.
    bool write(const FreqTableModel &model, const QString &fileName, Feedback *feedback = nullptr);

    /// Replaces the caption and the cells of *model by the file's: as many rows as the file has
    /// lines after the title, as many columns as its longest line has fields; cells the file
    /// does not give are empty, none shaded. Fixed rows and columns and the sizes of the columns
    /// kept stay.
    /// A file without table rows (empty, or the title alone), with more rows or columns than the
    /// grid takes, or that cannot be read gives false with errorString() and leaves *model as it
    /// was. The file is taken line by line: memory follows the cells, not the lines.
    bool read(const QString &fileName, FreqTableModel *model);

    /// The reason of the last failed write() or read(), in Japanese.
    QString errorString() const { return m_error; }
    /// The encoding of the file written (CP932 unless set).
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }

private:
    QString m_error;
    TextEncoding m_encoding = TextEncoding::Cp932;
};

} // namespace Zelkor
