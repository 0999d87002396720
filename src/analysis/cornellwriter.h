#pragma once

#include "analysis/matrixoutputoptions.h"

#include <QString>

namespace Zelkor {

class Feedback;
class TableModel;

/// The table in the Cornell condensed format that DECORANA, TWINSPAN, CANOCO and PC-ORD read,
/// CP932 text with CR LF line ends:
///   the title (cut to 80 bytes);
///   the format of a data record, "(I5,1X,6(I6,F6.1))" (wider numbers for a table that needs
///   them), and the number of couplets a record holds, 6;
///   for each relevé its records: its number and up to six couplets of a species number and
///   the value of the cell by the chosen conversion; a record of relevé number 0 ends them;
///   the species names, ten labels of 8 bytes a line, then the relevé names the same way.
/// Relevés and species are those of the matrices (empty columns and comment rows left out) that
/// hold a value above 0, numbered from 1 in table order. The names are the 8-byte labels the
/// package's matrix writes, made unique the same way; a relevé is named by its label (the
/// header row after item 1), or its number when that is empty. Conversion 5 writes "+" for
/// class +, which is no number, and is refused.
class CornellWriter
{
public:
    /// The file type of the save dialog ("label|pattern") and the extension.
    static QString nameFilter() { return QStringLiteral("Cornell 形式 (*.cep)|*.cep"); }
    static QString extension() { return QStringLiteral(".cep"); }
    /// The couplets of a record.
    static constexpr int Couplets = 6;

    /// Writes the table to fileName through a temporary file that replaces it only when all was
    /// written; false with errorString() otherwise. feedback (if given) is told each relevé;
    /// cancelled, nothing is written (Feedback::canceledMessage()).
    bool write(const TableModel &model, const MatrixOutputOptions &options, const QString &fileName,
               Feedback *feedback = nullptr);

    QString errorString() const { return m_error; }

private:
    QString m_error;
};

} // namespace Zelkor
