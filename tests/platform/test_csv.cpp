#include "platform/csv.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(Csv, SplittingALine)
{
    struct Case { QString line; QStringList fields; };
    const Case cases[] = {
        {QStringLiteral("a,b"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("\"a,b\",c"), {QStringLiteral("a,b"), QStringLiteral("c")}},
        {QStringLiteral("\"say \"\"hi\"\"\",x"), {QStringLiteral("say \"hi\""), QStringLiteral("x")}},
        {QStringLiteral("a,"), {QStringLiteral("a"), QString()}},
        {QStringLiteral(","), {QString(), QString()}},
        {QString(), {}},
        {QStringLiteral(" a ,b c"), {QStringLiteral(" a "), QStringLiteral("b c")}},
        {QStringLiteral("\"ab\"c,d"), {QStringLiteral("abc"), QStringLiteral("d")}},
        {QStringLiteral("x\"y,z"), {QStringLiteral("x\"y"), QStringLiteral("z")}},
        {QStringLiteral("\"unterminated,x"), {QStringLiteral("unterminated,x")}},
        {QStringLiteral("\"\","), {QString(), QString()}},
        {QStringLiteral(",,\"a\"\"\""), {QString(), QString(), QStringLiteral("a\"")}},
        {QStringLiteral("a,\r"), {QStringLiteral("a"), QStringLiteral("\r")}},
        {QStringLiteral("a,b\r\nc"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("\"x\ny\",z\nw"), {QStringLiteral("x\ny"), QStringLiteral("z")}},
        {QStringLiteral("\r\na"), {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Csv::splitLine(c.line), c.fields) << c.line.toStdString();
        // The fields are counted as they would be split.
        EXPECT_EQ(Csv::fieldCount(c.line), c.fields.size()) << c.line.toStdString();
    }
}

TEST(Csv, RecordsOfAText)
{
    // Quoted line feeds stay in the field; each record knows the line it starts on.
    std::vector<Csv::Record> records;
    int unclosed = 0;
    ASSERT_TRUE(Csv::parse(u"id,name\r\n1,\"two\r\nlines\"\r\n\r\n2,x,\n", &records, &unclosed));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].fields, (QStringList{QStringLiteral("id"), QStringLiteral("name")}));
    EXPECT_EQ(records[1].line, 2);
    EXPECT_EQ(records[1].fields, (QStringList{QStringLiteral("1"), QStringLiteral("two\r\nlines")}));
    EXPECT_EQ(records[2].line, 4);
    EXPECT_TRUE(records[2].fields.isEmpty());
    EXPECT_EQ(records[3].line, 5);
    EXPECT_EQ(records[3].fields, (QStringList{QStringLiteral("2"), QStringLiteral("x"), QString()}));

    records.clear();
    EXPECT_FALSE(Csv::parse(u"a\nb,\"open\nstill", &records, &unclosed));
    EXPECT_EQ(unclosed, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].fields.value(1), QStringLiteral("open\nstill"));
}

TEST(Csv, FieldsQuotedOnlyWhereTheyMustBe)
{
    struct Case { QString text; QString written; };
    const Case cases[] = {
        {QStringLiteral("plain text"), QStringLiteral("plain text")},
        {QStringLiteral("a,b"), QStringLiteral("\"a,b\"")},
        {QStringLiteral("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\"")},
        {QStringLiteral("two\nlines"), QStringLiteral("\"two\nlines\"")},
        {QString(), QString()},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Csv::field(c.text), c.written);
        EXPECT_EQ(Csv::splitLine(Csv::joinLine({c.text, QStringLiteral("next")})),
                  (QStringList{c.text, QStringLiteral("next")}));
    }
    EXPECT_EQ(Csv::field(QByteArray("\x8E\x81,x")), QByteArray("\"\x8E\x81,x\""));
    EXPECT_EQ(Csv::quoted(QStringLiteral("Carex \"x\"")), QStringLiteral("\"Carex \"\"x\"\"\""));
}
