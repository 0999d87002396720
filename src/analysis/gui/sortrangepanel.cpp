#include "analysis/gui/sortrangepanel.h"

#include "analysis/sortandhide.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace Zelkor {

namespace {

QSpinBox *numberField(const QString &name, QWidget *parent)
{
    auto *field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setMinimum(1);
    field->setMinimumWidth(72);
    field->setAlignment(Qt::AlignRight);
    return field;
}

} // namespace

SortRangePanel::SortRangePanel(SortAndHide *commands, QWidget *parent)
    : QFrame(parent)
    , m_commands(commands)
    , m_heading(new QLabel(QStringLiteral("並べ替え"), this))
    , m_sn1(numberField(QStringLiteral("SN1"), this))
    , m_releveArrow(new QLabel(QStringLiteral("→"), this))
    , m_sn2(numberField(QStringLiteral("SN2"), this))
    , m_ss1(numberField(QStringLiteral("SS1"), this))
    , m_speciesArrow(new QLabel(QStringLiteral("↓"), this))
    , m_ss2(numberField(QStringLiteral("SS2"), this))
    , m_direction(new QGroupBox(this))
    , m_des(new QRadioButton(QStringLiteral("多順"), m_direction))
    , m_asc(new QRadioButton(QStringLiteral("少順"), m_direction))
    , m_go(new QPushButton(QStringLiteral("実行"), this))
    , m_stop(new QPushButton(QStringLiteral("中止"), this))
{
    setObjectName(QStringLiteral("PanelofSortRange"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);

    m_heading->setObjectName(QStringLiteral("Label13"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_releveArrow->setObjectName(QStringLiteral("Label4"));
    m_speciesArrow->setObjectName(QStringLiteral("Label11"));
    m_speciesArrow->setAlignment(Qt::AlignCenter);
    m_direction->setObjectName(QStringLiteral("GBox1"));
    m_des->setObjectName(QStringLiteral("RB_des"));
    m_asc->setObjectName(QStringLiteral("RB_asc"));
    m_go->setObjectName(QStringLiteral("BtnSortGo"));
    m_stop->setObjectName(QStringLiteral("BtnSortStp"));
    m_des->setChecked(true);
    for (QPushButton *b : {m_go, m_stop})
        b->setAutoDefault(false);

    auto *directionLayout = new QVBoxLayout(m_direction);
    directionLayout->addWidget(m_des);
    directionLayout->addWidget(m_asc);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(6);
    layout->addWidget(m_heading, 0, 0, 1, 3);
    // The relevés run across the table, the species down it.
    layout->addWidget(m_sn1, 1, 0);
    layout->addWidget(m_releveArrow, 1, 1, Qt::AlignCenter);
    layout->addWidget(m_sn2, 1, 2);
    auto *species = new QVBoxLayout;
    species->setSpacing(2);
    species->addWidget(m_ss1);
    species->addWidget(m_speciesArrow);
    species->addWidget(m_ss2);
    layout->addLayout(species, 2, 0);
    layout->addWidget(m_direction, 2, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_go);
    buttons->addWidget(m_stop);
    layout->addLayout(buttons, 3, 0, 1, 3);

    connect(m_des, &QRadioButton::toggled, this, [this](bool on) { m_commands->setDescending(on); });
    connect(m_go, &QPushButton::clicked, this, [this] {
        giveFields();
        m_commands->sortRange();
    });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        giveFields();
        m_commands->cancelSort();
    });
    connect(m_commands, &SortAndHide::panelChanged, this, &SortRangePanel::takeFields);
    hide();
}

void SortRangePanel::giveFields()
{
    m_commands->setPanelRange(m_sn1->value(), m_sn2->value(), m_ss1->value(), m_ss2->value());
    m_commands->setDescending(m_des->isChecked());
}

void SortRangePanel::takeFields()
{
    const SortAndHide::RangePanel &p = m_commands->panel();
    if (!p.visible) {
        hide();
        return;
    }
    m_heading->setText(p.heading);
    for (QSpinBox *f : {m_sn1, m_sn2})
        f->setMaximum(std::max(p.releveMax, 1));
    for (QSpinBox *f : {m_ss1, m_ss2})
        f->setMaximum(std::max(p.speciesMax, 1));
    m_sn1->setValue(p.sn1);
    m_sn2->setValue(p.sn2);
    m_ss1->setValue(p.ss1);
    m_ss2->setValue(p.ss2);
    for (QWidget *w : {static_cast<QWidget *>(m_sn1), static_cast<QWidget *>(m_releveArrow), static_cast<QWidget *>(m_sn2)})
        w->setVisible(p.releveFields);
    for (QWidget *w : {static_cast<QWidget *>(m_ss1), static_cast<QWidget *>(m_speciesArrow), static_cast<QWidget *>(m_ss2)})
        w->setVisible(p.speciesFields);
    m_direction->setVisible(p.directionBox);
    (p.descending ? m_des : m_asc)->setChecked(true);

    adjustSize();
    if (const QWidget *parent = parentWidget()) {
        // Near the top of the window, centred, where it hides the least of the table.
        const int x = std::max(0, (parent->width() - width()) / 2);
        move(x, std::min(60, std::max(0, parent->height() - height())));
    }
    show();
    raise();
    m_go->setFocus(Qt::OtherFocusReason);
}

} // namespace Zelkor
