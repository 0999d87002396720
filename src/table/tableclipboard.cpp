#include "table/tableclipboard.h"

#include "platform/cellgrid.h"
#include "table/covercode.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <array>

namespace Zelkor {

namespace {

// Rows and columns of this size or less show nothing: hidden, or the one-pixel index line.
constexpr int kHiddenSize = 1;

bool needsQuotes(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r' || u == u'"')
            return true;
    }
    return false;
}

void appendQuoted(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            out += QLatin1Char('"');
        out += c;
    }
    out += QLatin1Char('"');
}

bool needsEscape(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'&' || u == u'<' || u == u'>' || u == u'"' || u == u'\n' || u == u'\r')
            return true;
    }
    return false;
}

// A cell's text in HTML: escaped, each line break (CR LF, CR or LF) a <br> that stays in the
// cell (the style keeps Excel from starting a new row at it).
void appendHtmlCell(QString &out, const QString &text)
{
    if (!needsEscape(text)) {
        out += text;
        return;
    }
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\r':
            if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            Q_FALLTHROUGH();
        case u'\n': out += QLatin1String("<br style=\"mso-data-placement:same-cell\">"); break;
        default: out += c; break;
        }
    }
}

std::vector<int> shownLines(int count, int first, int last, int (CellGrid::*size)(int) const, const CellGrid &grid)
{
    std::vector<int> lines;
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    if (first > last)
        return lines;
    lines.reserve(std::size_t(last - first + 1));
    for (int i = first; i <= last; ++i)
        if ((grid.*size)(i) > kHiddenSize)
            lines.push_back(i);
    return lines;
}

} // namespace

QString TableClipboard::plainText(const Block &block)
{
    qsizetype size = 0;
    for (const auto &row : block)
        for (const QString &cell : row)
            size += cell.size() + 1;
    QString out;
    out.reserve(size + qsizetype(block.size()) * 2);
    for (const auto &row : block) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += QLatin1Char('\t');
            const QString &cell = row[i];
            if (needsQuotes(cell))
                appendQuoted(out, cell);
            else
                out += cell;
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

QString TableClipboard::htmlText(const Block &block)
{
    std::size_t width = 0;
    qsizetype size = 0;
    for (const auto &row : block) {
        width = std::max(width, row.size());
        for (const QString &cell : row)
            size += cell.size() + 9;
    }
    QString out;
    out.reserve(size + qsizetype(block.size()) * 10 + 200);
    out += QLatin1String("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n</head>\n<body>\n<table>\n");
    for (const auto &row : block) {
        out += QLatin1String("<tr>");
        for (std::size_t i = 0; i < width; ++i) {
            out += QLatin1String("<td>");
            if (i < row.size())
                appendHtmlCell(out, row[i]);
            out += QLatin1String("</td>");
        }
        out += QLatin1String("</tr>\n");
    }
    out += QLatin1String("</table>\n</body>\n</html>\n");
    return out;
}

std::vector<int> TableClipboard::shownRows(const CellGrid &grid, int first, int last)
{
    return shownLines(grid.rowCount(), first, last, &CellGrid::rowHeight, grid);
}

std::vector<int> TableClipboard::shownColumns(const CellGrid &grid, int first, int last)
{
    return shownLines(grid.colCount(), first, last, &CellGrid::colWidth, grid);
}

TableClipboard::Block TableClipboard::cellBlock(const CellGrid &grid, const std::vector<int> &columns,
                                                const std::vector<int> &rows)
{
    Block block;
    block.reserve(rows.size());
    for (const int r : rows) {
        std::vector<QString> line;
        line.reserve(columns.size());
        for (const int c : columns)
            line.push_back(grid.cell(c, r));
        block.push_back(std::move(line));
    }
    return block;
}

TableClipboard::Block TableClipboard::layerBlock(const TableModel &model, const std::vector<int> &columns,
                                                 const std::vector<int> &rows, const QString &layerNames)
{
    const CellGrid &grid = model.grid();

    // The relevés of the block with their hidden indexes.
    struct Releve
    {
        int col;
        int index;
    };
    std::vector<Releve> releves;
    for (const int c : columns) {
        const int i = TableModel::releveOfColumn(c);
        if (i < 1 || i > model.releveCount())
            continue;
        const int index = model.releveIndexAt(c);
        if (index >= 0)
            releves.push_back(Releve{c, index});
    }

    Block block;
    std::vector<QString> header;
    header.reserve(releves.size() + 1);
    header.emplace_back();
    for (const Releve &r : releves) {
        QString label = grid.cell(r.col, TableModel::LabelRow).trimmed();
        if (label.isEmpty())
            label = grid.cell(r.col, TableModel::NumberRow).trimmed();
        header.push_back(label);
    }
    block.push_back(std::move(header));

    // The print texts without their padding; a scale other than 1 and 2 prints as 2, as the
    // published table does.
    const int d = model.dataScaleD() == 1 ? 1 : 2;
    std::array<QString, 256> texts;
    for (int v = 1; v < 256; ++v)
        texts[std::size_t(v)] = coverPrintText(quint8(v), d).trimmed();

    std::vector<ByteDataSet> codes(releves.size());
    const int firstRow = model.speciesRow(1);
    const int lastRow = model.speciesRow(model.speciesCount());
    for (const int r : rows) {
        if (r < firstRow || r > lastRow)
            continue;
        const int s = model.speciesIndexAt(r);
        if (s <= 0)
            continue;
        unsigned layers = 0;
        for (std::size_t k = 0; k < releves.size(); ++k) {
            codes[k] = model.coverData().at(releves[k].index, s);
            for (std::size_t l = 0; l < codes[k].size(); ++l)
                if (codes[k][l] != 0)
                    layers |= 1u << l;
        }
        if (layers == 0)
            continue;
        const QString name = grid.cell(TableModel::NameColumn, r).trimmed();
        for (std::size_t l = 0; l < 7; ++l) {
            if (!(layers & (1u << l)))
                continue;
            std::vector<QString> line;
            line.reserve(releves.size() + 1);
            const QString layer = layerNames.mid(qsizetype(2 * l), 2).trimmed();
            line.push_back(layer.isEmpty() ? name : name + QLatin1Char(' ') + layer);
            for (std::size_t k = 0; k < releves.size(); ++k)
                line.push_back(texts[codes[k][l]]);
            block.push_back(std::move(line));
        }
    }
    return block;
}

} // namespace Zelkor
