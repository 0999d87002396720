#include "output/tableprinter.h"

#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "platform/feedback.h"
#include "platform/printerstream.h"

#include <algorithm>

namespace Zelkor {

int TablePrinter::fullAllowance(int pageWidth, int columnWidth)
{
    return columnWidth > 0 ? std::max(0, pageWidth / columnWidth - 8) : 0;
}

int TablePrinter::simpleAllowance(int pageWidth, int columnWidth)
{
    return columnWidth > 0 ? std::max(0, pageWidth / columnWidth - 4) : 0;
}

bool TablePrinter::begin(PrinterStream &stream, const FontSpec &font)
{
    m_error.clear();
    if (!stream.open()) {
        m_error = stream.errorString();
        return false;
    }
    stream.setFont(font, PrinterStream::fontHeight(font.pointSize, stream.dotsPerInch()));
    return true;
}

bool TablePrinter::fitsThePage(PrinterStream &stream, const FontSpec &font, int columnWidth, int columnsNeeded)
{
    // The label field and one relevé column must fit the width, or every line of the table breaks
    // into pieces of a few characters, a sheet for every two lines.
    if (columnWidth > 0 && stream.pageWidth() / columnWidth >= columnsNeeded)
        return true;
    stream.abort();
    m_error = QStringLiteral("印刷のフォント（%1 ポイント）では、用紙の幅に植物名の欄と測定の１列が入りません。"
                             "フォントを小さくするか、用紙を横向きにして下さい。")
                  .arg(font.pointSize);
    return false;
}

bool TablePrinter::end(PrinterStream &stream, const Feedback *feedback)
{
    if (Feedback::canceled(feedback)) {
        stream.abort();
        m_error = Feedback::canceledMessage();
        return false;
    }
    if (stream.close())
        return true;
    m_error = stream.errorString();
    return false;
}

bool TablePrinter::printFull(const TableLayout &layout, int firstSpecies, int lastSpecies, const FontSpec &font,
                             PrinterStream &stream, Feedback *feedback)
{
    if (!begin(stream, font))
        return false;
    const int columnWidth = stream.textWidth(QStringLiteral("01234"));
    if (!fitsThePage(stream, font, columnWidth, 9))
        return false;
    const int w = fullAllowance(stream.pageWidth(), columnWidth);
    layout.printTable(stream, w, firstSpecies, lastSpecies, feedback);
    return end(stream, feedback);
}

bool TablePrinter::printSimple(const SimpleTableLayout &layout, const FontSpec &font, PrinterStream &stream,
                               Feedback *feedback)
{
    if (!begin(stream, font))
        return false;
    const int columnWidth = stream.textWidth(QStringLiteral("04"));
    if (!fitsThePage(stream, font, columnWidth, 5))
        return false;
    const int w = simpleAllowance(stream.pageWidth(), columnWidth);
    layout.printTable(stream, w, feedback);
    return end(stream, feedback);
}

} // namespace Zelkor
