#include "table/tabledocument.h"

#include "platform/userinterface.h"
#include "table/tableediting.h"

#include <QFileInfo>

namespace Zelkor {

TableDocument::TableDocument(UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
{
    m_model.setTableFont(m_settings.tableFont);
}

void TableDocument::initTableArrays()
{
    m_model.initTableArrays();
    m_history.clear();
    Q_EMIT tableReset();
}

QString TableDocument::tableFileName() const
{
    return QFileInfo(m_tableFilePath).fileName();
}

void TableDocument::clearTable()
{
    m_ui->showWorkMessage(QStringLiteral("　組成表を白紙化しています　"));
    m_model.setTableFont(m_settings.tableFont);
    m_model.clearTable(m_items);
    m_history.clear();
    m_tableFilePath.clear();
    Q_EMIT tableReset();
    m_ui->closeWorkMessage();
    Q_EMIT tableChanged();
    Q_EMIT statusChanged();
}

void TableDocument::reNewTable()
{
    // New labels of the header rows of a table change what is saved with it.
    QStringList labels;
    for (int q = 1; q < m_model.headerRows(); ++q)
        labels << m_model.grid().cell(TableModel::NameColumn, q);
    const bool hadRows = m_model.releveCount() > 0 || m_model.speciesCount() > 0;
    TableHistory::Step step(m_history, QStringLiteral("見出し項目の変更"));
    m_model.setTableFont(m_settings.tableFont);
    m_model.reNewTable(m_items);
    if (hadRows) {
        for (int q = 1; q < m_model.headerRows(); ++q)
            if (q > labels.size() || labels.at(q - 1) != m_model.grid().cell(TableModel::NameColumn, q))
                m_model.setModified(true);
    }
    Q_EMIT tableChanged();
}

void TableDocument::recomputeFrequencies()
{
    m_ui->setBusy(true);
    {
        TableHistory::Step step(m_history, QStringLiteral("出現頻度の再計算"));
        m_model.recomputeFrequencies();
    }
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
}

bool TableDocument::undo()
{
    if (!m_history.undo())
        return false;
    Q_EMIT historyReplayed();
    Q_EMIT tableChanged();
    Q_EMIT statusChanged();
    return true;
}

bool TableDocument::redo()
{
    if (!m_history.redo())
        return false;
    Q_EMIT historyReplayed();
    Q_EMIT tableChanged();
    Q_EMIT statusChanged();
    return true;
}

void TableDocument::editTitle()
{
    TableHistory::Step step(m_history, QStringLiteral("標題の編集"));
    const QString before = m_title;
    if (TableEditing::editTitle(*m_ui, &m_title, m_settings.dataFileName) && m_title != before)
        m_model.setModified(true);
    Q_EMIT statusChanged();
}

QString TableDocument::askOpenFile(const QString &title, const QString &filter, const QString &fileName)
{
    FileDialogRequest request = FileDialogRequest::forType(filter);
    request.title = title;
    request.directory = m_openFolder.isEmpty() ? m_settings.dataDirectory : m_openFolder;
    request.fileName = fileName;
    const QString path = m_ui->getOpenFileName(request);
    if (!path.isEmpty())
        m_openFolder = QFileInfo(path).absolutePath();
    return path;
}

} // namespace Zelkor
