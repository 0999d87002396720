#include "analysis/codedtable.h"
#include "analysis/ordinationcommand.h"
#include "analysis/ordinationmatrix.h"
#include "platform/csv.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Zelkor;

namespace {

// Two groups of relevés along a gradient, an empty column between them, a comment row on top;
// header row 5 holds numbers (one missing), row 6 texts.
void fillGradient(TableModel &model)
{
    Zelkor::Test::fillCodedTable(
        model,
        {QStringLiteral("コメント"), QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua"), QStringLiteral("Juncus effusus"),
         QStringLiteral("Salix repens"), QStringLiteral("Carex nigra")},
        {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"), QString(), QStringLiteral("B1"), QStringLiteral("B2"),
         QStringLiteral("B3")},
        {{0, 30, 10, 0, 0, 1}, {0, 20, 20, 1, 0, 0}, {0, 10, 30, 10, 0, 0}, {}, {0, 0, 10, 30, 1, 0},
         {0, 0, 1, 20, 20, 0}, {0, 0, 0, 10, 40, 10}});
    const QString moisture[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2"), QString(),
                                QStringLiteral("4"), QString(), QStringLiteral("5")};
    const QString use[] = {QStringLiteral("SF"), QStringLiteral("SF"), QStringLiteral("HF"), QString(),
                           QStringLiteral("NM"), QStringLiteral("NM"), QString()};
    model.grid().setCell(TableModel::IndexColumn, 5, QStringLiteral("12"));
    model.grid().setCell(TableModel::NameColumn, 5, QStringLiteral("水分"));
    model.grid().setCell(TableModel::IndexColumn, 6, QStringLiteral("13"));
    model.grid().setCell(TableModel::NameColumn, 6, QStringLiteral("管理"));
    for (int p = 1; p <= 7; ++p) {
        model.grid().setCell(TableModel::releveColumn(p), 5, QStringLiteral("%1").arg(moisture[p - 1], 4));
        model.grid().setCell(TableModel::releveColumn(p), 6, QStringLiteral("%1").arg(use[p - 1], 4));
    }
}

OrdinationData ordinate(const TableModel &model, OrdinationMethod method = OrdinationMethod::Correspondence)
{
    OrdinationOptions options;
    options.method = method;
    return OrdinationCommand::compute(model, 1, options);
}

} // namespace

TEST(OrdinationData, LabelsGroupsAndColouringsOfTheTable)
{
    TableModel model;
    fillGradient(model);
    const OrdinationData d = ordinate(model);
    ASSERT_EQ(d.result.axisCount(), 4);
    EXPECT_EQ(d.result.releves, (std::vector<int>{1, 2, 3, 5, 6, 7}));
    EXPECT_EQ(d.result.species, (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(d.releveLabels, (QStringList{QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"), QStringLiteral("B1"),
                                           QStringLiteral("B2"), QStringLiteral("B3")}));
    EXPECT_EQ(d.speciesNames.first(), QStringLiteral("Festuca rubra"));
    EXPECT_EQ(d.groups, (std::vector<int>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(d.groupCount, 2);
    for (std::size_t i = 0; i < d.releveIndexes.size(); ++i)
        EXPECT_EQ(d.releveIndexes[i], model.releveIndexAt(TableModel::releveColumn(d.result.releves[i])));

    // Items by number or caption.
    const int moisture = d.findItem(QStringLiteral("水分"));
    ASSERT_GE(moisture, 0);
    EXPECT_EQ(d.findItem(QStringLiteral("12")), moisture);
    EXPECT_EQ(d.findItem(QStringLiteral("13")), d.findItem(QStringLiteral("管理")));
    EXPECT_EQ(d.findItem(QStringLiteral("no such item")), -1);

    const OrdinationColouring groups = OrdinationColouring::byGroup(d);
    EXPECT_EQ(groups.kind, OrdinationColouring::Categories);
    EXPECT_EQ(groups.category, (std::vector<int>{0, 0, 0, 1, 1, 1}));
    const OrdinationColouring numbers = OrdinationColouring::byItem(d, moisture);
    EXPECT_EQ(numbers.kind, OrdinationColouring::Numeric);
    EXPECT_EQ(numbers.title, QStringLiteral("水分"));
    EXPECT_EQ(numbers.minimum, 1.0);
    EXPECT_EQ(numbers.maximum, 5.0);
    EXPECT_TRUE(std::isnan(numbers.values[4]));
    const OrdinationColouring texts = OrdinationColouring::byItem(d, d.findItem(QStringLiteral("管理")));
    EXPECT_EQ(texts.kind, OrdinationColouring::Categories);
    EXPECT_EQ(texts.categories, (QStringList{QStringLiteral("SF"), QStringLiteral("HF"), QStringLiteral("NM")}));
    EXPECT_EQ(texts.category, (std::vector<int>{0, 0, 1, 2, 2, -1}));

    // One group only: one colour.
    TableModel single;
    Zelkor::Test::fillCodedTable(single, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                                 {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")},
                                 {{10, 20, 0}, {0, 10, 30}, {30, 0, 10}});
    EXPECT_EQ(OrdinationColouring::byGroup(ordinate(single)).kind, OrdinationColouring::Single);
}

TEST(OrdinationData, TheScoreFileReadsBackToTheSameNumbers)
{
    TableModel model;
    fillGradient(model);
    // A label with a comma is quoted.
    model.grid().setCell(TableModel::releveColumn(2), TableModel::LabelRow, QStringLiteral("A,2"));
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        const OrdinationData d = ordinate(model, method);
        Zelkor::Test::TempDir dir;
        const QString file = dir.path(QStringLiteral("scores.csv"));
        QString error;
        ASSERT_TRUE(d.writeScores(file, &error)) << error.toStdString();
        const QStringList lines = Zelkor::Test::readLines(file);
        const QString prefix = method == OrdinationMethod::Detrended ? QStringLiteral("DCA") : QStringLiteral("CA");
        EXPECT_EQ(lines.first(), QStringLiteral("kind,label,") + prefix + QStringLiteral("1,") + prefix + QStringLiteral("2,")
                                     + prefix + QStringLiteral("3,") + prefix + QStringLiteral("4"));
        ASSERT_EQ(lines.size(), 1 + 6 + 5);
        for (qsizetype k = 1; k < lines.size(); ++k) {
            const QStringList f = Csv::splitLine(lines[k]);
            ASSERT_EQ(f.size(), 6);
            const bool releve = k <= 6;
            EXPECT_EQ(f[0], releve ? QStringLiteral("releve") : QStringLiteral("species"));
            const std::size_t place = std::size_t(releve ? k - 1 : k - 7);
            EXPECT_EQ(f[1], releve ? d.releveLabels[qsizetype(place)] : d.speciesNames[qsizetype(place)]);
            for (int a = 0; a < 4; ++a) {
                const double want = releve ? d.result.releveScores[std::size_t(a)][place] : d.result.speciesScores[std::size_t(a)][place];
                EXPECT_EQ(f[2 + a].toDouble(), want) << lines[k].toStdString();
                EXPECT_FALSE(f[2 + a].startsWith(QStringLiteral("-0"))
                             && f[2 + a].toDouble() == 0.0);
            }
        }
        EXPECT_TRUE(lines[2].startsWith(QStringLiteral("releve,\"A,2\",")));
    }
}

TEST(OrdinationCommand, ReordersTheTableByTheFirstAxisWithTheEmptyColumnLast)
{
    TableModel model;
    fillGradient(model);
    // Scramble the relevés first so that the order is the analysis's, not the table's.
    std::vector<int> scramble{4, 0, 6, 3, 2, 5, 1};
    for (int &c : scramble)
        c += TableModel::FirstReleveColumn;
    model.grid().permuteColumns(TableModel::FirstReleveColumn, scramble, false);
    model.checkTableNumber();
    model.setModified(false);

    ScriptedUserInterface ui;
    OrdinationCommand command(&model, &ui);
    int changed = 0;
    QObject::connect(&command, &OrdinationCommand::tableChanged, [&] { ++changed; });
    EXPECT_FALSE(command.reorderTable()); // nothing computed yet
    ASSERT_TRUE(command.run(1, OrdinationOptions{}));
    const OrdinationData data = command.data();

    ASSERT_TRUE(command.reorderTable());
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(model.isModified());
    // Relevés in ascending order of their first-axis scores, the empty column last.
    std::vector<double> scores;
    for (int p = 1; p <= 6; ++p) {
        const QString label = model.grid().cell(TableModel::releveColumn(p), TableModel::LabelRow);
        const qsizetype place = data.releveLabels.indexOf(label);
        ASSERT_GE(place, 0) << label.toStdString();
        scores.push_back(data.result.releveScores[0][std::size_t(place)]);
        // The click finds each relevé where it is now.
        EXPECT_EQ(command.currentColumnOf(int(place)), TableModel::releveColumn(p));
    }
    EXPECT_TRUE(std::is_sorted(scores.begin(), scores.end()));
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(7), TableModel::LabelRow), QString());
    // The species likewise, the comment row last.
    std::vector<double> speciesScores;
    for (int k = 1; k <= 5; ++k) {
        const qsizetype place = data.speciesNames.indexOf(model.grid().cell(TableModel::NameColumn, model.speciesRow(k)).trimmed());
        ASSERT_GE(place, 0);
        speciesScores.push_back(data.result.speciesScores[0][std::size_t(place)]);
    }
    EXPECT_TRUE(std::is_sorted(speciesScores.begin(), speciesScores.end()));
    EXPECT_EQ(model.grid().cell(TableModel::NameColumn, model.speciesRow(6)).trimmed(), QStringLiteral("コメント"));
    // The same ordination of the reordered table: the same scores (the sign rule may turn an axis).
    const OrdinationData again = ordinate(model);
    for (std::size_t i = 0; i < std::size_t(again.releveLabels.size()); ++i) {
        const qsizetype place = data.releveLabels.indexOf(again.releveLabels[qsizetype(i)]);
        EXPECT_NEAR(std::fabs(again.result.releveScores[0][i]), std::fabs(data.result.releveScores[0][std::size_t(place)]), 1e-9);
    }
}

TEST(OrdinationCommand, NothingToOrdinateAndACancelledRunLeaveTheDataAsTheyWere)
{
    TableModel model;
    Zelkor::Test::fillCodedTable(model, {QStringLiteral("a")}, {QStringLiteral("1"), QStringLiteral("2")}, {{10}, {20}});
    ScriptedUserInterface ui;
    OrdinationCommand command(&model, &ui);
    EXPECT_FALSE(command.run(1, OrdinationOptions{}));
    EXPECT_FALSE(command.hasData());
    EXPECT_EQ(ui.messages(), QStringList{OrdinationCommand::nothingToOrdinateMessage()});

    fillGradient(model);
    ASSERT_TRUE(command.run(1, OrdinationOptions{}));
    const std::vector<double> before = command.data().result.eigenvalues;
    int changed = 0;
    QObject::connect(&command, &OrdinationCommand::dataChanged, [&] { ++changed; });
    ui.cancelWorkAt(2);
    OrdinationOptions dca;
    dca.method = OrdinationMethod::Detrended;
    EXPECT_FALSE(command.run(1, dca));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("cancel")));
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(command.data().result.method, OrdinationMethod::Correspondence);
    EXPECT_EQ(command.data().result.eigenvalues, before);
}

TEST(OrdinationCommand, SavesTheScoresWhereTheUserSays)
{
    TableModel model;
    fillGradient(model);
    ScriptedUserInterface ui;
    OrdinationCommand command(&model, &ui);
    ASSERT_TRUE(command.run(6, OrdinationOptions{}));
    EXPECT_EQ(command.data().conversion, 6);
    Zelkor::Test::TempDir dir;
    const QString file = dir.path(QStringLiteral("s.csv"));
    ui.answerFile(file);
    ASSERT_TRUE(command.saveScores());
    EXPECT_EQ(Zelkor::Test::readLines(file), command.data().scoreLines());
    EXPECT_EQ(ui.lastFileRequest().filters, QStringList{Csv::nameFilter()});
    // A cancelled dialog writes nothing; an unwritable place is an error.
    EXPECT_FALSE(command.saveScores());
    ui.answerFile(dir.path(QStringLiteral("no/such/folder/s.csv")));
    EXPECT_FALSE(command.saveScores());
    EXPECT_TRUE(ui.messages().last().startsWith(QStringLiteral("スコアをCSVファイルに書き出せませんでした。")));
}
