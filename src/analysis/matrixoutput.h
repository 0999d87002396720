#pragma once

#include "analysis/matrixoutputoptions.h"

#include <QString>

namespace Zelkor {

class TableModel;
class UserInterface;

/// The two numeric matrix outputs as the output panel runs them: the save dialog on the matrix
/// file type with the proposed name, the overwrite question, then the file. Cancelling the
/// dialog or answering Abort writes nothing. A file that cannot be written is reported with an
/// error message; any old file of that name then stays as it was.
class MatrixOutput
{
public:
    /// The work message of the value matrix.
    static QString valueMatrixMessage() { return QStringLiteral("　数値表として出力中　"); }
    /// The proposed file names: the title followed by "-vm.csv" or "-pcm.csv".
    static QString valueMatrixFileName(const QString &title) { return title + QStringLiteral("-vm.csv"); }
    static QString pcordFileName(const QString &title) { return title + QStringLiteral("-pcm.csv"); }

    /// "数値表として出力する": asks for the file and writes the value matrix in the orientation
    /// of options, showing the work message with the row or column being written. True when the
    /// file was written.
    static bool outputValueMatrix(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui);
    /// "PCord用にCSV出力する": asks for the file and writes the package's matrix and the label
    /// list beside it (replaced without a question). True when both were written.
    static bool outputPCordCSV(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui);
};

} // namespace Zelkor
