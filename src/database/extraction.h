#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace Zelkor {

class Feedback;
class HeaderItems;
class SynonymDictionary;
class TableModel;
class VegDatabase;

/// How a species condition joins the result of the conditions before it.
enum class ConditionJoin
{
    Or,  ///< "または"
    And, ///< "そして"
    Not  ///< "なし": and not
};

/// One species condition of the retrieval panel.
struct SpeciesCondition
{
    QString name;              ///< the species name as typed (empty: no condition)
    int level = 0;             ///< minimum cover: 0 "+" (any entry), 1 .. 5 the cover class; -1 never holds
    ConditionJoin join = ConditionJoin::And;
};

/// What a scan of the database looks for.
struct RetrievalQuery
{
    int firstRecord = 1;       ///< record range, inclusive
    int lastRecord = 0;
    QString meshPrefix;        ///< the mesh code must begin with it (trimmed; empty: any)
    std::array<SpeciesCondition, 5> conditions;
    /// Names and the mesh code compared without regard to case, full-width Latin letters and
    /// digits as their ASCII forms (foldForMatching()); off, they are compared exactly.
    bool ignoreCase = false;
};

/// Selects relevés of the vegetation database by record range, mesh code and up to five species
/// conditions, and inserts the selected relevés into the composition table as new columns.
class Extraction
{
public:
    /// Forgets every selection and sizes the selection to the database's records; call it
    /// whenever the record count changes.
    void reset(int recordCount);
    int recordCount() const { return int(m_recordHit.size()) - 1; }
    /// Whether record i (1 .. recordCount()) is selected.
    bool isSelected(int i) const;
    /// The number shown as "抽出数＝": selections counted by the scans since the last new one.
    int fitCount() const { return m_fitCount; }
    void setFitCount(int n) { m_fitCount = n; }

    /// Scans the query's record range of the open database. A new extraction ("新規抽出") starts
    /// from no selection; an additional one ("追加抽出") keeps the earlier selections. The
    /// database's last relevé read and its scales follow the scan. feedback (if given) is told
    /// each record examined and the number selected so far; cancelled, the scan stops and the
    /// selection and its count are those from before it. False when cancelled.
    bool scan(VegDatabase &db, const SynonymDictionary &dict, const RetrievalQuery &query,
              bool newExtraction, Feedback *feedback = nullptr);

    /// Records of the last scan's range that could not be read (cut short, a damaged block
    /// chain, no species list, marked unreadable): neither examined nor selected by it.
    int unreadableCount() const { return m_unreadable; }

    /// Inserts every selected relevé, in record order, into the first spare columns of the table;
    /// returns the number inserted. Each relevé inserted keeps its source (the database's
    /// identity and the record number, see CoverTable). With skipPresent the selected relevés
    /// that the table's relevés already hold (presentCount()) are left out. Each header value goes into the header row of its item. A
    /// relevé the table cannot take (it cannot grow) is left out whole, and the counts stay those
    /// of the relevés written. What the table file could not hold is mended and noted (notes()):
    /// a character of a name or header value that does not read as Shift-JIS, or a control
    /// character, becomes "?"; a species entry whose code a table cannot store is left out.
    /// feedback (if given) is told each relevé inserted; cancelled, the relevés and species rows
    /// inserted so far are taken out again, the table is as before and 0 is returned.
    int insert(VegDatabase &db, const SynonymDictionary &dict, TableModel &model, const HeaderItems &items,
               Feedback *feedback = nullptr, bool skipPresent = false);
    /// How many selected records of db are relevés of the table already: relevés in use whose
    /// source is the same database and record. Relevés without a source (typed in, imported, or
    /// from a table file written before sources were kept) are not recognised.
    int presentCount(const VegDatabase &db, const TableModel &model) const;
    /// The identity a database is known by in the sources of the relevés: the full path of its
    /// ".zki" file with links resolved, whichever file of the pair was named.
    static QString databaseIdentity(const QString &dataFileName);
    /// What the last insert() mended or left out, one sentence per case naming the database
    /// record; at most the first 100 (noteCount() counts them all).
    const QStringList &notes() const { return m_notes; }
    int noteCount() const { return m_noteCount; }
    /// Selected relevés that the last insert() could not put into the table (it could not grow)
    /// or could no longer read.
    int notInsertedCount() const { return m_notInserted; }
    /// Selected relevés that the last insert() left out because the table held them already.
    int skippedPresentCount() const { return m_skippedPresent; }
    /// The message that tells what the last insert() left out or mended: the number of relevés
    /// not inserted, then the first `shown` notes and how many more there are; empty when there
    /// is nothing to tell.
    QString insertReport(int shown = 20) const;

    /// Whether the relevé read last lists the species `name` (after the dictionary) with a code of
    /// at least the cover class `level` in some layer (level 0: any entry of the species).
    static bool findSpeciesCover(const VegDatabase &db, const SynonymDictionary &dict, const QString &name,
                                 int level, bool ignoreCase = false);

private:
    void note(const QString &text);
    /// Which records (1 .. recordCount()) of db the table's relevés in use come from.
    std::vector<char> presentRecords(const VegDatabase &db, const TableModel &model) const;

    std::vector<char> m_recordHit{0};
    int m_fitCount = 0;
    int m_unreadable = 0;
    QStringList m_notes;
    int m_noteCount = 0;
    int m_notInserted = 0;
    int m_skippedPresent = 0;
};

} // namespace Zelkor
