// Fixed-size records of a read-only file: counting, reading by number and every way a record
// can be missing.
#include "platform/recordfile.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

// Three 5-byte records and two bytes of a fourth.
const QByteArray kThreeAndABit = QByteArrayLiteral("AAAA1BBBB2CCCC3DD");

} // namespace

TEST(RecordFileTest, ReadsRecordsByNumber)
{
    TempDir dir;
    RecordFile file;
    ASSERT_TRUE(file.open(dir.writeBytes(QStringLiteral("r.dat"), kThreeAndABit), 5)) << file.errorString().toStdString();
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(file.recordSize(), 5);
    EXPECT_EQ(file.recordCount(), 3);
    const QByteArray expected[] = {"AAAA1", "BBBB2", "CCCC3"};
    // Out of order, to show each read seeks to its record.
    for (int n : {2, 0, 1, 2}) {
        QByteArray record;
        ASSERT_TRUE(file.readRecord(n, &record)) << file.errorString().toStdString();
        EXPECT_EQ(record, expected[n]);
    }
}

TEST(RecordFileTest, RecordsOutsideTheFileAreErrors)
{
    TempDir dir;
    RecordFile file;
    ASSERT_TRUE(file.open(dir.writeBytes(QStringLiteral("r.dat"), kThreeAndABit), 5));
    // 3 is the cut-off fourth record; the others lie wholly outside.
    for (qint64 n : {qint64(-1), qint64(3), qint64(4), std::numeric_limits<qint64>::max(),
                     std::numeric_limits<qint64>::min()}) {
        SCOPED_TRACE(n);
        QByteArray record = "untouched";
        EXPECT_FALSE(file.readRecord(n, &record));
        EXPECT_EQ(record, QByteArray("untouched"));
        EXPECT_FALSE(file.errorString().isEmpty());
    }
    // A failed read leaves the file usable.
    QByteArray record;
    EXPECT_TRUE(file.readRecord(1, &record));
    EXPECT_EQ(record, QByteArray("BBBB2"));
    EXPECT_TRUE(file.errorString().isEmpty());
}

TEST(RecordFileTest, EmptyFileHasNoRecords)
{
    TempDir dir;
    RecordFile file;
    ASSERT_TRUE(file.open(dir.writeBytes(QStringLiteral("e.dat"), QByteArray()), 35));
    EXPECT_EQ(file.recordCount(), 0);
    QByteArray record;
    EXPECT_FALSE(file.readRecord(0, &record));
}

TEST(RecordFileTest, OpenFailures)
{
    TempDir dir;
    const QString existing = dir.writeBytes(QStringLiteral("r.dat"), kThreeAndABit);
    const struct { QString name; int recordSize; } cases[] = {
        {dir.path(QStringLiteral("missing.dat")), 5},
        {dir.path(), 5},      // a folder
        {existing, 0},
        {existing, -5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " " + std::to_string(c.recordSize));
        RecordFile file;
        EXPECT_FALSE(file.open(c.name, c.recordSize));
        EXPECT_FALSE(file.isOpen());
        EXPECT_FALSE(file.errorString().isEmpty());
        EXPECT_EQ(file.recordCount(), 0);
        QByteArray record;
        EXPECT_FALSE(file.readRecord(0, &record));
    }
}

TEST(RecordFileTest, ReopeningSwitchesToTheNewFile)
{
    TempDir dir;
    RecordFile file;
    ASSERT_TRUE(file.open(dir.writeBytes(QStringLiteral("a.dat"), kThreeAndABit), 5));
    ASSERT_TRUE(file.open(dir.writeBytes(QStringLiteral("b.dat"), QByteArrayLiteral("xyxyxyxy")), 2));
    EXPECT_EQ(file.recordCount(), 4);
    QByteArray record;
    ASSERT_TRUE(file.readRecord(3, &record));
    EXPECT_EQ(record, QByteArray("xy"));

    // A failed reopen leaves nothing open.
    EXPECT_FALSE(file.open(dir.path(QStringLiteral("missing.dat")), 2));
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.readRecord(0, &record));

    file.close();
    EXPECT_FALSE(file.isOpen());
}

// Another program may shorten the file while it is open: the records that went are errors.
TEST(RecordFileTest, FileShortenedWhileOpen)
{
    TempDir dir;
    const QString name = dir.writeBytes(QStringLiteral("r.dat"), kThreeAndABit);
    RecordFile file;
    ASSERT_TRUE(file.open(name, 5));
    ASSERT_TRUE(QFile::resize(name, 12));
    QByteArray record;
    EXPECT_FALSE(file.readRecord(2, &record));
    EXPECT_FALSE(file.errorString().isEmpty());
    ASSERT_TRUE(file.readRecord(1, &record));
    EXPECT_EQ(record, QByteArray("BBBB2"));
}
