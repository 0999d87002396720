#include "database/extraction.h"

#include "database/covercode.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QHash>

#include <algorithm>

namespace Zelkor {

namespace {

// The standard names of the raw database names seen so far: a database repeats a limited set of
// names in many relevés, so each raw name is trimmed and looked up once.
class CommonNames
{
public:
    explicit CommonNames(const SynonymDictionary &dict) : m_dict(dict) {}
    const QString &of(const QString &raw)
    {
        auto it = m_cache.constFind(raw);
        if (it == m_cache.constEnd())
            it = m_cache.insert(raw, m_dict.synToCommonName(trimBlanks(raw)));
        return it.value();
    }

private:
    const SynonymDictionary &m_dict;
    QHash<QString, QString> m_cache;
};

bool findCover(const VegDatabase &db, CommonNames &names, const QString &name, int level)
{
    if (level < 0)
        return false;
    const int minimum = level * 10;
    const auto &set = db.plantSet();
    const int last = std::min(db.plantCount(), int(set.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        const TabSp &entry = set[std::size_t(i)];
        if (names.of(entry.nam) != name)
            continue;
        for (quint8 code : entry.dby) {
            if (code >= minimum)
                return true;
        }
    }
    return false;
}

// The conditions on the relevé read last, starting from its earlier selection h: the first
// condition sets the result (or, not holding, keeps it), the others join it left to right up to
// the first empty name.
bool evaluate(const VegDatabase &db, CommonNames &names, const std::array<SpeciesCondition, 5> &conds, bool h)
{
    if (conds[0].name.isEmpty() || findCover(db, names, conds[0].name, conds[0].level))
        h = conds[0].join != ConditionJoin::Not;
    else if (conds[0].join == ConditionJoin::Not)
        h = true;
    for (std::size_t k = 1; k < conds.size(); ++k) {
        if (conds[k].name.isEmpty())
            break; // a gap ends the conditions
        const bool f = findCover(db, names, conds[k].name, conds[k].level);
        switch (conds[k].join) {
        case ConditionJoin::Or: h = h || f; break;
        case ConditionJoin::And: h = h && f; break;
        case ConditionJoin::Not: h = h && !f; break;
        }
    }
    return h;
}

// The species rows of the table by name, first row of a name winning, kept current while
// relevés are inserted so that inserting many relevés stays linear in the species count.
class SpeciesRows
{
public:
    explicit SpeciesRows(const TableModel &model)
    {
        // Going upwards, the first row of a name is inserted last and wins.
        const int H = model.headerRows();
        for (int k = model.speciesCount(); k >= 1; --k)
            m_rows.insert(model.grid().cell(2, H + k), k);
    }
    int find(const QString &name) const { return m_rows.value(name, 0); }
    void add(const QString &name, int k)
    {
        if (!m_rows.contains(name))
            m_rows.insert(name, k);
    }
    void remove(const QString &name, int k)
    {
        auto it = m_rows.find(name);
        if (it != m_rows.end() && it.value() == k)
            m_rows.erase(it);
    }

private:
    QHash<QString, int> m_rows;
};

// Writes the relevé read last as table column pcol + 3. On failure (the table cannot grow) the
// relevé's cells, codes and the species rows it appended are taken out again, so the table is as
// before the call.
bool putTable(TableModel &model, const HeaderItems &items, const VegDatabase &db, CommonNames &names,
              SpeciesRows &rows, int pcol)
{
    if (pcol > model.maxReleves() && !model.addCol(pcol))
        return false;
    CellGrid &grid = model.grid();
    const int c = pcol + 3;
    const int r = model.releveIndexAt(c);
    if (r < 1)
        return false;
    const int H = model.headerRows();

    int row = 2;
    for (int k = 2; k <= 7; ++k) {
        if (items[k].layout && row < H)
            grid.setCell(c, row++, db.itemText(k));
    }
    for (int k = 8; k <= HeaderItems::Count; ++k) {
        if (items[k].layout && row < H)
            grid.setCell(c, row++, rightAlign4(db.itemText(k)));
    }
    model.coverData().set(r, 0, ByteDataSet{quint8(db.dataScaleK()), quint8(db.dataScaleD()), 0, 0, 0, 0, 0});

    const int speciesBefore = model.speciesCount();
    const auto &set = db.plantSet();
    const int last = std::min(db.plantCount(), int(set.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        const TabSp &entry = set[std::size_t(i)];
        if (isEmpty(entry.dby))
            continue;
        const QString &name = names.of(entry.nam);
        int k = rows.find(name);
        if (k == 0) {
            k = model.speciesCount() + 1;
            if (k > model.maxSpecies() && !model.addRow(k)) {
                // Take the partly written relevé out again.
                for (int q = speciesBefore + 1; q <= model.speciesCount(); ++q) {
                    rows.remove(grid.cell(2, H + q), q);
                    grid.setCell(2, H + q, QString());
                }
                grid.clearColumn(c);
                grid.setCell(c, 0, QString::number(r));
                model.coverData().clearReleve(r);
                model.setSpeciesCount(speciesBefore);
                return false;
            }
            grid.setCell(2, H + k, name);
            rows.add(name, k);
            model.setSpeciesCount(k);
        }
        grid.setCell(c, H + k, dataToCellText(entry.dby));
        const int s = model.speciesIndexAt(H + k);
        if (s >= 1)
            model.coverData().set(r, s, entry.dby);
    }
    return true;
}

} // namespace

void Extraction::reset(int recordCount)
{
    m_recordHit.assign(std::size_t(std::max(recordCount, 0)) + 1, 0);
}

bool Extraction::isSelected(int i) const
{
    return i >= 1 && i < int(m_recordHit.size()) && m_recordHit[std::size_t(i)];
}

bool Extraction::findSpeciesCover(const VegDatabase &db, const SynonymDictionary &dict, const QString &name,
                                  int level)
{
    CommonNames names(dict);
    return findCover(db, names, name, level);
}

void Extraction::scan(VegDatabase &db, const SynonymDictionary &dict, const RetrievalQuery &query,
                      bool newExtraction, const Progress &progress)
{
    if (int(m_recordHit.size()) != db.recordCount() + 1)
        reset(db.recordCount());
    if (newExtraction) {
        m_fitCount = 0;
        std::fill(m_recordHit.begin(), m_recordHit.end(), 0);
    }
    const QString mesh = trimBlanks(query.meshPrefix);
    const auto &conds = query.conditions;
    CommonNames names(dict);
    const int first = std::max(query.firstRecord, 1);
    const int last = std::min(query.lastRecord, db.recordCount());
    for (int i = first; i <= last; ++i) {
        if (progress)
            progress(i, m_fitCount);
        // A record that cannot be read or misses the mesh prefix keeps its earlier selection,
        // which an additional extraction counts again like any other.
        if (db.readReleve(i) && (mesh.isEmpty() || db.meshCode().startsWith(mesh)))
            m_recordHit[std::size_t(i)] = evaluate(db, names, conds, m_recordHit[std::size_t(i)]);
        if (m_recordHit[std::size_t(i)])
            ++m_fitCount;
    }
    if (progress)
        progress(last, m_fitCount);
}

int Extraction::insert(VegDatabase &db, const SynonymDictionary &dict, TableModel &model, const HeaderItems &items)
{
    CommonNames names(dict);
    SpeciesRows rows(model);
    int inserted = 0;
    const int last = std::min(recordCount(), db.recordCount());
    for (int i = 1; i <= last; ++i) {
        if (!m_recordHit[std::size_t(i)] || !db.readReleve(i))
            continue;
        const int pcol = model.releveCount() + 1;
        if (!putTable(model, items, db, names, rows, pcol))
            continue;
        model.setReleveCount(pcol);
        ++inserted;
    }
    return inserted;
}

} // namespace Zelkor
