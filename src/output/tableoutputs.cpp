#include "output/tableoutputs.h"

#include "output/outputpanel.h"
#include "output/simpletablelayout.h"
#include "output/tableprinter.h"
#include "output/tabletextfile.h"
#include "output/tableworkbook.h"
#include "platform/feedback.h"
#include "platform/printerstream.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"
#include "table/settings.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"


namespace Zelkor {

TableOutputs::TableOutputs(TableModel &model, const HeaderItems &items, const Settings &settings,
                           const QString *tableTitle, UserInterface &ui)
    : m_model(model)
    , m_items(items)
    , m_settings(settings)
    , m_tableTitle(tableTitle)
    , m_ui(ui)
{
}

TableLayoutOptions TableOutputs::layoutOptions(const OutputRange &range) const
{
    return TableLayoutOptions::make(*m_tableTitle, range, m_settings);
}

void TableOutputs::registerWith(OutputPanel &panel)
{
    panel.setOutput(OutputPanel::TextFile, [this](const OutputRange &range) { outputTextFile(range); });
    panel.setOutput(OutputPanel::ExcelFile, [this](const OutputRange &range) { outputWorkbook(range); });
    panel.setOutput(OutputPanel::PrintTable, [this](const OutputRange &range) { printTable(range); });
    panel.setOutput(OutputPanel::PrintKanni, [this](const OutputRange &range) { printSimpleTable(range); });
}

void TableOutputs::renumber()
{
    TableHistory::Step step(m_history, QStringLiteral("出現頻度の再計算"));
    m_model.recomputeFrequencies();
}

QString TableOutputs::askOutputFile(const QString &filter, const QString &extension)
{
    FileDialogRequest request = FileDialogRequest::forType(filter, extension);
    request.fileName = *m_tableTitle + extension;
    return askSaveFile(m_ui, request);
}

bool TableOutputs::outputTextFile(const OutputRange &range)
{
    renumber();
    const QString path = askOutputFile(TableTextFile::nameFilter(), QStringLiteral(".txt"));
    if (path.isEmpty())
        return false;

    CancelableWork work(&m_ui, QStringLiteral("　組成表をテキスト出力しています　"));
    const TableLayout layout(m_model, m_items, layoutOptions(range));
    TableTextFile file;
    const bool ok = file.write(layout, range.firstSpecies, range.lastSpecies, path, work.feedback());
    work.close();
    if (!ok && !work.isCanceled())
        m_ui.showError(QStringLiteral("エラー"),
                       QStringLiteral("組成表をテキスト出力できませんでした。\n%1").arg(file.errorString()));
    return ok;
}

bool TableOutputs::outputWorkbook(const OutputRange &range)
{
    const QString path = askOutputFile(TableWorkbook::nameFilter(), QStringLiteral(".xlsx"));
    if (path.isEmpty())
        return false;

    CancelableWork work(&m_ui, QStringLiteral("　エクセル形式データに変換中　"), QString(), QStringLiteral("   "));
    renumber();
    // The second line counts the rows written.
    TableWorkbook workbook(m_model, m_items, layoutOptions(range));
    const bool ok = workbook.write(path, work.feedback());
    work.close();
    if (!ok && !work.isCanceled()) {
        const QString failed = QStringLiteral("　MS Excelへ書き込めませんでした　");
        m_ui.showWorkMessage(failed);
        m_ui.showError(QStringLiteral("エラー"), failed.trimmed() + QLatin1Char('\n') + workbook.errorString());
        m_ui.closeWorkMessage();
    }
    return ok;
}

bool TableOutputs::printTable(const OutputRange &range)
{
    std::unique_ptr<PrinterStream> printer = m_ui.choosePrinter(*m_tableTitle);
    if (!printer)
        return false;
    CancelableWork work(&m_ui, QStringLiteral("　組成表を印刷しています　"));
    renumber();
    const TableLayout layout(m_model, m_items, layoutOptions(range));
    TablePrinter print;
    const bool ok = print.printFull(layout, range.firstSpecies, range.lastSpecies, m_settings.printFont, *printer,
                                    work.feedback());
    work.close();
    if (!ok && !work.isCanceled())
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("組成表を印刷できませんでした。\n%1").arg(print.errorString()));
    return ok;
}

bool TableOutputs::printSimpleTable(const OutputRange &range)
{
    std::unique_ptr<PrinterStream> printer = m_ui.choosePrinter(*m_tableTitle);
    if (!printer)
        return false;
    CancelableWork work(&m_ui, QStringLiteral("　組成表の簡易印刷をしています　"));
    renumber();
    const SimpleTableLayout layout(m_model, m_items, layoutOptions(range));
    TablePrinter print;
    const bool ok = print.printSimple(layout, m_settings.printFont, *printer, work.feedback());
    work.close();
    if (!ok && !work.isCanceled())
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("組成表を印刷できませんでした。\n%1").arg(print.errorString()));
    return ok;
}

} // namespace Zelkor
