#include "database/extraction.h"

#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace Zelkor {

namespace {

QString storableText(const QString &text, bool *mended);

// What the insertion knows of each raw 28-byte name field met: the name it stands under in the
// table (its standard name, made storable, see storableText()), whether that needed mending, and
// once known the species row the name has and that row's hidden index. A database repeats a
// limited set of names in many relevés, so a field is trimmed, looked up and mended once; an
// entry then costs a hash of its name bytes.
class InsertNames
{
public:
    struct Name
    {
        QString text;
        bool mended = false;
        int row = 0;    // the species (1..) whose row holds the name; 0 not known yet
        int index = -1; // that row's hidden index
    };

    explicit InsertNames(const SynonymDictionary &dict) : m_dict(dict), m_slots(kInitialSlots) {}

    /// The name of raw field `field` (the 28 stored bytes).
    Name &of(const char *field)
    {
        std::size_t i = hashName(field) & (m_slots.size() - 1);
        while (m_slots[i].used) {
            if (std::memcmp(m_slots[i].field.data(), field, VegDatabase::NameSize) == 0)
                return m_slots[i].name;
            i = (i + 1) & (m_slots.size() - 1);
        }
        if (2 * (m_count + 1) > m_slots.size()) {
            grow();
            i = hashName(field) & (m_slots.size() - 1);
            while (m_slots[i].used)
                i = (i + 1) & (m_slots.size() - 1);
        }
        Slot &slot = m_slots[i];
        slot.used = true;
        std::memcpy(slot.field.data(), field, VegDatabase::NameSize);
        // As the species list of the database has it: Shift-JIS as far as it decodes, a damaged
        // byte U+FFFD.
        const QByteArray bytes = QByteArray::fromRawData(field, VegDatabase::NameSize);
        QString decoded;
        if (!Cp932::decode(bytes, &decoded))
            decoded = Cp932::decodeLossy(bytes);
        slot.name.text = storableText(m_dict.synToCommonName(trimBlanks(decoded)), &slot.name.mended);
        ++m_count;
        return slot.name;
    }

    /// Forgets the rows found (species rows were taken out again).
    void forgetRows()
    {
        for (Slot &slot : m_slots) {
            slot.name.row = 0;
            slot.name.index = -1;
        }
    }

private:
    static constexpr std::size_t kInitialSlots = 1024;

    struct Slot
    {
        std::array<char, VegDatabase::NameSize> field;
        bool used = false;
        Name name;
    };

    static std::size_t hashName(const char *p)
    {
        quint64 a, b, c;
        quint32 d;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        std::memcpy(&c, p + 16, 8);
        std::memcpy(&d, p + 24, 4);
        quint64 h = a * 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 29) ^ b) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 31) ^ c) * 0x94D049BB133111EBull;
        h = (h ^ (h >> 30) ^ d) * 0x9E3779B97F4A7C15ull;
        return std::size_t(h ^ (h >> 32));
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (Slot &slot : old) {
            if (!slot.used)
                continue;
            std::size_t i = hashName(slot.field.data()) & (m_slots.size() - 1);
            while (m_slots[i].used)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = std::move(slot);
        }
    }

    const SynonymDictionary &m_dict;
    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

// The cell texts of the cover codes met: a database has few different code sets, and every cell
// of one set shares its text.
class CellTexts
{
public:
    const QString &of(const ByteDataSet &codes)
    {
        quint64 key = 0;
        std::memcpy(&key, codes.data(), codes.size());
        auto it = m_texts.constFind(key);
        if (it == m_texts.constEnd())
            it = m_texts.insert(key, dataToCellText(codes));
        return it.value();
    }

private:
    QHash<quint64, QString> m_texts;
};

// The species conditions of a scan, in the form the scan tests them: the conditions that take
// part (the first, when named, and the following ones up to the first empty name) and, for each
// raw 28-byte name field met in the database, which of them its standard name fulfils. Names are
// decoded and looked up once per distinct field; an entry costs a hash of its name bytes.
class ScanConditions
{
public:
    ScanConditions(const SynonymDictionary &dict, const std::array<SpeciesCondition, 5> &conds, bool ignoreCase)
        : m_dict(dict), m_conds(conds), m_ignoreCase(ignoreCase)
    {
        m_active = 0;
        for (std::size_t k = 0; k < conds.size(); ++k) {
            if (conds[k].name.isEmpty()) {
                if (k == 0)
                    continue; // an empty first name is no condition; the others still count
                break;        // a gap ends the conditions
            }
            m_active |= quint8(1u << k);
            // Folded once here; a database name is folded once per distinct name (maskOf()).
            m_names[k] = ignoreCase ? foldForMatching(conds[k].name) : conds[k].name;
        }
        m_slots.resize(kInitialSlots);
    }

    /// The conditions that hold for the entries of the relevé read last.
    quint8 found(const VegDatabase &db)
    {
        if (!m_active)
            return 0;
        quint8 found = 0;
        const int n = db.entryCount();
        for (int i = 1; i <= n; ++i) {
            const char *entry = db.entryData(i);
            if (VegDatabase::isBlankName(entry))
                continue; // an empty name is nobody's standard name
            const quint8 open = quint8(matches(entry) & ~found);
            if (!open)
                continue;
            bool parsed = false;
            ByteDataSet codes{};
            for (std::size_t k = 0; k < m_conds.size(); ++k) {
                if (!(open & (1u << k)))
                    continue;
                const int level = m_conds[k].level;
                if (level < 0)
                    continue;
                if (level == 0) {
                    found |= quint8(1u << k);
                    continue;
                }
                if (!parsed) {
                    codes = coverCodeToData(entry + VegDatabase::NameSize, VegDatabase::CodeSize);
                    parsed = true;
                }
                for (quint8 code : codes) {
                    if (code >= level * 10) {
                        found |= quint8(1u << k);
                        break;
                    }
                }
            }
        }
        return found;
    }

    /// The selection of a relevé after the conditions, starting from its earlier selection h: the
    /// first condition sets the result (or, not holding, keeps it), the others join it left to
    /// right up to the first empty name.
    bool evaluate(quint8 found, bool h) const
    {
        const bool first = !(m_active & 1u) || (found & 1u);
        if (first)
            h = m_conds[0].join != ConditionJoin::Not;
        else if (m_conds[0].join == ConditionJoin::Not)
            h = true;
        for (std::size_t k = 1; k < m_conds.size(); ++k) {
            if (!(m_active & (1u << k)))
                break;
            const bool f = found & (1u << k);
            switch (m_conds[k].join) {
            case ConditionJoin::Or: h = h || f; break;
            case ConditionJoin::And: h = h && f; break;
            case ConditionJoin::Not: h = h && !f; break;
            }
        }
        return h;
    }

private:
    static constexpr std::size_t kInitialSlots = 1024;
    // Past this many distinct names (a database that is no real one) names are no longer kept.
    static constexpr std::size_t kMaxNames = std::size_t(1) << 20;

    struct Slot
    {
        std::array<char, VegDatabase::NameSize> name;
        quint8 mask = 0;
        bool used = false;
    };

    static std::size_t hashName(const char *p)
    {
        quint64 a, b, c;
        quint32 d;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        std::memcpy(&c, p + 16, 8);
        std::memcpy(&d, p + 24, 4);
        quint64 h = a * 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 29) ^ b) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 31) ^ c) * 0x94D049BB133111EBull;
        h = (h ^ (h >> 30) ^ d) * 0x9E3779B97F4A7C15ull;
        return std::size_t(h ^ (h >> 32));
    }

    quint8 maskOf(const char *name) const
    {
        QString text;
        if (!Cp932::decode(QByteArray::fromRawData(name, VegDatabase::NameSize), &text))
            text = Cp932::decodeLossy(QByteArray(name, VegDatabase::NameSize));
        const QString standard = m_dict.synToCommonName(trimBlanks(text));
        const QString common = m_ignoreCase ? foldForMatching(standard) : standard;
        quint8 mask = 0;
        for (std::size_t k = 0; k < m_conds.size(); ++k)
            if ((m_active & (1u << k)) && common == m_names[k])
                mask |= quint8(1u << k);
        return mask;
    }

    quint8 matches(const char *name)
    {
        std::size_t i = hashName(name) & (m_slots.size() - 1);
        while (m_slots[i].used) {
            if (std::memcmp(m_slots[i].name.data(), name, VegDatabase::NameSize) == 0)
                return m_slots[i].mask;
            i = (i + 1) & (m_slots.size() - 1);
        }
        const quint8 mask = maskOf(name);
        if (m_count >= kMaxNames)
            return mask;
        if (2 * (m_count + 1) > m_slots.size()) {
            grow();
            i = hashName(name) & (m_slots.size() - 1);
            while (m_slots[i].used)
                i = (i + 1) & (m_slots.size() - 1);
        }
        std::memcpy(m_slots[i].name.data(), name, VegDatabase::NameSize);
        m_slots[i].mask = mask;
        m_slots[i].used = true;
        ++m_count;
        return mask;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot &slot : old) {
            if (!slot.used)
                continue;
            std::size_t i = hashName(slot.name.data()) & (m_slots.size() - 1);
            while (m_slots[i].used)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    const SynonymDictionary &m_dict;
    const std::array<SpeciesCondition, 5> &m_conds;
    const bool m_ignoreCase;
    std::array<QString, 5> m_names; // the names compared: as typed, or folded
    quint8 m_active = 0;
    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

// The species rows of the table by name, first row of a name winning, kept current while
// relevés are inserted so that inserting many relevés stays linear in the species count.
class SpeciesRows
{
public:
    explicit SpeciesRows(const TableModel &model)
    {
        // Going upwards, the first row of a name is inserted last and wins.
        for (int k = model.speciesCount(); k >= 1; --k)
            m_rows.insert(model.grid().cell(TableModel::NameColumn, model.speciesRow(k)), k);
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

// A text from the database as the table can keep it: a character that did not read as Shift-JIS
// (U+FFFD) or a control character (a line end would break the table file) becomes "?".
// *mended tells whether anything was replaced.
QString storableText(const QString &text, bool *mended)
{
    *mended = false;
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u == 0xFFFD || u < 0x20 || u == 0x7F) {
            c = QLatin1Char('?');
            *mended = true;
        }
    }
    return out;
}

// The header rows of the table that take a header item of the database (2..30), with the item.
struct HeaderRow
{
    int row;
    int item;
};

std::vector<HeaderRow> headerRowsOf(const TableModel &model)
{
    std::vector<HeaderRow> rows;
    for (int row = TableModel::LabelRow; row < model.headerRows(); ++row) {
        bool isNumber = false;
        const int k = model.grid().cell(TableModel::IndexColumn, row).left(4).toInt(&isNumber);
        if (isNumber && k >= 2 && k <= HeaderItems::Count)
            rows.push_back({row, k});
    }
    return rows;
}

// What putTable() works with, kept from one relevé to the next.
struct InsertState
{
    InsertNames names;
    SpeciesRows rows;
    CellTexts texts;
    std::vector<HeaderRow> headerRows;
};

// Writes the relevé read last (database record recNo) as relevé pcol of the table. On failure (the
// table cannot grow) the relevé's cells, codes and the species rows it appended are taken out
// again, so the table is as before the call. What the table cannot hold is mended or left out
// and told to note.
bool putTable(TableModel &model, const VegDatabase &db, InsertState &state, int pcol, int recNo,
              const QString &source, const std::function<void(const QString &)> &note)
{
    if (pcol > model.maxReleves() && !model.addCol(pcol))
        return false;
    CellGrid &grid = model.grid();
    const int c = TableModel::releveColumn(pcol);
    const int r = model.releveIndexAt(c);
    if (r < 1)
        return false;

    // Each value goes into the header row of its item, whatever order the rows are in.
    for (const HeaderRow &h : state.headerRows) {
        const int k = h.item;
        bool mended = false;
        const QString value = storableText(db.itemText(k), &mended);
        if (mended)
            note(QStringLiteral("レコード %1: 見出し項目 %2 の値の読めない文字を「?」に置き換えました（%3）")
                     .arg(recNo)
                     .arg(k)
                     .arg(value));
        grid.setCell(c, h.row, k <= 7 ? value : rightAlign4(value));
    }
    model.coverData().set(r, 0, ByteDataSet{quint8(db.dataScaleK()), quint8(db.dataScaleD()), 0, 0, 0, 0, 0});
    model.coverData().setSource(r, ReleveSource{source, recNo});

    // The species list as read (the entries up to the last one with a name), taken from the
    // stored entries: a name is decoded once for the whole insertion, not once per relevé.
    const int speciesBefore = model.speciesCount();
    int last = 0;
    for (int i = db.entryCount(); i >= 1 && last == 0; --i)
        if (!VegDatabase::isBlankName(db.entryData(i)))
            last = i;
    for (int i = 1; i <= last; ++i) {
        const char *stored = db.entryData(i);
        const ByteDataSet codes = coverCodeToData(stored + VegDatabase::NameSize, VegDatabase::CodeSize);
        if (isEmpty(codes))
            continue;
        InsertNames::Name &name = state.names.of(stored);
        if (name.mended)
            note(QStringLiteral("レコード %1: %2 番目の種名の読めない文字を「?」に置き換えました（%3）")
                     .arg(recNo)
                     .arg(i)
                     .arg(name.text));
        const auto unstorable = std::find_if(codes.begin(), codes.end(),
                                             [](quint8 v) { return !TableFile::isStorableCode(v); });
        if (unstorable != codes.end()) {
            note(QStringLiteral("レコード %1: 種「%2」の第 %3 層の被度の値 %4 は組成表に保存できないため、この種を除きました")
                     .arg(recNo)
                     .arg(name.text)
                     .arg(int(unstorable - codes.begin()) + 1)
                     .arg(int(*unstorable)));
            continue;
        }
        if (name.row == 0) {
            int k = state.rows.find(name.text);
            if (k == 0) {
                k = model.speciesCount() + 1;
                if (k > model.maxSpecies() && !model.addRow(k)) {
                    // Take the partly written relevé out again.
                    for (int q = speciesBefore + 1; q <= model.speciesCount(); ++q) {
                        state.rows.remove(grid.cell(TableModel::NameColumn, model.speciesRow(q)), q);
                        grid.setCell(TableModel::NameColumn, model.speciesRow(q), QString());
                    }
                    state.names.forgetRows();
                    grid.clearColumn(c);
                    grid.setCell(c, TableModel::IndexRow, QString::number(r));
                    model.coverData().clearReleve(r);
                    model.setSpeciesCount(speciesBefore);
                    return false;
                }
                grid.setCell(TableModel::NameColumn, model.speciesRow(k), name.text);
                state.rows.add(name.text, k);
                model.setSpeciesCount(k);
            }
            name.row = k;
            name.index = model.speciesIndexAt(model.speciesRow(k));
        }
        grid.setCell(c, model.speciesRow(name.row), state.texts.of(codes));
        if (name.index >= 1)
            model.coverData().set(r, name.index, codes);
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
                                  int level, bool ignoreCase)
{
    std::array<SpeciesCondition, 5> conds;
    conds[0] = SpeciesCondition{name, level, ConditionJoin::And};
    ScanConditions conditions(dict, conds, ignoreCase);
    return conditions.found(db) & 1u;
}

bool Extraction::scan(VegDatabase &db, const SynonymDictionary &dict, const RetrievalQuery &query,
                      bool newExtraction, Feedback *feedback)
{
    if (int(m_recordHit.size()) != db.recordCount() + 1)
        reset(db.recordCount());
    // A cancelled scan leaves the selection as it was.
    const std::vector<char> hitsBefore = feedback ? m_recordHit : std::vector<char>();
    const int fitBefore = m_fitCount;
    const int unreadableBefore = m_unreadable;
    if (newExtraction) {
        m_fitCount = 0;
        std::fill(m_recordHit.begin(), m_recordHit.end(), 0);
    }
    m_unreadable = 0;
    const QString mesh = query.ignoreCase ? foldForMatching(trimBlanks(query.meshPrefix)) : trimBlanks(query.meshPrefix);
    // The record read last; its mesh code is only fetched when there is a prefix to compare.
    const auto meshMatches = [&] {
        if (mesh.isEmpty())
            return true;
        return query.ignoreCase ? foldForMatching(db.meshCode()).startsWith(mesh) : db.meshCode().startsWith(mesh);
    };
    ScanConditions conditions(dict, query.conditions, query.ignoreCase);
    const int first = std::max(query.firstRecord, 1);
    const int last = std::min(query.lastRecord, db.recordCount());
    for (int i = first; i <= last; ++i) {
        if (!Feedback::advance(feedback, i, m_fitCount)) {
            m_recordHit = hitsBefore;
            m_fitCount = fitBefore;
            m_unreadable = unreadableBefore;
            return false;
        }
        // A record that cannot be read or misses the mesh prefix keeps its earlier selection,
        // which an additional extraction counts again like any other.
        if (!db.readReleveBlocks(i))
            ++m_unreadable;
        else if (meshMatches())
            m_recordHit[std::size_t(i)] = conditions.evaluate(conditions.found(db), m_recordHit[std::size_t(i)]);
        if (m_recordHit[std::size_t(i)])
            ++m_fitCount;
    }
    Feedback::advance(feedback, last, m_fitCount);
    return true;
}

void Extraction::note(const QString &text)
{
    if (m_notes.size() < 100)
        m_notes << text;
    ++m_noteCount;
}

QString Extraction::insertReport(int shown) const
{
    if (m_noteCount == 0)
        return QString();
    QStringList lines;
    if (m_notInserted > 0)
        lines << QStringLiteral("選ばれた測定のうち %1 件は組み込めませんでした。").arg(m_notInserted);
    lines << m_notes.mid(0, shown);
    const int more = m_noteCount - int(std::min<qsizetype>(m_notes.size(), shown));
    if (more > 0)
        lines << QStringLiteral("ほか %1 件").arg(more);
    return lines.join(QLatin1Char('\n'));
}

QString Extraction::databaseIdentity(const QString &dataFileName)
{
    if (dataFileName.isEmpty())
        return QString();
    const QFileInfo info(dataFileName);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(info.absoluteFilePath());
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        path.truncate(dot);
    return path + QStringLiteral(".zki");
}

std::vector<char> Extraction::presentRecords(const VegDatabase &db, const TableModel &model) const
{
    std::vector<char> present(m_recordHit.size(), 0);
    const CoverTable &cover = model.coverData();
    if (!cover.hasSources())
        return present;
    const QString identity = databaseIdentity(db.dataFileName());
    for (int j = 1; j <= model.releveCount(); ++j) {
        const ReleveSource source = cover.source(model.releveIndexAt(TableModel::releveColumn(j)));
        if (source.record >= 1 && source.record < int(present.size()) && source.database == identity)
            present[std::size_t(source.record)] = 1;
    }
    return present;
}

int Extraction::presentCount(const VegDatabase &db, const TableModel &model) const
{
    const std::vector<char> present = presentRecords(db, model);
    const int last = std::min(recordCount(), db.recordCount());
    int n = 0;
    for (int i = 1; i <= last; ++i)
        n += m_recordHit[std::size_t(i)] && present[std::size_t(i)] ? 1 : 0;
    return n;
}

int Extraction::insert(VegDatabase &db, const SynonymDictionary &dict, TableModel &model, const HeaderItems &items,
                       Feedback *feedback, bool skipPresent)
{
    // The header rows say which item each holds; the layout flags are not needed.
    Q_UNUSED(items);
    m_notes.clear();
    m_noteCount = 0;
    m_notInserted = 0;
    m_skippedPresent = 0;
    InsertState state{InsertNames(dict), SpeciesRows(model), CellTexts(), headerRowsOf(model)};
    const auto noteIt = [this](const QString &text) { note(text); };
    int inserted = 0;
    // Only a cancellable insertion needs to know the table from before.
    const TableModel::AppendMark before = feedback ? model.markAppend() : TableModel::AppendMark();
    const int last = std::min(recordCount(), db.recordCount());
    const QString source = databaseIdentity(db.dataFileName());
    const std::vector<char> skipped = skipPresent ? presentRecords(db, model) : std::vector<char>(m_recordHit.size(), 0);
    for (int i = 1; i <= last; ++i) {
        if (!m_recordHit[std::size_t(i)])
            continue;
        if (skipped[std::size_t(i)]) {
            ++m_skippedPresent;
            continue;
        }
        if (!Feedback::advance(feedback, inserted + 1)) {
            model.takeOutAppended(before);
            m_notes.clear();
            m_noteCount = 0;
            m_notInserted = 0;
            m_skippedPresent = 0;
            return 0;
        }
        if (!db.readReleveBlocks(i)) {
            ++m_notInserted;
            note(QStringLiteral("レコード %1: 読めないため組み込めませんでした").arg(i));
            continue;
        }
        const int pcol = model.releveCount() + 1;
        if (!putTable(model, db, state, pcol, i, source, noteIt)) {
            ++m_notInserted;
            note(QStringLiteral("レコード %1: 組成表をこれ以上広げられないため組み込めませんでした").arg(i));
            continue;
        }
        model.setReleveCount(pcol);
        ++inserted;
    }
    return inserted;
}

} // namespace Zelkor
