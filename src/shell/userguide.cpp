#include "shell/userguide.h"

#include <QDir>
#include <QFileInfo>

#ifndef ZELKOR_GUIDE_RELATIVE
#define ZELKOR_GUIDE_RELATIVE "../share/doc/zelkor/guide"
#endif

namespace Zelkor {

QString UserGuide::relativeFolder()
{
    return QStringLiteral(ZELKOR_GUIDE_RELATIVE);
}

QString UserGuide::indexPath(const QString &programPath)
{
    if (programPath.isEmpty())
        return QString();
    const QDir folder(QFileInfo(programPath).absolutePath());
    const QString index = QDir::cleanPath(folder.filePath(relativeFolder() + QStringLiteral("/index.html")));
    return QFileInfo(index).isFile() ? index : QString();
}

} // namespace Zelkor
