#pragma once

#include <QString>

namespace Zelkor {

/// The program's file version as compiled in ("6.0.0.0").
QString fileVersion();

/// The short version shown in the title and the about box: characters 1 to 3 of the file version
/// followed by its fifth character ("6.0.0.0" gives "6.00", "5.3.0.0" gives "5.30").
QString versionText(const QString &fileVersion);

} // namespace Zelkor
