#pragma once

#include "platform/cellgrid.h"
#include "platform/userinterface.h"

#include <QString>

#include <functional>
#include <vector>

namespace Zelkor {

/// The contents of the second window (ConstancyWindow): its grid FreqTable with cells, sizes and fixed
/// areas, the window caption (the title of the table shown), the grid's font, and whether the
/// tool panel shows. The grid holds either a constancy table (labels in column 0, one
/// group per further column, rows 0..2 the group headings; tool panel shown) or a reciprocal
/// averaging score table (five columns, row 0 the headings; tool panel hidden). It is not linked to
/// the composition table.
class FreqTableModel
{
public:
    /// One line of a score list: a species name or relevé label and its score text.
    struct ScoreRow
    {
        QString label;
        QString score;
    };
    /// Measures text in a font, in pixels.
    using TextWidth = std::function<int(const FontSpec &font, const QString &text)>;

    /// The window before it ever held a table: caption "常在度表", "ＭＳ 明朝" at 9 points, five
    /// columns of width 40 and five rows of height 15, one fixed row, no fixed column, the tool
    /// panel shown.
    FreqTableModel();

    CellGrid &grid() { return m_grid; }
    const CellGrid &grid() const { return m_grid; }
    /// The window caption, the title of the table.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    /// The grid's font.
    const FontSpec &font() const { return m_font; }
    void setFont(const FontSpec &font) { m_font = font; }
    /// True while the tool panel (font, text and CSV commands) shows: a constancy table.
    bool isToolPanelVisible() const { return m_toolPanelVisible; }
    void setToolPanelVisible(bool visible) { m_toolPanelVisible = visible; }

    /// The shaded cells (the diagnostic species of a constancy table with fidelity), sorted by
    /// row, then column. They belong to the cells: replacing the grid by other rows (a CSV file
    /// read, a score table) drops them.
    const std::vector<GridCell> &shadedCells() const { return m_shaded; }
    void setShadedCells(std::vector<GridCell> cells);
    bool isShaded(int c, int r) const;
    /// True while the cells of the constancy table carry the fidelity beside the constancy
    /// ("Ⅳ 45"): its columns are as wide as their cells on paper and on screen.
    bool showsFidelity() const { return m_showsFidelity; }
    void setShowsFidelity(bool shows) { m_showsFidelity = shows; }

    /// True when no cell holds text (the window has never held a table).
    bool isBlank() const;

    /// The grid as clipboard text: each row its cells separated by tabs, each row ended by CR LF.
    QString clipboardText() const;

    /// The sizes that follow a font change: default row height from the point size, default
    /// column width 5 pixels more than the widest text of row 3 (the first species row) in the
    /// columns after column 0 (at least 2), column 0 twenty times the point size. A table with
    /// the fidelity takes the widest text of every row below the headings instead (its row 3
    /// may be the heading of a block).
    void applyFontSizes(const TextWidth &width);

    /// Replaces the contents by the score table of reciprocal averaging: caption "Reciprocal
    /// Averaging Score", the font, tool panel hidden, five columns (species name, score, nothing,
    /// relevé label, score) sized from the font's point size, headings in the fixed row 0, and
    /// the species and relevé lists from row 1 down, in the order given. Every other cell is
    /// empty; none is shaded.
    void setScoreTable(const FontSpec &font, const std::vector<ScoreRow> &species,
                       const std::vector<ScoreRow> &releves);

    /// The caption of the window before any table: "常在度表".
    static QString defaultCaption();

private:
    CellGrid m_grid;
    QString m_caption;
    FontSpec m_font{QStringLiteral("ＭＳ 明朝"), 9};
    bool m_toolPanelVisible = true;
    std::vector<GridCell> m_shaded;
    bool m_showsFidelity = false;
};

} // namespace Zelkor
