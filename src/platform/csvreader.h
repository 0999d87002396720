#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <vector>

class QIODevice;

namespace Zelkor::Csv {

/// Reads the records of a comma-separated file one at a time, exactly as parse() reads them from
/// the file's text, through a window of the file's bytes: memory stays at the window and the
/// longest record, whatever the size of the file. The separators (the comma, the double quote,
/// CR and LF) are ASCII, and neither UTF-8 nor Shift-JIS (CP932) has an ASCII byte inside a
/// character, so the records are taken apart in bytes and the caller decodes each field as the
/// file's encoding says.
class RecordReader
{
public:
    enum class Status
    {
        Record,   ///< a record was read
        End,      ///< no more records
        Unclosed, ///< the file ends inside a quoted field: the last record runs to its end
        Failed,   ///< the file could not be read
    };

    /// Reads file (open for reading) from its current position up to `size` bytes further, in
    /// pieces of `window` bytes (at least one).
    RecordReader(QIODevice *file, qint64 size, qsizetype window = qsizetype(1) << 20);
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    /// Reads the next record. Its fields (unquoted) are valid until the next call.
    Status next();
    /// The 1-based line on which the record read last starts.
    int line() const { return m_recordLine; }
    /// The fields of the record read last; an empty line has none.
    const std::vector<QByteArrayView> &fields() const { return m_fields; }
    /// The bytes of the file passed so far.
    qint64 position() const { return m_offset - (m_end - m_pos); }

private:
    bool readMore();
    qsizetype recordEnd(bool *unclosed, bool *failed);
    void split(const char *s, qsizetype n);

    QIODevice *m_file;
    qint64 m_left;
    qsizetype m_window;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    qint64 m_offset = 0;
    bool m_atEnd = false;
    int m_line = 1;
    int m_recordLine = 0;
    std::vector<QByteArrayView> m_fields;
    // Where split() found the fields: in the window, or copied unquoted into m_unquoted.
    struct Piece
    {
        qsizetype at;
        qsizetype size;
        bool inArena;
    };
    std::vector<Piece> m_pieces;
    QByteArray m_unquoted;
};

} // namespace Zelkor::Csv
