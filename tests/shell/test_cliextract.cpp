#include "database/tablefile.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::runCli;
using Zelkor::Test::TempDir;

namespace {

QString exampleDb() { return Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")); }
QString exampleDict() { return Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic")); }

struct Loaded
{
    TableModel model;
    HeaderItems items;
    QString title;
    bool ok = false;
};

void load(const QString &path, Loaded *t)
{
    TableFile f;
    t->ok = f.read(path, &t->model, &t->items, &t->title);
}

} // namespace

TEST(CliExtract, ConditionsSelectAndTheTableFileHoldsTheRelevés)
{
    TempDir dir;
    const QString out = dir.path(QStringLiteral("lolium.vtb"));
    auto r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--dict"),
                     exampleDict(), QStringLiteral("--cond"), QStringLiteral("and:2:Lolium perenne"),
                     QStringLiteral("--title"), QStringLiteral("ライムギ草地")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    const QString printed = r.outText().trimmed();
    ASSERT_TRUE(printed.startsWith(QStringLiteral("抽出数＝"))) << qPrintable(printed);
    const int fit = printed.mid(4).toInt();
    EXPECT_GT(fit, 0);

    Loaded t;
    load(out, &t);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.title, QStringLiteral("ライムギ草地"));
    EXPECT_EQ(t.model.releveCount(), fit);
    // Every relevé taken has Lolium perenne with a cover class of 2 or more.
    const int H = t.model.headerRows();
    int row = 0;
    for (int k = 1; k <= t.model.speciesCount(); ++k)
        if (t.model.grid().cell(2, H + k) == QStringLiteral("Lolium perenne"))
            row = H + k;
    ASSERT_GT(row, 0);
    for (int c = 4; c < 4 + fit; ++c) {
        const ByteDataSet codes = t.model.coverData().at(t.model.releveIndexAt(c), t.model.speciesIndexAt(row));
        EXPECT_GE(*std::max_element(codes.begin(), codes.end()), 20) << c;
    }

    // "not" takes the complement: together they are every relevé of the database.
    const QString rest = dir.path(QStringLiteral("rest.vtb"));
    r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), rest, QStringLiteral("--cond"),
                QStringLiteral("not:2:Lolium perenne")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    EXPECT_EQ(fit + r.outText().trimmed().mid(4).toInt(), 20);

    // Appending to an existing table: the relevés of both runs.
    const QString both = dir.path(QStringLiteral("both.vtb"));
    r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), both, QStringLiteral("--table"), out,
                QStringLiteral("--records"), QStringLiteral("1-3")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    Loaded b;
    load(both, &b);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.model.releveCount(), fit + 3);
    // Without --title the title is the one the database header gives.
    EXPECT_EQ(b.title, QStringLiteral("Dune meadows, Terschelling"));
}

TEST(CliExtract, ErrorsLeaveNothingUnderTheOutputName)
{
    TempDir dir;
    const QString out = dir.path(QStringLiteral("out.vtb"));
    struct Case
    {
        QStringList args;
        int exit;
    };
    const Case cases[] = {
        {{QStringLiteral("extract"), exampleDb()}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--cond"), QStringLiteral("maybe:2:X")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--cond"), QStringLiteral("and:7:X")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--records"), QStringLiteral("x-3")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--bogus")}, 2},
        {{QStringLiteral("extract"), dir.path(QStringLiteral("none.zki")), QStringLiteral("-o"), out}, 1},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--dict"), dir.path(QStringLiteral("none.dic"))}, 1},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--table"), dir.path(QStringLiteral("none.vtb"))}, 1},
    };
    for (const Case &c : cases) {
        auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << qPrintable(c.args.join(QLatin1Char(' ')));
        EXPECT_FALSE(r.errText().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out)) << qPrintable(c.args.join(QLatin1Char(' ')));
    }
}
