#pragma once

#include "analysis/matrixoutputoptions.h"

#include <QString>

namespace Zelkor {

class TableModel;
class UserInterface;
struct Settings;

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

    /// The matrices of model's table with the table title and the settings' conversion and
    /// orientation, as the output panel runs them; everything given must outlive the object.
    MatrixOutput(const TableModel &model, const Settings &settings, const QString *tableTitle, UserInterface &ui);
    /// The value matrix of range (output mode 4).
    bool outputValueMatrixOf(const OutputRange &range);
    /// The package's matrix of range and its label list (output mode 5).
    bool outputPCordCSVOf(const OutputRange &range);
    /// The Cornell condensed file of range (output mode 7).
    bool outputCornellOf(const OutputRange &range);

    /// "数値表として出力する": asks for the file and writes the value matrix in the orientation
    /// of options, showing the work message with the row or column being written. True when the
    /// file was written.
    static bool outputValueMatrix(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui);
    /// "PCord用にCSV出力する": asks for the file and writes the package's matrix and the label
    /// list beside it (replaced without a question). True when both were written.
    static bool outputPCordCSV(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui);

    /// "Cornell 形式で出力する": asks for the ".cep" file (proposing the title) and writes the
    /// table in the Cornell condensed format with the settings' conversion, showing the work
    /// message with "中止". Conversion 5 is refused with a message before the file is asked
    /// for. True when the file was written.
    static bool outputCornell(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui);

private:
    const TableModel &m_model;
    const Settings &m_settings;
    const QString *m_tableTitle;
    UserInterface &m_ui;
};

} // namespace Zelkor
