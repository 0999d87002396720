#include "analysis/matrixoutput.h"

#include "analysis/cornellwriter.h"
#include "analysis/pcordmatrixwriter.h"
#include "analysis/valuematrixwriter.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"


namespace Zelkor {

namespace {

// The save dialog on the matrix file type; empty when cancelled or when the user does not want
// an existing file replaced.
QString askMatrixFile(UserInterface &ui, const QString &proposed, TextEncoding *encoding)
{
    FileDialogRequest request = FileDialogRequest::forType(Csv::nameFilter(), QStringLiteral(".csv"));
    request.fileName = proposed;
    request.offerEncoding = true;
    const QString path = askSaveFile(ui, request);
    *encoding = request.encoding;
    return path;
}

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

bool MatrixOutput::outputCornellOf(const OutputRange &range)
{
    return outputCornell(m_model, MatrixOutputOptions::make(*m_tableTitle, range, m_settings), m_ui);
}

bool MatrixOutput::outputCornell(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui)
{
    if (options.method == 5) {
        ui.showError(QStringLiteral("エラー"), QStringLiteral("優占度変換「無変・最大 (+-5)」は級 + を「+」と書くため、"
                                                               "数だけの Cornell 形式には出力できません。別の変換を選んで下さい。"));
        return false;
    }
    FileDialogRequest request = FileDialogRequest::forType(CornellWriter::nameFilter(), CornellWriter::extension());
    request.fileName = options.title + CornellWriter::extension();
    const QString path = askSaveFile(ui, request);
    if (path.isEmpty())
        return false;
    CancelableWork work(&ui, QStringLiteral("　Cornell 形式で出力中　"));
    CornellWriter writer;
    const bool ok = writer.write(model, options, path, work.feedback());
    work.close();
    if (!ok && !work.isCanceled())
        ui.showError(QStringLiteral("エラー"), QStringLiteral("Cornell 形式で出力できませんでした。\n%1").arg(writer.errorString()));
    return ok;
}

bool MatrixOutput::outputValueMatrix(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui)
{
    TextEncoding encoding = TextEncoding::Cp932;
    const QString path = askMatrixFile(ui, valueMatrixFileName(options.title), &encoding);
    if (path.isEmpty())
        return false;
    // The lower line shows the position being written.
    CancelableWork work(&ui, valueMatrixMessage());
    ValueMatrixWriter writer;
    writer.setEncoding(encoding);
    const bool ok = writer.write(model, options, path, work.feedback());
    work.close();
    if (!ok && !work.isCanceled())
        ui.showError(QStringLiteral("エラー"), QStringLiteral("数値表を出力できませんでした。\n%1").arg(writer.errorString()));
    return ok;
}

bool MatrixOutput::outputPCordCSV(const TableModel &model, const MatrixOutputOptions &options, UserInterface &ui)
{
    TextEncoding encoding = TextEncoding::Cp932;
    const QString path = askMatrixFile(ui, pcordFileName(options.title), &encoding);
    if (path.isEmpty())
        return false;
    // No work message here; the busy cursor tells that the program works.
    ui.setBusy(true);
    Feedback feedback;
    PCordMatrixWriter writer;
    writer.setEncoding(encoding);
    const bool ok = writer.write(model, options, path, &feedback);
    ui.setBusy(false);
    if (!ok && !feedback.isCanceled())
        ui.showError(QStringLiteral("エラー"), QStringLiteral("PCord用の数値表を出力できませんでした。\n%1").arg(writer.errorString()));
    return ok;
}

} // namespace Zelkor
