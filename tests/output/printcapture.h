#pragma once

#include "platform/printerstream.h"

#include <QStringList>

#include <memory>

namespace Zelkor::Test {

/// What a print job received, kept by the test while the job's stream is owned by the command.
struct PrintCapture
{
    bool opened = false;
    bool closed = false;
    bool aborted = false;
    FontSpec font;
    int fontHeight = 0;
    QStringList lines;
};

/// A printer whose pages are pageWidth pixels wide at dotsPerInch, where every character of
/// the printer font is charWidth pixels wide; it keeps what it is sent in a PrintCapture.
class CapturingPrinterStream : public PrinterStream
{
public:
    CapturingPrinterStream(PrintCapture *capture, int pageWidth, int charWidth, int dotsPerInch = 600)
        : m_capture(capture), m_pageWidth(pageWidth), m_charWidth(charWidth), m_dpi(dotsPerInch)
    {
    }

    bool open() override
    {
        m_capture->opened = true;
        return !m_failOpen;
    }
    void setFont(const FontSpec &font, int height) override
    {
        m_capture->font = font;
        m_capture->fontHeight = height;
    }
    int pageWidth() const override { return m_pageWidth; }
    int dotsPerInch() const override { return m_dpi; }
    int textWidth(const QString &text) const override { return m_charWidth * int(text.size()); }
    void writeLine(const QString &line) override { m_capture->lines << line; }
    bool close() override
    {
        m_capture->closed = true;
        return true;
    }
    void abort() override { m_capture->aborted = true; }
    QString errorString() const override { return m_failOpen ? QStringLiteral("プリンターがありません") : QString(); }

    /// The job cannot be started.
    void failToOpen() { m_failOpen = true; }

private:
    PrintCapture *m_capture;
    int m_pageWidth;
    int m_charWidth;
    int m_dpi;
    bool m_failOpen = false;
};

/// A capturing printer for a scripted print dialog.
inline std::unique_ptr<PrinterStream> capturingPrinter(PrintCapture *capture, int pageWidth = 4800, int charWidth = 24)
{
    return std::make_unique<CapturingPrinterStream>(capture, pageWidth, charWidth);
}

} // namespace Zelkor::Test
