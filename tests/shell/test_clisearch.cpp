#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// A saved table of two relevés: 22 species whose names hold "ススキ", one "ハマヒルガオ", and a
// site name "ススキ原" in header row 2 of relevé 1.
QString writeTable(const Zelkor::Test::TempDir &dir)
{
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    const int h = model.headerRows();
    model.setReleveCount(2);
    model.grid().setCell(4, 2, QStringLiteral("ススキ原"));
    model.grid().setCell(5, 2, QStringLiteral("浜"));
    for (int k = 1; k <= 23; ++k) {
        const int row = h + k;
        model.grid().setCell(2, row, k == 23 ? QStringLiteral("ハマヒルガオ") : QStringLiteral("ススキ%1").arg(k));
        model.grid().setCell(4, row, QStringLiteral("   1"));
        model.coverData().set(model.releveIndexAt(4), model.speciesIndexAt(row), ByteDataSet{0, 0, 0, 0, 10, 0, 0});
    }
    model.setSpeciesCount(23);
    model.recomputeFrequencies();
    return Zelkor::Test::writeTableFile(dir, model, QStringLiteral("t.vtb"));
}

} // namespace

TEST(CliSearch, PrintsAtMostTwentyMarksInSearchOrder)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir);
    const int h = HeaderItems().layoutCount() + 1;

    const Zelkor::Test::CliResult partial = Zelkor::Test::runCli({QStringLiteral("search"), table, QStringLiteral("ススキ")});
    ASSERT_EQ(partial.exitCode, 0) << partial.errText().toStdString();
    QStringList expected;
    for (int k = 1; k <= 20; ++k)
        expected << QStringLiteral("2,%1").arg(h + k);
    EXPECT_EQ(partial.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);

    const Zelkor::Test::CliResult exact = Zelkor::Test::runCli({QStringLiteral("search"), QStringLiteral("--exact"), table, QStringLiteral("浜")});
    ASSERT_EQ(exact.exitCode, 0);
    EXPECT_EQ(exact.outText(), QStringLiteral("5,2\n"));

    const Zelkor::Test::CliResult none = Zelkor::Test::runCli({QStringLiteral("search"), table, QStringLiteral("  ")});
    ASSERT_EQ(none.exitCode, 0);
    EXPECT_TRUE(none.out.isEmpty());
}

TEST(CliSearch, IgnoreCaseFoldsCaseAndWidth)
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    const int h = model.headerRows();
    model.setReleveCount(1);
    const char *names[] = {"Poa annua", "poa pratensis", "Ｐｏａ trivialis", "Festuca rubra"};
    for (int k = 1; k <= 4; ++k) {
        model.grid().setCell(2, h + k, QString::fromUtf8(names[k - 1]));
        model.grid().setCell(4, h + k, QStringLiteral("   1"));
        model.coverData().set(model.releveIndexAt(4), model.speciesIndexAt(h + k), ByteDataSet{0, 0, 0, 0, 10, 0, 0});
    }
    model.setSpeciesCount(4);
    model.recomputeFrequencies();
    const QString table = Zelkor::Test::writeTableFile(dir, model, QStringLiteral("poa.vtb"));

    const QString rows[] = {QString(), QStringLiteral("2,%1").arg(h + 1), QStringLiteral("2,%1").arg(h + 2),
                            QStringLiteral("2,%1").arg(h + 3)};
    struct Case
    {
        QStringList options;
        QString text;
        QStringList expected;
    };
    const QString ignore = QStringLiteral("--ignore-case");
    const Case cases[] = {
        {{}, QStringLiteral("poa"), {rows[2]}},
        {{ignore}, QStringLiteral("poa"), {rows[1], rows[2], rows[3]}},
        {{ignore}, QStringLiteral("ＰＯＡ"), {rows[1], rows[2], rows[3]}},
        {{QStringLiteral("--exact")}, QStringLiteral("POA ANNUA"), {}},
        {{QStringLiteral("--exact"), ignore}, QStringLiteral("POA ANNUA"), {rows[1]}},
    };
    for (const Case &c : cases) {
        QStringList args{QStringLiteral("search")};
        args << c.options << table << c.text;
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
        EXPECT_EQ(r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts), c.expected)
            << args.join(QLatin1Char(' ')).toStdString();
    }

    const Zelkor::Test::CliResult help = Zelkor::Test::runCli({QStringLiteral("search"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.outText().contains(QStringLiteral("--ignore-case"))) << help.outText().toStdString();
}

TEST(CliSearch, ErrorsAndUsage)
{
    Zelkor::Test::TempDir dir;
    const QString bad = dir.writeBytes(QStringLiteral("bad.vtb"), QByteArray("title\r\nnot numbers\r\n"));
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{QStringLiteral("search"), bad, QStringLiteral("x")}, 1},
        {{QStringLiteral("search"), dir.path(QStringLiteral("missing.vtb")), QStringLiteral("x")}, 1},
        {{QStringLiteral("search"), bad}, 2},
        {{QStringLiteral("search"), bad, QStringLiteral("x"), QStringLiteral("y")}, 2},
        {{QStringLiteral("search"), bad, QStringLiteral("x"), QStringLiteral("--fuzzy")}, 2},
    };
    for (const Case &c : cases) {
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
