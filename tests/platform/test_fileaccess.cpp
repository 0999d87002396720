// Which files may be read and written: outputs that are inputs under another spelling, pipes and
// devices named where a file is expected, and the system's error texts in Japanese.
#include "platform/fileaccess.h"

#include "database/databasebuilder.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "platform/inifile.h"
#include "platform/recordfile.h"
#include "platform/textfile.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <functional>

using namespace Zelkor;
using Zelkor::Test::TempDir;

TEST(FileAccessTest, OutputThatIsAnInputIsRefused)
{
    TempDir dir;
    const QString input = dir.writeBytes(QStringLiteral("sub/db.zki"), "data");
    dir.writeBytes(QStringLiteral("other.vtb"), "table");
    ASSERT_TRUE(QFile::link(input, dir.path(QStringLiteral("soft.zki"))));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(dir.path(QStringLiteral("hard.zki"))).constData()), 0);
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe.vtb"))));
    const struct { const char *what; QString output; bool allowed; } cases[] = {
        {"the input itself", input, false},
        {"the input spelled with . and ..", dir.path(QStringLiteral("sub/../sub/./db.zki")), false},
        {"a hard link to the input", dir.path(QStringLiteral("hard.zki")), false},
        {"a symbolic link to the input", dir.path(QStringLiteral("soft.zki")), false},
        {"a folder", dir.path(QStringLiteral("sub")), false},
        {"a pipe", dir.path(QStringLiteral("pipe.vtb")), false},
        {"a device", QStringLiteral("/dev/null"), false},
        {"another existing file", dir.path(QStringLiteral("other.vtb")), true},
        {"a new file", dir.path(QStringLiteral("new.vtb")), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_EQ(checkOutputFile(c.output, {QString(), input, dir.path(QStringLiteral("missing.dic"))}, &error), c.allowed);
        EXPECT_EQ(error.isEmpty(), c.allowed) << error.toStdString();
        if (!c.allowed) {
            EXPECT_TRUE(error.contains(QDir::toNativeSeparators(c.output))) << error.toStdString();
        }
    }
}

// Two outputs of one command are one file however they are spelled, also when that file is not
// there yet: through a link to a folder, or a link as the last part that points to a new name.
TEST(FileAccessTest, OutputsThatAreOneFileAreFound)
{
    TempDir dir;
    dir.writeBytes(QStringLiteral("sub/old.csv"), "old");
    ASSERT_TRUE(QFile::link(dir.path(QStringLiteral("sub")), dir.path(QStringLiteral("here"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("x.csv"), dir.path(QStringLiteral("sub/x.lst")))); // dangling, relative
    ASSERT_TRUE(QFile::link(QStringLiteral("old.csv"), dir.path(QStringLiteral("sub/old.lst"))));
    const struct { const char *what; QString a; QString b; bool same; } cases[] = {
        {"new file through a folder link", dir.path(QStringLiteral("sub/o.vtb")), dir.path(QStringLiteral("here/o.vtb")), true},
        {"new file spelled with ..", dir.path(QStringLiteral("sub/o.vtb")), dir.path(QStringLiteral("here/../sub/o.vtb")), true},
        {"dangling link to the other name", dir.path(QStringLiteral("sub/x.lst")), dir.path(QStringLiteral("here/x.csv")), true},
        {"link to an existing file", dir.path(QStringLiteral("sub/old.lst")), dir.path(QStringLiteral("sub/old.csv")), true},
        {"two new names", dir.path(QStringLiteral("sub/a.csv")), dir.path(QStringLiteral("sub/a.lst")), false},
        {"same name, other folder", dir.path(QStringLiteral("sub/o.vtb")), dir.path(QStringLiteral("o.vtb")), false},
        {"existing and new", dir.path(QStringLiteral("sub/old.csv")), dir.path(QStringLiteral("sub/new.csv")), false},
        {"in a missing folder", dir.path(QStringLiteral("no/o.vtb")), dir.path(QStringLiteral("no/./o.vtb")), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sameFile(c.a, c.b), c.same);
        EXPECT_EQ(sameFile(c.b, c.a), c.same);
        QString error;
        EXPECT_EQ(checkOutputFiles({c.a, QString(), c.b}, {}, &error), !c.same);
        if (c.same) {
            EXPECT_TRUE(error.contains(QStringLiteral("同じファイルです"))) << error.toStdString();
        }
    }
}

// A pipe with no writer would make a blocking open or read wait for ever; every reader of user
// files refuses it at once, and a folder or device too.
TEST(FileAccessTest, ReadersRefusePipesAndDevicesAtOnce)
{
    TempDir dir;
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe.zki"))));
    dir.writeBytes(QStringLiteral("pipe.zkd"), QByteArray(1024, ' '));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.path(QStringLiteral("device.zki"))));
    dir.writeBytes(QStringLiteral("device.zkd"), QByteArray(1024, ' '));
    const struct { const char *what; std::function<bool(const QString &, QString *)> read; } readers[] = {
        {"text file", [](const QString &f, QString *e) { TextFileReader r; const bool ok = r.read(f); *e = r.errorString(); return ok; }},
        {"record file", [](const QString &f, QString *e) { RecordFile r; const bool ok = r.open(f, 256); *e = r.errorString(); return ok; }},
        {"database pair", [](const QString &f, QString *e) { VegDatabase d; const bool ok = d.openDataFile(f); *e = d.errorString(); return ok; }},
        {"table file", [](const QString &f, QString *e) {
             TableModel m; HeaderItems items; QString title; TableFile t;
             const bool ok = t.read(f, &m, &items, &title); *e = t.errorString(); return ok; }},
        {"dictionary", [](const QString &f, QString *e) { SynonymDictionary d; const bool ok = d.load(f); *e = d.errorString(); return ok; }},
        {"settings file", [](const QString &f, QString *e) { IniFile i; const bool ok = i.load(f); *e = i.errorString(); return ok; }},
        {"site list", [](const QString &f, QString *e) { DatabaseBuilder b; const bool ok = b.readSitesCsv(f); *e = b.errorString(); return ok; }},
    };
    const struct { const char *what; QString path; } files[] = {
        {"pipe", dir.path(QStringLiteral("pipe.zki"))},
        {"device", dir.path(QStringLiteral("device.zki"))},
    };
    for (const auto &r : readers) {
        for (const auto &f : files) {
            SCOPED_TRACE(std::string(r.what) + " on a " + f.what);
            QString error;
            EXPECT_FALSE(r.read(f.path, &error));
            EXPECT_TRUE(error.contains(QStringLiteral("通常のファイルではありません"))) << error.toStdString();
        }
    }
}

TEST(FileAccessTest, SystemErrorsReadInJapanese)
{
    const int common[] = {ENOENT, EACCES, EPERM, ENOSPC, EFBIG, EROFS, EISDIR, ENOTDIR, EIO};
    QStringList texts;
    for (int e : common) {
        SCOPED_TRACE(e);
        const QString text = systemErrorText(e);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(text.contains(QString::fromLocal8Bit(std::strerror(e)))) << text.toStdString();
        texts << text;
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), int(std::size(common)) - 1); // EACCES and EPERM read alike

    TempDir dir;
    QFile file;
    QString error;
    EXPECT_FALSE(openRegularFile(&file, dir.path(QStringLiteral("none.txt")), &error));
    EXPECT_EQ(error, QStringLiteral("ファイル「%1」がありません").arg(QDir::toNativeSeparators(dir.path(QStringLiteral("none.txt")))));
    EXPECT_FALSE(openRegularFile(&file, dir.path(QStringLiteral("none/x.txt")), &error));
    EXPECT_FALSE(error.contains(QStringLiteral("No such"))) << error.toStdString();
}
