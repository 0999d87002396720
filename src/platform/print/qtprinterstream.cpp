#include "platform/print/qtprinterstream.h"

#include "platform/print/qtfont.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPagedPaintDevice>

#include <algorithm>
#include <cstdlib>

namespace Zelkor {

QtPrinterStream::QtPrinterStream(QPagedPaintDevice *device)
    : m_device(device)
{
}

QtPrinterStream::~QtPrinterStream()
{
    if (m_painter.isActive())
        m_painter.end();
}

void QtPrinterStream::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
}

bool QtPrinterStream::open()
{
    m_error.clear();
    if (!m_device || !m_painter.begin(m_device)) {
        fail(QStringLiteral("印刷を始められませんでした。プリンターまたは出力ファイルを開けません。"));
        return false;
    }
    m_font = m_painter.font();
    return true;
}

void QtPrinterStream::setFont(const FontSpec &font, int height)
{
    QFont f = toQFont(font);
    // The character height in printer pixels (without the leading when given negative).
    f.setPixelSize(std::max(1, std::abs(height)));
    // A fixed-pitch listing: no kerning between the characters of a column.
    f.setKerning(false);
    m_font = f;
    m_flow.reset();
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

int QtPrinterStream::pageWidth() const
{
    return m_device ? m_device->width() : 0;
}

int QtPrinterStream::dotsPerInch() const
{
    return m_device ? m_device->logicalDpiY() : 72;
}

int QtPrinterStream::textWidth(const QString &text) const
{
    if (!m_device)
        return 0;
    return QFontMetrics(m_font, m_device).horizontalAdvance(text);
}

const QtPrinterStream::Glyph &QtPrinterStream::glyph(char16_t c) const
{
    Glyph &g = m_glyphs[c];
    if (g.advance < 0) {
        const QString text(QChar{c});
        g.advance = m_metrics->horizontalAdvance(text);
        if (m_rawFont.isValid() && !QChar::isSurrogate(c))
            g.index = m_rawFont.glyphIndexesForString(text).value(0);
    }
    return g;
}

int QtPrinterStream::fit(const QString &text, int width) const
{
    qreal x = 0;
    int i = 0;
    while (i < text.size()) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size();
        x += pair ? m_metrics->horizontalAdvance(text.mid(i, 2)) : glyph(text.at(i).unicode()).advance;
        if (x > width)
            break;
        i += pair ? 2 : 1;
    }
    return i;
}

void QtPrinterStream::draw(qreal y, const QString &text)
{
    // The glyphs of the visible characters, each where the characters before it end.
    m_runIndexes.clear();
    m_runPositions.clear();
    qreal x = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QChar(0x3000)) {
            x += glyph(c.unicode()).advance;
            continue;
        }
        const Glyph &g = c.isSurrogate() ? Glyph{} : glyph(c.unicode());
        if (g.index == 0) {
            m_painter.drawText(QPointF(0, y), text);
            return;
        }
        m_runIndexes.append(g.index);
        m_runPositions.append(QPointF(x, 0));
        x += g.advance;
    }
    if (m_runIndexes.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(m_runIndexes);
    run.setPositions(m_runPositions);
    m_painter.drawGlyphRun(QPointF(0, y), run);
}

PrinterPageFlow &QtPrinterStream::flow()
{
    if (!m_flow) {
        const QFontMetrics metrics(m_font, m_device);
        m_metrics.emplace(m_font, m_device);
        m_rawFont = QRawFont::fromFont(m_font);
        m_glyphs.assign(0x10000, Glyph{});
        m_ascent = metrics.ascent();
        m_flow = std::make_unique<PrinterPageFlow>(m_device->width(), m_device->height(), metrics.height());
        m_page = 0;
    }
    return *m_flow;
}

void QtPrinterStream::writeLine(const QString &line)
{
    if (!m_painter.isActive())
        return;
    m_pieces.clear();
    flow().writeLine(line, [this](const QString &text, int width) { return fit(text, width); }, &m_pieces);
    for (const PrinterPageFlow::Piece &piece : m_pieces) {
        while (m_page < piece.page) {
            if (!m_device->newPage())
                fail(QStringLiteral("印刷中にプリンターで誤りが起きました。"));
            ++m_page;
        }
        draw(piece.y + m_ascent, piece.text);
    }
}

bool QtPrinterStream::close()
{
    if (m_painter.isActive() && !m_painter.end())
        fail(QStringLiteral("印刷を終えられませんでした。"));
    return m_error.isEmpty();
}

void QtPrinterStream::abort()
{
    if (m_painter.isActive())
        m_painter.end();
}

int QtPrinterStream::sheetCount() const
{
    return m_flow ? m_flow->sheetCount() : 0;
}

} // namespace Zelkor
