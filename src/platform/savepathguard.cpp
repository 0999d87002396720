#include "platform/savepathguard.h"

#include "platform/fileaccess.h"

#include <QFileInfo>

namespace Zelkor {

QString overwriteQuestion()
{
    return QStringLiteral("同名のファイルが存在します。書き換えますか？");
}

QString askSaveFile(UserInterface &ui, const FileDialogRequest &request)
{
    const QString path = ui.getSaveFileName(request);
    if (path.isEmpty())
        return QString();
    if (QFileInfo::exists(path) && !ui.askYesAbort(overwriteQuestion()))
        return QString();
    return path;
}

SavePathGuard::SavePathGuard(UserInterface *inner, std::function<QStringList()> inputFiles)
    : m_inner(inner)
    , m_inputFiles(std::move(inputFiles))
{
}

QString SavePathGuard::getSaveFileName(const FileDialogRequest &request)
{
    const QString path = m_inner->getSaveFileName(request);
    if (path.isEmpty())
        return path;
    QString error;
    if (checkOutputFile(path, m_inputFiles ? m_inputFiles() : QStringList(), &error))
        return path;
    m_inner->showError(QStringLiteral("エラー"), error);
    return QString();
}

} // namespace Zelkor
