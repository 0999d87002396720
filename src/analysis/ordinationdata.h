#pragma once

#include "analysis/ordination.h"
#include "platform/textfile.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor {

class Feedback;
class TableModel;

/// An ordination of a table with what the diagram and the score file show of the table: each
/// scored relevé's label (grid row 2, as the value matrix labels it), hidden index (which moves
/// with its column), group and header values, and each scored species' name. The result stays
/// readable however the table changes afterwards.
struct OrdinationData
{
    /// One header row of the table (items from row 1, the running numbers, down to the last
    /// header row): its item number, its caption and each scored relevé's value, trimmed.
    struct Item
    {
        int number = 0;
        QString label;
        QStringList values;
    };

    OrdinationResult result;
    /// The cover conversion the values came from (0..6).
    int conversion = 1;
    /// By place in result.releves.
    std::vector<int> releveIndexes;
    QStringList releveLabels;
    /// The group of each relevé (from 1): the groups are the runs of relevés between columns
    /// without values (the empty columns between vegetation units).
    std::vector<int> groups;
    int groupCount = 0;
    std::vector<Item> items;
    /// By place in result.species.
    std::vector<int> speciesIndexes;
    QStringList speciesNames;

    /// The data of result, computed from model's present state with conversion.
    static OrdinationData collect(const TableModel &model, OrdinationResult result, int conversion);
    /// The item named text: its number ("13") or its caption ("管理"); -1 when there is none.
    int findItem(const QString &text) const;

    /// The scores as comma-separated text: a header "kind,label,CA1,CA2,…" (DCA1… for the
    /// detrended analysis), a line per relevé ("releve", its label) and per species ("species",
    /// its name), each score in the shortest form that reads back as the same number.
    QStringList scoreLines() const;
    /// Writes scoreLines() to fileName (CP932 or UTF-8, CR LF) through a temporary file that replaces the
    /// target only when complete; false with *error otherwise. feedback (if given) is told the
    /// line reached; cancelled, nothing is written.
    bool writeScores(const QString &fileName, QString *error, Feedback *feedback = nullptr,
                     TextEncoding encoding = TextEncoding::Cp932) const;
};

/// How the diagram colours the relevés.
struct OrdinationColouring
{
    enum Kind {
        /// One colour for all.
        Single,
        /// Groups or a text item: a colour for each category (categories[], category per relevé,
        /// -1 for a relevé without a value).
        Categories,
        /// A numeric item: a colour ramp from minimum to maximum (value per relevé, NaN for none).
        Numeric,
    };
    Kind kind = Single;
    /// The legend's title: "群" or the item's caption.
    QString title;
    QStringList categories;
    std::vector<int> category;
    std::vector<double> values;
    double minimum = 0.0;
    double maximum = 0.0;

    /// By group, a single colour when the table has one group.
    static OrdinationColouring byGroup(const OrdinationData &data);
    /// By header item number `item` (an index into data.items): numeric when every value given
    /// reads as a number, categories (in the order of first appearance) otherwise.
    static OrdinationColouring byItem(const OrdinationData &data, int item);
};

} // namespace Zelkor
