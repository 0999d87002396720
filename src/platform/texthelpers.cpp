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

QString foldForMatching(const QString &text)
{
    QString out = text;
    const qsizetype n = out.size();
    // Written through data() only once something changes, so a text that is folded already
    // (the common case in a table of lower-case names) is shared, not copied.
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = out.at(i).unicode();
        char16_t f = u;
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                f = char16_t(u + (u'a' - u'A'));
        } else if (u >= 0xFF10 && u <= 0xFF5A) {
            // Full-width digits, capitals and small letters: the ASCII character 0xFEE0 below.
            if (u <= 0xFF19 || u >= 0xFF41)
                f = char16_t(u - 0xFEE0);
            else if (u >= 0xFF21 && u <= 0xFF3A)
                f = char16_t(u - 0xFEE0 + (u'a' - u'A'));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && out.at(i + 1).isLowSurrogate()) {
            // A character beyond the BMP folds as a pair; its folded form is one too.
            const char32_t c = QChar::surrogateToUcs4(u, out.at(i + 1).unicode());
            const char32_t fc = QChar::toCaseFolded(c);
            if (fc != c && QChar::requiresSurrogates(fc)) {
                QChar *d = out.data();
                d[i] = QChar(QChar::highSurrogate(fc));
                d[i + 1] = QChar(QChar::lowSurrogate(fc));
            }
            ++i;
            continue;
        } else if (!QChar::isSurrogate(u)) {
            // A letter whose folded form lay beyond the BMP (there is none) would stay.
            if (const char32_t fc = QChar::toCaseFolded(char32_t(u)); fc <= 0xFFFF)
                f = char16_t(fc);
        }
        if (f != u)
            out.data()[i] = QChar(f);
    }
    return out;
}

} // namespace Zelkor
