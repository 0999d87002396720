#pragma once

#include "platform/printerpageflow.h"
#include "platform/printerstream.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace Zelkor {

/// The printer's text stream drawn with QPainter on a paged device: a QPrinter (a printer or
/// Qt's "print to PDF file") or a PDF writer. Lines flow over the sheets as PrinterPageFlow
/// places them; sizes are the device's pixels.
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

    QPagedPaintDevice *m_device;
    QPainter m_painter;
    QFont m_font;
    std::unique_ptr<PrinterPageFlow> m_flow;
    std::vector<PrinterPageFlow::Piece> m_pieces;
    // Advance of each character in the current font, looked up when fitting a line.
    mutable QHash<char32_t, qreal> m_advances;
    std::optional<QFontMetricsF> m_metrics;
    int m_ascent = 0;
    int m_page = 0;
    QString m_error;
};

} // namespace Zelkor
