#pragma once

#include "platform/printerpageflow.h"
#include "platform/printerstream.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRawFont>

#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace Zelkor {

/// The printer's text stream drawn with QPainter on a paged device: a QPrinter (a printer or
/// Qt's "print to PDF file") or a PDF writer. Lines flow over the sheets as PrinterPageFlow
/// places them; sizes are the device's pixels. A line is drawn as the glyphs of its visible
/// characters at their places in the line, which keeps a PDF of a large table small; a line
/// with a character the font lacks is drawn as text, so that another font can supply it.
class QtPrinterStream : public PrinterStream
{
public:
    /// A stream on device, which must outlive the stream.
    explicit QtPrinterStream(QPagedPaintDevice *device);
    /// Ends a job still open.
    ~QtPrinterStream() override;

    bool open() override;
    void setFont(const FontSpec &font, int height) override;
    int pageWidth() const override;
    int dotsPerInch() const override;
    int textWidth(const QString &text) const override;
    void writeLine(const QString &line) override;
    bool close() override;
    /// Ends the painting; what a printer does with the pages drawn is its own (a subclass over a
    /// printer drops the job).
    void abort() override;
    QString errorString() const override { return m_error; }

    /// Sheets with something printed on them so far.
    int sheetCount() const;

protected:
    /// Records why printing failed (the first reason is kept).
    void fail(const QString &error);

private:
    /// The flow for the current font, made when the first line needs it.
    PrinterPageFlow &flow();
    /// How many leading characters of text fit into width pixels in the current font.
    int fit(const QString &text, int width) const;
    /// Draws text with its baseline at y.
    void draw(qreal y, const QString &text);

    // A character of the current font: its advance and its glyph (0: the font lacks it).
    struct Glyph
    {
        qreal advance = -1;
        quint32 index = 0;
    };
    /// The glyph of UTF-16 unit c, looked up the first time it is asked for.
    const Glyph &glyph(char16_t c) const;

    QPagedPaintDevice *m_device;
    QPainter m_painter;
    QFont m_font;
    std::unique_ptr<PrinterPageFlow> m_flow;
    std::vector<PrinterPageFlow::Piece> m_pieces;
    // The glyphs by UTF-16 unit, filled as the characters come.
    mutable std::vector<Glyph> m_glyphs;
    std::optional<QFontMetricsF> m_metrics;
    QRawFont m_rawFont;
    QList<quint32> m_runIndexes;
    QList<QPointF> m_runPositions;
    int m_ascent = 0;
    int m_page = 0;
    QString m_error;
};

} // namespace Zelkor
