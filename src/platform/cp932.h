#pragma once

#include <QByteArray>
#include <QString>

namespace Zelkor {

/// Conversion between Unicode text and the Japanese Windows code page 932 (Shift-JIS with the
/// NEC and IBM extensions), which every text file of the program uses. Conversions are strict:
/// a byte sequence that does not decode, or a character without a CP932 form, is an error.
namespace Cp932 {

/// Encodes text as CP932. Returns false and, if error is given, a Japanese message naming the
/// character position (1-based) and the character when some character has no CP932 form.
bool encode(const QString &text, QByteArray *out, QString *error = nullptr);

/// Decodes CP932 bytes. Returns false and a message naming the byte offset (1-based) of the
/// first sequence that does not decode.
bool decode(const QByteArray &bytes, QString *out, QString *error = nullptr);

/// Encodes text, replacing each character without a CP932 form by "?". For places that must
/// produce bytes whatever the text holds (fixed-width fields built from labels).
QByteArray encodeLossy(const QString &text);

/// Decodes bytes, replacing each sequence that does not decode by U+FFFD.
QString decodeLossy(const QByteArray &bytes);

/// Number of CP932 bytes the text takes (a character without a CP932 form counts as one byte).
int byteCount(const QString &text);

/// The longest leading part of text that takes at most maxBytes CP932 bytes; never splits a
/// two-byte character.
QString cutToBytes(const QString &text, int maxBytes);

/// text as a field of exactly width columns of a fixed-pitch listing, where a character takes as
/// many columns as it has CP932 bytes (a full-width character two): cut to width without
/// splitting a character, then padded with blanks.
QString fieldOfWidth(const QString &text, int width);

} // namespace Cp932
} // namespace Zelkor
