#include "platform/textfile.h"

#include "platform/cp932.h"
#include "platform/fileaccess.h"
#include "platform/safesavefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Zelkor {

namespace {

QString displayName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// Encoded lines are collected and handed to the file in large pieces.
constexpr qsizetype kFlushBytes = 1 << 20;

} // namespace

// ---------------------------------------------------------------------------------------------
// TextFileReader

bool TextFileReader::read(const QString &fileName)
{
    m_lines.clear();
    const bool ok = readLines(fileName, [this](qint64, QString &text) {
        m_lines.append(std::move(text));
        return true;
    });
    if (!ok)
        m_lines.clear();
    return ok;
}

bool TextFileReader::readLines(const QString &fileName, const LineHandler &onLine)
{
    m_error.clear();

    const QString name = displayName(fileName);
    QFile file;
    // Only a regular file is read: a pipe or a device would be waited on for ever.
    if (!openRegularFile(&file, fileName, &m_error))
        return false;
    const QString tooLarge = QStringLiteral("ファイル「%1」が大きすぎます（%2 バイトまで）")
                                 .arg(name, QString::number(m_maxBytes));
    if (!file.isSequential() && file.size() > m_maxBytes) {
        m_error = tooLarge;
        return false;
    }

    // The file is read in pieces and each piece split into lines at once: the raw bytes of a
    // large file are never held whole beside its lines.
    constexpr qsizetype kChunk = qsizetype(1) << 20;
    QByteArray data;   // the unfinished last line of the pieces so far, then the next piece
    qsizetype searched = 0; // the bytes of that line already searched for its end
    qint64 total = 0;
    qint64 lineNumber = 0;
    QString text;
    QString error;
    for (;;) {
        const qsizetype kept = data.size();
        data.resize(kept + kChunk);
        const qint64 got = file.read(data.data() + kept, kChunk);
        if (got < 0) {
            m_error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(name, systemErrorText(EIO));
            return false;
        }
        data.resize(kept + got);
        total += got;
        if (total > m_maxBytes) { // also a file that grew while it was read
            m_error = tooLarge;
            return false;
        }
        const bool atEnd = got == 0;

        const char *const begin = data.constData();
        const char *const end = begin + data.size();
        const char *p = begin;
        while (p < end) {
            // A long line is searched for its end once, not again with every piece.
            const char *from = p + searched;
            const char *nl = static_cast<const char *>(std::memchr(from, '\n', size_t(end - from)));
            searched = 0;
            if (!nl && !atEnd) {
                searched = end - p;
                break; // the line goes on in the next piece
            }
            const char *lineEnd = nl ? nl : end;
            // CR LF ends a line like LF; a CR as the very last byte is a line end cut short.
            const char *textEnd = lineEnd;
            if (textEnd > p && textEnd[-1] == '\r')
                --textEnd;
            ++lineNumber;
            if (!Cp932::decode(QByteArray::fromRawData(p, textEnd - p), &text, &error)) {
                m_error = QStringLiteral("ファイル「%1」の %2 行目: %3")
                              .arg(name, QString::number(lineNumber), error);
                return false;
            }
            if (!onLine(lineNumber, text))
                return false;
            text = QString();
            p = nl ? nl + 1 : end;
        }
        if (atEnd)
            break;
        data.remove(0, p - begin);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TextFileWriter

struct TextFileWriter::Private
{
    explicit Private(const QString &fileName) : file(fileName), name(fileName) {}

    SafeSaveFile file;
    QString name;
    QByteArray buffer;
    qint64 line = 1;       // the line the next text goes to, 1-based
    bool opened = false;
    bool failed = false;   // an encoding or write error happened; commit will refuse
    bool finished = false; // committed or cancelled
};

TextFileWriter::TextFileWriter(const QString &fileName) : d(new Private(fileName)) {}

TextFileWriter::~TextFileWriter()
{
    cancel();
    delete d;
}

bool TextFileWriter::open()
{
    if (d->opened) {
        m_error = QStringLiteral("ファイル「%1」はすでに書き込み中です").arg(displayName(d->name));
        return false;
    }
    if (!d->file.open()) {
        m_error = d->file.errorString();
        d->finished = true;
        return false;
    }
    d->opened = true;
    d->buffer.reserve(kFlushBytes + 4096);
    return true;
}

void TextFileWriter::writeCp932Bytes(const QByteArray &bytes)
{
    if (m_encoding == TextEncoding::Utf8)
        writeBytes(Cp932::decodeLossy(bytes).toUtf8());
    else
        writeBytes(bytes);
}

void TextFileWriter::write(const QString &text)
{
    if (!d->opened || d->failed || d->finished)
        return;
    if (m_encoding == TextEncoding::Utf8) {
        writeBytes(text.toUtf8());
        return;
    }
    QByteArray bytes;
    QString error;
    if (!Cp932::encode(text, &bytes, &error)) {
        d->failed = true;
        m_error = QStringLiteral("ファイル「%1」の %2 行目: %3")
                      .arg(displayName(d->name), QString::number(d->line), error);
        d->buffer.clear();
        return;
    }
    writeBytes(bytes);
}

void TextFileWriter::writeLine(const QString &line)
{
    write(line);
    writeBytes(QByteArrayLiteral("\r\n"));
}

void TextFileWriter::writeBytes(const QByteArray &bytes)
{
    if (!d->opened || d->failed || d->finished)
        return;
    d->line += bytes.count('\n');
    d->buffer.append(bytes);
    if (d->buffer.size() >= kFlushBytes)
        flushBuffer();
}

void TextFileWriter::flushBuffer()
{
    const bool written = d->file.write(d->buffer);
    d->buffer.resize(0); // keeps the capacity for the next lines
    if (!written) {
        d->failed = true;
        m_error = d->file.errorString();
    }
}

bool TextFileWriter::commit()
{
    if (!d->opened || d->finished) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("ファイル「%1」は書き込み用に開かれていません").arg(displayName(d->name));
        return false;
    }
    if (!d->failed && !d->buffer.isEmpty())
        flushBuffer();
    if (d->failed) {
        cancel();
        return false;
    }
    d->finished = true;
    // Every write, the sync and the close are checked before the old file is replaced.
    if (!d->file.commit()) {
        m_error = d->file.errorString();
        return false;
    }
    return true;
}

void TextFileWriter::cancel()
{
    d->buffer.clear();
    if (!d->opened || d->finished)
        return;
    d->finished = true;
    d->file.cancel();
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("utf-8") : QStringLiteral("cp932");
}

bool encodingFromName(const QString &name, TextEncoding *encoding)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("utf-8") || key == QLatin1String("utf8")) {
        *encoding = TextEncoding::Utf8;
        return true;
    }
    if (key == QLatin1String("cp932") || key == QLatin1String("shift_jis") || key == QLatin1String("sjis")) {
        *encoding = TextEncoding::Cp932;
        return true;
    }
    return false;
}

bool writeTextFile(const QString &fileName, const QStringList &lines, QString *error, TextEncoding encoding)
{
    TextFileWriter writer(fileName);
    writer.setEncoding(encoding);
    if (!writer.open()) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    for (const QString &line : lines)
        writer.writeLine(line);
    if (!writer.commit()) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
