#pragma once

#include <QString>

namespace Zelkor {

/// Removes blanks and control characters (codes up to 32) at both ends of a field; an
/// ideographic space is text and stays.
QString trimBlanks(const QString &text);

/// The text as one line of a file can hold it: each control character (a line end would start a
/// line of its own, which a reader would take for data) becomes a blank.
QString oneLine(const QString &text);
/// Whether the text holds a control character (a line end, a tab, ...).
bool hasControlCharacters(const QString &text);

/// The text as a search that ignores case compares it: full-width Latin letters and digits
/// (Ａ, ａ, ０) become their ASCII forms, then every letter is case-folded (A → a, Ä → ä). Kana,
/// kanji and every other character stay as they are, and the length does not change, so a
/// position in the folded text is one in the text. Two texts match without regard to case when
/// their folded forms are equal.
QString foldForMatching(const QString &text);

} // namespace Zelkor
