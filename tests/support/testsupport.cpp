#include "testsupport.h"

#include "platform/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cctype>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace Zelkor::Test {

TempDir::TempDir() = default;

QString TempDir::path(const QString &name) const
{
    return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
}

QString TempDir::writeBytes(const QString &name, const QByteArray &bytes) const
{
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return p;
}

QString TempDir::writeLines(const QString &name, const QStringList &lines) const
{
    QByteArray all;
    for (const QString &l : lines) {
        QByteArray b;
        Cp932::encode(l, &b);
        all += b + "\r\n";
    }
    return writeBytes(name, all);
}

QByteArray readBytes(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QStringList readLines(const QString &fileName)
{
    QByteArray all = readBytes(fileName);
    QStringList out;
    if (all.isEmpty())
        return out;
    if (all.endsWith("\r\n"))
        all.chop(2);
    for (const QByteArray &l : all.split('\n')) {
        QByteArray line = l;
        if (line.endsWith('\r'))
            line.chop(1);
        QString s;
        Cp932::decode(line, &s);
        out << s;
    }
    return out;
}

std::string caseName(std::string description)
{
    for (char &ch : description)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return description;
}

QString sourcePath(const QString &relative)
{
    return QDir(QStringLiteral(ZELKOR_SOURCE_DIR)).filePath(relative);
}

QString fixturePath(const QString &relative)
{
    return QDir(QStringLiteral(ZELKOR_SOURCE_DIR "/tests/data")).filePath(relative);
}

QString CliResult::outText() const { return QString::fromUtf8(out); }
QString CliResult::errText() const { return QString::fromUtf8(err); }

CliResult runCli(const QStringList &arguments, const QString &workingDir, qint64 fileSizeLimit)
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    if (fileSizeLimit >= 0) {
        p.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = rlim_t(fileSizeLimit);
            limit.rlim_max = rlim_t(fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p.start(QStringLiteral(ZELKOR_CLI_PATH), arguments);
    CliResult r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_oldSoft = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldSoft);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, m_oldHandler);
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace Zelkor::Test
