#include "analysis/ordinationmatrix.h"

#include "analysis/covertovalue.h"
#include "analysis/workcrew.h"
#include "platform/feedback.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {

// About this many cells make one block of a product.
constexpr std::size_t kCellsPerBlock = 50000;

// The sums of one side: out[k] = Σ values · vector[index] over the cells of member k, in order.
void sideSums(const std::vector<std::size_t> &start, const std::vector<quint32> &index,
              const std::vector<quint16> &values, const double *vector, double *out, WorkCrew &crew)
{
    const std::size_t members = start.size() - 1;
    if (members == 0)
        return;
    const std::size_t perMember = std::max<std::size_t>(start.back() / members, 1);
    WorkBlocks blocks(members, std::max<std::size_t>(kCellsPerBlock / perMember, 1));
    const quint32 *idx = index.data();
    const quint16 *val = values.data();
    crew.run([&](int) {
        blocks.take([&](std::size_t first, std::size_t last) {
            for (std::size_t k = first; k < last; ++k) {
                double sum = 0.0;
                const std::size_t end = start[k + 1];
                for (std::size_t e = start[k]; e < end; ++e)
                    sum += double(val[e]) * vector[idx[e]];
                out[k] = sum;
            }
        });
    });
}

} // namespace

struct OrdinationMatrix::Builder
{
    // The cells of the relevés in table order, each relevé's in species order.
    struct Entry
    {
        int species;
        quint16 value;
    };
    std::vector<Entry> entries;
    std::vector<std::size_t> releveStart{0};
    std::vector<int> releves;

    // Takes the cells of relevé position r (pairs in any order); a relevé without any is left out.
    void addReleve(int r, std::size_t from)
    {
        if (entries.size() == from)
            return;
        std::sort(entries.begin() + std::ptrdiff_t(from), entries.end(),
                  [](const Entry &a, const Entry &b) {
                      return a.species != b.species ? a.species < b.species : a.value < b.value;
                  });
        releves.push_back(r);
        releveStart.push_back(entries.size());
    }

    OrdinationMatrix finish(int releveCount, int speciesCount)
    {
        OrdinationMatrix m;
        m.m_releveCount = releveCount;
        m.m_speciesCount = speciesCount;
        m.m_scoredReleves = std::move(releves);
        m.m_releveStart = std::move(releveStart);

        // The species that occur, in table order, and their places.
        std::vector<std::size_t> count(std::size_t(speciesCount) + 1, 0);
        for (const Entry &e : entries)
            ++count[std::size_t(e.species)];
        std::vector<quint32> place(std::size_t(speciesCount) + 1, 0);
        for (int k = 1; k <= speciesCount; ++k) {
            if (count[std::size_t(k)] > 0) {
                place[std::size_t(k)] = quint32(m.m_scoredSpecies.size());
                m.m_scoredSpecies.push_back(k);
            }
        }
        const std::size_t nr = m.m_scoredReleves.size();
        const std::size_t ns = m.m_scoredSpecies.size();
        m.m_speciesStart.assign(ns + 1, 0);
        for (std::size_t s = 0; s < ns; ++s)
            m.m_speciesStart[s + 1] = m.m_speciesStart[s] + count[std::size_t(m.m_scoredSpecies[s])];
        std::vector<std::size_t>().swap(count);

        const std::size_t cells = entries.size();
        m.m_speciesIndex.resize(cells);
        m.m_releveValue.resize(cells);
        m.m_releveIndex.resize(cells);
        m.m_speciesValue.resize(cells);
        m.m_releveTotals.assign(nr, 0.0);
        m.m_speciesTotals.assign(ns, 0.0);
        std::vector<std::size_t> filled(m.m_speciesStart.begin(), m.m_speciesStart.end() - 1);
        for (std::size_t i = 0; i < nr; ++i) {
            double total = 0.0;
            for (std::size_t e = m.m_releveStart[i]; e < m.m_releveStart[i + 1]; ++e) {
                const quint32 s = place[std::size_t(entries[e].species)];
                const quint16 v = entries[e].value;
                m.m_speciesIndex[e] = s;
                m.m_releveValue[e] = v;
                const std::size_t at = filled[s]++;
                m.m_releveIndex[at] = quint32(i);
                m.m_speciesValue[at] = v;
                total += double(v);
            }
            m.m_releveTotals[i] = total;
        }
        std::vector<Entry>().swap(entries);
        for (std::size_t s = 0; s < ns; ++s) {
            double total = 0.0;
            for (std::size_t e = m.m_speciesStart[s]; e < m.m_speciesStart[s + 1]; ++e)
                total += double(m.m_speciesValue[e]);
            m.m_speciesTotals[s] = total;
        }
        return m;
    }
};

OrdinationMatrix OrdinationMatrix::fromTable(const TableModel &model, int method, Feedback *feedback)
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

    Builder b;
    b.entries.reserve(cover.entryCount());
    for (int r = 1; r <= releves; ++r) {
        if ((r & 255) == 0 && !Feedback::advance(feedback, r))
            break;
        const std::size_t from = b.entries.size();
        const int index = model.releveIndexAt(TableModel::releveColumn(r));
        if (index >= 1) {
            cover.forEachInReleve(index, [&](int s, const ByteDataSet &codes) {
                if (s < 1 || s > maxIndex || firstRow[std::size_t(s)] == 0)
                    return;
                const int tenths = std::min(coverToTenths(method, codes), 65535);
                if (tenths <= 0)
                    return;
                for (int k = firstRow[std::size_t(s)]; k != 0; k = nextRow[std::size_t(k)])
                    b.entries.push_back({k, quint16(tenths)});
            });
        }
        b.addReleve(r, from);
    }
    return b.finish(releves, species);
}

OrdinationMatrix OrdinationMatrix::fromCells(int releveCount, int speciesCount, const std::vector<Cell> &cells)
{
    releveCount = std::max(releveCount, 0);
    speciesCount = std::max(speciesCount, 0);
    std::vector<std::vector<Builder::Entry>> byReleve(std::size_t(releveCount) + 1);
    for (const Cell &c : cells) {
        if (c.releve >= 1 && c.releve <= releveCount && c.species >= 1 && c.species <= speciesCount && c.value > 0)
            byReleve[std::size_t(c.releve)].push_back({c.species, quint16(std::min(c.value, 65535))});
    }
    Builder b;
    for (int r = 1; r <= releveCount; ++r) {
        const std::size_t from = b.entries.size();
        b.entries.insert(b.entries.end(), byReleve[std::size_t(r)].begin(), byReleve[std::size_t(r)].end());
        b.addReleve(r, from);
    }
    return b.finish(releveCount, speciesCount);
}

std::vector<int> OrdinationMatrix::speciesFrequencies() const
{
    std::vector<int> frequency(m_scoredSpecies.size());
    for (std::size_t s = 0; s < frequency.size(); ++s)
        frequency[s] = int(m_speciesStart[s + 1] - m_speciesStart[s]);
    return frequency;
}

void OrdinationMatrix::releveSums(const double *speciesVector, double *out, WorkCrew &crew) const
{
    sideSums(m_releveStart, m_speciesIndex, m_releveValue, speciesVector, out, crew);
}

void OrdinationMatrix::speciesSums(const double *releveVector, double *out, WorkCrew &crew) const
{
    sideSums(m_speciesStart, m_releveIndex, m_speciesValue, releveVector, out, crew);
}

std::size_t OrdinationMatrix::memoryBytes() const
{
    return sizeof(*this) + (m_scoredReleves.capacity() + m_scoredSpecies.capacity()) * sizeof(int)
           + (m_releveTotals.capacity() + m_speciesTotals.capacity()) * sizeof(double)
           + (m_releveStart.capacity() + m_speciesStart.capacity()) * sizeof(std::size_t)
           + (m_speciesIndex.capacity() + m_releveIndex.capacity()) * sizeof(quint32)
           + (m_releveValue.capacity() + m_speciesValue.capacity()) * sizeof(quint16);
}

} // namespace Zelkor
