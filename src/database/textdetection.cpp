#include "database/textdetection.h"

#include "platform/cp932.h"

#include <QStringDecoder>

namespace Zelkor {

namespace {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more;
        uint cp;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += more + 1;
    }
    return true;
}

} // namespace

bool TextBytes::detect(const QByteArray &raw, TextBytes *out, QString *error)
{
    if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(raw.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        const QString text = decoder(QByteArrayView(raw).sliced(2));
        if (decoder.hasError() || raw.size() % 2 != 0) {
            *error = QStringLiteral("は UTF-16 として読めません");
            return false;
        }
        out->bytes = text.toUtf8();
        out->encoding = Utf16;
        return true;
    }
    if (raw.startsWith("\xEF\xBB\xBF")) {
        out->bytes = raw.mid(3);
        out->encoding = Utf8;
        return true;
    }
    out->bytes = raw;
    out->encoding = isUtf8(raw) ? Utf8 : Cp932;
    return true;
}

bool TextBytes::decode(QByteArrayView field, QString *out, QString *why) const
{
    bool ascii = true;
    for (char c : field) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        *out = QString::fromLatin1(field.data(), field.size());
        return true;
    }
    if (encoding != Cp932) {
        // The text is well-formed, but a fixed-width field may cut a character.
        QStringDecoder utf8(QStringDecoder::Utf8);
        *out = utf8(field);
        if (utf8.hasError()) {
            *why = QStringLiteral("UTF-8 として読めません（文字の途中で切れています）");
            return false;
        }
        return true;
    }
    QString error;
    if (!Cp932::decode(field.toByteArray(), out, &error)) {
        *why = QStringLiteral("シフトJIS（CP932）として読めません（%1）").arg(error);
        return false;
    }
    return true;
}

QString TextBytes::encodingName() const
{
    switch (encoding) {
    case Utf8: return QStringLiteral("UTF-8");
    case Utf16: return QStringLiteral("UTF-16");
    case Cp932: return QStringLiteral("シフトJIS（CP932）");
    }
    return QString();
}

} // namespace Zelkor
