#include "analysis/freqtablemodel.h"

#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

FreqTableModel::FreqTableModel()
    : m_caption(defaultCaption())
{
    m_grid.setDefaultColWidth(40);
    m_grid.setDefaultRowHeight(15);
    m_grid.setColCount(5);
    m_grid.setRowCount(5);
    m_grid.setFixedRows(1);
    m_grid.setFixedCols(0);
}

QString FreqTableModel::defaultCaption()
{
    return QStringLiteral("常在度表");
}

bool FreqTableModel::isBlank() const
{
    return m_grid.storedCellCount() == 0;
}

QString FreqTableModel::clipboardText() const
{
    QString text;
    const int cols = m_grid.colCount();
    for (int r = 0; r < m_grid.rowCount(); ++r) {
        text += m_grid.cell(0, r);
        for (int c = 1; c < cols; ++c) {
            text += QLatin1Char('\t');
            text += m_grid.cell(c, r);
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

void FreqTableModel::applyFontSizes(const TextWidth &width)
{
    const int size = m_font.pointSize;
    m_grid.setDefaultRowHeight(TableModel::defaultRowHeightFor(size));
    int w = 2;
    for (int c = 1; c < m_grid.colCount(); ++c)
        w = std::max(w, width(m_font, m_grid.cell(c, 3)));
    m_grid.setDefaultColWidth(w + 5);
    m_grid.setColWidth(0, 20 * size);
}

void FreqTableModel::setScoreTable(const FontSpec &font, const std::vector<ScoreRow> &species,
                                   const std::vector<ScoreRow> &releves)
{
    const int size = font.pointSize;
    CellGrid grid;
    grid.setDefaultRowHeight(TableModel::defaultRowHeightFor(size));
    grid.setColCount(5);
    grid.setRowCount(int(std::max(species.size(), releves.size())) + 1);
    const int widths[5] = {20 * size, 6 * size, size, 8 * size, 6 * size};
    for (int c = 0; c < 5; ++c)
        grid.setColWidth(c, widths[c]);
    grid.setFixedRows(1);
    grid.setFixedCols(0);
    grid.setCell(0, 0, QStringLiteral("　植物名"));
    grid.setCell(1, 0, QStringLiteral("スコア"));
    grid.setCell(3, 0, QStringLiteral("測定ＩＤ"));
    grid.setCell(4, 0, QStringLiteral("スコア"));
    for (std::size_t k = 0; k < species.size(); ++k) {
        grid.setCell(0, int(k) + 1, species[k].label);
        grid.setCell(1, int(k) + 1, species[k].score);
    }
    for (std::size_t r = 0; r < releves.size(); ++r) {
        grid.setCell(3, int(r) + 1, releves[r].label);
        grid.setCell(4, int(r) + 1, releves[r].score);
    }
    m_grid = std::move(grid);
    m_caption = QStringLiteral("Reciprocal Averaging Score");
    m_font = font;
    m_toolPanelVisible = false;
}

} // namespace Zelkor
