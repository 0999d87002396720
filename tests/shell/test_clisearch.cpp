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
