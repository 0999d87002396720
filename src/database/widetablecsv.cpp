#include "database/widetablecsv.h"

#include "database/textdetection.h"
#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <map>

namespace Zelkor {

namespace {

constexpr int kNameBytes = 28;
constexpr int kLayers = 7;
const QString kFrequencyHeading = QStringLiteral("出現頻度");
const QString kSpeciesNumberLabel = QStringLiteral("（現実の種数）");

// One field of a record: where its text is (in the file or, unquoted, in the record's scratch)
// and the line it starts on.
struct FieldRef
{
    qsizetype offset;
    qsizetype size;
    bool scratch;
    int line;
};

struct Record
{
    int line = 0;
    std::vector<FieldRef> fields;
    QByteArray scratch;
};

// The records of CSV bytes: separator sep, fields in double quotes as RFC 4180 has them (a
// doubled quote inside, separators and line breaks included); CR LF, LF or CR end a record.
class RecordReader
{
public:
    RecordReader(const QByteArray &data, char sep) : m_data(data), m_sep(sep) {}

    /// A record holds at most this many fields: a table has at most TableModel::MaxCapacity
    /// relevés.
    static constexpr std::size_t MaxFields = std::size_t(TableModel::MaxCapacity) + 3;

    /// The next record; false at the end. *unclosedLine is set (and false returned) when a
    /// quoted field is never closed, *wideLine when the record has more than MaxFields fields.
    bool next(Record *record, int *unclosedLine, int *wideLine)
    {
        record->fields.clear();
        record->scratch.clear();
        const char *d = m_data.constData();
        const qsizetype n = m_data.size();
        if (m_pos >= n)
            return false;
        record->line = m_line;
        for (;;) {
            const int fieldLine = m_line;
            if (record->fields.size() >= MaxFields) {
                *wideLine = record->line;
                return false;
            }
            if (m_pos < n && d[m_pos] == '"') {
                ++m_pos;
                const qsizetype start = record->scratch.size();
                bool closed = false;
                while (m_pos < n) {
                    // The run up to the next quote or line break is copied at once.
                    qsizetype run = m_pos;
                    while (run < n && d[run] != '"' && d[run] != '\n' && d[run] != '\r')
                        ++run;
                    record->scratch.append(d + m_pos, run - m_pos);
                    m_pos = run;
                    if (m_pos >= n)
                        break;
                    const char c = d[m_pos];
                    if (c == '"') {
                        if (m_pos + 1 < n && d[m_pos + 1] == '"') {
                            record->scratch.append('"');
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        closed = true;
                        break;
                    }
                    // A line break in the field: kept as one LF.
                    record->scratch.append('\n');
                    ++m_line;
                    m_pos += (c == '\r' && m_pos + 1 < n && d[m_pos + 1] == '\n') ? 2 : 1;
                }
                if (!closed) {
                    *unclosedLine = fieldLine;
                    return false;
                }
                // Text after the closing quote, up to the separator, belongs to the field.
                qsizetype end = m_pos;
                while (end < n && d[end] != m_sep && d[end] != '\n' && d[end] != '\r')
                    ++end;
                record->scratch.append(d + m_pos, end - m_pos);
                m_pos = end;
                record->fields.push_back(FieldRef{start, record->scratch.size() - start, true, fieldLine});
            } else {
                qsizetype end = m_pos;
                while (end < n && d[end] != m_sep && d[end] != '\n' && d[end] != '\r')
                    ++end;
                record->fields.push_back(FieldRef{m_pos, end - m_pos, false, fieldLine});
                m_pos = end;
            }
            if (m_pos < n && d[m_pos] == m_sep) {
                ++m_pos;
                continue;
            }
            // The end of the record.
            if (m_pos < n) {
                const bool crlf = d[m_pos] == '\r' && m_pos + 1 < n && d[m_pos + 1] == '\n';
                m_pos += crlf ? 2 : 1;
                ++m_line;
            }
            return true;
        }
    }

    QByteArrayView view(const Record &record, const FieldRef &f) const
    {
        return f.scratch ? QByteArrayView(record.scratch.constData() + f.offset, f.size)
                         : QByteArrayView(m_data.constData() + f.offset, f.size);
    }
    qsizetype position() const { return m_pos; }

private:
    const QByteArray &m_data;
    char m_sep;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// The separator of the first records: comma, semicolon or tab, the one that splits most
// records into the same number of fields (quoted text not counted).
char detectSeparator(const QByteArray &data)
{
    const char candidates[3] = {',', ';', '\t'};
    std::vector<std::array<int, 3>> counts;
    std::array<int, 3> current{};
    bool quoted = false;
    bool content = false;
    const qsizetype limit = std::min<qsizetype>(data.size(), qsizetype(1) << 20);
    for (qsizetype i = 0; i < limit && counts.size() < 100; ++i) {
        const char c = data[i];
        if (c == '"') {
            quoted = !quoted;
            content = true;
            continue;
        }
        if (quoted)
            continue;
        if (c == '\n' || c == '\r') {
            if (content)
                counts.push_back(current);
            current = {};
            content = false;
            continue;
        }
        content = true;
        for (int k = 0; k < 3; ++k)
            if (c == candidates[k])
                ++current[std::size_t(k)];
    }
    if (content)
        counts.push_back(current);
    int best = 0;
    int bestScore = -1;
    int bestMode = 0;
    for (int k = 0; k < 3; ++k) {
        std::map<int, int> frequency;
        for (const auto &c : counts)
            ++frequency[c[std::size_t(k)]];
        int mode = 0;
        int score = 0;
        for (const auto &[count, records] : frequency) {
            if (count > 0 && (records > score || (records == score && count > mode))) {
                score = records;
                mode = count;
            }
        }
        if (mode > 0 && (score > bestScore || (score == bestScore && mode > bestMode))) {
            best = k;
            bestScore = score;
            bestMode = mode;
        }
    }
    return candidates[best];
}

bool isBlankByte(char c)
{
    return uchar(c) <= 0x20;
}

QByteArrayView trimBytes(QByteArrayView v)
{
    qsizetype a = 0;
    qsizetype b = v.size();
    while (a < b && isBlankByte(v[a]))
        ++a;
    while (b > a && isBlankByte(v[b - 1]))
        --b;
    return v.sliced(a, b - a);
}

// A cell's text without the apostrophe that marks a text in a spreadsheet.
QByteArrayView withoutTextMark(QByteArrayView v)
{
    qsizetype a = 0;
    while (a < v.size() && (v[a] == ' ' || v[a] == '\t'))
        ++a;
    if (a < v.size() && v[a] == '\'')
        return v.sliced(a + 1);
    return v;
}

// Whether the cell holds no entry: every line blank or ".".
bool isAbsentCell(QByteArrayView v)
{
    int dots = 0;
    for (char c : withoutTextMark(v)) {
        if (c == '\n') {
            dots = 0;
        } else if (c == '.') {
            if (++dots > 1)
                return false;
        } else if (!isBlankByte(c)) {
            return false;
        }
    }
    return true;
}

// The lines of a cell (a CR before a line feed dropped).
std::vector<QByteArrayView> cellLines(QByteArrayView v)
{
    std::vector<QByteArrayView> lines;
    v = withoutTextMark(v);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= v.size(); ++i) {
        if (i == v.size() || v[i] == '\n') {
            QByteArrayView line = v.sliced(start, i - start);
            if (!line.isEmpty() && line.back() == '\r')
                line.chop(1);
            lines.push_back(line);
            start = i + 1;
        }
    }
    return lines;
}

struct HeaderRow
{
    int item;
    int line;
    std::vector<QString> values; // by relevé column, index 0 = relevé 1
};

// The per-row state of a species row while the file is read.
struct RowState
{
    std::array<int, kLayers> layerLine{}; // the line on which each layer of the name was given
};

} // namespace

QString WideTableCsv::columnLetters(int column)
{
    QString s;
    while (column > 0) {
        const int r = (column - 1) % 26;
        s.prepend(QChar(u'A' + r));
        column = (column - 1) / 26;
    }
    return s;
}

WideTableCsv::WideTableCsv(const HeaderItems &items, const QString &layerNames, Options options)
    : m_items(items)
    , m_layerNames(layerNames)
    , m_options(options)
{
}

bool WideTableCsv::read(const QString &fileName, ImportedTable *table, Feedback *feedback)
{
    m_error.clear();
    QByteArray data;
    if (!readWholeFile(fileName, MaxBytes, &data, &m_error))
        return false;
    return readData(data, QDir::toNativeSeparators(fileName), table, feedback);
}

bool WideTableCsv::readData(const QByteArray &raw, const QString &shownName, ImportedTable *table, Feedback *feedback)
{
    m_error.clear();
    auto failFile = [&](const QString &text) {
        m_error = QStringLiteral("ファイル「%1」%2").arg(shownName, text);
        return false;
    };
    auto failAt = [&](int line, int column, const QString &text) {
        m_error = QStringLiteral("ファイル「%1」の %2 行目、%3 列目（%4 列）: %5")
                      .arg(shownName, QString::number(line), QString::number(column), columnLetters(column), text);
        return false;
    };
    auto failLine = [&](int line, const QString &text) {
        m_error = QStringLiteral("ファイル「%1」の %2 行目: %3").arg(shownName, QString::number(line), text);
        return false;
    };

    TextBytes text;
    if (!TextBytes::detect(raw, &text, &m_error))
        return failFile(m_error);
    m_encoding = text.encodingName();
    const QByteArray &data = text.bytes;
    if (data.trimmed().isEmpty())
        return failFile(QStringLiteral("は空です"));
    m_separator = detectSeparator(data);
    const bool decimalComma = m_separator != ',';

    // The layer labels of the settings, trimmed ("M" for " M").
    std::array<QString, kLayers> layerLabels;
    for (int k = 0; k < kLayers; ++k)
        layerLabels[std::size_t(k)] = trimBlanks(m_layerNames.mid(2 * k, 2));

    auto decode = [&](QByteArrayView bytes, int line, int column, QString *out) {
        QString why;
        if (!text.decode(bytes, out, &why))
            return failAt(line, column, why);
        return true;
    };

    // The item a header label names (0 none): a label of the settings' items, or "項目N".
    auto itemOfLabel = [&](const QString &label) {
        if (label.isEmpty())
            return 0;
        int fallback = 0;
        for (int n = 1; n <= HeaderItems::Count; ++n) {
            if (m_items[n].label != label)
                continue;
            if (m_items[n].layout || n == 1)
                return n;
            if (!fallback)
                fallback = n;
        }
        if (fallback)
            return fallback;
        if (label.startsWith(QStringLiteral("項目")) && label.size() > 2 && label.size() <= 4) {
            int n = 0;
            for (QChar c : label.mid(2)) {
                const int v = c.digitValue();
                if (v < 0)
                    return 0;
                n = n * 10 + v;
            }
            return n >= 1 && n <= HeaderItems::Count ? n : 0;
        }
        return 0;
    };
    auto isSpeciesNumberLabel = [&](const QString &label, int item) {
        return item == HeaderItems::Count || label == kSpeciesNumberLabel || label == HeaderItems::defaultLabel(HeaderItems::Count);
    };

    RecordReader reader(data, m_separator);
    Record record;
    int unclosed = 0;
    int tooWide = 0;
    enum State { Title, Header, Species } state = Title;
    int frequencyColumn = -1; // 0-based field index of the frequency column
    int headerExtent = -1;    // the last field index holding a header value (-1: no header rows)
    std::vector<HeaderRow> headerRows;
    std::array<int, HeaderItems::Count + 1> itemLine{};
    ImportedTable out;
    std::vector<RowState> rowStates;
    QHash<QString, int> rowOfName;
    int pendingEmpty = 0; // empty rows seen in the species section, kept only when a row follows
    int widest = 0;       // the last relevé with an entry
    int records = 0;

    auto fieldText = [&](const FieldRef &f) { return reader.view(record, f); };

    while (reader.next(&record, &unclosed, &tooWide)) {
        if ((++records & 15) == 0 && !Feedback::advance(feedback, records)) {
            m_error = Feedback::canceledMessage();
            return false;
        }
        const std::vector<FieldRef> &fields = record.fields;
        const int fieldCount = int(fields.size());
        bool anything = false;
        for (const FieldRef &f : fields) {
            if (!trimBytes(fieldText(f)).isEmpty()) {
                anything = true;
                break;
            }
        }
        if (!anything) {
            if (state == Species)
                ++pendingEmpty;
            continue;
        }
        const FieldRef &a = fields[0];
        QString label;
        if (!decode(fieldText(a), a.line, 1, &label))
            return false;
        label = trimBlanks(label);
        const QByteArrayView bView = fieldCount > 1 ? trimBytes(withoutTextMark(fieldText(fields[1]))) : QByteArrayView();
        // The relevé cells end at the frequency column.
        const int lastCell = frequencyColumn >= 0 ? std::min(fieldCount, frequencyColumn) : fieldCount;
        bool values = false;
        for (int c = 2; c < lastCell && !values; ++c)
            values = !isAbsentCell(fieldText(fields[std::size_t(c)]));

        if (state == Title) {
            state = Header;
            bool alone = true;
            for (int c = 1; c < fieldCount && alone; ++c)
                alone = trimBytes(fieldText(fields[std::size_t(c)])).isEmpty();
            if (alone && itemOfLabel(label) == 0 && !isSpeciesNumberLabel(label, 0)) {
                out.title = label;
                continue;
            }
        }

        if (state == Header) {
            const int item = itemOfLabel(label);
            const bool speciesNumbers = isSpeciesNumberLabel(label, item);
            if (bView.isEmpty() && (item > 0 || speciesNumbers || values)) {
                if (!speciesNumbers && item == 0)
                    return failAt(a.line, 1, QStringLiteral("見出し項目「%1」は設定の見出し項目にありません（見出し項目の名称か「項目N」で書いて下さい。種の行なら B 列に階層を書いて下さい）")
                                                 .arg(label.left(40)));
                if (!speciesNumbers && item > 1 && !m_options.anyItem && !m_items[item].layout)
                    return failAt(a.line, 1, QStringLiteral("見出し項目「%1」は表組みにありません").arg(label.left(40)));
                const int key = speciesNumbers ? HeaderItems::Count : item;
                if (itemLine[std::size_t(key)] > 0)
                    return failAt(a.line, 1, QStringLiteral("見出し項目「%1」の行は %2 行目にもあります")
                                                 .arg(label.left(40), QString::number(itemLine[std::size_t(key)])));
                itemLine[std::size_t(key)] = a.line;
                HeaderRow row{item, a.line, {}};
                for (int c = 2; c < fieldCount; ++c) {
                    const FieldRef &f = fields[std::size_t(c)];
                    QString value;
                    if (!decode(withoutTextMark(fieldText(f)), f.line, c + 1, &value))
                        return false;
                    value = trimBlanks(value);
                    if (speciesNumbers && value == kFrequencyHeading) {
                        frequencyColumn = c;
                        break;
                    }
                    if (!value.isEmpty())
                        headerExtent = std::max(headerExtent, c);
                    if (speciesNumbers || item == 1)
                        continue;
                    if (std::any_of(value.begin(), value.end(), [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }))
                        return failAt(f.line, c + 1, QStringLiteral("見出しの値に改行などの制御文字があります"));
                    QByteArray bytes;
                    QString why;
                    if (!Cp932::encode(value, &bytes, &why))
                        return failAt(f.line, c + 1, QStringLiteral("見出しの値「%1」: %2").arg(value.left(20), why));
                    const int width = item <= 7 ? 8 : 4;
                    if (bytes.size() > width)
                        return failAt(f.line, c + 1, QStringLiteral("見出しの値「%1」はシフトJISで %2 バイトあり、項目「%3」には %4 バイトまでしか入りません")
                                                         .arg(value.left(20), QString::number(bytes.size()), label.left(40), QString::number(width)));
                    row.values.resize(std::size_t(c - 1));
                    row.values[std::size_t(c - 2)] = value;
                }
                if (!speciesNumbers && item > 1)
                    headerRows.push_back(std::move(row));
                if (speciesNumbers)
                    state = Species;
                continue;
            }
            state = Species;
        }

        // A species row, or a comment row.
        const int releveLimit = headerExtent >= 0 ? headerExtent : std::numeric_limits<int>::max();
        std::vector<int> layers;
        if (!bView.isEmpty()) {
            const FieldRef &b = fields[1];
            int lineInCell = 0;
            for (QByteArrayView part : cellLines(fieldText(b))) {
                QString name;
                if (!decode(part, b.line + lineInCell, 2, &name))
                    return false;
                name = trimBlanks(name);
                int k = 0;
                while (k < kLayers && layerLabels[std::size_t(k)].compare(name, Qt::CaseInsensitive) != 0)
                    ++k;
                if (name.isEmpty() || k == kLayers) {
                    QStringList known;
                    for (const QString &l : layerLabels)
                        known << l;
                    return failAt(b.line + lineInCell, 2, QStringLiteral("階層「%1」は設定の階層（%2）にありません")
                                                              .arg(name.left(20), known.join(QLatin1Char(' '))));
                }
                if (std::find(layers.begin(), layers.end(), k) != layers.end())
                    return failAt(b.line + lineInCell, 2, QStringLiteral("階層「%1」が二度書かれています").arg(name));
                layers.push_back(k);
                ++lineInCell;
            }
        }

        ImportedTable::Row row;
        row.name = label;
        for (int c = 2; c < lastCell; ++c) {
            const FieldRef &f = fields[std::size_t(c)];
            const QByteArrayView cell = fieldText(f);
            if (isAbsentCell(cell))
                continue;
            if (c > releveLimit)
                return failAt(f.line, c + 1, QStringLiteral("この行には測定（見出しの値のある %1 列目まで）より多くの升目があります")
                                                 .arg(releveLimit + 1));
            if (layers.empty())
                return failAt(f.line, c + 1, QStringLiteral("優占度がありますが、B 列に階層がありません"));
            const std::vector<QByteArrayView> lines = cellLines(cell);
            if (int(lines.size()) != int(layers.size()))
                return failAt(f.line, c + 1, QStringLiteral("升目に %1 行ありますが、B 列の階層は %2 つです")
                                                 .arg(lines.size())
                                                 .arg(layers.size()));
            ByteDataSet codes{};
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const int line = f.line + int(k);
                QString cellText;
                if (!decode(lines[k], line, c + 1, &cellText))
                    return false;
                quint8 code = 0;
                QString why;
                if (m_options.scale == CoverScale::Codes) {
                    if (!coverTextToCode(cellText, &code, &why))
                        return failAt(line, c + 1, why);
                } else {
                    const QString t = trimBlanks(cellText);
                    DecimalText value;
                    if (t.isEmpty() || t == QLatin1String(".")) {
                        code = 0;
                    } else if (!DecimalText::parse(t, &value, decimalComma, m_options.scale == CoverScale::Percent)) {
                        return failAt(line, c + 1, QStringLiteral("「%1」は数ではありません").arg(t.left(20)));
                    } else if (!scaleValueToCode(m_options.scale, value, &code, &why)) {
                        return failAt(line, c + 1, QStringLiteral("「%1」: %2").arg(t.left(20), why));
                    }
                }
                codes[std::size_t(layers[k])] = code;
            }
            if (codes == ByteDataSet{})
                continue;
            row.entries.push_back(ImportedTable::Entry{c - 1, codes});
            widest = std::max(widest, c - 1);
        }

        if (row.name.isEmpty() && !row.entries.empty())
            return failAt(a.line, 1, QStringLiteral("優占度のある行に種名がありません"));
        if (!row.name.isEmpty()) {
            if (std::any_of(row.name.begin(), row.name.end(), [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }))
                return failAt(a.line, 1, QStringLiteral("種名に改行などの制御文字があります"));
            QByteArray bytes;
            QString why;
            if (!Cp932::encode(row.name, &bytes, &why))
                return failAt(a.line, 1, QStringLiteral("種名「%1」: %2").arg(row.name.left(40), why));
            if (bytes.size() > kNameBytes)
                return failAt(a.line, 1, QStringLiteral("種名「%1」はシフトJISで %2 バイトあり、%3 バイトまでしか入りません")
                                             .arg(row.name.left(40), QString::number(bytes.size()), QString::number(kNameBytes)));
        }

        // The empty rows before this one are rows of the table.
        for (; pendingEmpty > 0; --pendingEmpty) {
            out.rows.push_back(ImportedTable::Row{});
            rowStates.push_back(RowState{});
        }
        if (layers.empty()) {
            out.rows.push_back(std::move(row));
            rowStates.push_back(RowState{});
            continue;
        }
        const auto existing = rowOfName.constFind(row.name);
        if (existing == rowOfName.constEnd()) {
            RowState state{};
            for (int k : layers)
                state.layerLine[std::size_t(k)] = a.line;
            rowOfName.insert(row.name, int(out.rows.size()));
            out.rows.push_back(std::move(row));
            rowStates.push_back(state);
            continue;
        }
        // The same name again: the same species in other layers.
        RowState &state = rowStates[std::size_t(existing.value())];
        for (int k : layers) {
            if (state.layerLine[std::size_t(k)] > 0)
                return failLine(a.line, QStringLiteral("種「%1」の階層 %2 は %3 行目にもあります（同じ種名・階層の行が二つあります）")
                                            .arg(row.name.left(40), layerLabels[std::size_t(k)], QString::number(state.layerLine[std::size_t(k)])));
            state.layerLine[std::size_t(k)] = a.line;
        }
        ImportedTable::Row &into = out.rows[std::size_t(existing.value())];
        std::vector<ImportedTable::Entry> merged;
        merged.reserve(into.entries.size() + row.entries.size());
        auto p = into.entries.begin();
        auto q = row.entries.begin();
        while (p != into.entries.end() || q != row.entries.end()) {
            if (q == row.entries.end() || (p != into.entries.end() && p->releve < q->releve)) {
                merged.push_back(*p++);
            } else if (p == into.entries.end() || q->releve < p->releve) {
                merged.push_back(*q++);
            } else {
                ImportedTable::Entry e = *p++;
                for (int k : layers)
                    e.codes[std::size_t(k)] = q->codes[std::size_t(k)];
                ++q;
                merged.push_back(e);
            }
        }
        into.entries = std::move(merged);
    }
    if (unclosed > 0)
        return failLine(unclosed, QStringLiteral("引用符（\"）で始まる欄が閉じていません"));
    if (tooWide > 0)
        return failLine(tooWide, QStringLiteral("1 行の欄が多すぎます（測定は %1 までです）").arg(TableModel::MaxCapacity));

    out.releveCount = headerExtent >= 0 ? headerExtent - 1 : widest;
    for (HeaderRow &h : headerRows) {
        std::vector<QString> &values = out.itemValues[std::size_t(h.item)];
        h.values.resize(std::size_t(out.releveCount));
        values = std::move(h.values);
    }
    if (out.releveCount == 0 && out.rows.empty())
        return failFile(QStringLiteral("には測定も種もありません"));
    *table = std::move(out);
    return true;
}

} // namespace Zelkor
