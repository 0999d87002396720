// zelkor-cli group and the --group-by of constancy and fidelity, on the example's relevés.
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablegrouping.h"
#include "table/tablemodel.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::runCli;

TEST(CliGroup, GroupsAndTheAnalysesGroupTheSameWay)
{
    Zelkor::Test::TempDir dir;
    const QString table = dir.path(QStringLiteral("dune.vtb"));
    ASSERT_EQ(runCli({QStringLiteral("extract"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")),
                      QStringLiteral("-o"), table})
                  .exitCode,
              0);
    const QString grouped = dir.path(QStringLiteral("grouped.vtb"));
    const auto r = runCli({QStringLiteral("group"), table, QStringLiteral("--by"), QStringLiteral("管理"), QStringLiteral("-o"), grouped});
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_EQ(r.outText().trimmed(), QStringLiteral("群の数＝4"));

    // The file is the table grouped in memory.
    TableModel model;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &model, &items, &title));
    ASSERT_TRUE(TableGrouping::regroup(model, TableGrouping::findItem(model, QStringLiteral("管理"))));
    const QString want = dir.path(QStringLiteral("want.vtb"));
    ASSERT_TRUE(TableFile().write(model, title, want));
    EXPECT_EQ(Zelkor::Test::readBytes(grouped), Zelkor::Test::readBytes(want));
    EXPECT_EQ(model.releveCount(), 23); // 20 relevés and 3 separators

    // constancy --group-by gives the constancy table of the grouped file; the input stays.
    const QByteArray input = Zelkor::Test::readBytes(table);
    const QString onTheFly = dir.path(QStringLiteral("a.csv"));
    const QString ofGrouped = dir.path(QStringLiteral("b.csv"));
    ASSERT_EQ(runCli({QStringLiteral("constancy"), table, QStringLiteral("--group-by"), QStringLiteral("管理"), QStringLiteral("-o"), onTheFly}).exitCode, 0);
    ASSERT_EQ(runCli({QStringLiteral("constancy"), grouped, QStringLiteral("-o"), ofGrouped}).exitCode, 0);
    EXPECT_EQ(Zelkor::Test::readBytes(onTheFly), Zelkor::Test::readBytes(ofGrouped));
    EXPECT_EQ(Zelkor::Test::readBytes(table), input);

    // fidelity --group-by names each group by the item's value.
    const QString fidelity = dir.path(QStringLiteral("f.csv"));
    ASSERT_EQ(runCli({QStringLiteral("fidelity"), table, QStringLiteral("--group-by"), QStringLiteral("管理"), QStringLiteral("-o"), fidelity}).exitCode, 0);
    QStringList groups;
    for (const QString &line : Zelkor::Test::readLines(fidelity).mid(1))
        if (!groups.contains(line.section(QLatin1Char(','), 1, 1)))
            groups << line.section(QLatin1Char(','), 1, 1);
    EXPECT_EQ(groups, (QStringList{QStringLiteral("SF"), QStringLiteral("BF"), QStringLiteral("HF"), QStringLiteral("NM")}));

    // Errors: an item the table does not hold, no --by, the input as output.
    struct Case { QStringList args; int exit; };
    const Case cases[] = {
        {{QStringLiteral("group"), table, QStringLiteral("--by"), QStringLiteral("99"), QStringLiteral("-o"), want}, 1},
        {{QStringLiteral("group"), table, QStringLiteral("-o"), want}, 2},
        {{QStringLiteral("group"), table, QStringLiteral("--by"), QStringLiteral("管理"), QStringLiteral("-o"), table}, 1},
        {{QStringLiteral("constancy"), table, QStringLiteral("--group-by"), QStringLiteral("なし"), QStringLiteral("-o"), onTheFly}, 1},
    };
    QFile::remove(want);
    QFile::remove(onTheFly);
    for (const Case &c : cases) {
        const auto e = runCli(c.args);
        EXPECT_EQ(e.exitCode, c.exit) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(want));
        EXPECT_FALSE(QFileInfo::exists(onTheFly));
    }
    EXPECT_EQ(Zelkor::Test::readBytes(table), input);
}
