#pragma once

#include "table/bytedataset.h"
#include "table/headeritems.h"

#include <QString>

#include <array>
#include <vector>

namespace Zelkor {

class Feedback;
class TableModel;

/// A composition table read from another program's file (a spreadsheet's CSV, a Cornell
/// condensed file), checked and ready to become a table or a database: the relevé columns with
/// their header values, and the rows with their names and cover codes. An empty relevé column
/// (no header value, no code) separates groups; a row without codes is a comment row.
struct ImportedTable
{
    /// One cover entry of a row: the relevé (1-based column) and its seven layer codes.
    struct Entry
    {
        int releve;
        ByteDataSet codes;
    };
    struct Row
    {
        QString name;
        std::vector<Entry> entries; ///< in increasing relevé order
    };

    QString title;
    int releveCount = 0;
    /// The header values by item number (2..30): empty when the file gave none for the item,
    /// else one value per relevé column, trimmed.
    std::array<std::vector<QString>, HeaderItems::Count + 1> itemValues;
    std::vector<Row> rows;

    /// Whether relevé i (1-based) holds a header value or a code.
    std::vector<bool> usedReleves() const;
    /// The number of rows that hold an entry of each relevé (index 1..releveCount).
    std::vector<int> speciesCounts() const;

    /// Lays the table out as a new composition table in *model (its font kept): the header items
    /// of *items' layout plus every item the file gave values for (both stay laid out and ticked
    /// in *items), the relevés in their columns, the rows in their order. Header values go into
    /// their rows as extraction writes them (items 8..30 right-aligned in four characters); item
    /// 30, when laid out, is the relevé's number of species; every relevé that is no separator
    /// carries the table's default scales. The frequencies are recomputed. False, with *error,
    /// when the table cannot grow that large; *model is then as it was. feedback (if given) is
    /// told each row; cancelled, false with Feedback::canceledMessage() and *model unchanged.
    bool build(TableModel *model, HeaderItems *items, QString *error, Feedback *feedback = nullptr) const;
};

} // namespace Zelkor
