#include "table/tablegrouping.h"

#include "platform/texthelpers.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QHash>

#include <algorithm>

#include <vector>

namespace Zelkor {

namespace {

// A column that holds neither species nor header values: a separator of groups.
bool isSeparator(const TableModel &model, int col)
{
    if (model.releveSpCount(TableModel::releveOfColumn(col)) > 0)
        return false;
    for (int r = TableModel::LabelRow; r < model.speciesNumberRow(); ++r)
        if (!trimBlanks(model.grid().cell(col, r)).isEmpty())
            return false;
    return true;
}

} // namespace

int TableGrouping::itemRow(const TableModel &model, int n)
{
    for (int r = TableModel::LabelRow; r < model.speciesNumberRow(); ++r)
        if (TableModel::indexFromText(model.grid().cell(TableModel::IndexColumn, r)) == n)
            return r;
    return -1;
}

int TableGrouping::findItem(const TableModel &model, const QString &text)
{
    const QString wanted = trimBlanks(text);
    bool number = false;
    const int n = wanted.toInt(&number);
    if (number)
        return n >= 1 && n < HeaderItems::Count && itemRow(model, n) >= 0 ? n : 0;
    for (int r = TableModel::LabelRow; r < model.speciesNumberRow(); ++r) {
        const int item = TableModel::indexFromText(model.grid().cell(TableModel::IndexColumn, r));
        if (item >= 1 && item < HeaderItems::Count && trimBlanks(model.grid().cell(TableModel::NameColumn, r)) == wanted)
            return item;
    }
    return 0;
}

QString TableGrouping::noSuchItemMessage(const QString &text)
{
    return QStringLiteral("表に見出し項目「%1」がありません（項目の番号 1～29 か、表の見出しの名前で指定して下さい）").arg(text);
}

bool TableGrouping::regroup(TableModel &model, int n, int *groups)
{
    const int row = itemRow(model, n);
    if (row < 0)
        return false;

    // The relevés by group, in the order the groups' values first appear.
    QHash<QString, int> groupOf;
    std::vector<std::vector<int>> members;
    std::vector<int> separators;
    for (int i = 1; i <= model.releveCount(); ++i) {
        const int col = TableModel::releveColumn(i);
        if (isSeparator(model, col)) {
            separators.push_back(col);
            continue;
        }
        const QString value = trimBlanks(model.grid().cell(col, row));
        auto it = groupOf.find(value);
        if (it == groupOf.end()) {
            it = groupOf.insert(value, int(members.size()));
            members.emplace_back();
        }
        members[std::size_t(*it)].push_back(col);
    }
    const int groupCount = int(members.size());
    if (groups)
        *groups = groupCount;
    const int needed = std::max(groupCount - 1, 0);

    // The order of the columns: each group's relevés, a separator between two groups, the
    // separators left over at the end (taken out below).
    std::vector<int> order;
    order.reserve(std::size_t(model.releveCount()) + std::size_t(needed));
    std::size_t nextSeparator = 0;
    int newColumns = 0;
    for (int g = 0; g < groupCount; ++g) {
        if (g > 0) {
            if (nextSeparator < separators.size())
                order.push_back(separators[nextSeparator++]);
            else
                order.push_back(-1 - newColumns++); // a column to be added
        }
        for (int col : members[std::size_t(g)])
            order.push_back(col);
    }
    const int surplus = int(separators.size() - nextSeparator);
    for (; nextSeparator < separators.size(); ++nextSeparator)
        order.push_back(separators[nextSeparator]);

    // Columns to add come from the spare columns after the last relevé, cleared as an inserted
    // column is.
    const int count = model.releveCount() + newColumns;
    if (newColumns > 0 && count > model.maxReleves() && !model.addCol(count))
        return false;
    for (int k = 0; k < newColumns; ++k) {
        const int col = TableModel::releveColumn(model.releveCount() + 1 + k);
        const QString index = model.grid().cell(col, TableModel::IndexRow);
        model.grid().clearColumn(col);
        model.grid().setCell(col, TableModel::IndexRow, index);
        const int r = TableModel::indexFromText(index);
        if (r >= 1)
            model.coverData().clearReleve(r);
    }
    for (int &col : order)
        if (col < 0)
            col = TableModel::releveColumn(model.releveCount() + 1 + (-1 - col));
    model.setReleveCount(count);

    bool moved = false;
    for (std::size_t k = 0; k < order.size(); ++k)
        moved = moved || order[k] != TableModel::FirstReleveColumn + int(k);
    if (moved)
        model.grid().permuteColumns(TableModel::FirstReleveColumn, order, false, TableModel::NumberRow);
    // The separators no group needs are now the last columns.
    for (int k = 0; k < surplus; ++k)
        model.deleteColumn(TableModel::releveColumn(model.releveCount()));
    if (moved || surplus > 0 || newColumns > 0) {
        model.checkTableNumber();
        model.setModified(true);
    }
    return true;
}

} // namespace Zelkor
