#include "table/recenttables.h"

#include "platform/cp932.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>

namespace Zelkor {

namespace {

QString absoluteOf(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The form two paths of one file share.
QString identityOf(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    const QString id = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
#ifdef Q_OS_WIN
    return id.toCaseFolded();
#else
    return id;
#endif
}

} // namespace

bool RecentTables::sameFile(const QString &a, const QString &b)
{
    return identityOf(a) == identityOf(b);
}

qsizetype RecentTables::indexOf(const QString &path) const
{
    const QString id = identityOf(path);
    for (qsizetype i = 0; i < m_paths.size(); ++i)
        if (identityOf(m_paths.at(i)) == id)
            return i;
    return -1;
}

void RecentTables::add(const QString &path)
{
    if (path.isEmpty())
        return;
    const qsizetype at = indexOf(path);
    if (at >= 0)
        m_paths.removeAt(at);
    m_paths.prepend(absoluteOf(path));
    while (m_paths.size() > MaxCount)
        m_paths.removeLast();
}

bool RecentTables::remove(const QString &path)
{
    const qsizetype at = path.isEmpty() ? -1 : indexOf(path);
    if (at < 0)
        return false;
    m_paths.removeAt(at);
    return true;
}

void RecentTables::setPaths(const QStringList &paths)
{
    m_paths.clear();
    for (const QString &path : paths) {
        if (m_paths.size() >= MaxCount)
            break;
        if (!path.isEmpty() && indexOf(path) < 0)
            m_paths.append(absoluteOf(path));
    }
}

void RecentTables::read(const IniFile &ini)
{
    QStringList paths;
    for (int n = 1; n <= MaxCount; ++n)
        paths.append(ini.readString(iniSection(), iniKey(n), QString()));
    setPaths(paths);
}

void RecentTables::write(IniFile &ini) const
{
    int n = 1;
    for (const QString &path : m_paths) {
        QByteArray bytes;
        if (!Cp932::encode(path, &bytes))
            continue;
        ini.writeString(iniSection(), iniKey(n++), path);
    }
    // The rest of a longer list written before goes; a key that is not there stays away.
    for (; n <= MaxCount; ++n)
        if (!ini.readString(iniSection(), iniKey(n), QString()).isEmpty())
            ini.writeString(iniSection(), iniKey(n), QString());
}

} // namespace Zelkor
