#pragma once

#include "platform/recordfile.h"
#include "table/bytedataset.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace Zelkor {

class HeaderItems;

/// One species entry of a relevé's species list: the name as stored (28 bytes of Shift-JIS,
/// blank-padded, not trimmed) and its seven layer codes.
struct TabSp
{
    QString nam;     ///< the name field, decoded, with its padding blanks
    ByteDataSet dby{}; ///< cover bytes of the seven layers
};

/// What the header record of a species file says. Fields that the header does not carry (or that
/// a damaged header cut off) are absent; the caller applies what is there to the header items,
/// the table title and the cover scales.
struct DataHeader
{
    /// One header item as the database describes it.
    struct Item
    {
        bool layout = false; ///< the item is a row of the table layout
        QString caption;
    };

    bool hasMark = false;        ///< the record starts with "#"
    bool itemCountValid = false; ///< the item count reads "30": the title is replaced by title
    QString title;               ///< the table title (empty when the header gave none)
    bool hasItem1Caption = false;
    QString item1Caption;        ///< caption of header item 1
    int itemsRead = 0;           ///< items 2 .. 1 + itemsRead carry a flag and caption
    std::array<Item, 31> items;  ///< indexed by item number; 2 .. 30 used
    std::optional<int> scaleK;   ///< "K=" digit of the tail
    std::optional<int> scaleD;   ///< "D=" digit of the tail
    /// An empty table title is to be replaced by the database's file name (false when the item
    /// count is not "30" or the database could not be opened).
    bool fillEmptyTitle = false;
};

/// Takes a database header into the table's state as "データ埋込項目を使う" does: the title (an
/// empty one becomes the database's file name without folder and extension), item 1's caption,
/// the layout flags and captions of items 2..30, and the scales; what the header lacks stays.
void applyDataHeader(const DataHeader &header, const QString &dataFileName, QString *tableTitle,
                     HeaderItems *items, int *dataScaleK, int *dataScaleD);

/// Makes the texts of a database header fit a table: a character without a Shift-JIS form, or a
/// control character, in the title or a caption becomes "?" (a table file could not hold it).
/// Each text mended is told in *notes, naming the header record.
void mendDataHeader(DataHeader *header, QStringList *notes);

/// The vegetation database: the relevé file (".zki", 256-byte records, one per relevé) and the
/// species file (".zkd", a header record and chained 512-byte blocks of 12 species). The program
/// only reads it. The record buffer and the species list hold the relevé read last.
class VegDatabase
{
public:
    /// The file type of the open dialog ("label|pattern"): the relevé file names the pair.
    static QString nameFilter() { return QStringLiteral("植生データファイル (*.zki)|*.zki"); }

    static constexpr int ReleveRecordSize = 256;
    static constexpr int SpeciesRecordSize = 512;
    static constexpr int EntriesPerBlock = 12;
    static constexpr int NameSize = 28;
    static constexpr int CodeSize = 14;
    static constexpr int EntrySize = NameSize + CodeSize;
    static constexpr int NextBlockOffset = 504;
    static constexpr int HeaderChars = 252;
    /// Highest species-list index at start (160 entries).
    static constexpr int InitialPlantSetMax = 159;

    VegDatabase();

    /// path with its extension (from the last "." of the file name) replaced by ext (".zkd"),
    /// or ext appended when it has none. When no such file exists but one with the extension in
    /// capitals does, that one is named.
    static QString changeExtension(const QString &path, const QString &ext);

    /// Whether dataFileName names a database pair this program can read: both files there and
    /// readable, a relevé file holding at least its first record and a species file starting
    /// with its header record ("#"). False with a message saying what is wrong.
    static bool checkDataFile(const QString &dataFileName, QString *error);

    /// Opens the relevé and species files of dataFileName (either file of the pair may be named)
    /// for reading; reopens them when open. False with errorString() when either cannot be
    /// opened; the pair is then closed and the record count unchanged.
    bool openDataFile(const QString &dataFileName);
    /// Closes both files (the record count and the last relevé read stay).
    void closeDataFile();
    bool isOpen() const { return m_open; }
    /// The path given to the last successful open.
    QString dataFileName() const { return m_dataFileName; }
    /// Number of relevés of the database opened last (records of the relevé file but record 0).
    int recordCount() const { return m_recordCount; }
    /// Number of species blocks of the open species file (records but the header).
    qint64 blockCount() const;

    /// Reads the header record of the open species file. A damaged header yields what was read
    /// before the damage; an unreadable one only asks for the default title.
    DataHeader readDataHeader();
    /// Parses a header record (its first 504 bytes are 252 UTF-16LE characters).
    static DataHeader parseHeaderRecord(const QByteArray &record);

    /// Reads relevé recNo (1 .. recordCount()) and its species into the record buffer and the
    /// species list. False when the record cannot be used: it is missing or cut short, its K or D
    /// is not a digit, its species count is -1, it has no species block, or its block chain is
    /// damaged (a block missing or cut short, a chain that returns to a block already read, or one
    /// that reaches a block another relevé's chain has reached since the database was opened).
    bool readReleve(int recNo);

    /// Reads relevé recNo as readReleve() does and fails where it fails, but leaves the species
    /// list alone: the entries of the relevé are then only there as stored (entryData()). For
    /// scans that look at a few species of many relevés.
    bool readReleveBlocks(int recNo);
    /// Number of entries of the relevé read last: 12 per block of its chain.
    int entryCount() const { return EntriesPerBlock * m_chainBlocks; }
    /// Entry i (1 .. entryCount()) of the relevé read last as stored: the 28 name bytes, then the
    /// 14 code characters.
    const char *entryData(int i) const { return m_chain.constData() + entryOffset(i); }
    /// Whether a stored 28-byte name field is empty (all blanks).
    static bool isBlankName(const char *name);

    /// The 256 bytes of the relevé read last (empty before the first read).
    const QByteArray &releveRec() const { return m_releveRec; }
    /// The raw field of header item k (2..30) of the relevé read last: 8 bytes for items 2..7,
    /// 4 bytes for items 8..30; empty for other k.
    QByteArray itemBytes(int k) const;
    /// The text of header item k of the relevé read last, without surrounding blanks.
    QString itemText(int k) const;
    /// The geographic mesh code (header item 7) of the relevé read last.
    QString meshCode() const { return itemText(7); }
    /// The species-count field of the relevé read last (0 when it is not a number).
    int recSpeciesNum() const { return m_recSpeciesNum; }
    /// The cover scales K and D of the relevé read last (5 and 2 before any read).
    int dataScaleK() const { return m_dataScaleK; }
    int dataScaleD() const { return m_dataScaleD; }

    /// The species list of the relevé read last; index 0 is never filled.
    const std::vector<TabSp> &plantSet() const { return m_plantSet; }
    /// Highest index with a species (0 when the list is empty).
    int plantCount() const { return m_plantCount; }
    /// Highest index of the species list.
    int plantSetMax() const { return m_plantSetMax; }
    /// Empties every entry of the species list (28 blanks, no codes).
    void clearPlantSet();
    /// Back to the state of a new table: 160 empty entries, no relevé read.
    void resetPlantSet();

    /// Why the last open failed.
    QString errorString() const { return m_error; }

    /// Parses a right-aligned decimal number of a record field: leading blanks and a sign are
    /// allowed, anything else (trailing blanks too) makes it no number and gives def.
    static qint64 fieldNumber(const char *data, int size, qint64 def = 0);

private:
    void setPlantSetMax(int max);
    static qsizetype entryOffset(int i)
    {
        return qsizetype((i - 1) / EntriesPerBlock) * SpeciesRecordSize + EntrySize * ((i - 1) % EntriesPerBlock);
    }

    RecordFile m_releveFile;
    RecordFile m_speciesFile;
    bool m_open = false;
    QString m_dataFileName;
    QString m_error;
    int m_recordCount = 0;
    QByteArray m_releveRec;
    QByteArray m_chain;            // the blocks of the relevé read last, in chain order
    int m_chainBlocks = 0;
    bool m_chainDamaged = false;   // the last read failed inside its block chain
    std::vector<int> m_blockOwner; // the relevé whose chain reached each block first (0: none)
    std::vector<quint32> m_blockSeen; // the read that reached each block last
    quint32 m_readSerial = 0;
    std::vector<TabSp> m_plantSet;
    int m_plantSetMax = InitialPlantSetMax;
    int m_plantCount = 0;
    int m_recSpeciesNum = 0;
    int m_dataScaleK = 5;
    int m_dataScaleD = 2;
};

} // namespace Zelkor
