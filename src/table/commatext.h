#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace Zelkor {

/// The comma text in which the table file stores grid rows: the cells of a row joined by commas.
///
/// Writing: a cell that contains a blank, a control character (code 0..31), a comma or a double
/// quote is enclosed in double quotes with each inner quote doubled; an empty cell is written as
/// nothing, so trailing empty cells give trailing commas.
///
/// Reading: blanks and control characters before a field are skipped; a field that starts with
/// a double quote runs to the matching closing quote (or to the end of the line) and has its
/// doubled quotes made single; any other field ends at a comma, a blank or a control character.
/// After a field, blanks are skipped and one comma (with the blanks after it) is passed over, so
/// a run of blanks separates fields as a comma does; a comma at the very end of the line gives a
/// last empty field. An empty line has no fields.
///
/// The byte functions work on CP932 text without decoding it: the blank, the comma, the double
/// quote and the control characters are single bytes below 0x40 that never occur as the second
/// byte of a two-byte character.
namespace CommaText {

/// True when cell must be enclosed in double quotes to survive a round trip.
bool needsQuotes(QStringView cell);
/// The cell as it stands in comma text (quoted when it must be).
QString quoted(const QString &cell);
/// The cells joined into one line of comma text.
QString join(const QStringList &cells);
/// The fields of one line of comma text, unquoted.
QStringList split(QStringView line);

/// Byte form of needsQuotes for CP932-encoded cells.
bool needsQuotes(QByteArrayView cell);
/// Appends the CP932-encoded cell to out as comma text (quoted when it must be).
void appendQuoted(QByteArray *out, QByteArrayView cell);
/// Splits a CP932-encoded line and calls field(index, bytes) for its fields 0 .. maxFields-1 in
/// order, each unquoted; the line is not looked at beyond field maxFields-1, so the fields a row
/// has no cells for cost nothing. Returns the number of fields passed to field.
qsizetype splitBytes(QByteArrayView line, qsizetype maxFields,
                     const std::function<void(qsizetype, QByteArrayView)> &field);
/// As splitBytes, but field is called only for the fields that are not empty (a row of a large
/// table is mostly empty cells, whose runs of commas are passed over at once). Returns the
/// number of fields, empty ones included, up to maxFields.
qsizetype splitNonEmptyBytes(QByteArrayView line, qsizetype maxFields,
                             const std::function<void(qsizetype, QByteArrayView)> &field);

} // namespace CommaText
} // namespace Zelkor
