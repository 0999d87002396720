#include "analysis/ordinationcommand.h"

#include "analysis/ordinationmatrix.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace Zelkor {

namespace {

// The order of n rows or columns: those with a score (keyOf gives it) in ascending order of it,
// equal ones as they were, then the others as they were; 0-based places.
template<typename KeyOf>
std::vector<int> orderBy(int n, const KeyOf &keyOf)
{
    std::vector<std::pair<double, int>> scored;
    std::vector<int> unscored;
    for (int k = 0; k < n; ++k) {
        double key = 0.0;
        if (keyOf(k + 1, &key))
            scored.emplace_back(key, k);
        else
            unscored.push_back(k);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const std::pair<double, int> &a, const std::pair<double, int> &b) { return a.first < b.first; });
    std::vector<int> order;
    order.reserve(std::size_t(std::max(n, 0)));
    for (const auto &s : scored)
        order.push_back(s.second);
    order.insert(order.end(), unscored.begin(), unscored.end());
    return order;
}

bool isIdentity(const std::vector<int> &order)
{
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] != int(k))
            return false;
    return true;
}

} // namespace

QString OrdinationCommand::preparingMessage()
{
    return QStringLiteral("　序列化 準備中　");
}

QString OrdinationCommand::calculatingMessage()
{
    return QStringLiteral("　序列化 計算中　");
}

QString OrdinationCommand::nothingToOrdinateMessage()
{
    return QStringLiteral("序列化できる植物と測定がありません。\n"
                          "値のある測定と植物がそれぞれ二つ以上必要です。");
}

QStringList OrdinationCommand::conversionCaptions()
{
    return coverMethodCaptions();
}

OrdinationCommand::OrdinationCommand(TableModel *model, UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_ui(ui)
{
}

OrdinationData OrdinationCommand::compute(const TableModel &model, int conversion, const OrdinationOptions &options,
                                          UserInterface *ui, bool *canceled)
{
    if (canceled)
        *canceled = false;
    CancelableWork work(ui, preparingMessage(), QStringLiteral("Step 1: "));
    const OrdinationMatrix matrix = OrdinationMatrix::fromTable(model, conversion, work.feedback());
    if (work.isCanceled()) {
        if (canceled)
            *canceled = true;
        return {};
    }
    work.setStage(calculatingMessage(), QString(), QStringLiteral("   "));
    OrdinationResult result = Ordination::run(matrix, options, work.feedback(), Ordination::threadsFor(matrix));
    if (result.canceled) {
        if (canceled)
            *canceled = true;
        return {};
    }
    return OrdinationData::collect(model, std::move(result), conversion);
}

bool OrdinationCommand::run(int conversion, const OrdinationOptions &options)
{
    bool canceled = false;
    OrdinationData data = compute(*m_model, conversion, options, m_ui, &canceled);
    if (canceled)
        return false;
    if (data.result.axisCount() == 0) {
        m_ui->showMessage(nothingToOrdinateMessage());
        return false;
    }
    m_data = std::move(data);
    m_hasData = true;
    Q_EMIT dataChanged();
    return true;
}

bool OrdinationCommand::saveScores()
{
    if (!m_hasData)
        return false;
    FileDialogRequest request = FileDialogRequest::forType(Csv::nameFilter(), QStringLiteral(".csv"));
    request.fileName = QStringLiteral("%1-scores.csv").arg(m_data.result.prefix().toLower());
    request.offerEncoding = true;
    const QString path = askSaveFile(*m_ui, request);
    if (path.isEmpty())
        return false;
    QString error;
    m_ui->setBusy(true);
    const bool ok = m_data.writeScores(path, &error, nullptr, request.encoding);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"), QStringLiteral("スコアをCSVファイルに書き出せませんでした。\n%1").arg(error));
    return ok;
}

bool OrdinationCommand::reorderTable()
{
    if (!m_hasData)
        return false;
    bool done = false;
    {
        TableHistory::Step step(m_history, QStringLiteral("序列による並べ替え"));
        done = reorderTable(*m_model, m_data);
    }
    if (!done)
        return false;
    Q_EMIT tableChanged();
    return true;
}

int OrdinationCommand::currentColumnOf(int place) const
{
    if (!m_hasData || place < 0 || place >= int(m_data.releveIndexes.size()))
        return -1;
    const int index = m_data.releveIndexes[std::size_t(place)];
    for (int r = 1; r <= m_model->releveCount(); ++r) {
        const int column = TableModel::releveColumn(r);
        if (m_model->releveIndexAt(column) == index)
            return column;
    }
    return -1;
}

bool OrdinationCommand::reorderTable(TableModel &model, const OrdinationData &data)
{
    if (data.result.axisCount() == 0)
        return false;
    std::unordered_map<int, double> releveScore;
    for (std::size_t i = 0; i < data.releveIndexes.size(); ++i)
        releveScore.emplace(data.releveIndexes[i], data.result.releveScores[0][i]);
    std::unordered_map<int, double> speciesScore;
    for (std::size_t j = 0; j < data.speciesIndexes.size(); ++j)
        speciesScore.emplace(data.speciesIndexes[j], data.result.speciesScores[0][j]);
    auto lookUp = [](const std::unordered_map<int, double> &scores, int index, double *key) {
        const auto it = scores.find(index);
        if (it == scores.end())
            return false;
        *key = it->second;
        return true;
    };

    bool moved = false;
    const int species = model.speciesCount();
    std::vector<int> rows = orderBy(species, [&](int k, double *key) {
        return lookUp(speciesScore, model.speciesIndexAt(model.speciesRow(k)), key);
    });
    if (species > 1 && !isIdentity(rows)) {
        for (int &row : rows)
            row += model.speciesRow(1);
        // Rows keep their heights by place: a row hidden before stays hidden at its place.
        model.grid().permuteRows(model.speciesRow(1), rows, false, TableModel::NumberColumn);
        moved = true;
    }
    model.checkSpeciesNumber();
    const int releves = model.releveCount();
    std::vector<int> columns = orderBy(releves, [&](int k, double *key) {
        return lookUp(releveScore, model.releveIndexAt(TableModel::releveColumn(k)), key);
    });
    if (releves > 1 && !isIdentity(columns)) {
        for (int &column : columns)
            column += TableModel::FirstReleveColumn;
        model.grid().permuteColumns(TableModel::FirstReleveColumn, columns, false, TableModel::NumberRow);
        moved = true;
    }
    model.checkTableNumber();
    if (moved)
        model.setModified(true);
    return true;
}

} // namespace Zelkor
