#include "table/tablefile.h"

#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/safesavefile.h"
#include "table/bytescan.h"
#include "table/commatext.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace Zelkor {

namespace {

constexpr int kGroupWidth = 7;          // characters per cover group, one per layer
constexpr int kCodeBase = 48;           // a code is stored as the character 48 + code
constexpr int kMaxHeaderRows = HeaderItems::Count + 1;
constexpr qsizetype kMaxTitleBytes = 1 << 20;

QString displayName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// ---------------------------------------------------------------------------------------------
// Writing

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Appends one cell as comma text. ASCII cells (cover texts, numbers, most names) are copied
// without a round trip through the converter. False with *error when the cell cannot be stored.
bool appendCell(QByteArray *out, const QString &text, QString *error)
{
    const auto *u = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    bool ascii = true;
    bool quote = false;
    qsizetype quotes = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = u[i];
        if (c >= 0x80) {
            ascii = false;
        } else if (c <= 0x20 || c == u'"' || c == u',') {
            quote = true;
            quotes += c == u'"' ? 1 : 0;
            if (c == u'\n' || c == u'\r') {
                // A line break inside a cell would split the row into two lines of the file.
                *error = QStringLiteral("改行を含むため保存できません");
                return false;
            }
        }
    }
    if (!ascii) {
        QByteArray bytes;
        if (!Cp932::encode(text, &bytes, error))
            return false;
        CommaText::appendQuoted(out, bytes);
        return true;
    }
    const qsizetype at = out->size();
    out->resize(at + n + quotes + (quote ? 2 : 0));
    char *p = out->data() + at;
    if (quote)
        *p++ = '"';
    for (qsizetype i = 0; i < n; ++i) {
        *p++ = char(u[i]);
        if (u[i] == u'"')
            *p++ = '"';
    }
    if (quote)
        *p = '"';
    return true;
}

// Where a cell sits, as the user knows it: species rows by their number and name, header rows
// by their label, relevé columns by their number.
QString cellPlace(const TableModel &model, int col, int row)
{
    const int h = model.headerRows();
    const CellGrid &grid = model.grid();
    const QString label = grid.cell(TableModel::NameColumn, row);
    QString rowText;
    if (row >= model.speciesRow(1) && row <= model.speciesRow(model.speciesCount())) {
        if (col == TableModel::NameColumn || hasLineBreak(label))
            rowText = QStringLiteral("%1 番目の種").arg(row - h);
        else
            rowText = QStringLiteral("%1 番目の種「%2」").arg(QString::number(row - h), label);
    } else if (row >= TableModel::NumberRow && row < h && col != TableModel::NameColumn && !hasLineBreak(label)) {
        rowText = QStringLiteral("見出し「%1」").arg(label);
    } else {
        rowText = QStringLiteral("表の %1 行目").arg(row);
    }
    if (col >= TableModel::FirstReleveColumn)
        return QStringLiteral("%1の %2 番目の測定").arg(rowText, QString::number(TableModel::releveOfColumn(col)));
    if (col == TableModel::NameColumn)
        return QStringLiteral("%1の名前").arg(rowText);
    return QStringLiteral("%1の %2 列目").arg(rowText, QString::number(col));
}

// Appends grid row `row` as comma text: the cells of columns 0 .. R+3, empty ones as nothing.
// firstField, when given, stands in for cell 0. Spare columns beyond the relevés are left out:
// a loaded table has exactly R+4 columns and the reader drops any further field, so writing
// them (they hold at most the running numbers of row 1) would only make a saved, loaded and
// saved again table differ from the first file.
bool appendRow(QByteArray *out, const TableModel &model, int row, const QString *firstField, QString *error)
{
    const CellGrid &grid = model.grid();
    const int colCount = TableModel::releveColumn(model.releveCount()) + 1;
    int at = 0; // the column whose cell comes next
    bool ok = true;
    QString cellError;
    auto put = [&](int col, const QString &text) {
        if (!ok || col >= colCount)
            return;
        out->append(col - at, ',');
        at = col;
        if (!appendCell(out, text, &cellError)) {
            *error = QStringLiteral("%1のセル: %2").arg(cellPlace(model, col, row), cellError);
            ok = false;
        }
    };
    if (firstField)
        put(TableModel::IndexColumn, *firstField);
    grid.forEachInRow(row, [&](int col, const QString &text) {
        if (!(firstField && col == TableModel::IndexColumn))
            put(col, text);
    });
    if (ok && colCount > 0)
        out->append(colCount - 1 - at, ',');
    out->append("\r\n");
    return ok;
}

// The bytes of a table file on their way to the disk: collected in a buffer of about one window
// and handed to the safe file a window at a time, every write checked. Tells the feedback the
// share written and stops when it is cancelled.
class Output
{
public:
    Output(SafeSaveFile *file, qsizetype window, qint64 expected, Feedback *feedback, QString *error)
        : m_file(file), m_window(window), m_expected(std::max<qint64>(expected, 1)), m_feedback(feedback), m_error(error)
    {
        m_buffer.reserve(window + 2);
    }

    /// The buffer that comma text is appended to.
    QByteArray *text() { return &m_buffer; }
    /// n more bytes at the end of the buffer, for the caller to fill.
    char *append(qsizetype n)
    {
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + n);
        return m_buffer.data() + at;
    }
    /// After a line: writes the buffer once it holds a window. False when writing failed or the
    /// work was cancelled (*error then says why).
    bool lineDone() { return m_buffer.size() < m_window || flush(); }
    /// Writes what the buffer holds.
    bool flush()
    {
        if (!m_buffer.isEmpty()) {
            if (!m_file->write(m_buffer)) {
                *m_error = m_file->errorString();
                return false;
            }
            m_written += m_buffer.size();
            m_buffer.resize(0); // keeps the capacity
        }
        if (Feedback::interrupted() || !Feedback::advance(m_feedback, int(std::min<qint64>(m_written * 100 / m_expected, 100)))) {
            *m_error = Feedback::canceledMessage();
            return false;
        }
        return true;
    }

private:
    SafeSaveFile *m_file;
    qsizetype m_window;
    qint64 m_expected;
    qint64 m_written = 0;
    Feedback *m_feedback;
    QString *m_error;
    QByteArray m_buffer;
};

// Writes the S + 1 cover lines. Relevé j (grid column j + 3) gives group j; species row H + i
// gives line i, line 0 holding the species-index-0 elements (the relevés' scale bytes).
bool writeCoverLines(const TableModel &model, Output *out, QString *error)
{
    const int s = model.speciesCount();
    const int r = model.releveCount();
    const CoverTable &cover = model.coverData();
    const int maxR = cover.maxReleves();
    const int maxS = cover.maxSpecies();

    // Chains from each hidden index to the display positions that carry it (normally exactly
    // one; the chains keep the result right even if an index should appear twice).
    std::vector<int> firstCol(std::size_t(maxR) + 1, -1), nextCol(std::size_t(r) + 1, -1);
    for (int j = r; j >= 0; --j) {
        const int idx = model.releveIndexAt(TableModel::releveColumn(j));
        if (idx >= 0 && idx <= maxR) {
            nextCol[std::size_t(j)] = firstCol[std::size_t(idx)];
            firstCol[std::size_t(idx)] = j;
        }
    }
    std::vector<int> firstLine(std::size_t(maxS) + 1, -1), nextLine(std::size_t(s) + 1, -1);
    for (int i = s; i >= 0; --i) {
        const int idx = i == 0 ? 0 : model.speciesIndexAt(model.speciesRow(i));
        if (idx >= 0 && idx <= maxS) {
            nextLine[std::size_t(i)] = firstLine[std::size_t(idx)];
            firstLine[std::size_t(idx)] = i;
        }
    }
    // Calls f(line, group, codes) for every stored cell that the file shows.
    auto forEachCell = [&](auto f) {
        for (int idx = 0; idx <= maxR; ++idx) {
            if (firstCol[std::size_t(idx)] < 0)
                continue;
            cover.forEachInReleve(idx, [&](int sp, const ByteDataSet &codes) {
                if (sp < 0 || sp > maxS)
                    return;
                for (int i = firstLine[std::size_t(sp)]; i >= 0; i = nextLine[std::size_t(i)])
                    for (int j = firstCol[std::size_t(idx)]; j >= 0; j = nextCol[std::size_t(j)])
                        f(i, j, codes);
            });
        }
    };

    // The codes are kept by relevé and the file runs by species: the cells of each line are
    // counted, then gathered line by line (a counting sort), each as the bytes it is written as.
    // A value that has no byte is found on the way; the first in the file is reported.
    std::vector<qint64> lineStart(std::size_t(s) + 2, 0);
    int badLine = -1, badGroup = -1, badLayer = 0, badValue = 0;
    forEachCell([&](int i, int j, const ByteDataSet &codes) {
        ++lineStart[std::size_t(i) + 1];
        for (int k = 0; k < kGroupWidth; ++k) {
            const int v = codes[std::size_t(k)];
            if (!TableFile::isStorableCode(v) && (badLine < 0 || i < badLine || (i == badLine && j < badGroup))) {
                badLine = i;
                badGroup = j;
                badLayer = k;
                badValue = v;
                break;
            }
        }
    });
    if (badLine >= 0) {
        const QString tail = QStringLiteral("は組成表ファイルに保存できません（保存できる値は 0～207 です）");
        if (badLine == 0)
            *error = QStringLiteral("%1 番目の測定の尺度の値 %2（%3 バイト目）%4")
                         .arg(QString::number(badGroup), QString::number(badValue), QString::number(badLayer + 1), tail);
        else
            *error = QStringLiteral("%1、第 %2 層の被度の値 %3 %4")
                         .arg(cellPlace(model, TableModel::releveColumn(badGroup), model.speciesRow(badLine)),
                              QString::number(badLayer + 1), QString::number(badValue), tail);
        return false;
    }
    for (int i = 0; i <= s; ++i)
        lineStart[std::size_t(i) + 1] += lineStart[std::size_t(i)];
    struct Placed
    {
        qint32 group;
        std::array<char, kGroupWidth> bytes;
    };
    std::vector<Placed> placed(static_cast<std::size_t>(lineStart[std::size_t(s) + 1]));
    {
        std::vector<qint64> next(lineStart.begin(), lineStart.end() - 1);
        forEachCell([&](int i, int j, const ByteDataSet &codes) {
            Placed &p = placed[std::size_t(next[std::size_t(i)]++)];
            p.group = j;
            for (int k = 0; k < kGroupWidth; ++k)
                p.bytes[std::size_t(k)] = char(kCodeBase + codes[std::size_t(k)]);
        });
    }

    const qsizetype textBytes = qsizetype(kGroupWidth) * (r + 1);
    for (int i = 0; i <= s; ++i) {
        char *line = out->append(textBytes + 2);
        std::memset(line, '0', std::size_t(textBytes));
        line[textBytes] = '\r';
        line[textBytes + 1] = '\n';
        for (qint64 at = lineStart[std::size_t(i)]; at < lineStart[std::size_t(i) + 1]; ++at) {
            const Placed &p = placed[std::size_t(at)];
            std::memcpy(line + qsizetype(kGroupWidth) * p.group, p.bytes.data(), kGroupWidth);
        }
        if (!out->lineDone())
            return false;
    }
    return true;
}

// The sources of the relevés follow the species rows, where a reader that goes by the counts of
// line 2 (this program's readers have always done so) never looks: a marker line, then a line
// "D,n,path" for each database (numbered from 1, the path percent-encoded UTF-8, so any path is
// ASCII without commas) and a line "R,j,n,record" for each relevé j (display position) with a
// source. A table without sources is written without them, byte for byte as before.
const QByteArray kSourcesMarker = QByteArrayLiteral("#sources");
constexpr qsizetype kMaxSourceLineBytes = 1 << 16;

bool writeSources(const TableModel &model, Output *out)
{
    const CoverTable &cover = model.coverData();
    if (!cover.hasSources())
        return true;
    const auto sourceOf = [&](int j) { return cover.source(model.releveIndexAt(TableModel::releveColumn(j))); };
    int first = 1;
    while (first <= model.releveCount() && sourceOf(first).isNull())
        ++first;
    if (first > model.releveCount())
        return true; // only spare or deleted columns had one
    QByteArray *text = out->text();
    text->append(kSourcesMarker + "\r\n");
    QHash<QString, int> numbers;
    for (int j = first; j <= model.releveCount(); ++j) {
        const ReleveSource source = sourceOf(j);
        if (source.isNull())
            continue;
        int n = numbers.value(source.database);
        if (n == 0) {
            n = int(numbers.size()) + 1;
            numbers.insert(source.database, n);
            text->append("D," + QByteArray::number(n) + ',' + QUrl::toPercentEncoding(source.database, "/") + "\r\n");
        }
        text->append("R," + QByteArray::number(j) + ',' + QByteArray::number(n) + ',' + QByteArray::number(source.record) + "\r\n");
        if (!out->lineDone())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

// The texts of the cells read: a short text that recurs (the cover texts of the species rows,
// the values of the header rows) is decoded once and shared by every cell that holds it, so
// that reading a cell costs neither a conversion nor an allocation of its own.
class CellTexts
{
public:
    CellTexts() : m_slots(kSlots) {}

    /// The text of a field's CP932 bytes, valid until the next call; null with *error when they
    /// do not decode.
    const QString *decode(QByteArrayView bytes, QString *error)
    {
        if (bytes.size() > kMaxShared)
            return Cp932::decode(QByteArray::fromRawData(bytes.data(), bytes.size()), &m_long, error) ? &m_long : nullptr;
        quint32 h = 2166136261u;
        for (char c : bytes)
            h = (h ^ quint8(c)) * 16777619u;
        Slot &slot = m_slots[(h ^ (h >> 15)) & (kSlots - 1)];
        if (slot.size == bytes.size() && std::memcmp(slot.bytes.data(), bytes.data(), std::size_t(bytes.size())) == 0)
            return &slot.text;
        if (!Cp932::decode(QByteArray::fromRawData(bytes.data(), bytes.size()), &slot.text, error)) {
            slot.size = -1;
            return nullptr;
        }
        slot.size = bytes.size();
        std::memcpy(slot.bytes.data(), bytes.data(), std::size_t(bytes.size()));
        return &slot.text;
    }

private:
    static constexpr qsizetype kMaxShared = 24;
    static constexpr std::size_t kSlots = 4096;
    struct Slot
    {
        qsizetype size = -1;
        std::array<char, kMaxShared> bytes{};
        QString text;
    };
    std::vector<Slot> m_slots;
    QString m_long;
};

// A count of line 2: a whole decimal number; -1 not a number, -2 negative, -3 too large.
int parseCount(QByteArrayView token)
{
    bool negative = false;
    if (!token.isEmpty() && (token.front() == '-' || token.front() == '+')) {
        negative = token.front() == '-';
        token = token.sliced(1);
    }
    if (token.isEmpty())
        return -1;
    qint64 v = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return -1;
        if (v <= TableModel::MaxCapacity)
            v = v * 10 + (c - '0');
    }
    if (negative && v != 0)
        return -2;
    return v > TableModel::MaxCapacity ? -3 : int(v);
}

// Reads a table file through a read-ahead window: the bytes not used yet lie in m_buffer from
// m_pos to m_end. A line of comma text is held whole (the window grows to the longest line);
// a cover line is taken apart group by group as the window passes over it. CR LF or LF ends a
// line, a last line may lack its end.
class Reader
{
public:
    Reader(QFile *file, const QString &fileName, qsizetype window, Feedback *feedback, QString *error)
        : m_file(file), m_name(displayName(fileName)), m_window(std::max<qsizetype>(window, 1)),
          m_fileSize(std::max<qint64>(file->size(), 1)), m_feedback(feedback), m_error(error)
    {
    }

    bool read(TableModel *model, HeaderItems *items, QString *title);

private:
    bool fail(const QString &text)
    {
        if (!m_stopped)
            *m_error = QStringLiteral("ファイル「%1」の %2 行目: %3").arg(m_name, QString::number(m_lineNumber), text);
        return false;
    }
    bool failFile(const QString &text)
    {
        if (!m_stopped)
            *m_error = QStringLiteral("ファイル「%1」%2").arg(m_name, text);
        return false;
    }
    bool truncated(const QString &what)
    {
        return failFile(QStringLiteral("は途中で切れています（%1 行目の%2がありません）")
                            .arg(QString::number(m_lineNumber + 1), what));
    }

    qsizetype available() const { return m_end - m_pos; }
    const char *data() const { return m_buffer.get() + m_pos; }

    // Reads the next piece of the file behind the bytes not used yet (moved to the front of the
    // buffer first); at the end of the file sets m_atEnd. False, with the reason set and m_stopped,
    // on a read error or when the work is to stop.
    bool readMore()
    {
        if (m_stopped)
            return false;
        if (m_pos > 0) {
            std::memmove(m_buffer.get(), m_buffer.get() + m_pos, std::size_t(available()));
            m_end -= m_pos;
            m_pos = 0;
        }
        // A window at a time, less where the file ends sooner (a small file takes a small
        // buffer); the buffer grows only for a line longer than it.
        const qsizetype want = qsizetype(std::min<qint64>(m_window, std::max<qint64>(m_fileSize - m_offset, 4096)));
        if (m_end + want > m_capacity) {
            const qsizetype capacity = std::max(m_capacity * 2, m_end + want);
            std::unique_ptr<char[]> bigger(new char[std::size_t(capacity)]);
            if (m_end > 0)
                std::memcpy(bigger.get(), m_buffer.get(), std::size_t(m_end));
            m_buffer = std::move(bigger);
            m_capacity = capacity;
        }
        const qint64 got = m_file->read(m_buffer.get() + m_end, want);
        if (got < 0) {
            *m_error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(m_name, systemErrorText(EIO));
            m_stopped = true;
            return false;
        }
        if (got == 0)
            m_atEnd = true;
        m_end += got;
        m_offset += got;
        if (Feedback::interrupted() || !Feedback::advance(m_feedback, int(std::min<qint64>(m_offset * 100 / m_fileSize, 100)))) {
            *m_error = Feedback::canceledMessage();
            m_stopped = true;
            return false;
        }
        return true;
    }
    // Makes at least n bytes available unless the file ends first.
    bool ensure(qsizetype n)
    {
        while (available() < n && !m_atEnd)
            if (!readMore())
                return false;
        return true;
    }
    /// The bytes of the file not read yet.
    qint64 bytesLeft() const { return m_fileSize - m_offset + available(); }

    enum class Line { Read, End, TooLong, Stopped };
    // The next line without its line end, valid until the window moves on. A line of more than
    // maxBytes bytes (without the CR) is TooLong as soon as that is clear, before it is read
    // whole.
    Line takeLine(QByteArrayView *line, qsizetype maxBytes = -1)
    {
        qsizetype scanned = 0;
        qsizetype length = -1;
        bool ended = false;
        for (;;) {
            const void *nl = available() > scanned ? std::memchr(data() + scanned, '\n', std::size_t(available() - scanned)) : nullptr;
            if (nl) {
                length = static_cast<const char *>(nl) - data();
                ended = true;
                break;
            }
            scanned = available();
            if (maxBytes >= 0 && scanned > maxBytes + 1) {
                ++m_lineNumber;
                return Line::TooLong;
            }
            if (m_atEnd) {
                if (scanned == 0)
                    return Line::End;
                length = scanned;
                break;
            }
            if (!readMore())
                return Line::Stopped;
        }
        qsizetype textLength = length;
        if (textLength > 0 && data()[textLength - 1] == '\r')
            --textLength;
        *line = QByteArrayView(data(), textLength);
        m_pos += length + (ended ? 1 : 0);
        ++m_lineNumber;
        if (maxBytes >= 0 && textLength > maxBytes)
            return Line::TooLong;
        return Line::Read;
    }
    bool nextLine(QByteArrayView *line, const QString &what)
    {
        switch (takeLine(line)) {
        case Line::Read:
            return true;
        case Line::End:
            return truncated(what);
        default:
            return false;
        }
    }

    // Reads the comma text of one line into grid row `row`, an empty row of the fresh table;
    // fields beyond the row's cells are dropped, cells beyond the fields stay empty.
    bool readRow(QByteArrayView line, CellGrid *grid, int row)
    {
        bool ok = true;
        QString error;
        CommaText::splitNonEmptyBytes(line, grid->colCount(), [&](qsizetype col, QByteArrayView field) {
            if (!ok)
                return;
            const QString *text = m_texts.decode(field, &error);
            if (!text) {
                ok = fail(QStringLiteral("%1 番目の欄: %2").arg(QString::number(col + 1), error));
                return;
            }
            grid->setCell(int(col), row, *text);
        });
        return ok;
    }

    bool readCoverLine(qsizetype coverText);
    bool readSources(TableModel *model);
    bool coverLineFault(qsizetype at, qsizetype coverText, qsizetype badChar);

    QFile *m_file;
    QString m_name;
    qsizetype m_window;
    qint64 m_fileSize;
    Feedback *m_feedback;
    QString *m_error;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    qint64 m_offset = 0;      // bytes read from the file so far
    qint64 m_lineNumber = 0;  // 1-based number of the line last read
    bool m_atEnd = false;     // the file has no more bytes than those in the buffer
    bool m_stopped = false;   // a read error or a cancel: the reason is set
    CellTexts m_texts;
    // The cells of the cover lines read, line after line, and where each line's cells begin.
    std::vector<CoverTable::SpeciesCell> m_cells;
};

// The next cover line, whose CoverText characters are groups 0..R of seven, goes to m_cells:
// group j of line i is CoverData[j][i]. Only the groups that are not all "0" are looked at,
// found by passing over the runs of "0" in the window.
bool Reader::readCoverLine(qsizetype coverText)
{
    if (!ensure(1))
        return false;
    if (available() == 0)
        return truncated(QStringLiteral("被度の行"));
    ++m_lineNumber;
    qsizetype done = 0; // characters of the line passed
    while (done < coverText) {
        if (!ensure(kGroupWidth))
            return false;
        const qsizetype groups = std::min(available(), coverText - done) / kGroupWidth;
        if (groups == 0) // the file ends within the line
            return coverLineFault(done, coverText, -1);
        const char *const begin = data();
        const char *const end = begin + groups * kGroupWidth;
        for (const char *p = skipByteRun(begin, end, '0'); p < end; p = skipByteRun(p, end, '0')) {
            const qsizetype inWindow = (p - begin) / kGroupWidth * kGroupWidth;
            const char *g = begin + inWindow;
            ByteDataSet codes;
            for (int k = 0; k < kGroupWidth; ++k) {
                const auto c = static_cast<unsigned char>(g[k]);
                if (c < kCodeBase) {
                    m_pos += inWindow;
                    return coverLineFault(done + inWindow, coverText, done + inWindow + k);
                }
                codes[std::size_t(k)] = quint8(c - kCodeBase);
            }
            m_cells.push_back(CoverTable::SpeciesCell{quint32((done + inWindow) / kGroupWidth), codes});
            p = g + kGroupWidth;
        }
        m_pos += groups * kGroupWidth;
        done += groups * kGroupWidth;
    }
    // The line end: LF, CR LF, or the end of the file (after a CR too).
    if (!ensure(2))
        return false;
    const char *p = data();
    if (available() >= 1 && p[0] == '\n') {
        m_pos += 1;
        return true;
    }
    if ((available() >= 2 && p[0] == '\r' && p[1] == '\n') || (available() == 1 && p[0] == '\r')) {
        m_pos += std::min<qsizetype>(available(), 2);
        return true;
    }
    if (available() == 0)
        return true;
    return coverLineFault(done, coverText, -1);
}

// A cover line that is not as it should be from character `at` on (every character before it
// has been read as a code), the window standing at it. A line of the wrong length is reported
// as such, whatever it holds; otherwise the character badChar (0-based) that is no code.
bool Reader::coverLineFault(qsizetype at, qsizetype coverText, qsizetype badChar)
{
    // The line's length: up to its LF (or the end of the file), a CR before that not counted.
    qint64 length = at;
    bool lastWasCr = false;
    for (;;) {
        if (!ensure(1))
            return false;
        if (available() == 0)
            break;
        const char *p = data();
        const void *nl = std::memchr(p, '\n', std::size_t(available()));
        const qsizetype n = nl ? static_cast<const char *>(nl) - p : available();
        if (n > 0)
            lastWasCr = p[n - 1] == '\r';
        length += n;
        m_pos += n;
        if (nl)
            break;
    }
    if (lastWasCr)
        --length;
    if (length != coverText || badChar < 0)
        return fail(QStringLiteral("被度の行の長さが %1 文字ではありません（%2 文字）")
                        .arg(QString::number(coverText), QString::number(length)));
    return fail(QStringLiteral("%1 文字目が被度の符号として読めません").arg(QString::number(badChar + 1)));
}

// A whole decimal number from 1 up; 0 when the field is none.
int sourceNumber(QByteArrayView field)
{
    if (field.isEmpty() || field.size() > 9)
        return 0;
    int v = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The sources of the relevés, when the lines after the species rows begin with their marker
// (see writeSources()). They only tell which relevés an extraction took, so a line that is not
// as written (damaged, naming a relevé or database that is not there, too long) is passed over
// rather than refusing the table; at most 2R + 1 lines are looked at, so the lines that follow
// cannot make the reading last. False only when the reading failed or was cancelled.
bool Reader::readSources(TableModel *model)
{
    QByteArrayView line;
    switch (takeLine(&line, kMaxSourceLineBytes)) {
    case Line::Read:
        break;
    case Line::Stopped:
        return false;
    default:
        return true;
    }
    if (line != QByteArrayView(kSourcesMarker))
        return true;
    const int releves = model->releveCount();
    std::vector<QString> databases;
    for (qint64 k = 0; k < 2 * qint64(releves); ++k) {
        const Line got = takeLine(&line, kMaxSourceLineBytes);
        if (got == Line::Stopped)
            return false;
        if (got != Line::Read)
            return true; // the end of the file, or a line too long: nothing after it is read
        std::array<QByteArrayView, 5> fields;
        qsizetype count = 0;
        for (qsizetype at = 0; count < qsizetype(fields.size());) {
            const qsizetype comma = line.indexOf(',', at);
            fields[std::size_t(count++)] = line.sliced(at, (comma < 0 ? line.size() : comma) - at);
            if (comma < 0)
                break;
            at = comma + 1;
        }
        if (count == 3 && fields[0] == "D" && sourceNumber(fields[1]) == int(databases.size()) + 1) {
            QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[2].toByteArray()));
            databases.push_back(path);
        } else if (count == 4 && fields[0] == "R") {
            const int j = sourceNumber(fields[1]);
            const int n = sourceNumber(fields[2]);
            const int record = sourceNumber(fields[3]);
            if (j >= 1 && j <= releves && n >= 1 && n <= int(databases.size()) && record >= 1)
                model->coverData().setSource(model->releveIndexAt(TableModel::releveColumn(j)),
                                             ReleveSource{databases[std::size_t(n) - 1], record});
        }
    }
    return true;
}

bool Reader::read(TableModel *model, HeaderItems *items, QString *title)
{
    QByteArrayView line;

    // Line 1: the title.
    switch (takeLine(&line, kMaxTitleBytes)) {
    case Line::Read:
        break;
    case Line::End:
        return truncated(QStringLiteral("表の題名"));
    case Line::TooLong:
        return fail(QStringLiteral("表の題名が長すぎます"));
    case Line::Stopped:
        return false;
    }
    QString newTitle;
    QString error;
    if (!Cp932::decode(line.toByteArray(), &newTitle, &error))
        return fail(error);

    // Line 2: species, relevés, header rows.
    if (!nextLine(&line, QStringLiteral("種数・測定数・見出し行数")))
        return false;
    std::vector<QByteArrayView> tokens;
    for (qsizetype i = 0; i < line.size();) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            tokens.push_back(line.sliced(start, i - start));
    }
    if (tokens.size() != 3)
        return fail(QStringLiteral("種数・測定数・見出し行数の３つの整数がありません"));
    int counts[3];
    const QString names[3] = {QStringLiteral("種数"), QStringLiteral("測定数"), QStringLiteral("見出し行数")};
    for (int k = 0; k < 3; ++k) {
        counts[k] = parseCount(tokens[std::size_t(k)]);
        // As much of the token as a message can show; a control character (a NUL) as "?".
        QString shown = Cp932::decodeLossy(tokens[std::size_t(k)].first(std::min<qsizetype>(20, tokens[std::size_t(k)].size())).toByteArray());
        for (QChar &c : shown)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = QLatin1Char('?');
        if (counts[k] == -1)
            return fail(QStringLiteral("%1「%2」が整数ではありません").arg(names[k], shown));
        if (counts[k] == -2)
            return fail(QStringLiteral("%1「%2」が負の値です").arg(names[k], shown));
        if (counts[k] == -3)
            return fail(QStringLiteral("%1「%2」が大きすぎます（%3 まで）")
                            .arg(names[k], shown, QString::number(k == 2 ? kMaxHeaderRows : TableModel::MaxCapacity)));
    }
    const int s = counts[0];
    const int r = counts[1];
    const int h = counts[2];
    if (h < 1 || h > kMaxHeaderRows)
        return fail(QStringLiteral("見出し行数 %1 が 1～%2 の範囲にありません").arg(QString::number(h), QString::number(kMaxHeaderRows)));

    // The cover lines must be there before anything is sized by the counts.
    const qint64 coverText = qint64(kGroupWidth) * (r + 1);
    if (qint64(s + 1) * (coverText + 1) > bytesLeft())
        return failFile(QStringLiteral("は途中で切れています（%1 種・%2 測定の被度の行がそろっていません）")
                            .arg(QString::number(s), QString::number(r)));

    // A fresh table laid out like the present one (font, sizes, fixed columns), then sized to
    // the counts; the present table is touched only when everything has been read.
    TableModel fresh;
    fresh.setTableFont(model->tableFont());
    {
        HeaderItems layout = *items;
        fresh.clearTable(layout);
    }
    CellGrid &grid = fresh.grid();
    grid.clearCells();
    fresh.setCapacities(r, s);
    fresh.setSpeciesCount(s);
    fresh.setReleveCount(r);
    fresh.setHeaderRows(h);
    fresh.setDataScaleK(model->dataScaleK());
    fresh.setDataScaleD(2);
    grid.setRowCount(fresh.speciesRow(s) + 1);
    grid.setColCount(TableModel::releveColumn(r) + 1);

    // Cover lines: group j of line i is CoverData[j][i]. The cells are gathered line by line
    // and put in the relevés' lists at once.
    {
        std::vector<qint64> first(std::size_t(s) + 2, 0);
        for (int i = 0; i <= s; ++i) {
            if (!readCoverLine(coverText))
                return false;
            first[std::size_t(i) + 1] = qint64(m_cells.size());
        }
        fresh.coverData().assignBySpecies(m_cells, first);
        std::vector<CoverTable::SpeciesCell>().swap(m_cells);
    }

    // The index line into row 0: the relevés are numbered 0..R by column.
    if (!nextLine(&line, QStringLiteral("測定の番号の行")) || !readRow(line, &grid, TableModel::IndexRow))
        return false;
    for (int j = 0; j <= r; ++j) {
        if (fresh.releveIndexAt(TableModel::releveColumn(j)) != j)
            return fail(QStringLiteral("測定の番号の行の %1 番目の欄が %2 ではありません")
                            .arg(QString::number(TableModel::releveColumn(j) + 1), QString::number(j)));
    }

    // Header-item rows 1..H-1: field 0 the item number, field 2 its label.
    HeaderItems newItems = *items;
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        newItems[n].layout = false;
        newItems[n].selected = false;
    }
    for (int q = 1; q < h; ++q) {
        if (!nextLine(&line, QStringLiteral("見出しの行")) || !readRow(line, &grid, q))
            return false;
        const QString &number = grid.cell(TableModel::IndexColumn, q);
        const int n = TableModel::indexFromText(number);
        if (number.isEmpty())
            return fail(QStringLiteral("見出し項目の番号がありません"));
        if (n < 1 || n > HeaderItems::Count)
            return fail(QStringLiteral("見出し項目の番号「%1」が 1～%2 の範囲にありません")
                            .arg(number.left(20), QString::number(HeaderItems::Count)));
        newItems[n].layout = true;
        newItems[n].selected = true;
        newItems[n].label = grid.cell(TableModel::NameColumn, q);
    }

    // The species-number row H, then species rows H+1..H+S numbered 1..S in field 0.
    for (int i = 0; i <= s; ++i) {
        if (!nextLine(&line, i == 0 ? QStringLiteral("種数の行") : QStringLiteral("種の行"))
            || !readRow(line, &grid, fresh.speciesRow(i)))
            return false;
        if (i > 0 && fresh.speciesIndexAt(fresh.speciesRow(i)) != i)
            return fail(QStringLiteral("種の番号が %1 ではありません").arg(i));
    }
    if (!readSources(&fresh))
        return false;
    // The last report: all of it read (a file read to its last byte has said so already).
    if (Feedback::interrupted() || !Feedback::advance(m_feedback, 100)) {
        *m_error = Feedback::canceledMessage();
        return false;
    }

    grid.setFixedCols(TableModel::FirstReleveColumn);
    grid.setFixedRows(fresh.speciesRow(1));
    fresh.recomputeFrequencies();

    *model = std::move(fresh);
    *items = newItems;
    *title = newTitle;
    return true;
}

} // namespace

bool TableFile::isStorableCode(int value)
{
    return value >= 0 && value <= 0xFF - kCodeBase;
}

void TableFile::setWindowBytes(qsizetype bytes)
{
    m_window = std::max<qsizetype>(bytes, 1);
}

bool TableFile::write(const TableModel &model, const QString &title, const QString &fileName, Feedback *feedback)
{
    m_error.clear();
    const int s = model.speciesCount();
    const int r = model.releveCount();
    const int h = model.headerRows();

    QByteArray head;
    QString error;
    if (hasLineBreak(title)) {
        m_error = QStringLiteral("表の題名に改行が含まれているため保存できません");
        return false;
    }
    if (!Cp932::encode(title, &head, &error)) {
        m_error = QStringLiteral("表の題名: %1").arg(error);
        return false;
    }
    head += "\r\n" + QByteArray::number(s) + ' ' + QByteArray::number(r) + ' ' + QByteArray::number(h) + "\r\n";

    // Anything but a commit drops the temporary file and leaves the old one as it was.
    SafeSaveFile file(fileName);
    if (!file.open()) {
        m_error = file.errorString();
        return false;
    }
    // The share written is told by bytes; the rows of comma text are reckoned at their commas.
    const qint64 columns = TableModel::releveColumn(r) + 1;
    const qint64 expected = head.size() + qint64(s + 1) * (qint64(kGroupWidth) * (r + 1) + 2) + qint64(h + s + 1) * (columns + 1);
    Output out(&file, m_window, expected, feedback, &m_error);
    out.text()->append(head);
    if (!writeCoverLines(model, &out, &m_error))
        return false;

    QByteArray *text = out.text();
    text->append(",,");
    for (int j = 0; j <= r; ++j) {
        text->append(',');
        text->append(QByteArray::number(j));
        if ((j & 0xFFF) == 0 && !out.lineDone())
            return false;
    }
    text->append("\r\n");
    for (int q = 1; q <= h; ++q) {
        if (!appendRow(text, model, q, nullptr, &m_error) || !out.lineDone())
            return false;
    }
    for (int i = 1; i <= s; ++i) {
        const QString number = QString::number(i);
        if (!appendRow(text, model, model.speciesRow(i), &number, &m_error) || !out.lineDone())
            return false;
    }
    if (!writeSources(model, &out))
        return false;
    if (!out.flush())
        return false;
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

bool TableFile::read(const QString &fileName, TableModel *model, HeaderItems *items, QString *title, Feedback *feedback)
{
    m_error.clear();
    const QString name = displayName(fileName);
    // Folders, devices and pipes are refused at once: nothing a table was saved to, and a pipe
    // or a device may never end.
    QFile file;
    if (!openRegularFile(&file, fileName, &m_error))
        return false;
    if (file.size() == 0) {
        m_error = QStringLiteral("ファイル「%1」は空です").arg(name);
        return false;
    }
    Reader reader(&file, fileName, m_window, feedback, &m_error);
    return reader.read(model, items, title);
}

} // namespace Zelkor
