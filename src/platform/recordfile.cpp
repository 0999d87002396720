#include "platform/recordfile.h"

#include <QDir>
#include <QFileInfo>

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
    if (!QFileInfo::exists(fileName)) {
        m_error = QStringLiteral("ファイル「%1」がありません").arg(name);
        return false;
    }
    m_file.setFileName(fileName);
    if (QFileInfo(fileName).isDir() || !m_file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("ファイル「%1」を開けません（%2）").arg(name, m_file.errorString());
        m_file.close();
        return false;
    }
    if (m_file.isSequential()) {
        m_error = QStringLiteral("ファイル「%1」は通常のファイルではありません").arg(name);
        m_file.close();
        return false;
    }
    m_recordSize = recordSize;
    m_size = m_file.size();
    return true;
}

void RecordFile::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_recordSize = 0;
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
    m_error.clear();
    const auto name = [this] { return QDir::toNativeSeparators(m_file.fileName()); };
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("レコードファイルが開かれていません");
        return false;
    }
    const qint64 count = recordCount();
    if (n < 0 || n >= count) {
        m_error = QStringLiteral("ファイル「%1」にレコード %2 はありません（レコード数 %3）")
                      .arg(name(), QString::number(n), QString::number(count));
        return false;
    }
    QByteArray scratch;
    QByteArray &record = out ? *out : scratch;
    record.resize(m_recordSize);
    if (!m_file.seek(n * m_recordSize)) {
        m_error = QStringLiteral("ファイル「%1」のレコード %2 を読めません（%3）")
                      .arg(name(), QString::number(n), m_file.errorString());
        return false;
    }
    qint64 got = 0;
    while (got < m_recordSize) {
        const qint64 r = m_file.read(record.data() + got, m_recordSize - got);
        if (r < 0) {
            m_error = QStringLiteral("ファイル「%1」のレコード %2 を読めません（%3）")
                          .arg(name(), QString::number(n), m_file.errorString());
            return false;
        }
        if (r == 0)
            break;
        got += r;
    }
    if (got != m_recordSize) {
        m_error = QStringLiteral("ファイル「%1」のレコード %2 が途中で切れています").arg(name(), QString::number(n));
        return false;
    }
    return true;
}

} // namespace Zelkor
