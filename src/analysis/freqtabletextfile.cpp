#include "analysis/freqtabletextfile.h"

#include "analysis/freqtablemodel.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace Zelkor {

namespace {

const QString kAbsent = QStringLiteral("・");
// A file cannot add more group columns than this (a guard against damaged files).
constexpr int kMaxColumns = 1000000;

bool isMarkerLine(const QString &line)
{
    // The program's own marker lines hold no comma; a line with one is a row whose label
    // happens to begin with "#".
    return line.startsWith(QLatin1Char('#')) && !line.contains(QLatin1Char(','));
}

} // namespace

bool FreqTableTextFile::write(const FreqTableModel &model, const QString &dateText, const QString &fileName,
                              Feedback *feedback)
{
    m_error.clear();
    TextFileWriter out(fileName);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    const CellGrid &grid = model.grid();
    out.writeLine(QStringLiteral("#T"));
    out.writeLine(dateText);
    out.writeLine(oneLine(model.caption()));
    for (int c = 1; c < grid.colCount(); ++c) {
        if (!Feedback::advance(feedback, c)) {
            out.cancel();
            m_error = Feedback::canceledMessage();
            return false;
        }
        out.writeLine(QStringLiteral("#S"));
        for (int r = 0; r < grid.rowCount(); ++r) {
            const QString &cell = grid.cell(c, r);
            if (cell.isEmpty() || cell == kAbsent)
                continue;
            out.writeLine(grid.cell(0, r) + QLatin1Char(',') + cell);
        }
        out.writeLine(QStringLiteral("#E"));
        out.writeLine(QString());
    }
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

bool FreqTableTextFile::read(const QString &fileName, FreqTableModel *model)
{
    m_error.clear();
    TextFileReader reader;
    if (!reader.read(fileName)) {
        m_error = reader.errorString();
        return false;
    }
    const QStringList &lines = reader.lines();
    const int n = int(lines.size());

    // Everything happens on a copy, which replaces the window's table only when the whole file
    // has been read.
    FreqTableModel table = *model;
    CellGrid &grid = table.grid();
    const bool blank = table.isBlank();
    int line = 0;
    // The title, date and marker at the head are not rows; a title beginning with "#S" must not
    // be taken for a group.
    if (n > 0 && lines[0].startsWith(QLatin1String("#T")))
        line = 3;
    if (blank) {
        // A window that never held a table takes the file as a constancy table of its own.
        const int size = table.font().pointSize;
        grid = CellGrid();
        grid.setDefaultColWidth(5 * size);
        grid.setDefaultRowHeight(TableModel::defaultRowHeightFor(size));
        grid.setColCount(1);
        grid.setColWidth(0, 20 * size);
        grid.setFixedCols(1);
        if (line == 3 && n >= 3)
            table.setCaption(lines[2]);
    } else {
        // Only columns and rows with no text at all are dropped from the end: a row without a
        // label may still hold values (the relevé rows of a score table read from CSV).
        const auto columnEmpty = [&grid](int c) {
            for (int r = 0; r < grid.rowCount(); ++r)
                if (!grid.cell(c, r).isEmpty())
                    return false;
            return true;
        };
        while (grid.colCount() > 1 && columnEmpty(grid.colCount() - 1))
            grid.setColCount(grid.colCount() - 1);
        while (grid.rowCount() > 1 && grid.countInRow(grid.rowCount() - 1, 0, grid.colCount() - 1) == 0)
            grid.setRowCount(grid.rowCount() - 1);
    }

    // A block's rows join the table's rows by label; the k-th row of a label in a block goes to
    // the k-th row of that label in the table, so that two rows of one name stay two.
    QHash<QString, std::vector<int>> rowsOfLabel;
    for (int r = 0; r < grid.rowCount(); ++r)
        rowsOfLabel[grid.cell(0, r)].push_back(r);

    int blocks = 0;
    for (;;) {
        while (line < n && !lines[line].startsWith(QLatin1String("#S")))
            ++line;
        if (line >= n)
            break;
        const int start = line++;
        if (grid.colCount() >= kMaxColumns) {
            m_error = QStringLiteral("%1 行目：群落区分が多すぎます（%2 列まで）").arg(start + 1).arg(kMaxColumns - 1);
            return false;
        }
        const int col = grid.colCount();
        grid.setColCount(col + 1);
        QHash<QString, int> seenInBlock;
        for (;;) {
            if (line >= n || (isMarkerLine(lines[line]) && !lines[line].startsWith(QLatin1String("#E")))) {
                m_error = QStringLiteral("%1 行目から始まる群落区分が #E で終わっていません。"
                                         "ファイルが途中で切れているか、壊れています。")
                              .arg(start + 1);
                return false;
            }
            const QString &text = lines[line++];
            if (isMarkerLine(text))
                break;
            if (text.isEmpty())
                continue;
            const int comma = int(text.lastIndexOf(QLatin1Char(',')));
            const QString label = comma < 0 ? QString() : text.left(comma);
            const QString value = text.mid(comma + 1).left(MaxValueLength);
            std::vector<int> &rows = rowsOfLabel[label];
            const int k = seenInBlock[label]++;
            int row;
            if (k < int(rows.size())) {
                row = rows[std::size_t(k)];
            } else {
                row = grid.rowCount();
                grid.setRowCount(row + 1);
                grid.setCell(0, row, label);
                rows.push_back(row);
            }
            grid.setCell(col, row, value);
        }
        ++blocks;
    }
    if (blocks == 0) {
        m_error = QStringLiteral("群落区分（#S で始まる区切り）がありません。常在度表のテキストファイルではないようです。");
        return false;
    }
    if (blank)
        grid.setFixedRows(std::min(3, grid.rowCount()));
    *model = std::move(table);
    return true;
}

} // namespace Zelkor
