#include "output/tableoutputs.h"

#include "output/simpletablelayout.h"
#include "output/tableprinter.h"
#include "output/tabletextfile.h"
#include "output/tableworkbook.h"
#include "platform/printerstream.h"
#include "platform/userinterface.h"
#include "shell/filefilters.h"
#include "table/settings.h"
#include "table/tablemodel.h"

#include <QElapsedTimer>
#include <QFileInfo>

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
    TableLayoutOptions options;
    options.title = *m_tableTitle;
    options.range = range;
    options.frequency = m_settings.frequency;
    options.oneTimeApart = m_settings.oneTime;
    options.layerNames = m_settings.layerNames;
    return options;
}

QString TableOutputs::askOutputFile(int filterIndex, const QString &extension, const QString &proposedName)
{
    FileDialogRequest request;
    request.filters = saveFilters();
    request.filterIndex = filterIndex;
    request.defaultExtension = extension;
    request.fileName = proposedName;
    const QString path = m_ui.getSaveFileName(request);
    if (path.isEmpty())
        return QString();
    if (QFileInfo::exists(path) && !m_ui.askYesAbort(QStringLiteral("同名のファイルが存在します。書き換えますか？")))
        return QString();
    return path;
}

bool TableOutputs::outputTextFile(const OutputRange &range)
{
    m_model.recomputeFrequencies();
    const QString path = askOutputFile(2, QStringLiteral(".txt"), *m_tableTitle + QStringLiteral(".txt"));
    if (path.isEmpty())
        return false;

    m_ui.showWorkMessage(QStringLiteral("　組成表をテキスト出力しています　"));
    const TableLayout layout(m_model, m_items, layoutOptions(range));
    TableTextFile file;
    const bool ok = file.write(layout, range.firstSpecies, range.lastSpecies, path);
    m_ui.closeWorkMessage();
    if (!ok)
        m_ui.showError(QStringLiteral("エラー"),
                       QStringLiteral("組成表をテキスト出力できませんでした。\n%1").arg(file.errorString()));
    return ok;
}

bool TableOutputs::outputExcelFile(const OutputRange &range)
{
    const QString path = askOutputFile(4, QStringLiteral(".xlsx"), *m_tableTitle + QStringLiteral(".xlsx"));
    if (path.isEmpty())
        return false;

    const QString working = QStringLiteral("　エクセル形式データに変換中　");
    m_ui.showWorkMessage(working, QStringLiteral("   "));
    m_model.recomputeFrequencies();
    // The second line counts the rows written; a few times a second is enough to see it move.
    QElapsedTimer shown;
    shown.start();
    int lastShown = -1;
    auto progress = [&](int number) {
        if (number == lastShown || (lastShown > 30 && shown.elapsed() < 200))
            return;
        lastShown = number;
        shown.restart();
        m_ui.showWorkMessage(working, QString::number(number));
    };
    TableWorkbook workbook(m_model, m_items, layoutOptions(range));
    const bool ok = workbook.write(path, progress);
    if (!ok) {
        const QString failed = QStringLiteral("　MS Excelへ書き込めませんでした　");
        m_ui.showWorkMessage(failed);
        m_ui.showError(QStringLiteral("エラー"), failed.trimmed() + QLatin1Char('\n') + workbook.errorString());
    }
    m_ui.closeWorkMessage();
    return ok;
}

bool TableOutputs::outPutPrinter(const OutputRange &range)
{
    std::unique_ptr<PrinterStream> printer = m_ui.choosePrinter();
    if (!printer)
        return false;
    m_ui.showWorkMessage(QStringLiteral("　組成表を印刷しています　"));
    m_model.recomputeFrequencies();
    const TableLayout layout(m_model, m_items, layoutOptions(range));
    TablePrinter print;
    const bool ok = print.printFull(layout, range.firstSpecies, range.lastSpecies, m_settings.printFont, *printer);
    m_ui.closeWorkMessage();
    if (!ok)
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("組成表を印刷できませんでした。\n%1").arg(print.errorString()));
    return ok;
}

bool TableOutputs::outPutPrinter2(const OutputRange &range)
{
    std::unique_ptr<PrinterStream> printer = m_ui.choosePrinter();
    if (!printer)
        return false;
    m_ui.showWorkMessage(QStringLiteral("　組成表の簡易印刷をしています　"));
    m_model.recomputeFrequencies();
    const SimpleTableLayout layout(m_model, m_items, layoutOptions(range));
    TablePrinter print;
    const bool ok = print.printSimple(layout, m_settings.printFont, *printer);
    m_ui.closeWorkMessage();
    if (!ok)
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("組成表を印刷できませんでした。\n%1").arg(print.errorString()));
    return ok;
}

} // namespace Zelkor
