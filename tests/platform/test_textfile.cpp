// Reading and writing CP932 text files: line ends, undecodable lines, size limits, and the
// safe write that leaves the old file alone whenever anything goes wrong.
#include "platform/textfile.h"

#include "platform/cp932.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>

using namespace Zelkor;
using Zelkor::Test::TempDir;
using Zelkor::Test::readBytes;

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

QByteArray cp932(const QString &text)
{
    QByteArray bytes;
    EXPECT_TRUE(Cp932::encode(text, &bytes));
    return bytes;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Names of the files in the folder, to see that no temporary file was left behind.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

TEST(TextFileReaderTest, LineEnds)
{
    const struct { const char *what; QByteArray bytes; QStringList lines; } cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF only", "a\nb\n", {"a", "b"}},
        {"mixed", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        {"last line without end", "a\r\nb", {"a", "b"}},
        {"single line without end", "abc", {"abc"}},
        {"empty file", "", {}},
        {"one empty line", "\r\n", {""}},
        {"empty lines kept", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
        {"only one CR is part of the line end", "a\r\r\nb", {"a\r", "b"}},
        {"a CR inside a line stays", "a\rb\r\n", {"a\rb"}},
        {"a CR as the last byte ends the line", "a\r\nb\r", {"a", "b"}},
        {"blanks kept", "  a \t\r\n", {"  a \t"}},
        {"Japanese", cp932(u(u"調査面積（㎡）\r\nｱ･～\r\n\u3000①")),
         {u(u"調査面積（㎡）"), u(u"ｱ･～"), u(u"\u3000①")}},
    };
    TempDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TextFileReader reader;
        ASSERT_TRUE(reader.read(dir.writeBytes(QStringLiteral("t.txt"), c.bytes))) << reader.errorString().toStdString();
        EXPECT_EQ(reader.lines(), c.lines);
        EXPECT_TRUE(reader.errorString().isEmpty());
    }
}

TEST(TextFileReaderTest, UndecodableLineIsNamed)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("bad.txt"),
                                        cp932(u(u"一行目\r\n")) + "ab\x82\xA0" + "\x81\r\nthird\r\n");
    TextFileReader reader;
    EXPECT_FALSE(reader.read(name));
    EXPECT_EQ(reader.errorString(),
              u(u"ファイル「%1」の 2 行目: 5 バイト目がシフトJISとして読めません").arg(native(name)));
    EXPECT_TRUE(reader.lines().isEmpty());
}

TEST(TextFileReaderTest, FailureAfterSuccessClearsTheLines)
{
    TempDir dir;
    TextFileReader reader;
    ASSERT_TRUE(reader.read(dir.writeBytes(QStringLiteral("good.txt"), "a\r\nb\r\n")));
    ASSERT_EQ(reader.lines().size(), 2);
    EXPECT_FALSE(reader.read(dir.path(QStringLiteral("missing.txt"))));
    EXPECT_TRUE(reader.lines().isEmpty());
    EXPECT_FALSE(reader.errorString().isEmpty());
}

TEST(TextFileReaderTest, UnreadableFiles)
{
    TempDir dir;
    const QString missing = dir.path(QStringLiteral("missing.txt"));
    TextFileReader reader;
    EXPECT_FALSE(reader.read(missing));
    EXPECT_TRUE(reader.errorString().contains(native(missing)));

    EXPECT_FALSE(reader.read(dir.path())); // a folder
    EXPECT_FALSE(reader.errorString().isEmpty());
}

TEST(TextFileReaderTest, SizeLimit)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("t.txt"), QByteArray(98, 'x') + "\r\n");
    TextFileReader reader;
    reader.setMaxBytes(99);
    EXPECT_FALSE(reader.read(name));
    EXPECT_TRUE(reader.lines().isEmpty());
    EXPECT_FALSE(reader.errorString().isEmpty());
    reader.setMaxBytes(100);
    ASSERT_TRUE(reader.read(name));
    EXPECT_EQ(reader.lines(), QStringList{QString(98, QLatin1Char('x'))});
}

// Large files are read in pieces: a line end, a CR LF pair or a double-byte character that
// falls across the boundary of two pieces must read the same as anywhere else. The lengths
// cover the usual buffer sizes.
TEST(TextFileReaderTest, LinesAcrossBufferBoundaries)
{
    TempDir dir;
    for (qsizetype boundary : {qsizetype(1) << 14, qsizetype(1) << 16, qsizetype(1) << 20}) {
        for (qsizetype shift = -2; shift <= 1; ++shift) {
            SCOPED_TRACE(std::to_string(boundary) + " " + std::to_string(shift));
            const QString first(boundary + shift, QLatin1Char('a'));
            const QStringList lines = {first, u(u"調査面積"), first + u(u"調"), QString(), u(u"ｱ最後")};
            QByteArray bytes;
            for (const QString &l : lines)
                bytes += cp932(l) + "\r\n";
            TextFileReader reader;
            ASSERT_TRUE(reader.read(dir.writeBytes(QStringLiteral("big.txt"), bytes))) << reader.errorString().toStdString();
            EXPECT_EQ(reader.lines(), lines);
        }
    }
}

TEST(TextFileReaderTest, UndecodableLineFarIntoALargeFile)
{
    TempDir dir;
    QByteArray bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += cp932(u(u"調査面積（㎡）,%1,ススキ").arg(i)) + "\r\n";
    bytes += "last\x81\r\n";
    const QString name = dir.writeBytes(QStringLiteral("big.txt"), bytes);
    TextFileReader reader;
    EXPECT_FALSE(reader.read(name));
    EXPECT_EQ(reader.errorString(),
              u(u"ファイル「%1」の 40001 行目: 5 バイト目がシフトJISとして読めません").arg(native(name)));
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST(TextFileWriterTest, WritesCp932WithCrLf)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("out.txt"));
    QString error;
    ASSERT_TRUE(writeTextFile(name, {u(u"調査面積（㎡）"), QString(), u(u"Ⅰ～Ⅹ ･ ①"), QStringLiteral("abc")}, &error))
        << error.toStdString();
    EXPECT_EQ(readBytes(name).toHex(),
              (cp932(u(u"調査面積（㎡）")) + "\r\n\r\n" + cp932(u(u"Ⅰ～Ⅹ ･ ①")) + "\r\nabc\r\n").toHex());
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.txt")});
}

TEST(TextFileWriterTest, NoLinesGiveAnEmptyFile)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("out.txt"), "old content");
    ASSERT_TRUE(writeTextFile(name, {}));
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_TRUE(readBytes(name).isEmpty());
}

TEST(TextFileWriterTest, TextBytesAndLinesMix)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("out.txt"));
    TextFileWriter writer(name);
    ASSERT_TRUE(writer.open());
    writer.write(u(u"種名"));
    writer.write(QStringLiteral(","));
    writer.writeBytes(QByteArray("\x82\xA0", 2));
    writer.writeLine(u(u"ｱ"));
    writer.writeLine(QString());
    ASSERT_TRUE(writer.commit()) << writer.errorString().toStdString();
    EXPECT_EQ(readBytes(name).toHex(), (cp932(u(u"種名,あｱ")) + "\r\n\r\n").toHex());
}

TEST(TextFileWriterTest, WrittenLinesReadBack)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("out.txt"));
    QStringList lines;
    for (int i = 0; i < 30000; ++i)
        lines << u(u"%1　ススキ群落 Miscanthus sinensis ｱ･─ %2").arg(i).arg(QString(i % 97, QChar(0x8ABF)));
    lines << QString();
    QString error;
    ASSERT_TRUE(writeTextFile(name, lines, &error)) << error.toStdString();
    TextFileReader reader;
    ASSERT_TRUE(reader.read(name)) << reader.errorString().toStdString();
    EXPECT_EQ(reader.lines(), lines);
}

// Every way a write can fail leaves the old file byte for byte and no temporary file.
TEST(TextFileWriterTest, FailedWriteKeepsTheOldFile)
{
    const QByteArray old = cp932(u(u"古い内容\r\n二行目\r\n"));
    const struct { const char *what; std::function<bool(TextFileWriter &)> write; QString error; } cases[] = {
        {"unmappable character",
         [](TextFileWriter &w) {
             w.writeLine(QStringLiteral("one"));
             w.writeLine(QStringLiteral("two"));
             w.writeLine(u(u"三行目‐€"));
             w.writeLine(QStringLiteral("four"));
             return w.commit();
         },
         u(u"ファイル「%1」の 3 行目: 5 文字目の「€」はシフトJISで表せません")},
        {"unmappable character in text without line end",
         [](TextFileWriter &w) {
             w.writeLine(QStringLiteral("one"));
             w.write(QStringLiteral("a"));
             w.write(u(u"é"));
             return w.commit();
         },
         u(u"ファイル「%1」の 2 行目: 1 文字目の「é」はシフトJISで表せません")},
        {"line count includes raw bytes",
         [](TextFileWriter &w) {
             w.writeBytes("x\r\ny\r\n");
             w.writeLine(u(u"😀"));
             return w.commit();
         },
         u(u"ファイル「%1」の 3 行目: 1 文字目の「😀」はシフトJISで表せません")},
        {"cancelled", [](TextFileWriter &w) { w.writeLine(QStringLiteral("new")); w.cancel(); return w.commit(); }, QString()},
        {"destroyed without commit", [](TextFileWriter &w) { w.writeLine(QStringLiteral("new")); return false; }, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString name = dir.writeBytes(QStringLiteral("keep.txt"), old);
        QString error;
        {
            TextFileWriter writer(name);
            ASSERT_TRUE(writer.open());
            EXPECT_FALSE(c.write(writer));
            error = writer.errorString();
        }
        if (!c.error.isEmpty()) {
            EXPECT_EQ(error, c.error.arg(native(name)));
        }
        EXPECT_EQ(readBytes(name), old);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("keep.txt")});
    }
}

TEST(TextFileWriterTest, WriteTextFileReportsTheBadLine)
{
    TempDir dir;
    const QByteArray old("old\r\n");
    const QString name = dir.writeBytes(QStringLiteral("keep.txt"), old);
    QString error;
    EXPECT_FALSE(writeTextFile(name, {QStringLiteral("a"), u(u"b‖€")}, &error));
    EXPECT_EQ(error, u(u"ファイル「%1」の 2 行目: 3 文字目の「€」はシフトJISで表せません").arg(native(name)));
    EXPECT_EQ(readBytes(name), old);
}

TEST(TextFileWriterTest, MissingFolderFailsAtOpen)
{
    TempDir dir;
    TextFileWriter writer(dir.path(QStringLiteral("no/such/folder/out.txt")));
    EXPECT_FALSE(writer.open());
    EXPECT_FALSE(writer.errorString().isEmpty());
    writer.writeLine(QStringLiteral("ignored"));
    EXPECT_FALSE(writer.commit());
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("no"))));
}

TEST(TextFileWriterTest, ReadOnlyFolderKeepsTheOldFile)
{
    TempDir dir;
    const QString folder = dir.path(QStringLiteral("ro"));
    const QByteArray old("old\r\n");
    const QString name = dir.writeBytes(QStringLiteral("ro/keep.txt"), old);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "folder permissions do not stop this user (root)";
    }
    QString error;
    EXPECT_FALSE(writeTextFile(name, {QStringLiteral("new")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(name), old);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("keep.txt")});
}

// A target that is a folder cannot be replaced by a file: the folder and its contents stay.
TEST(TextFileWriterTest, TargetThatIsAFolderStays)
{
    TempDir dir;
    const QString inside = dir.writeBytes(QStringLiteral("target/inside.txt"), "keep");
    QString error;
    EXPECT_FALSE(writeTextFile(dir.path(QStringLiteral("target")), {QStringLiteral("new")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(inside), QByteArray("keep"));
    EXPECT_EQ(filesIn(dir.path()), QStringList());
}

TEST(TextFileWriterTest, CommitNeedsOpen)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("out.txt"));
    TextFileWriter writer(name);
    writer.writeLine(QStringLiteral("x"));
    EXPECT_FALSE(writer.commit());
    EXPECT_FALSE(writer.errorString().isEmpty());
    EXPECT_FALSE(QFile::exists(name));
}

TEST(TextFileWriterTest, SecondCommitFails)
{
    TempDir dir;
    const QString name = dir.path(QStringLiteral("out.txt"));
    TextFileWriter writer(name);
    ASSERT_TRUE(writer.open());
    writer.writeLine(QStringLiteral("x"));
    ASSERT_TRUE(writer.commit());
    writer.writeLine(QStringLiteral("y"));
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(readBytes(name), QByteArray("x\r\n"));
}
