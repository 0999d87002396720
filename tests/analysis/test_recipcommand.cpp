#include "analysis/codedtable.h"
#include "analysis/exchangesort.h"
#include "analysis/freqtablemodel.h"
#include "analysis/recipcommand.h"
#include "platform/scripteduserinterface.h"
#include "table/covercode.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>

using namespace Zelkor;
using Zelkor::Test::fillCodedTable;

namespace {

constexpr quint8 kPlus = 1;
constexpr quint8 kClass1 = 10;
constexpr quint8 kClass3 = 30;
constexpr quint8 kClass5 = 50;
constexpr quint8 kStar = 7;

// Every cell of the grid, row by row.
QStringList gridText(const TableModel &model)
{
    QStringList out;
    for (int r = 0; r < model.grid().rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.grid().colCount(); ++c)
            row << model.grid().cell(c, r);
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

// The species names (grid column 2) and relevé labels (grid row 2) in table order.
QStringList speciesNames(const TableModel &model)
{
    QStringList out;
    for (int k = 1; k <= model.speciesCount(); ++k)
        out << model.grid().cell(2, model.headerRows() + k);
    return out;
}
QStringList releveLabels(const TableModel &model)
{
    QStringList out;
    for (int r = 1; r <= model.releveCount(); ++r)
        out << model.grid().cell(r + 3, 2);
    return out;
}

// Column `c` of the score table from row 1 down, as many rows as given.
QStringList scoreColumn(const FreqTableModel &table, int c, int rows)
{
    QStringList out;
    for (int r = 1; r <= rows; ++r)
        out << table.grid().cell(c, r);
    return out;
}

// Two groups of relevés separated by an empty column, a comment row on top and one in the
// middle, a species present only as "*".
struct RecipTable : ::testing::Test
{
    TableModel model;
    FreqTableModel scores;
    ScriptedUserInterface ui;
    RecipCommand command{&model, &scores, &ui};

    const QStringList names{QStringLiteral("【砂丘草地】"), QStringLiteral("Festuca rubra"),
                            QStringLiteral("Poa annua"), QStringLiteral("Carex arenaria"),
                            QStringLiteral("--- 湿地 ---"), QStringLiteral("Juncus effusus"),
                            QStringLiteral("Salix repens"), QStringLiteral("Mentha aquatica")};
    const QStringList labels{QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"), QString(),
                             QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("B3")};

    void SetUp() override
    {
        fillCodedTable(model, names, labels,
                  {{0, kClass3, kPlus, kClass1, 0, 0, 0, 0},
                   {0, kClass1, kClass3, kPlus, 0, 0, kStar, 0},
                   {0, kPlus, kClass1, 0, 0, kPlus, kPlus, 0},
                   {},
                   {0, 0, 0, kPlus, 0, kClass3, kClass1, kStar},
                   {0, 0, kPlus, 0, 0, kClass5, kPlus, 0},
                   {0, 0, 0, 0, 0, kClass1, kClass3, kStar}});
    }
};

} // namespace

TEST_F(RecipTable, AsksShowsTheScoresInTableOrderAndNoKeepsTheTable)
{
    const QStringList before = gridText(model);
    int built = 0;
    int changed = 0;
    QObject::connect(&command, &RecipCommand::scoreTableBuilt, [&] { ++built; });
    QObject::connect(&command, &RecipCommand::tableChanged, [&] { ++changed; });
    ui.answerYes();
    ui.answerNo();
    command.run();

    const QStringList log = ui.log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first(), QStringLiteral("yesnocancel:反復平均法の計算に、優占度を考慮しますか？"));
    EXPECT_EQ(log.last(), QStringLiteral("yesno:組成表の並びを変えますか？"));
    EXPECT_TRUE(log.contains(QStringLiteral("work:　反復平均法 準備中　|")));
    EXPECT_TRUE(log.contains(QStringLiteral("work:　反復平均法 計算中　|   ")));
    EXPECT_TRUE(log.contains(QStringLiteral("work:　反復平均法 計算中　|Step 2: 1")));
    // The work message is gone before the second question.
    EXPECT_EQ(log[log.size() - 2], QStringLiteral("work-closed"));
    EXPECT_EQ(built, 1);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(gridText(model), before);
    EXPECT_FALSE(model.isModified());
    EXPECT_GT(command.iterations(), 0);

    // The score window: both lists in the table's order, no score for the comment rows, the
    // species present only as "*" and the empty column.
    EXPECT_EQ(scores.caption(), QStringLiteral("Reciprocal Averaging Score"));
    EXPECT_FALSE(scores.isToolPanelVisible());
    EXPECT_EQ(scores.grid().colCount(), 5);
    EXPECT_EQ(scores.grid().rowCount(), 9);
    EXPECT_EQ(scores.grid().fixedRows(), 1);
    const QStringList headings{QStringLiteral("　植物名"), QStringLiteral("スコア"), QString(),
                               QStringLiteral("測定ＩＤ"), QStringLiteral("スコア")};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(scores.grid().cell(c, 0), headings[c]) << c;
    const int size = model.tableFont().pointSize;
    const int widths[5] = {20 * size, 6 * size, size, 8 * size, 6 * size};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(scores.grid().colWidth(c), widths[c]) << c;
    EXPECT_EQ(scoreColumn(scores, 0, 8), names);
    EXPECT_EQ(scoreColumn(scores, 3, 7), labels);
    const QStringList speciesScores = scoreColumn(scores, 1, 8);
    const QStringList releveScores = scoreColumn(scores, 4, 7);
    for (int k : {0, 4, 7})
        EXPECT_TRUE(speciesScores[k].isEmpty()) << k;
    EXPECT_TRUE(releveScores[3].isEmpty());
    EXPECT_TRUE(scoreColumn(scores, 2, 8).join(QString()).isEmpty());
    EXPECT_TRUE(scoreColumn(scores, 3, 8)[7].isEmpty());
    // Every score shown lies within 0.0 .. 100.0, with one decimal; both ends are reached.
    QStringList shown;
    for (const QString &s : speciesScores + releveScores) {
        if (s.isEmpty())
            continue;
        shown << s;
        bool ok = false;
        const double v = s.toDouble(&ok);
        EXPECT_TRUE(ok && v >= 0.0 && v <= 100.0 && !s.startsWith(QLatin1Char('-'))) << s.toStdString();
        EXPECT_EQ(s.size() - s.indexOf(QLatin1Char('.')), 2) << s.toStdString();
    }
    EXPECT_EQ(shown.size(), 5 + 6);
    EXPECT_TRUE(shown.contains(QStringLiteral("0.0")) && shown.contains(QStringLiteral("100.0")));
}

TEST_F(RecipTable, YesMovesRowsAndColumnsIntoScoreOrderWithTheirCodes)
{
    FreqTableModel shownScores;
    {
        ScriptedUserInterface quiet;
        quiet.answerYes();
        RecipCommand first(&model, &shownScores, &quiet);
        first.run();
    }
    int changed = 0;
    QObject::connect(&command, &RecipCommand::tableChanged, [&] { ++changed; });
    ui.answerYes();
    ui.answerYes();
    command.run();
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(model.isModified());
    EXPECT_FALSE(ui.workMessageShown());

    // Rows: the scored species ascending by score, then the comment rows and the "*"-only
    // species in their order; the same for the relevés with the empty column last.
    auto expectedOrder = [&](int column, int count) {
        std::vector<std::pair<double, QString>> scored;
        QStringList unscored;
        for (int r = 1; r <= count; ++r) {
            const QString score = shownScores.grid().cell(column + 1, r);
            const QString label = shownScores.grid().cell(column, r);
            if (score.isEmpty())
                unscored << label;
            else
                scored.push_back({score.toDouble(), label});
        }
        std::stable_sort(scored.begin(), scored.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList out;
        for (const auto &s : scored)
            out << s.second;
        return out + unscored;
    };
    const QStringList species = speciesNames(model);
    const QStringList releves = releveLabels(model);
    EXPECT_EQ(species.mid(5), (QStringList{names[0], names[4], names[7]}));
    EXPECT_EQ(releves.last(), QString());
    // Equal shown scores may come in either order; apart from those the orders agree.
    const QStringList wantSpecies = expectedOrder(0, 8);
    const QStringList wantReleves = expectedOrder(3, 7);
    for (int k = 0; k < 8; ++k) {
        if (species[k] != wantSpecies[k]) {
            EXPECT_EQ(shownScores.grid().cell(1, int(names.indexOf(species[k])) + 1),
                      shownScores.grid().cell(1, int(names.indexOf(wantSpecies[k])) + 1))
                << k;
        }
    }
    for (int r = 0; r < 7; ++r) {
        if (releves[r] != wantReleves[r]) {
            EXPECT_EQ(shownScores.grid().cell(4, int(labels.indexOf(releves[r])) + 1),
                      shownScores.grid().cell(4, int(labels.indexOf(wantReleves[r])) + 1))
                << r;
        }
    }

    // Each cell still shows the codes its hidden indexes reach; the numbers follow the new
    // order (no running number for the comment rows).
    const int h = model.headerRows();
    for (int k = 1; k <= model.speciesCount(); ++k) {
        for (int r = 1; r <= model.releveCount(); ++r) {
            const ByteDataSet codes = model.coverData().at(model.releveIndexAt(r + 3), model.speciesIndexAt(h + k));
            EXPECT_EQ(model.grid().cell(r + 3, h + k), isEmpty(codes) ? QString() : dataToCellText(codes)) << k << "," << r;
        }
    }
    EXPECT_EQ(model.grid().cell(1, h + 6), QString());
    EXPECT_EQ(model.grid().cell(1, h + 1), TableModel::num4Text(1));
    EXPECT_EQ(model.grid().cell(model.releveCount() + 3, 1), QString());
}

TEST(RecipCommand, EqualScoresEndInTheOrderOfTheExchanges)
{
    // A chain of three relevés; "b" and "c" occur only in the last, so they share the highest
    // score, and smaller scores follow them in the table.
    TableModel model;
    const QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")};
    fillCodedTable(model, names, {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")},
              {{kPlus, 0, 0, 0, kPlus, 0}, {0, 0, 0, kPlus, kPlus, kPlus}, {0, kPlus, kPlus, 0, 0, kPlus}});
    const ReciprocalAveraging::Result r = RecipCommand::computeScores(model, true);
    ASSERT_EQ(r.speciesScores[2], r.speciesScores[3]);
    for (int k : {1, 4, 5, 6})
        ASSERT_LT(r.speciesScores[std::size_t(k)], r.speciesScores[2]) << k;
    RecipCommand::reorderTable(model, r);
    const QStringList order = speciesNames(model);
    EXPECT_EQ(order.mid(4), (QStringList{QStringLiteral("c"), QStringLiteral("b")}));
    std::vector<float> sorted(r.speciesScores.begin() + 1, r.speciesScores.end());
    std::vector<quint16> places{0, 1, 2, 3, 4, 5};
    ExchangeSort::sort(sorted, places);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(order[k], names[places[std::size_t(k)]]) << k;
}

TEST(RecipCommand, PresenceCountsClassFiveLikePlus)
{
    const QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList labels{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    auto table = [&](quint8 code) {
        auto model = std::make_unique<TableModel>();
        fillCodedTable(*model, names, labels, {{code, kPlus, 0}, {kPlus, kClass1, kPlus}, {0, kPlus, kClass3}});
        return model;
    };
    const auto five = table(kClass5);
    const auto plus = table(kPlus);
    for (const bool cover : {false, true}) {
        const ReciprocalAveraging::Result a = RecipCommand::computeScores(*five, cover);
        const ReciprocalAveraging::Result b = RecipCommand::computeScores(*plus, cover);
        EXPECT_EQ(a.speciesScores == b.speciesScores && a.releveScores == b.releveScores, !cover) << cover;
    }

    // The answer No to the first question is the presence count.
    FreqTableModel byCommand;
    ScriptedUserInterface ui;
    ui.answerNo();
    RecipCommand(five.get(), &byCommand, &ui).run();
    FreqTableModel byPresence;
    RecipCommand::buildScoreTable(*five, RecipCommand::computeScores(*plus, false), &byPresence);
    EXPECT_EQ(byCommand.clipboardText(), byPresence.clipboardText());
}

TEST(RecipCommand, OrdersABandTableAlongItsGradient)
{
    // Species j occurs in relevés j-2 .. j+2 of a gradient of 14; rows and columns shuffled.
    const int n = 14;
    std::vector<int> speciesAt(n);
    std::vector<int> releveAt(n);
    std::iota(speciesAt.begin(), speciesAt.end(), 1);
    std::iota(releveAt.begin(), releveAt.end(), 1);
    std::mt19937 rng(3);
    std::shuffle(speciesAt.begin(), speciesAt.end(), rng);
    std::shuffle(releveAt.begin(), releveAt.end(), rng);
    QStringList names;
    QStringList labels;
    for (int i = 0; i < n; ++i) {
        names << QString::number(speciesAt[std::size_t(i)]);
        labels << QString::number(releveAt[std::size_t(i)]);
    }
    std::vector<std::vector<quint8>> codes(n, std::vector<quint8>(n, 0));
    for (int p = 0; p < n; ++p)
        for (int s = 0; s < n; ++s)
            if (std::abs(speciesAt[std::size_t(s)] - releveAt[std::size_t(p)]) <= 2)
                codes[std::size_t(p)][std::size_t(s)] = kClass1;
    TableModel model;
    fillCodedTable(model, names, labels, codes);
    FreqTableModel scores;
    ScriptedUserInterface ui;
    ui.answerYes();
    ui.answerYes();
    RecipCommand(&model, &scores, &ui).run();

    auto positions = [](const QStringList &texts) {
        std::vector<int> v;
        for (const QString &t : texts)
            v.push_back(t.toInt());
        return v;
    };
    std::vector<int> gradient(n);
    std::iota(gradient.begin(), gradient.end(), 1);
    std::vector<int> reversed(gradient.rbegin(), gradient.rend());
    const std::vector<int> species = positions(speciesNames(model));
    const std::vector<int> releves = positions(releveLabels(model));
    EXPECT_TRUE(species == gradient || species == reversed) << speciesNames(model).join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(releves == gradient || releves == reversed) << releveLabels(model).join(QLatin1Char(' ')).toStdString();
}

TEST(RecipCommand, NothingToAverageIsSaidAndChangesNothing)
{
    struct Case { const char *name; int species; int releves; quint8 code; bool asks; };
    const Case cases[] = {
        {"no relevé", 2, 0, 0, false},
        {"no species row", 0, 2, 0, false},
        {"only \"*\"", 2, 2, kStar, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TableModel model;
        QStringList names;
        QStringList labels;
        for (int s = 0; s < c.species; ++s)
            names << QStringLiteral("s%1").arg(s);
        for (int r = 0; r < c.releves; ++r)
            labels << QStringLiteral("r%1").arg(r);
        fillCodedTable(model, names, labels, std::vector<std::vector<quint8>>(std::size_t(c.releves), {c.code, c.code}));
        const QStringList before = gridText(model);
        FreqTableModel scores;
        ScriptedUserInterface ui;
        ui.setDefaultYes(true);
        RecipCommand command(&model, &scores, &ui);
        int built = 0;
        QObject::connect(&command, &RecipCommand::scoreTableBuilt, [&] { ++built; });
        command.run();
        EXPECT_EQ(ui.messages(), QStringList{RecipCommand::nothingToScoreMessage()});
        EXPECT_EQ(ui.log().first().startsWith(QLatin1String("yesnocancel:")), c.asks);
        EXPECT_FALSE(ui.workMessageShown());
        EXPECT_EQ(built, 0);
        EXPECT_TRUE(scores.isBlank());
        EXPECT_EQ(gridText(model), before);
        EXPECT_FALSE(model.isModified());
    }
}

TEST(RecipCommand, ScoreTextHasOneDecimalAndNeverAMinusZero)
{
    struct Case { float score; const char *text; };
    const Case cases[] = {
        {0.0f, "0.0"}, {-0.0f, "0.0"}, {-1.0e-6f, "0.0"}, {-0.04f, "0.0"}, {53.24f, "53.2"},
        {12.25f, "12.3"}, {99.96f, "100.0"}, {100.0f, "100.0"}, {7.0f, "7.0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecipCommand::scoreText(c.score), QString::fromLatin1(c.text)) << c.score;
}

TEST_F(RecipTable, CancelAtTheFirstQuestionComputesNothing)
{
    int built = 0;
    QObject::connect(&command, &RecipCommand::scoreTableBuilt, [&] { ++built; });
    const QStringList before = gridText(model);
    ui.answerCancel();
    command.run();
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("yesnocancel:") + RecipCommand::coverQuestion()});
    EXPECT_EQ(built, 0);
    EXPECT_TRUE(scores.isBlank());
    EXPECT_EQ(gridText(model), before);
}

TEST_F(RecipTable, CancelledAveragingChangesNeitherTheScoresNorTheTable)
{
    // The score window holds the scores of an earlier run.
    ui.answerYes();
    ui.answerNo();
    command.run();
    const QString shownScores = scores.clipboardText();
    const QStringList before = gridText(model);
    int built = 0;
    int changed = 0;
    QObject::connect(&command, &RecipCommand::scoreTableBuilt, [&] { ++built; });
    QObject::connect(&command, &RecipCommand::tableChanged, [&] { ++changed; });

    // "中止" at the second iteration.
    ui.clearLog();
    ui.answerYes();
    ui.cancelWorkAt(2);
    command.run();
    const QStringList log = ui.log();
    EXPECT_TRUE(log.contains(QStringLiteral("cancel")));
    EXPECT_FALSE(log.contains(QStringLiteral("yesno:組成表の並びを変えますか？")));
    EXPECT_EQ(log.last(), QStringLiteral("work-closed"));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(built, 0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(scores.clipboardText(), shownScores);
    EXPECT_EQ(gridText(model), before);
    EXPECT_FALSE(model.isModified());
}
