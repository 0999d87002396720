#pragma once

#include <QString>

namespace Zelkor {

/// The text as one field of a comma-separated line: enclosed in double quotes, with each inner
/// quote doubled, when it holds a comma, a double quote or a line break; otherwise as it stands,
/// so ordinary values are written verbatim.
QString csvField(const QString &text);

} // namespace Zelkor
