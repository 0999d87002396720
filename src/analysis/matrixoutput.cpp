#include "analysis/matrixoutput.h"

#include "analysis/pcordmatrixwriter.h"
#include "analysis/valuematrixwriter.h"
#include "platform/csv.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"

#include <QElapsedTimer>

namespace Zelkor {

namespace {

// The save dialog on the matrix file type; empty when cancelled or when the user does not want
// an existing file replaced.
QString askMatrixFile(UserInterface &ui, const QString &proposed)
{
    FileDialogRequest request = FileDialogRequest::forType(Csv::nameFilter(), QStringLiteral(".csv"));
    request.fileName = proposed;
    return askSaveFile(ui, request);
}

// The lower line of a work message shows the position being written, but a repaint for every
// row of a large table would cost more than the rows: a few times a second is enough.
constexpr qint64 kProgressIntervalMs = 100;

} // namespace

MatrixOutput::MatrixOutput(const TableModel &model, const Settings &settings, const QString *tableTitle,
                           UserInterface &ui)
    : m_model(model)
    , m_settings(settings)
    , m_tableTitle(tableTitle)
    , m_ui(ui)
{
}

bool MatrixOutput::outputValueMatrixOf(const OutputRange &range)
{
    return outputValueMatrix(m_model, MatrixOutputOptions::make(*m_tableTitle, range, m_settings), m_ui);
}

bool MatrixOutput::outputPCordCSVOf(const OutputRange &range)
{
    return outputPCordCSV(m_model, MatrixOutputOptions::make(*m_tableTitle, range, m_settings), m_ui);
}

bool MatrixOutput::outputValueMatrix(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui)
{
    const QString path = askMatrixFile(ui, valueMatrixFileName(options.title));
    if (path.isEmpty())
        return false;
    ui.showWorkMessage(valueMatrixMessage());
    QElapsedTimer shown;
    ValueMatrixWriter writer;
    writer.setProgress([&](int position) {
        if (shown.isValid() && shown.elapsed() < kProgressIntervalMs)
            return;
        ui.showWorkMessage(valueMatrixMessage(), QString::number(position));
        shown.start();
    });
    const bool ok = writer.write(model, options, path);
    ui.closeWorkMessage();
    if (!ok)
        ui.showError(QStringLiteral("エラー"), QStringLiteral("数値表を出力できませんでした。\n%1").arg(writer.errorString()));
    return ok;
}

bool MatrixOutput::outputPCordCSV(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui)
{
    const QString path = askMatrixFile(ui, pcordFileName(options.title));
    if (path.isEmpty())
        return false;
    // No work message here; the busy cursor tells that the program works.
    ui.setBusy(true);
    PCordMatrixWriter writer;
    const bool ok = writer.write(model, options, path);
    ui.setBusy(false);
    if (!ok)
        ui.showError(QStringLiteral("エラー"), QStringLiteral("PCord用の数値表を出力できませんでした。\n%1").arg(writer.errorString()));
    return ok;
}

} // namespace Zelkor
