#include "analysis/freqtableprint.h"

#include "analysis/freqtablemodel.h"
#include "platform/cellgrid.h"
#include "platform/cp932.h"
#include "platform/printerstream.h"

#include <algorithm>

namespace Zelkor {

namespace {

// text cut to 7 bytes, then blanks put before it up to 5 bytes: a right-aligned score.
QString scoreField(const QString &text)
{
    QString cut = Cp932::cutToBytes(text, 7);
    const int bytes = Cp932::byteCount(cut);
    if (bytes < 5)
        cut.prepend(QString(5 - bytes, QLatin1Char(' ')));
    return cut;
}

} // namespace

QString FreqTablePrint::field(const QString &text, int bytes)
{
    QString cut = Cp932::cutToBytes(text, bytes);
    const int used = Cp932::byteCount(cut);
    if (used < bytes)
        cut += QString(bytes - used, QLatin1Char(' '));
    return cut;
}

int FreqTablePrint::columnBytes(const CellGrid &grid)
{
    const int groupWidth = grid.colWidth(1);
    if (grid.colCount() < 2 || groupWidth <= 0)
        return 7;
    return grid.colWidth(0) / groupWidth >= 6 ? 3 : 7;
}

int FreqTablePrint::printerFontHeight(int pointSize, int dotsPerInch)
{
    return PrinterStream::fontHeight(pointSize, dotsPerInch);
}

int FreqTablePrint::fidelityColumnBytes(const CellGrid &grid)
{
    int widest = 2;
    for (int r = 0; r < grid.rowCount(); ++r)
        grid.forEachInRow(r, [&](int c, const QString &text) {
            if (c >= 1)
                widest = std::max(widest, Cp932::byteCount(text));
        });
    return widest + 1;
}

QStringList FreqTablePrint::lines(const FreqTableModel &model)
{
    const CellGrid &grid = model.grid();
    QStringList out;
    out << model.caption();
    if (model.isToolPanelVisible()) {
        const int bytes = model.showsFidelity() ? fidelityColumnBytes(grid) : columnBytes(grid);
        for (int r = 0; r < grid.rowCount(); ++r) {
            QString line = field(grid.cell(0, r), LabelBytes);
            for (int c = 1; c < grid.colCount(); ++c)
                line += field(grid.cell(c, r), bytes);
            out << line;
        }
    } else {
        for (int r = 0; r < grid.rowCount(); ++r) {
            out << field(grid.cell(0, r), LabelBytes) + scoreField(grid.cell(1, r)) + QStringLiteral("   ")
                       + field(grid.cell(3, r), 7) + scoreField(grid.cell(4, r));
        }
    }
    return out;
}

} // namespace Zelkor
