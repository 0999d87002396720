#include "database/synonymdictionary.h"

#include "platform/cp932.h"
#include "platform/fileaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace Zelkor {

namespace {

// A line longer than this is no dictionary entry; it is skipped without holding it in memory.
constexpr qsizetype kMaxLineBytes = 64 * 1024;
constexpr qint64 kChunkBytes = 1024 * 1024;

// Position of the first CR or LF at or after from, -1 when there is none.
qsizetype lineEnd(const QByteArray &bytes, qsizetype from)
{
    const char *data = bytes.constData();
    for (qsizetype i = from; i < bytes.size(); ++i)
        if (data[i] == '\n' || data[i] == '\r')
            return i;
    return -1;
}

} // namespace

void SynonymDictionary::append(const QString &synonym, const QString &commonName)
{
    ++m_entryCount;
    // Entries are only ever added, so the first definition of a synonym is the one a search
    // from the top finds; a later one is counted but never reached.
    const QString key = synonym.toCaseFolded();
    if (!m_index.contains(key))
        m_index.insert(key, commonName);
}

bool SynonymDictionary::load(const QString &dicFile)
{
    m_skippedLines = 0;
    m_emptyNameLines = 0;
    m_error.clear();
    const QString shown = QDir::toNativeSeparators(dicFile);
    const QFileInfo info(dicFile);
    if (!info.exists() || info.isDir()) {
        m_error = QStringLiteral("異名辞書ファイル「%1」がありません").arg(shown);
        return false;
    }
    // A device or a pipe never ends: only regular files are read.
    QFile file;
    QString why;
    if (!openRegularFile(&file, dicFile, &why)) {
        m_error = QStringLiteral("異名辞書%1").arg(why);
        return false;
    }

    auto takeLine = [&](const QByteArray &line) {
        if (line.isEmpty())
            return;
        QString text;
        if (!Cp932::decode(line, &text)) {
            ++m_skippedLines;
            return;
        }
        const qsizetype comma = text.indexOf(QLatin1Char(','));
        if (comma <= 0)
            return;
        // A synonym of no name would gather every species mapped to it into one nameless row.
        if (comma == text.size() - 1) {
            ++m_emptyNameLines;
            return;
        }
        append(text.left(comma), text.mid(comma + 1));
    };

    QByteArray pending;
    bool overlong = false; // the current line passed kMaxLineBytes: drop it up to its end
    while (true) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                m_error = QStringLiteral("異名辞書ファイル「%1」を最後まで読めませんでした（%2）")
                              .arg(shown, systemErrorText(EIO));
            break;
        }
        qsizetype start = 0;
        while (start < chunk.size()) {
            // CR LF, LF and a lone CR all end a line (the empty line between CR and LF adds
            // nothing).
            const qsizetype lf = lineEnd(chunk, start);
            const qsizetype end = lf < 0 ? chunk.size() : lf;
            if (!overlong) {
                pending.append(chunk.constData() + start, end - start);
                if (pending.size() > kMaxLineBytes) {
                    overlong = true;
                    pending.clear();
                }
            }
            if (lf < 0)
                break;
            if (overlong)
                ++m_skippedLines;
            else
                takeLine(pending);
            pending.clear();
            overlong = false;
            start = lf + 1;
        }
    }
    if (overlong)
        ++m_skippedLines;
    else if (!pending.isEmpty())
        takeLine(pending);
    return true;
}

QString SynonymDictionary::synToCommonName(const QString &synName) const
{
    if (m_index.isEmpty())
        return synName;
    // The folded key is built in a buffer kept between calls, so that a look-up allocates
    // nothing; character by character it folds as QString::toCaseFolded() does.
    thread_local QString key;
    const qsizetype n = synName.size();
    key.resize(n);
    QChar *out = key.data();
    const QChar *in = synName.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c < 0x80) {
            out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (QChar::isSurrogate(c)) {
            // Characters beyond the BMP fold as pairs: the general routine does that.
            const auto it = m_index.constFind(synName.toCaseFolded());
            return it == m_index.constEnd() ? synName : it.value();
        } else {
            out[i] = QChar(char16_t(QChar::toCaseFolded(char32_t(c))));
        }
    }
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return synName;
    return it.value();
}

} // namespace Zelkor
