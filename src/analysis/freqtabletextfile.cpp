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

    // Everything happens on a copy, which replaces the window's table only when the whole file
    // has been read.
    FreqTableModel table = *model;
    CellGrid &grid = table.grid();
    const bool blank = table.isBlank();
    if (blank) {
        // A window that never held a table takes the file as a constancy table of its own.
        const int size = table.font().pointSize;
        grid = CellGrid();
        grid.setDefaultColWidth(5 * size);
        grid.setDefaultRowHeight(TableModel::defaultRowHeightFor(size));
        grid.setColCount(1);
        grid.setColWidth(0, 20 * size);
        grid.setFixedCols(1);
    } else {
        // Only columns and rows with no text at all are dropped from the end: a row without a
        // label may still hold values (the relevé rows of a score table read from CSV). One
        // pass over the stored cells finds the last column used.
        int lastColumn = 0;
        for (int r = 0; r < grid.rowCount(); ++r)
            grid.forEachInRow(r, [&lastColumn](int c, const QString &) { lastColumn = std::max(lastColumn, c); });
        grid.setColCount(std::min(grid.colCount(), lastColumn + 1));
        while (grid.rowCount() > 1 && grid.countInRow(grid.rowCount() - 1, 0, grid.colCount() - 1) == 0)
            grid.setRowCount(grid.rowCount() - 1);
    }

    // A block's rows join the table's rows by label; the k-th row of a label in a block goes to
    // the k-th row of that label in the table, so that two rows of one name stay two.
    QHash<QString, std::vector<int>> rowsOfLabel;
    for (int r = 0; r < grid.rowCount(); ++r)
        rowsOfLabel[grid.cell(0, r)].push_back(r);

    // The title, date and marker at the head are not rows; a title beginning with "#S" must not
    // be taken for a group.
    bool headed = false;
    qint64 start = 0; // the line of the "#S" of the group being read, 0 outside a group
    int col = 0;
    int blocks = 0;
    QHash<QString, int> seenInBlock;
    const auto unended = [](qint64 line) {
        return QStringLiteral("%1 行目から始まる群落区分が #E で終わっていません。"
                              "ファイルが途中で切れているか、壊れています。")
            .arg(line);
    };
    TextFileReader reader;
    reader.setMaxBytes(MaxBytes);
    const bool ok = reader.readLines(fileName, [&](qint64 line, QString &text) {
        if (line == 1 && text.startsWith(QLatin1String("#T")))
            headed = true;
        if (headed && line <= 3) {
            if (line == 3 && blank)
                table.setCaption(text);
            return true;
        }
        if (start == 0) {
            if (!text.startsWith(QLatin1String("#S")))
                return true;
            if (grid.colCount() >= MaxColumns) {
                m_error = QStringLiteral("%1 行目：群落区分が多すぎます（%2 列まで）").arg(line).arg(MaxColumns - 1);
                return false;
            }
            start = line;
            col = grid.colCount();
            grid.setColCount(col + 1);
            seenInBlock.clear();
            return true;
        }
        if (isMarkerLine(text)) {
            if (!text.startsWith(QLatin1String("#E"))) {
                m_error = unended(start);
                return false;
            }
            start = 0;
            ++blocks;
            return true;
        }
        if (text.isEmpty())
            return true;
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
            if (row >= MaxRows) {
                m_error = QStringLiteral("%1 行目：行が多すぎます（表の行は %2 行まで）").arg(line).arg(MaxRows);
                return false;
            }
            grid.setRowCount(row + 1);
            grid.setCell(0, row, label);
            rows.push_back(row);
        }
        grid.setCell(col, row, value);
        return true;
    });
    if (!ok) {
        if (m_error.isEmpty())
            m_error = reader.errorString();
        return false;
    }
    if (start != 0) {
        m_error = unended(start);
        return false;
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
