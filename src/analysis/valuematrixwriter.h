#pragma once

#include "platform/textfile.h"

#include "analysis/matrixoutputoptions.h"

#include <QString>
#include <functional>

namespace Zelkor {

class Feedback;
class TableModel;

/// The value matrix ("-vm.csv"): the converted cover values of the listed species and relevés
/// as comma-separated CP932 text with CR LF line ends. With rows as species:
///   ,LABEL,LABEL,...                 one cell per listed relevé after an empty first cell
///   "NAME",VALUE,VALUE,...          one line per listed species
/// With rows as relevés the header holds the quoted names and each line starts with the label.
/// A relevé label is the text of grid row 2 of its column, as it stands; a name is trimmed and
/// put in double quotes (inner quotes doubled); a label holding a comma, a double quote or a
/// line break is quoted as comma-separated files quote it. Species with frequency 0 and relevés with species number 0 inside
/// the ranges are left out of both the header and the lines.
class ValueMatrixWriter
{
public:
    /// Writes the matrix of model to fileName through a temporary file that replaces the target
    /// only when everything was written; false with errorString() otherwise, any old file then
    /// unchanged. The table is not changed. feedback (if given) is told each table position
    /// (species row or relevé column) of the output range before its line is written;
    /// cancelled, nothing is written (Feedback::canceledMessage()).
    bool write(const TableModel &model, const MatrixOutputOptions &options, const QString &fileName,
               Feedback *feedback = nullptr);

    /// The reason of the last failed write(), in Japanese.
    QString errorString() const { return m_error; }
    /// The encoding of the file written (CP932 unless set).
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }

private:
    QString m_error;
    TextEncoding m_encoding = TextEncoding::Cp932;
};

} // namespace Zelkor
