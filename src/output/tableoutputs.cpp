#include "output/tableoutputs.h"

#include "output/tabletextfile.h"
#include "platform/userinterface.h"
#include "shell/filefilters.h"
#include "table/settings.h"
#include "table/tablemodel.h"

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

} // namespace Zelkor
