#include "analysis/codedtable.h"
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/recipcommand.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Relevés A1, A2, an empty separator column and B1, B2 along a gradient; a comment row on top.
QString writeTable(const Zelkor::Test::TempDir &dir, const std::vector<std::vector<quint8>> &codes,
                   const QString &name = QStringLiteral("dune.vtb"))
{
    TableModel model;
    Zelkor::Test::fillCodedTable(model,
                                 {QStringLiteral("コメント"), QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua"),
                                  QStringLiteral("Juncus effusus"), QStringLiteral("Salix repens")},
                                 {QStringLiteral("A1"), QStringLiteral("A2"), QString(), QStringLiteral("B1"),
                                  QStringLiteral("B2")},
                                 codes);
    return Zelkor::Test::writeTableFile(dir, model, name);
}

const std::vector<std::vector<quint8>> kGradient{
    {0, 30, 1, 0, 0}, {0, 10, 30, 1, 0}, {}, {0, 0, 1, 30, 10}, {0, 0, 0, 10, 50}};

// Every cell of a table's grid.
QStringList gridText(const TableModel &model)
{
    QStringList out;
    for (int r = 0; r < model.grid().rowCount(); ++r)
        for (int c = 0; c < model.grid().colCount(); ++c)
            out << model.grid().cell(c, r);
    return out;
}

} // namespace

TEST(CliRa, WritesTheScoreTableAndTheReorderedTable)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir, kGradient);
    TableModel loaded;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &loaded, &items, &title));

    for (const bool presence : {false, true}) {
        SCOPED_TRACE(presence);
        const QString scores = dir.path(QStringLiteral("scores.csv"));
        const QString out = dir.path(QStringLiteral("out.vtb"));
        QStringList args{QStringLiteral("ra"), table, QStringLiteral("--scores"), scores, QStringLiteral("-o"), out};
        if (presence)
            args << QStringLiteral("--presence");
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();

        const ReciprocalAveraging::Result expected = RecipCommand::computeScores(loaded, !presence);
        EXPECT_EQ(r.outText().trimmed(), QStringLiteral("反復回数＝%1").arg(expected.iterations));
        FreqTableModel read;
        FreqTableCsvFile csv;
        ASSERT_TRUE(csv.read(scores, &read)) << csv.errorString().toStdString();
        FreqTableModel want;
        RecipCommand::buildScoreTable(loaded, expected, &want);
        EXPECT_EQ(read.caption(), QStringLiteral("Reciprocal Averaging Score"));
        EXPECT_EQ(read.clipboardText(), want.clipboardText());

        // The file is the loaded table reordered and saved under its title.
        TableModel wantTable;
        ASSERT_TRUE(TableFile().read(table, &wantTable, &items, &title));
        RecipCommand::reorderTable(wantTable, expected);
        const QString wantFile = dir.path(QStringLiteral("want.vtb"));
        ASSERT_TRUE(TableFile().write(wantTable, title, wantFile));
        EXPECT_EQ(Zelkor::Test::readBytes(out), Zelkor::Test::readBytes(wantFile));
        EXPECT_NE(gridText(wantTable), gridText(loaded));
    }

    // Without -o and --scores the command only counts.
    const Zelkor::Test::CliResult r = Zelkor::Test::runCli({QStringLiteral("ra"), table});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.outText().startsWith(QStringLiteral("反復回数＝")));
}

TEST(CliRa, ErrorsWriteNothing)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir, kGradient);
    // Only "*" (code 7): nothing to average.
    const QString stars = writeTable(dir, {{0, 7, 0, 0, 0}, {0, 0, 7, 0, 0}}, QStringLiteral("stars.vtb"));
    const QString bad = dir.writeBytes(QStringLiteral("bad.vtb"), "title\r\nnot numbers\r\n");
    const QString scores = dir.path(QStringLiteral("s.csv"));
    const QString out = dir.path(QStringLiteral("o.vtb"));
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{stars, QStringLiteral("--scores"), scores, QStringLiteral("-o"), out}, 1},
        {{bad, QStringLiteral("--scores"), scores}, 1},
        {{dir.path(QStringLiteral("missing.vtb")), QStringLiteral("-o"), out}, 1},
        {{table, QStringLiteral("-o"), dir.path(QStringLiteral("no/such/folder/o.vtb"))}, 1},
        {{table, QStringLiteral("--scores")}, 2},
        {{table, QStringLiteral("--cover")}, 2},
        {{}, 2},
    };
    for (const Case &c : cases) {
        const QStringList args = QStringList{QStringLiteral("ra")} + c.args;
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(scores));
        EXPECT_FALSE(QFileInfo::exists(out));
    }

    // The score table never replaces a table; the reordered table may replace its own file.
    const QByteArray before = Zelkor::Test::readBytes(table);
    const std::pair<QStringList, int> refused[] = {
        {{QStringLiteral("ra"), table, QStringLiteral("--scores"), table}, 1},
        {{QStringLiteral("ra"), table, QStringLiteral("--scores"), out, QStringLiteral("-o"), out}, 2},
    };
    for (const auto &[args, exitCode] : refused) {
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        EXPECT_EQ(r.exitCode, exitCode) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(Zelkor::Test::readBytes(table), before);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    // The scores and the table through a link to the folder, neither there yet: one file.
    ASSERT_TRUE(QFile::link(dir.path(), dir.path(QStringLiteral("here"))));
    const Zelkor::Test::CliResult aliased = Zelkor::Test::runCli(
        {QStringLiteral("ra"), table, QStringLiteral("--scores"), dir.path(QStringLiteral("here/o.vtb")), QStringLiteral("-o"), out});
    EXPECT_EQ(aliased.exitCode, 2) << aliased.errText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));

    // A table that cannot be written leaves the old scores: the outputs are replaced together.
    const QString oldScores = dir.writeBytes(QStringLiteral("old.csv"), "old scores");
    const Zelkor::Test::CliResult half = Zelkor::Test::runCli(
        {QStringLiteral("ra"), table, QStringLiteral("--scores"), oldScores, QStringLiteral("-o"), dir.path(QStringLiteral("no/o.vtb"))});
    EXPECT_EQ(half.exitCode, 1);
    EXPECT_EQ(Zelkor::Test::readBytes(oldScores), QByteArray("old scores"));

    const Zelkor::Test::CliResult inPlace = Zelkor::Test::runCli({QStringLiteral("ra"), table, QStringLiteral("-o"), table});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.errText().toStdString();
    TableModel reread;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &reread, &items, &title));
    EXPECT_NE(Zelkor::Test::readBytes(table), before);
    EXPECT_EQ(reread.releveCount(), 5);
}

// The long form has one line per scored species and relevé, each score the one of the score
// table; the comment row and the separator column have none and are left out.
TEST(CliRa, LongScoresMatchTheScoreTable)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir, kGradient);
    const QString scores = dir.path(QStringLiteral("scores.csv"));
    const QString longFile = dir.path(QStringLiteral("long.csv"));
    const Zelkor::Test::CliResult r = Zelkor::Test::runCli(
        {QStringLiteral("ra"), table, QStringLiteral("--scores"), scores, QStringLiteral("--scores-long"), longFile});
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();

    const QStringList lines = Zelkor::Test::readLines(longFile);
    ASSERT_EQ(lines.size(), 1 + 4 + 4) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("kind,position,label,score"));
    FreqTableModel read;
    ASSERT_TRUE(FreqTableCsvFile().read(scores, &read));
    const QString window = read.clipboardText();
    for (const QString &line : lines.mid(1)) {
        const QStringList f = line.split(QLatin1Char(','));
        ASSERT_EQ(f.size(), 4) << line.toStdString();
        EXPECT_TRUE(f[0] == QLatin1String("species") || f[0] == QLatin1String("releve")) << line.toStdString();
        // The label and its score stand side by side in the window's table too.
        EXPECT_TRUE(window.contains(f[2] + QLatin1Char('\t') + f[3])) << line.toStdString();
    }
    EXPECT_EQ(lines[1].left(10), QStringLiteral("species,2,")); // row 1 is the comment
    EXPECT_EQ(lines[5], QStringLiteral("releve,1,A1,") + lines[5].section(QLatin1Char(','), 3));
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("releve,4,B1,"))); // column 3 separates the groups

    // The long form may be no other output of the run.
    const Zelkor::Test::CliResult same = Zelkor::Test::runCli(
        {QStringLiteral("ra"), table, QStringLiteral("--scores"), longFile, QStringLiteral("--scores-long"), longFile});
    EXPECT_EQ(same.exitCode, 2);
}
