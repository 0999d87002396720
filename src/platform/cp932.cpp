#include "platform/cp932.h"

#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace Zelkor {
namespace Cp932 {

namespace {

// QString holds UTF-16 in the machine's byte order; iconv must be told which one.
constexpr const char *kUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// One iconv handle per direction and thread, opened on first use: opening a handle costs far
// more than converting a line, and files are decoded line by line.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (isValid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isValid() const { return m_cd != iconv_t(-1); }
    /// The handle, back in its initial state.
    iconv_t handle()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

Converter &decoder()
{
    thread_local Converter c(kUtf16, "CP932");
    return c;
}

Converter &encoder()
{
    thread_local Converter c("CP932", kUtf16);
    return c;
}

QString missingConverterMessage()
{
    return QStringLiteral("シフトJIS（CP932）の変換機能がこのシステムにありません");
}

bool isAsciiBytes(const char *p, qsizetype n)
{
    unsigned char acc = 0;
    for (qsizetype i = 0; i < n; ++i)
        acc |= static_cast<unsigned char>(p[i]);
    return acc < 0x80;
}

bool isAsciiText(const QChar *p, qsizetype n)
{
    char16_t acc = 0;
    for (qsizetype i = 0; i < n; ++i)
        acc |= p[i].unicode();
    return acc < 0x80;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

enum class Mode { Strict, Lossy };

// Outcome of a conversion: the index of the first input unit (byte or UTF-16 unit) that did not
// convert, or -1; converterMissing when iconv has no CP932.
struct Result
{
    qsizetype badIndex = -1;
    bool converterMissing = false;
};

Result decodeBytes(const char *data, qsizetype size, QString *out, Mode mode)
{
    Result result;
    if (isAsciiBytes(data, size)) {
        *out = QString::fromLatin1(data, size);
        return result;
    }
    Converter &conv = decoder();
    if (!conv.isValid()) {
        result.converterMissing = true;
        out->clear();
        return result;
    }
    iconv_t cd = conv.handle();

    // Every CP932 character is one or two bytes and lies in the BMP, and a replaced sequence
    // is one or two bytes too: one UTF-16 unit per input byte is always enough.
    QString text(size, Qt::Uninitialized);
    char *outStart = reinterpret_cast<char *>(text.data());
    char *outPtr = outStart;
    size_t outLeft = size_t(size) * sizeof(char16_t);
    char *inPtr = const_cast<char *>(data);
    size_t inLeft = size_t(size);

    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        // EILSEQ: a sequence that is not CP932; EINVAL: a lead byte cut off by the end.
        // E2BIG cannot happen with the size above.
        const int err = errno;
        if (result.badIndex < 0)
            result.badIndex = inPtr - data;
        if (mode == Mode::Strict || err == E2BIG || outLeft < sizeof(char16_t))
            break;
        const char16_t replacement = 0xFFFD;
        std::memcpy(outPtr, &replacement, sizeof replacement);
        outPtr += sizeof replacement;
        outLeft -= sizeof replacement;
        // A lead byte with a well-formed trail byte is one unmapped character; anything else
        // drops a single byte so that an ASCII byte after a stray lead byte survives.
        const auto b = static_cast<unsigned char>(*inPtr);
        const size_t skip = (inLeft >= 2 && isLeadByte(b) && isTrailByte(static_cast<unsigned char>(inPtr[1]))) ? 2 : 1;
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (mode == Mode::Strict && result.badIndex >= 0) {
        out->clear();
        return result;
    }
    text.truncate((outPtr - outStart) / qsizetype(sizeof(char16_t)));
    *out = std::move(text);
    return result;
}

Result encodeText(QStringView text, QByteArray *out, Mode mode)
{
    Result result;
    const qsizetype n = text.size();
    if (isAsciiText(text.data(), n)) {
        *out = text.toLatin1();
        return result;
    }
    Converter &conv = encoder();
    if (!conv.isValid()) {
        result.converterMissing = true;
        out->clear();
        return result;
    }
    iconv_t cd = conv.handle();

    // At most two bytes per UTF-16 unit; a replaced character gives one byte.
    QByteArray bytes(n * 2, Qt::Uninitialized);
    char *outStart = bytes.data();
    char *outPtr = outStart;
    size_t outLeft = size_t(bytes.size());
    const char *inStart = reinterpret_cast<const char *>(text.data());
    char *inPtr = const_cast<char *>(inStart);
    size_t inLeft = size_t(n) * sizeof(char16_t);

    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        // EILSEQ: no CP932 form (or a broken surrogate); EINVAL: a high surrogate at the end.
        // E2BIG cannot happen with the size above.
        const int err = errno;
        const qsizetype at = (inPtr - inStart) / qsizetype(sizeof(char16_t));
        if (result.badIndex < 0)
            result.badIndex = at;
        if (mode == Mode::Strict || err == E2BIG || outLeft < 1)
            break;
        *outPtr++ = '?';
        --outLeft;
        // A surrogate pair is one character and gets one "?".
        const qsizetype skip = (at + 1 < n && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate()) ? 2 : 1;
        inPtr += skip * qsizetype(sizeof(char16_t));
        inLeft -= size_t(skip) * sizeof(char16_t);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (mode == Mode::Strict && result.badIndex >= 0) {
        out->clear();
        return result;
    }
    // Flush any shift state (CP932 has none, but iconv asks for it).
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    bytes.truncate(outPtr - outStart);
    *out = std::move(bytes);
    return result;
}

// The unmappable character at index as the user should see it in a message: itself when it
// is visible, its code point when it is blank, invisible or broken.
QString describeCharacter(QStringView text, qsizetype index)
{
    char32_t ucs = text[index].unicode();
    qsizetype len = 1;
    if (QChar::isHighSurrogate(ucs) && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        ucs = QChar::surrogateToUcs4(text[index], text[index + 1]);
        len = 2;
    }
    bool visible = true;
    switch (QChar::category(ucs)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
        visible = false;
        break;
    default:
        break;
    }
    if (visible)
        return text.mid(index, len).toString();
    return QStringLiteral("U+") + QString::number(uint(ucs), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

// 1-based position of the character at UTF-16 index, counting a surrogate pair as one.
qsizetype characterPosition(QStringView text, qsizetype index)
{
    qsizetype pos = 1;
    for (qsizetype i = 0; i < index; ++i) {
        if (text[i].isHighSurrogate() && i + 1 < index && text[i + 1].isLowSurrogate())
            ++i;
        ++pos;
    }
    return pos;
}

} // namespace

bool encode(const QString &text, QByteArray *out, QString *error)
{
    QByteArray bytes;
    const Result r = encodeText(text, &bytes, Mode::Strict);
    if (r.converterMissing) {
        if (error)
            *error = missingConverterMessage();
        if (out)
            out->clear();
        return false;
    }
    if (r.badIndex >= 0) {
        if (error)
            *error = QStringLiteral("%1 文字目の「%2」はシフトJISで表せません")
                         .arg(QString::number(characterPosition(text, r.badIndex)),
                              describeCharacter(text, r.badIndex));
        if (out)
            out->clear();
        return false;
    }
    if (out)
        *out = std::move(bytes);
    return true;
}

bool decode(const QByteArray &bytes, QString *out, QString *error)
{
    QString text;
    const Result r = decodeBytes(bytes.constData(), bytes.size(), &text, Mode::Strict);
    if (r.converterMissing) {
        if (error)
            *error = missingConverterMessage();
        if (out)
            out->clear();
        return false;
    }
    if (r.badIndex >= 0) {
        if (error)
            *error = QStringLiteral("%1 バイト目がシフトJISとして読めません").arg(r.badIndex + 1);
        if (out)
            out->clear();
        return false;
    }
    if (out)
        *out = std::move(text);
    return true;
}

QByteArray encodeLossy(const QString &text)
{
    QByteArray bytes;
    const Result r = encodeText(text, &bytes, Mode::Lossy);
    if (r.converterMissing) {
        // Without a converter only ASCII can be written faithfully.
        bytes = text.toLatin1();
        for (char &c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80)
                c = '?';
    }
    return bytes;
}

QString decodeLossy(const QByteArray &bytes)
{
    QString text;
    const Result r = decodeBytes(bytes.constData(), bytes.size(), &text, Mode::Lossy);
    if (r.converterMissing) {
        text = QString::fromLatin1(bytes);
        for (QChar &c : text)
            if (c.unicode() >= 0x80)
                c = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

int byteCount(const QString &text)
{
    if (isAsciiText(text.constData(), text.size()))
        return int(text.size());
    return int(encodeLossy(text).size());
}

QString cutToBytes(const QString &text, int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    if (text.size() <= maxBytes && isAsciiText(text.constData(), text.size()))
        return text;
    qsizetype used = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            len = 2;
        qsizetype bytes = 1;
        if (text[i].unicode() >= 0x80)
            bytes = encodeLossy(text.mid(i, len)).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += len;
    }
    return text.left(i);
}

QString fieldOfWidth(const QString &text, int width)
{
    const QString cut = cutToBytes(text, width);
    return cut + QString(std::max(0, width - byteCount(cut)), QLatin1Char(' '));
}

} // namespace Cp932
} // namespace Zelkor
