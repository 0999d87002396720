#pragma once

#include "table/bytedataset.h"

#include <QByteArray>
#include <QString>

namespace Zelkor {

class TableModel;

/// The conversion of one cell's seven layer codes into one number, by one of seven methods:
///   0 class values in tenths summed over the layers, capped at 50: 0 .. 0.9, then 1 .. 5
///     (the tenths dropped from 1 up)
///   1 relative class scores (+ 1, 1 2, 2 3, 3 4, 4 5, 5 8) summed, capped at 10
///   2 class mid-points in per mille (+ 1, 1 25, 2 150, 3 375, 4 625, 5 875) summed, capped at 875
///   3 the highest layer code divided by 10 (23 gives 2.3)
///   4 the mid-point of the highest layer code (a code outside the classes stays itself),
///     capped at 875
///   5 the highest layer code unchanged ("+" for the codes of class +)
///   6 presence: 1 or 0
/// (the first line of each: the method number, as the output panel numbers its choices).
/// Before combining, r, "e" and "?" count as "+" (code 1) and "*" as absent. A code outside the
/// classes (16..19, 26..29, ..., 56 and above, 63 for an unreadable entry) adds nothing to
/// methods 0..2.
/// The number of conversion methods; a method outside 0 .. CoverMethodCount-1 converts to
/// nothing.
constexpr int CoverMethodCount = 7;

/// The converted value of codes in tenths, exactly (method 1 on a cell worth 5 gives 50,
/// method 3 on code 23 gives 23); method 5 gives the highest code itself in tenths, class +
/// included. -1 for a method outside 0..6. Cheap: no allocation.
int coverToTenths(int method, const ByteDataSet &codes);

/// The converted value of codes as a number (coverToTenths() / 10); 0 for an unknown method.
inline double coverToNumber(int method, const ByteDataSet &codes)
{
    const int tenths = coverToTenths(method, codes);
    return tenths > 0 ? tenths / 10.0 : 0.0;
}

/// The converted value of codes as the matrices write it: a whole number, a decimal number with
/// a point in its shortest form for methods 0 and 3 ("0.3", "2.3", "1"), "+" for class + with
/// method 5. Empty for a method outside 0..6.
QString coverValueText(int method, const ByteDataSet &codes);
/// Appends coverValueText() to out as bytes (the text is ASCII), without allocating.
void appendCoverValue(QByteArray &out, int method, const ByteDataSet &codes);

/// The converted value, as text, of the cell of species index speciesIndex in relevé index
/// releveIndex (hidden indexes); the cover codes are not changed. Empty for an unknown method.
QString coverToValue(const TableModel &model, int method, int releveIndex, int speciesIndex);

} // namespace Zelkor
