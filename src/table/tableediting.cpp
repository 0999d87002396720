#include "table/tableediting.h"

#include "table/covercode.h"

#include <QRegularExpression>

#include <algorithm>

namespace Zelkor {

namespace {

// Tints the target for the length of one question and clears the tint when the answer is in,
// whatever the answer.
class TintScope
{
public:
    TintScope(const TintHook &hook, EditTarget target)
        : m_hook(hook)
    {
        if (m_hook)
            m_hook(target);
    }
    ~TintScope()
    {
        if (m_hook)
            m_hook(EditTarget{});
    }
    TintScope(const TintScope &) = delete;
    TintScope &operator=(const TintScope &) = delete;

private:
    const TintHook &m_hook;
};

// The cover codes a user may type for one layer, as the database writes them.
bool isCoverCode(const QString &code)
{
    static const QRegularExpression valid(QStringLiteral("^(?:[r+*(e?]|\\+[1-5]|[1-5][0-5]?)$"));
    return valid.match(code).hasMatch();
}

QString cellEditHelp(const QStringList &labels)
{
    return QStringLiteral("被度は「層:被度」の形で、層ごとに空白で区切って入力してください（例 H1:+2 T1:3）。\n"
                          "層は %1、被度は r + +2～+5 1～5 11～55 * e ? のいずれかです。\n"
                          "空欄にすると、この升目の記録を削除します。")
        .arg(labels.join(QLatin1Char(' ')));
}

bool askAbout(UserInterface &ui, const TintHook &tint, EditTarget target, const QString &question)
{
    TintScope scope(tint, target);
    return ui.askYesNo(question);
}

} // namespace

bool TableEditing::canDeleteRow(const TableModel &model, int row)
{
    return row >= model.speciesRow(1) && row <= model.speciesRow(model.speciesCount())
           && row < model.grid().rowCount();
}

bool TableEditing::canDeleteColumn(const TableModel &model, int col)
{
    return col >= TableModel::FirstReleveColumn && col <= TableModel::releveColumn(model.releveCount())
           && col < model.grid().colCount();
}

bool TableEditing::canInsertRow(const TableModel &model, int row)
{
    return row >= model.speciesRow(1) && row <= model.speciesRow(model.speciesCount() + 1)
           && row < model.grid().rowCount();
}

bool TableEditing::canInsertColumn(const TableModel &model, int col)
{
    return col >= TableModel::FirstReleveColumn && col <= TableModel::releveColumn(model.releveCount() + 1)
           && col < model.grid().colCount();
}

bool TableEditing::canComment(const TableModel &model, int row)
{
    // A comment written into a spare row would lie outside the table: it would be neither shown
    // as part of it nor saved with it.
    return canDeleteRow(model, row);
}

bool TableEditing::deleteRow(TableModel &model, UserInterface &ui, int row, const TintHook &tint)
{
    if (!canDeleteRow(model, row))
        return false;
    if (!askAbout(ui, tint, EditTarget{EditTarget::Row, row}, deleteRowQuestion()))
        return false;
    // Only the relevés that lose their last species with this row go with it. Columns that were
    // empty before, inserted ones and the separators between groups of relevés, are the user's
    // structure and stay.
    const std::vector<int> emptied = columnsEmptiedByRow(model, row);
    model.deleteRow(row);
    for (auto c = emptied.rbegin(); c != emptied.rend(); ++c)
        model.deleteColumn(*c);
    model.checkSpeciesNumber();
    model.checkTableNumber();
    model.setModified(true);
    return true;
}

bool TableEditing::deleteColumn(TableModel &model, UserInterface &ui, int col, const TintHook &tint)
{
    if (!canDeleteColumn(model, col))
        return false;
    if (!askAbout(ui, tint, EditTarget{EditTarget::Column, col}, deleteColumnQuestion()))
        return false;
    // Only the species rows whose last entry was in this column go with it. Rows that were empty
    // before, comment rows and inserted empty rows, stay.
    const std::vector<int> emptied = rowsEmptiedByColumn(model, col);
    model.deleteColumn(col);
    for (auto r = emptied.rbegin(); r != emptied.rend(); ++r)
        model.deleteRow(*r);
    model.checkTableNumber();
    model.checkSpeciesNumber();
    model.setModified(true);
    return true;
}

std::vector<int> TableEditing::columnsEmptiedByRow(const TableModel &model, int row)
{
    const CellGrid &g = model.grid();
    const int lastCol = TableModel::releveColumn(model.releveCount());
    std::vector<int> entries(std::size_t(std::max(lastCol + 1, 0)), 0);
    for (int r = model.speciesRow(1); r <= model.speciesRow(model.speciesCount()); ++r) {
        g.forEachInRow(r, [&](int c, const QString &) {
            if (c >= TableModel::FirstReleveColumn && c <= lastCol)
                ++entries[std::size_t(c)];
        });
    }
    std::vector<int> emptied;
    for (int c = TableModel::FirstReleveColumn; c <= lastCol; ++c)
        if (entries[std::size_t(c)] == 1 && !g.isCellEmpty(c, row))
            emptied.push_back(c);
    return emptied;
}

std::vector<int> TableEditing::rowsEmptiedByColumn(const TableModel &model, int col)
{
    const CellGrid &g = model.grid();
    const int lastCol = TableModel::releveColumn(model.releveCount());
    std::vector<int> emptied;
    for (int r = model.speciesRow(1); r <= model.speciesRow(model.speciesCount()); ++r)
        if (!g.isCellEmpty(col, r) && g.countInRow(r, TableModel::FirstReleveColumn, lastCol) == 1)
            emptied.push_back(r);
    return emptied;
}

bool TableEditing::insertRow(TableModel &model, UserInterface &ui, int row, const TintHook &tint)
{
    if (!canInsertRow(model, row))
        return false;
    if (!askAbout(ui, tint, EditTarget{EditTarget::Row, row}, insertRowQuestion()))
        return false;
    const int count = model.speciesCount() + 1;
    if (count > model.maxSpecies() && !model.addRow(count))
        return false;
    model.setSpeciesCount(count);
    // The first spare row (now the last row in use) gives its index to the new row.
    const int last = model.speciesRow(count);
    const QString index = model.grid().cell(TableModel::IndexColumn, last);
    const int s = TableModel::indexFromText(index);
    model.grid().moveRow(last, row, false);
    model.grid().clearRow(row);
    model.grid().setCell(TableModel::IndexColumn, row, index);
    if (s >= 1)
        model.coverData().clearSpecies(s);
    model.checkSpeciesNumber();
    model.setModified(true);
    return true;
}

bool TableEditing::insertColumn(TableModel &model, UserInterface &ui, int col, const TintHook &tint)
{
    if (!canInsertColumn(model, col))
        return false;
    if (!askAbout(ui, tint, EditTarget{EditTarget::Column, col}, insertColumnQuestion()))
        return false;
    const int count = model.releveCount() + 1;
    if (count > model.maxReleves() && !model.addCol(count))
        return false;
    model.setReleveCount(count);
    // The first spare column (now the last column in use) gives its index to the new column.
    const int last = TableModel::releveColumn(count);
    const QString index = model.grid().cell(last, TableModel::IndexRow);
    const int r = TableModel::indexFromText(index);
    model.grid().moveColumn(last, col, false);
    model.grid().clearColumn(col);
    model.grid().setCell(col, TableModel::IndexRow, index);
    if (r >= 1)
        model.coverData().clearReleve(r);
    model.checkTableNumber();
    model.setModified(true);
    return true;
}

bool TableEditing::writeComment(TableModel &model, UserInterface &ui, int row, const TintHook &tint)
{
    if (!canComment(model, row))
        return false;
    QString text;
    bool ok;
    {
        TintScope scope(tint, EditTarget{EditTarget::Row, row});
        ok = ui.getText(commentCaption(), model.grid().cell(TableModel::NameColumn, row), &text);
    }
    if (!ok || text == model.grid().cell(TableModel::NameColumn, row))
        return false;
    model.grid().setCell(TableModel::NameColumn, row, text);
    model.setModified(true);
    return true;
}

QString TableEditing::titleStartValue(const QString &tableTitle, const QString &dataFileName)
{
    if (!tableTitle.isEmpty())
        return tableTitle;
    if (dataFileName == QStringLiteral("未指定"))
        return QString();
    // The settings file may come from Windows, so both separators end a folder name.
    const qsizetype slash = std::max(dataFileName.lastIndexOf(QLatin1Char('/')),
                                     dataFileName.lastIndexOf(QLatin1Char('\\')));
    QString name = dataFileName.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return name;
}

bool TableEditing::editTitle(UserInterface &ui, QString *tableTitle, const QString &dataFileName)
{
    QString value = titleStartValue(*tableTitle, dataFileName);
    if (!ui.getText(editTitleCaption(), QString(), &value))
        return false;
    *tableTitle = value;
    return true;
}

int TableEditing::clampRowMove(const TableModel &model, int from, int to)
{
    // A row dropped below the last species row would leave the table while the species count
    // stays: the species would vanish from outputs and a spare row would be counted instead.
    if (!canDeleteRow(model, from))
        return from;
    return std::clamp(to, model.speciesRow(1), model.speciesRow(model.speciesCount()));
}

int TableEditing::clampColumnMove(const TableModel &model, int from, int to)
{
    if (!canDeleteColumn(model, from))
        return from;
    return std::clamp(to, TableModel::FirstReleveColumn, TableModel::releveColumn(model.releveCount()));
}

bool TableEditing::applyCellEdit(TableModel &model, int c, int r, const QString &text, QString *error,
                                 const QString &layerNames)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    // Leaving a cell editor without a change changes nothing, wherever the cell is.
    if (text == model.grid().cell(c, r))
        return true;
    const int releve = model.releveIndexAt(c);
    const int species = model.speciesIndexAt(r);
    if (!canDeleteColumn(model, c) || !canDeleteRow(model, r) || releve < 1 || species < 1
        || releve > model.maxReleves() || species > model.maxSpecies()) {
        return fail(QStringLiteral("この升目は編集できません。被度を書き込めるのは、表の種の行と測定の列が交わる升目だけです。"));
    }

    // Full-width letters, digits and signs typed through an input method read as their plain forms.
    const QString typed = text.normalized(QString::NormalizationForm_KC).trimmed();
    ByteDataSet codes{};
    if (!typed.isEmpty()) {
        QStringList labels;
        for (int i = 0; i < 7; ++i)
            labels.append(layerNames.mid(2 * i, 2).trimmed());
        const QStringList entries = typed.split(QRegularExpression(QStringLiteral("[\\s,]+")),
                                                Qt::SkipEmptyParts);
        bool named[7] = {};
        for (const QString &entry : entries) {
            const qsizetype colon = entry.indexOf(QLatin1Char(':'));
            if (colon < 0)
                return fail(QStringLiteral("「%1」には層がありません。\n").arg(entry) + cellEditHelp(labels));
            const QString layer = entry.left(colon).trimmed();
            const QString code = entry.mid(colon + 1).trimmed();
            int i = 0;
            while (i < 7 && (labels[i].isEmpty() || labels[i].compare(layer, Qt::CaseInsensitive) != 0))
                ++i;
            if (i == 7)
                return fail(QStringLiteral("「%1」は層の名前ではありません。\n").arg(layer) + cellEditHelp(labels));
            if (named[i])
                return fail(QStringLiteral("層 %1 が二度書かれています。\n").arg(labels[i]) + cellEditHelp(labels));
            if (!isCoverCode(code))
                return fail(QStringLiteral("「%1」は被度として読めません。\n").arg(code) + cellEditHelp(labels));
            named[i] = true;
            // The code is read exactly as the database reader reads its two-character field.
            QByteArray field(14, ' ');
            const QByteArray bytes = code.toLatin1();
            field.replace(2 * i, int(bytes.size()), bytes);
            codes[std::size_t(i)] = coverCodeToData(field)[std::size_t(i)];
        }
    }

    const QString shown = isEmpty(codes) ? QString() : dataToCellText(codes);
    if (shown != model.grid().cell(c, r) || codes != model.coverData().at(releve, species))
        model.setModified(true);
    model.coverData().set(releve, species, codes);
    model.grid().setCell(c, r, shown);
    model.checkTableNumber();
    model.checkSpeciesNumber();
    return true;
}

} // namespace Zelkor
