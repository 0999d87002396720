#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace Zelkor {

/// Comma-separated text as the program writes and reads it (RFC 4180): fields separated by
/// commas, records by line ends. A field is quoted only when it must be, so ordinary values are
/// written verbatim; reading takes a field that starts with a double quote up to the closing
/// quote, commas, line feeds and doubled quotes included, and the text after the closing quote up
/// to the next comma as part of the field. A quote inside an unquoted field is an ordinary
/// character.
namespace Csv {

/// One record: the 1-based line on which it starts and its fields, unquoted. An empty line has
/// no fields.
struct Record
{
    int line = 0;
    QStringList fields;
};

/// The records of text; a CR before a line feed is part of the line end. False when the text
/// ends inside a quoted field: the last record then runs to the end of the text, and
/// *unclosedLine (if given) is the line on which that record starts.
bool parse(QStringView text, std::vector<Record> *records, int *unclosedLine = nullptr);
/// The fields of one line; a quoted field left open runs to the end of the line.
QStringList splitLine(QStringView line);
/// The number of fields splitLine() gives for line, counted without making them (a line of a
/// million commas is refused before it becomes a million strings).
qsizetype fieldCount(QStringView line);

/// The text as one field: in double quotes, inner quotes doubled, when it holds a comma, a
/// double quote or a line break; otherwise as it stands.
QString field(const QString &text);
/// The same for a field already in the file's code page (CP932): the comma, the double quote
/// and the line ends never occur as the second byte of a two-byte character.
QByteArray field(const QByteArray &bytes);
/// The text always in double quotes, inner quotes doubled.
QString quoted(const QString &text);
/// The fields joined into one line, each as field() writes it.
QString joinLine(const QStringList &fields);

/// The program's comma-separated file type as save dialogs list it ("label|pattern").
QString nameFilter();

} // namespace Csv
} // namespace Zelkor
