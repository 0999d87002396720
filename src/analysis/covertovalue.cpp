#include "analysis/covertovalue.h"

#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {

// The cover class of a code: 0 absent, 1 class + (1..5), 2..6 classes 1..5 (10..15, 20..25,
// ..., 50..55), 7 any other value.
int coverClass(int v)
{
    if (v == 0)
        return 0;
    if (v <= 5)
        return 1;
    if (v >= 10 && v <= 55 && v % 10 <= 5)
        return v / 10 + 1;
    return 7;
}

// Contribution of each class to methods 0, 1 and 2 (class 7 adds nothing), and the mid-points
// of method 4.
constexpr int kTenths[8] = {0, 1, 10, 20, 30, 40, 50, 0};
constexpr int kRelative[8] = {0, 1, 2, 3, 4, 5, 8, 0};
constexpr int kMidPoint[8] = {0, 1, 25, 150, 375, 625, 875, 0};

// r, "e" and "?" count as "+", "*" as absent.
int effectiveCode(quint8 code)
{
    switch (code) {
    case 6: return 1;
    case 7: return 0;
    case 8: return 1;
    case 9: return 1;
    default: return code;
    }
}

// Appends n >= 0 in decimal.
void appendNumber(QByteArray &out, int n)
{
    char digits[12];
    int k = 0;
    do {
        digits[k++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (k > 0)
        out += digits[--k];
}

} // namespace

int coverToTenths(int method, const ByteDataSet &codes)
{
    if (method < 0 || method >= CoverMethodCount)
        return -1;
    int sum = 0;
    int highest = 0;
    for (quint8 code : codes) {
        const int v = effectiveCode(code);
        highest = std::max(highest, v);
        const int cls = coverClass(v);
        switch (method) {
        case 0: sum += kTenths[cls]; break;
        case 1: sum += kRelative[cls]; break;
        case 2: sum += kMidPoint[cls]; break;
        default: break;
        }
    }
    switch (method) {
    case 0: {
        const int s = std::min(sum, 50);
        // From 1 up the tenths are dropped: 25 tenths give 2.
        return s < 10 ? s : s / 10 * 10;
    }
    case 1: return std::min(sum, 10) * 10;
    case 2: return std::min(sum, 875) * 10;
    case 3: return highest;
    case 4: {
        const int cls = coverClass(highest);
        const int mid = cls == 7 ? highest : kMidPoint[cls];
        return std::min(mid, 875) * 10;
    }
    case 5: return highest * 10;
    default: return highest > 0 ? 10 : 0;
    }
}

void appendCoverValue(QByteArray &out, int method, const ByteDataSet &codes)
{
    const int tenths = coverToTenths(method, codes);
    if (tenths < 0)
        return;
    if (method == 5 && tenths >= 10 && tenths <= 50) {
        out += '+';
        return;
    }
    appendNumber(out, tenths / 10);
    // Methods 0 and 3 are decimal numbers in their shortest form: 0.3, 2.3, 1.
    if ((method == 0 || method == 3) && tenths % 10 != 0) {
        out += '.';
        out += char('0' + tenths % 10);
    }
}

QString coverValueText(int method, const ByteDataSet &codes)
{
    QByteArray text;
    appendCoverValue(text, method, codes);
    return QString::fromLatin1(text);
}

QString coverToValue(const TableModel &model, int method, int releveIndex, int speciesIndex)
{
    return coverValueText(method, model.coverData().at(releveIndex, speciesIndex));
}

} // namespace Zelkor
