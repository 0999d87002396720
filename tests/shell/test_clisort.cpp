#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// A saved table of four relevés with 1, 3, 2 and 4 species (labels R1..R4) and four species
// found 1, 3, 2 and 4 times (S1..S4).
QString writeTable(const Zelkor::Test::TempDir &dir)
{
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    const int h = model.headerRows();
    model.setReleveCount(4);
    model.setSpeciesCount(4);
    const int counts[] = {1, 3, 2, 4};
    for (int k = 1; k <= 4; ++k) {
        model.grid().setCell(k + 3, 2, QStringLiteral("R%1").arg(k));
        model.grid().setCell(2, h + k, QStringLiteral("S%1").arg(k));
    }
    // Species j in relevés 1..counts[j]; relevé k then has the species whose count reaches k.
    for (int j = 1; j <= 4; ++j) {
        for (int k = 1; k <= counts[j - 1]; ++k) {
            model.grid().setCell(k + 3, h + j, QStringLiteral("   +"));
            model.coverData().set(model.releveIndexAt(k + 3), model.speciesIndexAt(h + j), ByteDataSet{0, 0, 0, 0, 1, 0, 0});
        }
    }
    model.recomputeFrequencies();
    return Zelkor::Test::writeTableFile(dir, model, QStringLiteral("in.vtb"));
}

QStringList order(const QString &path, bool species)
{
    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    if (!file.read(path, &model, &items, &title))
        return {file.errorString()};
    QStringList out;
    for (int p = 1; p <= 4; ++p)
        out << (species ? model.grid().cell(2, model.headerRows() + p) : model.grid().cell(p + 3, 2));
    if (title != QStringLiteral("砂丘"))
        out << title;
    return out;
}

} // namespace

TEST(CliSort, SortsSpeciesOrRelevesOverARange)
{
    Zelkor::Test::TempDir dir;
    const QString in = writeTable(dir);
    const QString out = dir.path(QStringLiteral("out.vtb"));
    // Relevé species numbers: R1 4, R2 3, R3 2, R4 1 (species 2 and 4 reach R3, only 4 reaches R4).
    struct Case { QStringList args; bool species; QStringList order; };
    const Case cases[] = {
        {{"--species"}, true, {"S4", "S2", "S3", "S1"}},
        {{"--species", "--ascending"}, true, {"S1", "S3", "S2", "S4"}},
        {{"--species", "2-3"}, true, {"S1", "S2", "S3", "S4"}},
        {{"--species=2-3", "--ascending"}, true, {"S1", "S3", "S2", "S4"}},
        {{"--ascending", "--releves", "2-4"}, false, {"R1", "R4", "R3", "R2"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        QFile::remove(out);
        const Zelkor::Test::CliResult r =
            Zelkor::Test::runCli(QStringList{QStringLiteral("sort"), in, QStringLiteral("-o"), out} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
        EXPECT_EQ(order(out, c.species), c.order);
    }
}

TEST(CliSort, ErrorsAndUsage)
{
    Zelkor::Test::TempDir dir;
    const QString in = writeTable(dir);
    const QString out = dir.path(QStringLiteral("out.vtb"));
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{in, "-o", out}, 2},
        {{in, "-o", out, "--species", "--releves"}, 2},
        {{in, "--species"}, 2},
        {{in, "-o", out, "--species", "3-"}, 2},
        {{in, "-o", out, "--releves=x"}, 2},
        {{in, "-o", out, "--species", "3-2"}, 2}, // backwards: refused, not taken as nothing to sort
        {{in, "-o", out, "--releves", "3-2"}, 2},
        {{in, "-o", out, "--releves=9-99"}, 1},
        {{in, "-o", out, "--species", "--fuzzy"}, 2},
        {{dir.path(QStringLiteral("missing.vtb")), "-o", out, "--species"}, 1},
        {{in, "-o", dir.path(QStringLiteral("no/folder/out.vtb")), "--species"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(QStringList{QStringLiteral("sort")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}
