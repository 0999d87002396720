#pragma once

#include <QByteArray>
#include <QString>

namespace Zelkor {

/// The fields of the numeric matrix files. The files are plain comma-separated text: names in
/// double quotes, labels and numbers as they are. A field that would break the columns or the
/// lines is quoted as comma-separated files quote it (RFC 4180), so that every reader sees the
/// same cells; every ordinary field stays as it is.
namespace MatrixCsv {

/// A species name trimmed of blanks at both ends and put in double quotes, a double quote inside
/// doubled: Carex "x" gives "Carex ""x""".
QString quotedName(const QString &name);

/// A label as it stands, or in double quotes (inner ones doubled) when it holds a comma, a
/// double quote or a line break.
QString label(const QString &text);
/// The same for a label already in the file's code page.
QByteArray label(const QByteArray &bytes);

} // namespace MatrixCsv
} // namespace Zelkor
