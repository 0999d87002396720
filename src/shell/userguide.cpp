#include "shell/userguide.h"

#include <QDir>
#include <QFileInfo>

#ifndef ZELKOR_GUIDE_RELATIVE
#define ZELKOR_GUIDE_RELATIVE "../share/doc/zelkor/guide"
#endif
#ifndef ZELKOR_SOURCE_GUIDE
#define ZELKOR_SOURCE_GUIDE ""
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
    if (QFileInfo(index).isFile())
        return index;
    const QString source = sourceIndexPath();
    return QFileInfo(source).isFile() ? source : QString();
}

QString UserGuide::sourceIndexPath()
{
    const QString folder = QStringLiteral(ZELKOR_SOURCE_GUIDE);
    return folder.isEmpty() ? QString() : QDir::cleanPath(folder + QStringLiteral("/index.html"));
}

} // namespace Zelkor
