#pragma once

#include "table/bytedataset.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Zelkor {

/// Parses the fourteen code characters of one species entry of the species file: two characters
/// per layer, T1 first. Each layer's code becomes its cover byte ("+" 1, "+2" 2, "r" 6, "*" 7,
/// "e" 8, "?" 9, "3" 30, "23" 23, a two-character text that is no number 63). Fewer than 14 bytes
/// leave the missing layers empty.
ByteDataSet coverCodeToData(const char *codes, int size = 14);
/// The same for a QByteArray of (normally) 14 bytes.
ByteDataSet coverCodeToData(const QByteArray &codes);

/// The four-character grid text of a cell: T1, T2, the higher of the shrub layers and the highest
/// of the ground layers. Equal texts share their data, so a large table stores each text once.
QString dataToCellText(const ByteDataSet &codes);

/// Right-justifies a header value in four characters, keeping its first four ("12" gives
/// "  12", "12345" gives "1234", an empty value four blanks).
QString rightAlign4(const QString &value);

/// The three-character text of one layer's cover byte in the outputs; dataScaleD 1 prints the
/// cover class only, 2 the class and the sociability ("+.2", "2.3"). For any other dataScaleD
/// there is no text: the result is an empty string, and the caller keeps what it had.
QString coverPrintText(quint8 code, int dataScaleD);

/// Whether a layer's cover byte is a code of the scale: none (0), "+" and "+2".."+5", "r", "*",
/// "e", "?", and the classes 1..5 alone or with a sociability 1..5. Any other byte (a database's
/// "60", say) is kept as read, counts as an occurrence, and prints as " ? ".
bool isCoverCodeOfTheScale(quint8 code);

/// What the user is told when cells of a table hold codes outside the scale.
QString codesOutsideTheScaleMessage(qint64 cells);

/// The captions of the seven conversions of a cell's codes into one number (methods 0..6 of the
/// numeric matrices and the ordinations), as the panels list them.
QStringList coverMethodCaptions();

} // namespace Zelkor
