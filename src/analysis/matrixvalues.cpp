#include "analysis/matrixvalues.h"

#include "analysis/covertovalue.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

MatrixValues::MatrixValues(const TableModel &model, int method, std::vector<int> releveIndexes,
                           std::vector<int> speciesIndexes, bool bySpecies)
    : m_model(model)
    , m_method(method)
    , m_releves(std::move(releveIndexes))
    , m_species(std::move(speciesIndexes))
{
    const int maxSpecies = model.coverData().maxSpecies();
    m_firstSlot.assign(std::size_t(std::max(maxSpecies, 0)) + 1, -1);
    m_nextSlot.assign(m_species.size(), -1);
    // Later slots first, so that each chain runs in table order.
    for (std::size_t k = m_species.size(); k-- > 0;) {
        const int s = m_species[k];
        if (s < 0 || s > maxSpecies)
            continue;
        m_nextSlot[k] = m_firstSlot[std::size_t(s)];
        m_firstSlot[std::size_t(s)] = int(k);
    }
    // What an absent species converts to (the same text for every method, but derived here).
    appendCoverValue(m_zero, method, ByteDataSet{});
    const std::size_t width = std::max(m_releves.size(), m_species.size());
    m_zeros.reserve(qsizetype(width * std::size_t(m_zero.size() + 1)));
    for (std::size_t k = 0; k < width; ++k)
        m_zeros += ',' + m_zero;

    if (bySpecies) {
        m_bySpecies.resize(m_species.size());
        for (std::size_t i = 0; i < m_releves.size(); ++i) {
            model.coverData().forEachInReleve(m_releves[i], [&](int s, const ByteDataSet &codes) {
                if (s < 0 || s > maxSpecies)
                    return;
                for (int k = m_firstSlot[std::size_t(s)]; k >= 0; k = m_nextSlot[std::size_t(k)])
                    m_bySpecies[std::size_t(k)].push_back(Cell{int(i), codes});
            });
        }
    }
}

void MatrixValues::appendLine(QByteArray &line, const std::vector<Cell> &cells, std::size_t count) const
{
    const qsizetype zeroWidth = m_zero.size() + 1;
    std::size_t at = 0;
    for (const Cell &cell : cells) {
        const std::size_t column = std::size_t(cell.column);
        line.append(m_zeros.constData(), qsizetype(column - at) * zeroWidth);
        line += ',';
        appendCoverValue(line, m_method, cell.codes);
        at = column + 1;
    }
    line.append(m_zeros.constData(), qsizetype(count - at) * zeroWidth);
}

void MatrixValues::appendSpeciesLine(QByteArray &line, std::size_t j) const
{
    appendLine(line, m_bySpecies[j], m_releves.size());
}

void MatrixValues::appendReleveLine(QByteArray &line, std::size_t i) const
{
    std::vector<Cell> cells;
    const int maxSpecies = int(m_firstSlot.size()) - 1;
    m_model.coverData().forEachInReleve(m_releves[i], [&](int s, const ByteDataSet &codes) {
        if (s < 0 || s > maxSpecies)
            return;
        for (int k = m_firstSlot[std::size_t(s)]; k >= 0; k = m_nextSlot[std::size_t(k)])
            cells.push_back(Cell{k, codes});
    });
    std::sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) { return a.column < b.column; });
    appendLine(line, cells, m_species.size());
}

} // namespace Zelkor
