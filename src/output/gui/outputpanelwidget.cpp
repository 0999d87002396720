#include "output/gui/outputpanelwidget.h"

#include "output/outputpanel.h"
#include "platform/gui/floatingpanel.h"
#include "table/headeritems.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace Zelkor {

namespace {

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QSpinBox *numberField(const QString &name, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setKeyboardTracking(false);
    s->setMinimumWidth(70);
    return s;
}

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// The choices of a radio group, their ids the choices' indexes.
QGroupBox *radioGroup(const QString &name, const QString &title, const QStringList &captions, const QString &hint,
                      QButtonGroup **buttons, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    auto *layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    *buttons = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions.at(i), box);
        (*buttons)->addButton(radio, i);
        layout->addWidget(radio);
    }
    return box;
}

void setSpin(QSpinBox *spin, const NumberField &field)
{
    spin->setRange(std::min(field.minimum(), field.maximum()), std::max(field.minimum(), field.maximum()));
    spin->setValue(field.value());
}

} // namespace

OutputPanelWidget::OutputPanelWidget(OutputPanel *panel, QWidget *parent)
    : QFrame(parent)
    , m_panel(panel)
    , m_heading(label(QStringLiteral("LabelOut"), QString(), this))
    , m_title(new QLineEdit(this))
    , m_frequency(new QCheckBox(QStringLiteral("出現頻度"), this))
    , m_oneTime(new QCheckBox(QStringLiteral("出現１回の種を別書"), this))
    , m_tn1(numberField(QStringLiteral("TN1"), this))
    , m_tn2(numberField(QStringLiteral("TN2"), this))
    , m_pn1(numberField(QStringLiteral("PN1"), this))
    , m_pn2(numberField(QStringLiteral("PN2"), this))
    , m_direct(radioGroup(QStringLiteral("RG_Direct"), QStringLiteral("出力方向"), OutputPanel::directionCaptions(),
                          QStringLiteral("数値表の行と欄の位置づけ"), &m_directButtons, this))
    , m_method(radioGroup(QStringLiteral("RG_Method"), QStringLiteral("優占度変換"), OutputPanel::methodCaptions(),
                          QStringLiteral("階層別の優占度・群度を単一の数値に変換する方法"), &m_methodButtons, this))
    , m_numericNote(label(QStringLiteral("LabelNmat"), QStringLiteral("数値表出力では空白の列・行は無視される"), this))
    , m_fontPanel(new QFrame(this))
    , m_fontName(label(QStringLiteral("LbFontName"), QString(), m_fontPanel))
    , m_fontSize(label(QStringLiteral("LnFontSize"), QString(), m_fontPanel))
    , m_toPrint(button(QStringLiteral("BtnToPrint"), QStringLiteral("出力する"), this))
    , m_cancel(button(QStringLiteral("BtnCancelPrint"), QStringLiteral("取止める"), this))
    , m_itemEdit(button(QStringLiteral("BtnItemEdt"), QStringLiteral("修正"), this))
{
    setObjectName(QStringLiteral("PaneltoPrint"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    hide();

    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_title->setObjectName(QStringLiteral("EditTitle"));
    m_frequency->setObjectName(QStringLiteral("ChkBoxfq"));
    m_oneTime->setObjectName(QStringLiteral("ChkBox1t"));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(6);
    outer->addWidget(m_heading);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(m_title);
    titleRow->addWidget(m_itemEdit);
    titleRow->addStretch(1);
    outer->addLayout(titleRow);

    // The thirty items in three columns of ten.
    auto *itemGrid = new QGridLayout;
    itemGrid->setHorizontalSpacing(12);
    itemGrid->setVerticalSpacing(1);
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        auto *box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("ChkBox%1").arg(n));
        box->installEventFilter(this);
        connect(box, &QCheckBox::clicked, this, [this, n](bool checked) { m_panel->setItemChecked(n, checked); });
        itemGrid->addWidget(box, (n - 1) % 10, (n - 1) / 10);
        m_items[std::size_t(n)] = box;
    }
    outer->addLayout(itemGrid);

    // Below the items: the options, ranges, note and print font on the left, the numeric
    // outputs' choices on the right, so that the panel fits a small window.
    auto *left = new QVBoxLayout;
    auto *options = new QHBoxLayout;
    options->addWidget(m_frequency);
    options->addWidget(m_oneTime);
    options->addStretch(1);
    left->addLayout(options);

    auto *ranges = new QGridLayout;
    ranges->addWidget(label(QStringLiteral("Label5"), QStringLiteral("測定の出力範囲"), this), 0, 0);
    ranges->addWidget(m_tn1, 0, 1);
    ranges->addWidget(new QLabel(QStringLiteral("～"), this), 0, 2);
    ranges->addWidget(m_tn2, 0, 3);
    ranges->addWidget(label(QStringLiteral("Labelrange"), QStringLiteral("植物の出力範囲"), this), 1, 0);
    ranges->addWidget(m_pn1, 1, 1);
    ranges->addWidget(new QLabel(QStringLiteral("～"), this), 1, 2);
    ranges->addWidget(m_pn2, 1, 3);
    ranges->setColumnStretch(4, 1);
    left->addLayout(ranges);
    left->addWidget(m_numericNote);

    m_fontPanel->setObjectName(QStringLiteral("PanelFont"));
    m_fontPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *fontRow = new QHBoxLayout(m_fontPanel);
    fontRow->setContentsMargins(6, 2, 6, 2);
    fontRow->addWidget(new QLabel(QStringLiteral("印刷フォント"), m_fontPanel));
    fontRow->addWidget(m_fontName);
    fontRow->addWidget(m_fontSize);
    auto *fontButton = button(QStringLiteral("BtnFont"), QStringLiteral("変更"), m_fontPanel);
    fontRow->addWidget(fontButton);
    fontRow->addStretch(1);
    left->addWidget(m_fontPanel);
    left->addStretch(1);

    auto *lower = new QHBoxLayout;
    lower->addLayout(left, 1);
    lower->addWidget(m_direct, 0, Qt::AlignTop);
    lower->addWidget(m_method, 0, Qt::AlignTop);
    outer->addLayout(lower);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_toPrint);
    buttons->addWidget(m_cancel);
    outer->addLayout(buttons);

    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &text) { m_panel->setTitleText(text); });
    connect(m_frequency, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_panel->setFrequency(on);
    });
    connect(m_oneTime, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_panel->setOneTime(on);
    });
    connect(m_directButtons, &QButtonGroup::idClicked, this, [this](int id) { m_panel->setDirection(id); });
    connect(m_methodButtons, &QButtonGroup::idClicked, this, [this](int id) { m_panel->setMethod(id); });
    for (QSpinBox *spin : {m_tn1, m_tn2, m_pn1, m_pn2})
        connect(spin, &QSpinBox::editingFinished, this, &OutputPanelWidget::takeRanges);
    connect(fontButton, &QPushButton::clicked, this, [this] { m_panel->choosePrintFont(); });
    connect(m_itemEdit, &QPushButton::clicked, this, [this] { m_panel->renameItem(); });
    connect(m_toPrint, &QPushButton::clicked, this, [this] {
        takeRanges();
        m_panel->confirm();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_panel->cancel(); });
    connect(m_panel, &OutputPanel::changed, this, &OutputPanelWidget::refresh);
    refresh();
}

void OutputPanelWidget::takeRanges()
{
    if (m_refreshing)
        return;
    const std::pair<QSpinBox *, NumberField *> fields[] = {
        {m_tn1, &m_panel->releveFrom()},
        {m_tn2, &m_panel->releveTo()},
        {m_pn1, &m_panel->speciesFrom()},
        {m_pn2, &m_panel->speciesTo()},
    };
    for (const auto &[spin, field] : fields) {
        field->setText(spin->text());
        field->leave();
    }
}

bool OutputPanelWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int n = 1; n <= HeaderItems::Count; ++n) {
            if (watched != m_items[std::size_t(n)])
                continue;
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_panel->pressItem(n, mouse->button() == Qt::RightButton);
            // The right button picks the label; only the left one ticks.
            return mouse->button() == Qt::RightButton;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void OutputPanelWidget::refresh()
{
    m_refreshing = true;
    const bool wasVisible = isVisible();

    // Pale yellow while the panel changes the table's items, the dialog face otherwise.
    QPalette pal = parentWidget() ? parentWidget()->palette() : palette();
    if (m_panel->itemChangeMode())
        pal.setColor(QPalette::Window, QColor(255, 255, 176));
    setPalette(pal);

    m_heading->setText(m_panel->heading());
    if (m_title->text() != m_panel->titleText())
        m_title->setText(m_panel->titleText());
    m_title->setFixedWidth(m_panel->titleWidth());
    m_itemEdit->setVisible(m_panel->itemChangeMode());
    m_toPrint->setText(m_panel->confirmCaption());

    for (int n = 1; n <= HeaderItems::Count; ++n) {
        QCheckBox *box = m_items[std::size_t(n)];
        box->setText(m_panel->itemLabel(n));
        box->setEnabled(m_panel->itemEnabled(n));
        box->setChecked(m_panel->itemChecked(n));
    }
    m_frequency->setChecked(m_panel->frequency());
    m_frequency->setEnabled(m_panel->frequencyEnabled());
    m_oneTime->setChecked(m_panel->oneTime());
    m_oneTime->setEnabled(m_panel->oneTimeEnabled());
    if (QAbstractButton *b = m_directButtons->button(m_panel->direction()))
        b->setChecked(true);
    if (QAbstractButton *b = m_methodButtons->button(m_panel->method()))
        b->setChecked(true);
    m_direct->setEnabled(m_panel->directionEnabled());
    m_method->setEnabled(m_panel->methodEnabled());
    m_numericNote->setVisible(m_panel->numericNoteVisible());
    setSpin(m_tn1, m_panel->releveFrom());
    setSpin(m_tn2, m_panel->releveTo());
    setSpin(m_pn1, m_panel->speciesFrom());
    setSpin(m_pn2, m_panel->speciesTo());
    m_fontPanel->setVisible(m_panel->fontPanelVisible());
    m_fontName->setText(m_panel->printFontName());
    m_fontSize->setText(QString::number(m_panel->printFontSize()));
    m_refreshing = false;

    // The panel is sized when it opens or serves another mode, not while the user clicks in it:
    // a box that moved under the mouse between press and release would not be ticked.
    if (!m_panel->isVisible())
        hide();
    else if (!wasVisible)
        showOverGrid(this);
    else if (m_shownMode != m_panel->outputMode())
        adjustSize();
    m_shownMode = m_panel->outputMode();
}

} // namespace Zelkor
