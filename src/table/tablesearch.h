#pragma once

#include "table/tablemodel.h"

#include <QString>

namespace Zelkor {

/// Search in the composition table: marks the cells whose text matches a query, at most
/// TableModel::MaxSearchHits of them, in table order: first the species names (column 2 of the
/// species rows in use, top to bottom), then the header values (relevé columns 4 ..
/// maxReleves()+3 left to right, in each the header rows 2 .. headerRows()-1 top to bottom).
/// Relevé running numbers, species numbers and cover cells are not searched.
class TableSearch
{
public:
    /// Replaces the marks by the cells matching text: exact (the trimmed cell equals the trimmed
    /// text) or partial (the trimmed text occurs in the trimmed cell). Case-sensitive unless
    /// ignoreCase: then both sides are compared in their foldForMatching() forms ("ＰＯＡ" and
    /// "poa" match "Poa"). Trimming removes blanks and control characters at both ends;
    /// ideographic spaces stay. A text that is empty after trimming only clears the marks.
    /// Returns the number of marks.
    static int search(TableModel &model, const QString &text, bool exact, bool ignoreCase = false);

    /// "検索状態の解除": removes every mark.
    static void reset(TableModel &model) { model.clearSearchHits(); }
};

} // namespace Zelkor
