#include "platform/texthelpers.h"

namespace Zelkor {

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

namespace {

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

} // namespace

QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (isControl(c))
            c = QLatin1Char(' ');
    return out;
}

bool hasControlCharacters(const QString &text)
{
    for (QChar c : text)
        if (isControl(c))
            return true;
    return false;
}

} // namespace Zelkor
