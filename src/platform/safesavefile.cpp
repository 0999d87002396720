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

} // namespace

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
    auto failWith = [&](const QString &message) {
        first.cancel();
        second.cancel();
        if (error)
            *error = message;
        return false;
    };
    if (!first.finish())
        return failWith(first.errorString());
    if (!second.finish())
        return failWith(second.errorString());

    // A second name for the first file's old content, to put it back should the second
    // replacement fail. Where the file system has no hard links there is no way back, and the
    // window between the two renames is all that remains.
    QByteArray backup;
    if (first.d->hadTarget) {
        for (int attempt = 0; attempt < 100 && backup.isEmpty(); ++attempt) {
            const QByteArray name = siblingName(first.d->target, "bak");
            if (::link(first.d->target.constData(), name.constData()) == 0)
                backup = name;
            else if (errno != EEXIST)
                break;
        }
    }
    if (::rename(first.d->temporary.constData(), first.d->target.constData()) != 0) {
        first.d->setReplaceError(errno);
        if (!backup.isEmpty())
            ::unlink(backup.constData());
        return failWith(first.errorString());
    }
    first.d->temporary.clear();
    first.d->state = Private::Done;
    if (::rename(second.d->temporary.constData(), second.d->target.constData()) != 0) {
        second.d->setReplaceError(errno);
        if (!backup.isEmpty())
            ::rename(backup.constData(), first.d->target.constData());
        else if (!first.d->hadTarget)
            ::unlink(first.d->target.constData());
        return failWith(second.errorString());
    }
    second.d->temporary.clear();
    second.d->state = Private::Done;
    if (!backup.isEmpty())
        ::unlink(backup.constData());
    syncFolderOf(first.d->target);
    syncFolderOf(second.d->target);
    return true;
}

} // namespace Zelkor
