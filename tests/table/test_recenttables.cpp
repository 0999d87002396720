// The list of the tables used last: order, repeats, the limit of eight, removal and the settings
// file.
#include "platform/inifile.h"
#include "support/testsupport.h"
#include "table/recenttables.h"
#include "table/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

QStringList names(const RecentTables &recent)
{
    QStringList out;
    for (const QString &path : recent.paths())
        out << QFileInfo(path).fileName();
    return out;
}

QString touch(const TempDir &dir, const QString &name)
{
    return dir.writeBytes(name, QByteArrayLiteral("x"));
}

} // namespace

TEST(RecentTables, AddingPutsTheFileOnTopOnceAndKeepsEight)
{
    TempDir dir;
    struct Case
    {
        const char *name;
        QStringList added; // file names in the temporary folder, in the order used
        QStringList expected;
    };
    const Case cases[] = {
        {"most recent first", {"a", "b", "c"}, {"c", "b", "a"}},
        {"used again moves to the top", {"a", "b", "c", "a"}, {"a", "c", "b"}},
        {"the top used again changes nothing", {"a", "b", "b"}, {"b", "a"}},
        {"the ninth pushes out the oldest", {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
         {"9", "8", "7", "6", "5", "4", "3", "2"}},
        {"an old one used again comes back instead of falling off",
         {"1", "2", "3", "4", "5", "6", "7", "8", "1", "9"}, {"9", "1", "8", "7", "6", "5", "4", "3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecentTables recent;
        for (const QString &n : c.added)
            recent.add(dir.path(n + QStringLiteral(".vtb")));
        QStringList expected;
        for (const QString &n : c.expected)
            expected << n + QStringLiteral(".vtb");
        EXPECT_EQ(names(recent), expected);
        EXPECT_LE(recent.size(), RecentTables::MaxCount);
    }
}

TEST(RecentTables, PathsOfOneFileCountAsOne)
{
    TempDir dir;
    QDir().mkpath(dir.path(QStringLiteral("sub")));
    const QString file = touch(dir, QStringLiteral("sub/table.vtb"));
    const QString link = dir.path(QStringLiteral("link.vtb"));
    ASSERT_TRUE(QFile::link(file, link));
    struct Case
    {
        const char *name;
        QString other;
    };
    const Case cases[] = {
        {"a detour through ..", dir.path(QStringLiteral("sub/../sub/./table.vtb"))},
        {"a symbolic link", link},
        {"a relative path", QDir::current().relativeFilePath(file)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecentTables recent;
        recent.add(file);
        recent.add(touch(dir, QStringLiteral("other.vtb")));
        recent.add(c.other);
        ASSERT_EQ(recent.size(), 2);
        EXPECT_TRUE(RecentTables::sameFile(recent.paths().at(0), file));
        EXPECT_TRUE(QFileInfo(recent.paths().at(0)).isAbsolute());
        EXPECT_TRUE(recent.remove(file));
        EXPECT_EQ(names(recent), QStringList{QStringLiteral("other.vtb")});
    }
    // Two different files, and a file that is gone compared by its path.
    EXPECT_FALSE(RecentTables::sameFile(file, dir.path(QStringLiteral("other.vtb"))));
    EXPECT_TRUE(RecentTables::sameFile(dir.path(QStringLiteral("gone/../gone.vtb")), dir.path(QStringLiteral("gone.vtb"))));
    RecentTables recent;
    recent.add(file);
    EXPECT_FALSE(recent.remove(dir.path(QStringLiteral("not in the list.vtb"))));
    EXPECT_FALSE(recent.remove(QString()));
    recent.add(QString());
    EXPECT_EQ(recent.size(), 1);
}

TEST(RecentTables, SettingsFileRoundTripKeepsOtherKeys)
{
    TempDir dir;
    // A settings file of another version: keys this one does not know, in the section and
    // elsewhere, gaps and a repeat in the list.
    const QString ini = dir.writeLines(QStringLiteral("z.ini"),
                                       {QStringLiteral("[RecentTables]"), QStringLiteral("File1=/data/a.vtb"),
                                        QStringLiteral("File3=/data/b.vtb"), QStringLiteral("File4=/data/A/../a.vtb"),
                                        QStringLiteral("File9=/data/ninth.vtb"), QStringLiteral("Pinned=1"),
                                        QStringLiteral("[Future]"), QStringLiteral("Key=値")});
    Settings s;
    HeaderItems items;
    ASSERT_TRUE(readIniFile(ini, &s, &items));
    EXPECT_EQ(s.recentTables.paths(), (QStringList{QStringLiteral("/data/a.vtb"), QStringLiteral("/data/b.vtb")}));

    s.recentTables.add(QStringLiteral("/data/新しい表.vtb"));
    ASSERT_TRUE(writeIniFile(ini, s, items));
    Settings back;
    ASSERT_TRUE(readIniFile(ini, &back, &items));
    EXPECT_EQ(back.recentTables, s.recentTables);
    IniFile file;
    ASSERT_TRUE(file.load(ini));
    EXPECT_EQ(file.readString(QStringLiteral("RecentTables"), QStringLiteral("File9"), {}), QStringLiteral("/data/ninth.vtb"));
    EXPECT_EQ(file.readString(QStringLiteral("RecentTables"), QStringLiteral("Pinned"), {}), QStringLiteral("1"));
    EXPECT_EQ(file.readString(QStringLiteral("Future"), QStringLiteral("Key"), {}), QStringLiteral("値"));

    // A shorter list does not bring back the old entries.
    back.recentTables.setPaths({QStringLiteral("/data/only.vtb")});
    ASSERT_TRUE(writeIniFile(ini, back, items));
    Settings shorter;
    ASSERT_TRUE(readIniFile(ini, &shorter, &items));
    EXPECT_EQ(shorter.recentTables.paths(), QStringList{QStringLiteral("/data/only.vtb")});

    // A file without the section reads an empty list and gets no empty keys.
    const QString plain = dir.writeLines(QStringLiteral("plain.ini"), {QStringLiteral("[Table]"), QStringLiteral("Title=t")});
    Settings none;
    none.recentTables.add(QStringLiteral("/old.vtb"));
    ASSERT_TRUE(readIniFile(plain, &none, &items));
    EXPECT_TRUE(none.recentTables.isEmpty());
    ASSERT_TRUE(writeIniFile(plain, none, items));
    EXPECT_FALSE(Zelkor::Test::readLines(plain).join(QLatin1Char('\n')).contains(QStringLiteral("RecentTables")));
}

TEST(RecentTables, APathTheSettingsFileCannotHoldIsLeftOutNotWrittenDamaged)
{
    TempDir dir;
    const QString ini = dir.path(QStringLiteral("z.ini"));
    Settings s;
    HeaderItems items;
    s.recentTables.setPaths({QStringLiteral("/data/été.vtb"), QStringLiteral("/data/表.vtb")});
    ASSERT_TRUE(writeIniFile(ini, s, items));
    Settings back;
    ASSERT_TRUE(readIniFile(ini, &back, &items));
    EXPECT_EQ(back.recentTables.paths(), QStringList{QStringLiteral("/data/表.vtb")});
}
