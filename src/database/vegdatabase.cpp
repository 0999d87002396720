#include "database/vegdatabase.h"

#include "platform/cp932.h"
#include "platform/texthelpers.h"
#include "table/covercode.h"
#include "table/headeritems.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <climits>
#include <cstring>

namespace Zelkor {

namespace {

// Offsets in a relevé record.
constexpr int kLatitudeOffset = 40;
constexpr int kSpeciesNumOffset = 152;
constexpr int kScaleKOffset = 156;
constexpr int kScaleDOffset = 157;
constexpr int kFirstBlockOffset = 248;
constexpr int kBlockNumberSize = 6;
constexpr qint64 kMaxBlockNumber = 999999;

const QString &blankName()
{
    static const QString blanks(VegDatabase::NameSize, QLatin1Char(' '));
    return blanks;
}

// Text of a record field: Shift-JIS as far as it decodes; a damaged byte becomes U+FFFD rather
// than losing the whole field.
QString decodeField(const QByteArray &bytes)
{
    QString text;
    if (Cp932::decode(bytes, &text))
        return text;
    return Cp932::decodeLossy(bytes);
}

bool isPathSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':');
#else
    return c == QLatin1Char('/');
#endif
}

} // namespace

void applyDataHeader(const DataHeader &header, const QString &dataFileName, QString *tableTitle,
                     HeaderItems *items, int *dataScaleK, int *dataScaleD)
{
    if (header.itemCountValid)
        *tableTitle = header.title;
    if (header.hasItem1Caption)
        (*items)[1].label = header.item1Caption;
    for (int n = 2; n <= 1 + header.itemsRead && n <= 30; ++n) {
        (*items)[n].layout = header.items[std::size_t(n)].layout;
        (*items)[n].label = header.items[std::size_t(n)].caption;
    }
    if (header.scaleK)
        *dataScaleK = *header.scaleK;
    if (header.scaleD)
        *dataScaleD = *header.scaleD;
    if (header.fillEmptyTitle && tableTitle->isEmpty())
        *tableTitle = QFileInfo(dataFileName).completeBaseName();
}

void mendDataHeader(DataHeader *header, QStringList *notes)
{
    const auto mend = [notes](QString *text, const QString &what) {
        QString fixed = Cp932::decodeLossy(Cp932::encodeLossy(*text));
        for (QChar &c : fixed)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0xFFFD)
                c = QLatin1Char('?');
        if (fixed == *text)
            return;
        if (notes)
            *notes << QStringLiteral("種ファイルの見出しレコード: %1の表せない文字を「?」に置き換えました（%2）").arg(what, fixed);
        *text = fixed;
    };
    mend(&header->title, QStringLiteral("標題"));
    mend(&header->item1Caption, QStringLiteral("見出し項目 1 の名称"));
    for (int n = 2; n <= 1 + header->itemsRead && n <= 30; ++n)
        mend(&header->items[std::size_t(n)].caption, QStringLiteral("見出し項目 %1 の名称").arg(n));
}

VegDatabase::VegDatabase()
{
    resetPlantSet();
}

QString VegDatabase::changeExtension(const QString &path, const QString &ext)
{
    qsizetype dot = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isPathSeparator(path.at(i)))
            break;
        if (path.at(i) == QLatin1Char('.')) {
            dot = i;
            break;
        }
    }
    const QString stem = dot >= 0 ? path.left(dot) : path;
    const QString name = stem + ext;
    if (!QFileInfo::exists(name)) {
        const QString upper = stem + ext.toUpper();
        if (upper != name && QFileInfo::exists(upper))
            return upper;
    }
    return name;
}

bool VegDatabase::checkDataFile(const QString &dataFileName, QString *error)
{
    const QString releveName = changeExtension(dataFileName, QStringLiteral(".zki"));
    const QString speciesName = changeExtension(dataFileName, QStringLiteral(".zkd"));
    const QString releveShown = QDir::toNativeSeparators(releveName);
    const QString speciesShown = QDir::toNativeSeparators(speciesName);
    if (!QFileInfo::exists(releveName)) {
        *error = QStringLiteral("データファイル %1 がありません。").arg(releveShown);
        return false;
    }
    if (!QFileInfo::exists(speciesName)) {
        *error = QStringLiteral("データファイル %1 と対になる種のファイル %2 がありません。").arg(releveShown, speciesShown);
        return false;
    }
    RecordFile releves;
    if (!releves.open(releveName, ReleveRecordSize)) {
        *error = QStringLiteral("データファイル %1 を開けません。\n%2").arg(releveShown, releves.errorString());
        return false;
    }
    if (releves.recordCount() < 1) {
        *error = QStringLiteral("%1 は植生データファイルではありません（%2 バイトの最初のレコードもありません）。")
                     .arg(releveShown)
                     .arg(ReleveRecordSize);
        return false;
    }
    RecordFile species;
    QByteArray header;
    if (!species.open(speciesName, SpeciesRecordSize)) {
        *error = QStringLiteral("種のファイル %1 を開けません。\n%2").arg(speciesShown, species.errorString());
        return false;
    }
    // The header record is UTF-16 text that starts with "#".
    if (!species.readRecord(0, &header) || header.at(0) != '#' || header.at(1) != '\0') {
        *error = QStringLiteral("%1 は植生データの種のファイルではありません（見出しのレコードがありません）。").arg(speciesShown);
        return false;
    }
    return true;
}

bool VegDatabase::openDataFile(const QString &dataFileName)
{
    closeDataFile();
    m_blockOwner.clear();
    m_blockSeen.clear();
    m_chainBlocks = 0;
    m_error.clear();
    const QString releveName = changeExtension(dataFileName, QStringLiteral(".zki"));
    const QString speciesName = changeExtension(dataFileName, QStringLiteral(".zkd"));
    if (!m_releveFile.open(releveName, ReleveRecordSize)) {
        m_error = m_releveFile.errorString();
        return false;
    }
    if (!m_speciesFile.open(speciesName, SpeciesRecordSize)) {
        m_error = m_speciesFile.errorString();
        m_releveFile.close();
        return false;
    }
    // Record 0 carries no relevé; an empty file has none at all.
    const qint64 records = m_releveFile.recordCount() - 1;
    m_recordCount = int(qBound(qint64(0), records, qint64(INT_MAX - 1)));
    m_dataFileName = dataFileName;
    m_open = true;
    return true;
}

void VegDatabase::closeDataFile()
{
    if (m_open) {
        m_releveFile.close();
        m_speciesFile.close();
    }
    m_open = false;
}

qint64 VegDatabase::blockCount() const
{
    return m_open ? qMax<qint64>(0, m_speciesFile.recordCount() - 1) : 0;
}

DataHeader VegDatabase::readDataHeader()
{
    if (!m_open)
        return DataHeader();
    QByteArray record;
    if (!m_speciesFile.readRecord(0, &record)) {
        DataHeader header;
        header.fillEmptyTitle = true;
        return header;
    }
    return parseHeaderRecord(record);
}

DataHeader VegDatabase::parseHeaderRecord(const QByteArray &record)
{
    DataHeader header;
    header.fillEmptyTitle = true;

    // The 252 characters of the header; anything the record lacks reads as code 0.
    std::array<char16_t, HeaderChars> chars{};
    for (int i = 0; i < HeaderChars; ++i) {
        if (2 * i + 1 < record.size())
            chars[std::size_t(i)] = qFromLittleEndian<quint16>(record.constData() + 2 * i);
    }
    if (chars[0] != u'#')
        return header;
    header.hasMark = true;

    // A field is the character at pos and every character before the next "$". A field that
    // finds no "$" before the end of the header ends the reading: it is not taken.
    int pos = 1;
    auto readField = [&](QString *field) {
        if (pos >= HeaderChars)
            return false;
        int end = pos + 1;
        while (end < HeaderChars && chars[std::size_t(end)] != u'$')
            ++end;
        if (end >= HeaderChars)
            return false;
        *field = QString(reinterpret_cast<const QChar *>(chars.data() + pos), end - pos);
        pos = end + 1;
        return true;
    };

    QString field;
    if (!readField(&field))
        return header;
    if (field != QLatin1String("30")) {
        // Another item count: the header is not for this program; it changes nothing.
        header.fillEmptyTitle = false;
        return header;
    }
    header.itemCountValid = true;
    if (!readField(&field))
        return header;
    header.title = field;
    if (!readField(&field))
        return header;
    header.hasItem1Caption = true;
    header.item1Caption = field;
    for (int n = 2; n <= 30; ++n) {
        if (!readField(&field))
            return header;
        header.items[std::size_t(n)].layout = field.at(0) == QLatin1Char('1');
        header.items[std::size_t(n)].caption = field.mid(1);
        header.itemsRead = n - 1;
    }

    // The tail after the last field: "K=" and "D=" each followed by one digit.
    const QString tail = QString(reinterpret_cast<const QChar *>(chars.data() + pos), HeaderChars - pos);
    auto scaleAfter = [&](QLatin1String key, std::optional<int> *scale) {
        const qsizetype at = tail.indexOf(key);
        if (at < 0)
            return true;
        const qsizetype digitAt = at + 2;
        const char16_t c = digitAt < tail.size() ? tail.at(digitAt).unicode() : u'\0';
        if (c < u'0' || c > u'9')
            return false;
        *scale = int(c - u'0');
        return true;
    };
    if (scaleAfter(QLatin1String("K="), &header.scaleK))
        scaleAfter(QLatin1String("D="), &header.scaleD);
    return header;
}

qint64 VegDatabase::fieldNumber(const char *data, int size, qint64 def)
{
    int i = 0;
    while (i < size && data[i] == ' ')
        ++i;
    bool negative = false;
    if (i < size && (data[i] == '+' || data[i] == '-')) {
        negative = data[i] == '-';
        ++i;
    }
    if (i >= size)
        return def;
    qint64 value = 0;
    for (; i < size; ++i) {
        if (data[i] < '0' || data[i] > '9')
            return def;
        if (value > (LLONG_MAX - 9) / 10)
            return def;
        value = value * 10 + (data[i] - '0');
    }
    return negative ? -value : value;
}

void VegDatabase::setPlantSetMax(int max)
{
    m_plantSetMax = max;
    m_plantSet.resize(std::size_t(max) + 1, TabSp{blankName(), ByteDataSet{}});
}

bool VegDatabase::isBlankName(const char *p)
{
    static const char kBlanks[NameSize + 1] = "                            ";
    return std::memcmp(p, kBlanks, NameSize) == 0;
}

void VegDatabase::clearPlantSet()
{
    for (TabSp &entry : m_plantSet) {
        entry.nam = blankName();
        entry.dby = ByteDataSet{};
    }
    m_plantCount = 0;
}

void VegDatabase::resetPlantSet()
{
    m_plantSet.clear();
    setPlantSetMax(InitialPlantSetMax);
    m_plantCount = 0;
}

bool VegDatabase::readReleveBlocks(int recNo)
{
    m_chainBlocks = 0;
    m_chainDamaged = false;
    if (!m_open || recNo < 1)
        return false;
    const char *stored = m_releveFile.record(recNo);
    if (!stored)
        return false;
    m_releveRec.resize(ReleveRecordSize);
    char *rec = m_releveRec.data();
    std::memcpy(rec, stored, ReleveRecordSize);
    if (rec[kLatitudeOffset] == 'T' || rec[kLatitudeOffset] == 'W')
        rec[kLatitudeOffset] = ' ';

    const char k = rec[kScaleKOffset];
    if (k < '0' || k > '9')
        return false;
    m_dataScaleK = k - '0';
    const char d = rec[kScaleDOffset];
    if (d < '0' || d > '9')
        return false;
    m_dataScaleD = d - '0';

    m_recSpeciesNum = int(fieldNumber(rec + kSpeciesNumOffset, 4, 0));
    if (m_recSpeciesNum == -1)
        return false;
    // The count only sizes the list ahead of reading. It is trusted as far as the species file
    // could hold that many entries; the list grows with the blocks actually read in any case.
    if (m_recSpeciesNum > m_plantSetMax && m_recSpeciesNum <= EntriesPerBlock * blockCount() + 4)
        setPlantSetMax(m_recSpeciesNum + 4);

    qint64 block = fieldNumber(rec + kFirstBlockOffset, kBlockNumberSize, 0);
    if (block == 0) {
        m_recSpeciesNum = 0;
        return false;
    }

    // Every block belongs to one relevé: the chains of a database never meet. A chain that comes
    // back to one of its own blocks, reaches a block that another relevé's chain has reached, or
    // names a block the file does not hold (or holds only in part) is damaged, and the relevé
    // cannot be read. This bounds the work of any species file, however its chains are made, to
    // reading each block once for one relevé.
    // Six-digit block numbers reach no further than block 999,999, however large the file.
    const qint64 blocks = qMin<qint64>(blockCount(), kMaxBlockNumber);
    if (m_blockOwner.size() != std::size_t(blocks) + 1)
        m_blockOwner.assign(std::size_t(blocks) + 1, 0);
    ++m_readSerial;
    if (m_blockSeen.size() != m_blockOwner.size() || m_readSerial == 0) {
        m_blockSeen.assign(m_blockOwner.size(), 0);
        m_readSerial = 1;
    }
    int b = 0;
    m_chainDamaged = true; // until the chain has been read to its end
    while (block > 0) {
        if (block > blocks || b >= INT_MAX / EntriesPerBlock - 1)
            return false;
        const std::size_t at = std::size_t(block);
        if (m_blockSeen[at] == m_readSerial || (m_blockOwner[at] != 0 && m_blockOwner[at] != recNo))
            return false;
        const char *data = m_speciesFile.record(block);
        if (!data)
            return false;
        m_blockSeen[at] = m_readSerial;
        m_blockOwner[at] = recNo;
        if (m_chain.size() < qsizetype(b + 1) * SpeciesRecordSize)
            m_chain.resize(qsizetype(b + 1) * SpeciesRecordSize);
        std::memcpy(m_chain.data() + qsizetype(b) * SpeciesRecordSize, data, SpeciesRecordSize);
        ++b;
        block = fieldNumber(data + NextBlockOffset, kBlockNumberSize, 0);
    }
    m_chainBlocks = b;
    m_chainDamaged = false;
    return true;
}

bool VegDatabase::readReleve(int recNo)
{
    if (!readReleveBlocks(recNo)) {
        if (m_chainDamaged)
            clearPlantSet();
        return false;
    }
    clearPlantSet();
    if (EntriesPerBlock * m_chainBlocks > m_plantSetMax)
        setPlantSetMax(EntriesPerBlock * m_chainBlocks);
    int highest = 0; // the last entry with a name: entries after it are all blank
    for (int i = 1; i <= EntriesPerBlock * m_chainBlocks; ++i) {
        const char *entry = entryData(i);
        TabSp &sp = m_plantSet[std::size_t(i)];
        if (isBlankName(entry)) {
            sp.nam = blankName();
        } else {
            sp.nam = decodeField(QByteArray(entry, NameSize));
            highest = i;
        }
        sp.dby = coverCodeToData(entry + NameSize, CodeSize);
    }
    m_plantCount = highest;
    return true;
}

QByteArray VegDatabase::itemBytes(int k) const
{
    if (m_releveRec.size() < ReleveRecordSize)
        return QByteArray();
    if (k >= 2 && k <= 7)
        return m_releveRec.mid(8 * k, 8);
    if (k >= 8 && k <= 30)
        return m_releveRec.mid(32 + 4 * k, 4);
    return QByteArray();
}

QString VegDatabase::itemText(int k) const
{
    return trimBlanks(decodeField(itemBytes(k)));
}

} // namespace Zelkor
