#include "analysis/matrixcsv.h"

#include "database/covercode.h"
#include "database/csvfield.h"

namespace Zelkor::MatrixCsv {

namespace {

QString quoted(QString text)
{
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool breaksFields(char16_t ch)
{
    return ch == u',' || ch == u'"' || ch == u'\r' || ch == u'\n';
}

} // namespace

QString quotedName(const QString &name)
{
    return quoted(trimBlanks(name));
}

QString label(const QString &text)
{
    return csvField(text);
}

QByteArray label(const QByteArray &bytes)
{
    // Trail bytes of two-byte characters lie at 0x40 and above: a comma, a double quote or a
    // line break in these bytes is always the character itself.
    for (char ch : bytes) {
        if (breaksFields(char16_t(uchar(ch)))) {
            QByteArray text = bytes;
            text.replace("\"", "\"\"");
            return '"' + text + '"';
        }
    }
    return bytes;
}

} // namespace Zelkor::MatrixCsv
