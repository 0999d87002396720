#include "analysis/recipcommand.h"

#include "analysis/exchangesort.h"
#include "analysis/freqtablemodel.h"
#include "analysis/recipmatrix.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/userinterface.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"


namespace Zelkor {

namespace {

// The new order of positions 1..n (as 0-based offsets from the first): the scored ones in the
// order of the exchange sort of their scores, then the others in their order.
std::vector<int> sortedPositions(const std::vector<float> &scores, const std::vector<bool> &scored, int n)
{
    std::vector<int> positions;
    std::vector<float> keys;
    std::vector<int> unscored;
    for (int k = 1; k <= n; ++k) {
        if (scored[std::size_t(k)]) {
            positions.push_back(k - 1);
            keys.push_back(scores[std::size_t(k)]);
        } else {
            unscored.push_back(k - 1);
        }
    }
    std::vector<int> order;
    order.reserve(std::size_t(n));
    for (int place : ExchangeSort::order(keys))
        order.push_back(positions[std::size_t(place)]);
    order.insert(order.end(), unscored.begin(), unscored.end());
    return order;
}

bool isIdentity(const std::vector<int> &order)
{
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (order[k] != int(k))
            return false;
    }
    return true;
}

} // namespace

QString RecipCommand::coverQuestion()
{
    return QStringLiteral("反復平均法の計算に、優占度を考慮しますか？");
}

QString RecipCommand::reorderQuestion()
{
    return QStringLiteral("組成表の並びを変えますか？");
}

QString RecipCommand::nothingToScoreMessage()
{
    return QStringLiteral("反復平均法で計算できる植物と測定がありません。\n"
                          "種の出現する測定が一つ以上必要です。");
}

QString RecipCommand::preparingMessage()
{
    return QStringLiteral("　反復平均法 準備中　");
}

QString RecipCommand::calculatingMessage()
{
    return QStringLiteral("　反復平均法 計算中　");
}

QString RecipCommand::sortPlantsMessage()
{
    return QStringLiteral("　反復平均法 植物の並び替え　");
}

QString RecipCommand::sortRelevesMessage()
{
    return QStringLiteral("　反復平均法 測定の並び替え　");
}

RecipCommand::RecipCommand(TableModel *model, FreqTableModel *freqTable, UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_freqTable(freqTable)
    , m_ui(ui)
{
}

void RecipCommand::run()
{
    // Without a species row and a relevé column there is nothing to ask about.
    if (m_model->speciesCount() <= 0 || m_model->releveCount() <= 0) {
        m_ui->showMessage(nothingToScoreMessage());
        return;
    }
    // Cancel (Escape) at the first question ends the command: nothing is computed.
    const YesNoCancel answer = m_ui->askYesNoCancel(coverQuestion());
    if (answer == YesNoCancel::Cancel)
        return;
    const ReciprocalAveraging::Result scores = computeScores(*m_model, answer == YesNoCancel::Yes, m_ui);
    // Cancelled: neither the score table nor the table changes.
    if (scores.canceled)
        return;
    if (scores.iterations == 0) {
        m_ui->showMessage(nothingToScoreMessage());
        return;
    }
    m_speciesScoreShift = scores.speciesScoreShift;
    m_releveScoreShift = scores.releveScoreShift;
    m_iterations = scores.iterations;
    buildScoreTable(*m_model, scores, m_freqTable);
    Q_EMIT scoreTableBuilt();

    if (!m_ui->askYesNo(reorderQuestion()))
        return;
    {
        TableHistory::Step step(m_history, QStringLiteral("反復平均法による並べ替え"));
        reorderTable(*m_model, scores, m_ui);
    }
    m_ui->closeWorkMessage();
    Q_EMIT tableChanged();
}

ReciprocalAveraging::Result RecipCommand::computeScores(const TableModel &model, bool cover, UserInterface *ui)
{
    CancelableWork work(ui, preparingMessage(), QStringLiteral("Step 1: "));
    const RecipMatrix matrix = RecipMatrix::fromTable(model, cover ? 1 : 6, work.feedback());
    if (work.isCanceled()) {
        ReciprocalAveraging::Result canceled;
        canceled.canceled = true;
        return canceled;
    }
    work.setStage(calculatingMessage(), QStringLiteral("Step 2: "), QStringLiteral("   "));
    return ReciprocalAveraging::run(matrix, work.feedback(), ReciprocalAveraging::threadsFor(matrix));
}

QString RecipCommand::scoreText(float score)
{
    QString text = QString::number(double(score), 'f', 1);
    // A score a rounding below 0 would read "-0.0".
    if (text == QLatin1String("-0.0"))
        text = QStringLiteral("0.0");
    return text;
}

void RecipCommand::buildScoreTable(const TableModel &model, const ReciprocalAveraging::Result &scores,
                                   FreqTableModel *freqTable)
{
    const CellGrid &grid = model.grid();
    std::vector<FreqTableModel::ScoreRow> species;
    species.reserve(std::size_t(std::max(model.speciesCount(), 0)));
    for (int k = 1; k <= model.speciesCount(); ++k) {
        const bool scored = std::size_t(k) < scores.speciesScored.size() && scores.speciesScored[std::size_t(k)];
        species.push_back({grid.cell(TableModel::NameColumn, model.speciesRow(k)), scored ? scoreText(scores.speciesScores[std::size_t(k)]) : QString()});
    }
    std::vector<FreqTableModel::ScoreRow> releves;
    releves.reserve(std::size_t(std::max(model.releveCount(), 0)));
    for (int r = 1; r <= model.releveCount(); ++r) {
        const bool scored = std::size_t(r) < scores.releveScored.size() && scores.releveScored[std::size_t(r)];
        releves.push_back({grid.cell(TableModel::releveColumn(r), TableModel::LabelRow), scored ? scoreText(scores.releveScores[std::size_t(r)]) : QString()});
    }
    freqTable->setScoreTable(model.tableFont(), species, releves);
}

QStringList RecipCommand::scoreLongLines(const TableModel &model, const ReciprocalAveraging::Result &scores)
{
    const CellGrid &grid = model.grid();
    QStringList lines{QStringLiteral("kind,position,label,score")};
    for (int k = 1; k <= model.speciesCount(); ++k) {
        if (std::size_t(k) < scores.speciesScored.size() && scores.speciesScored[std::size_t(k)])
            lines << Csv::joinLine({QStringLiteral("species"), QString::number(k),
                                    grid.cell(TableModel::NameColumn, model.speciesRow(k)),
                                    scoreText(scores.speciesScores[std::size_t(k)])});
    }
    for (int r = 1; r <= model.releveCount(); ++r) {
        if (std::size_t(r) < scores.releveScored.size() && scores.releveScored[std::size_t(r)])
            lines << Csv::joinLine({QStringLiteral("releve"), QString::number(r),
                                    grid.cell(TableModel::releveColumn(r), TableModel::LabelRow),
                                    scoreText(scores.releveScores[std::size_t(r)])});
    }
    return lines;
}

void RecipCommand::reorderTable(TableModel &model, const ReciprocalAveraging::Result &scores, UserInterface *ui)
{
    const int species = std::min(model.speciesCount(), int(scores.speciesScored.size()) - 1);
    const int releves = std::min(model.releveCount(), int(scores.releveScored.size()) - 1);
    bool moved = false;

    if (ui)
        ui->showWorkMessage(sortPlantsMessage(), QStringLiteral("Sorting Plants"));
    if (species > 1) {
        std::vector<int> order = sortedPositions(scores.speciesScores, scores.speciesScored, species);
        if (!isIdentity(order)) {
            for (int &row : order)
                row += model.speciesRow(1);
            // Rows keep their heights by place: a row hidden before stays hidden at its place.
            model.grid().permuteRows(model.speciesRow(1), order, false, TableModel::NumberColumn);
            moved = true;
        }
    }
    model.checkSpeciesNumber();

    if (ui)
        ui->showWorkMessage(sortRelevesMessage(), QString());
    if (releves > 1) {
        std::vector<int> order = sortedPositions(scores.releveScores, scores.releveScored, releves);
        if (!isIdentity(order)) {
            for (int &col : order)
                col += TableModel::FirstReleveColumn;
            model.grid().permuteColumns(TableModel::FirstReleveColumn, order, false, TableModel::NumberRow);
            moved = true;
        }
    }
    model.checkTableNumber();
    if (moved)
        model.setModified(true);
}

} // namespace Zelkor
