#pragma once

#include "platform/textfile.h"

#include "analysis/matrixoutputoptions.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace Zelkor {

class Feedback;
class TableModel;

/// The matrix for the multivariate-analysis package ("-pcm.csv") and its label list (".lst").
/// The matrix has rows as relevés and columns as species, CP932 text with CR LF line ends:
///   NR,Releve,,,...          the number of listed relevés, then NS - 1 commas
///   NS,Species,,,...         the number of listed species, then NS - 1 commas
///   ,Q,Q,...                 one Q per listed species
///   ,LABEL,LABEL,...         the species' short labels
///   LABEL,VALUE,VALUE,...    one line per listed relevé: its label, then the converted values
/// A short label is the first 8 bytes of the species name in CP932, made unique over the species
/// range ("Carex sp" three times gives "Carex sp", "Carex  2", "Carex  3"). The list file, named
/// as the matrix with the extension ".lst", has one line per species of the matrix, in its order:
/// the short label, one blank and the name as it stands.
class PCordMatrixWriter
{
public:
    /// Writes the matrix to fileName and then the list file beside it, each through a temporary
    /// file that replaces its target only when everything was written; false with errorString()
    /// otherwise. The table is not changed. feedback (if given) is told the relevé position of
    /// each line written; cancelled, nothing more is written (Feedback::canceledMessage()).
    bool write(const TableModel &model, const MatrixOutputOptions &options, const QString &fileName,
               Feedback *feedback = nullptr);

    /// The reason of the last failed write(), in Japanese.
    QString errorString() const { return m_error; }
    /// The encoding of the file written (CP932 unless set).
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }

    /// n right-aligned in 2 characters and cut to 2 (2 gives " 2", 123 gives "12").
    static QString numField2(int n);
    /// The short labels of the species rows: entry j (table rows 1..speciesCount()) holds the
    /// label of row j when it lies in firstSpecies..lastSpecies, else nothing; entry 0 is unused.
    static std::vector<QByteArray> shortLabels(const TableModel &model, int firstSpecies, int lastSpecies);
    /// The label of a text as the package takes it: its first 8 bytes in CP932 (a two-byte
    /// character the cut would split left out).
    static QByteArray shortLabel(const QString &text);
    /// Makes the labels unique as shortLabels() makes the species labels: each label numbers the
    /// later labels equal to it ("Carex sp", "Carex  2", "Carex  3"), and a label that is still
    /// there twice takes the next free number.
    static void makeLabelsUnique(std::vector<QByteArray> *labels);
    /// The list file's name: fileName with its extension replaced by ".lst" (added when it has none).
    static QString listFileName(const QString &fileName);

private:
    QString m_error;
    TextEncoding m_encoding = TextEncoding::Cp932;
};

} // namespace Zelkor
