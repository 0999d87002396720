// The safe write every writer goes through: nothing replaces a file until all of the new content
// is on the disk, a failed write (a full disk, a file-size limit) leaves the old file exactly as it
// was, and nothing that is not a regular file is ever replaced.
#include "platform/safesavefile.h"

#include "platform/textfile.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Zelkor;
using Zelkor::Test::FileSizeLimit;
using Zelkor::Test::TempDir;
using Zelkor::Test::readBytes;

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString efbigText()
{
    return QStringLiteral("ファイルが大きすぎます");
}

} // namespace

// A file-size limit stands for a full disk: the write fails part way, and whether the failure
// shows while writing (a large output) or only when the last bytes go out at the end (a small
// one), the command fails and the old file stays.
TEST(SafeSaveFileTest, FailedWriteKeepsTheOldFile)
{
    struct Case
    {
        const char *what;
        int lines;          // lines of 100 characters written
        qint64 limit;       // bytes the process may write into one file
    };
    const Case cases[] = {
        {"small output cut in the final flush", 30, 1000},
        {"large output cut while writing", 30000, 1 << 20},
        {"output one byte over the limit", 11, 1099},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QByteArray old("old content\r\n");
        const QString name = dir.writeBytes(QStringLiteral("table.vtb"), old);
        bool committed = true;
        QString error;
        {
            TextFileWriter writer(name);
            ASSERT_TRUE(writer.open());
            {
                FileSizeLimit limit(c.limit);
                for (int i = 0; i < c.lines; ++i)
                    writer.writeLine(QString(98, QLatin1Char('x')));
                committed = writer.commit();
            }
            error = writer.errorString();
        }
        EXPECT_FALSE(committed);
        EXPECT_TRUE(error.contains(efbigText())) << error.toStdString();
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(name))) << error.toStdString();
        EXPECT_EQ(readBytes(name), old);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("table.vtb")});
    }
}

TEST(SafeSaveFileTest, OutputWithinTheLimitIsWritten)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("t.txt"), "old");
    bool committed = false;
    {
        TextFileWriter writer(name);
        ASSERT_TRUE(writer.open());
        FileSizeLimit limit(1000);
        for (int i = 0; i < 10; ++i)
            writer.writeLine(QString(98, QLatin1Char('x')));
        committed = writer.commit();
    }
    EXPECT_TRUE(committed);
    EXPECT_EQ(readBytes(name).size(), 1000);
}

// Folders, pipes and devices (also reached through a link) are never replaced by a file.
TEST(SafeSaveFileTest, NonRegularTargetsAreNeverReplaced)
{
    TempDir dir;
    QDir().mkpath(dir.path(QStringLiteral("folder")));
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir.path(QStringLiteral("null-link"))));
    const struct { const char *what; QString path; mode_t type; } cases[] = {
        {"folder", dir.path(QStringLiteral("folder")), S_IFDIR},
        {"pipe", dir.path(QStringLiteral("pipe")), S_IFIFO},
        {"device", QStringLiteral("/dev/null"), S_IFCHR},
        {"link to a device", dir.path(QStringLiteral("null-link")), S_IFCHR},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SafeSaveFile file(c.path);
        EXPECT_FALSE(file.open());
        EXPECT_TRUE(file.errorString().contains(QDir::toNativeSeparators(c.path))) << file.errorString().toStdString();
        EXPECT_FALSE(file.commit());
        struct stat st;
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    EXPECT_EQ(filesIn(dir.path()), (QStringList{QStringLiteral("folder"), QStringLiteral("null-link"), QStringLiteral("pipe")}));
}

// A link to the file stays a link, and the new file keeps the old one's permissions.
TEST(SafeSaveFileTest, LinkAndPermissionsStay)
{
    TempDir dir;
    const QString real = dir.writeBytes(QStringLiteral("real.txt"), "old");
    ASSERT_TRUE(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = dir.path(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(real, link));
    SafeSaveFile file(link);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(QByteArray("new")));
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(real), QByteArray("new"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{QStringLiteral("link.txt"), QStringLiteral("real.txt")}));
}

// Two files that belong together are replaced together or not at all.
TEST(SafeSaveFileTest, PairIsReplacedTogether)
{
    struct Case { const char *what; qint64 secondSize; bool ok; };
    const Case cases[] = {
        {"both written", 100, true},
        {"second one cut short", 1 << 20, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString a = dir.writeBytes(QStringLiteral("db.zkd"), "old zkd");
        const QString b = dir.writeBytes(QStringLiteral("db.zki"), "old zki");
        bool ok = false;
        QString error;
        {
            SafeSaveFile first(a), second(b);
            ASSERT_TRUE(first.open());
            ASSERT_TRUE(second.open());
            FileSizeLimit limit(4096);
            first.write(QByteArray(100, 'a'));
            second.write(QByteArray(c.secondSize, 'b'));
            ok = SafeSaveFile::commitPair(first, second, &error);
        }
        EXPECT_EQ(ok, c.ok) << error.toStdString();
        EXPECT_EQ(readBytes(a), c.ok ? QByteArray(100, 'a') : QByteArray("old zkd"));
        EXPECT_EQ(readBytes(b), c.ok ? QByteArray(c.secondSize, 'b') : QByteArray("old zki"));
        if (!c.ok) {
            EXPECT_TRUE(error.contains(efbigText())) << error.toStdString();
        }
        EXPECT_EQ(filesIn(dir.path()), (QStringList{QStringLiteral("db.zkd"), QStringLiteral("db.zki")}));
    }
}

// The outputs of one command: either every file is new or every file is old. A replacement that
// fails part way (here the second target turned into a folder after it was written) puts back
// the targets replaced before it; outputs that are one file are refused before anything moves.
TEST(SafeSaveFileTest, GroupIsReplacedTogether)
{
    struct Case { const char *what; bool secondBecomesFolder; bool alias; bool ok; };
    const Case cases[] = {
        {"all replaced", false, false, true},
        {"second replacement fails", true, false, false},
        {"second is the first through a folder link", false, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString a = dir.writeBytes(QStringLiteral("out/m.csv"), "old matrix");
        const QString b = c.alias ? dir.path(QStringLiteral("here/m.csv")) : dir.path(QStringLiteral("out/m.lst"));
        const QString third = dir.path(QStringLiteral("out/new.txt"));
        ASSERT_TRUE(QFile::link(dir.path(QStringLiteral("out")), dir.path(QStringLiteral("here"))));
        bool ok = false;
        QString error;
        {
            SafeSaveGroup group;
            for (const QString &name : {a, third, b}) {
                SafeSaveFile file(name);
                ASSERT_TRUE(file.open());
                ASSERT_TRUE(file.write("new " + QFileInfo(name).fileName().toUtf8()));
                ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
            }
            // Nothing is replaced before the group says so.
            EXPECT_EQ(readBytes(a), QByteArray("old matrix"));
            EXPECT_FALSE(QFileInfo::exists(third));
            if (c.secondBecomesFolder) {
                ASSERT_TRUE(QDir().mkpath(b + QStringLiteral("/inside")));
            }
            ok = group.commit(&error);
        }
        EXPECT_EQ(ok, c.ok) << error.toStdString();
        EXPECT_EQ(readBytes(a), c.ok ? QByteArray("new m.csv") : QByteArray("old matrix"));
        EXPECT_EQ(QFileInfo::exists(third), c.ok);
        if (c.ok) {
            EXPECT_EQ(readBytes(b), QByteArray("new m.lst"));
        }
        if (c.alias) {
            EXPECT_TRUE(error.contains(QStringLiteral("同じファイルです"))) << error.toStdString();
        }
        QStringList expected{QStringLiteral("m.csv")};
        if (c.ok || c.secondBecomesFolder)
            expected << QStringLiteral("m.lst");
        if (c.ok)
            expected << QStringLiteral("new.txt");
        expected.sort();
        EXPECT_EQ(filesIn(dir.path(QStringLiteral("out"))), expected);
    }

    // A group inside another hands its files on; a group that is never committed keeps the old files.
    TempDir dir;
    const QString a = dir.writeBytes(QStringLiteral("a.txt"), "old a");
    {
        SafeSaveGroup outer;
        {
            SafeSaveGroup inner;
            SafeSaveFile file(a);
            ASSERT_TRUE(file.open() && file.write("new a") && file.commit());
            QString error;
            ASSERT_TRUE(inner.commit(&error));
        }
        EXPECT_EQ(readBytes(a), QByteArray("old a"));
    }
    EXPECT_EQ(readBytes(a), QByteArray("old a"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("a.txt")});
}

// A large file goes to the disk piece by piece while it is written (and its pages are given back):
// it arrives whole and exact, and a write that fails far into it still leaves the old file.
TEST(SafeSaveFileTest, LargeFilesArriveWholeOrNotAtAll)
{
    TempDir dir;
    const QByteArray old("old content\r\n");
    const QString name = dir.writeBytes(QStringLiteral("big.vtb"), old);
    // 80 MB in pieces of uneven sizes, every byte telling where it stands.
    QByteArray expected;
    auto write = [&](SafeSaveFile &file, qint64 total) {
        QByteArray piece;
        qint64 at = 0;
        for (int k = 0; at < total; ++k) {
            piece.resize(qsizetype(std::min<qint64>((k % 7 + 1) * 700001, total - at)));
            for (qsizetype i = 0; i < piece.size(); ++i)
                piece[i] = char((at + i) * 2654435761u >> 24);
            if (!file.write(piece))
                return false;
            if (expected.size() < total)
                expected += piece;
            at += piece.size();
        }
        return true;
    };
    constexpr qint64 kTotal = qint64(80) << 20;
    {
        SafeSaveFile file(name);
        ASSERT_TRUE(file.open());
        bool written = true;
        {
            FileSizeLimit limit(qint64(50) << 20);
            written = write(file, kTotal);
        }
        EXPECT_FALSE(written);
        EXPECT_FALSE(file.commit());
        EXPECT_TRUE(file.errorString().contains(efbigText())) << file.errorString().toStdString();
    }
    EXPECT_EQ(readBytes(name), old);
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("big.vtb")});

    expected.clear();
    SafeSaveFile file(name);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(write(file, kTotal));
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_EQ(expected.size(), kTotal);
    EXPECT_TRUE(readBytes(name) == expected);
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("big.vtb")});
}
