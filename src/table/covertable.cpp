#include "table/covertable.h"

#include <algorithm>
#include <iterator>

namespace Zelkor {

namespace {
template<typename V>
auto findSpecies(V &entries, int s)
{
    return std::lower_bound(entries.begin(), entries.end(), quint32(s),
                            [](const auto &e, quint32 key) { return e.species < key; });
}
} // namespace

void CoverTable::recordCodes(std::vector<Placed> codes)
{
    if (codes.empty())
        return;
    const std::size_t bytes = codes.capacity() * sizeof(Placed);
    m_journal->record([this, codes = std::move(codes)] {
        for (const Placed &p : codes)
            set(p.releve, p.species, p.codes);
    }, bytes, this);
}

void CoverTable::recordSources(std::vector<std::pair<int, ReleveSource>> sources)
{
    if (sources.empty())
        return;
    const std::size_t bytes = sources.capacity() * sizeof(sources.front());
    m_journal->record([this, sources = std::move(sources)] {
        for (const auto &[r, source] : sources)
            setSource(r, source);
    }, bytes);
}

void CoverTable::setSource(int r, const ReleveSource &source)
{
    if (r < 0 || r >= int(m_releves.size()))
        return;
    const ReleveSource old = m_sources.value(r);
    if (old == source || (old.isNull() && source.isNull()))
        return;
    if (m_journal)
        recordSources({{r, old}});
    if (source.isNull())
        m_sources.remove(r);
    else
        m_sources.insert(r, source);
}

std::vector<CoverTable::Placed> CoverTable::storedCodes(int fromSpecies) const
{
    std::vector<Placed> out;
    for (std::size_t r = 0; r < m_releves.size(); ++r)
        for (auto it = findSpecies(m_releves[r], fromSpecies); it != m_releves[r].end(); ++it)
            out.push_back(Placed{int(r), int(it->species), it->codes});
    return out;
}

void CoverTable::resize(int maxReleves, int maxSpecies)
{
    if (m_journal && (maxReleves != this->maxReleves() || maxSpecies != m_maxSpecies)) {
        // Back to the old capacities first, then the codes beyond the new ones.
        // Growing drops nothing (and happens often, a few relevés at a time).
        std::vector<Placed> dropped;
        if (maxSpecies < m_maxSpecies)
            dropped = storedCodes(std::max(maxSpecies, 0) + 1);
        for (std::size_t r = std::size_t(std::max(maxReleves, 0)) + 1; r < m_releves.size(); ++r)
            for (const Entry &e : m_releves[r])
                if (e.species <= quint32(std::max(maxSpecies, 0)))
                    dropped.push_back(Placed{int(r), int(e.species), e.codes});
        recordCodes(std::move(dropped));
        std::vector<std::pair<int, ReleveSource>> droppedSources;
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it)
            if (it.key() > std::max(maxReleves, 0))
                droppedSources.emplace_back(it.key(), it.value());
        recordSources(std::move(droppedSources));
        // Taken back first, so that the codes and sources above find their relevés again.
        m_journal->record([this, oldReleves = this->maxReleves(), oldSpecies = m_maxSpecies] {
            resize(oldReleves, oldSpecies);
        }, 0, this);
    }
    for (auto it = m_sources.begin(); it != m_sources.end();)
        it = it.key() > std::max(maxReleves, 0) ? m_sources.erase(it) : std::next(it);
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
    if (m_journal) {
        const ByteDataSet old = at(r, s);
        if (old == codes)
            return;
        struct OldCodes : EditJournal::Batch
        {
            CoverTable *table = nullptr;
            std::vector<Placed> codes;
            void undo() override
            {
                for (auto it = codes.rbegin(); it != codes.rend(); ++it)
                    table->set(it->releve, it->species, it->codes);
            }
        };
        OldCodes &batch = m_journal->batch<OldCodes>(this);
        batch.table = this;
        batch.codes.push_back(Placed{r, s, old});
        m_journal->addBytes(sizeof(Placed));
    }
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
    // The sources are no codes of the cells given: a table file tells them apart.
    if (m_journal)
        clear();
    else
        m_sources.clear();
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
    if (m_journal) {
        // Code by code, so that the change can be taken back.
        forEachCell([&](int s, const SpeciesCell &cell) {
            if (isEmpty(at(int(cell.releve), s)))
                set(int(cell.releve), s, cell.codes);
        });
        return;
    }
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
    if (m_journal && r >= 0 && r < int(m_releves.size())) {
        std::vector<Placed> cleared;
        for (const Entry &e : m_releves[std::size_t(r)])
            cleared.push_back(Placed{r, int(e.species), e.codes});
        recordCodes(std::move(cleared));
    }
    if (r >= 0 && r < int(m_releves.size()))
        std::vector<Entry>().swap(m_releves[std::size_t(r)]);
    setSource(r, ReleveSource());
}

void CoverTable::clearSpecies(int s)
{
    if (m_journal) {
        std::vector<Placed> cleared;
        for (std::size_t r = 0; r < m_releves.size(); ++r) {
            auto it = findSpecies(m_releves[r], s);
            if (it != m_releves[r].end() && it->species == quint32(s))
                cleared.push_back(Placed{int(r), s, it->codes});
        }
        recordCodes(std::move(cleared));
    }
    for (auto &entries : m_releves) {
        auto it = findSpecies(entries, s);
        if (it != entries.end() && it->species == quint32(s))
            entries.erase(it);
    }
}

void CoverTable::clear()
{
    if (m_journal) {
        recordCodes(storedCodes());
        std::vector<std::pair<int, ReleveSource>> sources;
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it)
            sources.emplace_back(it.key(), it.value());
        recordSources(std::move(sources));
    }
    for (auto &entries : m_releves)
        std::vector<Entry>().swap(entries);
    m_sources.clear();
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
    for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it)
        n += sizeof(int) + sizeof(ReleveSource) + 16 + std::size_t(it.value().database.size()) * 2;
    return n;
}

} // namespace Zelkor
