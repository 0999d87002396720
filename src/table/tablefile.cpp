#include "table/tablefile.h"

#include "platform/cp932.h"
#include "platform/fileaccess.h"
#include "platform/textfile.h"
#include "table/commatext.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace Zelkor {

namespace {

constexpr int kGroupWidth = 7;          // characters per cover group, one per layer
constexpr int kCodeBase = 48;           // a code is stored as the character 48 + code
constexpr int kMaxHeaderRows = HeaderItems::Count + 1;
constexpr qsizetype kMaxTitleBytes = 1 << 20;
// Cover lines are built in bands of about this many bytes, so that a large table is written
// without holding all its cover lines at once.
constexpr qsizetype kCoverBandBytes = qsizetype(16) << 20;

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
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = u[i];
        if (c >= 0x80) {
            ascii = false;
        } else if (c <= 0x20 || c == u'"' || c == u',') {
            quote = true;
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
    if (quote)
        out->append('"');
    for (qsizetype i = 0; i < n; ++i) {
        out->append(char(u[i]));
        if (u[i] == u'"')
            out->append('"');
    }
    if (quote)
        out->append('"');
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
        out->append(QByteArray(col - at, ','));
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
        out->append(QByteArray(colCount - 1 - at, ','));
    out->append("\r\n");
    return ok;
}

// Writes the S + 1 cover lines. Relevé j (grid column j + 3) gives group j; species row H + i
// gives line i, line 0 holding the species-index-0 elements (the relevés' scale bytes).
bool writeCoverLines(const TableModel &model, TextFileWriter *writer, QString *error)
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

    const qsizetype textBytes = qsizetype(kGroupWidth) * (r + 1);
    const qsizetype lineBytes = textBytes + 2;
    const int bandLines = int(std::clamp<qsizetype>(kCoverBandBytes / lineBytes, 1, s + 1));
    QByteArray band;
    bool ok = true;

    for (int i0 = 0; i0 <= s && ok; i0 += bandLines) {
        const int i1 = std::min(s, i0 + bandLines - 1);
        band.resize(lineBytes * (i1 - i0 + 1));
        char *base = band.data();
        std::memset(base, '0', size_t(band.size()));
        for (int i = i0; i <= i1; ++i) {
            char *end = base + lineBytes * (i - i0) + textBytes;
            end[0] = '\r';
            end[1] = '\n';
        }
        for (int idx = 0; idx <= maxR && ok; ++idx) {
            if (firstCol[std::size_t(idx)] < 0)
                continue;
            cover.forEachInReleve(idx, [&](int sp, const ByteDataSet &codes) {
                if (!ok)
                    return;
                for (int i = firstLine[std::size_t(sp)]; i >= 0; i = nextLine[std::size_t(i)]) {
                    if (i < i0 || i > i1)
                        continue;
                    for (int j = firstCol[std::size_t(idx)]; j >= 0; j = nextCol[std::size_t(j)]) {
                        char *g = base + lineBytes * (i - i0) + qsizetype(kGroupWidth) * j;
                        for (int k = 0; k < kGroupWidth; ++k) {
                            const int v = codes[std::size_t(k)];
                            if (!TableFile::isStorableCode(v)) {
                                const QString tail = QStringLiteral("は組成表ファイルに保存できません（保存できる値は 0～207 です）");
                                if (i == 0)
                                    *error = QStringLiteral("%1 番目の測定の尺度の値 %2（%3 バイト目）%4")
                                                 .arg(QString::number(j), QString::number(v), QString::number(k + 1), tail);
                                else
                                    *error = QStringLiteral("%1、第 %2 層の被度の値 %3 %4")
                                                 .arg(cellPlace(model, TableModel::releveColumn(j), model.speciesRow(i)), QString::number(k + 1), QString::number(v), tail);
                                ok = false;
                                return;
                            }
                            g[k] = char(kCodeBase + v);
                        }
                    }
                }
            });
        }
        if (ok)
            writer->writeBytes(band);
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Reading

// The lines of a file held in memory; CR LF or LF ends a line, a last line may lack its end.
class LineCursor
{
public:
    LineCursor(const char *data, qsizetype size) : m_p(data), m_end(data + size) {}

    /// The next line without its line end; false at the end of the file.
    bool next(QByteArrayView *line)
    {
        if (m_p >= m_end)
            return false;
        const char *nl = static_cast<const char *>(std::memchr(m_p, '\n', size_t(m_end - m_p)));
        const char *lineEnd = nl ? nl : m_end;
        const char *textEnd = lineEnd;
        if (textEnd > m_p && textEnd[-1] == '\r')
            --textEnd;
        *line = QByteArrayView(m_p, textEnd - m_p);
        m_p = nl ? nl + 1 : m_end;
        ++m_lineNumber;
        return true;
    }
    /// 1-based number of the line last returned.
    qint64 lineNumber() const { return m_lineNumber; }
    qint64 bytesLeft() const { return m_end - m_p; }

private:
    const char *m_p;
    const char *m_end;
    qint64 m_lineNumber = 0;
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

class Reader
{
public:
    Reader(const QString &fileName, QString *error) : m_name(displayName(fileName)), m_error(error) {}

    bool fail(const QString &text)
    {
        *m_error = QStringLiteral("ファイル「%1」の %2 行目: %3").arg(m_name, QString::number(m_lines->lineNumber()), text);
        return false;
    }
    bool failFile(const QString &text)
    {
        *m_error = QStringLiteral("ファイル「%1」%2").arg(m_name, text);
        return false;
    }

    bool nextLine(QByteArrayView *line, const QString &what)
    {
        if (m_lines->next(line))
            return true;
        return failFile(QStringLiteral("は途中で切れています（%1 行目の%2がありません）")
                            .arg(QString::number(m_lines->lineNumber() + 1), what));
    }

    // Reads the comma text of one line into grid row `row`; fields beyond the row's cells are
    // dropped, cells beyond the fields stay as they are.
    bool readRow(QByteArrayView line, CellGrid *grid, int row)
    {
        bool ok = true;
        QString text;
        QString error;
        CommaText::splitBytes(line, grid->colCount(), [&](qsizetype col, QByteArrayView field) {
            if (!ok)
                return;
            if (!Cp932::decode(QByteArray::fromRawData(field.data(), field.size()), &text, &error)) {
                ok = fail(QStringLiteral("%1 番目の欄: %2").arg(QString::number(col + 1), error));
                return;
            }
            grid->setCell(int(col), row, text);
        });
        return ok;
    }

    bool read(const char *data, qsizetype size, TableModel *model, HeaderItems *items, QString *title);

private:
    QString m_name;
    QString *m_error;
    LineCursor *m_lines = nullptr;
};

bool Reader::read(const char *data, qsizetype size, TableModel *model, HeaderItems *items, QString *title)
{
    LineCursor lines(data, size);
    m_lines = &lines;
    QByteArrayView line;

    // Line 1: the title.
    if (!nextLine(&line, QStringLiteral("表の題名")))
        return false;
    if (line.size() > kMaxTitleBytes)
        return fail(QStringLiteral("表の題名が長すぎます"));
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
    if (qint64(s + 1) * (coverText + 1) > lines.bytesLeft())
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

    // Cover lines: group j of line i is CoverData[j][i].
    CoverTable &cover = fresh.coverData();
    static const char kZeroGroup[kGroupWidth] = {'0', '0', '0', '0', '0', '0', '0'};
    for (int i = 0; i <= s; ++i) {
        if (!nextLine(&line, QStringLiteral("被度の行")))
            return false;
        if (line.size() != coverText)
            return fail(QStringLiteral("被度の行の長さが %1 文字ではありません（%2 文字）")
                            .arg(QString::number(coverText), QString::number(line.size())));
        const char *p = line.data();
        for (int j = 0; j <= r; ++j, p += kGroupWidth) {
            if (std::memcmp(p, kZeroGroup, kGroupWidth) == 0)
                continue;
            ByteDataSet codes;
            for (int k = 0; k < kGroupWidth; ++k) {
                const auto c = static_cast<unsigned char>(p[k]);
                if (c < kCodeBase)
                    return fail(QStringLiteral("%1 文字目が被度の符号として読めません")
                                    .arg(QString::number(qint64(kGroupWidth) * j + k + 1)));
                codes[std::size_t(k)] = quint8(c - kCodeBase);
            }
            cover.set(j, i, codes);
        }
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

bool TableFile::write(const TableModel &model, const QString &title, const QString &fileName)
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

    TextFileWriter writer(fileName);
    if (!writer.open()) {
        m_error = writer.errorString();
        return false;
    }
    writer.writeBytes(head);
    if (!writeCoverLines(model, &writer, &error)) {
        writer.cancel();
        m_error = error;
        return false;
    }

    QByteArray text(",,");
    for (int j = 0; j <= r; ++j)
        text += ',' + QByteArray::number(j);
    text += "\r\n";
    for (int q = 1; q <= h; ++q) {
        if (!appendRow(&text, model, q, nullptr, &error)) {
            writer.cancel();
            m_error = error;
            return false;
        }
    }
    writer.writeBytes(text);
    for (int i = 1; i <= s; ++i) {
        text.clear();
        const QString number = QString::number(i);
        if (!appendRow(&text, model, model.speciesRow(i), &number, &error)) {
            writer.cancel();
            m_error = error;
            return false;
        }
        writer.writeBytes(text);
    }
    if (!writer.commit()) {
        m_error = writer.errorString();
        return false;
    }
    return true;
}

bool TableFile::read(const QString &fileName, TableModel *model, HeaderItems *items, QString *title)
{
    m_error.clear();
    const QString name = displayName(fileName);
    // Folders, devices and pipes are refused at once: nothing a table was saved to, and a pipe
    // or a device may never end.
    QFile file;
    if (!openRegularFile(&file, fileName, &m_error))
        return false;

    // The file is mapped, not copied, where the system allows it.
    QByteArray copy;
    const char *data = nullptr;
    qsizetype size = 0;
    if (file.size() > 0) {
        if (uchar *mapped = file.map(0, file.size())) {
            data = reinterpret_cast<const char *>(mapped);
            size = qsizetype(file.size());
        }
    }
    if (!data) {
        copy = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            m_error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(name, systemErrorText(EIO));
            return false;
        }
        data = copy.constData();
        size = copy.size();
    }
    if (size == 0) {
        m_error = QStringLiteral("ファイル「%1」は空です").arg(name);
        return false;
    }

    Reader reader(fileName, &m_error);
    return reader.read(data, size, model, items, title);
}

} // namespace Zelkor
