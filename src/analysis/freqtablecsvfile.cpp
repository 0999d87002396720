#include "analysis/freqtablecsvfile.h"

#include "analysis/freqtablemodel.h"
#include "database/csvfield.h"
#include "platform/textfile.h"

#include <algorithm>

namespace Zelkor {

QStringList FreqTableCsvFile::splitLine(QStringView line)
{
    QStringList fields;
    const qsizetype n = line.size();
    if (n == 0)
        return fields;
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < n && line[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        const qsizetype comma = line.indexOf(QLatin1Char(','), i);
        const qsizetype end = comma < 0 ? n : comma;
        field += line.mid(i, end - i);
        fields << field;
        if (comma < 0)
            break;
        i = comma + 1;
        if (i == n) {
            fields << QString();
            break;
        }
    }
    return fields;
}

QString FreqTableCsvFile::joinLine(const QStringList &cells)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += csvField(cells[i]);
    }
    return line;
}

bool FreqTableCsvFile::write(const FreqTableModel &model, const QString &fileName)
{
    m_error.clear();
    TextFileWriter out(fileName);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    const CellGrid &grid = model.grid();
    out.writeLine(model.caption());
    QStringList cells;
    for (int r = 0; r < grid.rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < grid.colCount(); ++c)
            cells << grid.cell(c, r);
        out.writeLine(joinLine(cells));
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
        rows.push_back(splitLine(lines[i]));
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
    return true;
}

} // namespace Zelkor
