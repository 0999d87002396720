#include "database/coverscale.h"

namespace Zelkor {

namespace {

constexpr int kMaxWholeDigits = 12;
constexpr int kMaxDecimals = 6;

quint64 power10(int n)
{
    quint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

QStringView trimmed(QStringView text)
{
    qsizetype a = 0;
    qsizetype b = text.size();
    while (a < b && isBlank(text[a]))
        ++a;
    while (b > a && isBlank(text[b - 1]))
        --b;
    return text.mid(a, b - a);
}

} // namespace

QString coverScaleName(CoverScale scale)
{
    switch (scale) {
    case CoverScale::Codes: return QStringLiteral("codes");
    case CoverScale::Percent: return QStringLiteral("percent");
    case CoverScale::Ordinal: return QStringLiteral("ordinal");
    case CoverScale::Classes: return QStringLiteral("classes");
    case CoverScale::Presence: return QStringLiteral("presence");
    }
    return QString();
}

bool coverScaleFromName(const QString &name, CoverScale *scale)
{
    for (CoverScale s : {CoverScale::Codes, CoverScale::Percent, CoverScale::Ordinal, CoverScale::Classes,
                         CoverScale::Presence}) {
        if (name == coverScaleName(s)) {
            *scale = s;
            return true;
        }
    }
    return false;
}

QString coverScaleCaption(CoverScale scale)
{
    switch (scale) {
    case CoverScale::Codes: return QStringLiteral("優占度の記号（r + 1～5 2.3 * e ?）");
    case CoverScale::Percent: return QStringLiteral("被度の百分率（0～100 %）");
    case CoverScale::Ordinal: return QStringLiteral("van der Maarel の順序尺度（1～9）");
    case CoverScale::Classes: return QStringLiteral("被度階級（1～5）");
    case CoverScale::Presence: return QStringLiteral("在・不在（0 より大きければ +）");
    }
    return QString();
}

bool DecimalText::parse(QStringView text, DecimalText *out, bool decimalComma, bool percentSign)
{
    DecimalText d;
    QStringView t = trimmed(text);
    if (percentSign && t.endsWith(QLatin1Char('%')))
        t = trimmed(t.chopped(1));
    if (t.isEmpty())
        return false;
    qsizetype i = 0;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) {
        d.negative = t[0] == QLatin1Char('-');
        ++i;
    }
    int whole = 0;
    int digitsSeen = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int v = c.unicode() - u'0';
            ++digitsSeen;
            if (v != 0)
                d.nonZero = true;
            if (!point) {
                if (whole > 0 || v != 0)
                    ++whole;
                if (whole > kMaxWholeDigits)
                    return false;
                d.digits = d.digits * 10 + quint64(v);
            } else if (d.decimals < kMaxDecimals) {
                d.digits = d.digits * 10 + quint64(v);
                ++d.decimals;
            } else if (v != 0) {
                d.truncated = true;
            }
            continue;
        }
        if (!point && (c == QLatin1Char('.') || (decimalComma && c == QLatin1Char(',')))) {
            point = true;
            continue;
        }
        return false;
    }
    if (digitsSeen == 0)
        return false;
    if (!d.nonZero)
        d.negative = false;
    *out = d;
    return true;
}

int DecimalText::compareTenths(qint64 tenths) const
{
    // value <=> tenths / 10  ⇔  digits * 10 <=> tenths * 10^decimals (both sides exact).
    const bool tenthsNegative = tenths < 0;
    const quint64 t = quint64(tenthsNegative ? -tenths : tenths);
    if (negative != tenthsNegative) {
        if (!nonZero && t == 0)
            return 0;
        return negative ? -1 : 1;
    }
    const quint64 left = digits * 10;
    const quint64 right = t * power10(decimals);
    int c = left < right ? -1 : (left > right ? 1 : 0);
    // Digits dropped after the sixth decimal make the value a little larger than its digits.
    if (c == 0 && truncated)
        c = 1;
    return negative ? -c : c;
}

bool DecimalText::isWhole() const
{
    return digits % power10(decimals) == 0 && !truncated;
}

qint64 DecimalText::wholePart() const
{
    const qint64 w = qint64(digits / power10(decimals));
    return negative ? -w : w;
}

bool scaleValueToCode(CoverScale scale, const DecimalText &value, quint8 *code, QString *why)
{
    if (value.negative) {
        *why = QStringLiteral("負の値です");
        return false;
    }
    if (!value.nonZero) {
        *code = 0;
        return true;
    }
    switch (scale) {
    case CoverScale::Codes:
        *why = QStringLiteral("優占度の記号ではありません");
        return false;
    case CoverScale::Percent: {
        if (value.compareTenths(1000) > 0) {
            *why = QStringLiteral("百分率が 100 を超えています");
            return false;
        }
        struct Edge
        {
            int tenths;
            quint8 code;
        };
        // From the top: the first edge the value reaches gives the class.
        static const Edge edges[] = {{750, 50}, {500, 40}, {250, 30}, {50, 20}, {10, 10}, {1, 1}};
        for (const Edge &e : edges) {
            if (value.compareTenths(e.tenths) >= 0) {
                *code = e.code;
                return true;
            }
        }
        *code = 6; // r: above 0, below 0.1 %
        return true;
    }
    case CoverScale::Ordinal: {
        static const quint8 codes[10] = {0, 6, 1, 10, 20, 20, 20, 30, 40, 50};
        if (!value.isWhole() || value.compareTenths(90) > 0) {
            *why = QStringLiteral("順序尺度の値は 1～9 の整数です");
            return false;
        }
        *code = codes[value.wholePart()];
        return true;
    }
    case CoverScale::Classes: {
        if (value.compareTenths(60) >= 0) {
            *why = QStringLiteral("被度階級は 5 までです");
            return false;
        }
        *code = value.compareTenths(10) < 0 ? 1 : quint8(value.wholePart() * 10);
        return true;
    }
    case CoverScale::Presence:
        *code = 1;
        return true;
    }
    return false;
}

bool coverTextToCode(QStringView text, quint8 *code, QString *why)
{
    const QStringView t = trimmed(text);
    const qsizetype n = t.size();
    auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - u'0' : -1; };
    if (n == 0 || (n == 1 && t[0] == QLatin1Char('.'))) {
        *code = 0;
        return true;
    }
    if (n == 1) {
        switch (t[0].unicode()) {
        case u'r': *code = 6; return true;
        case u'+': *code = 1; return true;
        case u'*':
        case u'(': *code = 7; return true;
        case u'e': *code = 8; return true;
        case u'?': *code = 9; return true;
        default: break;
        }
        const int v = digit(t[0]);
        if (v >= 1 && v <= 5) {
            *code = quint8(v * 10);
            return true;
        }
    } else if (n == 2 || (n == 3 && t[1] == QLatin1Char('.'))) {
        // "+2" / "+.2", "23" / "2.3", and "10".."50" for a class without sociability.
        const int s = digit(t[n - 1]);
        if (t[0] == QLatin1Char('+') && s >= 1 && s <= 5) {
            *code = quint8(s);
            return true;
        }
        const int c = digit(t[0]);
        if (c >= 1 && c <= 5 && s >= (n == 3 ? 1 : 0) && s <= 5) {
            *code = quint8(c * 10 + s);
            return true;
        }
    }
    *why = QStringLiteral("「%1」は優占度の記号（r + 1～5 2.3 23 +.2 +2 * e ? . ）ではありません").arg(t.left(20));
    return false;
}

QString coverCodeField(quint8 code)
{
    switch (code) {
    case 1: return QStringLiteral("+");
    case 6: return QStringLiteral("r");
    case 7: return QStringLiteral("*");
    case 8: return QStringLiteral("e");
    case 9: return QStringLiteral("?");
    default: break;
    }
    if (code >= 2 && code <= 5)
        return QStringLiteral("+") + QChar(u'0' + code);
    if (code >= 10 && code <= 55 && code % 10 <= 5)
        return code % 10 == 0 ? QString(QChar(u'0' + code / 10)) : QString::number(code);
    return QString();
}

} // namespace Zelkor
