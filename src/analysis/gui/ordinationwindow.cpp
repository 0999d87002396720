#include "analysis/gui/ordinationwindow.h"

#include "analysis/ordinationcommand.h"
#include "platform/gui/ownedwindow.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace Zelkor {

namespace {

// The size of a saved PNG or SVG diagram, in pixels, and its base font in points.
const QSize kPictureSize(1200, 900);
constexpr double kPictureFontPoints = 11.0;
// A press that moves less than this many pixels is a click, not a drag.
constexpr int kClickSlack = 4;

QPushButton *button(const QString &name, const QString &caption, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QComboBox *comboBox(const QString &name, const QStringList &entries, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(entries);
    return box;
}

// The pairs of axes the diagram offers (from 0).
const std::pair<int, int> kAxisPairs[] = {{0, 1}, {0, 2}, {1, 2}};

} // namespace

// --- The diagram widget -------------------------------------------------------------------------

OrdinationPlotWidget::OrdinationPlotWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("OrdinationPlot"));
    setMouseTracking(true);
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_plot.setFont(font());
}

void OrdinationPlotWidget::resetView()
{
    m_plot.setView(QRectF());
    update();
}

QString OrdinationPlotWidget::hoverText(int place) const
{
    const OrdinationData *data = m_plot.data();
    if (!data || place < 0 || place >= int(data->releveLabels.size()))
        return QString();
    QString text = data->releveLabels.at(place).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("（名前なし）");
    if (data->groupCount > 1)
        text += QStringLiteral("　群%1").arg(data->groups[std::size_t(place)]);
    const OrdinationColouring &c = m_plot.colouring();
    if (c.kind == OrdinationColouring::Numeric && !std::isnan(c.values[std::size_t(place)]))
        text += QStringLiteral("　%1 %2").arg(c.title, QString::number(c.values[std::size_t(place)], 'g', 6));
    else if (c.kind == OrdinationColouring::Categories && c.category[std::size_t(place)] >= 0 && c.title != QStringLiteral("群"))
        text += QStringLiteral("　%1 %2").arg(c.title, c.categories.at(c.category[std::size_t(place)]));
    return text;
}

void OrdinationPlotWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_plot.setFont(font());
    m_plot.paint(painter, rect());
}

void OrdinationPlotWidget::wheelEvent(QWheelEvent *event)
{
    if (!m_plot.hasAxes())
        return;
    const double steps = double(event->angleDelta().y()) / 120.0;
    if (steps == 0.0)
        return;
    m_plot.zoom(std::pow(1.25, steps), m_plot.toScores(event->position(), rect()));
    update();
    event->accept();
}

void OrdinationPlotWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressing = true;
    m_dragging = false;
    m_pressed = event->position().toPoint();
    m_viewAtPress = m_plot.view();
}

void OrdinationPlotWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_pressing && (event->buttons() & Qt::LeftButton)) {
        if (!m_dragging && (at - m_pressed).manhattanLength() >= kClickSlack) {
            m_dragging = true;
            setCursor(Qt::ClosedHandCursor);
        }
        if (m_dragging) {
            // The view moves with the pointer, from where it was at the press.
            const QRectF area = m_plot.plotArea(rect());
            const double dx = double(at.x() - m_pressed.x()) / area.width() * m_viewAtPress.width();
            const double dy = double(at.y() - m_pressed.y()) / area.height() * m_viewAtPress.height();
            m_plot.setView(m_viewAtPress.translated(-dx, dy));
            update();
        }
        return;
    }
    const int place = m_plot.releveAt(event->position(), rect());
    if (place != m_hovered) {
        m_hovered = place;
        if (place >= 0)
            QToolTip::showText(event->globalPosition().toPoint(), hoverText(place), this);
        else
            QToolTip::hideText();
    }
}

void OrdinationPlotWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressing)
        return;
    m_pressing = false;
    if (m_dragging) {
        m_dragging = false;
        unsetCursor();
        return;
    }
    const int place = m_plot.releveAt(event->position(), rect());
    if (place < 0)
        return;
    m_plot.setMarked(place);
    update();
    Q_EMIT releveClicked(place);
}

void OrdinationPlotWidget::leaveEvent(QEvent *)
{
    m_hovered = -1;
    QToolTip::hideText();
}

// --- The window ---------------------------------------------------------------------------------

OrdinationWindow::OrdinationWindow(OrdinationCommand *command, UserInterface *ui, QWidget *parent)
    : QWidget(parent, OwnedWindowFlags)
    , m_command(command)
    , m_ui(ui)
    , m_method(comboBox(QStringLiteral("OrdMethod"), {QStringLiteral("CA 対応分析"), QStringLiteral("DCA 除歪対応分析")}, this))
    , m_conversion(comboBox(QStringLiteral("OrdConversion"), OrdinationCommand::conversionCaptions(), this))
    , m_scaling(comboBox(QStringLiteral("OrdScaling"), {QStringLiteral("1 測定を伸縮"), QStringLiteral("2 植物を伸縮")}, this))
    , m_downweight(new QCheckBox(QStringLiteral("稀な種の重みを下げる"), this))
    , m_axes(comboBox(QStringLiteral("OrdAxes"), {QStringLiteral("1 × 2"), QStringLiteral("1 × 3"), QStringLiteral("2 × 3")}, this))
    , m_colour(comboBox(QStringLiteral("OrdColour"), {}, this))
    , m_species(new QCheckBox(QStringLiteral("植物名"), this))
    , m_labels(new QCheckBox(QStringLiteral("測定名"), this))
    , m_compute(button(QStringLiteral("OrdCompute"), QStringLiteral("計算"), QStringLiteral("選んだ方法で序列化する"), this))
    , m_savePicture(button(QStringLiteral("OrdSavePicture"), QStringLiteral("図を保存"),
                           QStringLiteral("序列図を PNG、SVG または PDF で保存する"), this))
    , m_saveScores(button(QStringLiteral("OrdSaveScores"), QStringLiteral("スコアを保存"),
                          QStringLiteral("測定と植物のスコアを CSV で保存する"), this))
    , m_reorder(button(QStringLiteral("OrdReorder"), QStringLiteral("軸1の順に並べ替え"),
                       QStringLiteral("組成表の植物と測定を第1軸のスコアの順に並べる"), this))
    , m_reset(button(QStringLiteral("OrdResetView"), QStringLiteral("全体を表示"), QStringLiteral("拡大・移動を元に戻す"), this))
    , m_summary(new QLabel(this))
    , m_plotWidget(new OrdinationPlotWidget(this))
{
    setObjectName(QStringLiteral("OrdinationWindow"));
    setWindowTitle(QStringLiteral("序列図（CA / DCA）"));
    setAttribute(Qt::WA_QuitOnClose, false);
    m_conversion->setCurrentIndex(1);
    m_scaling->setCurrentIndex(1);
    m_downweight->setObjectName(QStringLiteral("OrdDownweight"));
    m_species->setObjectName(QStringLiteral("OrdSpecies"));
    m_labels->setObjectName(QStringLiteral("OrdLabels"));
    m_summary->setObjectName(QStringLiteral("OrdSummary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setWordWrap(true);

    auto *computeRow = new QHBoxLayout;
    computeRow->addWidget(new QLabel(QStringLiteral("方法"), this));
    computeRow->addWidget(m_method);
    computeRow->addWidget(new QLabel(QStringLiteral("数値化"), this));
    computeRow->addWidget(m_conversion);
    computeRow->addWidget(new QLabel(QStringLiteral("尺度"), this));
    computeRow->addWidget(m_scaling);
    computeRow->addWidget(m_downweight);
    computeRow->addWidget(m_compute);
    computeRow->addStretch(1);
    auto *diagramRow = new QHBoxLayout;
    diagramRow->addWidget(new QLabel(QStringLiteral("軸"), this));
    diagramRow->addWidget(m_axes);
    diagramRow->addWidget(new QLabel(QStringLiteral("色分け"), this));
    diagramRow->addWidget(m_colour);
    diagramRow->addWidget(m_species);
    diagramRow->addWidget(m_labels);
    diagramRow->addWidget(m_reset);
    diagramRow->addStretch(1);
    auto *resultRow = new QHBoxLayout;
    resultRow->addWidget(m_summary, 1);
    resultRow->addWidget(m_savePicture);
    resultRow->addWidget(m_saveScores);
    resultRow->addWidget(m_reorder);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addLayout(computeRow);
    outer->addLayout(diagramRow);
    outer->addLayout(resultRow);
    outer->addWidget(m_plotWidget, 1);

    connect(m_method, &QComboBox::currentIndexChanged, this, &OrdinationWindow::choicesChanged);
    connect(m_compute, &QPushButton::clicked, this, &OrdinationWindow::compute);
    connect(m_axes, &QComboBox::currentIndexChanged, this, &OrdinationWindow::applyDiagramChoices);
    connect(m_colour, &QComboBox::currentIndexChanged, this, &OrdinationWindow::applyDiagramChoices);
    connect(m_species, &QCheckBox::toggled, this, &OrdinationWindow::applyDiagramChoices);
    connect(m_labels, &QCheckBox::toggled, this, &OrdinationWindow::applyDiagramChoices);
    connect(m_reset, &QPushButton::clicked, m_plotWidget, &OrdinationPlotWidget::resetView);
    connect(m_savePicture, &QPushButton::clicked, this, &OrdinationWindow::savePicture);
    connect(m_saveScores, &QPushButton::clicked, m_command, &OrdinationCommand::saveScores);
    connect(m_reorder, &QPushButton::clicked, m_command, qOverload<>(&OrdinationCommand::reorderTable));
    connect(m_command, &OrdinationCommand::dataChanged, this, &OrdinationWindow::dataChanged);
    connect(m_plotWidget, &OrdinationPlotWidget::releveClicked, this, [this](int place) {
        const int column = m_command->currentColumnOf(place);
        if (column >= 0)
            Q_EMIT releveChosen(column);
    });
    choicesChanged();
    dataChanged();
    resize(980, 760);
}

void OrdinationWindow::itemOrdinationClick()
{
    show();
    raise();
    activateWindow();
    if (!m_command->hasData())
        compute();
}

void OrdinationWindow::compute()
{
    OrdinationOptions options;
    options.method = m_method->currentIndex() == 1 ? OrdinationMethod::Detrended : OrdinationMethod::Correspondence;
    options.scaling = m_scaling->currentIndex() == 0 ? 1 : 2;
    options.downweight = m_downweight->isChecked();
    m_command->run(m_conversion->currentIndex(), options);
}

void OrdinationWindow::choicesChanged()
{
    const bool detrended = m_method->currentIndex() == 1;
    m_scaling->setEnabled(!detrended);
    m_downweight->setEnabled(detrended);
}

void OrdinationWindow::dataChanged()
{
    const bool has = m_command->hasData();
    const OrdinationData *data = has ? &m_command->data() : nullptr;
    // The colour choices: the groups, then every header item; the item chosen stays chosen.
    const int number = m_colour->currentIndex() > 0 ? m_colour->currentData().toInt() : -1;
    {
        const QSignalBlocker block(m_colour);
        m_colour->clear();
        m_colour->addItem(QStringLiteral("群（空列で区切る）"), -1);
        if (data) {
            for (const OrdinationData::Item &item : data->items)
                m_colour->addItem(QStringLiteral("%1 %2").arg(item.number).arg(item.label), item.number);
        }
        const int at = number > 0 ? m_colour->findData(number) : 0;
        m_colour->setCurrentIndex(at >= 0 ? at : 0);
    }
    m_plotWidget->plot().setData(data);
    for (QPushButton *b : {m_savePicture, m_saveScores, m_reorder, m_reset})
        b->setEnabled(has);
    QString summary;
    if (data) {
        const OrdinationResult &r = data->result;
        for (int k = 0; k < r.axisCount(); ++k) {
            summary += QStringLiteral("%1 %2").arg(r.axisName(k), QString::number(r.eigenvalues[std::size_t(k)], 'f', 4));
            if (std::size_t(k) < r.axisLengths.size())
                summary += QStringLiteral("（%1 SD）").arg(QString::number(r.axisLengths[std::size_t(k)], 'f', 2));
            summary += QStringLiteral("　");
        }
        if (!r.converged)
            summary += QStringLiteral("（固有値の計算が許容誤差に届いていません）");
    } else {
        summary = QStringLiteral("「計算」で序列化します。");
    }
    m_summary->setText(summary.trimmed());
    applyDiagramChoices();
}

void OrdinationWindow::applyDiagramChoices()
{
    OrdinationPlot &plot = m_plotWidget->plot();
    const OrdinationData *data = plot.data();
    const int axes = data ? data->result.axisCount() : 0;
    // The pairs of axes the ordination has.
    for (int k = 0; k < m_axes->count(); ++k) {
        const bool there = kAxisPairs[k].second < axes;
        if (auto *model = qobject_cast<QStandardItemModel *>(m_axes->model())) {
            if (QStandardItem *item = model->item(k))
                item->setEnabled(there);
        }
    }
    int pair = std::max(m_axes->currentIndex(), 0);
    if (kAxisPairs[pair].second >= axes)
        pair = 0;
    plot.setAxes(kAxisPairs[pair].first, kAxisPairs[pair].second);
    if (data) {
        const int item = m_colour->currentIndex() > 0 ? m_colour->currentIndex() - 1 : -1;
        plot.setColouring(item >= 0 ? OrdinationColouring::byItem(*data, item) : OrdinationColouring::byGroup(*data));
    }
    plot.setShowSpecies(m_species->isChecked());
    plot.setShowReleveLabels(m_labels->isChecked());
    // A new choice of what is shown shows all of it.
    plot.setView(QRectF());
    m_plotWidget->update();
}

QString OrdinationWindow::summaryText() const
{
    return m_summary->text();
}

bool OrdinationWindow::savePicture()
{
    if (!m_command->hasData())
        return false;
    const OrdinationPlot &shown = m_plotWidget->plot();
    FileDialogRequest request;
    request.filters = OrdinationPlot::nameFilters();
    request.defaultExtension = QStringLiteral(".png");
    request.fileName = QStringLiteral("%1-%2x%3.png")
                           .arg(m_command->data().result.prefix().toLower())
                           .arg(shown.xAxis() + 1)
                           .arg(shown.yAxis() + 1);
    const QString path = askSaveFile(*m_ui, request);
    if (path.isEmpty())
        return false;
    OrdinationPlot picture = shown;
    picture.setMarked(-1);
    QFont font = this->font();
    font.setPointSizeF(kPictureFontPoints);
    picture.setFont(font);
    QString error;
    m_ui->setBusy(true);
    const bool ok = picture.write(path, OrdinationPlot::formatOf(path), kPictureSize, &error);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"), QStringLiteral("序列図を保存できませんでした。\n%1").arg(error));
    return ok;
}

} // namespace Zelkor
