#include "table/commatext.h"

#include "table/bytescan.h"

#include <limits>
#include <vector>

namespace Zelkor {
namespace CommaText {

namespace {

// Blanks and control characters (NUL included) end an unquoted field and are skipped between
// fields.
template<typename C>
bool isBlank(C c)
{
    return c <= C(' ');
}

template<typename C>
bool mustQuote(const C *s, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (isBlank(s[i]) || s[i] == C('"') || s[i] == C(','))
            return true;
    return false;
}

// The one splitter behind all forms: calls emit(index, units, count) for each field, the units
// unquoted (pointing into the line or into a scratch buffer). With SkipEmpty, empty fields are
// counted but not emitted, and a run of commas (a run of empty cells) is passed over at once.
template<bool SkipEmpty = false, typename C, typename Emit>
qsizetype splitUnits(const C *s, qsizetype n, qsizetype maxFields, Emit emit)
{
    std::vector<C> scratch;
    qsizetype count = 0;
    qsizetype i = 0;
    while (i < n && isBlank(s[i]))
        ++i;
    while (i < n && count < maxFields) {
        if (s[i] == C('"')) {
            const qsizetype start = ++i;
            qsizetype end = -1;
            bool doubled = false;
            while (i < n) {
                if (s[i] == C('"')) {
                    if (i + 1 < n && s[i + 1] == C('"')) {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    end = i++;
                    break;
                }
                ++i;
            }
            if (end < 0) // no closing quote: the field runs to the end of the line
                end = n;
            if (SkipEmpty && end == start) {
                // "": an empty field
            } else if (!doubled) {
                emit(count, s + start, end - start);
            } else {
                // Every quote inside the field is the first of a doubled pair.
                scratch.clear();
                for (qsizetype k = start; k < end; ++k) {
                    scratch.push_back(s[k]);
                    if (s[k] == C('"'))
                        ++k;
                }
                emit(count, scratch.data(), qsizetype(scratch.size()));
            }
        } else if (SkipEmpty && s[i] == C(',')) {
            // An empty field at a comma, and a run of them: every comma of the run but the last
            // of the line is one empty field and is passed over; a comma that ends the line
            // stands between two empty fields.
            if constexpr (SkipEmpty) {
                static_assert(sizeof(C) == 1, "runs are passed over in bytes");
                const auto *run = reinterpret_cast<const char *>(s);
                const qsizetype j = skipByteRun(run + i, run + n, ',') - run;
                const qsizetype fields = j - i + (j == n ? 1 : 0);
                count = fields >= maxFields - count ? maxFields : count + fields;
                if (j == n)
                    break;
                i = j;
                while (i < n && isBlank(s[i]))
                    ++i;
                continue;
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(s[i]) && s[i] != C(','))
                ++i;
            emit(count, s + start, i - start);
        }
        ++count;
        while (i < n && isBlank(s[i]))
            ++i;
        if (i < n && s[i] == C(',')) {
            if (i + 1 == n) {
                // A comma that ends the line stands before one more, empty field.
                if (count < maxFields) {
                    if constexpr (!SkipEmpty)
                        emit(count, s + i, 0);
                    ++count;
                }
                break;
            }
            ++i;
            while (i < n && isBlank(s[i]))
                ++i;
        }
    }
    return count;
}

void appendQuotedText(QString *out, QStringView cell)
{
    const char16_t *s = cell.utf16();
    const qsizetype n = cell.size();
    if (!mustQuote(s, n)) {
        out->append(cell);
        return;
    }
    out->append(QLatin1Char('"'));
    qsizetype from = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == u'"') {
            out->append(cell.mid(from, i + 1 - from));
            out->append(QLatin1Char('"'));
            from = i + 1;
        }
    }
    out->append(cell.mid(from));
    out->append(QLatin1Char('"'));
}

} // namespace

bool needsQuotes(QStringView cell)
{
    return mustQuote(cell.utf16(), cell.size());
}

bool needsQuotes(QByteArrayView cell)
{
    return mustQuote(reinterpret_cast<const unsigned char *>(cell.data()), cell.size());
}

QString quoted(const QString &cell)
{
    QString out;
    out.reserve(cell.size() + 2);
    appendQuotedText(&out, cell);
    return out;
}

QString join(const QStringList &cells)
{
    QString out;
    for (qsizetype k = 0; k < cells.size(); ++k) {
        if (k > 0)
            out.append(QLatin1Char(','));
        appendQuotedText(&out, cells[k]);
    }
    return out;
}

QStringList split(QStringView line)
{
    QStringList fields;
    splitUnits(line.utf16(), line.size(), std::numeric_limits<qsizetype>::max(),
               [&fields](qsizetype, const char16_t *units, qsizetype n) {
                   fields.append(QString(reinterpret_cast<const QChar *>(units), n));
               });
    return fields;
}

void appendQuoted(QByteArray *out, QByteArrayView cell)
{
    // Compared as unsigned bytes, so that bytes from 0x80 up are never taken for blanks.
    const auto *s = reinterpret_cast<const unsigned char *>(cell.data());
    if (!mustQuote(s, cell.size())) {
        out->append(cell.data(), cell.size());
        return;
    }
    out->append('"');
    qsizetype from = 0;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (s[i] == '"') {
            out->append(cell.data() + from, i + 1 - from);
            out->append('"');
            from = i + 1;
        }
    }
    out->append(cell.data() + from, cell.size() - from);
    out->append('"');
}

qsizetype splitBytes(QByteArrayView line, qsizetype maxFields,
                     const std::function<void(qsizetype, QByteArrayView)> &field)
{
    return splitUnits(reinterpret_cast<const unsigned char *>(line.data()), line.size(), maxFields,
                      [&field](qsizetype index, const unsigned char *units, qsizetype n) {
                          field(index, QByteArrayView(reinterpret_cast<const char *>(units), n));
                      });
}

qsizetype splitNonEmptyBytes(QByteArrayView line, qsizetype maxFields,
                             const std::function<void(qsizetype, QByteArrayView)> &field)
{
    return splitUnits<true>(reinterpret_cast<const unsigned char *>(line.data()), line.size(), maxFields,
                            [&field](qsizetype index, const unsigned char *units, qsizetype n) {
                                field(index, QByteArrayView(reinterpret_cast<const char *>(units), n));
                            });
}

} // namespace CommaText
} // namespace Zelkor
