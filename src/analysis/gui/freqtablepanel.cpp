#include "analysis/gui/freqtablepanel.h"
#include "platform/gui/floatingpanel.h"

#include "analysis/constancycommand.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Zelkor {

namespace {

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A radio group whose buttons carry the item numbers as their ids; item 0 checked.
QButtonGroup *radioGroup(const QString &name, const QStringList &captions, QWidget *parent, QVBoxLayout *into)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(name);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(8, 4, 8, 4);
    column->setSpacing(2);
    auto *group = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions.at(i), box);
        group->addButton(radio, i);
        column->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    into->addWidget(box);
    return group;
}

} // namespace

FreqTablePanel::FreqTablePanel(ConstancyCommand *command, QWidget *parent)
    : QFrame(parent)
    , m_command(command)
    , m_numReleve(plainLabel(QStringLiteral("0"), this))
    , m_numGroup(plainLabel(QStringLiteral("1"), this))
    , m_title(new QLineEdit(this))
    , m_cancel(new QPushButton(QStringLiteral("取止める"), this))
    , m_build(new QPushButton(QStringLiteral("出力する"), this))
{
    setObjectName(QStringLiteral("Panel_Freq_Table"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(6);

    auto *heading = plainLabel(QStringLiteral("常在度表を作成する"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    outer->addWidget(heading);

    m_numReleve->setObjectName(QStringLiteral("Num_Releve"));
    m_numGroup->setObjectName(QStringLiteral("Num_Group"));
    auto *counts = new QHBoxLayout;
    for (QLabel *number : {m_numReleve, m_numGroup}) {
        number->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setMinimumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 6);
    }
    counts->addWidget(plainLabel(QStringLiteral("全測定数"), this));
    counts->addWidget(m_numReleve);
    counts->addSpacing(12);
    counts->addWidget(plainLabel(QStringLiteral("区分数"), this));
    counts->addWidget(m_numGroup);
    counts->addStretch(1);
    outer->addLayout(counts);

    m_title->setObjectName(QStringLiteral("Edit_Title"));
    m_title->setMinimumWidth(m_title->fontMetrics().horizontalAdvance(QString(36, QLatin1Char('n'))));
    outer->addWidget(m_title);

    m_freq = radioGroup(QStringLiteral("RG_Freq"),
                        {QStringLiteral("常在度級 Ⅰ～Ⅴ　と　優占度"), QStringLiteral("常在度級 Ⅰ～Ⅹ　と　優占度"),
                         QStringLiteral("常在度級 Ⅰ～Ⅴ　のみ"), QStringLiteral("常在度級 Ⅰ～Ⅹ　のみ"),
                         QStringLiteral("出現数をそのまま示す")},
                        this, outer);
    m_cell = radioGroup(QStringLiteral("RG_Cell"),
                        {QStringLiteral("空白セルは  ・"), QStringLiteral("空白セルは空白")}, this, outer);

    auto *fidelityBox = new QGroupBox(this);
    fidelityBox->setObjectName(QStringLiteral("GB_Fidelity"));
    auto *fidelityColumn = new QVBoxLayout(fidelityBox);
    fidelityColumn->setContentsMargins(8, 4, 8, 4);
    fidelityColumn->setSpacing(2);
    m_fidelity = new QCheckBox(QStringLiteral("適合度（φ係数）"), fidelityBox);
    m_fidelity->setObjectName(QStringLiteral("CB_Fidelity"));
    m_phiMin = new QDoubleSpinBox(fidelityBox);
    m_phiMin->setObjectName(QStringLiteral("Edit_PhiMin"));
    m_phiMin->setRange(0.0, 1.0);
    m_phiMin->setDecimals(2);
    m_phiMin->setSingleStep(0.05);
    m_alpha = new QDoubleSpinBox(fidelityBox);
    m_alpha->setObjectName(QStringLiteral("Edit_Alpha"));
    m_alpha->setRange(0.0001, 1.0);
    m_alpha->setDecimals(4);
    m_alpha->setSingleStep(0.01);
    const FidelityOptions defaults;
    m_phiMin->setValue(defaults.phiThreshold);
    m_alpha->setValue(defaults.alpha);
    m_standardize = new QCheckBox(QStringLiteral("群の大きさを標準化する"), fidelityBox);
    m_standardize->setObjectName(QStringLiteral("CB_Standardize"));
    m_standardize->setChecked(defaults.standardize);
    m_diagnosticOrder = new QCheckBox(QStringLiteral("診断種順に並べる"), fidelityBox);
    m_diagnosticOrder->setObjectName(QStringLiteral("CB_DiagnosticOrder"));
    auto *criteria = new QHBoxLayout;
    criteria->addSpacing(16);
    criteria->addWidget(plainLabel(QStringLiteral("診断種：φ ≥"), fidelityBox));
    criteria->addWidget(m_phiMin);
    criteria->addWidget(plainLabel(QStringLiteral("かつ p <"), fidelityBox));
    criteria->addWidget(m_alpha);
    criteria->addStretch(1);
    fidelityColumn->addWidget(m_fidelity);
    fidelityColumn->addLayout(criteria);
    for (QCheckBox *check : {m_standardize, m_diagnosticOrder}) {
        auto *indented = new QHBoxLayout;
        indented->addSpacing(16);
        indented->addWidget(check);
        indented->addStretch(1);
        fidelityColumn->addLayout(indented);
    }
    outer->addWidget(fidelityBox);
    // The settings of the fidelity take part only with it.
    const auto enableFidelitySettings = [this](bool on) {
        for (QWidget *w : std::initializer_list<QWidget *>{m_phiMin, m_alpha, m_standardize, m_diagnosticOrder})
            w->setEnabled(on);
    };
    connect(m_fidelity, &QCheckBox::toggled, this, enableFidelitySettings);
    enableFidelitySettings(false);

    m_cancel->setObjectName(QStringLiteral("BtnCancFreq"));
    m_build->setObjectName(QStringLiteral("BtnFreqTable"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cancel, m_build}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    outer->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, this, &FreqTablePanel::btnCancFreqClick);
    connect(m_build, &QPushButton::clicked, this, &FreqTablePanel::btnFreqTableClick);
    hide();
}

void FreqTablePanel::itemMakeFreqTableClick()
{
    const ConstancyCommand::PanelState state = m_command->prepare();
    m_numReleve->setText(QString::number(state.releves));
    m_numGroup->setText(QString::number(state.groups));
    m_title->setText(state.title);

    showOverGrid(this);
    m_build->setFocus(Qt::OtherFocusReason);
}

void FreqTablePanel::btnCancFreqClick()
{
    hide();
}

void FreqTablePanel::btnFreqTableClick()
{
    hide();
    m_command->build(m_title->text(), options());
}

ConstancyOptions FreqTablePanel::options() const
{
    ConstancyOptions o;
    o.content = ConstancyContent(std::clamp(m_freq->checkedId(), 0, 4));
    o.blankEmpty = m_cell->checkedId() == 1;
    o.fidelity = m_fidelity->isChecked();
    o.fidelityOptions = fidelityOptions();
    o.diagnosticOrder = o.fidelity && m_diagnosticOrder->isChecked();
    return o;
}

FidelityOptions FreqTablePanel::fidelityOptions() const
{
    FidelityOptions o;
    o.standardize = m_standardize->isChecked();
    o.phiThreshold = m_phiMin->value();
    o.alpha = m_alpha->value();
    return o;
}

} // namespace Zelkor
