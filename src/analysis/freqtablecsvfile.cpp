#include "analysis/freqtablecsvfile.h"

#include "analysis/freqtablemodel.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"

#include <utility>

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
    reader.setMaxBytes(MaxBytes);
    QString caption;
    bool titled = false;
    // The rows read so far; the window's grid takes them only when the whole file was read.
    CellGrid cells;
    cells.setColCount(1);
    const bool ok = reader.readLines(fileName, [&](qint64 lineNumber, QString &text) {
        if (!titled) {
            caption = std::move(text);
            titled = true;
            return true;
        }
        if (cells.rowCount() >= MaxRows) {
            m_error = QStringLiteral("%1 行目：行が多すぎます（表の行は %2 行まで）").arg(lineNumber).arg(MaxRows);
            return false;
        }
        const qsizetype count = Csv::fieldCount(text);
        if (count > MaxColumns) {
            m_error = QStringLiteral("%1 行目：列が多すぎます（%2 列まで）").arg(lineNumber).arg(MaxColumns);
            return false;
        }
        const int row = cells.rowCount();
        cells.setRowCount(row + 1);
        if (count > cells.colCount())
            cells.setColCount(int(count));
        if (count > 0) {
            const QStringList fields = Csv::splitLine(text);
            for (qsizetype c = 0; c < fields.size(); ++c)
                cells.setCell(int(c), row, fields[c]);
        }
        return true;
    });
    if (!ok) {
        if (m_error.isEmpty())
            m_error = reader.errorString();
        return false;
    }
    if (cells.rowCount() == 0) {
        m_error = !titled ? QStringLiteral("ファイルが空です。表がありません。")
                          : QStringLiteral("表の行がありません（標題の行だけです）。");
        return false;
    }

    model->grid().replaceCells(std::move(cells));
    model->setCaption(caption);
    // The shading marked cells of the rows that were there.
    model->setShadedCells({});
    return true;
}

} // namespace Zelkor
