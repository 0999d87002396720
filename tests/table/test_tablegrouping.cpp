// Grouping the relevés of a table by a header item's value.
#include "table/tablegrouping.h"

#include "analysis/codedtable.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

constexpr int kItem = 3;

// Relevés labelled labels[p] (an empty label: an empty column with no species) with item 3's
// value values[p]; species 1 holds code p + 1 in relevé p, so each relevé's codes are its own.
void fill(TableModel &model, const QStringList &labels, const QStringList &values)
{
    std::vector<std::vector<quint8>> codes;
    for (qsizetype p = 0; p < labels.size(); ++p)
        codes.push_back(labels[p].isEmpty() ? std::vector<quint8>{} : std::vector<quint8>{quint8(10 * (1 + p % 5))});
    Zelkor::Test::fillCodedTable(model, {QStringLiteral("Poa annua")}, labels, codes);
    const int row = TableGrouping::itemRow(model, kItem);
    ASSERT_GT(row, 0);
    for (qsizetype p = 0; p < values.size(); ++p)
        model.grid().setCell(TableModel::releveColumn(int(p) + 1), row, values[p]);
}

QStringList labelsOf(const TableModel &model)
{
    QStringList out;
    for (int i = 1; i <= model.releveCount(); ++i)
        out << model.grid().cell(TableModel::releveColumn(i), TableModel::LabelRow);
    return out;
}

} // namespace

TEST(TableGrouping, GroupsInTheOrderValuesFirstAppear)
{
    struct Case
    {
        const char *name;
        QStringList labels;
        QStringList values;
        QStringList expected;
        int groups;
    };
    const Case cases[] = {
        {"interleaved, a separator already",
         {"A1", "B1", "A2", "", "B2", "C1"}, {"a", "b", "a", "", " b ", "c"},
         {"A1", "A2", "", "B1", "B2", "", "C1"}, 3},
        {"an empty value is a group of its own", {"X1", "Y1", "X2"}, {"", "y", ""}, {"X1", "X2", "", "Y1"}, 2},
        {"separators no group needs go", {"A1", "", "", "A2", ""}, {"a", "", "", "a", ""}, {"A1", "A2"}, 1},
        {"grouped already", {"A1", "A2", "", "B1"}, {"a", "a", "", "b"}, {"A1", "A2", "", "B1"}, 2},
        {"no relevés", {}, {}, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TableModel model;
        fill(model, c.labels, c.values);
        // Each relevé's cell text and cover codes, by label.
        std::map<QString, std::pair<QString, ByteDataSet>> before;
        for (int i = 1; i <= model.releveCount(); ++i) {
            const int col = TableModel::releveColumn(i);
            before[model.grid().cell(col, TableModel::LabelRow)] = {
                model.grid().cell(col, model.speciesRow(1)), model.coverData().at(model.releveIndexAt(col), model.speciesIndexAt(model.speciesRow(1)))};
        }
        int groups = -1;
        ASSERT_TRUE(TableGrouping::regroup(model, kItem, &groups));
        EXPECT_EQ(groups, c.groups);
        EXPECT_EQ(labelsOf(model), c.expected);
        EXPECT_EQ(model.isModified(), c.expected != c.labels);
        for (int i = 1; i <= model.releveCount(); ++i) {
            const int col = TableModel::releveColumn(i);
            const QString label = model.grid().cell(col, TableModel::LabelRow);
            if (label.isEmpty()) {
                EXPECT_EQ(model.releveSpCount(i), 0);
                continue;
            }
            EXPECT_EQ(model.grid().cell(col, model.speciesRow(1)), before[label].first) << label.toStdString();
            EXPECT_EQ(model.coverData().at(model.releveIndexAt(col), model.speciesIndexAt(model.speciesRow(1))),
                      before[label].second)
                << label.toStdString();
        }
        // Grouping again changes nothing.
        const QStringList once = labelsOf(model);
        model.setModified(false);
        ASSERT_TRUE(TableGrouping::regroup(model, kItem));
        EXPECT_EQ(labelsOf(model), once);
        EXPECT_FALSE(model.isModified());
    }
}

TEST(TableGrouping, ItemsByNumberOrLabel)
{
    TableModel model;
    fill(model, {"A1"}, {"a"});
    const QString label = model.grid().cell(TableModel::NameColumn, TableGrouping::itemRow(model, kItem)).trimmed();
    EXPECT_EQ(TableGrouping::findItem(model, QStringLiteral("3")), kItem);
    EXPECT_EQ(TableGrouping::findItem(model, label), kItem);
    for (const char *none : {"0", "30", "31", "x", ""})
        EXPECT_EQ(TableGrouping::findItem(model, QString::fromLatin1(none)), 0) << none;
    EXPECT_FALSE(TableGrouping::regroup(model, 29)); // not laid out in this table
}
