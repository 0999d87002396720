#include "database/gui/addrelevepanel.h"

#include "database/databasesession.h"
#include "database/extractioncommand.h"
#include "platform/feedback.h"
#include "platform/gui/floatingpanel.h"
#include "table/tabledocument.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace Zelkor {

namespace {

// Typing stops at the name field's length, but a standard name put in by "標準名に変換" may be
// longer and must stay whole: such a text can be shortened, never lengthened.
class NameLengthValidator : public QValidator
{
public:
    NameLengthValidator(QLineEdit *edit, int maxLength)
        : QValidator(edit), m_max(maxLength)
    {
        // The text before an edit is the last one the field announced.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_previous = text; });
    }
    State validate(QString &input, int &) const override
    {
        return m_anyLength || input.size() <= std::max(m_max, int(m_previous.size())) ? Acceptable : Invalid;
    }
    /// Puts text into the field whatever its length.
    static void setLongText(QLineEdit *edit, const QString &text)
    {
        auto *v = dynamic_cast<NameLengthValidator *>(const_cast<QValidator *>(edit->validator()));
        if (v)
            v->m_anyLength = true;
        edit->setText(text);
        if (v)
            v->m_anyLength = false;
    }

private:
    int m_max;
    QString m_previous;
    bool m_anyLength = false;
};

// The join captions, in the order of ConditionJoin's values as the radio buttons' ids.
const char *const kJoinCaptions[] = {"または", "そして", "なし"};

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A counter label wide enough for the largest record number, so that a growing number is
// never clipped while the scan repaints without a new layout pass.
QLabel *counter(const QString &name, QWidget *parent)
{
    auto *label = caption(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    return label;
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

AddRelevePanel::AddRelevePanel(ExtractionCommand *command, QWidget *parent)
    : QFrame(parent)
    , m_command(command)
    , m_fileName(caption(QString(), this))
    , m_chgFile(button(QStringLiteral("BtnChgFile"), QStringLiteral("データファイル変更"), this))
    , m_relN(counter(QStringLiteral("LabRelN"), this))
    , m_spN(counter(QStringLiteral("LabSpN"), this))
    , m_rtN1(new QSpinBox(this))
    , m_rtN2(new QSpinBox(this))
    , m_editGrid(new QLineEdit(this))
    , m_ignoreCase(new QCheckBox(QStringLiteral("大文字・小文字を区別しない"), this))
    , m_synToCom(button(QStringLiteral("BtnSynToCom"), QStringLiteral("標準名に変換"), this))
    , m_serachN(counter(QStringLiteral("LabSerachN"), this))
    , m_fitN(counter(QStringLiteral("LabFitN"), this))
    , m_unreadable(caption(QString(), this))
    , m_reset(button(QStringLiteral("BtnRetrReset"), QStringLiteral("初期化"), this))
    , m_new(button(QStringLiteral("BtnRetrNew"), QStringLiteral("新規抽出"), this))
    , m_add(button(QStringLiteral("BtnRetrAdd"), QStringLiteral("追加抽出"), this))
    , m_quit(button(QStringLiteral("BtnRetrQuit"), QStringLiteral("組み込まず終了"), this))
    , m_toTable(button(QStringLiteral("BtnToTable"), QStringLiteral("表へ組み込む"), this))
{
    setObjectName(QStringLiteral("Panel_AddReleve"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(6);

    // The database and the table the relevés go into.
    m_fileName->setObjectName(QStringLiteral("Label_fileName"));
    auto *fileRow = new QHBoxLayout;
    fileRow->setSpacing(0);
    fileRow->addWidget(caption(QStringLiteral("データファイル："), this));
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(m_chgFile);
    outer->addLayout(fileRow);

    auto *tableRow = new QHBoxLayout;
    tableRow->setSpacing(0);
    tableRow->addWidget(caption(QStringLiteral(" 現在の組成表　　測定数＝"), this));
    tableRow->addWidget(m_relN);
    tableRow->addWidget(caption(QStringLiteral(" 植物数＝"), this));
    tableRow->addWidget(m_spN);
    tableRow->addStretch(1);
    outer->addLayout(tableRow);

    // Record range and mesh code.
    m_rtN1->setObjectName(QStringLiteral("RtN1"));
    m_rtN2->setObjectName(QStringLiteral("RtN2"));
    for (QSpinBox *box : {m_rtN1, m_rtN2}) {
        box->setAlignment(Qt::AlignRight);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 24);
    }
    m_rtN1->setRange(1, 1);
    m_rtN2->setRange(0, 0);
    m_editGrid->setObjectName(QStringLiteral("EditGrid"));
    auto *range = new QGridLayout;
    range->setHorizontalSpacing(6);
    range->addWidget(caption(QStringLiteral("対象レコード範囲"), this), 0, 0);
    auto *rangeFields = new QHBoxLayout;
    rangeFields->addWidget(m_rtN1);
    rangeFields->addWidget(caption(QStringLiteral("～"), this));
    rangeFields->addWidget(m_rtN2);
    rangeFields->addStretch(1);
    range->addLayout(rangeFields, 0, 1);
    range->addWidget(caption(QStringLiteral("対象地理区画コード"), this), 1, 0);
    range->addWidget(m_editGrid, 1, 1);
    outer->addLayout(range);

    // The species conditions: name, minimum cover and how each joins those before it.
    auto *conds = new QGridLayout;
    conds->setHorizontalSpacing(6);
    conds->setVerticalSpacing(3);
    conds->addWidget(caption(QStringLiteral("植物名 ／ 地理区画"), this), 0, 0);
    conds->addWidget(caption(QStringLiteral("最低値"), this), 0, 1);
    const int nameWidth = fontMetrics().horizontalAdvance(QString(NameMaxLength, QLatin1Char('n'))) + 8;
    for (int i = 0; i < ConditionCount; ++i) {
        const QString n = QString::number(i + 1);
        auto *name = new QLineEdit(this);
        name->setObjectName(QStringLiteral("EditName") + n);
        name->setValidator(new NameLengthValidator(name, NameMaxLength));
        name->setMinimumWidth(nameWidth);
        m_names[std::size_t(i)] = name;

        auto *cover = new QComboBox(this);
        cover->setObjectName(QStringLiteral("EditCov") + n);
        cover->setEditable(true);
        cover->setInsertPolicy(QComboBox::NoInsert);
        cover->addItems({QStringLiteral("+"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                         QStringLiteral("4"), QStringLiteral("5")});
        cover->setCurrentIndex(0);
        cover->setMinimumWidth(cover->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
        m_covers[std::size_t(i)] = cover;

        auto *joinBox = new QWidget(this);
        joinBox->setObjectName(QStringLiteral("RG_Retr") + n);
        auto *joinRow = new QHBoxLayout(joinBox);
        joinRow->setContentsMargins(0, 0, 0, 0);
        joinRow->setSpacing(8);
        auto *group = new QButtonGroup(joinBox);
        for (int j = 0; j < 3; ++j) {
            auto *radio = new QRadioButton(QString::fromUtf8(kJoinCaptions[j]), joinBox);
            group->addButton(radio, j);
            joinRow->addWidget(radio);
        }
        group->button(int(ConditionJoin::And))->setChecked(true);
        m_joins[std::size_t(i)] = group;

        conds->addWidget(name, i + 1, 0);
        conds->addWidget(cover, i + 1, 1);
        conds->addWidget(joinBox, i + 1, 2);
    }
    conds->setColumnStretch(0, 1);
    outer->addLayout(conds);
    // Off at first: names and the mesh code are compared exactly, case included.
    m_ignoreCase->setObjectName(QStringLiteral("ChkIgnoreCase"));
    outer->addWidget(m_ignoreCase);

    // The counters of the scan.
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_synToCom);
    countRow->addStretch(1);
    // Each counter follows its caption directly.
    countRow->setSpacing(0);
    countRow->addWidget(caption(QStringLiteral("調査中 ⇒"), this));
    countRow->addSpacing(4);
    countRow->addWidget(m_serachN);
    countRow->addSpacing(8);
    countRow->addWidget(caption(QStringLiteral("抽出数＝"), this));
    countRow->addWidget(m_fitN);
    outer->addLayout(countRow);
    // Records of the range that could not be read are said, not passed over in silence.
    m_unreadable->setObjectName(QStringLiteral("LabUnreadable"));
    m_unreadable->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unreadable->hide();
    outer->addWidget(m_unreadable);

    auto *scanRow = new QHBoxLayout;
    scanRow->addWidget(m_reset);
    scanRow->addWidget(m_new);
    scanRow->addWidget(m_add);
    outer->addLayout(scanRow);
    auto *endRow = new QHBoxLayout;
    endRow->addWidget(m_quit);
    endRow->addWidget(m_toTable);
    outer->addLayout(endRow);

    // Tab walks the fields top to bottom, each condition's name, cover and join in turn.
    QList<QWidget *> order{m_rtN1, m_rtN2, m_editGrid};
    for (int i = 0; i < ConditionCount; ++i) {
        order << m_names[std::size_t(i)] << m_covers[std::size_t(i)];
        for (QAbstractButton *b : m_joins[std::size_t(i)]->buttons())
            order << b;
    }
    order << m_ignoreCase << m_synToCom << m_reset << m_new << m_add << m_quit << m_toTable << m_chgFile;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_chgFile, &QPushButton::clicked, this, &AddRelevePanel::btnChgFileClick);
    connect(m_reset, &QPushButton::clicked, this, &AddRelevePanel::btnRetrResetClick);
    connect(m_new, &QPushButton::clicked, this, [this] { btnRetrNewClick(true); });
    connect(m_add, &QPushButton::clicked, this, [this] { btnRetrNewClick(false); });
    connect(m_toTable, &QPushButton::clicked, this, &AddRelevePanel::btnToTableClick);
    connect(m_quit, &QPushButton::clicked, this, &AddRelevePanel::btnRetrQuitClick);
    connect(m_synToCom, &QPushButton::clicked, this, &AddRelevePanel::btnSynToComClick);
    connect(&m_command->session(), &DatabaseSession::databaseChanged, this, &AddRelevePanel::databaseChanged);
    connect(&m_command->document(), &TableDocument::statusChanged, this, [this] {
        if (isVisible()) {
            m_relN->setText(QString::number(m_command->document().model().releveCount()));
            m_spN->setText(QString::number(m_command->document().model().speciesCount()));
        }
    });
    hide();
}

void AddRelevePanel::showDatabaseAndTable()
{
    const QString db = m_command->document().settings().dataFileName;
    m_fileName->setText(db == TableDocument::notSpecified() ? db : QFileInfo(db).completeBaseName());
    const int records = m_command->session().recordCount();
    m_rtN1->setRange(1, std::max(records, 1));
    m_rtN1->setValue(1);
    m_rtN2->setRange(0, records);
    m_rtN2->setValue(records);
    m_relN->setText(QString::number(m_command->document().model().releveCount()));
    m_spN->setText(QString::number(m_command->document().model().speciesCount()));
    m_serachN->setText(QStringLiteral("0"));
    m_fitN->setText(QStringLiteral("0"));
    showUnreadable(0);
}

void AddRelevePanel::itemAddReleveClick()
{
    m_command->beginRetrieval();
    showDatabaseAndTable();

    showOverGrid(this);
    m_editGrid->setFocus(Qt::OtherFocusReason);
}

void AddRelevePanel::btnChgFileClick()
{
    m_command->session().chooseDataFile();
    itemAddReleveClick();
}

void AddRelevePanel::btnRetrResetClick()
{
    m_command->ui().setBusy(true);
    m_command->resetSelection();
    showDatabaseAndTable();
    m_editGrid->clear();
    for (int i = 0; i < ConditionCount; ++i) {
        m_names[std::size_t(i)]->clear();
        m_covers[std::size_t(i)]->setCurrentIndex(0);
        m_covers[std::size_t(i)]->setEditText(QStringLiteral("+"));
    }
    m_command->ui().setBusy(false);
    m_names[0]->setFocus(Qt::OtherFocusReason);
}

RetrievalQuery AddRelevePanel::query() const
{
    RetrievalQuery q;
    q.firstRecord = m_rtN1->value();
    q.lastRecord = m_rtN2->value();
    q.meshPrefix = m_editGrid->text();
    q.ignoreCase = m_ignoreCase->isChecked();
    for (std::size_t i = 0; i < q.conditions.size(); ++i) {
        SpeciesCondition &c = q.conditions[i];
        // The name as typed: blanks around it are part of the condition.
        c.name = m_names[i]->text();
        c.level = m_covers[i]->findText(m_covers[i]->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        const int join = m_joins[i]->checkedId();
        c.join = join == int(ConditionJoin::Or)    ? ConditionJoin::Or
                 : join == int(ConditionJoin::Not) ? ConditionJoin::Not
                                                   : ConditionJoin::And;
    }
    return q;
}

void AddRelevePanel::showCounters(int record, int fitCount, bool fitShown)
{
    if (record >= 0)
        m_serachN->setText(QString::number(record));
    if (fitShown)
        m_fitN->setText(QString::number(fitCount));
    // Only the counters change while the scan runs: painting them alone keeps the scan fast.
    m_serachN->repaint();
    m_fitN->repaint();
}

void AddRelevePanel::btnRetrNewClick(bool newExtraction)
{
    m_fitN->setText(QStringLiteral("0"));
    const RetrievalQuery q = query();
    if (newExtraction)
        repaint();

    // "抽出数＝" shows "0" until this scan selects a record, then the running count; the
    // labels are set and painted only every few milliseconds, so a long scan is not slowed.
    const int firstRecord = std::max(q.firstRecord, 1);
    const int startFit = newExtraction ? 0 : m_command->selection().fitCount();
    int record = -1;
    int fit = startFit;
    bool fitShown = false;
    QElapsedTimer clock;
    clock.start();
    Feedback feedback;
    feedback.setWatcher([&](Feedback &f) {
        if (f.position() >= firstRecord)
            record = f.position(); // the closing report of an empty range names no record
        fit = f.found();
        fitShown = fitShown || f.found() != startFit;
        if (clock.elapsed() >= CounterRepaintInterval) {
            showCounters(record, fit, fitShown);
            clock.restart();
        }
    });
    const bool scanned = m_command->scanDatabase(q, newExtraction, &feedback);
    showCounters(record, fit, fitShown);
    showUnreadable(scanned ? m_command->selection().unreadableCount() : 0);
}

void AddRelevePanel::showUnreadable(int count)
{
    m_unreadable->setText(QStringLiteral("読めないレコード＝%1（抽出の対象外）").arg(count));
    m_unreadable->setVisible(count > 0);
}

void AddRelevePanel::btnToTableClick()
{
    hide();
    m_command->insertSelected();
}

void AddRelevePanel::btnRetrQuitClick()
{
    hide();
}

void AddRelevePanel::btnSynToComClick()
{
    QStringList names;
    for (const QLineEdit *edit : m_names)
        names << edit->text();
    const QStringList common = m_command->standardNames(names);
    for (int i = 0; i < ConditionCount && i < common.size(); ++i)
        if (m_names[std::size_t(i)]->text() != common.at(i))
            NameLengthValidator::setLongText(m_names[std::size_t(i)], common.at(i));
}

void AddRelevePanel::databaseChanged()
{
    // The selection has been sized to the new database already; the range may not reach past it.
    const int records = m_command->session().recordCount();
    m_rtN1->setMaximum(std::max(records, 1));
    m_rtN2->setMaximum(records);
    if (isVisible()) {
        const QString db = m_command->document().settings().dataFileName;
        m_fileName->setText(db == TableDocument::notSpecified() ? db : QFileInfo(db).completeBaseName());
    }
}

} // namespace Zelkor
