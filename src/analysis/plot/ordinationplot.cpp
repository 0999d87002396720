#include "analysis/plot/ordinationplot.h"

#include "platform/safesavefile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace Zelkor {

namespace {

// Colours that stay apart for most eyes (Okabe & Ito), then the same lighter.
const QColor kCategoryColours[] = {QColor(0x00, 0x72, 0xB2), QColor(0xE6, 0x9F, 0x00), QColor(0x00, 0x9E, 0x73),
                                   QColor(0xD5, 0x5E, 0x00), QColor(0xCC, 0x79, 0xA7), QColor(0x56, 0xB4, 0xE9),
                                   QColor(0xF0, 0xE4, 0x42), QColor(0x33, 0x33, 0x33)};
constexpr int kCategoryColourCount = int(sizeof(kCategoryColours) / sizeof(kCategoryColours[0]));
// The ramp of numeric items, low to high (viridis).
const QColor kRamp[] = {QColor(0x44, 0x01, 0x54), QColor(0x3B, 0x52, 0x8B), QColor(0x21, 0x90, 0x8C),
                        QColor(0x5D, 0xC9, 0x63), QColor(0xFD, 0xE7, 0x25)};
constexpr int kRampStops = int(sizeof(kRamp) / sizeof(kRamp[0]));
const QColor kNoValue(0xBB, 0xBB, 0xBB);
const QColor kSpecies(0x70, 0x70, 0x70);
// Legend entries at most; the rest are summed up in one line.
constexpr int kLegendEntries = 18;

QColor categoryColour(int k)
{
    if (k < 0)
        return kNoValue;
    const QColor base = kCategoryColours[k % kCategoryColourCount];
    return k < kCategoryColourCount ? base : base.lighter(100 + 40 * (k / kCategoryColourCount));
}

QColor rampColour(double t)
{
    t = std::clamp(t, 0.0, 1.0) * double(kRampStops - 1);
    const int k = std::min(int(t), kRampStops - 2);
    const double f = t - double(k);
    const QColor &a = kRamp[k];
    const QColor &b = kRamp[k + 1];
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f), float(a.greenF() + (b.greenF() - a.greenF()) * f),
                            float(a.blueF() + (b.blueF() - a.blueF()) * f));
}

// A tick step of about range / 6: 1, 2 or 5 times a power of ten.
double tickStep(double range)
{
    if (!(range > 0.0))
        return 1.0;
    const double raw = range / 6.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 5.0})
        if (f * magnitude >= raw)
            return f * magnitude;
    return 10.0 * magnitude;
}

// A tick's text with as many decimals as the step needs, never "-0".
QString tickText(double v, double step)
{
    const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    if (std::fabs(v) < step * 1e-6)
        v = 0.0;
    QString text = QString::number(v, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0)
        text.remove(0, 1);
    return text;
}

// Four significant digits, never "-0".
QString shortNumber(double v)
{
    QString text = QString::number(v + 0.0, 'g', 4);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace

struct OrdinationPlot::Layout
{
    QRectF plot;
    QRectF legend;
    double line = 12.0;
    double marker = 4.5;
    QFont small;
};

OrdinationPlot::OrdinationPlot(const OrdinationData *data)
    : m_data(data)
{
}

void OrdinationPlot::setData(const OrdinationData *data)
{
    m_data = data;
    m_marked = -1;
    m_view = QRectF();
}

void OrdinationPlot::setAxes(int x, int y)
{
    m_x = x;
    m_y = y;
}

bool OrdinationPlot::hasAxes() const
{
    return m_data && m_x >= 0 && m_y >= 0 && m_x < m_data->result.axisCount() && m_y < m_data->result.axisCount();
}

const std::vector<double> &OrdinationPlot::scores(int axis) const
{
    return m_data->result.releveScores[std::size_t(axis)];
}

const std::vector<double> &OrdinationPlot::speciesScores(int axis) const
{
    return m_data->result.speciesScores[std::size_t(axis)];
}

QRectF OrdinationPlot::fullView() const
{
    if (!hasAxes())
        return QRectF(-1.0, -1.0, 2.0, 2.0);
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
    bool first = true;
    auto take = [&](const std::vector<double> &xs, const std::vector<double> &ys) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (first) {
                x0 = x1 = xs[i];
                y0 = y1 = ys[i];
                first = false;
            }
            x0 = std::min(x0, xs[i]);
            x1 = std::max(x1, xs[i]);
            y0 = std::min(y0, ys[i]);
            y1 = std::max(y1, ys[i]);
        }
    };
    take(scores(m_x), scores(m_y));
    if (m_showSpecies)
        take(speciesScores(m_x), speciesScores(m_y));
    const double w = std::max(x1 - x0, 1e-9);
    const double h = std::max(y1 - y0, 1e-9);
    // Species names run to the right of their marks: room for them at the right side.
    const double right = m_showSpecies ? 0.2 : 0.06;
    return QRectF(x0 - 0.06 * w, y0 - 0.06 * h, w * (1.06 + right), h * 1.12);
}

QRectF OrdinationPlot::view() const
{
    return m_view.isValid() ? m_view : fullView();
}

void OrdinationPlot::zoom(double factor, const QPointF &centre)
{
    const QRectF v = view();
    if (!(factor > 0.0))
        return;
    const double w = v.width() / factor;
    const double h = v.height() / factor;
    // Not beyond a millionth of everything, nor a thousand times it.
    const QRectF all = fullView();
    if (w < all.width() * 1e-6 || w > all.width() * 1e3)
        return;
    const double fx = (centre.x() - v.left()) / v.width();
    const double fy = (centre.y() - v.top()) / v.height();
    m_view = QRectF(centre.x() - fx * w, centre.y() - fy * h, w, h);
}

OrdinationPlot::Layout OrdinationPlot::layoutFor(const QRectF &target, const QPaintDevice *device) const
{
    Layout l;
    const QFontMetricsF fm = device ? QFontMetricsF(m_font, device) : QFontMetricsF(m_font);
    l.line = fm.height();
    l.marker = std::max(2.0, 0.36 * l.line);
    l.small = m_font;
    if (l.small.pointSizeF() > 0)
        l.small.setPointSizeF(l.small.pointSizeF() * 0.85);
    else if (l.small.pixelSize() > 0)
        l.small.setPixelSize(std::max(1, int(l.small.pixelSize() * 0.85)));
    double legendWidth = 0.0;
    if (m_data && m_colouring.kind != OrdinationColouring::Single) {
        legendWidth = fm.horizontalAdvance(m_colouring.title);
        if (m_colouring.kind == OrdinationColouring::Categories) {
            for (qsizetype k = 0; k < m_colouring.categories.size() && k < kLegendEntries; ++k)
                legendWidth = std::max(legendWidth, 2.0 * l.line + fm.horizontalAdvance(m_colouring.categories[k]));
        } else {
            legendWidth = std::max(legendWidth, 2.2 * l.line + fm.horizontalAdvance(shortNumber(m_colouring.maximum)));
            legendWidth = std::max(legendWidth, 2.2 * l.line + fm.horizontalAdvance(shortNumber(m_colouring.minimum)));
        }
        legendWidth = std::min(std::max(legendWidth + l.line, 4.0 * l.line), target.width() * 0.35);
    }
    const double left = fm.horizontalAdvance(QStringLiteral("-0.000")) + 2.2 * l.line;
    const double right = legendWidth > 0.0 ? legendWidth + 1.5 * l.line : l.line;
    const double top = 2.0 * l.line;
    const double bottom = 3.0 * l.line;
    l.plot = QRectF(target.left() + left, target.top() + top, std::max(10.0, target.width() - left - right),
                    std::max(10.0, target.height() - top - bottom));
    if (legendWidth > 0.0)
        l.legend = QRectF(l.plot.right() + l.line, l.plot.top(), legendWidth, l.plot.height());
    return l;
}

QRectF OrdinationPlot::plotArea(const QRectF &target, const QPaintDevice *device) const
{
    return layoutFor(target, device).plot;
}

QPointF OrdinationPlot::toTarget(double x, double y, const QRectF &target) const
{
    const QRectF p = plotArea(target);
    const QRectF v = view();
    return QPointF(p.left() + (x - v.left()) / v.width() * p.width(), p.bottom() - (y - v.top()) / v.height() * p.height());
}

QPointF OrdinationPlot::toScores(const QPointF &point, const QRectF &target) const
{
    const QRectF p = plotArea(target);
    const QRectF v = view();
    return QPointF(v.left() + (point.x() - p.left()) / p.width() * v.width(),
                   v.top() + (p.bottom() - point.y()) / p.height() * v.height());
}

int OrdinationPlot::releveAt(const QPointF &point, const QRectF &target, double radius) const
{
    if (!hasAxes())
        return -1;
    const QRectF p = plotArea(target);
    if (!p.adjusted(-radius, -radius, radius, radius).contains(point))
        return -1;
    int best = -1;
    double bestDistance = radius * radius;
    const std::vector<double> &xs = scores(m_x);
    const std::vector<double> &ys = scores(m_y);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const QPointF q = toTarget(xs[i], ys[i], target);
        const double d = (q.x() - point.x()) * (q.x() - point.x()) + (q.y() - point.y()) * (q.y() - point.y());
        if (d <= bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

QColor OrdinationPlot::releveColour(int place) const
{
    switch (m_colouring.kind) {
    case OrdinationColouring::Categories:
        return place >= 0 && place < int(m_colouring.category.size()) ? categoryColour(m_colouring.category[std::size_t(place)])
                                                                      : kNoValue;
    case OrdinationColouring::Numeric: {
        if (place < 0 || place >= int(m_colouring.values.size()) || std::isnan(m_colouring.values[std::size_t(place)]))
            return kNoValue;
        const double range = m_colouring.maximum - m_colouring.minimum;
        return rampColour(range > 0.0 ? (m_colouring.values[std::size_t(place)] - m_colouring.minimum) / range : 0.5);
    }
    case OrdinationColouring::Single:
        break;
    }
    return kCategoryColours[0];
}

QString OrdinationPlot::axisTitle(int axis) const
{
    if (!m_data || axis < 0 || axis >= m_data->result.axisCount())
        return QString();
    const OrdinationResult &r = m_data->result;
    QString title = QStringLiteral("%1（固有値 %2").arg(r.axisName(axis), QString::number(r.eigenvalues[std::size_t(axis)], 'f', 4));
    if (std::size_t(axis) < r.axisLengths.size())
        title += QStringLiteral("、長さ %1 SD").arg(QString::number(r.axisLengths[std::size_t(axis)], 'f', 2));
    return title + QStringLiteral("）");
}

void OrdinationPlot::paint(QPainter &painter, const QRectF &target) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(target, Qt::white);
    painter.setFont(m_font);
    const Layout l = layoutFor(target, painter.device());
    const QRectF &p = l.plot;
    const QPen frame(QColor(0x40, 0x40, 0x40), std::max(1.0, l.line / 14.0));
    painter.setPen(frame);

    if (!hasAxes()) {
        painter.drawText(target, Qt::AlignCenter, QStringLiteral("序列化の結果がありません"));
        painter.restore();
        return;
    }
    const OrdinationResult &r = m_data->result;
    // The title: the analysis and how the cells were converted.
    QString title = r.method == OrdinationMethod::Detrended ? QStringLiteral("DCA 除歪対応分析")
                                                           : QStringLiteral("CA 対応分析（尺度 %1）").arg(r.scaling);
    title += QStringLiteral("　変換 %1　測定 %2　種 %3").arg(m_data->conversion).arg(r.releves.size()).arg(r.species.size());
    painter.drawText(QRectF(p.left(), target.top(), p.width(), 1.8 * l.line), Qt::AlignLeft | Qt::AlignVCenter, title);

    const QRectF v = view();
    auto X = [&](double x) { return p.left() + (x - v.left()) / v.width() * p.width(); };
    auto Y = [&](double y) { return p.bottom() - (y - v.top()) / v.height() * p.height(); };

    // Ticks and their numbers, the zero lines, the frame.
    const double xs = tickStep(v.width());
    const double ys = tickStep(v.height());
    const QPen grid(QColor(0xE4, 0xE4, 0xE4), std::max(1.0, l.line / 16.0));
    const double tick = 0.3 * l.line;
    for (double t = std::ceil(v.left() / xs) * xs; t <= v.right() + xs * 1e-9; t += xs) {
        const double x = X(t);
        painter.setPen(grid);
        painter.drawLine(QPointF(x, p.top()), QPointF(x, p.bottom()));
        painter.setPen(frame);
        painter.drawLine(QPointF(x, p.bottom()), QPointF(x, p.bottom() + tick));
        painter.drawText(QRectF(x - 3.0 * l.line, p.bottom() + tick, 6.0 * l.line, l.line), Qt::AlignHCenter | Qt::AlignTop,
                         tickText(t, xs));
    }
    for (double t = std::ceil(v.top() / ys) * ys; t <= v.bottom() + ys * 1e-9; t += ys) {
        const double y = Y(t);
        painter.setPen(grid);
        painter.drawLine(QPointF(p.left(), y), QPointF(p.right(), y));
        painter.setPen(frame);
        painter.drawLine(QPointF(p.left() - tick, y), QPointF(p.left(), y));
        painter.drawText(QRectF(target.left(), y - 0.5 * l.line, p.left() - target.left() - tick - 0.2 * l.line, l.line),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(t, ys));
    }
    QPen zero(QColor(0x90, 0x90, 0x90), std::max(1.0, l.line / 14.0), Qt::DashLine);
    painter.setPen(zero);
    if (v.left() < 0.0 && v.right() > 0.0)
        painter.drawLine(QPointF(X(0.0), p.top()), QPointF(X(0.0), p.bottom()));
    if (v.top() < 0.0 && v.bottom() > 0.0)
        painter.drawLine(QPointF(p.left(), Y(0.0)), QPointF(p.right(), Y(0.0)));

    // Axis titles.
    painter.setPen(frame);
    painter.drawText(QRectF(p.left(), p.bottom() + 1.4 * l.line, p.width(), 1.4 * l.line), Qt::AlignHCenter | Qt::AlignVCenter,
                     axisTitle(m_x));
    painter.save();
    painter.translate(target.left() + 0.8 * l.line, p.center().y());
    painter.rotate(-90.0);
    painter.drawText(QRectF(-p.height() / 2.0, -0.8 * l.line, p.height(), 1.6 * l.line), Qt::AlignCenter, axisTitle(m_y));
    painter.restore();

    // The points, clipped to the axes: species names under the relevés.
    painter.save();
    painter.setClipRect(p);
    if (m_showSpecies) {
        painter.setFont(l.small);
        painter.setPen(kSpecies);
        const std::vector<double> &sx = speciesScores(m_x);
        const std::vector<double> &sy = speciesScores(m_y);
        const double arm = 0.25 * l.line;
        for (std::size_t j = 0; j < sx.size(); ++j) {
            const QPointF q(X(sx[j]), Y(sy[j]));
            painter.drawLine(QPointF(q.x() - arm, q.y()), QPointF(q.x() + arm, q.y()));
            painter.drawLine(QPointF(q.x(), q.y() - arm), QPointF(q.x(), q.y() + arm));
            painter.drawText(QPointF(q.x() + 1.5 * arm, q.y() - 0.5 * arm), m_data->speciesNames.value(qsizetype(j)));
        }
        painter.setFont(m_font);
    }
    const std::vector<double> &rx = scores(m_x);
    const std::vector<double> &ry = scores(m_y);
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), std::max(0.8, l.line / 18.0)));
    for (std::size_t i = 0; i < rx.size(); ++i) {
        painter.setBrush(releveColour(int(i)));
        painter.drawEllipse(QPointF(X(rx[i]), Y(ry[i])), l.marker, l.marker);
    }
    if (m_showReleveLabels) {
        painter.setFont(l.small);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        for (std::size_t i = 0; i < rx.size(); ++i)
            painter.drawText(QPointF(X(rx[i]) + 1.3 * l.marker, Y(ry[i]) + 0.35 * l.line), m_data->releveLabels.value(qsizetype(i)));
        painter.setFont(m_font);
    }
    if (m_marked >= 0 && m_marked < int(rx.size())) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0xD0, 0x10, 0x10), std::max(2.0, l.line / 7.0)));
        painter.drawEllipse(QPointF(X(rx[std::size_t(m_marked)]), Y(ry[std::size_t(m_marked)])), 2.0 * l.marker, 2.0 * l.marker);
    }
    painter.restore();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(frame);
    painter.drawRect(p);

    // The legend.
    if (!l.legend.isNull()) {
        const QRectF &g = l.legend;
        painter.setPen(frame);
        painter.drawText(QRectF(g.left(), g.top(), g.width(), l.line), Qt::AlignLeft | Qt::AlignVCenter, m_colouring.title);
        double y = g.top() + 1.5 * l.line;
        if (m_colouring.kind == OrdinationColouring::Categories) {
            const qsizetype shown = std::min<qsizetype>(m_colouring.categories.size(), kLegendEntries);
            painter.setPen(QPen(QColor(0x20, 0x20, 0x20), std::max(0.8, l.line / 18.0)));
            for (qsizetype k = 0; k < shown; ++k) {
                painter.setBrush(categoryColour(int(k)));
                painter.drawEllipse(QPointF(g.left() + l.marker, y + 0.5 * l.line), l.marker, l.marker);
                painter.drawText(QRectF(g.left() + 2.0 * l.line, y, g.width() - 2.0 * l.line, l.line), Qt::AlignLeft | Qt::AlignVCenter,
                                 m_colouring.categories[k]);
                y += 1.2 * l.line;
            }
            if (m_colouring.categories.size() > shown) {
                painter.drawText(QRectF(g.left(), y, g.width(), l.line), Qt::AlignLeft | Qt::AlignVCenter,
                                 QStringLiteral("ほか %1").arg(m_colouring.categories.size() - shown));
                y += 1.2 * l.line;
            }
        } else {
            const double barHeight = std::min(8.0 * l.line, g.height() - 4.0 * l.line);
            const QRectF bar(g.left(), y, 1.2 * l.line, std::max(barHeight, 2.0 * l.line));
            QLinearGradient ramp(bar.bottomLeft(), bar.topLeft());
            for (int k = 0; k < kRampStops; ++k)
                ramp.setColorAt(double(k) / double(kRampStops - 1), kRamp[k]);
            painter.setBrush(ramp);
            painter.drawRect(bar);
            painter.drawText(QRectF(bar.right() + 0.4 * l.line, bar.top() - 0.5 * l.line, g.width() - bar.width(), l.line),
                             Qt::AlignLeft | Qt::AlignVCenter, shortNumber(m_colouring.maximum));
            painter.drawText(QRectF(bar.right() + 0.4 * l.line, bar.bottom() - 0.5 * l.line, g.width() - bar.width(), l.line),
                             Qt::AlignLeft | Qt::AlignVCenter, shortNumber(m_colouring.minimum));
            y = bar.bottom() + 0.8 * l.line;
        }
        bool missing = false;
        for (int i = 0; i < int(rx.size()) && !missing; ++i)
            missing = releveColour(i) == kNoValue;
        if (missing) {
            painter.setBrush(kNoValue);
            painter.drawEllipse(QPointF(g.left() + l.marker, y + 0.5 * l.line), l.marker, l.marker);
            painter.drawText(QRectF(g.left() + 2.0 * l.line, y, g.width() - 2.0 * l.line, l.line), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("値なし"));
        }
    }
    painter.restore();
}

OrdinationPlot::Format OrdinationPlot::formatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    return Format::Unknown;
}

QStringList OrdinationPlot::nameFilters()
{
    return {QStringLiteral("PNG 画像 (*.png)|*.png"), QStringLiteral("SVG 画像 (*.svg)|*.svg"),
            QStringLiteral("PDF ファイル (*.pdf)|*.pdf")};
}

bool OrdinationPlot::write(const QString &fileName, Format format, const QSize &size, QString *error) const
{
    // The file names the face the text is really drawn in, not the name it was asked by (a
    // substitute such as "ＭＳ Ｐゴシック" means nothing where that face is missing).
    OrdinationPlot plot = *this;
    QFont font = m_font;
    font.setFamily(QFontInfo(m_font).family());
    plot.setFont(font);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    switch (format) {
    case Format::Png: {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            plot.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        drawn = image.save(&buffer, "PNG");
        break;
    }
    case Format::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("序列図"));
        svg.setDescription(QStringLiteral("Zelkor"));
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            plot.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            drawn = painter.end();
        }
        break;
    }
    case Format::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Zelkor"));
        pdf.setTitle(QStringLiteral("序列図"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                      QPageLayout::Millimeter));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn) {
            plot.paint(painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
            drawn = painter.end();
        }
        break;
    }
    case Format::Unknown:
        *error = QStringLiteral("画像の形式が分かりません。拡張子を .png、.svg または .pdf にして下さい。");
        return false;
    }
    if (!drawn) {
        *error = QStringLiteral("序列図を描けませんでした。");
        return false;
    }
    SafeSaveFile file(fileName);
    if (!file.open() || !file.write(buffer.data()) || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
