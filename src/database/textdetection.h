#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Zelkor {

/// The bytes of a text file from another program with the encoding they were found to be in:
/// UTF-8 (a byte-order mark dropped) when they are valid UTF-8, UTF-16 with a byte-order mark
/// (turned into UTF-8 bytes), else Shift-JIS (CP932). The separators and line ends of the
/// formats read are ASCII, which neither encoding uses inside a character, so the bytes can be
/// split before any field is decoded.
struct TextBytes
{
    enum Encoding { Utf8, Utf16, Cp932 };

    QByteArray bytes;
    Encoding encoding = Utf8;

    /// Finds the encoding of raw; false with *error for a UTF-16 text that does not decode.
    static bool detect(const QByteArray &raw, TextBytes *out, QString *error);
    /// Decodes one field; false with *why when it does not decode (a broken Shift-JIS character).
    bool decode(QByteArrayView field, QString *out, QString *why) const;
    /// "UTF-8", "UTF-16" or "シフトJIS（CP932）".
    QString encodingName() const;
};

} // namespace Zelkor
