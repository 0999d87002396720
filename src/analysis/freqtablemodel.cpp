#include "analysis/freqtablemodel.h"

#include "table/tablemodel.h"

#include <QSet>

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

void FreqTableModel::setShadedCells(std::vector<GridCell> cells)
{
    std::sort(cells.begin(), cells.end(), [](const GridCell &a, const GridCell &b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    m_shaded = std::move(cells);
}

bool FreqTableModel::isShaded(int c, int r) const
{
    return std::binary_search(m_shaded.begin(), m_shaded.end(), GridCell{c, r},
                              [](const GridCell &a, const GridCell &b) {
                                  return a.row != b.row ? a.row < b.row : a.col < b.col;
                              });
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
    if (m_showsFidelity) {
        // Many cells share a text: each is measured once.
        QSet<QString> texts;
        for (int r = m_grid.fixedRows(); r < m_grid.rowCount(); ++r)
            m_grid.forEachInRow(r, [&](int c, const QString &text) {
                if (c >= 1)
                    texts.insert(text);
            });
        for (const QString &text : std::as_const(texts))
            w = std::max(w, width(m_font, text));
    } else {
        for (int c = 1; c < m_grid.colCount(); ++c)
            w = std::max(w, width(m_font, m_grid.cell(c, 3)));
    }
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
    m_shaded.clear();
    m_showsFidelity = false;
}

} // namespace Zelkor
