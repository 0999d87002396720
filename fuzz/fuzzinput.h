#pragma once

// What every fuzz target shares: a private folder for the files it hands to the readers, and
// the splitting of one input into the parts of a file pair.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace Zelkor::Fuzz {

/// A folder that lives as long as the fuzzing run; in memory where the system has such a place,
/// since the writers sync every file they write.
inline const QTemporaryDir &folder()
{
    static const QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isDir()
                                       ? QStringLiteral("/dev/shm/zelkor-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/zelkor-fuzz-XXXXXX"));
    return dir;
}

/// Writes bytes to name in the folder and returns its path.
inline QString writeFile(const char *name, const QByteArray &bytes)
{
    const QString path = folder().filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

/// The input as bytes.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

/// Splits an input into two files' contents: the first four bytes give the length of the first
/// part (little-endian, taken modulo what is there), the rest is the second part.
inline std::pair<QByteArray, QByteArray> splitPair(const uint8_t *data, size_t size)
{
    if (size < 4)
        return {bytes(data, size), QByteArray()};
    const quint32 n = quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
    const size_t first = size == 4 ? 0 : size_t(n) % (size - 4 + 1);
    return {bytes(data + 4, first), bytes(data + 4 + first, size - 4 - first)};
}

} // namespace Zelkor::Fuzz
