#include "platform/csv.h"

namespace Zelkor::Csv {

namespace {

bool breaksFields(char16_t ch)
{
    return ch == u',' || ch == u'"' || ch == u'\r' || ch == u'\n';
}

// Whether position i is the end of the text or of a line (LF or CR LF).
bool atLineEnd(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    return i == n || text[i] == u'\n' || (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n');
}

// The position after the line end at i (none at the end of the text).
qsizetype skipLineEnd(QStringView text, qsizetype i, int *line)
{
    if (i >= text.size())
        return i;
    ++*line;
    return i + (text[i] == u'\r' ? 2 : 1);
}

} // namespace

bool parse(QStringView text, std::vector<Record> *records, int *unclosedLine)
{
    const qsizetype n = text.size();
    int line = 1;
    qsizetype i = 0;
    while (i < n) {
        Record record;
        record.line = line;
        // An empty line is a record without fields.
        if (atLineEnd(text, i)) {
            i = skipLineEnd(text, i, &line);
            records->push_back(std::move(record));
            continue;
        }
        for (;;) {
            QString field;
            if (i < n && text[i] == u'"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            field += c;
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == u'\n')
                        ++line;
                    field += c;
                    ++i;
                }
                if (!closed) {
                    record.fields << field;
                    records->push_back(std::move(record));
                    if (unclosedLine)
                        *unclosedLine = records->back().line;
                    return false;
                }
            }
            // The rest of the field, up to a comma or the line end.
            qsizetype end = i;
            while (end < n && text[end] != u',' && text[end] != u'\n')
                ++end;
            qsizetype stop = end;
            if (stop < n && text[stop] == u'\n' && stop > i && text[stop - 1] == u'\r')
                --stop;
            field += text.mid(i, stop - i);
            record.fields << field;
            i = end;
            if (i < n && text[i] == u',') {
                ++i;
                if (!atLineEnd(text, i))
                    continue;
                // A comma at the end of the line leaves a last empty field.
                record.fields << QString();
            }
            i = skipLineEnd(text, i, &line);
            break;
        }
        records->push_back(std::move(record));
    }
    return true;
}

QStringList splitLine(QStringView line)
{
    std::vector<Record> records;
    parse(line, &records);
    return records.empty() ? QStringList() : records.front().fields;
}

qsizetype fieldCount(QStringView line)
{
    // The first record as parse() takes it apart, counted instead of copied.
    const qsizetype n = line.size();
    if (atLineEnd(line, 0))
        return 0;
    qsizetype count = 0;
    qsizetype i = 0;
    for (;;) {
        ++count;
        if (i < n && line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed)
                return count;
        }
        while (i < n && line[i] != u',' && line[i] != u'\n')
            ++i;
        if (i < n && line[i] == u',') {
            ++i;
            if (!atLineEnd(line, i))
                continue;
            return count + 1; // the empty field after a comma at the line end
        }
        return count;
    }
}

QString field(const QString &text)
{
    for (const QChar c : text) {
        if (breaksFields(c.unicode()))
            return quoted(text);
    }
    return text;
}

QByteArray field(const QByteArray &bytes)
{
    for (char ch : bytes) {
        if (breaksFields(char16_t(uchar(ch)))) {
            QByteArray text = bytes;
            text.replace("\"", "\"\"");
            return '"' + text + '"';
        }
    }
    return bytes;
}

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString joinLine(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += field(fields[i]);
    }
    return line;
}

QString nameFilter()
{
    return QStringLiteral("組成のマトリクスデータ(*.csv)|*.csv");
}

} // namespace Zelkor::Csv
