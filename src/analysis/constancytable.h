#pragma once

#include "analysis/fidelityoptions.h"

#include <QChar>
#include <QString>

#include <vector>

namespace Zelkor {

class FreqTableModel;
class TableModel;

/// What the cells of a constancy table show: the items of the panel's choice RG_Freq.
enum class ConstancyContent {
    Classes5WithCover = 0,  ///< "常在度級 Ⅰ～Ⅴ　と　優占度"
    Classes10WithCover = 1, ///< "常在度級 Ⅰ～Ⅹ　と　優占度"
    Classes5 = 2,           ///< "常在度級 Ⅰ～Ⅴ　のみ"
    Classes10 = 3,          ///< "常在度級 Ⅰ～Ⅹ　のみ"
    Occurrences = 4,        ///< "出現数をそのまま示す"
};

/// The choices of the constancy-table panel.
struct ConstancyOptions
{
    ConstancyContent content = ConstancyContent::Classes5WithCover;
    /// RG_Cell item 1: a species absent from a group leaves its cell empty instead of "・".
    bool blankEmpty = false;
    /// "適合度（φ係数）": a cell also shows the species' phi × 100 when that is positive
    /// ("Ⅳ 45"), and the cells of its diagnostic groups are shaded (see FidelityTable).
    bool fidelity = false;
    FidelityOptions fidelityOptions = {};
    /// "診断種順に並べる" (with fidelity): the species rows in blocks, each under a heading row
    /// naming its group: the diagnostic species of each group by falling phi, then the rest.
    bool diagnosticOrder = false;
};

/// A group of relevés (a vegetation unit): a run of relevé columns between empty columns.
struct ReleveGroup
{
    int first = 1;          ///< first relevé position
    int last = 0;           ///< last relevé position (first - 1 for an empty group)
    int count = 0;          ///< number of relevés N
    long long speciesSum = 0; ///< sum of the relevés' species numbers
};

/// The constancy (synoptic) table of a composition table: for every species row and every group
/// of relevés, how many of the group's relevés hold the species, as a constancy class or a
/// count, optionally with the range of its cover characters. Groups are marked in the table by
/// empty relevé columns (species number 0); the frequencies must be current.
class ConstancyTable
{
public:
    /// The groups of the table, in column order. Every empty column closes the group before it
    /// and starts the next, so two adjacent empty columns, or one at either end, make an empty
    /// group. There is always at least one group.
    static std::vector<ReleveGroup> findGroups(const TableModel &model);
    /// The group (index into groups, from 0) of each grid column of model, −1 for the empty
    /// separator columns and the columns before the relevés; indexed by grid column up to the
    /// last relevé's.
    static std::vector<int> groupOfColumns(const TableModel &model, const std::vector<ReleveGroup> &groups);
    /// Whether a relevé holds the species whose cell text this is: its first four bytes in CP932
    /// are not empty (a cell with the mark "*" alone holds it).
    static bool holdsSpecies(const QString &cellText);
    /// Number of non-empty relevé columns and of empty ones.
    static void countReleves(const TableModel &model, int *nonEmpty, int *empty);

    /// The name of group j (from 1): "A" … "Z" for 1 … 26, then the characters "[" "\" "]" "^"
    /// for 27 … 30; a group after the thirtieth is named by its number ("31").
    static QString groupName(int j);
    /// The mean species number of a group, rounded to one decimal (halves to even) in its
    /// shortest form ("11", "11.5"); empty for an empty group.
    static QString meanSpeciesNumber(long long speciesSum, int count);
    /// The cell of a species found in n of the group's count relevés (n > 0), with the lowest
    /// and highest cover characters seen in the order of the cover marks (r, +, the classes, e;
    /// null when none was seen); the range is shown only for the contents with cover.
    static QString cellText(ConstancyContent content, int n, int count, QChar low, QChar high);

    /// The heading row of the diagnostic species of group j (from 1) in the diagnostic order,
    /// "　A の診断種", and of the species diagnostic for no group, "　その他の種".
    static QString diagnosticHeading(int j);
    static QString otherSpeciesHeading() { return QStringLiteral("　その他の種"); }

    /// Builds the constancy table of model into *out: caption title, the table's font, the tool
    /// panel shown, the label column and one column per group, the heading rows "　群落区分",
    /// "　測定数", "　平均種数", then every species row of the table (comment rows included), in
    /// the table's order or, with fidelity and diagnosticOrder, in blocks under heading rows (a
    /// block for every group with relevés, the rest under its heading when there is any).
    static void build(const TableModel &model, const ConstancyOptions &options,
                      const QString &title, FreqTableModel *out);
};

} // namespace Zelkor
