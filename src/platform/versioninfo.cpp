#include "platform/versioninfo.h"

namespace Zelkor {

QString fileVersion()
{
    return QStringLiteral(ZELKOR_FILE_VERSION);
}

QString programVersion()
{
    return fileVersion().section(QLatin1Char('.'), 0, 2);
}

} // namespace Zelkor
