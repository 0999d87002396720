#pragma once

#include "platform/textfile.h"

#include <QString>

namespace Zelkor {

class Feedback;
class FidelityTable;
class TableModel;

/// The fidelity table as comma-separated text for other programs (".csv", CP932, CR LF): the
/// header line
///   species,group,N,N_g,n,n_g,constancy,phi,p,diagnostic
/// then one line for every species row that some relevé holds (comment rows and empty rows have
/// none) and every group that holds relevés, species by species in the table's order: the name,
/// the group's label (the label of its first relevé without surrounding blanks, or the group's
/// name "A", "B" … when that is empty), the counts N, N_g, n and n_g, the constancy in percent
/// (n_g × 100 / N_g), phi, p, and 1 when the species is diagnostic for the group, else 0. The
/// three fractions are written in the shortest form that reads back as the same double
/// ("0.575", "2.666174209030935e-194").
class FidelityCsvFile
{
public:
    /// The shortest decimal text that reads back as value; "0" for either zero.
    static QString number(double value);

    /// Writes table, computed from model, through a temporary file that replaces fileName only
    /// when all was written; false with errorString() otherwise. feedback (if given) is told each
    /// species written; cancelled, nothing is written.
    bool write(const FidelityTable &table, const TableModel &model, const QString &fileName,
               Feedback *feedback = nullptr);

    /// The reason of the last failed write(), in Japanese.
    QString errorString() const { return m_error; }
    /// Names each group by the value of the header row row at its first relevé (the item the
    /// relevés were grouped by) instead of the first relevé's label; -1 (the default) for the label.
    void setGroupNameRow(int row) { m_groupNameRow = row; }
    /// The encoding of the file written (CP932 unless set).
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }

private:
    QString m_error;
    TextEncoding m_encoding = TextEncoding::Cp932;
    int m_groupNameRow = -1;
};

} // namespace Zelkor
