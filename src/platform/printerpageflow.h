#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace Zelkor {

/// Where the lines of the printer's text stream go on the sheets. Every line starts at the left
/// edge of the printable area. A line is as high as the font's character cell plus 2 pixels (an
/// empty line only the cell); text that would pass the right edge goes on in the next line; after
/// a line, a new sheet begins when the next line would come closer to the bottom than twice the
/// line height, and a line holding the form-feed character alone begins a new sheet. A sheet is
/// only begun when something is drawn on it, so no sheet stays blank.
class PrinterPageFlow
{
public:
    /// Text to draw: on sheet `page` (from 0), its top `y` pixels below the top of the
    /// printable area, at the left edge.
    struct Piece
    {
        int page = 0;
        int y = 0;
        QString text;
        bool operator==(const Piece &) const = default;
    };

    /// How many leading characters of text fit into width pixels.
    using Fit = std::function<int(const QString &text, int width)>;

    /// A flow over sheets whose printable area is pageWidth × pageHeight pixels, in a font whose
    /// character cell is cellHeight pixels high.
    PrinterPageFlow(int pageWidth, int pageHeight, int cellHeight);

    /// Places one line (without its line end); appends the pieces to draw to *pieces.
    void writeLine(const QString &line, const Fit &fit, std::vector<Piece> *pieces);

    /// Number of sheets that have something drawn on them.
    int sheetCount() const { return m_lastDrawnPage + 1; }

private:
    /// Moves below a line of height lineHeight, to a new sheet when the page is full.
    void lineEnd(int lineHeight);

    int m_pageWidth;
    int m_pageHeight;
    int m_cellHeight;
    int m_page = 0;
    int m_y = 0;
    int m_lastDrawnPage = -1;
};

} // namespace Zelkor
