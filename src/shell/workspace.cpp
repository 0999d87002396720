#include "shell/workspace.h"

#include "platform/versioninfo.h"
#include "table/tablesearch.h"

#include <QFileInfo>

namespace Zelkor {

QString Workspace::notSpecified()
{
    return QStringLiteral("未指定");
}

Workspace::Workspace(UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_versionText(Zelkor::versionText(fileVersion()))
{
    m_model.setTableFont(m_settings.tableFont);
    initTableArrays();
}

Workspace::~Workspace() = default;

void Workspace::initTableArrays()
{
    m_model.initTableArrays();
    resetReadingState();
}

void Workspace::resetReadingState()
{
}

void Workspace::clearTable()
{
    m_ui->showWorkMessage(QStringLiteral("　組成表を白紙化しています　"));
    m_model.setTableFont(m_settings.tableFont);
    m_model.clearTable(m_items);
    resetReadingState();
    m_ui->closeWorkMessage();
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::reNewTable()
{
    m_model.setTableFont(m_settings.tableFont);
    m_model.reNewTable(m_items);
    Q_EMIT tableChanged();
}

void Workspace::itemFrequencyClick()
{
    m_ui->setBusy(true);
    m_model.recomputeFrequencies();
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
}

QString Workspace::windowTitle() const
{
    return QStringLiteral(" Vegetation Table Processing Ver.") + m_versionText + QStringLiteral("    [ ")
           + m_tableTitle + QStringLiteral(" ]");
}

QStringList Workspace::statusTexts() const
{
    const QString db = m_settings.dataFileName == notSpecified()
                           ? notSpecified()
                           : QFileInfo(m_settings.dataFileName).completeBaseName();
    const QString dict = m_settings.dictFileName == notSpecified()
                             ? notSpecified()
                             : QFileInfo(m_settings.dictFileName).fileName();
    return {QStringLiteral("DB"),
            db,
            QStringLiteral("測定数"),
            QString::number(m_model.releveCount()),
            QStringLiteral("種数"),
            QString::number(m_model.speciesCount()),
            QStringLiteral("異名辞書"),
            dict,
            QStringLiteral("表ファイル"),
            QFileInfo(m_tableFileName).fileName()};
}

void Workspace::updateStatus()
{
    Q_EMIT statusChanged();
}


// --- Editing and search ----------------------------------------------------------------------

void Workspace::setPendingTint(const EditTarget &target)
{
    if (m_pendingTint == target)
        return;
    m_pendingTint = target;
    Q_EMIT tintChanged();
}

void Workspace::itemDelRowClick(int row)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (!TableEditing::itemDelRowClick(m_model, *m_ui, row, tint))
        return;
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::itemDelColClick(int col)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (!TableEditing::itemDelColClick(m_model, *m_ui, col, tint))
        return;
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::itemInsRowClick(int row)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (!TableEditing::itemInsRowClick(m_model, *m_ui, row, tint))
        return;
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::itemInsColClick(int col)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (!TableEditing::itemInsColClick(m_model, *m_ui, col, tint))
        return;
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::itemCommentClick(int row)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (TableEditing::itemCommentClick(m_model, *m_ui, row, tint))
        Q_EMIT tableChanged();
}

void Workspace::itemEditTitleClick()
{
    TableEditing::itemEditTitleClick(*m_ui, &m_tableTitle, dataFileName());
    updateStatus();
}

bool Workspace::editCell(int c, int r, const QString &text)
{
    QString error;
    if (!TableEditing::applyCellEdit(m_model, c, r, text, &error, m_settings.layerNames)) {
        m_ui->showMessage(error);
        Q_EMIT tableChanged();
        return false;
    }
    Q_EMIT tableChanged();
    return true;
}

int Workspace::searchTable(const QString &text, bool exact)
{
    m_searchHistory.append(text);
    m_ui->setBusy(true);
    const int hits = TableSearch::search(m_model, text, exact);
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
    return hits;
}

void Workspace::itemResetSearchClick()
{
    TableSearch::reset(m_model);
    Q_EMIT tableChanged();
}

} // namespace Zelkor
