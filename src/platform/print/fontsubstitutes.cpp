#include "platform/print/fontsubstitutes.h"

#include <QFont>
#include <QString>

namespace Zelkor {

void installFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

} // namespace Zelkor
