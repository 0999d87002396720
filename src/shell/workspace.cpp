#include "shell/workspace.h"

#include "platform/versioninfo.h"

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

} // namespace Zelkor
