#include "analysis/constancytable.h"
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/sampletable.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Groups A (relevés 1, 2) and B (relevé 4); Poa is absent from B.
QString writeTable(const Zelkor::Test::TempDir &dir, TableModel *model)
{
    Zelkor::Test::fillTable(model, {QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua")},
                            {{QStringLiteral("  1 "), QStringLiteral(" +  ")}, {QStringLiteral(" 2+ ")}, {},
                             {QStringLiteral("  3 ")}});
    return Zelkor::Test::writeTableFile(dir, *model, QStringLiteral("dune.vtb"));
}

} // namespace

TEST(CliConstancy, OptionsChooseTheCellsAndTheFormat)
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    const QString table = writeTable(dir, &model);
    // The saved table read back: what the program builds from the file the command reads.
    TableModel loaded;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &loaded, &items, &title));

    struct Case { QStringList options; ConstancyContent content; bool blank; QString title; QString festucaA; };
    const Case cases[] = {
        {{}, ConstancyContent::Classes5WithCover, false, QStringLiteral("砂丘常在度表"), QStringLiteral("２ +-2")},
        {{QStringLiteral("--classes"), QStringLiteral("10")}, ConstancyContent::Classes10WithCover, false,
         QStringLiteral("砂丘常在度表"), QStringLiteral("２ +-2")},
        {{QStringLiteral("--no-cover")}, ConstancyContent::Classes5, false, QStringLiteral("砂丘常在度表"), QStringLiteral("２")},
        {{QStringLiteral("--classes=10"), QStringLiteral("--no-cover"), QStringLiteral("--blank-empty")},
         ConstancyContent::Classes10, true, QStringLiteral("砂丘常在度表"), QStringLiteral("２")},
        {{QStringLiteral("--classes"), QStringLiteral("count"), QStringLiteral("--title"), QStringLiteral("Dunes, 2024")},
         ConstancyContent::Occurrences, false, QStringLiteral("Dunes, 2024"), QStringLiteral("2")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const QString out = dir.path(QStringLiteral("out.CSV"));
        const Zelkor::Test::CliResult r =
            Zelkor::Test::runCli(QStringList{QStringLiteral("constancy"), table, QStringLiteral("-o"), out} + c.options);
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();

        FreqTableModel read;
        FreqTableCsvFile csv;
        ASSERT_TRUE(csv.read(out, &read)) << csv.errorString().toStdString();
        EXPECT_EQ(read.caption(), c.title);
        EXPECT_EQ(read.grid().cell(1, 3), c.festucaA);
        EXPECT_EQ(read.grid().cell(2, 4), c.blank ? QString() : QStringLiteral("・"));
        FreqTableModel expected;
        ConstancyTable::build(loaded, ConstancyOptions{c.content, c.blank}, c.title, &expected);
        EXPECT_EQ(read.clipboardText(), expected.clipboardText());
    }

    const QString text = dir.path(QStringLiteral("out.txt"));
    const Zelkor::Test::CliResult r = Zelkor::Test::runCli({QStringLiteral("constancy"), table, QStringLiteral("--output"), text});
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    const QStringList lines = Zelkor::Test::readLines(text);
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("#T"));
    EXPECT_EQ(lines[2], QStringLiteral("砂丘常在度表"));
    EXPECT_EQ(lines[3], QStringLiteral("#S"));
    EXPECT_EQ(lines.count(QStringLiteral("#S")), 2);
}

TEST(CliConstancy, ErrorsAndUsage)
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    const QString table = writeTable(dir, &model);
    const QString bad = dir.writeBytes(QStringLiteral("bad.vtb"), "title\r\nnot numbers\r\n");
    const QString out = dir.path(QStringLiteral("out.csv"));
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{table}, 2},
        {{table, QStringLiteral("-o"), dir.path(QStringLiteral("out.xls"))}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--classes"), QStringLiteral("7")}, 2},
        {{table, QStringLiteral("-o"), out, QStringLiteral("--cover")}, 2},
        {{bad, QStringLiteral("-o"), out}, 1},
        {{dir.path(QStringLiteral("missing.vtb")), QStringLiteral("-o"), out}, 1},
        {{table, QStringLiteral("-o"), dir.path(QStringLiteral("no/such/folder/out.csv"))}, 1},
    };
    for (const Case &c : cases) {
        const QStringList args = QStringList{QStringLiteral("constancy")} + c.args;
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// A title with a line end would write lines of its own into line-based files (here a group the
// constancy window would read back): every command with --title refuses it and writes nothing;
// and a caption that holds one (from the window's title box) is written on one line.
TEST(CliConstancy, TitleWithALineEnd)
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    const QString table = writeTable(dir, &model);
    const QString forged = QStringLiteral("x\n#S\nfake,V\n#E");
    const QString out = dir.path(QStringLiteral("out.txt"));
    const QStringList commands[] = {
        {QStringLiteral("constancy"), table, QStringLiteral("-o"), out},
        {QStringLiteral("export"), QStringLiteral("text"), table, QStringLiteral("-o"), out},
        {QStringLiteral("import"), table, QStringLiteral("-o"), out},
        {QStringLiteral("extract"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")), QStringLiteral("-o"), out},
    };
    for (const QStringList &command : commands) {
        for (const QString &title : {forged, QStringLiteral("a\tb"), QStringLiteral("a\rb")}) {
            const auto r = Zelkor::Test::runCli(command + QStringList{QStringLiteral("--title"), title});
            EXPECT_EQ(r.exitCode, 2) << command.first().toStdString();
            EXPECT_TRUE(r.errText().contains(QStringLiteral("制御文字"))) << r.errText().toStdString();
            EXPECT_FALSE(QFileInfo::exists(out)) << command.first().toStdString();
        }
    }

    FreqTableModel constancy;
    ConstancyTable::build(model, ConstancyOptions(), forged, &constancy);
    const QString csv = dir.path(QStringLiteral("c.csv"));
    ASSERT_TRUE(FreqTableCsvFile().write(constancy, csv));
    EXPECT_EQ(Zelkor::Test::readLines(csv).first(), QStringLiteral("x #S fake,V #E"));
}
