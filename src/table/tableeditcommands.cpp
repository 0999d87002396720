#include "table/tableeditcommands.h"

#include "platform/texthelpers.h"
#include "platform/userinterface.h"
#include "table/headeritems.h"
#include "table/tabledocument.h"
#include "table/tablegrouping.h"
#include "table/tablesearch.h"

namespace Zelkor {

TableEditCommands::TableEditCommands(TableDocument *doc, UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_doc(doc)
    , m_ui(ui)
{
}

void TableEditCommands::setPendingTint(const EditTarget &target)
{
    if (m_pendingTint == target)
        return;
    m_pendingTint = target;
    Q_EMIT tintChanged();
}

void TableEditCommands::run(EditCommand command, int at, bool countsMayChange, const QString &name)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    bool done = false;
    {
        TableHistory::Step step(m_doc->history(), name);
        done = command(m_doc->model(), *m_ui, at, tint);
    }
    if (!done)
        return;
    Q_EMIT m_doc->tableChanged();
    if (countsMayChange)
        Q_EMIT m_doc->statusChanged();
}

void TableEditCommands::deleteRow(int row)
{
    run(&TableEditing::deleteRow, row, true, QStringLiteral("行の削除"));
}

void TableEditCommands::deleteColumn(int col)
{
    run(&TableEditing::deleteColumn, col, true, QStringLiteral("列の削除"));
}

void TableEditCommands::insertRow(int row)
{
    run(&TableEditing::insertRow, row, true, QStringLiteral("行の挿入"));
}

void TableEditCommands::insertColumn(int col)
{
    run(&TableEditing::insertColumn, col, true, QStringLiteral("列の挿入"));
}

void TableEditCommands::writeComment(int row)
{
    run(&TableEditing::writeComment, row, false, QStringLiteral("コメントの書込み"));
}

bool TableEditCommands::editCell(int c, int r, const QString &text)
{
    QString error;
    bool ok = false;
    {
        TableHistory::Step step(m_doc->history(), QStringLiteral("升目の編集"));
        ok = TableEditing::applyCellEdit(m_doc->model(), c, r, text, &error, m_doc->settings().layerNames);
    }
    if (!ok)
        m_ui->showMessage(error);
    Q_EMIT m_doc->tableChanged();
    return ok;
}

bool TableEditCommands::groupByItem()
{
    TableModel &model = m_doc->model();
    QStringList labels;
    std::vector<int> numbers;
    for (int r = TableModel::LabelRow; r < model.speciesNumberRow(); ++r) {
        const int n = TableModel::indexFromText(model.grid().cell(TableModel::IndexColumn, r));
        if (n >= 2 && n < HeaderItems::Count) {
            labels << QStringLiteral("%1　%2").arg(n).arg(trimBlanks(model.grid().cell(TableModel::NameColumn, r)));
            numbers.push_back(n);
        }
    }
    if (numbers.empty()) {
        m_ui->showMessage(QStringLiteral("表に群分けに使える見出し項目がありません。"));
        return false;
    }
    int index = 0;
    if (!m_ui->chooseItem(QStringLiteral("項目の値で群に分ける"),
                          QStringLiteral("測定を群に分ける見出し項目を選んで下さい。\n"
                                         "値の同じ測定を集め、群と群の間に空の列を置きます。"),
                          labels, &index)
        || index < 0 || index >= int(numbers.size()))
        return false;
    m_ui->setBusy(true);
    bool ok = false;
    {
        TableHistory::Step step(m_doc->history(), QStringLiteral("項目の値による群分け"));
        ok = TableGrouping::regroup(model, numbers[std::size_t(index)]);
    }
    m_ui->setBusy(false);
    if (!ok)
        return false;
    Q_EMIT m_doc->tableChanged();
    Q_EMIT m_doc->statusChanged();
    return true;
}

bool TableEditCommands::moveRow(int from, int to)
{
    CellGrid &grid = m_doc->model().grid();
    if (from < 0 || to < 0 || from >= grid.rowCount() || to >= grid.rowCount() || from == to)
        return false;
    {
        TableHistory::Step step(m_doc->history(), QStringLiteral("行の移動"));
        grid.moveRow(from, to, true);
        m_doc->model().setModified(true);
    }
    // The title's unsaved mark and the edit menu follow at once.
    Q_EMIT m_doc->statusChanged();
    return true;
}

bool TableEditCommands::moveColumn(int from, int to)
{
    CellGrid &grid = m_doc->model().grid();
    if (from < 0 || to < 0 || from >= grid.colCount() || to >= grid.colCount() || from == to)
        return false;
    {
        TableHistory::Step step(m_doc->history(), QStringLiteral("列の移動"));
        grid.moveColumn(from, to, true);
        m_doc->model().setModified(true);
    }
    Q_EMIT m_doc->statusChanged();
    return true;
}

void TableEditCommands::markRearranged()
{
    m_doc->model().setModified(true);
}

int TableEditCommands::clampRowMove(int from, int to) const
{
    return TableEditing::clampRowMove(m_doc->model(), from, to);
}

int TableEditCommands::clampColumnMove(int from, int to) const
{
    return TableEditing::clampColumnMove(m_doc->model(), from, to);
}

int TableEditCommands::search(const QString &text, bool exact, bool ignoreCase)
{
    m_searchHistory.append(text);
    m_nextHit = 0;
    m_ui->setBusy(true);
    const int hits = TableSearch::search(m_doc->model(), text, exact, ignoreCase);
    m_ui->setBusy(false);
    Q_EMIT m_doc->tableChanged();
    const QString query = trimBlanks(text);
    if (hits == 0 && !query.isEmpty())
        Q_EMIT statusMessage(QStringLiteral("「%1」は表の中に見つかりませんでした").arg(query));
    return hits;
}

void TableEditCommands::resetSearch()
{
    TableSearch::reset(m_doc->model());
    m_nextHit = 0;
    Q_EMIT m_doc->tableChanged();
}

GridCell TableEditCommands::nextSearchHit()
{
    const std::vector<GridCell> &hits = m_doc->model().searchHits();
    if (hits.empty()) {
        m_nextHit = 0;
        Q_EMIT statusMessage(QStringLiteral("検索の印がありません。「表内を検索する」で検索してください。"));
        return GridCell{-1, -1};
    }
    // The marks may have changed under the count since (a table loaded or laid out anew).
    if (m_nextHit >= hits.size())
        m_nextHit = 0;
    const std::size_t at = m_nextHit++;
    Q_EMIT statusMessage(QStringLiteral("検索の印 %1 / %2").arg(at + 1).arg(hits.size()));
    return hits[at];
}

void TableEditCommands::askShowIndexes()
{
    const bool show = m_ui->askYesNo(
        QStringLiteral("データ検査のため、内部データの参照を示す 行０、列０を表示しますか？"));
    m_doc->model().grid().setRowHeight(0, show ? 16 : 1);
    m_doc->model().grid().setColWidth(0, show ? 28 : 1);
    Q_EMIT m_doc->tableChanged();
}

} // namespace Zelkor
