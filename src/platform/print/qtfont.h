#pragma once

#include "platform/userinterface.h"

#include <QFont>

namespace Zelkor {

/// The font a font description names, at its size in points (9 when it has none).
QFont toQFont(const FontSpec &desc);

} // namespace Zelkor
