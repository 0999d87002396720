#include "platform/recordfile.h"

#include "platform/fileaccess.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace Zelkor {

bool RecordFile::open(const QString &fileName, int recordSize)
{
    close();
    m_error.clear();
    const QString name = QDir::toNativeSeparators(fileName);
    if (recordSize <= 0) {
        m_error = QStringLiteral("ファイル「%1」のレコード長 %2 が正しくありません").arg(name).arg(recordSize);
        return false;
    }
    // Only a regular file is opened: a pipe would be waited on for ever.
    if (!openRegularFile(&m_file, fileName, &m_error))
        return false;
    m_recordSize = recordSize;
    m_size = m_file.size();
    return true;
}

void RecordFile::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_recordSize = 0;
    m_windowStart = 0;
    m_windowSize = 0;
    m_windowBytes = 0;
}

qint64 RecordFile::recordCount() const
{
    if (!m_file.isOpen() || m_recordSize <= 0)
        return 0;
    // The size read at opening: the file is only read, and a file cut short later still fails
    // its reads cleanly.
    return m_size / m_recordSize;
}

bool RecordFile::readRecord(qint64 n, QByteArray *out)
{
    const char *data = record(n);
    if (!data)
        return false;
    if (out) {
        out->resize(m_recordSize);
        std::memcpy(out->data(), data, std::size_t(m_recordSize));
    }
    return true;
}

const char *RecordFile::record(qint64 n)
{
    m_error.clear();
    const auto name = [this] { return QDir::toNativeSeparators(m_file.fileName()); };
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("レコードファイルが開かれていません");
        return nullptr;
    }
    const qint64 count = recordCount();
    if (n < 0 || n >= count) {
        m_error = QStringLiteral("ファイル「%1」にレコード %2 はありません（レコード数 %3）")
                      .arg(name(), QString::number(n), QString::number(count));
        return nullptr;
    }
    const qint64 offset = n * m_recordSize;
    if (offset >= m_windowStart && offset + m_recordSize <= m_windowStart + m_windowSize)
        return m_window.constData() + (offset - m_windowStart);

    // Records read one after another come from a window that grows while the reading goes on
    // in order; a jump elsewhere starts again with a small one.
    const bool onwards = offset == m_windowStart + m_windowSize && m_windowSize > 0;
    m_windowBytes = onwards ? qMin<qint64>(m_windowBytes * 2, kMaxWindowBytes) : m_recordSize;
    const qint64 want = qMax<qint64>(m_windowBytes, m_recordSize);
    m_window.resize(qsizetype(want));
    m_windowStart = offset;
    m_windowSize = 0;
    const int fd = m_file.handle();
    while (m_windowSize < want) {
        const ssize_t r = ::pread(fd, m_window.data() + m_windowSize, size_t(want - m_windowSize),
                                  off_t(offset + m_windowSize));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            m_windowSize = 0;
            m_error = QStringLiteral("ファイル「%1」のレコード %2 を読めません（%3）")
                          .arg(name(), QString::number(n), systemErrorText(e));
            return nullptr;
        }
        if (r == 0)
            break;
        m_windowSize += r;
    }
    if (m_windowSize < m_recordSize) {
        m_error = QStringLiteral("ファイル「%1」のレコード %2 が途中で切れています").arg(name(), QString::number(n));
        return nullptr;
    }
    return m_window.constData();
}

} // namespace Zelkor
