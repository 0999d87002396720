#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace Zelkor {

/// The encodings the program writes text in: CP932 (Windows Shift-JIS, its own files and the
/// default everywhere) and UTF-8 without a byte-order mark, for CSV files that R, Python and
/// other tools read.
enum class TextEncoding { Cp932, Utf8 };

/// "cp932" or "utf-8", as the command line and the settings file name them.
QString encodingName(TextEncoding encoding);
/// The encoding a name gives ("cp932", "shift_jis", "utf-8", "utf8" in any case); false when it
/// names none.
bool encodingFromName(const QString &name, TextEncoding *encoding);

/// Reads a whole CP932 text file as lines. CR LF and LF-only line ends are both accepted; a last
/// line without a line end counts, a final line end does not start an empty line.
class TextFileReader
{
public:
    /// Reads the file; returns false with errorString() set (missing file, no regular file such
    /// as a pipe or a device, read error, a line that does not decode: the message names the
    /// line).
    bool read(const QString &fileName);

    /// Receives one line: its 1-based number and its text, which it may take. Returning false
    /// stops the reading.
    using LineHandler = std::function<bool(qint64 lineNumber, QString &text)>;
    /// Reads the file as read() does but hands each line to onLine instead of keeping it, so
    /// that memory stays at the longest line. False with errorString() for the failures read()
    /// reports; false with an empty errorString() when onLine stopped the reading.
    bool readLines(const QString &fileName, const LineHandler &onLine);

    /// Reads at most maxBytes bytes; a larger file is an error (protects against huge inputs).
    void setMaxBytes(qint64 maxBytes) { m_maxBytes = maxBytes; }

    const QStringList &lines() const { return m_lines; }
    QString errorString() const { return m_error; }

private:
    QStringList m_lines;
    QString m_error;
    qint64 m_maxBytes = qint64(4) * 1024 * 1024 * 1024;
};

/// Writes a CP932 (or UTF-8) text file with CR LF line ends, safely (SafeSaveFile): the lines go to a
/// temporary file beside the target, which replaces the target only when every write, the sync to
/// the disk and the close have succeeded. A failed write (a full disk too) leaves any old file
/// untouched; a target that is no regular file is never replaced.
class TextFileWriter
{
public:
    explicit TextFileWriter(const QString &fileName);
    /// Discards the write unless it was committed.
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter &) = delete;
    TextFileWriter &operator=(const TextFileWriter &) = delete;

    /// Writes UTF-8 instead of CP932 (set before the first line).
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }

    /// Opens the temporary file; false with errorString() when it cannot be created.
    bool open();
    /// Appends one line and its CR LF. A character without a CP932 form makes the write fail at
    /// commit, with the line number in errorString().
    void writeLine(const QString &line);
    /// Appends text without a line end.
    void write(const QString &text);
    /// Appends raw bytes (already encoded).
    void writeBytes(const QByteArray &bytes);
    /// Appends text already in CP932 bytes (a label cut to a byte width): as it is in a CP932
    /// file, converted in a UTF-8 one.
    void writeCp932Bytes(const QByteArray &bytes);
    /// Finishes: renames the temporary file over the target. False with errorString() if any
    /// earlier step failed; the target then keeps its old content.
    bool commit();
    /// Drops everything written; the target is not touched.
    void cancel();

    QString errorString() const { return m_error; }

private:
    /// Writes the buffered bytes to the temporary file; a short write fails the whole write.
    void flushBuffer();

    struct Private;
    Private *d;
    QString m_error;
    TextEncoding m_encoding = TextEncoding::Cp932;
};

/// Writes all lines to fileName as with TextFileWriter; false with *error set on failure.
bool writeTextFile(const QString &fileName, const QStringList &lines, QString *error = nullptr,
                   TextEncoding encoding = TextEncoding::Cp932);

} // namespace Zelkor
