#include "database/databasebuilder.h"

#include "database/vegdatabase.h"
#include "platform/cp932.h"
#include "platform/csv.h"
#include "platform/csvreader.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/safesavefile.h"
#include "platform/texthelpers.h"
#include "table/covercode.h"
#include "table/headeritems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <cerrno>
#include <memory>

namespace Zelkor {

namespace {

// Input files larger than this are no site or species lists.
constexpr qint64 kMaxInputBytes = qint64(512) * 1024 * 1024;
// Block numbers are six-digit fields.
constexpr qint64 kMaxBlocks = 999999;

// A row of an input file: the line on which it starts and its trimmed fields.
using CsvRow = Csv::Record;

QString shownName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// Decodes a whole input file: UTF-8 when it is valid UTF-8 (a byte-order mark is dropped),
// otherwise Shift-JIS (CP932). A line that is neither is reported by its number.
bool decodeInput(const QByteArray &raw, QString *text, int *badLine)
{
    QByteArray bytes = raw;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(bytes);
    if (!utf8.hasError()) {
        *text = decoded;
        return true;
    }
    int line = 1;
    QString all;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0)
            lf = bytes.size();
        QString part;
        if (bom || !Cp932::decode(bytes.mid(start, lf - start), &part)) {
            // With a UTF-8 mark the file means to be UTF-8: find the line that is not.
            if (bom) {
                QStringDecoder lineDecoder(QStringDecoder::Utf8);
                (void)lineDecoder(bytes.mid(start, lf - start));
                if (!lineDecoder.hasError()) {
                    ++line;
                    start = lf + 1;
                    continue;
                }
            }
            *badLine = line;
            return false;
        }
        all += part;
        if (lf < bytes.size())
            all += QLatin1Char('\n');
        ++line;
        start = lf + 1;
    }
    *text = all;
    return true;
}

// The records of CSV text with their fields trimmed; lines without content are skipped.
bool parseCsv(const QString &text, std::vector<CsvRow> *rows, int *badLine)
{
    std::vector<Csv::Record> records;
    if (!Csv::parse(text, &records, badLine))
        return false;
    for (Csv::Record &record : records) {
        for (QString &field : record.fields)
            field = trimBlanks(field);
        if (record.fields.size() > 1 || (record.fields.size() == 1 && !record.fields.front().isEmpty()))
            rows->push_back(std::move(record));
    }
    return true;
}

bool readCsvFile(const QString &fileName, std::vector<CsvRow> *rows, QString *error)
{
    const QString shown = shownName(fileName);
    QFile file;
    if (!openRegularFile(&file, fileName, error))
        return false;
    if (file.size() > kMaxInputBytes) {
        *error = QStringLiteral("ファイル「%1」は大きすぎます（%2 バイトまで）").arg(shown).arg(kMaxInputBytes);
        return false;
    }
    // The size is known to be within bounds: read exactly what is there (reading "up to" the
    // bound would set aside that much memory first).
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(shown, systemErrorText(EIO));
        return false;
    }
    QString text;
    int badLine = 0;
    if (!decodeInput(raw, &text, &badLine)) {
        *error = QStringLiteral("ファイル「%1」の %2 行目: UTF-8 としてもシフトJIS（CP932）としても読めません")
                     .arg(shown)
                     .arg(badLine);
        return false;
    }
    if (!parseCsv(text, rows, &badLine)) {
        *error = QStringLiteral("ファイル「%1」の %2 行目: 引用符（\"）が閉じていません").arg(shown).arg(badLine);
        return false;
    }
    if (rows->empty()) {
        *error = QStringLiteral("ファイル「%1」に見出し行がありません").arg(shown);
        return false;
    }
    return true;
}

// What the fields of a list mean, by their bytes: each different field is looked into once (a
// list repeats a few thousand names, seven layers and a score of codes millions of times), and
// a field met again costs a hash of its few bytes.
template<typename T>
class FieldTable
{
public:
    FieldTable() : m_slots(64) {}

    /// The value of field, null when it has none yet.
    const T *find(QByteArrayView field) const
    {
        for (std::size_t i = hashOf(field) & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot &slot = m_slots[i];
            if (!slot.used)
                return nullptr;
            if (QByteArrayView(slot.key) == field)
                return &slot.value;
        }
    }
    /// Gives field its value (the field has none yet).
    const T *insert(QByteArrayView field, T value)
    {
        if (2 * (m_count + 1) > m_slots.size()) {
            std::vector<Slot> old(m_slots.size() * 2);
            old.swap(m_slots);
            for (Slot &slot : old)
                if (slot.used)
                    place(std::move(slot));
        }
        ++m_count;
        return place(Slot{field.toByteArray(), std::move(value), true});
    }

private:
    struct Slot
    {
        QByteArray key;
        T value{};
        bool used = false;
    };
    static std::size_t hashOf(QByteArrayView bytes)
    {
        quint64 h = 14695981039346656037ull;
        for (char c : bytes)
            h = (h ^ quint8(c)) * 1099511628211ull;
        return std::size_t(h ^ (h >> 29));
    }
    const T *place(Slot slot)
    {
        std::size_t i = hashOf(slot.key) & (m_slots.size() - 1);
        while (m_slots[i].used)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = std::move(slot);
        return &m_slots[i].value;
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

// The species list, read row after row rather than whole: a list of millions of rows costs no
// more memory than its longest row. It is read as readCsvFile() reads the site list: the file
// is looked through first for its encoding (UTF-8 when all of it is UTF-8, otherwise Shift-JIS
// line by line) and for a quote left open, which are told before any row; then its records are
// read through a window of its bytes and the rows without content passed over. The separators
// are ASCII, which neither encoding has inside a character, so a field's bytes are decoded by
// themselves.
class SpeciesList
{
public:
    SpeciesList(const QString &fileName, QString *error) : m_name(fileName), m_error(error) {}

    /// Checks the file; false with *error when it cannot be read as a list.
    bool open()
    {
        const QString shown = shownName(m_name);
        if (!openRegularFile(&m_file, m_name, m_error))
            return false;
        m_size = m_file.size();
        if (m_size > kMaxInputBytes) {
            *m_error = QStringLiteral("ファイル「%1」は大きすぎます（%2 バイトまで）").arg(shown).arg(kMaxInputBytes);
            return false;
        }
        const QByteArray head = m_file.peek(6);
        const bool bom = head.startsWith("\xEF\xBB\xBF");
        int badLine = 0;
        bool utf8 = false;
        if (!checkUtf8(bom ? 3 : 0, &utf8) || (!utf8 && !checkLines(bom, &badLine)))
            return readFailed();
        if (badLine > 0) {
            *m_error = QStringLiteral("ファイル「%1」の %2 行目: UTF-8 としてもシフトJIS（CP932）としても読めません")
                           .arg(shown)
                           .arg(badLine);
            return false;
        }
        m_utf8 = utf8;
        // A byte-order mark is no text; read whole, the decoder would drop a second one at once.
        m_begin = bom ? (utf8 && head.mid(3, 3) == "\xEF\xBB\xBF" ? 6 : 3) : 0;
        // With a byte-order mark the file means to be UTF-8: when only the whole is not (a
        // character cut by a line end), no line was found wanting and the text is empty.
        m_empty = bom && !utf8;

        // A quote left open is told before any row, wherever it is.
        if (!m_empty) {
            if (!m_file.seek(m_begin))
                return readFailed();
            Csv::RecordReader records(&m_file, m_size - m_begin);
            for (;;) {
                const Csv::RecordReader::Status status = records.next();
                if (status == Csv::RecordReader::Status::End)
                    break;
                if (status == Csv::RecordReader::Status::Failed)
                    return readFailed();
                if (status == Csv::RecordReader::Status::Unclosed) {
                    *m_error = QStringLiteral("ファイル「%1」の %2 行目: 引用符（\"）が閉じていません").arg(shown).arg(records.line());
                    return false;
                }
            }
        }
        if (!m_file.seek(m_begin))
            return readFailed();
        m_records = std::make_unique<Csv::RecordReader>(&m_file, m_empty ? 0 : m_size - m_begin);
        return true;
    }

    /// Goes to the next row with content; false at the end of the file, or when it cannot be
    /// read (failed(), *error set; also when the file has no row at all).
    bool nextRow()
    {
        for (;;) {
            const Csv::RecordReader::Status status = m_records->next();
            if (status == Csv::RecordReader::Status::Failed) {
                readFailed();
                return false;
            }
            if (status != Csv::RecordReader::Status::Record) {
                if (m_row < 0) {
                    *m_error = QStringLiteral("ファイル「%1」に見出し行がありません").arg(shownName(m_name));
                    m_failed = true;
                }
                return false;
            }
            const std::vector<QByteArrayView> &f = m_records->fields();
            if (f.size() > 1 || (f.size() == 1 && !text(f.front()).isEmpty())) {
                ++m_row;
                return true;
            }
        }
    }
    bool failed() const { return m_failed; }

    /// The fields of the row, as bytes.
    const std::vector<QByteArrayView> &fields() const { return m_records->fields(); }
    /// The line on which the row starts.
    int line() const { return m_records->line(); }
    /// The row's place among the rows with content, from 0.
    qint64 rowIndex() const { return m_row; }
    /// A field's text, without blanks around it.
    QString text(QByteArrayView field) const
    {
        bool ascii = true;
        for (char c : field)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii)
            return trimBlanks(QString::fromLatin1(field.data(), field.size()));
        if (m_utf8) {
            // A byte-order mark within the text is a character of it.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
            return trimBlanks(utf8(field));
        }
        const QByteArray bytes = QByteArray::fromRawData(field.data(), field.size());
        QString decoded;
        if (!Cp932::decode(bytes, &decoded))
            decoded = Cp932::decodeLossy(bytes);
        return trimBlanks(decoded);
    }

private:
    static constexpr qint64 kPiece = qint64(1) << 20;

    bool readFailed()
    {
        *m_error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(shownName(m_name), systemErrorText(EIO));
        m_failed = true;
        return false;
    }

    // Whether the file from byte `from` is UTF-8, as one decoder going through all of it says.
    bool checkUtf8(qint64 from, bool *valid)
    {
        if (!m_file.seek(from))
            return false;
        QStringDecoder utf8(QStringDecoder::Utf8);
        QByteArray piece;
        for (;;) {
            piece.resize(kPiece);
            const qint64 got = m_file.read(piece.data(), kPiece);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            piece.resize(got);
            const QString decoded = utf8.decode(piece);
            if (utf8.hasError())
                break;
        }
        *valid = !utf8.hasError();
        return true;
    }

    // The first line that does not decode (0: none): as Shift-JIS, or with a byte-order mark as
    // UTF-8 (the line by itself).
    bool checkLines(bool bom, int *badLine)
    {
        if (!m_file.seek(bom ? 3 : 0))
            return false;
        QByteArray data;
        int line = 1;
        *badLine = 0;
        bool atEnd = false;
        while (!atEnd) {
            const qsizetype kept = data.size();
            data.resize(kept + kPiece);
            const qint64 got = m_file.read(data.data() + kept, kPiece);
            if (got < 0)
                return false;
            data.resize(kept + got);
            atEnd = got == 0;
            qsizetype start = 0;
            for (;;) {
                qsizetype lf = data.indexOf('\n', start);
                if (lf < 0) {
                    if (!atEnd)
                        break;
                    lf = data.size();
                }
                const QByteArray text = QByteArray::fromRawData(data.constData() + start, lf - start);
                bool ok = true;
                if (bom) {
                    QStringDecoder lineDecoder(QStringDecoder::Utf8);
                    const QString decoded = lineDecoder.decode(text);
                    ok = !lineDecoder.hasError();
                } else {
                    bool ascii = true;
                    for (char c : text)
                        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
                    ok = ascii || Cp932::decode(text, nullptr);
                }
                if (!ok) {
                    *badLine = line;
                    return true;
                }
                ++line;
                start = lf + 1;
                if (lf >= data.size())
                    break;
            }
            data.remove(0, std::min(start, data.size()));
        }
        return true;
    }

    QString m_name;
    QString *m_error;
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_begin = 0;
    bool m_utf8 = false;
    bool m_empty = false;
    bool m_failed = false;
    qint64 m_row = -1;
    std::unique_ptr<Csv::RecordReader> m_records;
};

bool hasControlCharacter(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

// The Shift-JIS bytes of a field value that must fit maxBytes; *why says what is wrong.
bool encodeValue(const QString &value, int maxBytes, QByteArray *bytes, QString *why)
{
    if (hasControlCharacter(value)) {
        *why = QStringLiteral("「%1」に制御文字（改行・タブなど）が含まれています").arg(value);
        return false;
    }
    QString error;
    if (!Cp932::encode(value, bytes, &error)) {
        *why = QStringLiteral("「%1」の %2").arg(value, error);
        return false;
    }
    if (bytes->size() > maxBytes) {
        *why = QStringLiteral("「%1」はシフトJISで %2 バイトあり、%3 バイトまでしか入りません")
                   .arg(value)
                   .arg(bytes->size())
                   .arg(maxBytes);
        return false;
    }
    return true;
}

int itemWidth(int n)
{
    return n <= 7 ? 8 : 4;
}

QString itemFieldName(int n, const QString &caption)
{
    return QStringLiteral("項目 %1（%2）").arg(n).arg(caption);
}

// The database's codes and the text written for each into its two-byte field.
bool codeField(const QString &code, QByteArray *field)
{
    static const QSet<QString> valid = [] {
        QSet<QString> s{QStringLiteral("r"), QStringLiteral("+"), QStringLiteral("*"),
                        QStringLiteral("("), QStringLiteral("e"), QStringLiteral("?")};
        for (int v = 1; v <= 5; ++v) {
            s.insert(QStringLiteral("+%1").arg(v));
            s.insert(QString::number(v));
            for (int soc = 0; soc <= 5; ++soc)
                s.insert(QString::number(v * 10 + soc));
        }
        return s;
    }();
    if (!valid.contains(code))
        return false;
    *field = code.toLatin1().leftJustified(2, ' ');
    return true;
}

QString codeList()
{
    return QStringLiteral("r + +1～+5 1～5 10～55 * ( e ? のいずれか");
}

// A number field of a record, right-aligned.
QByteArray numberField(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, ' ', true);
}

// The species file beside zkiFileName, its extension in the case of the given one.
QString speciesFileFor(const QString &zkiFileName)
{
    const QString suffix = zkiFileName.right(4);
    const QString ext = suffix == QLatin1String(".ZKI") ? QStringLiteral(".ZKD") : QStringLiteral(".zkd");
    return zkiFileName.left(zkiFileName.size() - 4) + ext;
}

} // namespace

const QStringList &DatabaseBuilder::layerLabels()
{
    static const QStringList labels{QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("S1"),
                                    QStringLiteral("S2"), QStringLiteral("H1"), QStringLiteral("H2"),
                                    QStringLiteral("M")};
    return labels;
}

QString DatabaseBuilder::defaultCaption(int n)
{
    // The thirty default labels with their units take more than the 252 characters of the header
    // record; the layer items are written in a short form with the layer labels.
    if (n >= 16 && n <= 22)
        return layerLabels().at(n - 16) + QStringLiteral("高さ");
    if (n >= 23 && n <= 29)
        return layerLabels().at(n - 23) + QStringLiteral("植被率");
    return HeaderItems::defaultLabel(n);
}

DatabaseBuilder::DatabaseBuilder()
{
    for (int n = 1; n <= 30; ++n) {
        m_layout[std::size_t(n)] = n == 1 || HeaderItems::defaultLayout(n);
        m_captions[std::size_t(n)] = defaultCaption(n);
    }
}

bool DatabaseBuilder::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool DatabaseBuilder::failAt(const QString &fileName, int line, const QString &field, const QString &problem)
{
    const QString message = problem; // may be m_error itself
    m_error = QStringLiteral("ファイル「%1」の %2 行目").arg(shownName(fileName)).arg(line);
    if (!field.isEmpty())
        m_error += QStringLiteral("、") + field;
    m_error += QStringLiteral(": ") + message;
    return false;
}

bool DatabaseBuilder::setScales(int k, int d)
{
    if (k < 0 || k > 9 || d < 0 || d > 9)
        return fail(QStringLiteral("K と D は 0～9 の数字 1 桁で指定して下さい"));
    m_k = k;
    m_d = d;
    return true;
}

bool DatabaseBuilder::setHeaderItem(int n, bool layout, const QString &caption)
{
    if (n < 1 || n > 30)
        return fail(QStringLiteral("見出し項目の番号 %1 は 1～30 の範囲にありません").arg(n));
    if (caption.isEmpty())
        return fail(QStringLiteral("見出し項目 %1 の名称が空です").arg(n));
    if (caption.contains(QLatin1Char('$')))
        return fail(QStringLiteral("見出し項目 %1 の名称「%2」に「$」は使えません（見出しレコードの区切りです）").arg(n).arg(caption));
    if (hasControlCharacter(caption))
        return fail(QStringLiteral("見出し項目 %1 の名称「%2」に制御文字が含まれています").arg(n).arg(caption));
    // The caption becomes a row label of tables, which are Shift-JIS files.
    QByteArray bytes;
    QString why;
    if (!Cp932::encode(caption, &bytes, &why))
        return fail(QStringLiteral("見出し項目 %1 の名称「%2」: %3").arg(n).arg(caption, why));
    m_layout[std::size_t(n)] = n == 1 || layout;
    m_captions[std::size_t(n)] = caption;
    return true;
}

bool DatabaseBuilder::readHeaderItemsCsv(const QString &fileName)
{
    std::vector<CsvRow> rows;
    if (!readCsvFile(fileName, &rows, &m_error))
        return false;
    QSet<int> seen;
    // A first row that starts with an item number is data: the header line was left out.
    bool firstIsData = false;
    const int firstNumber = rows.front().fields.at(0).toInt(&firstIsData);
    firstIsData = firstIsData && firstNumber >= 1 && firstNumber <= 30;
    for (std::size_t i = firstIsData ? 0 : 1; i < rows.size(); ++i) {
        const CsvRow &row = rows[i];
        if (row.fields.size() < 3)
            return failAt(fileName, row.line, QString(),
                          QStringLiteral("「番号,組込(1/0),名称」の 3 列が必要です"));
        for (qsizetype f = 3; f < row.fields.size(); ++f)
            if (!row.fields.at(f).isEmpty())
                return failAt(fileName, row.line, QStringLiteral("%1 列目").arg(f + 1), QStringLiteral("列が多すぎます"));
        bool ok = false;
        const int n = row.fields.at(0).toInt(&ok);
        if (!ok || n < 1 || n > 30)
            return failAt(fileName, row.line, QStringLiteral("番号"),
                          QStringLiteral("「%1」は 1～30 の見出し項目番号ではありません").arg(row.fields.at(0)));
        if (seen.contains(n))
            return failAt(fileName, row.line, QStringLiteral("番号"), QStringLiteral("見出し項目 %1 が二度指定されています").arg(n));
        seen.insert(n);
        const QString flag = row.fields.at(1);
        if (flag != QLatin1String("0") && flag != QLatin1String("1"))
            return failAt(fileName, row.line, QStringLiteral("組込"), QStringLiteral("「%1」: 1（組込む）か 0 を指定して下さい").arg(flag));
        if (!setHeaderItem(n, flag == QLatin1String("1"), row.fields.at(2)))
            return failAt(fileName, row.line, QStringLiteral("名称"), m_error);
    }
    return true;
}

bool DatabaseBuilder::addSite(const Site &site)
{
    const QString id = trimBlanks(site.id);
    if (id.isEmpty())
        return fail(QStringLiteral("識別子: 測定の識別子が空です"));
    if (m_siteIndex.contains(id))
        return fail(QStringLiteral("識別子: 測定「%1」は既にあります").arg(id));
    Releve releve;
    releve.site.id = id;
    for (int n = 2; n <= 30; ++n) {
        const QString value = trimBlanks(site.items[std::size_t(n)]);
        QByteArray bytes;
        QString why;
        if (!encodeValue(value, itemWidth(n), &bytes, &why))
            return fail(itemFieldName(n, m_captions[std::size_t(n)]) + QStringLiteral(": ") + why);
        if (n == 30 && !value.isEmpty()) {
            bool ok = false;
            const int count = value.toInt(&ok);
            if (!ok || count < 0)
                return fail(itemFieldName(n, m_captions[std::size_t(n)])
                            + QStringLiteral(": 「%1」は 0 以上の整数ではありません").arg(value));
        }
        releve.site.items[std::size_t(n)] = value;
    }
    if (site.k < -1 || site.k > 9)
        return fail(QStringLiteral("K: 0～9 の数字 1 桁で指定して下さい"));
    if (site.d < -1 || site.d > 9)
        return fail(QStringLiteral("D: 0～9 の数字 1 桁で指定して下さい"));
    releve.site.k = site.k;
    releve.site.d = site.d;
    m_siteIndex.insert(id, int(m_sites.size()));
    m_sites.push_back(std::move(releve));
    return true;
}

bool DatabaseBuilder::readSitesCsv(const QString &fileName)
{
    std::vector<CsvRow> rows;
    if (!readCsvFile(fileName, &rows, &m_error))
        return false;

    // What each column holds: an item number 2..30, 31 for K, 32 for D.
    const CsvRow &head = rows.front();
    std::vector<int> columns(std::size_t(head.fields.size()), 0);
    QSet<int> seen;
    for (qsizetype c = 1; c < head.fields.size(); ++c) {
        const QString name = head.fields.at(c);
        int what = 0;
        bool ok = false;
        const int number = name.toInt(&ok);
        if (ok && number >= 2 && number <= 30)
            what = number;
        else if (name.compare(QLatin1String("K"), Qt::CaseInsensitive) == 0)
            what = 31;
        else if (name.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0)
            what = 32;
        else {
            for (int n = 2; n <= 30 && what == 0; ++n)
                if (name == m_captions[std::size_t(n)] || name == HeaderItems::defaultLabel(n))
                    what = n;
        }
        if (what == 0)
            return failAt(fileName, head.line, QStringLiteral("%1 列目「%2」").arg(c + 1).arg(name),
                          QStringLiteral("見出し項目の番号（2～30）か名称、または K、D を指定して下さい"));
        if (seen.contains(what))
            return failAt(fileName, head.line, QStringLiteral("%1 列目「%2」").arg(c + 1).arg(name),
                          QStringLiteral("同じ項目の列が二つあります"));
        seen.insert(what);
        columns[std::size_t(c)] = what;
    }

    for (std::size_t i = 1; i < rows.size(); ++i) {
        const CsvRow &row = rows[i];
        Site site;
        site.id = row.fields.at(0);
        for (qsizetype c = 1; c < row.fields.size(); ++c) {
            const QString value = row.fields.at(c);
            if (c >= head.fields.size()) {
                if (value.isEmpty())
                    continue;
                return failAt(fileName, row.line, QStringLiteral("%1 列目").arg(c + 1),
                              QStringLiteral("見出し行より列が多くなっています"));
            }
            const int what = columns[std::size_t(c)];
            if (what <= 30) {
                site.items[std::size_t(what)] = value;
                continue;
            }
            if (value.isEmpty())
                continue;
            if (value.size() != 1 || value.at(0) < QLatin1Char('0') || value.at(0) > QLatin1Char('9'))
                return failAt(fileName, row.line, what == 31 ? QStringLiteral("K") : QStringLiteral("D"),
                              QStringLiteral("「%1」: 0～9 の数字 1 桁で指定して下さい").arg(value));
            (what == 31 ? site.k : site.d) = value.at(0).unicode() - u'0';
        }
        if (!addSite(site))
            return failAt(fileName, row.line, QString(), m_error);
    }
    return true;
}

qint32 DatabaseBuilder::nameNumber(const QString &text, const QByteArray &bytes)
{
    const auto it = m_nameIndex.constFind(text);
    if (it != m_nameIndex.constEnd())
        return it.value();
    const qint32 number = qint32(m_names.size());
    m_names.push_back(Name{text, bytes});
    m_nameIndex.insert(text, number);
    m_lastReleveOfName.push_back(-1);
    m_lastEntryOfName.push_back(-1);
    return number;
}

bool DatabaseBuilder::putCode(int releve, qint32 name, int layer, const char *field)
{
    Releve &r = m_sites[std::size_t(releve)];
    if (releve != m_lastReleve) {
        ++m_run;
        m_lastReleve = releve;
        if (r.entries.empty())
            r.run = m_run;
    }
    auto add = [&]() {
        Entry e;
        e.name = name;
        e.codes.fill(' ');
        r.entries.push_back(e);
        return qint32(r.entries.size() - 1);
    };
    qint32 entry = -1;
    if (r.run == m_run && r.byName.isEmpty()) {
        // Every species row of the relevé so far stands in this run: the name is in it exactly
        // when the relevé is where the name was put last.
        if (m_lastReleveOfName[std::size_t(name)] == releve) {
            entry = m_lastEntryOfName[std::size_t(name)];
        } else {
            entry = add();
            m_lastReleveOfName[std::size_t(name)] = releve;
            m_lastEntryOfName[std::size_t(name)] = entry;
        }
    } else {
        // The relevé's rows stand apart: its names are looked up in a table of its own.
        if (r.byName.isEmpty()) {
            for (qint32 k = 0; k < qint32(r.entries.size()); ++k)
                r.byName.insert(r.entries[std::size_t(k)].name, k);
        }
        const auto it = r.byName.constFind(name);
        if (it != r.byName.constEnd()) {
            entry = it.value();
        } else {
            entry = add();
            r.byName.insert(name, entry);
        }
    }
    char *slot = r.entries[std::size_t(entry)].codes.data() + 2 * layer;
    if (slot[0] != ' ' || slot[1] != ' ')
        return fail(QStringLiteral("階層: 種「%1」の %2 が二度指定されています")
                        .arg(m_names[std::size_t(name)].text, layerLabels().at(layer)));
    slot[0] = field[0];
    slot[1] = field[1];
    return true;
}

bool DatabaseBuilder::addSpecies(const QString &releveId, const QString &name, const QString &layer,
                                 const QString &code)
{
    const QString id = trimBlanks(releveId);
    const auto site = m_siteIndex.constFind(id);
    if (site == m_siteIndex.constEnd())
        return fail(QStringLiteral("測定「%1」: 立地データにこの識別子の行がありません").arg(id));
    const QString species = trimBlanks(name);
    if (species.isEmpty())
        return fail(QStringLiteral("種名: 種名が空です"));
    QByteArray nameBytes;
    QString why;
    if (!encodeValue(species, VegDatabase::NameSize, &nameBytes, &why))
        return fail(QStringLiteral("種名: ") + why);
    const int layerIndex = int(layerLabels().indexOf(trimBlanks(layer).toUpper()));
    if (layerIndex < 0)
        return fail(QStringLiteral("階層: 「%1」は T1 T2 S1 S2 H1 H2 M のいずれでもありません").arg(layer));
    QByteArray field;
    if (!codeField(trimBlanks(code), &field))
        return fail(QStringLiteral("優占度: 「%1」は %2 ではありません").arg(code, codeList()));
    return putCode(site.value(), nameNumber(species, nameBytes), layerIndex, field.constData());
}

bool DatabaseBuilder::readSpeciesCsv(const QString &fileName)
{
    SpeciesList list(fileName, &m_error);
    if (!list.open() || !list.nextRow())
        return false;
    // A first row whose layer and code are valid is data: the header line was left out, and
    // dropping the row would lose a species without a word.
    {
        const std::vector<QByteArrayView> &first = list.fields();
        QByteArray field;
        const bool firstIsData = first.size() >= 4 && layerLabels().contains(list.text(first[2]).toUpper())
                                 && codeField(list.text(first[3]), &field);
        if (!firstIsData && !list.nextRow())
            return !list.failed();
    }
    // What each field's bytes mean is found out once for every different field: a list repeats
    // a few thousand names, seven layers and a score of codes millions of times.
    FieldTable<qint32> names;      // the name's number, -1 for one that cannot be used
    FieldTable<int> layers;        // the layer, -1 for none
    FieldTable<QByteArray> codes;  // the code field, empty for no code
    QByteArray lastId;
    int lastSite = -1;
    for (;;) {
        if ((list.rowIndex() & 0xFFFF) == 0 && Feedback::interrupted())
            return fail(Feedback::canceledMessage());
        const std::vector<QByteArrayView> &fields = list.fields();
        if (fields.size() < 4)
            return failAt(fileName, list.line(), QString(),
                          QStringLiteral("「測定,種名,階層,優占度」の 4 列が必要です"));
        for (std::size_t f = 4; f < fields.size(); ++f)
            if (!fields[f].isEmpty() && !list.text(fields[f]).isEmpty())
                return failAt(fileName, list.line(), QStringLiteral("%1 列目").arg(f + 1), QStringLiteral("列が多すぎます"));

        // Rows of one relevé mostly stand together.
        if (lastSite < 0 || fields[0] != QByteArrayView(lastId)) {
            lastId = fields[0].toByteArray();
            lastSite = m_siteIndex.value(list.text(fields[0]), -1);
        }
        const qint32 *name = names.find(fields[1]);
        if (!name) {
            const QString species = list.text(fields[1]);
            QByteArray bytes;
            QString why;
            const bool usable = !species.isEmpty() && encodeValue(species, VegDatabase::NameSize, &bytes, &why);
            name = names.insert(fields[1], usable ? nameNumber(species, bytes) : -1);
        }
        const int *layer = layers.find(fields[2]);
        if (!layer)
            layer = layers.insert(fields[2], int(layerLabels().indexOf(list.text(fields[2]).toUpper())));
        const QByteArray *code = codes.find(fields[3]);
        if (!code) {
            QByteArray field;
            if (!codeField(list.text(fields[3]), &field))
                field.clear();
            code = codes.insert(fields[3], field);
        }
        if (lastSite < 0 || *name < 0 || *layer < 0 || code->isEmpty()) {
            // What is wrong is told as for a row added by itself.
            addSpecies(list.text(fields[0]), list.text(fields[1]), list.text(fields[2]), list.text(fields[3]));
            return failAt(fileName, list.line(), QString(), m_error);
        }
        if (!putCode(lastSite, *name, *layer, code->constData()))
            return failAt(fileName, list.line(), QString(), m_error);
        if (!list.nextRow())
            return !list.failed();
    }
}

int DatabaseBuilder::speciesEntryCount() const
{
    int n = 0;
    for (const Releve &r : m_sites)
        n += int(r.entries.size());
    return n;
}

bool DatabaseBuilder::headerText(int k, int d, QString *text)
{
    // "#", the item count, the title, item 1's caption, then flag and caption of items 2..30,
    // each field ended by "$", and the scales in the tail.
    QString t = QStringLiteral("#30$") + m_title + QLatin1Char('$') + m_captions[1] + QLatin1Char('$');
    for (int n = 2; n <= 30; ++n)
        t += QLatin1Char(m_layout[std::size_t(n)] ? '1' : '0') + m_captions[std::size_t(n)] + QLatin1Char('$');
    t += QStringLiteral("K=%1 D=%2").arg(k).arg(d);
    if (t.size() > VegDatabase::HeaderChars)
        return fail(QStringLiteral("標題と見出し項目の名称が見出しレコードに入りきりません（%1 文字、%2 文字まで）。"
                                   "標題か名称を短くして下さい")
                        .arg(t.size())
                        .arg(VegDatabase::HeaderChars));
    *text = t;
    return true;
}

bool DatabaseBuilder::write(const QString &zkiFileName)
{
    m_warnings.clear();
    if (!zkiFileName.endsWith(QLatin1String(".zki"), Qt::CaseInsensitive))
        return fail(QStringLiteral("出力ファイル「%1」: 拡張子は .zki にして下さい").arg(shownName(zkiFileName)));
    if (m_sites.empty())
        return fail(QStringLiteral("測定が 1 件もありません"));
    m_title = trimBlanks(m_title);
    if (m_title.isEmpty())
        m_title = QFileInfo(zkiFileName).completeBaseName();
    // An empty title field would shift every later field; a "$" would end it early.
    if (m_title.isEmpty() || m_title.contains(QLatin1Char('$')) || hasControlCharacter(m_title))
        return fail(QStringLiteral("標題「%1」: 空の標題、「$」、制御文字は使えません").arg(m_title));
    // The title becomes the title of tables, which are Shift-JIS files.
    {
        QByteArray bytes;
        QString why;
        if (!Cp932::encode(m_title, &bytes, &why))
            return fail(QStringLiteral("標題「%1」: %2").arg(m_title, why));
    }
    QString header;
    if (!headerText(m_k, m_d, &header))
        return false;

    // Blocks are numbered from 1 in relevé order, each relevé's blocks one after another.
    qint64 blocks = 0;
    std::vector<qint64> firstBlock(m_sites.size(), 0);
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const qint64 n = qint64(m_sites[i].entries.size());
        if (n == 0) {
            m_warnings << QStringLiteral("測定「%1」には種がありません。この測定は抽出されません").arg(m_sites[i].site.id);
            continue;
        }
        firstBlock[i] = blocks + 1;
        blocks += (n + VegDatabase::EntriesPerBlock - 1) / VegDatabase::EntriesPerBlock;
    }
    if (blocks > kMaxBlocks)
        return fail(QStringLiteral("種のブロックが %1 個を超えます（%2 個）").arg(kMaxBlocks).arg(blocks));

    const QString zkdFileName = speciesFileFor(zkiFileName);
    SafeSaveFile zki(zkiFileName);
    SafeSaveFile zkd(zkdFileName);
    if (!zkd.open())
        return fail(zkd.errorString());
    if (!zki.open())
        return fail(zki.errorString());

    // Species file: the UTF-16LE header, then the blocks.
    QByteArray record(VegDatabase::SpeciesRecordSize, ' ');
    header = header.leftJustified(VegDatabase::HeaderChars, QLatin1Char(' '));
    for (int i = 0; i < VegDatabase::HeaderChars; ++i)
        qToLittleEndian<quint16>(header.at(i).unicode(), record.data() + 2 * i);
    zkd.write(record);
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        // An interrupted build leaves no pair, nor a half of one.
        if (Feedback::interrupted())
            return fail(Feedback::canceledMessage());
        const std::vector<Entry> &entries = m_sites[i].entries;
        qint64 block = firstBlock[i];
        for (std::size_t at = 0; at < entries.size(); at += VegDatabase::EntriesPerBlock, ++block) {
            record.fill(' ');
            for (int k = 0; k < VegDatabase::EntriesPerBlock && at + std::size_t(k) < entries.size(); ++k) {
                const Entry &e = entries[at + std::size_t(k)];
                const QByteArray &name = m_names[std::size_t(e.name)].bytes;
                char *p = record.data() + VegDatabase::EntrySize * k;
                std::memcpy(p, name.constData(), std::size_t(name.size()));
                std::memcpy(p + VegDatabase::NameSize, e.codes.data(), e.codes.size());
            }
            const bool last = at + VegDatabase::EntriesPerBlock >= entries.size();
            record.replace(VegDatabase::NextBlockOffset, 6, numberField(last ? 0 : block + 1, 6));
            zkd.write(record);
        }
    }

    // Relevé file: record 0 unused, then one record per relevé.
    QByteArray rec(VegDatabase::ReleveRecordSize, ' ');
    zki.write(rec);
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const Releve &r = m_sites[i];
        rec.fill(' ');
        for (int n = 2; n <= 30; ++n) {
            QString value = r.site.items[std::size_t(n)];
            if (n == 30 && value.isEmpty())
                value = QString::number(qMin<qsizetype>(r.entries.size(), 9999));
            else if (n == 30 && value.toInt() != int(r.entries.size()))
                m_warnings << QStringLiteral("測定「%1」: 出現種数 %2 と種の数 %3 が一致しません")
                                  .arg(r.site.id, value)
                                  .arg(r.entries.size());
            QByteArray bytes;
            Cp932::encode(value, &bytes);
            const int width = itemWidth(n);
            const int offset = n <= 7 ? 8 * n : 32 + 4 * n;
            // Items 2..7 read as text, left-aligned; items 8..30 right-aligned as numbers are.
            bytes = n <= 7 ? bytes.leftJustified(width, ' ', true) : bytes.rightJustified(width, ' ', true);
            rec.replace(offset, width, bytes);
        }
        rec[156] = char('0' + (r.site.k >= 0 ? r.site.k : m_k));
        rec[157] = char('0' + (r.site.d >= 0 ? r.site.d : m_d));
        rec.replace(248, 6, numberField(firstBlock[i], 6));
        zki.write(rec);
    }

    // A write that failed (a full disk, a file-size limit) leaves both old files as they were.
    // Both are complete and on the disk before either replaces its old file; the species file
    // goes first so that a relevé file never names blocks that are not there yet.
    QString error;
    if (!SafeSaveFile::commitPair(zkd, zki, &error))
        return fail(error);
    return true;
}

} // namespace Zelkor
