#include "analysis/fidelitytable.h"
#include "analysis/sampletable.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Groups A (4 relevés) and B (6 relevés), labelled by their first relevés.
QString writeTable(const Zelkor::Test::TempDir &dir)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {4, 6},
                                   {{QStringLiteral("Everywhere"), {4, 6}},
                                    {QStringLiteral("Only A"), {4, 0}},
                                    {QStringLiteral("Mostly A"), {3, 1}},
                                    {QStringLiteral("＜コメント＞"), {}},
                                    {QStringLiteral("Mostly B"), {0, 5}}});
    model.grid().setCell(TableModel::releveColumn(1), TableModel::LabelRow, QStringLiteral("  BF"));
    model.grid().setCell(TableModel::releveColumn(6), TableModel::LabelRow, QStringLiteral("  NM"));
    return Zelkor::Test::writeTableFile(dir, model, QStringLiteral("dune.vtb"));
}

} // namespace

TEST(CliFidelity, WritesEverySpeciesAndGroupAsTheTableComputesThem)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir);
    TableModel loaded;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &loaded, &items, &title));

    struct Case { QStringList options; FidelityOptions expected; };
    const Case cases[] = {
        {{}, FidelityOptions{}},
        {{QStringLiteral("--no-standardize")}, FidelityOptions{false, 0.30, 0.05}},
        {{QStringLiteral("--phi-min"), QStringLiteral("0.9"), QStringLiteral("--alpha=0.02")}, FidelityOptions{true, 0.9, 0.02}},
        {{QStringLiteral("--alpha"), QStringLiteral("1")}, FidelityOptions{true, 0.30, 1.0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const QString out = dir.path(QStringLiteral("fidelity.csv"));
        const Zelkor::Test::CliResult r =
            Zelkor::Test::runCli(QStringList{QStringLiteral("fidelity"), table, QStringLiteral("-o"), out} + c.options);
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
        EXPECT_TRUE(r.out.isEmpty());

        FidelityTable expected;
        ASSERT_TRUE(expected.compute(loaded, c.expected));
        const QStringList lines = Zelkor::Test::readLines(out);
        ASSERT_EQ(lines.size(), 1 + 4 * 2); // the comment row has no line
        EXPECT_EQ(lines[0], QStringLiteral("species,group,N,N_g,n,n_g,constancy,phi,p,diagnostic"));
        int line = 1;
        for (const int s : {1, 2, 3, 5}) {
            for (int j = 0; j < 2; ++j, ++line) {
                const QStringList f = lines[line].split(QLatin1Char(','));
                ASSERT_EQ(f.size(), 10) << lines[line].toStdString();
                EXPECT_EQ(f[0], loaded.grid().cell(TableModel::NameColumn, loaded.speciesRow(s)));
                EXPECT_EQ(f[1], j == 0 ? QStringLiteral("BF") : QStringLiteral("NM"));
                EXPECT_EQ(f[2], QStringLiteral("10"));
                EXPECT_EQ(f[3], j == 0 ? QStringLiteral("4") : QStringLiteral("6"));
                EXPECT_EQ(f[4].toInt(), expected.frequency(s));
                const FidelityCell &cell = expected.cell(s, j);
                EXPECT_EQ(f[5].toInt(), cell.occurrences);
                EXPECT_EQ(f[6].toDouble(), cell.occurrences * 100.0 / (j == 0 ? 4 : 6));
                // The very same doubles.
                EXPECT_EQ(f[7].toDouble(), cell.phi) << lines[line].toStdString();
                EXPECT_EQ(f[8].toDouble(), cell.p) << lines[line].toStdString();
                EXPECT_EQ(f[9], cell.diagnostic ? QStringLiteral("1") : QStringLiteral("0"));
            }
        }
    }
    // The defaults find "Only A" for BF and "Mostly B" for NM; the plain phi of "Mostly A" is 14/24.
    Zelkor::Test::runCli({QStringLiteral("fidelity"), table, QStringLiteral("-o"), dir.path(QStringLiteral("a.csv"))});
    QStringList diagnostic;
    for (const QString &l : Zelkor::Test::readLines(dir.path(QStringLiteral("a.csv"))))
        if (l.endsWith(QStringLiteral(",1")))
            diagnostic << l.section(QLatin1Char(','), 0, 1);
    EXPECT_EQ(diagnostic, (QStringList{QStringLiteral("Only A,BF"), QStringLiteral("Mostly B,NM")}));
    Zelkor::Test::runCli({QStringLiteral("fidelity"), table, QStringLiteral("-o"), dir.path(QStringLiteral("b.csv")),
                          QStringLiteral("--no-standardize")});
    EXPECT_EQ(Zelkor::Test::readLines(dir.path(QStringLiteral("b.csv"))).value(5).section(QLatin1Char(','), 7, 7).toDouble(),
              14.0 / 24.0);
}

TEST(CliFidelity, ErrorsAndUsage)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir);
    const QString bad = dir.writeBytes(QStringLiteral("bad.vtb"), "title\r\nnot numbers\r\n");
    const QString out = dir.path(QStringLiteral("out.csv"));
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{table}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--phi-min"), QStringLiteral("1.5")}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--phi-min"), QStringLiteral("-0.1")}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--phi-min"), QStringLiteral("a lot")}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--alpha"), QStringLiteral("0")}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--alpha"), QStringLiteral("nan")}, 2},
        {{bad, QStringLiteral("-o"), out}, 1},
        {{dir.path(QStringLiteral("missing.vtb")), QStringLiteral("-o"), out}, 1},
        {{table, QStringLiteral("-o"), dir.path(QStringLiteral("no/such/folder/out.csv"))}, 1},
        {{table, QStringLiteral("-o"), table}, 1},
    };
    const QByteArray tableBytes = Zelkor::Test::readBytes(table);
    for (const Case &c : cases) {
        const QStringList args = QStringList{QStringLiteral("fidelity")} + c.args;
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    EXPECT_EQ(Zelkor::Test::readBytes(table), tableBytes);
    // The command is listed and described.
    const Zelkor::Test::CliResult help = Zelkor::Test::runCli({QStringLiteral("--help")});
    EXPECT_TRUE(help.outText().contains(QStringLiteral("fidelity"))) << help.outText().toStdString();
}
