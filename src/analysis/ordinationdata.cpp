#include "analysis/ordinationdata.h"

#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Zelkor {

namespace {

// A score in the shortest form that reads back as the same double.
QString scoreText(double v)
{
    return QString::number(v + 0.0, 'g', QLocale::FloatingPointShortest);
}

} // namespace

OrdinationData OrdinationData::collect(const TableModel &model, OrdinationResult result, int conversion)
{
    OrdinationData d;
    d.conversion = conversion;
    const CellGrid &grid = model.grid();
    for (std::size_t k = 0; k < result.releves.size(); ++k) {
        const int column = TableModel::releveColumn(result.releves[k]);
        d.releveIndexes.push_back(model.releveIndexAt(column));
        d.releveLabels << grid.cell(column, TableModel::LabelRow);
        // A column without values before a relevé (other than the first) starts a new group.
        if (k == 0 || result.releves[k] != result.releves[k - 1] + 1)
            ++d.groupCount;
        d.groups.push_back(d.groupCount);
    }
    for (int row = TableModel::NumberRow; row < model.headerRows(); ++row) {
        Item item;
        item.number = grid.cell(TableModel::IndexColumn, row).trimmed().toInt();
        item.label = trimBlanks(grid.cell(TableModel::NameColumn, row));
        if (item.label.isEmpty())
            item.label = QStringLiteral("項目%1").arg(item.number > 0 ? item.number : row);
        for (int position : result.releves)
            item.values << trimBlanks(grid.cell(TableModel::releveColumn(position), row));
        d.items.push_back(std::move(item));
    }
    for (int position : result.species) {
        const int row = model.speciesRow(position);
        d.speciesIndexes.push_back(model.speciesIndexAt(row));
        d.speciesNames << trimBlanks(grid.cell(TableModel::NameColumn, row));
    }
    d.result = std::move(result);
    return d;
}

int OrdinationData::findItem(const QString &text) const
{
    const QString wanted = text.trimmed();
    bool number = false;
    const int n = wanted.toInt(&number);
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (number && items[k].number == n)
            return int(k);
    }
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (items[k].label == wanted)
            return int(k);
    }
    return -1;
}

QStringList OrdinationData::scoreLines() const
{
    QStringList lines;
    QStringList header{QStringLiteral("kind"), QStringLiteral("label")};
    for (int k = 0; k < result.axisCount(); ++k)
        header << result.axisName(k);
    lines << header.join(QLatin1Char(','));
    auto line = [&](const QString &kind, const QString &label, const std::vector<std::vector<double>> &scores,
                    std::size_t place) {
        QString text = kind + QLatin1Char(',') + Csv::field(label);
        for (const std::vector<double> &axis : scores)
            text += QLatin1Char(',') + scoreText(axis[place]);
        return text;
    };
    for (std::size_t i = 0; i < result.releves.size(); ++i)
        lines << line(QStringLiteral("releve"), releveLabels.value(qsizetype(i)), result.releveScores, i);
    for (std::size_t j = 0; j < result.species.size(); ++j)
        lines << line(QStringLiteral("species"), speciesNames.value(qsizetype(j)), result.speciesScores, j);
    return lines;
}

bool OrdinationData::writeScores(const QString &fileName, QString *error, Feedback *feedback,
                                 TextEncoding encoding) const
{
    TextFileWriter out(fileName);
    out.setEncoding(encoding);
    if (!out.open()) {
        *error = out.errorString();
        return false;
    }
    const QStringList lines = scoreLines();
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if ((k & 1023) == 0 && !Feedback::advance(feedback, int(k))) {
            out.cancel();
            *error = Feedback::canceledMessage();
            return false;
        }
        out.writeLine(lines[k]);
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

OrdinationColouring OrdinationColouring::byGroup(const OrdinationData &data)
{
    OrdinationColouring c;
    c.title = QStringLiteral("群");
    if (data.groupCount <= 1)
        return c;
    c.kind = Categories;
    for (int g = 1; g <= data.groupCount; ++g)
        c.categories << QStringLiteral("群%1").arg(g);
    for (int g : data.groups)
        c.category.push_back(g - 1);
    return c;
}

OrdinationColouring OrdinationColouring::byItem(const OrdinationData &data, int item)
{
    if (item < 0 || item >= int(data.items.size()))
        return byGroup(data);
    const OrdinationData::Item &it = data.items[std::size_t(item)];
    OrdinationColouring c;
    c.title = it.label;
    bool numeric = false;
    bool allNumbers = true;
    std::vector<double> values;
    for (const QString &v : it.values) {
        if (v.isEmpty()) {
            values.push_back(std::numeric_limits<double>::quiet_NaN());
            continue;
        }
        bool ok = false;
        const double x = v.toDouble(&ok);
        if (ok && std::isfinite(x)) {
            values.push_back(x);
            numeric = true;
        } else {
            allNumbers = false;
            values.push_back(std::numeric_limits<double>::quiet_NaN());
        }
    }
    if (numeric && allNumbers) {
        c.kind = Numeric;
        c.values = std::move(values);
        bool first = true;
        for (double x : c.values) {
            if (std::isnan(x))
                continue;
            c.minimum = first ? x : std::min(c.minimum, x);
            c.maximum = first ? x : std::max(c.maximum, x);
            first = false;
        }
        return c;
    }
    c.kind = Categories;
    for (const QString &v : it.values) {
        if (v.isEmpty()) {
            c.category.push_back(-1);
            continue;
        }
        qsizetype at = c.categories.indexOf(v);
        if (at < 0) {
            at = c.categories.size();
            c.categories << v;
        }
        c.category.push_back(int(at));
    }
    if (c.categories.isEmpty())
        c.kind = Single;
    return c;
}

} // namespace Zelkor
