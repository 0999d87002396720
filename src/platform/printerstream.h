#pragma once

#include "platform/linesink.h"
#include "platform/userinterface.h"

#include <QString>

namespace Zelkor {

/// The printer's text stream: a print job that takes lines of text. Opening it starts the job,
/// closing it ends the job and sends it. Lines are drawn one below the other from the left edge
/// of the printable area in the printer font; a line too long for the page goes on in the next
/// line, a full page goes on on the next sheet, and a line holding the form-feed character alone
/// starts a new sheet. Measures are in printer pixels.
class PrinterStream : public LineSink
{
public:
    /// Starts the print job; false with errorString() when the printer cannot be opened.
    virtual bool open() = 0;
    /// The printer font: face and attributes of font, its character height in printer pixels
    /// (a negative height: the height of the characters without the leading above them).
    virtual void setFont(const FontSpec &font, int height) = 0;
    /// Width of the printable area of a page.
    virtual int pageWidth() const = 0;
    /// The printer's pixels per inch.
    virtual int dotsPerInch() const = 0;
    /// Width of text drawn in the printer font.
    virtual int textWidth(const QString &text) const = 0;
    /// Ends the job and sends it to the printer; false with errorString() when printing failed.
    virtual bool close() = 0;
    /// Ends the job without sending it: nothing is printed and no file written.
    virtual void abort() = 0;
    /// Why the job could not be opened or printed, in Japanese.
    virtual QString errorString() const = 0;

    /// The printer font's height for a font of pointSize points on a printer of dotsPerInch: the
    /// negative of pointSize × dotsPerInch / 72, truncated towards zero.
    static int fontHeight(int pointSize, int dotsPerInch) { return -(pointSize * dotsPerInch / 72); }
};

} // namespace Zelkor
