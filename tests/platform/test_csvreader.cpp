// The record reader takes a comma-separated file apart through a window of its bytes, record
// after record, and must read exactly what Csv::parse() reads from the whole text.
#include "platform/csv.h"
#include "platform/csvreader.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace Zelkor;

namespace {

struct Outcome
{
    std::vector<Csv::Record> records;
    bool closed = true;
    int unclosedLine = 0;
};

// The records as the reader gives them, one byte taken as one character.
Outcome readThrough(const QByteArray &bytes, qsizetype window)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    EXPECT_TRUE(buffer.open(QIODevice::ReadOnly));
    Csv::RecordReader reader(&buffer, copy.size(), window);
    Outcome out;
    for (;;) {
        const Csv::RecordReader::Status status = reader.next();
        if (status == Csv::RecordReader::Status::End)
            break;
        EXPECT_NE(status, Csv::RecordReader::Status::Failed);
        if (status == Csv::RecordReader::Status::Failed)
            break;
        Csv::Record record;
        record.line = reader.line();
        for (const QByteArrayView field : reader.fields())
            record.fields << QString::fromLatin1(field.data(), field.size());
        out.records.push_back(record);
        if (status == Csv::RecordReader::Status::Unclosed) {
            out.closed = false;
            out.unclosedLine = reader.line();
            // Nothing follows a record that runs to the end.
            EXPECT_EQ(reader.next(), Csv::RecordReader::Status::End);
            break;
        }
    }
    return out;
}

Outcome parseWhole(const QByteArray &bytes)
{
    Outcome out;
    out.closed = Csv::parse(QString::fromLatin1(bytes), &out.records, &out.unclosedLine);
    if (out.closed)
        out.unclosedLine = 0;
    return out;
}

std::string shown(const QByteArray &bytes)
{
    std::string s;
    for (char c : bytes)
        s += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return s;
}

void expectSame(const QByteArray &bytes)
{
    const Outcome whole = parseWhole(bytes);
    for (const qsizetype window : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(5), qsizetype(64), qsizetype(1) << 20}) {
        const Outcome pieces = readThrough(bytes, window);
        EXPECT_EQ(pieces.closed, whole.closed) << shown(bytes) << ", window " << window;
        EXPECT_EQ(pieces.unclosedLine, whole.unclosedLine) << shown(bytes) << ", window " << window;
        ASSERT_EQ(pieces.records.size(), whole.records.size()) << shown(bytes) << ", window " << window;
        for (std::size_t k = 0; k < whole.records.size(); ++k) {
            EXPECT_EQ(pieces.records[k].line, whole.records[k].line) << shown(bytes) << ", record " << k;
            EXPECT_EQ(pieces.records[k].fields, whole.records[k].fields) << shown(bytes) << ", record " << k;
        }
    }
}

} // namespace

TEST(CsvRecordReader, ReadsWhatTheWholeTextParsesTo)
{
    // The cases that matter by name: line ends in and out of quotes, doubled quotes, text after
    // a closing quote, commas at the ends of lines, CR alone, quotes left open.
    const QByteArray named[] = {
        "", "\n", "\r\n", "a", "a\n", "a\r\n", "a,b\r\nc,d", "a,\n,b\n,\n", "\"a\nb\",c\r\nd",
        "\"x\"\"y\",\"\"\n", "\"ab\"cd,e\n", "x\"y,z\n", "a\rb,c\r", "\"open,\nstill open", "a,\"open",
        "\"", "\"\"\"", ",\r\n\r\n,", "a,\r", "\"q\"\r\n\"r\"", "id,name\r\n1,\"two\r\nlines\"\r\n\r\n2,x,\n",
    };
    for (const QByteArray &bytes : named)
        expectSame(bytes);

    std::mt19937 rng(1234);
    const char alphabet[] = {',', ',', '"', '"', '\r', '\n', '\n', 'a', 'b', ' '};
    for (int k = 0; k < 4000; ++k) {
        QByteArray bytes;
        for (int n = int(rng() % 40); n > 0; --n)
            bytes += alphabet[rng() % sizeof alphabet];
        expectSame(bytes);
    }
}

TEST(CsvRecordReader, ReadsALongFileRecordByRecord)
{
    // Far more than one window: every record comes out whole and in order.
    QByteArray bytes;
    for (int k = 0; k < 5000; ++k)
        bytes += "R" + QByteArray::number(k) + ",\"Species, " + QByteArray::number(k % 97) + "\",H1,+\r\n";
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    Csv::RecordReader reader(&buffer, bytes.size(), 1000);
    int k = 0;
    while (reader.next() == Csv::RecordReader::Status::Record) {
        ASSERT_EQ(reader.fields().size(), 4u);
        EXPECT_EQ(reader.fields()[0], "R" + QByteArray::number(k));
        EXPECT_EQ(reader.fields()[1], "Species, " + QByteArray::number(k % 97));
        EXPECT_EQ(reader.line(), k + 1);
        ++k;
    }
    EXPECT_EQ(k, 5000);
    EXPECT_EQ(reader.position(), bytes.size());
}
