#pragma once

#include <QString>

namespace Zelkor {

class Feedback;
class TableLayout;

/// The composition table as a text file in the publication layout: CP932 text with CR LF line
/// ends, pages of up to 46 relevés (52 on later pages) separated by a form-feed line. The file
/// is written through a temporary file that replaces an existing one only when everything was
/// written.
class TableTextFile
{
public:
    /// The file type of the save dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("組成表テキストファイル(*.txt)|*.txt"); }

    /// Writes layout's table, species rows firstSpecies..lastSpecies, to fileName. False with
    /// errorString() when the file cannot be written; an existing file then stays as it was.
    /// feedback (if given) follows the pages; cancelled, nothing is written
    /// (Feedback::canceledMessage()).
    bool write(const TableLayout &layout, int firstSpecies, int lastSpecies, const QString &fileName,
               Feedback *feedback = nullptr);

    /// Why the last write failed, in Japanese.
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

} // namespace Zelkor
