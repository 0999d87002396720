#pragma once

#include "table/bytedataset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace Zelkor {

/// Builds a vegetation database pair (".zki" relevé file and ".zkd" species file) from site and
/// species lists, in exactly the layouts the program reads. Everything is checked before anything
/// is written: a value the format cannot hold is refused with a message that names the file, the
/// line and the field.
class DatabaseBuilder
{
public:
    /// The site data of one relevé.
    struct Site
    {
        QString id;                   ///< the relevé's key in the species list
        std::array<QString, 31> items; ///< header items 2..30 (index = item number)
        int k = -1;                   ///< K digit, -1 = the default scale
        int d = -1;                   ///< D digit, -1 = the default scale
    };

    /// Layer labels in the order of the cover bytes: T1 T2 S1 S2 H1 H2 M.
    static const QStringList &layerLabels();
    /// The header caption item n gets when none is given: the program's default label, shortened
    /// for the layer heights and covers ("T1高さ", "T1植被率") so that all thirty fit the header.
    static QString defaultCaption(int n);

    DatabaseBuilder();

    /// The table title written to the header (default: the output file's name without extension).
    void setTitle(const QString &title) { m_title = title; }
    /// The scales written to the header and to relevés that give none; false unless both are
    /// digits 0..9.
    bool setScales(int k, int d);
    /// Sets the layout flag and caption of header item n (1..30).
    bool setHeaderItem(int n, bool layout, const QString &caption);

    /// Reads header items from a CSV file: a header line, then "number,flag,caption" rows
    /// (flag 1 = the item is a row of the table layout). Items not listed keep their defaults.
    bool readHeaderItemsCsv(const QString &fileName);
    /// Reads the sites: a header line naming the columns (first the relevé id, then header items
    /// by number 2..30 or caption, "K", "D"), then one row per relevé.
    bool readSitesCsv(const QString &fileName);
    /// Reads the species in long form: a header line, then "relevé id,species name,layer,code"
    /// rows (layer T1 T2 S1 S2 H1 H2 M; code r + +1..+5 1..5 10..55 * ( e ?). The file is read
    /// in pieces, row after row, so that a list of millions of rows takes no more memory than
    /// the species entries it adds.
    bool readSpeciesCsv(const QString &fileName);

    /// Adds one relevé's site data; false (with errorString()) for a value the format cannot hold.
    bool addSite(const Site &site);
    /// Adds one layer code of a species of a relevé already added; the layers of one species in
    /// one relevé are gathered into one entry.
    bool addSpecies(const QString &releveId, const QString &name, const QString &layer, const QString &code);

    /// Writes zkiFileName and the ".zkd" beside it; both files appear together or neither
    /// changes. False with errorString() on any fault.
    bool write(const QString &zkiFileName);

    int siteCount() const { return int(m_sites.size()); }
    /// Number of species entries (species × relevé) added.
    int speciesEntryCount() const;
    QString errorString() const { return m_error; }
    /// Notes about data that was written but will not behave as one might expect (a relevé
    /// without species cannot be extracted).
    QStringList warnings() const { return m_warnings; }

private:
    /// One species of one relevé: its name (an index of m_names) and the two-character code
    /// field of each layer, blank where the species is absent from the layer.
    struct Entry
    {
        qint32 name;
        std::array<char, 14> codes;
    };
    struct Releve
    {
        Site site;
        std::vector<Entry> entries;
        /// The run of consecutive species rows in which the relevé got its first species.
        int run = 0;
        /// Name → entry, for a relevé whose species rows do not all stand together.
        QHash<qint32, qint32> byName;
    };
    /// A species name: the text and its CP932 bytes (at most 28).
    struct Name
    {
        QString text;
        QByteArray bytes;
    };

    /// The number of a species name (text trimmed, bytes its CP932 form), made when new.
    qint32 nameNumber(const QString &text, const QByteArray &bytes);
    /// Puts code field `field` into layer `layer` of species `name` of relevé `releve` (an index
    /// of m_sites), gathering the layers of a species into one entry. False when the layer has
    /// a code already.
    bool putCode(int releve, qint32 name, int layer, const char *field);
    bool fail(const QString &message);
    bool failAt(const QString &fileName, int line, const QString &field, const QString &message);
    bool headerText(int k, int d, QString *text);

    QString m_title;
    int m_k = 5;
    int m_d = 2;
    std::array<bool, 31> m_layout{};
    std::array<QString, 31> m_captions;
    std::vector<Releve> m_sites;
    QHash<QString, int> m_siteIndex;
    std::vector<Name> m_names;
    QHash<QString, qint32> m_nameIndex;
    // Where each name was put last (relevé and entry), and the runs of species rows: within the
    // run a relevé began in, these tell whether it has a name without a search.
    std::vector<qint32> m_lastReleveOfName;
    std::vector<qint32> m_lastEntryOfName;
    int m_lastReleve = -1;
    int m_run = 0;
    QString m_error;
    QStringList m_warnings;
};

} // namespace Zelkor
