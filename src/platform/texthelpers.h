#pragma once

#include <QString>

namespace Zelkor {

/// Removes blanks and control characters (codes up to 32) at both ends of a field; an
/// ideographic space is text and stays.
QString trimBlanks(const QString &text);

} // namespace Zelkor
