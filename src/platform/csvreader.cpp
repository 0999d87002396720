#include "platform/csvreader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace Zelkor::Csv {

RecordReader::RecordReader(QIODevice *file, qint64 size, qsizetype window)
    : m_file(file), m_left(std::max<qint64>(size, 0)), m_window(std::max<qsizetype>(window, 1))
{
}

RecordReader::~RecordReader() = default;

// Reads the next piece behind the bytes not used yet (moved to the front first); at the end of
// the file's part sets m_atEnd. False on a read error.
bool RecordReader::readMore()
{
    if (m_pos > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_pos, std::size_t(m_end - m_pos));
        m_end -= m_pos;
        m_pos = 0;
    }
    const qsizetype want = qsizetype(std::min<qint64>(m_window, m_left));
    if (want == 0) {
        m_atEnd = true;
        return true;
    }
    if (m_end + want > m_capacity) {
        const qsizetype capacity = std::max(m_capacity * 2, m_end + want);
        std::unique_ptr<char[]> bigger(new char[std::size_t(capacity)]);
        if (m_end > 0)
            std::memcpy(bigger.get(), m_buffer.get(), std::size_t(m_end));
        m_buffer = std::move(bigger);
        m_capacity = capacity;
    }
    const qint64 got = m_file->read(m_buffer.get() + m_end, want);
    if (got < 0)
        return false;
    if (got == 0)
        m_atEnd = true; // the file is shorter than it was
    m_end += got;
    m_offset += got;
    m_left -= got;
    return true;
}

// The length of the record at m_pos with its line end, the whole record in the window: a line
// feed ends it unless it lies inside a quoted field, which starts with a double quote at the
// start of a field and ends at a double quote that is not doubled. *unclosed when the file
// ends inside a quoted field.
qsizetype RecordReader::recordEnd(bool *unclosed, bool *failed)
{
    enum State { FieldStart, Quoted, Unquoted };
    State state = FieldStart;
    qsizetype at = 0; // from m_pos
    *unclosed = false;
    for (;;) {
        const char *const base = m_buffer.get() + m_pos;
        const qsizetype n = m_end - m_pos;
        bool needMore = false;
        while (at < n && !needMore) {
            const char c = base[at];
            switch (state) {
            case FieldStart:
                // A line end at the start of a field ends the record (an empty line, or a comma
                // at the end of the line).
                if (c == '\n')
                    return at + 1;
                if (c == '\r') {
                    if (at + 1 >= n && !m_atEnd) {
                        needMore = true;
                        break;
                    }
                    if (at + 1 < n && base[at + 1] == '\n')
                        return at + 2;
                }
                if (c == '"') {
                    state = Quoted;
                    ++at;
                } else {
                    state = Unquoted;
                }
                break;
            case Quoted: {
                const void *quote = std::memchr(base + at, '"', std::size_t(n - at));
                if (!quote) {
                    at = n;
                    break;
                }
                at = static_cast<const char *>(quote) - base;
                if (at + 1 >= n && !m_atEnd) {
                    needMore = true;
                    break;
                }
                if (at + 1 < n && base[at + 1] == '"') {
                    at += 2;
                } else {
                    state = Unquoted;
                    ++at;
                }
                break;
            }
            case Unquoted:
                while (at < n && base[at] != ',' && base[at] != '\n')
                    ++at;
                if (at < n) {
                    if (base[at] == '\n')
                        return at + 1;
                    state = FieldStart;
                    ++at;
                }
                break;
            }
        }
        if (at >= n && m_atEnd) {
            *unclosed = state == Quoted;
            return n;
        }
        if (!readMore()) {
            *failed = true;
            return 0;
        }
    }
}

// Takes apart the one record of s[0..n), as parse() does: a field that starts with a double
// quote runs to the closing quote (doubled quotes made single, line feeds included), the text
// after it to the next comma is part of the field; a CR before the line feed is no part of the
// last field; a comma at the end of the line leaves a last empty field.
void RecordReader::split(const char *s, qsizetype n)
{
    std::vector<Piece> &pieces = m_pieces;
    pieces.clear();
    m_unquoted.resize(0);
    auto atLineEnd = [&](qsizetype i) { return i == n || s[i] == '\n' || (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n'); };
    qsizetype i = 0;
    if (!atLineEnd(i)) {
        for (;;) {
            qsizetype quotedAt = -1;  // the field's quoted part in s, when it needs no copy
            qsizetype quotedSize = 0;
            const qsizetype arenaAt = m_unquoted.size();
            bool inArena = false;
            if (i < n && s[i] == '"') {
                ++i;
                const qsizetype start = i;
                while (i < n) {
                    if (s[i] == '"') {
                        if (i + 1 < n && s[i + 1] == '"') {
                            if (!inArena) {
                                m_unquoted.append(s + start, i - start);
                                inArena = true;
                            }
                            m_unquoted.append('"');
                            i += 2;
                            continue;
                        }
                        break;
                    }
                    if (inArena)
                        m_unquoted.append(s[i]);
                    ++i;
                }
                if (!inArena) {
                    quotedAt = start;
                    quotedSize = i - start;
                }
                if (i >= n) { // not closed: the field runs to the end
                    pieces.push_back(inArena ? Piece{arenaAt, m_unquoted.size() - arenaAt, true} : Piece{quotedAt, quotedSize, false});
                    break;
                }
                ++i; // the closing quote
            }
            qsizetype end = i;
            while (end < n && s[end] != ',' && s[end] != '\n')
                ++end;
            qsizetype stop = end;
            if (stop < n && s[stop] == '\n' && stop > i && s[stop - 1] == '\r')
                --stop;
            if (quotedAt < 0 && !inArena) {
                pieces.push_back(Piece{i, stop - i, false});
            } else if (stop == i) {
                pieces.push_back(inArena ? Piece{arenaAt, m_unquoted.size() - arenaAt, true} : Piece{quotedAt, quotedSize, false});
            } else {
                if (!inArena)
                    m_unquoted.append(s + quotedAt, quotedSize);
                m_unquoted.append(s + i, stop - i);
                pieces.push_back(Piece{arenaAt, m_unquoted.size() - arenaAt, true});
            }
            i = end;
            if (i < n && s[i] == ',') {
                ++i;
                if (!atLineEnd(i))
                    continue;
                pieces.push_back(Piece{i, 0, false});
            }
            break;
        }
    }
    m_fields.clear();
    for (const Piece &p : pieces)
        m_fields.emplace_back((p.inArena ? m_unquoted.constData() : s) + p.at, p.size);
}

RecordReader::Status RecordReader::next()
{
    m_fields.clear();
    if (m_pos == m_end && !m_atEnd && !readMore())
        return Status::Failed;
    if (m_pos == m_end)
        return Status::End;
    bool unclosed = false;
    bool failed = false;
    const qsizetype n = recordEnd(&unclosed, &failed);
    if (failed)
        return Status::Failed;
    const char *s = m_buffer.get() + m_pos;
    split(s, n);
    m_recordLine = m_line;
    m_line += int(std::count(s, s + n, '\n'));
    m_pos += n;
    return unclosed ? Status::Unclosed : Status::Record;
}

} // namespace Zelkor::Csv
