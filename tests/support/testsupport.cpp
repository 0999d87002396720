#include "testsupport.h"

#include "platform/cp932.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <cctype>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

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

QJsonObject readWorkbookCells(const QString &fileName, QString *error)
{
    static const char *const script = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
cells = {}
for row in book.worksheets[0].iter_rows():
    for c in row:
        a = c.alignment
        if c.value is None and a.horizontal is None and a.vertical is None:
            continue
        cells[c.coordinate] = {"value": c.value, "type": c.data_type,
                               "horizontal": a.horizontal, "vertical": a.vertical}
        if a.wrap_text:
            cells[c.coordinate]["wrap"] = True
json.dump(cells, sys.stdout)
)";
    QProcess p;
    // The system's Python, which has the reader; another one may come first on the path.
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), fileName});
    const bool finished = p.waitForFinished(120000);
    const QByteArray out = p.readAllStandardOutput();
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(out, &parse);
    if (!finished || p.exitCode() != 0 || !doc.isObject()) {
        if (error)
            *error = QString::fromUtf8(p.readAllStandardError()) + parse.errorString();
        return {};
    }
    return doc.object();
}

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

void fillTwoSpecies(TableModel &model)
{
    model.setReleveCount(2);
    model.grid().setCell(TableModel::NameColumn, model.speciesRow(1), QStringLiteral("ススキ"));
    model.grid().setCell(TableModel::releveColumn(1), model.speciesRow(1), QStringLiteral("   1"));
    model.grid().setCell(TableModel::NameColumn, model.speciesRow(2), QStringLiteral("ヨモギ"));
    model.grid().setCell(TableModel::releveColumn(2), model.speciesRow(2), QStringLiteral("   1"));
    model.setSpeciesCount(2);
    model.recomputeFrequencies();
}

QString writeTableFile(const TempDir &dir, const TableModel &model, const QString &name, const QString &title)
{
    const QString path = dir.path(name);
    TableFile file;
    EXPECT_TRUE(file.write(model, title, path)) << file.errorString().toStdString();
    return path;
}

QString writeTwoSpeciesTable(const TempDir &dir, const QString &name, const QString &title)
{
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    fillTwoSpecies(model);
    return writeTableFile(dir, model, name, title);
}

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

QString rule(int n)
{
    return QString(n, QChar(0x2500));
}

} // namespace Zelkor::Test
