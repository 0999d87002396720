#include "platform/versioninfo.h"

namespace Zelkor {

QString fileVersion()
{
    return QStringLiteral(ZELKOR_FILE_VERSION);
}

QString versionText(const QString &fileVersion)
{
    return fileVersion.left(3) + fileVersion.mid(4, 1);
}

} // namespace Zelkor
