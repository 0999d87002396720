#include "platform/safesavefile.h"

#include "platform/fileaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zelkor {

namespace {

QString shown(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// A name beside path that no file has yet is found by trying random suffixes.
QByteArray siblingName(const QByteArray &path, const char *suffix)
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = path + '.';
    for (int i = 0; i < 8; ++i)
        name += kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)];
    return name + suffix;
}

// Syncs the folder that holds path, so that a rename in it survives a power cut; a file system
// that cannot sync folders is no error.
void syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The group whose commit() replaces what this thread's files commit, if any.
thread_local SafeSaveGroup *currentGroup = nullptr;

} // namespace

struct SafeSaveGroup::Staged
{
    QString name;         // the target as given
    QByteArray target;    // the file replaced (a symbolic link resolved)
    QByteArray temporary; // the new content, finished
    bool hadTarget = false;
};

struct SafeSaveFile::Private
{
    enum State { Initial, Writing, Finished, Done };

    QString name;         // the target as given
    QByteArray target;    // the file that is replaced (a symbolic link resolved)
    QByteArray temporary; // the new content until it replaces the target
    int fd = -1;
    State state = Initial;
    bool failed = false;
    bool hadTarget = false;
    qint64 written = 0;     // bytes written to the temporary file
    qint64 handedOver = 0;  // bytes of it whose way to the disk has been started
    qint64 released = 0;    // bytes of it on the disk and out of memory
    bool handOver = true;   // the file system starts parts of a file on their way
    QString error;

    void setWriteError(int errnum)
    {
        failed = true;
        error = QStringLiteral("ファイル「%1」に書き込めません（%2）").arg(shown(name), systemErrorText(errnum));
    }
    void setReplaceError(int errnum)
    {
        failed = true;
        error = QStringLiteral("ファイル「%1」を保存できません（%2）").arg(shown(name), systemErrorText(errnum));
    }
    void dropTemporary()
    {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (!temporary.isEmpty()) {
            ::unlink(temporary.constData());
            temporary.clear();
        }
    }
};

SafeSaveFile::SafeSaveFile(const QString &fileName) : d(std::make_unique<Private>())
{
    d->name = fileName;
}

SafeSaveFile::~SafeSaveFile()
{
    cancel();
}

QString SafeSaveFile::fileName() const
{
    return d->name;
}

QString SafeSaveFile::errorString() const
{
    return d->error;
}

bool SafeSaveFile::hasFailed() const
{
    return d->failed;
}

bool SafeSaveFile::open()
{
    if (d->state != Private::Initial) {
        d->error = QStringLiteral("ファイル「%1」はすでに書き込み中です").arg(shown(d->name));
        return false;
    }
    d->state = Private::Done; // until the temporary file exists
    const QFileInfo info(d->name);
    QString target = d->name;
    if (info.isSymLink())
        target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    d->target = QFile::encodeName(target);

    struct stat st;
    if (::stat(d->target.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            d->failed = true;
            d->error = S_ISDIR(st.st_mode)
                           ? QStringLiteral("「%1」はフォルダのため書き込めません").arg(shown(d->name))
                           : QStringLiteral("「%1」は通常のファイルではないため書き込めません").arg(shown(d->name));
            return false;
        }
        d->hadTarget = true;
    }

    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = siblingName(d->target, "tmp");
        d->fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (d->fd >= 0) {
            d->temporary = name;
            break;
        }
        if (errno != EEXIST && errno != EINTR) {
            d->setWriteError(errno);
            return false;
        }
    }
    if (d->fd < 0) {
        d->setWriteError(EEXIST);
        return false;
    }
    // The new file keeps the old one's permissions (and, where allowed, its owner).
    if (d->hadTarget) {
        (void)::fchmod(d->fd, st.st_mode & 07777);
        if (::geteuid() == 0)
            (void)::fchown(d->fd, st.st_uid, st.st_gid);
    }
    d->state = Private::Writing;
    return true;
}

bool SafeSaveFile::write(const char *data, qint64 size)
{
    if (d->state != Private::Writing || d->failed)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(d->fd, data, size_t(qMin<qint64>(size, qint64(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            d->setWriteError(errno);
            return false;
        }
        if (n == 0) {
            d->setWriteError(ENOSPC);
            return false;
        }
        data += n;
        size -= n;
        d->written += n;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    // A large file goes to the disk while the rest is written, a few pieces behind: the sync at
    // the end then waits for the last pieces only, and the pages written and on the disk are
    // given back at once rather than piling up in memory. A piece that could not be written
    // fails the save here (waiting for it takes its error, which the sync would then not see).
    constexpr qint64 kPiece = qint64(16) << 20;
    if (d->handOver && d->written - d->handedOver >= kPiece) {
        if (::sync_file_range(d->fd, d->handedOver, d->written - d->handedOver, SYNC_FILE_RANGE_WRITE) != 0) {
            if (errno != EINVAL && errno != ENOSYS && errno != ESPIPE && errno != EOPNOTSUPP) {
                d->setWriteError(errno);
                return false;
            }
            d->handOver = false; // no such thing here: the sync at the end does it all
            return true;
        }
        d->handedOver = d->written;
        // All but the last two pieces are waited for and given back.
        const qint64 upTo = d->handedOver - 2 * kPiece;
        if (upTo > d->released) {
            if (::sync_file_range(d->fd, d->released, upTo - d->released,
                                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0) {
                d->setWriteError(errno);
                return false;
            }
            (void)::posix_fadvise(d->fd, d->released, upTo - d->released, POSIX_FADV_DONTNEED);
            d->released = upTo;
        }
    }
#endif
    return true;
}

void SafeSaveFile::fail(const QString &message)
{
    if (d->failed)
        return;
    d->failed = true;
    d->error = message;
}

bool SafeSaveFile::finish()
{
    if (d->state == Private::Finished && !d->failed)
        return true;
    if (d->state != Private::Writing || d->failed) {
        if (d->error.isEmpty())
            d->error = QStringLiteral("ファイル「%1」は書き込み用に開かれていません").arg(shown(d->name));
        d->failed = true;
        cancel();
        return false;
    }
    // Everything must be on the disk before the old file goes: a sync or close error is a
    // failed write (network and full file systems report late).
    if (::fsync(d->fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        d->setWriteError(errno);
        cancel();
        return false;
    }
    const int fd = d->fd;
    d->fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        d->setWriteError(errno);
        cancel();
        return false;
    }
    d->state = Private::Finished;
    return true;
}

bool SafeSaveFile::commit()
{
    if (!finish())
        return false;
    if (SafeSaveGroup *group = currentGroup) {
        group->m_files.push_back({d->name, d->target, d->temporary, d->hadTarget});
        d->temporary.clear();
        d->state = Private::Done;
        return true;
    }
    if (::rename(d->temporary.constData(), d->target.constData()) != 0) {
        d->setReplaceError(errno);
        cancel();
        return false;
    }
    d->temporary.clear();
    d->state = Private::Done;
    syncFolderOf(d->target);
    return true;
}

void SafeSaveFile::cancel()
{
    if (d->state == Private::Done && d->temporary.isEmpty())
        return;
    d->dropTemporary();
    d->state = Private::Done;
}

bool SafeSaveFile::commitPair(SafeSaveFile &first, SafeSaveFile &second, QString *error)
{
    SafeSaveGroup group;
    if (!first.commit()) {
        second.cancel();
        if (error)
            *error = first.errorString();
        return false;
    }
    if (!second.commit()) {
        if (error)
            *error = second.errorString();
        return false;
    }
    return group.commit(error);
}

SafeSaveGroup::SafeSaveGroup() : m_outer(currentGroup)
{
    currentGroup = this;
}

SafeSaveGroup::~SafeSaveGroup()
{
    for (const Staged &file : m_files) {
        if (!file.temporary.isEmpty())
            ::unlink(file.temporary.constData());
    }
    currentGroup = m_outer;
}

bool SafeSaveGroup::commit(QString *error)
{
    if (m_outer) {
        for (Staged &file : m_files)
            m_outer->m_files.push_back(std::move(file));
        m_files.clear();
        return true;
    }
    std::vector<Staged> files = std::move(m_files);
    m_files.clear();
    const auto failWith = [&](const QString &message) {
        for (const Staged &file : files) {
            if (!file.temporary.isEmpty())
                ::unlink(file.temporary.constData());
        }
        if (error)
            *error = message;
        return false;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (sameFile(QFile::decodeName(files[i].target), QFile::decodeName(files[j].target)))
                return failWith(sameOutputMessage(files[i].name, files[j].name));
        }
    }

    // A second name for each old content, to put it back should a later replacement fail. Where
    // the file system has no hard links there is no way back, and the window between the
    // renames is all that remains.
    std::vector<QByteArray> backups(files.size());
    const auto dropBackups = [&] {
        for (const QByteArray &backup : backups) {
            if (!backup.isEmpty())
                ::unlink(backup.constData());
        }
    };
    for (std::size_t k = 0; k < files.size(); ++k) {
        Staged &file = files[k];
        if (file.hadTarget && files.size() > 1) {
            for (int attempt = 0; attempt < 100 && backups[k].isEmpty(); ++attempt) {
                const QByteArray name = siblingName(file.target, "bak");
                if (::link(file.target.constData(), name.constData()) == 0)
                    backups[k] = name;
                else if (errno != EEXIST)
                    break;
            }
        }
        if (::rename(file.temporary.constData(), file.target.constData()) != 0) {
            const int e = errno;
            for (std::size_t back = k; back-- > 0;) {
                if (!backups[back].isEmpty()) {
                    if (::rename(backups[back].constData(), files[back].target.constData()) == 0)
                        backups[back].clear();
                } else if (!files[back].hadTarget) {
                    ::unlink(files[back].target.constData());
                }
            }
            dropBackups();
            return failWith(QStringLiteral("ファイル「%1」を保存できません（%2）").arg(shown(file.name), systemErrorText(e)));
        }
        file.temporary.clear();
    }
    dropBackups();
    for (const Staged &file : files)
        syncFolderOf(file.target);
    return true;
}

} // namespace Zelkor
