#include "platform/print/qtfont.h"

namespace Zelkor {

QFont toQFont(const FontSpec &desc)
{
    QFont font(desc.name);
    font.setPointSize(desc.pointSize > 0 ? desc.pointSize : 9);
    font.setBold(desc.bold);
    font.setItalic(desc.italic);
    return font;
}

} // namespace Zelkor
