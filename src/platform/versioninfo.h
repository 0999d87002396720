#pragma once

#include <QString>

namespace Zelkor {

/// The program's file version as compiled in ("6.0.0.0").
QString fileVersion();

/// The version users see in the title, the about box and --version: the file version's first
/// three numbers ("6.0.0.0" gives "6.0.0").
QString programVersion();

} // namespace Zelkor
