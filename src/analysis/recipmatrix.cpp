#include "analysis/recipmatrix.h"

#include "analysis/covertovalue.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <limits>

namespace Zelkor {

RecipMatrix RecipMatrix::fromTable(const TableModel &model, int method, const Progress &progress)
{
    const int releves = std::max(model.releveCount(), 0);
    const int species = std::max(model.speciesCount(), 0);
    const int h = model.headerRows();
    const CoverTable &cover = model.coverData();

    // The species rows of each species index: firstRow[index], then nextRow[row] ... (an index
    // belongs to one row, but a damaged table may give it to two; both then read its codes).
    // Index 0 holds a relevé's scales, not a species.
    const int maxIndex = std::max(cover.maxSpecies(), 0);
    std::vector<int> firstRow(std::size_t(maxIndex) + 1, 0);
    std::vector<int> nextRow(std::size_t(species) + 1, 0);
    for (int k = species; k >= 1; --k) {
        const int index = model.speciesIndexAt(h + k);
        if (index >= 1 && index <= maxIndex) {
            nextRow[std::size_t(k)] = firstRow[std::size_t(index)];
            firstRow[std::size_t(index)] = k;
        }
    }

    std::vector<std::size_t> start(std::size_t(releves) + 1, 0);
    std::vector<Entry> entries;
    for (int r = 1; r <= releves; ++r) {
        if (progress && (r & 255) == 0)
            progress(r);
        const int index = model.releveIndexAt(r + 3);
        if (index >= 1) {
            cover.forEachInReleve(index, [&](int s, const ByteDataSet &codes) {
                if (s < 1 || s > maxIndex || firstRow[std::size_t(s)] == 0)
                    return;
                const int value = std::min(coverToTenths(method, codes) / 10, 255);
                if (value <= 0)
                    return;
                for (int k = firstRow[std::size_t(s)]; k != 0; k = nextRow[std::size_t(k)])
                    entries.push_back(Entry{quint32(k), quint8(value)});
            });
        }
        start[std::size_t(r)] = entries.size();
    }
    return build(releves, species, start, entries);
}

RecipMatrix RecipMatrix::fromCells(int releveCount, int speciesCount, const std::vector<Cell> &cells)
{
    releveCount = std::max(releveCount, 0);
    speciesCount = std::max(speciesCount, 0);
    std::vector<std::size_t> start(std::size_t(releveCount) + 1, 0);
    for (const Cell &c : cells) {
        if (c.releve >= 1 && c.releve <= releveCount && c.species >= 1 && c.species <= speciesCount && c.value > 0)
            ++start[std::size_t(c.releve)];
    }
    for (std::size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<Entry> entries(start.back());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (const Cell &c : cells) {
        if (c.releve >= 1 && c.releve <= releveCount && c.species >= 1 && c.species <= speciesCount && c.value > 0)
            entries[fill[std::size_t(c.releve - 1)]++] = Entry{quint32(c.species), quint8(std::min(c.value, 255))};
    }
    return build(releveCount, speciesCount, start, entries);
}

RecipMatrix RecipMatrix::build(int releveCount, int speciesCount, const std::vector<std::size_t> &start,
                               const std::vector<Entry> &entries)
{
    RecipMatrix m;
    m.m_releveCount = releveCount;
    m.m_speciesCount = speciesCount;
    m.m_cellCount = entries.size();

    // Species by species, each in relevé order: a counting sort of the entries by species.
    std::vector<std::size_t> speciesStart(std::size_t(speciesCount) + 2, 0);
    for (const Entry &e : entries)
        ++speciesStart[e.species + 1];
    for (std::size_t k = 1; k < speciesStart.size(); ++k)
        speciesStart[k] += speciesStart[k - 1];
    std::vector<quint32> releveOfEntry(entries.size());
    std::vector<quint8> valueOfEntry(entries.size());
    {
        std::vector<std::size_t> fill(speciesStart.begin(), speciesStart.end() - 1);
        for (int r = 1; r <= releveCount; ++r) {
            for (std::size_t e = start[std::size_t(r - 1)]; e < start[std::size_t(r)]; ++e) {
                const std::size_t at = fill[entries[e].species]++;
                releveOfEntry[at] = quint32(r);
                valueOfEntry[at] = entries[e].value;
            }
        }
    }

    // Only relevés and species with a filled cell take part: the others' totals are 0.
    std::vector<quint32> speciesPlace(std::size_t(speciesCount) + 1, 0);
    for (int k = 1; k <= speciesCount; ++k) {
        if (speciesStart[std::size_t(k) + 1] > speciesStart[std::size_t(k)]) {
            speciesPlace[std::size_t(k)] = quint32(m.m_scoredSpecies.size());
            m.m_scoredSpecies.push_back(k);
        }
    }
    std::vector<quint32> relevePlace(std::size_t(releveCount) + 1, 0);
    m.m_rowStart.assign(1, 0);
    for (int r = 1; r <= releveCount; ++r) {
        const std::size_t n = start[std::size_t(r)] - start[std::size_t(r - 1)];
        if (n > 0) {
            relevePlace[std::size_t(r)] = quint32(m.m_scoredReleves.size());
            m.m_scoredReleves.push_back(r);
            m.m_rowStart.push_back(m.m_rowStart.back() + n);
        }
    }

    // Back to relevé by relevé, each now in species order.
    m.m_wide = m.m_scoredSpecies.size() > std::size_t(std::numeric_limits<quint16>::max()) + 1;
    if (m.m_wide)
        m.m_species32.resize(entries.size());
    else
        m.m_species16.resize(entries.size());
    m.m_values.resize(entries.size());
    {
        std::vector<std::size_t> fill(m.m_rowStart.begin(), m.m_rowStart.end() - 1);
        for (int k = 1; k <= speciesCount; ++k) {
            const quint32 place = speciesPlace[std::size_t(k)];
            for (std::size_t e = speciesStart[std::size_t(k)]; e < speciesStart[std::size_t(k) + 1]; ++e) {
                const std::size_t at = fill[relevePlace[releveOfEntry[e]]]++;
                if (m.m_wide)
                    m.m_species32[at] = place;
                else
                    m.m_species16[at] = quint16(place);
                m.m_values[at] = valueOfEntry[e];
            }
        }
    }

    // The totals, added up in table order as single-precision numbers.
    m.m_releveTotals.assign(m.m_scoredReleves.size(), 0.0f);
    m.m_speciesTotals.assign(m.m_scoredSpecies.size(), 0.0f);
    bool allOnes = true;
    for (std::size_t i = 0; i < m.m_scoredReleves.size(); ++i) {
        for (std::size_t e = m.m_rowStart[i]; e < m.m_rowStart[i + 1]; ++e) {
            const quint8 v = m.m_values[e];
            m.m_releveTotals[i] += float(v);
            m.m_speciesTotals[m.speciesOf(e)] += float(v);
            allOnes = allOnes && v == 1;
        }
    }
    if (allOnes)
        std::vector<quint8>().swap(m.m_values);
    return m;
}

std::size_t RecipMatrix::memoryBytes() const
{
    return sizeof(*this) + m_scoredReleves.capacity() * sizeof(int) + m_scoredSpecies.capacity() * sizeof(int)
           + (m_releveTotals.capacity() + m_speciesTotals.capacity()) * sizeof(float)
           + m_rowStart.capacity() * sizeof(std::size_t) + m_species16.capacity() * sizeof(quint16)
           + m_species32.capacity() * sizeof(quint32) + m_values.capacity();
}

} // namespace Zelkor
