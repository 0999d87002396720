#pragma once

#include <QString>

namespace Zelkor {

class TableModel;

/// Groups the relevés of a table by the value of one header item, as a user forms groups by
/// hand: the relevé columns are put in the order of their group, groups in the order their values
/// first appear from left to right and relevés keep their order within a group (a stable
/// grouping, so grouping twice changes nothing), with exactly one empty column between two groups
/// and none elsewhere. A relevé with an empty value belongs to the group of the empty value like
/// any other. Columns move whole: header values, cover codes and their hidden indexes. Species
/// rows and comment rows are not touched. Existing empty columns (the separators of an earlier
/// grouping) are taken out first.
class TableGrouping
{
public:
    /// The grid row of header item n in model (from its number in the index column); -1 when the
    /// table has no row for it.
    static int itemRow(const TableModel &model, int n);
    /// The header item that text names: its number "1".."29" or the label of its row in the
    /// table; 0 when it names none. Item 30 (the species numbers) forms no groups.
    static int findItem(const TableModel &model, const QString &text);

    /// Regroups model by item n's values; false (nothing changed) when the table has no row for
    /// the item or the spare columns cannot be had. *groups (if given) gets the number of groups.
    /// The table is marked modified only when its columns changed.
    static bool regroup(TableModel &model, int n, int *groups = nullptr);

    /// The message when text names no item of the table.
    static QString noSuchItemMessage(const QString &text);
};

} // namespace Zelkor
