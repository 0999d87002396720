#include "database/importedtable.h"

#include "platform/feedback.h"
#include "table/covercode.h"
#include "table/tablemodel.h"

namespace Zelkor {

std::vector<bool> ImportedTable::usedReleves() const
{
    std::vector<bool> used(std::size_t(releveCount) + 1, false);
    for (int n = 2; n <= HeaderItems::Count; ++n) {
        const std::vector<QString> &values = itemValues[std::size_t(n)];
        for (std::size_t i = 0; i < values.size() && i < std::size_t(releveCount); ++i)
            if (!values[i].isEmpty())
                used[i + 1] = true;
    }
    for (const Row &row : rows)
        for (const Entry &e : row.entries)
            if (e.releve >= 1 && e.releve <= releveCount)
                used[std::size_t(e.releve)] = true;
    return used;
}

std::vector<int> ImportedTable::speciesCounts() const
{
    std::vector<int> counts(std::size_t(releveCount) + 1, 0);
    for (const Row &row : rows)
        for (const Entry &e : row.entries)
            if (e.releve >= 1 && e.releve <= releveCount)
                ++counts[std::size_t(e.releve)];
    return counts;
}

bool ImportedTable::build(TableModel *model, HeaderItems *items, QString *error, Feedback *feedback) const
{
    HeaderItems layout = *items;
    layout[1].layout = true;
    for (int n = 2; n <= HeaderItems::Count; ++n)
        if (!itemValues[std::size_t(n)].empty())
            layout[n].layout = true;
    layout.selectLayout();

    TableModel fresh;
    fresh.setTableFont(model->tableFont());
    fresh.clearTable(layout);
    CellGrid &grid = fresh.grid();

    const int rowCount = int(rows.size());
    if (releveCount > fresh.maxReleves() && !fresh.addCol(releveCount)) {
        *error = QStringLiteral("組成表を %1 測定まで広げられません").arg(releveCount);
        return false;
    }
    if (rowCount > fresh.maxSpecies() && !fresh.addRow(rowCount)) {
        *error = QStringLiteral("組成表を %1 行まで広げられません").arg(rowCount);
        return false;
    }
    // Growing in one step labels only the columns and rows from the one asked for: the others
    // take the indexes that growing one by one would have given them.
    for (int i = 1; i <= fresh.maxReleves(); ++i)
        grid.setCell(TableModel::releveColumn(i), TableModel::IndexRow, QString::number(i));
    for (int k = 1; k <= fresh.maxSpecies(); ++k)
        grid.setCell(TableModel::IndexColumn, fresh.speciesRow(k), QString::number(k));

    // The header rows and the item each holds.
    struct HeaderRow
    {
        int row;
        int item;
    };
    std::vector<HeaderRow> headerRows;
    for (int q = TableModel::LabelRow; q < fresh.headerRows(); ++q) {
        const int n = TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q));
        if (n >= 2 && n <= HeaderItems::Count)
            headerRows.push_back(HeaderRow{q, n});
    }

    const std::vector<bool> used = usedReleves();
    const std::vector<int> counts = speciesCounts();
    const ByteDataSet scales{quint8(fresh.dataScaleK()), quint8(fresh.dataScaleD()), 0, 0, 0, 0, 0};
    std::vector<int> releveIndex(std::size_t(releveCount) + 1, -1);
    for (int i = 1; i <= releveCount; ++i) {
        const int col = TableModel::releveColumn(i);
        releveIndex[std::size_t(i)] = fresh.releveIndexAt(col);
        // A separator column stays as an inserted column is: no values, no scales.
        if (!used[std::size_t(i)])
            continue;
        for (const HeaderRow &h : headerRows) {
            const std::vector<QString> &values = itemValues[std::size_t(h.item)];
            QString value = std::size_t(i) <= values.size() ? values[std::size_t(i) - 1] : QString();
            if (h.item == HeaderItems::Count && values.empty())
                value = QString::number(counts[std::size_t(i)]);
            grid.setCell(col, h.row, h.item <= 7 ? value : rightAlign4(value));
        }
        if (releveIndex[std::size_t(i)] >= 1)
            fresh.coverData().set(releveIndex[std::size_t(i)], 0, scales);
    }

    for (int k = 1; k <= rowCount; ++k) {
        if ((k & 63) == 0 && !Feedback::advance(feedback, k)) {
            *error = Feedback::canceledMessage();
            return false;
        }
        const Row &row = rows[std::size_t(k) - 1];
        const int r = fresh.speciesRow(k);
        grid.setCell(TableModel::NameColumn, r, row.name);
        const int s = fresh.speciesIndexAt(r);
        for (const Entry &e : row.entries) {
            if (e.releve < 1 || e.releve > releveCount)
                continue;
            grid.setCell(TableModel::releveColumn(e.releve), r, dataToCellText(e.codes));
            if (s >= 1 && releveIndex[std::size_t(e.releve)] >= 1)
                fresh.coverData().set(releveIndex[std::size_t(e.releve)], s, e.codes);
        }
    }
    fresh.setReleveCount(releveCount);
    fresh.setSpeciesCount(rowCount);
    fresh.recomputeFrequencies();
    if (Feedback::canceled(feedback)) {
        *error = Feedback::canceledMessage();
        return false;
    }
    *model = std::move(fresh);
    *items = layout;
    return true;
}

} // namespace Zelkor
