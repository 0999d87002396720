#pragma once

#include "analysis/ordinationdata.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QPainter;

namespace Zelkor {

/// The ordination diagram: the relevés as points on two axes, coloured by group or by a header
/// item, the species optionally as their names, the eigenvalues in the axis titles and a legend.
/// It draws with QPainter on any device (the window, an image, an SVG or a PDF file), in a target
/// rectangle; the part of the axes shown (the view) may be zoomed and panned.
class OrdinationPlot
{
public:
    /// The file formats it is written in.
    enum class Format { Png, Svg, Pdf, Unknown };

    /// data must outlive the plot (or be replaced with setData()).
    explicit OrdinationPlot(const OrdinationData *data = nullptr);

    void setData(const OrdinationData *data);
    const OrdinationData *data() const { return m_data; }
    /// The axes shown across and up (from 0); both must exist.
    void setAxes(int x, int y);
    int xAxis() const { return m_x; }
    int yAxis() const { return m_y; }
    bool hasAxes() const;
    void setColouring(const OrdinationColouring &colouring) { m_colouring = colouring; }
    const OrdinationColouring &colouring() const { return m_colouring; }
    void setShowSpecies(bool on) { m_showSpecies = on; }
    bool showSpecies() const { return m_showSpecies; }
    void setShowReleveLabels(bool on) { m_showReleveLabels = on; }
    /// The base font of every text (axis numbers, titles, legend; names a little smaller).
    void setFont(const QFont &font) { m_font = font; }
    const QFont &font() const { return m_font; }
    /// The relevé (place in the data) drawn marked; -1 for none.
    void setMarked(int place) { m_marked = place; }
    int marked() const { return m_marked; }

    /// The part of the axes shown, in scores; an invalid rectangle shows everything.
    void setView(const QRectF &view) { m_view = view; }
    QRectF view() const;
    /// Everything: the relevés (and species when shown) with a margin.
    QRectF fullView() const;
    /// The view zoomed by factor (> 1 nearer) about the score at `centre`.
    void zoom(double factor, const QPointF &centre);

    /// The area of target in which the points lie (inside the axes), on device (the screen
    /// when null).
    QRectF plotArea(const QRectF &target, const QPaintDevice *device = nullptr) const;
    /// A score pair to a point of target, and back.
    QPointF toTarget(double x, double y, const QRectF &target) const;
    QPointF toScores(const QPointF &point, const QRectF &target) const;
    /// The relevé drawn nearest to point within `radius`; -1 when none is.
    int releveAt(const QPointF &point, const QRectF &target, double radius = 6.0) const;

    /// Draws the diagram into target (white background).
    void paint(QPainter &painter, const QRectF &target) const;

    /// A relevé's colour under the colouring.
    QColor releveColour(int place) const;
    /// An axis title: "CA1（固有値 0.5460）", for the detrended analysis with the length.
    QString axisTitle(int axis) const;

    /// The format a file name asks for by its suffix (.png, .svg, .pdf).
    static Format formatOf(const QString &fileName);
    /// The save dialog's file types ("label|pattern"), PNG, SVG and PDF in that order.
    static QStringList nameFilters();
    /// Writes the diagram to fileName in format, size pixels large for PNG and SVG (the PDF
    /// holds an A4 landscape page), through a temporary file that replaces the target only when
    /// complete; false with *error otherwise.
    bool write(const QString &fileName, Format format, const QSize &size, QString *error) const;

private:
    struct Layout;
    Layout layoutFor(const QRectF &target, const QPaintDevice *device) const;
    const std::vector<double> &scores(int axis) const;
    const std::vector<double> &speciesScores(int axis) const;

    const OrdinationData *m_data = nullptr;
    int m_x = 0;
    int m_y = 1;
    OrdinationColouring m_colouring;
    bool m_showSpecies = false;
    bool m_showReleveLabels = false;
    QFont m_font;
    int m_marked = -1;
    QRectF m_view;
};

} // namespace Zelkor
