#include "analysis/recipmatrix.h"

#include "analysis/covertovalue.h"
#include "platform/feedback.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace Zelkor {

template<typename CellsOf>
RecipMatrix RecipMatrix::build(int releveCount, int speciesCount, const CellsOf &cellsOf)
{
    constexpr std::size_t lanes = Layout::Lanes;
    RecipMatrix m;
    m.m_releveCount = releveCount;
    m.m_speciesCount = speciesCount;

    // First the numbers of cells: only relevés and species with a filled cell take part (the
    // others' totals are 0), and they give the sizes of the groups.
    std::vector<std::size_t> speciesCells(std::size_t(speciesCount) + 1, 0);
    std::vector<std::size_t> releveCells;
    bool allOnes = true;
    for (int r = 1; r <= releveCount; ++r) {
        std::size_t n = 0;
        cellsOf(r, [&](int k, int v) {
            ++speciesCells[std::size_t(k)];
            ++n;
            allOnes = allOnes && v == 1;
        });
        if (n > 0) {
            m.m_scoredReleves.push_back(r);
            releveCells.push_back(n);
            m.m_cellCount += n;
        }
    }
    std::vector<quint32> speciesPlace(std::size_t(speciesCount) + 1, 0);
    std::vector<std::size_t> cellsBySpecies;
    for (int k = 1; k <= speciesCount; ++k) {
        if (speciesCells[std::size_t(k)] > 0) {
            speciesPlace[std::size_t(k)] = quint32(m.m_scoredSpecies.size());
            m.m_scoredSpecies.push_back(k);
            cellsBySpecies.push_back(speciesCells[std::size_t(k)]);
        }
    }
    std::vector<std::size_t>().swap(speciesCells);
    const std::size_t nr = m.m_scoredReleves.size();
    const std::size_t ns = m.m_scoredSpecies.size();
    const std::vector<std::size_t> speciesSlot = layOut(m.m_bySpecies, cellsBySpecies, nr, !allOnes);
    const std::vector<std::size_t> releveSlot = layOut(m.m_byReleve, releveCells, ns, !allOnes);

    // Species by species, each in relevé order, straight into its lane. The species totals are
    // added up in relevé order as single-precision numbers.
    m.m_speciesTotals.assign(ns, 0.0f);
    std::vector<std::size_t> filled(ns, 0);
    auto speciesEntry = [&](std::size_t s, std::size_t j) {
        const std::size_t slot = speciesSlot[s];
        return m.m_bySpecies.groupStart[slot / lanes] + j * lanes + slot % lanes;
    };
    for (std::size_t i = 0; i < nr; ++i) {
        cellsOf(m.m_scoredReleves[i], [&](int k, int v) {
            const std::size_t s = speciesPlace[std::size_t(k)];
            const std::size_t at = speciesEntry(s, filled[s]++);
            if (m.m_bySpecies.wide)
                m.m_bySpecies.index32[at] = quint32(i);
            else
                m.m_bySpecies.index16[at] = quint16(i);
            if (!allOnes)
                m.m_bySpecies.values[at] = quint8(v);
            m.m_speciesTotals[s] += float(v);
        });
    }
    // Relevé by relevé, each in species order, read off species by species; the relevé totals
    // are added up in species order.
    m.m_releveTotals.assign(nr, 0.0f);
    filled.assign(nr, 0);
    for (std::size_t s = 0; s < ns; ++s) {
        for (std::size_t j = 0; j < cellsBySpecies[s]; ++j) {
            const std::size_t from = speciesEntry(s, j);
            const std::size_t i = m.m_bySpecies.wide ? m.m_bySpecies.index32[from] : m.m_bySpecies.index16[from];
            const quint8 v = allOnes ? quint8(1) : m.m_bySpecies.values[from];
            const std::size_t slot = releveSlot[i];
            const std::size_t at = m.m_byReleve.groupStart[slot / lanes] + filled[i]++ * lanes + slot % lanes;
            if (m.m_byReleve.wide)
                m.m_byReleve.index32[at] = quint32(s);
            else
                m.m_byReleve.index16[at] = quint16(s);
            if (!allOnes)
                m.m_byReleve.values[at] = v;
            m.m_releveTotals[i] += float(v);
        }
    }
    return m;
}

RecipMatrix RecipMatrix::fromTable(const TableModel &model, int method, Feedback *feedback)
{
    const int releves = std::max(model.releveCount(), 0);
    const int species = std::max(model.speciesCount(), 0);
    const CoverTable &cover = model.coverData();

    // The species rows of each species index: firstRow[index], then nextRow[row] ... (an index
    // belongs to one row, but a damaged table may give it to two; both then read its codes).
    // Index 0 holds a relevé's scales, not a species.
    const int maxIndex = std::max(cover.maxSpecies(), 0);
    std::vector<int> firstRow(std::size_t(maxIndex) + 1, 0);
    std::vector<int> nextRow(std::size_t(species) + 1, 0);
    for (int k = species; k >= 1; --k) {
        const int index = model.speciesIndexAt(model.speciesRow(k));
        if (index >= 1 && index <= maxIndex) {
            nextRow[std::size_t(k)] = firstRow[std::size_t(index)];
            firstRow[std::size_t(index)] = k;
        }
    }
    std::vector<int> releveIndex(std::size_t(releves) + 1, -1);
    for (int r = 1; r <= releves; ++r)
        releveIndex[std::size_t(r)] = model.releveIndexAt(TableModel::releveColumn(r));

    // The table is read twice, counting, then placing the cells; the first reading keeps the
    // converted value of every cell for the second. The progress follows the first.
    std::vector<quint8> values;
    values.reserve(cover.entryCount());
    std::vector<std::size_t> valuesFrom(std::size_t(releves) + 1, 0);
    int counted = 0;
    auto cellsOf = [&](int r, const auto &add) {
        const int index = releveIndex[std::size_t(r)];
        const bool first = r > counted;
        if (first) {
            counted = r;
            valuesFrom[std::size_t(r)] = values.size();
            if ((r & 255) == 0)
                Feedback::advance(feedback, r);
        }
        if (index < 1)
            return;
        std::size_t at = valuesFrom[std::size_t(r)];
        cover.forEachInReleve(index, [&](int s, const ByteDataSet &codes) {
            if (s < 1 || s > maxIndex || firstRow[std::size_t(s)] == 0)
                return;
            int value;
            if (first) {
                value = std::min(coverToTenths(method, codes) / 10, 255);
                values.push_back(quint8(std::max(value, 0)));
            } else {
                value = values[at++];
            }
            if (value <= 0)
                return;
            for (int k = firstRow[std::size_t(s)]; k != 0; k = nextRow[std::size_t(k)])
                add(k, value);
        });
    };
    return build(releves, species, cellsOf);
}

RecipMatrix RecipMatrix::fromCells(int releveCount, int speciesCount, const std::vector<Cell> &cells)
{
    releveCount = std::max(releveCount, 0);
    speciesCount = std::max(speciesCount, 0);
    auto inTable = [&](const Cell &c) {
        return c.releve >= 1 && c.releve <= releveCount && c.species >= 1 && c.species <= speciesCount && c.value > 0;
    };
    std::vector<std::size_t> start(std::size_t(releveCount) + 2, 0);
    for (const Cell &c : cells) {
        if (inTable(c))
            ++start[std::size_t(c.releve) + 1];
    }
    for (std::size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<const Cell *> byReleve(start.back());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (const Cell &c : cells) {
        if (inTable(c))
            byReleve[fill[std::size_t(c.releve)]++] = &c;
    }
    return build(releveCount, speciesCount, [&](int r, const auto &add) {
        for (std::size_t e = start[std::size_t(r)]; e < start[std::size_t(r) + 1]; ++e)
            add(byReleve[e]->species, std::min(byReleve[e]->value, 255));
    });
}

std::vector<std::size_t> RecipMatrix::layOut(Layout &l, const std::vector<std::size_t> &cells, std::size_t others,
                                             bool withValues)
{
    constexpr std::size_t lanes = Layout::Lanes;
    const std::size_t n = cells.size();
    // Longest first, so that the members of a group are about as long as one another.
    std::vector<quint32> order(n);
    std::iota(order.begin(), order.end(), quint32(0));
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return cells[a] > cells[b]; });
    const std::size_t groups = (n + lanes - 1) / lanes;
    l.members.assign(groups * lanes, Layout::NoMember);
    std::copy(order.begin(), order.end(), l.members.begin());
    l.groupStart.assign(1, 0);
    for (std::size_t g = 0; g < groups; ++g)
        l.groupStart.push_back(l.groupStart.back() + cells[order[g * lanes]] * lanes);
    const std::size_t total = l.groupStart.back();
    l.wide = others > std::size_t(std::numeric_limits<quint16>::max());
    l.padIndex = quint32(others);
    if (l.wide)
        l.index32.assign(total, l.padIndex);
    else
        l.index16.assign(total, quint16(l.padIndex));
    if (withValues)
        l.values.assign(total, 0);
    std::vector<std::size_t> slot(n);
    for (std::size_t i = 0; i < n; ++i)
        slot[order[i]] = i;
    return slot;
}

std::size_t RecipMatrix::memoryBytes() const
{
    auto layoutBytes = [](const Layout &l) {
        return l.members.capacity() * sizeof(quint32) + l.groupStart.capacity() * sizeof(std::size_t)
               + l.index16.capacity() * sizeof(quint16) + l.index32.capacity() * sizeof(quint32) + l.values.capacity();
    };
    return sizeof(*this) + m_scoredReleves.capacity() * sizeof(int) + m_scoredSpecies.capacity() * sizeof(int)
           + (m_releveTotals.capacity() + m_speciesTotals.capacity()) * sizeof(float) + layoutBytes(m_byReleve)
           + layoutBytes(m_bySpecies);
}

} // namespace Zelkor
