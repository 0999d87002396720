#include "analysis/freqtablecsvfile.h"

#include "analysis/freqtablemodel.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"

#include <algorithm>

namespace Zelkor {

bool FreqTableCsvFile::write(const FreqTableModel &model, const QString &fileName, Feedback *feedback)
{
    m_error.clear();
    TextFileWriter out(fileName);
    out.setEncoding(m_encoding);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    const CellGrid &grid = model.grid();
    out.writeLine(oneLine(model.caption()));
    QStringList cells;
    for (int r = 0; r < grid.rowCount(); ++r) {
        if (!Feedback::advance(feedback, r)) {
            out.cancel();
            m_error = Feedback::canceledMessage();
            return false;
        }
        cells.clear();
        for (int c = 0; c < grid.colCount(); ++c)
            cells << grid.cell(c, r);
        out.writeLine(Csv::joinLine(cells));
    }
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

bool FreqTableCsvFile::read(const QString &fileName, FreqTableModel *model)
{
    m_error.clear();
    TextFileReader reader;
    if (!reader.read(fileName)) {
        m_error = reader.errorString();
        return false;
    }
    const QStringList &lines = reader.lines();
    if (lines.size() < 2) {
        m_error = lines.isEmpty() ? QStringLiteral("ファイルが空です。表がありません。")
                                  : QStringLiteral("表の行がありません（標題の行だけです）。");
        return false;
    }

    std::vector<QStringList> rows;
    rows.reserve(std::size_t(lines.size() - 1));
    qsizetype columns = 1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        rows.push_back(Csv::splitLine(lines[i]));
        columns = std::max(columns, rows.back().size());
        if (columns > MaxColumns) {
            m_error = QStringLiteral("%1 行目：列が多すぎます（%2 列まで）").arg(i + 1).arg(MaxColumns);
            return false;
        }
    }

    CellGrid &grid = model->grid();
    grid.clearCells();
    grid.setRowCount(int(rows.size()));
    grid.setColCount(int(columns));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QStringList &fields = rows[r];
        for (qsizetype c = 0; c < fields.size(); ++c)
            grid.setCell(int(c), int(r), fields[c]);
    }
    model->setCaption(lines[0]);
    // The shading marked cells of the rows that were there.
    model->setShadedCells({});
    return true;
}

} // namespace Zelkor
