#include "platform/fileaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zelkor {

namespace {

QString shown(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

} // namespace

QString systemErrorText(int errnum)
{
    switch (errnum) {
    case ENOENT: return QStringLiteral("ファイルまたはフォルダがありません");
    case ENOTDIR: return QStringLiteral("途中のフォルダがフォルダではありません");
    case EISDIR: return QStringLiteral("フォルダです");
    case EACCES:
    case EPERM: return QStringLiteral("アクセスが許可されていません");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("ディスクの空き容量が足りません");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます");
    case EROFS: return QStringLiteral("読み取り専用の場所です");
    case EIO: return QStringLiteral("入出力エラーです");
    case EMFILE:
    case ENFILE: return QStringLiteral("開いているファイルが多すぎます");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます");
    case ELOOP: return QStringLiteral("シンボリックリンクが多すぎます");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("ファイルが使用中です");
    case ENXIO:
    case ENODEV: return QStringLiteral("装置がありません");
    case ENOMEM: return QStringLiteral("メモリが足りません");
    default:
        return QStringLiteral("システムエラー %1: %2").arg(errnum).arg(QString::fromLocal8Bit(std::strerror(errnum)));
    }
}

bool openRegularFile(QFile *file, const QString &fileName, QString *error)
{
    file->close();
    const QByteArray path = QFile::encodeName(fileName);
    // A device is not even opened (opening some has effects of its own).
    struct stat before;
    if (::stat(path.constData(), &before) == 0 && !S_ISREG(before.st_mode)) {
        *error = S_ISDIR(before.st_mode)
                     ? QStringLiteral("「%1」はフォルダです").arg(shown(fileName))
                     : QStringLiteral("ファイル「%1」は通常のファイルではありません").arg(shown(fileName));
        return false;
    }
    // Non-blocking, so that opening a pipe with no writer returns at once instead of waiting.
    int fd = -1;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int e = errno;
        *error = e == ENOENT ? QStringLiteral("ファイル「%1」がありません").arg(shown(fileName))
                             : QStringLiteral("ファイル「%1」を開けません（%2）").arg(shown(fileName), systemErrorText(e));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        *error = QStringLiteral("ファイル「%1」を開けません（%2）").arg(shown(fileName), systemErrorText(e));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = S_ISDIR(st.st_mode)
                     ? QStringLiteral("「%1」はフォルダです").arg(shown(fileName))
                     : QStringLiteral("ファイル「%1」は通常のファイルではありません").arg(shown(fileName));
        return false;
    }
    // Reads of a regular file block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file->setFileName(fileName);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = QStringLiteral("ファイル「%1」を開けません").arg(shown(fileName));
        return false;
    }
    return true;
}

bool checkOutputFile(const QString &outputFile, const QStringList &inputFiles, QString *error)
{
    struct stat out;
    if (::stat(QFile::encodeName(outputFile).constData(), &out) != 0)
        return true; // nothing there yet (or nothing reachable: the write itself will say why)
    if (!S_ISREG(out.st_mode)) {
        *error = S_ISDIR(out.st_mode)
                     ? QStringLiteral("出力先「%1」はフォルダです").arg(shown(outputFile))
                     : QStringLiteral("出力先「%1」は通常のファイルではないため書き込めません").arg(shown(outputFile));
        return false;
    }
    for (const QString &input : inputFiles) {
        if (input.isEmpty())
            continue;
        struct stat in;
        if (::stat(QFile::encodeName(input).constData(), &in) != 0)
            continue;
        if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            *error = QStringLiteral("出力先「%1」は入力ファイル「%2」と同じファイルです。別の名前を指定して下さい")
                         .arg(shown(outputFile), shown(input));
            return false;
        }
    }
    // A symbolic link to a non-regular file was caught above (stat follows links); a dangling one
    // is written through by the writers.
    return true;
}

namespace {

// Where a name leads: a symbolic link as the last part is followed (a few times at most) to the
// name it points to, existing or not.
QByteArray followLastLink(QByteArray path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        QByteArray target(qsizetype(st.st_size > 0 && st.st_size < 65536 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n <= 0)
            break;
        target.truncate(n);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target = slash >= 0 ? path.left(slash + 1) + target : target;
        }
        path = target;
    }
    return path;
}

struct FileIdentity
{
    bool exists = false;
    bool folderKnown = false;
    dev_t device = 0;
    ino_t inode = 0;
    QByteArray name; // in its folder, when the file does not exist
    QString absolute; // when not even the folder can be reached
};

FileIdentity identityOf(const QString &fileName)
{
    FileIdentity id;
    const QByteArray path = followLastLink(QFile::encodeName(fileName));
    struct stat st;
    if (::stat(path.constData(), &st) == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        return id;
    }
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    id.name = path.mid(slash + 1);
    if (::stat(folder.constData(), &st) == 0) {
        id.folderKnown = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
    } else {
        id.absolute = QFileInfo(QFile::decodeName(path)).absoluteFilePath();
    }
    return id;
}

} // namespace

bool sameFile(const QString &a, const QString &b)
{
    const FileIdentity x = identityOf(a);
    const FileIdentity y = identityOf(b);
    if (x.exists != y.exists)
        return false;
    if (x.exists)
        return x.device == y.device && x.inode == y.inode;
    if (x.folderKnown != y.folderKnown)
        return false;
    if (x.folderKnown)
        return x.device == y.device && x.inode == y.inode && x.name == y.name;
    return x.absolute == y.absolute;
}

QString sameOutputMessage(const QString &a, const QString &b)
{
    return QStringLiteral("出力先「%1」と「%2」は同じファイルです。別々の名前を指定して下さい").arg(shown(a), shown(b));
}

bool checkOutputFiles(const QStringList &outputFiles, const QStringList &inputFiles, QString *error)
{
    for (qsizetype i = 0; i < outputFiles.size(); ++i) {
        if (outputFiles[i].isEmpty())
            continue;
        if (!checkOutputFile(outputFiles[i], inputFiles, error))
            return false;
        for (qsizetype j = 0; j < i; ++j) {
            if (!outputFiles[j].isEmpty() && sameFile(outputFiles[i], outputFiles[j])) {
                *error = sameOutputMessage(outputFiles[j], outputFiles[i]);
                return false;
            }
        }
    }
    return true;
}

bool readWholeFile(const QString &fileName, qint64 maxBytes, QByteArray *data, QString *error)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    QFile file;
    if (!openRegularFile(&file, fileName, error))
        return false;
    if (file.size() > maxBytes) {
        *error = QStringLiteral("ファイル「%1」は大きすぎます（%2 バイトまで）").arg(shown).arg(maxBytes);
        return false;
    }
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("ファイル「%1」を読めません（%2）").arg(shown, systemErrorText(EIO));
        return false;
    }
    return true;
}

} // namespace Zelkor
