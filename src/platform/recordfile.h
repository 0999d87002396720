#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace Zelkor {

/// A file of fixed-size records, opened read-only. Record n starts at byte n × recordSize.
class RecordFile
{
public:
    /// Opens fileName for reading with the given record size; false with errorString() when the
    /// file cannot be opened. Reopening an open file closes it first.
    bool open(const QString &fileName, int recordSize);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    /// Number of whole records in the file.
    qint64 recordCount() const;
    /// Reads record n into *out (resized to the record size). False when n is outside the file,
    /// the record is cut short by the end of the file, or the read fails; *out then holds no
    /// meaningful data.
    bool readRecord(qint64 n, QByteArray *out);

    /// Record n (the record size in bytes), or nullptr with errorString() as readRecord() fails.
    /// The bytes stay valid until the next read or close; records read in order cost no
    /// system call each.
    const char *record(qint64 n);

    int recordSize() const { return m_recordSize; }
    QString errorString() const { return m_error; }

private:
    QFile m_file;
    int m_recordSize = 0;
    qint64 m_size = 0;
    QString m_error;
    // The bytes read last: a window of the file that records are taken from.
    static constexpr qint64 kMaxWindowBytes = 256 * 1024;
    QByteArray m_window;
    qint64 m_windowStart = 0;
    qint64 m_windowSize = 0;
    qint64 m_windowBytes = 0;
};

} // namespace Zelkor
