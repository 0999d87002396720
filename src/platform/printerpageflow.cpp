#include "platform/printerpageflow.h"

#include <algorithm>

namespace Zelkor {

PrinterPageFlow::PrinterPageFlow(int pageWidth, int pageHeight, int cellHeight)
    : m_pageWidth(std::max(1, pageWidth))
    , m_pageHeight(std::max(1, pageHeight))
    , m_cellHeight(std::max(1, cellHeight))
{
}

void PrinterPageFlow::lineEnd(int lineHeight)
{
    m_y += lineHeight;
    if (m_y + 2 * lineHeight > m_pageHeight) {
        ++m_page;
        m_y = 0;
    }
}

void PrinterPageFlow::writeLine(const QString &line, const Fit &fit, std::vector<Piece> *pieces)
{
    if (line == QLatin1String("\f")) {
        // A new sheet, unless the current one is still blank.
        if (m_lastDrawnPage == m_page) {
            ++m_page;
            m_y = 0;
        }
        return;
    }
    if (line.isEmpty()) {
        lineEnd(m_cellHeight);
        return;
    }
    const int lineHeight = m_cellHeight + 2;
    QString rest = line;
    while (!rest.isEmpty()) {
        // At least one character goes on each line, however wide it is.
        int n = std::clamp(fit(rest, m_pageWidth), 1, int(rest.size()));
        if (n < rest.size() && rest.at(n - 1).isHighSurrogate())
            ++n;
        pieces->push_back(Piece{m_page, m_y, rest.left(n)});
        m_lastDrawnPage = m_page;
        rest.remove(0, n);
        lineEnd(lineHeight);
    }
}

} // namespace Zelkor
