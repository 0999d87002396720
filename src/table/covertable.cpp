#include "table/covertable.h"

#include <algorithm>

namespace Zelkor {

namespace {
template<typename V>
auto findSpecies(V &entries, int s)
{
    return std::lower_bound(entries.begin(), entries.end(), quint32(s),
                            [](const auto &e, quint32 key) { return e.species < key; });
}
} // namespace

void CoverTable::resize(int maxReleves, int maxSpecies)
{
    m_releves.resize(std::size_t(std::max(maxReleves, 0)) + 1);
    if (maxSpecies < m_maxSpecies) {
        for (auto &entries : m_releves)
            entries.erase(findSpecies(entries, maxSpecies + 1), entries.end());
    }
    m_maxSpecies = std::max(maxSpecies, 0);
}

ByteDataSet CoverTable::at(int r, int s) const
{
    if (r < 0 || r >= int(m_releves.size()) || s < 0 || s > m_maxSpecies)
        return {};
    const auto &entries = m_releves[std::size_t(r)];
    auto it = findSpecies(entries, s);
    if (it != entries.end() && it->species == quint32(s))
        return it->codes;
    return {};
}

void CoverTable::set(int r, int s, const ByteDataSet &codes)
{
    if (r < 0 || r >= int(m_releves.size()) || s < 0 || s > m_maxSpecies)
        return;
    auto &entries = m_releves[std::size_t(r)];
    // A relevé filled in species order (a table being read) grows at its end.
    if ((entries.empty() || entries.back().species < quint32(s)) && !isEmpty(codes)) {
        entries.push_back(Entry{quint32(s), codes});
        return;
    }
    auto it = findSpecies(entries, s);
    const bool found = it != entries.end() && it->species == quint32(s);
    if (isEmpty(codes)) {
        if (found)
            entries.erase(it);
    } else if (found) {
        it->codes = codes;
    } else {
        entries.insert(it, Entry{quint32(s), codes});
    }
}

void CoverTable::assignBySpecies(const std::vector<SpeciesCell> &cells, const std::vector<qint64> &first)
{
    const std::size_t releves = m_releves.size();
    const int species = std::min(int(first.size()) - 1, m_maxSpecies + 1);
    auto forEachCell = [&](auto f) {
        for (int s = 0; s < species; ++s) {
            for (qint64 k = first[std::size_t(s)]; k < first[std::size_t(s) + 1]; ++k) {
                const SpeciesCell &cell = cells[std::size_t(k)];
                if (cell.releve < releves && !isEmpty(cell.codes))
                    f(s, cell);
            }
        }
    };
    std::vector<std::size_t> counts(releves, 0);
    forEachCell([&](int, const SpeciesCell &cell) { ++counts[cell.releve]; });
    for (std::size_t r = 0; r < releves; ++r) {
        std::vector<Entry>().swap(m_releves[r]);
        m_releves[r].reserve(counts[r]);
    }
    forEachCell([&](int s, const SpeciesCell &cell) {
        auto &entries = m_releves[cell.releve];
        // Species come in order: a relevé's last entry tells whether it has this one already.
        if (entries.empty() || entries.back().species < quint32(s))
            entries.push_back(Entry{quint32(s), cell.codes});
    });
}

void CoverTable::clearReleve(int r)
{
    if (r >= 0 && r < int(m_releves.size()))
        std::vector<Entry>().swap(m_releves[std::size_t(r)]);
}

void CoverTable::clearSpecies(int s)
{
    for (auto &entries : m_releves) {
        auto it = findSpecies(entries, s);
        if (it != entries.end() && it->species == quint32(s))
            entries.erase(it);
    }
}

void CoverTable::clear()
{
    for (auto &entries : m_releves)
        std::vector<Entry>().swap(entries);
}

std::size_t CoverTable::entryCount() const
{
    std::size_t n = 0;
    for (const auto &entries : m_releves)
        n += entries.size();
    return n;
}

std::size_t CoverTable::memoryBytes() const
{
    std::size_t n = m_releves.capacity() * sizeof(std::vector<Entry>);
    for (const auto &entries : m_releves)
        n += entries.capacity() * sizeof(Entry);
    return n;
}

} // namespace Zelkor
