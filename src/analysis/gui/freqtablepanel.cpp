#include "analysis/gui/freqtablepanel.h"
#include "platform/gui/floatingpanel.h"

#include "analysis/constancycommand.h"

#include <QButtonGroup>
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
    return o;
}

} // namespace Zelkor
