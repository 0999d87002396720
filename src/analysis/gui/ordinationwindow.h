#pragma once

#include "analysis/plot/ordinationplot.h"

#include <QPoint>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Zelkor {

class OrdinationCommand;
class UserInterface;

/// The diagram on the screen: the mouse wheel zooms about the pointer, dragging with the left
/// button pans, the relevé under the pointer shows its label, and a click on a relevé chooses it.
class OrdinationPlotWidget : public QWidget
{
    Q_OBJECT

public:
    explicit OrdinationPlotWidget(QWidget *parent = nullptr);

    OrdinationPlot &plot() { return m_plot; }
    const OrdinationPlot &plot() const { return m_plot; }
    /// Everything in view again.
    void resetView();
    /// The text shown for the relevé at place: its label, group and the colouring's value.
    QString hoverText(int place) const;
    /// The relevé under the pointer at last; -1 for none.
    int hovered() const { return m_hovered; }

Q_SIGNALS:
    /// A click on the relevé at place (in the data).
    void releveClicked(int place);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    OrdinationPlot m_plot;
    QPoint m_pressed;
    QRectF m_viewAtPress;
    bool m_dragging = false;
    bool m_pressing = false;
    int m_hovered = -1;
};

/// The window "序列図（CA / DCA）": the choices of the ordination (method, cover conversion,
/// scaling or downweighting), of the diagram (axes, colouring, species names, relevé labels)
/// and the diagram itself, with the commands to compute, save the diagram (PNG, SVG, PDF) and
/// the scores (CSV), and reorder the table by the first axis. It stays over the main window and
/// keeps its ordination when closed.
class OrdinationWindow : public QWidget
{
    Q_OBJECT

public:
    /// command and ui must outlive the window.
    OrdinationWindow(OrdinationCommand *command, UserInterface *ui, QWidget *parent = nullptr);

    /// Menu "序列図（CA / DCA）": shows the window, computing with the present choices when
    /// there is no ordination yet.
    void itemOrdinationClick();
    /// "計算": the ordination of the table with the present choices.
    void compute();
    /// "図を保存": asks for a file (PNG, SVG or PDF by its type) and writes the diagram.
    bool savePicture();

    OrdinationPlotWidget *plotWidget() const { return m_plotWidget; }
    QComboBox *methodBox() const { return m_method; }
    QComboBox *conversionBox() const { return m_conversion; }
    QComboBox *scalingBox() const { return m_scaling; }
    QComboBox *axesBox() const { return m_axes; }
    QComboBox *colourBox() const { return m_colour; }
    QCheckBox *downweightBox() const { return m_downweight; }
    QCheckBox *speciesBox() const { return m_species; }
    QPushButton *computeButton() const { return m_compute; }
    QPushButton *reorderButton() const { return m_reorder; }
    /// The eigenvalues line under the choices.
    QString summaryText() const;

Q_SIGNALS:
    /// The user clicked the relevé now in the grid column `column` of the table.
    void releveChosen(int column);

private:
    void dataChanged();
    void choicesChanged();
    void applyDiagramChoices();

    OrdinationCommand *m_command;
    UserInterface *m_ui;
    QComboBox *m_method;
    QComboBox *m_conversion;
    QComboBox *m_scaling;
    QCheckBox *m_downweight;
    QComboBox *m_axes;
    QComboBox *m_colour;
    QCheckBox *m_species;
    QCheckBox *m_labels;
    QPushButton *m_compute;
    QPushButton *m_savePicture;
    QPushButton *m_saveScores;
    QPushButton *m_reorder;
    QPushButton *m_reset;
    QLabel *m_summary;
    OrdinationPlotWidget *m_plotWidget;
};

} // namespace Zelkor
