#pragma once

#include "platform/editjournal.h"
#include "table/bytedataset.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <utility>
#include <vector>

namespace Zelkor {

/// Where a relevé of the table was taken from: the database (its identity, see
/// Extraction::databaseIdentity()) and the record number in it. A relevé typed in, imported or
/// read from a table file that does not tell has none (isNull()).
struct ReleveSource
{
    QString database;
    int record = 0;
    bool isNull() const { return database.isEmpty() || record < 1; }
    bool operator==(const ReleveSource &) const = default;
};

/// The cover codes of the composition table, addressed by hidden relevé index r (0..maxReleves)
/// and hidden species index s (0..maxSpecies). Only non-zero cells are stored, so a large,
/// sparsely filled table costs memory by its entries, not by its area. Element [r][0] carries
/// the relevé's scale bytes rather than a species.
///
/// Beside its codes a relevé index may carry the relevé's source (where an extraction took it
/// from). It is kept here, by hidden index like the scale bytes, rather than by column: the index
/// row travels with its column through every move, sort and grouping of the grid, so the source
/// does too, and every command that frees or reuses an index (deleting or inserting a column,
/// taking an extraction out again) clears the relevé's codes and with them its source. The
/// journal records the sources like the codes, so undoing an edit brings them back.
class CoverTable
{
public:
    /// While a journal is attached, every change records how to take it back.
    void attachJournal(EditJournal *journal) { m_journal.attach(journal); }

    /// Sets the capacities; existing codes within the new bounds stay, codes outside are dropped.
    void resize(int maxReleves, int maxSpecies);
    int maxReleves() const { return int(m_releves.size()) - 1; }
    int maxSpecies() const { return m_maxSpecies; }

    /// The codes at [r][s]; seven zeros where nothing is stored or the address is out of range.
    ByteDataSet at(int r, int s) const;
    /// Calls f(species index, codes) for every stored (non-zero) cell of relevé index r, in
    /// increasing species order; nothing for an r out of range.
    template<typename F>
    void forEachInReleve(int r, F f) const
    {
        if (r < 0 || r >= int(m_releves.size()))
            return;
        for (const Entry &e : m_releves[std::size_t(r)])
            f(int(e.species), e.codes);
    }
    /// Stores codes at [r][s] (seven zeros remove the entry); ignored out of range.
    void set(int r, int s, const ByteDataSet &codes);

    /// One cell of a species, for assignBySpecies().
    struct SpeciesCell
    {
        quint32 releve;
        ByteDataSet codes;
    };
    /// Replaces every code by the given cells, listed species by species as a table file holds
    /// them: cells[first[s] .. first[s + 1]) are those of species index s, for s from 0 to
    /// first.size() - 2, in any order of relevés. A cell out of range, one of seven zeros or a
    /// relevé given twice for one species is left out. Each relevé's list is made at its exact
    /// size, in one pass over the cells rather than a search per cell.
    void assignBySpecies(const std::vector<SpeciesCell> &cells, const std::vector<qint64> &first);
    /// Zeroes every code of relevé index r and forgets its source.
    void clearReleve(int r);
    /// Zeroes the codes of species index s in every relevé.
    void clearSpecies(int s);
    /// Zeroes everything and forgets every source, keeping the capacities.
    void clear();

    /// The source of relevé index r; a null one when it has none or r is out of range.
    ReleveSource source(int r) const { return m_sources.value(r); }
    /// Sets the source of relevé index r (a null one forgets it); ignored out of range.
    void setSource(int r, const ReleveSource &source);
    /// Whether any relevé index has a source.
    bool hasSources() const { return !m_sources.isEmpty(); }

    /// Number of stored (non-zero) cells, and the bytes they and the index take.
    std::size_t entryCount() const;
    std::size_t memoryBytes() const;

private:
    struct Entry
    {
        quint32 species;
        ByteDataSet codes;
    };
    struct Placed
    {
        int releve;
        int species;
        ByteDataSet codes;
    };
    /// Records that the codes given are to come back (each through set()).
    void recordCodes(std::vector<Placed> codes);
    /// The stored codes of every relevé for the species indexes fromSpecies and beyond.
    std::vector<Placed> storedCodes(int fromSpecies = 0) const;
    /// Records that the sources given are to come back (each through setSource()).
    void recordSources(std::vector<std::pair<int, ReleveSource>> sources);
    JournalLink m_journal;
    std::vector<std::vector<Entry>> m_releves{1};
    // Only the relevés that have a source are kept: most tables have none.
    QHash<int, ReleveSource> m_sources;
    int m_maxSpecies = 0;
};

} // namespace Zelkor
