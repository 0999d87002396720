#include "table/covercode.h"

#include "platform/cp932.h"
#include "platform/texthelpers.h"

#include <QHash>
#include <array>

namespace Zelkor {

namespace {

// The cover byte of one layer's code, already stripped of blanks.
quint8 layerCodeValue(const QString &code)
{
    if (code.size() == 1) {
        switch (code.at(0).unicode()) {
        case u'(':
        case u'*':
            return 7;
        case u'e':
            return 8;
        case u'?':
            return 9;
        case u'r':
            return 6;
        case u'+':
            return 1;
        case u'1':
        case u'2':
        case u'3':
        case u'4':
        case u'5':
            return quint8((code.at(0).unicode() - u'0') * 10);
        default:
            return 0;
        }
    }
    if (code.size() == 2) {
        // A signed two-character decimal number: "23", "+3", "-1". Its low eight bits are kept,
        // so out-of-scale numbers such as 60 or -1 come through as they are stored.
        const char16_t a = code.at(0).unicode();
        const char16_t b = code.at(1).unicode();
        const bool bDigit = b >= u'0' && b <= u'9';
        if (bDigit && a >= u'0' && a <= u'9')
            return quint8((a - u'0') * 10 + (b - u'0'));
        if (bDigit && a == u'+')
            return quint8(b - u'0');
        if (bDigit && a == u'-')
            return quint8(-int(b - u'0'));
        return 63;
    }
    return 0;
}

// The grid character of one layer's byte, in the form used for comparing: r stands as "(" so
// that the character codes order blank < r < "+" < digits < "e".
char16_t rankedCellChar(quint8 v)
{
    if (v == 0 || v == 7)
        return u' ';
    if (v <= 5)
        return u'+';
    if (v == 6)
        return u'(';
    if (v == 8)
        return u'e';
    return char16_t(48 + v / 10);
}

char16_t shownCellChar(char16_t ranked)
{
    return ranked == u'(' ? u'r' : ranked;
}

// Distinct cell texts are few (a handful of characters in four places); sharing them keeps a
// table of millions of cells from holding millions of copies. The bound only guards against a
// file crafted to produce every combination.
constexpr int kCellTextCacheLimit = 65536;

} // namespace

ByteDataSet coverCodeToData(const char *codes, int size)
{
    ByteDataSet result{};
    for (int layer = 0; layer < 7; ++layer) {
        const int at = layer * 2;
        if (at >= size)
            break;
        const int len = qMin(2, size - at);
        const auto c0 = static_cast<unsigned char>(codes[at]);
        const auto c1 = len > 1 ? static_cast<unsigned char>(codes[at + 1]) : 0x20;
        QString code;
        if (c0 < 0x80 && c1 < 0x80) {
            // Plain ASCII, the normal case: no conversion needed. Trimming two characters keeps
            // those that are neither blank nor control characters.
            char buf[2];
            int n = 0;
            if (c0 > 0x20)
                buf[n++] = char(c0);
            if (c1 > 0x20)
                buf[n++] = char(c1);
            code = QString::fromLatin1(buf, n);
        } else {
            code = trimBlanks(Cp932::decodeLossy(QByteArray(codes + at, len))).left(2);
        }
        result[std::size_t(layer)] = layerCodeValue(code);
    }
    return result;
}

ByteDataSet coverCodeToData(const QByteArray &codes)
{
    return coverCodeToData(codes.constData(), int(qMin<qsizetype>(codes.size(), 14)));
}

QString dataToCellText(const ByteDataSet &codes)
{
    char16_t ranked[4];
    ranked[0] = rankedCellChar(codes[0]);
    ranked[1] = rankedCellChar(codes[1]);
    ranked[2] = qMax(rankedCellChar(codes[2]), rankedCellChar(codes[3]));
    ranked[3] = qMax(qMax(rankedCellChar(codes[4]), rankedCellChar(codes[5])), rankedCellChar(codes[6]));

    quint32 key = 0;
    for (char16_t c : ranked)
        key = (key << 8) | quint32(c);

    thread_local QHash<quint32, QString> cache;
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return it.value();
    QString text(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        text[i] = QChar(shownCellChar(ranked[i]));
    if (cache.size() < kCellTextCacheLimit)
        cache.insert(key, text);
    return text;
}

QString rightAlign4(const QString &value)
{
    QString text = value.left(4);
    if (text.size() < 4)
        text.prepend(QString(4 - text.size(), QLatin1Char(' ')));
    return text;
}

bool isCoverCodeOfTheScale(quint8 code)
{
    return code <= 9 || (code <= 55 && code % 10 <= 5);
}

QString codesOutsideTheScaleMessage(qint64 cells)
{
    return QStringLiteral("表の %1 個の升目に、被度の尺度にない符号があります（出現として数え、出力では「?」と示します）。")
        .arg(cells);
}

QString coverPrintText(quint8 code, int dataScaleD)
{
    if (dataScaleD != 1 && dataScaleD != 2)
        return QString();

    // Both scales' texts are built once; every call then hands out a shared string.
    static const auto tables = [] {
        std::array<std::array<QString, 256>, 2> t;
        for (int d = 1; d <= 2; ++d) {
            for (int v = 0; v < 256; ++v) {
                QString s;
                if (v == 0)
                    s = QStringLiteral(" . ");
                else if (v == 1)
                    s = QStringLiteral(" + ");
                else if (v <= 5)
                    s = d == 1 ? QStringLiteral(" + ") : QStringLiteral("+.") + QChar(u'0' + v);
                else if (v == 6)
                    s = QStringLiteral(" r ");
                else if (v == 7)
                    s = QStringLiteral(" * ");
                else if (v == 8)
                    s = QStringLiteral(" e ");
                else if (v == 9)
                    s = QStringLiteral(" ? ");
                else if (v <= 55) {
                    const QChar first(u'0' + v / 10);
                    const QChar second(u'0' + v % 10);
                    if (d == 1 || v % 10 == 0)
                        s = QStringLiteral(" ") + first + QStringLiteral(" ");
                    else
                        s = QString(first) + QStringLiteral(".") + second;
                } else
                    s = QStringLiteral(" ? "); // an occurrence whose cover is unknown, never " . "
                t[std::size_t(d - 1)][std::size_t(v)] = s;
            }
        }
        return t;
    }();
    return tables[std::size_t(dataScaleD - 1)][code];
}

QStringList coverMethodCaptions()
{
    return {QStringLiteral("級値・積算 (0.1-5)"), QStringLiteral("級値・相対 (1-10)"), QStringLiteral("中央・積算 (1-875)"),
            QStringLiteral("級値・最大 (0.1-5)"), QStringLiteral("中央・最大 (1-875)"), QStringLiteral("無変・最大 (+-5)"),
            QStringLiteral("有無のみ （1,0）")};
}

} // namespace Zelkor
